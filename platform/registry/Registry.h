#pragma once
// The registry reader and writer. Each root key is stored as one INI file in the configuration
// folder (section = key path). Reads below SOFTWARE\ODBC\ODBC.INI of HKEY_LOCAL_MACHINE fall
// through to unixODBC's own configuration for what the store does not hold: the value names of
// "ODBC Data Sources" are the system data sources, and a data source's values are its odbc.ini
// attributes, with Driver given as the driver's library path. Writes and deletions touch only the
// store; unixODBC's files are never written.
#include <QString>
#include <QStringList>
#include <stdexcept>

namespace platform {

// A write the store could not make (bad key or value name, file not writable).
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class RootKey { LocalMachine, CurrentUser };

class Registry {
public:
    // Key paths use "\"; a leading "\" means from the root key, as does a path relative to "\".
    explicit Registry(const QString& path = QStringLiteral("\\"));

    void setRootKey(RootKey root) { root_ = root; }
    RootKey rootKey() const { return root_; }

    QString readString(const QString& key, const QString& name, const QString& defaultValue) const;
    int readInteger(const QString& key, const QString& name, int defaultValue) const;
    // Writes throw RegistryError when the store cannot take them; nothing is then changed.
    void writeString(const QString& key, const QString& name, const QString& value);
    void writeInteger(const QString& key, const QString& name, int value);  // as decimal text

    // Value names of a key.
    QStringList readSection(const QString& key) const;
    bool keyExists(const QString& key) const;
    // The key with everything below it.
    void eraseKey(const QString& key);
    void deleteValue(const QString& key, const QString& name);

    // File of the store behind a root key (tests seed it).
    static QString storeFile(RootKey root);

private:
    QString absolute(const QString& key) const;
    QString path_;
    RootKey root_ = RootKey::CurrentUser;
};

} // namespace platform
