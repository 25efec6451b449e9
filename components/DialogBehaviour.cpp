#include "components/DialogBehaviour.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

void CenterOnScreen(QWidget& window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.geometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}

bool EscapePressesCancel(QKeyEvent* event, QAbstractButton* cancel)
{
    if (event->key() != Qt::Key_Escape || event->modifiers() != Qt::NoModifier || !cancel)
        return false;
    cancel->click();
    return true;
}
