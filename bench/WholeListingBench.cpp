// The whole road of a listing as a user waits for it: 200,000 rows of five columns (integer,
// varchar(40), double, date, timestamp) selected on the SQL page, from the F5 key until the
// program is idle with the last lines shown, against `isql -b` printing the same SELECT to
// /dev/null, on SQLite and on PostgreSQL. The main window is shown (Xvfb when DISPLAY is set and
// QT_QPA_PLATFORM=xcb, else offscreen); the two alternate, median of 5 runs. Goal: within 1.5 times
// isql on both. Printed beside it for information: what no listing into a plain text box can go
// below (the statement's run plus the box alone taking the same lines), and sqlite3 and psql when
// installed.
#include "bench/BareOdbc.h"
#include "bench/BenchWindow.h"
#include "bench/BoxAlone.h"
#include "bench/Goals.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 200000;
constexpr int kRounds = 5;
constexpr int kRowsPerWrite = 100;  // the listing hands the box its rows a hundred at a time
const char* const kSelect = "SELECT i, v, d, dt, ts FROM whole_bench ORDER BY i";

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Seconds a command-line tool takes with the statement on its input and its output thrown away.
double toolSeconds(const QString& program, const QStringList& args, const QByteArray& input,
                   const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        std::fprintf(stderr, "cannot start %s\n", qPrintable(program));
        std::exit(1);
    }
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    const double s = double(t.nsecsElapsed()) / 1e9;
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        std::exit(1);
    }
    return s;
}

// F5 in the statement box, then the event loop until it has nothing left to do.
double listingSeconds(TForm_Main& form)
{
    QPlainTextEdit* box = form.ui().Memo_SQL;
    QElapsedTimer t;
    t.start();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F5, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_F5, Qt::NoModifier);
    QApplication::sendEvent(box, &release);
    QEventLoop idle;
    QTimer::singleShot(0, &idle, &QEventLoop::quit);
    idle.exec();
    QApplication::processEvents();
    return double(t.nsecsElapsed()) / 1e9;
}

struct Side {
    const char* label;
    bool pg;
    QString dsn, user, password;
    std::function<void(const QString&)> exec;
    // The other tool of the same database, for information; empty program when not installed.
    QString infoProgram;
    QStringList infoArgs;
    QProcessEnvironment infoEnv = QProcessEnvironment::systemEnvironment();
};

void runSide(bench::Goals& goals, const Side& side)
{
    side.exec(QStringLiteral("DROP TABLE IF EXISTS whole_bench"));
    side.exec(QStringLiteral("CREATE TABLE whole_bench (i integer primary key, v varchar(40), d double precision, "
                             "dt date, ts timestamp)"));
    if (side.pg)
        side.exec(QStringLiteral("INSERT INTO whole_bench SELECT g, 'row number ' || g || ' of the bench', g * 0.25, "
                                 "DATE '2020-01-01' + (g % 1000), TIMESTAMP '2020-01-01 08:30:00' + g * INTERVAL "
                                 "'1 minute' + g * INTERVAL '0.25 second' FROM generate_series(1, %1) g")
                      .arg(kRows));
    else
        side.exec(QStringLiteral("WITH RECURSIVE n(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM n WHERE g < %1) "
                                 "INSERT INTO whole_bench SELECT g, 'row number ' || g || ' of the bench', g * 0.25, "
                                 "date('2020-01-01', '+' || (g % 1000) || ' days'), "
                                 "datetime('2020-01-01 08:30:00', '+' || g || ' minutes') FROM n")
                      .arg(kRows));

    TForm_Main form;
    form.Database.setDatabaseName(QStringLiteral("whole_bench_db"));
    form.Database.setAliasName(side.dsn);
    form.Database.params() << QStringLiteral("user name=") + side.user << QStringLiteral("password=") + side.password;
    form.Database.setConnected(true);
    form.Query.setDatabaseName(form.Database.databaseName());
    form.show();
    form.ui().PageControl->setCurrentWidget(form.ui().TabSheet_CommandLine);
    form.ui().Memo_SQL->setPlainText(QString::fromLatin1(kSelect));
    form.ui().Memo_SQL->setFocus();
    QApplication::processEvents();

    QStringList isqlArgs{side.dsn};
    if (!side.user.isEmpty())
        isqlArgs << side.user << side.password;
    isqlArgs << QStringLiteral("-b");
    const QByteArray statement = QByteArray(kSelect) + '\n';

    const bench::BareConnection connection(side.dsn, side.user, side.password);
    std::vector<double> listing, isql, info, floor;
    for (int r = 0; r < kRounds; ++r) {
        listing.push_back(listingSeconds(form));
        const QString shown = form.ui().Memo_Results->toPlainText();
        const double run = connection.runSeconds(QString::fromLatin1(kSelect));
        QElapsedTimer t;
        t.start();
        bench::boxAlone(*form.ui().Memo_Results, shown, kRowsPerWrite);
        floor.push_back(run + double(t.nsecsElapsed()) / 1e9);
        isql.push_back(toolSeconds(QStringLiteral("isql"), isqlArgs, statement));
        if (!side.infoProgram.isEmpty())
            info.push_back(toolSeconds(side.infoProgram, side.infoArgs, statement, side.infoEnv));
    }
    const QString shown = form.ui().Memo_Results->toPlainText();
    const qsizetype lines = shown.isEmpty() ? 0 : shown.count(QLatin1Char('\n')) + 1;
    if (lines != kRows) {
        std::printf("%s: the listing shows %lld lines, not %d\n", side.label, qint64(lines), kRows);
        goals.fail("listing incomplete");
    }
    const double tList = median(listing), tIsql = median(isql);
    std::printf("%-10s F5 to idle %.3f s   isql -b %.3f s", side.label, tList, tIsql);
    if (!info.empty())
        std::printf("   %s %.3f s (%.2fx, for information)", qPrintable(side.infoProgram), median(info),
                    tList / median(info));
    std::printf("\n");
    std::printf("%-10s the statement's run alone + the box alone taking the lines %.3f s = %.2fx isql -b, F5 to idle "
                "%.2fx that (for information)\n",
                side.label, median(floor), median(floor) / tIsql, tList / median(floor));
    const std::string what = std::string(side.label) + " listing 200,000 rows / isql -b";
    goals.check(what.c_str(), tList / tIsql, 1.5);
    side.exec(QStringLiteral("DROP TABLE IF EXISTS whole_bench"));
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    testsupport::TempHome home;
    const bench::PrintedMessages messages;
    bench::Goals goals;

    {
        platform::engine::Database setup;
        setup.setDatabaseName(QStringLiteral("whole_bench_setup"));
        setup.setAliasName(testsupport::sqliteDsn());
        setup.setConnected(true);
        Side sqlite{"SQLite", false, testsupport::sqliteDsn(), {}, {},
                    [](const QString& sql) {
                        platform::engine::Query q;
                        q.setDatabaseName(QStringLiteral("whole_bench_setup"));
                        q.sql() << sql;
                        q.execSQL();
                    },
                    {}, {}};
        if (!QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty()) {
            sqlite.infoProgram = QStringLiteral("sqlite3");
            sqlite.infoArgs = QStringList{testsupport::sqliteFile()};
        }
        runSide(goals, sqlite);
    }
    if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        Side postgres{"PostgreSQL", true, pg.dsn, pg.user, pg.password, [](const QString& sql) { testsupport::pgExec(sql); },
                      {}, {}};
        if (!QStandardPaths::findExecutable(QStringLiteral("psql")).isEmpty()) {
            postgres.infoProgram = QStringLiteral("psql");
            postgres.infoArgs = QStringList{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-h"), pg.host,
                                            QStringLiteral("-p"), QString::number(pg.port), QStringLiteral("-U"),
                                            pg.user, QStringLiteral("-d"), pg.database};
            postgres.infoEnv.insert(QStringLiteral("PGPASSWORD"), pg.password);
        }
        runSide(goals, postgres);
    } else {
        std::printf("PostgreSQL skipped: %s\n", qPrintable(testsupport::pgUnavailableReason()));
    }
    if (messages.any())
        goals.fail("a message was shown");
    return goals.exitCode();
}
