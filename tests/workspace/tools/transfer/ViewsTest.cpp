// The table view (columns with type names and lengths, printed under a heading) and the list view
// (found records in a grid, sorted by a heading click, a row picked for the Table page).
#include "Fixture.h"

#include "workspace/tools/ListView.h"
#include "workspace/tools/TableView.h"

#include "ui_ListView.h"
#include "ui_TableView.h"

#include <QHeaderView>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>

using namespace platform::engine;

namespace {

std::shared_ptr<TFieldObject> column(int type, int size = 0)
{
    auto c = std::make_shared<TFieldObject>();
    c->ColumnType = type;
    c->ColumnSize = size;
    return c;
}

TEST(TableViewLines, NamesPaddedToOneColumnThenTypeAndTextLength)
{
    const ColumnList columns{{QStringLiteral("id"), column(ftInteger)},
                             {QStringLiteral("customer_name"), column(ftString, 30)},
                             {QStringLiteral("created"), column(ftDate)}};
    EXPECT_EQ(TableViewLines(columns),
              (QStringList{QStringLiteral("id") + QString(13, QLatin1Char(' ')) + QStringLiteral("integer"),
                           QStringLiteral("customer_name  char(30)"),
                           QStringLiteral("created") + QString(8, QLatin1Char(' ')) + QStringLiteral("date")}));

    const struct {
        int type;
        const char* line;
    } cases[] = {
        {ftSmallint, "c  smallint"}, {ftBoolean, "c  boolean"}, {ftFloat, "c  float"},
        {ftDateTime, "c  datetime"}, {ftAutoInc, "c  char"},    {ftBlob, "c  blob"},
        {ftMemo, "c  memo"},         {ftGraphic, "c  image"},   {ftUnknown, "c  char"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TableViewLines({{QStringLiteral("c"), column(c.type, 8)}}), QStringList{QString::fromUtf8(c.line)})
            << c.type;
}

TEST(ListViewSort, StableByCharacterCode)
{
    const QStringList texts{QStringLiteral("9"), QStringLiteral("b"), QStringLiteral("1"), QStringLiteral("B"),
                            QStringLiteral("10"), QStringLiteral("b")};
    EXPECT_EQ(SortedRowOrder(texts, true), (std::vector<int>{2, 4, 0, 3, 1, 5}));
    EXPECT_EQ(SortedRowOrder(texts, false), (std::vector<int>{1, 5, 3, 0, 4, 2}));
    EXPECT_EQ(SortedRowOrder({}, true), std::vector<int>{});
}

TEST(ListViewSort, StatementOfOneChunk)
{
    EXPECT_EQ(ListSelectLines(QStringLiteral("t"), QStringLiteral("id"), QStringLiteral("(3,17,42)"), false, QString()),
              (QStringList{QStringLiteral("SELECT * FROM t"), QStringLiteral("WHERE id IN(3,17,42)")}));
    EXPECT_EQ(ListSelectLines(QStringLiteral("t"), QStringLiteral("rowid"), QStringLiteral("(1)"), true,
                              QStringLiteral("name DESC")),
              (QStringList{QStringLiteral("SELECT rowid, t.* FROM t"), QStringLiteral("WHERE rowid IN(1)"),
                           QStringLiteral("ORDER BY name DESC")}));
}

class Views : public TransferWindow {
protected:
    void SetUp() override
    {
        TransferWindow::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(true);
    }
    void fill(const QString& table, int rows)
    {
        recreate(table, QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT, name VARCHAR(20), n INTEGER, "
                                       "picture BLOB, notes TEXT"));
        QStringList inserts{QStringLiteral("BEGIN")};
        for (int i = 1; i <= rows; ++i)
            inserts << QStringLiteral("INSERT INTO %1 (name, n, notes) VALUES ('%2', %3, 'memo %3')")
                           .arg(table, QStringLiteral("name%1").arg((i * 7) % rows + 1), QString::number(i));
        inserts << QStringLiteral("COMMIT");
        exec(inserts);
    }

    static void clickHeading(TForm_List& list, int column)
    {
        QHeaderView* header = list.ui()->StringGrid->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }
    static void clickRow(TForm_List& list, int row)
    {
        QTableView* grid = list.ui()->StringGrid;
        grid->scrollTo(list.grid().index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(list.grid().index(row, 1)).center());
    }
    static QStringList columnTexts(TForm_List& list, int column)
    {
        QStringList texts;
        for (int r = 0; r < list.grid().rowCount(); ++r)
            texts << list.grid().cell(r, column);
        return texts;
    }
};

TEST_F(Views, TableViewListsAnyTableAndPrintsItUnderItsHeading)
{
    connectSqlite();
    recreate(QStringLiteral("view_t"), QStringLiteral("id INTEGER PRIMARY KEY, customer_name VARCHAR(30), "
                                                      "created DATE, stamp TIMESTAMP, qty SMALLINT, price DOUBLE, "
                                                      "ok BOOLEAN, notes TEXT, picture BLOB"));
    form.state().TableNames = {QStringLiteral("VIEW_T"), QStringLiteral("Other")};
    form.state().CurrentTable.clear();
    const QString pdf = home.file(QStringLiteral("columns.pdf"));
    QStringList listing, items;
    QString afterPrint, pdfListing;
    bool updatesAfterPrint = false;
    onTableView = [&](TForm_TableView& view) {
        auto* combo = view.ui()->DBSCombobox_Tables;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        EXPECT_EQ(combo->currentIndex(), -1);
        view.BitBtn_PrintClick();  // no table chosen: not even the print dialog
        EXPECT_EQ(printDialogs, 0);
        combo->setCurrentIndex(combo->findText(QStringLiteral("view_t")));
        listing = view.ui()->Memo_Columns->toPlainText().split(QLatin1Char('\n'));
        view.BitBtn_PrintClick();  // cancelled
        EXPECT_EQ(printDialogs, 1);
        printFile = pdf;
        view.BitBtn_PrintClick();
        pdfListing = pdfText(pdf);
        afterPrint = view.ui()->Memo_Columns->toPlainText();
        updatesAfterPrint = view.ui()->Memo_Columns->updatesEnabled();
    };
    form.MenuItem_TableAttributesClick(ui.MenuItem_TableAttributes);

    EXPECT_EQ(items, (QStringList{QStringLiteral("other"), QStringLiteral("view_t")}));
    EXPECT_EQ(listing, (QStringList{QStringLiteral("id             integer"), QStringLiteral("customer_name  char(30)"),
                                    QStringLiteral("created        date"), QStringLiteral("stamp          datetime"),
                                    QStringLiteral("qty            smallint"), QStringLiteral("price          float"),
                                    QStringLiteral("ok             boolean"), QStringLiteral("notes          memo"),
                                    QStringLiteral("picture        blob")}));
    EXPECT_TRUE(pdfListing.contains(QStringLiteral("Table : view_t"))) << pdfListing.toStdString();
    EXPECT_TRUE(pdfListing.contains(QRegularExpression(QStringLiteral("customer_name +char\\(30\\)"))))
        << pdfListing.toStdString();
    EXPECT_EQ(afterPrint, listing.join(QLatin1Char('\n')));
    EXPECT_TRUE(updatesAfterPrint);
}

TEST_F(Views, TableViewOnPostgreSqlAndOracleNames)
{
    QV_REQUIRE_PG();
    connectPg();
    recreate(QStringLiteral("view_pg"), QStringLiteral("id SERIAL PRIMARY KEY, code VARCHAR(12), born DATE, "
                                                       "amount DOUBLE PRECISION, notes TEXT, picture BYTEA"));
    form.state().TableNames = {QStringLiteral("view_pg")};
    form.state().CurrentTable = QStringLiteral("view_pg");
    QStringList listing;
    onTableView = [&](TForm_TableView& view) {
        // The window starts on the Table page's table.
        listing = view.ui()->Memo_Columns->toPlainText().split(QLatin1Char('\n'));
    };
    form.MenuItem_TableAttributesClick(ui.MenuItem_TableAttributes);
    // The serial key has a type of its own, which the listing names as text.
    EXPECT_EQ(listing, (QStringList{QStringLiteral("id       char"), QStringLiteral("code     char(12)"),
                                    QStringLiteral("born     date"), QStringLiteral("amount   float"),
                                    QStringLiteral("notes    memo"), QStringLiteral("picture  blob")}));

    db.DBType = QStringLiteral("ORACLE");
    form.state().CurrentTable.clear();
    QString first;
    onTableView = [&](TForm_TableView& view) { first = view.ui()->DBSCombobox_Tables->itemText(0); };
    form.MenuItem_TableAttributesClick(ui.MenuItem_TableAttributes);
    EXPECT_EQ(first, QStringLiteral("VIEW_PG"));
}

TEST_F(Views, ListViewSortsByAHeadingAndThePickedRowIsShown)
{
    connectSqlite();
    fill(QStringLiteral("list_t"), 12);
    choose(QStringLiteral("list_t"));
    findAll();
    const QStringList found = form.state().RecordKeys;
    ASSERT_EQ(found.size(), 12);

    // Opening and closing at once: the last row is chosen, the keys stay.
    QStringList headings;
    onList = [&](TForm_List& list) {
        headings = list.grid().headings();
        list.close();
    };
    form.MenuItem_ListViewClick(ui.MenuItem_ListView);
    EXPECT_EQ(headings, (QStringList{QStringLiteral("Row"), QStringLiteral("id"), QStringLiteral("name"),
                                     QStringLiteral("n"), QStringLiteral("notes")}));
    EXPECT_EQ(form.state().RecordIndex, 11);
    EXPECT_EQ(form.state().RecordKeys, found);
    EXPECT_EQ(edit(QStringLiteral("id"))->text(), found.last());

    QStringList names, ascendingNumbers, descending, rowHeadingClick, keysAfterSort;
    onList = [&](TForm_List& list) {
        EXPECT_EQ(columnTexts(list, 0).first(), QStringLiteral("1"));
        EXPECT_EQ(columnTexts(list, 1), found);  // rows in the order of the keys
        EXPECT_EQ(list.grid().cell(0, 4), QStringLiteral("memo 1"));  // cells under their own headings
        clickHeading(list, 0);  // "Row": no sort
        rowHeadingClick = columnTexts(list, 1);
        clickHeading(list, 3);  // n, as text: 1, 10, 11, 12, 2, ...
        ascendingNumbers = columnTexts(list, 3);
        list.ui()->Descending1->trigger();
        clickHeading(list, 2);
        descending = columnTexts(list, 2);
        keysAfterSort = *list.KeyList;
        names = columnTexts(list, 1);
        EXPECT_EQ(columnTexts(list, 0).at(1), QStringLiteral("2"));  // numbered afresh
        // The row number and the first field stay in place while the grid scrolls sideways; a
        // click on them picks the row as well.
        FixedColumnsView* fixed = list.fixedColumns();
        EXPECT_TRUE(fixed->isVisible());
        EXPECT_EQ(fixed->count(), 2);
        list.ui()->StringGrid->horizontalScrollBar()->setValue(list.ui()->StringGrid->horizontalScrollBar()->maximum());
        EXPECT_EQ(fixed->x(), list.ui()->StringGrid->frameWidth());
        QTest::mouseClick(fixed->viewport(), Qt::LeftButton, {}, fixed->visualRect(list.grid().index(2, 1)).center());
        list.ui()->BitBtn_Close->click();
    };
    form.MenuItem_ListViewClick(ui.MenuItem_ListView);
    EXPECT_EQ(rowHeadingClick, found);
    EXPECT_EQ(ascendingNumbers.mid(0, 5), (QStringList{QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("11"),
                                                       QStringLiteral("12"), QStringLiteral("2")}));
    QStringList sortedNames = descending;
    std::sort(sortedNames.begin(), sortedNames.end(), std::greater<QString>());
    EXPECT_EQ(descending, sortedNames);
    // The key list follows the grid, and the Table page steps through it in that order.
    EXPECT_EQ(form.state().RecordKeys, names);
    EXPECT_EQ(keysAfterSort, names);
    EXPECT_EQ(form.state().RecordIndex, 2);
    EXPECT_EQ(edit(QStringLiteral("id"))->text(), names[2]);
    form.BitBtn_FirstClick(ui.BitBtn_Next);
    EXPECT_EQ(edit(QStringLiteral("id"))->text(), names[3]);
    // Every mask edit is left without its length limit.
    EXPECT_EQ(edit(QStringLiteral("name"))->maxLengthLimit(), 0);
}

TEST_F(Views, ListViewOfManyRecordsInTheirSortOrderWithTextKeys)
{
    connectSqlite();
    recreate(QStringLiteral("list_u"), QStringLiteral("code VARCHAR(12) NOT NULL UNIQUE, n INTEGER"));
    QStringList inserts{QStringLiteral("BEGIN")};
    for (int i = 0; i < 1234; ++i)
        inserts << QStringLiteral("INSERT INTO list_u VALUES ('c-%1', %2)").arg(i, 4, 10, QLatin1Char('0')).arg(i % 7);
    inserts << QStringLiteral("COMMIT");
    exec(inserts);
    form.state().UniqueFields = {QStringLiteral("LIST_U=CODE")};
    choose(QStringLiteral("list_u"));
    form.state().UseSortOrder = true;
    form.state().OrderBy = QStringLiteral("n, code DESC");
    findAll();
    const QStringList found = form.state().RecordKeys;
    ASSERT_EQ(found.size(), 1234);
    ASSERT_EQ(found.first(), QStringLiteral("c-1232"));

    QStringList codes;
    onList = [&](TForm_List& list) {
        codes = columnTexts(list, 1);
        clickRow(list, 700);
        QTest::mouseDClick(list.ui()->StringGrid->viewport(), Qt::LeftButton, {},
                           list.ui()->StringGrid->visualRect(list.grid().index(700, 1)).center());
    };
    form.MenuItem_ListViewClick(ui.MenuItem_ListView);
    EXPECT_EQ(codes, found);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(form.state().RecordIndex, 700);
    EXPECT_EQ(edit(QStringLiteral("code"))->text(), found[700]);
}

TEST_F(Views, AKeyTheGridLacksLeavesTheKeyListAlone)
{
    connectSqlite();
    fill(QStringLiteral("list_k"), 3);
    TForm_List list(form.state(), form.Database.databaseName(), &form);
    QStringList keys{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")};
    list.KeyList = &keys;
    list.ListTable = QStringLiteral("list_k");
    list.KeyFieldName = QStringLiteral("id");
    list.grid().setHeadings({QStringLiteral("Row"), QStringLiteral("name")});
    onList = [&](TForm_List& l) {
        EXPECT_EQ(l.KeyGridColumn, -1);
        EXPECT_EQ(l.grid().rowCount(), 3);
        clickHeading(l, 1);
        clickRow(l, 0);
        l.close();
    };
    platform::modal::execWindow(list);
    EXPECT_EQ(keys, (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(list.ChosenIndex, 0);
}

} // namespace
