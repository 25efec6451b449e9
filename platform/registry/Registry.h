#pragma once
// The registry reader and writer. Each root key is stored as one INI file in the configuration
// folder (section = key path). Reads below SOFTWARE\ODBC\ODBC.INI of HKEY_LOCAL_MACHINE fall
// through to unixODBC's own configuration for what the store does not hold: the value names of
// "ODBC Data Sources" are the data sources unixODBC knows (the user's and the system's, each name
// once), and a data source's values are its attributes from the odbc.ini that defines it (the
// user's first, as the driver manager looks), with Driver given as the driver's library path.
// Writes and deletions touch only the store; unixODBC's files are never written.
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

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

    // A key path from the root, "\" separated, for a key as this object names it.
    QString absolute(const QString& key) const;

private:
    QString path_;
    RootKey root_ = RootKey::CurrentUser;
};

// Many changes to the store made with one write of each root's file: they all land, or (for a
// root whose file cannot take them) none of that root's do. Keys are named as the registry object
// given at construction names them; each change goes to the root key set when it is made.
class RegistryUpdate {
public:
    explicit RegistryUpdate(const Registry& registry);

    void setRootKey(RootKey root) { root_ = root; }
    void writeString(const QString& key, const QString& name, const QString& value);
    void writeInteger(const QString& key, const QString& name, int value);
    void eraseKey(const QString& key);
    void deleteValue(const QString& key, const QString& name);

    // Writes the files; RegistryError when one cannot be written or a change cannot be stored.
    void commit();

private:
    enum class Op { Write, EraseKey, DeleteValue };
    struct Change {
        RootKey root;
        Op op;
        QString key, name, value;
    };
    Registry registry_;
    RootKey root_;
    std::vector<Change> changes_;
};

} // namespace platform
