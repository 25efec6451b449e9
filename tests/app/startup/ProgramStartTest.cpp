// The built program's own start, before any window: what it does to its files and signals.
#include "tests/support/Support.h"

#include <QFile>
#include <QSet>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Configuration files left readable by others (copied in, or from an older program) become
// private as the program starts, though it writes none of them; a file-size limit cannot kill it.
TEST(ProgramStart, MakesItsConfigurationPrivateAndIgnoresTheFileSizeSignal)
{
    testsupport::TempHome home;
    const QStringList names{QStringLiteral("Quorvel.ini"), QStringLiteral("aliases.ini"),
                            QStringLiteral("registry-HKEY_LOCAL_MACHINE.ini"),
                            QStringLiteral("registry-HKEY_CURRENT_USER.ini")};
    const QByteArray text = "[DATABASES]\nX=ACCESS|X|x|scott|tiger|||||\n";
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    for (const QString& name : names) {
        QFile file(home.file(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        ASSERT_EQ(::chmod(QFile::encodeName(file.fileName()).constData(), 0644), 0);
        ASSERT_GE(::inotify_add_watch(watch, QFile::encodeName(file.fileName()).constData(), IN_ATTRIB), 0);
    }

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVEL_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(QV_QUORVEL_BIN), {});
    ASSERT_TRUE(program.waitForStarted(60000));

    // Each file's change of mode is the program's word that it got that far; the wait ends on
    // the events, the limit only on a program that never gets there.
    QSet<int> changed;
    while (changed.size() < names.size()) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 60000) <= 0)
            break;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
            for (char* at = buffer; at < buffer + n; at += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(at)->len)
                changed.insert(reinterpret_cast<inotify_event*>(at)->wd);
        }
    }
    ::close(watch);
    EXPECT_EQ(changed.size(), names.size());

    // The ignored signals of the running program, from the kernel's own record.
    QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
    ASSERT_TRUE(status.open(QIODevice::ReadOnly));
    QByteArray ignored;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("SigIgn:"))
            ignored = line.mid(7).trimmed();
    }
    bool ok = false;
    const qulonglong mask = ignored.toULongLong(&ok, 16);
    ASSERT_TRUE(ok) << ignored.constData();
    EXPECT_TRUE(mask & (1ull << (SIGXFSZ - 1))) << ignored.constData();

    program.kill();
    program.waitForFinished(60000);

    for (const QString& name : names) {
        SCOPED_TRACE(name.toStdString());
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(home.file(name)).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        QFile file(home.file(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), text);
    }
}

} // namespace
