#pragma once
#include <QString>
#include <QUrl>

namespace platform::shell {

// The address a web address opens as: one without a scheme gets "http://", never a file.
QUrl webAddressUrl(const QString& address);

// The shell's "open" verb on a web address. False when nothing could open it.
bool openWebAddress(const QString& address);

// The shell's "open" verb on a document or folder.
bool openDocument(const QString& path);

} // namespace platform::shell
