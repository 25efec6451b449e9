// The Table page of the demo database, chosen through the Select Table command. With
// QV_SCREENSHOT_DIR set, the window is saved there with each page built, for a person to look at.
#include "Fixture.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "demo/DemoMaker.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/SelectTable.h"

#include "ui_SelectTable.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

class DemoPageTest : public PageFixture {
protected:
    void SetUp() override
    {
        ui.setupUi(&window);
        window.resize(798, 606);
        window.show();
        QApplication::processEvents();
        const QString file = testsupport::runFolder() + QStringLiteral("/tablepage-demo.db");
        demo::makeDemo(QStringLiteral(QV_DEMO_SQL), file);
        testsupport::addDataSource(QStringLiteral("qv_tablepage_demo"), QStringLiteral("SQLite3"),
                                   {QStringLiteral("Database=") + file});
        connect(QStringLiteral("qv_tablepage_demo"));
        state.TableNames = {QStringLiteral("customers"), QStringLiteral("orders"), QStringLiteral("order_items"),
                            QStringLiteral("products"), QStringLiteral("visit_log")};
    }

    void choose(const QString& table)
    {
        platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
            auto* dlg = qobject_cast<TForm_SelectTable*>(r.window);
            EXPECT_NE(dlg, nullptr);
            if (dlg) {
                QListWidget* list = dlg->ui()->ListBox_TableName;
                const auto found = list->findItems(table, Qt::MatchExactly);
                EXPECT_EQ(found.size(), 1);
                if (!found.isEmpty())
                    list->setCurrentItem(found.first());
                QTest::mouseClick(dlg->ui()->BitBtn_OK, Qt::LeftButton);
            }
            return platform::modal::Answer{};
        });
        MenuItem_SelectTableClick(*env);
        QApplication::processEvents();
        if (const QByteArray dir = qgetenv("QV_SCREENSHOT_DIR"); !dir.isEmpty())
            window.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("tablepage-") + table + ".png"));
    }
};

TEST_F(DemoPageTest, CustomersAndProducts)
{
    dbObj.DBType = QStringLiteral("ACCESS");  // the serial column is the first auto-increment field
    state.UniqueFields << QStringLiteral("PRODUCTS=SKU");

    choose(QStringLiteral("customers"));
    auto* id = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_id"));
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(state.KeyControl, id);
    EXPECT_EQ(state.KeyColumn, QStringLiteral("id"));
    EXPECT_EQ(id->width(), 88);
    EXPECT_TRUE(ui.BitBtn_QuickQuery->isVisibleTo(&window));
    auto* credit = control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_creditlimit"));
    ASSERT_NE(credit, nullptr);
    EXPECT_EQ(credit->FieldName, QStringLiteral("credit limit"));
    EXPECT_EQ(control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_name"))->width(), 287);
    EXPECT_NE(control<TBVMemo>(QStringLiteral("MMemo_notes")), nullptr);
    EXPECT_EQ(state.FieldSizes.size(), 8);

    // Captions never overlap their data controls.
    for (const auto& [name, column] : state.ColumnList)
        EXPECT_LE(column->LabelEdit->geometry().right(), column->DataControl->x() - 10) << name.toStdString();

    choose(QStringLiteral("products"));
    EXPECT_EQ(state.KeyControl, nullptr);
    EXPECT_FALSE(ui.BitBtn_QuickQuery->isVisibleTo(&window));
    EXPECT_EQ(state.UniqueControl, control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_sku")));
    auto* picture = control<TBVImage>(QStringLiteral("Image_picture"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->x(), 110);
    EXPECT_EQ(state.FieldSizes, QStringList({"12", "40", "0", "0", "0", "2147483647", "4"}));
}

} // namespace
