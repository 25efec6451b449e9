#pragma once
// Where a window first appears.
class QWidget;

// Puts the window's frame in the middle of the primary screen's free area.
void CentreOnScreen(QWidget& window);
