// The window's Ctrl keys act wherever the focus is in the window, and a key the window acts on
// never reaches the focused control as well.
#include "tests/workspace/tablepage/qbe/Fixture.h"

#include <QEvent>
#include <QKeyEvent>

namespace {

// The key presses that reach a control.
class KeySpy : public QObject {
public:
    explicit KeySpy(QWidget* w) { w->installEventFilter(this); }
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Control && key != Qt::Key_Shift)
            keys << key;
        return false;
    }
};

class WindowKeys : public QbeWindow {
protected:
    void SetUp() override
    {
        QbeWindow::SetUp();
        connectSqlite();
        recreate(QStringLiteral("keys"), QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(20), n INTEGER"));
        exec({QStringLiteral("INSERT INTO keys (name) VALUES ('Ann')"), QStringLiteral("INSERT INTO keys (name) VALUES ('Bob')"),
              QStringLiteral("INSERT INTO keys (name) VALUES ('Cy')")});
        choose(QStringLiteral("keys"));
        QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
        QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
        ASSERT_EQ(form.state().RecordKeys.size(), 3);
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    TBVMaskEdit* name() { return edit(QStringLiteral("name")); }
    // A key as the user presses it: to whatever has the focus.
    void press(int key, Qt::KeyboardModifiers mods = Qt::ControlModifier)
    {
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClick(focused ? focused : static_cast<QWidget*>(&form), Qt::Key(key), mods);
    }
};

TEST_F(WindowKeys, CtrlUInAFilledFieldKeepsItsText)
{
    name()->setFocus();
    name()->end(false);
    KeySpy spy(name());
    press(Qt::Key_U);
    EXPECT_TRUE(form.state().InUpdateMode);
    EXPECT_EQ(name()->text(), QStringLiteral("Ann"));
    EXPECT_TRUE(spy.keys.isEmpty()) << "the field never saw the key";

    // In the mode Ctrl+U does nothing, and still never empties the field; Ctrl+Shift+N is the
    // field's own.
    press(Qt::Key_U);
    EXPECT_TRUE(form.state().InUpdateMode);
    EXPECT_EQ(name()->text(), QStringLiteral("Ann"));
    EXPECT_TRUE(spy.keys.isEmpty());
    press(Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(name()->text().isEmpty());
    EXPECT_EQ(name()->Hint, QStringLiteral("null"));
    EXPECT_EQ(spy.keys.size(), 1);
    press(Qt::Key_Escape, Qt::NoModifier);
    EXPECT_FALSE(form.state().InUpdateMode);
    EXPECT_EQ(name()->text(), QStringLiteral("Ann"));
    EXPECT_EQ(messages, QStringList());
}

// Each key the window acts on is taken there; one it does not act on (Next on the last record)
// goes on to the field.
TEST_F(WindowKeys, KeysTheWindowActsOnStopThere)
{
    name()->setFocus();
    KeySpy spy(name());
    const struct {
        int key;
        int index;  // RecordIndex afterwards
    } moves[] = {{Qt::Key_N, 1}, {Qt::Key_L, 2}, {Qt::Key_P, 1}, {Qt::Key_F, 0}};
    for (const auto& m : moves) {
        press(m.key);
        EXPECT_EQ(form.state().RecordIndex, m.index) << m.key;
    }
    EXPECT_TRUE(spy.keys.isEmpty());
    press(Qt::Key_L);
    press(Qt::Key_N);  // Next is disabled on the last record
    EXPECT_EQ(spy.keys, QList<int>{Qt::Key_N});
    spy.keys.clear();

    for (int key : {Qt::Key_Q, Qt::Key_A}) {
        name()->setFocus();
        press(key);
        EXPECT_TRUE(form.state().InQueryMode || form.state().InAddMode) << key;
        press(Qt::Key_Escape, Qt::NoModifier);
    }
    name()->setFocus();
    press(Qt::Key_R);  // answered with the cancel result
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("Are you sure you want to delete")));
    EXPECT_FALSE(spy.keys.contains(Qt::Key_Q) || spy.keys.contains(Qt::Key_A) || spy.keys.contains(Qt::Key_R));
}

// The keys keep working after a click on Execute and after a message window closes, wherever
// the focus went.
TEST_F(WindowKeys, KeysWorkWhereverTheFocusWent)
{
    QTest::mouseClick(ui.BitBtn_Update, Qt::LeftButton);
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    ASSERT_FALSE(form.state().InUpdateMode);
    press(Qt::Key_N);
    EXPECT_EQ(form.state().RecordIndex, 1);

    press(Qt::Key_R);  // the question, answered No
    EXPECT_EQ(messages.size(), 1);
    press(Qt::Key_N);
    EXPECT_EQ(form.state().RecordIndex, 2);
    press(Qt::Key_U);
    EXPECT_TRUE(form.state().InUpdateMode);
}

// Enter in a field runs Execute as a click on it does: the field is left and checked first, and
// a value the check refuses keeps the mode with nothing written.
TEST_F(WindowKeys, EnterChecksTheFieldBeforeExecute)
{
    press(Qt::Key_U);
    ASSERT_TRUE(form.state().InUpdateMode);
    TBVMaskEdit* n = edit(QStringLiteral("n"));
    n->setFocus();
    QTest::keyClicks(n, QStringLiteral("12x"));
    press(Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(messages, QStringList{"Invalid Integer"});
    EXPECT_TRUE(form.state().InUpdateMode);
    EXPECT_EQ(QApplication::focusWidget(), n);

    messages.clear();
    n->selectAll();
    QTest::keyClicks(n, QStringLiteral("5000000000"));
    press(Qt::Key_Return, Qt::NoModifier);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_FALSE(form.state().InUpdateMode);
    platform::engine::Query q;
    q.setDatabaseName(form.Database.databaseName());
    q.sql() << QStringLiteral("SELECT quote(n), name FROM keys WHERE id = 1");
    q.open();
    EXPECT_EQ(q.fields(0).asString(), QStringLiteral("5000000000"));
    EXPECT_EQ(q.fields(1).asString(), QStringLiteral("Ann"));
}

// The Table page's keys are no concern of the SQL page: they reach its text boxes.
TEST_F(WindowKeys, OnTheSqlPageTheKeysReachTheTextBox)
{
    ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
    QApplication::processEvents();
    ui.Memo_SQL->setFocus();
    KeySpy spy(ui.Memo_SQL);
    press(Qt::Key_U);
    EXPECT_FALSE(form.state().InUpdateMode);
    EXPECT_EQ(spy.keys, QList<int>{Qt::Key_U});
}

} // namespace
