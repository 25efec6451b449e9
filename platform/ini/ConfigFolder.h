#pragma once
#include <QString>

namespace platform {

// The folder that holds the program's configuration:
// $QUORVEL_HOME when set, else $XDG_CONFIG_HOME/quorvel, else ~/.config/quorvel. Created on demand.
QString configFolder();

// A bare file name resolves into configFolder(); a path with a folder part is kept as it is.
QString resolveConfigFile(const QString& fileName);

// Takes every permission of group and others from an existing configuration file (resolved as
// above; through a symbolic link its target), as a write of the file does: it may hold
// passwords. Gives an empty text when the file is private now or does not exist, else one line
// saying which file stays open to others and why.
QString makeConfigFilePrivate(const QString& fileName);

} // namespace platform
