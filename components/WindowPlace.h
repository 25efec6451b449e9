#pragma once
// Where a window opens: centred on the screen.
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

inline void CenterOnScreen(QWidget& window)
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = window.geometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
}
