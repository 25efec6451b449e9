#pragma once
// What a listing cannot go below: a plain text box like the results box taking the listing's
// lines through the same writes, a hundred rows at a time, with no database behind it, and
// painting until idle. Its document costs a couple of microseconds a line, more the more lines it
// holds.
#include "workspace/ResultsBox.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace bench {

inline void boxAlone(QPlainTextEdit& like, const QString& text, int rowsPerWrite)
{
    QPlainTextEdit box;
    box.setFont(like.font());
    box.setLineWrapMode(like.lineWrapMode());
    box.setVerticalScrollBarPolicy(like.verticalScrollBarPolicy());
    box.setHorizontalScrollBarPolicy(like.horizontalScrollBarPolicy());
    box.resize(like.size());
    box.show();
    box.document()->setUndoRedoEnabled(false);
    {
        results_box::Appender appender(box);
        qsizetype from = 0;
        while (from < text.size()) {
            qsizetype end = from - 1;
            for (int r = 0; r < rowsPerWrite; ++r) {
                end = text.indexOf(QLatin1Char('\n'), end + 1);
                if (end < 0) {
                    end = text.size();
                    break;
                }
            }
            appender.writeIfDue();
            QCoreApplication::processEvents();
            appender.add(QStringView(text).sliced(from, end - from), rowsPerWrite);
            from = end + 1;
        }
    }
    QCoreApplication::processEvents();
}

} // namespace bench
