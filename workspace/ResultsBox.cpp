#include "workspace/ResultsBox.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <condition_variable>
#include <deque>
#include <mutex>

namespace results_box {
namespace {

// A write of this many lines takes the box's document some 25 ms: Esc is seen within a tenth of
// a second also on a busy machine, while the box still lays out and paints only some forty
// times a second.
constexpr int kWriteLines = 8192;
constexpr qint64 kWriteMs = 100;
constexpr qint64 kPaintMs = 100;

// Inserts without making a step of the box's history.
void insertAtEnd(QPlainTextEdit& box, const QString& text)
{
    QTextDocument* doc = box.document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor end(doc);
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    doc->setUndoRedoEnabled(undo);
}

// A document set up as the box's own, without its layout yet: made for the box's text control as
// the box's own document is, so the box lets it go in turn once it holds it.
QTextDocument* freshDocument(const QPlainTextEdit& box)
{
    QTextDocument* old = box.document();
    auto* fresh = new QTextDocument(old->parent());
    fresh->setDefaultFont(old->defaultFont());
    fresh->setDefaultTextOption(old->defaultTextOption());
    fresh->setDocumentMargin(old->documentMargin());
    fresh->setIndentWidth(old->indentWidth());
    fresh->setDefaultStyleSheet(old->defaultStyleSheet());
    fresh->setUseDesignMetrics(old->useDesignMetrics());
    fresh->setMaximumBlockCount(old->maximumBlockCount());
    fresh->setDefaultCursorMoveStyle(old->defaultCursorMoveStyle());
    fresh->setUndoRedoEnabled(old->isUndoRedoEnabled());
    return fresh;
}

} // namespace

void Clear(QPlainTextEdit& box)
{
    QTextDocument* fresh = freshDocument(box);
    fresh->setDocumentLayout(new QPlainTextDocumentLayout(fresh));
    box.setDocument(fresh);
}

void SetText(QPlainTextEdit& box, const QString& text)
{
    Clear(box);
    if (text.isEmpty())
        return;
    insertAtEnd(box, text);
    box.setTextCursor(QTextCursor(box.document()));
}

struct BackgroundText::Shared {
    std::mutex mutex;
    std::condition_variable ready;
    std::deque<QString> pieces;
    bool ended = false;
    QTextDocument* document = nullptr;
    bool undo = false;
};

BackgroundText::BackgroundText(QPlainTextEdit& box) : box_(box), shared_(std::make_unique<Shared>())
{
    QTextDocument* document = freshDocument(box);
    // The thread uses the document alone until it has ended: no layout, no box, no events.
    document->setParent(nullptr);
    shared_->undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    shared_->document = document;
    thread_ = std::thread([shared = shared_.get()] {
        QTextCursor end(shared->document);
        for (;;) {
            QString piece;
            {
                std::unique_lock<std::mutex> lock(shared->mutex);
                shared->ready.wait(lock, [&] { return !shared->pieces.empty() || shared->ended; });
                if (shared->pieces.empty())
                    return;
                piece = std::move(shared->pieces.front());
                shared->pieces.pop_front();
            }
            end.insertText(piece);
        }
    });
}

BackgroundText::~BackgroundText()
{
    finish();
}

void BackgroundText::add(QString text)
{
    if (text.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->pieces.push_back(std::move(text));
    }
    shared_->ready.notify_one();
}

void BackgroundText::finish()
{
    if (finished_)
        return;
    finished_ = true;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->ended = true;
    }
    shared_->ready.notify_one();
    thread_.join();
    QTextDocument* document = shared_->document;
    document->setParent(box_.document()->parent());
    document->setUndoRedoEnabled(shared_->undo);
    document->setDocumentLayout(new QPlainTextDocumentLayout(document));
    box_.setDocument(document);
    box_.setTextCursor(QTextCursor(document));
}

int LineOfPosition(const QPlainTextEdit& box, int position)
{
    const QTextBlock block = box.document()->findBlock(position);
    const QTextLayout* layout = block.layout();
    if (layout && layout->lineCount() > 0)
        return block.firstLineNumber() + layout->lineForTextPosition(position - block.position()).lineNumber();
    return block.firstLineNumber();
}

Appender::Appender(QPlainTextEdit& box) : box_(box), anyLine_(!box.document()->isEmpty())
{
    sinceWrite_.start();
}

Appender::~Appender()
{
    finish();
}

void Appender::add(QStringView lines, int lineCount)
{
    if (anyLine_)
        pending_ += QLatin1Char('\n');
    pending_ += lines;
    anyLine_ = true;
    pendingLines_ += lineCount;
}

void Appender::writeIfDue()
{
    if (pendingLines_ >= kWriteLines || (pendingLines_ > 0 && sinceWrite_.elapsed() >= kWriteMs))
        write();
}

void Appender::write()
{
    if (pending_.isEmpty() && pendingLines_ == 0)
        return;
    // The paint a write asked for has been made at the yields since; the next one waits.
    if (!finished_ && box_.updatesEnabled()) {
        box_.setUpdatesEnabled(false);
        holdsPaints_ = true;
    }
    insertAtEnd(box_, pending_);
    pending_.resize(0);  // its room serves the next write
    pendingLines_ = 0;
    sinceWrite_.restart();
    if (holdsPaints_ && (!sincePaint_.isValid() || sincePaint_.elapsed() >= kPaintMs)) {
        box_.setUpdatesEnabled(true);
        holdsPaints_ = false;
        sincePaint_.start();
    }
}

void Appender::finish()
{
    if (finished_)
        return;
    write();
    finished_ = true;
    if (holdsPaints_) {
        box_.setUpdatesEnabled(true);
        holdsPaints_ = false;
    }
}

} // namespace results_box
