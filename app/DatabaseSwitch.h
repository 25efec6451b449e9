#pragma once
// Switching the program's one connection to another configured database: by the Database menu,
// or by any command that must work on several databases in turn.
#include "app/MainState.h"
#include "app/StartUp.h"

#include <QString>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QStatusBar;

// What a switch touches besides the state. The Table page belongs to the window, which hands in
// how it is rebuilt for CurrentTable and how it is emptied.
struct DatabaseSwitchEnv {
    MainState& state;
    QMenu* databaseMenu = nullptr;     // its items' check marks follow the current database
    QStatusBar* statusBar = nullptr;
    QLabel* statusPanel0 = nullptr;
    EngineComponents engine;
    // Rebuilds the Table page for state.CurrentTable with no records found; may throw.
    std::function<void()> rebuildTablePage;
    // Frees the Table page's controls and leaves it with no records and no record commands.
    std::function<void()> emptyTablePage;
    // Enables the commands that need a connection, or disables them.
    std::function<void(bool connected)> setConnectedCommands;
};

// The refusal text for a database that is not configured (a placeholder "UNKNOWN..." entry).
QString NotConfiguredText(const QString& description);

// Switches the connection to the configured database of this description (its display name):
// optional ODBC and alias set-up (ALTERREGINFO), connect with its login, reload the table names,
// keep the current table when the new database has it. True when connected to it afterwards.
// A placeholder or an unknown description is refused with a message and changes nothing; the
// current database, when connected, is left as it is. A failed connection is reported and
// leaves the window unconnected: no table names, an empty Table page, no records, and the
// commands that need a connection disabled; a later switch works.
bool SwitchDatabase(DatabaseSwitchEnv& env, const QString& description);

// The click of a Database-menu item: the switch to the item's database. The check marks are put
// back on the current database's items whatever the click did to them.
void DatabaseMenuClick(DatabaseSwitchEnv& env, QAction* item);

// Every Database-menu item whose name is the current database's carries the check mark, no other.
void MarkCurrentDatabase(const MainState& state, QMenu* databaseMenu);
