#include "components/StatusPanel.h"

#include "components/PanelCacheStyle.h"

#include <QEvent>
#include <QTextDocument>

TStatusPanel::TStatusPanel(QWidget* parent) : QLabel(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMargin(1);
    setStyle(TPanelCacheStyle::instance());  // its frame drawn once for each size
    // Filled by itself, a panel's new text repaints the panel alone, not the bar and the window
    // behind it.
    setAutoFillBackground(true);
}

// Only a plain one-line text of the font's own letters is measured once: another script may come
// from a taller font. Any other content is measured as a label does.
bool TStatusPanel::measuredOnce() const
{
    if (wordWrap() || !pixmap().isNull() || textFormat() == Qt::RichText || textFormat() == Qt::MarkdownText)
        return false;
    const QString shown = text();
    if (shown.isEmpty())
        return false;  // cheap to measure, and not as tall as a line in every font
    if (textFormat() == Qt::AutoText && Qt::mightBeRichText(shown))
        return false;
    for (const QChar c : shown)
        if (c.unicode() >= 0x100 || c == QLatin1Char('\n'))
            return false;
    return true;
}

void TStatusPanel::measure() const
{
    if (hint_.isValid() && margin_ == margin() && frame_ == frameWidth())
        return;
    QLabel sample(QStringLiteral("Xg"));
    sample.setFont(font());
    sample.setStyle(style());
    sample.setFrameStyle(frameStyle());
    sample.setLineWidth(lineWidth());
    sample.setMidLineWidth(midLineWidth());
    sample.setMargin(margin());
    sample.setTextFormat(Qt::PlainText);
    hint_ = sample.sizeHint();
    minimum_ = sample.minimumSizeHint();
    margin_ = margin();
    frame_ = frameWidth();
}

QSize TStatusPanel::sizeHint() const
{
    if (!measuredOnce())
        return QLabel::sizeHint();
    measure();
    return hint_;
}

QSize TStatusPanel::minimumSizeHint() const
{
    if (!measuredOnce())
        return QLabel::minimumSizeHint();
    measure();
    return minimum_;
}

void TStatusPanel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        hint_ = QSize();
    QLabel::changeEvent(event);
}
