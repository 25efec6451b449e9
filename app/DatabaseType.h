#pragma once
// The database type of a data source, read from its ODBC driver in the registry, and the Oracle
// client home.
#include "app/MainState.h"

namespace platform { class Registry; }

// Sets the registry's root key to HKEY_LOCAL_MACHINE.
QString GetDatabaseType(platform::Registry& Registry, const QString& CurrentDataSource);
void ReadClientHomes(MainState& state);  // uses state.RegistryIni (a fresh reader when it has none)

// The folder that holds the ODBC driver libraries, without a trailing "/": what the Windows
// system directory was to the drivers. Empty, after a message, when it cannot be found.
QString SystemDirectory();
// The same check for a given folder.
QString SystemDirectory(const QString& folder);
