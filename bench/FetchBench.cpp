// Fetch speed of the engine's query dataset against a bare SQLFetch + SQLGetData loop: 200,000
// rows of (integer, varchar(40), double) from SQLite and from PostgreSQL, both on connections opened
// before the timing, the runs alternated, median of 5 each.
// The engine should stay within 1.3 times the bare loop.
#include "bench/BareOdbc.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"

#include <QCoreApplication>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 200000;
const char16_t kSelect[] = u"SELECT i, v, d FROM fetch_bench";

struct Sums {
    long long ints = 0;
    long long chars = 0;
    double reals = 0;
    bool operator==(const Sums& o) const { return ints == o.ints && chars == o.chars && reals == o.reals; }
};

using bench::check;

// The bare loop: one statement on a connection opened before, columns read with the same C types
// the engine uses.
Sums bareLoop(const bench::BareConnection& connection, bool wide)
{
    SQLHSTMT stmt = connection.execute(QString::fromUtf16(kSelect));
    Sums s;
    SQLINTEGER i = 0;
    double d = 0;
    char16_t wtext[128];
    char text[256];
    SQLLEN ind = 0;
    while (SQLFetch(stmt) == SQL_SUCCESS) {
        SQLGetData(stmt, 1, SQL_C_SLONG, &i, sizeof i, &ind);
        s.ints += i;
        if (wide) {
            SQLGetData(stmt, 2, SQL_C_WCHAR, wtext, sizeof wtext, &ind);
            s.chars += ind / 2;
        } else {
            SQLGetData(stmt, 2, SQL_C_CHAR, text, sizeof text, &ind);
            s.chars += ind;
        }
        SQLGetData(stmt, 3, SQL_C_DOUBLE, &d, sizeof d, &ind);
        s.reals += d;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    return s;
}

Sums engineLoop(const QString& databaseName)
{
    platform::engine::Query q;
    q.setDatabaseName(databaseName);
    q.sql() << QString::fromUtf16(kSelect);
    q.open();
    Sums s;
    while (!q.eof()) {
        s.ints += q.fields(0).asInteger();
        s.chars += q.fields(1).asString().size();
        s.reals += q.fields(2).asFloat();
        q.next();
    }
    q.close();
    return s;
}

bool benchOne(const char* label, const QString& dsn, const QString& user, const QString& password,
              const std::function<void(platform::engine::Database&)>& fill)
{
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("fetch_bench_") + QLatin1String(label));
    db.setAliasName(dsn);
    db.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
    db.setConnected(true);
    fill(db);

    // Both sides on connections opened before the timing; the three runs alternate, five rounds.
    const bench::BareConnection connection(dsn, user, password);
    Sums bare, bareNarrow, engine;
    const std::vector<double> t = bench::alternate(5, {
        [&] { bare = bareLoop(connection, true); },
        [&] { bareNarrow = bareLoop(connection, false); },
        [&] { engine = engineLoop(db.databaseName()); },
    });
    const double tBare = t[0], tNarrow = t[1], tEngine = t[2];
    const bool same = bare == engine && bare.ints == bareNarrow.ints;
    const double ratio = tEngine / tBare;
    std::printf("%-10s bare (SQL_C_WCHAR) %.3f s   bare (SQL_C_CHAR) %.3f s   engine %.3f s   "
                "engine/bare %.2f   engine/bare narrow %.2f   %s   %s\n",
                label, tBare, tNarrow, tEngine, ratio, tEngine / tNarrow, same ? "same values" : "VALUES DIFFER",
                ratio <= 1.3 ? "within 1.3x" : "OVER 1.3x");
    return same && ratio <= 1.3;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QCoreApplication app(argc, argv);
    testsupport::TempHome home;
    bool ok = benchOne("SQLite", testsupport::sqliteDsn(), {}, {}, [](platform::engine::Database& db) {
        platform::engine::Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << QStringLiteral("DROP TABLE IF EXISTS fetch_bench");
        q.execSQL();
        q.sql().clear();
        q.sql() << QStringLiteral("CREATE TABLE fetch_bench (i integer, v varchar(40), d double)");
        q.execSQL();
        q.sql().clear();
        q.sql() << QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1)")
                       .arg(kRows)
                << QStringLiteral("INSERT INTO fetch_bench SELECT x, 'row number ' || x || ' of the bench', x * 0.25 FROM n");
        q.execSQL();
    });
    if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        ok = benchOne("PostgreSQL", pg.dsn, pg.user, pg.password, [](platform::engine::Database&) {
                 testsupport::pgExec(
                     QStringLiteral("DROP TABLE IF EXISTS fetch_bench;"
                                    "CREATE TABLE fetch_bench (i integer, v varchar(40), d double precision);"
                                    "INSERT INTO fetch_bench SELECT g, 'row number ' || g || ' of the bench', g * 0.25"
                                    " FROM generate_series(1, %1) g")
                         .arg(kRows));
             }) && ok;
    } else {
        std::printf("PostgreSQL: skipped, %s\n", qPrintable(testsupport::pgUnavailableReason()));
    }
    return ok ? 0 : 1;
}
