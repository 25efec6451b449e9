// How a line of delimited text is split and checked before it may become part of a statement.
#include "workspace/tools/DelimitedText.h"

#include <gtest/gtest.h>
#include <optional>

namespace {

std::string show(const std::optional<QStringList>& items)
{
    if (!items)
        return "<open quote>";
    return ("[" + items->join(QStringLiteral("][")) + "]").toStdString();
}

TEST(DelimitedLines, SplitsAtBarsOutsideQuotes)
{
    const struct {
        const char* line;
        const char* items;  // items joined as [a][b]; "<open quote>" when none
    } cases[] = {
        {"id|name|", "[id][name]"},
        {"7|'abc'|", "[7]['abc']"},
        {"7|'abc'", "[7]['abc']"},
        {"1|2||", "[1][2][]"},              // only one closing bar is dropped
        {"'a|b'|'c,d'|", "['a|b']['c,d']"},  // a bar or comma inside a literal stays there
        {"'it''s|here'|null|", "['it''s|here'][null]"},
        {"\"credit limit\"|\"a|b\"|", "[\"credit limit\"][\"a|b\"]"},
        {"'open|1|", "<open quote>"},
        {"'x''|", "<open quote>"},
        {"", "[]"},
        {"|", "[]"},
        {"{ts '2024-02-29 13:45:30'}|", "[{ts '2024-02-29 13:45:30'}]"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(show(SplitDelimitedLine(QString::fromUtf8(c.line))), c.items) << c.line;
}

TEST(DelimitedLines, OnlyLiteralsAreValues)
{
    const struct {
        const char* item;
        bool value;
    } cases[] = {
        {"12", true},
        {"-3.25", true},
        {"1.5e10", true},
        {".5", true},
        {"null", true},
        {"NULL", true},
        {"'abc'", true},
        {"''", true},
        {"'O''Connor | Sons, Ltd'", true},
        {"'Café Müller'", true},
        {"{d '2019-03-14'}", true},
        {"{ts '2024-02-29 13:45:30'}", true},
        {"{t '13:45:30'}", true},
        {" 12 ", true},
        {"", false},
        {"abc", false},
        {"1); DROP TABLE x; --", false},
        {"'a'); DROP TABLE x; --'", false},
        {"'a' || 'b'", false},
        {"1 + 1", false},
        {"(SELECT 1)", false},
        {"{fn NOW()}", false},
        {"{d '2019-03-14' || 'x'}", false},
        {"{d 'x'); DROP TABLE y; --'}", false},
        {"'unclosed", false},
        {"12abc", false},
        {"''''", true},
        {"'''", false},
        {"5.", true},
        {"+5", true},
        {"1e", false},
        {"-", false},
        {"\u0663", false},  // a digit, but not one SQL reads
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValueLiteral(QString::fromUtf8(c.item)), c.value) << c.item;
}

TEST(DelimitedLines, ColumnNamesArePlainOrDoubleQuoted)
{
    const struct {
        const char* item;
        const char* name;  // nullptr: no column name
    } cases[] = {
        {"id", "id"},
        {"customer_id", "customer_id"},
        {"\"credit limit\"", "credit limit"},
        {"\"say \"\"hi\"\"\"", "say \"hi\""},
        {"größe", "größe"},
        {"1abc", nullptr},
        {"a b", nullptr},
        {"id) VALUES(1); DROP TABLE t; --", nullptr},
        {"\"open", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<QString> name = ColumnNameOfItem(QString::fromUtf8(c.item));
        if (c.name)
            EXPECT_EQ(name.value_or(QStringLiteral("<none>")).toStdString(), c.name) << c.item;
        else
            EXPECT_FALSE(name.has_value()) << c.item;
    }
}

TEST(DelimitedLines, StatementOfOneRow)
{
    const DelimitedLine columns = ReadColumnLine(QStringLiteral("id|name|\"credit limit\"|"));
    ASSERT_TRUE(columns.error.isEmpty());
    const DelimitedLine row = ReadValueLine(QStringLiteral("7|'a|b'|2500|"));
    ASSERT_TRUE(row.error.isEmpty());
    EXPECT_EQ(DelimitedInsertStatement(QStringLiteral("t"), columns.items, row.items),
              QStringLiteral("INSERT INTO t(id,name,\"credit limit\") VALUES(7,'a|b',2500)"));
    // The table name goes the way every statement writes one.
    EXPECT_EQ(DelimitedInsertStatement(QStringLiteral("order items"), {QStringLiteral("a")}, {QStringLiteral("1")}),
              QStringLiteral("INSERT INTO \"order items\"(a) VALUES(1)"));
}

TEST(DelimitedLines, UnusableLinesSayWhy)
{
    for (const char* line : {"", "1|2||", "1); DROP TABLE x; --", "'open|1|", "1|abc|"}) {
        const DelimitedLine row = ReadValueLine(QString::fromUtf8(line));
        EXPECT_TRUE(row.items.isEmpty()) << line;
        EXPECT_TRUE(row.error.contains(QStringLiteral("not a list of values"))) << line;
        EXPECT_TRUE(row.error.endsWith(QString::fromUtf8(line))) << line;
        // The explanation fits the message window without scrolling sideways.
        const QStringList said = row.error.split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i + 1 < said.size(); ++i)
            EXPECT_LE(said.at(i).size(), 80) << said.at(i).toStdString();
    }
    for (const char* line : {"", "id||", "id) VALUES(1); --|", "\"x|"}) {
        const DelimitedLine columns = ReadColumnLine(QString::fromUtf8(line));
        EXPECT_TRUE(columns.items.isEmpty()) << line;
        EXPECT_FALSE(columns.error.isEmpty()) << line;
    }
}

} // namespace
