#pragma once
// Long text (memo) columns, read through ADO on a connection of their own for each statement.
#include <QString>

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
