#include "app/ConnectionStatus.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"

#include <QStatusBar>
#include <gtest/gtest.h>

namespace {
TDataBaseObj database(const char* type)
{
    TDataBaseObj o;
    o.DBType = QString::fromUtf8(type);
    o.DataSource = QStringLiteral("dsn1");
    o.TNS = QStringLiteral("ORCL");
    o.Server = QStringLiteral("srv");
    o.InformixServer = QStringLiteral("ifxsrv");
    o.DBPath = QStringLiteral("path");
    return o;
}
} // namespace

TEST(ConnectionText, ByTypeAndAlterRegInfo)
{
    struct Case {
        bool alterRegInfo;
        const char* type;
        const char* expected;
    } cases[] = {
        {false, "SQL SERVER", "[SQL SERVER]     [DATA SOURCE = dsn1]     "},
        {false, "", "[]     [DATA SOURCE = dsn1]     "},
        {true, "ORACLE", "[ORACLE]     [DATA SOURCE = dsn1]     [TNS = ORCL]     "},
        {true, "SQL SERVER", "[SQL SERVER]     [DATA SOURCE = dsn1]     [SERVER = srv]     [DATABASE = path]     "},
        {true, "DBASE", "[DBASE]     [DATA SOURCE = dsn1]     [DATABASE = path]     "},
        {true, "ACCESS", "[ACCESS]     [DATA SOURCE = dsn1]     [DATABASE = path] "},
        {true, "INFORMIX",
         "[INFORMIX]     [DATA SOURCE = dsn1]     [HOST = srv]     [SERVER = ifxsrv]     [PATH = path]     "},
        // types are compared exactly; a placeholder's empty type gives nothing
        {true, "Oracle", ""},
        {true, "", ""},
    };
    QStatusBar bar;
    for (const Case& c : cases) {
        MainState state;
        TDataBaseObj db = database(c.type);
        state.CurrentDatabase = &db;
        state.AlterRegInfo = c.alterRegInfo;
        bar.setToolTip(QStringLiteral("old"));
        EXPECT_EQ(GetConnectionText(state, &bar), QString::fromUtf8(c.expected)) << c.type;
        EXPECT_EQ(bar.toolTip(), QString::fromUtf8(c.expected)) << c.type;
    }
}

TEST(ConnectionText, EmptyFieldsAndNoDatabase)
{
    MainState state;
    QStatusBar bar;
    bar.setToolTip(QStringLiteral("old"));
    EXPECT_EQ(GetConnectionText(state, &bar), QString());
    EXPECT_EQ(bar.toolTip(), QString());

    TDataBaseObj db;
    db.DBType = QStringLiteral("ORACLE");
    state.CurrentDatabase = &db;
    state.AlterRegInfo = true;
    EXPECT_EQ(GetConnectionText(state, nullptr), QStringLiteral("[ORACLE]     [DATA SOURCE = ]     [TNS = ]     "));
}

TEST(TableNamesList, SortedWithoutRegardToCaseEachNameOnce)
{
    QStringList names;
    for (const char* n : {"orders", "Items", "ITEMS", "b_table", "Alpha", "items", "Orders2", "alpha"})
        AddTableName(names, QString::fromUtf8(n));
    EXPECT_EQ(names, QStringList({"Alpha", "b_table", "Items", "orders", "Orders2"}));
    EXPECT_TRUE(HasTableName(names, QStringLiteral("ORDERS")));
    EXPECT_TRUE(HasTableName(names, QStringLiteral("alpha")));
    EXPECT_FALSE(HasTableName(names, QStringLiteral("order")));
    EXPECT_FALSE(HasTableName(QStringList(), QStringLiteral("x")));
}

TEST(TableNamesList, OwnerPrefixesByTypeAndSynonyms)
{
    const QStringList engine = {"dbo.Orders", "sales.orders", "sys_x.Items", "Bare", "scott.emp.old", "MIXED.Case"};
    struct Case {
        const char* type;
        bool useSynonyms;
        QStringList expected;
    } cases[] = {
        {"SQL SERVER", false, {"Bare", "Case", "emp.old", "Items", "Orders"}},
        {"ORACLE", true, {"Bare", "Case", "emp.old", "Items", "Orders"}},
        {"ORACLE", false, {"Bare", "dbo.Orders", "MIXED.Case", "sales.orders", "scott.emp.old", "sys_x.Items"}},
        // only the exact type keeps the owner
        {"oracle", false, {"Bare", "Case", "emp.old", "Items", "Orders"}},
        {"", false, {"Bare", "Case", "emp.old", "Items", "Orders"}},
    };
    for (const Case& c : cases) {
        MainState state;
        TDataBaseObj db;
        db.DBType = QString::fromUtf8(c.type);
        state.CurrentDatabase = &db;
        state.UseSynonyms = c.useSynonyms;
        state.TableNames = QStringList{"stale"};
        LoadTableNamesFrom(state, engine);
        EXPECT_EQ(state.TableNames, c.expected) << c.type << " " << c.useSynonyms;
    }

    MainState noDatabase;
    LoadTableNamesFrom(noDatabase, engine);
    EXPECT_EQ(noDatabase.TableNames.size(), 5);
}

namespace {
struct Connected {
    platform::engine::Database db;
    explicit Connected(const QString& dsn, const QString& user = {}, const QString& password = {})
    {
        db.setDatabaseName(dsn);
        db.setAliasName(dsn);
        db.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        db.setConnected(true);
    }
    void exec(const QString& sql)
    {
        platform::engine::Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << sql;
        q.execSQL();
    }
};
} // namespace

TEST(LoadTableNamesEngine, SqliteNamesComeBare)
{
    testsupport::TempHome home;
    Connected c(testsupport::sqliteDsn());
    c.exec(QStringLiteral("CREATE TABLE tn_zeta (id integer)"));
    c.exec(QStringLiteral("CREATE TABLE TN_Alpha (id integer)"));
    MainState state;
    state.TableNames = QStringList{"stale"};
    LoadTableNames(state, testsupport::sqliteDsn());
    EXPECT_TRUE(HasTableName(state.TableNames, QStringLiteral("tn_zeta")));
    EXPECT_TRUE(state.TableNames.contains(QStringLiteral("TN_Alpha")));
    EXPECT_FALSE(HasTableName(state.TableNames, QStringLiteral("stale")));
    EXPECT_LT(state.TableNames.indexOf(QStringLiteral("TN_Alpha")), state.TableNames.indexOf(QStringLiteral("tn_zeta")));
    c.exec(QStringLiteral("DROP TABLE tn_zeta"));
    c.exec(QStringLiteral("DROP TABLE TN_Alpha"));
}

TEST(LoadTableNamesEngine, PostgresNamesLoseTheirSchema)
{
    if (!testsupport::pgAvailable())
        GTEST_SKIP() << "no PostgreSQL server";
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    testsupport::pgExec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS tn_other AUTHORIZATION ") + pg.user);
    testsupport::pgExec(QStringLiteral("DROP TABLE IF EXISTS public.tn_items, tn_other.\"TN_Items\", public.tn_solo"));
    testsupport::pgExec(QStringLiteral("CREATE TABLE public.tn_items (id int); CREATE TABLE tn_other.\"TN_Items\" (id int);"
                                       " CREATE TABLE public.tn_solo (id int);"
                                       " GRANT USAGE ON SCHEMA tn_other TO ") + pg.user
                        + QStringLiteral("; ALTER TABLE public.tn_items OWNER TO ") + pg.user
                        + QStringLiteral("; ALTER TABLE tn_other.\"TN_Items\" OWNER TO ") + pg.user
                        + QStringLiteral("; ALTER TABLE public.tn_solo OWNER TO ") + pg.user);
    Connected c(pg.dsn, pg.user, pg.password);

    MainState state;
    LoadTableNames(state, pg.dsn);
    EXPECT_TRUE(state.TableNames.contains(QStringLiteral("tn_solo")));
    EXPECT_FALSE(state.TableNames.contains(QStringLiteral("public.tn_solo")));
    // the same name under two schemas, in other case: one entry
    EXPECT_TRUE(HasTableName(state.TableNames, QStringLiteral("TN_ITEMS")));
    EXPECT_EQ(state.TableNames.filter(QStringLiteral("tn_items"), Qt::CaseInsensitive).size(), 1);

    testsupport::pgExec(QStringLiteral("DROP TABLE public.tn_items, tn_other.\"TN_Items\", public.tn_solo; DROP SCHEMA tn_other"));
}

TEST(LoadTableNamesEngine, EngineErrorReachesTheCallerWithTheListEmptied)
{
    testsupport::TempHome home;
    MainState state;
    state.TableNames = QStringList{"stale"};
    EXPECT_THROW(LoadTableNames(state, QStringLiteral("not_connected_anywhere")), platform::engine::EngineError);
    EXPECT_TRUE(state.TableNames.isEmpty());
}
