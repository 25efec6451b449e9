// Where a statement text ends under each database's reading of quotes and comments, and string
// literals that every reading of their dialect takes as one literal holding the value.
#include "platform/engine/SqlDialect.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::engine;

SqlDialect dialect(SqlProduct product, bool noBackslashEscapes = false)
{
    SqlDialect d;
    d.product = product;
    d.noBackslashEscapes = noBackslashEscapes;
    return d;
}

SqlReading sqlite() { return PossibleReadings(dialect(SqlProduct::SQLite)).front(); }
SqlReading mysql() { return PossibleReadings(dialect(SqlProduct::MySQL)).front(); }

TEST(SqlDialect, WhereEachDatabaseEndsAStatement)
{
    // 1: one statement, 0: a second one follows a ";".
    const struct {
        const char* text;
        int sqlite, pgOn, pgOff, mysql;
    } cases[] = {
        {"SELECT 1", 1, 1, 1, 1},
        {"SELECT 1;  \r\n\r\n", 1, 1, 1, 1},
        {"SELECT 1; -- done", 1, 1, 1, 1},
        {"SELECT 1; /* done */ \r\n", 1, 1, 1, 1},
        {"SELECT 1;;", 1, 1, 1, 1},
        {"; SELECT 1", 1, 1, 1, 1},
        {"SELECT 'it''s; fine' FROM t;", 1, 1, 1, 1},
        {"SELECT \"odd;name\" FROM t", 1, 1, 1, 1},
        {"SELECT 1 -- ; DELETE FROM big\r\nFROM t", 1, 1, 1, 1},
        {"SELECT 'C:\\dir;x' FROM t", 1, 1, 1, 1},
        {"SELECT 1; DROP TABLE scratch", 0, 0, 0, 0},
        {"SELECT 1\r\n;\r\nDELETE FROM big\r\n", 0, 0, 0, 0},
        {"SELECT 1;/* x */SELECT 2", 0, 0, 0, 0},
        // A backslash before a quote: an escape only where backslashes escape.
        {"SELECT 'a\\'; DELETE FROM big; --'", 0, 0, 1, 1},
        {"SELECT '\\' x' \"\\\"; DROP TABLE victim;", 1, 1, 0, 1},
        {"SELECT \"a\\\"; DELETE FROM big; --\"", 0, 0, 0, 1},
        // PostgreSQL: E'' always escapes, also after a dot; B'', X'' and U&'' never do.
        {"SELECT E'\\''; DELETE FROM big; --'", 1, 0, 0, 0},
        {"SELECT x.E'\\''; DELETE FROM big; --'", 1, 0, 0, 0},
        {"SELECT B'\\'; DELETE FROM big; --'", 0, 0, 0, 1},
        {"SELECT U&'\\'; DELETE FROM big; --'", 0, 0, 0, 1},
        // PostgreSQL: string parts apart by a line break are one constant, an E'' one escaping
        // throughout; a "--" comment may stand between them, a /* */ comment may not.
        {"SELECT E'a'\r\n'\\' x' \"\\\"; DROP TABLE victim; --", 1, 0, 0, 1},
        {"SELECT E'a' -- c\n  -- d\n '\\' x' \"\\\"; DROP TABLE victim; --", 1, 0, 0, 1},
        {"SELECT E'a'   '\\' x' \"\\\"; DROP TABLE victim; --", 1, 1, 0, 1},
        {"SELECT 'a'\n'\\'; DELETE FROM big; --'", 0, 0, 1, 1},
        {"SELECT E'a' /* c */\n'\\'; DELETE FROM big; --'", 0, 0, 1, 1},
        // Dollar quotes: not inside a name, but right after a number.
        {"SELECT $$'$$; DELETE FROM big; SELECT '$$'", 1, 0, 0, 1},
        {"SELECT $tag$ ' $ $$ $tag$;", 1, 1, 1, 1},
        {"SELECT a$$b; DELETE FROM big; --$$", 0, 0, 0, 0},
        {"SELECT 1$$; DELETE FROM big; --$$", 0, 1, 1, 0},
        // Comments: nested on PostgreSQL; a lone CR ends a line comment there, not on SQLite;
        // MySQL takes "#", "--" only before a blank, and runs what /*! */ holds.
        {"SELECT 1 /* /* */ ' */; DELETE FROM big; --'", 1, 0, 0, 1},
        {"SELECT 1 -- x\r'\n; DELETE FROM big; --'", 0, 1, 1, 0},
        {"SELECT 1 --'\n; DELETE FROM big; -- '", 0, 0, 0, 1},
        {"SELECT 1 # '\n; DELETE FROM big", 1, 1, 1, 0},
        {"SELECT 1 /*! ; DELETE FROM big */", 1, 1, 1, 0},
        // Bracketed and backquoted names.
        {"SELECT [a'b]; DELETE FROM big; --'", 0, 1, 1, 1},
        {"SELECT `a'b`; DELETE FROM big; --'", 0, 1, 1, 0},
        // A text that ends inside a literal or comment holds what it began with.
        {"SELECT 'a; DELETE FROM big", 1, 1, 1, 1},
        {"SELECT 1 /* ; DELETE FROM big", 1, 1, 1, 1},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(c.text);
        EXPECT_EQ(HoldsOneStatement(text, sqlite()), bool(c.sqlite));
        EXPECT_EQ(HoldsOneStatement(text, PostgreSqlReading(true)), bool(c.pgOn));
        EXPECT_EQ(HoldsOneStatement(text, PostgreSqlReading(false)), bool(c.pgOff));
        EXPECT_EQ(HoldsOneStatement(text, mysql()), bool(c.mysql));
    }
}

TEST(SqlDialect, ReadingsOfEachProduct)
{
    EXPECT_EQ(SqlProductOf(QStringLiteral("PostgreSQL")), SqlProduct::PostgreSQL);
    EXPECT_EQ(SqlProductOf(QStringLiteral("SQLite")), SqlProduct::SQLite);
    EXPECT_EQ(SqlProductOf(QStringLiteral("MariaDB")), SqlProduct::MySQL);
    EXPECT_EQ(SqlProductOf(QStringLiteral("Microsoft SQL Server")), SqlProduct::SqlServer);
    EXPECT_EQ(SqlProductOf(QStringLiteral("Oracle")), SqlProduct::Other);

    EXPECT_EQ(PossibleReadings(dialect(SqlProduct::PostgreSQL)).size(), 2u);
    EXPECT_TRUE(ServerSettlesReading(dialect(SqlProduct::PostgreSQL)));
    EXPECT_FALSE(ServerSettlesReading(dialect(SqlProduct::Other)));
    // A product the program does not know meets every reading it knows: a text they cut apart
    // differently has no reading to settle it.
    const QString ambiguous = QStringLiteral("SELECT 'a\\'; DELETE FROM big; --'");
    const QString plain = QStringLiteral("SELECT name FROM t WHERE id = 1;");
    int one = 0;
    for (const SqlReading& r : PossibleReadings(dialect(SqlProduct::Other))) {
        one += HoldsOneStatement(ambiguous, r);
        EXPECT_TRUE(HoldsOneStatement(plain, r));
    }
    EXPECT_GT(one, 0);
    EXPECT_LT(one, int(PossibleReadings(dialect(SqlProduct::Other)).size()));
    // MySQL without backslash escapes and with ANSI_QUOTES reads '...' and "..." as the standard.
    SqlDialect strict = dialect(SqlProduct::MySQL, true);
    strict.ansiQuotes = true;
    EXPECT_FALSE(HoldsOneStatement(ambiguous, PossibleReadings(strict).front()));
    EXPECT_FALSE(HoldsOneStatement(QStringLiteral("SELECT \"a\\\"; DELETE FROM big; --\""),
                                   PossibleReadings(strict).front()));
}

TEST(SqlDialect, StringLiteralsReadBackAsOneLiteralEverywhere)
{
    const struct {
        SqlDialect dialect;
        const char* value;
        const char* literal;
    } cases[] = {
        {dialect(SqlProduct::SQLite), "it's", "'it''s'"},
        {dialect(SqlProduct::SQLite), "\\'OR 1=1--", "'\\''OR 1=1--'"},
        {dialect(SqlProduct::PostgreSQL), "it's", "'it''s'"},
        {dialect(SqlProduct::PostgreSQL), "\\'OR 1=1--", "E'\\\\''OR 1=1--'"},
        {dialect(SqlProduct::PostgreSQL), "C:\\dir\\", "E'C:\\\\dir\\\\'"},
        {dialect(SqlProduct::MySQL), "a\\'b", "'a\\\\''b'"},
        {dialect(SqlProduct::MySQL, true), "a\\'b", "'a\\''b'"},
        {dialect(SqlProduct::Other), "a\\'b", "'a\\''b'"},
        {dialect(SqlProduct::PostgreSQL), "", "''"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        const QString literal = SqlStringLiteral(QString::fromUtf8(c.value), c.dialect);
        EXPECT_EQ(literal, QString::fromUtf8(c.literal));
        // However the session reads strings, the literal is one token and ends the text's only
        // statement where it should.
        const QString text = QStringLiteral("SELECT ") + literal + QStringLiteral("; DELETE FROM big");
        for (const SqlReading& r : PossibleReadings(c.dialect)) {
            if (c.dialect.product == SqlProduct::Other && r.backslashInStrings)
                continue;  // a backslash reading is not the unknown product's
            SqlLexer lexer(text, r);
            SqlToken token;
            ASSERT_TRUE(lexer.next(token) && lexer.next(token) && lexer.next(token));
            EXPECT_EQ(token.kind, SqlToken::Literal);
            EXPECT_EQ(text.mid(token.begin, token.end - token.begin), literal);
            EXPECT_FALSE(HoldsOneStatement(text, r));
        }
    }
}

} // namespace
