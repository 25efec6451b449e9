#pragma once
// The desktop database engine over ODBC: a session with aliases and table names, the database
// component, query and table datasets and their fields. Every failure is an EngineError whose
// message is the driver's own text.
#include "platform/engine/FieldTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>
#include <vector>

namespace platform::odbc { class Connection; class Statement; }

namespace platform::engine {

class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString& message, const QString& sqlState = {});
    QString message() const { return QString::fromUtf8(what()); }
    const QString& sqlState() const { return sqlState_; }
    // The class name the program shows in "Error Type = " texts.
    virtual QString className() const { return QStringLiteral("EDBEngineError"); }
private:
    QString sqlState_;
};

class Database;

// The default session. Aliases are stored in "aliases.ini" of the configuration folder; an alias
// that is not stored but names an ODBC data source resolves to that data source.
class Session {
public:
    static Session& instance();

    // Table names of the connected database named databaseName ("*.*", no extensions, no system
    // tables are the program's arguments); owner-qualified "owner.table" where the driver reports
    // an owner.
    void getTableNames(const QString& databaseName, const QString& pattern, bool extensions,
                       bool systemTables, QStringList& list);

    void addAlias(const QString& name, const QString& driverName, const QStringList& params);
    void deleteAlias(const QString& name);  // a missing alias is not an error
    void saveConfigFile();
    bool isAlias(const QString& name) const;               // stored or an ODBC data source
    QStringList aliasParams(const QString& name) const;    // stored "NAME=value" lines
    QString aliasDriver(const QString& name) const;

    // The connected database component whose DatabaseName is this (without regard to case).
    Database* findDatabase(const QString& databaseName) const;

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

    // True connects (throws EngineError with the driver's text on failure), false disconnects.
    void setConnected(bool connected);
    bool connected() const;

    odbc::Connection& connection();  // throws when not connected

private:
    QString databaseName_, aliasName_;
    QStringList params_;
    bool keepConnection_ = false;
    std::unique_ptr<odbc::Connection> connection_;
};

class Field {
public:
    const QString& fieldName() const { return name_; }
    FieldType dataType() const { return type_; }
    int dataSize() const { return size_; }
    bool isNull() const { return isNull_; }
    // The value as text: dates "MM/dd/yyyy", timestamps "MM/dd/yyyy hh:mm:ss", booleans
    // "True"/"False", numbers in plain decimal; NULL gives "".
    QString asString() const;
    int asInteger() const;
    double asFloat() const;
    bool asBoolean() const;
    QDateTime asDateTime() const;
    // Blob and memo bytes (memo text as UTF-8); the blob stream of the original.
    QByteArray asBytes() const;

private:
    friend class DataSet;
    QString name_;
    FieldType type_ = ftUnknown;
    int size_ = 0;
    int sqlType_ = 0;
    bool isNull_ = true;
    QString text_;
    QByteArray bytes_;
    long long int_ = 0;
    double float_ = 0;
    QDateTime dateTime_;
};

class Param {
public:
    const QString& name() const { return name_; }
    void clear();  // NULL
    void setString(const QString& v);
    void setMemo(const QString& v);      // long text
    void setBlob(const QByteArray& v);   // long binary: loaded from a stream in the original
    void setInteger(long long v);
    void setFloat(double v);
    bool isNull() const { return kind_ == Kind::Null; }

private:
    friend class DataSet;
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
    bool eof() const { return eof_; }
    void next();
    int fieldCount() const { return static_cast<int>(fields_.size()); }
    Field& fields(int index);
    Field& fieldByName(const QString& name);  // throws "Field 'x' not found"
    Field* findField(const QString& name);

protected:
    Database& database() const;  // the connected Database of databaseName(); throws if none
    void openStatement(const QString& sql, std::vector<Param>* params);
    void describe();
    void fetchRow();
    QString databaseName_;
    std::unique_ptr<odbc::Statement> stmt_;
    std::vector<Field> fields_;
    bool eof_ = true;
};

class Query : public DataSet {
public:
    // The SQL lines; sent joined by line breaks, unchanged but for ":name" parameters outside
    // quoted text, which become "?" markers bound from params().
    QStringList& sql() { return sql_; }
    void open();
    void execSQL();
    int rowsAffected() const { return rowsAffected_; }
    Param& paramByName(const QString& name);  // parameters are parsed from the SQL text
    std::vector<Param>& params();

private:
    void prepareParams();
    QStringList sql_;
    QString parsedFor_;
    QString statementText_;
    std::vector<Param> params_;
    int rowsAffected_ = -1;
};

// A table opened by name: its field definitions come from the catalogue without reading rows;
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
