#include "components/PanelCacheStyle.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStyleOption>

namespace {

// What a line edit's panel drawing reads: its size and state and the colours of its palette.
struct PanelKey {
    int width = 0;
    int height = 0;
    uint state = 0;
    int lineWidth = 0;
    uint features = 0;
    QRgb base = 0;
    QRgb window = 0;
    QRgb highlight = 0;
    qreal ratio = 1;
    int direction = 0;

    bool operator==(const PanelKey&) const = default;
};

size_t qHash(const PanelKey& k, size_t seed = 0)
{
    return qHashMulti(seed, k.width, k.height, k.state, k.lineWidth, k.features, k.base, k.window, k.highlight,
                      k.ratio, k.direction);
}

// A few sizes and a few modes' colours; kept small, so it is emptied when it grows past them.
constexpr qsizetype kMostPanels = 128;

} // namespace

struct TPanelCacheStyle::Panels {
    QHash<PanelKey, QPixmap> drawn;
};

TPanelCacheStyle::TPanelCacheStyle() : panels_(std::make_unique<Panels>()) {}

TPanelCacheStyle::~TPanelCacheStyle() = default;

void TPanelCacheStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    const QPalette& pal = option->palette;
    // A panel of a pattern or gradient brush is drawn as it comes.
    if (element != PE_PanelLineEdit || !frame || option->rect.isEmpty() || option->rect.width() > 4096
        || option->rect.height() > 512 || pal.base().style() != Qt::SolidPattern
        || pal.window().style() != Qt::SolidPattern || pal.highlight().style() != Qt::SolidPattern) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    PanelKey key;
    key.width = option->rect.width();
    key.height = option->rect.height();
    key.state = uint(option->state & (State_Enabled | State_HasFocus | State_ReadOnly | State_MouseOver | State_Sunken));
    key.lineWidth = frame->lineWidth;
    key.features = uint(frame->features);
    key.base = pal.base().color().rgba();
    key.window = pal.window().color().rgba();
    key.highlight = pal.highlight().color().rgba();
    key.ratio = painter->device() ? painter->device()->devicePixelRatio() : qreal(1);
    key.direction = int(option->direction);

    auto& cache = panels_->drawn;
    auto at = cache.find(key);
    if (at == cache.end()) {
        if (cache.size() >= kMostPanels)
            cache.clear();
        const QSize size = option->rect.size();
        QPixmap panel(size * key.ratio);
        panel.setDevicePixelRatio(key.ratio);
        panel.fill(Qt::transparent);
        QPainter p(&panel);
        QStyleOptionFrame at0(*frame);
        at0.rect = QRect(QPoint(0, 0), size);
        QProxyStyle::drawPrimitive(element, &at0, &p, widget);
        p.end();
        at = cache.insert(key, panel);
    }
    painter->drawPixmap(option->rect.topLeft(), *at);
}

TPanelCacheStyle* TPanelCacheStyle::instance()
{
    static QPointer<TPanelCacheStyle> style;
    if (!style) {
        style = new TPanelCacheStyle;
        style->setParent(qApp);
    }
    return style;
}
