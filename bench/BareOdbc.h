#pragma once
// What the benchmarks' bare ODBC loops share.
#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>

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

// An environment and a connection of ODBC 3, connected to dsn (the login may be empty), freed
// when it goes.
class BareConnection {
public:
    BareConnection(const char16_t* dsn, const char16_t* user, const char16_t* password)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        auto w = [](const char16_t* s) { return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(s)); };
        check(SQLConnectW(dbc, w(dsn), SQL_NTS, *user ? w(user) : nullptr, SQL_NTS, *password ? w(password) : nullptr,
                          SQL_NTS),
              SQL_HANDLE_DBC, dbc, "connect");
    }
    ~BareConnection()
    {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    BareConnection(const BareConnection&) = delete;
    BareConnection& operator=(const BareConnection&) = delete;

    SQLHENV env = SQL_NULL_HANDLE;
    SQLHDBC dbc = SQL_NULL_HANDLE;
};

} // namespace bench
