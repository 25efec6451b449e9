#include "components/BVExecFile.h"
#include "platform/shell/Process.h"
#include "tests/support/Support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Children of this process that have ended but were not reaped.
QStringList zombieChildren()
{
    QStringList zombies;
    const QString self = QString::number(::getpid());
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromLocal8Bit(stat.readAll());
        // After the ")" closing the name: state, then parent pid.
        const QStringList rest = text.mid(text.lastIndexOf(u')') + 2).split(u' ');
        if (rest.size() > 1 && rest[0] == QLatin1String("Z") && rest[1] == self)
            zombies << entry;
    }
    return zombies;
}

bool alive(pid_t pid) { return ::kill(pid, 0) == 0; }

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

class Launcher : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TBVExecFile exec;
    int fails = 0;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        exec.OnFail = [this](QObject* sender) {
            EXPECT_EQ(sender, &exec);
            ++fails;
        };
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    // A script that writes each of its arguments on a line of its own into out.
    QString argumentWriter(const QString& name, const QString& out)
    {
        const QString script = path(name);
        QFile f(script);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1'\n")
                    .arg(out)
                    .toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return script;
    }
};

TEST(LauncherWords, SplitLikeAShell)
{
    struct Case {
        const char* line;
        QStringList words;
    };
    const Case cases[] = {
        {"/bin/true ", {"/bin/true"}},
        {"  a   b\tc ", {"a", "b", "c"}},
        {"ftp -p my server", {"ftp", "-p", "my", "server"}},
        {"prog \"two words\" 'it''s'", {"prog", "two words", "its"}},
        {"prog 'a \"b\" $c'", {"prog", "a \"b\" $c"}},
        {"prog \"a \\\"b\\\" \\$c \\x\"", {"prog", "a \"b\" $c \\x"}},
        {"prog a\\ b c\\\\d", {"prog", "a b", "c\\d"}},
        {"prog '' \"\"", {"prog", "", ""}},
        {"", {}},
    };
    for (const Case& c : cases) {
        QStringList words;
        EXPECT_TRUE(platform::shell::splitCommandLine(QString::fromUtf8(c.line), words)) << c.line;
        EXPECT_EQ(words, c.words) << c.line;
    }
    QStringList words;
    EXPECT_FALSE(platform::shell::splitCommandLine(QStringLiteral("prog 'open"), words));
    EXPECT_FALSE(platform::shell::splitCommandLine(QStringLiteral("prog \"open"), words));
}

TEST(LauncherStrings, CutAt255WhenAssigned)
{
    TBVExecFile exec;
    exec.CommandLine = QString(300, u'x');
    exec.Parameters = QString(256, u'y');
    EXPECT_EQ(exec.CommandLine.text().size(), 255);
    EXPECT_EQ(exec.Parameters.text().size(), 255);
    EXPECT_EQ(NiceValueOf(pcNormal), 0);
    EXPECT_EQ(NiceValueOf(pcIdle), 19);
    EXPECT_LT(NiceValueOf(pcHigh), 0);
    EXPECT_LT(NiceValueOf(pcRealTime), NiceValueOf(pcHigh));
}

TEST_F(Launcher, StartsWithoutWaitingAndLeavesNoZombie)
{
    for (const char* program : {"/bin/true", "/bin/false", "true"}) {
        exec.CommandLine = QString::fromUtf8(program);
        EXPECT_TRUE(exec.Execute()) << program;
        EXPECT_GT(exec.LastProcess().ProcessId, 0);
    }
    EXPECT_EQ(fails, 0);
    EXPECT_EQ(zombieChildren(), QStringList());
}

TEST_F(Launcher, WaitsInBothStylesAndReaps)
{
    const QString out = path(QStringLiteral("args.txt"));
    exec.CommandLine = argumentWriter(QStringLiteral("writer.sh"), out);
    exec.Parameters = QStringLiteral("\"two words\" 'single $quoted' plain\\ escaped");
    exec.Wait = true;
    for (TWaitStyle style : {wSuspend, wRegular}) {
        QFile::remove(out);
        exec.WaitStyle = style;
        ASSERT_TRUE(exec.Execute());
        // Waiting means the program has ended: its output is complete and it is gone.
        EXPECT_EQ(readLines(out), (QStringList{"two words", "single $quoted", "plain escaped"}));
        EXPECT_FALSE(alive(exec.LastProcess().ProcessId));
    }
    exec.CommandLine = QStringLiteral("/bin/false");
    exec.Parameters = QString();
    EXPECT_TRUE(exec.Execute());  // started; its exit code is not the launcher's business
    EXPECT_EQ(zombieChildren(), QStringList());
    EXPECT_EQ(fails, 0);
}

TEST_F(Launcher, FailedStartsReportErrnoAndCallOnFail)
{
    struct Case {
        QString commandLine;
        int error;
    };
    QFile plain(path(QStringLiteral("not-executable")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const Case cases[] = {
        {path(QStringLiteral("missing-program")), ENOENT},
        {QStringLiteral("quorvel-no-such-program-on-path"), ENOENT},
        {plain.fileName(), EACCES},
        {QStringLiteral("/bin/true 'open quote"), EINVAL},
        {QString(), ENOENT},
    };
    for (bool wait : {false, true}) {
        for (const Case& c : cases) {
            fails = 0;
            exec.Wait = wait;
            exec.CommandLine = c.commandLine;
            EXPECT_FALSE(exec.Execute()) << c.commandLine.toStdString();
            EXPECT_EQ(exec.LastError(), c.error) << c.commandLine.toStdString();
            EXPECT_EQ(fails, 1);
        }
    }
    EXPECT_EQ(zombieChildren(), QStringList());
}

TEST_F(Launcher, RegularWaitKeepsEventsRunningAndItsOwnRecord)
{
    // The child reads a pipe until its writer closes it; only an event handled during the wait
    // can do that, so Execute returning proves the windows kept being served.
    const QString fifo = path(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    exec.CommandLine = QStringLiteral("/bin/cat");
    exec.Parameters = QStringLiteral("'") + fifo + QStringLiteral("'");
    exec.Wait = true;
    exec.WaitStyle = wRegular;

    pid_t waitedFor = 0;
    pid_t startedMeanwhile = 0;
    bool eventRan = false;
    QTimer::singleShot(0, [&] {
        eventRan = true;
        waitedFor = exec.LastProcess().ProcessId;
        EXPECT_TRUE(exec.Waiting());
        // A second start on the same component while the first is waited for.
        TBVExecFile* same = &exec;
        const QString keepCommand = same->CommandLine, keepParameters = same->Parameters;
        same->Wait = false;
        same->CommandLine = QStringLiteral("/bin/true");
        same->Parameters = QString();
        EXPECT_TRUE(same->Execute());
        startedMeanwhile = same->LastProcess().ProcessId;
        same->CommandLine = keepCommand;
        same->Parameters = keepParameters;
        same->Wait = true;
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY);
        EXPECT_GE(fd, 0);
        ::close(fd);
    });
    ASSERT_TRUE(exec.Execute());
    EXPECT_TRUE(eventRan);
    EXPECT_FALSE(exec.Waiting());
    EXPECT_NE(startedMeanwhile, waitedFor);
    // The waited-for program, not the one started meanwhile, is the one that has ended.
    EXPECT_FALSE(alive(waitedFor));
    EXPECT_EQ(zombieChildren(), QStringList());
}

TEST_F(Launcher, PriorityGivesTheNiceValueWherePermitted)
{
    const QString out = path(QStringLiteral("stat.txt"));
    const QString script = path(QStringLiteral("nice.sh"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ncat /proc/self/stat > '%1'\n").arg(out).toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    auto niceOfChild = [&] {
        const QStringList lines = readLines(out);
        if (lines.isEmpty())
            return 1000;
        const QString text = lines.first();
        // Field 19 of the stat line; fields after the name start at 3.
        const QStringList rest = text.mid(text.lastIndexOf(u')') + 2).split(u' ');
        return rest.value(19 - 3).toInt();
    };
    exec.CommandLine = script;
    exec.Wait = true;
    exec.WaitStyle = wSuspend;

    exec.Priority = pcIdle;
    ASSERT_TRUE(exec.Execute());
    EXPECT_EQ(niceOfChild(), 19);

    // A raise the system refuses is no failure of the start.
    const int own = ::getpriority(PRIO_PROCESS, 0);
    exec.Priority = pcHigh;
    ASSERT_TRUE(exec.Execute());
    const int high = niceOfChild();
    EXPECT_TRUE(high == NiceValueOf(pcHigh) || high == own) << high;
    EXPECT_EQ(fails, 0);
}

// The program ignores SIGXFSZ and SIGPIPE for itself; a program it starts gets them back.
TEST_F(Launcher, StartedProgramsGetTheSignalsTheProgramIgnores)
{
    struct sigaction ignore = {}, xfsz = {}, pipe = {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &xfsz), 0);
    ASSERT_EQ(::sigaction(SIGPIPE, &ignore, &pipe), 0);
    const QString out = path(QStringLiteral("status.txt"));
    const QString script = path(QStringLiteral("signals.sh"));
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ngrep '^SigIgn:' /proc/self/status > '%1'\n").arg(out).toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    exec.CommandLine = script;
    exec.Wait = true;
    exec.WaitStyle = wSuspend;
    const bool started = exec.Execute();
    ::sigaction(SIGXFSZ, &xfsz, nullptr);
    ::sigaction(SIGPIPE, &pipe, nullptr);
    ASSERT_TRUE(started);
    const QStringList lines = readLines(out);
    ASSERT_EQ(lines.size(), 1);
    bool ok = false;
    const qulonglong ignored = lines.first().section(u':', 1).trimmed().toULongLong(&ok, 16);
    ASSERT_TRUE(ok) << lines.first().toStdString();
    EXPECT_EQ(ignored & (1ULL << (SIGXFSZ - 1)), 0u);
    EXPECT_EQ(ignored & (1ULL << (SIGPIPE - 1)), 0u);
}

TEST_F(Launcher, AssociateOpensTheDocumentWithTheDesktopOpener)
{
    // A stand-in for the desktop's opener, first on PATH.
    const QString bin = path(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    const QString out = path(QStringLiteral("opened.txt"));
    const QString opener = argumentWriter(QStringLiteral("bin/xdg-open"), out);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + oldPath);

    const QString document = path(QStringLiteral("My Notes.txt"));
    QFile doc(document);
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.close();

    exec.Associate = true;
    exec.Wait = true;
    exec.CommandLine = document;
    exec.Parameters = QStringLiteral("--extra 'x y'");
    EXPECT_TRUE(exec.Execute());
    EXPECT_EQ(exec.AssociatedProgram(), opener);
    EXPECT_EQ(readLines(out), (QStringList{document, "--extra", "x y"}));
    EXPECT_EQ(fails, 0);

    // No such document: the look-up fails.
    exec.CommandLine = path(QStringLiteral("missing.txt"));
    EXPECT_FALSE(exec.Execute());
    EXPECT_EQ(exec.LastError(), ENOENT);
    EXPECT_EQ(fails, 1);

    // Without Associate the document is no program.
    exec.Associate = false;
    exec.CommandLine = document;
    EXPECT_FALSE(exec.Execute());
    EXPECT_EQ(fails, 2);

    qputenv("PATH", oldPath);
    EXPECT_EQ(zombieChildren(), QStringList());
}

} // namespace

namespace {

TEST(LauncherQuit, QuittingWhileWaitingEndsTheWait)
{
    // The application's quit ends the regular wait, so the program can end; run apart, since a
    // quit leaves this process's event loops unable to run again.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            TBVExecFile exec;
            exec.CommandLine = QStringLiteral("/bin/sleep");
            exec.Parameters = QStringLiteral("60");
            exec.Wait = true;
            QTimer::singleShot(0, [] { QCoreApplication::exit(7); });
            const bool started = exec.Execute();
            // Back while the program still runs: the wait ended by the quit, not by the program.
            const bool stillRunning = alive(exec.LastProcess().ProcessId);
            ::kill(exec.LastProcess().ProcessId, SIGKILL);
            std::exit(started && stillRunning && !exec.Waiting() ? 3 : 4);
        },
        ::testing::ExitedWithCode(3), "");
}

} // namespace
