#include "app/DataSourceSetup.h"
#include "app/DatabaseType.h"
#include "platform/engine/Engine.h"
#include "platform/ini/IniFile.h"
#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"
#include "tests/app/switch/Messages.h"
#include "tests/support/Support.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

using platform::Registry;
using platform::RootKey;

namespace {

const QString Lm = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI");
const QString Cu = QStringLiteral("\\Software\\ODBC\\ODBC.INI");

TDataBaseObj database(const char* type)
{
    TDataBaseObj db;
    db.DBType = QString::fromLatin1(type);
    db.DBDesc = QStringLiteral("Some database");
    db.DataSource = QStringLiteral("own_dsn");
    db.UserName = QStringLiteral("scott");
    db.Password = QStringLiteral("tiger");
    db.TNS = QStringLiteral("tns1");
    db.Server = QStringLiteral("host1");
    db.InformixServer = QStringLiteral("ifx1");
    db.DBPath = QStringLiteral("/data/path");
    return db;
}

// "root|key|name|value", the root as LM or CU.
QStringList lines(const std::vector<RegistryEntry>& entries)
{
    QStringList out;
    for (const RegistryEntry& e : entries)
        out << (e.root == RootKey::LocalMachine ? QStringLiteral("LM|") : QStringLiteral("CU|")) + e.key
                   + QLatin1Char('|') + e.name + QLatin1Char('|') + e.value;
    return out;
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(DataSourceSetup, EntriesOfEachTypeInWritingOrder)
{
    const QString dsnKey = QStringLiteral("LM|\\SOFTWARE\\ODBC\\ODBC.INI\\DSN1|");
    const QString list = QStringLiteral("LM|\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources|DSN1|");
    struct Case {
        const char* type;
        const char* homeName;
        QStringList expected;
    } cases[] = {
        {"ORACLE", "OraHome92",
         {list + "Oracle in OraHome92", dsnKey + "Driver|C:\\ora\\BIN\\SQORA32.DLL", dsnKey + "Description|DSN1",
          dsnKey + "UserID|scott", dsnKey + "Translation Option|0", dsnKey + "Translation DLL|",
          dsnKey + "Attributes|W", dsnKey + "Application Attributes|T", dsnKey + "PrefetchCount|10",
          dsnKey + "Lobs|T", dsnKey + "ResultSets|T", dsnKey + "Longs|F", dsnKey + "DisableMTS|F",
          dsnKey + "Failover|T", dsnKey + "QueryTimeout|T", dsnKey + "CloseCursor|F",
          dsnKey + "FailoverRetryCount|10", dsnKey + "FailoverDelay|10", dsnKey + "ServerName|tns1"}},
        {"ORACLE", "OraHome81", {list + "Oracle ODBC Driver"}},
        {"INFORMIX", "",
         {list + "INTERSOLV 3.01 32-BIT INFORMIX", dsnKey + "Driver|/sys\\ivinf12.DLL", dsnKey + "Description|DSN1",
          dsnKey + "Database|DSN1", dsnKey + "Databases|DSN1", dsnKey + "LogonID|", dsnKey + "Service|sqlexec",
          dsnKey + "Protocol|sesoctcp", dsnKey + "CursorBehavior|0", dsnKey + "CancelDetectInterval|0",
          dsnKey + "EnableScrollableCursors|1", dsnKey + "EnableInsertCursors|0",
          dsnKey + "GetDBListFromInformix|0", dsnKey + "ApplicationUsingThreads|1", dsnKey + "UseDefaultLogin|0",
          dsnKey + "ServerName|ifx1", dsnKey + "HostName|host1",
          "CU|\\Software\\Informix\\Environment|DBPath|/data/path",
          "CU|\\Software\\Informix\\Environment|INFORMIXSERVER|ifx1",
          "CU|\\Software\\ODBC\\ODBC.INI\\DSN1|ServerName|ifx1", "CU|\\Software\\ODBC\\ODBC.INI\\DSN1|HostName|host1"}},
        {"SQL SERVER", "",
         {list + "SQL Server", dsnKey + "Driver|/sys\\sqlsrv32.dll", dsnKey + "database|/data/path",
          dsnKey + "Description|DSN1", dsnKey + "Server|host1", dsnKey + "LastUser|scott"}},
        {"ACCESS", "",
         {list + "Microsoft Access Driver (*.mdb)", dsnKey + "DriverID|25", dsnKey + "Driver|/sys\\odbcjt32.dll",
          dsnKey + "DBQ|/data/path", dsnKey + "Description|DSN1", dsnKey + "FIL|MS Access;",
          dsnKey + "SafeTransactions|0", dsnKey + "UID|"}},
        {"DBASE", "",
         {list + "Microsoft dBase Driver (*.dbf)", dsnKey + "DriverID|277", dsnKey + "Driver|/sys\\odbcjt32.dll",
          dsnKey + "DefaultDir|/data/path", dsnKey + "Description|DSN1", dsnKey + "FIL|dBase IV;",
          dsnKey + "SafeTransactions|0", dsnKey + "UID|"}},
        {"dbase", "", {}},  // types are compared exactly
        {"SYBASE", "", {}},
    };
    for (const Case& c : cases) {
        const QStringList got = lines(DataSourceEntries(database(c.type), QStringLiteral("DSN1"), QStringLiteral("C:\\ora"),
                                                        QString::fromLatin1(c.homeName), QStringLiteral("/sys")));
        if (QLatin1String(c.homeName) == QLatin1String("OraHome81"))
            EXPECT_EQ(got.value(0), c.expected.value(0)) << c.type;
        else
            EXPECT_EQ(got, c.expected) << c.type << " " << c.homeName;
    }

    QStringList removals;
    for (const RegistryRemoval& r : DataSourceRemovals(QStringLiteral("DSN1")))
        removals << (r.root == RootKey::LocalMachine ? QStringLiteral("LM|") : QStringLiteral("CU|")) + r.key
                        + QLatin1Char('|') + r.value;
    EXPECT_EQ(removals, (QStringList{"CU|\\Software\\ODBC\\ODBC.INI\\DSN1|", "CU|\\Software\\ODBC\\ODBC.INI|DSN1",
                                     "CU|\\Software\\ODBC\\ODBC.INI\\ODBC Data Sources|DSN1",
                                     "LM|\\SOFTWARE\\ODBC\\ODBC.INI\\DSN1|", "LM|\\SOFTWARE\\ODBC\\ODBC.INI|DSN1",
                                     "LM|\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC Data Sources|DSN1"}));
}

TEST(DataSourceSetup, AliasParametersOfEachType)
{
    struct Case {
        const char* type;
        const char* homeName;
        bool known;
        const char* driver;
        QStringList params;
    } cases[] = {
        {"ORACLE", "OraHome92", true, "Oracle in OraHome92", {"ODBC DSN=own_dsn", "USER NAME=scott", "BLOB SIZE=300"}},
        {"ORACLE", "OraHome81", true, "Oracle ODBC Driver", {"ODBC DSN=DSN1", "USER NAME=scott", "BLOB SIZE=300"}},
        {"INFORMIX", "", true, "INTERSOLV 3.01 32-BIT INFORMIX",
         {"DATABASE NAME=DSN1", "ODBC DSN=own_dsn", "USER NAME=scott", "BLOB SIZE=300"}},
        {"SQL SERVER", "", true, "SQL Server",
         {"DATABASE NAME=/data/path", "ODBC DSN=own_dsn", "USER NAME=scott", "BLOB SIZE=300"}},
        {"ACCESS", "", true, "Microsoft Access Driver (*.mdb)", {"ODBC DSN=own_dsn", "BLOB SIZE=300"}},
        {"DBASE", "", true, "Microsoft dBase Driver (*.dbf)", {"ODBC DSN=own_dsn", "BLOB SIZE=300"}},
        {"UNKNOWN : x", "", false, "", {}},
    };
    for (const Case& c : cases) {
        const AliasDefinition alias = AliasFor(database(c.type), QStringLiteral("DSN1"), QString::fromLatin1(c.homeName));
        EXPECT_EQ(alias.known, c.known) << c.type;
        EXPECT_EQ(alias.driverName, QString::fromLatin1(c.driver)) << c.type;
        EXPECT_EQ(alias.params, c.params) << c.type << " " << c.homeName;
    }
}

// The store only: unixODBC's files stay as they were, the old entries under both roots go first,
// and the type detection then reads what was written.
TEST(DataSourceSetup, WritesTheStoreAndRemovesOnlyItsOwnEntries)
{
    testsupport::TempHome home;
    testsupport::installOdbcEnvironment();
    const QString odbcIni = testsupport::runFolder() + QStringLiteral("/odbc.ini");
    const QString odbcInst = testsupport::runFolder() + QStringLiteral("/odbcinst.ini");
    const QByteArray iniBefore = fileBytes(odbcIni);
    const QByteArray instBefore = fileBytes(odbcInst);

    Registry seed;
    seed.setRootKey(RootKey::CurrentUser);
    seed.writeString(Cu + QStringLiteral("\\qv_sqlite"), QStringLiteral("Driver"), QStringLiteral("user level"));
    seed.writeString(Cu + QStringLiteral("\\qv_sqlite\\Below"), QStringLiteral("x"), QStringLiteral("y"));
    seed.writeString(Cu, QStringLiteral("qv_sqlite"), QStringLiteral("stray"));
    seed.writeString(Cu + QStringLiteral("\\ODBC Data Sources"), QStringLiteral("qv_sqlite"), QStringLiteral("old"));
    seed.writeString(Cu + QStringLiteral("\\ODBC Data Sources"), QStringLiteral("other"), QStringLiteral("kept"));
    seed.setRootKey(RootKey::LocalMachine);
    seed.writeString(Lm + QStringLiteral("\\qv_sqlite"), QStringLiteral("Stale"), QStringLiteral("1"));

    MainState state;
    state.CurrentDataSource = QStringLiteral("qv_sqlite");
    TDataBaseObj db = database("ACCESS");
    Messages messages;
    {
        platform::modal::ScopedResponder responder(std::ref(messages));
        EXPECT_TRUE(ConfigureDataSource(state, &db));
    }
    EXPECT_EQ(messages.texts, QStringList());

    Registry check;
    check.setRootKey(RootKey::CurrentUser);
    EXPECT_FALSE(check.keyExists(Cu + QStringLiteral("\\qv_sqlite")));
    EXPECT_EQ(check.readString(Cu, QStringLiteral("qv_sqlite"), QStringLiteral("gone")), QStringLiteral("gone"));
    EXPECT_EQ(check.readSection(Cu + QStringLiteral("\\ODBC Data Sources")), QStringList{"other"});
    check.setRootKey(RootKey::LocalMachine);
    const QString key = Lm + QStringLiteral("\\qv_sqlite");
    EXPECT_EQ(check.readString(key, QStringLiteral("Stale"), QStringLiteral("gone")), QStringLiteral("gone"));
    EXPECT_EQ(check.readString(key, QStringLiteral("FIL"), QString()), QStringLiteral("MS Access;"));
    EXPECT_EQ(check.readString(key, QStringLiteral("DBQ"), QString()), QStringLiteral("/data/path"));
    EXPECT_EQ(check.readInteger(key, QStringLiteral("DriverID"), 0), 25);
    EXPECT_EQ(check.readString(Lm + QStringLiteral("\\ODBC Data Sources"), QStringLiteral("qv_sqlite"), QString()),
              QStringLiteral("Microsoft Access Driver (*.mdb)"));
    EXPECT_EQ(GetDatabaseType(check, QStringLiteral("qv_sqlite")), QStringLiteral("ACCESS"));
    EXPECT_EQ(fileBytes(odbcIni), iniBefore);
    EXPECT_EQ(fileBytes(odbcInst), instBefore);

    // The data source is still the real one: a type outside the five removes the store's entries
    // and writes none, so unixODBC's own definition shows through again.
    db.DBType = QStringLiteral("UNKNOWN : ");
    {
        platform::modal::ScopedResponder responder(std::ref(messages));
        EXPECT_TRUE(ConfigureDataSource(state, &db));
    }
    EXPECT_EQ(messages.texts, QStringList());
    EXPECT_EQ(check.readString(key, QStringLiteral("FIL"), QStringLiteral("none")), QStringLiteral("none"));
    EXPECT_TRUE(check.readString(key, QStringLiteral("Driver"), QString()).endsWith(QLatin1String("libsqlite3odbc.so")));
    EXPECT_EQ(fileBytes(odbcIni), iniBefore);
}

TEST(DataSourceSetup, MissingDatabaseBlankNameAndFailedWritesAreReported)
{
    testsupport::TempHome home;
    MainState state;
    Messages messages;
    platform::modal::ScopedResponder responder(std::ref(messages));

    EXPECT_FALSE(ConfigureDataSource(state, nullptr));
    EXPECT_FALSE(ConfigureAlias(state, nullptr));
    EXPECT_EQ(messages.texts,
              (QStringList{"An error occurred when attempting to configure the database.  The database object is not defined.",
                           shown("An error occurred when attempting to configure the BDE.\r\nThe database object is not defined.")}));

    // A blank name writes nothing at all.
    messages.texts.clear();
    TDataBaseObj db = database("ACCESS");
    state.CurrentDataSource = QStringLiteral("   ");
    EXPECT_FALSE(ConfigureDataSource(state, &db));
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_FALSE(QFile::exists(Registry::storeFile(RootKey::LocalMachine)));
    EXPECT_FALSE(QFile::exists(Registry::storeFile(RootKey::CurrentUser)));

    // A store that cannot be written: the write is reported and the result is false.
    messages.texts.clear();
    state.CurrentDataSource = QStringLiteral("dsn1");
    ASSERT_TRUE(QDir().mkpath(Registry::storeFile(RootKey::LocalMachine)));
    EXPECT_FALSE(ConfigureDataSource(state, &db));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].startsWith(
        shown("Error occured writing data to the registry.\r\nError Type = ERegistryException\r\n\r\nx").chopped(1)))
        << messages.texts[0].toStdString();
    EXPECT_TRUE(messages.texts[0].endsWith(QLatin1String("\nPress OK to continue.")));
}

// The alias goes into the engine's configuration and the connection goes through it to the
// database's own data source; an upper-cased data-source name connects as well.
TEST(DataSourceSetup, AliasIsSavedAndConnectsToTheOwnDataSource)
{
    testsupport::TempHome home;
    testsupport::installOdbcEnvironment();
    platform::engine::Session& session = platform::engine::Session::instance();
    MainState state;
    state.CurrentDataSource = QStringLiteral("QV_SETUP_ALIAS");
    TDataBaseObj db = database("DBASE");
    db.DataSource = testsupport::sqliteDsn();
    Messages messages;
    platform::modal::ScopedResponder responder(std::ref(messages));

    EXPECT_TRUE(ConfigureAlias(state, &db));
    EXPECT_EQ(messages.texts, QStringList());
    const platform::IniFile aliases(QStringLiteral("aliases.ini"));
    EXPECT_EQ(aliases.readString(QStringLiteral("ALIASES"), QStringLiteral("QV_SETUP_ALIAS"), QString()),
              QStringLiteral("Microsoft dBase Driver (*.dbf)"));
    EXPECT_EQ(session.aliasParams(QStringLiteral("QV_SETUP_ALIAS")),
              (QStringList{"ODBC DSN=" + testsupport::sqliteDsn(), "BLOB SIZE=300"}));

    platform::engine::Database database;
    database.setDatabaseName(QStringLiteral("QV_SETUP_ALIAS"));
    database.setAliasName(QStringLiteral("QV_SETUP_ALIAS"));
    database.setConnected(true);
    EXPECT_TRUE(database.connected());
    database.setConnected(false);

    platform::engine::Database upper;
    upper.setDatabaseName(testsupport::sqliteDsn().toUpper());
    upper.setAliasName(testsupport::sqliteDsn().toUpper());
    upper.setConnected(true);
    EXPECT_TRUE(upper.connected());
    upper.setConnected(false);

    // A type outside the five: the old alias is deleted for good, with a message, and the result
    // stays true.
    db.DBType = QStringLiteral("SYBASE");
    EXPECT_TRUE(ConfigureAlias(state, &db));
    EXPECT_EQ(messages.texts, QStringList{"Cannot configure BDE becasue the Database Type is unknown."});
    EXPECT_TRUE(session.aliasParams(QStringLiteral("QV_SETUP_ALIAS")).isEmpty());
    EXPECT_TRUE(platform::IniFile(QStringLiteral("aliases.ini")).readSection(QStringLiteral("ALIASES")).isEmpty());
}
