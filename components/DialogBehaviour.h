#pragma once
// How the program's own windows place themselves and take keys.
class QAbstractButton;
class QKeyEvent;
class QWidget;

// Puts the window in the middle of its screen's free area, made smaller where it would not fit
// (as far as its minimum size allows) and never reaching above or left of that area.
void CenterOnScreen(QWidget& window);

// Esc without a shift key presses the window's cancel button, so its handler runs. True when the
// key was taken.
bool EscapePressesCancel(QKeyEvent* event, QAbstractButton* cancel);
