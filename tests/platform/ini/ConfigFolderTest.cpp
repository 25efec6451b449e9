#include "platform/ini/ConfigFolder.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

// Sets or clears an environment variable for one scope.
class EnvGuard {
public:
    EnvGuard(const char* name, std::optional<QByteArray> value)
        : name_(name)
    {
        if (qEnvironmentVariableIsSet(name))
            saved_ = qgetenv(name);
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~EnvGuard()
    {
        if (saved_)
            qputenv(name_, *saved_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    std::optional<QByteArray> saved_;
};

TEST(ConfigFolder, FollowsTheEnvironment)
{
    testsupport::TempHome scratch;
    const QString root = scratch.path();
    struct Case { const char* what; std::optional<QString> quorvel; std::optional<QString> xdg; QString expected; };
    const Case cases[] = {
        {"QUORVEL_HOME first", root + "/qh", root + "/xdg", root + "/qh"},
        {"then XDG_CONFIG_HOME", std::nullopt, root + "/xdg", root + "/xdg/quorvel"},
        {"empty QUORVEL_HOME counts as unset", QString(), root + "/xdg", root + "/xdg/quorvel"},
        {"relative XDG_CONFIG_HOME is ignored", std::nullopt, QStringLiteral("rel/xdg"), root + "/home/.config/quorvel"},
        {"then the home folder", std::nullopt, std::nullopt, root + "/home/.config/quorvel"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EnvGuard home("HOME", (root + "/home").toLocal8Bit());
        EnvGuard quorvel("QUORVEL_HOME", c.quorvel ? std::optional(c.quorvel->toLocal8Bit()) : std::nullopt);
        EnvGuard xdg("XDG_CONFIG_HOME", c.xdg ? std::optional(c.xdg->toLocal8Bit()) : std::nullopt);
        EXPECT_EQ(platform::configFolder(), c.expected);
        EXPECT_TRUE(QFileInfo(c.expected).isDir());  // created on demand
    }
}

TEST(ConfigFolder, BareNamesResolveIntoTheFolder)
{
    testsupport::TempHome home;
    EXPECT_EQ(platform::resolveConfigFile("Quorvel.ini"), home.file("Quorvel.ini"));
    EXPECT_EQ(platform::resolveConfigFile("/tmp/elsewhere.ini"), "/tmp/elsewhere.ini");
    EXPECT_EQ(platform::resolveConfigFile("sub/x.ini"), "sub/x.ini");

    // An existing file in another case is the same file, as on Windows.
    QFile file(home.file("Quorvel.Ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(platform::resolveConfigFile("QUORVEL.INI"), home.file("Quorvel.Ini"));
    EXPECT_EQ(platform::resolveConfigFile("Quorvel.Ini"), home.file("Quorvel.Ini"));
}

} // namespace
