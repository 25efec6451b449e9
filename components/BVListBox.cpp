#include "components/BVListBox.h"

#include "components/BVLabel.h"

#include <QLabel>

TBVListBox::TBVListBox(QWidget* parent) : QListWidget(parent) {}

void TBVListBox::setRequired(bool required)
{
    required_ = required;
    PaintRequired(this, LabelControl.data(), required);
}
