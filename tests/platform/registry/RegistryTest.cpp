#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

using platform::Registry;
using platform::RegistryError;
using platform::RootKey;

namespace {

const QString kSources = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC DATA SOURCES\\");

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int countOf(const QStringList& names, const QString& name)
{
    return static_cast<int>(std::count_if(names.begin(), names.end(), [&](const QString& n) {
        return n.compare(name, Qt::CaseInsensitive) == 0;
    }));
}

Registry machine()
{
    Registry registry;
    registry.setRootKey(RootKey::LocalMachine);
    return registry;
}

class RegistryTest : public ::testing::Test {
protected:
    testsupport::TempHome home;
};

TEST_F(RegistryTest, KeyPathsInAnySpellingNameOneKey)
{
    Registry registry;
    registry.setRootKey(RootKey::CurrentUser);
    registry.writeString("\\Software\\Informix\\Environment", "DBPath", "/data/db");

    Registry software(QStringLiteral("\\SOFTWARE"));
    software.setRootKey(RootKey::CurrentUser);
    const struct { const Registry* reader; const char* key; } spellings[] = {
        {&registry, "\\SOFTWARE\\INFORMIX\\ENVIRONMENT"},
        {&registry, "\\Software\\Informix\\Environment\\"},
        {&registry, "Software\\Informix\\Environment"},  // relative to "\"
        {&registry, "\\\\Software\\\\Informix\\Environment"},
        {&software, "Informix\\Environment"},            // relative to the reader's path
        {&software, "\\Software\\Informix\\Environment"},
    };
    for (const auto& s : spellings) {
        SCOPED_TRACE(s.key);
        EXPECT_EQ(s.reader->readString(s.key, "dbpath", "<none>"), "/data/db");
        EXPECT_TRUE(s.reader->keyExists(s.key));
    }
    EXPECT_EQ(registry.readSection("\\software\\informix\\environment"), QStringList{"DBPath"});
}

TEST_F(RegistryTest, EachRootIsOneFileInTheConfigurationFolder)
{
    EXPECT_EQ(Registry::storeFile(RootKey::LocalMachine), home.file("registry-HKEY_LOCAL_MACHINE.ini"));
    EXPECT_EQ(Registry::storeFile(RootKey::CurrentUser), home.file("registry-HKEY_CURRENT_USER.ini"));

    Registry registry;
    registry.setRootKey(RootKey::CurrentUser);
    registry.writeString("\\Software\\ODBC\\ODBC.INI\\demo", "ServerName", "srv");
    EXPECT_EQ(fileBytes(Registry::storeFile(RootKey::CurrentUser)),
              "[Software\\ODBC\\ODBC.INI\\demo]\nServerName=srv\n");
    registry.setRootKey(RootKey::LocalMachine);
    EXPECT_EQ(registry.readString("\\Software\\ODBC\\ODBC.INI\\demo", "ServerName", "<none>"), "<none>");
    EXPECT_FALSE(QFileInfo::exists(Registry::storeFile(RootKey::LocalMachine)));
}

TEST_F(RegistryTest, ValuesAreTextAndIntegersDecimal)
{
    Registry registry = machine();
    const QString key = QStringLiteral("\\SOFTWARE\\ORACLE\\HOME0");
    registry.writeInteger(key, "DriverID", 25);
    registry.writeInteger(key, "Negative", -3);
    registry.writeString(key, "ORACLE_HOME", "C:\\oracle\\ora92");
    registry.writeString(key, "Text", "12abc");
    registry.writeString(key, "Translation DLL", "");

    EXPECT_EQ(registry.readString(key, "DriverID", ""), "25");
    EXPECT_EQ(registry.readInteger(key, "driverid", 0), 25);
    EXPECT_EQ(registry.readInteger(key, "Negative", 0), -3);
    EXPECT_EQ(registry.readInteger(key, "Text", 7), 7);
    EXPECT_EQ(registry.readInteger(key, "Missing", 7), 7);
    EXPECT_EQ(registry.readString(key, "ORACLE_HOME", ""), "C:\\oracle\\ora92");
    EXPECT_EQ(registry.readString(key, "Translation DLL", "<none>"), "");
    EXPECT_EQ(registry.readSection(key),
              (QStringList{"DriverID", "Negative", "ORACLE_HOME", "Text", "Translation DLL"}));

    registry.writeString(key, "oracle_home", "/opt/oracle");  // same value, other case
    EXPECT_EQ(registry.readString(key, "ORACLE_HOME", ""), "/opt/oracle");
    registry.deleteValue(key, "ORACLE_HOME");
    EXPECT_EQ(registry.readString(key, "ORACLE_HOME", "<none>"), "<none>");
    EXPECT_EQ(registry.readSection(key), (QStringList{"DriverID", "Negative", "Text", "Translation DLL"}));
    registry.deleteValue(key, "never there");
    registry.deleteValue("\\NO\\SUCH\\KEY", "x");
}

TEST_F(RegistryTest, EraseKeyTakesEverythingBelowAndNothingBeside)
{
    Registry registry = machine();
    for (const char* key : {"\\A", "\\A\\B", "\\A\\B\\C", "\\A\\b\\c\\D", "\\A\\BC", "\\AB"})
        registry.writeString(key, "v", key);

    registry.eraseKey("\\a\\B\\");
    struct Case { const char* key; bool exists; };
    const Case cases[] = {
        {"\\A", true}, {"\\A\\B", false}, {"\\A\\B\\C", false}, {"\\A\\B\\C\\D", false},
        {"\\A\\BC", true}, {"\\AB", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(registry.keyExists(c.key), c.exists);
        EXPECT_EQ(registry.readString(c.key, "v", "<none>"), c.exists ? QString(c.key) : QStringLiteral("<none>"));
    }
    // A key with only keys below it exists as well.
    registry.writeString("\\X\\Y\\Z", "v", "1");
    EXPECT_TRUE(registry.keyExists("\\X"));
    EXPECT_TRUE(registry.keyExists("\\X\\Y"));
    EXPECT_FALSE(registry.keyExists("\\X\\Y\\Z\\W"));
    registry.eraseKey("\\Nothing\\Here");
}

TEST_F(RegistryTest, WritesItCannotStoreFailWithoutChangingTheStore)
{
    Registry registry = machine();
    registry.writeString("\\K", "v", "1");
    const QByteArray before = fileBytes(Registry::storeFile(RootKey::LocalMachine));
    EXPECT_THROW(registry.writeString("\\", "v", "1"), RegistryError);  // a root holds no values
    EXPECT_THROW(registry.writeString("\\K", "a=b", "1"), RegistryError);
    EXPECT_THROW(registry.writeString("\\K", "", "1"), RegistryError);
    EXPECT_THROW(registry.writeString("\\K]", "v", "1"), RegistryError);
    EXPECT_THROW(registry.writeString("\\K", "v", "two\nlines"), RegistryError);
    EXPECT_THROW(registry.eraseKey("\\"), RegistryError);
    EXPECT_EQ(fileBytes(Registry::storeFile(RootKey::LocalMachine)), before);

    // A store that cannot be read reads as empty and takes no writes.
    Registry user;
    ASSERT_TRUE(QDir().mkpath(Registry::storeFile(RootKey::CurrentUser)));
    EXPECT_EQ(user.readString("\\K", "v", "<none>"), "<none>");
    EXPECT_THROW(user.writeString("\\K", "v", "1"), RegistryError);
    EXPECT_TRUE(QFileInfo(Registry::storeFile(RootKey::CurrentUser)).isDir());
}

// Below SOFTWARE\ODBC\ODBC.INI of HKEY_LOCAL_MACHINE the registry shows unixODBC's own data
// sources for what the store does not hold.
class RegistryReadThroughTest : public RegistryTest {
protected:
    void SetUp() override
    {
        testsupport::addDataSource("qv_rt", "SQLite3", {"Database=/tmp/qv_rt.db", "Description=read through"});
        testsupport::addDataSource("qv_path", "/opt/drivers/libfancy.so", {"Database=x"});
        testsupport::addDataSource("qv_unknown", "No Such Driver", {});
        ASSERT_TRUE(sqliteLibrary.startsWith('/')) << sqliteLibrary.toStdString();
    }
    const QString odbcIni = qEnvironmentVariable("ODBCINI");
    const QString odbcinstIni = qEnvironmentVariable("ODBCSYSINI") + QStringLiteral("/odbcinst.ini");
    // The library the private odbcinst.ini names for the SQLite3 driver.
    const QString sqliteLibrary = platform::IniFile(odbcinstIni).readString("SQLite3", "Driver", "");
};

TEST_F(RegistryReadThroughTest, DataSourcesAreTheOnesUnixOdbcOffers)
{
    Registry registry = machine();
    const QStringList names = registry.readSection(kSources);
    for (const QString& dsn : {testsupport::sqliteDsn(), QStringLiteral("qv_rt"), QStringLiteral("qv_path")})
        EXPECT_TRUE(names.contains(dsn)) << dsn.toStdString() << " in " << names.join(",").toStdString();
    EXPECT_FALSE(names.contains("ODBC Data Sources", Qt::CaseInsensitive));
    EXPECT_EQ(registry.readString(kSources, "QV_RT", ""), "SQLite3");  // the driver's name
    EXPECT_TRUE(registry.keyExists(kSources));
    EXPECT_TRUE(registry.keyExists("\\SOFTWARE\\ODBC"));

    // The store adds names and wins for those it holds; the list has each name once.
    registry.writeString(kSources, "qv_stored", "SQL Server");
    registry.writeString(kSources, "QV_RT", "Oracle ODBC Driver");
    const QStringList merged = registry.readSection(kSources);
    EXPECT_EQ(merged.first(), "qv_stored");
    EXPECT_EQ(countOf(merged, "qv_rt"), 1);
    EXPECT_EQ(registry.readString(kSources, "qv_rt", ""), "Oracle ODBC Driver");

    // Nothing of this reaches the current user's root.
    Registry user;
    user.setRootKey(RootKey::CurrentUser);
    EXPECT_TRUE(user.readSection(kSources).isEmpty());
    EXPECT_FALSE(user.keyExists(kSources));
}

TEST_F(RegistryReadThroughTest, DataSourceValuesAreItsAttributesWithTheDriverLibrary)
{
    Registry registry = machine();
    struct Case { const char* key; const char* name; QString value; };
    const Case cases[] = {
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\qv_rt", "Driver", sqliteLibrary},
        {"\\software\\odbc\\odbc.ini\\QV_RT\\", "DRIVER", sqliteLibrary},
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\qv_rt", "Database", "/tmp/qv_rt.db"},
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\qv_rt", "description", "read through"},
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\qv_path", "Driver", "/opt/drivers/libfancy.so"},  // a path stays
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\qv_unknown", "Driver", "No Such Driver"},
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\qv_missing", "Driver", "<none>"},
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\", "Driver", "<none>"},  // an empty data source name
        {"\\SOFTWARE\\ODBC\\ODBC.INI\\qv_rt\\deeper", "Driver", "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " " + c.name);
        EXPECT_EQ(registry.readString(c.key, c.name, "<none>"), c.value);
    }
    const QStringList names = registry.readSection("\\SOFTWARE\\ODBC\\ODBC.INI\\qv_rt");
    EXPECT_TRUE(names.contains("Driver"));
    EXPECT_TRUE(names.contains("Database"));
    EXPECT_TRUE(registry.keyExists("\\SOFTWARE\\ODBC\\ODBC.INI\\QV_RT"));
    EXPECT_FALSE(registry.keyExists("\\SOFTWARE\\ODBC\\ODBC.INI\\qv_missing"));
}

TEST_F(RegistryReadThroughTest, StoreWinsAndUnixOdbcFilesAreNeverWritten)
{
    const QByteArray odbcBefore = fileBytes(odbcIni);
    const QByteArray instBefore = fileBytes(odbcinstIni);
    ASSERT_FALSE(odbcBefore.isEmpty());

    Registry registry = machine();
    const QString key = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\qv_rt");
    registry.writeString(key, "Driver", "C:\\WINDOWS\\System32\\odbcjt32.dll");
    registry.writeString(key, "FIL", "MS Access;");
    EXPECT_EQ(registry.readString(key, "DRIVER", ""), "C:\\WINDOWS\\System32\\odbcjt32.dll");
    EXPECT_EQ(registry.readString(key, "Database", ""), "/tmp/qv_rt.db");  // still shows through
    const QStringList names = registry.readSection(key);
    EXPECT_EQ(countOf(names, "Driver"), 1);
    EXPECT_TRUE(names.contains("FIL"));

    // Erasing and deleting touch only the store: the data source's own values show again.
    registry.eraseKey(key);
    EXPECT_EQ(registry.readString(key, "Driver", ""), sqliteLibrary);
    EXPECT_EQ(registry.readString(key, "FIL", "<none>"), "<none>");
    registry.writeString(kSources, "qv_rt", "Microsoft Access Driver (*.mdb)");
    registry.deleteValue(kSources, "qv_rt");
    EXPECT_EQ(registry.readString(kSources, "qv_rt", ""), "SQLite3");
    registry.deleteValue(key, "Driver");
    registry.eraseKey("\\SOFTWARE\\ODBC\\ODBC.INI");

    EXPECT_EQ(fileBytes(odbcIni), odbcBefore);
    EXPECT_EQ(fileBytes(odbcinstIni), instBefore);
    EXPECT_TRUE(registry.readSection(kSources).contains("qv_rt"));
}

} // namespace
