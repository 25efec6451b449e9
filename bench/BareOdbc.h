#pragma once
// What the benchmarks' bare ODBC loops share.
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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

// One connection and one statement of a bare loop, freed when it goes.
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
    ~BareConnection()
    {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt);
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    static SQLWCHAR* text(const std::u16string& s) { return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(s.c_str())); }
};

} // namespace bench
