#pragma once
// Moving through the found records, stopping a running query, and the main window's keyboard.
#include <Qt>

class QObject;
class TForm_Main;
struct TablePageEnv;

// Sender: one of the four navigation buttons or their Commands menu items; anything else shows
// the record at the current index again.
void BitBtn_FirstClick(TablePageEnv& env, QObject* Sender);
// Ends the walk of a running query at its next pause and hides the busy panel.
void BitBtn_StopClick(TablePageEnv& env);

// The window-level key handler: F2 shows the focused control's null marker, Ctrl+F/L/N/P move,
// Ctrl+Q/A/U enter a mode and Ctrl+R removes (only while browsing, only with exactly Ctrl held),
// Esc stops a walk or a listing, F2 in an INSERT template moves to a value. A Ctrl key that acts
// is consumed (Key becomes 0); every other key goes on to the focused control.
void FormKeyDown(TForm_Main& form, int& Key, Qt::KeyboardModifiers Shift);

// Gives the window its key preview: every key pressed in it reaches FormKeyDown first, then
// Enter in a data control clicks the first usable default button (Query, Quick Query, Execute)
// and Esc the usable cancel button (Stop on the busy panel, else Cancel).
void InstallKeyPreview(TForm_Main& form);
