#include "app/DataSourceSetup.h"

#include "app/DatabaseType.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"

using platform::RootKey;

namespace {

const QString MachineOdbcIni = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI");
const QString UserOdbcIni = QStringLiteral("\\Software\\ODBC\\ODBC.INI");
const QString DataSources = QStringLiteral("\\ODBC Data Sources");
const QString MachineDataSources = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources");
const QString UserDataSource = QStringLiteral("\\Software\\ODBC\\ODBC.INI\\");

bool newerOracle(const QString& OracleHomeName)
{
    return OracleHomeName.contains(QLatin1Char('9'));
}

QString oracleDriverName(const QString& OracleHomeName)
{
    return newerOracle(OracleHomeName) ? QStringLiteral("Oracle in OraHome92") : QStringLiteral("Oracle ODBC Driver");
}

// The class name the messages give after "Error Type = ".
QString classNameOf(const std::exception& error)
{
    if (const auto* engine = dynamic_cast<const platform::engine::EngineError*>(&error))
        return engine->className();
    if (dynamic_cast<const platform::RegistryError*>(&error))
        return QStringLiteral("ERegistryException");
    return QStringLiteral("Exception");
}

QString messageOf(const std::exception& error)
{
    return QString::fromUtf8(error.what());
}

} // namespace

std::vector<RegistryEntry> DataSourceEntries(const TDataBaseObj& Db, const QString& Dsn, const QString& OracleHome,
                                             const QString& OracleHomeName, const QString& SysDir)
{
    std::vector<RegistryEntry> entries;
    const QString& list = MachineDataSources;
    const QString source = MachineOdbcIni + QLatin1Char('\\') + Dsn;
    auto add = [&entries](RootKey root, const QString& key, const char* name, const QString& value) {
        entries.push_back({root, key, QString::fromLatin1(name), value});
    };
    auto machine = [&](const char* name, const QString& value) { add(RootKey::LocalMachine, source, name, value); };

    const QString& type = Db.DBType;
    if (type == QLatin1String("ORACLE")) {
        add(RootKey::LocalMachine, list, "", oracleDriverName(OracleHomeName));
        machine("Driver", OracleHome + QStringLiteral("\\BIN\\SQORA32.DLL"));
        machine("Description", Dsn);
        machine("UserID", Db.UserName);
        machine("Translation Option", QStringLiteral("0"));
        machine("Translation DLL", QString());
        machine("Attributes", QStringLiteral("W"));
        machine("Application Attributes", QStringLiteral("T"));
        machine("PrefetchCount", QStringLiteral("10"));
        machine("Lobs", QStringLiteral("T"));
        machine("ResultSets", QStringLiteral("T"));
        machine("Longs", QStringLiteral("F"));
        machine("DisableMTS", QStringLiteral("F"));
        machine("Failover", QStringLiteral("T"));
        machine("QueryTimeout", QStringLiteral("T"));
        machine("CloseCursor", QStringLiteral("F"));
        machine("FailoverRetryCount", QStringLiteral("10"));
        machine("FailoverDelay", QStringLiteral("10"));
        machine("ServerName", Db.TNS);
    } else if (type == QLatin1String("INFORMIX")) {
        add(RootKey::LocalMachine, list, "", QStringLiteral("INTERSOLV 3.01 32-BIT INFORMIX"));
        machine("Driver", SysDir + QStringLiteral("\\ivinf12.DLL"));
        machine("Description", Dsn);
        machine("Database", Dsn);
        machine("Databases", Dsn);
        machine("LogonID", QString());
        machine("Service", QStringLiteral("sqlexec"));
        machine("Protocol", QStringLiteral("sesoctcp"));
        machine("CursorBehavior", QStringLiteral("0"));
        machine("CancelDetectInterval", QStringLiteral("0"));
        machine("EnableScrollableCursors", QStringLiteral("1"));
        machine("EnableInsertCursors", QStringLiteral("0"));
        machine("GetDBListFromInformix", QStringLiteral("0"));
        machine("ApplicationUsingThreads", QStringLiteral("1"));
        machine("UseDefaultLogin", QStringLiteral("0"));
        machine("ServerName", Db.InformixServer);
        machine("HostName", Db.Server);
        const QString environment = QStringLiteral("\\Software\\Informix\\Environment");
        add(RootKey::CurrentUser, environment, "DBPath", Db.DBPath);
        add(RootKey::CurrentUser, environment, "INFORMIXSERVER", Db.InformixServer);
        const QString user = UserDataSource + Dsn;
        add(RootKey::CurrentUser, user, "ServerName", Db.InformixServer);
        add(RootKey::CurrentUser, user, "HostName", Db.Server);
    } else if (type == QLatin1String("SQL SERVER")) {
        add(RootKey::LocalMachine, list, "", QStringLiteral("SQL Server"));
        machine("Driver", SysDir + QStringLiteral("\\sqlsrv32.dll"));
        machine("database", Db.DBPath);
        machine("Description", Dsn);
        machine("Server", Db.Server);
        machine("LastUser", Db.UserName);
    } else if (type == QLatin1String("ACCESS")) {
        add(RootKey::LocalMachine, list, "", QStringLiteral("Microsoft Access Driver (*.mdb)"));
        machine("DriverID", QString::number(25));
        machine("Driver", SysDir + QStringLiteral("\\odbcjt32.dll"));
        machine("DBQ", Db.DBPath);
        machine("Description", Dsn);
        machine("FIL", QStringLiteral("MS Access;"));
        machine("SafeTransactions", QString::number(0));
        machine("UID", QString());
    } else if (type == QLatin1String("DBASE")) {
        add(RootKey::LocalMachine, list, "", QStringLiteral("Microsoft dBase Driver (*.dbf)"));
        machine("DriverID", QString::number(277));
        machine("Driver", SysDir + QStringLiteral("\\odbcjt32.dll"));
        machine("DefaultDir", Db.DBPath);
        machine("Description", Dsn);
        machine("FIL", QStringLiteral("dBase IV;"));
        machine("SafeTransactions", QString::number(0));
        machine("UID", QString());
    }
    // The data-source list's value is named after the data source itself.
    for (RegistryEntry& entry : entries) {
        if (entry.name.isEmpty())
            entry.name = Dsn;
    }
    return entries;
}

std::vector<RegistryRemoval> DataSourceRemovals(const QString& Dsn)
{
    std::vector<RegistryRemoval> removals;
    for (const auto& [root, base] : {std::pair{RootKey::CurrentUser, UserOdbcIni},
                                     std::pair{RootKey::LocalMachine, MachineOdbcIni}}) {
        removals.push_back({root, base + QLatin1Char('\\') + Dsn, QString()});
        removals.push_back({root, base, Dsn});
        removals.push_back({root, base + DataSources, Dsn});
    }
    return removals;
}

AliasDefinition AliasFor(const TDataBaseObj& Db, const QString& Dsn, const QString& OracleHomeName)
{
    AliasDefinition alias;
    alias.known = true;
    const QString blobSize = QStringLiteral("BLOB SIZE=300");
    const QString odbcDsn = QStringLiteral("ODBC DSN=");
    const QString userName = QStringLiteral("USER NAME=") + Db.UserName;
    const QString& type = Db.DBType;
    if (type == QLatin1String("ORACLE")) {
        alias.driverName = oracleDriverName(OracleHomeName);
        alias.params << odbcDsn + (newerOracle(OracleHomeName) ? Db.DataSource : Dsn) << userName << blobSize;
    } else if (type == QLatin1String("INFORMIX")) {
        alias.driverName = QStringLiteral("INTERSOLV 3.01 32-BIT INFORMIX");
        alias.params << QStringLiteral("DATABASE NAME=") + Dsn << odbcDsn + Db.DataSource << userName << blobSize;
    } else if (type == QLatin1String("SQL SERVER")) {
        alias.driverName = QStringLiteral("SQL Server");
        alias.params << QStringLiteral("DATABASE NAME=") + Db.DBPath << odbcDsn + Db.DataSource << userName
                     << blobSize;
    } else if (type == QLatin1String("ACCESS")) {
        alias.driverName = QStringLiteral("Microsoft Access Driver (*.mdb)");
        alias.params << odbcDsn + Db.DataSource << blobSize;
    } else if (type == QLatin1String("DBASE")) {
        alias.driverName = QStringLiteral("Microsoft dBase Driver (*.dbf)");
        alias.params << odbcDsn + Db.DataSource << blobSize;
    } else {
        alias.known = false;
    }
    return alias;
}

bool ConfigureDataSource(MainState& state, const TDataBaseObj* Db)
{
    if (!Db) {
        AppMessageDlg(QStringLiteral("An error occurred when attempting to configure the database.  The database object is not defined."),
                      mtError, mbOK);
        return false;
    }
    const QString Dsn = state.CurrentDataSource;
    // Nothing may be written under an empty name: it would land on the ODBC.INI key itself.
    if (Dsn.trimmed().isEmpty()) {
        AppMessageDlg(QStringLiteral("An error occurred when attempting to configure the database.  The data source name is blank."),
                      mtError, mbOK);
        return false;
    }

    platform::Registry fallback(QStringLiteral("\\"));
    platform::Registry& registry = state.RegistryIni ? *state.RegistryIni : fallback;
    const RootKey savedRoot = registry.rootKey();

    // The removals and the entries go into each store file in one write, so a failure in the
    // middle cannot leave a data source half described.
    platform::RegistryUpdate update(registry);
    try {
        for (const RegistryRemoval& removal : DataSourceRemovals(Dsn)) {
            update.setRootKey(removal.root);
            if (removal.value.isEmpty())
                update.eraseKey(removal.key);
            else
                update.deleteValue(removal.key, removal.value);
        }
    } catch (const std::exception& error) {
        AppMessageDlg(QStringLiteral("An error occured deleting ODBC data from the registry.  Manual deletion of ODBC data may have to be performed.\r\n\r\nError Type = ")
                          + classNameOf(error) + QStringLiteral("\r\n") + messageOf(error) + QStringLiteral("\r\n\r\n")
                          + QStringLiteral("Press OK to continue."),
                      mtError, mbOK);
    }

    bool result = true;
    // Only the types whose drivers live in the system folder ask for it.
    const bool systemDriver = Db->DBType == QLatin1String("INFORMIX") || Db->DBType == QLatin1String("SQL SERVER")
                              || Db->DBType == QLatin1String("ACCESS") || Db->DBType == QLatin1String("DBASE");
    const QString sysDir = systemDriver ? SystemDirectory() : QString();
    try {
        for (const RegistryEntry& entry :
             DataSourceEntries(*Db, Dsn, state.OracleHome, state.OracleHomeName, sysDir)) {
            update.setRootKey(entry.root);
            update.writeString(entry.key, entry.name, entry.value);
        }
        update.commit();
    } catch (const std::exception& error) {
        result = false;
        AppMessageDlg(QStringLiteral("Error occured writing data to the registry.\r\nError Type = ") + classNameOf(error)
                          + QStringLiteral("\r\n\r\n") + messageOf(error) + QStringLiteral("\r\n")
                          + QStringLiteral("Press OK to continue."),
                      mtError, mbOK);
    }
    registry.setRootKey(savedRoot);
    return result;
}

bool ConfigureAlias(MainState& state, const TDataBaseObj* Db)
{
    if (!Db) {
        AppMessageDlg(QStringLiteral("An error occurred when attempting to configure the BDE.\r\nThe database object is not defined."),
                      mtError, mbOK);
        return false;
    }
    const QString Dsn = state.CurrentDataSource;
    platform::engine::Session& session = platform::engine::Session::instance();
    try {
        session.deleteAlias(Dsn);
        const AliasDefinition alias = AliasFor(*Db, Dsn, state.OracleHomeName);
        if (alias.known)
            session.addAlias(Dsn, alias.driverName, alias.params);
        else
            AppMessageDlg(QStringLiteral("Cannot configure BDE becasue the Database Type is unknown."), mtError, mbOK);
        session.saveConfigFile();
    } catch (const std::exception& error) {
        AppMessageDlg(QStringLiteral("An error occured configuring the BDE.\r\rError Type = ") + classNameOf(error)
                          + QStringLiteral("\r") + messageOf(error),
                      mtError, mbOK);
        return false;
    }
    return true;
}
