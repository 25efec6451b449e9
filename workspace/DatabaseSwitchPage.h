#pragma once
// The main window's side of a database switch: how its Table page is rebuilt or emptied and
// which commands follow the connection.
#include "app/DatabaseSwitch.h"

class TForm_Main;
namespace Ui { class TForm_Main; }

// The switch's surroundings in this window; use it at once (it refers to the window's parts).
DatabaseSwitchEnv MakeDatabaseSwitchEnv(TForm_Main& form);

// Select Table and the SQL page's Execute and statement templates need a connection.
void SetConnectedCommands(Ui::TForm_Main& ui, bool connected);
