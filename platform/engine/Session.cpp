// The engine's session: the connected databases, the aliases kept in the configuration folder,
// and the table names of a connection.
#include "platform/engine/Engine.h"
#include "platform/engine/EngineSupport.h"

#include "platform/ini/IniFile.h"

namespace platform::engine {

using detail::qstr;
using detail::toEngineError;
using detail::wide;

namespace {

const QString kAliasFile = QStringLiteral("aliases.ini");
const QString kAliasIndex = QStringLiteral("ALIASES");
const QString kAliasPrefix = QStringLiteral("ALIAS:");

} // namespace

// ---- Session ---------------------------------------------------------------------------------

struct Alias {
    QString name, driver;
    QStringList params;
};

struct Session::Impl {
    std::vector<Database*> databases;
    bool loaded = false;
    QString loadedFrom;
    std::vector<Alias> aliases;

    // Reads the stored aliases when first needed, and again when the configuration folder moved.
    void ensureLoaded()
    {
        IniFile ini(kAliasFile);
        if (loaded && loadedFrom == ini.fileName())
            return;
        aliases.clear();
        try {
            const IniDocument doc = ini.read();
            for (const auto& [name, driver] : doc.readSectionPairs(kAliasIndex))
                aliases.push_back({name, driver, doc.readSectionValues(kAliasPrefix + name)});
        } catch (const std::exception& e) {
            throw EngineError(QString::fromUtf8(e.what()));
        }
        loaded = true;
        loadedFrom = ini.fileName();
    }

    Alias* find(const QString& name)
    {
        ensureLoaded();
        for (Alias& a : aliases)
            if (a.name.compare(name, Qt::CaseInsensitive) == 0)
                return &a;
        return nullptr;
    }
};

Session::Session() : d(std::make_unique<Impl>()) {}
Session::~Session() = default;

Session& Session::instance()
{
    static Session session;
    return session;
}

void Session::registerDatabase(Database* db)
{
    d->databases.push_back(db);
}

void Session::unregisterDatabase(Database* db)
{
    d->databases.erase(std::remove(d->databases.begin(), d->databases.end(), db), d->databases.end());
}

Database* Session::findDatabase(const QString& databaseName) const
{
    for (Database* db : d->databases)
        if (db->connected() && db->databaseName().compare(databaseName, Qt::CaseInsensitive) == 0)
            return db;
    return nullptr;
}

void Session::addAlias(const QString& name, const QString& driverName, const QStringList& params)
{
    if (name.trimmed().isEmpty())
        throw EngineError(QStringLiteral("An alias needs a name."));
    if (Alias* a = d->find(name)) {
        a->driver = driverName;
        a->params = params;
        return;
    }
    d->aliases.push_back({name, driverName, params});
}

void Session::deleteAlias(const QString& name)
{
    d->ensureLoaded();
    auto& list = d->aliases;
    list.erase(std::remove_if(list.begin(), list.end(),
                              [&](const Alias& a) { return a.name.compare(name, Qt::CaseInsensitive) == 0; }),
               list.end());
}

QString Session::configFileName()
{
    return kAliasFile;
}

void Session::saveConfigFile()
{
    d->ensureLoaded();
    try {
        // One write of the file: the old aliases or the new ones, never a part of them.
        IniFile(kAliasFile).update([this](IniDocument& ini) {
            QStringList doomed;
            for (const QString& section : ini.readSections())
                if (section.compare(kAliasIndex, Qt::CaseInsensitive) == 0
                    || section.startsWith(kAliasPrefix, Qt::CaseInsensitive))
                    doomed << section;
            ini.eraseSections(doomed);
            for (const Alias& a : d->aliases) {
                ini.writeString(kAliasIndex, a.name, a.driver);
                for (const QString& line : a.params) {
                    const qsizetype eq = line.indexOf(QLatin1Char('='));
                    if (eq > 0)
                        ini.writeString(kAliasPrefix + a.name, line.left(eq), line.mid(eq + 1));
                }
            }
        });
    } catch (const EngineError&) {
        throw;
    } catch (const std::exception& e) {
        throw EngineError(QString::fromUtf8(e.what()));
    }
}

bool Session::isAlias(const QString& name) const
{
    if (d->find(name))
        return true;
    try {
        return odbc::Environment::instance().hasDataSource(wide(name));
    } catch (const odbc::Error& e) {
        throw toEngineError(e);
    }
}

QStringList Session::aliasParams(const QString& name) const
{
    const Alias* a = d->find(name);
    return a ? a->params : QStringList();
}

QString Session::aliasDriver(const QString& name) const
{
    const Alias* a = d->find(name);
    return a ? a->driver : QString();
}

void Session::getTableNames(const QString& databaseName, const QString& pattern, bool extensions,
                            bool systemTables, QStringList& list)
{
    list.clear();
    Database* db = findDatabase(databaseName);
    if (!db)
        throw EngineError(QStringLiteral("The database '%1' is not connected.").arg(databaseName));
    // "*.*" is a file pattern: the part before the extension names the tables.
    QString tablePattern = pattern.trimmed();
    if (tablePattern.endsWith(QLatin1String(".*")))
        tablePattern.chop(2);
    if (tablePattern.isEmpty())
        tablePattern = QStringLiteral("*");
    tablePattern.replace(QLatin1Char('*'), QLatin1Char('%')).replace(QLatin1Char('?'), QLatin1Char('_'));
    try {
        odbc::Connection& c = db->connection();
        const bool sqlite = qstr(c.infoText(SQL_DBMS_NAME)).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
        odbc::Statement stmt(c);
        const std::u16string p = wide(tablePattern);
        stmt.tables(nullptr, &p, systemTables ? u"TABLE,VIEW,SYSTEM TABLE" : u"TABLE,VIEW");
        std::u16string schema, name;
        while (stmt.fetch()) {
            if (!stmt.getText(2, schema))
                schema.clear();
            if (!stmt.getText(3, name))
                continue;
            const QString table = qstr(name);
            // SQLite reports its own bookkeeping tables (sqlite_sequence) as plain tables.
            if (sqlite && !systemTables && table.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
                continue;
            list.append(schema.empty() ? table : qstr(schema) + QLatin1Char('.') + table);
        }
    } catch (const odbc::Error& e) {
        throw toEngineError(e);
    }
}

} // namespace platform::engine
