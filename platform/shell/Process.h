#pragma once
// Starting other programs without a shell, and waiting for them. No Qt event handling here: the
// caller decides how to keep its windows alive while it waits.
#include <QString>
#include <QStringList>
#include <sys/types.h>

namespace platform::shell {

// Splits a command line into words as a POSIX shell does: blanks and tabs separate words, single
// quotes keep everything literally, double quotes keep blanks (a backslash there escapes only
// " \ $ ` and newline), a backslash outside quotes escapes the next character. Nothing is
// expanded. False when a quote is left open.
bool splitCommandLine(const QString& commandLine, QStringList& words);

// The file a program name stands for: a name holding "/" is used as it is, any other is looked up
// on PATH. Empty when nothing executable is found.
QString resolveProgram(const QString& program);

struct StartResult {
    pid_t pid = 0;   // the started process; 0 when the start failed
    int error = 0;   // errno of the failed start
};

// Starts argv[0] with the arguments argv[1..] (argv[0] is also the program's own name) at the
// given nice value, where the system permits it: a refused raise leaves the inherited value and is
// not a failure. The program's own start failures (missing, not executable) come back in error.
// detached: the process is not our child once started (nobody needs to reap it); otherwise the
// caller must reap it with processEnded or waitForProcess.
StartResult startProcess(const QStringList& argv, int niceValue, bool detached);

// Reaps pid when it has ended; true then. Never blocks.
bool processEnded(pid_t pid);
// Blocks until pid has ended and reaps it.
void waitForProcess(pid_t pid);

// A descriptor that becomes readable when pid ends (Linux pidfd), or -1 when the system has none.
// The caller closes it.
int processEndDescriptor(pid_t pid);

// The desktop's opener of documents (xdg-open on PATH) for an existing document, found the way a
// start would find it. Empty with error set (ENOENT) when the document or the opener is missing.
QString findAssociatedProgram(const QString& document, int& error);

} // namespace platform::shell
