#pragma once
// What the benchmarks' bare ODBC loops share: the error check, a connection opened before any
// timing (as the engine's is), and rounds that alternate the runs being compared, so a change of
// load on the machine falls on all of them alike.
#include <sql.h>
#include <sqlext.h>

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// A bare loop has no error handling of its own: a failing call ends the benchmark with the
// driver's message.
inline void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const char* what)
{
    if (SQL_SUCCEEDED(rc))
        return;
    SQLCHAR state[6] = {}, text[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    SQLGetDiagRec(type, h, 1, state, &native, text, sizeof text, &len);
    std::fprintf(stderr, "%s failed: %s %s\n", what, state, text);
    std::exit(1);
}

inline std::u16string wide(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size()));
}

// One connection of a bare loop, with one statement ready for use; freed when it goes.
struct BareConnection {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT stmt = SQL_NULL_HSTMT;

    BareConnection(const std::u16string& dsn, const std::u16string& user, const std::u16string& password)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        check(SQLConnectW(dbc, text(dsn), SQL_NTS, user.empty() ? nullptr : text(user), SQL_NTS,
                          password.empty() ? nullptr : text(password), SQL_NTS),
              SQL_HANDLE_DBC, dbc, "connect");
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    }
    BareConnection(const QString& dsn, const QString& user, const QString& password)
        : BareConnection(wide(dsn), wide(user), wide(password))
    {
    }
    ~BareConnection()
    {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    // A new statement executed directly; the caller fetches and then frees it.
    SQLHSTMT execute(const QString& sql) const
    {
        SQLHSTMT fresh = SQL_NULL_HSTMT;
        SQLAllocHandle(SQL_HANDLE_STMT, dbc, &fresh);
        const std::u16string s = wide(sql);
        check(SQLExecDirectW(fresh, text(s), SQL_NTS), SQL_HANDLE_STMT, fresh, "execute");
        return fresh;
    }

    // Seconds the statement takes to run until the driver has its first row ready, which no
    // program can show before; the SQLite driver reads the whole result here.
    double runSeconds(const QString& sql) const
    {
        QElapsedTimer t;
        t.start();
        SQLHSTMT stmt = execute(sql);
        const double seconds = double(t.nsecsElapsed()) / 1e9;
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        return seconds;
    }

    static SQLWCHAR* text(const std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(s.c_str())); }
};

// The current row of stmt read as the page reads a row: each of its columns as text. Gives the
// characters read, so that no reading can be left out.
inline long long readRowAsText(SQLHSTMT stmt, SQLSMALLINT columns)
{
    SQLWCHAR buf[256];
    long long chars = 0;
    for (SQLUSMALLINT c = 1; c <= columns; ++c) {
        SQLLEN ind = 0;
        SQLGetData(stmt, c, SQL_C_WCHAR, buf, sizeof buf, &ind);
        chars += ind > 0 ? ind : 0;
    }
    return chars;
}

// Runs each function once per round, in turn, for the given number of rounds; gives each one's
// median time in seconds.
inline std::vector<double> alternate(int rounds, const std::vector<std::function<void()>>& runs)
{
    std::vector<std::vector<double>> times(runs.size());
    for (int r = 0; r < rounds; ++r) {
        for (std::size_t i = 0; i < runs.size(); ++i) {
            QElapsedTimer t;
            t.start();
            runs[i]();
            times[i].push_back(double(t.nsecsElapsed()) / 1e9);
        }
    }
    std::vector<double> medians;
    for (std::vector<double>& v : times) {
        std::sort(v.begin(), v.end());
        medians.push_back(v[v.size() / 2]);
    }
    return medians;
}

} // namespace bench
