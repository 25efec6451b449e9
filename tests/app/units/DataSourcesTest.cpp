#include "app/Application.h"
#include "app/DataSources.h"
#include "app/DatabaseType.h"
#include "app/StartUp.h"
#include "platform/engine/Engine.h"
#include "platform/odbc/Odbc.h"
#include "platform/registry/Registry.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"

#include "ui_DataSources.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
using Work = std::function<void(TForm_DataSource&)>;
const QString Ini = QStringLiteral("Quorvel.ini");

QString defaultDataSource()
{
    return platform::IniFile(Ini).readString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"),
                                             QStringLiteral("<none>"));
}

void seedDatabase(const QString& key, const QString& value)
{
    platform::IniFile(Ini).writeString(QStringLiteral("DATABASES"), key, value);
}

QStringList rows(const TForm_DataSource& f)
{
    QStringList out;
    for (int i = 0; i < f.ui()->ListBox_DataSource->count(); ++i)
        out << f.ui()->ListBox_DataSource->item(i)->text();
    return out;
}

QString selectedRow(const TForm_DataSource& f)
{
    const auto items = f.ui()->ListBox_DataSource->selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void selectRow(TForm_DataSource& f, const QString& text)
{
    const auto found = f.ui()->ListBox_DataSource->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    f.ui()->ListBox_DataSource->setCurrentItem(found.first());
}

class DataSourceWindow : public ::testing::Test {
protected:
    void SetUp() override { app::ResetTerminate(); }
    void TearDown() override { app::ResetTerminate(); }

    // Runs the window through the modal seam; work acts as the user. Returns the modal result, or
    // -1 when the window was still open after work.
    int run(const Work& work)
    {
        platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
            caption = r.caption;
            work(form);
            stillOpen = form.isVisible();
            return platform::modal::Answer{-1, {}, {}};
        });
        return platform::modal::execWindow(form);
    }

    testsupport::TempHome home;
    TForm_DataSource form;
    QString caption;
    bool stillOpen = false;
};
} // namespace

TEST_F(DataSourceWindow, ListsSystemDataSourcesUpperCasedAndSortedWithPreselection)
{
    testsupport::addDataSource(QStringLiteral("zz_Last"), QStringLiteral("SQLite3"),
                               {QStringLiteral("Database=") + home.file(QStringLiteral("z.db"))});
    testsupport::addDataSource(QStringLiteral("aa_first"), QStringLiteral("SQLite3"),
                               {QStringLiteral("Database=") + home.file(QStringLiteral("a.db"))});
    // stored in lower case, shown in upper case
    platform::IniFile(Ini).writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"),
                                       QStringLiteral("zz_last"));
    QStringList shown;
    QString selected;
    run([&](TForm_DataSource& f) {
        shown = rows(f);
        selected = selectedRow(f);
        EXPECT_TRUE(f.Cancelled);
        EXPECT_FALSE(f.LoginMode);
        EXPECT_FALSE(f.ui()->GroupBox_Password->isVisible());
        EXPECT_TRUE(f.ui()->ListBox_DataSource->isVisible());
        EXPECT_EQ(f.SelectedDataSource, QStringLiteral("zz_last"));
        EXPECT_EQ(f.size(), QSize(254, 153));
        EXPECT_EQ(f.minimumSize(), f.maximumSize());
    });
    EXPECT_EQ(caption, QStringLiteral("Select Data Source"));
    EXPECT_TRUE(shown.contains(QStringLiteral("QV_SQLITE")));
    EXPECT_EQ(shown.first(), QStringLiteral("AA_FIRST"));
    EXPECT_EQ(shown.last(), QStringLiteral("ZZ_LAST"));
    QStringList sorted = shown;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(shown, sorted);
    for (const QString& s : shown)
        EXPECT_EQ(s, s.toUpper());
    EXPECT_EQ(selected, QStringLiteral("ZZ_LAST"));
}

TEST_F(DataSourceWindow, FirstStartHasNoSelectionAndOkDoesNothing)
{
    run([&](TForm_DataSource& f) {
        EXPECT_EQ(selectedRow(f), QString());
        f.ui()->ListBox_DataSource->setFocus();  // focus makes a row current, not selected
        QTest::mouseClick(f.ui()->Button_OK, Qt::LeftButton);
        EXPECT_TRUE(f.isVisible());
        EXPECT_FALSE(f.LoginMode);
        EXPECT_FALSE(f.Cancelled);
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_FALSE(app::TerminateRequested());
    EXPECT_EQ(defaultDataSource(), QStringLiteral("<none>"));
}

TEST_F(DataSourceWindow, ConfiguredLoginClosesAtOnce)
{
    struct Case {
        const char* name;
        QStringList entries;  // DATABASES values, in file order
        const char* user;
        const char* password;
    } cases[] = {
        {"stored login, type not compared", {"ORACLE|Main|QV_SQLITE|scott|tiger|||||"}, "scott", "tiger"},
        {"empty login", {"SQL SERVER|Main|qv_sqlite||||||||"}, "", ""},
        {"three pieces", {"ACCESS|Main|qv_sqlite|"}, "DEFAULT", "DEFAULT"},
        {"the last of two in other case wins",
         {"ORACLE|First|Qv_Sqlite|first|p1|||||", "ORACLE|Second|QV_SQLITE|second|p2|||||",
          "ORACLE|Other|other_dsn|other|p3|||||"},
         "second", "p2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::IniFile(Ini).eraseSection(QStringLiteral("DATABASES"));
        int n = 0;
        for (const QString& v : c.entries)
            seedDatabase(QStringLiteral("key%1").arg(++n), v);

        TForm_DataSource f;
        platform::modal::ScopedResponder responder([&](const platform::modal::Request&) {
            selectRow(f, QStringLiteral("QV_SQLITE"));
            QTest::mouseClick(f.ui()->Button_OK, Qt::LeftButton);
            return platform::modal::Answer{-1, {}, {}};
        });
        EXPECT_EQ(platform::modal::execWindow(f), QDialog::Accepted);
        EXPECT_FALSE(f.isVisible());
        EXPECT_FALSE(f.LoginMode);
        EXPECT_FALSE(f.Cancelled);
        EXPECT_EQ(f.SelectedDataSource, QStringLiteral("qv_sqlite"));
        EXPECT_EQ(f.LoginUserName, QString::fromUtf8(c.user));
        EXPECT_EQ(f.LoginPassword, QString::fromUtf8(c.password));
        EXPECT_EQ(defaultDataSource(), QStringLiteral("qv_sqlite"));
        EXPECT_FALSE(app::TerminateRequested());
    }
}

TEST_F(DataSourceWindow, NoConfiguredLoginTurnsIntoTheLoginPage)
{
    seedDatabase(QStringLiteral("Elsewhere"), QStringLiteral("ORACLE|Elsewhere|other_dsn|u|p|||||"));
    const int result = run([&](TForm_DataSource& f) {
        selectRow(f, QStringLiteral("QV_SQLITE"));
        QTest::mouseClick(f.ui()->Button_OK, Qt::LeftButton);
        EXPECT_TRUE(f.isVisible());
        EXPECT_TRUE(f.LoginMode);
        EXPECT_TRUE(f.ui()->GroupBox_Password->isVisible());
        EXPECT_FALSE(f.ui()->ListBox_DataSource->isVisible());
        EXPECT_FALSE(f.ui()->Label_DataSource->isVisible());
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Data Source qv_sqlite"));
        EXPECT_EQ(f.focusWidget(), f.ui()->Edit_Username);
        // whatever the font, the captions stay clear of the edits
        EXPECT_LE(f.ui()->Label1->geometry().right(), f.ui()->Edit_Username->x());
        EXPECT_LE(f.ui()->Label2->geometry().right(), f.ui()->Edit_Password->x());
        EXPECT_GE(f.ui()->Label1->width(), f.ui()->Label1->sizeHint().width());
        EXPECT_EQ(defaultDataSource(), QStringLiteral("<none>"));

        QTest::keyClicks(f.ui()->Edit_Username, QStringLiteral("Alice"));
        QTest::keyClicks(f.ui()->Edit_Password, QStringLiteral("s3cr|t"));
        QTest::mouseClick(f.ui()->Button_OK, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(form.SelectedDataSource, QStringLiteral("qv_sqlite"));
    EXPECT_EQ(form.LoginUserName, QStringLiteral("Alice"));
    EXPECT_EQ(form.LoginPassword, QStringLiteral("s3cr|t"));
    EXPECT_EQ(defaultDataSource(), QStringLiteral("qv_sqlite"));
    EXPECT_EQ(form.ui()->Edit_Password->echoMode(), QLineEdit::Password);
}

TEST_F(DataSourceWindow, EmptyLoginIsTakenAsTyped)
{
    const int result = run([&](TForm_DataSource& f) {
        selectRow(f, QStringLiteral("QV_SQLITE"));
        QTest::keyClick(f.ui()->ListBox_DataSource, Qt::Key_Return);  // Enter presses OK
        ASSERT_TRUE(f.LoginMode);
        QTest::keyClick(f.ui()->Edit_Username, Qt::Key_Return);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(form.LoginUserName, QString());
    EXPECT_EQ(form.LoginPassword, QString());
}

TEST_F(DataSourceWindow, DoubleClickOnARowIsOk)
{
    seedDatabase(QStringLiteral("Main"), QStringLiteral("ORACLE|Main|qv_sqlite|dbl|pw|||||"));
    const int result = run([&](TForm_DataSource& f) {
        auto* list = f.ui()->ListBox_DataSource;
        const auto found = list->findItems(QStringLiteral("QV_SQLITE"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        const QPoint at = list->visualItemRect(found.first()).center();
        // a real double click: press and release, then the double click and its release
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(form.LoginUserName, QStringLiteral("dbl"));
    EXPECT_FALSE(form.Cancelled);
}

TEST_F(DataSourceWindow, EveryCancelAsksToTerminateAndStoresTheSelectedRow)
{
    struct Case {
        const char* name;
        Work cancel;
    } cases[] = {
        {"Cancel button", [](TForm_DataSource& f) { QTest::mouseClick(f.ui()->Button1, Qt::LeftButton); }},
        {"Esc in the list", [](TForm_DataSource& f) { QTest::keyClick(f.ui()->ListBox_DataSource, Qt::Key_Escape); }},
        {"title-bar close", [](TForm_DataSource& f) { f.close(); }},
        {"Esc on the login page",
         [](TForm_DataSource& f) {
             QTest::mouseClick(f.ui()->Button_OK, Qt::LeftButton);
             ASSERT_TRUE(f.LoginMode);
             QTest::keyClicks(f.ui()->Edit_Username, QStringLiteral("typed"));
             QTest::keyClick(f.ui()->Edit_Username, Qt::Key_Escape);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        app::ResetTerminate();
        platform::IniFile(Ini).deleteKey(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"));
        TForm_DataSource f;
        platform::modal::ScopedResponder responder([&](const platform::modal::Request&) {
            selectRow(f, QStringLiteral("QV_SQLITE"));
            c.cancel(f);
            return platform::modal::Answer{-1, {}, {}};
        });
        EXPECT_EQ(platform::modal::execWindow(f), QDialog::Rejected);
        EXPECT_FALSE(f.isVisible());
        EXPECT_TRUE(f.Cancelled);
        EXPECT_TRUE(app::TerminateRequested());
        EXPECT_EQ(f.SelectedDataSource, QStringLiteral("qv_sqlite"));
        EXPECT_EQ(defaultDataSource(), QStringLiteral("qv_sqlite"));
    }
}

TEST_F(DataSourceWindow, CancelWithoutARowWritesNothing)
{
    platform::IniFile(Ini).writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"),
                                       QStringLiteral("gone_dsn"));
    const int result = run([&](TForm_DataSource& f) {
        EXPECT_EQ(selectedRow(f), QString());
        QTest::mouseClick(f.ui()->Button1, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_TRUE(app::TerminateRequested());
    EXPECT_EQ(form.SelectedDataSource, QStringLiteral("gone_dsn"));
    EXPECT_EQ(defaultDataSource(), QStringLiteral("gone_dsn"));
}

TEST_F(DataSourceWindow, LookupDataSourceLoginLeavesOutValuesWhenNotFound)
{
    seedDatabase(QStringLiteral("A"), QStringLiteral("ORACLE|A|dsn_a|ua|pa|||||"));
    QString user = QStringLiteral("keep"), password = QStringLiteral("keep");
    EXPECT_FALSE(TForm_DataSource::LookupDataSourceLogin(QStringLiteral("dsn_b"), user, password));
    EXPECT_EQ(user, QStringLiteral("keep"));
    EXPECT_TRUE(TForm_DataSource::LookupDataSourceLogin(QStringLiteral("DSN_A"), user, password));
    EXPECT_EQ(user, QStringLiteral("ua"));
    EXPECT_EQ(password, QStringLiteral("pa"));
    // a value without a data-source piece stands for the data source "DEFAULT"
    seedDatabase(QStringLiteral("Short"), QStringLiteral("ORACLE|Short|"));
    EXPECT_TRUE(TForm_DataSource::LookupDataSourceLogin(QStringLiteral("default"), user, password));
    EXPECT_EQ(user, QStringLiteral("DEFAULT"));
    EXPECT_EQ(password, QStringLiteral("DEFAULT"));
}

namespace {

// ODBCINI pointed at another file for one scope.
class UserOdbcIni {
public:
    explicit UserOdbcIni(const QString& file) : saved_(qgetenv("ODBCINI")) { qputenv("ODBCINI", QFile::encodeName(file)); }
    ~UserOdbcIni() { qputenv("ODBCINI", saved_); }

private:
    QByteArray saved_;
};

} // namespace

// A data source that only the user's odbc.ini (the file ODBCINI names) defines is offered beside
// the system's, each name once, its attributes come from that file, and it connects.
TEST_F(DataSourceWindow, UserDataSourcesAreOfferedBesideTheSystemOnesAndConnect)
{
    const QString userDb = home.file(QStringLiteral("user.db"));
    const QString userIni = home.file(QStringLiteral("user-odbc.ini"));
    {
        QFile file(userIni);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // qv_sqlite is defined in both files: the user's definition is the one that counts.
        file.write(QStringLiteral("[qv_user_only]\nDriver=SQLite3\nDatabase=%1\n\n[qv_sqlite]\nDriver=SQLite3\nDatabase=%1\n")
                       .arg(userDb)
                       .toUtf8());
    }
    const UserOdbcIni scope(userIni);
    {
        platform::odbc::Connection link;
        link.driverConnect(QStringLiteral("Driver=SQLite3;Database=%1").arg(userDb).toStdU16String());
        platform::odbc::Statement(link).execDirect(u"CREATE TABLE only_in_user_db (id INTEGER)");
    }

    QStringList shown;
    const int result = run([&](TForm_DataSource& f) {
        shown = rows(f);
        selectRow(f, QStringLiteral("QV_USER_ONLY"));
        QTest::mouseClick(f.ui()->Button_OK, Qt::LeftButton);  // no configured login: the login page
        QTest::mouseClick(f.ui()->Button_OK, Qt::LeftButton);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(shown.count(QStringLiteral("QV_USER_ONLY")), 1) << shown.join(' ').toStdString();
    EXPECT_EQ(shown.count(QStringLiteral("QV_SQLITE")), 1) << shown.join(' ').toStdString();
    QStringList sorted = shown;
    sorted.sort(Qt::CaseInsensitive);
    EXPECT_EQ(shown, sorted);
    EXPECT_EQ(form.SelectedDataSource, QStringLiteral("qv_user_only"));

    platform::Registry machine;
    machine.setRootKey(platform::RootKey::LocalMachine);
    const QString odbcIni = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\");
    EXPECT_TRUE(machine.readString(odbcIni + QStringLiteral("qv_user_only"), QStringLiteral("Driver"), QString())
                    .endsWith(QLatin1String("libsqlite3odbc.so")));
    EXPECT_EQ(machine.readString(odbcIni + QStringLiteral("QV_USER_ONLY"), QStringLiteral("Database"), QString()), userDb);
    EXPECT_EQ(machine.readString(odbcIni + QStringLiteral("qv_sqlite"), QStringLiteral("Database"), QString()), userDb);
    EXPECT_EQ(GetDatabaseType(machine, form.SelectedDataSource), QStringLiteral("UNKNOWN : ")
                                                                    + machine.readString(odbcIni + QStringLiteral("qv_user_only"),
                                                                                         QStringLiteral("Driver"), QString()));

    // The program's own connection road, by the name the window gives, reaches the user's file.
    platform::engine::Database database;
    EngineComponents engine;
    engine.Database = &database;
    ConnectDatabase(engine, form.SelectedDataSource, form.LoginUserName, form.LoginPassword);
    ASSERT_TRUE(database.connected());
    QStringList tables;
    platform::engine::Session::instance().getTableNames(database.databaseName(), QString(), false, false, tables);
    database.setConnected(false);
    EXPECT_EQ(tables, QStringList{"only_in_user_db"});
}
