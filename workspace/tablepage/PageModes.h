#pragma once
// The command cycle of the Table page: entering query, add and update mode, carrying the mode out
// (Execute) or leaving it (Cancel), Quick Query on the key shown, and the appended SQL condition.
#include <QString>

class QObject;
class QWidget;
struct TablePageEnv;

// Sender: BitBtn_Query/MenuItem_Query, BitBtn_Add/MenuItem_Add or BitBtn_Update/MenuItem_Update.
void BitBtn_QueryClick(TablePageEnv& env, QObject* Sender);
void BitBtn_ExecuteClick(TablePageEnv& env, QObject* Sender);
void BitBtn_CancelClick(TablePageEnv& env, QObject* Sender);
void BitBtn_QuickQueryClick(TablePageEnv& env, QObject* Sender);
void BitBtn_AppendSQLClick(TablePageEnv& env, QObject* Sender);

// Puts the screen cursor back to the default, however many hourglasses were set.
void RestoreDefaultCursor();
