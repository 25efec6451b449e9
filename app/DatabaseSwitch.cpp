#include "app/DatabaseSwitch.h"

#include "app/ConnectionStatus.h"
#include "app/DataSourceSetup.h"
#include "app/DatabaseRegistry.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace {

QString messageOf(const std::exception& error)
{
    return QString::fromUtf8(error.what());
}

void setStatusText(DatabaseSwitchEnv& env, const QString& text)
{
    if (env.statusPanel0)
        env.statusPanel0->setText(text);
}

// Nothing of the previous database may stay reachable once the new one could not be connected.
void leaveUnconnected(DatabaseSwitchEnv& env)
{
    MainState& state = env.state;
    try {
        env.engine.Database->setConnected(false);
    } catch (...) {
    }
    env.engine.Database->setKeepConnection(false);
    state.TableNames.clear();
    state.RecordKeys.clear();
    state.RecordIndex = -1;
    state.CurrentTable.clear();
    if (env.emptyTablePage)
        env.emptyTablePage();
    if (env.setConnectedCommands)
        env.setConnectedCommands(false);
    setStatusText(env, GetConnectionText(state, env.statusBar));
}

} // namespace

QString NotConfiguredText(const QString& description)
{
    const QChar quote = QLatin1Char('"');
    return QStringLiteral("The ") + quote + description + quote + QStringLiteral(" database cannot be selected ")
           + QStringLiteral("because it has not yet been configured as an active database for this ")
           + QStringLiteral("application.") + QStringLiteral("\r\n\r\n") + QStringLiteral("Use the ") + quote
           + QStringLiteral("Options\\Configure Databases") + quote + QStringLiteral(" menu to ")
           + QStringLiteral("save an application configuration for this database.");
}

void MarkCurrentDatabase(const MainState& state, QMenu* databaseMenu)
{
    if (!databaseMenu)
        return;
    const QString current = state.CurrentDatabase ? state.CurrentDatabase->DBDesc : QString();
    for (QAction* item : databaseMenu->actions())
        item->setChecked(state.CurrentDatabase && DatabaseRegistry::ItemName(item) == current);
}

bool SwitchDatabase(DatabaseSwitchEnv& env, const QString& description)
{
    MainState& state = env.state;
    platform::engine::Database& database = *env.engine.Database;

    const int index = state.Databases.indexOf(description);
    if (description.left(7) == QLatin1String("UNKNOWN") || index < 0) {
        AppMessageDlg(NotConfiguredText(description), mtInformation, mbOK);
        return false;
    }
    TDataBaseObj* Db = state.Databases.entries[index].object.get();
    if (Db == state.CurrentDatabase && database.connected())
        return true;

    // A note about the old connection (made again after a loss) does not speak for the new one.
    if (env.statusBar)
        env.statusBar->clearMessage();
    database.setConnected(false);
    database.setKeepConnection(false);
    if (env.engine.Table) {
        env.engine.Table->close();
        env.engine.Table->setDatabaseName(QString());
    }
    if (env.engine.Query) {
        env.engine.Query->close();
        env.engine.Query->setDatabaseName(QString());
    }

    state.CurrentDataSource = Db->DataSource.toUpper();
    if (state.AlterRegInfo && ConfigureDataSource(state, Db))
        ConfigureAlias(state, Db);

    state.CurrentDatabase = Db;
    MarkCurrentDatabase(state, env.databaseMenu);
    state.CurrentTable = Db->DBType == QLatin1String("ORACLE") ? state.CurrentTable.toUpper()
                                                                : state.CurrentTable.toLower();
    const QString statusText = state.CurrentTable.toUpper() + QStringLiteral("  Record  0 of 0          ")
                               + GetConnectionText(state, env.statusBar);
    setStatusText(env, statusText);

    try {
        ConnectDatabase(env.engine, state.CurrentDataSource, Db->UserName, Db->Password);
        state.RecordKeys.clear();
        LoadTableNames(state, database.databaseName());
    } catch (const std::exception& error) {
        leaveUnconnected(env);
        AppMessageDlg(kConnectError + messageOf(error), mtError, mbOK);
        return false;
    }
    if (env.setConnectedCommands)
        env.setConnectedCommands(true);

    if (!state.CurrentTable.isEmpty() && HasTableName(state.TableNames, state.CurrentTable)) {
        try {
            if (env.rebuildTablePage)
                env.rebuildTablePage();
            // The rebuild wrote the bare connection text; the counter of the kept table stays.
            setStatusText(env, statusText);
            return true;
        } catch (const std::exception& error) {
            // Connected, but the page cannot be built: it is emptied and the user told why.
            state.CurrentTable.clear();
            if (env.emptyTablePage)
                env.emptyTablePage();
            AppMessageDlg(messageOf(error), mtError, mbOK);
            return true;
        }
    }
    state.CurrentTable.clear();
    if (env.emptyTablePage)
        env.emptyTablePage();
    return true;
}

void DatabaseMenuClick(DatabaseSwitchEnv& env, QAction* item)
{
    if (!item)
        return;
    // A checkable item has flipped its own mark before this runs.
    MarkCurrentDatabase(env.state, env.databaseMenu);
    SwitchDatabase(env, DatabaseRegistry::ItemName(item));
    MarkCurrentDatabase(env.state, env.databaseMenu);
}
