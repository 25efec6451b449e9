#pragma once
// ADO with the OLE DB provider for ODBC: a connection made from a connection string
// ("Provider=MSDASQL.1;Password=...;User ID=...;Data Source=...") and a query on it.
#include "platform/engine/Engine.h"

#include <QString>
#include <memory>

namespace platform::ado {

class AdoError : public platform::engine::EngineError {
public:
    using EngineError::EngineError;
    QString className() const override { return QStringLiteral("EOleException"); }
};

struct ConnectionString {
    QString provider, password, userId, dataSource;
    static ConnectionString parse(const QString& text);  // names without regard to case
};

class AdoConnection {
public:
    AdoConnection();
    ~AdoConnection();
    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }
    void setLoginPrompt(bool) {}  // there is never a prompt
    void open();    // throws AdoError with the driver's text
    void close();
    bool connected() const;
    platform::odbc::Connection& connection();

private:
    QString connectionString_;
    std::unique_ptr<platform::odbc::Connection> connection_;
};

// A query on an AdoConnection, or on its own connection string (opened on first use).
class AdoQuery : public platform::engine::Query {
public:
    void setConnection(AdoConnection* connection) { connection_ = connection; }
    void setConnectionString(const QString& text);
    void setParamCheck(bool) {}  // parameters are always parsed from the SQL text
    // The parameter MemoText (or any other) typed as memo is bound as long text.
    void open();
    void execSQL();

private:
    AdoConnection* connection_ = nullptr;
    std::unique_ptr<AdoConnection> own_;
};

} // namespace platform::ado
