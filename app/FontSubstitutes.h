#pragma once
// The window definitions name Windows faces (MS Sans Serif, Arial, Courier New, ...). Where this
// system lacks one, a lookup of it has the font configuration search the installed fonts for a
// fallback, which costs more the more fonts there are. MapWindowsFonts maps each missing face once,
// before any window is made, to an installed face of the same kind (proportional, serif or fixed
// pitch), so each lookup is answered at once; sizes and styles stay as the windows ask.
#include <QString>

// Call once after the application object exists.
void MapWindowsFonts();

// The installed face a missing Windows face is mapped to; empty when the face is installed or unknown.
QString WindowsFontSubstitute(const QString& family);
