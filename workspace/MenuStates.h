#pragma once
// The main menus set their items each time they open; the View and Tools check items switch
// parts of the window on and off.
class QObject;
class QWidget;
class TForm_Main;
struct MainState;
namespace Ui { class TForm_Main; }

void MenuItem_FileClick(MainState& state, Ui::TForm_Main& ui);
void MenuItem_CommandsClick(Ui::TForm_Main& ui);
void MenuItem_ViewClick(MainState& state, Ui::TForm_Main& ui);
void MenuItem_ToolsClick(MainState& state, Ui::TForm_Main& ui);

// One handler for Tool Bar, Status Bar, Allow Lower Case and Include Commands, told apart by the
// sender; any other sender is ignored. Qt has already flipped the check mark when it runs.
void MenuItem_ToolBarClick(Ui::TForm_Main& ui, QObject* Sender);
// Show Field Names: the check mark is all there is; the listing and printing read it.
void MenuItem_ShowFieldNamesClick(Ui::TForm_Main& ui);
// The case rule of Allow Lower Case on every mask edit of the Table page.
void ApplyAllowLowerCase(Ui::TForm_Main& ui);
// Closes the main window, which ends the program.
void MenuItem_ExitClick(QWidget& window);
// The printer set-up dialog on the program's printer.
void MenuItem_PrintSetupClick(QWidget* window);

// Page index of the Table page in the page control.
inline constexpr int kTablePageIndex = 0;
inline constexpr int kSqlPageIndex = 1;
