#pragma once
// Replacing a configuration file in one step. The new text goes into a temporary file beside the
// old one, is flushed to the disk and renamed over it, so the file is at every moment either the
// old one whole or the new one whole, whatever fails or whoever kills the program. The file is
// made private to its owner (mode 0600): it may hold passwords.
#include <QByteArray>
#include <QString>

#include <chrono>

namespace platform {

// Throws IniError when the file cannot be replaced; the old file and its folder are then as they
// were, with no temporary file left behind.
void replaceFile(const QString& path, const QByteArray& data);

// Whether a file name is that of a temporary file of replaceFile.
bool isTemporaryFileName(const QString& fileName);

// Removes temporary files that an interrupted replaceFile left in folder, and beside the targets
// of symbolic links there, when they are older than the given age: younger ones may belong to a
// write that is still going on. Only regular files of this process's user are touched. Gives how
// many were removed.
int removeStaleTemporaryFiles(const QString& folder, std::chrono::seconds olderThan = std::chrono::minutes(1));

namespace testing {
// Called by replaceFile once the temporary file holds the whole new text, just before the
// rename; a test stops or kills the writer there.
void setBeforeRenameHook(void (*hook)());
} // namespace testing

} // namespace platform
