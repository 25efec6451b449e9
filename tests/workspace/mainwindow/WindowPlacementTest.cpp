// Where the program puts its windows on a screen smaller than they were designed for.
#include "tests/support/Support.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <gtest/gtest.h>

#include <map>

namespace {

// The windows as the placement child shows them on a 1280x1024 screen at the given scale.
std::map<QString, QRect> placedWindows(const char* scale)
{
    const QString config = testsupport::runFolder() + QStringLiteral("/screen-1280x1024.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1280, "height": 1024,
                               "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(QV_PLACEMENT_CHILD), {});
    child.waitForFinished(-1);
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    std::map<QString, QRect> placed;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 5)
            placed[QString::fromLatin1(f[0])] = QRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
    }
    return placed;
}

// At twice the scale the screen has room for 640x512 in the program's own units: the main window
// (798x606 by design) and the dialogs stay whole inside it.
TEST(WindowPlacement, EveryWindowStaysOnASmallScreen)
{
    std::map<QString, QRect> placed = placedWindows("2");
    const QRect area = placed[QStringLiteral("screen")];
    ASSERT_EQ(area, QRect(0, 0, 640, 512));
    placed.erase(QStringLiteral("screen"));
    for (const char* name : {"TForm_Main", "TForm_SetOptions", "TForm_Configure", "TForm_HelpForm", "TForm_AboutBox",
                             "TForm_SplashScreen", "TForm_Copy", "TForm_SaveMsg"})
        EXPECT_EQ(placed.count(QString::fromLatin1(name)), 1u) << name << " was not shown";
    for (const auto& [name, frame] : placed) {
        EXPECT_TRUE(area.contains(frame)) << name.toStdString() << " at " << frame.x() << "," << frame.y() << " size "
                                          << frame.width() << "x" << frame.height();
    }
    // Where it fits, a window keeps its size and stands in the middle.
    const QRect options = placed[QStringLiteral("TForm_SetOptions")];
    EXPECT_LE((options.center() - area.center()).manhattanLength(), 2);
}

// On a screen with room enough nothing is shrunk: the main window keeps its designed size.
TEST(WindowPlacement, AWindowThatFitsKeepsItsSize)
{
    std::map<QString, QRect> placed = placedWindows("1");
    const QRect area = placed[QStringLiteral("screen")];
    ASSERT_EQ(area, QRect(0, 0, 1280, 1024));
    const QRect main = placed[QStringLiteral("TForm_Main")];
    const QSize frame(4, 4);  // the offscreen platform's frame: 2 on each side
    EXPECT_EQ(main.size(), QSize(798, 606) + frame);
    EXPECT_LE((main.center() - area.center()).manhattanLength(), 2);
}

} // namespace
