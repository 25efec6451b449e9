#pragma once
// Whether the program can reach a display before Qt tries: a windowing platform that finds no
// display aborts the whole process from inside Qt.
#include <QString>

namespace app {

// The platform Qt will be asked for: a "-platform name" argument wins over QT_QPA_PLATFORM; empty
// when neither is given (Qt's default, xcb here).
QString RequestedPlatform(int argc, const char* const* argv, const QString& environment);

// Whether every platform of a request ("xcb", "wayland;xcb", "offscreen:fontengine=freetype", or
// empty for the default) needs a display server: Qt uses the first of the list that loads.
bool PlatformNeedsDisplay(const QString& platform);

// The one line to print when the platform needs a display and neither DISPLAY nor WAYLAND_DISPLAY
// is set; empty when the program can go on.
QString MissingDisplayMessage(const QString& platform, const QString& display, const QString& waylandDisplay);

// The same for this process: its arguments and environment.
QString MissingDisplayMessage(int argc, const char* const* argv);

} // namespace app
