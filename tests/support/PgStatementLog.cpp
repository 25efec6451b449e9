#include "tests/support/PgStatementLog.h"

#include "tests/support/Support.h"

#include <QFile>
#include <QRegularExpression>

#include <stdexcept>

namespace testsupport {

PgLogin pgLoggedRole(const QString& name)
{
    const PgServer& server = pg();
    const PgLogin login{name, server.password};
    pgExec(QStringLiteral("DO $$BEGIN\n"
                          "  IF NOT EXISTS (SELECT FROM pg_roles WHERE rolname = '%1') THEN\n"
                          "    CREATE ROLE %1 LOGIN;\n"
                          "  END IF;\n"
                          "END$$;\n"
                          "ALTER ROLE %1 PASSWORD '%2';\n"
                          "ALTER ROLE %1 SET log_statement = 'all';\n"
                          "GRANT USAGE, CREATE ON SCHEMA public TO %1;\n")
               .arg(login.user, login.password));
    return login;
}

namespace {

void openLog(QFile& log)
{
    log.setFileName(pgLogFile());
    if (pgLogFile().isEmpty() || !log.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read the PostgreSQL server log " + pgLogFile().toStdString());
}

} // namespace

PgStatementLog::PgStatementLog(int backendPid) : pid_(backendPid)
{
    QFile log;
    openLog(log);
    start_ = log.size();
}

QStringList PgStatementLog::statements() const
{
    QFile log;
    openLog(log);
    log.seek(start_);
    const QString text = QString::fromUtf8(log.readAll());
    // A message begins with the default line prefix "%m [%p] "; its further lines carry none.
    static const QRegularExpression head(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d(\\.\\d+)? \\S+ \\[(\\d+)\\] (\\w+):  (.*)$"));
    static const QRegularExpression statement(QStringLiteral("^(statement|execute [^:]*): (.*)$"),
                                              QRegularExpression::DotMatchesEverythingOption);
    QStringList messages;
    bool ours = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = head.match(line);
        if (m.hasMatch()) {
            ours = m.captured(2).toInt() == pid_ && m.captured(3) == QLatin1String("LOG");
            if (ours)
                messages << m.captured(4);
        } else if (ours && !messages.isEmpty()) {
            messages.last() += QLatin1Char('\n') + line;
        }
    }
    QStringList found;
    for (const QString& message : messages) {
        const QRegularExpressionMatch m = statement.match(message);
        if (!m.hasMatch())
            continue;
        const QString sql = m.captured(2).trimmed();
        if (sql.startsWith(QLatin1String("SET statement_timeout")) || sql.contains(QLatin1String("pg_catalog.")))
            continue;
        found << sql;
    }
    return found;
}

} // namespace testsupport
