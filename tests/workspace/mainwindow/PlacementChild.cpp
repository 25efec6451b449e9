// Shows the program's windows one after the other on the screen the platform was given, and
// prints where each one landed: "name x y width height", after a first line for the screen's
// free area. The placement test starts it with a small or scaled screen.
#include "app/DBConfigure.h"
#include "app/SetOptions.h"
#include "components/AboutBox.h"
#include "components/HelpForm.h"
#include "components/SplashScreen.h"
#include "components/Utils.h"
#include "platform/modal/Modal.h"
#include "workspace/MainWindow.h"
#include "workspace/tools/GlobalCopy.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

namespace {

void print(const char* name, const QRect& r)
{
    std::printf("%s %d %d %d %d\n", name, r.x(), r.y(), r.width(), r.height());
    std::fflush(stdout);
}

void place(QWidget& window)
{
    window.show();
    QCoreApplication::processEvents();
    print(window.metaObject()->className(), window.frameGeometry());
    window.hide();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    print("screen", QGuiApplication::primaryScreen()->availableGeometry());

    TForm_Main form;
    place(form);
    TForm_SetOptions options;
    place(options);
    TForm_Configure configure;
    place(configure);
    TForm_HelpForm help;
    place(help);
    TForm_AboutBox about;
    place(about);
    TForm_SplashScreen splash;
    place(splash);
    TForm_Copy copy(CopyEnv{form.state(), &form.registry(), &form.Database, &form.Table, &form.Query});
    place(copy);

    // The message window sizes itself to its text: a long one.
    platform::modal::ScopedResponder answer([](const platform::modal::Request& r) {
        if (r.window)
            place(*r.window);
        return platform::modal::Answer{};
    });
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("A long line of the message, number %1, ").arg(i).repeated(6);
    AppMessageDlg(lines.join(QStringLiteral("\r\n")), mtError, mbOK);
    return 0;
}
