#include "platform/shell/Process.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace platform::shell {

bool splitCommandLine(const QString& commandLine, QStringList& words)
{
    words.clear();
    QString word;
    bool inWord = false;
    enum { Plain, Single, Double } quote = Plain;
    const int n = commandLine.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = commandLine.at(i);
        if (quote == Single) {
            if (c == u'\'')
                quote = Plain;
            else
                word += c;
            continue;
        }
        if (quote == Double) {
            if (c == u'"') {
                quote = Plain;
            } else if (c == u'\\' && i + 1 < n && QStringLiteral("\"\\$`\n").contains(commandLine.at(i + 1))) {
                if (commandLine.at(++i) != u'\n')
                    word += commandLine.at(i);
            } else {
                word += c;
            }
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == u'\'') {
            quote = Single;
            inWord = true;
        } else if (c == u'"') {
            quote = Double;
            inWord = true;
        } else if (c == u'\\') {
            inWord = true;
            if (i + 1 < n && commandLine.at(i + 1) != u'\n')
                word += commandLine.at(i + 1);
            ++i;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != Plain)
        return false;
    if (inWord)
        words << word;
    return true;
}

QString resolveProgram(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (program.contains(u'/'))
        return program;
    return QStandardPaths::findExecutable(program);
}

namespace {

// What the started side reports through the pipe: its process id, or the errno of a failure.
struct Report {
    std::int32_t tag;  // 'P' or 'E'
    std::int32_t value;
};

void sendReport(int fd, std::int32_t tag, std::int32_t value)
{
    const Report r{tag, value};
    while (::write(fd, &r, sizeof r) < 0 && errno == EINTR) {
    }
}

void reap(pid_t pid)
{
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// Runs in the forked child: only async-signal-safe calls from here on.
[[noreturn]] void execChild(int reportFd, const char* path, char* const* argv, int niceValue)
{
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl = {};
    dfl.sa_handler = SIG_DFL;
    // The program ignores these for itself; a started program gets the default back.
    sigaction(SIGPIPE, &dfl, nullptr);
    sigaction(SIGXFSZ, &dfl, nullptr);
    // Lowering always works; a raise the system refuses keeps the inherited value.
    setpriority(PRIO_PROCESS, 0, niceValue);
    execv(path, argv);
    sendReport(reportFd, 'E', errno);
    _exit(127);
}

} // namespace

StartResult startProcess(const QStringList& argv, int niceValue, bool detached)
{
    StartResult result;
    if (argv.isEmpty() || argv.first().isEmpty()) {
        result.error = ENOENT;
        return result;
    }
    const QString path = resolveProgram(argv.first());
    if (path.isEmpty()) {
        result.error = ENOENT;
        return result;
    }

    // Everything the child needs is made before the fork.
    const QByteArray pathBytes = QFile::encodeName(path);
    std::vector<QByteArray> argBytes;
    argBytes.reserve(argv.size());
    for (const QString& a : argv)
        argBytes.push_back(a.toLocal8Bit());
    std::vector<char*> args;
    for (QByteArray& a : argBytes)
        args.push_back(a.data());
    args.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        result.error = errno;
        return result;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        result.error = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return result;
    }
    if (child == 0) {
        ::close(fds[0]);
        if (detached) {
            // The middle process ends at once; the program, its child, then belongs to init.
            const pid_t grandchild = ::fork();
            if (grandchild < 0) {
                sendReport(fds[1], 'E', errno);
                _exit(0);
            }
            if (grandchild > 0) {
                sendReport(fds[1], 'P', grandchild);
                _exit(0);
            }
        }
        execChild(fds[1], pathBytes.constData(), args.data(), niceValue);
    }

    ::close(fds[1]);
    if (detached)
        reap(child);
    pid_t started = detached ? 0 : child;
    int error = 0;
    Report r;
    for (;;) {
        const ssize_t got = ::read(fds[0], &r, sizeof r);
        if (got < 0 && errno == EINTR)
            continue;
        if (got != static_cast<ssize_t>(sizeof r))
            break;  // end of file: the program was started (the pipe closed on exec)
        if (r.tag == 'P')
            started = r.value;
        else
            error = r.value;
    }
    ::close(fds[0]);
    if (error != 0) {
        if (!detached)
            reap(child);
        result.error = error;
        return result;
    }
    if (started <= 0) {
        result.error = ECHILD;
        return result;
    }
    result.pid = started;
    return result;
}

bool processEnded(pid_t pid)
{
    for (;;) {
        const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
        if (r < 0 && errno == EINTR)
            continue;
        // Gone already (reaped elsewhere, or not ours) also counts as ended.
        return r != 0;
    }
}

void waitForProcess(pid_t pid)
{
    reap(pid);
}

int processEndDescriptor(pid_t pid)
{
#ifdef SYS_pidfd_open
    const long fd = ::syscall(SYS_pidfd_open, pid, 0);
    if (fd >= 0) {
        ::fcntl(static_cast<int>(fd), F_SETFD, FD_CLOEXEC);
        return static_cast<int>(fd);
    }
#endif
    return -1;
}

QString findAssociatedProgram(const QString& document, int& error)
{
    error = 0;
    if (document.isEmpty() || !QFileInfo::exists(document)) {
        error = ENOENT;
        return {};
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty())
        error = ENOENT;
    return opener;
}

} // namespace platform::shell
