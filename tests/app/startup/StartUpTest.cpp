#include "app/Application.h"
#include "app/DatabaseRegistry.h"
#include "workspace/MainWindow.h"
#include "app/StartUp.h"
#include "platform/engine/Engine.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"

#include "ui_Main.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;

namespace {

platform::IniFile ini() { return platform::IniFile(kQuorvelIni); }

// Plays the user through the modal runs of the start-up: answers the splash, works the
// data-source window and records every message shown.
struct User {
    QString row;                 // data-source row to choose; empty keeps the preselection
    bool cancel = false;
    QString typedUser, typedPassword;  // typed when the login page shows
    std::function<void()> whileChoosing;  // runs while the data-source window is up

    int splashes = 0;
    QString splashVersion;
    QStringList listed;          // rows of the data-source list
    QString preselected;
    bool loginPage = false;
    QStringList messages;        // message dialogs and boxes, caption ": " text
    QStringList unexpected;

    Answer operator()(const Request& r)
    {
        const QString cls = r.window ? QString::fromLatin1(r.window->metaObject()->className()) : QString();
        if (r.kind == Kind::Window && cls == QLatin1String("TForm_SplashScreen")) {
            ++splashes;
            if (auto* version = r.window->findChild<QLabel*>(QStringLiteral("Label_Version")))
                splashVersion = version->text();
            return {};
        }
        if (r.kind == Kind::Window && cls == QLatin1String("TForm_DataSource")) {
            workDataSourceWindow(r.window);
            return {};
        }
        if (r.kind == Kind::Window && cls == QLatin1String("TForm_SaveMsg")) {
            const auto* text = r.window->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit"));
            messages << r.caption + QStringLiteral(": ") + (text ? text->toPlainText() : QString());
            return {1};  // OK
        }
        if (r.kind == Kind::MessageBox) {
            messages << r.caption + QStringLiteral(": ") + r.text;
            return {QMessageBox::Ok};
        }
        unexpected << r.caption;
        return {};
    }

    void workDataSourceWindow(QWidget* window)
    {
        auto* list = window->findChild<QListWidget*>(QStringLiteral("ListBox_DataSource"));
        auto* ok = window->findChild<QPushButton*>(QStringLiteral("Button_OK"));
        auto* cancelButton = window->findChild<QPushButton*>(QStringLiteral("Button1"));
        ASSERT_TRUE(list && ok && cancelButton);
        if (whileChoosing)
            whileChoosing();
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        if (!list->selectedItems().isEmpty())
            preselected = list->selectedItems().first()->text();
        if (cancel) {
            QTest::mouseClick(cancelButton, Qt::LeftButton);
            return;
        }
        if (!row.isEmpty()) {
            const auto found = list->findItems(row, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << row.toStdString();
            list->setCurrentItem(found.first());
        }
        QTest::mouseClick(ok, Qt::LeftButton);
        if (window->isVisible()) {
            auto* group = window->findChild<QWidget*>(QStringLiteral("GroupBox_Password"));
            loginPage = group && group->isVisibleTo(window);
            window->findChild<QLineEdit*>(QStringLiteral("Edit_Username"))->setText(typedUser);
            window->findChild<QLineEdit*>(QStringLiteral("Edit_Password"))->setText(typedPassword);
            QTest::mouseClick(ok, Qt::LeftButton);
        }
    }
};

QStringList menuItems(QMenu* menu, bool checkedOnly = false)
{
    QStringList out;
    for (QAction* a : menu->actions())
        if (!checkedOnly || a->isChecked())
            out << DatabaseRegistry::ItemName(a);
    return out;
}

void execSql(const QString& dataSource, const QStringList& statements)
{
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("seed"));
    db.setAliasName(dataSource);
    db.setConnected(true);
    for (const QString& sql : statements) {
        platform::engine::Query q;
        q.setDatabaseName(QStringLiteral("seed"));
        q.sql() << sql;
        q.execSQL();
    }
    db.setConnected(false);
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
        app::ResetTerminate();
    }
    void TearDown() override { app::ResetTerminate(); }

    // The start-up sequence, as the program runs it before showing the window.
    void start(TForm_Main& form)
    {
        platform::modal::ScopedResponder responder(std::ref(user));
        form.FormShow();
        EXPECT_EQ(user.unexpected, QStringList());
    }

    testsupport::TempHome home;
    User user;
};

} // namespace

TEST_F(StartUp, SqliteWithTheLoginPage)
{
    execSql(testsupport::sqliteDsn(), {QStringLiteral("CREATE TABLE IF NOT EXISTS Customers (id integer primary key, name varchar(40))"),
                                       QStringLiteral("CREATE TABLE IF NOT EXISTS orders (id integer primary key, customer integer)")});
    auto f = ini();
    f.writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"), QStringLiteral("qv_sqlite"));
    f.writeBool(QStringLiteral("OPTIONS"), QStringLiteral("STATUSBAR"), false);
    user.typedUser = QStringLiteral("someone");
    user.typedPassword = QStringLiteral("secret");

    TForm_Main form;
    MainState& s = form.state();
    EXPECT_EQ(s.RecordIndex, -1);
    EXPECT_FALSE(s.CopyrightYearsText.isEmpty());
    EXPECT_FALSE(form.Database.connected());
    s.LastSqlFile = QStringLiteral("left over");

    start(form);

    EXPECT_EQ(user.splashes, 1);
    EXPECT_EQ(user.splashVersion, QStringLiteral("Version 4.1 "));
    EXPECT_TRUE(user.listed.contains(QStringLiteral("QV_SQLITE")));
    for (const QString& row : user.listed)
        EXPECT_EQ(row, row.toUpper());
    EXPECT_EQ(user.preselected, QStringLiteral("QV_SQLITE"));
    EXPECT_TRUE(user.loginPage);
    EXPECT_EQ(user.messages, QStringList());

    EXPECT_EQ(s.CurrentDataSource, QStringLiteral("qv_sqlite"));
    ASSERT_NE(s.CurrentDatabase, nullptr);
    EXPECT_EQ(s.CurrentDatabase->DBDesc, QStringLiteral("UNKNOWN  (QV_SQLITE)"));
    EXPECT_EQ(s.CurrentDatabase->DataSource, QStringLiteral("qv_sqlite"));
    EXPECT_EQ(s.CurrentDatabase->UserName, QStringLiteral("someone"));
    EXPECT_EQ(s.CurrentDatabase->Password, QStringLiteral("secret"));
    EXPECT_EQ(menuItems(form.ui().MenuItem_Database), QStringList{"UNKNOWN  (QV_SQLITE)"});
    EXPECT_EQ(menuItems(form.ui().MenuItem_Database, true), QStringList{"UNKNOWN  (QV_SQLITE)"});

    const QString status = QStringLiteral("[]     [DATA SOURCE = qv_sqlite]     ");
    EXPECT_EQ(form.panelText(0), status);
    EXPECT_EQ(form.ui().StatusBar->toolTip(), status);
    EXPECT_TRUE(form.ui().StatusBar->isHidden());
    EXPECT_FALSE(form.ui().Panel_Menu->isHidden());
    EXPECT_TRUE(s.LastSqlFile.isEmpty());

    EXPECT_TRUE(form.Database.connected());
    EXPECT_TRUE(form.Database.keepConnection());
    EXPECT_EQ(form.Database.databaseName(), QStringLiteral("qv_sqlite"));
    EXPECT_EQ(form.Database.aliasName(), QStringLiteral("qv_sqlite"));
    EXPECT_EQ(form.Database.params(), (QStringList{"user name=someone", "password=secret"}));
    for (const platform::engine::DataSet* d : std::initializer_list<const platform::engine::DataSet*>{
             &form.Table, &form.Query, &form.Query1, &form.Query2})
        EXPECT_EQ(d->databaseName(), QStringLiteral("qv_sqlite"));
    EXPECT_EQ(s.TableNames, (QStringList{"Customers", "orders"}));
    EXPECT_FALSE(app::TerminateRequested());
}

TEST_F(StartUp, TheListReadAtCreationIsKeptUnlessTheFileChangedMeanwhile)
{
    const struct {
        const char* name;
        bool addWhileChoosing;  // another program configures a database meanwhile
        QStringList items;      // the Database menu after the start-up
    } cases[] = {
        {"unchanged", false, {"Demo", "Other"}},
        {"changed", true, {"Added", "Demo", "Other"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempHome fresh;
        auto f = ini();
        f.writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"), QStringLiteral("qv_sqlite"));
        f.writeString(QStringLiteral("DATABASES"), QStringLiteral("Other"), QStringLiteral("ORACLE|Other|ora|u|p|||||"));
        f.writeString(QStringLiteral("DATABASES"), QStringLiteral("Demo"),
                      QStringLiteral("SQL SERVER|Demo|qv_sqlite|demo|secret|||||"));
        user = User{};
        if (c.addWhileChoosing)
            user.whileChoosing = [] {
                ini().writeString(QStringLiteral("DATABASES"), QStringLiteral("Added"),
                                  QStringLiteral("ORACLE|Added|x|||||||"));
            };
        TForm_Main form;
        EXPECT_EQ(menuItems(form.ui().MenuItem_Database), (QStringList{"Demo", "Other", "UNKNOWN  ()"}));

        start(form);

        EXPECT_EQ(user.messages, QStringList());
        EXPECT_EQ(menuItems(form.ui().MenuItem_Database), c.items + QStringList{"UNKNOWN  (QV_SQLITE)"});
        EXPECT_EQ(menuItems(form.ui().MenuItem_Database, true), QStringList{"UNKNOWN  (QV_SQLITE)"});
        // the configured login of the data source, the placeholder for the detected type
        EXPECT_EQ(form.state().CurrentDatabase->UserName, QStringLiteral("demo"));
        EXPECT_EQ(form.state().Databases.count(), c.items.size() + 1);
        EXPECT_TRUE(form.Database.connected());
    }
}

TEST_F(StartUp, CancelEndsTheProgramWithoutConnecting)
{
    ini().writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"), QStringLiteral("qv_sqlite"));
    user.cancel = true;

    TForm_Main form;
    start(form);

    EXPECT_TRUE(app::TerminateRequested());
    EXPECT_EQ(user.messages, QStringList());
    EXPECT_FALSE(form.Database.connected());
    EXPECT_TRUE(form.state().TableNames.isEmpty());
}

TEST_F(StartUp, BarsHiddenOnlyAsTheStoredCheckMarksSay)
{
    const struct {
        const char* name;
        int toolBar, statusBar;  // -1: not stored
        bool toolBarHidden, statusBarHidden;
    } cases[] = {
        {"nothing stored", -1, -1, false, false},
        {"tool bar off", 0, 1, true, false},
        {"both off", 0, 0, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempHome fresh;
        auto f = ini();
        f.writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"), QStringLiteral("qv_sqlite"));
        if (c.toolBar >= 0)
            f.writeBool(QStringLiteral("OPTIONS"), QStringLiteral("TOOLBAR"), c.toolBar == 1);
        if (c.statusBar >= 0)
            f.writeBool(QStringLiteral("OPTIONS"), QStringLiteral("STATUSBAR"), c.statusBar == 1);
        user = User{};
        TForm_Main form;
        start(form);
        EXPECT_EQ(form.ui().Panel_Menu->isHidden(), c.toolBarHidden);
        EXPECT_EQ(form.ui().StatusBar->isHidden(), c.statusBarHidden);
        EXPECT_EQ(form.ui().MenuItem_ToolBar->isChecked(), !c.toolBarHidden);
        EXPECT_EQ(form.ui().MenuItem_StatusBar->isChecked(), !c.statusBarHidden);
    }
}

TEST_F(StartUp, PostgresLoginFromAConfiguredDatabase)
{
    QV_REQUIRE_PG();
    const auto& pg = testsupport::pg();
    testsupport::pgExec(QStringLiteral("CREATE TABLE IF NOT EXISTS startup_items (id serial primary key, name varchar(40))"));
    // Configured as SQL Server: its login is found by data source, but the detected type differs,
    // so the current database is a placeholder that takes the configured login.
    ini().writeString(QStringLiteral("DATABASES"), QStringLiteral("PG TEST"),
                      QStringLiteral("SQL SERVER|PG TEST|qv_pg|%1|%2|||||").arg(pg.user, pg.password));
    user.row = QStringLiteral("QV_PG");

    TForm_Main form;
    start(form);

    EXPECT_FALSE(user.loginPage);
    EXPECT_EQ(user.messages, QStringList());
    MainState& s = form.state();
    EXPECT_EQ(s.CurrentDataSource, QStringLiteral("qv_pg"));
    ASSERT_NE(s.CurrentDatabase, nullptr);
    EXPECT_EQ(s.CurrentDatabase->DBDesc, QStringLiteral("UNKNOWN  (QV_PG)"));
    EXPECT_EQ(s.CurrentDatabase->UserName, pg.user);
    EXPECT_EQ(s.CurrentDatabase->Password, pg.password);
    EXPECT_EQ(menuItems(form.ui().MenuItem_Database), (QStringList{"PG TEST", "UNKNOWN  (QV_PG)"}));
    EXPECT_EQ(menuItems(form.ui().MenuItem_Database, true), QStringList{"UNKNOWN  (QV_PG)"});
    EXPECT_EQ(form.panelText(0), QStringLiteral("[]     [DATA SOURCE = qv_pg]     "));
    EXPECT_TRUE(form.Database.connected());
    EXPECT_EQ(form.Database.params(), (QStringList{"user name=" + pg.user, "password=" + pg.password}));
    EXPECT_TRUE(s.TableNames.contains(QStringLiteral("startup_items")));  // owner "public." dropped
    EXPECT_EQ(ini().readString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"), {}),
              QStringLiteral("qv_pg"));
}

TEST_F(StartUp, PostgresWrongPasswordIsReportedOnceAndLeavesTheWindowUsable)
{
    QV_REQUIRE_PG();
    const auto& pg = testsupport::pg();
    const QString wrong = pg.password + QStringLiteral("-wrong");
    ini().writeString(QStringLiteral("DATABASES"), QStringLiteral("PG TEST"),
                      QStringLiteral("SQL SERVER|PG TEST|qv_pg|%1|%2|||||").arg(pg.user, wrong));
    user.row = QStringLiteral("QV_PG");

    // What the engine says to this login, to compare the message with.
    QString engineText;
    {
        platform::engine::Database probe;
        probe.setDatabaseName(QStringLiteral("probe"));
        probe.setAliasName(QStringLiteral("qv_pg"));
        probe.params() << "user name=" + pg.user << "password=" + wrong;
        try {
            probe.setConnected(true);
        } catch (const platform::engine::EngineError& e) {
            engineText = e.message();
        }
    }
    ASSERT_TRUE(engineText.contains(QStringLiteral("password authentication failed"))) << engineText.toStdString();

    TForm_Main form;
    start(form);

    ASSERT_EQ(user.messages.size(), 1) << user.messages.join(QStringLiteral(" | ")).toStdString();
    QString expected = QStringLiteral("Error: ") + kConnectError + engineText;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(user.messages.first().trimmed(), expected.trimmed());
    EXPECT_TRUE(user.messages.first().startsWith(
        QStringLiteral("Error: An error occured when attempting to connect to the database.\n")));

    MainState& s = form.state();
    EXPECT_FALSE(form.Database.connected());
    EXPECT_FALSE(form.Database.keepConnection());
    EXPECT_TRUE(s.TableNames.isEmpty());
    EXPECT_EQ(form.panelText(0), QStringLiteral("[]     [DATA SOURCE = qv_pg]     "));

    // Still usable: options reload, and the same connection steps succeed with the right login.
    form.LoadOptions();
    ConnectDatabase(form.engineComponents(), s.CurrentDataSource, pg.user, pg.password);
    EXPECT_TRUE(form.Database.connected());
    form.LoadTableNames();
    EXPECT_FALSE(s.TableNames.isEmpty());
}

TEST_F(StartUp, ClosingWritesExactlyTheSixOptions)
{
    auto f = ini();
    f.writeString(QStringLiteral("DATABASES"), QStringLiteral("ONE"), QStringLiteral("ORACLE|ONE|dsn|u|p|tns||||"));
    f.writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"), QStringLiteral("qv_sqlite"));
    f.writeBool(QStringLiteral("OPTIONS"), QStringLiteral("TOOLBAR"), false);
    f.writeString(QStringLiteral("OPTIONS"), QStringLiteral("OTHER"), QStringLiteral("kept"));
    f.writeInteger(QStringLiteral("MEMOS"), QStringLiteral("HEIGHT"), 300);
    f.writeString(QStringLiteral("Sort Order"), QStringLiteral("orders"), QStringLiteral("id DESC"));
    QFile file(home.file(kQuorvelIni));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList before = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    file.close();

    {
        TForm_Main form;
        form.LoadOptions();
        // Check marks changed while the program ran are what gets saved.
        form.ui().MenuItem_ToolBar->setChecked(true);
        form.ui().MenuItem_AllowLowerCase->setChecked(true);
        form.ui().MenuItem_DefaultNulls->setChecked(false);
        form.ui().MenuItem_IncludeCommands->setChecked(false);
        form.ui().MenuItem_ShowFieldNames->setChecked(true);
        form.ui().MenuItem_StatusBar->setChecked(false);
        form.close();
        EXPECT_TRUE(form.state().TableNames.isEmpty());
        EXPECT_EQ(form.state().CurrentDatabase, nullptr);
        EXPECT_EQ(form.state().Databases.count(), 0);
    }

    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList after = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QStringList gone, added;
    for (const QString& line : before)
        if (!after.contains(line))
            gone << line;
    for (const QString& line : after)
        if (!before.contains(line))
            added << line;
    EXPECT_EQ(gone, QStringList{"TOOLBAR=0"});
    added.sort();
    EXPECT_EQ(added, (QStringList{"ALLOWLOWERCASE=1", "DEFAULTNULLS=0", "INCLUDECOMMANDS=0", "SHOWFIELDNAMES=1",
                                  "STATUSBAR=0", "TOOLBAR=1"}));
    EXPECT_EQ(f.readSection(QStringLiteral("OPTIONS")),
              (QStringList{"DEFAULTDATASOURCE", "TOOLBAR", "OTHER", "ALLOWLOWERCASE", "DEFAULTNULLS", "INCLUDECOMMANDS",
                           "SHOWFIELDNAMES", "STATUSBAR"}));
}
