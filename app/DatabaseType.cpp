#include "app/DatabaseType.h"

#include "components/Utils.h"
#include "platform/registry/Registry.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace {
const char* const OdbcDriverFolder = "/usr/lib/x86_64-linux-gnu/odbc";
} // namespace

QString GetDatabaseType(platform::Registry& Registry, const QString& CurrentDataSource)
{
    Registry.setRootKey(platform::RootKey::LocalMachine);
    const QString key = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\") + CurrentDataSource;
    const QString driver = Registry.readString(key, QStringLiteral("Driver"), QString());
    const QString upper = driver.toUpper();

    if (upper.contains(QLatin1String("ORA")))
        return QStringLiteral("ORACLE");
    if (upper.contains(QLatin1String("IVINF12.DLL")))
        return QStringLiteral("INFORMIX");
    if (upper.contains(QLatin1String("SQLSRV32.DLL")))
        return QStringLiteral("SQL SERVER");
    if (upper.contains(QLatin1String("ODBCJT32.DLL"))) {
        const QString fil = Registry.readString(key, QStringLiteral("FIL"), QString()).toLower();
        if (fil.contains(QLatin1String("ms access")))
            return QStringLiteral("ACCESS");
        if (fil.contains(QLatin1String("dbase iv")))
            return QStringLiteral("DBASE");
        return QStringLiteral("UNKNOWN : ") + fil;
    }
    return QStringLiteral("UNKNOWN : ") + driver;
}

void ReadClientHomes(MainState& state)
{
    platform::Registry fallback(QStringLiteral("\\"));
    platform::Registry& registry = state.RegistryIni ? *state.RegistryIni : fallback;
    registry.setRootKey(platform::RootKey::LocalMachine);
    state.OracleHome = registry.readString(QStringLiteral("\\SOFTWARE\\ORACLE\\HOME0"), QStringLiteral("ORACLE_HOME"),
                                           QString());
    state.OracleHomeName = registry.readString(QStringLiteral("\\SOFTWARE\\ORACLE\\ALL_HOMES\\ID0"),
                                               QStringLiteral("NAME"), QString());
}

QString SystemDirectory()
{
    return SystemDirectory(QString::fromLatin1(OdbcDriverFolder));
}

QString SystemDirectory(const QString& folder)
{
    const QFileInfo info(folder);
    if (info.isDir())
        return QDir::cleanPath(info.absoluteFilePath());
    // Told in the words of a failed system call.
    const int code = info.exists() ? ENOTDIR : ENOENT;
    AppMessageDlg(QStringLiteral("An error occured attempting to get the windows system directory.\n\r\n\rError Type = ")
                      + QStringLiteral("EOSError") + QStringLiteral("\n\r") + QStringLiteral("Actual Error = ")
                      + QStringLiteral("System Error.  Code: %1.\r\n%2").arg(code).arg(QString::fromLocal8Bit(std::strerror(code))),
                  mtError, mbOK);
    return QString();
}
