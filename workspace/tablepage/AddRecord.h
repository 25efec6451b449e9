#pragma once
// Adding a record from the Table page: the starting values of add mode, the INSERT built from the
// page, finding the new record's key again, and storing its long text and pictures.
#include <QString>
#include <QStringList>

class QWidget;
struct TablePageEnv;

// Puts the add-mode starting values into the page's edits: with Default Nulls on every field but
// the key starts marked null, else dates, numbers and Booleans get their defaults.
void SetMaskEditDefaults(TablePageEnv& env);

// Inserts the record typed on the page with its pictures and long text as one whole, appends its
// key to RecordKeys and shows it. False when it was not added (reported with a sentence that says
// nothing was stored; the page keeps what was typed) or not found again (reported; the record is
// there without its pictures and long text).
bool AddRecord(TablePageEnv& env);

// The INSERT lines for the page's controls (dates already replaced by their fallbacks).
QStringList InsertStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls);
// The lines that find the serial key of the record just written; the conditions use the
// literals of the INSERT.
QStringList LocateStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls);
// The key of a table without serial and unique column: "WHERE " and the written values.
QString AddedRecordClause(const QList<QWidget*>& Controls);
