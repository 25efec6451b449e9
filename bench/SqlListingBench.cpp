// Listing a SELECT into the SQL page's results box, against a bare SQLFetch + SQLGetData loop that
// formats the same rows to the same text: 100,000 and 200,000 rows of (integer, varchar(40),
// double) from SQLite, median of 3 runs each. The listing should stay within 3 times the bare loop,
// and 200,000 rows should take at most 2.2 times as long as 100,000.
#include "bench/BareOdbc.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/SqlCommandLine.h"

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

constexpr int kRows = 200000;

using bench::check;

QString selectFor(int rows)
{
    return QStringLiteral("SELECT i, v, d FROM listing_bench WHERE i <= %1 ORDER BY i").arg(rows);
}

// The bare loop: every column read as text and the row written as "value|value|value|" lines.
QString bareLoop(const QString& dsn, int rows)
{
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT stmt;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::u16string wdsn(reinterpret_cast<const char16_t*>(dsn.utf16()), std::size_t(dsn.size()));
    check(SQLConnectW(dbc, reinterpret_cast<SQLWCHAR*>(wdsn.data()), SQL_NTS, nullptr, 0, nullptr, 0),
          SQL_HANDLE_DBC, dbc, "connect");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    const QString sql = selectFor(rows);
    std::u16string wsql(reinterpret_cast<const char16_t*>(sql.utf16()), std::size_t(sql.size()));
    check(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(wsql.data()), SQL_NTS), SQL_HANDLE_STMT, stmt, "select");
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
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return text;
}

double medianSeconds(const std::function<void()>& run)
{
    std::vector<double> times;
    for (int k = 0; k < 3; ++k) {
        QElapsedTimer t;
        t.start();
        run();
        times.push_back(double(t.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    testsupport::TempHome home;
    // A message here is a failure of the run: it is printed and the bench fails.
    bool asked = false;
    platform::modal::ScopedResponder quiet([&](const platform::modal::Request& r) {
        asked = true;
        auto* msg = r.window ? r.window->findChild<QPlainTextEdit*>() : nullptr;
        std::fprintf(stderr, "message: %s\n", qPrintable(msg ? msg->toPlainText() : r.text));
        return platform::modal::Answer{};
    });

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
    bool ok = true;
    double listed[2] = {};
    for (int k = 0; k < 2; ++k) {
        const int rows = kRows / 2 * (k + 1);
        QString bareText;
        const double tBare = medianSeconds([&] { bareText = bareLoop(testsupport::sqliteDsn(), rows); });
        form.ui().Memo_SQL->setPlainText(selectFor(rows));
        const double tList = medianSeconds([&] { form.BitBtn_Execute2Click(form.ui().BitBtn_Execute2); });
        listed[k] = tList;
        SqlPageEnv quietEnv = MakeSqlPageEnv(form);
        quietEnv.processMessages = nullptr;
        const double tNoYield = medianSeconds([&] { BitBtn_Execute2Click(quietEnv); });
        std::printf("  breakdown: listing without yielding %.3f s\n", tNoYield);
        const double tEngine = medianSeconds([&] {
            platform::engine::Query q;
            q.setDatabaseName(form.Database.databaseName());
            q.sql() << selectFor(rows);
            q.open();
            QString all;
            QStringList values;
            while (!q.eof()) {
                for (int i = 0; i < 3; ++i) values << q.fields(i).asString();
                all += ListingLines({"i","v","d"}, values, false).first() + QLatin1Char('\n');
                values.clear();
                q.next();
            }
        });
        std::printf("  breakdown: engine rows to text only %.3f s\n", tEngine);
        const QString big = results->toPlainText();
        const double tInsert = medianSeconds([&] {
            QPlainTextEdit box; box.document()->setUndoRedoEnabled(false);
            QTextCursor c(box.document()); c.insertText(big);
        });
        std::printf("  breakdown: one insertion of the text into a text box %.3f s\n", tInsert);
        const bool same = results->toPlainText() == bareText;
        const double ratio = tList / tBare;
        std::printf("%7d rows   bare fetch as text %.3f s   listing %.3f s   listing/bare %.2f   %s   %s\n", rows,
                    tBare, tList, ratio, same ? "same text" : "TEXT DIFFERS", ratio <= 3.0 ? "within 3x" : "OVER 3x");
        if (!same) {
            const QStringList a = results->toPlainText().split(QLatin1Char('\n'));
            const QStringList b = bareText.split(QLatin1Char('\n'));
            qsizetype at = 0;
            while (at < a.size() && at < b.size() && a[at] == b[at])
                ++at;
            std::printf("  lines %lld and %lld; first difference at line %lld: %s and %s\n", qint64(a.size()),
                        qint64(b.size()), qint64(at), qPrintable(a.value(at)), qPrintable(b.value(at)));
        }
        ok = ok && same && ratio <= 3.0;
    }
    const double growth = listed[1] / listed[0];
    std::printf("200,000 / 100,000 rows: %.2f   %s\n", growth, growth <= 2.2 ? "linear (at most 2.2x)" : "OVER 2.2x");
    return ok && !asked && growth <= 2.2 ? 0 : 1;
}
