#pragma once
// RAII wrapper of the ODBC C API (unixODBC), through the wide-character calls so any text survives,
// but for statement text and column names to a driver that has no wide calls of its own (see
// Connection::narrowText). Every failing call throws Error with the SQLSTATE, native code and
// message text of the driver's diagnostic records. Text is UTF-16 (char16_t, the SQLWCHAR of
// unixODBC); no Qt here.
#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use 16-bit SQLWCHAR");

std::u16string fromUtf8(std::string_view text);
std::string toUtf8(std::u16string_view text);

// SQL_WCHAR, SQL_WVARCHAR and SQL_WLONGVARCHAR as their narrow twins; every other type unchanged.
int narrowSqlType(int sqlType);

struct Diagnostic {
    std::string sqlState;
    long nativeError = 0;
    std::string message;  // UTF-8, the driver's own text
};

class Error : public std::runtime_error {
public:
    // what() is the message texts of all records joined by line breaks.
    explicit Error(std::vector<Diagnostic> records);
    Error(const std::string& sqlState, const std::string& message);
    const std::string& sqlState() const { return records_.front().sqlState; }
    long nativeError() const { return records_.front().nativeError; }
    std::string message() const { return what(); }
    const std::vector<Diagnostic>& records() const { return records_; }

private:
    static std::string join(const std::vector<Diagnostic>& records);
    std::vector<Diagnostic> records_;
};

// Reads the diagnostic records of a handle after a failed call and throws them as Error.
// narrowDriver: the handle belongs to a connection whose driver speaks UTF-8 through the narrow
// calls (its messages may come through the driver manager one unit a byte).
[[noreturn]] void raise(SQLSMALLINT handleType, SQLHANDLE handle, SQLRETURN rc, bool narrowDriver = false);

// The driver manager turns a narrow driver's UTF-8 text into UTF-16 through UCS-2; text holding
// a character outside the BMP then comes one unit a byte. Such text is read back as the UTF-8 it
// was; any other text is left as it is.
std::u16string repairByteWiseText(std::u16string text);

struct DataSource {
    std::u16string name;
    std::u16string description;  // unixODBC gives the driver name here
};

// The process's ODBC 3 environment; lives to the end of the process.
// unixODBC converts between the wide calls and a driver that has only narrow ones (SQLite's) in
// the C library's character set, so any set but UTF-8 loses characters. Switches LC_CTYPE to a
// UTF-8 locale when it is not one; the environment and every connect call it (psqlODBC sets the
// locale from the environment when it loads).
void useUtf8Locale();

class Environment {
public:
    static Environment& instance();
    SQLHENV handle() const { return env_; }
    // User and system data sources.
    std::vector<DataSource> dataSources();
    bool hasDataSource(std::u16string_view name);  // without regard to case

private:
    Environment();
    SQLHENV env_ = SQL_NULL_HENV;
};

class Statement;

class Connection {
public:
    Connection();
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // SQLConnect to a data source; an empty user or password leaves the data source's own.
    void connect(std::u16string_view dsn, std::u16string_view user, std::u16string_view password);
    // SQLDriverConnect without prompting.
    void driverConnect(std::u16string_view connectionString);
    // Frees every statement still open on the connection, then disconnects.
    void disconnect();
    bool connected() const { return connected_; }
    // True once the link to the server is found broken (after a failed call).
    bool dead() const;
    // Autocommit off: the statements that follow make one transaction, ended by endTransaction.
    void setAutoCommit(bool on);
    // SQLEndTran: commit or roll back what was done since the transaction began.
    void endTransaction(bool commit);
    // Seconds a login and each statement may take before the driver gives up, where the driver
    // supports it; 0 waits for ever. Takes effect for the next connect and the next statement.
    void setTimeout(int seconds) { timeout_ = seconds; }
    int timeout() const { return timeout_; }
    static constexpr int kDefaultTimeout = 30;
    SQLHDBC handle() const { return dbc_; }
    std::u16string infoText(SQLUSMALLINT infoType);

    // Has the next use of the connection treat the link as broken (a rollback that failed).
    void markLost() { lost_ = true; }

    // True when statement text and column names go as UTF-8 through the narrow calls: for a
    // driver that has no wide calls (the driver manager would convert them through UCS-2, which
    // loses every character outside the BMP) and for the SQLite driver, whatever its build.
    // Decided at connect from the driver library the connection loaded and the product it names.
    bool narrowText() const { return narrowText_; }
    // The product the driver named at connect (SQL_DBMS_NAME); empty when it did not say.
    const std::u16string& dbmsName() const { return dbmsName_; }

private:
    friend class Statement;
    void allocate();
    void chooseTextCalls();
    SQLHDBC dbc_ = SQL_NULL_HDBC;
    bool connected_ = false;
    bool narrowText_ = false;
    std::u16string dbmsName_;
    bool lost_ = false;  // a statement failed because the link is gone
    int timeout_ = kDefaultTimeout;
    std::vector<Statement*> statements_;
};

struct Column {
    std::u16string name;
    int sqlType = 0;          // as the driver reports it (wide types not narrowed)
    long long columnSize = 0;
    int decimalDigits = 0;
    bool nullable = true;
    bool autoUnique = false;  // SQL_DESC_AUTO_UNIQUE_VALUE
};

class Statement {
public:
    explicit Statement(Connection& connection);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // False once the connection it was made on has been closed.
    bool valid() const { return stmt_ != SQL_NULL_HSTMT; }
    // Whether the handle lives on c: false once freed, with its connection or alone.
    bool isOn(const Connection& c) const { return connection_ == &c; }
    SQLHSTMT handle() const { return stmt_; }

    void prepare(std::u16string_view sql);
    // Runs the prepared statement, sending long parameters at execution. False when the driver
    // answers SQL_NO_DATA (an UPDATE or DELETE that matched nothing).
    bool execute();
    bool execDirect(std::u16string_view sql);
    void closeCursor();
    // A null pattern is passed as NULL (no restriction).
    void tables(const std::u16string* schemaPattern, const std::u16string* tablePattern,
                const std::u16string& tableTypes);

    int columnCount();
    Column describe(int column);  // 1-based
    bool fetch();                 // false at the end
    long long rowCount();

    // Reading the current row; columns in increasing order. Each returns false for NULL.
    bool getInteger(int column, long long& value);
    bool getDouble(int column, double& value);
    bool getBit(int column, bool& value);
    bool getDate(int column, SQL_DATE_STRUCT& value);
    bool getTimestamp(int column, SQL_TIMESTAMP_STRUCT& value);
    // Text of any length, read in chunks into a buffer of 16-bit units (std::u16string, QString):
    // the buffer's capacity is reused from row to row.
    template <class Buffer> bool getText(int column, Buffer& buffer);
    // Bytes of any length into std::string, QByteArray or the like.
    template <class Buffer> bool getBytes(int column, Buffer& buffer);

    // Parameters, 1-based. Values are copied and kept until clearParameters().
    void clearParameters();
    void bindNull(int index, SQLSMALLINT sqlType = SQL_VARCHAR);
    void bindInteger(int index, long long value);
    void bindDouble(int index, double value);
    void bindText(int index, std::u16string value);       // SQL_WVARCHAR
    void bindLongText(int index, std::u16string value);   // SQL_WLONGVARCHAR, sent at execution
    void bindLongBinary(int index, std::string value);    // SQL_LONGVARBINARY, sent at execution

private:
    friend class Connection;
    struct Param;
    void check(SQLRETURN rc) const;
    bool narrow() const { return connection_ && connection_->narrowText_; }
    void release();
    Param& param(int index);
    void putLongData(Param& p);
    // One SQLGetData call; returns rc and sets *indicator.
    SQLRETURN getChunk(int column, SQLSMALLINT cType, void* buffer, SQLLEN bytes, SQLLEN* indicator);
    [[noreturn]] void fail(SQLRETURN rc) const;

    Connection* connection_ = nullptr;
    SQLHSTMT stmt_ = SQL_NULL_HSTMT;
    std::vector<std::unique_ptr<Param>> params_;
};

// ---- chunked reads ---------------------------------------------------------------------------

namespace detail {
// Reads a column of unknown length. Unit is the buffer's element type; terminator is the number of
// units the driver appends after each chunk (1 for text, 0 for bytes).
template <class Buffer, class Get>
bool readChunked(Buffer& buffer, std::size_t unit, std::size_t terminator, std::size_t firstChunk, Get get)
{
    std::size_t length = 0;
    // Reuse what the buffer already holds, but never let one long value make every later read
    // start huge.
    std::size_t size = std::clamp<std::size_t>(static_cast<std::size_t>(buffer.capacity()), firstChunk,
                                               std::max<std::size_t>(firstChunk, 65536));
    for (;;) {
        if (size < length + terminator + 1)
            size = length + terminator + 1;
        buffer.resize(static_cast<decltype(buffer.size())>(size));
        const std::size_t usable = size - length - terminator;  // units the driver may fill
        SQLLEN indicator = 0;
        const SQLRETURN rc = get(reinterpret_cast<char*>(buffer.data()) + length * unit,
                                 static_cast<SQLLEN>((size - length) * unit), &indicator);
        if (rc == SQL_NO_DATA)
            break;  // the previous chunk held the rest
        if (indicator == SQL_NULL_DATA) {
            buffer.resize(0);
            return false;
        }
        if (indicator != SQL_NO_TOTAL && static_cast<std::size_t>(indicator) / unit <= usable) {
            length += static_cast<std::size_t>(indicator) / unit;
            break;
        }
        // Truncated: the chunk is full; grow to what the driver says is left, or double.
        length += usable;
        if (indicator != SQL_NO_TOTAL)
            size = length + (static_cast<std::size_t>(indicator) / unit - usable) + terminator;
        else
            size *= 2;
    }
    buffer.resize(static_cast<decltype(buffer.size())>(length));
    return true;
}
} // namespace detail

template <class Buffer>
bool Statement::getText(int column, Buffer& buffer)
{
    static_assert(sizeof(*buffer.data()) == sizeof(SQLWCHAR));
    return detail::readChunked(buffer, sizeof(SQLWCHAR), 1, 64, [&](char* p, SQLLEN bytes, SQLLEN* ind) {
        return getChunk(column, SQL_C_WCHAR, p, bytes, ind);
    });
}

template <class Buffer>
bool Statement::getBytes(int column, Buffer& buffer)
{
    static_assert(sizeof(*buffer.data()) == 1);
    return detail::readChunked(buffer, 1, 0, 4096, [&](char* p, SQLLEN bytes, SQLLEN* ind) {
        return getChunk(column, SQL_C_BINARY, p, bytes, ind);
    });
}

} // namespace platform::odbc
