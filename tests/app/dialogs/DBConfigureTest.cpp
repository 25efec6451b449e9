// The database configuration window: the DATABASES value it writes and the registry reads back,
// the fields each type uses, Save, Delete and Close against the INI file, the Database menu rebuilt
// afterwards, and a saved entry used by the start-up connection.
#include "app/Application.h"
#include "app/DBConfigure.h"
#include "app/DatabaseRegistry.h"
#include "app/Options.h"
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"

#include "ui_DBConfigure.h"
#include "ui_Main.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;

const QString kIni = QStringLiteral("Quorvel.ini");

QByteArray iniBytes()
{
    QFile f(platform::IniFile(kIni).fileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TDataBaseObj entry(std::initializer_list<const char*> nine)
{
    TDataBaseObj e;
    QString* fields[] = {&e.DBType, &e.DBDesc, &e.DataSource, &e.UserName, &e.Password,
                         &e.TNS,    &e.Server, &e.InformixServer, &e.DBPath};
    int i = 0;
    for (const char* text : nine)
        *fields[i++] = QString::fromUtf8(text);
    return e;
}

QStringList fieldsOf(const TDataBaseObj& e)
{
    return {e.DBType, e.DBDesc, e.DataSource, e.UserName, e.Password, e.TNS, e.Server, e.InformixServer, e.DBPath};
}

TEST(DatabaseValue, EveryFieldSurvivesTheRegistryReader)
{
    const TDataBaseObj cases[] = {
        entry({"ORACLE", "SALES", "sales_dsn", "scott", "tiger", "ORCL", "", "", ""}),
        entry({"INFORMIX", "STOCK", "stock", "u", "p w", "", "host1", "ol_srv", "/db/stock"}),
        entry({"ACCESS", "DEFAULT", "default", "DEFAULT", "", "", "", "", "C:\\data\\x.mdb"}),
        entry({"SQL SERVER", "A", "b", "", "", "", "", "", ""}),
        entry({"DBASE", "ÆØÅ ünï", "dsn", "ü", "€=;#[", "", "", "", "/tmp/d b"}),
    };
    for (const TDataBaseObj& e : cases) {
        const QString value = DatabaseValue(e);
        EXPECT_EQ(value.count(QLatin1Char('|')), 9);
        EXPECT_TRUE(value.endsWith(QLatin1Char('|')));
        EXPECT_EQ(fieldsOf(*ParseDatabaseValue(value)), fieldsOf(e)) << value.toStdString();
    }
    EXPECT_EQ(DatabaseValue(entry({"ORACLE", "X", "d"})), QStringLiteral("ORACLE|X|d|||||||"));
}

TEST(DatabaseValue, FieldsTheValueCannotCarryAreNamed)
{
    const char* captions[] = {"Database Type", "Database Description", "Data Source", "User Name", "Password",
                              "TNS Service Name", "Server", "Informix Server", "Database Path"};
    for (int i = 0; i < 9; ++i) {
        for (const char* bad : {"a|b", "a\nb", "a\r", "|"}) {
            TDataBaseObj e = entry({"ORACLE", "D", "s", "u", "p", "t", "s", "i", "d"});
            QStringList f = fieldsOf(e);
            QString* fields[] = {&e.DBType, &e.DBDesc, &e.DataSource, &e.UserName, &e.Password,
                                 &e.TNS,    &e.Server, &e.InformixServer, &e.DBPath};
            *fields[i] = QString::fromUtf8(bad);
            EXPECT_EQ(UnstorableDatabaseField(e), QString::fromUtf8(captions[i])) << i << bad;
        }
    }
    EXPECT_TRUE(UnstorableDatabaseField(entry({"ORACLE", "D", "s", "u", "p=;#[]", "", "", "", ""})).isEmpty());
}

// The window, worked by hand: modal runs it starts are answered and recorded.
class ConfigureWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::IniFile ini(kIni);
        ini.writeString(QStringLiteral("DATABASES"), QStringLiteral("SALES"),
                        QStringLiteral("oracle|SALES|sales_dsn|scott|tiger|ORCL||||"));
        ini.writeString(QStringLiteral("DATABASES"), QStringLiteral("ARCHIVE"),
                        QStringLiteral("INFORMIX|ARCHIVE|arch|u1|p1||host1|ol_srv|/db/arch|extra|"));
        ini.writeString(QStringLiteral("DATABASES"), QStringLiteral("ODD"), QStringLiteral("MYSQL|ODD|odd_dsn|"));
    }

    void open(bool all = false)
    {
        window = std::make_unique<TForm_Configure>();
        window->ShowAllParameters = all;
        window->show();
        QApplication::processEvents();
    }

    void pickEntry(const QString& name)
    {
        QComboBox* select = u().MComboBox_Select;
        const int row = select->findText(name);
        ASSERT_GE(row, 0) << name.toStdString();
        select->setCurrentIndex(row);
        emit select->activated(row);
    }

    void pickType(const QString& type)
    {
        QComboBox* combo = u().MComboBox_DBType;
        const int row = combo->findText(type);
        combo->setCurrentIndex(row);
        emit combo->activated(row);
    }

    QStringList shown() const
    {
        return {u().MComboBox_DBType->currentIndex() < 0 ? QString() : u().MComboBox_DBType->currentText(),
                u().MMaskEdit_DBDesc->text(),   u().MMaskEdit_DataSource->text(), u().MMaskEdit_UserName->text(),
                u().MMaskEdit_Password->text(), u().MMaskEdit_TNS->text(),        u().ComboBox_Server->currentText(),
                u().MMaskEdit_Informix->text(), u().MMaskEdit_DBPath->text()};
    }

    // Enabled states of TNS, server, Informix server, path and the browse button.
    std::vector<bool> enabled() const
    {
        return {u().MMaskEdit_TNS->isEnabled(), u().ComboBox_Server->isEnabled(), u().MMaskEdit_Informix->isEnabled(),
                u().MMaskEdit_DBPath->isEnabled(), u().SpeedButton_Browse->isEnabled()};
    }

    Ui::TForm_Configure& u() const { return *window->ui(); }

    testsupport::TempHome home;
    QStringList messages;
    platform::modal::ScopedResponder responder{[this](const Request& r) {
        if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window))
            messages << msg->RichEdit->toPlainText();
        else
            messages << r.caption + QStringLiteral(": ") + r.text;
        return Answer{mrOk};
    }};
    std::unique_ptr<TForm_Configure> window;
};

TEST_F(ConfigureWindow, ShowsTheEntriesAndLoadsOne)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Configure Database"));
    EXPECT_EQ(window->height(), 316);
    QStringList listed;
    for (int i = 0; i < u().MComboBox_Select->count(); ++i)
        listed << u().MComboBox_Select->itemText(i);
    EXPECT_EQ(listed, (QStringList{"ARCHIVE", "ODD", "SALES"}));
    EXPECT_EQ(u().MComboBox_Select->currentIndex(), -1);
    EXPECT_EQ(shown(), QStringList(9));
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, true, true, false}));
    for (QWidget* w : std::initializer_list<QWidget*>{u().MMaskEdit_TNS, u().ComboBox_Server, u().MMaskEdit_DBPath,
                                                     u().SpeedButton_Browse, u().MMaskEdit_Informix})
        EXPECT_FALSE(w->isVisible());

    // Type matched ignoring case; the ninth piece is the path; the tenth is dropped.
    pickEntry(QStringLiteral("ARCHIVE"));
    EXPECT_EQ(shown(), (QStringList{"INFORMIX", "ARCHIVE", "arch", "u1", "p1", "", "host1", "ol_srv", "/db/arch"}));
    EXPECT_EQ(enabled(), (std::vector<bool>{false, true, true, true, false}));
    pickEntry(QStringLiteral("SALES"));
    EXPECT_EQ(shown(), (QStringList{"ORACLE", "SALES", "sales_dsn", "scott", "tiger", "ORCL", "", "", ""}));
    u().MMaskEdit_UserName->setText(QStringLiteral("changed"));
    pickEntry(QStringLiteral("SALES"));  // chosen again: loaded afresh
    EXPECT_EQ(u().MMaskEdit_UserName->text(), QStringLiteral("scott"));
    EXPECT_EQ(u().MMaskEdit_Password->echoMode(), QLineEdit::Password);

    // An unknown type leaves no type chosen and every field open; Save then does nothing.
    pickEntry(QStringLiteral("ODD"));
    EXPECT_EQ(shown(), (QStringList{"", "ODD", "odd_dsn", "", "", "", "", "", ""}));
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, true, true, false}));
    const QByteArray before = iniBytes();
    QTest::mouseClick(u().Button_Apply, Qt::LeftButton);
    EXPECT_EQ(iniBytes(), before);

    // Delete key on the list clears its selection, the fields stay.
    pickEntry(QStringLiteral("SALES"));
    QTest::keyClick(u().MComboBox_Select, Qt::Key_Delete);
    EXPECT_EQ(u().MComboBox_Select->currentIndex(), -1);
    EXPECT_EQ(shown().at(1), QStringLiteral("SALES"));
}

TEST_F(ConfigureWindow, EachTypeOpensTheFieldsItUses)
{
    platform::Registry seeder;
    seeder.setRootKey(platform::RootKey::LocalMachine);
    const QString lastConnect = QStringLiteral("\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\SuperSocketNetLib\\LastConnect");
    seeder.writeString(lastConnect, QStringLiteral("SQLHOST1"), QStringLiteral("DBMSSOCN,SQLHOST1"));
    seeder.writeString(lastConnect, QStringLiteral("SQLHOST2"), QStringLiteral("DBMSSOCN,SQLHOST2"));

    open(true);
    EXPECT_EQ(window->height(), 481);
    EXPECT_TRUE(u().MMaskEdit_Informix->isVisible());
    EXPECT_TRUE(u().SpeedButton_Browse->isVisible());

    const struct {
        const char* type;
        std::vector<bool> enabled;  // TNS, server, Informix, path, browse
    } cases[] = {
        {"ACCESS", {false, false, false, true, true}},   {"DBASE", {false, false, false, true, true}},
        {"INFORMIX", {false, true, true, true, false}},  {"ORACLE", {true, false, false, false, false}},
        {"SQL SERVER", {false, true, false, true, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        for (QLineEdit* e : {static_cast<QLineEdit*>(u().MMaskEdit_TNS), static_cast<QLineEdit*>(u().MMaskEdit_Informix),
                             static_cast<QLineEdit*>(u().MMaskEdit_DBPath)})
            e->setText(QStringLiteral("kept"));
        u().ComboBox_Server->setCurrentText(QStringLiteral("kept"));
        pickType(QString::fromUtf8(c.type));
        EXPECT_EQ(enabled(), c.enabled);
        EXPECT_EQ(u().MLabel_TNS->isEnabled(), c.enabled[0]);
        EXPECT_EQ(u().MLabel_Server->isEnabled(), c.enabled[1]);
        EXPECT_EQ(u().MLabel_Informix->isEnabled(), c.enabled[2]);
        EXPECT_EQ(u().MLabel_DBPath->isEnabled(), c.enabled[3]);
        // Disabled fields are emptied; the server is emptied by every change.
        EXPECT_EQ(u().MMaskEdit_TNS->text().isEmpty(), !c.enabled[0]);
        EXPECT_TRUE(u().ComboBox_Server->currentText().isEmpty());
        EXPECT_EQ(u().MMaskEdit_Informix->text().isEmpty(), !c.enabled[2]);
        EXPECT_EQ(u().MMaskEdit_DBPath->text().isEmpty(), !c.enabled[3]);
    }
    // SQL SERVER offered the machine's recent servers.
    QStringList servers;
    for (int i = 0; i < u().ComboBox_Server->count(); ++i)
        servers << u().ComboBox_Server->itemText(i);
    EXPECT_EQ(servers, (QStringList{"SQLHOST1", "SQLHOST2"}));

    // Browse puts the chosen folder into the path.
    platform::modal::ScopedResponder chooser([](const Request& r) {
        EXPECT_EQ(r.kind, Kind::Directory);
        return Answer{1, QStringLiteral("/srv/data")};
    });
    pickType(QStringLiteral("DBASE"));
    QTest::mouseClick(u().SpeedButton_Browse, Qt::LeftButton);
    EXPECT_EQ(u().MMaskEdit_DBPath->text(), QStringLiteral("/srv/data"));
}

TEST_F(ConfigureWindow, SaveDeleteAndClose)
{
    open();
    // A loaded entry, changed and saved, hidden fields included.
    pickEntry(QStringLiteral("ARCHIVE"));
    u().MMaskEdit_UserName->setText(QStringLiteral("u2"));
    QTest::mouseClick(u().Button_Apply, Qt::LeftButton);
    platform::IniFile ini(kIni);
    EXPECT_EQ(ini.readString("DATABASES", "ARCHIVE", ""), QStringLiteral("INFORMIX|ARCHIVE|arch|u2|p1||host1|ol_srv|/db/arch|"));

    // A new description adds an entry (typed in lower case, stored upper case); the old one stays.
    u().MMaskEdit_DBDesc->clear();
    QTest::keyClicks(u().MMaskEdit_DBDesc, QStringLiteral("archive 2"));
    pickType(QStringLiteral("ACCESS"));
    QTest::mouseClick(u().Button_Apply, Qt::LeftButton);
    EXPECT_EQ(ini.readString("DATABASES", "ARCHIVE 2", ""), QStringLiteral("ACCESS|ARCHIVE 2|arch|u2|p1||||/db/arch|"));
    EXPECT_FALSE(ini.readString("DATABASES", "ARCHIVE", "").isEmpty());
    EXPECT_EQ(u().MComboBox_Select->findText(QStringLiteral("ARCHIVE 2")), -1) << "listed only when opened again";

    // Missing description or data source: nothing happens.
    QByteArray before = iniBytes();
    u().MMaskEdit_DataSource->clear();
    QTest::mouseClick(u().Button_Apply, Qt::LeftButton);
    EXPECT_EQ(iniBytes(), before);
    EXPECT_TRUE(messages.isEmpty());

    // A "|" or a line break is refused with the field named; nothing is written.
    u().MMaskEdit_DataSource->setText(QStringLiteral("arch"));
    u().MMaskEdit_Password->setText(QStringLiteral("pa|ss"));
    QTest::mouseClick(u().Button_Apply, Qt::LeftButton);
    EXPECT_EQ(iniBytes(), before);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("\"Password\""))) << messages[0].toStdString();
    u().MMaskEdit_Password->setText(QStringLiteral("p1"));
    u().MMaskEdit_DBPath->setText(QStringLiteral("line\nbreak"));
    QTest::mouseClick(u().Button_Apply, Qt::LeftButton);
    EXPECT_EQ(iniBytes(), before);
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[1].contains(QStringLiteral("\"Database Path\""))) << messages[1].toStdString();

    // Delete: the key goes, the row goes, the fields empty, the enabled states stay.
    pickEntry(QStringLiteral("SALES"));
    const auto states = enabled();
    QTest::mouseClick(u().Button_Delete, Qt::LeftButton);
    EXPECT_FALSE(ini.valueExists("DATABASES", "SALES"));
    EXPECT_EQ(u().MComboBox_Select->findText(QStringLiteral("SALES")), -1);
    EXPECT_EQ(shown(), QStringList(9));
    EXPECT_EQ(enabled(), states);
    // With nothing selected Delete does nothing.
    before = iniBytes();
    QTest::mouseClick(u().Button_Delete, Qt::LeftButton);
    EXPECT_EQ(iniBytes(), before);

    // Close only closes.
    QTest::mouseClick(u().Button_Cancel, Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(iniBytes(), before);
}

// A new file, and an existing one that others could read, are private once they hold a password.
TEST(ConfigureFile, PasswordOnlyInThePrivateConfigurationFile)
{
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "existing 0644 file" : "new file");
        testsupport::TempHome home;
        const QString file = home.file(kIni);
        if (existing) {
            QFile seed(file);
            ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
            seed.write("[OPTIONS]\nTOOLBAR=1\n");
            seed.close();
            ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0644), 0);
        }
        platform::modal::ScopedResponder quiet([](const Request&) { return Answer{}; });
        TForm_Configure window;
        window.show();
        window.ui()->MComboBox_DBType->setCurrentIndex(3);
        emit window.ui()->MComboBox_DBType->activated(3);
        window.ui()->MMaskEdit_DBDesc->setText(QStringLiteral("X"));
        window.ui()->MMaskEdit_DataSource->setText(QStringLiteral("x"));
        window.ui()->MMaskEdit_Password->setText(QStringLiteral("s3cret-Pw"));
        QTest::mouseClick(window.ui()->Button_Apply, Qt::LeftButton);

        EXPECT_TRUE(iniBytes().contains("s3cret-Pw"));
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        QStringList holding;
        for (QDirIterator it(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            QFile f(it.next());
            if (f.open(QIODevice::ReadOnly) && f.readAll().contains("s3cret-Pw"))
                holding << QFileInfo(f).fileName();
        }
        EXPECT_EQ(holding, QStringList{"Quorvel.ini"});
    }
}

// The menu command: the Database menu and the current database come back from the file at once,
// and a placeholder current database keeps the login of the running connection.
TEST(ConfigureCommand, RebuildsTheDatabaseMenu)
{
    testsupport::TempHome home;
    platform::IniFile(kIni).writeString("DATABASES", "OLD", "ORACLE|OLD|old|u|p|||||");
    MainState state;
    state.CurrentDataSource = QStringLiteral("qv_sqlite");
    state.LoginUserName = QStringLiteral("someone");
    state.LoginPassword = QStringLiteral("pw");
    QMenu menu;
    DatabaseRegistry registry(state, menu, {});
    registry.LoadDatabases();
    registry.FindCurrentDatabase(QStringLiteral("UNKNOWN : x"));

    bool allShown = false;
    state.AlterRegInfo = true;
    platform::modal::ScopedResponder responder([&](const Request& r) {
        auto* window = qobject_cast<TForm_Configure*>(r.window);
        if (!window)
            return Answer{};
        allShown = window->ShowAllParameters;
        Ui::TForm_Configure& u = *window->ui();
        u.MComboBox_DBType->setCurrentIndex(0);
        emit u.MComboBox_DBType->activated(0);
        u.MMaskEdit_DBDesc->setText(QStringLiteral("NEW ONE"));
        u.MMaskEdit_DataSource->setText(QStringLiteral("new"));
        QTest::mouseClick(u.Button_Apply, Qt::LeftButton);
        u.MComboBox_Select->setCurrentIndex(u.MComboBox_Select->findText(QStringLiteral("OLD")));
        QTest::mouseClick(u.Button_Delete, Qt::LeftButton);
        QTest::mouseClick(u.Button_Cancel, Qt::LeftButton);
        return Answer{};
    });
    MenuItem_ConfigDBClick(state, registry, nullptr);

    EXPECT_TRUE(allShown);
    QStringList items;
    for (QAction* a : menu.actions())
        items << DatabaseRegistry::ItemName(a);
    const QString placeholder = QStringLiteral("UNKNOWN  (QV_SQLITE)");
    EXPECT_EQ(items, (QStringList{"NEW ONE", placeholder}));
    ASSERT_NE(state.CurrentDatabase, nullptr);
    EXPECT_EQ(state.CurrentDatabase->DBDesc, placeholder);
    EXPECT_TRUE(menu.actions().last()->isChecked());
    EXPECT_EQ(state.CurrentDatabase->UserName, QStringLiteral("someone"));
    EXPECT_EQ(state.CurrentDatabase->Password, QStringLiteral("pw"));
    EXPECT_EQ(state.CurrentDatabase->DataSource, QStringLiteral("qv_sqlite"));
}

// An entry saved in the window supplies the login with which the start-up connects.
TEST(ConfigureCommand, SavedEntryConnectsAtStartUp)
{
    QV_REQUIRE_PG();
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    {
        platform::modal::ScopedResponder responder([&](const Request& r) {
            if (auto* window = qobject_cast<TForm_Configure*>(r.window)) {
                Ui::TForm_Configure& u = *window->ui();
                const int sqlServer = u.MComboBox_DBType->findText(QStringLiteral("SQL SERVER"));
                u.MComboBox_DBType->setCurrentIndex(sqlServer);
                emit u.MComboBox_DBType->activated(sqlServer);
                u.MMaskEdit_DBDesc->setText(QStringLiteral("PG"));
                u.MMaskEdit_DataSource->setText(pg.dsn);
                u.MMaskEdit_UserName->setText(pg.user);
                u.MMaskEdit_Password->setText(pg.password);
                QTest::mouseClick(u.Button_Apply, Qt::LeftButton);
                QTest::mouseClick(u.Button_Cancel, Qt::LeftButton);
            }
            return Answer{};
        });
        TForm_Main form;
        form.MenuItem_ConfigDBClick(form.ui().MenuItem_ConfigDB);
        QStringList items;
        for (QAction* a : form.ui().MenuItem_Database->actions())
            items << DatabaseRegistry::ItemName(a);
        EXPECT_TRUE(items.contains(QStringLiteral("PG")));
    }

    app::ResetTerminate();
    bool loginAsked = false;
    QStringList messages;
    platform::modal::ScopedResponder responder([&](const Request& r) {
        const QString cls = r.window ? QString::fromLatin1(r.window->metaObject()->className()) : QString();
        if (cls == QLatin1String("TForm_DataSource")) {
            auto* list = r.window->findChild<QListWidget*>(QStringLiteral("ListBox_DataSource"));
            list->setCurrentItem(list->findItems(pg.dsn.toUpper(), Qt::MatchExactly).value(0));
            QTest::mouseClick(r.window->findChild<QPushButton*>(QStringLiteral("Button_OK")), Qt::LeftButton);
            if (r.window->isVisible()) {
                loginAsked = true;
                QTest::mouseClick(r.window->findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
            }
        } else if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
            messages << msg->RichEdit->toPlainText();
            return Answer{mrOk};
        }
        return Answer{};
    });
    TForm_Main form;
    form.FormShow();
    EXPECT_FALSE(loginAsked);
    EXPECT_EQ(messages, QStringList());
    EXPECT_TRUE(form.Database.connected());
    EXPECT_EQ(form.Database.params(), (QStringList{"user name=" + pg.user, "password=" + pg.password}));
    app::ResetTerminate();
}

} // namespace
