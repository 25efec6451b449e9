#pragma once
// Makes the ODBC data-source entries and the engine alias named after the current data source
// (state.CurrentDataSource) describe a configured database. The entries go into the registry
// store only, over unixODBC's own configuration, which stays untouched: the connection still
// reaches the real data source, while the type detection reads what was written here.
#include "app/MainState.h"
#include "platform/registry/Registry.h"

#include <QString>
#include <QStringList>
#include <vector>

struct RegistryEntry {
    platform::RootKey root;
    QString key;    // from the root, "\" separated
    QString name;
    QString value;
};

// The entries written for Db under Dsn, in writing order; none for a type outside the five.
std::vector<RegistryEntry> DataSourceEntries(const TDataBaseObj& Db, const QString& Dsn, const QString& OracleHome,
                                             const QString& OracleHomeName, const QString& SysDir);

// The keys and values removed under Dsn before the entries are written: the user's root first.
struct RegistryRemoval {
    platform::RootKey root;
    QString key;
    QString value;  // empty: the key with everything below it
};
std::vector<RegistryRemoval> DataSourceRemovals(const QString& Dsn);

struct AliasDefinition {
    bool known = false;   // false for a type outside the five: no alias is added
    QString driverName;
    QStringList params;
};
AliasDefinition AliasFor(const TDataBaseObj& Db, const QString& Dsn, const QString& OracleHomeName);

// Both report their failures with the message dialog. ConfigureDataSource is false when Db is
// missing, the data-source name is blank (nothing is written then) or a write failed;
// ConfigureAlias when Db is missing or the engine failed. Call ConfigureAlias only after a
// successful ConfigureDataSource, both while the connection is closed.
bool ConfigureDataSource(MainState& state, const TDataBaseObj* Db);
bool ConfigureAlias(MainState& state, const TDataBaseObj* Db);
