#include "workspace/MainWindow.h"
#include "workspace/PageControl.h"
#include "workspace/tablepage/SelectTable.h"
#include "workspace/tablepage/TablePage.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"

#include "ui_Main.h"
#include "ui_SelectTable.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

namespace {

class MainWindow : public ::testing::Test {
protected:
    testsupport::TempHome home;
    platform::modal::ScopedResponder responder{[](const platform::modal::Request&) {
        return platform::modal::Answer{};
    }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();

    void showAt(int width, int height)
    {
        form.show();
        form.resize(width, height);
        QCoreApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    void switchTo(int page)
    {
        ui.PageControl->setCurrentIndex(page);
        QCoreApplication::processEvents();
    }
    // The window's datasets on the SQLite test database, with a table "customers".
    void connectCustomers()
    {
        form.Database.setDatabaseName(QStringLiteral("mainwindow_db"));
        form.Database.setAliasName(testsupport::sqliteDsn());
        form.Database.setConnected(true);
        for (platform::engine::DataSet* set : std::initializer_list<platform::engine::DataSet*>{
                 &form.Table, &form.Table2, &form.Query, &form.Query1, &form.Query2, &form.ADOQuery})
            set->setDatabaseName(form.Database.databaseName());
        for (const char* sql : {"DROP TABLE IF EXISTS customers",
                                "CREATE TABLE customers (id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(40),"
                                " city VARCHAR(30), born DATE, balance FLOAT, notes TEXT, picture BLOB)"}) {
            platform::engine::Query q;
            q.setDatabaseName(form.Database.databaseName());
            q.sql() << QString::fromUtf8(sql);
            q.execSQL();
        }
        db.DBType = QStringLiteral("ACCESS");
        db.DataSource = testsupport::sqliteDsn();
        form.state().CurrentDatabase = &db;
        form.state().TableNames = QStringList{QStringLiteral("customers")};
    }
    void TearDown() override { form.state().CurrentDatabase = nullptr; }

    TDataBaseObj db;
};

TEST_F(MainWindow, ToolBarStartsAsLaidOut)
{
    struct Button {
        QPushButton* button;
        int left;
        const char* hint;
        bool enabled;
        bool hidden;
    };
    const Button buttons[] = {
        {ui.BitBtn_Query, 4, "Query", false, false},
        {ui.BitBtn_QuickQuery, 32, "Quick Query", false, false},
        {ui.BitBtn_First, 71, "First", false, false},
        {ui.BitBtn_Previous, 98, "Previous", false, false},
        {ui.BitBtn_Next, 125, "Next", false, false},
        {ui.BitBtn_Last, 152, "Last", false, false},
        {ui.BitBtn_Add, 193, "Add", false, false},
        {ui.BitBtn_Update, 220, "Update", false, false},
        {ui.BitBtn_Remove, 247, "Remove", false, false},
        {ui.BitBtn_SortOrder, 287, "Set Sort Order", false, false},
        {ui.BitBtn_FindField, 315, "Find Field", false, false},
        {ui.BitBtn_SelectTable, 378, "Select Table", true, false},
        {ui.BitBtn_AppendSQL, 439, "", true, false},
        {ui.BitBtn_Preview, 500, "Print Preview", true, true},
        {ui.BitBtn_Print, 527, "Print", true, true},
        {ui.BitBtn_gen_node, 568, "Edit gen_node records", true, true},
        {ui.BitBtn_Execute, 719, "Execute", false, false},
        {ui.BitBtn_Cancel, 747, "Cancel", false, false},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.button->objectName().toStdString());
        EXPECT_EQ(b.button->parentWidget(), ui.Panel_Menu);
        EXPECT_EQ(b.button->x(), b.left);
        EXPECT_EQ(b.button->y(), 5);
        EXPECT_EQ(b.button->size(), QSize(27, b.button == ui.BitBtn_AppendSQL ? 26 : 25));
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf8(b.hint));
        // The hint is a tool tip only: it never takes the status bar's text.
        EXPECT_EQ(b.button->statusTip(), QString());
        EXPECT_EQ(b.button->isEnabled(), b.enabled);
        EXPECT_EQ(b.button->isHidden(), b.hidden);
    }
    // Nor does a hint set later (Append SQL shows its text there).
    ui.BitBtn_AppendSQL->setToolTip(QStringLiteral("AND city = 'Boston'"));
    EXPECT_EQ(ui.BitBtn_AppendSQL->statusTip(), QString());
    EXPECT_EQ(ui.BitBtn_Query->text(), "Q");
    EXPECT_EQ(ui.BitBtn_QuickQuery->text(), "QQ");
    EXPECT_EQ(ui.BitBtn_Query->font().pixelSize(), 19);
    EXPECT_TRUE(ui.BitBtn_Query->font().bold());
    EXPECT_EQ(ui.BitBtn_Query->palette().color(QPalette::Active, QPalette::ButtonText), QColor(128, 0, 128));
    // Disabled at start, so it must not show its purple caption.
    EXPECT_NE(ui.BitBtn_Query->palette().color(QPalette::Disabled, QPalette::ButtonText), QColor(128, 0, 128));
    // Append SQL starts with the minus picture; both pictures are there, hidden.
    EXPECT_TRUE(ui.Image_SQLPlus->isHidden());
    EXPECT_TRUE(ui.Image_SQLMinus->isHidden());
    EXPECT_FALSE(ui.Image_SQLPlus->pixmap().isNull());
    EXPECT_EQ(ui.BitBtn_AppendSQL->icon().pixmap(16, 16).toImage(), ui.Image_SQLMinus->pixmap().toImage());
    EXPECT_NE(ui.Image_SQLPlus->pixmap().toImage(), ui.Image_SQLMinus->pixmap().toImage());
    EXPECT_TRUE(ui.Label_Width->isHidden());
    EXPECT_TRUE(ui.Label_Width->font().bold());
    EXPECT_TRUE(ui.Panel_Menu->findChild<TBVLabel*>("Label_Width"));
}

TEST_F(MainWindow, SqlPageButtonsAndBusyPanel)
{
    struct Button {
        QPushButton* button;
        int left, width;
        const char* caption;
        const char* hint;
        bool hidden;
    };
    const Button buttons[] = {
        {ui.BitBtn_CodeFormat, 17, 65, "&Format", "", true},
        {ui.BitBtn_AddFields, 83, 65, "&Add Fields", "", true},
        {ui.BitBtn_Execute2, 253, 75, "Execute", "Execute Query", false},
        {ui.BitBtn_Select, 413, 50, "&Select", "", false},
        {ui.BitBtn_Update2, 464, 50, "&Update", "", false},
        {ui.BitBtn_Insert, 515, 50, "&Insert", "", false},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.button->objectName().toStdString());
        EXPECT_EQ(b.button->parentWidget(), ui.Panel_Center);
        EXPECT_EQ(b.button->geometry(), QRect(b.left, 5, b.width, 25));
        EXPECT_EQ(b.button->text(), QString::fromUtf8(b.caption));
        EXPECT_EQ(b.button->toolTip(), QString::fromUtf8(b.hint));
        EXPECT_EQ(b.button->isHidden(), b.hidden);
    }
    EXPECT_EQ(ui.Panel_Center->width(), 581);
    EXPECT_EQ(ui.Image_Clear->size(), QSize(105, 105));

    EXPECT_TRUE(ui.Panel_Stop->isHidden());
    EXPECT_EQ(ui.Panel_Stop->size(), QSize(223, 105));
    EXPECT_EQ(ui.Panel_Executing->geometry(), QRect(4, 4, 215, 97));
    EXPECT_EQ(ui.Label_Executing->text(), "  Executing Query           Please Wait...");
    EXPECT_TRUE(ui.Label_Executing->wordWrap());
    EXPECT_EQ(ui.BitBtn_Stop->text(), "&Stop");
    EXPECT_EQ(ui.BitBtn_Stop->geometry(), QRect(70, 56, 77, 33));
    EXPECT_EQ(ui.BitBtn_Stop->focusPolicy(), Qt::NoFocus);
}

QStringList itemTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

TEST_F(MainWindow, PopupMenus)
{
    EXPECT_EQ(itemTexts(ui.PopupMenu_RE),
              (QStringList{"Open", "Save", "-", "Clear", "Select All", "-", "Copy", "Cut", "Paste", "-", "Find",
                           "Replace", "-", "Set Font...", "-", "Print..."}));
    EXPECT_EQ(itemTexts(ui.PopupMenu_Images),
              (QStringList{"Load Image", "Set Image Null", "-", "Save Image To File"}));
    EXPECT_EQ(ui.Memo_SQL->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(ui.Memo_Results->contextMenuPolicy(), Qt::CustomContextMenu);
}

enum class Rule { Shown, Hidden, Kept };

struct PageRule {
    QAction* Ui::TForm_Main::*item;
    Rule table;
    Rule sql;
};

const PageRule kRules[] = {
    {&Ui::TForm_Main::N1, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::N7, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_SelectTable, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_DefaultNulls, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Query, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Add, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Update, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Remove, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_First, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Previous, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Next, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Last, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Execute, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Cancel, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_AllowLowerCase, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_SQLViewer, Rule::Shown, Rule::Hidden},
    {&Ui::TForm_Main::N12, Rule::Hidden, Rule::Shown},
    {&Ui::TForm_Main::N6, Rule::Hidden, Rule::Shown},
    {&Ui::TForm_Main::MenuItem_Open, Rule::Hidden, Rule::Shown},
    {&Ui::TForm_Main::MenuItem_Save, Rule::Hidden, Rule::Shown},
    {&Ui::TForm_Main::MenuItem_Execute2, Rule::Hidden, Rule::Shown},
    {&Ui::TForm_Main::N4, Rule::Shown, Rule::Shown},
    {&Ui::TForm_Main::N5, Rule::Shown, Rule::Shown},
    {&Ui::TForm_Main::MenuItem_ShowFieldNames, Rule::Shown, Rule::Shown},
    {&Ui::TForm_Main::N8, Rule::Hidden, Rule::Hidden},
    {&Ui::TForm_Main::N9, Rule::Hidden, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_IncludeCommands, Rule::Hidden, Rule::Hidden},
    {&Ui::TForm_Main::MenuItem_Execute3, Rule::Hidden, Rule::Hidden},
    {&Ui::TForm_Main::N2, Rule::Shown, Rule::Kept},
    {&Ui::TForm_Main::MenuItem_PrintPreview, Rule::Kept, Rule::Hidden},
    // Items of neither page are never touched.
    {&Ui::TForm_Main::MenuItem_Exit, Rule::Kept, Rule::Kept},
    {&Ui::TForm_Main::MenuItem_BuildData, Rule::Kept, Rule::Kept},
};

TEST_F(MainWindow, PageSwitchShowsTheItemsOfThePage)
{
    // Each item starts shown and then hidden, so a kept state shows as either.
    for (const bool startVisible : {true, false}) {
        for (const int page : {1, 0}) {
            for (const PageRule& r : kRules)
                (ui.*r.item)->setVisible(startVisible);
            switchTo(page == 1 ? 0 : 1);  // leave the page first, then apply the rule by switching
            for (const PageRule& r : kRules)
                (ui.*r.item)->setVisible(startVisible);
            switchTo(page);
            for (const PageRule& r : kRules) {
                SCOPED_TRACE((ui.*r.item)->objectName().toStdString() + " page " + std::to_string(page)
                             + (startVisible ? " from shown" : " from hidden"));
                const Rule rule = page == 0 ? r.table : r.sql;
                const bool expected = rule == Rule::Kept ? startVisible : rule == Rule::Shown;
                EXPECT_EQ((ui.*r.item)->isVisible(), expected);
            }
        }
    }
}

TEST_F(MainWindow, PanelWidthsFollowPageAndSize)
{
    EXPECT_EQ(form.panelWidth(0), 792);
    EXPECT_EQ(form.statusPanel(1)->width(), 0);
    showAt(900, 600);
    EXPECT_EQ(form.panelWidth(0), 900);
    EXPECT_EQ(form.statusPanel(1)->width(), 0);

    switchTo(1);
    EXPECT_EQ(form.panelWidth(0), ui.PageControl->width() - 100);
    EXPECT_EQ(form.statusPanel(1)->width(), ui.StatusBar->width() - form.panelWidth(0));
    form.resize(1000, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.panelWidth(0), 900);
    EXPECT_EQ(form.statusPanel(1)->width(), 100);
    // The button row stays centred on the window; Execute and Cancel keep to the tool bar's edge.
    EXPECT_EQ(ui.Panel_Center->x(), (form.frameGeometry().width() - 581) / 2);
    EXPECT_EQ(ui.BitBtn_Cancel->x(), ui.Panel_Menu->width() - 35);
    EXPECT_EQ(ui.BitBtn_Execute->x(), ui.Panel_Menu->width() - 63);

    form.setPanelText(1, QStringLiteral("1: 1"));
    switchTo(0);
    EXPECT_EQ(form.panelWidth(0), ui.PageControl->width());
    EXPECT_EQ(form.statusPanel(1)->width(), 0);
    EXPECT_EQ(form.panelText(1), QString());
    form.resize(850, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.panelWidth(0), 850);
}

TEST(PageStatusText, TableRecordAndConnection)
{
    const QString conn = QStringLiteral("[SQLITE]     [DATA SOURCE = demo]     ");
    struct Case {
        const char* table;
        QStringList keys;
        int index;
        bool tablePage;
        QString expected;
    };
    const Case cases[] = {
        {"", {}, -1, true, conn},
        {"", {"1"}, 0, true, conn},
        {"customers", {}, -1, true, "CUSTOMERS  Record  0 of 0          " + conn},
        {"customers", {"4", "7", "9"}, 1, true, "CUSTOMERS  Record  2 of 3          " + conn},
        {"Order Items", {"1"}, 0, true, "ORDER ITEMS  Record  1 of 1          " + conn},
        {"customers", {"4", "7", "9"}, 1, false, conn},
    };
    for (const Case& c : cases) {
        MainState state;
        state.CurrentTable = QString::fromUtf8(c.table);
        state.RecordKeys = c.keys;
        state.RecordIndex = c.index;
        EXPECT_EQ(PageStatusText(state, c.tablePage, conn), c.expected) << c.table;
    }
}

TEST_F(MainWindow, SwitchingBackShowsTheRecordNumber)
{
    MainState& state = form.state();
    state.CurrentTable = QStringLiteral("orders");
    state.RecordKeys = QStringList{"10", "11", "12", "13"};
    state.RecordIndex = 2;
    switchTo(1);
    EXPECT_EQ(form.panelText(0), form.GetConnectionText());
    EXPECT_TRUE(ui.Memo_SQL->hasFocus() || !form.isActiveWindow());
    switchTo(0);
    EXPECT_EQ(form.panelText(0), "ORDERS  Record  3 of 4          " + form.GetConnectionText());

    state.RecordKeys.clear();
    state.RecordIndex = -1;
    switchTo(1);
    switchTo(0);
    EXPECT_EQ(form.panelText(0), "ORDERS  Record  0 of 0          " + form.GetConnectionText());
}

// Resting the pointer on a tool-bar button leaves the record counter and connection text shown.
TEST_F(MainWindow, ButtonHintsLeaveTheStatusBar)
{
    showAt(798, 606);
    QLabel* panel = form.statusPanel(0);
    ASSERT_TRUE(panel);
    panel->setText(QStringLiteral("CUSTOMERS  Record  1 of 3          qv_sqlite"));
    ui.BitBtn_AppendSQL->setToolTip(QStringLiteral("AND city = 'Boston'"));
    for (QPushButton* button : {ui.BitBtn_SelectTable, ui.BitBtn_AppendSQL, ui.BitBtn_Query}) {
        QTest::mouseMove(button);
        QEnterEvent enter(QPointF(3, 3), button->mapTo(&form, QPointF(3, 3)), button->mapToGlobal(QPointF(3, 3)));
        QCoreApplication::sendEvent(button, &enter);
        QCoreApplication::processEvents();
        EXPECT_EQ(ui.StatusBar->currentMessage(), QString()) << button->objectName().toStdString();
        EXPECT_TRUE(panel->isVisible());
        EXPECT_EQ(panel->text(), QStringLiteral("CUSTOMERS  Record  1 of 3          qv_sqlite"));
    }
    // The status bar's own tool tip is the connection text.
    EXPECT_EQ(ui.StatusBar->toolTip(), form.GetConnectionText());
}

TEST_F(MainWindow, SetButtons)
{
    MainState& state = form.state();
    state.RecordShown = true;
    QPushButton* const six[] = {ui.BitBtn_Update, ui.BitBtn_Remove, ui.BitBtn_First,
                                ui.BitBtn_Previous, ui.BitBtn_Next, ui.BitBtn_Last};
    for (QPushButton* b : six)
        b->setEnabled(true);
    SetButtons(state, ui);
    for (QPushButton* b : six)
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();

    // With keys: Update and Remove come on, the navigation buttons go by the shown record.
    state.RecordKeys = QStringList{"1", "2", "3"};
    struct Case {
        int index;
        bool back, forward;
    };
    for (const Case& c : {Case{0, false, true}, Case{1, true, true}, Case{2, true, false}}) {
        state.RecordIndex = c.index;
        SetButtons(state, ui);
        EXPECT_TRUE(ui.BitBtn_Update->isEnabled());
        EXPECT_TRUE(ui.BitBtn_Remove->isEnabled());
        EXPECT_EQ(ui.BitBtn_First->isEnabled(), c.back) << c.index;
        EXPECT_EQ(ui.BitBtn_Previous->isEnabled(), c.back) << c.index;
        EXPECT_EQ(ui.BitBtn_Next->isEnabled(), c.forward) << c.index;
        EXPECT_EQ(ui.BitBtn_Last->isEnabled(), c.forward) << c.index;
    }
    // A failed display cleared the page: keys remain, but nothing is there to update or remove.
    state.RecordShown = false;
    state.RecordIndex = 1;
    SetButtons(state, ui);
    EXPECT_FALSE(ui.BitBtn_Update->isEnabled());
    EXPECT_FALSE(ui.BitBtn_Remove->isEnabled());
    EXPECT_TRUE(ui.BitBtn_Next->isEnabled());

    // The query commands are not SetButtons' business.
    ui.BitBtn_Query->setEnabled(true);
    state.RecordKeys.clear();
    SetButtons(state, ui);
    EXPECT_TRUE(ui.BitBtn_Query->isEnabled());
}

TEST_F(MainWindow, WheelScrollsTheTablePageBy32)
{
    ui.ScrollBoxContents->setMinimumHeight(3000);
    showAt(798, 606);
    QScrollBar* bar = ui.ScrollBox->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 400);

    struct Case {
        int start, delta, expected;
    };
    const Case cases[] = {
        {100, 120, 68}, {100, -120, 132}, {100, 0, 132}, {10, 120, 0}, {0, 120, 0}, {100, 240, 68},
    };
    for (const Case& c : cases) {
        bar->setValue(c.start);
        ScrollBoxMouseWheel(ui, c.delta);
        EXPECT_EQ(bar->value(), c.expected) << c.start << " " << c.delta;
    }
    bar->setValue(bar->maximum() - 5);
    ScrollBoxMouseWheel(ui, -120);
    EXPECT_EQ(bar->value(), bar->maximum());

    // Real wheel events: over the scroll box, and on the window from the SQL page.
    auto wheel = [](QWidget* target, int delta) {
        const QPointF at(20, 20);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &event);
    };
    bar->setValue(200);
    wheel(ui.ScrollBox->viewport(), -120);
    EXPECT_EQ(bar->value(), 232);
    wheel(ui.ScrollBox->viewport(), 120);
    EXPECT_EQ(bar->value(), 200);
    switchTo(1);
    wheel(&form, -120);
    EXPECT_EQ(bar->value(), 232);
}

// The tool-bar button and the menu item both reach Select Table, which builds the page.
TEST_F(MainWindow, SelectTableFromButtonAndMenu)
{
    showAt(798, 606);
    connectCustomers();
    int dialogs = 0;
    platform::modal::ScopedResponder chooser([&](const platform::modal::Request& r) {
        auto* dlg = qobject_cast<TForm_SelectTable*>(r.window);
        EXPECT_NE(dlg, nullptr);
        if (dlg) {
            ++dialogs;
            QListWidget* list = dlg->ui()->ListBox_TableName;
            const auto found = list->findItems(QStringLiteral("customers"), Qt::MatchExactly);
            if (!found.isEmpty())
                list->setCurrentItem(found.first());
            QTest::mouseClick(dlg->ui()->BitBtn_OK, Qt::LeftButton);
        }
        return platform::modal::Answer{};
    });
    QTest::mouseClick(ui.BitBtn_SelectTable, Qt::LeftButton);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(form.state().CurrentTable, QStringLiteral("customers"));
    EXPECT_NE(ui.ScrollBox->widget()->findChild<QWidget*>(QStringLiteral("BVMaskEdit_name")), nullptr);
    EXPECT_TRUE(ui.BitBtn_Query->isEnabled());
    EXPECT_FALSE(ui.BitBtn_Update->isEnabled());

    ui.MenuItem_SelectTable->trigger();
    EXPECT_EQ(dialogs, 2);
    switchTo(1);
    switchTo(0);
    EXPECT_EQ(form.panelText(0), "CUSTOMERS  Record  0 of 0          " + form.GetConnectionText());
}

// Under Xvfb, with QV_SCREENSHOT_DIR set: pictures of both pages for a person to look at.
TEST_F(MainWindow, Screenshots)
{
    const QString dir = qEnvironmentVariable("QV_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "QV_SCREENSHOT_DIR not set";
    showAt(798, 606);
    connectCustomers();
    form.state().CurrentTable = QStringLiteral("customers");
    TablePageEnv env = form.tablePageEnv();
    BuildTablePage(env);
    ui.BitBtn_Query->setEnabled(true);
    ui.BitBtn_QuickQuery->setEnabled(true);
    ui.BitBtn_Add->setEnabled(true);
    form.setPanelText(0, QStringLiteral("CUSTOMERS  Record  0 of 0          ") + form.GetConnectionText());
    QTest::qWait(200);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath("main-table.png")));
    switchTo(1);
    ui.Memo_SQL->setPlainText(QStringLiteral("SELECT * FROM customers"));
    QTest::qWait(200);
    EXPECT_TRUE(form.grab().save(QDir(dir).filePath("main-sql.png")));
}

} // namespace
