#pragma once
// The results box holds long listings. A text block per line costs the box's document about 2.5 µs
// a line on the GUI thread and grows faster than the lines, more than the whole fetch of the rows;
// so the box keeps its lines in blocks of up to a hundred, the lines of a block parted by line
// separators. The text, the find, the copy and the save read the same as with a block per line
// (QTextDocument gives each line separator back as "\n"); the line numbers come from the lines, not
// from the blocks.
#include <QString>

class QPlainTextEdit;
class QTextCursor;

namespace results_box {

constexpr int kLinesPerBlock = 100;

// Gives the box's document the layout that counts a block's lines before it is laid out, so that
// the scroll bar and the scrolling to a line see every line, and makes a triple click select one
// line. The box must not wrap its lines.
void InstallLayout(QPlainTextEdit& box);

// Turns the "\n" line breaks of text, which follows a text whose last block already holds
// linesInBlock lines, into the box's block and line breaks; linesInBlock is then that of the last.
void ToLineBlocks(QString& text, int& linesInBlock);

// Puts text ("\n" between lines) into the box: in blocks of lines where its layout is installed,
// else as setPlainText does.
void SetText(QPlainTextEdit& box, QString text);

// The caret's line and column (from 0), counted in lines whatever the blocks.
struct LineColumn {
    int line = 0;
    int column = 0;
};
LineColumn CursorLineColumn(const QTextCursor& cursor);

// The number (from 0) of the line that holds the position, laid out or not.
int LineOfPosition(const QPlainTextEdit& box, int position);

} // namespace results_box
