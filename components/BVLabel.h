#pragma once
#include <QLabel>

// The static-text caption of the dialogs' fields.
class TBVLabel : public QLabel {
    Q_OBJECT
public:
    explicit TBVLabel(QWidget* parent = nullptr) : QLabel(parent) {}
};

// The colour of a required field's text: red (255) when required, black (0) when not, never the
// colour it had before. Paints the control's text roles and, when given, its caption's.
void PaintRequired(QWidget* control, QWidget* caption, bool required);
