#pragma once
// Where a window first appears.
class QWidget;

// Puts the window in the middle of the primary screen's free area.
void CenterOnScreen(QWidget& window);
