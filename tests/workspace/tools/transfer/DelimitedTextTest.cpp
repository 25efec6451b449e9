// Found records written into the results box as delimited text and read back as INSERTs, on the
// demo database and into copies on SQLite and PostgreSQL.
#include "Fixture.h"

#include "demo/DemoMaker.h"
#include "tests/support/PgStatementLog.h"
#include "workspace/tools/DelimitedText.h"

#include <QTemporaryDir>
#include <QTextStream>

namespace {

struct DemoTable {
    const char* name;
    const char* sqliteColumns;  // the demo table's own definition
    const char* pgColumns;      // the same on PostgreSQL, booleans as its own boolean
};

const DemoTable kDemoTables[] = {
    {"customers",
     "id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40) NOT NULL, city VARCHAR(30), country VARCHAR(30), "
     "\"credit limit\" DOUBLE, active BOOLEAN NOT NULL DEFAULT 1, joined DATE, notes TEXT",
     "id SERIAL PRIMARY KEY, name VARCHAR(40) NOT NULL, city VARCHAR(30), country VARCHAR(30), "
     "\"credit limit\" DOUBLE PRECISION, active BOOLEAN NOT NULL DEFAULT true, joined DATE, notes TEXT"},
    {"products",
     "sku VARCHAR(12) NOT NULL UNIQUE, name VARCHAR(40) NOT NULL, price REAL, weight_kg REAL, in_stock BOOLEAN, "
     "description TEXT, picture_format VARCHAR(4), picture BLOB",
     "sku VARCHAR(12) NOT NULL UNIQUE, name VARCHAR(40) NOT NULL, price DOUBLE PRECISION, "
     "weight_kg DOUBLE PRECISION, in_stock BOOLEAN, description TEXT, picture_format VARCHAR(4), picture BYTEA"},
    {"orders",
     "order_no INTEGER PRIMARY KEY AUTOINCREMENT, customer_id INTEGER NOT NULL, \"order date\" DATE NOT NULL, "
     "shipped TIMESTAMP, total DOUBLE, paid BOOLEAN",
     "order_no SERIAL PRIMARY KEY, customer_id INTEGER NOT NULL, \"order date\" DATE NOT NULL, "
     "shipped TIMESTAMP, total DOUBLE PRECISION, paid BOOLEAN"},
    {"order_items", "order_no INTEGER NOT NULL, sku VARCHAR(12) NOT NULL, quantity SMALLINT NOT NULL, unit_price REAL",
     "order_no INTEGER NOT NULL, sku VARCHAR(12) NOT NULL, quantity SMALLINT NOT NULL, unit_price DOUBLE PRECISION"},
    {"visit_log", "visited TIMESTAMP, customer_id INTEGER, page VARCHAR(40), seconds REAL",
     "visited TIMESTAMP, customer_id INTEGER, page VARCHAR(40), seconds DOUBLE PRECISION"},
};

class Delimited : public TransferWindow {
protected:
    void SetUp() override
    {
        TransferWindow::SetUp();
        const QString file = testsupport::runFolder() + QStringLiteral("/xfer-demo.db");
        demo::makeDemo(QStringLiteral(QV_DEMO_SQL), file);
        testsupport::addDataSource(QStringLiteral("qv_xfer_demo"), QStringLiteral("SQLite3"),
                                   {QStringLiteral("Database=") + file});
        connectDemo();
    }
    void connectDemo() { connect(QStringLiteral("qv_xfer_demo"), QString()); }
    void keyByConfiguration(const QString& table)
    {
        if (table.contains(QStringLiteral("products")))
            form.state().UniqueFields = {table.toUpper() + QStringLiteral("=SKU")};
        else
            form.state().UniqueFields.clear();
    }
    // The export text of every record of a table.
    QStringList exported(const QString& table)
    {
        keyByConfiguration(table);
        choose(table);
        findAll();
        messages.clear();
        form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
        return results();
    }
    void importInto(const QString& table)
    {
        tableNameAnswer = table;
        messages.clear();
        form.MenuItem_FromScreenClick(ui.MenuItem_FromScreen);
    }
    int count(const QString& table)
    {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << QStringLiteral("SELECT COUNT(*) FROM ") + table;
        q.open();
        return q.fields(0).asInteger();
    }
    // Every demo table copied through the results box into an empty twin; the twin's export
    // text equals the original's.
    void roundTrip(bool toPg)
    {
        for (const DemoTable& t : kDemoTables) {
            const QString name = QString::fromUtf8(t.name);
            SCOPED_TRACE(t.name);
            connectDemo();
            const QStringList original = exported(name);
            ASSERT_GT(original.size(), 1);
            EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

            const QString copy = QStringLiteral("xfer_") + name;
            if (toPg) {
                connectPg();
                recreate(copy, QString::fromUtf8(t.pgColumns));
            } else {
                recreate(copy, QString::fromUtf8(t.sqliteColumns));
            }
            importInto(copy);
            EXPECT_EQ(messages, QStringList{QStringLiteral("%1 row(s) inserted.").arg(original.size() - 1)});
            EXPECT_EQ(exported(copy), original);
        }
    }
};

TEST_F(Delimited, ExportWritesTheHeaderAndOneLinePerFoundRecord)
{
    const QStringList lines = exported(QStringLiteral("customers"));
    EXPECT_EQ(ui.PageControl->currentWidget(), ui.TabSheet_CommandLine);
    ASSERT_EQ(lines.size(), 7);
    // The serial key is left out; the memo is written as empty text.
    EXPECT_EQ(lines[0], QStringLiteral("name|city|country|\"credit limit\"|active|joined|notes|"));
    EXPECT_EQ(lines[1], QStringLiteral("'Harbour Lights Books'|'Bristol'|'United Kingdom'|2500|'1'|{d '2019-03-14'}|''|"));
    EXPECT_EQ(lines[3], QStringLiteral("'O''Connor Joinery'|'Galway'|'Ireland'|1200.5|'1'|{d '2021-06-30'}|''|"));
    EXPECT_EQ(lines[6], QStringLiteral("'Atelier Lumière'|'Lyon'|'France'|null|'1'|null|''|"));
    // The Table page is left on the last record.
    EXPECT_EQ(form.state().RecordIndex, 5);

    // Text goes out as stored, also while the page shows it upper-cased.
    ui.MenuItem_AllowLowerCase->setChecked(false);
    form.MenuItem_ToolBarClick(ui.MenuItem_AllowLowerCase);
    form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
    EXPECT_EQ(results().at(3), lines[3]);

    // Pictures are not carried; a unique key column is.
    EXPECT_EQ(exported(QStringLiteral("products")).first(),
              QStringLiteral("sku|name|price|weight_kg|in_stock|description|picture_format|"));
    EXPECT_EQ(exported(QStringLiteral("visit_log")).at(5).toStdString(),
              "{ts '2024-03-05 11:11:11'}|4|'shelves; oak'|61|");
}

TEST_F(Delimited, ExportOfNoRecordsLeavesAnEmptyBoxOnTheSqlPage)
{
    choose(QStringLiteral("customers"));
    query();
    type(QStringLiteral("name"), QStringLiteral("no such name"));
    execute();
    ASSERT_TRUE(form.state().RecordKeys.isEmpty());
    ui.Memo_Results->setPlainText(QStringLiteral("old text"));
    form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QString());
    EXPECT_EQ(ui.PageControl->currentWidget(), ui.TabSheet_CommandLine);
}

TEST_F(Delimited, ARecordThatIsGoneIsNamedInsteadOfWritten)
{
    choose(QStringLiteral("orders"));
    findAll();
    ASSERT_EQ(form.state().RecordKeys.size(), 5);
    exec({QStringLiteral("DELETE FROM orders WHERE order_no = 3")});
    messages.clear();
    form.MenuItem_CreateDBASCIIClick(ui.MenuItem_CreateDBASCII);
    EXPECT_EQ(messages, QStringList{QStringLiteral("1 of the 5 found records could not be written:\nRecord 3 (key 3): its "
                                                   "key selects no row any more: the record was changed or removed since "
                                                   "it was found.")});
    const QStringList lines = results();
    ASSERT_EQ(lines.size(), 5);
    EXPECT_FALSE(lines.join(QLatin1Char('\n')).contains(QStringLiteral("{d '2024-03-03'}")));
    for (const QString& line : lines)
        EXPECT_FALSE(line.isEmpty());
}

TEST_F(Delimited, RoundTripOfEveryDemoTableOnSqlite) { roundTrip(false); }

TEST_F(Delimited, RoundTripOfEveryDemoTableIntoPostgreSql)
{
    QV_REQUIRE_PG();
    roundTrip(true);
}

TEST_F(Delimited, ImportReportsAndSkipsLinesThatAreNotValues)
{
    recreate(QStringLiteral("xfer_t"), QStringLiteral("id INTEGER, name VARCHAR(30) NOT NULL"));
    ui.Memo_Results->setPlainText(QStringList{
        QStringLiteral("id|name|"),
        QStringLiteral("1|'a|b, c'|"),
        QStringLiteral("2|'x'); DROP TABLE xfer_t; --'|"),
        QStringLiteral("1); DROP TABLE xfer_t; --|"),
        QString(),
        QStringLiteral("3|'O''Neil, Jr'|"),
        QStringLiteral("5|null|"),
        QStringLiteral("1|2||"),
        QStringLiteral("4|'four'"),
    }.join(QLatin1Char('\n')));
    importInto(QStringLiteral("xfer_t"));

    ASSERT_EQ(messages.size(), 6);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Line 3: "))) << messages[0].toStdString();
    EXPECT_TRUE(messages[1].startsWith(QStringLiteral("Line 4: ")));
    EXPECT_TRUE(messages[2].startsWith(QStringLiteral("Line 5: ")));
    // A database error names the statement; the walk goes on.
    EXPECT_TRUE(messages[3].endsWith(QStringLiteral("\nINSERT INTO xfer_t(id,name) VALUES(5,null)")))
        << messages[3].toStdString();
    EXPECT_TRUE(messages[4].startsWith(QStringLiteral("Line 8: ")));
    EXPECT_EQ(messages[5], QStringLiteral("3 row(s) inserted."));

    platform::engine::Query q;
    q.setDatabaseName(form.Database.databaseName());
    q.sql() << QStringLiteral("SELECT id, name FROM xfer_t ORDER BY id");
    q.open();
    QStringList rows;
    for (; !q.eof(); q.next())
        rows << q.fields(0).asString() + QLatin1Char('=') + q.fields(1).asString();
    EXPECT_EQ(rows, (QStringList{QStringLiteral("1=a|b, c"), QStringLiteral("3=O'Neil, Jr"), QStringLiteral("4=four")}));
}

TEST_F(Delimited, ABadColumnLineInsertsNothing)
{
    recreate(QStringLiteral("xfer_t"), QStringLiteral("id INTEGER"));
    ui.Memo_Results->setPlainText(QStringLiteral("id) VALUES(1); DROP TABLE xfer_t; --|\n1|"));
    importInto(QStringLiteral("xfer_t"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("The first line is not a list of column names")));
    EXPECT_EQ(count(QStringLiteral("xfer_t")), 0);
}

TEST_F(Delimited, TheTableNamePrompt)
{
    recreate(QStringLiteral("xfer_t"), QStringLiteral("id INTEGER"));
    ui.Memo_Results->setPlainText(QStringLiteral("id|\n1|"));

    // With no table on the Table page the prompt opens empty; Cancel and the close box insert
    // nothing and say nothing.
    tableNameAnswer.reset();
    form.MenuItem_FromScreenClick(ui.MenuItem_FromScreen);
    EXPECT_EQ(tableNameShown, QString());
    closeTableNamePrompt = true;
    form.MenuItem_FromScreenClick(ui.MenuItem_FromScreen);
    closeTableNamePrompt = false;
    EXPECT_EQ(tableNamePrompts, 2);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(count(QStringLiteral("xfer_t")), 0);
    EXPECT_EQ(form.state().ImportTable, QString());
    EXPECT_EQ(ui.PageControl->currentWidget(), ui.TabSheet_CommandLine);

    // The prompt starts on the Table page's table.
    choose(QStringLiteral("xfer_t"));
    importInto(QStringLiteral("xfer_t"));
    EXPECT_EQ(tableNameShown, QStringLiteral("xfer_t"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("1 row(s) inserted.")});

    // Only the header line: nothing to insert.
    ui.Memo_Results->setPlainText(QStringLiteral("id|"));
    importInto(QStringLiteral("xfer_t"));
    EXPECT_EQ(messages, QStringList{QStringLiteral("0 row(s) inserted.")});
}

TEST_F(Delimited, FromFileLoadsTheFileIntoTheBoxFirst)
{
    recreate(QStringLiteral("xfer_t"), QStringLiteral("id INTEGER, name VARCHAR(30)"));
    const QString file = home.file(QStringLiteral("rows.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("id|name|\r\n1|'one'|\r\n2|'two | three'|\r\n");
    }
    form.state().LastSqlFile = QStringLiteral("/nowhere/else.txt");
    // Cancel in the open dialog: nothing happens.
    form.MenuItem_FromFileClick(ui.MenuItem_FromFile);
    EXPECT_EQ(tableNamePrompts, 0);
    EXPECT_EQ(form.state().LastSqlFile, QStringLiteral("/nowhere/else.txt"));

    openFileAnswer = file;
    tableNameAnswer = QStringLiteral("xfer_t");
    form.MenuItem_FromFileClick(ui.MenuItem_FromFile);
    EXPECT_EQ(form.state().LastSqlFile, file);
    EXPECT_EQ(results(), (QStringList{QStringLiteral("id|name|"), QStringLiteral("1|'one'|"),
                                      QStringLiteral("2|'two | three'|")}));
    EXPECT_EQ(messages, QStringList{QStringLiteral("2 row(s) inserted.")});

    const QString empty = home.file(QStringLiteral("empty.txt"));
    QFile(empty).open(QIODevice::WriteOnly);
    openFileAnswer = empty;
    messages.clear();
    form.MenuItem_FromFileClick(ui.MenuItem_FromFile);
    EXPECT_EQ(messages, QStringList{QStringLiteral("0 row(s) inserted.")});
    EXPECT_EQ(count(QStringLiteral("xfer_t")), 2);
}

} // namespace

namespace {

// Where a backslash escapes inside quotes (PostgreSQL with standard_conforming_strings off), a
// value the line quotes as 'a\' runs on into the next one: a line whose INSERT would then be two
// statements is refused unsent, and the lines around it go in.
// The lines quote text one way, whatever the database: a backslash is a character like any
// other. The import quotes each value again as the connected database reads it, so a line stores
// exactly what it says, also where a backslash escapes inside quotes, and exported again it gives
// the same line.
TEST_F(Delimited, TextIsReadAsTheLineQuotesItOnEveryStringSetting)
{
    QV_REQUIRE_PG();
    const QStringList lines{
        QStringLiteral("id|name|note|"),
        QStringLiteral("1|'a\\'|', 2); DELETE FROM xfer_off_victim; --'|"),
        QStringLiteral("2|'b\\''c'|'\\\\n'|"),
    };
    for (const bool standard : {true, false}) {
        SCOPED_TRACE(standard ? "standard_conforming_strings on" : "standard_conforming_strings off");
        const QString role = standard ? QStringLiteral("qv_xfer_strings_on") : QStringLiteral("qv_xfer_strings_off");
        const testsupport::PgLogin login = testsupport::pgLoggedRole(role);
        testsupport::pgExec(QStringLiteral("ALTER ROLE %1 SET standard_conforming_strings = %2")
                                .arg(role, standard ? QStringLiteral("on") : QStringLiteral("off")));
        connect(testsupport::pg().dsn, QStringLiteral("POSTGRESQL"), login.user, login.password);
        recreate(QStringLiteral("xfer_off_t"), QStringLiteral("id INTEGER PRIMARY KEY, name VARCHAR(30), note VARCHAR(60)"));
        recreate(QStringLiteral("xfer_off_victim"), QStringLiteral("id INTEGER"));
        exec({QStringLiteral("INSERT INTO xfer_off_victim VALUES (1), (2)")});
        ui.Memo_Results->setPlainText(lines.join(QLatin1Char('\n')));
        importInto(QStringLiteral("xfer_off_t"));

        EXPECT_EQ(messages, QStringList{QStringLiteral("2 row(s) inserted.")});
        EXPECT_EQ(count(QStringLiteral("xfer_off_victim")), 2);
        EXPECT_EQ(rows(QStringLiteral("SELECT id, name, note FROM xfer_off_t ORDER BY id")),
                  (QStringList{QStringLiteral("1|a\\|, 2); DELETE FROM xfer_off_victim; --"),
                               QStringLiteral("2|b\\'c|\\\\n")}));
        form.state().UniqueFields = {QStringLiteral("XFER_OFF_T=ID")};
        EXPECT_EQ(exported(QStringLiteral("xfer_off_t")), lines);
        form.state().UniqueFields.clear();
        exec({QStringLiteral("DROP TABLE xfer_off_t"), QStringLiteral("DROP TABLE xfer_off_victim")});
    }
}

} // namespace
