#include "platform/registry/Registry.h"

#include "platform/ini/ConfigFolder.h"
#include "platform/ini/IniFile.h"

#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>

#include <QPair>
#include <QSet>
#include <algorithm>
#include <optional>
#include <vector>

namespace platform {

namespace {

using NamedValues = std::vector<QPair<QString, QString>>;

const QString kOdbcIni = QStringLiteral("SOFTWARE\\ODBC\\ODBC.INI");
const QString kDataSources = QStringLiteral("ODBC Data Sources");

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString normalise(const QString& path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).join(QLatin1Char('\\'));
}

bool isBelow(const QString& key, const QString& ancestor)
{
    return ancestor.isEmpty()
        || (key.size() > ancestor.size() && key.at(ancestor.size()) == QLatin1Char('\\')
            && sameName(key.left(ancestor.size()), ancestor));
}

// unixODBC's configuration mode is process-wide; put back whatever it was.
class ConfigMode {
public:
    explicit ConfigMode(UWORD mode)
    {
        if (!SQLGetConfigMode(&saved_))
            saved_ = ODBC_BOTH_DSN;
        SQLSetConfigMode(mode);
    }
    ~ConfigMode() { SQLSetConfigMode(saved_); }
    ConfigMode(const ConfigMode&) = delete;
    ConfigMode& operator=(const ConfigMode&) = delete;

private:
    UWORD saved_ = ODBC_BOTH_DSN;
};

// SQLGetPrivateProfileString into a buffer that grows until the answer fits. With a null key the
// answer is the section's key names, each ended by a NUL.
QByteArray profileString(const QByteArray* section, const QByteArray* key, const char* file)
{
    for (int size = 4096; size <= (1 << 22); size *= 4) {
        QByteArray buffer(size, '\0');
        const int n = SQLGetPrivateProfileString(section ? section->constData() : nullptr,
                                                 key ? key->constData() : nullptr, "", buffer.data(), size, file);
        if (n < 0)
            return {};
        if (n < size - 2) {
            buffer.truncate(n);
            return buffer;
        }
    }
    return {};
}

// Every data source unixODBC offers, the user's and the system's, each name once: a name in both
// files is the user's, as the driver manager connects it.
NamedValues dataSources()
{
    NamedValues sources;
    SQLHENV env = SQL_NULL_HENV;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        return sources;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLCHAR name[1024];
    SQLCHAR description[4096];
    SQLSMALLINT nameLength = 0;
    SQLSMALLINT descriptionLength = 0;
    QSet<QString> seen;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(env, direction, name, sizeof name, &nameLength, description,
                                        sizeof description, &descriptionLength))) {
        direction = SQL_FETCH_NEXT;
        const QString dsn = QString::fromUtf8(reinterpret_cast<const char*>(name));
        const QString folded = dsn.toCaseFolded();
        if (sameName(dsn, kDataSources) || seen.contains(folded))
            continue;
        seen.insert(folded);
        sources.emplace_back(dsn, QString::fromUtf8(reinterpret_cast<const char*>(description)));
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return sources;
}

std::optional<QString> actualDataSourceName(const QString& dsn)
{
    for (const auto& source : dataSources()) {
        if (sameName(source.first, dsn))
            return source.first;
    }
    return std::nullopt;
}

// A driver named in odbc.ini becomes its library path from odbcinst.ini, as Windows keeps the DLL
// path there; a value that is a path already, or names no installed driver, stays as it is.
QString driverLibrary(const QString& driver)
{
    if (driver.contains(QLatin1Char('/')))
        return driver;
    const QByteArray name = driver.toUtf8();
    const QByteArray key("Driver");
    const QByteArray path = profileString(&name, &key, "odbcinst.ini");
    return path.isEmpty() ? driver : QString::fromUtf8(path);
}

NamedValues dataSourceAttributes(const QString& dsn)
{
    NamedValues values;
    const std::optional<QString> actual = actualDataSourceName(dsn);
    if (!actual)
        return values;
    const QByteArray section = actual->toUtf8();
    // From the one file that defines it: the user's odbc.ini (ODBCINI or ~/.odbc.ini) before the
    // system's, as the driver manager looks it up.
    for (const UWORD mode : {UWORD(ODBC_USER_DSN), UWORD(ODBC_SYSTEM_DSN)}) {
        ConfigMode scope(mode);
        const QByteArray keys = profileString(&section, nullptr, "odbc.ini");
        for (const QByteArray& key : keys.split('\0')) {
            if (!key.isEmpty())
                values.emplace_back(QString::fromUtf8(key), QString::fromUtf8(profileString(&section, &key, "odbc.ini")));
        }
        if (!values.empty())
            break;
    }
    // Drivers are installed for the machine.
    ConfigMode scope(ODBC_SYSTEM_DSN);
    for (auto& [name, value] : values) {
        if (sameName(name, QStringLiteral("Driver")))
            value = driverLibrary(value);
    }
    return values;
}

enum class ReadThrough { None, DataSources, DataSource };

// Which part of unixODBC's configuration stands behind a key of HKEY_LOCAL_MACHINE; dsn gets the
// data source's name.
ReadThrough readThroughOf(RootKey root, const QString& key, QString* dsn = nullptr)
{
    if (root != RootKey::LocalMachine || !isBelow(key, kOdbcIni))
        return ReadThrough::None;
    const QString rest = key.mid(kOdbcIni.size() + 1);
    if (sameName(rest, kDataSources))
        return ReadThrough::DataSources;
    if (rest.contains(QLatin1Char('\\')))
        return ReadThrough::None;
    if (dsn)
        *dsn = rest;
    return ReadThrough::DataSource;
}

NamedValues readThroughValues(RootKey root, const QString& key)
{
    QString dsn;
    switch (readThroughOf(root, key, &dsn)) {
    case ReadThrough::DataSources:
        return dataSources();
    case ReadThrough::DataSource:
        return dataSourceAttributes(dsn);
    case ReadThrough::None:
        break;
    }
    return {};
}

bool readThroughKeyExists(RootKey root, const QString& key)
{
    if (root != RootKey::LocalMachine)
        return false;
    const NamedValues sources = dataSources();
    if (sources.empty())
        return false;
    // Every key on the way down to the data sources exists once there is one.
    const QString list = kOdbcIni + QLatin1Char('\\') + kDataSources;
    if (sameName(key, list) || isBelow(list, key))
        return true;
    QString dsn;
    if (readThroughOf(root, key, &dsn) != ReadThrough::DataSource)
        return false;
    for (const auto& source : sources) {
        if (sameName(source.first, dsn))
            return true;
    }
    return false;
}

[[noreturn]] void rethrow(const IniError& error)
{
    throw RegistryError(error.what());
}

} // namespace

Registry::Registry(const QString& path)
    : path_(normalise(path))
{
}

QString Registry::storeFile(RootKey root)
{
    return configFolder()
        + (root == RootKey::LocalMachine ? QStringLiteral("/registry-HKEY_LOCAL_MACHINE.ini")
                                         : QStringLiteral("/registry-HKEY_CURRENT_USER.ini"));
}

QString Registry::absolute(const QString& key) const
{
    if (key.startsWith(QLatin1Char('\\')) || path_.isEmpty())
        return normalise(key);
    return normalise(path_ + QLatin1Char('\\') + key);
}

QString Registry::readString(const QString& key, const QString& name, const QString& defaultValue) const
{
    const QString path = absolute(key);
    if (!path.isEmpty()) {
        if (const std::optional<QString> stored = IniFile(storeFile(root_)).read().value(path, name))
            return *stored;
    }
    for (const auto& value : readThroughValues(root_, path)) {
        if (sameName(value.first, name.trimmed()))
            return value.second;
    }
    return defaultValue;
}

int Registry::readInteger(const QString& key, const QString& name, int defaultValue) const
{
    bool ok = false;
    const int value = readString(key, name, QString()).trimmed().toInt(&ok, 10);
    return ok ? value : defaultValue;
}

void Registry::writeString(const QString& key, const QString& name, const QString& value)
{
    RegistryUpdate update(*this);
    update.writeString(key, name, value);
    update.commit();
}

void Registry::writeInteger(const QString& key, const QString& name, int value)
{
    writeString(key, name, QString::number(value));
}

QStringList Registry::readSection(const QString& key) const
{
    const QString path = absolute(key);
    QStringList names;
    if (!path.isEmpty())
        names = IniFile(storeFile(root_)).readSection(path);
    for (const auto& value : readThroughValues(root_, path)) {
        if (!names.contains(value.first, Qt::CaseInsensitive))
            names << value.first;
    }
    return names;
}

bool Registry::keyExists(const QString& key) const
{
    const QString path = absolute(key);
    if (path.isEmpty())
        return true;
    for (const QString& section : IniFile(storeFile(root_)).readSections()) {
        const QString stored = normalise(section);
        if (sameName(stored, path) || isBelow(stored, path))
            return true;
    }
    return readThroughKeyExists(root_, path);
}

void Registry::eraseKey(const QString& key)
{
    RegistryUpdate update(*this);
    update.eraseKey(key);
    update.commit();
}

void Registry::deleteValue(const QString& key, const QString& name)
{
    RegistryUpdate update(*this);
    update.deleteValue(key, name);
    update.commit();
}

// ---- RegistryUpdate ---------------------------------------------------------------------------

RegistryUpdate::RegistryUpdate(const Registry& registry)
    : registry_(registry)
    , root_(registry.rootKey())
{
}

void RegistryUpdate::writeString(const QString& key, const QString& name, const QString& value)
{
    const QString path = registry_.absolute(key);
    if (path.isEmpty())
        throw RegistryError("A root key holds no values of its own.");
    changes_.push_back({root_, Op::Write, path, name, value});
}

void RegistryUpdate::writeInteger(const QString& key, const QString& name, int value)
{
    writeString(key, name, QString::number(value));
}

void RegistryUpdate::eraseKey(const QString& key)
{
    const QString path = registry_.absolute(key);
    if (path.isEmpty())
        throw RegistryError("A root key cannot be erased.");
    changes_.push_back({root_, Op::EraseKey, path, {}, {}});
}

void RegistryUpdate::deleteValue(const QString& key, const QString& name)
{
    const QString path = registry_.absolute(key);
    if (!path.isEmpty())
        changes_.push_back({root_, Op::DeleteValue, path, name, {}});
}

void RegistryUpdate::commit()
{
    for (const RootKey root : {RootKey::LocalMachine, RootKey::CurrentUser}) {
        const bool any = std::any_of(changes_.begin(), changes_.end(),
                                     [root](const Change& c) { return c.root == root; });
        if (!any)
            continue;
        try {
            IniFile(Registry::storeFile(root)).update([&](IniDocument& doc) {
                for (const Change& c : changes_) {
                    if (c.root != root)
                        continue;
                    switch (c.op) {
                    case Op::Write:
                        doc.writeString(c.key, c.name, c.value);
                        break;
                    case Op::EraseKey: {
                        QStringList doomed;
                        for (const QString& section : doc.readSections()) {
                            const QString stored = normalise(section);
                            if (sameName(stored, c.key) || isBelow(stored, c.key))
                                doomed << section;
                        }
                        doc.eraseSections(doomed);
                        break;
                    }
                    case Op::DeleteValue:
                        doc.deleteKey(c.key, c.name);
                        break;
                    }
                }
            });
        } catch (const IniError& error) {
            rethrow(error);
        }
    }
    changes_.clear();
}

} // namespace platform
