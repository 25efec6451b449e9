#include "app/ConnectionStatus.h"
#include "app/DataSourceSetup.h"
#include "app/DatabaseRegistry.h"
#include "app/DatabaseSwitch.h"
#include "app/DatabaseType.h"
#include "components/BVMaskEdit.h"
#include "platform/engine/Engine.h"
#include "platform/ini/IniFile.h"
#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"
#include "tests/app/switch/Messages.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStatusBar>
#include <gtest/gtest.h>

namespace {

void execSql(const QString& dataSource, const QStringList& statements)
{
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("switch_seed"));
    db.setAliasName(dataSource);
    db.setConnected(true);
    for (const QString& sql : statements) {
        platform::engine::Query q;
        q.setDatabaseName(QStringLiteral("switch_seed"));
        q.sql() << sql;
        q.execSQL();
    }
    db.setConnected(false);
}

// Two SQLite files, each a data source of its own, registered once for the whole binary.
void makeSqliteSources()
{
    static bool made = false;
    if (made)
        return;
    made = true;
    for (const char* name : {"qv_sw_a", "qv_sw_b"}) {
        const QString file = testsupport::runFolder() + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".db");
        testsupport::addDataSource(QString::fromLatin1(name), QStringLiteral("SQLite3"), {QStringLiteral("Database=") + file});
    }
}

class Switch : public ::testing::Test {
protected:
    void SetUp() override
    {
        makeSqliteSources();
        execSql(QStringLiteral("qv_sw_a"),
                {QStringLiteral("DROP TABLE IF EXISTS sw_items"), QStringLiteral("DROP TABLE IF EXISTS only_a"),
                 QStringLiteral("CREATE TABLE sw_items (id INTEGER PRIMARY KEY AUTOINCREMENT, a_name VARCHAR(20))"),
                 QStringLiteral("CREATE TABLE only_a (id INTEGER PRIMARY KEY AUTOINCREMENT, x VARCHAR(5))")});
        execSql(QStringLiteral("qv_sw_b"),
                {QStringLiteral("DROP TABLE IF EXISTS sw_items"), QStringLiteral("DROP TABLE IF EXISTS only_b"),
                 QStringLiteral("CREATE TABLE sw_items (id INTEGER PRIMARY KEY AUTOINCREMENT, b_name VARCHAR(20), b_city VARCHAR(20))"),
                 QStringLiteral("CREATE TABLE only_b (id INTEGER PRIMARY KEY AUTOINCREMENT, y VARCHAR(5))")});
    }

    // DATABASES entries: description to "type|description|data source|user|password|tns|server|ifx|path|".
    void configure(const std::vector<std::pair<QString, QString>>& entries)
    {
        platform::IniFile ini(kQuorvelIni);
        for (const auto& [name, value] : entries)
            ini.writeString(QStringLiteral("DATABASES"), name, value);
    }

    void open()
    {
        form = std::make_unique<TForm_Main>();
        form->registry().LoadDatabases();
    }

    bool clickItem(const QString& name)
    {
        for (QAction* item : form->ui().MenuItem_Database->actions()) {
            if (DatabaseRegistry::ItemName(item) == name) {
                item->trigger();
                return true;
            }
        }
        return false;
    }

    QStringList checkedItems() const
    {
        QStringList out;
        for (QAction* item : form->ui().MenuItem_Database->actions())
            if (item->isChecked())
                out << DatabaseRegistry::ItemName(item);
        return out;
    }

    void buildPage(const QString& table)
    {
        form->state().CurrentTable = table;
        TablePageEnv env = form->tablePageEnv();
        BuildTablePage(env);
    }

    QStringList pageFields() const
    {
        QStringList out;
        for (auto* edit : form->ui().ScrollBox->widget()->findChildren<TBVMaskEdit*>())
            out << edit->FieldName;
        out.sort();
        return out;
    }

    testsupport::TempHome home;
    Messages messages;
    platform::modal::ScopedResponder responder{std::ref(messages)};
    std::unique_ptr<TForm_Main> form;
};

const QString kAlpha = QStringLiteral("ACCESS|Alpha|qv_sw_a|||||||");
const QString kBeta = QStringLiteral("DBASE|Beta|qv_sw_b||||||/data/beta|");

} // namespace

// Each row switches from Alpha, showing the given table, to the target database.
TEST_F(Switch, StateAfterASwitch)
{
    configure({{"Alpha", kAlpha}, {"Beta", kBeta}, {"Oracle A", "ORACLE|Oracle A|qv_sw_a|||||||"}});
    struct Case {
        const char* target;
        const char* shown;        // table on the page before the switch
        const char* table;        // CurrentTable after it
        QStringList fields;       // the page after it; empty: emptied
        const char* status;
    } cases[] = {
        {"Beta", "sw_items", "sw_items", {"b_city", "b_name", "id"},
         "SW_ITEMS  Record  0 of 0          [DBASE]     [DATA SOURCE = qv_sw_b]     "},
        {"Oracle A", "sw_items", "SW_ITEMS", {"a_name", "id"},
         "SW_ITEMS  Record  0 of 0          [ORACLE]     [DATA SOURCE = qv_sw_a]     "},
        {"Beta", "only_a", "", {}, "[DBASE]     [DATA SOURCE = qv_sw_b]     "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        open();
        MainState& s = form->state();
        s.SerialFields = QStringList{"SW_ITEMS=ID"};  // no catalogue query for the Oracle type
        ASSERT_TRUE(form->SwitchDatabase(QStringLiteral("Alpha")));
        buildPage(QString::fromLatin1(c.shown));
        s.RecordKeys = QStringList{"1", "2"};

        ASSERT_TRUE(clickItem(QString::fromLatin1(c.target)));

        EXPECT_EQ(messages.texts, QStringList());
        EXPECT_TRUE(form->Database.connected());
        const QString upper = QString::fromLatin1(c.target) == QLatin1String("Beta") ? "QV_SW_B" : "QV_SW_A";
        EXPECT_EQ(s.CurrentDataSource, upper);
        EXPECT_EQ(form->Database.aliasName(), upper);
        EXPECT_EQ(form->Query.databaseName(), upper);
        EXPECT_EQ(s.CurrentDatabase->DBDesc, QString::fromLatin1(c.target));
        EXPECT_EQ(checkedItems(), QStringList{c.target});
        EXPECT_EQ(s.CurrentTable, QString::fromLatin1(c.table));
        EXPECT_EQ(pageFields(), c.fields);
        EXPECT_EQ(form->panelText(0), QString::fromLatin1(c.status));
        EXPECT_TRUE(s.RecordKeys.isEmpty());
        EXPECT_EQ(form->ui().BitBtn_Query->isEnabled(), !c.fields.isEmpty());
        EXPECT_FALSE(form->ui().BitBtn_Next->isEnabled());
        EXPECT_TRUE(form->ui().BitBtn_SelectTable->isEnabled());
        form.reset();
    }
}

TEST_F(Switch, BetweenTwoSqliteFilesAndBack)
{
    configure({{"Alpha", kAlpha}, {"Beta", kBeta}});
    open();
    MainState& s = form->state();
    ASSERT_TRUE(clickItem(QStringLiteral("Alpha")));
    EXPECT_TRUE(s.TableNames.contains(QStringLiteral("only_a")));
    buildPage(QStringLiteral("sw_items"));
    EXPECT_EQ(pageFields(), (QStringList{"a_name", "id"}));

    ASSERT_TRUE(clickItem(QStringLiteral("Beta")));
    EXPECT_TRUE(s.TableNames.contains(QStringLiteral("only_b")));
    EXPECT_FALSE(s.TableNames.contains(QStringLiteral("only_a")));
    EXPECT_EQ(pageFields(), (QStringList{"b_city", "b_name", "id"}));

    ASSERT_TRUE(clickItem(QStringLiteral("Alpha")));
    EXPECT_EQ(checkedItems(), QStringList{"Alpha"});
    EXPECT_EQ(pageFields(), (QStringList{"a_name", "id"}));
    EXPECT_EQ(messages.texts, QStringList());

    // Without ALTERREGINFO neither the registry store nor the alias file is written.
    EXPECT_FALSE(QFile::exists(platform::Registry::storeFile(platform::RootKey::LocalMachine)));
    EXPECT_FALSE(QFile::exists(platform::Registry::storeFile(platform::RootKey::CurrentUser)));
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("aliases.ini"))));
}

// A note that the old connection was made again says nothing of the database switched to.
TEST_F(Switch, ReconnectNoteGoesWithTheOldConnection)
{
    configure({{"Alpha", kAlpha}, {"Beta", kBeta}, {"Gone", QStringLiteral("ACCESS|Gone|qv_sw_missing|||||||")}});
    open();
    QStatusBar* bar = form->ui().StatusBar;
    ASSERT_TRUE(clickItem(QStringLiteral("Alpha")));
    for (const char* target : {"Beta", "Gone"}) {
        SCOPED_TRACE(target);
        ShowReconnected(bar, QStringLiteral("QV_SW_A"));
        ASSERT_FALSE(bar->currentMessage().isEmpty());
        ASSERT_TRUE(clickItem(QString::fromLatin1(target)));
        EXPECT_EQ(bar->currentMessage(), QString());
    }
}

// Only the current database carries the mark; its own item and the placeholder change nothing.
TEST_F(Switch, CurrentItemAndPlaceholderChangeNothing)
{
    configure({{"Alpha", kAlpha}, {"Beta", kBeta}, {"UNKNOWN old", "ACCESS|UNKNOWN old|qv_sw_b|||||||"}});
    open();
    MainState& s = form->state();
    s.CurrentDataSource = QStringLiteral("nowhere");
    form->registry().FindCurrentDatabase(QStringLiteral("SOMETHING"));
    form->setPanelText(0, QStringLiteral("start"));
    ASSERT_EQ(checkedItems(), QStringList{"UNKNOWN  (NOWHERE)"});

    ASSERT_TRUE(clickItem(QStringLiteral("UNKNOWN  (NOWHERE)")));
    EXPECT_EQ(checkedItems(), QStringList{"UNKNOWN  (NOWHERE)"});
    EXPECT_EQ(form->panelText(0), QStringLiteral("start"));
    EXPECT_EQ(s.CurrentDataSource, QStringLiteral("nowhere"));
    EXPECT_EQ(messages.texts,
              QStringList{shown("The \"UNKNOWN  (NOWHERE)\" database cannot be selected because it has not yet been "
                                "configured as an active database for this application.\r\n\r\nUse the "
                                "\"Options\\Configure Databases\" menu to save an application configuration for this database.")});

    ASSERT_TRUE(clickItem(QStringLiteral("Alpha")));
    s.RecordKeys = QStringList{"7"};
    messages.texts.clear();
    for (const char* item : {"Alpha", "UNKNOWN old", "UNKNOWN  (NOWHERE)"}) {
        ASSERT_TRUE(clickItem(QString::fromLatin1(item)));
        EXPECT_EQ(checkedItems(), QStringList{"Alpha"}) << item;
        EXPECT_TRUE(form->Database.connected());
        EXPECT_EQ(s.CurrentDataSource, QStringLiteral("QV_SW_A"));
        EXPECT_EQ(s.RecordKeys, QStringList{"7"});
    }
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(messages.texts.value(0).startsWith(QLatin1String("The \"UNKNOWN old\" database cannot be selected")));

    // Not a configured name at all: refused the same way, nothing changes.
    messages.texts.clear();
    EXPECT_FALSE(form->SwitchDatabase(QStringLiteral("No such")));
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(form->Database.connected());
}

// With ALTERREGINFO on, the store and the alias describe the database before the connection,
// which then goes through the alias to the database's own data source.
TEST_F(Switch, AlterRegInfoSetsUpTheDataSourceAndAlias)
{
    configure({{"Alpha", kAlpha}, {"Beta", kBeta}});
    open();
    MainState& s = form->state();
    s.AlterRegInfo = true;
    ASSERT_TRUE(clickItem(QStringLiteral("Beta")));
    EXPECT_EQ(messages.texts, QStringList());
    EXPECT_TRUE(form->Database.connected());
    EXPECT_EQ(form->Database.aliasName(), QStringLiteral("QV_SW_B"));
    EXPECT_EQ(platform::engine::Session::instance().aliasParams(QStringLiteral("QV_SW_B")),
              (QStringList{"ODBC DSN=qv_sw_b", "BLOB SIZE=300"}));
    platform::Registry registry;
    EXPECT_EQ(GetDatabaseType(registry, QStringLiteral("QV_SW_B")), QStringLiteral("DBASE"));
    registry.setRootKey(platform::RootKey::LocalMachine);
    EXPECT_EQ(registry.readString(QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\QV_SW_B"), QStringLiteral("DefaultDir"), QString()),
              QStringLiteral("/data/beta"));
    EXPECT_EQ(form->panelText(0),
              QStringLiteral("[DBASE]     [DATA SOURCE = qv_sw_b]     [DATABASE = /data/beta]     "));
    EXPECT_TRUE(s.TableNames.contains(QStringLiteral("only_b")));

    ASSERT_TRUE(clickItem(QStringLiteral("Alpha")));
    EXPECT_TRUE(s.TableNames.contains(QStringLiteral("only_a")));
    EXPECT_EQ(GetDatabaseType(registry, QStringLiteral("QV_SW_A")), QStringLiteral("ACCESS"));
}

// A failed registry write is reported and keeps the alias as it was, but the switch still connects.
TEST_F(Switch, FailedRegistryWriteStillConnects)
{
    configure({{"Alpha", kAlpha}, {"Beta", kBeta}});
    open();
    form->state().AlterRegInfo = true;
    ASSERT_TRUE(QDir().mkpath(platform::Registry::storeFile(platform::RootKey::LocalMachine)));
    ASSERT_TRUE(clickItem(QStringLiteral("Beta")));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(QLatin1String("Error occured writing data to the registry.")));
    EXPECT_TRUE(platform::engine::Session::instance().aliasParams(QStringLiteral("QV_SW_B")).isEmpty());
    EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("aliases.ini"))));
    EXPECT_TRUE(form->Database.connected());
    EXPECT_TRUE(form->state().TableNames.contains(QStringLiteral("only_b")));
}

// SQLite and PostgreSQL in turn; a refused login leaves a window without anything of the
// previous database, and the next switch works.
TEST_F(Switch, SqliteAndPostgresWithAWrongPassword)
{
    QV_REQUIRE_PG();
    const testsupport::PgServer& pg = testsupport::pg();
    testsupport::pgExec(QStringLiteral("DROP TABLE IF EXISTS sw_items; CREATE TABLE sw_items (id serial primary key, "
                                       "pg_name varchar(20))"));
    const QString login = QStringLiteral("|") + pg.dsn + QLatin1Char('|') + pg.user + QLatin1Char('|');
    configure({{"Alpha", kAlpha},
               {"Pg", QStringLiteral("DBASE|Pg") + login + pg.password + QStringLiteral("|||||")},
               {"Pg wrong", QStringLiteral("DBASE|Pg wrong") + login + QStringLiteral("wrong|||||")}});
    open();
    MainState& s = form->state();
    Ui::TForm_Main& ui = form->ui();

    ASSERT_TRUE(clickItem(QStringLiteral("Alpha")));
    buildPage(QStringLiteral("sw_items"));
    s.AlterRegInfo = true;  // through the alias named after the upper-cased data source
    ASSERT_TRUE(clickItem(QStringLiteral("Pg")));
    EXPECT_EQ(messages.texts, QStringList());
    EXPECT_TRUE(form->Database.connected());
    EXPECT_EQ(s.CurrentDataSource, pg.dsn.toUpper());
    EXPECT_EQ(platform::engine::Session::instance().aliasParams(pg.dsn.toUpper()),
              (QStringList{"ODBC DSN=" + pg.dsn, "BLOB SIZE=300"}));
    s.AlterRegInfo = false;
    EXPECT_EQ(pageFields(), (QStringList{"id", "pg_name"}));
    EXPECT_TRUE(HasTableName(s.TableNames, QStringLiteral("sw_items")));

    ASSERT_TRUE(clickItem(QStringLiteral("Pg wrong")));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(QLatin1String("An error occured when attempting to connect to the database.\n")));
    EXPECT_TRUE(messages.texts[0].contains(QLatin1String("password authentication failed"))) << messages.texts[0].toStdString();
    EXPECT_FALSE(form->Database.connected());
    EXPECT_EQ(checkedItems(), QStringList{"Pg wrong"});
    EXPECT_TRUE(s.TableNames.isEmpty());
    EXPECT_TRUE(s.RecordKeys.isEmpty());
    EXPECT_TRUE(s.CurrentTable.isEmpty());
    EXPECT_EQ(pageFields(), QStringList());
    EXPECT_TRUE(s.ColumnList.empty());
    for (QPushButton* b : {ui.BitBtn_SelectTable, ui.BitBtn_Execute2, ui.BitBtn_Query, ui.BitBtn_Add, ui.BitBtn_Update,
                           ui.BitBtn_Execute})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(ui.MenuItem_SelectTable->isEnabled());

    messages.texts.clear();
    ASSERT_TRUE(clickItem(QStringLiteral("Alpha")));
    EXPECT_EQ(messages.texts, QStringList());
    EXPECT_TRUE(form->Database.connected());
    EXPECT_TRUE(ui.BitBtn_SelectTable->isEnabled());
    EXPECT_TRUE(ui.MenuItem_SelectTable->isEnabled());
    EXPECT_TRUE(s.TableNames.contains(QStringLiteral("only_a")));
}
