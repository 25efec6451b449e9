#include "platform/ini/ConfigFolder.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

namespace {

mode_t modeOf(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : mode_t(0);
}

void putPrivateTestFile(const QString& path, mode_t mode)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[DATABASES]\nX=ACCESS|X|x|scott|tiger|||||\n");
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// A file read but never written again must not stay readable by others: it may hold passwords.
TEST(ConfigFolder, ExistingFilesAreMadePrivate)
{
    testsupport::TempHome home;
    const struct {
        mode_t before, after;
    } cases[] = {{0644, 0600}, {0666, 0600}, {0640, 0600}, {0604, 0600}, {0600, 0600},
                 {0755, 0700}, {0400, 0400}};  // the owner's own bits stay as they were
    for (const auto& c : cases) {
        SCOPED_TRACE(c.before);
        const QString path = home.file(QStringLiteral("Quorvel.ini"));
        putPrivateTestFile(path, c.before);
        EXPECT_EQ(platform::makeConfigFilePrivate(QStringLiteral("QUORVEL.INI")), QString());
        EXPECT_EQ(modeOf(path), c.after);
        QFile::remove(path);
    }

    // Nothing to do for a missing file, and nothing is made.
    EXPECT_EQ(platform::makeConfigFilePrivate(QStringLiteral("aliases.ini")), QString());
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("aliases.ini"))));

    // Through a link, what it points at is the file (as a write replaces it there).
    const QString target = home.file(QStringLiteral("shared.ini"));
    putPrivateTestFile(target, 0644);
    ASSERT_TRUE(QFile::link(target, home.file(QStringLiteral("linked.ini"))));
    EXPECT_EQ(platform::makeConfigFilePrivate(QStringLiteral("linked.ini")), QString());
    EXPECT_EQ(modeOf(target), 0600u);
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("linked.ini"))).isSymLink());
}

// Another user's file cannot be changed: one line says so, and nothing fails.
TEST(ConfigFolder, AnotherUsersFileGetsOneLine)
{
    QString warning;
    QString path;
    mode_t after = 0;
    if (::geteuid() != 0) {
        // A file of root's, reached through a link: the change is refused.
        testsupport::TempHome home;
        path = home.file(QStringLiteral("Quorvel.ini"));
        ASSERT_TRUE(QFile::link(QStringLiteral("/etc/passwd"), path));
        if ((modeOf(path) & 077) == 0)
            GTEST_SKIP() << "/etc/passwd is private here";
        warning = platform::makeConfigFilePrivate(path);
        after = modeOf(path);
    } else {
        // Root's file, looked at by a child that runs as nobody.
        char folder[] = "/tmp/qv-foreign-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        ASSERT_EQ(::chmod(folder, 0755), 0);
        path = QString::fromLatin1(folder) + QStringLiteral("/Quorvel.ini");
        putPrivateTestFile(path, 0644);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(2);
            const QByteArray text = platform::makeConfigFilePrivate(path).toUtf8();
            const bool written = ::write(pipeFds[1], text.constData(), std::size_t(text.size())) == text.size();
            ::_exit(written ? 0 : 3);
        }
        ::close(pipeFds[1]);
        QByteArray text;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, n);
        ::close(pipeFds[0]);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        warning = QString::fromUtf8(text);
        after = modeOf(path);
        QFile::remove(path);
        ::rmdir(folder);
    }
    EXPECT_NE(after & 077, 0u);
    EXPECT_TRUE(warning.startsWith(QStringLiteral("The configuration file \""))) << warning.toStdString();
    EXPECT_TRUE(warning.contains(path)) << warning.toStdString();
    EXPECT_TRUE(warning.contains(QStringLiteral("is open to other users and cannot be made private: "))) << warning.toStdString();
    EXPECT_FALSE(warning.contains(u'\n'));
}

} // namespace
