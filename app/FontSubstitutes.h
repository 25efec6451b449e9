#pragma once
// The window definitions name Windows faces (MS Sans Serif, Arial, Courier New, ...). Where this
// system lacks one, each lookup of it searches every installed font for a fallback, which made up
// most of the start-up time. MapWindowsFonts maps each missing face once, before any window is
// made, to an installed face of the same kind (proportional, serif or fixed pitch); sizes and
// styles stay as the windows ask.
#include <QString>

// Call once after the application object exists.
void MapWindowsFonts();

// The installed face a missing Windows face is mapped to; empty when the face is installed or unknown.
QString WindowsFontSubstitute(const QString& family);
