#include "workspace/DatabaseSwitchPage.h"

#include "workspace/tablepage/ColumnList.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"

#include <QAction>
#include <QPushButton>

namespace {

// Browsing with no records: nothing of what was found or typed before the switch can be stepped
// through, updated, removed or executed. With a table the page can be queried and added to.
void ResetPageCommands(TablePageEnv& env, bool haveTable)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    state.InQueryMode = state.InAddMode = state.InUpdateMode = false;
    state.RecordKeys.clear();
    for (QPushButton* b : {ui.BitBtn_First, ui.BitBtn_Previous, ui.BitBtn_Next, ui.BitBtn_Last, ui.BitBtn_Update,
                           ui.BitBtn_Remove, ui.BitBtn_Execute, ui.BitBtn_Cancel})
        b->setEnabled(false);
    for (QAction* a : {ui.MenuItem_First, ui.MenuItem_Previous, ui.MenuItem_Next, ui.MenuItem_Last,
                       ui.MenuItem_Update, ui.MenuItem_Remove, ui.MenuItem_Execute, ui.MenuItem_Cancel})
        a->setEnabled(false);
    for (QPushButton* b : {ui.BitBtn_Query, ui.BitBtn_QuickQuery, ui.BitBtn_Add, ui.BitBtn_SortOrder, ui.BitBtn_FindField})
        b->setEnabled(haveTable);
    ui.MenuItem_Query->setEnabled(haveTable);
    ui.MenuItem_Add->setEnabled(haveTable);
    if (haveTable)
        ui.BitBtn_QuickQuery->setVisible(HasKeyColumn(state));
    UpdateWindowCaption(state, env.window);
}

} // namespace

void SetConnectedCommands(Ui::TForm_Main& ui, bool connected)
{
    for (QPushButton* b : {ui.BitBtn_SelectTable, ui.BitBtn_Execute2, ui.BitBtn_Select, ui.BitBtn_Update2, ui.BitBtn_Insert})
        b->setEnabled(connected);
    ui.MenuItem_SelectTable->setEnabled(connected);
    ui.MenuItem_Execute2->setEnabled(connected);
}

DatabaseSwitchEnv MakeDatabaseSwitchEnv(TForm_Main& form)
{
    DatabaseSwitchEnv env{form.state()};
    env.databaseMenu = form.ui().MenuItem_Database;
    env.statusBar = form.ui().StatusBar;
    env.statusPanel0 = form.statusPanel(0);
    env.engine = form.engineComponents();
    // The page environment is taken when the hook runs: by then the connection has its new name.
    env.rebuildTablePage = [&form] {
        TablePageEnv page = form.tablePageEnv();
        try {
            BuildTablePage(page);
        } catch (...) {
            ResetPageCommands(page, false);
            throw;
        }
        ResetPageCommands(page, true);
    };
    env.emptyTablePage = [&form] {
        TablePageEnv page = form.tablePageEnv();
        FreeTablePageControls(page);
        ResetPageCommands(page, false);
    };
    env.setConnectedCommands = [&form](bool connected) { SetConnectedCommands(form.ui(), connected); };
    return env;
}
