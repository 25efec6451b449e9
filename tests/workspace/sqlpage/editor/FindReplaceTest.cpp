#include "Fixture.h"

#include "workspace/sqlpage/FindReplaceDialogs.h"

#include "ui_FindDialog.h"
#include "ui_ReplaceDialog.h"

#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

namespace {

void select(QPlainTextEdit& box, int start, int length)
{
    QTextCursor cursor(box.document());
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
}

void caretAt(QPlainTextEdit& box, int position) { select(box, position, 0); }

struct Sel {
    int start;
    int length;
    bool operator==(const Sel&) const = default;
};

Sel selectionOf(const QPlainTextEdit& box)
{
    const QTextCursor c = box.textCursor();
    return {c.selectionStart(), c.selectionEnd() - c.selectionStart()};
}

std::ostream& operator<<(std::ostream& os, const Sel& s) { return os << "{" << s.start << "," << s.length << "}"; }

} // namespace

class FindReplace : public EditorFixture {
protected:
    QPlainTextEdit& box() { return *ui.Memo_SQL; }
};

TEST_F(FindReplace, FindNextStartsAtTopUnlessSomethingIsSelectedThenContinuesBehindTheMatch)
{
    box().setPlainText(QStringLiteral("select a\nfrom t\nwhere a = 'select'"));
    // The caret alone is never a start: the first match is found although the caret is past it.
    caretAt(box(), 20);
    ASSERT_TRUE(FindNext(box(), QStringLiteral("select"), false));
    EXPECT_EQ(selectionOf(box()), (Sel{0, 6}));
    ASSERT_TRUE(FindNext(box(), QStringLiteral("select"), false));
    EXPECT_EQ(selectionOf(box()), (Sel{27, 6}));
    // No further match: no change.
    EXPECT_FALSE(FindNext(box(), QStringLiteral("select"), false));
    EXPECT_EQ(selectionOf(box()), (Sel{27, 6}));
    // An empty find text finds nothing.
    EXPECT_FALSE(FindNext(box(), QString(), false));
}

TEST_F(FindReplace, CaseRuleOfSearchAndSelection)
{
    struct Case {
        const char* text;
        const char* find;
        bool matchCase;
        int found;  // position or -1
    } cases[] = {
        {"SELECT * FROM T", "select", false, 0},
        {"SELECT * FROM T", "select", true, -1},
        {"SELECT select", "select", true, 7},
        {"from T", "t", false, 5},
    };
    for (const Case& c : cases) {
        box().setPlainText(QString::fromUtf8(c.text));
        caretAt(box(), 0);
        const bool found = FindNext(box(), QString::fromUtf8(c.find), c.matchCase);
        EXPECT_EQ(found, c.found >= 0) << c.text << " / " << c.find;
        if (c.found >= 0) {
            EXPECT_EQ(selectionOf(box()).start, c.found) << c.text;
        }
    }

    struct Eq {
        const char* selected;
        const char* find;
        bool matchCase;
        bool equal;
    } eqs[] = {
        {"Select", "SELECT", false, true}, {"Select", "SELECT", true, false}, {"select", "select", true, true},
        {"selec", "select", false, false}, {"", "", false, false},
    };
    for (const Eq& e : eqs)
        EXPECT_EQ(SelectionMatches(QString::fromUtf8(e.selected), QString::fromUtf8(e.find), e.matchCase), e.equal)
            << e.selected << " / " << e.find;
}

TEST_F(FindReplace, MatchScrollsToTheSecondVisibleLine)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("line %1").arg(i, 3, 10, QLatin1Char('0'));
    box().setPlainText(lines.join(QLatin1Char('\n')));
    ASSERT_TRUE(FindNext(box(), QStringLiteral("line 120"), true));
    EXPECT_EQ(box().verticalScrollBar()->value(), 119);
    caretAt(box(), 0);
    ASSERT_TRUE(FindNext(box(), QStringLiteral("line 000"), true));
    EXPECT_EQ(box().verticalScrollBar()->value(), 0);
}

TEST_F(FindReplace, ReplaceFindsFirstWhenTheSelectionIsNoMatchAndMovesOn)
{
    box().setPlainText(QStringLiteral("one two one two one"));
    select(box(), 4, 3);  // "two"
    ASSERT_TRUE(ReplaceOnce(box(), QStringLiteral("ONE"), QStringLiteral("1"), false));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("one two 1 two one"));
    EXPECT_EQ(selectionOf(box()), (Sel{14, 3})) << "the following match is selected";

    // A selection that is a match is replaced at once, with no Find Next before it.
    select(box(), 0, 3);
    ASSERT_TRUE(ReplaceOnce(box(), QStringLiteral("one"), QStringLiteral("eins"), true));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("eins two 1 two one"));
    EXPECT_EQ(selectionOf(box()), (Sel{15, 3}));

    // An empty replace text and a longer one both continue behind the replaced text.
    ASSERT_TRUE(ReplaceOnce(box(), QStringLiteral("one"), QString(), true));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("eins two 1 two "));
    EXPECT_EQ(selectionOf(box()), (Sel{15, 0}));
    EXPECT_FALSE(ReplaceOnce(box(), QStringLiteral("one"), QStringLiteral("x"), true));
    EXPECT_EQ(box().toPlainText(), QStringLiteral("eins two 1 two "));
}

TEST_F(FindReplace, ReplaceAllReplacesEachOriginalOccurrenceOnce)
{
    struct Case {
        const char* text;
        int selStart, selLength;
        const char* find;
        const char* replace;
        bool matchCase;
        const char* expected;
    } cases[] = {
        // nothing selected: every occurrence of the whole text
        {"a b a b a", 0, 0, "a", "x", false, "x b x b x"},
        // text put in is not searched again
        {"a b a", 0, 0, "a", "aa", false, "aa b aa"},
        {"ab", 0, 0, "a", "ba", true, "bab"},
        // a non-matching selection after the last occurrence: nothing is replaced
        {"a b a c", 6, 1, "a", "x", false, "a b a c"},
        // a non-matching selection in the middle: found behind it, then all before too
        {"a b a c a", 2, 1, "a", "x", false, "x b x c x"},
        // a matching selection is the first replaced
        {"a b A", 4, 1, "a", "x", true, "a b A"},
        {"a b A", 4, 1, "a", "x", false, "x b x"},
        // joining text makes no new occurrences
        {"aabb", 0, 0, "ab", "", false, "ab"},
        // overlapping occurrences: scanned left to right
        {"aaa", 0, 0, "aa", "b", false, "ba"},
        {"a\nb\na", 0, 0, "a", "c", false, "c\nb\nc"},
        {"abc", 0, 0, "", "x", false, "abc"},
    };
    for (const Case& c : cases) {
        box().setPlainText(QString::fromUtf8(c.text));
        select(box(), c.selStart, c.selLength);
        ReplaceEvery(box(), QString::fromUtf8(c.find), QString::fromUtf8(c.replace), c.matchCase);
        EXPECT_EQ(box().toPlainText(), QString::fromUtf8(c.expected)) << c.text << " / " << c.find;
    }
}

TEST_F(FindReplace, DialogsWorkOnTheTargetBox)
{
    ui.Memo_Results->setPlainText(QStringLiteral("x = 1\nx = 2"));
    ui.Memo_SQL->setPlainText(QStringLiteral("x"));
    openPopupOn(ui.Memo_Results);
    MenuItem_FindClick(env, ui.MenuItem_Find);
    EXPECT_EQ(state.FindReplaceTarget, ui.Memo_Results);
    TFindDialog& find = FindDialogOf(env);
    EXPECT_EQ(find.objectName(), QStringLiteral("FindDialog"));
    EXPECT_TRUE(find.isVisible());
    find.setFindText(QStringLiteral("X"));
    QTest::mouseClick(find.ui().Button_FindNext, Qt::LeftButton);
    QTest::mouseClick(find.ui().Button_FindNext, Qt::LeftButton);
    EXPECT_EQ(selectionOf(*ui.Memo_Results), (Sel{6, 1}));
    EXPECT_FALSE(ui.Memo_SQL->textCursor().hasSelection()) << "the other box is left alone";
    find.setMatchCase(true);
    caretAt(*ui.Memo_Results, 0);
    QTest::mouseClick(find.ui().Button_FindNext, Qt::LeftButton);
    EXPECT_EQ(selectionOf(*ui.Memo_Results), (Sel{0, 0}));
    find.close();

    MenuItem_ReplaceClick(env, ui.MenuItem_Replace);
    TReplaceDialog& replace = ReplaceDialogOf(env);
    EXPECT_EQ(replace.objectName(), QStringLiteral("ReplaceDialog"));
    replace.setFindText(QStringLiteral("x"));
    replace.setReplaceText(QStringLiteral("y"));
    QTest::mouseClick(replace.ui().Button_FindNext, Qt::LeftButton);
    EXPECT_TRUE(state.ReplaceMatchFound);
    QTest::mouseClick(replace.ui().Button_Replace, Qt::LeftButton);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("y = 1\nx = 2"));
    EXPECT_TRUE(replace.isVisible()) << "Replace keeps the dialog open";
    replace.setFindText(QStringLiteral("nowhere"));
    QTest::mouseClick(replace.ui().Button_FindNext, Qt::LeftButton);
    EXPECT_FALSE(state.ReplaceMatchFound);

    replace.setFindText(QStringLiteral("="));
    replace.setReplaceText(QStringLiteral(":="));
    QTest::mouseClick(replace.ui().Button_ReplaceAll, Qt::LeftButton);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("y := 1\nx := 2"));
    EXPECT_FALSE(replace.isVisible()) << "Replace All closes the dialog";
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("x"));
}
