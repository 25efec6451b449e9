#include "app/StartUp.h"

#include "app/Application.h"
#include "app/ConnectionStatus.h"
#include "app/DataSources.h"
#include "app/DatabaseRegistry.h"
#include "app/DatabaseType.h"
#include "components/BVSplashScreen.h"
#include "components/CopyrightInfo.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QStatusBar>

namespace {

QString messageOf(const std::exception& error)
{
    return QString::fromUtf8(error.what());
}

} // namespace

QString ApplicationTitle()
{
    return QCoreApplication::applicationName();
}

void ShowApplicationException(const QString& message)
{
    platform::modal::messageBox(nullptr, QMessageBox::Critical, ApplicationTitle(), message, QMessageBox::Ok);
}

void ShowApplicationException(const std::exception& error)
{
    ShowApplicationException(messageOf(error));
}

void ConnectDatabase(const EngineComponents& engine, const QString& dataSource, const QString& userName,
                     const QString& password)
{
    platform::engine::Database& database = *engine.Database;
    database.setConnected(false);
    database.setDatabaseName(dataSource);
    database.setAliasName(dataSource);
    database.params().clear();
    database.params() << QStringLiteral("user name=") + userName << QStringLiteral("password=") + password;
    using platform::engine::DataSet;
    for (DataSet* dataSet : std::initializer_list<DataSet*>{engine.Table, engine.Query, engine.Query1, engine.Query2}) {
        if (dataSet)
            dataSet->setDatabaseName(database.databaseName());
    }
    database.setConnected(true);
    database.setKeepConnection(true);
}

namespace startup {

void FormCreate(MainState& state, DatabaseRegistry& registry, TBVSplashScreen& splash)
{
    state.CopyrightYearsText = CopyrightYears(ApplicationTitle());
    state.CompanyAddressText = CompanyAddressLine();
    state.CompanyCityStateZipText = CompanyCityStateZipLine();
    splash.CompanyAddress = state.CompanyAddressText;
    splash.CompanyCityStateZip = state.CompanyCityStateZipText;

    state.RegistryIni = std::make_unique<platform::Registry>(QStringLiteral("\\"));

    // No data source is chosen yet: this gives the placeholder, which FormShow drops again.
    registry.LoadDatabases();
    const QString type = GetDatabaseType(*state.RegistryIni, state.CurrentDataSource);
    registry.FindCurrentDatabase(type);

    state.RecordIndex = -1;
}

} // namespace startup

void FillInStartUpLogin(MainState& state)
{
    // Only empty fields take the login: a configured database keeps what it stores.
    TDataBaseObj* current = state.CurrentDatabase;
    if (!current)
        return;
    if (current->UserName.isEmpty())
        current->UserName = state.LoginUserName;
    if (current->Password.isEmpty())
        current->Password = state.LoginPassword;
    if (current->DataSource.isEmpty())
        current->DataSource = state.CurrentDataSource;
}

namespace startup {

void FormShow(MainState& state, const StartUpControls& c)
{
    // 1. Splash, modal, closed by its timer.
    TBVSplashScreen& splash = *c.BVSplashScreen;
    splash.ApplicationTitle = ApplicationTitle();
    splash.Copyright = state.CopyrightYearsText;
    splash.Version = QStringLiteral("4.1");
    splash.Interval = 4000;
    splash.Modal = true;
    splash.Image = c.Image;
    splash.Execute();

    // 2. Data source and login.
    QString loginUserName, loginPassword;
    {
        TForm_DataSource dataSourceWindow;
        platform::modal::execWindow(dataSourceWindow);
        state.CurrentDataSource = dataSourceWindow.SelectedDataSource;
        loginUserName = dataSourceWindow.LoginUserName;
        loginPassword = dataSourceWindow.LoginPassword;
        state.LoginUserName = loginUserName;
        state.LoginPassword = loginPassword;
    }
    // Cancel: the program is ending, so nothing is connected and no error can pop up on the way out.
    if (app::TerminateRequested())
        return;

    // 3. The database list again, now for the chosen data source. The list read at creation is
    // kept when the file still holds it, and only its placeholder goes.
    c.registry->RefreshDatabases();
    const QString type = GetDatabaseType(*state.RegistryIni, state.CurrentDataSource);
    TDataBaseObj* current = c.registry->FindCurrentDatabase(type);

    // 4. The login goes into the current database.
    FillInStartUpLogin(state);

    // 5., 6. Options; the bars are only ever hidden here.
    ReadClientHomes(state);
    LoadOptions(state, c.options);
    if (c.StatusBar && c.options.MenuItem_StatusBar && !c.options.MenuItem_StatusBar->isChecked())
        c.StatusBar->hide();
    if (c.Panel_Menu && c.options.MenuItem_ToolBar && !c.options.MenuItem_ToolBar->isChecked())
        c.Panel_Menu->hide();

    state.LastSqlFile.clear();

    // 8. Connection text.
    const QString text = GetConnectionText(state, c.StatusBar);
    if (c.StatusPanel0)
        c.StatusPanel0->setText(text);

    // 9. Connect; a failure is reported once and leaves the window usable, unconnected.
    QString failure;
    bool failed = false;
    try {
        ConnectDatabase(c.engine, state.CurrentDataSource, current ? current->UserName : QString(),
                        current ? current->Password : QString());
    } catch (const std::exception& error) {
        failed = true;
        failure = messageOf(error);
    } catch (...) {
        failed = true;
    }
    if (failed) {
        try {
            c.engine.Database->setConnected(false);
        } catch (...) {
        }
        c.engine.Database->setKeepConnection(false);
        AppMessageDlg(kConnectError + failure, mtError, mbOK, 0);
        return;
    }

    // 10.
    LoadTableNames(state, c.engine.Database->databaseName());
}

void FormClose(MainState& state, const OptionControls& o)
{
    // One write of the file for the six check marks.
    platform::IniFile(kQuorvelIni).update([&o](platform::IniDocument& ini) {
        const QString options = QStringLiteral("OPTIONS");
        const auto checked = [](QAction* item) { return item && item->isChecked(); };
        ini.writeBool(options, QStringLiteral("ALLOWLOWERCASE"), checked(o.MenuItem_AllowLowerCase));
        ini.writeBool(options, QStringLiteral("DEFAULTNULLS"), checked(o.MenuItem_DefaultNulls));
        ini.writeBool(options, QStringLiteral("INCLUDECOMMANDS"), checked(o.MenuItem_IncludeCommands));
        ini.writeBool(options, QStringLiteral("SHOWFIELDNAMES"), checked(o.MenuItem_ShowFieldNames));
        ini.writeBool(options, QStringLiteral("STATUSBAR"), checked(o.MenuItem_StatusBar));
        ini.writeBool(options, QStringLiteral("TOOLBAR"), checked(o.MenuItem_ToolBar));
    });

    state.FieldSizes.clear();
    state.TableNames.clear();
    state.RecordKeys.clear();
    state.StatementLines.clear();
    state.SerialFields.clear();
    state.UniqueFields.clear();
    state.NoUpdateFields.clear();

    state.CurrentDatabase = nullptr;
    state.Databases.clear();
    state.ColumnList.clear();
}

void FormDestroy(MainState& state)
{
    state.RegistryIni.reset();
}

} // namespace startup
