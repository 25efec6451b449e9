#pragma once
// Whether a text of SQL is one statement, checked before it is sent: psqlODBC runs every statement
// of a text separated by ";", so a second one would run unasked.
#include <QString>

// True when no ";" outside quoted literals, quoted names and comments is followed by more than
// blanks and comments. Databases differ in what quotes and comments are (backslash escapes,
// PostgreSQL's E'' and $$ strings and nested comments, [names]): the text counts as one statement
// only when it is one under each of these readings.
bool HoldsOneStatement(const QString& Text);

// The SQL page's check of its statement text, of the given kind ("UPDATE", ...), made before
// anything is sent: a text of several statements is refused with a message saying that one
// statement is run at a time, and an UPDATE or DELETE whose count statement would be several is
// refused as a count that cannot be made. True when the text was refused (the message shown).
bool RefuseStatementText(const QString& Text, const QString& Kind);
