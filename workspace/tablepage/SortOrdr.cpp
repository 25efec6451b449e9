#include "workspace/tablepage/SortOrdr.h"

#include "app/Options.h"
#include "components/BVMaskEdit.h"
#include "components/Utils.h"
#include "components/DialogBehaviour.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"
#include "ui_SortOrdr.h"

#include <QListWidget>
#include <QMouseEvent>
#include <QStyle>

namespace {

const QString kDesc = QStringLiteral(" DESC");

// Moves the selected items of one list to the end of the other, first to last. They are taken
// all at once: a list that loses its current item selects the next one by itself.
void moveSelected(QListWidget* from, QListWidget* to)
{
    QList<QListWidgetItem*> selected;
    for (int i = 0; i < from->count(); ++i) {
        if (from->item(i)->isSelected())
            selected << from->item(i);
    }
    for (QListWidgetItem* item : selected) {
        to->addItem(item->text());
        delete from->takeItem(from->row(item));
    }
    from->clearSelection();
}

} // namespace

TForm_Order::TForm_Order(QWidget* page, const QString& currentTable, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_Order>()), page_(page), currentTable_(currentTable)
{
    ui_->setupUi(this);
    // A dialog border without border icons: OK is the way out.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    ui_->BitBtn_Add->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    ui_->BitBtn_Remove->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    connect(ui_->BitBtn_Add, &QPushButton::clicked, this, &TForm_Order::BitBtn_AddClick);
    connect(ui_->BitBtn_Remove, &QPushButton::clicked, this, &TForm_Order::BitBtn_RemoveClick);
    connect(ui_->BitBtn_Ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui_->ListBox_SortOrder, &QListWidget::itemPressed, this, &TForm_Order::ListBox_SortOrderMouseDown);
    ui_->ListBox_SortOrder->viewport()->installEventFilter(this);
    CenterOnScreen(*this);
    FormCreate();
}

TForm_Order::~TForm_Order() = default;

void TForm_Order::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

bool TForm_Order::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->ListBox_SortOrder->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            DragItem.clear();  // the item pressed, if any, is remembered once the list has selected it
        else if (event->type() == QEvent::MouseButtonRelease)
            ListBox_SortOrderMouseUp();
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_Order::FormCreate()
{
    if (!page_)
        return;
    for (TBVMaskEdit* edit : page_->findChildren<TBVMaskEdit*>(Qt::FindDirectChildrenOnly))
        ui_->ListBox_Fields->addItem(edit->FieldName);
}

void TForm_Order::FormShow()
{
    QString value = platform::IniFile(kQuorvelIni).readString(QStringLiteral("Sort Order"), currentTable_, QString());
    if (value.endsWith(kDesc)) {
        ui_->CheckBox_Desc->setChecked(true);
        value.chop(kDesc.size());
    }
    QListWidget* fields = ui_->ListBox_Fields;
    QStringList names;
    for (const QString& piece : value.split(QLatin1Char(','))) {
        QString name = piece;
        while (name.startsWith(QLatin1Char(' ')))
            name.remove(0, 1);
        for (int i = 0; i < fields->count(); ++i) {
            if (fields->item(i)->text() == name) {
                names << name;
                break;
            }
        }
    }
    for (const QString& name : names) {
        fields->clearSelection();
        const QList<QListWidgetItem*> found = fields->findItems(name, Qt::MatchExactly);
        if (found.isEmpty())
            continue;  // named twice: already moved
        found.first()->setSelected(true);
        BitBtn_AddClick();
    }
    fields->setFocus();
}

void TForm_Order::BitBtn_AddClick()
{
    moveSelected(ui_->ListBox_Fields, ui_->ListBox_SortOrder);
}

void TForm_Order::BitBtn_RemoveClick()
{
    moveSelected(ui_->ListBox_SortOrder, ui_->ListBox_Fields);
    ui_->ListBox_Fields->sortItems();
}

void TForm_Order::ListBox_SortOrderMouseDown()
{
    const QList<QListWidgetItem*> selected = ui_->ListBox_SortOrder->selectedItems();
    if (!selected.isEmpty())
        DragItem = selected.first()->text();
}

void TForm_Order::ListBox_SortOrderMouseUp()
{
    QListWidget* list = ui_->ListBox_SortOrder;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (DragItem.isEmpty() || selected.isEmpty())
        return;
    const QList<QListWidgetItem*> dragged = list->findItems(DragItem, Qt::MatchExactly);
    if (dragged.isEmpty())
        return;
    const int oldIndex = list->row(dragged.first());
    const int newIndex = list->row(selected.first());
    if (oldIndex == newIndex)
        return;
    // The items between move one place towards the old index; the dragged one takes the new.
    QListWidgetItem* item = list->takeItem(oldIndex);
    list->insertItem(newIndex, item);
    list->setCurrentItem(item);
}

void BitBtn_SortOrderClick(TablePageEnv& env)
{
    MainState& state = env.state;
    if (state.CurrentTable.isEmpty())
        return;  // no key may be written under an empty name
    bool descending = false;
    QStringList order;
    {
        TForm_Order dialog(env.ui.ScrollBox->widget(), state.CurrentTable, env.window);
        platform::modal::execWindow(dialog);
        descending = dialog.ui()->CheckBox_Desc->isChecked();
        for (int i = 0; i < dialog.ui()->ListBox_SortOrder->count(); ++i)
            order << dialog.ui()->ListBox_SortOrder->item(i)->text();
    }
    state.OrderBy.clear();
    state.UseSortOrder = false;
    for (const QString& name : order)
        state.OrderBy += name + QStringLiteral(", ");
    if (!state.OrderBy.isEmpty()) {
        state.OrderBy.chop(2);
        state.UseSortOrder = true;
        if (descending && !state.OrderBy.endsWith(kDesc))
            state.OrderBy += kDesc;
    }
    platform::IniFile(kQuorvelIni).writeString(QStringLiteral("Sort Order"), state.CurrentTable, state.OrderBy);
}

QString OrderByClause(MainState& state)
{
    QString text = state.OrderBy;
    const bool descending = text.endsWith(kDesc);
    if (descending)
        text.chop(kDesc.size());

    QStringList kept, dropped;
    for (const QString& piece : text.split(QLatin1Char(','))) {
        const QString name = piece.trimmed();
        if (name.isEmpty())
            continue;
        bool known = state.ColumnList.empty();
        for (const auto& column : state.ColumnList) {
            if (column.first.compare(name, Qt::CaseInsensitive) == 0) {
                known = true;
                break;
            }
        }
        (known ? kept : dropped) << name;
    }

    if (!dropped.isEmpty()) {
        state.OrderBy = kept.join(QStringLiteral(", "));
        if (descending && !kept.isEmpty())
            state.OrderBy += kDesc;
        state.UseSortOrder = !state.OrderBy.isEmpty();
        AppMessageDlg(QStringLiteral("The sort order of the ") + state.CurrentTable
                          + QStringLiteral(" table names columns the table does not have: ") + dropped.join(QStringLiteral(", "))
                          + QStringLiteral(".\r\nThey are left out of the query's sort order."),
                      mtInformation, mbOK);
    }

    QStringList quoted;
    for (const QString& name : kept)
        quoted << QuoteIfBlank(name);
    QString clause = quoted.join(QStringLiteral(", "));
    if (descending && !clause.isEmpty())
        clause += kDesc;
    return clause;
}
