// The SQL page's text rules: which lines make the statement, its kind, the question before an
// UPDATE or DELETE, the two listing layouts and the caret text.
#include "workspace/sqlpage/SqlCommandLine.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

TEST(SqlStatement, CollectsLines)
{
    const struct {
        const char* what;
        QStringList box;
        QString selection;
        QStringList lines;
    } cases[] = {
        {"lines trimmed, empty and // lines left out, -- kept",
         {"  select *", "", "// a comment", "   // indented comment", "-- sent along", "  from t  "},
         {},
         {"select *", "-- sent along", "from t"}},
        {"a line of blanks adds an empty entry", {"select 1", "   ", "from t"}, {}, {"select 1", "", "from t"}},
        {"the selection alone, trimmed, comments and all",
         {"select 1", "// note", "from t"},
         "  select 1\r\n// note\r\nfrom t  ",
         {"select 1\r\n// note\r\nfrom t"}},
        {"an empty box", {""}, {}, {}},
        {"comments only", {"// one", "//two"}, {}, {}},
        {"a slash that is no comment", {"/ 2"}, {}, {"/ 2"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollectStatementLines(c.box, c.selection), c.lines) << c.what;
}

TEST(SqlStatement, TextFormEndsEveryEntryWithCrLf)
{
    EXPECT_EQ(StatementText({"select *", "", "from t"}), QStringLiteral("select *\r\n\r\nfrom t\r\n"));
    EXPECT_EQ(StatementText({}), QString());
}

TEST(SqlStatement, KindIsTheFirstSixCharacters)
{
    const struct {
        QString text;
        QString kind;
    } cases[] = {
        {"   select * from t\r\n", "SELECT"},
        {"\r\nInsert into t values (1)\r\n", "INSERT"},
        {"SELECTED\r\n", "SELECT"},  // only the beginning decides
        {"update t set a = 1; delete from t\r\n", "UPDATE"},
        {"delete from t\r\n", "DELETE"},
        {"with x as (select 1) select * from x\r\n", "WITH X"},
        {"drop\r\n", "DROP"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatementKind(c.text), c.kind) << c.text.toStdString();
}

TEST(SqlStatement, ConfirmationText)
{
    EXPECT_EQ(ConfirmationText(QStringLiteral("delete"), 3),
              QStringLiteral("The delete query will affect 3 records.  Are you sure you want to continue executing the delete?"));
}

TEST(SqlStatement, ListingLayouts)
{
    const QString name20 = QStringLiteral("abcdefghijklmnopqrst");
    const struct {
        const char* what;
        QStringList names;
        QStringList values;
        bool showNames;
        QStringList lines;
    } cases[] = {
        {"values each closed by a bar, NULL empty", {"id", "name", "city"}, {"1", "", "Oslo"}, false, {"1||Oslo|"}},
        {"one field", {"n"}, {"42"}, false, {"42|"}},
        {"names padded to 20, values quoted, three empty lines",
         {"id", "name"},
         {"1", ""},
         true,
         {"id                  '1'", "name                ''", "", "", ""}},
        {"a name of 20 characters is followed by the quote", {name20}, {"x"}, true, {name20 + "'x'", "", "", ""}},
        {"a longer name stays whole", {name20 + "uvw"}, {"x"}, true, {name20 + "uvw'x'", "", "", ""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListingLines(c.names, c.values, c.showNames), c.lines) << c.what;
}

TEST(SqlStatement, CaretText)
{
    EXPECT_EQ(CaretPositionText(0, 0), QStringLiteral("[1,1]"));
    EXPECT_EQ(CaretPositionText(9, 14), QStringLiteral("[10,15]"));
    EXPECT_EQ(CaretPositionText(1233, 0), QStringLiteral("[1234,1]"));

    QPlainTextEdit box;
    box.setLineWrapMode(QPlainTextEdit::NoWrap);
    box.setPlainText(QStringLiteral("select *\nfrom customers\nwhere id = 1"));
    QTextCursor cursor(box.document()->findBlockByNumber(2));
    cursor.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 5);
    box.setTextCursor(cursor);
    EXPECT_EQ(CaretPositionText(box), QStringLiteral("[3,6]"));
    cursor.movePosition(QTextCursor::End);
    box.setTextCursor(cursor);
    EXPECT_EQ(CaretPositionText(box), QStringLiteral("[3,13]"));
}

} // namespace
