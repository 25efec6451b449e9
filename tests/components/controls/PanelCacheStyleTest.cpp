// The line edits' panels drawn from the cache look as the style draws them, in every state and
// colour the Table page gives them.
#include "components/PanelCacheStyle.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

// The largest difference of one colour channel between the two images.
int largestDifference(const QImage& a, const QImage& b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

QImage drawn(const QStyle& style, const QStyleOptionFrame& option, const QWidget& widget, bool shapedFrame = false)
{
    QImage image(option.rect.size() + QSize(6, 6), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(236, 233, 216));  // the page behind the controls
    QPainter p(&image);
    if (shapedFrame)
        style.drawControl(QStyle::CE_ShapedFrame, &option, &p, &widget);
    else
        style.drawPrimitive(QStyle::PE_PanelLineEdit, &option, &p, &widget);
    return image;
}

} // namespace

TEST(PanelCacheStyle, CachedPanelsLookAsDrawn)
{
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(QApplication::style()->name()));
    ASSERT_TRUE(plain);
    TPanelCacheStyle* cached = TPanelCacheStyle::instance();
    QLineEdit edit;
    struct Case {
        QSize size;
        QStyle::State state;
        QColor base;
    };
    const QStyle::State on = QStyle::State_Enabled;
    const Case cases[] = {
        {{120, 22}, on, QColor(Qt::white)},
        {{120, 22}, on | QStyle::State_HasFocus, QColor(Qt::white)},
        {{120, 22}, on | QStyle::State_ReadOnly, QColor(255, 255, 225)},
        {{120, 22}, QStyle::State_None, QColor(Qt::white)},
        {{37, 19}, on, QColor(Qt::yellow)},
        {{37, 19}, on, QColor(Qt::cyan)},  // same size, another colour: another panel
        {{300, 40}, on | QStyle::State_HasFocus, QColor(200, 220, 255)},
    };
    for (const Case& c : cases) {
        QStyleOptionFrame option;
        option.initFrom(&edit);
        option.rect = QRect(QPoint(3, 3), c.size);
        option.state = c.state;
        option.lineWidth = 1;
        option.palette.setColor(QPalette::Base, c.base);
        const QImage expected = drawn(*plain, option, edit);
        for (int time = 0; time < 2; ++time)  // drawn into the cache, then from it
            EXPECT_LE(largestDifference(drawn(*cached, option, edit), expected), 1)
                << c.size.width() << "x" << c.size.height() << " state " << uint(c.state) << " base "
                << qPrintable(c.base.name()) << " time " << time;
    }

    // The status panels' sunken and raised frames, in two window colours.
    QLabel panel;
    for (const QFrame::Shadow shadow : {QFrame::Sunken, QFrame::Raised})
        for (const QColor& window : {QColor(239, 239, 239), QColor(200, 210, 250)})
            for (const QSize& size : {QSize(766, 17), QSize(120, 17)}) {
                QStyleOptionFrame option;
                option.initFrom(&panel);
                option.rect = QRect(QPoint(3, 3), size);
                option.state |= shadow == QFrame::Sunken ? QStyle::State_Sunken : QStyle::State_Raised;
                option.frameShape = QFrame::Panel;
                option.lineWidth = 1;
                option.palette.setColor(QPalette::Window, window);
                option.palette.setColor(QPalette::Light, window.lighter(150));
                option.palette.setColor(QPalette::Dark, window.darker(150));
                const QImage expected = drawn(*plain, option, panel, true);
                for (int time = 0; time < 2; ++time)
                    EXPECT_LE(largestDifference(drawn(*cached, option, panel, true), expected), 1)
                        << size.width() << " shadow " << int(shadow) << " " << qPrintable(window.name()) << " time "
                        << time;
            }
}
