#pragma once
// The results box is a plain text box with one paragraph per line, so every key, click, copy and
// search works in it as in any text box. What a program command writes into it goes in through
// the setter below or, for a listing, through the appender, both of which insert many lines at
// once: the box's document takes a line for a few microseconds, and inserting lines one by one,
// or having the box lay out and paint after each, would cost many times that.
#include <QElapsedTimer>
#include <QString>
#include <QStringView>

#include <memory>
#include <thread>

class QPlainTextEdit;

namespace results_box {

// Empties the box as its clear() does, by giving it a fresh document set up as the one it had: a
// document of many lines lets go of them several times faster as a whole than cleared.
void Clear(QPlainTextEdit& box);

// Puts text ("\n" between lines) into the box as setPlainText does, its history replaced and the
// caret at the start, without setPlainText's second pass over the whole text to set its format.
void SetText(QPlainTextEdit& box, const QString& text);

// Text put into the box as SetText puts it, written into the box's new document on a thread of
// its own while the caller makes the next lines: a document takes a line for a couple of
// microseconds, about what a record line costs to make. The box is not touched until finish(),
// which waits for the thread and puts the document in: it then holds what SetText of the pieces
// added, joined in order, would have put there.
class BackgroundText {
public:
    explicit BackgroundText(QPlainTextEdit& box);
    ~BackgroundText();  // finishes
    BackgroundText(const BackgroundText&) = delete;
    BackgroundText& operator=(const BackgroundText&) = delete;

    void add(QString text);
    void finish();

private:
    struct Shared;
    QPlainTextEdit& box_;
    std::unique_ptr<Shared> shared_;
    std::thread thread_;
    bool finished_ = false;
};

// The number (from 0) of the line that holds the position, counted as the box's vertical scroll
// bar counts them.
int LineOfPosition(const QPlainTextEdit& box, int position);

// Appends lines after the box's last line, gathered between writes: a write of a few thousand
// lines keeps the time between two looks at the window's messages short. Until finish() the box
// is painted at most ten times a second: a paint after every write would cost more than a tenth
// of the writing.
class Appender {
public:
    explicit Appender(QPlainTextEdit& box);
    ~Appender();
    Appender(const Appender&) = delete;
    Appender& operator=(const Appender&) = delete;

    // Lines joined by "\n", lineCount of them.
    void add(QStringView lines, int lineCount);
    // Writes what was gathered once enough lines wait or a tenth of a second has passed.
    void writeIfDue();
    void write();
    // Writes the rest; the box is painted as usual again.
    void finish();

private:
    QPlainTextEdit& box_;
    QElapsedTimer sinceWrite_;
    QElapsedTimer sincePaint_;  // invalid until the first write
    QString pending_;
    int pendingLines_ = 0;
    bool anyLine_ = false;      // the next lines follow a line break
    bool holdsPaints_ = false;  // the box's updates are turned off here
    bool finished_ = false;
};

} // namespace results_box
