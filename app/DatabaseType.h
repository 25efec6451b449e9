#pragma once
// The database type of a data source, read from its ODBC driver in the registry, and the Oracle
// client home.
#include "app/MainState.h"

namespace platform { class Registry; }

QString GetDatabaseType(platform::Registry& Registry, const QString& CurrentDataSource);
void ReadClientHomes(MainState& state);  // uses state.RegistryIni
QString SystemDirectory();
