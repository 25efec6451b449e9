// Program entry: the application object, the main window, the start-up sequence, the loop.
#include "app/Application.h"
#include "app/DisplayCheck.h"
#include "app/FileSizeLimit.h"
#include "app/FontSubstitutes.h"
#include "workspace/MainWindow.h"
#include "app/PrivateConfiguration.h"
#include "app/StartUp.h"
#include "platform/ini/AtomicFile.h"
#include "platform/ini/ConfigFolder.h"

#include <QApplication>
#include <cstdio>
#include <memory>

namespace {

// An exception escaping a handler is shown in a box captioned with the application title, and
// the program goes on.
class QuorvelApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowApplicationException(error);
        } catch (...) {
            ShowApplicationException(QStringLiteral("Unknown error."));
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    app::IgnoreFileSizeLimitSignal();
    // Qt would abort with a plug-in message a user cannot act on.
    const QString noDisplay = app::MissingDisplayMessage(argc, argv);
    if (!noDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", noDisplay.toLocal8Bit().constData());
        return 1;
    }
    QuorvelApplication application(argc, argv);
    // The display name follows the application name; setting it too would append it to every
    // window caption on X11.
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    MapWindowsFonts();
    // A save that was killed leaves its temporary copy of the file (passwords and all) behind.
    platform::removeStaleTemporaryFiles(platform::configFolder());
    for (const QString& warning : app::MakeConfigurationPrivate())
        std::fprintf(stderr, "%s\n", warning.toLocal8Bit().constData());

    auto mainWindow = std::make_unique<TForm_Main>();

    // The start-up sequence runs before the window becomes visible, as a show handler would.
    try {
        mainWindow->FormShow();
    } catch (const std::exception& error) {
        ShowApplicationException(error);
    }
    if (app::TerminateRequested())
        return 0;

    mainWindow->show();
    return application.exec();
}
