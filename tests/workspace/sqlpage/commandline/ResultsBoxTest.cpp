// The results box after a listing against a plain text box holding the same lines: every gesture
// must leave both with the same text, selection, caret, scrolling and clipboard, and the caret
// panel must show the plain box's caret. Then what a listing does with Esc and a second F5.
#include "app/MainState.h"
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/ResultsBox.h"
#include "workspace/sqlpage/FindReplaceDialogs.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/sqlpage/TextEditor.h"

#include "ui_Main.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using platform::modal::Answer;
using platform::modal::Request;

constexpr int kRows = 640;

QString caretText(const QPlainTextEdit& box)
{
    const QTextCursor c = box.textCursor();
    return QStringLiteral("[%1,%2]").arg(c.blockNumber() + 1).arg(c.positionInBlock() + 1);
}

// Where a line starts, counted in the text as any box shows it.
int lineStart(const QPlainTextEdit& box, int line)
{
    const QString text = box.toPlainText();
    qsizetype at = 0;
    for (int i = 0; i < line && at >= 0; ++i)
        at = text.indexOf(QLatin1Char('\n'), at) + 1;
    return int(at);
}

void putCaret(QPlainTextEdit& box, int position, int anchor = -1)
{
    QTextCursor c(box.document());
    c.setPosition(anchor < 0 ? position : anchor);
    c.setPosition(position, QTextCursor::KeepAnchor);
    box.setTextCursor(c);
}

// A point on a line (counted from the top of the text) after scrolling that line to the top.
QPoint pointOnLine(QPlainTextEdit& box, int line, int column)
{
    box.verticalScrollBar()->setValue(line);
    QCoreApplication::processEvents();
    QTextCursor c(box.document());
    c.setPosition(lineStart(box, line) + column);
    return box.cursorRect(c).center();
}

void keys(QPlainTextEdit& box, const std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>& presses)
{
    for (const auto& [key, mods] : presses)
        QTest::keyClick(&box, key, mods);
}

void tripleClickAndDrag(QPlainTextEdit& box, int line, int linesDown)
{
    QWidget* v = box.viewport();
    const QPoint at = pointOnLine(box, line, 4);
    QTest::mouseDClick(v, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mousePress(v, Qt::LeftButton, Qt::NoModifier, at);
    const QPoint to = at + QPoint(0, linesDown * box.fontMetrics().lineSpacing());
    QTest::mouseMove(v, to);
    QTest::mouseRelease(v, Qt::LeftButton, Qt::NoModifier, to);
}

struct Gesture {
    const char* name;
    std::function<void(QPlainTextEdit&)> act;
};

const Gesture kGestures[] = {
    {"Ctrl+Left at the start of line 100", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 100));
         keys(b, {{Qt::Key_Left, Qt::ControlModifier}});
     }},
    {"Ctrl+Shift+Left at the start of line 200", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 200));
         keys(b, {{Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier},
                  {Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier}});
     }},
    {"Ctrl+Backspace at the start of line 100", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 100));
         keys(b, {{Qt::Key_Backspace, Qt::ControlModifier}});
     }},
    {"Ctrl+Right and Ctrl+Delete at the end of line 99", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 100) - 1);
         keys(b, {{Qt::Key_Right, Qt::ControlModifier}, {Qt::Key_Delete, Qt::ControlModifier}});
     }},
    {"PageDown from line 99, three times", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 99) + 2);
         b.verticalScrollBar()->setValue(80);
         keys(b, {{Qt::Key_PageDown, {}}, {Qt::Key_PageDown, {}}, {Qt::Key_PageDown, {}}});
     }},
    {"PageDown at the end", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, kRows - 3));
         keys(b, {{Qt::Key_PageDown, {}}, {Qt::Key_PageDown, {}}});
     }},
    {"Shift+PageUp from line 301", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 301) + 5);
         keys(b, {{Qt::Key_PageUp, Qt::ShiftModifier}});
     }},
    {"Ctrl+End, then Ctrl+Home", [](QPlainTextEdit& b) {
         keys(b, {{Qt::Key_End, Qt::ControlModifier}});
         keys(b, {{Qt::Key_Home, Qt::ControlModifier | Qt::ShiftModifier}});
     }},
    {"Shift+Down over line 99 and Shift+End", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 97) + 6);
         keys(b, {{Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_Down, Qt::ShiftModifier},
                  {Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_End, Qt::ShiftModifier}});
     }},
    {"Up, Down, Home and End", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 150) + 20);
         keys(b, {{Qt::Key_Up, {}}, {Qt::Key_Up, {}}, {Qt::Key_End, {}}, {Qt::Key_Down, {}},
                  {Qt::Key_Home, Qt::ShiftModifier}});
     }},
    {"typing, Enter and undo", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 100) + 3);
         QTest::keyClicks(&b, QStringLiteral("ab"));
         keys(b, {{Qt::Key_Return, {}}, {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier},
                  {Qt::Key_Z, Qt::ControlModifier}});
     }},
    {"Select All", [](QPlainTextEdit& b) { keys(b, {{Qt::Key_A, Qt::ControlModifier}}); }},
    {"click", [](QPlainTextEdit& b) {
         QTest::mouseClick(b.viewport(), Qt::LeftButton, {}, pointOnLine(b, 199, 7));
     }},
    {"double click on a word", [](QPlainTextEdit& b) {
         // QTest's double click ends with the second press; a hand lets go of the button.
         const QPoint at = pointOnLine(b, 300, 7);
         QTest::mouseDClick(b.viewport(), Qt::LeftButton, {}, at);
         QTest::mouseRelease(b.viewport(), Qt::LeftButton, {}, at);
     }},
    {"triple click on line 98, dragged three lines down", [](QPlainTextEdit& b) { tripleClickAndDrag(b, 98, 3); }},
    {"click, then Shift+click further down", [](QPlainTextEdit& b) {
         const QPoint from = pointOnLine(b, 95, 3);
         QTest::mouseClick(b.viewport(), Qt::LeftButton, {}, from);
         QTest::mouseClick(b.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                           from + QPoint(30, 8 * b.fontMetrics().lineSpacing()));
     }},
    {"find", [](QPlainTextEdit& b) { ASSERT_TRUE(FindNext(b, QStringLiteral("ROW 214 OF"), false)); }},
    {"replace, then undo", [](QPlainTextEdit& b) {
         putCaret(b, lineStart(b, 400));
         ASSERT_TRUE(ReplaceOnce(b, QStringLiteral("of many"), QStringLiteral("of\nfew"), true));
         keys(b, {{Qt::Key_Z, Qt::ControlModifier}});
     }},
    {"replace all", [](QPlainTextEdit& b) { ReplaceEvery(b, QStringLiteral("|"), QStringLiteral(" | "), true); }},
};

// The OpenDocument form is a zip whose headers carry the time of the copy: two copies a second
// apart differ only there.
QByteArray withoutZipTimes(QByteArray zip)
{
    for (qsizetype at = 0; at + 16 <= zip.size(); ++at) {
        if (zip[at] != 'P' || zip[at + 1] != 'K')
            continue;
        if (zip[at + 2] == 3 && zip[at + 3] == 4)
            zip.replace(at + 10, 4, QByteArray(4, '\0'));
        else if (zip[at + 2] == 1 && zip[at + 3] == 2)
            zip.replace(at + 12, 4, QByteArray(4, '\0'));
    }
    return zip;
}

// The clipboard's forms after a copy of the box's selection.
std::map<QString, QByteArray> copied(QPlainTextEdit& box)
{
    box.copy();
    std::map<QString, QByteArray> forms;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data)
        for (const QString& format : data->formats())
            forms[format] = format.contains(QLatin1String("opendocument")) ? withoutZipTimes(data->data(format))
                                                                           : data->data(format);
    return forms;
}

class ResultsBox : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.Database.setDatabaseName(QStringLiteral("results_box_db"));
        form.Database.setAliasName(testsupport::sqliteDsn());
        form.Database.setConnected(true);
        form.Query.setDatabaseName(form.Database.databaseName());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        for (const QString& sql :
             {QStringLiteral("DROP TABLE IF EXISTS results_box_rows"),
              QStringLiteral("CREATE TABLE results_box_rows (n INTEGER, label VARCHAR(60), amount DOUBLE)"),
              QStringLiteral("WITH RECURSIVE r(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM r WHERE n < %1) "
                             "INSERT INTO results_box_rows SELECT n, 'row ' || n || ' of many words', "
                             "CASE WHEN n % 7 = 0 THEN NULL ELSE n * 0.5 END FROM r")
                  .arg(kRows - 1)}) {
            q.sql().clear();
            q.sql() << sql;
            q.execSQL();
        }
        ui.Memo_SQL->setPlainText(QStringLiteral("select n, label, amount from results_box_rows order by n"));
    }

    // Lists the rows afresh; the plain box takes the same lines and the results box's looks.
    void listBoth()
    {
        form.BitBtn_Execute2Click(ui.BitBtn_Execute2);
        QPlainTextEdit* box = ui.Memo_Results;
        ASSERT_EQ(box->toPlainText().count(QLatin1Char('\n')) + 1, kRows);
        plain.setFont(box->font());
        plain.setPalette(box->palette());
        plain.setLineWrapMode(box->lineWrapMode());
        plain.setVerticalScrollBarPolicy(box->verticalScrollBarPolicy());
        plain.setHorizontalScrollBarPolicy(box->horizontalScrollBarPolicy());
        plain.setFrameStyle(box->frameStyle());
        plain.resize(box->size());
        plain.setPlainText(box->toPlainText());
        plain.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plain));
        ASSERT_EQ(plain.viewport()->size(), box->viewport()->size());
        box->setFocus();
        QCoreApplication::processEvents();
    }

    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet{[](const Request&) { return Answer{}; }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
    QPlainTextEdit plain;
};

TEST_F(ResultsBox, EveryGestureAsInAPlainBox)
{
    for (const Gesture& g : kGestures) {
        ASSERT_NO_FATAL_FAILURE(listBoth());
        QPlainTextEdit* box = ui.Memo_Results;
        g.act(*box);
        g.act(plain);
        QCoreApplication::processEvents();
        const QTextCursor got = box->textCursor(), want = plain.textCursor();
        EXPECT_EQ(box->toPlainText(), plain.toPlainText()) << g.name;
        EXPECT_EQ(got.position(), want.position()) << g.name;
        EXPECT_EQ(got.anchor(), want.anchor()) << g.name;
        EXPECT_EQ(got.selectedText(), want.selectedText()) << g.name;
        EXPECT_EQ(box->verticalScrollBar()->value(), plain.verticalScrollBar()->value()) << g.name;
        EXPECT_EQ(box->horizontalScrollBar()->value(), plain.horizontalScrollBar()->value()) << g.name;
        // The panel follows the key and mouse gestures itself; the program's commands show it.
        if (QString(g.name).startsWith(QLatin1String("find")) || QString(g.name).startsWith(QLatin1String("replace")))
            ShowCaretPosition(form);
        EXPECT_EQ(form.panelText(1), caretText(plain)) << g.name;
        if (want.hasSelection()) {
            const auto fromBox = copied(*box);
            const auto fromPlain = copied(plain);
            EXPECT_EQ(fromBox, fromPlain) << g.name;
            EXPECT_TRUE(fromBox.count(QStringLiteral("text/html"))) << g.name;
        }
    }
}

// A copy of lines that a plain box gives as paragraphs, checked on its own: one paragraph per
// line in the HTML form, one line per line in the Markdown form.
TEST_F(ResultsBox, CopiedLinesStayLinesInEveryForm)
{
    ASSERT_NO_FATAL_FAILURE(listBoth());
    QPlainTextEdit* box = ui.Memo_Results;
    putCaret(*box, lineStart(*box, 106) - 1, lineStart(*box, 95));
    const auto forms = copied(*box);
    const QString html = QString::fromUtf8(forms.at(QStringLiteral("text/html")));
    EXPECT_EQ(html.count(QLatin1String("<p ")), 11) << html.toStdString();
    if (forms.count(QStringLiteral("text/markdown"))) {
        const QString markdown = QString::fromUtf8(forms.at(QStringLiteral("text/markdown")));
        EXPECT_TRUE(markdown.contains(QStringLiteral("95\\|row 95 of many words\\|47.5\\|")) ||
                    markdown.contains(QStringLiteral("95|row 95 of many words|47.5|")))
            << markdown.toStdString();
        EXPECT_FALSE(markdown.contains(QStringLiteral("words| 96"))) << markdown.toStdString();
    }
    EXPECT_EQ(forms.at(QStringLiteral("text/plain")),
              plain.toPlainText().split(QLatin1Char('\n')).mid(95, 11).join(QLatin1Char('\n')).toUtf8());
}

// Esc stops a listing also from the Find dialog, whose keys the window's key preview does not
// see; a second F5 meanwhile says the listing still runs, in the status bar or, with the bar
// hidden, in a message, and takes nothing away from it.
TEST_F(ResultsBox, SecondRunIsRefusedAloudAndEscStopsFromTheFindDialog)
{
    for (const bool barShown : {true, false}) {
        ui.StatusBar->setVisible(barShown);
        std::vector<QString> messages;
        platform::modal::ScopedResponder responder([&](const Request& r) {
            auto* msg = qobject_cast<TForm_SaveMsg*>(r.window);
            messages.push_back(msg ? msg->RichEdit->toPlainText() : r.text);
            return Answer{mrOk};
        });
        ui.Memo_SQL->setFocus();
        EditorEnv editor = MakeEditorEnv(form);
        ShowFindDialog(editor, ui.Memo_Results);
        auto* find = form.findChild<TFindDialog*>();
        ASSERT_NE(find, nullptr);

        SqlPageEnv env = MakeSqlPageEnv(form);
        int yields = 0;
        QString barText;
        env.processMessages = [&] {
            ++yields;
            if (yields == 2) {
                QTest::keyClick(ui.Memo_SQL, Qt::Key_F5);
                barText = ui.StatusBar->currentMessage();
            }
            if (yields == 4)
                QCoreApplication::postEvent(find->focusWidget() ? find->focusWidget() : find,
                                            new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
            QCoreApplication::processEvents();
        };
        BitBtn_Execute2Click(env);

        const QString said = QStringLiteral("The listing is still running: press Esc to stop it.");
        if (barShown) {
            EXPECT_EQ(barText, said);
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], said);
        }
        const QStringList lines = ui.Memo_Results->toPlainText().split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 301) << barShown;
        EXPECT_EQ(lines.first(), QStringLiteral("0|row 0 of many words||"));
        EXPECT_EQ(lines.last(), QStringLiteral("300|row 300 of many words|150|"));
        EXPECT_EQ(yields, 4);
        EXPECT_FALSE(SqlListingRunning(env));
        find->hide();
    }
}

} // namespace

namespace {

// Text written on the background thread ends in the box as SetText would have put it: the same
// text, blocks and caret, no step to undo, the box's font and wrapping kept, and the box usable.
TEST(ResultsBoxText, WrittenInTheBackgroundAsSetTextWritesIt)
{
    const std::vector<QStringList> cases{
        {},
        {QString()},
        {QStringLiteral("only")},
        {QStringLiteral("|a|"), QStringLiteral("\nb|"), QStringLiteral("\nc|")},
        {QString(), QStringLiteral("\nfirst line was empty")},
        {QStringLiteral("x😀\n"), QStringLiteral("\n"), QStringLiteral("last\n")},
    };
    for (const QStringList& pieces : cases) {
        SCOPED_TRACE(pieces.join(QStringLiteral("<>")).toStdString());
        QPlainTextEdit written, set;
        for (QPlainTextEdit* box : {&written, &set}) {
            box->setLineWrapMode(QPlainTextEdit::NoWrap);
            box->setFont(QFont(QStringLiteral("Courier New"), 11));
            box->setPlainText(QStringLiteral("what was there before\nis gone"));
        }
        {
            results_box::BackgroundText text(written);
            for (const QString& piece : pieces)
                text.add(piece);
        }
        results_box::SetText(set, pieces.join(QString()));
        EXPECT_EQ(written.toPlainText(), set.toPlainText());
        EXPECT_EQ(written.document()->blockCount(), set.document()->blockCount());
        EXPECT_EQ(written.textCursor().position(), 0);
        EXPECT_FALSE(written.document()->isUndoAvailable());
        EXPECT_TRUE(written.document()->isUndoRedoEnabled());
        EXPECT_EQ(written.document()->defaultFont(), set.document()->defaultFont());
        EXPECT_EQ(written.lineWrapMode(), QPlainTextEdit::NoWrap);
        QTest::keyClicks(&written, QStringLiteral("typed"));
        EXPECT_TRUE(written.toPlainText().startsWith(QStringLiteral("typed")));
        EXPECT_TRUE(written.document()->isUndoAvailable());
    }
}

} // namespace
