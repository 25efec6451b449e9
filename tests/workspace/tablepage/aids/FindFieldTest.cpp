#include "tests/workspace/tablepage/aids/Fixture.h"

#include <QScrollArea>
#include <QScrollBar>

namespace {

class FindField : public ToolsWindow {
protected:
    void SetUp() override
    {
        ToolsWindow::SetUp();
        connectSqlite();
    }

    void find(const std::optional<QString>& typed)
    {
        findText = typed;
        form.BitBtn_FindFieldClick(ui.BitBtn_FindField);
    }
    QString stored() { return ini(QStringLiteral("FIELD SEARCH"), form.state().CurrentTable); }
    QString focused() const
    {
        QWidget* w = const_cast<TForm_Main&>(form).focusWidget();
        if (auto* e = qobject_cast<TBVMaskEdit*>(w))
            return e->FieldName;
        if (auto* m = qobject_cast<TBVMemo*>(w))
            return m->FieldName;
        return QStringLiteral("<none>");
    }
};

} // namespace

TEST_F(FindField, NamesPartsAndMisses)
{
    recreate(QStringLiteral("ff_people"), QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, old_cust_id INTEGER, "
                                                         "customer VARCHAR(20), notes TEXT"));
    choose(QStringLiteral("ff_people"));
    QApplication::setActiveWindow(&form);

    struct Case {
        std::optional<QString> typed;  // nullopt: Cancel
        const char* focus;             // nullptr: a miss
        const char* storedAfter;
    } cases[] = {
        {QStringLiteral("cust*"), "old_cust_id", "old_cust_id"},   // the first in column order
        {QStringLiteral("customer"), "customer", "customer"},
        {std::nullopt, "customer", "customer"},                    // Cancel: nothing happens
        {QStringLiteral("notes"), "notes", "notes"},               // memo boxes are searched too
        {QStringLiteral("CUSTOMER"), nullptr, ""},                 // case matters
        {QStringLiteral("*"), nullptr, ""},
        {QStringLiteral(""), nullptr, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.value_or(QStringLiteral("<cancel>")).toStdString());
        messages.clear();
        find(c.typed);
        if (c.focus) {
            EXPECT_EQ(messages, QStringList());
            EXPECT_EQ(focused(), QString::fromLatin1(c.focus));
        } else {
            EXPECT_EQ(messages, QStringList{"Field " + *c.typed + " not found!"});
        }
        EXPECT_EQ(stored(), QString::fromLatin1(c.storedAfter));
    }

    // The right button repeats the stored search without asking; after a miss it misses again.
    find(QStringLiteral("cust*"));
    ui.BitBtn_Query->setFocus();
    const int promptsBefore = prompts;
    messages.clear();
    QTest::mouseClick(ui.BitBtn_FindField, Qt::RightButton);
    EXPECT_EQ(prompts, promptsBefore);
    EXPECT_EQ(focused(), QStringLiteral("old_cust_id"));
    find(QStringLiteral("nothing"));
    messages.clear();
    QTest::mouseClick(ui.BitBtn_FindField, Qt::RightButton);
    EXPECT_EQ(messages, QStringList{"Field  not found!"});
}

// On a table with more columns than the page shows, the field found is scrolled into view.
TEST_F(FindField, ScrollsTheFieldIntoView)
{
    QStringList columns{QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT")};
    for (int i = 1; i <= 40; ++i)
        columns << QStringLiteral("c%1 VARCHAR(10)").arg(i, 2, 10, QLatin1Char('0'));
    recreate(QStringLiteral("ff_wide"), columns.join(QStringLiteral(", ")));
    choose(QStringLiteral("ff_wide"));
    QApplication::setActiveWindow(&form);
    QWidget* viewport = ui.ScrollBox->viewport();
    TBVMaskEdit* target = edit(QStringLiteral("c38"));
    ASSERT_NE(target, nullptr);
    auto inView = [&] {
        const QRect r(target->mapTo(viewport, QPoint(0, 0)), target->size());
        return viewport->rect().contains(r);
    };
    ASSERT_FALSE(inView());

    find(QStringLiteral("c38"));
    EXPECT_EQ(messages, QStringList());
    EXPECT_EQ(focused(), QStringLiteral("c38"));
    EXPECT_TRUE(inView());
    EXPECT_GT(ui.ScrollBox->verticalScrollBar()->value(), 0);
}
