// The fixtures themselves, through unixODBC's C API: if these fail, every database test would.
#include "tests/support/Support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

std::string diag(SQLSMALLINT type, SQLHANDLE h)
{
    SQLCHAR state[6] = {}, text[1024] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(type, h, 1, state, &native, text, sizeof text, &len)))
        return {};
    return std::string(reinterpret_cast<char*>(state)) + " " + reinterpret_cast<char*>(text);
}

// One environment and connection; connect() gives the driver manager's message on failure.
class Conn {
public:
    Conn()
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
    }
    ~Conn()
    {
        if (connected_)
            SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }
    // Empty on success, else "SQLSTATE message".
    std::string connect(const QString& dsn, const QString& user = {}, const QString& password = {})
    {
        const std::string d = dsn.toStdString(), u = user.toStdString(), p = password.toStdString();
        SQLRETURN rc = SQLConnect(dbc_, (SQLCHAR*)d.c_str(), SQL_NTS, (SQLCHAR*)u.c_str(), SQL_NTS,
                                  (SQLCHAR*)p.c_str(), SQL_NTS);
        connected_ = SQL_SUCCEEDED(rc);
        return connected_ ? std::string() : diag(SQL_HANDLE_DBC, dbc_) + " (rc " + std::to_string(rc) + ")";
    }
    std::string driverConnect(const QString& connection)
    {
        const std::string c = connection.toStdString();
        SQLCHAR out[1024];
        SQLSMALLINT outLen = 0;
        SQLRETURN rc = SQLDriverConnect(dbc_, nullptr, (SQLCHAR*)c.c_str(), SQL_NTS, out, sizeof out, &outLen,
                                        SQL_DRIVER_NOPROMPT);
        connected_ = SQL_SUCCEEDED(rc);
        return connected_ ? std::string() : diag(SQL_HANDLE_DBC, dbc_);
    }
    // Runs one statement; returns the first column of every row as text (NULL as "<null>").
    std::vector<std::string> query(const std::string& sql)
    {
        SQLHSTMT st = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &st);
        SQLRETURN rc = SQLExecDirect(st, (SQLCHAR*)sql.c_str(), SQL_NTS);
        if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) {
            const std::string msg = diag(SQL_HANDLE_STMT, st);
            SQLFreeHandle(SQL_HANDLE_STMT, st);
            throw std::runtime_error(sql + ": " + msg);
        }
        std::vector<std::string> rows;
        SQLSMALLINT cols = 0;
        SQLNumResultCols(st, &cols);
        if (cols > 0) {
            lastType_ = 0;
            SQLCHAR name[128];
            SQLSMALLINT nameLen, decimals, nullable;
            SQLULEN size;
            SQLDescribeCol(st, 1, name, sizeof name, &nameLen, &lastType_, &size, &decimals, &nullable);
            while (SQL_SUCCEEDED(SQLFetch(st))) {
                char buf[512];
                SQLLEN ind = 0;
                SQLGetData(st, 1, SQL_C_CHAR, buf, sizeof buf, &ind);
                rows.push_back(ind == SQL_NULL_DATA ? std::string("<null>") : std::string(buf));
            }
        }
        SQLFreeHandle(SQL_HANDLE_STMT, st);
        return rows;
    }
    SQLSMALLINT lastColumnType() const { return lastType_; }
    SQLHENV env() const { return env_; }

private:
    SQLHENV env_ = SQL_NULL_HENV;
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    SQLSMALLINT lastType_ = 0;
};

// name -> description (the driver name) of every data source the driver manager lists.
std::vector<std::pair<std::string, std::string>> dataSources()
{
    Conn c;
    std::vector<std::pair<std::string, std::string>> all;
    SQLCHAR name[256], desc[256];
    SQLSMALLINT n1, n2;
    SQLUSMALLINT dir = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(c.env(), dir, name, sizeof name, &n1, desc, sizeof desc, &n2))) {
        all.emplace_back(reinterpret_cast<char*>(name), reinterpret_cast<char*>(desc));
        dir = SQL_FETCH_NEXT;
    }
    return all;
}

bool listed(const std::string& dsn)
{
    for (const auto& [name, desc] : dataSources())
        if (name == dsn)
            return true;
    return false;
}

} // namespace

TEST(Environment, PrivateFilesAndFoldersAreSet)
{
    const QString run = runFolder();
    ASSERT_TRUE(QFileInfo(run).isDir());
    EXPECT_EQ(qEnvironmentVariable("ODBCSYSINI"), run);
    EXPECT_EQ(qEnvironmentVariable("ODBCINI"), run + "/odbc.ini");
    EXPECT_TRUE(QFileInfo(qEnvironmentVariable("ODBCINI")).isAbsolute());
    EXPECT_TRUE(QFileInfo(qEnvironmentVariable("QUORVEL_HOME")).isDir());
    EXPECT_EQ(qEnvironmentVariable("QT_QPA_PLATFORM"), "offscreen");
    const QFileInfo xdg(qEnvironmentVariable("XDG_RUNTIME_DIR"));
    ASSERT_TRUE(xdg.isDir());
    EXPECT_EQ(xdg.permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                                   QFile::WriteOther | QFile::ExeOther),
              QFile::Permissions());
    // Nothing of the user's or the machine's configuration is used or written.
    QFile ini(run + "/odbcinst.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("Driver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so"));
    EXPECT_TRUE(text.contains("Driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so"));
    EXPECT_FALSE(text.contains("Setup"));
}

TEST(Sqlite, DataSourceIsListedAndHoldsData)
{
    bool found = false;
    for (const auto& [name, desc] : dataSources())
        if (name == sqliteDsn().toStdString()) {
            found = true;
            EXPECT_EQ(desc, "SQLite3");
        }
    EXPECT_TRUE(found);

    Conn c;
    ASSERT_EQ(c.connect(sqliteDsn()), "");
    c.query("CREATE TABLE fixture_probe (id INTEGER PRIMARY KEY, name VARCHAR(40))");
    c.query("INSERT INTO fixture_probe (name) VALUES ('O''Brien')");
    EXPECT_EQ(c.query("SELECT name FROM fixture_probe"), std::vector<std::string>{"O'Brien"});
    c.query("DROP TABLE fixture_probe");
    EXPECT_GT(QFileInfo(sqliteFile()).size(), 0);
}

// unixODBC caches what it read from odbc.ini; a data source pointed elsewhere must be seen at once.
TEST(DataSources, ReplacedAttributesTakeEffectAtOnce)
{
    const QString a = runFolder() + "/moved-a.db", b = runFolder() + "/moved-b.db";
    addDataSource("qv_moved", "SQLite3", {"Database=" + a});
    {
        Conn c;
        ASSERT_EQ(c.connect("qv_moved"), "");
        c.query("CREATE TABLE only_in_a (x INTEGER)");
    }
    addDataSource("qv_moved", "SQLite3", {"Database=" + b, "Description=second"});
    {
        Conn c;
        ASSERT_EQ(c.connect("qv_moved"), "");
        EXPECT_THROW(c.query("SELECT x FROM only_in_a"), std::runtime_error);
    }
    EXPECT_TRUE(QFileInfo::exists(b));
    EXPECT_TRUE(listed("qv_moved"));
    removeDataSource("qv_moved");
    EXPECT_FALSE(listed("qv_moved"));
    EXPECT_TRUE(listed(sqliteDsn().toStdString()));

    EXPECT_THROW(addDataSource("qv_bad", "SQLite3", {"no equals sign"}), std::invalid_argument);
}

TEST(TempHome, FreshFolderAndPreviousValueComesBack)
{
    const QString before = qEnvironmentVariable("QUORVEL_HOME");
    QString outerPath;
    {
        TempHome outer;
        outerPath = outer.path();
        EXPECT_EQ(qEnvironmentVariable("QUORVEL_HOME"), outerPath);
        EXPECT_NE(outerPath, before);
        EXPECT_TRUE(QDir(outerPath).isEmpty());
        EXPECT_EQ(outer.file("a.ini"), outerPath + "/a.ini");
        {
            TempHome inner;
            EXPECT_NE(inner.path(), outerPath);
            EXPECT_EQ(qEnvironmentVariable("QUORVEL_HOME"), inner.path());
        }
        EXPECT_EQ(qEnvironmentVariable("QUORVEL_HOME"), outerPath);
    }
    EXPECT_EQ(qEnvironmentVariable("QUORVEL_HOME"), before);
    EXPECT_FALSE(QFileInfo::exists(outerPath));
}

TEST(Postgres, ConnectsWithUserAndPassword)
{
    QV_REQUIRE_PG();
    const PgServer& s = pg();
    EXPECT_EQ(s.host, "127.0.0.1");
    EXPECT_GT(s.port, 0);
    EXPECT_EQ(s.dsn, "qv_pg");
    EXPECT_TRUE(listed("qv_pg"));
    // The password is the caller's to give: it is not in odbc.ini.
    QFile ini(qEnvironmentVariable("ODBCINI"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ini.readAll().contains(s.password.toUtf8()));

    Conn c;
    ASSERT_EQ(c.connect(s.dsn, s.user, s.password), "");
    EXPECT_EQ(c.query("SELECT current_user"), std::vector<std::string>{s.user.toStdString()});
    EXPECT_EQ(c.query("SELECT current_database()"), std::vector<std::string>{s.database.toStdString()});
    c.query("SELECT true AS flag");
    EXPECT_EQ(c.lastColumnType(), SQL_BIT);  // BoolsAsChar=0

    Conn byString;
    EXPECT_EQ(byString.driverConnect(pgConnectionString()), "");
}

TEST(Postgres, WrongOrMissingPasswordIsRefused)
{
    QV_REQUIRE_PG();
    const struct {
        QString password;
        const char* message;
    } cases[] = {
        {"not-the-password", "password authentication failed"},
        {"", "no password supplied"},
    };
    for (const auto& t : cases) {
        Conn c;
        const std::string err = c.connect(pg().dsn, pg().user, t.password);
        EXPECT_NE(err.find(t.message), std::string::npos) << err;
    }
}

TEST(Postgres, TablesMadeByPgExecBelongToTheTestRole)
{
    QV_REQUIRE_PG();
    pgExec("DROP TABLE IF EXISTS fixture_owned; CREATE TABLE fixture_owned (id serial PRIMARY KEY, name text)");
    pgExec("INSERT INTO fixture_owned (name) VALUES ('set up')");  // no trailing semicolon
    Conn c;
    ASSERT_EQ(c.connect(pg().dsn, pg().user, pg().password), "");
    c.query("INSERT INTO fixture_owned (name) VALUES ('by the test')");
    EXPECT_EQ(c.query("SELECT name FROM fixture_owned ORDER BY id"),
              (std::vector<std::string>{"set up", "by the test"}));
    c.query("ALTER TABLE fixture_owned ADD COLUMN extra integer");
    c.query("DROP TABLE fixture_owned");

    try {
        pgExec("SELECT * FROM no_such_table");
        ADD_FAILURE() << "pgExec did not report the error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("no_such_table"), std::string::npos) << e.what();
    }
}
