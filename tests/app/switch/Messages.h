#pragma once
// Records the text of every message dialog and answers OK.
#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"

#include <QPlainTextEdit>
#include <QStringList>

// A message as the dialog shows it: its lines, joined by line feeds.
inline QString shown(const QString& message)
{
    return TForm_SaveMsg::SplitLines(message).join(QLatin1Char('\n'));
}

struct Messages {
    QStringList texts;
    platform::modal::Answer operator()(const platform::modal::Request& r)
    {
        const auto* box = r.window ? r.window->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit")) : nullptr;
        texts << (box ? box->toPlainText() : r.text);
        return {1};
    }
};
