#pragma once
// Null markers of the Table page's data controls and the red caption that shows them.
#include "platform/engine/Engine.h"
#include "workspace/tablepage/ColumnList.h"

#include <QString>
#include <QStringList>

class QWidget;
class TBVMaskEdit;
namespace Ui { class TForm_Main; }

// Colours the caption of Control's column: red when IsNull, else black. No caption: nothing.
void SetNullMarker(Ui::TForm_Main& ui, QWidget* Control, bool IsNull);
// SetNullMarker for every data control of the page, from its marker ("null" exactly).
void RefreshNullMarkers(Ui::TForm_Main& ui);

struct TablePageEnv;

// The statement the page's records are fetched by, kept prepared from one display to the next
// (MainState::PreparedRecordFetch).
class RecordFetch {
public:
    platform::engine::Query query;
};

// Fetches the record of RecordKeys at RecordIndex again by its key and fills the page's data
// controls, null markers, buttons, status text, AsciiHeader (when empty) and AsciiLine. False
// when no record could be shown (the page is then empty). A fetch that fails is reported, unless
// the caller has reported it already (Silent).
enum class FetchFailure { Reported, Silent };
bool ShowRecord(TablePageEnv& env, FetchFailure failure = FetchFailure::Reported);

// How the page's records are fetched by their keys, worked out once for the page's table.
struct RecordFetchPlan {
    QString table;         // CurrentTable
    QString keyColumn;     // KeyColumn
    QString uniqueColumn;  // the unique column, named as its control names it
    int keyType = platform::engine::ftUnknown;  // of the column that keys the records
    QString dbType;        // the current database's type name
    QString selectList;    // RecordSelectList
};
RecordFetchPlan PageFetchPlan(TablePageEnv& env);

// How the fetch takes key v as a parameter: a whole number into an integer key, any text into a
// text key; None where the key is written into the statement's text (the row identifier, dates,
// floats, a stored clause, a value that is no number in a number column).
struct RecordKeyBinding {
    enum Kind { None, Integer, Text } kind = None;
    long long number = 0;
};
RecordKeyBinding KeyBindingOf(const RecordFetchPlan& plan, const QString& v);

// Opens the statement ShowRecord fetches the record with key v by: the page's prepared statement
// where the key can be bound, else literal, given the statement with the key written in. Throws
// EngineError when the record cannot be fetched.
platform::engine::Query& OpenRecordFetch(TablePageEnv& env, const RecordFetchPlan& plan, const QString& v,
                                         platform::engine::Query& literal);

// What ShowRecord puts into edit for a field that is not NULL, before the edit's mask has its say.
QString ShownFieldText(const TBVMaskEdit* edit, const platform::engine::Field& f);
// The record line's entry of a column shown in edit, which holds editText once it is shown.
QString EditLineLiteral(const TBVMaskEdit* edit, const platform::engine::Field& f, const QString& editText);
// The record line's entry of a column that no edit shows.
QString FieldLineLiteral(const platform::engine::Field& f);
bool IsPictureType(int type);

// Key v written into a record statement: the row identifier as its database takes it (ORACLE's
// quoted), any other key as a text or a number by KeyColumnType.
QString RecordKeyLiteral(bool RowId, int KeyColumnType, const QString& DBType, const QString& v);
// The statement lines that fetch the record with key v. DBType is the current database's type
// name ("ORACLE", "INFORMIX", ...); KeyColumnType the field type of the column that keys the
// record (KeyColumn, else UniqueColumn): text keys are quoted, numeric keys go bare.
// SelectList: the columns after "SELECT " (RecordSelectList); empty selects them all with "*".
QStringList RecordStatementLines(const QString& CurrentTable, const QString& KeyColumn,
                                 const QString& UniqueColumn, int KeyColumnType,
                                 const QString& DBType, const QString& v, const QString& SelectList = QString());
// The same statement prepared once for every record of the page: the key is the parameter
// ":key". Empty where the key is the row identifier or a stored clause.
QStringList PreparedRecordStatementLines(const QString& CurrentTable, const QString& KeyColumn,
                                         const QString& UniqueColumn, const QString& SelectList = QString());
// The columns a record is fetched with. Empty (all of them, "*") but on SQLite with a float
// column: its driver hands a double over with 15 digits only, so every column is named and each
// float column is fetched as SQLite's own 21-digit text of it, under its own name (ExactReals.h).
QString RecordSelectList(const ColumnList& Columns, const QString& DbmsName, const QString& KeyColumn);
// The product name of the connected database DatabaseName (SQL_DBMS_NAME); empty when it is not
// connected or does not say.
QString DbmsNameOf(const QString& DatabaseName);
// The right-hand side of "key = ..." for the key value v: v bare when the column is numeric and
// v is a number, else a quoted literal (dates as escape literals).
QString KeyValueLiteral(int KeyColumnType, const QString& v);
