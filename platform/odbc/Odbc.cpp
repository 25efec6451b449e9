#include "platform/odbc/Odbc.h"

#include <algorithm>
#include <clocale>
#include <cstring>
#include <dlfcn.h>
#include <langinfo.h>
#include <cstdint>

namespace platform::odbc {

namespace {

const SQLWCHAR* w(std::u16string_view s)
{
    // An empty view may have a null data(); drivers want a real pointer.
    static const char16_t empty = 0;
    return reinterpret_cast<const SQLWCHAR*>(s.empty() ? &empty : s.data());
}

SQLWCHAR* wm(std::u16string_view s) { return const_cast<SQLWCHAR*>(w(s)); }

SQLCHAR* nm(std::string& s) { return reinterpret_cast<SQLCHAR*>(s.data()); }

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t n = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            n = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            n = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            n = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= s.size())
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if ((n == 2 && cp < 0x800) || (n == 3 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp < 0xE000))
            return false;
        i += n + 1;
    }
    return true;
}

bool lowerEquals(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = char16_t(x + 32);
        if (y >= u'A' && y <= u'Z') y = char16_t(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

constexpr SQLLEN kPutChunk = 64 * 1024;  // bytes per SQLPutData call

} // namespace

// ---- text ------------------------------------------------------------------------------------

std::u16string fromUtf8(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t n = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6 && i + 1 < s.size()) {
            cp = ((c & 0x1F) << 6) | (s[i + 1] & 0x3F);
            n = 2;
        } else if ((c >> 4) == 0xE && i + 2 < s.size()) {
            cp = ((c & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F);
            n = 3;
        } else if ((c >> 3) == 0x1E && i + 3 < s.size()) {
            cp = ((c & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F);
            n = 4;
        }
        i += n;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

int narrowSqlType(int sqlType)
{
    switch (sqlType) {
    case SQL_WCHAR: return SQL_CHAR;
    case SQL_WVARCHAR: return SQL_VARCHAR;
    case SQL_WLONGVARCHAR: return SQL_LONGVARCHAR;
    default: return sqlType;
    }
}

// ---- errors ----------------------------------------------------------------------------------

Error::Error(std::vector<Diagnostic> records)
    : std::runtime_error(join(records)), records_(std::move(records))
{
    if (records_.empty())
        records_.push_back({"HY000", 0, what()});
}

Error::Error(const std::string& sqlState, const std::string& message)
    : std::runtime_error(message), records_{{sqlState, 0, message}}
{
}

std::string Error::join(const std::vector<Diagnostic>& records)
{
    std::string text;
    for (const Diagnostic& d : records) {
        if (!text.empty())
            text += '\n';
        text += d.message;
    }
    return text.empty() ? std::string("The ODBC call failed without a message.") : text;
}

std::u16string repairByteWiseText(std::u16string text)
{
    bool high = false;
    for (char16_t c : text) {
        if (c > 0xFF)
            return text;
        high = high || c >= 0x80;
    }
    if (!high)
        return text;
    std::string bytes(text.begin(), text.end());
    if (!isUtf8(bytes))
        return text;
    return fromUtf8(bytes);
}

void raise(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc, bool narrowDriver)
{
    if (rc == SQL_INVALID_HANDLE)
        throw Error("HY000", "Invalid ODBC handle.");
    std::vector<Diagnostic> records;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        std::u16string text(512, u'\0');
        SQLRETURN r = SQLGetDiagRecW(handleType, handle, i, state, &native,
                                     reinterpret_cast<SQLWCHAR*>(text.data()),
                                     SQLSMALLINT(text.size()), &length);
        if (r == SQL_SUCCESS_WITH_INFO && length >= SQLSMALLINT(text.size())) {
            text.assign(std::size_t(length) + 1, u'\0');
            r = SQLGetDiagRecW(handleType, handle, i, state, &native,
                               reinterpret_cast<SQLWCHAR*>(text.data()), SQLSMALLINT(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(r))
            break;
        text.resize(std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(length, 0)), text.size()));
        while (!text.empty() && (text.back() == u'\n' || text.back() == u'\r' || text.back() == 0))
            text.pop_back();
        if (narrowDriver)
            text = repairByteWiseText(std::move(text));
        std::u16string st(reinterpret_cast<const char16_t*>(state), 5);
        records.push_back({toUtf8(st), long(native), toUtf8(text)});
    }
    throw Error(std::move(records));
}

// ---- environment -----------------------------------------------------------------------------

Environment& Environment::instance()
{
    // Never freed: connections held by static objects may outlive any other static.
    static Environment* env = new Environment;
    return *env;
}

void useUtf8Locale()
{
    if (std::setlocale(LC_CTYPE, nullptr) && std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    // Keep the language of the environment's locale where it has a UTF-8 form.
    std::string name = std::setlocale(LC_CTYPE, "") ? std::setlocale(LC_CTYPE, nullptr) : "C";
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0)
        return;
    name = name.substr(0, name.find_first_of(".@"));
    for (const std::string& candidate : {name + ".UTF-8", std::string("C.UTF-8"), std::string("C.utf8")}) {
        if (std::setlocale(LC_CTYPE, candidate.c_str()))
            return;
    }
}

Environment::Environment()
{
    useUtf8Locale();
    SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
    if (!SQL_SUCCEEDED(rc))
        throw Error("HY001", "Cannot allocate the ODBC environment.");
    rc = SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(rc))
        raise(SQL_HANDLE_ENV, env_, rc);
}

std::vector<DataSource> Environment::dataSources()
{
    std::vector<DataSource> list;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    for (;;) {
        SQLWCHAR name[SQL_MAX_DSN_LENGTH * 4 + 1] = {};
        SQLWCHAR description[1024] = {};
        SQLSMALLINT nameLength = 0, descriptionLength = 0;
        const SQLRETURN rc = SQLDataSourcesW(env_, direction, name, SQLSMALLINT(std::size(name)), &nameLength,
                                             description, SQLSMALLINT(std::size(description)), &descriptionLength);
        if (rc == SQL_NO_DATA)
            break;
        if (!SQL_SUCCEEDED(rc))
            raise(SQL_HANDLE_ENV, env_, rc);
        list.push_back({std::u16string(reinterpret_cast<const char16_t*>(name)),
                        std::u16string(reinterpret_cast<const char16_t*>(description))});
        direction = SQL_FETCH_NEXT;
    }
    return list;
}

bool Environment::hasDataSource(std::u16string_view name)
{
    for (const DataSource& ds : dataSources())
        if (lowerEquals(ds.name, name))
            return true;
    return false;
}

// ---- connection ------------------------------------------------------------------------------

Connection::Connection() = default;

Connection::~Connection()
{
    try {
        disconnect();
    } catch (...) {
    }
    if (dbc_ != SQL_NULL_HDBC)
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
}

void Connection::allocate()
{
    if (dbc_ != SQL_NULL_HDBC)
        return;
    SQLHENV env = Environment::instance().handle();
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc_);
    if (!SQL_SUCCEEDED(rc))
        raise(SQL_HANDLE_ENV, env, rc);
}

namespace {
bool saysLinkIsGone(const Error& error);
} // namespace

namespace {
// A server that stops answering would otherwise hold the window for as long as it stays silent.
// Drivers that lack a timeout refuse the attribute; that is no reason to fail.
void setLoginTimeout(SQLHDBC dbc, int seconds)
{
    SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(seconds)), 0);
}
} // namespace

bool Connection::dead() const
{
    if (!connected_)
        return false;
    if (lost_)
        return true;
    SQLUINTEGER value = SQL_CD_FALSE;
    const SQLRETURN rc = SQLGetConnectAttrW(dbc_, SQL_ATTR_CONNECTION_DEAD, &value, 0, nullptr);
    return SQL_SUCCEEDED(rc) && value == SQL_CD_TRUE;
}

void Connection::setAutoCommit(bool on)
{
    if (!connected_)
        throw Error("08003", "Connection not open");
    const SQLRETURN rc = SQLSetConnectAttrW(
        dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF)),
        SQL_IS_UINTEGER);
    if (!SQL_SUCCEEDED(rc))
        raise(SQL_HANDLE_DBC, dbc_, rc);
}

void Connection::endTransaction(bool commit)
{
    if (!connected_)
        throw Error("08003", "Connection not open");
    const SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_, commit ? SQL_COMMIT : SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(rc)) {
        try {
            raise(SQL_HANDLE_DBC, dbc_, rc, narrowText_);
        } catch (const Error& error) {
            if (saysLinkIsGone(error))
                lost_ = true;
            throw;
        }
    }
}

void Connection::connect(std::u16string_view dsn, std::u16string_view user, std::u16string_view password)
{
    disconnect();
    useUtf8Locale();  // a driver loaded earlier may have set the locale back
    allocate();
    setLoginTimeout(dbc_, timeout_);
    const SQLRETURN rc = SQLConnectW(dbc_, wm(dsn), SQLSMALLINT(dsn.size()),
                                     user.empty() ? nullptr : wm(user), SQLSMALLINT(user.size()),
                                     password.empty() ? nullptr : wm(password), SQLSMALLINT(password.size()));
    if (!SQL_SUCCEEDED(rc))
        raise(SQL_HANDLE_DBC, dbc_, rc);
    connected_ = true;
    chooseTextCalls();
}

void Connection::driverConnect(std::u16string_view connectionString)
{
    disconnect();
    useUtf8Locale();  // a driver loaded earlier may have set the locale back
    allocate();
    setLoginTimeout(dbc_, timeout_);
    SQLSMALLINT outLength = 0;
    const SQLRETURN rc = SQLDriverConnectW(dbc_, nullptr, wm(connectionString), SQLSMALLINT(connectionString.size()),
                                           nullptr, 0, &outLength, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc))
        raise(SQL_HANDLE_DBC, dbc_, rc);
    connected_ = true;
    chooseTextCalls();
}

void Connection::disconnect()
{
    // Statements go first: their handles die with the connection.
    for (Statement* s : std::vector<Statement*>(statements_))
        s->release();
    statements_.clear();
    if (!connected_)
        return;
    connected_ = false;
    lost_ = false;
    narrowText_ = false;
    const SQLRETURN rc = SQLDisconnect(dbc_);
    if (!SQL_SUCCEEDED(rc)) {
        // An open transaction keeps some drivers connected: roll it back and try once more.
        SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
        SQLDisconnect(dbc_);
    }
}

namespace {

// Whether the driver library of a connection has the wide calls, from the library handle the
// connection reports (SQL_DRIVER_HLIB). unixODBC loads drivers through libltdl, whose handle only
// lt_dlsym reads; the function is looked up where the driver manager brought it in. True when it
// cannot be told: the wide calls are then used as before.
bool driverHasWideCalls(SQLHDBC dbc)
{
    SQLPOINTER library = nullptr;
    if (!SQL_SUCCEEDED(SQLGetInfoW(dbc, SQL_DRIVER_HLIB, &library, sizeof library, nullptr)) || !library)
        return true;
    using Lookup = void* (*)(void*, const char*);
    static const Lookup lookup = reinterpret_cast<Lookup>(dlsym(RTLD_DEFAULT, "lt_dlsym"));
    if (!lookup)
        return true;
    return lookup(library, "SQLExecDirectW") != nullptr;
}

} // namespace

void Connection::chooseTextCalls()
{
    narrowText_ = false;
    dbmsName_.clear();
    // The SQLite driver reads UTF-8 through its narrow calls exactly, whichever calls its build has.
    try {
        dbmsName_ = infoText(SQL_DBMS_NAME);
        if (lowerEquals(dbmsName_, u"sqlite")) {
            narrowText_ = true;
            return;
        }
    } catch (const Error&) {
        // A driver that does not say: its library decides.
    }
    narrowText_ = !driverHasWideCalls(dbc_);
}

std::u16string Connection::infoText(SQLUSMALLINT infoType)
{
    if (!connected_)
        throw Error("08003", "Connection not open");
    std::u16string text(256, u'\0');
    SQLSMALLINT length = 0;
    SQLRETURN rc = SQLGetInfoW(dbc_, infoType, text.data(), SQLSMALLINT(text.size() * 2), &length);
    if (!SQL_SUCCEEDED(rc))
        raise(SQL_HANDLE_DBC, dbc_, rc);
    if (std::size_t(length) / 2 >= text.size()) {
        text.assign(std::size_t(length) / 2 + 1, u'\0');
        rc = SQLGetInfoW(dbc_, infoType, text.data(), SQLSMALLINT(text.size() * 2), &length);
        if (!SQL_SUCCEEDED(rc))
            raise(SQL_HANDLE_DBC, dbc_, rc);
    }
    text.resize(std::min(text.size(), std::size_t(length) / 2));
    return text;
}

// ---- statement -------------------------------------------------------------------------------

struct Statement::Param {
    enum Kind { Null, Integer, Double, Text, LongText, LongBinary } kind = Null;
    long long integer = 0;
    double real = 0;
    std::u16string text;
    std::string bytes;
    SQLLEN indicator = 0;
};

Statement::Statement(Connection& connection) : connection_(&connection)
{
    if (!connection.connected())
        throw Error("08003", "Connection not open");
    const SQLRETURN rc = SQLAllocHandle(SQL_HANDLE_STMT, connection.handle(), &stmt_);
    if (!SQL_SUCCEEDED(rc))
        raise(SQL_HANDLE_DBC, connection.handle(), rc);
    connection.statements_.push_back(this);
    if (connection.timeout_ > 0)
        SQLSetStmtAttrW(stmt_, SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(connection.timeout_)), 0);
}

Statement::~Statement()
{
    release();
}

void Statement::release()
{
    if (stmt_ != SQL_NULL_HSTMT) {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
        stmt_ = SQL_NULL_HSTMT;
    }
    if (connection_) {
        auto& list = connection_->statements_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        connection_ = nullptr;
    }
}

namespace {
// Connection exceptions, and the server ending the session (PostgreSQL's 57P01 to 57P03).
bool saysLinkIsGone(const Error& error)
{
    for (const Diagnostic& d : error.records()) {
        if (d.sqlState.rfind("08", 0) == 0 || d.sqlState == "57P01" || d.sqlState == "57P02" ||
            d.sqlState == "57P03")
            return true;
    }
    return false;
}
} // namespace

void Statement::fail(SQLRETURN rc) const
{
    if (stmt_ == SQL_NULL_HSTMT)
        throw Error("08003", "Connection not open");
    try {
        raise(SQL_HANDLE_STMT, stmt_, rc, narrow());
    } catch (const Error& error) {
        // Some drivers stop telling that the link is dead (psqlODBC after a catalogue call):
        // the failure itself is then the only word of it.
        if (connection_ && saysLinkIsGone(error))
            connection_->lost_ = true;
        throw;
    }
}

void Statement::check(SQLRETURN rc) const
{
    if (!SQL_SUCCEEDED(rc))
        fail(rc);
}

void Statement::prepare(std::u16string_view sql)
{
    if (!valid())
        fail(SQL_ERROR);
    if (narrow()) {
        std::string text = toUtf8(sql);
        check(SQLPrepare(stmt_, nm(text), SQLINTEGER(text.size())));
        return;
    }
    check(SQLPrepareW(stmt_, wm(sql), SQLINTEGER(sql.size())));
}

bool Statement::execute()
{
    if (!valid())
        fail(SQL_ERROR);
    SQLRETURN rc = SQLExecute(stmt_);
    while (rc == SQL_NEED_DATA) {
        SQLPOINTER token = nullptr;
        rc = SQLParamData(stmt_, &token);
        if (rc != SQL_NEED_DATA)
            break;
        const auto index = reinterpret_cast<std::intptr_t>(token);
        if (index < 1 || std::size_t(index) > params_.size() || !params_[std::size_t(index - 1)])
            throw Error("HY000", "The driver asked for an unknown parameter.");
        putLongData(*params_[std::size_t(index - 1)]);
    }
    if (rc == SQL_NO_DATA)
        return false;
    check(rc);
    return true;
}

void Statement::putLongData(Param& p)
{
    const char* data;
    std::size_t bytes;
    if (p.kind == Param::LongText) {
        data = reinterpret_cast<const char*>(p.text.data());
        bytes = p.text.size() * sizeof(char16_t);
    } else {
        data = p.bytes.data();
        bytes = p.bytes.size();
    }
    if (bytes == 0) {
        static char nothing = 0;
        check(SQLPutData(stmt_, &nothing, 0));
        return;
    }
    for (std::size_t at = 0; at < bytes;) {
        std::size_t n = std::min<std::size_t>(kPutChunk, bytes - at);
        if (p.kind == Param::LongText && at + n < bytes) {
            // Never split a surrogate pair between two chunks.
            const char16_t last = p.text[(at + n) / 2 - 1];
            if (last >= 0xD800 && last < 0xDC00)
                n -= sizeof(char16_t);
        }
        check(SQLPutData(stmt_, const_cast<char*>(data + at), SQLLEN(n)));
        at += n;
    }
}

bool Statement::execDirect(std::u16string_view sql)
{
    if (!valid())
        fail(SQL_ERROR);
    SQLRETURN rc;
    if (narrow()) {
        std::string text = toUtf8(sql);
        rc = SQLExecDirect(stmt_, nm(text), SQLINTEGER(text.size()));
    } else {
        rc = SQLExecDirectW(stmt_, wm(sql), SQLINTEGER(sql.size()));
    }
    if (rc == SQL_NO_DATA)
        return false;
    check(rc);
    return true;
}

void Statement::closeCursor()
{
    if (valid())
        SQLFreeStmt(stmt_, SQL_CLOSE);
}

void Statement::tables(const std::u16string* schemaPattern, const std::u16string* tablePattern,
                       const std::u16string& tableTypes)
{
    if (!valid())
        fail(SQL_ERROR);
    if (narrow()) {
        std::string schema = schemaPattern ? toUtf8(*schemaPattern) : std::string();
        std::string table = tablePattern ? toUtf8(*tablePattern) : std::string();
        std::string types = toUtf8(tableTypes);
        check(SQLTables(stmt_, nullptr, 0, schemaPattern ? nm(schema) : nullptr, SQLSMALLINT(schema.size()),
                        tablePattern ? nm(table) : nullptr, SQLSMALLINT(table.size()), nm(types),
                        SQLSMALLINT(types.size())));
        return;
    }
    check(SQLTablesW(stmt_, nullptr, 0,
                     schemaPattern ? wm(*schemaPattern) : nullptr, schemaPattern ? SQLSMALLINT(schemaPattern->size()) : 0,
                     tablePattern ? wm(*tablePattern) : nullptr, tablePattern ? SQLSMALLINT(tablePattern->size()) : 0,
                     wm(tableTypes), SQLSMALLINT(tableTypes.size())));
}

int Statement::columnCount()
{
    if (!valid())
        fail(SQL_ERROR);
    SQLSMALLINT n = 0;
    check(SQLNumResultCols(stmt_, &n));
    return n;
}

Column Statement::describe(int column)
{
    if (!valid())
        fail(SQL_ERROR);
    Column c;
    std::u16string name;
    SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = SQL_NULLABLE_UNKNOWN;
    SQLULEN size = 0;
    // Describes into buffer, grown once when the name is longer, and cuts it to the name.
    const auto describeInto = [&](auto& buffer, auto call) {
        buffer.assign(256, 0);
        check(call(buffer));
        if (std::size_t(nameLength) >= buffer.size()) {
            buffer.assign(std::size_t(nameLength) + 1, 0);
            check(call(buffer));
        }
        buffer.resize(std::min(buffer.size(), std::size_t(std::max<SQLSMALLINT>(nameLength, 0))));
    };
    if (narrow()) {
        // The driver's own bytes: the driver manager would take a name outside the BMP apart.
        std::string bytes;
        describeInto(bytes, [&](std::string& b) {
            return SQLDescribeCol(stmt_, SQLUSMALLINT(column), nm(b), SQLSMALLINT(b.size()), &nameLength, &type, &size,
                                  &digits, &nullable);
        });
        name = fromUtf8(bytes);
    } else {
        describeInto(name, [&](std::u16string& n) {
            return SQLDescribeColW(stmt_, SQLUSMALLINT(column), reinterpret_cast<SQLWCHAR*>(n.data()),
                                   SQLSMALLINT(n.size()), &nameLength, &type, &size, &digits, &nullable);
        });
    }
    // Through the wide calls a narrow driver's length may count UTF-8 bytes: a name outside ASCII
    // then comes with NULs after its real end.
    const std::size_t end = name.find(u'\0');
    if (end != std::u16string::npos)
        name.resize(end);
    c.name = std::move(name);
    c.sqlType = type;
    // Drivers report "unknown" as all bits set; keep such sizes from turning negative.
    c.columnSize = size > SQLULEN(0x7FFFFFFF) ? 0x7FFFFFFF : static_cast<long long>(size);
    c.decimalDigits = digits;
    c.nullable = nullable != SQL_NO_NULLS;
    SQLLEN autoUnique = SQL_FALSE;
    if (SQL_SUCCEEDED(SQLColAttributeW(stmt_, SQLUSMALLINT(column), SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0,
                                       nullptr, &autoUnique)))
        c.autoUnique = autoUnique == SQL_TRUE;
    return c;
}

bool Statement::fetch()
{
    if (!valid())
        fail(SQL_ERROR);
    const SQLRETURN rc = SQLFetch(stmt_);
    if (rc == SQL_NO_DATA)
        return false;
    check(rc);
    return true;
}

long long Statement::rowCount()
{
    if (!valid())
        fail(SQL_ERROR);
    SQLLEN n = 0;
    check(SQLRowCount(stmt_, &n));
    return n;
}

SQLRETURN Statement::getChunk(int column, SQLSMALLINT cType, void* buffer, SQLLEN bytes, SQLLEN* indicator)
{
    if (!valid())
        fail(SQL_ERROR);
    const SQLRETURN rc = SQLGetData(stmt_, SQLUSMALLINT(column), cType, buffer, bytes, indicator);
    if (rc != SQL_NO_DATA)
        check(rc);
    return rc;
}

bool Statement::getInteger(int column, long long& value)
{
    SQLLEN ind = 0;
    SQLBIGINT v = 0;
    getChunk(column, SQL_C_SBIGINT, &v, sizeof v, &ind);
    value = v;
    return ind != SQL_NULL_DATA;
}

bool Statement::getDouble(int column, double& value)
{
    SQLLEN ind = 0;
    value = 0;
    getChunk(column, SQL_C_DOUBLE, &value, sizeof value, &ind);
    return ind != SQL_NULL_DATA;
}

bool Statement::getBit(int column, bool& value)
{
    SQLLEN ind = 0;
    unsigned char v = 0;
    getChunk(column, SQL_C_BIT, &v, sizeof v, &ind);
    value = v != 0;
    return ind != SQL_NULL_DATA;
}

bool Statement::getDate(int column, SQL_DATE_STRUCT& value)
{
    SQLLEN ind = 0;
    value = {};
    getChunk(column, SQL_C_TYPE_DATE, &value, sizeof value, &ind);
    return ind != SQL_NULL_DATA;
}

bool Statement::getTimestamp(int column, SQL_TIMESTAMP_STRUCT& value)
{
    SQLLEN ind = 0;
    value = {};
    getChunk(column, SQL_C_TYPE_TIMESTAMP, &value, sizeof value, &ind);
    return ind != SQL_NULL_DATA;
}

// ---- parameters ------------------------------------------------------------------------------

void Statement::clearParameters()
{
    if (valid())
        SQLFreeStmt(stmt_, SQL_RESET_PARAMS);
    params_.clear();
}

Statement::Param& Statement::param(int index)
{
    if (!valid())
        fail(SQL_ERROR);
    if (index < 1)
        throw Error("07009", "Invalid parameter number");
    if (params_.size() < std::size_t(index))
        params_.resize(std::size_t(index));
    params_[std::size_t(index - 1)] = std::make_unique<Param>();
    return *params_[std::size_t(index - 1)];
}

void Statement::bindNull(int index, SQLSMALLINT sqlType)
{
    Param& p = param(index);
    p.indicator = SQL_NULL_DATA;
    check(SQLBindParameter(stmt_, SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_CHAR, sqlType, 1, 0, nullptr, 0,
                           &p.indicator));
}

void Statement::bindInteger(int index, long long value)
{
    Param& p = param(index);
    p.kind = Param::Integer;
    p.integer = value;
    p.indicator = 0;
    check(SQLBindParameter(stmt_, SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                           &p.integer, 0, &p.indicator));
}

void Statement::bindDouble(int index, double value)
{
    Param& p = param(index);
    p.kind = Param::Double;
    p.real = value;
    p.indicator = 0;
    check(SQLBindParameter(stmt_, SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0,
                           &p.real, 0, &p.indicator));
}

void Statement::bindText(int index, std::u16string value)
{
    Param& p = param(index);
    p.kind = Param::Text;
    p.text = std::move(value);
    p.indicator = SQLLEN(p.text.size() * sizeof(char16_t));
    check(SQLBindParameter(stmt_, SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR,
                           std::max<SQLULEN>(p.text.size(), 1), 0, wm(p.text), p.indicator, &p.indicator));
}

void Statement::bindLongText(int index, std::u16string value)
{
    Param& p = param(index);
    p.kind = Param::LongText;
    p.text = std::move(value);
    const SQLLEN bytes = SQLLEN(p.text.size() * sizeof(char16_t));
    p.indicator = SQL_LEN_DATA_AT_EXEC(bytes);
    check(SQLBindParameter(stmt_, SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WLONGVARCHAR,
                           std::max<SQLULEN>(p.text.size(), 1), 0,
                           reinterpret_cast<SQLPOINTER>(std::intptr_t(index)), 0, &p.indicator));
}

void Statement::bindLongBinary(int index, std::string value)
{
    Param& p = param(index);
    p.kind = Param::LongBinary;
    p.bytes = std::move(value);
    const SQLLEN bytes = SQLLEN(p.bytes.size());
    p.indicator = SQL_LEN_DATA_AT_EXEC(bytes);
    check(SQLBindParameter(stmt_, SQLUSMALLINT(index), SQL_PARAM_INPUT, SQL_C_BINARY, SQL_LONGVARBINARY,
                           std::max<SQLULEN>(p.bytes.size(), 1), 0,
                           reinterpret_cast<SQLPOINTER>(std::intptr_t(index)), 0, &p.indicator));
}

} // namespace platform::odbc
