#include "Fixture.h"

#include "components/BVMaskEdit.h"
#include "workspace/MenuStates.h"

#include <QScrollArea>
#include <QStatusBar>
#include <QTest>

class MenuStates : public EditorFixture {};

TEST_F(MenuStates, FileMenuFollowsTheTableAndTheResults)
{
    struct Case {
        const char* table;
        const char* results;
        bool createAscii, fromScreen;
    } cases[] = {
        {"", "", false, false},
        {"customers", "", true, false},
        {"", "1|a|", false, true},
        {"customers", "\n", true, true},  // one empty line is text too
    };
    for (const Case& c : cases) {
        state.CurrentTable = QString::fromUtf8(c.table);
        ui.Memo_Results->setPlainText(QString::fromUtf8(c.results));
        MenuItem_FileClick(state, ui);
        EXPECT_EQ(ui.MenuItem_CreateDBASCII->isEnabled(), c.createAscii) << c.table << "/" << c.results;
        EXPECT_EQ(ui.MenuItem_FromScreen->isEnabled(), c.fromScreen) << c.results;
        EXPECT_EQ(ui.MenuItem_MultiFromScreen->isEnabled(), c.fromScreen) << c.results;
    }
}

TEST_F(MenuStates, CommandsMirrorTheirButtons)
{
    const std::pair<QAction*, QWidget*> pairs[] = {
        {ui.MenuItem_Query, ui.BitBtn_Query},     {ui.MenuItem_Add, ui.BitBtn_Add},
        {ui.MenuItem_Update, ui.BitBtn_Update},   {ui.MenuItem_Remove, ui.BitBtn_Remove},
        {ui.MenuItem_First, ui.BitBtn_First},     {ui.MenuItem_Previous, ui.BitBtn_Previous},
        {ui.MenuItem_Next, ui.BitBtn_Next},       {ui.MenuItem_Last, ui.BitBtn_Last},
        {ui.MenuItem_Execute, ui.BitBtn_Execute}, {ui.MenuItem_Cancel, ui.BitBtn_Cancel},
    };
    // Every button off except one, for each one in turn; also on the SQL page, where the buttons are hidden.
    for (bool sqlPage : {false, true}) {
        sqlPage ? showSqlPage() : showTablePage();
        for (size_t on = 0; on < std::size(pairs); ++on) {
            for (size_t i = 0; i < std::size(pairs); ++i)
                pairs[i].second->setEnabled(i == on);
            MenuItem_CommandsClick(ui);
            for (size_t i = 0; i < std::size(pairs); ++i)
                EXPECT_EQ(pairs[i].first->isEnabled(), i == on)
                    << pairs[i].first->objectName().toStdString() << " page " << sqlPage;
        }
    }
}

TEST_F(MenuStates, ListItemNeedsAKeyTheTablePageRecordsAndNoEditMode)
{
    struct Case {
        const char* key;
        const char* unique;
        bool tablePage;
        int records;
        bool add, update;
        bool enabled;
    } cases[] = {
        {"id", "", true, 1, false, false, true},
        {"", "sku", true, 3, false, false, true},
        {"", "", true, 3, false, false, false},
        {"id", "", false, 3, false, false, false},
        {"id", "", true, 0, false, false, false},
        {"id", "", true, 3, true, false, false},
        {"id", "sku", true, 3, false, true, false},
    };
    for (const Case& c : cases) {
        state.KeyColumn = QString::fromUtf8(c.key);
        state.UniqueColumn = QString::fromUtf8(c.unique);
        c.tablePage ? showTablePage() : showSqlPage();
        state.RecordKeys.clear();
        for (int i = 0; i < c.records; ++i)
            state.RecordKeys << QString::number(i + 1);
        state.InAddMode = c.add;
        state.InUpdateMode = c.update;
        ui.MenuItem_ListView->setEnabled(!c.enabled);
        MenuItem_ViewClick(state, ui);
        EXPECT_EQ(ui.MenuItem_ListView->isEnabled(), c.enabled)
            << c.key << "/" << c.unique << " table " << c.tablePage << " records " << c.records;
    }
}

TEST_F(MenuStates, ToolsMenuShowsThePageItems)
{
    struct Case {
        bool tablePage;
        const char* table;
    } cases[] = {{true, "customers"}, {false, "customers"}, {true, ""}, {false, ""}};
    // The window definition hides Build Data, and Qt reports a hidden item as disabled.
    ui.MenuItem_BuildData->setVisible(true);
    for (const Case& c : cases) {
        c.tablePage ? showTablePage() : showSqlPage();
        state.CurrentTable = QString::fromUtf8(c.table);
        MenuItem_ToolsClick(state, ui);
        EXPECT_EQ(ui.MenuItem_AllowLowerCase->isVisible(), c.tablePage);
        EXPECT_EQ(ui.MenuItem_DefaultNulls->isVisible(), c.tablePage);
        EXPECT_EQ(ui.MenuItem_ShowFieldNames->isVisible(), !c.tablePage);
        EXPECT_EQ(ui.MenuItem_BuildData->isEnabled(), !state.CurrentTable.isEmpty());
    }
}

TEST_F(MenuStates, ViewTogglesFollowTheCheckMarks)
{
    // Qt flips a checkable item before the handler runs: trigger() is the user's click.
    ASSERT_TRUE(ui.MenuItem_ToolBar->isChecked());
    ASSERT_TRUE(ui.MenuItem_StatusBar->isChecked());
    QObject::connect(ui.MenuItem_ToolBar, &QAction::triggered, [this] { MenuItem_ToolBarClick(ui, ui.MenuItem_ToolBar); });
    QObject::connect(ui.MenuItem_StatusBar, &QAction::triggered, [this] { MenuItem_ToolBarClick(ui, ui.MenuItem_StatusBar); });
    QObject::connect(ui.MenuItem_IncludeCommands, &QAction::triggered,
                     [this] { MenuItem_ToolBarClick(ui, ui.MenuItem_IncludeCommands); });

    showSqlPage();
    ui.MenuItem_ToolBar->trigger();
    EXPECT_FALSE(ui.MenuItem_ToolBar->isChecked());
    EXPECT_TRUE(ui.Panel_Menu->isHidden());
    EXPECT_TRUE(ui.Panel_Center->isVisible()) << "the SQL page's buttons stay";
    ui.MenuItem_ToolBar->trigger();
    EXPECT_FALSE(ui.Panel_Menu->isHidden());

    ui.MenuItem_StatusBar->trigger();
    EXPECT_TRUE(ui.StatusBar->isHidden());
    ui.MenuItem_StatusBar->trigger();
    EXPECT_TRUE(ui.StatusBar->isVisible());

    const bool include = ui.MenuItem_IncludeCommands->isChecked();
    ui.MenuItem_IncludeCommands->trigger();
    EXPECT_NE(ui.MenuItem_IncludeCommands->isChecked(), include);
    EXPECT_FALSE(ui.Panel_Menu->isHidden());

    // Any other sender is ignored.
    ui.MenuItem_ToolBar->setChecked(false);
    MenuItem_ToolBarClick(ui, ui.MenuItem_ListView);
    MenuItem_ToolBarClick(ui, nullptr);
    EXPECT_FALSE(ui.Panel_Menu->isHidden());
}

TEST_F(MenuStates, AllowLowerCaseSetsTheCaseOfTheTablePageEdits)
{
    QWidget* page = ui.ScrollBox->widget();
    auto* name = new TBVMaskEdit(page);
    name->FieldName = QStringLiteral("name");
    auto* rowid = new TBVMaskEdit(page);
    rowid->FieldName = QStringLiteral("rowid");
    rowid->setCharCase(TEditCharCase::Lower);
    TBVMaskEdit elsewhere(nullptr);  // not on the Table page

    showTablePage();
    ui.MenuItem_AllowLowerCase->setChecked(false);
    MenuItem_ToolBarClick(ui, ui.MenuItem_AllowLowerCase);
    EXPECT_EQ(name->charCase(), TEditCharCase::Upper);
    EXPECT_EQ(rowid->charCase(), TEditCharCase::Lower) << "a rowid edit keeps its case";
    EXPECT_EQ(elsewhere.charCase(), TEditCharCase::Normal);

    // A stored value is shown as it is; what the user adds takes the rule.
    name->setText(QStringLiteral("smith"));
    EXPECT_EQ(name->text(), QStringLiteral("smith"));
    name->insert(QStringLiteral("son"));
    EXPECT_EQ(name->text(), QStringLiteral("smithSON"));

    ui.MenuItem_AllowLowerCase->setChecked(true);
    MenuItem_ToolBarClick(ui, ui.MenuItem_AllowLowerCase);
    EXPECT_EQ(name->charCase(), TEditCharCase::Normal);
    EXPECT_EQ(rowid->charCase(), TEditCharCase::Normal) << "turned on, every edit";
    name->setText(QStringLiteral("smith"));
    EXPECT_EQ(name->text(), QStringLiteral("smith"));
}

TEST_F(MenuStates, HiddenItemsAndExit)
{
    for (QAction* a : {ui.MenuItem_PrintSetup, ui.MenuItem_Print, ui.MenuItem_IncludeCommands})
        EXPECT_FALSE(a->isVisible()) << a->objectName().toStdString();
    EXPECT_TRUE(window.isVisible());
    MenuItem_ExitClick(window);
    EXPECT_FALSE(window.isVisible());
}
