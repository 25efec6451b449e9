#pragma once
#include <QTextBrowser>

// The help window's browser: goes to an address, reports where it is, goes back, and says so in
// the page itself when a page cannot be found.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    // The current address as text ("file:///..." for a page on disk); empty before the first page.
    QString LocationURL() const;
    // Goes to an address such as "file:" + path; the same address again loads it anew.
    void Navigate(const QString& address);
    void GoBack();

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // Back (command 2) became possible or impossible.
    void CommandStateChange(int command, bool enabled);
};
