// Query by example on a table of 100,000 rows, on SQLite and on PostgreSQL, serial key:
// - the walk that gathers the keys (ExecuteQuery) against a bare SQLFetch + SQLGetData loop over
//   the same statement; it should stay within 1.5 times the bare loop;
// - showing the next record with 1,000 and with 100,000 keys found; the two should be within 2x.
// Median of 3 runs each.
#include "bench/BareOdbc.h"
#include "bench/BenchWindow.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/QueryByExample.h"
#include "workspace/TablePage.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeIt(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

using bench::check;

// The bare loop: the statement's one column read as text, row by row.
long long bareLoop(const QString& dsn, const QString& user, const QString& password, const QString& sql)
{
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT stmt;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    const std::u16string d = dsn.toStdU16String(), u = user.toStdU16String(), p = password.toStdU16String(),
                         s = sql.toStdU16String();
    auto w = [](const std::u16string& x) { return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(x.c_str())); };
    check(SQLConnectW(dbc, w(d), SQL_NTS, u.empty() ? nullptr : w(u), SQL_NTS, p.empty() ? nullptr : w(p), SQL_NTS),
          SQL_HANDLE_DBC, dbc, "connect");
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    long long chars = 0;
    const double ms = timeIt([&] {
        check(SQLExecDirectW(stmt, w(s), SQL_NTS), SQL_HANDLE_STMT, stmt, "select");
        SQLWCHAR buf[64];
        SQLLEN ind = 0;
        while (SQL_SUCCEEDED(SQLFetch(stmt))) {
            SQLGetData(stmt, 1, SQL_C_WCHAR, buf, sizeof buf, &ind);
            chars += QString::fromUtf16(reinterpret_cast<const char16_t*>(buf), ind / 2).size();
        }
        SQLCloseCursor(stmt);
    });
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return static_cast<long long>(ms * 1000);  // microseconds
}

void run(const char* label, const QString& dsn, const QString& user, const QString& password, const QString& dbType,
         const std::function<void(const QString&)>& execSql, bool pg)
{
    TForm_Main form;
    TDataBaseObj db;
    bench::connectWindow(form, db, QStringLiteral("qbe_bench_db"), dbType, dsn, user, password);

    execSql(QStringLiteral("DROP TABLE IF EXISTS qbe_bench"));
    execSql(pg ? QStringLiteral("CREATE TABLE qbe_bench (id SERIAL PRIMARY KEY, name VARCHAR(30), n INTEGER)")
               : QStringLiteral("CREATE TABLE qbe_bench (id INTEGER PRIMARY KEY, name VARCHAR(30), n INTEGER)"));
    execSql(pg ? QStringLiteral("INSERT INTO qbe_bench (name, n) SELECT 'name ' || g, g FROM generate_series(1, 100000) g")
               : QStringLiteral("WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s WHERE g < 100000)"
                                " INSERT INTO qbe_bench (name, n) SELECT 'name ' || g, g FROM s"));

    MainState& state = form.state();
    state.SerialFields = {QStringLiteral("QBE_BENCH=ID")};
    state.CurrentTable = QStringLiteral("qbe_bench");
    TablePageEnv env = form.tablePageEnv();
    BuildTablePage(env);

    auto queryAll = [&](const QString& appended) {
        state.InQueryMode = true;
        state.ContinueQuery = true;
        state.WherePresent = false;
        state.AppendedSql = appended;
        ClearTablePage(form.ui());
        ExecuteQuery(env);
        state.InQueryMode = false;
    };

    std::vector<double> walk, bare;
    for (int i = 0; i < 3; ++i) {
        walk.push_back(timeIt([&] { queryAll(QString()); }));
        if (state.RecordKeys.size() != kRows) {
            std::fprintf(stderr, "%s: %lld keys\n", label, static_cast<long long>(state.RecordKeys.size()));
            std::exit(1);
        }
        bare.push_back(bareLoop(dsn, user, password, form.Query.sql().join(QLatin1Char('\n'))) / 1000.0);
    }
    const double w = median(walk), b = median(bare);
    std::printf("%-10s walk of %d keys: %8.1f ms   bare fetch: %8.1f ms   ratio %.2f (limit 1.5)\n", label, kRows, w, b,
                w / b);

    auto nextCost = [&](int found) {
        queryAll(found == kRows ? QString() : QStringLiteral("id <= %1").arg(found));
        const int steps = 300;
        std::vector<double> runs;
        for (int r = 0; r < 3; ++r) {
            state.RecordIndex = found / 2 - steps;
            form.BitBtn_FirstClick(nullptr);
            runs.push_back(timeIt([&] {
                for (int i = 0; i < steps; ++i)
                    form.BitBtn_FirstClick(form.ui().BitBtn_Next);
            }) / steps);
            // The page must really show the record stepped to.
            for (QWidget* w : PageControls(form.ui())) {
                if (auto* e = qobject_cast<QLineEdit*>(w); e && e->property("FieldName").toString() == QLatin1String("id")
                    && e->text() != state.RecordKeys.at(state.RecordIndex)) {
                    std::fprintf(stderr, "%s: shows %s for key %s\n", label, qPrintable(e->text()),
                                 qPrintable(state.RecordKeys.at(state.RecordIndex)));
                    std::exit(1);
                }
            }
        }
        return median(runs);
    };
    const double small = nextCost(1000), large = nextCost(kRows);
    std::printf("%-10s next record: %.3f ms at 1,000 found, %.3f ms at 100,000 found   ratio %.2f (limit 2)\n", label,
                small, large, large / small);
    form.state().CurrentDatabase = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    testsupport::TempHome home;
    platform::modal::ScopedResponder responder([](const platform::modal::Request&) { return platform::modal::Answer{}; });

    {
        platform::engine::Database db;
        db.setDatabaseName(QStringLiteral("qbe_bench_setup"));
        db.setAliasName(testsupport::sqliteDsn());
        db.setConnected(true);
        run("SQLite", testsupport::sqliteDsn(), {}, {}, QStringLiteral("ACCESS"),
            [](const QString& sql) {
                platform::engine::Query q;
                q.setDatabaseName(QStringLiteral("qbe_bench_setup"));
                q.sql() << sql;
                q.execSQL();
            },
            false);
    }
    if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        run("PostgreSQL", pg.dsn, pg.user, pg.password, QStringLiteral("POSTGRESQL"),
            [](const QString& sql) { testsupport::pgExec(sql); }, true);
    } else {
        std::printf("PostgreSQL skipped: %s\n", testsupport::pgUnavailableReason().toUtf8().constData());
    }
    return 0;
}
