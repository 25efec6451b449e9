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

// The place of one panel in the status bar. A label asks its parent to lay out again at every new
// text, and the status bar answers by repainting itself and the window behind it, at every record
// shown. The slot takes that request instead and passes it on only when the panel's size changed.
class TStatusSlot : public QWidget {
public:
    explicit TStatusSlot(TStatusPanel* panel, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Sizes {
        QSize hint, minimumHint, minimum, maximum;
        QSizePolicy policy;
        bool operator==(const Sizes&) const = default;
    };
    Sizes sizesNow() const;
    bool follow();

    TStatusPanel* panel_;
    Sizes sizes_;
};
