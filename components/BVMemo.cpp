#include "components/BVMemo.h"

#include "components/BVLabel.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

TBVMemo::TBVMemo(QWidget* parent) : QPlainTextEdit(parent) {}

void TBVMemo::setRequired(bool required)
{
    required_ = required;
    PaintRequired(this, LabelControl.data(), required);
}

void TBVMemo::setMaxLengthLimit(int length)
{
    maxLength_ = std::max(length, 0);
}

int TBVMemo::room() const
{
    if (maxLength_ <= 0)
        return -1;
    // characterCount() counts the closing paragraph separator too
    const qsizetype held = document()->characterCount() - 1 - textCursor().selectedText().size();
    return int(std::max<qsizetype>(0, maxLength_ - held));
}

void TBVMemo::keyPressEvent(QKeyEvent* event)
{
    const QString typed = event->text();
    const bool adds = !typed.isEmpty() && (typed.front().isPrint() || event->key() == Qt::Key_Return
                                           || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Tab);
    if (adds && !isReadOnly()) {
        const int left = room();
        if (left >= 0 && left < typed.size()) {
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TBVMemo::insertFromMimeData(const QMimeData* source)
{
    const int left = room();
    if (left < 0 || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString cut = source->text().left(left);
    if (!cut.isEmpty())
        textCursor().insertText(cut);
}
