#pragma once
// The list view: the found records as rows of a grid, sorted by a heading click; the row picked
// becomes the Table page's record, and the page then steps through the grid's order.
#include "app/MainState.h"
#include "platform/engine/Engine.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QTableView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <vector>

namespace Ui { class TForm_List; }
class TForm_Main;

// How many keys one statement of the grid names.
inline constexpr int kListKeysPerStatement = 500;

// The order of rows after sorting texts by character code; equal texts keep their order (as an
// exchange of neighbours that stops when nothing moves would leave them).
std::vector<int> SortedRowOrder(const QStringList& texts, bool ascending);

// The statement lines that select the rows of some keys; keyText is "(k1,k2,...)".
QStringList ListSelectLines(const QString& table, const QString& keyFieldName, const QString& keyText,
                            bool useSortOrder, const QString& orderBy);

// Rows of the grid's field cells (column 1 on): a row's texts end to end in one text, so that a
// row costs one allocation rather than one per cell.
class ListRows {
public:
    explicit ListRows(int cellsPerRow = 0) : cellsPerRow_(cellsPerRow) {}
    int cellsPerRow() const { return cellsPerRow_; }
    size_t size() const { return texts_.size(); }
    // A row from its texts end to end and where each cell ends (cellsPerRow of them).
    void addRow(QStringView text, const int* ends);
    void addRow(const QStringList& cells);
    // Moves row `row` of another set of the same width to the end of this one.
    void take(ListRows& from, size_t row);
    QStringView cell(size_t row, int cell) const;  // cell 0 is column 1
    void reorder(const std::vector<int>& order);
    void remove(size_t row);

private:
    int cellsPerRow_;
    std::vector<QString> texts_;
    std::vector<int> ends_;  // cellsPerRow_ per row
};

// The cells of the grid: the row number in column 0, the rows' texts, and the headings.
class ListGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void setHeadings(const QStringList& headings);
    const QStringList& headings() const { return headings_; }
    void setRows(ListRows rows);
    // Column 0 holds the row's number, 1 to n.
    QString cell(int row, int column) const;
    QStringView fieldCell(int row, int column) const;  // column 1 on; empty for column 0
    // Puts the rows in the given order (rows of the old order by position).
    void reorder(const std::vector<int>& order);
    void removeRow(int row);
    // Column 0 shows every row's number afresh.
    void renumber();

private:
    QStringList headings_;
    ListRows rows_;
};

// The first columns of a grid kept in place while the rest scrolls sideways.
class FixedColumnsView : public QTableView {
    Q_OBJECT
public:
    explicit FixedColumnsView(QTableView* grid);
    void setCount(int count);
    int count() const { return count_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void apply();
    void place();
    QTableView* grid_;
    int count_ = 0;
};

class TForm_List : public QDialog {
    Q_OBJECT
public:
    TForm_List(MainState& state, const QString& databaseName, QWidget* parent = nullptr);
    ~TForm_List() override;

    Ui::TForm_List* ui() const { return ui_.get(); }
    ListGridModel& grid() { return model_; }

    QStringList* KeyList = nullptr;  // the main window's key list, edited in place
    QString ListTable;
    QString KeyFieldName;
    int ChosenIndex = -1;
    int KeyGridColumn = -1;
    platform::engine::Query Query_Select;

    // How many columns from the left stay in place when the grid scrolls sideways.
    void setFixedColumns(int count);
    FixedColumnsView* fixedColumns() const { return fixed_; }

    // The key list as an IN list: (k1,k2,k3); text keys quoted as the record display quotes them.
    QString KeyListText(const QStringList& keys) const;

public slots:
    void FormShow();
    void SortGridByColumn(int column);
    void RenumberRows();
    void StringGridDblClick();
    void Ascending1Click();
    void Descending1Click();
    void BitBtn_CloseClick();
    void Button_RemoveClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;  // FormResize
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void done(int result) override;  // FormClose on every way of closing

private:
    // After every mouse release in the grid: row numbers and the key list follow the grid.
    void afterMouseRelease();
    int keyColumnType() const;

    std::unique_ptr<Ui::TForm_List> ui_;
    MainState& state_;
    ListGridModel model_;
    FixedColumnsView* fixed_ = nullptr;
    bool shown_ = false;
};

void MenuItem_ListViewClick(TForm_Main& form);
