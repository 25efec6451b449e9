#include "components/BVExecFile.h"

#include "platform/shell/Process.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <cerrno>
#include <unistd.h>

namespace shell = platform::shell;

int NiceValueOf(TPriorityClass priority)
{
    switch (priority) {
    case pcIdle: return 19;
    case pcHigh: return -10;
    case pcRealTime: return -20;
    case pcNormal: break;
    }
    return 0;
}

bool TBVExecFile::fail(int error)
{
    lastError_ = error;
    if (OnFail)
        OnFail(this);
    return false;
}

bool TBVExecFile::Execute()
{
    // The command text always has a blank between the command and the parameters.
    const QString commandText = CommandLine.text() + u' ' + Parameters.text();
    const int nice = NiceValueOf(Priority);
    // Without Wait nobody waits for the program, so it is started as no child of ours.
    const bool detached = !Wait;

    QStringList argv;
    shell::StartResult started;
    if (shell::splitCommandLine(commandText, argv))
        started = shell::startProcess(argv, nice, detached);
    else
        started.error = EINVAL;

    if (started.pid == 0 && Associate) {
        int error = 0;
        const QString opener = shell::findAssociatedProgram(CommandLine.text(), error);
        if (opener.isEmpty())
            return fail(error);
        associatedProgram_ = opener;
        // The document goes over as one argument, blanks and all.
        QStringList parameters;
        if (!shell::splitCommandLine(Parameters.text(), parameters))
            return fail(EINVAL);
        started = shell::startProcess(QStringList{opener, CommandLine.text()} + parameters, nice, detached);
    }
    if (started.pid == 0)
        return fail(started.error);

    // Each start keeps its own record: a start made while this one waits cannot replace the
    // process being waited for.
    const ProcessInformation record{started.pid};
    lastProcess_ = record;
    if (!Wait)
        return true;

    ++waiting_;
    if (WaitStyle == wSuspend)
        shell::waitForProcess(record.ProcessId);
    else
        waitRegular(record.ProcessId);
    --waiting_;
    return true;
}

void TBVExecFile::reapLater(pid_t pid)
{
    const int fd = shell::processEndDescriptor(pid);
    if (fd < 0)
        return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [notifier, fd, pid] {
        shell::processEnded(pid);
        notifier->setEnabled(false);
        ::close(fd);
        notifier->deleteLater();
    });
}

bool TBVExecFile::waitRegular(pid_t pid)
{
    if (shell::processEnded(pid))
        return true;
    // The windows keep painting and answering while the program runs; the loop wakes when it ends.
    QEventLoop loop;
    bool ended = false;
    auto check = [&] {
        if (!ended && shell::processEnded(pid)) {
            ended = true;
            loop.quit();
        }
    };
    const int fd = shell::processEndDescriptor(pid);
    QSocketNotifier* notifier = nullptr;
    QTimer timer;
    if (fd >= 0) {
        notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &loop);
        QObject::connect(notifier, &QSocketNotifier::activated, &loop, check);
    } else {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, &loop, check);
        timer.start();
    }
    loop.exec();
    delete notifier;
    if (fd >= 0)
        ::close(fd);
    if (ended) {
        QCoreApplication::processEvents();
        return true;
    }
    // The application is quitting: stop waiting so it can end; the program runs on and is reaped
    // when it ends, should we still be there.
    reapLater(pid);
    return false;
}
