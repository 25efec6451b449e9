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

} // namespace bench
