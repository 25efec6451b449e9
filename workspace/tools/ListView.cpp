#include "workspace/tools/ListView.h"

#include "app/StartUp.h"
#include "components/DialogBehaviour.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/Navigation.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_ListView.h"
#include "ui_Main.h"

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>

using namespace platform::engine;

namespace {

std::vector<int> sortedViewOrder(const std::vector<QStringView>& texts, bool ascending)
{
    // Each text carries the eight code units after the prefix all texts share as two numbers,
    // which settle nearly every comparison without reading the texts scattered over the heap;
    // the row breaks ties between equal texts, so a sort in place keeps them in their order.
    qsizetype common = texts.empty() ? 0 : texts.front().size();
    for (QStringView t : texts) {
        const QStringView first = texts.front();
        const qsizetype n = std::min(common, t.size());
        qsizetype k = 0;
        while (k < n && t[k] == first[k])
            ++k;
        common = k;
        if (common == 0)
            break;
    }
    struct Item {
        quint64 head[2];  // code units common..common+7, the first one highest; 0 past the end
        int row;
    };
    std::vector<Item> items;
    items.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const QStringView t = texts[i];
        Item item{{0, 0}, static_cast<int>(i)};
        for (qsizetype k = 0; k < 8; ++k) {
            const qsizetype at = common + k;
            item.head[k / 4] = (item.head[k / 4] << 16) | (at < t.size() ? t[at].unicode() : 0u);
        }
        items.push_back(item);
    }
    // By character code, as QString::compare with case.
    auto compare = [&texts](const Item& a, const Item& b) {
        if (a.head[0] != b.head[0])
            return a.head[0] < b.head[0] ? -1 : 1;
        if (a.head[1] != b.head[1])
            return a.head[1] < b.head[1] ? -1 : 1;
        return texts[static_cast<size_t>(a.row)].compare(texts[static_cast<size_t>(b.row)], Qt::CaseSensitive);
    };
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        const int c = compare(a, b);
        if (c != 0)
            return ascending ? c < 0 : c > 0;
        return a.row < b.row;
    });
    std::vector<int> order;
    order.reserve(items.size());
    for (const Item& item : items)
        order.push_back(item.row);
    return order;
}

} // namespace

std::vector<int> SortedRowOrder(const QStringList& texts, bool ascending)
{
    std::vector<QStringView> views(texts.cbegin(), texts.cend());
    return sortedViewOrder(views, ascending);
}

QStringList ListSelectLines(const QString& table, const QString& keyFieldName, const QString& keyText,
                            bool useSortOrder, const QString& orderBy)
{
    const QString T = QuoteTableName(table);
    QStringList lines;
    if (keyFieldName == QLatin1String("rowid"))
        lines << QStringLiteral("SELECT rowid, ") + T + QStringLiteral(".* FROM ") + T;
    else
        lines << QStringLiteral("SELECT * FROM ") + T;
    const QString K = keyFieldName == QLatin1String("rowid") ? keyFieldName : QuoteIfBlank(keyFieldName);
    lines << QStringLiteral("WHERE ") + K + QStringLiteral(" IN") + keyText;
    if (useSortOrder)
        lines << QStringLiteral("ORDER BY ") + orderBy;
    return lines;
}

// ---------------------------------------------------------------------------------------------
// The grid's cells

void ListRows::addRow(QStringView text, const int* ends)
{
    texts_.emplace_back(text.data(), text.size());
    ends_.insert(ends_.end(), ends, ends + cellsPerRow_);
}

void ListRows::addRow(const QStringList& cells)
{
    QString text;
    std::vector<int> ends;
    for (int c = 0; c < cellsPerRow_; ++c) {
        if (c < cells.size())
            text += cells[c];
        ends.push_back(static_cast<int>(text.size()));
    }
    addRow(text, ends.data());
}

void ListRows::take(ListRows& from, size_t row)
{
    texts_.push_back(std::move(from.texts_[row]));
    const auto first = from.ends_.begin() + static_cast<std::ptrdiff_t>(row * size_t(cellsPerRow_));
    ends_.insert(ends_.end(), first, first + cellsPerRow_);
}

QStringView ListRows::cell(size_t row, int cell) const
{
    if (row >= texts_.size() || cell < 0 || cell >= cellsPerRow_)
        return {};
    const int* ends = ends_.data() + row * size_t(cellsPerRow_);
    const int start = cell == 0 ? 0 : ends[cell - 1];
    return QStringView(texts_[row]).sliced(start, ends[cell] - start);
}

void ListRows::reorder(const std::vector<int>& order)
{
    std::vector<QString> texts;
    std::vector<int> ends;
    texts.reserve(order.size());
    ends.reserve(order.size() * size_t(cellsPerRow_));
    for (int from : order) {
        texts.push_back(std::move(texts_[static_cast<size_t>(from)]));
        const auto first = ends_.begin() + static_cast<std::ptrdiff_t>(size_t(from) * size_t(cellsPerRow_));
        ends.insert(ends.end(), first, first + cellsPerRow_);
    }
    texts_ = std::move(texts);
    ends_ = std::move(ends);
}

void ListRows::remove(size_t row)
{
    if (row >= texts_.size())
        return;
    texts_.erase(texts_.begin() + static_cast<std::ptrdiff_t>(row));
    const auto first = ends_.begin() + static_cast<std::ptrdiff_t>(row * size_t(cellsPerRow_));
    ends_.erase(first, first + cellsPerRow_);
}

int ListGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ListGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant ListGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.row(), index.column());
}

QVariant ListGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::DisplayRole && orientation == Qt::Horizontal && section >= 0 && section < headings_.size())
        return headings_[section];
    return {};
}

void ListGridModel::setHeadings(const QStringList& headings)
{
    beginResetModel();
    headings_ = headings;
    endResetModel();
}

void ListGridModel::setRows(ListRows rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

QString ListGridModel::cell(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    if (column == 0)
        return QString::number(row + 1);
    return fieldCell(row, column).toString();
}

QStringView ListGridModel::fieldCell(int row, int column) const
{
    if (row < 0 || column < 1)
        return {};
    return rows_.cell(static_cast<size_t>(row), column - 1);
}

void ListGridModel::reorder(const std::vector<int>& order)
{
    emit layoutAboutToBeChanged();
    rows_.reorder(order);
    emit layoutChanged();
}

void ListGridModel::renumber()
{
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
}

void ListGridModel::removeRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    beginRemoveRows({}, row, row);
    rows_.remove(static_cast<size_t>(row));
    endRemoveRows();
}

// ---------------------------------------------------------------------------------------------
// Columns that stay in place while the grid scrolls sideways: a second view over the same cells,
// lying on the first columns of the grid.

FixedColumnsView::FixedColumnsView(QTableView* grid) : QTableView(grid), grid_(grid)
{
    setObjectName(QStringLiteral("StringGrid_Fixed"));
    setModel(grid->model());
    setSelectionModel(grid->selectionModel());
    setSelectionBehavior(grid->selectionBehavior());
    setSelectionMode(grid->selectionMode());
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::CustomContextMenu);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(grid->verticalHeader()->minimumSectionSize());
    verticalHeader()->setDefaultSectionSize(grid->verticalHeader()->defaultSectionSize());
    horizontalHeader()->setSectionsMovable(false);
    // The widths follow the grid's columns; they are resized there.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    grid->viewport()->stackUnder(this);
    connect(grid->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, grid->verticalScrollBar(), &QAbstractSlider::setValue);
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (column < count_) {
            setColumnWidth(column, size);
            place();
        }
    });
    connect(grid->model(), &QAbstractItemModel::modelReset, this, &FixedColumnsView::apply);
    grid->installEventFilter(this);
    hide();
}

void FixedColumnsView::setCount(int count)
{
    count_ = count;
    apply();
}

void FixedColumnsView::apply()
{
    const int columns = model() ? model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        setColumnHidden(c, c >= count_);
        if (c < count_)
            setColumnWidth(c, grid_->columnWidth(c));
    }
    setVisible(count_ > 0 && columns > count_);
    place();
}

void FixedColumnsView::place()
{
    int width = 0;
    for (int c = 0; c < count_; ++c)
        width += grid_->columnWidth(c);
    const int frame = grid_->frameWidth();
    setGeometry(frame, frame, width + 1, grid_->viewport()->height() + grid_->horizontalHeader()->height());
    horizontalHeader()->setFixedHeight(grid_->horizontalHeader()->height());
}

bool FixedColumnsView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid_ && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        place();
    return QTableView::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// The window

TForm_List::TForm_List(MainState& state, const QString& databaseName, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_List>()), state_(state)
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Query_Select.setDatabaseName(databaseName);
    ui_->StringGrid->setModel(&model_);
    ui_->StringGrid->horizontalHeader()->setSectionsMovable(false);
    ui_->StringGrid->horizontalHeader()->setSectionsClickable(true);
    ui_->StringGrid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Nothing shows the Options menu.
    ui_->Options1->menuAction()->setVisible(false);

    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("PopupMenu1"));
    popup->addAction(ui_->Ascending1);
    popup->addAction(ui_->Descending1);
    connect(ui_->StringGrid, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& at) { popup->popup(ui_->StringGrid->viewport()->mapToGlobal(at)); });

    connect(ui_->BitBtn_Close, &QPushButton::clicked, this, &TForm_List::BitBtn_CloseClick);
    connect(ui_->Close1, &QAction::triggered, this, &TForm_List::BitBtn_CloseClick);
    connect(ui_->Ascending1, &QAction::triggered, this, &TForm_List::Ascending1Click);
    connect(ui_->Descending1, &QAction::triggered, this, &TForm_List::Descending1Click);
    connect(ui_->RemoveFromList1, &QAction::triggered, this, &TForm_List::Button_RemoveClick);
    connect(ui_->StringGrid, &QAbstractItemView::doubleClicked, this, &TForm_List::StringGridDblClick);
    // A click on a heading sorts; a drag that resizes a column is no click.
    connect(ui_->StringGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        SortGridByColumn(column);
        afterMouseRelease();
    });
    ui_->StringGrid->viewport()->installEventFilter(this);
    ui_->StringGrid->horizontalHeader()->viewport()->installEventFilter(this);

    // The fixed columns answer the mouse as the grid does.
    fixed_ = new FixedColumnsView(ui_->StringGrid);
    connect(fixed_, &QWidget::customContextMenuRequested, this,
            [this, popup](const QPoint& at) { popup->popup(fixed_->viewport()->mapToGlobal(at)); });
    connect(fixed_, &QAbstractItemView::doubleClicked, this, &TForm_List::StringGridDblClick);
    connect(fixed_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        SortGridByColumn(column);
        afterMouseRelease();
    });
    fixed_->viewport()->installEventFilter(this);
    fixed_->horizontalHeader()->viewport()->installEventFilter(this);

    CenterOnScreen(*this);
}

TForm_List::~TForm_List() = default;

void TForm_List::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // A failed fill leaves the grid with what it got; the window stays usable.
        try {
            FormShow();
        } catch (const std::exception& error) {
            ShowApplicationException(error);
        }
    }
}

void TForm_List::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    QPushButton* close = ui_->BitBtn_Close;
    close->move((ui_->Panel_Ok->width() - close->width()) / 2, close->y());
}

bool TForm_List::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && (watched == ui_->StringGrid->viewport() || watched == ui_->StringGrid->horizontalHeader()->viewport()
            || watched == fixed_->viewport() || watched == fixed_->horizontalHeader()->viewport()))
        afterMouseRelease();
    return QDialog::eventFilter(watched, event);
}

int TForm_List::keyColumnType() const
{
    const QString lower = KeyFieldName.toLower();
    for (const auto& [name, column] : state_.ColumnList)
        if (name == lower && column)
            return column->ColumnType;
    // A serial column or row identifier that the column list does not carry is a number.
    return lower == state_.KeyColumn.toLower() ? ftAutoInc : ftString;
}

QString TForm_List::KeyListText(const QStringList& keys) const
{
    if (keys.isEmpty())
        return {};
    const bool oracleRowId = KeyFieldName == QLatin1String("rowid") && state_.CurrentDatabase
                             && state_.CurrentDatabase->DBType == QLatin1String("ORACLE");
    const int type = KeyFieldName == QLatin1String("rowid") ? ftAutoInc : keyColumnType();
    QStringList items;
    items.reserve(keys.size());
    for (const QString& key : keys)
        items << (oracleRowId ? SqlLiteral(ftString, key) : KeyValueLiteral(type, key));
    return QLatin1Char('(') + items.join(QLatin1Char(',')) + QLatin1Char(')');
}

void TForm_List::FormShow()
{
    const QStringList headings = model_.headings();
    KeyGridColumn = -1;
    for (int c = 0; c < headings.size(); ++c) {
        if (headings[c].compare(KeyFieldName, Qt::CaseInsensitive) == 0) {
            KeyGridColumn = c;
            break;
        }
    }
    const QStringList keys = KeyList ? *KeyList : QStringList();

    // Rows by key: the keys go in statements of a bounded length, and the rows come back in the
    // order of the key list, whatever order the statements return them in. Each statement's rows
    // are put in the order of its own keys, so the lookup stays as small as one statement.
    const int cells = std::max(0, static_cast<int>(headings.size()) - 1);
    ListRows rows(cells);
    ListRows strays(cells);  // rows whose key is not among their statement's keys
    ListRows fetched(cells);
    QHash<QString, int> placeOfKey;
    std::vector<std::pair<int, int>> placed;  // (place of the row's key, row in fetched)
    QString text;
    std::vector<int> ends(static_cast<size_t>(cells));
    for (qsizetype start = 0; start < keys.size(); start += kListKeysPerStatement) {
        const QStringList chunk = keys.mid(start, kListKeysPerStatement);
        Query_Select.sql().clear();
        Query_Select.sql() << ListSelectLines(ListTable, KeyFieldName, KeyListText(chunk), state_.UseSortOrder,
                                              state_.OrderBy);
        Query_Select.open();
        // Each heading takes the field of its own name, so pictures among the fields leave no gap.
        std::vector<int> fieldOf(static_cast<size_t>(headings.size()), -1);
        int keyField = -1;
        for (int i = 0; i < Query_Select.fieldCount(); ++i) {
            const QString name = Query_Select.fields(i).fieldName();
            for (int c = 1; c < headings.size(); ++c)
                if (fieldOf[static_cast<size_t>(c)] < 0 && headings[c].compare(name, Qt::CaseInsensitive) == 0)
                    fieldOf[static_cast<size_t>(c)] = i;
            if (keyField < 0 && name.compare(KeyFieldName, Qt::CaseInsensitive) == 0)
                keyField = i;
        }
        placeOfKey.clear();
        // Backwards, so a key named twice keeps its first place.
        for (int i = int(chunk.size()) - 1; i >= 0; --i)
            placeOfKey.insert(chunk[i], i);
        fetched = ListRows(cells);
        placed.clear();
        while (!Query_Select.eof()) {
            text.resize(0);
            for (int c = 1; c < headings.size(); ++c) {
                const int f = fieldOf[static_cast<size_t>(c)];
                if (f >= 0)
                    Query_Select.fields(f).appendText(text);
                ends[static_cast<size_t>(c - 1)] = static_cast<int>(text.size());
            }
            const auto place =
                keyField < 0 ? placeOfKey.cend() : placeOfKey.constFind(Query_Select.fields(keyField).asString());
            if (place == placeOfKey.cend()) {
                strays.addRow(text, ends.data());
            } else {
                placed.emplace_back(place.value(), static_cast<int>(fetched.size()));
                fetched.addRow(text, ends.data());
            }
            Query_Select.next();
        }
        Query_Select.close();
        // Rows of one key keep the order the statement gave them.
        std::stable_sort(placed.begin(), placed.end(),
                         [](const std::pair<int, int>& a, const std::pair<int, int>& b) { return a.first < b.first; });
        for (const auto& [place, row] : placed)
            rows.take(fetched, static_cast<size_t>(row));
    }
    for (size_t r = 0; r < strays.size(); ++r)
        rows.take(strays, r);
    model_.setRows(std::move(rows));
    if (model_.rowCount() > 0)
        ui_->StringGrid->setCurrentIndex(model_.index(model_.rowCount() - 1, 0));
}

void TForm_List::SortGridByColumn(int column)
{
    if (column <= 0 || column >= model_.columnCount() || model_.rowCount() < 2)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restore;
    std::vector<QStringView> texts;
    texts.reserve(static_cast<size_t>(model_.rowCount()));
    for (int r = 0; r < model_.rowCount(); ++r)
        texts.push_back(model_.fieldCell(r, column));
    model_.reorder(sortedViewOrder(texts, !ui_->Descending1->isChecked()));
    ui_->StringGrid->setCurrentIndex(model_.index(0, 0));
}

void TForm_List::RenumberRows() { model_.renumber(); }

void TForm_List::afterMouseRelease()
{
    RenumberRows();
    // Without the key among the columns the grid cannot say which records it shows.
    if (!KeyList || KeyGridColumn < 0)
        return;
    KeyList->clear();
    for (int r = 0; r < model_.rowCount(); ++r)
        *KeyList << model_.cell(r, KeyGridColumn);
}

void TForm_List::setFixedColumns(int count) { fixed_->setCount(count); }

void TForm_List::StringGridDblClick() { ui_->BitBtn_Close->click(); }

void TForm_List::Ascending1Click()
{
    ui_->Ascending1->setChecked(true);
    ui_->Descending1->setChecked(false);
}

void TForm_List::Descending1Click()
{
    ui_->Descending1->setChecked(true);
    ui_->Ascending1->setChecked(false);
}

void TForm_List::BitBtn_CloseClick() { done(QDialog::Accepted); }

void TForm_List::Button_RemoveClick()
{
    const int row = ui_->StringGrid->currentIndex().row();
    if (row < 0)
        return;
    if (platform::modal::messageBox(this, QMessageBox::Question, QApplication::applicationName(),
                                    QStringLiteral("Are you sure you want to remove the selected rows from your query list?"),
                                    QMessageBox::Yes | QMessageBox::No)
        != QMessageBox::Yes)
        return;
    if (KeyList && KeyGridColumn >= 0)
        KeyList->removeOne(model_.cell(row, KeyGridColumn));
    model_.removeRow(row);
    RenumberRows();
}

void TForm_List::done(int result)
{
    // The record picked is found in the key list by its key, so a record that the grid could
    // not show never shifts the choice; without the key column the row's place counts.
    const int row = ui_->StringGrid->currentIndex().row();
    ChosenIndex = row;
    if (KeyList && KeyGridColumn >= 0 && row >= 0) {
        const qsizetype at = KeyList->indexOf(model_.cell(row, KeyGridColumn));
        if (at >= 0)
            ChosenIndex = static_cast<int>(at);
    }
    QDialog::done(result);
}

// ---------------------------------------------------------------------------------------------
// The View menu's command

void MenuItem_ListViewClick(TForm_Main& form)
{
    MainState& s = form.state();
    Ui::TForm_Main& ui = form.ui();
    RestoreMaxLengths(s, ui);

    {
        TForm_List list(s, form.Database.databaseName(), &form);
        list.ListTable = s.CurrentTable;
        list.KeyFieldName = !s.KeyColumn.isEmpty() ? s.KeyColumn : s.UniqueColumn;
        list.KeyList = &s.RecordKeys;
        list.ChosenIndex = s.RecordIndex;

        const bool oracle = s.CurrentDatabase && s.CurrentDatabase->DBType == QLatin1String("ORACLE");
        QStringList headings{QStringLiteral("Row")};
        bool fixedColumns = false;
        std::vector<int> widths{30};
        for (QWidget* w : PageControls(ui)) {
            if (auto* edit = qobject_cast<TBVMaskEdit*>(w)) {
                fixedColumns = true;
                headings << edit->FieldName;
                int width = edit->maxLengthLimit() != 0 ? edit->maxLengthLimit() * 8 + 1
                            : (edit->FieldName == QLatin1String("rowid") && oracle) ? 144
                                                                                   : 96;
                widths.push_back(std::max(width, 50));
            } else if (auto* memo = qobject_cast<TBVMemo*>(w)) {
                headings << memo->FieldName;
                widths.push_back(120);
            }
        }
        list.grid().setHeadings(headings);
        for (size_t c = 0; c < widths.size(); ++c)
            list.ui()->StringGrid->setColumnWidth(static_cast<int>(c), widths[c]);
        // The row number and the first field stay in place while the grid scrolls sideways.
        if (fixedColumns)
            list.setFixedColumns(2);

        platform::modal::execWindow(list);
        s.RecordIndex = list.ChosenIndex;
    }
    ClearMaxLengths(ui);
    TablePageEnv env = form.tablePageEnv();
    BitBtn_FirstClick(env, ui.BitBtn_Cancel);
}
