#include "components/DialogBehaviour.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void CenterOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame is known once the window has been shown; before that it counts as none.
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize room = area.size() - frame;
    if (window.width() > room.width() || window.height() > room.height())
        window.resize(window.size().boundedTo(room).expandedTo(window.minimumSize()));
    QRect outer(QPoint(), window.size() + frame);
    outer.moveCenter(area.center());
    // A window larger than the area, which cannot shrink, keeps its title bar and left edge on
    // the screen.
    outer.moveTopLeft(QPoint(std::max(outer.left(), area.left()), std::max(outer.top(), area.top())));
    window.move(outer.topLeft());
}

bool EscapePressesCancel(QKeyEvent* event, QAbstractButton* cancel)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier || !cancel)
        return false;
    cancel->click();
    return true;
}
