#include "platform/engine/Engine.h"
#include "platform/ini/IniFile.h"
#include "platform/odbc/Odbc.h"
#include "tests/support/Support.h"

#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>

using namespace platform::engine;

namespace {

// The engine connected to one of the two real drivers, under a database name of its own.
class EngineOnDriver : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        pg = QLatin1String(GetParam()) == QLatin1String("pg");
        if (pg) {
            QV_REQUIRE_PG();
            dsn = testsupport::pg().dsn;
            user = testsupport::pg().user;
            password = testsupport::pg().password;
        } else {
            dsn = testsupport::sqliteDsn();
        }
        db.setDatabaseName(QStringLiteral("engine_") + GetParam());
        db.setAliasName(dsn);
        db.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        db.setConnected(true);
    }

    int exec(const QString& sql)
    {
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << sql;
        q.execSQL();
        return q.rowsAffected();
    }

    void recreate(const QString& table, const QString& sqliteColumns, const QString& pgColumns)
    {
        exec(QStringLiteral("DROP TABLE IF EXISTS ") + table);
        exec(QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") + (pg ? pgColumns : sqliteColumns)
             + QLatin1Char(')'));
    }

    // A table name as the catalogue gives it: owner-qualified on PostgreSQL.
    QString qualified(const QString& table) const { return pg ? QStringLiteral("public.") + table : table; }

    bool pg = false;
    QString dsn, user, password;
    testsupport::TempHome home;
    Database db;
};

QByteArray bigBlob()
{
    QByteArray b;
    b.reserve(1 << 20);
    for (int i = 0; i < (1 << 20); ++i)
        b.append(char((i * 7) ^ (i >> 8)));
    b[0] = '\0';
    b[1] = char(0xFF);
    b[2] = '\\';
    b[3] = '\'';
    return b;
}

QString bigMemo()
{
    QString t;
    const QString piece = QStringLiteral("Gr\u00fc\u00dfe \u6f22\u5b57 \U0001F600 back\\slash 'quote' \"dq\"\r\n");
    while (t.size() < (1 << 20))
        t += piece;
    return t;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Drivers, EngineOnDriver, ::testing::Values("sqlite", "pg"),
                         [](const auto& info) { return std::string(info.param); });

TEST_P(EngineOnDriver, TypeCodesAndDataSizes)
{
    struct Column { const char* name; const char* sqlite; const char* pg; FieldType type; int size; };
    const Column columns[] = {
        {"id", "integer primary key autoincrement", "serial primary key", ftAutoInc, 4},
        {"n", "integer", "integer", ftInteger, 4},
        {"v", "varchar(40)", "varchar(40)", ftString, 41},
        {"s", "smallint", "smallint", ftSmallint, 2},
        {"d", "double", "double precision", ftFloat, 8},
        {"dt", "date", "date", ftDate, 4},
        {"ts", "timestamp", "timestamp", ftDateTime, 8},
        {"tx", "text", "text", ftMemo, 0},
        {"b", "blob", "bytea", ftBlob, 0},
        {"bo", "boolean", "boolean", ftBoolean, 2},
        {"bi", "bigint", "bigint", ftInteger, 8},
        {"nu", "numeric(10,2)", "numeric(10,2)", ftFloat, 8},
    };
    QStringList sqliteDdl, pgDdl;
    for (const Column& c : columns) {
        sqliteDdl << QString::fromLatin1(c.name) + QLatin1Char(' ') + QString::fromLatin1(c.sqlite);
        pgDdl << QString::fromLatin1(c.name) + QLatin1Char(' ') + QString::fromLatin1(c.pg);
    }
    recreate(QStringLiteral("et_types"), sqliteDdl.join(QStringLiteral(", ")), pgDdl.join(QStringLiteral(", ")));

    Table table;
    table.setDatabaseName(db.databaseName());
    table.setTableName(qualified(QStringLiteral("et_types")));
    table.open();
    Query query;
    query.setDatabaseName(db.databaseName());
    query.sql() << QStringLiteral("SELECT * FROM et_types");
    query.open();
    for (DataSet* ds : std::initializer_list<DataSet*>{&table, &query}) {
        ASSERT_EQ(ds->fieldCount(), int(std::size(columns)));
        for (int i = 0; i < ds->fieldCount(); ++i) {
            const Field& f = ds->fields(i);
            EXPECT_EQ(f.fieldName(), QLatin1String(columns[i].name));
            EXPECT_EQ(f.dataType(), columns[i].type) << columns[i].name << " (SQL type " << f.sqlType() << ")";
            EXPECT_EQ(f.dataSize(), columns[i].size) << columns[i].name;
        }
    }
    // A plain integer key is no auto-increment column.
    recreate(QStringLiteral("et_plainkey"), QStringLiteral("id integer primary key"),
             QStringLiteral("id integer primary key"));
    table.setTableName(QStringLiteral("et_plainkey"));
    table.open();
    EXPECT_EQ(table.fields(0).dataType(), ftInteger);
}

TEST_P(EngineOnDriver, TextValuesAndNulls)
{
    recreate(QStringLiteral("et_values"),
             QStringLiteral("id integer, v varchar(40), s smallint, d double, dt date, ts timestamp, tx text, "
                            "b blob, bo boolean, bi bigint, nu numeric(10,2)"),
             QStringLiteral("id integer, v varchar(40), s smallint, d double precision, dt date, ts timestamp, "
                            "tx text, b bytea, bo boolean, bi bigint, nu numeric(10,2)"));
    exec(QStringLiteral("INSERT INTO et_values VALUES (-42, 'h\u00e9llo \u20ac', 7, 2.5, '2001-02-03', "
                        "'2001-02-03 04:05:06', 'memo \u00e4', ")
         + (pg ? QStringLiteral("'\\x00ff'::bytea, true") : QStringLiteral("X'00FF', 1"))
         + QStringLiteral(", 9007199254740993, 12.5)"));
    exec(QStringLiteral("INSERT INTO et_values (id) VALUES (NULL)"));

    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT * FROM et_values") << QStringLiteral("ORDER BY id");
    q.open();
    // NULL sorts first on SQLite, last on PostgreSQL.
    if (!pg) {
        ASSERT_FALSE(q.eof());
        for (int i = 0; i < q.fieldCount(); ++i) {
            EXPECT_TRUE(q.fields(i).isNull()) << i;
            EXPECT_EQ(q.fields(i).asString(), QString()) << i;
        }
        q.next();
    }
    ASSERT_FALSE(q.eof());
    const struct { const char* field; QString text; } expected[] = {
        {"id", QStringLiteral("-42")},
        {"v", QStringLiteral("h\u00e9llo \u20ac")},
        {"s", QStringLiteral("7")},
        {"d", QStringLiteral("2.5")},
        {"dt", QStringLiteral("02/03/2001")},
        {"ts", QStringLiteral("02/03/2001 04:05:06")},
        {"tx", QStringLiteral("memo \u00e4")},
        {"bo", QStringLiteral("True")},
        {"bi", QStringLiteral("9007199254740993")},
        // A NUMERIC with the digits the driver gives; SQLite keeps it as a double.
        {"nu", pg ? QStringLiteral("12.50") : QStringLiteral("12.5")},
    };
    for (const auto& e : expected) {
        EXPECT_FALSE(q.fieldByName(QLatin1String(e.field)).isNull()) << e.field;
        EXPECT_EQ(q.fieldByName(QLatin1String(e.field)).asString(), e.text) << e.field;
    }
    EXPECT_EQ(q.fieldByName(QStringLiteral("B")).asBytes(), QByteArray("\x00\xff", 2));
    EXPECT_EQ(q.fieldByName(QStringLiteral("tx")).asBytes(), QStringLiteral("memo \u00e4").toUtf8());
    EXPECT_EQ(q.fieldByName(QStringLiteral("id")).asInteger(), -42);
    EXPECT_DOUBLE_EQ(q.fieldByName(QStringLiteral("d")).asFloat(), 2.5);
    EXPECT_EQ(q.fieldByName(QStringLiteral("ts")).asDateTime(),
              QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC));
    EXPECT_TRUE(q.fieldByName(QStringLiteral("bo")).asBoolean());
    if (pg) {
        q.next();
        ASSERT_FALSE(q.eof());
        EXPECT_TRUE(q.fieldByName(QStringLiteral("dt")).isNull());
    }
    q.next();
    EXPECT_TRUE(q.eof());
    try {
        q.fieldByName(QStringLiteral("nope"));
        FAIL() << "no error for an unknown field";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Field 'nope' not found"));
    }
}

TEST_P(EngineOnDriver, FloatsAreShortestDecimals)
{
    recreate(QStringLiteral("et_floats"), QStringLiteral("k integer, d double"),
             QStringLiteral("k integer, d double precision"));
    const struct { const char* literal; const char* text; } cases[] = {
        {"2.5", "2.5"}, {"0.1", "0.1"}, {"-3", "-3"}, {"1234567.25", "1234567.25"},
        {"1e20", "1e+20"}, {"1e-7", "1e-07"}, {"0", "0"},
    };
    int k = 0;
    for (const auto& c : cases)
        exec(QStringLiteral("INSERT INTO et_floats VALUES (%1, %2)").arg(k++).arg(QLatin1String(c.literal)));
    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT d FROM et_floats ORDER BY k");
    q.open();
    for (const auto& c : cases) {
        ASSERT_FALSE(q.eof());
        EXPECT_EQ(q.fields(0).asString(), QLatin1String(c.text)) << c.literal;
        q.next();
    }
}

TEST_P(EngineOnDriver, MegabyteBlobAndMemoRoundTrip)
{
    recreate(QStringLiteral("et_long"), QStringLiteral("id integer, pic blob, notes text"),
             QStringLiteral("id integer, pic bytea, notes text"));
    const QByteArray blob = bigBlob();
    const QString memo = bigMemo();
    Query ins;
    ins.setDatabaseName(db.databaseName());
    ins.sql() << QStringLiteral("INSERT INTO et_long VALUES (:id, :IMAGE, :MemoText)");
    ins.paramByName(QStringLiteral("id")).setInteger(1);
    ins.paramByName(QStringLiteral("image")).setBlob(blob);
    ins.paramByName(QStringLiteral("memotext")).setMemo(memo);
    ins.execSQL();
    EXPECT_EQ(ins.rowsAffected(), 1);
    // The picture update of the Table page: one parameter among literal text.
    Query upd;
    upd.setDatabaseName(db.databaseName());
    upd.sql() << QStringLiteral("UPDATE et_long SET pic = :IMAGE") << QStringLiteral("WHERE id = 1");
    QByteArray reversed = blob;
    std::reverse(reversed.begin(), reversed.end());
    upd.paramByName(QStringLiteral("IMAGE")).setBlob(reversed);
    upd.execSQL();

    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT pic, notes FROM et_long WHERE id = 1");
    q.open();
    ASSERT_FALSE(q.eof());
    const QByteArray gotBlob = q.fieldByName(QStringLiteral("pic")).asBytes();
    EXPECT_EQ(gotBlob.size(), reversed.size());
    EXPECT_TRUE(gotBlob == reversed) << "blob bytes differ";
    EXPECT_TRUE(q.fieldByName(QStringLiteral("notes")).asString() == memo) << "memo text differs";
    EXPECT_TRUE(q.fieldByName(QStringLiteral("notes")).asBytes() == memo.toUtf8());
}

TEST_P(EngineOnDriver, ParametersOnlyOutsideQuotedText)
{
    recreate(QStringLiteral("et_params"), QStringLiteral("id integer, ts timestamp, v varchar(40), note varchar(40)"),
             QStringLiteral("id integer, ts timestamp, v varchar(40), note varchar(40)"));
    exec(QStringLiteral("INSERT INTO et_params VALUES (1, '2001-02-03 04:05:06', 'x', 'a:b')"));
    exec(QStringLiteral("INSERT INTO et_params VALUES (2, '2001-02-03 04:05:06', 'y', 'a:b')"));
    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT id FROM et_params")
            << QStringLiteral("WHERE ts = {ts '2001-02-03 04:05:06'}")
            << QStringLiteral("AND note = 'a:b' AND v = :v -- :notAParameter");
    ASSERT_EQ(q.params().size(), 1u);
    EXPECT_EQ(q.params()[0].name(), QStringLiteral("v"));
    q.paramByName(QStringLiteral("V")).setString(QStringLiteral("y"));
    q.open();
    ASSERT_FALSE(q.eof());
    EXPECT_EQ(q.fields(0).asInteger(), 2);
    q.next();
    EXPECT_TRUE(q.eof());
    EXPECT_THROW(q.paramByName(QStringLiteral("notAParameter")), EngineError);
}

TEST_P(EngineOnDriver, RowsAffected)
{
    recreate(QStringLiteral("et_rows"), QStringLiteral("id integer"), QStringLiteral("id integer"));
    EXPECT_EQ(exec(QStringLiteral("INSERT INTO et_rows VALUES (1)")), 1);
    exec(QStringLiteral("INSERT INTO et_rows VALUES (2)"));
    exec(QStringLiteral("INSERT INTO et_rows VALUES (3)"));
    EXPECT_EQ(exec(QStringLiteral("UPDATE et_rows SET id = id + 10 WHERE id >= 2")), 2);
    EXPECT_EQ(exec(QStringLiteral("UPDATE et_rows SET id = 0 WHERE id = 99")), 0);
    EXPECT_EQ(exec(QStringLiteral("DELETE FROM et_rows WHERE id = 99")), 0);
    EXPECT_EQ(exec(QStringLiteral("DELETE FROM et_rows")), 3);
}

// A transaction keeps the old rows when rolled back and the new ones when committed; autocommit
// is back afterwards. Each check reads the rows through a second connection.
TEST_P(EngineOnDriver, TransactionsKeepOldRowsOrCommitNewOnes)
{
    recreate(QStringLiteral("et_tx"), QStringLiteral("id integer"), QStringLiteral("id integer"));
    exec(QStringLiteral("INSERT INTO et_tx VALUES (1)"));
    Database other;
    other.setDatabaseName(db.databaseName() + QStringLiteral("_other"));
    other.setAliasName(dsn);
    other.params() = db.params();
    auto ids = [&] {
        other.setConnected(true);
        Query q;
        q.setDatabaseName(other.databaseName());
        q.sql() << QStringLiteral("SELECT id FROM et_tx ORDER BY id");
        q.open();
        QStringList found;
        for (; !q.eof(); q.next())
            found << q.fields(0).asString();
        q.close();
        other.setConnected(false);  // SQLite would otherwise hold its read lock
        return found;
    };

    db.startTransaction();
    EXPECT_TRUE(db.inTransaction());
    EXPECT_THROW(db.startTransaction(), EngineError);
    exec(QStringLiteral("DELETE FROM et_tx"));
    exec(QStringLiteral("INSERT INTO et_tx VALUES (2)"));
    db.rollback();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(ids(), QStringList{"1"});

    db.startTransaction();
    exec(QStringLiteral("DELETE FROM et_tx"));
    exec(QStringLiteral("INSERT INTO et_tx VALUES (3)"));
    db.commit();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_EQ(ids(), QStringList{"3"});
    exec(QStringLiteral("INSERT INTO et_tx VALUES (4)"));
    EXPECT_EQ(ids(), (QStringList{"3", "4"}));
    exec(QStringLiteral("DROP TABLE et_tx"));
}

TEST_P(EngineOnDriver, TableNamesOwnerQualified)
{
    exec(QStringLiteral("DROP VIEW IF EXISTS et_names_v"));
    recreate(QStringLiteral("et_names"), QStringLiteral("id integer primary key autoincrement"),
             QStringLiteral("id serial"));
    exec(QStringLiteral("CREATE VIEW et_names_v AS SELECT id FROM et_names"));
    exec(QStringLiteral("INSERT INTO et_names (id) VALUES (5)"));  // SQLite now keeps sqlite_sequence
    QStringList names{QStringLiteral("stale")};
    Session::instance().getTableNames(db.databaseName().toUpper(), QStringLiteral("*.*"), false, false, names);
    EXPECT_TRUE(names.contains(qualified(QStringLiteral("et_names")))) << names.join(QLatin1Char(',')).toStdString();
    EXPECT_TRUE(names.contains(qualified(QStringLiteral("et_names_v"))));
    EXPECT_FALSE(names.contains(QStringLiteral("stale")));
    for (const QString& n : names) {
        EXPECT_FALSE(n.startsWith(QLatin1String("sqlite_"))) << n.toStdString();
        EXPECT_FALSE(n.startsWith(QLatin1String("pg_catalog.")) || n.startsWith(QLatin1String("information_schema.")))
            << n.toStdString();
    }
    exec(QStringLiteral("DROP VIEW et_names_v"));
}

TEST_P(EngineOnDriver, TableReadsRowsOnlyWhenAsked)
{
    recreate(QStringLiteral("et_table"), QStringLiteral("id integer, v varchar(10)"),
             QStringLiteral("id integer, v varchar(10)"));
    for (int i = 1; i <= 3; ++i)
        exec(QStringLiteral("INSERT INTO et_table VALUES (%1, 'r%1')").arg(i));
    Table t;
    t.setDatabaseName(db.databaseName());
    t.setTableName(qualified(QStringLiteral("et_table")));
    t.open();
    QStringList seen;
    for (; !t.eof(); t.next())
        seen << t.fieldByName(QStringLiteral("v")).asString();
    EXPECT_EQ(seen, (QStringList{"r1", "r2", "r3"}));

    t.setTableName(QStringLiteral("et_no_such_table"));
    EXPECT_THROW(t.open(), EngineError);
    EXPECT_FALSE(t.active());
}

TEST_P(EngineOnDriver, DisconnectClosesItsDatasets)
{
    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT 1");
    q.open();
    EXPECT_TRUE(q.active());
    db.setConnected(false);
    EXPECT_FALSE(db.connected());
    EXPECT_FALSE(q.active());
    EXPECT_TRUE(q.eof());
    EXPECT_THROW(q.next(), EngineError);
    EXPECT_THROW(q.open(), EngineError);  // its database is not connected any more
    db.setConnected(true);
    q.open();
    EXPECT_EQ(q.fields(0).asInteger(), 1);
}

TEST(EngineTable, OpenDoesNotRunTheTablesRows)
{
    QV_REQUIRE_PG();
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    testsupport::pgExec(QStringLiteral("DROP VIEW IF EXISTS et_failing; DROP TABLE IF EXISTS et_zero;"
                                       "CREATE TABLE et_zero (x integer); INSERT INTO et_zero VALUES (1);"
                                       "CREATE VIEW et_failing AS SELECT 1 / (x - 1) AS y FROM et_zero"));
    Database db;
    db.setDatabaseName(QStringLiteral("engine_lazy"));
    db.setAliasName(pg.dsn);
    db.params() << QStringLiteral("user name=") + pg.user << QStringLiteral("password=") + pg.password;
    db.setConnected(true);
    Table t;
    t.setDatabaseName(db.databaseName());
    t.setTableName(QStringLiteral("public.et_failing"));
    t.open();  // reading a row would divide by zero
    ASSERT_EQ(t.fieldCount(), 1);
    EXPECT_EQ(t.fields(0).fieldName(), QStringLiteral("y"));
    try {
        (void)t.eof();
        FAIL() << "the rows were not read";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("division by zero"))) << e.message().toStdString();
    }
}

TEST(EngineParameters, MarkersOutsideLiteralsAndComments)
{
    const struct { const char* sql; const char* sent; QStringList names; } cases[] = {
        {"SELECT * FROM t WHERE a = :a AND b = :B_2", "SELECT * FROM t WHERE a = ? AND b = ?", {"a", "B_2"}},
        {"WHERE ts = {ts '2001-02-03 04:05:06'}", "WHERE ts = {ts '2001-02-03 04:05:06'}", {}},
        {"SET v = 'it''s :x' || :y", "SET v = 'it''s :x' || ?", {"y"}},
        {"SELECT \"odd:name\" FROM t", "SELECT \"odd:name\" FROM t", {}},
        {"SELECT x::int, a[1:2] FROM t", "SELECT x::int, a[1:2] FROM t", {}},
        {"-- :c\nSELECT :p /* :q */", "-- :c\nSELECT ? /* :q */", {"p"}},
        {"UPDATE t SET m = :MemoText WHERE id = :id AND k = :id", "UPDATE t SET m = ? WHERE id = ? AND k = ?",
         {"MemoText", "id", "id"}},
        {"SELECT ':", "SELECT ':", {}},
        {"SELECT 1:", "SELECT 1:", {}},
        {"SELECT a - b / c, 'x' FROM t WHERE d = :d-1", "SELECT a - b / c, 'x' FROM t WHERE d = ?-1", {"d"}},
    };
    for (const auto& c : cases) {
        QStringList names;
        EXPECT_EQ(Query::parseParameters(QString::fromUtf8(c.sql), &names), QString::fromUtf8(c.sent)) << c.sql;
        EXPECT_EQ(names, c.names) << c.sql;
    }
    // One parameter per name; a value survives a change of the text that keeps the name.
    Query q;
    q.sql() << QStringLiteral("SELECT :id, :ID");
    ASSERT_EQ(q.params().size(), 1u);
    q.paramByName(QStringLiteral("id")).setInteger(5);
    q.sql().clear();
    q.sql() << QStringLiteral("SELECT :id, :other");
    ASSERT_EQ(q.params().size(), 2u);
    EXPECT_FALSE(q.paramByName(QStringLiteral("id")).isNull());
    EXPECT_TRUE(q.paramByName(QStringLiteral("other")).isNull());
}

TEST(EngineConnect, WrongPasswordGivesTheDriversMessage)
{
    QV_REQUIRE_PG();
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    Database db;
    db.setDatabaseName(QStringLiteral("engine_wrong"));
    db.setAliasName(pg.dsn);
    db.params() << QStringLiteral("USER NAME=") + pg.user << QStringLiteral("Password=wrong");
    try {
        db.setConnected(true);
        FAIL() << "connected with a wrong password";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("password authentication failed"))) << e.message().toStdString();
        EXPECT_EQ(e.sqlState(), QStringLiteral("08001"));
        EXPECT_EQ(e.className(), QStringLiteral("EDBEngineError"));
    }
    EXPECT_FALSE(db.connected());
    db.params().clear();
    db.params() << QStringLiteral("user name=") + pg.user << QStringLiteral("password=") + pg.password;
    db.setConnected(true);
    EXPECT_TRUE(db.connected());
}

TEST(EngineAliases, StoredAliasDataSourceAndUnknownName)
{
    testsupport::TempHome home;
    Session& s = Session::instance();
    // A stored alias points at its data source through "ODBC DSN".
    s.addAlias(QStringLiteral("MY_ALIAS"), QStringLiteral("SQLite3"),
               {QStringLiteral("ODBC DSN=") + testsupport::sqliteDsn(), QStringLiteral("BLOB SIZE=300")});
    EXPECT_TRUE(s.isAlias(QStringLiteral("my_alias")));
    EXPECT_EQ(s.aliasDriver(QStringLiteral("my_alias")), QStringLiteral("SQLite3"));
    Database a;
    a.setDatabaseName(QStringLiteral("MY_ALIAS"));
    a.setAliasName(QStringLiteral("MY_ALIAS"));
    a.setConnected(true);
    EXPECT_TRUE(a.connected());
    EXPECT_EQ(s.findDatabase(QStringLiteral("my_alias")), &a);

    // A data source that is no stored alias is one all the same, in any case.
    EXPECT_TRUE(s.isAlias(testsupport::sqliteDsn().toUpper()));
    Database b;
    b.setDatabaseName(QStringLiteral("plain"));
    b.setAliasName(testsupport::sqliteDsn().toUpper());
    b.setConnected(true);
    EXPECT_TRUE(b.connected());

    // Neither: the driver manager's own message.
    EXPECT_FALSE(s.isAlias(QStringLiteral("qv_nothing_by_this_name")));
    Database c;
    c.setDatabaseName(QStringLiteral("qv_nothing_by_this_name"));
    try {
        c.setConnected(true);
        FAIL() << "connected to an unknown alias";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("Data source name not found"))) << e.message().toStdString();
    }
    // A dataset finds no database under a name nobody connected.
    Query q;
    q.setDatabaseName(QStringLiteral("qv_nothing_by_this_name"));
    q.sql() << QStringLiteral("SELECT 1");
    EXPECT_THROW(q.open(), EngineError);
    s.deleteAlias(QStringLiteral("MY_ALIAS"));
    s.deleteAlias(QStringLiteral("MY_ALIAS"));  // a missing alias is no error
}

TEST(EngineAliases, SaveConfigFileMakesThemLast)
{
    testsupport::TempHome home;
    Session& s = Session::instance();
    s.addAlias(QStringLiteral("KEEP"), QStringLiteral("SQL Server"),
               {QStringLiteral("DATABASE NAME=sales"), QStringLiteral("ODBC DSN=sales_dsn"),
                QStringLiteral("USER NAME=sa"), QStringLiteral("BLOB SIZE=300")});
    s.addAlias(QStringLiteral("DROPPED"), QStringLiteral("SQLite3"), {QStringLiteral("ODBC DSN=x")});
    s.deleteAlias(QStringLiteral("dropped"));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("aliases.ini"))));  // nothing written before the save
    s.saveConfigFile();
    const QString stored = home.file(QStringLiteral("aliases.ini"));
    ASSERT_TRUE(QFile::exists(stored));
    platform::IniFile ini(stored);
    EXPECT_EQ(ini.readSection(QStringLiteral("ALIASES")), QStringList{QStringLiteral("KEEP")});
    EXPECT_EQ(ini.readString(QStringLiteral("ALIAS:KEEP"), QStringLiteral("ODBC DSN"), QString()),
              QStringLiteral("sales_dsn"));

    // Another configuration folder is another run: it knows nothing of KEEP until it is stored there.
    {
        testsupport::TempHome other;
        EXPECT_TRUE(s.aliasParams(QStringLiteral("KEEP")).isEmpty());
    }
    EXPECT_EQ(s.aliasParams(QStringLiteral("keep")),
              (QStringList{"DATABASE NAME=sales", "ODBC DSN=sales_dsn", "USER NAME=sa", "BLOB SIZE=300"}));
    s.deleteAlias(QStringLiteral("KEEP"));
    s.saveConfigFile();
    EXPECT_TRUE(platform::IniFile(stored).readSection(QStringLiteral("ALIASES")).isEmpty());
}

TEST(EngineDates, SqliteTextThatIsNoDateComesAsStored)
{
    testsupport::TempHome home;
    Database db;
    db.setDatabaseName(testsupport::sqliteDsn());  // no alias: the database name is the data source
    db.setConnected(true);
    Query q;
    q.setDatabaseName(db.databaseName());
    auto run = [&](const QString& sql) {
        q.sql().clear();
        q.sql() << sql;
        q.execSQL();
    };
    run(QStringLiteral("DROP TABLE IF EXISTS et_dates"));
    run(QStringLiteral("CREATE TABLE et_dates (k integer, dt date, ts timestamp)"));
    run(QStringLiteral("INSERT INTO et_dates VALUES (1, '2024-02-29 13:45:30.000', '2001-02-03 04:05:06.789')"));
    run(QStringLiteral("INSERT INTO et_dates VALUES (2, 'garbage', '2001-02-03')"));
    run(QStringLiteral("INSERT INTO et_dates VALUES (3, 12345, '2001-02-30 00:00:00')"));
    q.sql().clear();
    q.sql() << QStringLiteral("SELECT dt, ts FROM et_dates ORDER BY k");
    q.open();
    const struct { const char *date, *stamp; } rows[] = {
        {"02/29/2024", "02/03/2001 04:05:06"},
        {"garbage", "02/03/2001 00:00:00"},
        {"12345", "2001-02-30 00:00:00"},
    };
    for (const auto& r : rows) {
        ASSERT_FALSE(q.eof());
        EXPECT_FALSE(q.fields(0).isNull()) << r.date;  // the driver's own conversion says NULL here
        EXPECT_EQ(q.fields(0).asString(), QLatin1String(r.date));
        EXPECT_EQ(q.fields(1).asString(), QLatin1String(r.stamp));
        q.next();
    }
    EXPECT_FALSE(q.fields(0).asDateTime().isValid());  // 12345 is no date
}

// Callers keep the text of earlier rows (a listing, an export) while the query moves on.
TEST_P(EngineOnDriver, TextKeptFromEarlierRowsSurvivesNext)
{
    recreate(QStringLiteral("et_kept"), QStringLiteral("i integer, v varchar(40)"), QStringLiteral("i integer, v varchar(40)"));
    for (int i = 0; i < 50; ++i)
        exec(QStringLiteral("INSERT INTO et_kept VALUES (%1, '%2')").arg(i).arg(QString(i % 7 + 1, QLatin1Char('a' + i % 26))));
    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT i, v FROM et_kept ORDER BY i");
    q.open();
    QStringList kept;
    while (!q.eof()) {
        kept << q.fieldByName(QStringLiteral("v")).asString();
        q.next();
    }
    ASSERT_EQ(kept.size(), 50);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(kept[i], QString(i % 7 + 1, QLatin1Char('a' + i % 26))) << i;
}

// Names outside ASCII come back whole, with nothing after their end, from results, tables and the
// catalogue alike, and select what they name.
TEST_P(EngineOnDriver, NamesOutsideAsciiComeBackWhole)
{
    const QString table = QStringLiteral("et_t\u00e4bl\u00eb");
    const QString names[] = {QStringLiteral("\u00fcn\u00efc\u00f8d\u00e9"), QStringLiteral("\u540d\u524d"),
                             QStringLiteral("plain")};
    recreate(table, names[0] + QStringLiteral(" varchar(20), ") + names[1] + QStringLiteral(" integer, ") + names[2]
                        + QStringLiteral(" text"),
             names[0] + QStringLiteral(" varchar(20), ") + names[1] + QStringLiteral(" integer, ") + names[2]
                 + QStringLiteral(" text"));
    exec(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES ('x\u00e9', 7, 'memo')"));

    Query query;
    query.setDatabaseName(db.databaseName());
    query.sql() << QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") + names[0]
                       + QStringLiteral(" = 'x\u00e9'");
    query.open();
    ASSERT_FALSE(query.eof());
    Table opened;
    opened.setDatabaseName(db.databaseName());
    opened.setTableName(qualified(table));
    opened.open();
    ASSERT_FALSE(opened.eof());
    for (DataSet* ds : std::initializer_list<DataSet*>{&query, &opened}) {
        ASSERT_EQ(ds->fieldCount(), 3);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(ds->fields(i).fieldName(), names[i]);
            EXPECT_FALSE(ds->fields(i).fieldName().contains(QChar(0)));
        }
        EXPECT_EQ(ds->fieldByName(names[1]).asInteger(), 7);
    }

    QStringList tables;
    Session::instance().getTableNames(db.databaseName(), QStringLiteral("*.*"), false, false, tables);
    EXPECT_TRUE(tables.contains(qualified(table))) << tables.join(QLatin1Char(',')).toStdString();
}

// After the server drops the link, the command that meets it fails with the driver's text and the
// next command connects again with the same login, once, and says so.
TEST(EngineConnect, LostLinkIsMadeAgainOnTheNextCommand)
{
    QV_REQUIRE_PG();
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    // A role of its own, whose password the test may change.
    const QString role = QStringLiteral("qv_engine_lost");
    testsupport::pgExec(QStringLiteral("DROP ROLE IF EXISTS ") + role);
    testsupport::pgExec(QStringLiteral("CREATE ROLE ") + role + QStringLiteral(" LOGIN PASSWORD 'first'"));
    Database db;
    db.setDatabaseName(QStringLiteral("engine_lost"));
    db.setAliasName(pg.dsn);
    db.params() << QStringLiteral("user name=") + role << QStringLiteral("password=first");
    db.setConnected(true);
    QStringList reconnects;
    db.setReconnectHandler([&](const QString& dsn) { reconnects << dsn; });

    auto backend = [&] {
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << QStringLiteral("SELECT pg_backend_pid()");
        q.open();
        return q.fields(0).asInteger();
    };
    const int first = backend();
    testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(first));
    EXPECT_THROW(backend(), EngineError);
    EXPECT_TRUE(reconnects.isEmpty());

    const int second = backend();
    EXPECT_NE(second, first);
    EXPECT_EQ(reconnects, QStringList{pg.dsn});
    backend();
    EXPECT_EQ(reconnects.size(), 1);

    // While the server refuses the login, each command fails with its text; once it takes the
    // login again, the next command goes through.
    testsupport::pgExec(QStringLiteral("ALTER ROLE ") + role + QStringLiteral(" PASSWORD 'changed'"));
    testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(second));
    EXPECT_THROW(backend(), EngineError);
    try {
        backend();
        ADD_FAILURE() << "connected with a changed password";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("password authentication failed"))) << e.message().toStdString();
    }
    testsupport::pgExec(QStringLiteral("ALTER ROLE ") + role + QStringLiteral(" PASSWORD 'first'"));
    EXPECT_NO_THROW(backend());
    EXPECT_EQ(reconnects.size(), 2);
    db.setConnected(false);
    testsupport::pgExec(QStringLiteral("DROP ROLE ") + role);
}

namespace {

QStringList values(Database& db, const QString& sql)
{
    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << sql;
    q.open();
    QStringList out;
    for (; !q.eof(); q.next())
        out << q.fields(0).asString();
    return out;
}

} // namespace

// What runs between startTransaction and rollback leaves nothing; commit keeps all of it; and the
// connection writes on its own again afterwards.
TEST_P(EngineOnDriver, TransactionsCommitOrRollBackTogether)
{
    recreate(QStringLiteral("et_tx"), QStringLiteral("n integer"), QStringLiteral("n integer"));
    db.startTransaction();
    EXPECT_TRUE(db.inTransaction());
    exec(QStringLiteral("INSERT INTO et_tx VALUES (1)"));
    EXPECT_EQ(values(db, QStringLiteral("SELECT n FROM et_tx")), QStringList{"1"}) << "its own writes are seen";
    EXPECT_THROW(exec(QStringLiteral("INSERT INTO et_no_such_table VALUES (2)")), EngineError);
    db.rollback();
    EXPECT_FALSE(db.inTransaction());
    EXPECT_TRUE(values(db, QStringLiteral("SELECT n FROM et_tx")).isEmpty());

    db.startTransaction();
    exec(QStringLiteral("INSERT INTO et_tx VALUES (3)"));
    exec(QStringLiteral("UPDATE et_tx SET n = 4"));
    db.commit();
    EXPECT_FALSE(db.inTransaction());
    exec(QStringLiteral("INSERT INTO et_tx VALUES (5)"));
    db.rollback();  // nothing open: nothing undone
    EXPECT_EQ(values(db, QStringLiteral("SELECT n FROM et_tx ORDER BY n")), (QStringList{"4", "5"}));

    // A second connection sees the committed rows only.
    Database other;
    other.setDatabaseName(db.databaseName() + QStringLiteral("_other"));
    other.setAliasName(dsn);
    other.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
    other.setConnected(true);
    EXPECT_EQ(values(other, QStringLiteral("SELECT n FROM et_tx ORDER BY n")), (QStringList{"4", "5"}));
    EXPECT_EQ(db.dbmsName(), pg ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite"));
}

// A server that ends the session in a transaction: the rest is refused rather than run on a new
// connection outside it, and the next use after the rollback connects afresh.
TEST_P(EngineOnDriver, ALinkLostInATransactionIsNotMendedUntilItEnds)
{
    if (!pg)
        GTEST_SKIP() << "a SQLite file has no server to lose";
    recreate(QStringLiteral("et_tx_lost"), QString(), QStringLiteral("n integer"));
    db.startTransaction();
    exec(QStringLiteral("INSERT INTO et_tx_lost VALUES (1)"));
    EXPECT_THROW(values(db, QStringLiteral("SELECT pg_terminate_backend(pg_backend_pid())")), EngineError);
    try {
        exec(QStringLiteral("INSERT INTO et_tx_lost VALUES (2)"));
        ADD_FAILURE() << "ran on a new connection";
    } catch (const EngineError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("The connection to the database was lost."));
    }
    db.rollback();
    EXPECT_TRUE(values(db, QStringLiteral("SELECT n FROM et_tx_lost")).isEmpty());
}

// A link lost inside a transaction is not made again behind its back: every command fails until
// the transaction is rolled back, then the next one connects anew.
TEST(EngineConnect, LostLinkInATransactionFailsUntilRolledBack)
{
    QV_REQUIRE_PG();
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    Database db;
    db.setDatabaseName(QStringLiteral("engine_lost_tx"));
    db.setAliasName(pg.dsn);
    db.params() << QStringLiteral("user name=") + pg.user << QStringLiteral("password=") + pg.password;
    db.setConnected(true);
    auto backend = [&] {
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << QStringLiteral("SELECT pg_backend_pid()");
        q.open();
        return q.fields(0).asInteger();
    };
    db.startTransaction();
    const int first = backend();
    testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(first));
    EXPECT_THROW(backend(), EngineError);
    EXPECT_TRUE(db.linkLost());
    EXPECT_THROW(backend(), EngineError);  // not connected again within the transaction
    EXPECT_THROW(db.commit(), EngineError);
    EXPECT_FALSE(db.inTransaction());
    EXPECT_NE(backend(), first);
    EXPECT_FALSE(db.linkLost());
}

TEST(EngineDates, ClockTextAsTheLocaleWritesIt)
{
    const QTime time(7, 5, 9);
    const QDate days[] = {QDate(2003, 1, 2), QDate(1, 12, 31), QDate(99, 7, 4), QDate(9999, 12, 31),
                          QDate(12345, 6, 7), QDate(-44, 3, 15), QDate()};
    for (const QDate& day : days) {
        const QDateTime at(day, time, Qt::UTC);
        EXPECT_EQ(ClockText(day, nullptr, ClockOrder::Shown), day.toString(QStringLiteral("MM/dd/yyyy")));
        EXPECT_EQ(ClockText(day, nullptr, ClockOrder::Odbc), day.toString(QStringLiteral("yyyy-MM-dd")));
        EXPECT_EQ(ClockText(day, &time, ClockOrder::Shown), at.toString(QStringLiteral("MM/dd/yyyy hh:mm:ss")));
        EXPECT_EQ(ClockText(day, &time, ClockOrder::Odbc), at.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    }
}

// The driver manager hands a narrow driver's UTF-8 over through UCS-2: a text with a character
// outside the BMP arrives one unit a byte, and only such a text is read back as UTF-8.
TEST(OdbcText, ByteWiseTextReadsBackAsItsUtf8)
{
    auto units = [](std::initializer_list<int> list) {
        std::u16string s;
        for (int u : list)
            s.push_back(char16_t(u));
        return s;
    };
    const struct { std::u16string given, expected; } cases[] = {
        {units({'x', 0xF0, 0x9F, 0x98, 0x80, 'y'}), u"x\U0001F600y"},
        {units({0xC3, 0xA9, ' ', 0xF0, 0x9F, 0x98, 0x80}), u"\u00e9 \U0001F600"},
        {u"no such table: t", u"no such table: t"},
        {u"d\u00e9j\u00e0 \u20ac", u"d\u00e9j\u00e0 \u20ac"},          // converted as it should be
        {units({0xE9, 'x'}), u"\u00e9x"},                                // Latin-1 that is no UTF-8
        {units({0xC0, 0x80}), units({0xC0, 0x80})},                      // overlong
        {units({0xED, 0xA0, 0x80}), units({0xED, 0xA0, 0x80})},          // a surrogate
        {units({0xF0, 0x9F, 0x98}), units({0xF0, 0x9F, 0x98})},          // cut short
    };
    for (const auto& c : cases)
        EXPECT_TRUE(platform::odbc::repairByteWiseText(c.given) == c.expected)
            << platform::odbc::toUtf8(c.given);
}

// Statement text goes as UTF-8 through the narrow calls to the SQLite driver, which has no wide
// calls (the driver manager would take a surrogate pair apart), and wide to psqlODBC.
TEST_P(EngineOnDriver, CharactersOutsideTheBmpInStatementsNamesAndMessages)
{
    EXPECT_EQ(db.connection().narrowText(), !pg);
    recreate(QStringLiteral("et_emoji"), QStringLiteral("id integer, \"n\U0001F600\" varchar(20), memo text"),
             QStringLiteral("id integer, \"n\U0001F600\" varchar(20), memo text"));
    const QString smile = QStringLiteral("\U0001F600");
    // Literal text, then literal text beside a bound parameter (the prepared road).
    exec(QStringLiteral("INSERT INTO et_emoji VALUES (1, 'x") + smile + QStringLiteral("y', 'memo ") + smile
         + QStringLiteral("')"));
    Query ins;
    ins.setDatabaseName(db.databaseName());
    ins.sql() << QStringLiteral("INSERT INTO et_emoji VALUES (:id, 'p") + smile + QStringLiteral("', :memo)");
    ins.paramByName(QStringLiteral("id")).setInteger(2);
    ins.paramByName(QStringLiteral("memo")).setMemo(smile + smile);
    ins.execSQL();

    const QString hex = pg ? QStringLiteral("encode(convert_to(\"n\U0001F600\", 'UTF8'), 'hex')")
                           : QStringLiteral("lower(hex(\"n\U0001F600\"))");
    EXPECT_EQ(values(db, QStringLiteral("SELECT ") + hex + QStringLiteral(" FROM et_emoji ORDER BY id")),
              (QStringList{"78f09f988079", "70f09f9880"}));
    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT \"n\U0001F600\", memo FROM et_emoji WHERE \"n\U0001F600\" = 'x") + smile
                   + QStringLiteral("y' OR memo LIKE '%") + smile + smile + QStringLiteral("%' ORDER BY id");
    q.open();
    EXPECT_EQ(q.fields(0).fieldName(), QStringLiteral("n\U0001F600"));
    QStringList found;
    for (; !q.eof(); q.next())
        found << q.fields(0).asString() + QLatin1Char('/') + q.fields(1).asString();
    EXPECT_EQ(found, (QStringList{QStringLiteral("x") + smile + QStringLiteral("y/memo ") + smile,
                                  QStringLiteral("p") + smile + QLatin1Char('/') + smile + smile}));
    // Names outside ASCII but inside the BMP still come whole, without the padding SQLite gave them.
    q.close();
    q.sql().clear();
    q.sql() << QStringLiteral("SELECT id AS \"\u00fcn\u00efc\u00f8d\u00e9\" FROM et_emoji");
    q.open();
    EXPECT_EQ(q.fields(0).fieldName(), QStringLiteral("\u00fcn\u00efc\u00f8d\u00e9"));
    try {
        values(db, QStringLiteral("SELECT * FROM nosuch") + smile);
        ADD_FAILURE() << "no error";
    } catch (const EngineError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("nosuch") + smile)) << e.message().toStdString();
    }
}

// DECIMAL and NUMERIC keep the digits the driver gives, however many: a double would hold about 16.
TEST_P(EngineOnDriver, DecimalsKeepTheDriversDigits)
{
    if (!pg)
        GTEST_SKIP() << "SQLite keeps a NUMERIC as a double or an integer";
    recreate(QStringLiteral("et_numeric"), QString(), QStringLiteral("k integer, n numeric(38,10), free numeric"));
    exec(QStringLiteral("INSERT INTO et_numeric VALUES (1, 12345678901234567890.1234567891, "
                        "3.14159265358979323846264338327950288), (2, -0.0000000001, 0.1), (3, 12.5, 1e-30)"));
    Query q;
    q.setDatabaseName(db.databaseName());
    q.sql() << QStringLiteral("SELECT n, free FROM et_numeric ORDER BY k");
    q.open();
    EXPECT_EQ(q.fields(0).dataType(), ftFloat);
    EXPECT_EQ(q.fields(0).dataSize(), 8);
    QStringList shown;
    for (; !q.eof(); q.next()) {
        QString line;
        q.fields(0).appendText(line);
        shown << line + QLatin1Char('|') + q.fields(1).asString();
    }
    EXPECT_EQ(shown, (QStringList{"12345678901234567890.1234567891|3.14159265358979323846264338327950288",
                                  "-0.0000000001|0.1", "12.5000000000|0.000000000000000000000000000001"}));
    q.close();
    q.open();
    EXPECT_DOUBLE_EQ(q.fields(0).asFloat(), 12345678901234567890.1234567891);
    q.next();
    q.next();
    EXPECT_EQ(q.fields(0).asInteger(), 13);  // rounded as a double's would be
}
