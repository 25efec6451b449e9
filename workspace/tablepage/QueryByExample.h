#pragma once
// Query by example: one SELECT built from what was typed into the Table page, run once, and one
// record key kept per row found, so every later record is fetched again by its key.
#include "workspace/tablepage/ColumnList.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <stdexcept>

namespace platform::engine { class DataSet; class Query; }
struct MainState;
struct TablePageEnv;

// A query refused before anything was sent: a criterion that cannot be written safely (control is
// the one it was typed into), or a statement that would be more than the one SELECT.
class QueryRefused : public std::runtime_error {
public:
    QueryRefused(const QString& message, QWidget* control);
    QString message() const { return QString::fromUtf8(what()); }
    QPointer<QWidget> control;
};

// Adds one condition line to Query: "WHERE " for the first (setting WherePresent), "AND " after.
// FieldName comes already through QuoteIfBlank.
void AddWhereTerm(MainState& state, platform::engine::Query& Query, const QString& FieldName,
                  const QString& Value, int FieldType, bool IsNull);

// Fills the SQL lines of the window's Query from the page, the appended text and the sort order.
// Throws QueryRefused, with the lines emptied, for a criterion the translator refuses, a date or
// date and time that is none, quotes alone typed into the key, and a statement that is not one
// statement as the connection reads it (an appended text holding ";").
void BuildQueryStatement(TablePageEnv& env);

// The key of the current row of a table with neither key nor unique column: "WHERE a=.. AND .."
// over its values (date-and-time, blob and memo fields left out); empty when none is left. Columns,
// when given, are the table's columns: the fields after theirs are then SQLite's own texts of the
// float columns' REALs (ExactReals.h), which the clause compares instead.
QString RowKeyClause(platform::engine::DataSet& Query, const ColumnList* Columns = nullptr);

// Builds and runs the statement, walks the result gathering RecordKeys while ContinueQuery holds,
// and shows the first record found. A QueryRefused from the build passes to the caller with the
// status text as it was and the record keys untouched.
void ExecuteQuery(TablePageEnv& env);
