// Query by example on a table of 100,000 rows, on SQLite and on PostgreSQL, serial key:
// - the walk that gathers the keys (ExecuteQuery) against a bare SQLFetch + SQLGetData loop over
//   the same statement on a connection opened before, the two alternated, with the main window on
//   screen (the offscreen platform); it should stay within 1.5 times the bare loop;
// - showing the next record with 1,000 and with 100,000 keys found, each record painted as the
//   user sees it; the two should be within 2x.
// Median of 9 runs each for the walk, 3 for the next record. Each ratio is checked against its
// goal (bench/Goals.h).
#include "bench/BareOdbc.h"
#include "bench/BenchWindow.h"
#include "bench/Goals.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/QueryByExample.h"
#include "workspace/tablepage/TablePage.h"

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

// The bare loop: the statement's one column read as text, row by row, on a connection opened
// before (as the engine's is).
long long bareLoop(const bench::BareConnection& connection, const QString& sql)
{
    SQLHSTMT stmt = connection.execute(sql);
    long long chars = 0;
    SQLWCHAR buf[64];
    SQLLEN ind = 0;
    while (SQL_SUCCEEDED(SQLFetch(stmt))) {
        SQLGetData(stmt, 1, SQL_C_WCHAR, buf, sizeof buf, &ind);
        chars += QString::fromUtf16(reinterpret_cast<const char16_t*>(buf), ind / 2).size();
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return chars;
}

bench::Goals goals;

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
    form.resize(798, 606);
    form.show();
    QApplication::processEvents();
    TablePageEnv env = form.tablePageEnv();
    BuildTablePage(env);
    QApplication::processEvents();

    auto queryAll = [&](const QString& appended) {
        state.InQueryMode = true;
        state.ContinueQuery = true;
        state.WherePresent = false;
        state.AppendedSql = appended;
        ClearTablePage(form.ui());
        ExecuteQuery(env);
        state.InQueryMode = false;
    };

    // The walk and the bare loop alternate, nine rounds; the window is on screen, as for a user.
    const bench::BareConnection bare(dsn, user, password);
    queryAll(QString());
    const QString statement = form.Query.sql().join(QLatin1Char('\n'));
    const std::vector<double> t = bench::alternate(9, {
        [&] {
            queryAll(QString());
            if (state.RecordKeys.size() != kRows) {
                std::fprintf(stderr, "%s: %lld keys\n", label, static_cast<long long>(state.RecordKeys.size()));
                std::exit(1);
            }
        },
        [&] { bareLoop(bare, statement); },
    });
    const double w = t[0] * 1000, b = t[1] * 1000;
    std::printf("%-10s walk of %d keys: %8.1f ms   bare fetch: %8.1f ms, window shown\n", label, kRows, w, b);
    goals.check((std::string(label) + " walk / bare fetch").c_str(), w / b, 1.5);

    auto nextCost = [&](int found) {
        queryAll(found == kRows ? QString() : QStringLiteral("id <= %1").arg(found));
        const int steps = 300;
        std::vector<double> runs;
        for (int r = 0; r < 3; ++r) {
            state.RecordIndex = found / 2 - steps;
            form.BitBtn_FirstClick(nullptr);
            runs.push_back(timeIt([&] {
                for (int i = 0; i < steps; ++i) {
                    form.BitBtn_FirstClick(form.ui().BitBtn_Next);
                    QApplication::processEvents();  // the record painted
                }
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
    std::printf("%-10s next record, painted: %.3f ms at 1,000 found, %.3f ms at 100,000 found\n", label, small, large);
    goals.check((std::string(label) + " next record at 100,000 / at 1,000 found").c_str(), large / small, 2.0);
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
    return goals.exitCode();
}
