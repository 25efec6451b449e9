// The text of the SELECT, UPDATE and INSERT templates, the fitting to the box, and the line F2
// moves to.
#include "app/MainState.h"
#include "platform/engine/FieldTypes.h"
#include "workspace/sqlpage/InsertTemplate.h"
#include "workspace/sqlpage/QueryTemplate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

using namespace platform::engine;

QStringList L(std::initializer_list<const char*> lines)
{
    QStringList out;
    for (const char* line : lines)
        out << QString::fromUtf8(line);
    return out;
}

TEST(SelectTemplate, LinesForEveryShape)
{
    struct Case {
        const char* name;
        QString table;
        QStringList fields, where;
        QStringList expected;
    };
    const Case cases[] = {
        {"list and two where columns", "t", L({"a", "b", "c"}), L({"w", "x"}),
         L({"SELECT a, b, c ", "FROM t", "WHERE w = ''", "AND x = ''"})},
        {"no where column ends with FROM", "t", L({"a"}), {}, L({"SELECT a ", "FROM t"})},
        {"blanks in names are quoted", "my table", L({"first name", "id"}), L({"last name"}),
         L({"SELECT \"first name\", id ", "FROM \"my table\"", "WHERE \"last name\" = ''"})},
        {"owner-qualified table", "dbo.order lines", L({"n"}), {}, L({"SELECT n ", "FROM dbo.\"order lines\""})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SelectTemplateLines(c.table, c.fields, c.where), c.expected) << c.name;
}

TEST(UpdateTemplate, LinesForEveryShape)
{
    struct Case {
        const char* name;
        QStringList fields, where;
        QStringList expected;
    };
    const Case cases[] = {
        {"three set columns, two where", L({"a", "b", "c"}), L({"w", "x"}),
         L({"UPDATE t", "SET a = '', ", "b = '', ", "c = ''", "WHERE w = ''", "AND x = ''"})},
        {"one set column, no where", L({"a"}), {}, L({"UPDATE t", "SET a = ''"})},
        {"blank in a name", L({"first name", "n"}), L({"id no"}),
         L({"UPDATE t", "SET \"first name\" = '', ", "n = ''", "WHERE \"id no\" = ''"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UpdateTemplateLines(QStringLiteral("t"), c.fields, c.where), c.expected) << c.name;
}

TEST(TemplateIndent, OnlyLinesThatBeginNoClauseMoveIn)
{
    EXPECT_EQ(IndentTemplateLines(UpdateTemplateLines(QStringLiteral("t"), L({"a", "b", "c"}), L({"w", "x"}))),
              L({"UPDATE t", "  SET a = '', ", "  b = '', ", "  c = ''", "WHERE w = ''", "  AND x = ''"}));
    // Compared case-sensitively, by their first characters only.
    EXPECT_EQ(IndentTemplateLines(L({"select a", "DELETE", "INSERTED", "FROMAGE", "WHEREVER", "where", ""})),
              L({"  select a", "DELETE", "INSERTED", "FROMAGE", "WHEREVER", "  where", "  "}));
}

TEST(TableNames, UpperOnOracleLowerElsewhere)
{
    MainState state;
    state.TableNames = L({"Orders", "dbo.Lines"});
    EXPECT_EQ(TemplateTableNames(state), L({"orders", "dbo.lines"}));
    TDataBaseObj oracle;
    oracle.DBType = QStringLiteral("ORACLE");
    state.CurrentDatabase = &oracle;
    EXPECT_EQ(TemplateTableNames(state), L({"ORDERS", "DBO.LINES"}));
    oracle.DBType = QStringLiteral("oracle");  // the type is compared exactly
    EXPECT_EQ(TemplateTableNames(state), L({"orders", "dbo.lines"}));
}

TEST(InsertTemplate, PlaceholderOfEveryType)
{
    const std::pair<int, const char*> cases[] = {
        {ftString, "' '"}, {ftSmallint, "0"}, {ftInteger, "0"}, {ftBoolean, "null"}, {ftFloat, "0"},
        {ftDate, "{d '9999-12-31'}"}, {ftDateTime, "{ts '9999-12-31 00:00:00'}"}, {ftAutoInc, "' '"},
        {ftBlob, "null"}, {ftMemo, "null"}, {ftGraphic, "null"}, {ftUnknown, "' '"}, {10, "' '"}, {7, "' '"},
    };
    for (const auto& [type, expected] : cases)
        EXPECT_EQ(InsertPlaceholder(type), QString::fromUtf8(expected)) << type;
}

TEST(InsertTemplate, LayoutsAndTheSerialColumn)
{
    using Columns = std::vector<std::pair<QString, int>>;
    const Columns people{{"id_serial", ftInteger}, {"name", ftString}, {"born", ftDate}, {"n", ftInteger}};
    EXPECT_EQ(InsertTemplateLines("t", people, true),
              L({"INSERT INTO t (", "name,", "born,", "n)", "VALUES(", "' ',", "{d '9999-12-31'},", "0)"}));
    EXPECT_EQ(InsertTemplateLines("t", people, false),
              L({"INSERT INTO t (name, born, n)VALUES(' ',{d '9999-12-31'},0)"}));

    struct Case {
        const char* name;
        Columns columns;
        QStringList expected;
    };
    const Case cases[] = {
        {"serial in any case", {{"ID_Serial", ftInteger}, {"a", ftFloat}}, L({"INSERT INTO t (", "a)", "VALUES(", "0)"})},
        {"serial in second place is listed", {{"a", ftMemo}, {"b_serial", ftInteger}},
         L({"INSERT INTO t (", "a,", "b_serial)", "VALUES(", "null,", "0)"})},
        {"only a serial column", {{"row_serial", ftInteger}}, L({"INSERT INTO t (", "VALUES("})},
        {"blank in a column name, a reserved word", {{"first name", ftString}, {"when", ftDateTime}},
         L({"INSERT INTO t (", "\"first name\",", "\"when\")", "VALUES(", "' ',", "{ts '9999-12-31 00:00:00'})"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InsertTemplateLines("t", c.columns, true), c.expected) << c.name;
    EXPECT_EQ(InsertTemplateLines("my t", {{"a b", ftInteger}}, false), L({"INSERT INTO \"my t\" (\"a b\")VALUES(0)"}));
}

TEST(JumpToInsertValueLine, Positions)
{
    const QStringList tpl = L({"INSERT INTO t (", "name,", "born,", "n)", "VALUES(", "' ',", "{d '9999-12-31'},", "0)"});
    struct Case {
        const char* name;
        QStringList lines;
        const char* selected;
        int expected;
    };
    const Case cases[] = {
        {"first column", tpl, "name,", 5},
        {"middle column", tpl, "born,", 6},
        {"last column", tpl, "n)", 7},
        {"only the word finds no column line", tpl, "name", 4},
        {"nothing selected", tpl, "", -1},
        {"the INSERT line itself is not a column", tpl, "INSERT INTO t (", 4},
        {"not an INSERT template", L({"insert into t (", "name,", "VALUES(", "1)"}), "name,", -1},
        {"no VALUES line lands on the column line", L({"INSERT INTO t (", "a,", "b)"}), "b)", 2},
        {"value lines edited away", L({"INSERT INTO t (", "a,", "b)", "VALUES("}), "b)", -1},
        {"a later equal line counts", L({"INSERT INTO t (", "a,", "a,", "VALUES(", "1,", "2)"}), "a,", 5},
        {"column lines after VALUES are not seen", L({"INSERT INTO t (", "VALUES(", "a,", "1)"}), "a,", 1},
        {"empty box", L({""}), "x", -1},
        {"no lines", {}, "x", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InsertValueLine(c.lines, QString::fromUtf8(c.selected)), c.expected) << c.name;
}

// A long line comes back in the pieces the box shows; every piece fits, none is lost, and a
// narrower box gives more of them.
TEST(TemplateFitting, LongLinesBreakAtTheBoxWidth)
{
    QStringList fields;
    for (int i = 0; i < 30; ++i)
        fields << QStringLiteral("column_%1").arg(i);
    const QStringList lines = SelectTemplateLines(QStringLiteral("t"), fields, L({"w"}));

    auto fit = [&](int width) {
        QPlainTextEdit box;
        box.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 9));
        box.resize(width, 300);
        box.show();
        QApplication::processEvents();
        WriteTemplate(box, lines, true, {});
        EXPECT_EQ(box.lineWrapMode(), QPlainTextEdit::WidgetWidth) << "the box keeps its own wrapping";
        return box.toPlainText().split(QLatin1Char('\n'));
    };
    const QStringList wide = fit(700);
    const QStringList narrow = fit(300);
    EXPECT_GT(narrow.size(), wide.size());
    for (const QStringList& out : {wide, narrow}) {
        ASSERT_GE(out.size(), 4);
        EXPECT_TRUE(out.first().startsWith(QLatin1String("SELECT column_0, ")));
        EXPECT_EQ(out.at(out.size() - 2), QStringLiteral("FROM t"));
        EXPECT_EQ(out.last(), QStringLiteral("WHERE w = ''"));
        QString joined = out.first();
        for (int i = 1; i < out.size() - 2; ++i) {
            EXPECT_TRUE(out[i].startsWith(QLatin1String("  "))) << out[i].toStdString();
            joined += out[i].mid(2);
        }
        EXPECT_EQ(joined, lines.first());
    }
}

TEST(TemplateFitting, BoxGetsItsWrappingAndScrollBarsBack)
{
    QPlainTextEdit box;
    box.setLineWrapMode(QPlainTextEdit::NoWrap);
    box.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box.resize(400, 200);
    box.show();
    int caretCalls = 0;
    WriteTemplate(box, L({"INSERT INTO t (", "a)", "VALUES(", "0)"}), false, [&] { ++caretCalls; });
    EXPECT_EQ(box.toPlainText(), QStringLiteral("INSERT INTO t (\na)\nVALUES(\n0)"));
    EXPECT_EQ(box.lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(box.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(box.updatesEnabled());
    EXPECT_GE(caretCalls, 1);
}

} // namespace
