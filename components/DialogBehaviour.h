#pragma once
// How the program's own windows place themselves and take keys.
class QAbstractButton;
class QKeyEvent;
class QWidget;

// Puts the window in the middle of the primary screen's free area.
void CenterOnScreen(QWidget& window);

// Esc without a shift key presses the window's cancel button, so its handler runs. True when the
// key was taken.
bool EscapePressesCancel(QKeyEvent* event, QAbstractButton* cancel);
