// The criterion translator: every form on a string, an integer, a memo and a date column, the
// order in which the forms are tried, quoting, and the conditions run on real databases.
#include "components/BVQry.h"

#include "platform/engine/Engine.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

namespace {

constexpr int kString = 1;
constexpr int kSmallInt = 2;
constexpr int kInteger = 3;
constexpr int kBoolean = 5;
constexpr int kFloat = 6;
constexpr int kDate = 9;
constexpr int kDateTime = 11;
constexpr int kAutoInc = 14;
constexpr int kBlob = 15;
constexpr int kMemo = 16;
constexpr int kGraphic = 17;

struct Case {
    const char* criterion;
    const char* field;
    int type;
    const char* condition;
};

// qty is an integer column, city a string column, note a memo column, shipped a date column.
void expectCases(std::initializer_list<Case> cases)
{
    for (const Case& c : cases)
        EXPECT_EQ(CriterionToSql(QString::fromUtf8(c.criterion), QString::fromUtf8(c.field), c.type),
                  QString::fromUtf8(c.condition))
            << "criterion [" << c.criterion << "] on " << c.field;
}

TEST(QuoteForType, OnlyStringAndDateAreQuoted)
{
    EXPECT_EQ(QuoteForType(kString), "'");
    EXPECT_EQ(QuoteForType(kDate), "'");
    for (int type : {0, kSmallInt, kInteger, kBoolean, kFloat, kDateTime, kAutoInc, kBlob, kMemo, kGraphic})
        EXPECT_EQ(QuoteForType(type), "") << type;
}

TEST(CriterionToSql, WorkedExamples)
{
    expectCases({
        {"abc", "city", kString, "city = 'abc'"},
        {"5", "qty", kInteger, "qty = 5"},
        {"ab*", "city", kString, "city LIKE 'ab%'"},
        {"a?c", "city", kString, "city LIKE 'a_c'"},
        {">=5", "qty", kInteger, "qty >= 5"},
        {"<x", "city", kString, "city < 'x'"},
        {"!abc", "city", kString, "city <> 'abc'"},
        {"a|b", "city", kString, "(city='a' OR city='b')"},
        {"!a|b", "city", kString, "NOT(city='a' OR city='b')"},
        {"[1,2,3]", "qty", kInteger, "qty IN (1,2,3)"},
        {"![a,b]", "city", kString, "city NOT IN ('a','b')"},
        {"a:m", "city", kString, "city BETWEEN 'a' AND 'm'"},
        {"1:9", "qty", kInteger, "qty BETWEEN 1 AND 9"},
    });
}

TEST(CriterionToSql, ComparisonsOnBothKindsOfColumn)
{
    expectCases({
        {"<=5", "qty", kInteger, "qty <= 5"},
        {">5", "qty", kInteger, "qty > 5"},
        {"<5", "qty", kInteger, "qty < 5"},
        {">=m", "city", kString, "city >= 'm'"},
        {"<=m", "city", kString, "city <= 'm'"},
        {">m", "city", kString, "city > 'm'"},
        {"<>5", "city", kString, "city < '>5'"},   // no two-character not-equal
        {"=5", "city", kString, "city = '=5'"},
        {">", "city", kString, "city > ''"},
        {"> 5", "qty", kInteger, "qty >  5"},      // not trimmed
    });
}

TEST(CriterionToSql, WildcardsComeFirst)
{
    expectCases({
        {"!a*", "city", kString, "city LIKE '!a%'"},
        {"a?b*", "city", kString, "city LIKE 'a?b%'"},  // "?" only when no "*"
        {">a*", "city", kString, "city LIKE '>a%'"},
        {"a*|b", "city", kString, "city LIKE 'a%|b'"},
        {"[a*]", "city", kString, "city LIKE '[a%]'"},
        {"*", "city", kString, "city LIKE '%'"},
    });
}

TEST(CriterionToSql, MemoColumnsAlwaysMatchPatterns)
{
    expectCases({
        {"!a*", "note", kMemo, "note NOT LIKE 'a%'"},
        {"!abc", "note", kMemo, "note NOT LIKE 'abc'"},
        {"a?c", "note", kMemo, "note LIKE 'a?c'"},
        {"*late*", "note", kMemo, "note LIKE '%late%'"},
        {"abc", "note", kMemo, "note LIKE 'abc'"},
        {">5", "note", kMemo, "note LIKE '>5'"},
        {"a|b", "note", kMemo, "note LIKE 'a|b'"},
        {"[a,b]", "note", kMemo, "note LIKE '[a,b]'"},
        {"!", "note", kMemo, "note NOT LIKE ''"},
    });
}

TEST(CriterionToSql, NegationAlternativesListsAndRanges)
{
    expectCases({
        {"[a|b]", "city", kString, "(city='[a' OR city='b]')"},  // alternatives before lists
        {"a|", "city", kString, "(city='a')"},
        {"|a", "city", kString, "(city='' OR city='a')"},
        {"a||b", "city", kString, "(city='a' OR city='' OR city='b')"},
        {"|", "city", kString, "(city='')"},
        {"!|", "city", kString, "NOT(city='')"},
        {"1|2", "qty", kInteger, "(qty=1 OR qty=2)"},
        {"!1|2", "qty", kInteger, "NOT(qty=1 OR qty=2)"},
        {"a | b", "city", kString, "(city='a ' OR city=' b')"},
        {"[a, b]", "city", kString, "city IN ('a',' b')"},
        {"[a,]", "city", kString, "city IN ('a')"},
        {"[a,,b]", "city", kString, "city IN ('a','','b')"},
        {"[,]", "city", kString, "city IN ('')"},
        {"[ a,b ]", "city", kString, "city IN ('a','b')"},       // blanks inside the brackets dropped
        {"[\ta,b\n]", "city", kString, "city IN ('a','b')"},     // so is every control character
        {"[a]", "city", kString, "city IN ('a')"},
        {"[a:b]", "city", kString, "city IN ('a:b')"},
        {"[]", "city", kString, "[]"},                           // no item: the criterion itself
        {"[  ]", "city", kString, "[  ]"},
        {"![]", "city", kString, "![]"},
        {"![ ]", "city", kString, "![ ]"},
        {"[", "city", kString, "city = '['"},
        {"]", "city", kString, "city = ']'"},
        {"![", "city", kString, "city <> '['"},
        {"[a", "city", kString, "city = '[a'"},
        {"a]", "city", kString, "city = 'a]'"},
        {"![1,2]", "qty", kInteger, "qty NOT IN (1,2)"},
        {"!", "city", kString, "city <> ''"},
        {"!5", "qty", kInteger, "qty <> 5"},
        {"!!a", "city", kString, "city <> '!a'"},
        {"!a:b", "city", kString, "city <> 'a:b'"},              // a range cannot be negated
        {"a:b:c", "city", kString, "city BETWEEN 'a' AND 'b:c'"},
        {":b", "city", kString, "city BETWEEN '' AND 'b'"},
        {"a:", "city", kString, "city BETWEEN 'a' AND ''"},
    });
}

TEST(CriterionToSql, TextIsTakenAsTyped)
{
    expectCases({
        {" abc ", "city", kString, "city = ' abc '"},
        {"AbC", "city", kString, "city = 'AbC'"},
        {"null", "city", kString, "city = 'null'"},   // the caller handles the word null
        {"abc", "\"home city\"", kString, "\"home city\" = 'abc'"},
        {"1.5", "price", kFloat, "price = 1.5"},
        {"1", "active", kBoolean, "active = 1"},
        {"7", "id", kAutoInc, "id = 7"},
        {"3:9", "id", kAutoInc, "id BETWEEN 3 AND 9"},
    });
}

TEST(CriterionToSql, QuotesAreDoubledInsideQuotedValues)
{
    expectCases({
        {"O'Brien", "name", kString, "name = 'O''Brien'"},
        {"O'*", "name", kString, "name LIKE 'O''%'"},
        {"O'Br?en", "name", kString, "name LIKE 'O''Br_en'"},
        {">O'B", "name", kString, "name > 'O''B'"},
        {"!O'Brien", "name", kString, "name <> 'O''Brien'"},
        {"O'Brien|D'Arcy", "name", kString, "(name='O''Brien' OR name='D''Arcy')"},
        {"[O'Brien,it's]", "name", kString, "name IN ('O''Brien','it''s')"},
        {"a'b:c'd", "name", kString, "name BETWEEN 'a''b' AND 'c''d'"},
        {"'", "name", kString, "name = ''''"},
        {"it's", "note", kMemo, "note LIKE 'it''s'"},
        {"!it's*", "note", kMemo, "note NOT LIKE 'it''s%'"},
    });
}

// Every value written bare into a number column's condition must be a number: the translator
// never lets typed text run on as SQL there.
TEST(CriterionToSql, NumberColumnsTakeOnlyNumbers)
{
    expectCases({
        {" 5 ", "qty", kSmallInt, "qty =  5 "},
        {"-5", "qty", kInteger, "qty = -5"},
        {"+5", "qty", kInteger, "qty = +5"},
        {"<-1", "qty", kInteger, "qty < -1"},
        {"9007199254740993", "qty", kInteger, "qty = 9007199254740993"},  // SQLite integers are 64-bit
        {"[1, 2,-3]", "qty", kInteger, "qty IN (1, 2,-3)"},
        {"-1:+2", "qty", kInteger, "qty BETWEEN -1 AND +2"},
        {"!-1|2", "qty", kInteger, "NOT(qty=-1 OR qty=2)"},
        {"1.5e3", "price", kFloat, "price = 1.5e3"},
        {".5:1.", "price", kFloat, "price BETWEEN .5 AND 1."},
        {"0", "active", kBoolean, "active = 0"},
        // A key column may hold text (a row identifier, a configured serial column): what is no
        // number is written as quoted text.
        {"7", "id", kAutoInc, "id = 7"},
        {"1; DELETE FROM big WHERE id=6", "id", kAutoInc, "id = '1; DELETE FROM big WHERE id=6'"},
        {"AAAB'x:7", "id", kAutoInc, "id BETWEEN 'AAAB''x' AND 7"},
        {"1*", "id", kAutoInc, "id = '1%'"},
        // Text keeps its quotes, so any text is harmless there.
        {"1; DELETE FROM big WHERE id=6", "city", kString, "city = '1; DELETE FROM big WHERE id=6'"},
        {"x' OR '1'='1", "city", kString, "city = 'x'' OR ''1''=''1'"},
    });

    struct Refusal {
        const char* criterion;
        int type;
        const char* why;  // what the message says of it
    };
    const Refusal refusals[] = {
        {"1; DELETE FROM big WHERE id=6", kInteger, "it is not a whole number."},
        {"1 OR 1=1", kInteger, "it is not a whole number."},
        {"1--", kInteger, "it is not a whole number."},
        {"1.5", kInteger, "it is not a whole number."},
        {"1e3", kSmallInt, "it is not a whole number."},
        {"1/**/", kFloat, "\"1/%%/\" is not a number."},
        {"1*", kInteger, "\"1%\" is not a whole number."},   // a pattern is no number
        {"1?", kInteger, "\"1_\" is not a whole number."},
        {"=5", kInteger, "it is not a whole number."},
        {">=1 OR 1=1", kInteger, "\"1 OR 1=1\" is not a whole number."},
        {"<1)", kInteger, "\"1)\" is not a whole number."},
        {"!1;", kInteger, "\"1;\" is not a whole number."},
        {"1|2);DROP TABLE x", kInteger, "\"2);DROP TABLE x\" is not a whole number."},
        {"1:5|7", kInteger, "\"1:5\" is not a whole number."},   // alternatives come before ranges
        {"[1,2);DELETE FROM big;--]", kInteger, "\"2);DELETE FROM big;--\" is not a whole number."},
        {"![1,x]", kInteger, "\"x\" is not a whole number."},
        {"1:9 OR 1=1", kInteger, "\"9 OR 1=1\" is not a whole number."},
        {"nan", kFloat, "it is not a number."},
        {"0x10", kFloat, "it is not a number."},
        {"true", kBoolean, "it is not a whole number."},
        {">", kInteger, "a number is missing in it."},
        {"1:", kInteger, "a number is missing in it."},
        {"[1,,2]", kInteger, "a number is missing in it."},
        {"|1", kInteger, "a number is missing in it."},
        {"5\u0661", kInteger, "it is not a whole number."},      // digits of other scripts are no number here
    };
    for (const Refusal& r : refusals) {
        const QString criterion = QString::fromUtf8(r.criterion);
        try {
            const QString sql = CriterionToSql(criterion, QStringLiteral("qty"), r.type);
            ADD_FAILURE() << r.criterion << " gave " << sql.toStdString();
        } catch (const CriterionRefused& refused) {
            EXPECT_EQ(refused.message(), QStringLiteral("The criterion \"") + criterion
                                             + QStringLiteral("\" typed into qty cannot be run: ")
                                             + QString::fromUtf8(r.why)
                                             + QStringLiteral("\r\n\r\nNothing was sent to the database."));
        }
    }
}

// The drivers end a statement at a NUL, so a criterion holding one is refused on every column
// that has a condition form; its message shows the NUL as \0.
TEST(CriterionToSql, NulIsRefusedOnEveryColumn)
{
    const QString criterion = QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("c");
    for (int type : {kString, kSmallInt, kInteger, kBoolean, kFloat, kAutoInc, kMemo}) {
        try {
            CriterionToSql(criterion, QStringLiteral("col"), type);
            ADD_FAILURE() << "type " << type;
        } catch (const CriterionRefused& refused) {
            EXPECT_EQ(refused.message(), QStringLiteral("The criterion \"ab\\0c\" typed into col cannot be run: it "
                                                        "holds a NUL character.\r\n\r\nNothing was sent to the database."));
        }
    }
    // Dates and pictures give no condition from it at all.
    for (int type : {kDate, kDateTime, kBlob})
        EXPECT_EQ(CriterionToSql(criterion, QStringLiteral("col"), type), "") << type;
}

TEST(CriterionToSql, EmptyCriterionGivesEmptyCondition)
{
    for (int type : {kString, kSmallInt, kInteger, kBoolean, kFloat, kDate, kAutoInc, kMemo})
        EXPECT_EQ(CriterionToSql({}, "col", type), "") << type;
}

TEST(CriterionToSql, DatesBecomeDateEscapes)
{
    expectCases({
        {"12/31/1999", "shipped", kDate, "shipped = {d '1999-12-31'}"},
        {"1/2/2000", "shipped", kDate, "shipped = {d '2000-01-02'}"},
        {"02/29/2000", "shipped", kDate, "shipped = {d '2000-02-29'}"},
        {"01/05/2001", "\"order date\"", kDate, "\"order date\" = {d '2001-01-05'}"},
        // Anything that is no date gives no condition, never the text passed in.
        {"02/30/2000", "shipped", kDate, ""},
        {"02/29/1900", "shipped", kDate, ""},
        {"  /  /    ", "shipped", kDate, ""},   // an untouched date edit
        {"12/31/", "shipped", kDate, ""},
        {">12/31/1999", "shipped", kDate, ""},
        {"12/31/1999 10:00:00", "shipped", kDate, ""},
        {"1999-12-31", "shipped", kDate, ""},
        {"31.12.1999", "shipped", kDate, ""},
    });
}

TEST(CriterionToSql, TypesWithoutAConditionFormGiveNothing)
{
    for (int type : {kDateTime, kBlob, kGraphic})
        for (const char* criterion : {"12/31/1999 10:00:00", "abc", "1:5", "a|b"})
            EXPECT_EQ(CriterionToSql(QString::fromUtf8(criterion), "col", type), "")
                << criterion << " type " << type;
}

// The conditions run: each finds exactly the rows it should on a real database.
void runConditions(platform::engine::Database& db, const QString& table)
{
    using platform::engine::Query;
    struct Run {
        const char* criterion;
        const char* field;
        int type;
        QStringList names;
    };
    const Run runs[] = {
        {"O'Brien", "name", kString, {"O'Brien"}},
        {"O'*", "name", kString, {"O'Brien"}},
        {"O'Brien|D'Arcy", "name", kString, {"D'Arcy", "O'Brien"}},
        {"[O'Brien, Smith,Smith]", "name", kString, {"O'Brien", "Smith"}},
        {"!O'Brien", "name", kString, {"D'Arcy", "Smith", "Sm_th"}},
        {"Sm?th", "name", kString, {"Smith", "Sm_th"}},
        {">=2", "qty", kInteger, {"D'Arcy", "Smith", "Sm_th"}},
        {"2:3", "qty", kInteger, {"D'Arcy", "Smith"}},
        {"![1,4]", "qty", kInteger, {"D'Arcy", "Smith"}},
        {"03/12/2001", "born", kDate, {"Smith"}},
        {"*isn't*", "note", kMemo, {"D'Arcy"}},
        {"!*isn't*", "note", kMemo, {"O'Brien", "Smith", "Sm_th"}},
    };
    for (const Run& r : runs) {
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << QStringLiteral("SELECT name FROM ") + table
                << QStringLiteral("WHERE ") + CriterionToSql(QString::fromUtf8(r.criterion),
                                                             QString::fromUtf8(r.field), r.type)
                << QStringLiteral("ORDER BY name");
        QStringList found;
        try {
            q.open();
            while (!q.eof()) {
                found << q.fieldByName(QStringLiteral("name")).asString();
                q.next();
            }
        } catch (const platform::engine::EngineError& e) {
            ADD_FAILURE() << r.criterion << ": " << e.what();
        }
        QStringList expected = r.names;
        expected.sort();
        found.sort();
        EXPECT_EQ(found, expected) << r.criterion << " -> " << q.sql().join(' ').toStdString();
    }
}

void fill(platform::engine::Database& db, const QString& table, const QString& create)
{
    QStringList statements = {
        "INSERT INTO " + table + " VALUES ('O''Brien', 1, {d '1960-01-02'}, 'plain')",
        "INSERT INTO " + table + " VALUES ('D''Arcy', 2, {d '1970-05-06'}, 'it isn''t so')",
        "INSERT INTO " + table + " VALUES ('Smith', 3, {d '2001-03-12'}, 'x')",
        "INSERT INTO " + table + " VALUES ('Sm_th', 4, NULL, 'y')",
    };
    if (!create.isEmpty())
        statements.prepend(create);
    for (const QString& sql : statements) {
        platform::engine::Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << sql;
        q.execSQL();
    }
}

TEST(CriterionToSqlOnDatabase, SQLite)
{
    testsupport::TempHome home;
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("criteria_sqlite"));
    db.setAliasName(testsupport::sqliteDsn());
    db.setConnected(true);
    {
        platform::engine::Query drop;
        drop.setDatabaseName(db.databaseName());
        drop.sql() << QStringLiteral("DROP TABLE IF EXISTS crit_people");
        drop.execSQL();
    }
    fill(db, QStringLiteral("crit_people"),
         QStringLiteral("CREATE TABLE crit_people (name varchar(20), qty integer, born date, note text)"));
    runConditions(db, QStringLiteral("crit_people"));
}

TEST(CriterionToSqlOnDatabase, PostgreSQL)
{
    QV_REQUIRE_PG();
    testsupport::TempHome home;
    const auto& pg = testsupport::pg();
    testsupport::pgExec(QStringLiteral(
        "DROP TABLE IF EXISTS crit_people; "
        "CREATE TABLE crit_people (name varchar(20), qty integer, born date, note text)"));
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("criteria_pg"));
    db.setAliasName(pg.dsn);
    db.params() << QStringLiteral("user name=") + pg.user << QStringLiteral("password=") + pg.password;
    db.setConnected(true);
    fill(db, QStringLiteral("crit_people"), {});
    runConditions(db, QStringLiteral("crit_people"));
    db.setConnected(false);
    testsupport::pgExec(QStringLiteral("DROP TABLE crit_people"));
}

} // namespace
