#include "components/PanelCacheStyle.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QStyleOption>

#include <array>
#include <functional>

namespace {

// The palette roles a frame's or a line edit panel's drawing reads.
constexpr std::array<QPalette::ColorRole, 9> kRoles = {
    QPalette::Base,  QPalette::Window,   QPalette::Highlight, QPalette::Light,     QPalette::Midlight,
    QPalette::Mid,   QPalette::Dark,     QPalette::Shadow,    QPalette::WindowText,
};

// What the drawing of one panel or frame reads: which element, its size and state, the frame's
// lines and the colours of its palette.
struct PanelKey {
    int element = 0;
    int width = 0;
    int height = 0;
    uint state = 0;
    int lineWidth = 0;
    int midLineWidth = 0;
    uint features = 0;
    int shape = 0;
    std::array<QRgb, kRoles.size()> colours{};
    qreal ratio = 1;
    int direction = 0;

    bool operator==(const PanelKey&) const = default;
};

size_t qHash(const PanelKey& k, size_t seed = 0)
{
    seed = qHashMulti(seed, k.element, k.width, k.height, k.state, k.lineWidth, k.midLineWidth, k.features, k.shape,
                      k.ratio, k.direction);
    return qHashRange(k.colours.begin(), k.colours.end(), seed);
}

// A few sizes and a few modes' colours; kept small, so it is emptied when it grows past them.
constexpr qsizetype kMostPanels = 128;

// A panel of a pattern or gradient brush, or of an odd size, is drawn as it comes.
bool cacheable(const QStyleOption& option)
{
    if (option.rect.isEmpty() || option.rect.width() > 4096 || option.rect.height() > 512)
        return false;
    for (QPalette::ColorRole role : kRoles)
        if (option.palette.brush(role).style() != Qt::SolidPattern)
            return false;
    return true;
}

PanelKey keyOf(int element, const QStyleOptionFrame& frame, const QPainter& painter)
{
    PanelKey key;
    key.element = element;
    key.width = frame.rect.width();
    key.height = frame.rect.height();
    key.state = uint(frame.state & (QStyle::State_Enabled | QStyle::State_HasFocus | QStyle::State_ReadOnly
                                     | QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_Raised));
    key.lineWidth = frame.lineWidth;
    key.midLineWidth = frame.midLineWidth;
    key.features = uint(frame.features);
    key.shape = int(frame.frameShape);
    for (std::size_t i = 0; i < kRoles.size(); ++i)
        key.colours[i] = frame.palette.color(kRoles[i]).rgba();
    key.ratio = painter.device() ? painter.device()->devicePixelRatio() : qreal(1);
    key.direction = int(frame.direction);
    return key;
}

} // namespace

struct TPanelCacheStyle::Panels {
    QHash<PanelKey, QPixmap> drawn;

    // Draws the frame at the option's place from the pixmap drawn for its key, drawing that first.
    void draw(const PanelKey& key, const QStyleOptionFrame& frame, QPainter* painter,
              const std::function<void(const QStyleOptionFrame&, QPainter*)>& paint)
    {
        auto at = drawn.find(key);
        if (at == drawn.end()) {
            if (drawn.size() >= kMostPanels)
                drawn.clear();
            const QSize size = frame.rect.size();
            QPixmap panel(size * key.ratio);
            panel.setDevicePixelRatio(key.ratio);
            panel.fill(Qt::transparent);
            QPainter p(&panel);
            QStyleOptionFrame atOrigin(frame);
            atOrigin.rect = QRect(QPoint(0, 0), size);
            paint(atOrigin, &p);
            p.end();
            at = drawn.insert(key, panel);
        }
        painter->drawPixmap(frame.rect.topLeft(), *at);
    }
};

TPanelCacheStyle::TPanelCacheStyle() : panels_(std::make_unique<Panels>()) {}

TPanelCacheStyle::~TPanelCacheStyle() = default;

void TPanelCacheStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_PanelLineEdit || !frame || !cacheable(*option)) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    panels_->draw(keyOf(int(element), *frame, *painter), *frame, painter,
                  [&](const QStyleOptionFrame& at, QPainter* p) { QProxyStyle::drawPrimitive(element, &at, p, widget); });
}

void TPanelCacheStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                   const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != CE_ShapedFrame || !frame || !cacheable(*option)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // Offset by a large number so that a control element never shares a primitive's key.
    panels_->draw(keyOf(0x10000 + int(element), *frame, *painter), *frame, painter,
                  [&](const QStyleOptionFrame& at, QPainter* p) { QProxyStyle::drawControl(element, &at, p, widget); });
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
