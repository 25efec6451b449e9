#pragma once

#include <QPixmap>

namespace Ui {
class TForm_Main;
}

// The program's picture, shown by the splash screen and the about box, and installed as its icon.
QPixmap applicationPicture();

// Gives the main window's tool-bar buttons their fonts and glyphs and the SQL page its two pictures.
void DrawToolBarPictures(Ui::TForm_Main& ui);
