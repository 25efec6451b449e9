#pragma once
// The record page repaints its line edits at every record and every change of mode, and the status
// panel at every new text. Much of their painting is their frame: the style draws a line edit's
// antialiased rounded frame, or a panel's shaded lines, at a cost of several times the text. This
// style draws each kind of line edit panel and shaped frame once into a pixmap and copies it after.
#include <QProxyStyle>

#include <memory>

class QWidget;

class TPanelCacheStyle : public QProxyStyle {
public:
    TPanelCacheStyle();
    ~TPanelCacheStyle() override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;

    // The one instance, owned by the application; given to a control with QWidget::setStyle.
    static TPanelCacheStyle* instance();

private:
    struct Panels;
    std::unique_ptr<Panels> panels_;  // drawn while painting, which the style does as const
};
