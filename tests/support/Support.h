#pragma once
// Test fixtures over real parts: private unixODBC files declaring the SQLite and PostgreSQL
// drivers, a SQLite database per test binary, one PostgreSQL 15 server per test run, and a fresh
// configuration folder per test.
#include <QString>
#include <QStringList>
#include <memory>

namespace testsupport {

// Call first in a test binary's main(): sets QT_QPA_PLATFORM=offscreen (unless set), ODBCSYSINI,
// ODBCINI and QUORVEL_HOME into a private temporary folder, writes odbcinst.ini (drivers "SQLite3"
// and "PostgreSQL Unicode" by library path) and odbc.ini with the SQLite data source. The folder is
// removed at exit.
void installOdbcEnvironment();

// The private folder made by installOdbcEnvironment().
QString runFolder();

// SQLite: a data source "qv_sqlite" on a fresh database file (created empty).
QString sqliteDsn();
QString sqliteFile();

// PostgreSQL: the server of this test run (started by the ctest fixture, or by this process when
// run alone, then stopped at exit), with a data source "qv_pg" (psqlODBC Unicode, BoolsAsChar=0)
// registered in the private odbc.ini. pgAvailable() is false only when no server can be started.
struct PgServer {
    QString host;      // 127.0.0.1
    int port = 0;
    QString user;      // a login role with a password
    QString password;
    QString database;
    QString dsn;       // "qv_pg"
};
bool pgAvailable();
// Why pgAvailable() is false (for the skip message); empty when the server is there.
QString pgUnavailableReason();
const PgServer& pg();
// Runs SQL as the server's superuser through psql (set-up and clean-up of test tables); a failing
// statement throws std::runtime_error with psql's message. What it creates is then owned by the
// test role, so the tests' own connections can change and drop it.
// Every test binary shares the one database and ctest runs them side by side: give each binary
// table names of its own (a prefix per binary).
void pgExec(const QString& sql);
// ODBC connection string of the server with the test role's user and password.
QString pgConnectionString();
// The server's log file (what it writes to stderr), or empty for a server started before it was
// recorded. See tests/support/PgStatementLog.h to read a connection's statements from it.
QString pgLogFile();

// In a test body: skips the test when no PostgreSQL server can be had.
#define QV_REQUIRE_PG()                                                                           \
    do {                                                                                          \
        if (!::testsupport::pgAvailable())                                                        \
            GTEST_SKIP() << "no PostgreSQL server: "                                              \
                         << ::testsupport::pgUnavailableReason().toStdString();                   \
    } while (0)

// Adds or replaces a data source in the private odbc.ini, e.g. ("demo", "SQLite3", {"Database=/x.db"}).
// Attributes take effect for the next connection. unixODBC's driver manager remembers which driver
// a name stands for (and that a name is unknown) for 20 seconds, so within one test binary give a
// data source a new name rather than a new driver, and do not look a name up before adding it.
void addDataSource(const QString& name, const QString& driver, const QStringList& attributes);
// Removes a data source from the private odbc.ini (no error when it is not there).
void removeDataSource(const QString& name);

// A fresh, empty QUORVEL_HOME for one test; the previous value comes back when it goes.
class TempHome {
public:
    TempHome();
    ~TempHome();
    const QString& path() const { return path_; }
    QString file(const QString& name) const;  // path_ + "/" + name
private:
    QString path_, previous_;
};

} // namespace testsupport
