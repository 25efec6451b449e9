#include "app/DatabaseRegistry.h"
#include "app/FileSizeLimit.h"
#include "components/BVComboBox.h"
#include "components/SaveMsgDlg.h"
#include "platform/engine/Engine.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/tools/GlobalCopy.h"
#include "workspace/MainWindow.h"

#include "ui_Main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <functional>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ostream>

using namespace platform::engine;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (const QString& s : list)
        *os << "\n  \"" << s.toStdString() << '"';
    *os << " }";
}

namespace {

// ---- statements -----------------------------------------------------------------------------

TEST(CopyStatements, LiteralsByFieldType)
{
    struct Case {
        int type;
        const char* value;
        const char* literal;
    };
    const Case cases[] = {
        {ftString, "abc", "'abc'"},
        {ftString, "it's", "'it''s'"},
        {ftString, "", "''"},
        {ftMemo, "line one\nit's two", "'line one\nit''s two'"},
        {ftSmallint, "7", "7"},
        {ftInteger, "-42", "-42"},
        {ftAutoInc, "1001", "1001"},
        {ftFloat, "2.5", "2.5"},
        {ftBoolean, "True", "'1'"},
        {ftBoolean, "False", "'0'"},
        {ftDate, "03/14/2019", "{d '2019-03-14'}"},
        {ftDateTime, "03/14/2019 09:30:05", "{ts '2019-03-14 09:30:05'}"},
        {ftUnknown, "10:30:00", "'10:30:00'"},  // a time arrives as text
    };
    for (const Case& c : cases)
        EXPECT_EQ(CopyLiteral(c.type, QString::fromUtf8(c.value)), QString::fromUtf8(c.literal)) << c.value;
    EXPECT_TRUE(IsBinaryFieldType(ftBlob));
    EXPECT_TRUE(IsBinaryFieldType(ftGraphic));
    EXPECT_FALSE(IsBinaryFieldType(ftMemo));
}

TEST(CopyStatements, SerialFirstColumnAndInsertText)
{
    for (const char* name : {"order_SERIAL_no", "_serial", "X_Serial"})
        EXPECT_TRUE(IsSerialFirstField(QString::fromUtf8(name))) << name;
    for (const char* name : {"serial", "id", "orderserial", "serial_no"})
        EXPECT_FALSE(IsSerialFirstField(QString::fromUtf8(name))) << name;

    EXPECT_EQ(CopyInsertStatement(QStringLiteral("items"), {"a", "b"}, {"1", "null"}),
              QStringLiteral("INSERT INTO items(a,b) VALUES(1,null)"));
    EXPECT_EQ(CopyInsertStatement(QStringLiteral("order items"), {"unit price", "qty"}, {"2.5", "'x'"}),
              QStringLiteral("INSERT INTO \"order items\"(\"unit price\",qty) VALUES(2.5,'x')"));
}

// ---- real databases -------------------------------------------------------------------------

void execSql(const QString& dataSource, const QStringList& statements, const QStringList& login = {})
{
    Database db;
    db.setDatabaseName(QStringLiteral("copy_seed"));
    db.setAliasName(dataSource);
    db.params() = login;
    db.setConnected(true);
    for (const QString& sql : statements) {
        Query q;
        q.setDatabaseName(QStringLiteral("copy_seed"));
        q.sql() << sql;
        q.execSQL();
    }
}

// Every row of a table as text, ordered by the given column; binary values in hex.
QStringList rowsOf(const QString& dataSource, const QString& select, const QStringList& login = {})
{
    Database db;
    db.setDatabaseName(QStringLiteral("copy_check"));
    db.setAliasName(dataSource);
    db.params() = login;
    db.setConnected(true);
    Query q;
    q.setDatabaseName(QStringLiteral("copy_check"));
    q.sql() << select;
    q.open();
    QStringList rows;
    while (!q.eof()) {
        QStringList values;
        for (int i = 0; i < q.fieldCount(); ++i) {
            const Field& f = q.fields(i);
            values << (f.isNull() ? QStringLiteral("null")
                       : IsBinaryFieldType(f.dataType()) ? QString::fromLatin1(f.asBytes().toHex())
                       : f.dataType() == ftBoolean ? (f.asBoolean() ? QStringLiteral("1") : QStringLiteral("0"))
                                                   : f.asString());
        }
        rows << values.join(u'|');
        q.next();
    }
    return rows;
}

void makeSqliteSources()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    for (const char* name : {"qv_cp_src", "qv_cp_dst"}) {
        const QString file = testsupport::runFolder() + u'/' + QString::fromLatin1(name) + QStringLiteral(".db");
        testsupport::addDataSource(QString::fromLatin1(name), QStringLiteral("SQLite3"), {QStringLiteral("Database=") + file});
    }
}

const QStringList kSourceTables{
    QStringLiteral("DROP TABLE IF EXISTS cpt_items"),
    QStringLiteral("DROP TABLE IF EXISTS cpt_people"),
    QStringLiteral("DROP TABLE IF EXISTS cpt_empty"),
    QStringLiteral("CREATE TABLE cpt_items (order_SERIAL_no INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40),"
                   " qty INTEGER, \"unit price\" DOUBLE, born DATE, stamp TIMESTAMP, flag BOOLEAN, note TEXT, pic BLOB)"),
    QStringLiteral("INSERT INTO cpt_items (name, qty, \"unit price\", born, stamp, flag, note, pic) VALUES"
                   " ('it''s', 3, 2.5, '2019-03-14', '2020-01-02 03:04:05', 1, 'long ''note''', X'00FF10')"),
    QStringLiteral("INSERT INTO cpt_items (name, qty, \"unit price\", born, stamp, flag, note, pic) VALUES"
                   " (NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)"),
    QStringLiteral("INSERT INTO cpt_items (name, qty, \"unit price\", born, stamp, flag, note, pic) VALUES"
                   " ('plain', -1, 0.125, '1999-12-31', '1999-12-31 23:59:59', 0, 'x', X'')"),
    QStringLiteral("CREATE TABLE cpt_people (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(20), x_serial INTEGER)"),
    QStringLiteral("INSERT INTO cpt_people (id, name, x_serial) VALUES (10, 'Ann', 1)"),
    QStringLiteral("INSERT INTO cpt_people (id, name, x_serial) VALUES (11, NULL, 2)"),
    QStringLiteral("INSERT INTO cpt_people (id, name, x_serial) VALUES (12, 'Cy', 3)"),
    QStringLiteral("CREATE TABLE cpt_empty (id INTEGER, v VARCHAR(5))"),
};

// The target refuses people without a name: one rejected row.
QStringList sqliteTargetTables()
{
    return {
        QStringLiteral("DROP TABLE IF EXISTS cpt_items"),
        QStringLiteral("DROP TABLE IF EXISTS cpt_people"),
        QStringLiteral("DROP TABLE IF EXISTS cpt_empty"),
        QStringLiteral("CREATE TABLE cpt_items (order_SERIAL_no INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40),"
                       " qty INTEGER, \"unit price\" DOUBLE, born DATE, stamp TIMESTAMP, flag BOOLEAN, note TEXT, pic BLOB)"),
        QStringLiteral("INSERT INTO cpt_items (name) VALUES ('old row')"),
        QStringLiteral("CREATE TABLE cpt_people (id INTEGER PRIMARY KEY, name VARCHAR(20) NOT NULL, x_serial INTEGER)"),
        QStringLiteral("CREATE TABLE cpt_empty (id INTEGER, v VARCHAR(5))"),
        QStringLiteral("INSERT INTO cpt_empty VALUES (1, 'gone')"),
    };
}

const char* kItemsColumns = "SELECT name, qty, \"unit price\", born, stamp, flag, note, pic FROM cpt_items ORDER BY name";
const char* kPeopleColumns = "SELECT id, name, x_serial FROM cpt_people ORDER BY id";

class CopyTables : public ::testing::Test {
protected:
    testsupport::TempHome home;
    QStringList messages;
    // Works the copy window once it shows.
    std::function<void(TForm_Copy&)> work;
    TForm_Copy* seen = nullptr;
    platform::modal::ScopedResponder responder{[this](const platform::modal::Request& r) {
        platform::modal::Answer a;
        if (auto* copy = qobject_cast<TForm_Copy*>(r.window)) {
            seen = copy;
            if (work)
                work(*copy);
        } else if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
            messages << msg->RichEdit->toPlainText();
            a.result = 1;
        } else {
            messages << r.text;
            a.result = QMessageBox::Ok;
        }
        return a;
    }};
    TForm_Main form;
    QStringList pgLogin;

    void SetUp() override
    {
        makeSqliteSources();
        execSql(QStringLiteral("qv_cp_src"), kSourceTables);
        execSql(QStringLiteral("qv_cp_dst"), sqliteTargetTables());

        QFile ini(home.file(QStringLiteral("Quorvel.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[DATABASES]\n"
                  "Source=ACCESS|Source|qv_cp_src|||||||\n"
                  "Target=ACCESS|Target|qv_cp_dst|||||||\n"
                  "Postgres=ACCESS|Postgres|qv_pg|||||||\n"
                  "Untyped=SQLITE|Untyped|qv_cp_dst|||||||\n"
                  "Nowhere=ACCESS|Nowhere|qv_cp_no_such_source|||||||\n");
        ini.close();
        form.registry().LoadDatabases();

        // Connected to the source as start-up leaves it.
        if (testsupport::pgAvailable())
            pgLogin = QStringList{QStringLiteral("user name=") + testsupport::pg().user,
                                  QStringLiteral("password=") + testsupport::pg().password};
        form.state().CurrentDataSource = QStringLiteral("qv_cp_src");
        form.Database.setDatabaseName(QStringLiteral("qv_cp_src"));
        form.Database.setAliasName(QStringLiteral("qv_cp_src"));
        form.Database.params() = pgLogin;
        form.Database.setConnected(true);
        form.state().CurrentDatabase = form.registry().FindDatabaseObj(QStringLiteral("Source"));
        ASSERT_NE(form.state().CurrentDatabase, nullptr);
    }
    void TearDown() override { form.state().CurrentDatabase = nullptr; }

    static void choose(TBVComboBox* combo, const QString& name) { combo->setCurrentIndex(combo->findText(name)); }
    static void pick(TForm_Copy& copy, const QStringList& tables)
    {
        for (const QString& t : tables) {
            const auto found = copy.ListBox_TableName->findItems(t, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << t.toStdString();
            found.first()->setSelected(true);
            emit copy.ListBox_TableName->itemClicked(found.first());
        }
    }
    // Opens the window by its command and copies the tables from one database to the other.
    void copy(const QString& from, const QString& to, const QStringList& tables,
              std::function<void(TForm_Copy&)> after = {})
    {
        work = [=](TForm_Copy& c) {
            choose(c.BVComboBox_From, from);
            choose(c.BVComboBox_To, to);
            c.BitBtn_LoadTables->click();
            pick(c, tables);
            ASSERT_TRUE(c.BitBtn_OK->isEnabled());
            c.BitBtn_OK->click();
            if (after)
                after(c);
        };
        form.ui().MenuItem_LoadSelectedTables->trigger();
        ASSERT_NE(seen, nullptr);
    }
    // The connection is back on the source, as when the window opened.
    void expectBackOnSource()
    {
        EXPECT_TRUE(form.Database.connected());
        EXPECT_EQ(form.Database.aliasName(), QStringLiteral("qv_cp_src"));
        const QStringList alias = Session::instance().aliasParams(QStringLiteral("qv_cp_src"));
        EXPECT_TRUE(alias.contains(QStringLiteral("ODBC DSN=qv_cp_src"), Qt::CaseInsensitive)) << alias.join(u';').toStdString();
        EXPECT_EQ(form.state().CurrentDatabase, form.registry().FindDatabaseObj(QStringLiteral("Source")));
    }
};

TEST_F(CopyTables, SqliteToSqliteReplacesTheRows)
{
    const QStringList sourceItems = rowsOf(QStringLiteral("qv_cp_src"), QString::fromUtf8(kItemsColumns));
    QString lastStatus;
    copy(QStringLiteral("Source"), QStringLiteral("Target"), {"cpt_items", "cpt_people", "cpt_empty"},
         [&](TForm_Copy& c) { lastStatus = c.Panel_Status->text(); });

    // Tables are copied in list order: cpt_people came last, with two of its three rows.
    EXPECT_EQ(lastStatus, QStringLiteral("2 rows added"));
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QString::fromUtf8(kItemsColumns)), sourceItems);
    // The serial first column was left to the target: numbered from 1 again.
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QStringLiteral("SELECT order_SERIAL_no FROM cpt_items ORDER BY 1")),
              (QStringList{"2", "3", "4"}));
    // An id column elsewhere keeps its values; the nameless person is refused and reported.
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QString::fromUtf8(kPeopleColumns)),
              (QStringList{"10|Ann|1", "12|Cy|3"}));
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QStringLiteral("SELECT * FROM cpt_empty")), QStringList());
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("INSERT INTO cpt_people(id,name,x_serial) VALUES(11,null,2)")))
        << messages[0].toStdString();
    expectBackOnSource();

    // A source table with no rows still empties its target; the status line says no more.
    execSql(QStringLiteral("qv_cp_dst"), {QStringLiteral("INSERT INTO cpt_empty VALUES (1, 'again')")});
    copy(QStringLiteral("Source"), QStringLiteral("Target"), {"cpt_empty"},
         [&](TForm_Copy& c) { lastStatus = c.Panel_Status->text(); });
    EXPECT_EQ(lastStatus, QStringLiteral("Inserting records into the cpt_empty table..."));
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QStringLiteral("SELECT * FROM cpt_empty")), QStringList());
}

TEST_F(CopyTables, SameDatabaseCanNeverBeCopied)
{
    work = [&](TForm_Copy& c) {
        EXPECT_EQ(c.windowTitle(), QStringLiteral("Copy Tables"));
        EXPECT_FALSE(c.BitBtn_LoadTables->isEnabled());
        choose(c.BVComboBox_From, QStringLiteral("Source"));
        EXPECT_TRUE(c.BitBtn_LoadTables->isEnabled());
        choose(c.BVComboBox_To, QStringLiteral("Source"));
        EXPECT_FALSE(c.BitBtn_OK->isEnabled());
        c.BitBtn_LoadTables->click();
        pick(c, {"cpt_items"});
        EXPECT_FALSE(c.BitBtn_OK->isEnabled());
        c.BitBtn_OK->click();  // disabled: nothing happens
        choose(c.BVComboBox_To, QStringLiteral("Target"));
        EXPECT_TRUE(c.BitBtn_OK->isEnabled());
        // A new From database empties the table list.
        choose(c.BVComboBox_From, QStringLiteral("Target"));
        EXPECT_EQ(c.ListBox_TableName->count(), 0);
        c.BitBtn_Cancel->click();
    };
    form.ui().MenuItem_LoadSelectedTables->trigger();
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QStringLiteral("SELECT name FROM cpt_items")), QStringList{"old row"});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    EXPECT_FALSE(form.ui().MenuItem_LoadSelectedTables->isVisible());
}

TEST_F(CopyTables, LoadTablesThenCancelPointsTheConnectionBack)
{
    work = [&](TForm_Copy& c) {
        choose(c.BVComboBox_From, QStringLiteral("Target"));
        c.BitBtn_LoadTables->click();
        EXPECT_EQ(c.ConnectedDatabase, form.registry().FindDatabaseObj(QStringLiteral("Target")));
        EXPECT_TRUE(Session::instance()
                        .aliasParams(QStringLiteral("qv_cp_src"))
                        .contains(QStringLiteral("ODBC DSN=qv_cp_dst"), Qt::CaseInsensitive));
        c.BitBtn_Cancel->click();
    };
    form.ui().MenuItem_LoadSelectedTables->trigger();
    expectBackOnSource();
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_src"), QStringLiteral("SELECT count(*) FROM cpt_items")), QStringList{"3"});
}

TEST_F(CopyTables, TargetThatCannotBeReachedLeavesTheSourceUntouched)
{
    const QString everything = QStringLiteral("SELECT * FROM cpt_items ORDER BY order_SERIAL_no");
    const QStringList before = rowsOf(QStringLiteral("qv_cp_src"), everything);
    const QStringList targetBefore = rowsOf(QStringLiteral("qv_cp_dst"), everything);
    ASSERT_EQ(before.size(), 3);

    // An unknown type adds no alias, so the connection would stay on the source: skipped.
    copy(QStringLiteral("Source"), QStringLiteral("Untyped"), {"cpt_items"});
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_src"), everything), before);
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), everything), targetBefore);
    EXPECT_TRUE(messages.join(u'\n').contains(QStringLiteral("The cpt_items table was not copied")))
        << messages.join(u'\n').toStdString();
    expectBackOnSource();

    // A data source that refuses the connection: the error is shown and the window stays open.
    messages.clear();
    bool stayedOpen = false;
    copy(QStringLiteral("Source"), QStringLiteral("Nowhere"), {"cpt_items"}, [&](TForm_Copy& c) {
        stayedOpen = c.isVisible();
        c.BitBtn_Cancel->click();
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(messages.isEmpty());
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_src"), everything), before);
    expectBackOnSource();
}

TEST_F(CopyTables, FailedDeleteSkipsTheInserts)
{
    // A view cannot be emptied: its rows would otherwise be doubled.
    execSql(QStringLiteral("qv_cp_dst"), {QStringLiteral("DROP TABLE cpt_empty"),
                                          QStringLiteral("CREATE TABLE cpt_base (id INTEGER, v VARCHAR(5))"),
                                          QStringLiteral("INSERT INTO cpt_base VALUES (1, 'kept')"),
                                          QStringLiteral("CREATE VIEW cpt_empty AS SELECT * FROM cpt_base")});
    execSql(QStringLiteral("qv_cp_src"), {QStringLiteral("INSERT INTO cpt_empty VALUES (2, 'new')")});
    copy(QStringLiteral("Source"), QStringLiteral("Target"), {"cpt_empty"});
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QStringLiteral("SELECT * FROM cpt_base")), QStringList{"1|kept"});
    execSql(QStringLiteral("qv_cp_dst"), {QStringLiteral("DROP VIEW cpt_empty"), QStringLiteral("DROP TABLE cpt_base")});
}

TEST_F(CopyTables, SqliteToPostgres)
{
    QV_REQUIRE_PG();
    testsupport::pgExec(QStringLiteral(
        "DROP TABLE IF EXISTS cpt_items; DROP TABLE IF EXISTS cpt_people;"
        "CREATE TABLE cpt_items (order_serial_no SERIAL PRIMARY KEY, name VARCHAR(40), qty INTEGER,"
        " \"unit price\" DOUBLE PRECISION, born DATE, stamp TIMESTAMP, flag BOOLEAN, note TEXT, pic BYTEA);"
        "INSERT INTO cpt_items (name) VALUES ('old row');"
        "CREATE TABLE cpt_people (id INTEGER PRIMARY KEY, name VARCHAR(20) NOT NULL, x_serial INTEGER);"));
    const QStringList sourceItems = rowsOf(QStringLiteral("qv_cp_src"), QString::fromUtf8(kItemsColumns));
    copy(QStringLiteral("Source"), QStringLiteral("Postgres"), {"cpt_items", "cpt_people"});

    // PostgreSQL sorts nulls last; compare as sets of rows.
    QStringList copied = rowsOf(QStringLiteral("qv_pg"), QString::fromUtf8(kItemsColumns), pgLogin);
    QStringList expected = sourceItems;
    copied.sort();
    expected.sort();
    EXPECT_EQ(copied, expected);
    EXPECT_EQ(rowsOf(QStringLiteral("qv_pg"), QString::fromUtf8(kPeopleColumns), pgLogin),
              (QStringList{"10|Ann|1", "12|Cy|3"}));
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("VALUES(11,null,2)")));
    expectBackOnSource();
}

// Text is quoted as the target reads it, whichever database the rows came from: PostgreSQL's
// E'' form for a backslash is no literal to SQLite, and SQLite's plain one would let a backslash
// end the literal on a PostgreSQL session without standard strings.
TEST_F(CopyTables, TextIsQuotedForTheTarget)
{
    QV_REQUIRE_PG();
    const QStringList expected{"\\'; DELETE FROM cpt_slash; --", "a\\b", "it's\\"};
    QString inserts;
    for (QString v : expected)
        inserts += QStringLiteral("INSERT INTO cpt_slash VALUES ('%1');").arg(v.replace(u'\'', QStringLiteral("''")));
    testsupport::pgExec(QStringLiteral("DROP TABLE IF EXISTS cpt_slash; CREATE TABLE cpt_slash (name VARCHAR(40));")
                        + inserts);
    execSql(QStringLiteral("qv_cp_dst"), {QStringLiteral("DROP TABLE IF EXISTS cpt_slash"),
                                          QStringLiteral("CREATE TABLE cpt_slash (name VARCHAR(40))")});
    const char* select = "SELECT name FROM cpt_slash ORDER BY name";
    copy(QStringLiteral("Postgres"), QStringLiteral("Target"), {"cpt_slash"});
    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QString::fromUtf8(select)), expected);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();

    testsupport::pgExec(QStringLiteral("DELETE FROM cpt_slash"));
    seen = nullptr;
    copy(QStringLiteral("Target"), QStringLiteral("Postgres"), {"cpt_slash"});
    EXPECT_EQ(rowsOf(QStringLiteral("qv_pg"), QString::fromUtf8(select), pgLogin), expected);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
}

// Rows the target refuses are counted and reported once for the table, with the first messages.
TEST_F(CopyTables, RefusedRowsAreReportedOncePerTable)
{
    QStringList nameless;
    for (int id = 20; id < 26; ++id)
        nameless << QStringLiteral("INSERT INTO cpt_people (id, name, x_serial) VALUES (%1, NULL, %1)").arg(id);
    execSql(QStringLiteral("qv_cp_src"), nameless);
    copy(QStringLiteral("Source"), QStringLiteral("Target"), {"cpt_items", "cpt_people"});

    EXPECT_EQ(rowsOf(QStringLiteral("qv_cp_dst"), QString::fromUtf8(kPeopleColumns)), (QStringList{"10|Ann|1", "12|Cy|3"}));
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    const QString& report = messages[0];
    EXPECT_TRUE(report.startsWith(QStringLiteral("The cpt_people table refused 7 rows of the copy; it now holds the other 2.")))
        << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("VALUES(11,null,2)")));
    EXPECT_TRUE(report.contains(QStringLiteral("VALUES(21,null,21)")));
    EXPECT_FALSE(report.contains(QStringLiteral("VALUES(22,null,22)")));
    EXPECT_TRUE(report.endsWith(QStringLiteral("... and 4 more."))) << report.toStdString();
    expectBackOnSource();
}

// The target's backend ends itself at the 600th row of a table (a trigger calls
// pg_terminate_backend), as a server that goes away in the middle of a copy: that table keeps its
// old rows, the copy ends with one message, and the tables before it stay copied.
TEST_F(CopyTables, LostConnectionKeepsTheTargetsOldRows)
{
    QV_REQUIRE_PG();
    execSql(QStringLiteral("qv_cp_src"),
            {QStringLiteral("DROP TABLE IF EXISTS cpt_a_first"), QStringLiteral("DROP TABLE IF EXISTS cpt_many"),
             QStringLiteral("CREATE TABLE cpt_a_first (id INTEGER, v VARCHAR(10))"),
             QStringLiteral("INSERT INTO cpt_a_first VALUES (1, 'new')"),
             QStringLiteral("CREATE TABLE cpt_many (id INTEGER, v VARCHAR(10))"),
             QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 1000) "
                            "INSERT INTO cpt_many SELECT x, 'new' FROM n")});
    testsupport::pgExec(QStringLiteral(
        "DROP TABLE IF EXISTS cpt_a_first; DROP TABLE IF EXISTS cpt_many; DROP TABLE IF EXISTS cpt_people;"
        "CREATE TABLE cpt_a_first (id INTEGER, v VARCHAR(10)); INSERT INTO cpt_a_first VALUES (9, 'old');"
        "CREATE TABLE cpt_many (id INTEGER, v VARCHAR(10));"
        "INSERT INTO cpt_many SELECT g, 'old' FROM generate_series(9001, 9005) g;"
        "CREATE TABLE cpt_people (id INTEGER PRIMARY KEY, name VARCHAR(20) NOT NULL, x_serial INTEGER);"
        "INSERT INTO cpt_people VALUES (99, 'old', 0);"
        "CREATE OR REPLACE FUNCTION cpt_cut() RETURNS trigger LANGUAGE plpgsql AS $$BEGIN"
        "  IF NEW.id = 600 THEN PERFORM pg_terminate_backend(pg_backend_pid()); END IF; RETURN NEW; END$$;"
        "CREATE TRIGGER cpt_cut AFTER INSERT ON cpt_many FOR EACH ROW EXECUTE FUNCTION cpt_cut();"));
    bool stayedOpen = false;
    copy(QStringLiteral("Source"), QStringLiteral("Postgres"), {"cpt_a_first", "cpt_many", "cpt_people"},
         [&](TForm_Copy& c) {
             stayedOpen = c.isVisible();
             c.BitBtn_Cancel->click();
         });

    EXPECT_EQ(rowsOf(QStringLiteral("qv_pg"), QStringLiteral("SELECT id, v FROM cpt_a_first"), pgLogin), QStringList{"1|new"});
    EXPECT_EQ(rowsOf(QStringLiteral("qv_pg"), QStringLiteral("SELECT id, v FROM cpt_many ORDER BY id"), pgLogin),
              (QStringList{"9001|old", "9002|old", "9003|old", "9004|old", "9005|old"}));
    EXPECT_EQ(rowsOf(QStringLiteral("qv_pg"), QString::fromUtf8(kPeopleColumns), pgLogin), QStringList{"99|old|0"});
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("The connection to the database was lost while copying the cpt_many "
                                                      "table:")))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith(QStringLiteral("Tables copied: cpt_a_first\nTables that kept their old rows: "
                                                    "cpt_many, cpt_people")))
        << messages[0].toStdString();
    EXPECT_TRUE(stayedOpen);
    expectBackOnSource();
    testsupport::pgExec(QStringLiteral("DROP TABLE cpt_a_first; DROP TABLE cpt_many; DROP FUNCTION cpt_cut();"));
    execSql(QStringLiteral("qv_cp_src"), {QStringLiteral("DROP TABLE cpt_a_first"), QStringLiteral("DROP TABLE cpt_many")});
}

// Started on a database without a login, the copy reaches a target by the login configured for it.
TEST_F(CopyTables, TargetIsReachedWithItsOwnLogin)
{
    QV_REQUIRE_PG();
    testsupport::pgExec(QStringLiteral(
        "DROP TABLE IF EXISTS cpt_people;"
        "CREATE TABLE cpt_people (id INTEGER PRIMARY KEY, name VARCHAR(20) NOT NULL, x_serial INTEGER);"));
    const testsupport::PgServer& pg = testsupport::pg();
    platform::IniFile(QStringLiteral("Quorvel.ini"))
        .writeString(QStringLiteral("DATABASES"), QStringLiteral("Pg login"),
                     QStringLiteral("ACCESS|Pg login|qv_pg|") + pg.user + QLatin1Char('|') + pg.password
                         + QStringLiteral("|||||"));
    form.registry().LoadDatabases();
    form.state().CurrentDatabase = form.registry().FindDatabaseObj(QStringLiteral("Source"));
    form.Database.setConnected(false);
    form.Database.params().clear();
    form.Database.setConnected(true);

    copy(QStringLiteral("Source"), QStringLiteral("Pg login"), {"cpt_people"});

    EXPECT_EQ(rowsOf(QStringLiteral("qv_pg"), QString::fromUtf8(kPeopleColumns), pgLogin),
              (QStringList{"10|Ann|1", "12|Cy|3"}));
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("VALUES(11,null,2)"))) << messages[0].toStdString();
    expectBackOnSource();
    // Back on the starting database with the login it had.
    EXPECT_EQ(form.Database.params(), QStringList());

    // A refused login is reported; closing the window still goes back to the starting database.
    platform::IniFile(QStringLiteral("Quorvel.ini"))
        .writeString(QStringLiteral("DATABASES"), QStringLiteral("Pg login"),
                     QStringLiteral("ACCESS|Pg login|qv_pg|") + pg.user + QStringLiteral("|wrong|||||"));
    form.registry().LoadDatabases();
    form.state().CurrentDatabase = form.registry().FindDatabaseObj(QStringLiteral("Source"));
    messages.clear();
    copy(QStringLiteral("Source"), QStringLiteral("Pg login"), {"cpt_people"},
         [](TForm_Copy& c) { c.BitBtn_Cancel->click(); });
    ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("password authentication failed"))) << messages[0].toStdString();
    expectBackOnSource();
}

// A target that can take no more rows (its disk full, or a file-size limit reached) in the middle
// of the second of three tables: that table and the one after it keep their old rows exactly, the
// first stays copied, and one message says why the copy stopped.
class CopyOntoLimitedTarget : public CopyTables {
protected:
    // The target's tables with their old rows; cpt_big is made with the given options.
    static QStringList targetTables(const QString& bigOptions = {})
    {
        return {QStringLiteral("DROP TABLE IF EXISTS cpt_a_first"), QStringLiteral("DROP TABLE IF EXISTS cpt_big"),
                QStringLiteral("DROP TABLE IF EXISTS cpt_c_last"),
                QStringLiteral("CREATE TABLE cpt_a_first (id INTEGER, v VARCHAR(10))"),
                QStringLiteral("INSERT INTO cpt_a_first VALUES (9, 'old')"),
                QStringLiteral("CREATE TABLE cpt_big (id INTEGER, v VARCHAR(200))") + bigOptions,
                QStringLiteral("INSERT INTO cpt_big VALUES (-1, 'old ''one'''), (-2, 'zwei \u00fc'), (-3, NULL)"),
                QStringLiteral("CREATE TABLE cpt_c_last (id INTEGER, v VARCHAR(10))"),
                QStringLiteral("INSERT INTO cpt_c_last VALUES (9, 'old')")};
    }

    // Copies the three tables onto the configured database dsn, which holds targetTables(), once
    // limit() has run.
    void copyOnto(const QString& dsn, const QStringList& login, const std::function<void()>& limit,
                  const QString& head, const QString& driverText)
    {
        execSql(QStringLiteral("qv_cp_src"),
                {QStringLiteral("DROP TABLE IF EXISTS cpt_a_first"), QStringLiteral("DROP TABLE IF EXISTS cpt_big"),
                 QStringLiteral("DROP TABLE IF EXISTS cpt_c_last"),
                 QStringLiteral("CREATE TABLE cpt_a_first (id INTEGER, v VARCHAR(10))"),
                 QStringLiteral("INSERT INTO cpt_a_first VALUES (1, 'new')"),
                 QStringLiteral("CREATE TABLE cpt_big (id INTEGER, v VARCHAR(200))"),
                 QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 20000) "
                                "INSERT INTO cpt_big SELECT x, printf('%0100d', x) FROM n"),
                 QStringLiteral("CREATE TABLE cpt_c_last (id INTEGER, v VARCHAR(10))"),
                 QStringLiteral("INSERT INTO cpt_c_last VALUES (1, 'new')")});
        const QString bigRows = QStringLiteral("SELECT id, v FROM cpt_big ORDER BY id");
        const QStringList oldBig = rowsOf(dsn, bigRows, login);
        ASSERT_EQ(oldBig.size(), 3);
        platform::IniFile(QStringLiteral("Quorvel.ini"))
            .writeString(QStringLiteral("DATABASES"), QStringLiteral("Limited"),
                         QStringLiteral("ACCESS|Limited|") + dsn + QStringLiteral("|||||||"));
        form.registry().LoadDatabases();
        form.state().CurrentDatabase = form.registry().FindDatabaseObj(QStringLiteral("Source"));

        limit();
        bool stayedOpen = false;
        copy(QStringLiteral("Source"), QStringLiteral("Limited"), {"cpt_a_first", "cpt_big", "cpt_c_last"},
             [&](TForm_Copy& c) {
                 stayedOpen = c.isVisible();
                 c.BitBtn_Cancel->click();
             });

        const QStringList big = rowsOf(dsn, bigRows, login);
        EXPECT_TRUE(big == oldBig) << "the table holds " << big.size() << " rows, and held 3";
        EXPECT_EQ(rowsOf(dsn, QStringLiteral("SELECT id, v FROM cpt_c_last"), login), QStringList{"9|old"});
        EXPECT_EQ(rowsOf(dsn, QStringLiteral("SELECT id, v FROM cpt_a_first"), login), QStringList{"1|new"});
        ASSERT_EQ(messages.size(), 1) << messages.join(u'\n').left(2000).toStdString();
        const QString& message = messages[0];
        EXPECT_TRUE(message.startsWith(head + QStringLiteral("\n"))) << message.toStdString();
        EXPECT_TRUE(message.contains(driverText)) << message.toStdString();
        EXPECT_TRUE(message.endsWith(QStringLiteral("Tables copied: cpt_a_first\nTables that kept their old rows: "
                                                    "cpt_big, cpt_c_last")))
            << message.toStdString();
        EXPECT_TRUE(stayedOpen);
        expectBackOnSource();
    }
};

// A small tmpfs, mounted for one test and taken away after it; mounting needs root.
struct SmallFileSystem {
    QByteArray at;
    QString error;
    SmallFileSystem(const QString& folder, const QByteArray& options) : at(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        if (::mount("tmpfs", at.constData(), "tmpfs", 0, options.constData()) != 0) {
            error = QStringLiteral("mounting a tmpfs failed (%1); it needs root").arg(QString::fromLocal8Bit(std::strerror(errno)));
            at.clear();
        }
    }
    ~SmallFileSystem()
    {
        if (!at.isEmpty())
            ::umount2(at.constData(), MNT_DETACH);
    }
};

TEST_F(CopyOntoLimitedTarget, FullDiskIsReportedAsSuch)
{
    const QString folder = testsupport::runFolder() + QStringLiteral("/full-disk");
    const SmallFileSystem disk(folder, "size=256k");
    if (!disk.error.isEmpty())
        GTEST_SKIP() << "no small file system to fill: " << disk.error.toStdString();
    testsupport::addDataSource(QStringLiteral("qv_cp_full"), QStringLiteral("SQLite3"),
                               {QStringLiteral("Database=") + folder + QStringLiteral("/target.db")});
    execSql(QStringLiteral("qv_cp_full"), targetTables());
    copyOnto(QStringLiteral("qv_cp_full"), {}, [] {},
             QStringLiteral("The disk of the target database is full: the copy stopped at the cpt_big table:"),
             QStringLiteral("database or disk is full"));
}

// The server's disk fills: the target table lies in a tablespace on a small file system.
TEST_F(CopyOntoLimitedTarget, FullServerDiskIsReportedAsSuch)
{
    QV_REQUIRE_PG();
    const passwd* postgres = ::getpwnam("postgres");
    if (!postgres)
        GTEST_SKIP() << "no postgres user to own a tablespace";
    char name[] = "/tmp/qv-cp-space-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    ::chmod(name, 0755);
    struct RemoveFolder {
        QByteArray path;
        ~RemoveFolder() { ::rmdir(path.constData()); }
    } removeFolder{name};
    const SmallFileSystem disk(QString::fromLatin1(name),
                               QStringLiteral("size=256k,mode=0700,uid=%1,gid=%2")
                                   .arg(postgres->pw_uid)
                                   .arg(postgres->pw_gid)
                                   .toLatin1());
    if (!disk.error.isEmpty())
        GTEST_SKIP() << "no small file system to fill: " << disk.error.toStdString();
    testsupport::pgExec(QStringLiteral("DROP TABLE IF EXISTS cpt_big; DROP TABLESPACE IF EXISTS cpt_small_space"));
    testsupport::pgExec(QStringLiteral("CREATE TABLESPACE cpt_small_space LOCATION '%1'").arg(QString::fromLatin1(name)));
    testsupport::pgExec(targetTables(QStringLiteral(" TABLESPACE cpt_small_space")).join(u';'));
    copyOnto(QStringLiteral("qv_pg"), pgLogin, [] {},
             QStringLiteral("The disk of the target database is full: the copy stopped at the cpt_big table:"),
             QStringLiteral("No space left on device"));
    testsupport::pgExec(QStringLiteral("DROP TABLE cpt_big; DROP TABLESPACE cpt_small_space"));
}

// The program ignores SIGXFSZ, so a write past the limit fails (EFBIG) instead of killing it.
TEST_F(CopyOntoLimitedTarget, FileSizeLimitIsReportedAsAFailedWrite)
{
    app::IgnoreFileSizeLimitSignal();
    testsupport::addDataSource(QStringLiteral("qv_cp_fsize"), QStringLiteral("SQLite3"),
                               {QStringLiteral("Database=") + testsupport::runFolder() + QStringLiteral("/fsize.db")});
    execSql(QStringLiteral("qv_cp_fsize"), targetTables());
    rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    struct Restore {
        rlimit limits;
        ~Restore() { ::setrlimit(RLIMIT_FSIZE, &limits); }
    } restore{before};
    copyOnto(QStringLiteral("qv_cp_fsize"), {},
             [&] {
                 rlimit small = before;
                 small.rlim_cur = 256 * 1024;
                 ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
             },
             QStringLiteral("The target database could not write to its disk: the copy stopped at the cpt_big table:"),
             QStringLiteral("disk I/O error"));
}

} // namespace
