#include "platform/ini/ConfigFolder.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString configFolder()
{
    QString folder = qEnvironmentVariable("QUORVEL_HOME");
    if (folder.isEmpty()) {
        // A relative XDG_CONFIG_HOME is invalid by the XDG rules and is ignored.
        const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
            folder = xdg + QStringLiteral("/quorvel");
        else
            folder = QDir::homePath() + QStringLiteral("/.config/quorvel");
    }
    folder = QDir::cleanPath(folder);
    QDir().mkpath(folder);
    return folder;
}

QString resolveConfigFile(const QString& fileName)
{
    if (fileName.contains(QLatin1Char('/')))
        return fileName;
    const QString folder = configFolder();
    const QString exact = folder + QLatin1Char('/') + fileName;
    if (fileName.isEmpty() || QFileInfo::exists(exact))
        return exact;
    // Configuration file names ignore case ("Quorvel.ini" and "Quorvel.Ini" are one file), so an
    // existing file spelt differently is the one meant.
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return folder + QLatin1Char('/') + entry;
    }
    return exact;
}

} // namespace platform
