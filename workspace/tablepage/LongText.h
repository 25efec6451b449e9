#pragma once
// Long text (memo) columns: read through ADO on a connection of their own for each statement,
// written on the page's own connection with the rest of the record.
#include <QList>
#include <QString>

class QWidget;
class TBVMemo;
struct TablePageEnv;

// "Provider=MSDASQL.1;Password=...;User ID=...;Data Source=..." of the current database.
QString MemoConnectionText(const TablePageEnv& env);

// The one SQL line that reads the memo. An empty KeyName selects the record by the stored clause
// (the entry of RecordKeys at RecordIndex). KeyValue goes in as given, except for "rowid".
QString MemoSelectStatement(const QString& Table, const QString& FieldName, const QString& KeyName,
                            const QString& KeyValue, const QString& StoredClause);

// Fills Memo with the column's value of one record and recolours its caption. A statement error
// is reported and leaves the memo as it was; a failure to connect throws to the caller.
void LoadMemoText(TablePageEnv& env, TBVMemo* Memo, const QString& Table, const QString& FieldName,
                  const QString& KeyName, const QString& KeyValue);

// The one SQL line that stores the memo through the parameter MemoText. KeyName is the bare
// column name (quoted here when it holds a blank); KeyValue goes in as given, except that the
// row identifier's value is quoted on ORACLE. An empty KeyName appends StoredClause.
QString MemoUpdateStatement(const QString& Table, const QString& FieldName, const QString& KeyName,
                            const QString& KeyValue, const QString& StoredClause, const QString& DBType);

// Stores Memo's text in the column of one record: a null-marked empty memo as NULL, an empty one
// as an empty string, any other as its exact text (text the user did not change keeps its own
// line breaks). Runs on the page's own connection (in the record's transaction when one is open).
// Gives the failure text ("An error occurred when updating a memo field." with the database's
// message and the statement), empty when stored. A failure to connect throws.
QString StoreMemoText(TablePageEnv& env, TBVMemo* Memo, const QString& Table, const QString& FieldName,
                      const QString& KeyName, const QString& KeyValue);
// StoreMemoText that shows its failure; false when the memo was not stored.
bool SaveMemoText(TablePageEnv& env, TBVMemo* Memo, const QString& Table, const QString& FieldName,
                  const QString& KeyName, const QString& KeyValue);

// The memos among the page's Controls a record write stores: all but the column SkipField
// (compared in upper case; empty skips none), with ChangedOnly only those the user changed.
QList<TBVMemo*> MemosToStore(const QList<QWidget*>& Controls, const QString& SkipField, bool ChangedOnly);
// What a record statement writes for Memo: NULL for a memo marked null and empty, else its exact
// text (text the user did not change keeps its own line breaks).
bool MemoWritesNull(const TBVMemo* Memo);
QString MemoTextToStore(const TBVMemo* Memo);
