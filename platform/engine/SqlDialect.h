#pragma once
// How a database reads the quotes and comments of a statement text, and how a value is written as
// a string literal that it reads back unchanged. Databases differ: a backslash escapes inside
// '...' on MySQL and on PostgreSQL with standard_conforming_strings off, PostgreSQL has E'' and
// $tag$ strings and nested comments, SQLite and SQL Server quote names in brackets.
#include <QString>
#include <QStringView>

#include <vector>

namespace platform::engine {

enum class SqlProduct { Other, SQLite, PostgreSQL, MySQL, SqlServer };

// The product a driver reports as its SQL_DBMS_NAME ("PostgreSQL", "SQLite", "MySQL", "MariaDB",
// "Microsoft SQL Server"); Other for the rest.
SqlProduct SqlProductOf(const QString& dbmsName);

// What a connection says of its dialect when it is made.
struct SqlDialect {
    SqlProduct product = SqlProduct::Other;
    // MySQL's sql_mode of the session: NO_BACKSLASH_ESCAPES, ANSI_QUOTES.
    bool noBackslashEscapes = false;
    bool ansiQuotes = false;
};

// One exact reading of statement text: what opens and closes literals, quoted names and comments.
struct SqlReading {
    bool backslashInStrings = false;   // "\" escapes the next character inside '...'
    bool doubleQuotedStrings = false;  // "..." is a string, read like '...' (MySQL without ANSI_QUOTES)
    bool escapeStrings = false;        // E'...' takes "\" escapes whatever the setting (PostgreSQL)
    bool prefixedStrings = false;      // B'..', X'..' and U&'..' take none (PostgreSQL)
    bool continuedStrings = false;     // string parts apart by blanks holding a line break are one (PostgreSQL)
    bool dollarQuotes = false;         // $tag$...$tag$ (PostgreSQL)
    bool nestedComments = false;       // /* /* */ */ is one comment (PostgreSQL, SQL Server)
    bool bracketNames = false;         // [name] (SQLite, SQL Server, Access)
    bool doubledBrackets = false;      // "]]" inside [name] stands for "]" (SQL Server)
    bool backtickNames = false;        // `name` (MySQL, SQLite)
    bool hashComments = false;         // "#" to the end of the line (MySQL)
    bool spacedDashComments = false;   // "--" opens a comment only before a blank (MySQL)
    bool executableComments = false;   // /*! ... */ is read as statement text (MySQL)
    bool crEndsLineComments = false;   // a lone CR ends a "--" comment as LF does (PostgreSQL)
};

// PostgreSQL's reading with standard_conforming_strings on or off.
SqlReading PostgreSqlReading(bool standardConformingStrings);

// The readings a text sent on a connection of that dialect may meet: one where the dialect fixes
// it; for PostgreSQL both settings of standard_conforming_strings, which a session can change at
// any time; for a product this program does not know, those of the products it knows.
std::vector<SqlReading> PossibleReadings(const SqlDialect& dialect);

// True when the readings of the dialect that disagree can be settled by asking the server which
// one is the session's (PostgreSQL).
bool ServerSettlesReading(const SqlDialect& dialect);

// One piece of a statement text.
struct SqlToken {
    enum Kind { Blank, Comment, Literal, Name, Word, Symbol };
    Kind kind = Blank;
    qsizetype begin = 0;
    qsizetype end = 0;
};

// Cuts a text into tokens by one reading. A literal includes its prefix (E, N, B, X, U&) and, with
// continuedStrings, every part it is continued with.
class SqlLexer {
public:
    SqlLexer(QStringView text, const SqlReading& reading) : s_(text), r_(reading) {}
    // False at the end of the text.
    bool next(SqlToken& token);

private:
    bool startsWith(qsizetype at, QStringView what) const;
    bool dashComment(qsizetype at) const;
    qsizetype lineEnd(qsizetype at) const;
    qsizetype blockCommentEnd(qsizetype at) const;
    qsizetype quotedEnd(qsizetype at, QChar close, bool backslash, bool doubled) const;
    qsizetype continuation(qsizetype after) const;
    qsizetype dollarDelimiterEnd(qsizetype at) const;

    QStringView s_;
    SqlReading r_;
    qsizetype i_ = 0;
    bool inExecutableComment_ = false;
};

// True when no ";" that ends a statement with content is followed by more content (blanks and
// comments are none), read by that reading.
bool HoldsOneStatement(QStringView text, const SqlReading& reading);

// Value written as a string literal of the dialect: between single quotes with each quote
// doubled; on PostgreSQL a value holding a backslash as E'...' with the backslash doubled, which
// reads the same whatever the session's standard_conforming_strings; on MySQL with backslash
// escapes the backslash doubled.
QString SqlStringLiteral(const QString& value, const SqlDialect& dialect);

// The dialect the program's statements are written for: that of the database component whose
// connection was made last (the program has one), the standard's before any.
const SqlDialect& CurrentSqlDialect();
// Set by the database component when it connects.
void SetCurrentSqlDialect(const SqlDialect& dialect);
// SqlStringLiteral with CurrentSqlDialect().
QString SqlStringLiteral(const QString& value);

} // namespace platform::engine
