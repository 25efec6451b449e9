#pragma once
// The main window's page switch, the sizing of its status bar and SQL button row, the tool-bar
// state after a query or removal, and the mouse-wheel scrolling of the Table page.
#include <QString>

struct MainState;
class QAction;
class TForm_Main;
namespace Ui { class TForm_Main; }

void FormResize(TForm_Main& form);
void PageControlChange(TForm_Main& form);
void SetButtons(MainState& state, Ui::TForm_Main& ui);
// The same rule for the scroll box and the window: a positive delta scrolls up by 32 pixels,
// anything else down by 32.
void ScrollBoxMouseWheel(Ui::TForm_Main& ui, int WheelDelta);
// Keeps Execute and Cancel at the right edge of the tool bar.
void KeepToolBarRightButtons(Ui::TForm_Main& ui);

// Shows and hides the menu items that belong to a page (0 Table, 1 SQL Command Line).
void ShowPageMenuItems(Ui::TForm_Main& ui, int page);
// Panel 0's text after a page switch.
QString PageStatusText(const MainState& state, bool tablePageActive, const QString& connectionText);
// Makes the SQL Command Line page the active one. Its change handler runs when the page changes;
// runPageHandler runs it also when the page was active already.
void ShowCommandLinePage(TForm_Main& form, bool runPageHandler);
