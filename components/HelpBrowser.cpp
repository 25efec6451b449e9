#include "components/HelpBrowser.h"

#include <QFileInfo>
#include <QTextDocument>

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent)
{
    connect(this, &QTextBrowser::backwardAvailable, this, [this](bool available) {
        emit CommandStateChange(2, available);
    });
}

QString HelpBrowser::LocationURL() const
{
    return source().isEmpty() ? QString() : source().toString();
}

void HelpBrowser::Navigate(const QString& address)
{
    const QUrl url(address);
    if (url == source())
        reload();
    else
        setSource(url);
}

void HelpBrowser::GoBack()
{
    backward();
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name)
{
    if (type == QTextDocument::HtmlResource && name.isLocalFile() && !QFileInfo(name.toLocalFile()).isFile()) {
        const QString path = name.toLocalFile().toHtmlEscaped();
        return QStringLiteral("<html><head><title>Page not found</title></head><body>"
                              "<h2>The page cannot be found</h2>"
                              "<p>There is no help page at <b>%1</b>.</p>"
                              "<p>The help pages are installed in the Help folder beside the program.</p>"
                              "</body></html>")
            .arg(path);
    }
    return QTextBrowser::loadResource(type, name);
}
