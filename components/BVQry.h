#pragma once
// Turns the criterion typed into one control of the query-by-example form into one SQL condition
// on that control's column: wildcards "*" and "?", comparison prefixes ">=", "<=", ">", "<", a
// leading "!" for negation, "|" between alternatives, "[a,b]" lists and "a:b" ranges.
#include <QString>

#include <stdexcept>

// The quote mark for literals of a field type: "'" for string (1) and date (9), else empty.
QString QuoteForType(int FieldType);

// A criterion that cannot become a condition without letting typed text run as SQL. what() is
// the message for the user; it names the column and the criterion.
class CriterionRefused : public std::runtime_error {
public:
    explicit CriterionRefused(const QString& message);
    // "The criterion "..." typed into field cannot be run: " + why, and that nothing was sent.
    static CriterionRefused because(const QString& criterion, const QString& field, const QString& why);
    QString message() const { return QString::fromUtf8(what()); }
};

// Criterion: the text as typed, not trimmed and its case kept; the caller has removed one
// enclosing pair of quotes and turned the word null into " IS NULL" itself.
// Every value written between quotes is a literal of the connection's dialect (SqlStringLiteral:
// quotes doubled, and on PostgreSQL a backslash written so that no setting takes it for an
// escape), so pass the text as the user typed it, not pre-doubled: O'Brien on a string column
// gives name = 'O''Brien'.
// FieldName is copied unchanged (already quoted when it holds a blank).
// Gives the empty text for an empty criterion, for a date (9) criterion that is no valid date
// (see IsValidDate), and for types that have no condition form here: date and time (11), blob
// (15) and graphic (17). A valid date gives an equality with an ODBC date escape:
// shipped = {d '1999-12-31'}.
// Every value written without quotes must be a number: whole for small integer (2), integer (3)
// and boolean (5) columns, any decimal number for the others; anything else throws
// CriterionRefused, as does a criterion holding a NUL character on any column. A key column (14)
// may be of any type, so its values that are no number are written as quoted text instead.
QString CriterionToSql(const QString& Criterion, const QString& FieldName, int FieldType);
