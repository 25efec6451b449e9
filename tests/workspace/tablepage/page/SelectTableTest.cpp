#include "Fixture.h"

#include "app/ConnectionStatus.h"
#include "app/Options.h"
#include "components/BVMaskEdit.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/SelectTable.h"

#include "ui_SelectTable.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;

namespace {

// Plays the user in the chooser: picks a row by its text (or none) and presses a button.
struct Chooser {
    enum Press { Ok, Cancel, DoubleClick, Escape, CloseBox };
    QString pick;   // empty: leave the selection as shown
    Press press = Ok;
    bool clearSelection = false;
    QStringList listed;
    QString preselected;
    int shown = 0;

    Answer operator()(const Request& r)
    {
        auto* dlg = qobject_cast<TForm_SelectTable*>(r.window);
        if (r.kind != Kind::Window || !dlg) {
            ADD_FAILURE() << "unexpected modal run: " << r.caption.toStdString() << " " << r.text.toStdString();
            return {};
        }
        ++shown;
        QListWidget* list = dlg->ui()->ListBox_TableName;
        for (int i = 0; i < list->count(); ++i)
            listed << list->item(i)->text();
        if (list->currentItem() && list->currentItem()->isSelected())
            preselected = list->currentItem()->text();
        if (clearSelection)
            list->clearSelection();
        if (!pick.isEmpty()) {
            const auto found = list->findItems(pick, Qt::MatchExactly);
            EXPECT_EQ(found.size(), 1) << pick.toStdString();
            if (!found.isEmpty())
                list->setCurrentItem(found.first());
        }
        switch (press) {
        case Ok: QTest::mouseClick(dlg->ui()->BitBtn_OK, Qt::LeftButton); break;
        case Cancel: QTest::mouseClick(dlg->ui()->BitBtn_Cancel, Qt::LeftButton); break;
        case Escape: QTest::keyClick(list, Qt::Key_Escape); break;
        case DoubleClick: {
            QListWidgetItem* item = list->currentItem();
            if (item) emit list->itemDoubleClicked(item);
            break;
        }
        case CloseBox: break;  // the window is closed by the seam's answer; neither handler runs
        }
        return {QDialog::Rejected};
    }
};

class SelectTableTest : public PageFixture {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        home = std::make_unique<testsupport::TempHome>();
        recreate(QStringLiteral("customers"),
                 QStringLiteral("customer_id INTEGER PRIMARY KEY AUTOINCREMENT, name varchar(40), city varchar(30)"));
        recreate(QStringLiteral("orders"), QStringLiteral("order_id integer, \"order date\" date, note text"));
        state.TableNames = {QStringLiteral("customers"), QStringLiteral("orders")};
        state.SerialFields << QStringLiteral("CUSTOMERS=CUSTOMER_ID");
        QPixmap minus(16, 16);
        minus.fill(Qt::red);
        ui.Image_SQLMinus->setPixmap(minus);
    }

    void choose(Chooser& user)
    {
        platform::modal::ScopedResponder responder(std::ref(user));
        MenuItem_SelectTableClick(*env);
    }

    void pretendRecordsAndAppendedSql()
    {
        state.AppendedSql = QStringLiteral("AND 1=1");
        ui.BitBtn_AppendSQL->setToolTip(state.AppendedSql);
        state.RecordKeys = {QStringLiteral("1"), QStringLiteral("2")};
        state.InUpdateMode = true;
        for (QPushButton* b : {ui.BitBtn_Update, ui.BitBtn_Remove, ui.BitBtn_Next, ui.BitBtn_Last})
            b->setEnabled(true);
        for (QAction* a : {ui.MenuItem_Update, ui.MenuItem_Remove, ui.MenuItem_Next, ui.MenuItem_Last})
            a->setEnabled(true);
    }

    std::unique_ptr<testsupport::TempHome> home;
};

TEST_F(SelectTableTest, ChoosingANewTableBuildsThePage)
{
    platform::IniFile(kQuorvelIni).writeString(QStringLiteral("Sort Order"), QStringLiteral("orders"),
                                               QStringLiteral("order_id DESC"));
    pretendRecordsAndAppendedSql();
    Chooser user{QStringLiteral("orders")};
    choose(user);

    EXPECT_EQ(user.listed, QStringList({"customers", "orders"}));
    EXPECT_EQ(state.CurrentTable, QStringLiteral("orders"));
    EXPECT_EQ(state.OrderBy, QStringLiteral("order_id DESC"));
    EXPECT_TRUE(state.UseSortOrder);
    EXPECT_TRUE(state.AppendedSql.isEmpty());
    EXPECT_TRUE(ui.BitBtn_AppendSQL->toolTip().isEmpty());
    EXPECT_FALSE(ui.BitBtn_AppendSQL->icon().isNull());
    EXPECT_NE(control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_orderdate")), nullptr);
    EXPECT_TRUE(state.RecordKeys.isEmpty());
    EXPECT_FALSE(state.InQueryMode || state.InAddMode || state.InUpdateMode);
    for (QPushButton* b : {ui.BitBtn_FindField, ui.BitBtn_SortOrder, ui.BitBtn_Query, ui.BitBtn_QuickQuery, ui.BitBtn_Add})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    for (QPushButton* b : {ui.BitBtn_First, ui.BitBtn_Previous, ui.BitBtn_Next, ui.BitBtn_Last, ui.BitBtn_Execute,
                           ui.BitBtn_Cancel, ui.BitBtn_Update, ui.BitBtn_Remove})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QAction* a : {ui.MenuItem_First, ui.MenuItem_Previous, ui.MenuItem_Next, ui.MenuItem_Last, ui.MenuItem_Execute,
                       ui.MenuItem_Cancel, ui.MenuItem_Update, ui.MenuItem_Remove})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(ui.MenuItem_Query->isEnabled() && ui.MenuItem_Add->isEnabled());
    EXPECT_EQ(panel0.text(), QStringLiteral("ORDERS   Record  0 of 0          ") + GetConnectionText(state, nullptr));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorvel   ORDERS"));
    EXPECT_TRUE(ui.BitBtn_Query->hasFocus() || !window.isActiveWindow());
    // orders has no key column: no Quick Query; customers has one through SERIALFIELDS.
    EXPECT_FALSE(ui.BitBtn_QuickQuery->isVisibleTo(&window));

    Chooser second{QStringLiteral("customers")};
    choose(second);
    EXPECT_EQ(second.preselected, QStringLiteral("orders"));
    EXPECT_TRUE(ui.BitBtn_QuickQuery->isVisibleTo(&window));
    EXPECT_FALSE(state.UseSortOrder);
    EXPECT_TRUE(state.OrderBy.isEmpty());
    EXPECT_NE(state.KeyControl, nullptr);
}

TEST_F(SelectTableTest, SameTableCancelAndNoSelectionKeepThePage)
{
    Chooser first{QStringLiteral("customers")};
    choose(first);
    QWidget* builtName = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_name"));
    ASSERT_NE(builtName, nullptr);
    platform::IniFile(kQuorvelIni).writeString(QStringLiteral("SORT ORDER"), QStringLiteral("customers"),
                                               QStringLiteral("name"));

    struct Case {
        const char* what;
        Chooser user;
        bool sortOrderRead;
    };
    Case cases[] = {
        {"same table", Chooser{QStringLiteral("customers")}, true},
        {"double click on the same table", Chooser{QStringLiteral("customers"), Chooser::DoubleClick}, true},
        {"cancel", Chooser{QStringLiteral("orders"), Chooser::Cancel}, false},
        {"escape", Chooser{QStringLiteral("orders"), Chooser::Escape}, false},
        {"OK with nothing selected", Chooser{QString(), Chooser::Ok, true}, true},
        {"close box", Chooser{QStringLiteral("orders"), Chooser::CloseBox}, true},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        state.OrderBy = QStringLiteral("stale");
        state.UseSortOrder = true;
        pretendRecordsAndAppendedSql();
        choose(c.user);
        EXPECT_EQ(c.user.shown, 1);
        EXPECT_EQ(state.CurrentTable, QStringLiteral("customers"));
        EXPECT_EQ(control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_name")), builtName);
        EXPECT_TRUE(state.AppendedSql.isEmpty());
        EXPECT_EQ(state.RecordKeys.size(), 2);
        EXPECT_TRUE(state.InUpdateMode);
        EXPECT_TRUE(ui.BitBtn_Update->isEnabled());
        EXPECT_EQ(state.OrderBy, c.sortOrderRead ? QStringLiteral("name") : QStringLiteral("stale"));
        EXPECT_TRUE(state.UseSortOrder);
        EXPECT_TRUE(ui.BitBtn_QuickQuery->isVisibleTo(&window));
    }
}

TEST_F(SelectTableTest, OracleNamesAreUpperCase)
{
    dbObj.DBType = QStringLiteral("ORACLE");
    state.TableNames = {QStringLiteral("Customers"), QStringLiteral("orders")};
    state.CurrentTable = QStringLiteral("orders");
    Chooser user{QString(), Chooser::Cancel};
    choose(user);
    EXPECT_EQ(user.listed, QStringList({"CUSTOMERS", "ORDERS"}));
    EXPECT_EQ(user.preselected, QStringLiteral("ORDERS"));
}

TEST_F(SelectTableTest, FailedBuildLeavesNoLiveRecords)
{
    Chooser first{QStringLiteral("customers")};
    choose(first);
    pretendRecordsAndAppendedSql();
    ui.BitBtn_Execute->setEnabled(true);
    ui.MenuItem_Execute->setEnabled(true);
    state.TableNames << QStringLiteral("vanished");

    Chooser user{QStringLiteral("vanished")};
    {
        platform::modal::ScopedResponder responder(std::ref(user));
        EXPECT_ANY_THROW(MenuItem_SelectTableClick(*env));
    }
    EXPECT_EQ(state.CurrentTable, QStringLiteral("vanished"));
    EXPECT_TRUE(state.RecordKeys.isEmpty());
    EXPECT_FALSE(state.InUpdateMode);
    for (QPushButton* b : {ui.BitBtn_Update, ui.BitBtn_Remove, ui.BitBtn_First, ui.BitBtn_Previous, ui.BitBtn_Next,
                           ui.BitBtn_Last, ui.BitBtn_Execute, ui.BitBtn_Cancel, ui.BitBtn_Query, ui.BitBtn_Add})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    for (QAction* a : {ui.MenuItem_Update, ui.MenuItem_Remove, ui.MenuItem_First, ui.MenuItem_Previous,
                       ui.MenuItem_Next, ui.MenuItem_Last, ui.MenuItem_Execute, ui.MenuItem_Query})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(ui.ScrollBox->isVisible());
    EXPECT_EQ(state.KeyControl, nullptr);
    EXPECT_EQ(state.UniqueControl, nullptr);

    // A later good choice brings the page back.
    Chooser again{QStringLiteral("orders")};
    choose(again);
    EXPECT_TRUE(ui.ScrollBox->isVisible());
    EXPECT_TRUE(ui.BitBtn_Query->isEnabled());
}

} // namespace
