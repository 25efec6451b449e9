#include "workspace/tablepage/ColumnList.h"

#include "app/MainState.h"
#include "platform/ado/Ado.h"
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

using namespace platform::engine;

namespace {

struct Expected {
    const char* name;
    int type;
    int size;
    bool serial;
    bool unique;
};

// The main window's datasets on one connected database, and the state the loader reads.
class ColumnListFixture : public ::testing::Test {
protected:
    void connect(const QString& dsn, const QString& user = {}, const QString& password = {})
    {
        db.setDatabaseName(QStringLiteral("columns_db"));
        db.setAliasName(dsn);
        db.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        db.setConnected(true);
        table.setDatabaseName(db.databaseName());
        query.setDatabaseName(db.databaseName());
        // Table2 is left unbound: the loader binds it to Table's database.
        dbObj.DataSource = dsn;
        dbObj.UserName = user;
        dbObj.Password = password;
        state.CurrentDatabase = &dbObj;
    }

    void SetUp() override { connect(testsupport::sqliteDsn()); }

    void exec(const QStringList& statements)
    {
        for (const QString& sql : statements) {
            Query q;
            q.setDatabaseName(db.databaseName());
            q.sql() << sql;
            q.execSQL();
        }
    }

    // Catalogue stand-ins for the three database types, empty. syscolumns carries the columns
    // of both its SQL Server and its Informix layout.
    void createCatalogues()
    {
        exec({QStringLiteral("DROP TABLE IF EXISTS dba_trigger_cols"),
              QStringLiteral("DROP TABLE IF EXISTS sysobjects"),
              QStringLiteral("DROP TABLE IF EXISTS syscolumns"),
              QStringLiteral("DROP TABLE IF EXISTS systables"),
              QStringLiteral("CREATE TABLE dba_trigger_cols (table_owner varchar(30), table_name varchar(30), "
                             "trigger_owner varchar(30), trigger_name varchar(30), column_name varchar(30))"),
              QStringLiteral("CREATE TABLE sysobjects (type varchar(2), name varchar(30), id integer)"),
              QStringLiteral("CREATE TABLE syscolumns (id integer, name varchar(30), colstat integer, "
                             "tabid integer, colname varchar(30), coltype integer)"),
              QStringLiteral("CREATE TABLE systables (tabid integer, tabname varchar(30))")});
    }

    void dropCatalogues()
    {
        exec({QStringLiteral("DROP TABLE IF EXISTS dba_trigger_cols"),
              QStringLiteral("DROP TABLE IF EXISTS sysobjects"),
              QStringLiteral("DROP TABLE IF EXISTS syscolumns"),
              QStringLiteral("DROP TABLE IF EXISTS systables")});
    }

    void recreate(const QString& name, const QString& columns)
    {
        exec({QStringLiteral("DROP TABLE IF EXISTS ") + name,
              QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (") + columns + QLatin1Char(')')});
    }

    ColumnSources sources() { return {&table, &table2, &query, &ado}; }

    ColumnList load(const QString& tableName)
    {
        ColumnListLoader loader(state, sources());
        ColumnList list;
        loader.LoadFieldObjects(tableName, list);
        return list;
    }

    static void expectList(const ColumnList& list, const std::vector<Expected>& expected)
    {
        ASSERT_EQ(list.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(expected[i].name);
            const TFieldObject& o = *list[i].second;
            EXPECT_EQ(list[i].first, QString::fromLatin1(expected[i].name));
            EXPECT_EQ(o.ColumnName, QString::fromLatin1(expected[i].name));
            EXPECT_EQ(o.ColumnType, expected[i].type);
            EXPECT_EQ(o.ColumnSize, expected[i].size);
            EXPECT_EQ(o.IsSerial, expected[i].serial);
            EXPECT_EQ(o.IsUnique, expected[i].unique);
            EXPECT_EQ(o.ControlTop, 0);
            EXPECT_EQ(o.DataControl, nullptr);
            EXPECT_EQ(o.LabelEdit, nullptr);
        }
    }

    testsupport::TempHome home;
    Database db;
    Table table, table2;
    Query query;
    platform::ado::AdoQuery ado;
    TDataBaseObj dbObj;
    MainState state;
};

TEST_F(ColumnListFixture, TypesSizesAndLowerCaseNamesOnSQLite)
{
    recreate(QStringLiteral("qv_types"),
             QStringLiteral("Id integer primary key autoincrement, Title varchar(40), code char(3), "
                            "small smallint, n integer, big bigint, price double, flag boolean, born date, "
                            "seen timestamp, notes text, picture blob"));
    dbObj.DBType = QStringLiteral("UNKNOWN : sqlite");
    const ColumnList list = load(QStringLiteral("qv_types"));
    expectList(list, {{"id", ftAutoInc, 3, true, false},
                      {"title", ftString, 40, false, false},
                      {"code", ftString, 3, false, false},
                      {"small", ftSmallint, 1, false, false},
                      {"n", ftInteger, 3, false, false},
                      {"big", ftInteger, 7, false, false},
                      {"price", ftFloat, 7, false, false},
                      {"flag", ftBoolean, 1, false, false},
                      {"born", ftDate, 3, false, false},
                      {"seen", ftDateTime, 7, false, false},
                      {"notes", ftMemo, -1, false, false},
                      {"picture", ftBlob, -1, false, false}});
    EXPECT_FALSE(table.active());
}

TEST_F(ColumnListFixture, ReloadReplacesTheOldObjects)
{
    recreate(QStringLiteral("qv_a"), QStringLiteral("a1 integer, a2 integer"));
    recreate(QStringLiteral("qv_b"), QStringLiteral("b1 varchar(5)"));
    ColumnListLoader loader(state, sources());
    ColumnList list;
    loader.LoadFieldObjects(QStringLiteral("qv_a"), list);
    ASSERT_EQ(list.size(), 2u);
    const std::weak_ptr<TFieldObject> old = list[0].second;
    loader.LoadFieldObjects(QStringLiteral("qv_b"), list);
    EXPECT_TRUE(old.expired());
    expectList(list, {{"b1", ftString, 5, false, false}});
}

// Each catalogue holds the serial column among rows that each miss one condition of its query; the
// query's text is kept, line by line, as it ran.
TEST_F(ColumnListFixture, CatalogueQueriesPerDatabaseType)
{
    struct Case {
        const char* dbType;
        QString tableName;
        QStringList rows;
        QString serialName;
        bool throughAdo;
        QStringList lines;
    };
    const std::vector<Case> cases = {
        {"ORACLE", QStringLiteral("qv_staff"),
         {QStringLiteral("INSERT INTO dba_trigger_cols VALUES ('VOLTADBA','QV_STAFF','OTHER','TRG_A','NAME')"),
          QStringLiteral("INSERT INTO dba_trigger_cols VALUES ('OTHER','QV_STAFF','VOLTADBA','TRG_A','NAME')"),
          QStringLiteral("INSERT INTO dba_trigger_cols VALUES ('VOLTADBA','QV_OTHER','VOLTADBA','TRG_A','NAME')"),
          QStringLiteral("INSERT INTO dba_trigger_cols VALUES ('VOLTADBA','QV_STAFF','VOLTADBA','AUDIT_A','NAME')"),
          QStringLiteral("INSERT INTO dba_trigger_cols VALUES ('VOLTADBA','QV_STAFF','VOLTADBA','TRG_STAFF','STAFF_NO')")},
         QStringLiteral("STAFF_NO"), false,
         {QStringLiteral("SELECT column_name FROM dba_trigger_cols"),
          QStringLiteral("WHERE  table_owner   = 'VOLTADBA'"),
          QStringLiteral("AND table_name = 'QV_STAFF'"),
          QStringLiteral("AND trigger_owner = 'VOLTADBA'"),
          QStringLiteral("AND trigger_name LIKE 'TRG_%'")}},
        {"SQL SERVER", QStringLiteral("QV_Staff"),
         {QStringLiteral("INSERT INTO sysobjects VALUES ('U','qv_staff',1)"),
          QStringLiteral("INSERT INTO sysobjects VALUES ('V','qv_staff',2)"),
          QStringLiteral("INSERT INTO sysobjects VALUES ('U','qv_other',3)"),
          QStringLiteral("INSERT INTO syscolumns (id, name, colstat) VALUES (1,'badge',0)"),
          QStringLiteral("INSERT INTO syscolumns (id, name, colstat) VALUES (2,'name',1)"),
          QStringLiteral("INSERT INTO syscolumns (id, name, colstat) VALUES (3,'name',1)"),
          QStringLiteral("INSERT INTO syscolumns (id, name, colstat) VALUES (1,'Staff_No',1)")},
         QStringLiteral("Staff_No"), true,
         {QStringLiteral("SELECT syscolumns.name"),
          QStringLiteral("FROM sysobjects, syscolumns"),
          QStringLiteral("WHERE sysobjects.type = 'U'"),
          QStringLiteral("AND sysobjects.name = 'qv_staff'"),
          QStringLiteral("AND sysobjects.id  = syscolumns.id"),
          QStringLiteral("AND syscolumns.colstat = 1")}},
        {"INFORMIX", QStringLiteral("QV_STAFF"),
         {QStringLiteral("INSERT INTO systables VALUES (50,'qv_staff')"),
          QStringLiteral("INSERT INTO systables VALUES (100,'qv_staff')"),
          QStringLiteral("INSERT INTO systables VALUES (101,'qv_other')"),
          QStringLiteral("INSERT INTO syscolumns (tabid, colname, coltype) VALUES (50,'name',262)"),
          QStringLiteral("INSERT INTO syscolumns (tabid, colname, coltype) VALUES (101,'name',262)"),
          QStringLiteral("INSERT INTO syscolumns (tabid, colname, coltype) VALUES (100,'name',6)"),
          QStringLiteral("INSERT INTO syscolumns (tabid, colname, coltype) VALUES (100,'staff_no',262)")},
         QStringLiteral("staff_no"), false,
         {QStringLiteral("SELECT syscolumns.colname"),
          QStringLiteral("FROM systables, syscolumns"),
          QStringLiteral("WHERE syscolumns.tabid = systables.tabid"),
          QStringLiteral("AND systables.tabname = 'qv_staff'"),
          QStringLiteral("AND syscolumns.coltype = 262"),
          QStringLiteral("AND systables.tabid > 99")}},
    };
    recreate(QStringLiteral("qv_staff"), QStringLiteral("name varchar(20), staff_no integer, badge varchar(10)"));
    state.AddRowId = true;
    state.UniqueFields << QStringLiteral("QV_STAFF=BADGE");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dbType);
        createCatalogues();
        exec(c.rows);
        dbObj.DBType = QString::fromLatin1(c.dbType);
        query.sql().clear();
        ado.sql().clear();

        table.setTableName(c.tableName);
        table.open();
        ColumnListLoader loader(state, sources());
        EXPECT_EQ(loader.FindSerialField(table, dbObj.DBType), c.serialName);
        table.close();
        EXPECT_EQ((c.throughAdo ? ado.sql() : query.sql()), c.lines);
        EXPECT_TRUE((c.throughAdo ? query.sql() : ado.sql()).isEmpty());
        EXPECT_FALSE(query.active());
        EXPECT_FALSE(ado.active());

        // Found, so no synthetic row identifier; the unique column matched by the table's name in
        // whatever case it was given.
        const ColumnList list = load(c.tableName);
        expectList(list, {{"name", ftString, 20, false, false},
                          {"staff_no", ftInteger, 3, true, false},
                          {"badge", ftString, 10, false, true}});
    }
}

TEST_F(ColumnListFixture, SqlServerCatalogueConnectsToTheCurrentDataSource)
{
    recreate(QStringLiteral("qv_staff"), QStringLiteral("name varchar(20)"));
    createCatalogues();
    dbObj.DBType = QStringLiteral("SQL SERVER");
    dbObj.DataSource = QStringLiteral("qv_columns_nowhere");
    EXPECT_THROW(load(QStringLiteral("qv_staff")), platform::ado::AdoError);
}

// Nothing from the catalogue: only a first column with "serial" in its name is taken.
TEST_F(ColumnListFixture, FirstColumnRuleOnEveryDatabaseType)
{
    createCatalogues();
    recreate(QStringLiteral("qv_orders"), QStringLiteral("Order_Serial integer, qty integer"));
    recreate(QStringLiteral("qv_items"), QStringLiteral("id integer, item_serial integer"));
    state.AddRowId = true;
    for (const char* type : {"ORACLE", "SQL SERVER", "INFORMIX", "ACCESS", "DBASE", "UNKNOWN : x"}) {
        SCOPED_TRACE(type);
        dbObj.DBType = QString::fromLatin1(type);
        expectList(load(QStringLiteral("qv_orders")),
                   {{"order_serial", ftInteger, 3, true, false}, {"qty", ftInteger, 3, false, false}});

        const ColumnList items = load(QStringLiteral("qv_items"));
        const bool rowId = dbObj.DBType == QLatin1String("ORACLE") || dbObj.DBType == QLatin1String("INFORMIX");
        ASSERT_EQ(items.size(), rowId ? 3u : 2u);
        EXPECT_FALSE(items.back().second->IsSerial);
        EXPECT_EQ(items.back().first, QStringLiteral("item_serial"));
    }
}

TEST_F(ColumnListFixture, SyntheticRowIdOnlyForOracleAndInformixPageLoads)
{
    createCatalogues();
    recreate(QStringLiteral("qv_plain"), QStringLiteral("code varchar(8)"));
    struct Case {
        const char* dbType;
        bool addRowId;
        int rowIdType;  // 0: no row identifier
        int rowIdSize;
    };
    const Case cases[] = {
        {"ORACLE", true, ftString, 50},
        {"INFORMIX", true, ftInteger, 8},
        {"ORACLE", false, 0, 0},
        {"INFORMIX", false, 0, 0},
        {"SQL SERVER", true, 0, 0},
        {"ACCESS", true, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dbType) + (c.addRowId ? " page" : " dialog"));
        dbObj.DBType = QString::fromLatin1(c.dbType);
        state.AddRowId = c.addRowId;
        std::vector<Expected> expected;
        if (c.rowIdType)
            expected.push_back({"rowid", c.rowIdType, c.rowIdSize, true, false});
        expected.push_back({"code", ftString, 8, false, false});
        expectList(load(QStringLiteral("qv_plain")), expected);
    }
}

// Access and dBASE take the serial column from the field definitions, read through Table2.
TEST_F(ColumnListFixture, AccessAndDbaseTakeTheAutoIncrementField)
{
    recreate(QStringLiteral("qv_auto"), QStringLiteral("label varchar(10), Ref integer primary key autoincrement"));
    for (const char* type : {"ACCESS", "DBASE"}) {
        SCOPED_TRACE(type);
        dbObj.DBType = QString::fromLatin1(type);
        table.setTableName(QStringLiteral("qv_auto"));
        table.open();
        ColumnListLoader loader(state, sources());
        EXPECT_EQ(loader.FindSerialField(table, dbObj.DBType), QStringLiteral("Ref"));
        table.close();
        EXPECT_EQ(table2.databaseName(), db.databaseName());
        EXPECT_FALSE(table2.active());
        expectList(load(QStringLiteral("qv_auto")),
                   {{"label", ftString, 10, false, false}, {"ref", ftAutoInc, 3, true, false}});
    }
    // Types without a catalogue query take the auto-increment column too, so the page's key column
    // and the query's record keys agree.
    dbObj.DBType = QStringLiteral("UNKNOWN : x");
    expectList(load(QStringLiteral("qv_auto")),
               {{"label", ftString, 10, false, false}, {"ref", ftAutoInc, 3, true, false}});
}

// A configured serial column ends the search before any catalogue: with no catalogue there at all
// the load still works, even when the column is missing.
TEST_F(ColumnListFixture, ConfiguredSerialAndUniqueColumns)
{
    dropCatalogues();
    recreate(QStringLiteral("qv_parts"), QStringLiteral("id integer, sku varchar(12), part_serial integer"));
    dbObj.DBType = QStringLiteral("ORACLE");
    state.AddRowId = true;
    state.CurrentTable = QStringLiteral("qv_parts");
    struct Case {
        QString serialLine, uniqueLine;
        std::vector<Expected> expected;
        bool hasKey, hasUnique;
    };
    const Case cases[] = {
        {QStringLiteral("QV_PARTS= SKU "), QStringLiteral("QV_PARTS= SKU "),
         {{"id", ftInteger, 3, false, false}, {"sku", ftString, 12, true, false}, {"part_serial", ftInteger, 3, false, false}},
         true, false},
        {QStringLiteral("QV_PARTS=ID"), QStringLiteral("QV_PARTS=SKU"),
         {{"id", ftInteger, 3, true, false}, {"sku", ftString, 12, false, true}, {"part_serial", ftInteger, 3, false, false}},
         true, true},
        {QStringLiteral("QV_PARTS=GONE"), QStringLiteral("QV_OTHER=SKU"),
         {{"id", ftInteger, 3, false, false}, {"sku", ftString, 12, false, false}, {"part_serial", ftInteger, 3, false, false}},
         true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serialLine.toStdString());
        state.SerialFields = QStringList{QStringLiteral("OTHER=X"), c.serialLine};
        state.UniqueFields = QStringList{c.uniqueLine};
        query.sql().clear();
        state.ColumnList = load(QStringLiteral("qv_parts"));
        expectList(state.ColumnList, c.expected);
        EXPECT_TRUE(query.sql().isEmpty());
        EXPECT_EQ(HasKeyColumn(state), c.hasKey);
        EXPECT_EQ(HasUniqueColumn(state), c.hasUnique);
    }
}

TEST_F(ColumnListFixture, FailuresLeaveTheListEmptyAndTheTableClosed)
{
    recreate(QStringLiteral("qv_fail"), QStringLiteral("a integer"));
    ColumnListLoader loader(state, sources());
    ColumnList list;
    loader.LoadFieldObjects(QStringLiteral("qv_fail"), list);
    ASSERT_EQ(list.size(), 1u);

    dbObj.DBType = QStringLiteral("UNKNOWN : x");
    EXPECT_THROW(loader.LoadFieldObjects(QStringLiteral("qv_no_such_table"), list), EngineError);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(table.active());

    // A catalogue the user may not read.
    dropCatalogues();
    for (const char* type : {"ORACLE", "INFORMIX"}) {
        SCOPED_TRACE(type);
        dbObj.DBType = QStringLiteral("UNKNOWN : x");
        loader.LoadFieldObjects(QStringLiteral("qv_fail"), list);
        ASSERT_EQ(list.size(), 1u);
        dbObj.DBType = QString::fromLatin1(type);
        EXPECT_THROW(loader.LoadFieldObjects(QStringLiteral("qv_fail"), list), EngineError);
        EXPECT_TRUE(list.empty());
        EXPECT_FALSE(table.active());
    }
}

TEST(ColumnListState, ConfiguredColumnsAndKeyTests)
{
    MainState state;
    state.SerialFields = QStringList{QStringLiteral("NOEQUALS"), QStringLiteral("QV_T= Key_Col"),
                                     QStringLiteral("QV_T=SECOND")};
    state.UniqueFields = QStringList{QStringLiteral("QV_T= SKU ")};
    state.CurrentTable = QStringLiteral("Qv_t");
    // The first matching line counts; the serial value is lowered but not trimmed.
    EXPECT_EQ(ConfiguredSerialColumn(state), QStringLiteral(" key_col"));
    EXPECT_EQ(ConfiguredUniqueColumn(state), QStringLiteral("SKU"));
    EXPECT_TRUE(HasKeyColumn(state));
    EXPECT_FALSE(HasUniqueColumn(state));

    state.CurrentTable = QStringLiteral("qv_other");
    EXPECT_EQ(ConfiguredSerialColumn(state), QString());
    EXPECT_EQ(ConfiguredUniqueColumn(state), QString());
    EXPECT_FALSE(HasKeyColumn(state));

    auto serial = std::make_shared<TFieldObject>();
    serial->IsSerial = true;
    auto unique = std::make_shared<TFieldObject>();
    unique->IsUnique = true;
    state.ColumnList = {{QStringLiteral("a"), serial}};
    EXPECT_TRUE(HasKeyColumn(state));
    EXPECT_FALSE(HasUniqueColumn(state));
    state.ColumnList = {{QStringLiteral("b"), unique}};
    EXPECT_FALSE(HasKeyColumn(state));
    EXPECT_TRUE(HasUniqueColumn(state));
}

// Names go bare only when they are plain lower-case identifiers and no reserved word; every other
// name is quoted, inner quotes doubled, in the catalogue's spelling when the program holds it in
// lower case.
TEST(ColumnListState, QuoteIfBlank)
{
    RememberTableSpellings({});
    RememberColumnSpellings({});
    const std::pair<const char*, const char*> cases[] = {
        {"order date", "\"order date\""},
        {"order_date", "order_date"},
        {"_x9", "_x9"},
        {" lead", "\" lead\""},
        {"tab\there", "\"tab\there\""},
        {"say \"hi\" now", "\"say \"\"hi\"\" now\""},
        {"a-b", "\"a-b\""},
        {"a;b", "\"a;b\""},
        {"a:b", "\"a:b\""},
        {":x", "\":x\""},
        {"it's", "\"it's\""},
        {"9lives", "\"9lives\""},
        {"order", "\"order\""},
        {"user", "\"user\""},
        {"group", "\"group\""},
        {"MixedCase", "\"MixedCase\""},
        {"rowid", "rowid"},
        {"", ""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(QuoteIfBlank(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;

    // Lower-case names are written as the catalogue spells them; unknown names as they come.
    RememberColumnSpellings({QStringLiteral("MixedCase"), QStringLiteral("plain"), QStringLiteral("Line No")});
    EXPECT_EQ(QuoteIfBlank(QStringLiteral("mixedcase")), QStringLiteral("\"MixedCase\""));
    EXPECT_EQ(QuoteIfBlank(QStringLiteral("line no")), QStringLiteral("\"Line No\""));
    EXPECT_EQ(QuoteIfBlank(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(QuoteIfBlank(QStringLiteral("other")), QStringLiteral("other"));

    // Table names: "owner.table" part by part, unless the catalogue has the whole name.
    RememberTableSpellings({QStringLiteral("Line Item"), QStringLiteral("a.b")});
    EXPECT_EQ(QuoteTableName(QStringLiteral("line item")), QStringLiteral("\"Line Item\""));
    EXPECT_EQ(QuoteTableName(QStringLiteral("a.b")), QStringLiteral("\"a.b\""));
    EXPECT_EQ(QuoteTableName(QStringLiteral("scott.emp")), QStringLiteral("scott.emp"));
    EXPECT_EQ(QuoteTableName(QStringLiteral("SCOTT.my table")), QStringLiteral("\"SCOTT\".\"my table\""));
    EXPECT_EQ(QuoteTableName(QStringLiteral("order")), QStringLiteral("\"order\""));
    RememberTableSpellings({});
    RememberColumnSpellings({});
}

// The Table page's columns of a PostgreSQL table; the database type is the "UNKNOWN : <driver>"
// text, which has no catalogue query.
TEST(ColumnListPg, TypesSizesAndConfiguredColumns)
{
    QV_REQUIRE_PG();
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    testsupport::pgExec(QStringLiteral(
        "DROP TABLE IF EXISTS qv_pg_page; "
        "CREATE TABLE qv_pg_page (id serial primary key, title varchar(40), notes text, picture bytea, "
        "active boolean, born date, seen timestamp)"));
    Database db;
    db.setDatabaseName(QStringLiteral("columns_pg"));
    db.setAliasName(pg.dsn);
    db.params() << QStringLiteral("user name=") + pg.user << QStringLiteral("password=") + pg.password;
    db.setConnected(true);
    Table table, table2;
    Query query;
    platform::ado::AdoQuery ado;
    table.setDatabaseName(db.databaseName());
    query.setDatabaseName(db.databaseName());
    TDataBaseObj dbObj;
    dbObj.DBType = QStringLiteral("UNKNOWN : /usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so");
    MainState state;
    state.CurrentDatabase = &dbObj;
    state.AddRowId = true;
    ColumnListLoader loader(state, {&table, &table2, &query, &ado});

    struct Case {
        QStringList serialFields, uniqueFields;
        bool idSerial, titleUnique;
    };
    const Case cases[] = {
        {{}, {}, true, false},  // the serial column is reported as auto-increment
        {{QStringLiteral("PUBLIC.QV_PG_PAGE=ID")}, {QStringLiteral("PUBLIC.QV_PG_PAGE=TITLE")}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.serialFields.isEmpty() ? "not configured" : "configured");
        state.SerialFields = c.serialFields;
        state.UniqueFields = c.uniqueFields;
        ColumnList list;
        loader.LoadFieldObjects(QStringLiteral("public.qv_pg_page"), list);
        const std::vector<Expected> expected = {
            {"id", ftAutoInc, 3, c.idSerial, false},
            {"title", ftString, 40, false, c.titleUnique},
            {"notes", ftMemo, -1, false, false},
            {"picture", ftBlob, -1, false, false},
            {"active", ftBoolean, 1, false, false},
            {"born", ftDate, 3, false, false},
            {"seen", ftDateTime, 7, false, false},
        };
        ASSERT_EQ(list.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE(expected[i].name);
            EXPECT_EQ(list[i].first, QString::fromLatin1(expected[i].name));
            EXPECT_EQ(list[i].second->ColumnType, expected[i].type);
            EXPECT_EQ(list[i].second->ColumnSize, expected[i].size);
            EXPECT_EQ(list[i].second->IsSerial, expected[i].serial);
            EXPECT_EQ(list[i].second->IsUnique, expected[i].unique);
        }
        EXPECT_FALSE(table.active());
    }
    table.close();
    db.setConnected(false);
    testsupport::pgExec(QStringLiteral("DROP TABLE qv_pg_page"));
}

} // namespace
