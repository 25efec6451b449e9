// Query by example on the demo database: every record found in each table is shown again by its
// key (serial, unique column, whole clause) without a failure.
#include "Fixture.h"

#include "demo/DemoMaker.h"

#include <QFile>

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

// The demo's tables without keys, on PostgreSQL: their REAL prices and durations are part of each
// record's key clause, and every record found is shown again.
TEST_F(QbeWindow, DemoTablesWithoutKeysOnPostgreSql)
{
    QV_REQUIRE_PG();
    QFile file(QStringLiteral(QV_DEMO_SQL));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList statements;
    for (const QString& statement : demo::splitStatements(QString::fromUtf8(file.readAll()))) {
        if (statement.contains(QLatin1String("order_items")) || statement.contains(QLatin1String("visit_log")))
            statements << QString(statement).replace(QLatin1String("order_items"), QLatin1String("qbe_demo_items"))
                              .replace(QLatin1String("visit_log"), QLatin1String("qbe_demo_visits"));
    }
    ASSERT_FALSE(statements.isEmpty());
    testsupport::pgExec(QStringLiteral("DROP TABLE IF EXISTS qbe_demo_items, qbe_demo_visits"));
    testsupport::pgExec(statements.join(QStringLiteral(";\n")));
    connectPg();
    for (const char* table : {"qbe_demo_items", "qbe_demo_visits"}) {
        SCOPED_TRACE(table);
        choose(QString::fromUtf8(table));
        ASSERT_TRUE(form.state().KeyColumn.isEmpty());
        QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
        QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
        const QStringList keys = form.state().RecordKeys;
        ASSERT_GE(keys.size(), 5);
        for (int i = 0; i < keys.size(); ++i) {
            if (i > 0)
                QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
            EXPECT_TRUE(status().contains(QStringLiteral("Record  %1 of %2").arg(i + 1).arg(keys.size())))
                << status().toStdString();
            bool shown = false;
            for (QWidget* w : PageControls(ui))
                if (auto* e = qobject_cast<TBVMaskEdit*>(w); e && !e->text().trimmed().isEmpty())
                    shown = true;
            EXPECT_TRUE(shown) << keys[i].toStdString();
        }
        EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    }
}

} // namespace
