#pragma once
// The program's own configuration files (Quorvel.ini, the engine's aliases, the registry stores)
// may hold passwords. A write makes a file private, but one that is only read, or was copied in
// with a lax mode, would stay readable by others: start-up makes them all private.
#include <QStringList>

namespace app {

// One line for each file that stays open to other users (another user's file, a read-only
// folder); nothing when all are private or missing.
QStringList MakeConfigurationPrivate();

} // namespace app
