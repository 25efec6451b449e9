#include "app/DisplayCheck.h"

#include <QStringList>
#include <QtGlobal>
#include <cstring>

namespace app {

QString RequestedPlatform(int argc, const char* const* argv, const QString& environment)
{
    // As Qt reads it: "-platform name" or "--platform name", the last one given.
    QString platform = environment;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            platform = QString::fromLocal8Bit(argv[++i]);
    }
    return platform;
}

bool PlatformNeedsDisplay(const QString& platform)
{
    const QStringList names = platform.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    if (names.isEmpty())
        return true;
    for (const QString& entry : names) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed().toLower();
        if (name != QLatin1String("xcb") && !name.startsWith(QLatin1String("wayland")))
            return false;
    }
    return true;
}

QString MissingDisplayMessage(const QString& platform, const QString& display, const QString& waylandDisplay)
{
    if (!PlatformNeedsDisplay(platform) || !display.isEmpty() || !waylandDisplay.isEmpty())
        return QString();
    return QStringLiteral("Quorvel needs a graphical display (DISPLAY or WAYLAND_DISPLAY), and neither is set.");
}

QString MissingDisplayMessage(int argc, const char* const* argv)
{
    const QString platform = RequestedPlatform(argc, argv, qEnvironmentVariable("QT_QPA_PLATFORM"));
    return MissingDisplayMessage(platform, qEnvironmentVariable("DISPLAY"), qEnvironmentVariable("WAYLAND_DISPLAY"));
}

} // namespace app
