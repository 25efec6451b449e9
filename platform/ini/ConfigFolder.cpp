#include "platform/ini/ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

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

QString makeConfigFilePrivate(const QString& fileName)
{
    const QString path = resolveConfigFile(fileName);
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    // A file that cannot even be looked at is no more open to others than the program can tell.
    if (::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 077) == 0)
        return QString();
    if (::chmod(name.constData(), st.st_mode & 0700) != 0)
        return QStringLiteral("The configuration file \"%1\" is open to other users and cannot be made private: %2.")
            .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return QString();
}

} // namespace platform
