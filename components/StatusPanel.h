#pragma once
// A panel of the status bar. The bar lays its panels out again at every new text and asks each
// panel for its size; a label measures its whole text for that, which cost more than painting the
// record's fields. A one-line panel's height does not depend on its text, and the panels' widths
// are set by the window, not by their texts, so the size is measured once for a font and kept.
#include <QLabel>

// Sunken, with a margin of 1, filling its own background.
class TStatusPanel : public QLabel {
public:
    explicit TStatusPanel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;

private:
    bool measuredOnce() const;
    void measure() const;

    mutable QSize hint_;
    mutable QSize minimum_;
    mutable int margin_ = -1;
    mutable int frame_ = -1;
};
