#pragma once
// The desktop database engine over ODBC: a session with aliases and table names, the database
// component, query and table datasets and their fields. Every failure is an EngineError whose
// message is the driver's own text.
#include "platform/engine/FieldTypes.h"
#include "platform/engine/SqlDialect.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

namespace platform::odbc { class Connection; class Statement; class Error; }

namespace platform::engine {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message, const QString& sqlState = {}, long nativeError = 0);
    QString message() const { return QString::fromUtf8(what()); }
    const QString& sqlState() const { return sqlState_; }
    // The driver's own code of the first diagnostic record; 0 when it gave none.
    long nativeError() const { return nativeError_; }
    // The class name the program shows in "Error Type = " texts.
    virtual QString className() const { return QStringLiteral("EDBEngineError"); }
private:
    QString sqlState_;
    long nativeError_ = 0;
};

class Database;

// The shortest text that reads back as the same double: plain decimals up to 15 integer digits,
// else "1.5e+20"; "NAN", "INF", "-INF".
QString FloatText(double value);

// A date, and a time when given, as the page shows it ("MM/dd/yyyy hh:mm:ss") or in the order of
// an ODBC literal ("yyyy-MM-dd hh:mm:ss"), written digit by digit: formatting through the locale
// costs more than fetching the value. Years outside 1 to 9999 go through QDate's own formatting.
enum class ClockOrder { Shown, Odbc };
QString ClockText(QDate date, const QTime* time, ClockOrder order);

// A name as a statement writes it: left bare when it is a plain lower-case identifier that is no
// reserved word, else in double quotes with inner ones doubled, so it reaches the database exactly
// as spelled (a database that folds bare names to one case finds a mixed-case name only quoted).
QString QuotedName(const QString& name);
// "owner.table" or "table": each part as QuotedName writes it.
QString QuotedTableName(const QString& name);

// The default session. Aliases are stored in "aliases.ini" of the configuration folder; an alias
// that is not stored but names an ODBC data source resolves to that data source. addAlias and
// deleteAlias act on the session at once; saveConfigFile makes them last beyond this run.
class Session {
public:
    static Session& instance();

    // Table names of the connected database named databaseName ("*.*", no extensions, no system
    // tables are the program's arguments); owner-qualified "owner.table" where the driver reports
    // an owner. Tables and views are listed.
    void getTableNames(const QString& databaseName, const QString& pattern, bool extensions,
                       bool systemTables, QStringList& list);

    void addAlias(const QString& name, const QString& driverName, const QStringList& params);
    void deleteAlias(const QString& name);  // a missing alias is not an error
    void saveConfigFile();
    // The file, in the configuration folder, that saveConfigFile writes.
    static QString configFileName();
    bool isAlias(const QString& name) const;               // stored or an ODBC data source
    QStringList aliasParams(const QString& name) const;    // stored "NAME=value" lines
    QString aliasDriver(const QString& name) const;

    // The connected database component whose DatabaseName is this (without regard to case).
    Database* findDatabase(const QString& databaseName) const;

    ~Session();

private:
    friend class Database;
    void registerDatabase(Database* db);
    void unregisterDatabase(Database* db);
    Session();
    struct Impl;
    std::unique_ptr<Impl> d;
};

class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void setDatabaseName(const QString& name);
    const QString& databaseName() const { return databaseName_; }
    void setAliasName(const QString& name) { aliasName_ = name; }
    const QString& aliasName() const { return aliasName_; }
    // Lines "user name=..." and "password=..." (names without regard to case).
    QStringList& params() { return params_; }
    void setKeepConnection(bool keep) { keepConnection_ = keep; }
    bool keepConnection() const { return keepConnection_; }

    // True connects (throws EngineError with the driver's text on failure), false disconnects and
    // closes the datasets open on it. The data source is the stored alias's "ODBC DSN", else the
    // alias name itself, else the database name.
    void setConnected(bool connected);
    bool connected() const;

    // Throws when not connected. When the server has dropped the link (an earlier call failed on
    // it), connects once more with the same data source and login first; a failure to do so
    // throws the driver's text, and the next call tries again.
    odbc::Connection& connection();
    // Called with the data source after such a new connection was made.
    void setReconnectHandler(std::function<void(const QString&)> handler) { onReconnect_ = std::move(handler); }

    // The statements run on the connection between startTransaction and commit take effect
    // together or not at all. While a transaction is open a broken link is not mended by a new
    // connection (it would run the rest outside the transaction): connection() throws instead.
    void startTransaction();
    // Throws the driver's text when the commit fails; the transaction is then rolled back.
    void commit();
    // Never throws: a rollback the driver refuses leaves the link to be made afresh.
    void rollback();
    bool inTransaction() const { return inTransaction_; }

    // The product name the driver reports (SQL_DBMS_NAME), e.g. "SQLite", "PostgreSQL".
    QString dbmsName();
    // The dialect of the connection, found when it was made: its product and, for MySQL, the
    // session's sql_mode. Connecting makes it the program's CurrentSqlDialect().
    const SqlDialect& dialect() const { return dialect_; }
    // The reading of statement text of the session as it is now. For PostgreSQL this asks the
    // server for standard_conforming_strings, which a session may change at any time (one round
    // trip); throws the driver's text when that fails. Other products: their first reading.
    SqlReading sessionReading();
    // True when the link to the server is found broken.
    bool linkLost() const;

private:
    friend class RowReaderLease;
    [[noreturn]] void refuseWhileLent() const;
    int lentReaders_ = 0;  // RowReaderLeases running on the connection
    QString databaseName_, aliasName_;
    QStringList params_;
    bool keepConnection_ = false;
    bool inTransaction_ = false;
    void detectDialect();
    QString dbmsName_;  // of the connection made
    SqlDialect dialect_;
    std::unique_ptr<odbc::Connection> connection_;
    QString dsn_, user_, password_;  // of the connection made
    std::function<void(const QString&)> onReconnect_;
};

// Clock values come without a time zone; asDateTime() gives them as UTC so that no daylight-saving
// rule can move them.
class Field {
public:
    const QString& fieldName() const { return name_; }
    FieldType dataType() const { return type_; }
    int dataSize() const { return size_; }
    int sqlType() const { return sqlType_; }
    bool isNull() const { return isNull_; }
    // The value as text: dates "MM/dd/yyyy", timestamps "MM/dd/yyyy hh:mm:ss", booleans
    // "True"/"False", numbers in plain decimal (DECIMAL and NUMERIC with the digits the driver
    // gives); NULL gives "". A date the database holds in a form that is no date (SQLite keeps any
    // text) comes as it is stored.
    QString asString() const;
    // Appends asString() to out without making a text of its own.
    void appendText(QString& out) const;
    int asInteger() const;
    long long asLargeInt() const;
    double asFloat() const;
    bool asBoolean() const;
    QDateTime asDateTime() const;
    // Blob and memo bytes (memo text as UTF-8): what a blob stream on the field reads.
    QByteArray asBytes() const;
    // A value read as text exactly as the driver gave it: a date or timestamp in the ODBC form, or
    // as SQLite stores it ("2020-11-02 09:15:00" in a date column). asString() for other values.
    QString storedText() const;

private:
    friend class DataSet;
    void parseDate() const;
    QString name_;
    FieldType type_ = ftUnknown;
    ValueKind kind_ = ValueKind::Text;
    int size_ = 0;
    int sqlType_ = 0;
    bool isNull_ = true;
    QString text_;      // text, memo and date values as fetched
    QByteArray bytes_;  // blob values
    long long int_ = 0;
    double float_ = 0;
    // Parsed lazily from text_ for dates.
    mutable bool dateParsed_ = false;
    mutable QDateTime dateTime_;
};

class Param {
public:
    const QString& name() const { return name_; }
    void clear();  // NULL
    void setString(const QString& v);
    void setMemo(const QString& v);      // long text
    void setBlob(const QByteArray& v);   // long binary
    void setInteger(long long v);
    void setFloat(double v);
    bool isNull() const { return kind_ == Kind::Null; }

private:
    friend class DataSet;
    friend class Query;
    enum class Kind { Null, String, Memo, Blob, Integer, Float };
    QString name_;
    Kind kind_ = Kind::Null;
    QString text_;
    QByteArray bytes_;
    long long int_ = 0;
    double float_ = 0;
};

// What Query and Table share: a forward-only result with fields of the current row.
class DataSet {
public:
    DataSet();
    virtual ~DataSet();
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

    void setDatabaseName(const QString& name) { databaseName_ = name; }
    const QString& databaseName() const { return databaseName_; }

    bool active() const;
    void close();
    bool eof() const;
    void next();
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    Field& fields(int index);
    Field& fieldByName(const QString& name);  // throws "Field 'x' not found"
    Field* findField(const QString& name);

protected:
    friend class RowReaderLease;
    Database& database() const;  // the connected Database of databaseName(); throws if none
    // The connection statements run on: the Database's; ADO brings its own.
    virtual odbc::Connection& connection();
    // Turns a driver failure into this dataset's exception type.
    [[noreturn]] virtual void raise(const odbc::Error& error) const;
    [[noreturn]] virtual void raise(const QString& message) const;

    // Runs sql with its markers bound from params (by position), describes the result and reads
    // the first row. deferRows: only describe now, and run rowsSql when rows are first asked for.
    void openStatement(const QString& sql, const std::vector<Param*>& params);
    void deferRows(const QString& rowsSql);
    void bind(odbc::Statement& stmt, const std::vector<Param*>& params) const;
    void describe();
    void fetchRow();
    void startDeferredRows();

    QString databaseName_;
    std::unique_ptr<odbc::Statement> stmt_;
    std::vector<Field> fields_;
    bool eof_ = true;
    QString deferredSql_;  // non-empty while a Table's rows have not been asked for
    // A prepared Query keeps its statement while closed, with the fields it described.
    bool keepStatement_ = false;
    std::unique_ptr<odbc::Statement> kept_;
    std::vector<Field> keptFields_;
};

// Lends an open dataset to another thread that reads its remaining rows (eof(), next() and its
// fields, nothing else) while the owning thread goes on. An ODBC connection takes one thread at a
// time: until the lease ends, every other use of the dataset's database component throws instead
// of racing the reader. Made and ended on the thread that owns the component, and ended only once
// the reader has stopped.
class RowReaderLease {
public:
    explicit RowReaderLease(DataSet& set);
    ~RowReaderLease();
    RowReaderLease(const RowReaderLease&) = delete;
    RowReaderLease& operator=(const RowReaderLease&) = delete;

private:
    Database* database_ = nullptr;
};

class Query : public DataSet {
public:
    Query();
    ~Query() override;
    // The SQL lines; sent joined by line breaks, unchanged but for ":name" parameters outside
    // quoted text and comments, which become "?" markers bound from params().
    QStringList& sql() { return sql_; }
    void open();
    void execSQL();
    int rowsAffected() const { return rowsAffected_; }
    // Keeps the statement prepared from one open() to the next, so the database parses its text
    // once and each open() only binds the parameters and runs it. It is prepared afresh when the
    // text has changed or the link it was prepared on is gone (another connection, a link made
    // again after it was lost). unprepare() frees it.
    void prepare();
    void unprepare();
    bool prepared() const { return keepStatement_; }
    Param& paramByName(const QString& name);  // parameters are parsed from the SQL text
    std::vector<Param>& params();

    // The text sent for sqlText, with parameter markers replaced; markerNames gets the name of
    // each marker in order.
    static QString parseParameters(const QString& sqlText, QStringList* markerNames);

private:
    void prepareParams();
    std::vector<Param*> markerParams();
    QStringList sql_;
    bool parsed_ = false;
    QString parsedFor_;
    QString statementText_;
    QStringList markerNames_;
    std::vector<Param> params_;
    int rowsAffected_ = -1;
    const odbc::Connection* preparedOn_ = nullptr;  // only compared, never used
    // execSQL's statement handle, kept for the next execSQL on the same link: a handle costs a
    // driver more to make than a short INSERT costs to run.
    std::unique_ptr<odbc::Statement> execStatement_;
    QString preparedText_;
};

// A table opened by name: its field definitions come from the database without reading rows;
// rows are read on the first next() / eof() after open().
class Table : public DataSet {
public:
    void setTableName(const QString& name) { tableName_ = name; }
    const QString& tableName() const { return tableName_; }
    void open();
    void setActive(bool active) { if (active) open(); else close(); }

private:
    QString tableName_;
};

} // namespace platform::engine
