// The editing aids of the page's data controls, driven by keys and focus like a user would.
#include "tests/workspace/tablepage/page/Fixture.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/ValueChecks.h"

#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QtTest/QTest>

namespace {

// The text of any message the code under test shows: the system's message window or a standard box.
inline QString shownText(const platform::modal::Request& q)
{
    if (auto* form = qobject_cast<TForm_SaveMsg*>(q.window))
        return form->RichEdit->toPlainText();
    return q.text;
}

class AidsFixture : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        recreate(QStringLiteral("qv_aids"),
                 QStringLiteral("id integer primary key, s varchar(10), n integer, b boolean, ts timestamp, notes text"));
        state.SerialFields = QStringList{QStringLiteral("QV_AIDS=ID")};
        ui.MenuItem_AllowLowerCase->setChecked(true);
        build(QStringLiteral("qv_aids"));
        ui.PageControl->setCurrentWidget(ui.TabSheet_Table);
    }

    TBVMaskEdit* edit(const char* c) { return control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_") + QLatin1String(c)); }
    TBVMemo* memo() { return control<TBVMemo>(QStringLiteral("MMemo_notes")); }
    bool red(const char* c)
    {
        return control<QLineEdit>(QStringLiteral("Label_") + QLatin1String(c))->palette().color(QPalette::Text)
               == QColor(Qt::red);
    }
    void leave(QWidget* w)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w, &out);
    }
};

TEST_F(AidsFixture, CtrlShiftNMarksNullAndTypingUnmarks)
{
    state.InAddMode = true;
    SetPageEditable(state, ui);
    memo()->setPlainText(QStringLiteral("some text"));
    QTest::keyClick(memo(), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(memo()->toPlainText(), QString());
    EXPECT_EQ(memo()->Hint, QStringLiteral("null"));
    EXPECT_TRUE(red("notes"));
    QTest::keyClick(memo(), Qt::Key_A);
    EXPECT_EQ(memo()->Hint, QStringLiteral("not null"));
    EXPECT_FALSE(red("notes"));
    EXPECT_EQ(memo()->toPlainText(), QStringLiteral("a"));  // the key is not consumed

    // Ctrl+D leaves the marker; Ctrl+Shift+N works on a mask edit too, Alt or not.
    DataControlKeyDown(*env, edit("s"), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(edit("s")->Hint, QStringLiteral("null"));
    QTest::keyClick(edit("s"), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(edit("s")->Hint, QStringLiteral("null"));
    EXPECT_TRUE(red("s"));
}

// Moving through a NULL field or copying from it changes nothing; typing, pasting (with the
// mouse too) and Enter in a memo do.
TEST_F(AidsFixture, OnlyKeysThatEditUnmarkANullField)
{
    state.InUpdateMode = true;
    SetPageEditable(state, ui);
    TBVMaskEdit* n = edit("n");
    n->Hint = QStringLiteral("null");
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
    } moves[] = {
        {Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Backtab, Qt::ShiftModifier}, {Qt::Key_Left, Qt::NoModifier},
        {Qt::Key_Right, Qt::ShiftModifier}, {Qt::Key_Home, Qt::NoModifier}, {Qt::Key_End, Qt::NoModifier},
        {Qt::Key_Up, Qt::NoModifier}, {Qt::Key_PageDown, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier},
        {Qt::Key_C, Qt::ControlModifier}, {Qt::Key_A, Qt::ControlModifier}, {Qt::Key_F3, Qt::NoModifier},
    };
    for (const auto& m : moves) {
        DataControlKeyDown(*env, n, m.key, m.mods);
        EXPECT_EQ(n->Hint, QStringLiteral("null")) << m.key;
    }
    EXPECT_TRUE(red("n"));
    DataControlKeyDown(*env, n, Qt::Key_Delete, Qt::NoModifier);
    EXPECT_EQ(n->Hint, QStringLiteral("not null"));

    memo()->Hint = QStringLiteral("null");
    DataControlKeyDown(*env, memo(), Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(memo()->Hint, QStringLiteral("not null"));

    // Pasted with the context menu: no key at all.
    n->Hint = QStringLiteral("null");
    QGuiApplication::clipboard()->setText(QStringLiteral("42"));
    n->paste();
    EXPECT_EQ(n->text(), QStringLiteral("42"));
    EXPECT_EQ(n->Hint, QStringLiteral("not null"));
    EXPECT_FALSE(red("n"));
}

TEST_F(AidsFixture, OutsideTheModesKeysOnlyRecolour)
{
    edit("s")->Hint = QStringLiteral("NULL");
    QTest::keyClick(edit("s"), Qt::Key_X);
    EXPECT_EQ(edit("s")->Hint, QStringLiteral("NULL"));
    EXPECT_TRUE(red("s"));
    QTest::keyClick(edit("s"), Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(edit("s")->Hint, QStringLiteral("NULL"));
}

TEST_F(AidsFixture, LeavingAFieldChecksItInAddAndUpdateOnly)
{
    QStringList messages;
    platform::modal::ScopedResponder r([&](const platform::modal::Request& q) {
        messages << shownText(q);
        return platform::modal::Answer{q.window ? 1 : int(QMessageBox::Ok)};
    });
    SetPageEditable(state, ui);
    auto* ts = edit("ts");

    state.InQueryMode = true;
    ts->setText(QStringLiteral("02/30/2001 10:00:00"));
    leave(ts);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(ts->text(), QStringLiteral("02/30/2001 10:00:00"));
    state.InQueryMode = false;

    state.InAddMode = true;
    leave(ts);
    ASSERT_EQ(messages, QStringList{QStringLiteral("Invalid DateTime")});
    EXPECT_EQ(ts->text(), QStringLiteral("12/31/9999 00:00:00"));
    // The focus going to another window (a message box) is no leaving of the field.
    ts->setText(QStringLiteral("02/30/2001 10:00:00"));
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(ts, &away);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(ts->text(), QStringLiteral("02/30/2001 10:00:00"));
    leave(ts);
    EXPECT_EQ(messages.size(), 2);
    state.InAddMode = false;

    state.InUpdateMode = true;
    edit("b")->setText(QStringLiteral("true"));
    leave(edit("b"));
    EXPECT_EQ(edit("b")->text(), QStringLiteral("1"));

    // A null-marked field is not checked.
    messages.clear();
    edit("n")->setText(QStringLiteral("abc"));
    edit("n")->Hint = QStringLiteral("null");
    leave(edit("n"));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(edit("n")->text(), QStringLiteral("abc"));
    // Not marked: the integer validator refuses it and puts its default back.
    edit("n")->Hint = QStringLiteral("not null");
    leave(edit("n"));
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(edit("n")->text(), QStringLiteral("0"));
}

TEST_F(AidsFixture, EditFocusPassesOverTheKeyOutsideQuery)
{
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    ASSERT_EQ(state.KeyControl, edit("id"));
    state.InAddMode = true;
    SetEditFocus(*env);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), edit("s"));
    state.InAddMode = false;
    state.InQueryMode = true;
    SetEditFocus(*env);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), edit("id"));
}

} // namespace
