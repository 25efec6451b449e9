// The mode cycle of the Table page (Query, Add, Update, Execute, Cancel, Quick Query, Append SQL)
// and the window's keyboard, driven through the window's buttons and keys.
#include "Fixture.h"

#include <QAction>
#include <QImage>

namespace {

class Modes : public QbeWindow {
protected:
    void SetUp() override
    {
        QbeWindow::SetUp();
        connectSqlite();
        recreate(QStringLiteral("cust"), QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(20), born DATE"));
        exec({QStringLiteral("INSERT INTO cust (name, born) VALUES ('Ann', '1970-01-02')"),
              QStringLiteral("INSERT INTO cust (name, born) VALUES ('Bob', NULL)"),
              QStringLiteral("INSERT INTO cust (name, born) VALUES ('Cy', '1999-12-31')")});
        choose(QStringLiteral("cust"));
    }
    void findAll()
    {
        QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
        QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
        ASSERT_EQ(form.state().RecordKeys.size(), 3);
    }
    QString shownName() { return edit(QStringLiteral("name"))->text(); }
    QWidget* focusTarget() { return edit(QStringLiteral("name")); }
    bool enabled(QPushButton* b) { return b->isEnabled(); }
};

TEST_F(Modes, EnteringEachMode)
{
    findAll();
    struct Case {
        QObject* sender;
        const char* caption;
        bool MainState::*flag;
        bool keepsRecord;
    };
    const Case cases[] = {
        {ui.BitBtn_Query, "Quorvel     [QUERY MODE]", &MainState::InQueryMode, false},
        {ui.MenuItem_Query, "Quorvel     [QUERY MODE]", &MainState::InQueryMode, false},
        {ui.BitBtn_Add, "Quorvel     [ADD MODE]", &MainState::InAddMode, false},
        {ui.MenuItem_Add, "Quorvel     [ADD MODE]", &MainState::InAddMode, false},
        {ui.BitBtn_Update, "Quorvel     [UPDATE MODE]", &MainState::InUpdateMode, true},
        {ui.MenuItem_Update, "Quorvel     [UPDATE MODE]", &MainState::InUpdateMode, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sender->objectName().toStdString());
        form.state().ContinueQuery = false;
        form.state().WherePresent = true;
        form.BitBtn_QueryClick(c.sender);
        MainState& s = form.state();
        EXPECT_EQ(form.windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_TRUE(s.*c.flag);
        EXPECT_TRUE(s.ContinueQuery);
        EXPECT_EQ(shownName(), c.keepsRecord ? QStringLiteral("Ann") : QString());
        EXPECT_FALSE(edit(QStringLiteral("name"))->isReadOnly());
        EXPECT_EQ(edit(QStringLiteral("id"))->isReadOnly(), !s.InQueryMode);
        if (s.InQueryMode) {
            EXPECT_EQ(edit(QStringLiteral("name"))->maxLength(), 0);
        }
        for (QPushButton* b : {ui.BitBtn_Query, ui.BitBtn_QuickQuery, ui.BitBtn_Add, ui.BitBtn_Update, ui.BitBtn_Remove,
                               ui.BitBtn_First, ui.BitBtn_Previous, ui.BitBtn_Next, ui.BitBtn_Last})
            EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        EXPECT_TRUE(ui.BitBtn_Execute->isEnabled());
        EXPECT_TRUE(ui.BitBtn_Cancel->isEnabled());

        // Cancel shows the record again and returns to browsing.
        QTest::mouseClick(ui.BitBtn_Cancel, Qt::LeftButton);
        EXPECT_FALSE(s.InQueryMode || s.InAddMode || s.InUpdateMode);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel"));
        EXPECT_EQ(shownName(), QStringLiteral("Ann"));
        EXPECT_TRUE(edit(QStringLiteral("name"))->isReadOnly());
        EXPECT_EQ(edit(QStringLiteral("name"))->maxLength(), 20);
        EXPECT_TRUE(ui.BitBtn_Query->isEnabled());
        EXPECT_FALSE(ui.BitBtn_Execute->isEnabled());
        EXPECT_TRUE(ui.BitBtn_Next->isEnabled());
        EXPECT_TRUE(s.ContinueQuery);
    }
}

TEST_F(Modes, ExecuteAndCancelReturnToBrowsing)
{
    // Update mode edits are thrown away by Cancel.
    findAll();
    QTest::mouseClick(ui.BitBtn_Update, Qt::LeftButton);
    type(QStringLiteral("name"), QStringLiteral("Changed"));
    QTest::mouseClick(ui.BitBtn_Cancel, Qt::LeftButton);
    EXPECT_EQ(shownName(), QStringLiteral("Ann"));

    // A query that finds nothing: the message, then browsing with an empty result.
    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    type(QStringLiteral("name"), QStringLiteral("Nobody"));
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{"No records were found to match your query criteria!"});
    EXPECT_TRUE(form.state().RecordKeys.isEmpty());
    EXPECT_FALSE(form.state().InQueryMode);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel"));
    EXPECT_FALSE(ui.BitBtn_Print->isEnabled());
    EXPECT_FALSE(ui.BitBtn_Update->isEnabled());
    EXPECT_TRUE(status().startsWith(QStringLiteral("CUST  Record  0 of 0          ")));

    // Cancel in query mode with no result leaves an empty page.
    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    type(QStringLiteral("name"), QStringLiteral("typed"));
    QTest::mouseClick(ui.BitBtn_Cancel, Qt::LeftButton);
    EXPECT_EQ(shownName(), QString());

    // A statement the database rejects: its message, and browsing again with every flag reset.
    messages.clear();
    form.state().AppendedSql = QStringLiteral("no_such_column = 1");
    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("no_such_column"))) << messages[0].toStdString();
    EXPECT_FALSE(form.state().InQueryMode);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel"));
    EXPECT_TRUE(ui.BitBtn_Query->isEnabled());
    EXPECT_FALSE(ui.BitBtn_Execute->isEnabled());
    EXPECT_FALSE(ui.Panel_Stop->isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(status().startsWith(QStringLiteral("CUST  Record  0 of 0")));
}

TEST_F(Modes, QuickQuery)
{
    findAll();
    QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
    ASSERT_EQ(shownName(), QStringLiteral("Bob"));
    QTest::mouseClick(ui.BitBtn_QuickQuery, Qt::LeftButton);
    EXPECT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(shownName(), QStringLiteral("Bob"));
    EXPECT_TRUE(status().startsWith(QStringLiteral("CUST  Record  1 of 1          ")));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel"));
    EXPECT_FALSE(form.state().InQueryMode);

    // On an empty page it lists the whole table.
    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    QTest::mouseClick(ui.BitBtn_Cancel, Qt::LeftButton);
    form.state().RecordKeys.clear();
    form.BitBtn_CancelClick(ui.BitBtn_Cancel);
    QTest::mouseClick(ui.BitBtn_QuickQuery, Qt::LeftButton);
    EXPECT_EQ(form.state().RecordKeys.size(), 3);
}

TEST_F(Modes, QuickQueryWithoutKeyControl)
{
    // A configured serial column the table lacks: nothing happens.
    recreate(QStringLiteral("cust2"), QStringLiteral("name VARCHAR(20)"));
    exec({QStringLiteral("INSERT INTO cust2 VALUES ('Ann')")});
    form.state().SerialFields = {QStringLiteral("CUST2=NOPE")};
    choose(QStringLiteral("cust2"));
    ASSERT_FALSE(form.state().KeyColumn.isEmpty());
    ASSERT_EQ(form.state().KeyControl, nullptr);
    QTest::mouseClick(ui.BitBtn_QuickQuery, Qt::LeftButton);
    EXPECT_FALSE(form.state().InQueryMode);
    EXPECT_TRUE(messages.isEmpty());

    // Neither key nor unique column: the page is only emptied.
    recreate(QStringLiteral("cust3"), QStringLiteral("name VARCHAR(20)"));
    exec({QStringLiteral("INSERT INTO cust3 VALUES ('Ann')")});
    form.state().SerialFields.clear();
    choose(QStringLiteral("cust3"));
    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    ASSERT_EQ(shownName(), QStringLiteral("Ann"));
    QTest::mouseClick(ui.BitBtn_QuickQuery, Qt::LeftButton);
    EXPECT_EQ(shownName(), QString());
    EXPECT_FALSE(form.state().InQueryMode);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel"));
}

TEST_F(Modes, AppendSql)
{
    auto glyphIs = [&](QLabel* picture) {
        return ui.BitBtn_AppendSQL->icon().pixmap(16, 16).toImage() == QIcon(picture->pixmap()).pixmap(16, 16).toImage();
    };
    ASSERT_FALSE(glyphIs(ui.Image_SQLPlus));
    inputAnswer = QStringLiteral("name <> 'Bob'");
    QTest::mouseClick(ui.BitBtn_AppendSQL, Qt::LeftButton);
    EXPECT_EQ(form.state().AppendedSql, QStringLiteral("name <> 'Bob'"));
    EXPECT_EQ(ui.BitBtn_AppendSQL->toolTip(), QStringLiteral("name <> 'Bob'"));
    EXPECT_TRUE(glyphIs(ui.Image_SQLPlus));

    inputAnswer.reset();  // Cancel keeps the text
    QTest::mouseClick(ui.BitBtn_AppendSQL, Qt::LeftButton);
    EXPECT_EQ(form.state().AppendedSql, QStringLiteral("name <> 'Bob'"));
    EXPECT_TRUE(glyphIs(ui.Image_SQLPlus));

    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    EXPECT_EQ(form.state().RecordKeys.size(), 2);

    inputAnswer = QString();
    QTest::mouseClick(ui.BitBtn_AppendSQL, Qt::LeftButton);
    EXPECT_TRUE(form.state().AppendedSql.isEmpty());
    EXPECT_TRUE(glyphIs(ui.Image_SQLMinus));
}

TEST_F(Modes, NavigationKeys)
{
    findAll();
    struct Case {
        int start;
        int key;
        Qt::KeyboardModifiers mods;
        int index;
    };
    const Case cases[] = {
        {0, Qt::Key_N, Qt::ControlModifier, 1},
        {1, Qt::Key_P, Qt::ControlModifier, 0},
        {0, Qt::Key_L, Qt::ControlModifier, 2},
        {2, Qt::Key_F, Qt::ControlModifier, 0},
        {2, Qt::Key_N, Qt::ControlModifier, 2},  // Next disabled on the last record
        {2, Qt::Key_L, Qt::ControlModifier, 2},
        {0, Qt::Key_P, Qt::ControlModifier, 0},  // Previous disabled on the first
        {0, Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier, 0},
        {0, Qt::Key_N, Qt::ControlModifier | Qt::AltModifier, 0},
        {0, Qt::Key_N, Qt::NoModifier, 0},
    };
    const char* names[] = {"Ann", "Bob", "Cy"};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " key " << c.key << " mods " << int(c.mods));
        form.state().RecordIndex = c.start;
        form.BitBtn_FirstClick(nullptr);
        QTest::keyClick(focusTarget(), Qt::Key(c.key), c.mods);
        EXPECT_EQ(form.state().RecordIndex, c.index);
        EXPECT_EQ(shownName(), QString::fromUtf8(names[c.index]));
    }
    // The menu items move like the buttons (enabled as the menu opens).
    form.state().RecordIndex = 0;
    ui.MenuItem_Last->setEnabled(true);
    ui.MenuItem_Previous->setEnabled(true);
    ui.MenuItem_Last->trigger();
    EXPECT_EQ(form.state().RecordIndex, 2);
    ui.MenuItem_Previous->trigger();
    EXPECT_EQ(form.state().RecordIndex, 1);
}

TEST_F(Modes, ModeKeys)
{
    findAll();
    QTest::keyClick(focusTarget(), Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(focusTarget(), Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(form.state().InQueryMode);

    QTest::keyClick(focusTarget(), Qt::Key_U, Qt::ControlModifier);
    EXPECT_TRUE(form.state().InUpdateMode);
    // In a mode the Ctrl keys do nothing; Esc cancels through the Cancel button.
    QTest::keyClick(focusTarget(), Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(focusTarget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(form.state().InUpdateMode);
    EXPECT_FALSE(form.state().InQueryMode || form.state().InAddMode);
    form.state().ContinueQuery = true;
    QTest::keyClick(focusTarget(), Qt::Key_Escape);
    EXPECT_FALSE(form.state().InUpdateMode);
    EXPECT_FALSE(form.state().ContinueQuery);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel"));

    QTest::keyClick(focusTarget(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(form.state().InAddMode);
    QTest::keyClick(focusTarget(), Qt::Key_Escape);

    // Ctrl+Q, a criterion and Enter run the query.
    QTest::keyClick(focusTarget(), Qt::Key_Q, Qt::ControlModifier);
    ASSERT_TRUE(form.state().InQueryMode);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel     [QUERY MODE]"));
    type(QStringLiteral("name"), QStringLiteral("C*"));
    QTest::keyClick(focusTarget(), Qt::Key_Return);
    EXPECT_FALSE(form.state().InQueryMode);
    EXPECT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(shownName(), QStringLiteral("Cy"));

    // Enter while browsing clicks Query.
    QTest::keyClick(focusTarget(), Qt::Key_Return);
    EXPECT_TRUE(form.state().InQueryMode);
}

TEST_F(Modes, F2ShowsTheNullMarker)
{
    findAll();
    QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
    TBVMaskEdit* born = edit(QStringLiteral("born"));
    QApplication::setActiveWindow(&form);
    born->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), born);
    QTest::keyClick(born, Qt::Key_F2);
    EXPECT_EQ(messages, QStringList{"null"});
}

TEST_F(Modes, StopWhenNoQueryRuns)
{
    form.state().ContinueQuery = true;
    form.BitBtn_StopClick(ui.BitBtn_Stop);
    EXPECT_FALSE(form.state().ContinueQuery);
    EXPECT_FALSE(ui.Panel_Stop->isVisible());
    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    EXPECT_TRUE(form.state().ContinueQuery);
}

} // namespace
