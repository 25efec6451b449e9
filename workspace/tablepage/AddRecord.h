#pragma once
// Adding a record from the Table page: the starting values of add mode, the INSERT built from the
// page, finding the new record's key again, and storing its long text and pictures.
#include <QString>
#include <QStringList>

class QWidget;
struct TablePageEnv;
namespace platform::engine { class Query; }

// Puts the add-mode starting values into the page's edits: with Default Nulls on every field but
// the key starts marked null, else dates, numbers and Booleans get their defaults.
void SetMaskEditDefaults(TablePageEnv& env);

// Inserts the record typed on the page with its pictures and long text in one statement, appends
// its key to RecordKeys and shows it. False when it was not added (reported with a sentence that
// says nothing was stored; the page keeps what was typed) or not found again to be shown
// (reported; the record is there, whole).
bool AddRecord(TablePageEnv& env);

// How the row an INSERT wrote is told from every other: by the key the INSERT gives back
// (PostgreSQL's RETURNING), by the connection's last row identifier (SQLite), or, for any other
// database, by a search for the values written, which finds it only when no other row holds them.
enum class AddedKeyWay { Returning, LastRowId, Search };
// The way for the product name a connection reports (SQL_DBMS_NAME).
AddedKeyWay AddedKeyWayFor(const QString& DbmsName);

// The INSERT lines for the page's controls (dates already replaced by their fallbacks), long text
// and pictures as the parameters of LongValues; ReturningKey: the INSERT gives back the key column.
QStringList InsertStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls,
                                 bool ReturningKey = false);
// The lines that read the serial key of the record just written, the Way the database allows;
// empty for Returning (the INSERT itself gives it). A search's conditions use the INSERT's literals.
QStringList LocateStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls,
                                 AddedKeyWay Way);
// Reads the serial key of the record just added into Value, by Query and Way's locate statement.
// Empty when it was found, else the text that tells the user it was not (a search that meets
// other rows holding the same values finds none).
QString LocateAddedKey(platform::engine::Query& Query, AddedKeyWay Way, const QString& Table, const QString& KeyColumn,
                       const QList<QWidget*>& Controls, QString& Value);
// The key of a table without serial and unique column: "WHERE " and the written values.
QString AddedRecordClause(const QList<QWidget*>& Controls);
