#include "platform/shell/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace platform::shell {

QUrl webAddressUrl(const QString& address)
{
    const QString t = address.trimmed();
    if (t.isEmpty())
        return {};
    const QUrl url(t);
    if (t.contains(QLatin1String("://")) || url.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) == 0)
        return url;
    return QUrl(QStringLiteral("http://") + t);
}

bool openWebAddress(const QString& address)
{
    const QUrl url = webAddressUrl(address);
    return url.isValid() && !url.isEmpty() && QDesktopServices::openUrl(url);
}

bool openDocument(const QString& path)
{
    if (path.trimmed().isEmpty())
        return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

} // namespace platform::shell
