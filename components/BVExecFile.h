#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <sys/types.h>

enum TPriorityClass { pcNormal, pcIdle, pcHigh, pcRealTime };
enum TWaitStyle { wRegular, wSuspend };
enum TWindowStyle { wsNorm, wsMinimize, wsMaximize, wsHide, wsMinNoActivate, wsShowNoActivate };

// A text of at most 255 characters: a longer value is cut when assigned.
class InString {
public:
    static constexpr int MaxLength = 255;
    InString() = default;
    InString(const QString& value) : value_(value.left(MaxLength)) {}
    InString& operator=(const QString& value)
    {
        value_ = value.left(MaxLength);
        return *this;
    }
    operator const QString&() const { return value_; }
    const QString& text() const { return value_; }
    bool operator==(const QString& other) const { return value_ == other; }

private:
    QString value_;
};

// The nice value a priority class starts a program with.
int NiceValueOf(TPriorityClass priority);

// The program launcher: starts a command line, optionally through the program the desktop opens
// a document with, and optionally waits for it to end.
class TBVExecFile : public QObject {
    Q_OBJECT
public:
    explicit TBVExecFile(QObject* owner = nullptr) : QObject(owner) {}

    bool Associate = false;
    InString CommandLine;
    InString Parameters;
    TPriorityClass Priority = pcNormal;
    bool Wait = false;
    TWaitStyle WaitStyle = wRegular;
    // Kept for callers; a new X11 program chooses how to show its first window itself.
    TWindowStyle WindowStyle = wsNorm;
    std::function<void(QObject* Sender)> OnFail;

    // The process record of a start: its process id.
    struct ProcessInformation {
        pid_t ProcessId = 0;
    };

    // True when the program was started (and, with Wait, has ended); False when the start failed.
    bool Execute();

    int LastError() const { return lastError_; }
    // The opener found by the last look-up of an associated program.
    const QString& AssociatedProgram() const { return associatedProgram_; }
    const ProcessInformation& LastProcess() const { return lastProcess_; }
    bool Waiting() const { return waiting_ > 0; }

private:
    bool fail(int error);
    // Returns false when the application asked to quit while waiting.
    bool waitRegular(pid_t pid);
    void reapLater(pid_t pid);

    int lastError_ = 0;
    QString associatedProgram_;
    ProcessInformation lastProcess_;
    int waiting_ = 0;
};
