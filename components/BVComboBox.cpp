#include "components/BVComboBox.h"

#include "components/BVLabel.h"

#include <QLabel>
#include <QMouseEvent>

TBVComboBox::TBVComboBox(QWidget* parent) : QComboBox(parent) {}

void TBVComboBox::setRequired(bool required)
{
    required_ = required;
    PaintRequired(this, LabelControl.data(), required);
}

void TBVComboBox::mousePressEvent(QMouseEvent* event)
{
    emit OnMouseDown(event);
    QComboBox::mousePressEvent(event);
}

void TBVComboBox::mouseMoveEvent(QMouseEvent* event)
{
    emit OnMouseMove(event);
    QComboBox::mouseMoveEvent(event);
}

void TBVComboBox::mouseReleaseEvent(QMouseEvent* event)
{
    emit OnMouseUp(event);
    QComboBox::mouseReleaseEvent(event);
}
