#include "workspace/RecordDisplay.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "workspace/BVImage.h"

#include "ui_Main.h"

#include <QLineEdit>
#include <QPalette>
#include <QScrollArea>

namespace {

// The column a data control stands for; empty for any other widget.
QString columnOf(QWidget* control)
{
    if (auto* edit = qobject_cast<TBVMaskEdit*>(control))
        return edit->FieldName;
    if (auto* memo = qobject_cast<TBVMemo*>(control))
        return memo->FieldName;
    if (auto* image = qobject_cast<TBVImage*>(control))
        return image->objectName().mid(6);  // after "Image_"
    return {};
}

QString markerOf(QWidget* control)
{
    if (auto* edit = qobject_cast<TBVMaskEdit*>(control))
        return edit->Hint;
    if (auto* memo = qobject_cast<TBVMemo*>(control))
        return memo->Hint;
    if (auto* image = qobject_cast<TBVImage*>(control))
        return image->Hint;
    return {};
}

QList<QWidget*> pageWidgets(Ui::TForm_Main& ui)
{
    QWidget* page = ui.ScrollBox->widget();
    return page ? page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly) : QList<QWidget*>();
}

} // namespace

void SetNullMarker(Ui::TForm_Main& ui, QWidget* Control, bool IsNull)
{
    const QString column = columnOf(Control).toUpper();
    if (!Control)
        return;
    for (QWidget* w : pageWidgets(ui)) {
        // Captions are plain edits; the data controls derive from edits too and are skipped.
        auto* caption = qobject_cast<QLineEdit*>(w);
        if (!caption || qobject_cast<TBVMaskEdit*>(w) || caption->text().toUpper() != column)
            continue;
        QPalette p = caption->palette();
        p.setColor(QPalette::Text, IsNull ? QColor(Qt::red) : QColor(Qt::black));
        caption->setPalette(p);
        return;
    }
}

void RefreshNullMarkers(Ui::TForm_Main& ui)
{
    for (QWidget* w : pageWidgets(ui)) {
        if (qobject_cast<TBVMaskEdit*>(w) || qobject_cast<TBVMemo*>(w) || qobject_cast<TBVImage*>(w))
            SetNullMarker(ui, w, markerOf(w) == QLatin1String("null"));
    }
}
