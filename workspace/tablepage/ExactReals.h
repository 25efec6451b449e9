#pragma once
// SQLite's REAL values read and compared exactly. Its ODBC driver hands a REAL over with 15
// significant digits whatever the C type asked for, and SQLite reads a decimal literal in a
// statement a step off now and then (its parser is not correctly rounded). Its own printf with 21
// significant digits ("%!.20e") is close enough that a correctly rounded reading of it gives the
// stored double back, over the whole range, subnormals included; and compared in SQL as text it
// selects that one double and no neighbour.
#include <QString>

namespace platform::engine { class Field; }

// True for the product name of a database whose REAL values go through these texts.
bool ReadsRealsAsPrintedText(const QString& DbmsName);

// The expression of SQLite's 21-digit text of a REAL in the column Name (already quoted as a
// statement writes it), and any other value as it is stored.
QString PrintedRealExpression(const QString& Name);
// The same as a select-list item under the column's own name. (A sort order naming the column
// then sorts by the text: a query that sorts selects the bare expression beside the column.)
QString PrintedRealColumn(const QString& Name);

// True when Field holds such a 21-digit text, fetched by PrintedRealExpression.
bool IsPrintedReal(const platform::engine::Field& Field);

// The condition that selects the REAL whose 21-digit text is Printed, and nothing else.
QString PrintedRealTerm(const QString& Name, const QString& Printed);
