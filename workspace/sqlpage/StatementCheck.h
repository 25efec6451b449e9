#pragma once
// Whether a text of SQL is one statement, checked before it is sent: psqlODBC runs every statement
// of a text separated by ";", so a second one would run unasked.
#include <QString>

namespace platform::engine { class Database; }

enum class StatementCount { One, Several, Ambiguous };

// How many statements Text is as the connected database reads its quotes and comments. A
// PostgreSQL text whose reading turns on standard_conforming_strings is read by the session's
// setting, asked of the server then and only then. For a product whose reading the program does
// not know, a text that the known readings cut differently is Ambiguous, as is one whose setting
// could not be asked (reason then holds the driver's text).
StatementCount CountStatements(const QString& Text, platform::engine::Database& Database, QString* reason = nullptr);

// The SQL page's check of its statement text, made before anything is sent: a text of several
// statements, or one that may be several, is refused with a message saying that one statement is
// run at a time. True when the text was refused (the message shown).
bool RefuseStatementText(const QString& Text, platform::engine::Database& Database);
