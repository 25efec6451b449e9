// Listing a SELECT into the SQL page's results box, with the main window shown (Xvfb when
// QT_QPA_PLATFORM=xcb and DISPLAY are set, else offscreen), against a bare SQLFetch + SQLGetData
// loop that formats the same rows to the same text on a connection opened before: 100,000 to
// 1,000,000 rows of (integer, varchar(40), double) from SQLite, the two alternated, median of 5
// runs (3 from 500,000 rows). Goals (bench/Goals.h): the listing within 2.5 times the bare loop,
// and linear: the time per row at 1,000,000 rows within 1.1 times that at 100,000. For information,
// the insertion of the whole text into a plain text box of one block per line, which the results
// box avoids by holding its lines in blocks of lines.
#include "bench/BareOdbc.h"
#include "bench/BenchWindow.h"
#include "bench/Goals.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/sqlpage/SqlCommandLine.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextCursor>

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

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    testsupport::TempHome home;
    const bench::PrintedMessages messages;

    TForm_Main form;
    form.Database.setDatabaseName(QStringLiteral("listing_bench"));
    form.Database.setAliasName(testsupport::sqliteDsn());
    form.Database.setConnected(true);
    form.Query.setDatabaseName(form.Database.databaseName());
    form.show();
    form.ui().PageControl->setCurrentWidget(form.ui().TabSheet_CommandLine);
    QApplication::processEvents();
    {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        for (const QString& sql :
             {QStringLiteral("DROP TABLE IF EXISTS listing_bench"),
              QStringLiteral("CREATE TABLE listing_bench (i integer primary key, v varchar(40), d double)"),
              QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                             "INSERT INTO listing_bench SELECT x, 'row number ' || x || ' of the bench', x * 0.25 FROM n")
                  .arg(kRows)}) {
            q.sql().clear();
            q.sql() << sql;
            q.execSQL();
        }
    }

    QPlainTextEdit* results = form.ui().Memo_Results;
    const bench::BareConnection connection(testsupport::sqliteDsn(), {}, {});
    bench::Goals goals;
    const int sizes[] = {100000, 200000, 500000, 1000000};
    double perRow[4] = {}, insertPerRow[4] = {};
    for (int k = 0; k < 4; ++k) {
        const int rows = sizes[k];
        const int rounds = rows <= 200000 ? 5 : 3;
        QString bareText;
        form.ui().Memo_SQL->setPlainText(selectFor(rows));
        // The bare loop and the listing alternate.
        const std::vector<double> t = bench::alternate(rounds, {
            [&] { bareText = bareLoop(connection, rows); },
            [&] { form.BitBtn_Execute2Click(form.ui().BitBtn_Execute2); },
        });
        const double tBare = t[0], tList = t[1];
        perRow[k] = tList / rows;
        const bool same = results->toPlainText() == bareText;
        // Where time could grow faster than the rows: the text box's own insertion of the text.
        const QString big = results->toPlainText();
        const double tInsert = bench::alternate(1, {[&] {
            QPlainTextEdit box;
            box.document()->setUndoRedoEnabled(false);
            QTextCursor c(box.document());
            c.insertText(big);
        }})[0];
        insertPerRow[k] = tInsert / rows;
        const double ratio = tList / tBare;
        std::printf("%8d rows   bare fetch as text %.3f s   listing %.3f s   one insertion, a block per line %.3f s   %s\n",
                    rows, tBare, tList, tInsert, same ? "same text" : "TEXT DIFFERS");
        const std::string what = "listing / bare loop, " + std::to_string(rows) + " rows";
        goals.check(what.c_str(), ratio, 2.5);
        if (!same) {
            const QStringList a = results->toPlainText().split(QLatin1Char('\n'));
            const QStringList b = bareText.split(QLatin1Char('\n'));
            qsizetype at = 0;
            while (at < a.size() && at < b.size() && a[at] == b[at])
                ++at;
            std::printf("  lines %lld and %lld; first difference at line %lld: %s and %s\n", qint64(a.size()),
                        qint64(b.size()), qint64(at), qPrintable(a.value(at)), qPrintable(b.value(at)));
        }
        if (!same)
            goals.fail("the listing's text differs from the bare loop's");
    }
    // Linear: the time per row at 1,000,000 rows against that at 100,000.
    const double growth = perRow[3] / perRow[0];
    const double insertGrowth = insertPerRow[3] / insertPerRow[0];
    std::printf("time per row, 1,000,000 against 100,000 rows: text box insertion alone %.2f (for information)\n",
                insertGrowth);
    goals.check("listing time per row, 1,000,000 / 100,000 rows", growth, 1.1);
    if (messages.any())
        goals.fail("a message was shown");
    return goals.exitCode();
}
