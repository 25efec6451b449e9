#include "app/DisplayCheck.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <vector>

TEST(DisplayCheck, OnlyDisplayPlatformsWithoutADisplayAreRefused)
{
    const struct {
        const char* platform;
        const char* display;
        const char* wayland;
        bool refused;
    } cases[] = {
        {"", "", "", true},  // Qt's default is xcb
        {"xcb", "", "", true},
        {"wayland", "", "", true},
        {"wayland-egl;xcb", "", "", true},
        {"XCB:nomitshm", "", "", true},
        {"offscreen", "", "", false},
        {"offscreen:fontengine=freetype", "", "", false},
        {"minimal", "", "", false},
        {"vnc", "", "", false},
        {"wayland;offscreen", "", "", false},  // Qt falls back to the next that loads
        {"", ":0", "", false},
        {"xcb", ":112", "", false},
        {"wayland", "", "wayland-0", false},
        {"", "", "wayland-0", false},
    };
    for (const auto& c : cases) {
        const QString message = app::MissingDisplayMessage(QString::fromUtf8(c.platform), QString::fromUtf8(c.display),
                                                           QString::fromUtf8(c.wayland));
        EXPECT_EQ(!message.isEmpty(), c.refused) << c.platform << " DISPLAY=" << c.display << " WAYLAND_DISPLAY=" << c.wayland;
    }
}

TEST(DisplayCheck, PlatformArgumentWinsOverTheEnvironment)
{
    const struct {
        std::vector<const char*> argv;
        const char* environment;
        const char* expected;
    } cases[] = {
        {{"quorvel"}, "", ""},
        {{"quorvel"}, "offscreen", "offscreen"},
        {{"quorvel", "-platform", "offscreen"}, "xcb", "offscreen"},
        {{"quorvel", "--platform", "minimal"}, "", "minimal"},
        {{"quorvel", "-platform", "offscreen", "-platform", "xcb"}, "", "xcb"},
        {{"quorvel", "-platform"}, "offscreen", "offscreen"},  // no name follows: Qt ignores it
        {{"quorvel", "platform", "offscreen"}, "xcb", "xcb"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(app::RequestedPlatform(int(c.argv.size()), c.argv.data(), QString::fromUtf8(c.environment)),
                  QString::fromUtf8(c.expected))
            << c.argv.size() << " arguments over " << c.environment;
    }
}

// The built program itself, started without any display.
TEST(DisplayCheck, TheProgramWithoutADisplaySaysSoInOneLineAndEndsWithStatusOne)
{
    for (const char* platform : {static_cast<const char*>(nullptr), "xcb", "wayland"}) {
        SCOPED_TRACE(platform ? platform : "QT_QPA_PLATFORM unset");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        if (platform)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromUtf8(platform));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QV_QUORVEL_BIN), {});
        ASSERT_TRUE(program.waitForStarted(60000));
        ASSERT_TRUE(program.waitForFinished(60000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 1);
        EXPECT_EQ(program.readAllStandardOutput(), QByteArray());
        const QString error = QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_EQ(error.count(QLatin1Char('\n')), 1) << error.toStdString();
        EXPECT_TRUE(error.endsWith(QLatin1Char('\n'))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("graphical display"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("DISPLAY or WAYLAND_DISPLAY"))) << error.toStdString();
    }
}
