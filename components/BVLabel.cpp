#include "components/BVLabel.h"

#include <QColor>
#include <QPalette>

namespace {

void paintText(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    // Edits draw with Text, labels with WindowText, non-editable combo boxes with ButtonText.
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
        p.setColor(role, colour);
    w->setPalette(p);
}

} // namespace

void PaintRequired(QWidget* control, QWidget* caption, bool required)
{
    const QColor colour = required ? QColor(255, 0, 0) : QColor(0, 0, 0);
    if (control)
        paintText(control, colour);
    if (caption)
        paintText(caption, colour);
}
