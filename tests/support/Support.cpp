#include "tests/support/Support.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>

#include <cerrno>
#include <signal.h>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace testsupport {
namespace {

constexpr const char* kSqliteDriver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
constexpr const char* kPgDriver = "/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so";
constexpr const char* kRunPrefix = "quorvel-test-";

struct State {
    bool installed = false;
    pid_t owner = 0;          // only this process cleans up (not a forked death-test child)
    QString run;
    bool pgLooked = false;    // pg.env read, or a start tried
    bool pgOwnServer = false; // started by this process, stopped at exit
    QString pgDir;
    QString pgReason;
    PgServer pg;
    QString psql, pgSocketDir, pgAdmin, pgLog;
};

State& state()
{
    static State s;
    return s;
}

QString pgScript()
{
    return QStringLiteral(QV_SOURCE_DIR "/tests/support/pg-server.sh");
}

bool writeFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(text) == text.size();
}

[[noreturn]] void fatal(const QString& what)
{
    std::fprintf(stderr, "testsupport: %s\n", qPrintable(what));
    std::fflush(stderr);
    std::_Exit(2);
}

// Runs pg-server.sh; its messages go to our stderr.
bool runPgScript(const char* command, const QString& dir)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(QStringLiteral("/bin/bash"), {pgScript(), QString::fromLatin1(command), dir});
    if (!p.waitForStarted(10000) || !p.waitForFinished(120000))
        return false;
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// A zombie counts as dead: a killed test may wait a while for its parent to reap it.
bool processAlive(pid_t pid)
{
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return false;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    const int close = text.lastIndexOf(')');
    return !(close > 0 && close + 2 < text.size() && text.at(close + 2) == 'Z');
}

// A folder of a test process that died without cleaning up (a crash, a kill): stop the server it
// may have started and remove it, so crashed runs do not pile up servers.
void sweepAbandonedRuns()
{
    QDir tmp(QDir::tempPath());
    const auto entries =
        tmp.entryInfoList({QString::fromLatin1(kRunPrefix) + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& e : entries) {
        QFile pidFile(e.filePath() + QStringLiteral("/owner.pid"));
        if (!pidFile.open(QIODevice::ReadOnly))
            continue;
        bool ok = false;
        const pid_t pid = pidFile.readAll().trimmed().toInt(&ok);
        if (!ok || pid <= 0 || processAlive(pid))
            continue;
        if (QFileInfo::exists(e.filePath() + QStringLiteral("/pg")))
            runPgScript("stop", e.filePath() + QStringLiteral("/pg"));
        QDir(e.filePath()).removeRecursively();
    }
}

void cleanup()
{
    State& s = state();
    if (!s.installed || s.owner != ::getpid())
        return;
    if (s.pgOwnServer)
        runPgScript("stop", s.pgDir);
    if (!s.run.isEmpty())
        QDir(s.run).removeRecursively();
    s.installed = false;
}

void ensureInstalled()
{
    if (!state().installed)
        installOdbcEnvironment();
}

std::string toStd(const QString& s)
{
    return s.toStdString();
}

void writeDsn(const QString& name, const QString& driver, const QStringList& attributes)
{
    // Written through odbcinst so its lookup cache forgets the old values (the drivers read their
    // attributes through it); a file written behind its back would be seen only 20 s later.
    const std::string section = toStd(name);
    SQLWritePrivateProfileString(section.c_str(), nullptr, nullptr, "odbc.ini");
    auto put = [&](const QString& key, const QString& value) {
        if (!SQLWritePrivateProfileString(section.c_str(), toStd(key).c_str(), toStd(value).c_str(),
                                          "odbc.ini"))
            throw std::runtime_error("cannot write data source " + section + " to the private odbc.ini");
    };
    put(QStringLiteral("Driver"), driver);
    for (const QString& a : attributes) {
        const int eq = a.indexOf(QLatin1Char('='));
        if (eq <= 0)
            throw std::invalid_argument("data source attribute without key=value: " + toStd(a));
        put(a.left(eq).trimmed(), a.mid(eq + 1).trimmed());
    }
}

QStringList pgDsnAttributes(const PgServer& pg)
{
    return {QStringLiteral("Servername=") + pg.host, QStringLiteral("Port=") + QString::number(pg.port),
            QStringLiteral("Database=") + pg.database, QStringLiteral("BoolsAsChar=0")};
}

// Reads DIR/pg.env as written by pg-server.sh.
bool readPgEnv(const QString& dir)
{
    QFile f(dir + QStringLiteral("/pg.env"));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    State& s = state();
    QTextStream in(&f);
    PgServer pg;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        const int eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq), value = line.mid(eq + 1);
        if (key == QLatin1String("PGHOST")) pg.host = value;
        else if (key == QLatin1String("PGPORT")) pg.port = value.toInt();
        else if (key == QLatin1String("PGUSER")) pg.user = value;
        else if (key == QLatin1String("PGPASSWORD")) pg.password = value;
        else if (key == QLatin1String("PGDATABASE")) pg.database = value;
        else if (key == QLatin1String("PGADMIN")) s.pgAdmin = value;
        else if (key == QLatin1String("PSQL")) s.psql = value;
        else if (key == QLatin1String("PGSOCKDIR")) s.pgSocketDir = value;
        else if (key == QLatin1String("PGLOG")) s.pgLog = value;
    }
    if (pg.host.isEmpty() || pg.port <= 0 || pg.user.isEmpty() || s.psql.isEmpty())
        return false;
    pg.dsn = QStringLiteral("qv_pg");
    s.pg = pg;
    return true;
}

// Finds the server: the ctest fixture's when it wrote pg.env, else one of our own.
void lookForPg()
{
    State& s = state();
    if (s.pgLooked)
        return;
    s.pgLooked = true;

    const QByteArray fixtureDir = qgetenv("QUORVEL_TEST_PG_DIR");
    if (!fixtureDir.isEmpty()) {
        const QString dir = QString::fromLocal8Bit(fixtureDir);
        if (readPgEnv(dir)) {
            s.pgDir = dir;
        } else if (QFile::exists(dir + QStringLiteral("/pg.unavailable"))) {
            QFile why(dir + QStringLiteral("/pg.unavailable"));
            why.open(QIODevice::ReadOnly);
            s.pgReason = QString::fromLocal8Bit(why.readAll()).trimmed();
            return;
        }
    }
    if (s.pgDir.isEmpty()) {
        const QString dir = s.run + QStringLiteral("/pg");
        s.pgOwnServer = true;  // stop it at exit even if the start failed half-way
        s.pgDir = dir;
        if (!runPgScript("start", dir)) {
            s.pgReason = QStringLiteral("pg-server.sh could not start a server (see its messages above)");
            return;
        }
        if (!readPgEnv(dir)) {
            QFile why(dir + QStringLiteral("/pg.unavailable"));
            s.pgReason = why.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(why.readAll()).trimmed()
                                                       : QStringLiteral("pg-server.sh wrote no pg.env");
            return;
        }
    }
    writeDsn(s.pg.dsn, QStringLiteral("PostgreSQL Unicode"), pgDsnAttributes(s.pg));
}

} // namespace

void installOdbcEnvironment()
{
    State& s = state();
    if (s.installed)
        return;

    sweepAbandonedRuns();

    QByteArray templ = QDir::tempPath().toLocal8Bit() + "/" + kRunPrefix + "XXXXXX";
    if (!::mkdtemp(templ.data()))
        fatal(QStringLiteral("cannot create a run folder under %1").arg(QDir::tempPath()));
    const QString run = QString::fromLocal8Bit(templ);
    // Readable by others so a PostgreSQL server started as the postgres user can live in it.
    QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                   QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    s.run = run;
    s.owner = ::getpid();
    s.installed = true;
    std::atexit(cleanup);

    const QString home = run + QStringLiteral("/home");
    const QString xdg = run + QStringLiteral("/xdg");
    QDir().mkpath(home);
    QDir().mkpath(xdg);
    QFile::setPermissions(xdg, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QByteArray inst = QByteArray("[SQLite3]\nDriver=") + kSqliteDriver +
                            "\n\n[PostgreSQL Unicode]\nDriver=" + kPgDriver + "\n";
    const QString sqlite = run + QStringLiteral("/test.db");
    if (!writeFile(run + QStringLiteral("/owner.pid"), QByteArray::number(s.owner)) ||
        !writeFile(run + QStringLiteral("/odbcinst.ini"), inst) ||
        !writeFile(run + QStringLiteral("/odbc.ini"), QByteArray()) || !writeFile(sqlite, QByteArray()))
        fatal(QStringLiteral("cannot write the unixODBC files in %1").arg(run));

    qputenv("ODBCSYSINI", run.toLocal8Bit());
    qputenv("ODBCINI", (run + QStringLiteral("/odbc.ini")).toLocal8Bit());
    qunsetenv("ODBCINSTINI");
    qunsetenv("ODBCSEARCH");
    qputenv("QUORVEL_HOME", home.toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", xdg.toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    writeDsn(QStringLiteral("qv_sqlite"), QStringLiteral("SQLite3"), {QStringLiteral("Database=") + sqlite});

    // The fixture's server is registered at once, so a test may name qv_pg before asking pg().
    if (!qEnvironmentVariableIsEmpty("QUORVEL_TEST_PG_DIR") &&
        QFile::exists(qEnvironmentVariable("QUORVEL_TEST_PG_DIR") + QStringLiteral("/pg.env")))
        lookForPg();
}

QString runFolder()
{
    ensureInstalled();
    return state().run;
}

QString sqliteDsn()
{
    ensureInstalled();
    return QStringLiteral("qv_sqlite");
}

QString sqliteFile()
{
    ensureInstalled();
    return state().run + QStringLiteral("/test.db");
}

bool pgAvailable()
{
    ensureInstalled();
    lookForPg();
    return state().pgReason.isEmpty();
}

QString pgUnavailableReason()
{
    pgAvailable();
    return state().pgReason;
}

const PgServer& pg()
{
    if (!pgAvailable())
        throw std::runtime_error("no PostgreSQL server: " + toStd(state().pgReason));
    return state().pg;
}

QString pgConnectionString()
{
    const PgServer& p = pg();
    return QStringLiteral("DSN=%1;UID=%2;PWD=%3").arg(p.dsn, p.user, p.password);
}

void pgExec(const QString& sql)
{
    const PgServer& p = pg();
    const State& s = state();
    QProcess psql;
    psql.start(s.psql, {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                        QStringLiteral("-h"), s.pgSocketDir, QStringLiteral("-p"), QString::number(p.port),
                        QStringLiteral("-U"), s.pgAdmin, QStringLiteral("-d"), p.database, QStringLiteral("-f"),
                        QStringLiteral("-")});
    if (!psql.waitForStarted(10000))
        throw std::runtime_error("pgExec: cannot start " + toStd(s.psql));
    // The ";" ends a last statement written without one; psql ignores an empty one. What the
    // administrator made goes to the tests' user. That takes every such object of the database, also
    // those another test is writing to at the same time, so it waits for a lock only briefly and
    // tries again, rather than deadlock with that test. Two catalog writes to one row at once fail
    // the later one as "tuple concurrently updated" (an internal error): that is tried again too.
    const QString script = sql + QStringLiteral("\n;\nDO $reassign$\nBEGIN\n"
                                                "  FOR attempt IN 1..200 LOOP\n"
                                                "    BEGIN\n"
                                                "      SET LOCAL lock_timeout = '100ms';\n"
                                                "      REASSIGN OWNED BY %1 TO %2;\n"
                                                "      RETURN;\n"
                                                "    EXCEPTION WHEN lock_not_available OR deadlock_detected OR internal_error THEN\n"
                                                "      PERFORM pg_sleep(0.02);\n"
                                                "    END;\n"
                                                "  END LOOP;\n"
                                                "  RAISE EXCEPTION 'the objects made for the test could not be handed to its user';\n"
                                                "END\n$reassign$;\n")
                                 .arg(s.pgAdmin, p.user);
    psql.write(script.toUtf8());
    psql.closeWriteChannel();
    if (!psql.waitForFinished(120000)) {
        psql.kill();
        psql.waitForFinished();
        throw std::runtime_error("pgExec: psql did not finish: " + toStd(sql));
    }
    if (psql.exitStatus() != QProcess::NormalExit || psql.exitCode() != 0)
        throw std::runtime_error("pgExec failed: " + psql.readAllStandardError().trimmed().toStdString() +
                                 "\nSQL: " + toStd(sql));
}

QString pgLogFile()
{
    pg();
    return state().pgLog;
}

void addDataSource(const QString& name, const QString& driver, const QStringList& attributes)
{
    ensureInstalled();
    writeDsn(name, driver, attributes);
}

void removeDataSource(const QString& name)
{
    ensureInstalled();
    SQLWritePrivateProfileString(toStd(name).c_str(), nullptr, nullptr, "odbc.ini");
}

TempHome::TempHome()
{
    ensureInstalled();
    previous_ = qEnvironmentVariable("QUORVEL_HOME");
    QByteArray templ = (state().run + QStringLiteral("/home-XXXXXX")).toLocal8Bit();
    if (!::mkdtemp(templ.data()))
        throw std::runtime_error("cannot create a configuration folder in " + toStd(state().run));
    path_ = QString::fromLocal8Bit(templ);
    qputenv("QUORVEL_HOME", path_.toLocal8Bit());
}

TempHome::~TempHome()
{
    qputenv("QUORVEL_HOME", previous_.toLocal8Bit());
    QDir(path_).removeRecursively();
}

QString TempHome::file(const QString& name) const
{
    return path_ + QLatin1Char('/') + name;
}

} // namespace testsupport
