#pragma once
#include <QString>

namespace platform {

// The folder that holds the program's configuration:
// $QUORVEL_HOME when set, else $XDG_CONFIG_HOME/quorvel, else ~/.config/quorvel. Created on demand.
QString configFolder();

// A bare file name resolves into configFolder(); a path with a folder part is kept as it is.
QString resolveConfigFile(const QString& fileName);

} // namespace platform
