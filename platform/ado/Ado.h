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
    // Names without regard to case, names and values trimmed; a value may be quoted with " or '
    // (the quote doubled inside) or braced as {...} ("}}" inside). A piece without "=" belongs to
    // the value before it, so a password holding ";" survives.
    static ConnectionString parse(const QString& text);
    // The value as it must be written so that parse() gives it back unchanged: as it is where
    // that is safe, else in braces.
    static QString writeValue(const QString& value);
    // "Provider=...;Password=...;User ID=...;Data Source=..."
    QString text() const;
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
    void setConnected(bool connected) { if (connected) open(); else close(); }
    bool connected() const;
    platform::odbc::Connection& connection();  // opens the connection when it is not open

private:
    QString connectionString_;
    std::unique_ptr<platform::odbc::Connection> connection_;
};

// A query on an AdoConnection, or on its own connection string (opened on first use).
class AdoQuery : public platform::engine::Query {
public:
    ~AdoQuery() override;
    void setConnection(AdoConnection* connection) { connection_ = connection; }
    void setConnectionString(const QString& text);
    void setParamCheck(bool) {}  // parameters are always parsed from the SQL text
    // A parameter set with setMemo (MemoText) is bound as long text.
    void open() { Query::open(); }
    void execSQL() { Query::execSQL(); }

protected:
    platform::odbc::Connection& connection() override;
    [[noreturn]] void raise(const platform::odbc::Error& error) const override;
    [[noreturn]] void raise(const QString& message) const override;

private:
    AdoConnection* connection_ = nullptr;
    std::unique_ptr<AdoConnection> own_;
};

} // namespace platform::ado
