// Query by example on the demo database: every record found in each table is shown again by its
// key (serial, unique column, whole clause) without a failure.
#include "Fixture.h"

#include "demo/DemoMaker.h"

namespace {

class Demo : public QbeWindow {
protected:
    void SetUp() override
    {
        QbeWindow::SetUp();
        const QString file = testsupport::runFolder() + QStringLiteral("/qbe-demo.db");
        demo::makeDemo(QStringLiteral(QV_DEMO_SQL), file);
        testsupport::addDataSource(QStringLiteral("qv_qbe_demo"), QStringLiteral("SQLite3"),
                                   {QStringLiteral("Database=") + file});
        connect(QStringLiteral("qv_qbe_demo"), QStringLiteral(""));
        form.state().UniqueFields = {QStringLiteral("PRODUCTS=SKU")};
    }
};

TEST_F(Demo, EveryRecordFoundIsShownAgain)
{
    const struct {
        const char* table;
        const char* keyField;  // the control that shows the key; none for a whole-clause key
    } tables[] = {{"customers", "id"}, {"products", "sku"}, {"orders", "order_no"}, {"visit_log", nullptr}};
    for (const auto& t : tables) {
        SCOPED_TRACE(t.table);
        choose(QString::fromUtf8(t.table));
        QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
        QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
        const QStringList keys = form.state().RecordKeys;
        ASSERT_FALSE(keys.isEmpty());
        for (int i = 0; i < keys.size(); ++i) {
            if (i > 0)
                QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
            EXPECT_TRUE(status().startsWith(QString::fromUtf8(t.table).toUpper() + QStringLiteral("  Record  %1 of %2")
                                                                                       .arg(i + 1)
                                                                                       .arg(keys.size())))
                << status().toStdString();
            if (t.keyField)
                EXPECT_EQ(edit(QString::fromUtf8(t.keyField))->text(), keys[i]);
            else
                EXPECT_TRUE(keys[i].startsWith(QStringLiteral("WHERE "))) << keys[i].toStdString();
        }
        EXPECT_FALSE(ui.BitBtn_Next->isEnabled());
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    }
}

} // namespace
