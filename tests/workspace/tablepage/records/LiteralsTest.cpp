// The value fallbacks, the SQL literals and the plain text operations.
#include "components/BVMaskEdit.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/ValueChecks.h"

#include <QLocale>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ValueChecks, Fallbacks)
{
    const struct { QString (*op)(const QString&); const char* in; const char* out; } cases[] = {
        {DateTextOrDefault, "03/12/2001", "03/12/2001"},
        {DateTextOrDefault, "3/2/2001", "3/2/2001"},
        {DateTextOrDefault, "13/45/2001", "12/31/9999"},
        {DateTextOrDefault, "02/29/2001", "12/31/9999"},
        {DateTextOrDefault, "02/29/2000", "02/29/2000"},
        {DateTextOrDefault, "2001-03-12", "12/31/9999"},
        {DateTextOrDefault, "  /  /    ", "12/31/9999"},
        {DateTextOrDefault, "", "12/31/9999"},
        {DateTimeTextOrDefault, "03/12/2001 14:05:00", "03/12/2001 14:05:00"},
        {DateTimeTextOrDefault, "03/12/2001", "03/12/2001"},
        {DateTimeTextOrDefault, "03/12/2001 24:00:00", "12/31/9999 00:00:00"},
        {DateTimeTextOrDefault, "02/30/2001 10:00:00", "12/31/9999 00:00:00"},
        {FloatTextOrDefault, "2.5", "2.5"},
        {FloatTextOrDefault, "-1e3", "-1e3"},
        {FloatTextOrDefault, "2,5", "0.00"},
        {FloatTextOrDefault, "abc", "0.00"},
        {FloatTextOrDefault, "inf", "0.00"},
        {FloatTextOrDefault, "nan", "0.00"},
        {FloatTextOrDefault, "", "0.00"},
        {IntegerTextOrDefault, "42", "42"},
        {IntegerTextOrDefault, "-2147483648", "-2147483648"},
        // Integers of 64 bits are written exactly; the column's own range is the database's.
        {IntegerTextOrDefault, "2147483648", "2147483648"},
        {IntegerTextOrDefault, "-9223372036854775808", "-9223372036854775808"},
        {IntegerTextOrDefault, "9223372036854775808", "-1"},
        {IntegerTextOrDefault, "4.5", "-1"},
        {IntegerTextOrDefault, "", "-1"},
        {BooleanToBit, "0", "0"},
        {BooleanToBit, "1", "1"},
        {BooleanToBit, "True", "1"},
        {BooleanToBit, "  TRUE ", "1"},
        {BooleanToBit, "False", "0"},
        {BooleanToBit, "yes", "0"},
        {BooleanToBit, "", "0"},
        {BooleanToBit, "2", "0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.op(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(ValueChecks, SqlLiteralByType)
{
    const struct { int type; const char* in; const char* out; } cases[] = {
        {1, "it's", "'it''s'"},
        {1, "O'Brien", "'O''Brien'"},
        {1, "''", "''''''"},
        {1, "", "''"},
        {1, "a|b", "'a|b'"},
        {2, "12", "12"},
        {3, "", "-1"},
        {3, "1; DROP TABLE t", "-1"},
        {5, "TRUE", "1"},
        {5, "False", "0"},
        {6, "abc", "0.00"},
        {6, "3.25", "3.25"},
        {9, "13/45/2001", "{d '9999-12-31'}"},
        {9, "03/12/2001", "{d '2001-03-12'}"},
        {9, "", "{d '9999-12-31'}"},
        {11, "03/12/2001 14:05:00", "{ts '2001-03-12 14:05:00'}"},
        {11, "03/12/2001", "{ts '2001-03-12 00:00:00'}"},
        {7, "anything", ""},
        {14, "5", ""},
        {16, "memo", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SqlLiteral(c.type, QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.type << " " << c.in;
    EXPECT_THROW(SqlLiteral(11, QStringLiteral("13/45/2001 10:00:00")), std::invalid_argument);
}

TEST(ValueChecks, LocaleDoesNotChangeTheConvention)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SqlLiteral(6, QStringLiteral("2.5")), QStringLiteral("2.5"));
    EXPECT_EQ(SqlLiteral(6, QStringLiteral("2,5")), QStringLiteral("0.00"));
    EXPECT_EQ(SqlLiteral(9, QStringLiteral("03/12/2001")), QStringLiteral("{d '2001-03-12'}"));
    QLocale::setDefault(before);
}

TEST(ValueChecks, ControlSqlLiteralDoublesQuotes)
{
    TBVMaskEdit edit;
    edit.FieldType = platform::engine::ftString;
    edit.setText(QStringLiteral("it's"));
    EXPECT_EQ(ControlSqlLiteral(&edit), QStringLiteral("'it''s'"));
    edit.FieldType = platform::engine::ftDate;
    edit.setEditMask(QStringLiteral("!99/99/0000;1;_"));
    EXPECT_EQ(ControlSqlLiteral(&edit), QStringLiteral("{d '9999-12-31'}"));  // only the empty mask
    edit.setText(QStringLiteral("03122001"));
    EXPECT_EQ(ControlSqlLiteral(&edit), QStringLiteral("{d '2001-03-12'}"));
    EXPECT_EQ(ControlSqlLiteral(nullptr), QString());
}

TEST(ValueChecks, TextOperations)
{
    QString s = QStringLiteral("a|b|c");
    ReplaceAll(s, QStringLiteral("|"), QStringLiteral(","));
    EXPECT_EQ(s, QStringLiteral("a,b,c"));
    s = QStringLiteral("'x'+'y'");
    ReplaceAll(s, QStringLiteral("'"), QString());
    EXPECT_EQ(s, QStringLiteral("x+y"));
    s = QStringLiteral("aa");
    ReplaceAll(s, QStringLiteral("a"), QStringLiteral("aa"));  // would never end: left alone
    EXPECT_EQ(s, QStringLiteral("aa"));

    EXPECT_EQ(PadToWidth(QStringLiteral("ID"), QStringLiteral(" "), 5), QStringLiteral("ID   "));
    EXPECT_EQ(PadToWidth(QStringLiteral("IDENTIFIER"), QStringLiteral(" "), 5), QStringLiteral("IDENTIFIER"));
    EXPECT_EQ(PadToWidth(QStringLiteral("A"), QStringLiteral("--"), 4), QStringLiteral("A----"));
    EXPECT_EQ(PadToWidth(QStringLiteral("A"), QString(), 4), QStringLiteral("A"));
}

TEST(RecordStatement, KeyClauseTable)
{
    // The table's name holds a blank: every statement quotes it.
    using L = QStringList;
    const struct {
        const char* key; const char* unique; int type; const char* db; const char* v; L lines;
    } cases[] = {
        {"rowid", "", 14, "ORACLE", "AAAA1xAAEAAAABhAAA",
         {"SELECT rowid, \"line item\".* ", "FROM \"line item\"", "WHERE rowid = 'AAAA1xAAEAAAABhAAA'", "ORDER BY rowid"}},
        {"rowid", "", 14, "INFORMIX", "257", {"SELECT rowid, \"line item\".* ", "FROM \"line item\"", "WHERE rowid = 257", "ORDER BY rowid"}},
        {"rowid", "", 14, "ORACLE", "AB'C", {"SELECT rowid, \"line item\".* ", "FROM \"line item\"", "WHERE rowid = 'AB''C'", "ORDER BY rowid"}},
        {"id", "", 14, "SQLITE", "42", {"SELECT *", "FROM \"line item\"", "WHERE id = 42", "ORDER BY id"}},
        {"order id", "", 3, "POSTGRESQL", "7",
         {"SELECT *", "FROM \"line item\"", "WHERE \"order id\" = 7", "ORDER BY \"order id\""}},
        {"code", "", 1, "POSTGRESQL", "A7", {"SELECT *", "FROM \"line item\"", "WHERE code = 'A7'", "ORDER BY code"}},
        {"", "sku", 1, "SQLITE", "O'Brien", {"SELECT * ", "FROM \"line item\"", "WHERE sku = 'O''Brien'", "ORDER BY sku"}},
        {"", "sku", 1, "SQLITE", "12", {"SELECT * ", "FROM \"line item\"", "WHERE sku = '12'", "ORDER BY sku"}},
        {"", "n", 3, "SQLITE", "12", {"SELECT * ", "FROM \"line item\"", "WHERE n = 12", "ORDER BY n"}},
        {"", "n", 3, "SQLITE", "1 OR 1=1", {"SELECT * ", "FROM \"line item\"", "WHERE n = '1 OR 1=1'", "ORDER BY n"}},
        {"", "day", 9, "SQLITE", "03/12/2001", {"SELECT * ", "FROM \"line item\"", "WHERE day = {d '2001-03-12'}", "ORDER BY day"}},
        {"", "", 0, "SQLITE", "WHERE a = 'x' AND b IS NULL", {"SELECT * ", "FROM \"line item\"", "WHERE a = 'x' AND b IS NULL"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RecordStatementLines(QStringLiteral("line item"), QString::fromUtf8(c.key), QString::fromUtf8(c.unique),
                                       c.type, QString::fromUtf8(c.db), QString::fromUtf8(c.v)),
                  c.lines)
            << c.key << "/" << c.unique << " " << c.db << " " << c.v;
    }
}

} // namespace
