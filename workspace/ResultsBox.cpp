#include "workspace/ResultsBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace results_box {
namespace {

int linesOf(const QTextBlock& block)
{
    return int(block.text().count(QChar::LineSeparator)) + 1;
}

// Gives a block not laid out its own count of lines; true when that changed its count.
bool giveLineCount(QTextBlock& block, int lines)
{
    if (block.layout()->lineCount() != 0 || block.lineCount() == lines)
        return false;
    block.setLineCount(lines);
    return true;
}

// QPlainTextDocumentLayout counts a block it has not laid out as one line, and counts so again
// whenever it lays the whole document out anew (a new width, a new font). This layout keeps each
// block's own count in the block's user state and gives it back to every block not laid out.
class LineBlockLayout : public QPlainTextDocumentLayout {
public:
    explicit LineBlockLayout(QTextDocument* document) : QPlainTextDocumentLayout(document)
    {
        // Connected before the box connects its repainting, so the counts are right when it runs.
        connect(this, &QAbstractTextDocumentLayout::update, this, [this] { restoreCounts(); });
    }

    void documentChanged(int from, int charsRemoved, int charsAdded) override
    {
        QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
        QTextDocument* doc = document();
        const QTextBlock last = doc->findBlock(qMax(0, from + charsAdded));
        bool changed = false;
        for (QTextBlock block = doc->findBlock(from); block.isValid(); block = block.next()) {
            const int lines = linesOf(block);
            block.setUserState(lines);
            changed = giveLineCount(block, lines) || changed;
            if (block == last)
                break;
        }
        if (changed)
            emit documentSizeChanged(documentSize());
    }

private:
    void restoreCounts()
    {
        // Only a new layout of the whole document sets every block back to one line.
        if (restoring_ || document()->lineCount() != document()->blockCount())
            return;
        restoring_ = true;
        bool changed = false;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            const int lines = block.userState();
            if (lines > 1)
                changed = giveLineCount(block, lines) || changed;
        }
        if (changed)
            emit documentSizeChanged(documentSize());
        restoring_ = false;
    }

    bool restoring_ = false;
};

// A triple click selects the line under the mouse with its line break, as it does where a block
// is one line; the box itself would select the whole block.
class LineClicks : public QObject {
public:
    explicit LineClicks(QPlainTextEdit& box) : QObject(&box), box_(box) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonDblClick && event->type() != QEvent::MouseButtonPress)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        const QPoint at = mouse->position().toPoint();
        if (event->type() == QEvent::MouseButtonDblClick) {
            doubleAt_ = at;
            sinceDouble_.start();
            return false;
        }
        const bool triple = sinceDouble_.isValid() && sinceDouble_.elapsed() < QApplication::doubleClickInterval()
                            && (at - doubleAt_).manhattanLength() < QApplication::startDragDistance();
        sinceDouble_.invalidate();
        if (!triple || mouse->modifiers() != Qt::NoModifier)
            return false;
        QTextCursor cursor = box_.cursorForPosition(at);
        if (!cursor.block().text().contains(QChar::LineSeparator))
            return false;
        cursor.movePosition(QTextCursor::StartOfLine);
        cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        box_.setTextCursor(cursor);
        return true;
    }

private:
    QPlainTextEdit& box_;
    QElapsedTimer sinceDouble_;
    QPoint doubleAt_;
};

} // namespace

void InstallLayout(QPlainTextEdit& box)
{
    QTextDocument* doc = box.document();
    if (dynamic_cast<LineBlockLayout*>(doc->documentLayout()))
        return;
    doc->setDocumentLayout(new LineBlockLayout(doc));
    box.viewport()->installEventFilter(new LineClicks(box));
}

void ToLineBlocks(QString& text, int& linesInBlock)
{
    if (text.isEmpty())
        return;
    QChar* const begin = text.data();
    qsizetype at = 0;
    while ((at = QStringView(text).indexOf(QLatin1Char('\n'), at)) >= 0) {
        if (linesInBlock >= kLinesPerBlock) {
            linesInBlock = 1;  // stays a block break
        } else {
            begin[at] = QChar::LineSeparator;
            ++linesInBlock;
        }
        ++at;
    }
}

void SetText(QPlainTextEdit& box, QString text)
{
    if (!dynamic_cast<const LineBlockLayout*>(box.document()->documentLayout())) {
        box.setPlainText(text);
        return;
    }
    box.clear();
    if (text.isEmpty())
        return;
    int lines = 1;
    ToLineBlocks(text, lines);
    // Like setPlainText, the text replaces the box's history instead of becoming a step of it.
    QTextDocument* doc = box.document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor(doc).insertText(text);
    doc->setUndoRedoEnabled(undo);
    box.setTextCursor(QTextCursor(doc));
}

LineColumn CursorLineColumn(const QTextCursor& cursor)
{
    const QTextBlock block = cursor.block();
    const int inBlock = cursor.positionInBlock();
    if (!dynamic_cast<const LineBlockLayout*>(block.document()->documentLayout()))
        return {cursor.blockNumber(), inBlock};
    const QStringView before = QStringView(block.text()).first(inBlock);
    return {block.firstLineNumber() + int(before.count(QChar::LineSeparator)),
            int(inBlock - (before.lastIndexOf(QChar::LineSeparator) + 1))};
}

int LineOfPosition(const QPlainTextEdit& box, int position)
{
    const QTextBlock block = box.document()->findBlock(position);
    const int inBlock = position - block.position();
    const QTextLayout* layout = block.layout();
    if (layout && layout->lineCount() > 0)
        return block.firstLineNumber() + layout->lineForTextPosition(inBlock).lineNumber();
    return block.firstLineNumber() + int(QStringView(block.text()).first(inBlock).count(QChar::LineSeparator));
}

} // namespace results_box
