#include "workspace/tablepage/TablePage.h"

#include "app/ConnectionStatus.h"
#include "components/BVComboBox.h"
#include "components/BVLabel.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/PanelCacheStyle.h"
#include "components/PerWidget.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/ShownValues.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStatusBar>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

using namespace platform::engine;

constexpr int kEditHeight = 21;
constexpr int kDefaultEditWidth = 121;
// A Qt line edit draws its text 2 pixels in from each side even without a frame; the caption
// gets them on top of the measured text width so no letter is cut off.
constexpr int kCaptionTextMargin = 4;
int nextCreationOrder()
{
    static int order = 0;
    return ++order;
}

// Each control's order of making; the page's controls are listed in it several times a command.
PerWidget<int>& creationOrders()
{
    static PerWidget<int> orders;
    return orders;
}

// 0 for a control not made by the page.
int creationOrder(const QWidget* w)
{
    const int* order = creationOrders().find(w);
    return order ? *order : 0;
}

QWidget* pageOf(Ui::TForm_Main& ui) { return ui.ScrollBox->widget(); }

template <class T>
QList<T*> pageControlsOf(Ui::TForm_Main& ui)
{
    QList<T*> result;
    for (QWidget* w : PageControls(ui))
        if (auto* t = qobject_cast<T*>(w))
            result.append(t);
    return result;
}

// The window's own component names, which no control of the page may take.
QSet<QString> windowNames(Ui::TForm_Main& ui)
{
    QSet<QString> names;
    QWidget* page = pageOf(ui);
    QWidget* top = ui.ScrollBox->window();
    for (QObject* o : top->findChildren<QObject*>()) {
        if (o->objectName().isEmpty() || (page && page->isAncestorOf(qobject_cast<QWidget*>(o))))
            continue;
        names.insert(o->objectName());
    }
    names.insert(top->objectName());
    return names;
}

// A name under the rule, or, when the page or the window already holds it (two columns that
// differ only in dropped characters, a column named like a window component), the same name with
// "_2", "_3", ... added, so every control stays findable by its own name.
QString uniqueName(const QString& wanted, QSet<QString>& taken)
{
    QString name = wanted;
    for (int n = 2; taken.contains(name); ++n)
        name = wanted + QLatin1Char('_') + QString::number(n);
    taken.insert(name);
    return name;
}

void markCreated(QWidget* w) { creationOrders()[w] = nextCreationOrder(); }

void setBase(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    w->setPalette(p);
}

QFont dataFont()
{
    QFont font(QStringLiteral("courier new"), 8);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QColor btnFace() { return QApplication::palette().color(QPalette::Button); }

// Pictures open the page's picture popup; the popup remembers which control it was opened on.
void attachPicturePopup(TBVImage* image, QMenu* popup)
{
    if (!popup)
        return;
    image->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(image, &QWidget::customContextMenuRequested, image, [image, popup](const QPoint& pos) {
        popup->setProperty("PopupComponent", QVariant::fromValue<QObject*>(image));
        popup->popup(image->mapToGlobal(pos));
    });
}

} // namespace

TBevel::TBevel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Box);
    setFrameShadow(QFrame::Sunken);
}

QString KeepIdentChars(const QString& S)
{
    QString result;
    for (QChar c : S) {
        const char16_t u = c.unicode();
        if ((u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_')
            result.append(c);
    }
    return result;
}

QString FieldTypeName(int FieldType)
{
    switch (FieldType) {
    case ftSmallint: return QStringLiteral("smallint");
    case ftInteger: return QStringLiteral("integer");
    case ftBoolean: return QStringLiteral("boolean");
    case ftFloat: return QStringLiteral("float");
    case ftDate: return QStringLiteral("date");
    case ftDateTime: return QStringLiteral("datetime");
    case ftBlob: return QStringLiteral("blob");
    case ftMemo: return QStringLiteral("memo");
    case ftGraphic: return QStringLiteral("image");
    default: return QStringLiteral("char");
    }
}

QList<QWidget*> PageControls(Ui::TForm_Main& ui)
{
    QWidget* page = pageOf(ui);
    if (!page)
        return {};
    const QList<QWidget*> children = page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    // Raising and lowering reorder a widget's children; the order of making does not change.
    // Controls without an order come last, in child order.
    struct Ordered {
        qint64 order;
        QWidget* widget;
    };
    std::vector<Ordered> ordered;
    ordered.reserve(std::size_t(children.size()));
    for (QWidget* w : children) {
        const int order = creationOrder(w);
        ordered.push_back({order > 0 ? qint64(order) : std::numeric_limits<qint64>::max(), w});
    }
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const Ordered& a, const Ordered& b) { return a.order < b.order; });
    QList<QWidget*> controls;
    controls.reserve(children.size());
    for (const Ordered& o : ordered)
        controls.append(o.widget);
    return controls;
}

void FitPageContents(Ui::TForm_Main& ui)
{
    QWidget* page = pageOf(ui);
    if (!page)
        return;
    int right = 0, bottom = 0;
    for (QWidget* w : PageControls(ui)) {
        if (w->isHidden())
            continue;
        right = std::max(right, w->geometry().right() + 1);
        bottom = std::max(bottom, w->geometry().bottom() + 1);
    }
    page->setMinimumSize(right + 10, bottom + 10);
    // A smaller minimum does not shrink the page by itself: a short page after a tall one would
    // keep the tall one's scroll range.
    page->resize(std::max(right + 10, ui.ScrollBox->viewport()->width()),
                 std::max(bottom + 10, ui.ScrollBox->viewport()->height()));
}

void FreeTablePageControls(TablePageEnv& env)
{
    // A field that has the focus would hand it to the next one as it goes, scrolling the page
    // down on the way: the scroll box takes the focus first.
    if (QWidget* page = pageOf(env.ui); page && page->isAncestorOf(QApplication::focusWidget()))
        env.ui.ScrollBox->setFocus();
    for (QWidget* w : PageControls(env.ui)) {
        if (qobject_cast<TBVMaskEdit*>(w) || qobject_cast<TBVMemo*>(w) || qobject_cast<TBVImage*>(w)
            || qobject_cast<QLabel*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<TBVComboBox*>(w)
            || qobject_cast<TBevel*>(w))
            delete w;
    }
    // Nothing may reach the freed controls: the columns and the key controls go with them.
    env.state.ColumnList.clear();
    // A table altered or made again under its name needs its record statement prepared afresh.
    env.state.PreparedRecordFetch.reset();
    env.state.KeyControl = nullptr;
    env.state.UniqueControl = nullptr;
    FitPageContents(env.ui);
    if (env.statusPanel0)
        env.statusPanel0->setText(GetConnectionText(env.state, env.ui.StatusBar));
}

void BuildTablePage(TablePageEnv& env)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;

    state.KeyControl = nullptr;
    state.UniqueControl = nullptr;
    state.KeyColumn.clear();
    state.UniqueColumn.clear();
    // The hidden page keeps its room, so a build that fails leaves the tool bars where they were.
    QSizePolicy keepRoom = ui.ScrollBox->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    ui.ScrollBox->setSizePolicy(keepRoom);
    ui.ScrollBox->setVisible(false);
    FreeTablePageControls(env);

    state.KeyColumn = ConfiguredSerialColumn(state);
    state.UniqueColumn = ConfiguredUniqueColumn(state);

    int Y = 10;
    const int X = 10;
    int MaxRight = 10;

    {
        state.AddRowId = true;
        struct RowIdOff {
            MainState& s;
            ~RowIdOff() { s.AddRowId = false; }
        } rowIdOff{state};
        ColumnListLoader(state, env.sources).LoadFieldObjects(state.CurrentTable, state.ColumnList);
    }

    ui.MenuItem_AllowLowerCase->setVisible(true);
    const bool allowLower = ui.MenuItem_AllowLowerCase->isChecked();
    const bool oracle = state.CurrentDatabase && state.CurrentDatabase->DBType == QLatin1String("ORACLE");

    QWidget* page = pageOf(ui);
    QSet<QString> taken = windowNames(ui);
    const QColor pageColour = page->palette().color(page->backgroundRole());

    for (auto& [N, O] : state.ColumnList) {
        const QString ident = KeepIdentChars(N);

        auto* caption = new QLineEdit(page);
        markCreated(caption);
        O->LabelEdit = caption;
        caption->hide();
        caption->setFocusPolicy(Qt::ClickFocus);
        caption->setReadOnly(true);
        caption->setFrame(false);
        caption->setTextMargins(0, 0, 0, 0);
        setBase(caption, pageColour);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        caption->setObjectName(uniqueName(QStringLiteral("Label_") + ident, taken));
        ui.Label_Width->setText(N);
        ui.Label_Width->adjustSize();
        const int width = ui.Label_Width->sizeHint().width() + kCaptionTextMargin;
        caption->setGeometry(X, Y + 3, width, kEditHeight);
        caption->setText(N);
        caption->setCursorPosition(0);
        MaxRight = std::max(MaxRight, X + width);
        caption->show();

        if (O->ColumnType != ftBlob && O->ColumnType != ftMemo) {
            auto* edit = new TBVMaskEdit(page);
            edit->setStyle(TPanelCacheStyle::instance());
            markCreated(edit);
            O->DataControl = edit;
            edit->setObjectName(uniqueName(QStringLiteral("BVMaskEdit_") + ident, taken));
            edit->FieldName = N;
            edit->FieldType = O->IsSerial ? ftAutoInc : static_cast<FieldType>(O->ColumnType);
            if (state.KeyColumn == edit->FieldName)
                edit->FieldType = ftAutoInc;
            edit->setFont(dataFont());
            edit->setCharCase(allowLower || N == QLatin1String("rowid") ? TEditCharCase::Normal
                                                                        : TEditCharCase::Upper);
            O->ControlTop = Y;
            edit->setReadOnly(true);
            setBase(edit, QApplication::palette().color(QPalette::Base));
            int w = kDefaultEditWidth;
            switch (edit->FieldType) {
            case ftString:
                w = (O->ColumnSize + 1) * 7;
                if (w <= 14)
                    w += 5;
                edit->setMaxLengthLimit(O->ColumnSize);
                break;
            case ftDate:
                w = 77;
                edit->setEditMask(QStringLiteral("!99/99/0000;1;_"));
                edit->setMaxLengthLimit(10);
                break;
            case ftDateTime:
                w = 144;
                edit->setEditMask(QStringLiteral("!99/99/0000 00:00:99;1;_"));
                edit->setMaxLengthLimit(19);
                break;
            case ftInteger:
            case ftBoolean:
            case ftFloat:
                w = 88;
                break;
            case ftAutoInc:
                state.KeyControl = edit;
                state.KeyColumn = edit->FieldName;
                w = oracle && state.KeyColumn == QLatin1String("rowid") ? 150 : 88;
                setBase(edit, btnFace());
                break;
            default:
                break;
            }
            edit->setGeometry(X + 110, Y, w, kEditHeight);
            if (!state.UniqueColumn.isEmpty() && edit->FieldName.toLower() == state.UniqueColumn.toLower())
                state.UniqueControl = edit;
            edit->clear();
            Y += edit->height() + 10;
            edit->show();
        } else if (O->ColumnType == ftMemo) {
            auto* memo = new TBVMemo(page);
            markCreated(memo);
            O->DataControl = memo;
            memo->setObjectName(uniqueName(QStringLiteral("MMemo_") + ident, taken));
            memo->FieldName = N;
            memo->FieldType = O->IsSerial ? ftUnknown : static_cast<FieldType>(O->ColumnType);
            memo->setFont(dataFont());
            O->ControlTop = Y;
            memo->setReadOnly(true);
            setBase(memo, QApplication::palette().color(QPalette::Base));
            memo->setGeometry(X + 110, Y, 700, state.MemoHeight);
            memo->setMaxLengthLimit(2147483647);
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            memo->clear();
            Y += memo->height() + 10;
            memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            memo->show();
        } else {
            auto* image = new TBVImage(page);
            markCreated(image);
            O->DataControl = image;
            attachPicturePopup(image, ui.PopupMenu_Images);
            // The picture's name carries its column unfiltered; record display reads it back.
            image->setObjectName(uniqueName(QStringLiteral("Image_") + N, taken));
            image->setGeometry(X + 100, Y + 8, 21, 21);
            O->ControlTop = Y + 8;
            image->setAutoSize(false);
            image->setCenter(true);
            Y += 21 + 10;
            image->show();

            auto* frame = new TBevel(page);
            markCreated(frame);
            frame->setGeometry(image->x() - 5, image->y() - 5, image->width() + 10, image->height() + 10);
            frame->Hint = image->objectName();
            frame->lower();
            frame->show();
        }
    }

    state.FieldSizes.clear();
    const int boxWidth = ui.ScrollBox->width();
    for (QWidget* w : PageControls(ui)) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        auto* memo = qobject_cast<TBVMemo*>(w);
        if (!edit && !memo)
            continue;
        w->move(MaxRight + 10, w->y());
        if (w->width() > boxWidth - (MaxRight + 20))
            w->resize(boxWidth - (MaxRight + 30), w->height());
        state.FieldSizes.append(QString::number(edit ? edit->maxLengthLimit() : memo->maxLengthLimit()));
    }

    FitPageContents(ui);
    ConnectDataControls(env);
    // A new page starts at its top, wherever the last one was scrolled to.
    ui.ScrollBox->verticalScrollBar()->setValue(0);
    ui.ScrollBox->horizontalScrollBar()->setValue(0);
    ui.ScrollBox->setVisible(true);
    ui.ScrollBox->update();
    if (env.window)
        env.window->update();
}

void ClearTablePage(Ui::TForm_Main& ui)
{
    const QPixmap empty = ui.Image_Clear->pixmap();
    for (QWidget* w : PageControls(ui)) {
        ForgetShownValue(w);
        if (auto* edit = qobject_cast<TBVMaskEdit*>(w)) {
            edit->clear();
            edit->Hint.clear();
        } else if (auto* memo = qobject_cast<TBVMemo*>(w)) {
            memo->clear();
            memo->Hint.clear();
        } else if (auto* image = qobject_cast<TBVImage*>(w)) {
            image->resize(21, 21);
            image->setPicture(empty);
            image->ImageFormat = TBVImage::None;  // an emptied control stores nothing of its last picture
            image->Hint.clear();
            FitImageFrame(ui, image);
        }
    }
    RefreshNullMarkers(ui);
}

void SetPageReadOnly(Ui::TForm_Main& ui)
{
    for (QWidget* w : PageControls(ui)) {
        if (auto* edit = qobject_cast<TBVMaskEdit*>(w))
            edit->setReadOnly(true);
        else if (auto* memo = qobject_cast<TBVMemo*>(w))
            memo->setReadOnly(true);
    }
}

void SetPageEditable(MainState& state, Ui::TForm_Main& ui)
{
    for (QWidget* w : PageControls(ui)) {
        if (auto* memo = qobject_cast<TBVMemo*>(w))
            memo->setReadOnly(false);
        else if (auto* edit = qobject_cast<TBVMaskEdit*>(w))
            // The key can be searched on but is never typed for adding or updating.
            edit->setReadOnly(edit->FieldType == ftAutoInc && !state.InQueryMode);
    }
}

void ClearMaxLengths(Ui::TForm_Main& ui)
{
    for (TBVMaskEdit* edit : pageControlsOf<TBVMaskEdit>(ui))
        edit->setMaxLengthLimit(0);
}

void RestoreMaxLengths(MainState& state, Ui::TForm_Main& ui)
{
    // FieldSizes runs over mask edits and memos in page order; the memos' entries are skipped
    // in step, so each edit gets its own limit back.
    int i = 0;
    for (QWidget* w : PageControls(ui)) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (!edit && !qobject_cast<TBVMemo*>(w))
            continue;
        if (edit && i < state.FieldSizes.size())
            edit->setMaxLengthLimit(state.FieldSizes.at(i).toInt());
        ++i;
    }
}

void SetModeButtons(MainState& state, Ui::TForm_Main& ui)
{
    for (QPushButton* b : {ui.BitBtn_Query, ui.BitBtn_QuickQuery, ui.BitBtn_Add, ui.BitBtn_Update, ui.BitBtn_Remove})
        b->setEnabled(false);
    const bool table = !state.CurrentTable.isEmpty();
    ui.BitBtn_Execute->setEnabled(table);
    ui.BitBtn_Cancel->setEnabled(table);
}

void ResetModeButtons(MainState& state, Ui::TForm_Main& ui)
{
    const bool table = !state.CurrentTable.isEmpty();
    for (QPushButton* b : {ui.BitBtn_QuickQuery, ui.BitBtn_Query, ui.BitBtn_Add})
        b->setEnabled(table);
    ui.BitBtn_Execute->setEnabled(false);
    ui.BitBtn_Cancel->setEnabled(false);
}

void SetNavigationButtons(MainState& state, Ui::TForm_Main& ui, int Index)
{
    const bool any = !state.RecordKeys.isEmpty();
    const bool back = any && Index >= 1;
    const bool forward = any && Index < state.RecordKeys.size() - 1;
    ui.BitBtn_First->setEnabled(back);
    ui.BitBtn_Previous->setEnabled(back);
    ui.BitBtn_Next->setEnabled(forward);
    ui.BitBtn_Last->setEnabled(forward);
}

void UpdateWindowCaption(MainState& state, QWidget* window)
{
    if (!window)
        return;
    QString caption = QStringLiteral("Quorvel   ");
    if (!state.CurrentTable.isEmpty())
        caption += state.CurrentTable.toUpper();
    window->setWindowTitle(caption);
}

void ResetImagePositions(MainState& state, Ui::TForm_Main& ui)
{
    // A page without pictures whose controls stand where they were built has nothing to put
    // back: left alone, it is not painted again.
    const bool anything = std::any_of(state.ColumnList.begin(), state.ColumnList.end(), [](const auto& entry) {
        const TFieldObject& O = *entry.second;
        return qobject_cast<TBVImage*>(O.DataControl) || (O.DataControl && O.DataControl->y() != O.ControlTop)
               || (O.DataControl && O.LabelEdit && O.LabelEdit->y() != O.ControlTop + 3);
    });
    if (!anything)
        return;
    // Only the record page moves: holding its painting is enough.
    QWidget* page = ui.ScrollBox;
    const bool held = page->updatesEnabled();
    if (held)
        page->setUpdatesEnabled(false);
    QScrollBar* bar = ui.ScrollBox->verticalScrollBar();
    const int position = bar->value();
    bar->setValue(0);
    // The page is fitted again only when a control came back from where a picture pushed it.
    bool moved = false;
    auto place = [&moved](QWidget* w, int top) {
        if (w->y() != top) {
            w->move(w->x(), top);
            moved = true;
        }
    };
    for (auto& entry : state.ColumnList) {
        TFieldObject& O = *entry.second;
        if (qobject_cast<TBVImage*>(O.DataControl)) {
            place(O.DataControl, O.ControlTop);
            if (O.LabelEdit)
                place(O.LabelEdit, O.ControlTop);
            FitImageFrame(ui, O.DataControl);
        } else if (O.DataControl) {
            // Controls below pictures go back to where they were built, so every showing of a
            // picture pushes them from there and they do not creep down record by record.
            place(O.DataControl, O.ControlTop);
            if (O.LabelEdit)
                place(O.LabelEdit, O.ControlTop + 3);
        }
    }
    if (moved)
        FitPageContents(ui);
    bar->setValue(position);
    if (held)
        page->setUpdatesEnabled(true);
}

void MoveControlsBelow(Ui::TForm_Main& ui, QWidget* Control)
{
    if (!Control)
        return;
    const int own = creationOrder(Control);
    if (own == 0)
        return;
    for (QWidget* w : PageControls(ui))
        if (creationOrder(w) > own)
            w->move(w->x(), w->y() + Control->height());
    FitPageContents(ui);
}

void FitImageFrame(Ui::TForm_Main& ui, QWidget* Control)
{
    if (!Control)
        return;
    for (TBevel* frame : pageControlsOf<TBevel>(ui)) {
        if (frame->Hint != Control->objectName())
            continue;
        frame->setGeometry(Control->x() - 5, Control->y() - 5, Control->width() + 10, Control->height() + 10);
        frame->show();
        break;
    }
    FitPageContents(ui);
}
