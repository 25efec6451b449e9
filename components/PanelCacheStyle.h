#pragma once
// The record page repaints its line edits at every record and every change of mode. Most of a line
// edit's painting is its panel: the style draws an antialiased rounded frame, which costs several
// times the text. This style draws each kind of panel once into a pixmap and copies it after.
#include <QProxyStyle>

#include <memory>

class QWidget;

class TPanelCacheStyle : public QProxyStyle {
public:
    TPanelCacheStyle();
    ~TPanelCacheStyle() override;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // The one instance, owned by the application; given to a line edit with QWidget::setStyle.
    static TPanelCacheStyle* instance();

private:
    struct Panels;
    std::unique_ptr<Panels> panels_;  // drawn while painting, which the style does as const
};
