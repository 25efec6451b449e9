#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/modal/Modal.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;
using platform::modal::ScopedResponder;

namespace {

Answer reply(int result, const QString& text = {})
{
    Answer a;
    a.result = result;
    a.text = text;
    return a;
}

constexpr quint16 allButtons = mbOK | mbYes | mbNo | mbCancel | mbAbort | mbRetry | mbIgnore | mbAll;

using Work = std::function<int(TForm_SaveMsg&)>;
using Other = std::function<Answer(const Request&)>;

// Runs the message dialog; `work` sees the shown window and may work it, its return value is the
// seam's answer. `other` answers the dialogs that the window itself runs.
quint16 runDialog(const QString& msg, quint8 kind, quint16 buttons, const Work& work, const Other& other = {})
{
    bool sawWindow = false;
    ScopedResponder responder([&](const Request& req) -> Answer {
        if (req.kind == Kind::Window) {
            if (auto* form = qobject_cast<TForm_SaveMsg*>(req.window)) {
                sawWindow = true;
                return reply(work(*form));
            }
        }
        if (other)
            return other(req);
        ADD_FAILURE() << "unexpected modal run: " << req.caption.toStdString();
        return {};
    });
    const quint16 result = AppMessageDlg(msg, kind, buttons, 0);
    EXPECT_TRUE(sawWindow);
    return result;
}

QList<TBitBtn*> rowButtons(TForm_SaveMsg& form)
{
    return form.Panel_Buttons->findChildren<TBitBtn*>(QString(), Qt::FindDirectChildrenOnly);
}

QString repeatLines(int n)
{
    QStringList lines;
    for (int i = 0; i < n; ++i)
        lines << QStringLiteral("x");
    return lines.join(QStringLiteral("\r\n"));
}

TEST(SaveMsgLines, SplitAtEveryKindOfLineBreak)
{
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {QString(), {}},
        {QStringLiteral("one"), {QStringLiteral("one")}},
        {QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\nb\rc"), {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {QStringLiteral("a\n\rb"), {QStringLiteral("a"), QString(), QStringLiteral("b")}},
        {QStringLiteral("a\r\n"), {QStringLiteral("a")}},
        {QStringLiteral("\r\n"), {QString()}},
        {QStringLiteral("a\n\n"), {QStringLiteral("a"), QString()}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TForm_SaveMsg::SplitLines(c.text), c.lines) << c.text.toStdString();
}

TEST(MessageDialog, SizesItselfToTheText)
{
    const struct {
        const char* name;
        QString msg;
        quint16 buttons;
        QSize client;
        bool scrolls;
    } cases[] = {
        {"empty message, all buttons", QString(), allButtons, {220, 100}, false},
        {"29 lines", repeatLines(29), mbOK, {220, 29 * 13 + 66}, false},
        {"30 lines scroll", repeatLines(30), mbOK, {220, 206}, true},
        {"200 lines scroll", repeatLines(200), mbOK, {220, 206}, true},
        {"six buttons widen the window", QStringLiteral("Short"),
         mbOK | mbYes | mbNo | mbCancel | mbAbort | mbRetry, {75 + 2 + 5 * 77 + 4 + 20, 93}, false},
        {"eight buttons reach the limit", QStringLiteral("Short"), allButtons, {632, 93}, false},
        {"no button: the design row", QStringLiteral("Short"), 0, {241 + 4 + 20, 93}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QSize seen;
        bool scrolls = false;
        int scrolledTo = -1;
        runDialog(c.msg, mtError, c.buttons, [&](TForm_SaveMsg& form) {
            seen = form.size();
            scrolls = form.RichEdit->verticalScrollBar()->isVisible() || form.RichEdit->horizontalScrollBar()->isVisible();
            scrolledTo = form.RichEdit->verticalScrollBar()->value();
            return 0;
        });
        EXPECT_EQ(seen, c.client);
        EXPECT_EQ(scrolls, c.scrolls);
        EXPECT_EQ(scrolledTo, 0);
    }
}

TEST(MessageDialog, WidthFollowsTheWidestLine)
{
    const QString narrow = QStringLiteral("A first line");
    const QString wide = QStringLiteral("The second line is the widest line of this message");
    for (quint8 kind : {mtWarning, mtCustom}) {
        SCOPED_TRACE(int(kind));
        int width = 0, expected = 0, left = 0;
        bool scrolls = true;
        runDialog(narrow + QStringLiteral("\r\n") + wide + QStringLiteral("\r\nend"), kind, mbOK,
                  [&](TForm_SaveMsg& form) {
                      width = form.width();
                      left = form.Panel_Left->width();
                      expected = QFontMetrics(form.RichEdit->font()).horizontalAdvance(wide) + left + 20;
                      scrolls = form.RichEdit->verticalScrollBar()->isVisible() ||
                                form.RichEdit->horizontalScrollBar()->isVisible();
                      return 0;
                  });
        EXPECT_EQ(left, kind == mtCustom ? 20 : 47);
        ASSERT_GE(expected, 200);
        ASSERT_LE(expected, 632);
        EXPECT_EQ(width, expected);
        EXPECT_FALSE(scrolls);  // a text that fits shows no scroll bar
    }
}

// A line wider than the window wraps inside it: a short message is read whole, without scrolling.
TEST(MessageDialog, LongLinesWrapInsteadOfScrolling)
{
    const QString msg = QStringLiteral("The \"UNKNOWN  (QUORVEL_DEMO)\" database cannot be selected because it has not "
                                       "yet been configured as an active database for this application.\r\n\r\n"
                                       "Use the \"Options\\Configure Databases\" menu to save an application "
                                       "configuration for this database.");
    QSize seen;
    bool scrolls = true;
    int lastBottom = 0, viewHeight = 0, lastRight = 0, viewWidth = 0;
    runDialog(msg, mtInformation, mbOK, [&](TForm_SaveMsg& form) {
        seen = form.size();
        QPlainTextEdit* box = form.RichEdit;
        scrolls = box->verticalScrollBar()->isVisible() || box->horizontalScrollBar()->isVisible();
        QTextCursor end(box->document());
        end.movePosition(QTextCursor::End);
        const QRect where = box->cursorRect(end);
        lastBottom = where.bottom();
        lastRight = where.right();
        viewHeight = box->viewport()->height();
        viewWidth = box->viewport()->width();
        return 0;
    });
    EXPECT_EQ(seen, QSize(632, 3 * 13 + 66));
    EXPECT_FALSE(scrolls);
    EXPECT_LE(lastBottom, viewHeight);
    EXPECT_LE(lastRight, viewWidth);
}

// A line wider than the window brings the horizontal scroll bar; it must not cover the last line
// of a short message (a refused statement's last line, or the line an import skipped).
TEST(MessageDialog, WideLinesLeaveEveryLineInView)
{
    for (int n : {2, 7}) {
        SCOPED_TRACE(n);
        int room = 0, needed = 0, width = 0;
        bool vertical = true;
        runDialog(repeatLines(n - 1) + QStringLiteral("\r\n") + QString(400, u'W'), mtError, mbOK,
                  [&](TForm_SaveMsg& form) {
                      width = form.width();
                      room = form.RichEdit->viewport()->height();
                      needed = n * QFontMetrics(form.RichEdit->font()).lineSpacing()
                               + 2 * int(form.RichEdit->document()->documentMargin());
                      vertical = form.RichEdit->verticalScrollBar()->isVisible();
                      return 0;
                  });
        EXPECT_EQ(width, 632);
        EXPECT_GE(room, needed);
        EXPECT_FALSE(vertical);
    }
}

TEST(MessageDialog, ButtonRowInTableOrderCentred)
{
    QStringList captions;
    QList<int> lefts, tops;
    int panelWidth = 0, panelLeft = 0, windowWidth = 0;
    runDialog(QStringLiteral("All of them"), mtConfirmation, 0xFFFF, [&](TForm_SaveMsg& form) {
        for (TBitBtn* b : rowButtons(form)) {
            captions << b->text();
            lefts << b->x();
            tops << b->y();
        }
        panelWidth = form.Panel_Buttons->width();
        panelLeft = form.Panel_Buttons->x();
        windowWidth = form.width();
        return 0;
    });
    EXPECT_EQ(captions, (QStringList{"OK", "&Yes", "&No", "Cancel", "Abort", "&Retry", "&Ignore", "&All"}));
    EXPECT_EQ(lefts, (QList<int>{2, 79, 156, 233, 310, 387, 464, 541}));
    EXPECT_EQ(tops, QList<int>(8, 4));
    EXPECT_EQ(panelWidth, 541 + 75 + 4);
    EXPECT_EQ(panelLeft, (windowWidth - panelWidth) / 2);

    int count = -1;
    runDialog(QStringLiteral("Bits above the eighth"), mtInformation, 0xFF00, [&](TForm_SaveMsg& form) {
        count = static_cast<int>(rowButtons(form).size());
        return 0;
    });
    EXPECT_EQ(count, 0);
}

TEST(MessageDialog, EachButtonReturnsItsResult)
{
    const struct {
        quint16 bit;
        const char* caption;
        quint16 result;
    } cases[] = {
        {mbOK, "OK", mrOk},         {mbYes, "&Yes", mrYes},          {mbNo, "&No", mrNo},
        {mbCancel, "Cancel", mrCancel}, {mbAbort, "Abort", mrAbort}, {mbRetry, "&Retry", mrRetry},
        {mbIgnore, "&Ignore", mrIgnore}, {mbAll, "&All", mrAll},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        bool pressed = false;
        const quint16 result = runDialog(QStringLiteral("Press it"), mtConfirmation, mbYes | mbNo | c.bit,
                                         [&](TForm_SaveMsg& form) {
                                             for (TBitBtn* b : rowButtons(form)) {
                                                 if (b->text() == QLatin1String(c.caption)) {
                                                     QTest::mouseClick(b, Qt::LeftButton);
                                                     pressed = true;
                                                     break;
                                                 }
                                             }
                                             return 0;
                                         });
        EXPECT_TRUE(pressed);
        EXPECT_EQ(result, c.result);
    }
}

TEST(MessageDialog, CaptionAndPictureByKind)
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quorvel"));
    const struct {
        quint8 kind;
        const char* caption;
        bool picture;
    } cases[] = {
        {mtWarning, "Warning", true},   {mtError, "Error", true},      {mtInformation, "Information", true},
        {mtConfirmation, "Confirm", true}, {mtCustom, "Quorvel", false}, {200, "Quorvel", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.kind));
        QString caption;
        bool hasPicture = false, imageShown = false;
        int left = 0;
        runDialog(QStringLiteral("Kind"), c.kind, mbOK, [&](TForm_SaveMsg& form) {
            caption = form.windowTitle();
            hasPicture = !form.Image->pixmap().isNull();
            imageShown = form.Panel_Image->isVisible();
            left = form.Panel_Left->width();
            return 0;
        });
        EXPECT_EQ(caption, QString::fromLatin1(c.caption));
        EXPECT_EQ(hasPicture, c.picture);
        EXPECT_EQ(imageShown, c.picture);
        EXPECT_EQ(left, c.picture ? 47 : 20);
    }
}

TEST(MessageDialog, EnterPressesTheDefaultEscTheCancelButton)
{
    const struct {
        quint16 buttons;
        Qt::Key key;
        quint16 result;  // mrNone: the key leaves the window open
    } cases[] = {
        {mbOK | mbCancel, Qt::Key_Return, mrOk},
        {mbOK | mbCancel, Qt::Key_Escape, mrCancel},
        {mbYes | mbNo, Qt::Key_Enter, mrYes},
        {mbYes | mbNo, Qt::Key_Escape, mrNo},
        {mbYes | mbNo | mbCancel, Qt::Key_Escape, mrCancel},
        {mbYes | mbNo | mbCancel, Qt::Key_Return, mrYes},
        {mbOK, Qt::Key_Escape, mrNone},
        {mbAbort | mbRetry | mbIgnore, Qt::Key_Escape, mrNone},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::number(c.buttons).toStdString() + " key " + QString::number(c.key).toStdString());
        bool stillOpen = false;
        const quint16 result = runDialog(QStringLiteral("Keys"), mtConfirmation, c.buttons, [&](TForm_SaveMsg& form) {
            QWidget* focused = form.focusWidget();
            EXPECT_EQ(focused, rowButtons(form).value(0));
            QTest::keyClick(focused ? focused : &form, c.key);
            stillOpen = form.isVisible() && !form.ClosedItself();
            return 0;
        });
        if (c.result == mrNone) {
            EXPECT_TRUE(stillOpen);
            EXPECT_EQ(result, mrCancel);
        } else {
            EXPECT_FALSE(stillOpen);
            EXPECT_EQ(result, c.result);
        }
    }
}

TEST(MessageDialog, ClosingOtherwiseGivesCancel)
{
    const struct {
        const char* name;
        quint16 buttons;
        std::function<int(TForm_SaveMsg&)> close;
        quint16 result;
    } cases[] = {
        {"close box, Yes and No", mbYes | mbNo, [](TForm_SaveMsg& f) { f.close(); return 0; }, mrCancel},
        {"close box, no buttons", 0, [](TForm_SaveMsg& f) { f.close(); return 0; }, mrCancel},
        {"Close command", mbOK,
         [](TForm_SaveMsg& f) {
             f.SystemMenu()->actions().last()->trigger();
             return 0;
         },
         mrCancel},
        // A responder that answers for the window without working it.
        {"answered Yes", mbYes | mbNo, [](TForm_SaveMsg&) { return int(mrYes); }, mrYes},
        {"answered nothing", mbYes | mbNo, [](TForm_SaveMsg&) { return 0; }, mrCancel},
        {"answered out of range", mbOK, [](TForm_SaveMsg&) { return 99; }, mrCancel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(runDialog(QStringLiteral("Close me"), mtWarning, c.buttons, c.close), c.result);
    }
}

TEST(MessageDialog, TextBoxNeverKeepsTheFocus)
{
    for (quint16 buttons : {quint16(mbOK | mbCancel), quint16(0)}) {
        SCOPED_TRACE(buttons);
        bool textBoxFocused = true, firstButtonFocused = false;
        Qt::FocusPolicy policy = Qt::StrongFocus;
        runDialog(QStringLiteral("Focus"), mtInformation, buttons, [&](TForm_SaveMsg& form) {
            policy = form.RichEdit->focusPolicy();
            form.RichEdit->setFocus();
            textBoxFocused = form.focusWidget() == form.RichEdit;
            firstButtonFocused = form.focusWidget() != nullptr && form.focusWidget() == rowButtons(form).value(0);
            return 0;
        });
        EXPECT_EQ(policy, Qt::NoFocus);
        EXPECT_FALSE(textBoxFocused);
        EXPECT_EQ(firstButtonFocused, buttons != 0);
    }
}

TEST(MessageDialog, CommandsInTheTextBoxMenu)
{
    QStringList items;
    runDialog(QStringLiteral("Menu"), mtError, mbOK, [&](TForm_SaveMsg& form) {
        EXPECT_EQ(form.RichEdit->contextMenuPolicy(), Qt::CustomContextMenu);
        for (QAction* a : form.SystemMenu()->actions())
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return 0;
    });
    EXPECT_EQ(items, (QStringList{"&Copy", "&Save", "&Print", "-", "&Close"}));
}

TEST(MessageDialog, CopyTakesTheWholeText)
{
    // Through the menu item, and through the command id with its low bits set.
    for (bool byId : {false, true}) {
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        bool selectionLeft = true;
        runDialog(QStringLiteral("first line\r\nsecond line"), mtError, mbOK, [&](TForm_SaveMsg& form) {
            if (byId)
                form.SysCommandHook(TForm_SaveMsg::CopyId | 0x000F);
            else
                form.SystemMenu()->actions().first()->trigger();
            selectionLeft = form.RichEdit->textCursor().hasSelection();
            return 0;
        });
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("first line\nsecond line")) << byId;
        EXPECT_FALSE(selectionLeft);
    }
}

TEST(MessageDialog, SaveWritesTheLinesAsText)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString chosen = dir.filePath(QStringLiteral("message"));
    Request asked;
    runDialog(QStringLiteral("first\nsecond"), mtError, mbOK,
              [&](TForm_SaveMsg& form) {
                  form.SysCommandHook(TForm_SaveMsg::SaveId);
                  return 0;
              },
              [&](const Request& req) {
                  asked = req;
                  return reply(1, chosen);
              });
    EXPECT_EQ(asked.kind, Kind::SaveFile);
    EXPECT_EQ(asked.filter, QStringLiteral("Text Files|*.txt"));
    QFile file(chosen + QStringLiteral(".txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("first\r\nsecond\r\n"));
}

TEST(MessageDialog, SaveCancelledOrFailingKeepsTheWindow)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Cancelled: nothing written.
    runDialog(QStringLiteral("text"), mtError, mbOK,
              [&](TForm_SaveMsg& form) {
                  form.MenuItem_SaveClick();
                  return 0;
              },
              [&](const Request&) { return reply(0, dir.filePath(QStringLiteral("never.txt"))); });
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("never.txt"))));

    // A folder that is not there: the failure is reported and the window stays.
    const QString bad = dir.filePath(QStringLiteral("missing/out.txt"));
    QString reported;
    bool open = false;
    runDialog(QStringLiteral("text"), mtError, mbOK,
              [&](TForm_SaveMsg& form) {
                  form.MenuItem_SaveClick();
                  open = form.isVisible();
                  return 0;
              },
              [&](const Request& req) {
                  if (req.kind == Kind::MessageBox) {
                      reported = req.text;
                      return reply(QMessageBox::Ok);
                  }
                  return reply(1, bad);
              });
    EXPECT_TRUE(reported.contains(bad)) << reported.toStdString();
    EXPECT_TRUE(open);
}

// The PDF writer keeps the job's title as a UTF-16 string in the document's information.
QByteArray pdfTitle(const QString& title)
{
    QByteArray bytes("\xFE\xFF", 2);
    for (QChar ch : title) {
        bytes += char(ch.unicode() >> 8);
        bytes += char(ch.unicode() & 0xFF);
    }
    return bytes;
}

TEST(MessageDialog, PrintMakesOneTitledJob)
{
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quorvel"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("message.pdf"));
    runDialog(QStringLiteral("Something failed\r\nat line 2"), mtError, mbOK,
              [&](TForm_SaveMsg& form) {
                  form.SysCommandHook(TForm_SaveMsg::PrintId);
                  return 0;
              },
              [&](const Request& req) {
                  EXPECT_EQ(req.kind, Kind::Print);
                  req.printer->setOutputFormat(QPrinter::PdfFormat);
                  req.printer->setOutputFileName(pdf);
                  return reply(1);
              });
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF"));
    EXPECT_TRUE(bytes.contains(pdfTitle(QStringLiteral("Quorvel : Error Log"))));
}

TEST(MessageDialog, PrintCancelledOrFailing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("never.pdf"));
    runDialog(QStringLiteral("text"), mtError, mbOK,
              [&](TForm_SaveMsg& form) {
                  form.MenuItem_PrintClick();
                  return 0;
              },
              [&](const Request& req) {
                  req.printer->setOutputFormat(QPrinter::PdfFormat);
                  req.printer->setOutputFileName(pdf);
                  return reply(0);
              });
    EXPECT_FALSE(QFile::exists(pdf));

    const QString bad = dir.filePath(QStringLiteral("missing/out.pdf"));
    QString reported;
    bool open = false;
    runDialog(QStringLiteral("text"), mtError, mbOK,
              [&](TForm_SaveMsg& form) {
                  form.MenuItem_PrintClick();
                  open = form.isVisible();
                  return 0;
              },
              [&](const Request& req) {
                  if (req.kind == Kind::MessageBox) {
                      reported = req.text;
                      return reply(QMessageBox::Ok);
                  }
                  req.printer->setOutputFormat(QPrinter::PdfFormat);
                  req.printer->setOutputFileName(bad);
                  return reply(1);
              });
    EXPECT_TRUE(reported.contains(bad)) << reported.toStdString();
    EXPECT_TRUE(open);
}

TEST(MessageDialog, TheWindowAndItsCommandsGoWithTheCall)
{
    QPointer<TForm_SaveMsg> window;
    QPointer<QMenu> menu;
    runDialog(QStringLiteral("Gone after"), mtInformation, mbOK, [&](TForm_SaveMsg& form) {
        window = &form;
        menu = form.SystemMenu();
        return 0;
    });
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(menu.isNull());
}

} // namespace
