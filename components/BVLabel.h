#pragma once
#include <QLabel>

// The static-text caption of the dialogs' fields.
class TBVLabel : public QLabel {
    Q_OBJECT
public:
    explicit TBVLabel(QWidget* parent = nullptr) : QLabel(parent) {}
};
