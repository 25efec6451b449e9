// Start-up up to the main window on screen (offscreen platform), with and without the Windows
// faces of the window definitions mapped to installed ones first. Each start is a fresh process,
// since a process remembers every font it has looked up; the two kinds alternate, median of 9.
// QT_QPA_PLATFORM chooses the platform (offscreen when unset; xcb under an X server).
#include "app/FontSubstitutes.h"
#include "workspace/MainWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>
#include <cstring>

namespace {

// One start: prints the milliseconds from the application object to the window shown, and those
// of making the window (the mapping included, when it is done).
int child(int argc, char** argv, bool map)
{
    QElapsedTimer t;
    t.start();
    QApplication app(argc, argv);
    QElapsedTimer window;
    window.start();
    if (map)
        MapWindowsFonts();
    TForm_Main form;
    const double made = double(window.nsecsElapsed()) / 1e6;
    form.show();
    QApplication::processEvents();
    std::printf("%.3f %.3f\n", double(t.nsecsElapsed()) / 1e6, made);
    return 0;
}

struct Start {
    double shown = 0, made = 0;
};

Start start(const char* self, bool map)
{
    QProcess p;
    p.start(QString::fromLocal8Bit(self), {QStringLiteral("--child"), map ? QStringLiteral("map") : QStringLiteral("plain")});
    if (!p.waitForFinished(-1) || p.exitCode() != 0) {
        std::fprintf(stderr, "start failed: %s\n", p.readAllStandardError().constData());
        std::exit(1);
    }
    const QList<QByteArray> numbers = p.readAllStandardOutput().trimmed().split(' ');
    return {numbers.value(0).toDouble(), numbers.value(1).toDouble()};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv, std::strcmp(argv[2], "map") == 0);

    QCoreApplication app(argc, argv);
    constexpr int kRounds = 9;
    std::vector<double> plainShown, plainMade, mappedShown, mappedMade;
    for (int i = 0; i < kRounds; ++i) {
        const Start plain = start(argv[0], false);
        const Start mapped = start(argv[0], true);
        plainShown.push_back(plain.shown);
        plainMade.push_back(plain.made);
        mappedShown.push_back(mapped.shown);
        mappedMade.push_back(mapped.made);
    }
    std::printf("%s platform, median of %d starts each, alternated:\n", qgetenv("QT_QPA_PLATFORM").constData(), kRounds);
    std::printf("  making the main window: faces looked up as named %.1f ms, mapped first %.1f ms (mapping included)"
                "   ratio %.2f\n",
                median(plainMade), median(mappedMade), median(mappedMade) / median(plainMade));
    std::printf("  application object to main window shown: %.1f ms and %.1f ms   ratio %.2f\n", median(plainShown),
                median(mappedShown), median(mappedShown) / median(plainShown));
    return 0;
}
