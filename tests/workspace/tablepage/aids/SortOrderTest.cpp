#include "tests/workspace/tablepage/aids/Fixture.h"

#include <QListWidget>

namespace {

QStringList items(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

class SortOrder : public ToolsWindow {
protected:
    void SetUp() override
    {
        ToolsWindow::SetUp();
        connectSqlite();
    }

    // A table whose rows come in a different order by each column.
    void makeTable(bool pg = false)
    {
        recreate(QStringLiteral("so_items"),
                 (pg ? QStringLiteral("id SERIAL PRIMARY KEY") : QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT"))
                     + QStringLiteral(", name VARCHAR(10), city VARCHAR(10), \"my col\" INTEGER, notes TEXT"));
        exec({QStringLiteral("INSERT INTO so_items (name, city, \"my col\") VALUES ('b', 'x', 2)"),
              QStringLiteral("INSERT INTO so_items (name, city, \"my col\") VALUES ('a', 'z', 3)"),
              QStringLiteral("INSERT INTO so_items (name, city, \"my col\") VALUES ('c', 'y', 1)")});
    }

    void store(const QString& value)
    {
        platform::IniFile(kQuorvelIni).writeString(QStringLiteral("Sort Order"), QStringLiteral("so_items"), value);
    }

    // Opens the dialog, lets work act on it, closes it with OK.
    void runDialog(std::function<void(TForm_Order&)> work = {})
    {
        workOrder = std::move(work);
        form.BitBtn_SortOrderClick(ui.BitBtn_SortOrder);
    }

    QStringList found()
    {
        query();
        execute();
        return form.state().RecordKeys;
    }
};

} // namespace

// Opening and closing without changes writes the stored value back; names that are no mask-edit
// column of the table (a memo, a dropped column) disappear.
TEST_F(SortOrder, StoredValueComesBackThroughTheDialog)
{
    makeTable();
    struct Case {
        const char* stored;
        QStringList sortList;
        bool descending;
        const char* written;
    } cases[] = {
        {"city, name DESC", {"city", "name"}, true, "city, name DESC"},
        {"my col, id, city", {"my col", "id", "city"}, false, "my col, id, city"},
        {"notes, gone, name", {"name"}, false, "name"},
        {"", {}, false, ""},
        {"Name", {}, false, ""},  // names are compared exactly
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        store(QString::fromLatin1(c.stored));
        choose(QStringLiteral("so_items"));
        QStringList listed, rest;
        bool desc = false;
        runDialog([&](TForm_Order& dialog) {
            listed = items(dialog.ui()->ListBox_SortOrder);
            rest = items(dialog.ui()->ListBox_Fields);
            desc = dialog.ui()->CheckBox_Desc->isChecked();
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Set Query Sort Order"));
        });
        EXPECT_EQ(listed, c.sortList);
        EXPECT_EQ(desc, c.descending);
        for (const QString& name : listed)
            EXPECT_FALSE(rest.contains(name));
        QStringList sortedRest = rest;
        sortedRest.sort();
        EXPECT_EQ(rest, sortedRest);
        EXPECT_FALSE(rest.contains(QStringLiteral("notes")));
        EXPECT_EQ(ini(QStringLiteral("SORT ORDER"), QStringLiteral("so_items")), QString::fromLatin1(c.written));
        EXPECT_EQ(form.state().OrderBy, QString::fromLatin1(c.written));
        EXPECT_EQ(form.state().UseSortOrder, !c.sortList.isEmpty());
        form.state().CurrentTable.clear();  // the next choice builds the page afresh
    }
}

TEST_F(SortOrder, AddRemoveAndDrag)
{
    makeTable();
    store(QString());
    choose(QStringLiteral("so_items"));
    runDialog([](TForm_Order& dialog) {
        QListWidget* fields = dialog.ui()->ListBox_Fields;
        QListWidget* order = dialog.ui()->ListBox_SortOrder;
        // Two selected together join in alphabetical order, whatever order they were clicked in.
        for (const char* name : {"name", "city"})
            fields->findItems(QString::fromLatin1(name), Qt::MatchExactly).first()->setSelected(true);
        QTest::mouseClick(dialog.ui()->BitBtn_Add, Qt::LeftButton);
        fields->findItems(QStringLiteral("id"), Qt::MatchExactly).first()->setSelected(true);
        QTest::mouseClick(dialog.ui()->BitBtn_Add, Qt::LeftButton);
        EXPECT_EQ(items(order), (QStringList{"city", "name", "id"}));
        EXPECT_EQ(items(fields), QStringList{"my col"});

        // The last dragged onto the first: it goes to the top, the others one down.
        QWidget* viewport = order->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, order->visualItemRect(order->item(2)).center());
        EXPECT_EQ(dialog.DragItem, QStringLiteral("id"));
        order->setCurrentRow(0);  // the list follows the pointer while the button is held
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, order->visualItemRect(order->item(0)).center());
        EXPECT_EQ(items(order), (QStringList{"id", "city", "name"}));

        order->setCurrentRow(1);
        QTest::mouseClick(dialog.ui()->BitBtn_Remove, Qt::LeftButton);
        EXPECT_EQ(items(order), (QStringList{"id", "name"}));
        EXPECT_EQ(items(fields), (QStringList{"city", "my col"}));
        dialog.ui()->CheckBox_Desc->setChecked(true);
    });
    EXPECT_EQ(ini(QStringLiteral("Sort Order"), QStringLiteral("so_items")), QStringLiteral("id, name DESC"));

    // Descending with nothing to sort by stores nothing and sorts nothing.
    runDialog([](TForm_Order& dialog) {
        while (dialog.ui()->ListBox_SortOrder->count() > 0) {
            dialog.ui()->ListBox_SortOrder->setCurrentRow(0);
            QTest::mouseClick(dialog.ui()->BitBtn_Remove, Qt::LeftButton);
        }
        EXPECT_TRUE(dialog.ui()->CheckBox_Desc->isChecked());
    });
    EXPECT_EQ(ini(QStringLiteral("Sort Order"), QStringLiteral("so_items")), QString());
    EXPECT_FALSE(form.state().UseSortOrder);
}

// The next query returns its records in the chosen order, on both databases; a name with a blank
// is quoted in the ORDER BY line only.
TEST_F(SortOrder, QueriesComeBackInTheChosenOrder)
{
    for (bool pg : {false, true}) {
        SCOPED_TRACE(pg ? "PostgreSQL" : "SQLite");
        if (pg) {
            if (!testsupport::pgAvailable())
                GTEST_SKIP() << "no PostgreSQL server";
            form.state().CurrentTable.clear();
            connectPg();
            db.DBType = QStringLiteral("ACCESS");
        }
        makeTable(pg);
        choose(QStringLiteral("so_items"));
        struct Case {
            const char* order;
            QStringList keys;
        } cases[] = {
            {"", {"1", "2", "3"}},
            {"city", {"1", "3", "2"}},
            {"name DESC", {"3", "1", "2"}},
            {"my col", {"3", "1", "2"}},
            {"city, my col DESC", {"1", "3", "2"}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.order);
            store(QString::fromLatin1(c.order));
            runDialog();
            QStringList keys = found();
            if (QString::fromLatin1(c.order).isEmpty())
                keys.sort();  // no order asked: any
            EXPECT_EQ(keys, c.keys);
        }
        EXPECT_EQ(sent().last(), QStringLiteral("ORDER BY city, \"my col\" DESC"));
        EXPECT_EQ(ini(QStringLiteral("Sort Order"), QStringLiteral("so_items")), QStringLiteral("city, my col DESC"));
        EXPECT_EQ(messages, QStringList());
    }
}

// A stored order naming a column the table no longer has is dropped with a message, and the
// query still runs in the order of the columns that are left.
TEST_F(SortOrder, ColumnGoneSinceTheOrderWasStored)
{
    makeTable();
    store(QStringLiteral("gone, name DESC"));
    choose(QStringLiteral("so_items"));
    EXPECT_EQ(form.state().OrderBy, QStringLiteral("gone, name DESC"));
    EXPECT_EQ(found(), (QStringList{"3", "1", "2"}));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QLatin1String("gone"))) << messages[0].toStdString();
    EXPECT_EQ(form.state().OrderBy, QStringLiteral("name DESC"));

    messages.clear();
    form.state().OrderBy = QStringLiteral("gone");
    EXPECT_EQ(found().size(), 3);
    EXPECT_EQ(messages.size(), 1);
    EXPECT_FALSE(form.state().UseSortOrder);
    EXPECT_FALSE(sent().join(QLatin1Char(' ')).contains(QLatin1String("ORDER BY")));
}
