#pragma once
// What a connection really sent to the test server: a login role whose every statement the server
// logs (log_statement=all for that role only), and the statements of one backend read back from
// the server's log.
#include <QString>
#include <QStringList>

namespace testsupport {

struct PgLogin {
    QString user;
    QString password;
};

// A login role of that name (give each test binary its own), made once per server, that may create
// tables in the public schema and whose statements are all logged.
PgLogin pgLoggedRole(const QString& name);

// Reads the server log from the moment it is made: statements() are those that the backend of
// that process id logged since, in order. The server writes each line before it runs the
// statement, so what a call sent is in the log when the call has returned.
class PgStatementLog {
public:
    explicit PgStatementLog(int backendPid);
    // Leaves out what psqlODBC sends of its own accord: its statement timeout ("SET
    // statement_timeout = ...") and its catalogue look-ups (over pg_catalog).
    QStringList statements() const;

private:
    int pid_;
    qint64 start_ = 0;
};

} // namespace testsupport
