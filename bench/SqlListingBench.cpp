// Listing a SELECT into the SQL page's results box, with the main window shown (Xvfb when
// QT_QPA_PLATFORM=xcb and DISPLAY are set, else offscreen), against a bare SQLFetch + SQLGetData
// loop that formats the same rows to the same text on a connection opened before: 100,000 to
// 1,000,000 rows of (integer, varchar(40), double) from SQLite and from PostgreSQL (QV_BENCH_DB
// runs one alone), the runs alternated, median of 5 (3 from 500,000 rows).
// Goals (bench/Goals.h):
// - the listing within 3 times the bare loop at every size;
// - linear: its time per row at 1,000,000 rows within 1.1 times that at 100,000, taken against the
//   same growth of the box alone, a plain text box of the same size and font taking the same
//   lines in the same writes with no database behind it: the box's document costs a little more
//   per line the more lines it holds, and the listing may grow as much and no more;
// - Esc in the middle of a listing of 1,000,000 SQLite rows ends it within a tenth of a second.
#include "bench/BareOdbc.h"
#include "bench/BenchWindow.h"
#include "bench/BoxAlone.h"
#include "bench/Goals.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/sqlpage/SqlCommandLine.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTimer>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 1000000;
constexpr int kSizes[] = {100000, 200000, 500000, 1000000};
constexpr int kRowsPerWrite = 100;  // the listing hands the box its rows a hundred at a time

QString selectFor(int rows)
{
    return QStringLiteral("SELECT i, v, d FROM listing_bench WHERE i <= %1 ORDER BY i").arg(rows);
}

// The bare loop: every column read as text and the row written as "value|value|value|" lines, on a
// connection opened before the timing.
QString bareLoop(const bench::BareConnection& connection, int rows)
{
    SQLHSTMT stmt = connection.execute(selectFor(rows));
    QString text;
    char16_t buffer[256];
    SQLLEN ind = 0;
    bool first = true;
    while (SQLFetch(stmt) == SQL_SUCCESS) {
        if (!first)
            text += QLatin1Char('\n');
        first = false;
        for (SQLUSMALLINT col = 1; col <= 2; ++col) {
            SQLGetData(stmt, col, SQL_C_WCHAR, buffer, sizeof buffer, &ind);
            if (ind > 0)
                text += QStringView(buffer, qsizetype(ind / 2));
            text += QLatin1Char('|');
        }
        // The double in the program's own text form, shortest round trip in fixed notation.
        double d = 0;
        SQLGetData(stmt, 3, SQL_C_DOUBLE, &d, sizeof d, &ind);
        char digits[64];
        const auto end = std::to_chars(digits, digits + sizeof digits, d, std::chars_format::fixed);
        text += QLatin1String(digits, end.ptr - digits);
        text += QLatin1Char('|');
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return text;
}

void waitIdle()
{
    QEventLoop idle;
    QTimer::singleShot(0, &idle, &QEventLoop::quit);
    idle.exec();
    QCoreApplication::processEvents();
}

struct Side {
    const char* label;
    QString dsn, user, password;
    std::function<void(const QString&)> exec;
    bool pg;
};

void fill(const Side& side)
{
    side.exec(QStringLiteral("DROP TABLE IF EXISTS listing_bench"));
    side.exec(QStringLiteral("CREATE TABLE listing_bench (i integer primary key, v varchar(40), d double precision)"));
    if (side.pg)
        side.exec(QStringLiteral("INSERT INTO listing_bench SELECT g, 'row number ' || g || ' of the bench', g * 0.25 "
                                 "FROM generate_series(1, %1) g")
                      .arg(kRows));
    else
        side.exec(QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                                 "INSERT INTO listing_bench SELECT x, 'row number ' || x || ' of the bench', x * 0.25 FROM n")
                      .arg(kRows));
    if (side.pg)
        side.exec(QStringLiteral("VACUUM ANALYZE listing_bench"));
}

void runSide(bench::Goals& goals, const Side& side)
{
    fill(side);
    TForm_Main form;
    form.Database.setDatabaseName(QStringLiteral("listing_bench"));
    form.Database.setAliasName(side.dsn);
    form.Database.params() << QStringLiteral("user name=") + side.user << QStringLiteral("password=") + side.password;
    form.Database.setConnected(true);
    form.Query.setDatabaseName(form.Database.databaseName());
    form.show();
    form.ui().PageControl->setCurrentWidget(form.ui().TabSheet_CommandLine);
    QApplication::processEvents();

    QPlainTextEdit* results = form.ui().Memo_Results;
    const bench::BareConnection connection(side.dsn, side.user, side.password);
    double perRow[4] = {}, alonePerRow[4] = {};
    for (int k = 0; k < 4; ++k) {
        const int rows = kSizes[k];
        const int rounds = rows <= 200000 ? 5 : 3;
        QString bareText;
        std::vector<double> runs;
        form.ui().Memo_SQL->setPlainText(selectFor(rows));
        const std::vector<double> t = bench::alternate(rounds, {
            [&] { bareText = bareLoop(connection, rows); },
            [&] {
                form.BitBtn_Execute2Click(form.ui().BitBtn_Execute2);
                waitIdle();
            },
            [&] { bench::boxAlone(*results, bareText, kRowsPerWrite); },
            [&] { runs.push_back(connection.runSeconds(selectFor(rows))); },
        });
        std::sort(runs.begin(), runs.end());
        const double tRun = runs[runs.size() / 2];
        const double tBare = t[0], tList = t[1], tAlone = t[2];
        perRow[k] = tList / rows;
        alonePerRow[k] = tAlone / rows;
        const bool same = results->toPlainText() == bareText;
        std::printf("%-10s %8d rows   bare fetch as text %.3f s   listing %.3f s   the box alone %.3f s   %s\n", side.label,
                    rows, tBare, tList, tAlone, same ? "same text" : "TEXT DIFFERS");
        const std::string what = std::string(side.label) + " listing / bare loop, " + std::to_string(rows) + " rows";
        goals.check(what.c_str(), tList / tBare, 3.0);
        if (!same)
            goals.fail("the listing's text differs from the bare loop's");
        std::printf("%-10s %8d rows   the statement's run alone %.3f s; run + the box alone %.3f s = %.2fx the bare loop, "
                    "the listing %.2fx that (for information)\n",
                    side.label, rows, tRun, tRun + tAlone, (tRun + tAlone) / tBare, tList / (tRun + tAlone));
    }
    const double growth = perRow[3] / perRow[0];
    const double aloneGrowth = alonePerRow[3] / alonePerRow[0];
    std::printf("%-10s time per row, 1,000,000 against 100,000 rows: listing %.2f, the box alone %.2f (for information)\n",
                side.label, growth, aloneGrowth);
    const std::string what = std::string(side.label) + " listing's growth per row / the box's";
    goals.check(what.c_str(), growth / aloneGrowth, 1.1);

    // Esc well into a listing of every row: from the key until the program is idle.
    if (side.pg)
        return;
    form.ui().Memo_SQL->setPlainText(selectFor(kRows));
    form.ui().Memo_SQL->setFocus();
    std::vector<double> escToIdle;
    qsizetype after = 0;
    for (int r = 0; r < 3; ++r) {
        QElapsedTimer sinceKey;
        int linesAtKey = 0;
        QTimer::singleShot(1500, &form, [&] {
            linesAtKey = results->document()->blockCount();
            sinceKey.start();
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(form.ui().Memo_SQL, &esc);
        });
        form.BitBtn_Execute2Click(form.ui().BitBtn_Execute2);
        waitIdle();
        if (!sinceKey.isValid()) {
            goals.fail("the listing ended before Esc");
            return;
        }
        escToIdle.push_back(double(sinceKey.nsecsElapsed()) / 1e9);
        after = std::max(after, qsizetype(results->document()->blockCount() - linesAtKey));
    }
    std::sort(escToIdle.begin(), escToIdle.end());
    const double tEsc = escToIdle[escToIdle.size() / 2];
    std::printf("%-10s Esc to idle %.3f s, at most %lld lines shown after the key\n", side.label, tEsc, qint64(after));
    goals.check("SQLite Esc to idle / 0.1 s", tEsc / 0.1, 1.0);
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    testsupport::TempHome home;
    const bench::PrintedMessages messages;
    bench::Goals goals;

    if (bench::runsDatabase("sqlite")) {
        platform::engine::Database setup;
        setup.setDatabaseName(QStringLiteral("listing_bench_setup"));
        setup.setAliasName(testsupport::sqliteDsn());
        setup.setConnected(true);
        runSide(goals, {"SQLite", testsupport::sqliteDsn(), {}, {},
                        [](const QString& sql) {
                            platform::engine::Query q;
                            q.setDatabaseName(QStringLiteral("listing_bench_setup"));
                            q.sql() << sql;
                            q.execSQL();
                        },
                        false});
    }
    if (bench::runsDatabase("pg")) {
        if (testsupport::pgAvailable()) {
            const auto& pg = testsupport::pg();
            runSide(goals, {"PostgreSQL", pg.dsn, pg.user, pg.password, [](const QString& sql) { testsupport::pgExec(sql); },
                            true});
        } else {
            std::printf("PostgreSQL skipped: %s\n", qPrintable(testsupport::pgUnavailableReason()));
        }
    }
    if (messages.any())
        goals.fail("a message was shown");
    return goals.exitCode();
}
