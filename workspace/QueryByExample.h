#pragma once
// Query by example: one SELECT built from what was typed into the Table page, run once, and one
// record key kept per row found, so every later record is fetched again by its key.
#include <QString>

namespace platform::engine { class DataSet; class Query; }
struct MainState;
struct TablePageEnv;

// Adds one condition line to Query: "WHERE " for the first (setting WherePresent), "AND " after.
// FieldName comes already through QuoteIfBlank.
void AddWhereTerm(MainState& state, platform::engine::Query& Query, const QString& FieldName,
                  const QString& Value, int FieldType, bool IsNull);

// Fills the SQL lines of the window's Query from the page, the appended text and the sort order.
void BuildQueryStatement(TablePageEnv& env);

// The key of the current row of a table with neither key nor unique column: "WHERE a=.. AND .."
// over its values (date-and-time, blob and memo fields left out); empty when none is left.
QString RowKeyClause(platform::engine::DataSet& Query);

// Builds and runs the statement, walks the result gathering RecordKeys while ContinueQuery holds,
// and shows the first record found.
void ExecuteQuery(TablePageEnv& env);
