#include "workspace/WindowPictures.h"

#include "ui_Main.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>

QPixmap applicationPicture()
{
    QPixmap pixmap(142, 142);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // A database drum of three discs.
    const QRectF body(26, 30, 90, 88);
    const qreal rim = 22;
    QLinearGradient side(body.left(), 0, body.right(), 0);
    side.setColorAt(0, QColor(20, 60, 120));
    side.setColorAt(0.45, QColor(70, 140, 210));
    side.setColorAt(1, QColor(15, 45, 95));
    p.setPen(QPen(QColor(10, 30, 70), 2));
    for (int disc = 2; disc >= 0; --disc) {
        const qreal top = body.top() + disc * (body.height() - rim) / 3;
        const qreal bottom = top + (body.height() - rim) / 3;
        QPainterPath path;
        path.moveTo(body.left(), top + rim / 2);
        path.lineTo(body.left(), bottom + rim / 2);
        path.arcTo(QRectF(body.left(), bottom, body.width(), rim), 180, 180);
        path.lineTo(body.right(), top + rim / 2);
        path.closeSubpath();
        p.setBrush(side);
        p.drawPath(path);
    }
    p.setBrush(QColor(150, 200, 240));
    p.drawEllipse(QRectF(body.left(), body.top(), body.width(), rim));

    // A magnifying glass over the drum: looking at the data.
    p.setPen(QPen(QColor(120, 70, 20), 9, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(98, 100), QPointF(126, 128));
    p.setPen(QPen(QColor(200, 160, 40), 6));
    p.setBrush(QColor(255, 255, 225, 170));
    p.drawEllipse(QPointF(84, 86), 22, 22);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(28);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(128, 0, 128));
    p.drawText(QRectF(62, 64, 44, 44), Qt::AlignCenter, QStringLiteral("Q"));
    return pixmap;
}


namespace {

// Tool-bar glyphs, 16 x 16, drawn once.
QPixmap glyph(const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pixmap;
}

QPixmap arrowGlyph(bool right, bool bar)
{
    return glyph([=](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 128));
        QPolygonF tri;
        if (right)
            tri << QPointF(5, 3) << QPointF(12, 8) << QPointF(5, 13);
        else
            tri << QPointF(11, 3) << QPointF(4, 8) << QPointF(11, 13);
        p.drawPolygon(tri);
        if (bar)
            p.drawRect(right ? QRectF(12, 3, 2, 10) : QRectF(2, 3, 2, 10));
    });
}

QPixmap textGlyph(const QString& text, const QColor& colour, int pixelSize)
{
    return glyph([=](QPainter& p) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(pixelSize);
        font.setBold(true);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, text);
    });
}

QPixmap checkGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(3, 8), QPointF(6.5, 12), QPointF(13, 4)});
    });
}

QPixmap crossGlyph(const QColor& colour)
{
    return glyph([=](QPainter& p) {
        p.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
    });
}

QPixmap pencilGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(QPen(QColor(128, 64, 0), 3, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(4, 12), QPointF(12, 4));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(2, 14), QPointF(4, 12));
    });
}

QPixmap gridGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(QPen(QColor(0, 0, 128), 1));
        p.setBrush(QColor(255, 255, 225));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(0, 0, 128));
        for (qreal y : {9.0, 11.5})
            p.drawLine(QPointF(2, y), QPointF(14, y));
        p.drawLine(QPointF(7, 6), QPointF(7, 13.5));
    });
}

QPixmap magnifierGlyph()
{
    return glyph([](QPainter& p) {
        p.setPen(QPen(QColor(0, 0, 128), 2));
        p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
        p.setPen(QPen(QColor(128, 64, 0), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(14, 14));
    });
}

QPixmap sortGlyph()
{
    return glyph([](QPainter& p) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(7);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0, 0, 128));
        p.drawText(QRectF(0, 0, 9, 8), Qt::AlignCenter, QStringLiteral("A"));
        p.drawText(QRectF(0, 8, 9, 8), Qt::AlignCenter, QStringLiteral("Z"));
        p.setPen(QPen(QColor(128, 0, 0), 1.5));
        p.drawLine(QPointF(12, 2), QPointF(12, 14));
        p.drawLine(QPointF(9.5, 11), QPointF(12, 14));
        p.drawLine(QPointF(14.5, 11), QPointF(12, 14));
    });
}

QPixmap printerGlyph(bool preview)
{
    return glyph([=](QPainter& p) {
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 6));
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(1.5, 7.5, 13, 6));
        if (preview) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QColor(0, 0, 128), 1.5));
            p.drawEllipse(QPointF(8, 5), 3, 3);
        }
    });
}

QPixmap sqlGlyph(bool plus)
{
    return glyph([=](QPainter& p) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(7);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0, 0, 128));
        p.drawText(QRectF(0, 0, 16, 9), Qt::AlignCenter, QStringLiteral("SQL"));
        p.setPen(QPen(plus ? QColor(0, 128, 0) : QColor(128, 0, 0), 2));
        p.drawLine(QPointF(4, 12.5), QPointF(12, 12.5));
        if (plus)
            p.drawLine(QPointF(8, 9), QPointF(8, 16));
    });
}

} // namespace

void DrawToolBarPictures(Ui::TForm_Main& ui)
{
    // Tool bar: fonts with pixel heights, glyphs, and the Append SQL button's two pictures.
    for (auto [button, pixels] : {std::pair{ui.BitBtn_Query, 19}, std::pair{ui.BitBtn_QuickQuery, 13}}) {
        QFont font = button->font();
        font.setPixelSize(pixels);
        button->setFont(font);
        QPalette palette = button->palette();
        // Purple only while enabled: a disabled button must look disabled.
        palette.setColor(QPalette::Active, QPalette::ButtonText, QColor(128, 0, 128));
        palette.setColor(QPalette::Inactive, QPalette::ButtonText, QColor(128, 0, 128));
        button->setPalette(palette);
    }
    const std::pair<QPushButton*, QPixmap> glyphs[] = {
        {ui.BitBtn_First, arrowGlyph(false, true)},   {ui.BitBtn_Previous, arrowGlyph(false, false)},
        {ui.BitBtn_Next, arrowGlyph(true, false)},    {ui.BitBtn_Last, arrowGlyph(true, true)},
        {ui.BitBtn_Add, textGlyph(QStringLiteral("+"), QColor(0, 128, 0), 18)},
        {ui.BitBtn_Update, pencilGlyph()},            {ui.BitBtn_Remove, crossGlyph(QColor(128, 0, 0))},
        {ui.BitBtn_SortOrder, sortGlyph()},           {ui.BitBtn_FindField, magnifierGlyph()},
        {ui.BitBtn_SelectTable, gridGlyph()},         {ui.BitBtn_Preview, printerGlyph(true)},
        {ui.BitBtn_Print, printerGlyph(false)},       {ui.BitBtn_Execute, checkGlyph()},
        {ui.BitBtn_Cancel, crossGlyph(QColor(200, 0, 0))},
    };
    for (const auto& [button, pixmap] : glyphs) {
        button->setIcon(QIcon(pixmap));
        button->setIconSize(QSize(16, 16));
    }
    ui.Image_SQLPlus->setPixmap(sqlGlyph(true));
    ui.Image_SQLMinus->setPixmap(sqlGlyph(false));
    ui.BitBtn_AppendSQL->setIcon(QIcon(ui.Image_SQLMinus->pixmap()));
    ui.BitBtn_AppendSQL->setIconSize(QSize(16, 16));
}
