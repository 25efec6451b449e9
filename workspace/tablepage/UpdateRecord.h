#pragma once
// Writing the shown record back (update mode's Execute) and removing it (Remove, Ctrl+R).
#include <QList>
#include <QString>
#include <QStringList>

#include "workspace/tablepage/RecordStatements.h"

struct MainState;
class QObject;
class QWidget;
struct TablePageEnv;

// The column of Table that updates never write (NOUPDATEFIELDS), upper case; empty when none.
QString NoUpdateFieldOf(const MainState& state, const QString& Table);

// Writes what the user changed on the page (values, pictures, long text) to the shown record as
// one statement, and shows the record again from the database. Nothing changed: nothing is sent.
// False when nothing was stored (the failure reported with a sentence that says so; when the
// record was changed or removed by another user, the page keeps what was typed), or when the
// user declined to change every row that holds the same values as a key-less record.
bool UpdateShownRecord(TablePageEnv& env);

// Asks, deletes the shown record and shows the one that takes its place. A DELETE that meets no
// row, or more than meant, deletes nothing and leaves the record in the list.
void BitBtn_RemoveClick(TablePageEnv& env, QObject* Sender);

// The UPDATE lines for the edits the user changed and the long text and pictures in Long, in
// control order, ending with KeyCondition; empty when no column is to be written. Marks a date
// that does not convert null, and every written edit's marker its text.
QStringList UpdateStatementLines(const QString& Table, const QString& NoUpdateField, const QList<QWidget*>& Controls,
                                 const QString& KeyCondition, const LongValues& Long = {});
// The clause that finds a key-less record again once the changes are written: the stored value of
// each column, the written value of each changed one (date-times select nothing). Empty when no
// part is left.
QString RebuiltRecordClause(const QString& NoUpdateField, const QList<QWidget*>& Controls);
