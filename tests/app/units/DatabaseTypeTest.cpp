#include "app/DatabaseType.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"
#include "tests/support/Support.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {
const QString OdbcIni = QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\");

// All the text a message window shows.
QString windowText(QWidget* window)
{
    QString text;
    for (auto* box : window->findChildren<QPlainTextEdit*>())
        text += box->toPlainText();
    for (auto* box : window->findChildren<QTextEdit*>())
        text += box->toPlainText();
    return text;
}
} // namespace

TEST(DatabaseType, DriverAndFilDecideTheType)
{
    testsupport::TempHome home;
    struct Case {
        const char* dsn;
        const char* driver;  // nullptr: no Driver value
        const char* fil;     // nullptr: no FIL value
        const char* expected;
    } cases[] = {
        {"ora8", "C:\\ORANT\\BIN\\SQORA32.DLL", nullptr, "ORACLE"},
        // "ora" anywhere, in any case, comes first: a SQL Server driver under such a folder
        {"corner", "D:\\Programs\\Coral\\SQLSRV32.DLL", nullptr, "ORACLE"},
        {"store", "/opt/Storage/lib/libfoo.so", nullptr, "ORACLE"},
        {"ifx", "C:\\WINNT\\System32\\IVINF12.DLL", nullptr, "INFORMIX"},
        {"mssql", "c:\\winnt\\system32\\sqlsrv32.dll", nullptr, "SQL SERVER"},
        {"mssql2", "E:\\Drivers\\SqlSrv32.Dll", nullptr, "SQL SERVER"},
        {"jet_mdb", "C:\\WINNT\\System32\\odbcjt32.dll", "MS Access;", "ACCESS"},
        {"jet_dbf", "C:\\WINNT\\System32\\ODBCJT32.DLL", "dBase IV;", "DBASE"},
        {"jet_xls", "C:\\WINNT\\System32\\ODBCJT32.DLL", "Excel 5.0;", "UNKNOWN : excel 5.0;"},
        {"jet_none", "C:\\WINNT\\System32\\ODBCJT32.DLL", nullptr, "UNKNOWN : "},
        // an unknown driver is given as stored, not upper-cased
        {"other", "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so", nullptr,
         "UNKNOWN : /usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"},
        {"nodriver", nullptr, "MS Access;", "UNKNOWN : "},
        {"absent", nullptr, nullptr, "UNKNOWN : "},
    };
    platform::Registry seeder;
    seeder.setRootKey(platform::RootKey::LocalMachine);
    for (const Case& c : cases) {
        const QString key = OdbcIni + QString::fromUtf8(c.dsn);
        if (c.driver)
            seeder.writeString(key, QStringLiteral("Driver"), QString::fromUtf8(c.driver));
        if (c.fil)
            seeder.writeString(key, QStringLiteral("FIL"), QString::fromUtf8(c.fil));
    }

    platform::Registry reader;
    for (const Case& c : cases) {
        reader.setRootKey(platform::RootKey::CurrentUser);  // it picks HKEY_LOCAL_MACHINE itself
        EXPECT_EQ(GetDatabaseType(reader, QString::fromUtf8(c.dsn)), QString::fromUtf8(c.expected)) << c.dsn;
        EXPECT_EQ(reader.rootKey(), platform::RootKey::LocalMachine);
    }
}

TEST(DatabaseType, UnixOdbcDataSourcesAndTheEmptyName)
{
    testsupport::TempHome home;
    platform::Registry reader;
    EXPECT_EQ(GetDatabaseType(reader, testsupport::sqliteDsn()),
              QStringLiteral("UNKNOWN : /usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"));
    // the ODBC.INI key itself has no Driver
    EXPECT_EQ(GetDatabaseType(reader, QString()), QStringLiteral("UNKNOWN : "));

    // a Driver in the store wins over unixODBC's
    platform::Registry seeder;
    seeder.setRootKey(platform::RootKey::LocalMachine);
    seeder.writeString(OdbcIni + testsupport::sqliteDsn(), QStringLiteral("Driver"),
                       QStringLiteral("C:\\ORAWIN\\BIN\\SQORA32.DLL"));
    EXPECT_EQ(GetDatabaseType(reader, testsupport::sqliteDsn()), QStringLiteral("ORACLE"));
}

TEST(ClientHomes, ReadFromTheOracleKeysOrEmpty)
{
    testsupport::TempHome home;
    MainState state;
    state.RegistryIni = std::make_unique<platform::Registry>(QStringLiteral("\\"));
    state.OracleHome = QStringLiteral("stale");
    state.OracleHomeName = QStringLiteral("stale");
    ReadClientHomes(state);
    EXPECT_EQ(state.OracleHome, QString());
    EXPECT_EQ(state.OracleHomeName, QString());

    platform::Registry seeder;
    seeder.setRootKey(platform::RootKey::LocalMachine);
    seeder.writeString(QStringLiteral("\\SOFTWARE\\ORACLE\\HOME0"), QStringLiteral("ORACLE_HOME"),
                       QStringLiteral("C:\\ORANT"));
    seeder.writeString(QStringLiteral("\\SOFTWARE\\ORACLE\\ALL_HOMES\\ID0"), QStringLiteral("NAME"),
                       QStringLiteral("OraHome90"));
    // the keys of the other root are not read
    seeder.setRootKey(platform::RootKey::CurrentUser);
    seeder.writeString(QStringLiteral("\\SOFTWARE\\ORACLE\\HOME0"), QStringLiteral("ORACLE_HOME"),
                       QStringLiteral("C:\\WRONG"));
    state.RegistryIni->setRootKey(platform::RootKey::CurrentUser);
    ReadClientHomes(state);
    EXPECT_EQ(state.OracleHome, QStringLiteral("C:\\ORANT"));
    EXPECT_EQ(state.OracleHomeName, QStringLiteral("OraHome90"));

    MainState noReader;  // works with a reader of its own
    ReadClientHomes(noReader);
    EXPECT_EQ(noReader.OracleHome, QStringLiteral("C:\\ORANT"));
}

TEST(SystemDirectoryTest, DriverFolderOrMessageAndEmpty)
{
    testsupport::TempHome home;
    std::vector<QString> messages;
    platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
        if (r.window)
            messages.push_back(windowText(r.window));
        return platform::modal::Answer{1, {}, {}};
    });

    EXPECT_EQ(SystemDirectory(), QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc"));
    EXPECT_EQ(SystemDirectory(home.path() + QStringLiteral("/")), home.path());
    EXPECT_TRUE(messages.empty());

    EXPECT_EQ(SystemDirectory(home.path() + QStringLiteral("/missing")), QString());
    ASSERT_EQ(messages.size(), 1u);
    QString text = messages[0];
    text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
    EXPECT_TRUE(text.startsWith(QStringLiteral(
        "An error occured attempting to get the windows system directory.Error Type = EOSErrorActual Error = ")))
        << text.toStdString();
}
