#include "components/StatusPanel.h"

#include "components/PanelCacheStyle.h"

#include <QEvent>
#include <QResizeEvent>
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

TStatusSlot::TStatusSlot(TStatusPanel* panel, QWidget* parent) : QWidget(parent), panel_(panel)
{
    panel_->setParent(this);
    panel_->setGeometry(rect());
    follow();
}

// Takes the panel's sizes; true when they changed.
bool TStatusSlot::follow()
{
    const Sizes now = sizesNow();
    if (now == sizes_)
        return false;
    sizes_ = now;
    setSizePolicy(now.policy);
    setMinimumSize(now.minimum);
    setMaximumSize(now.maximum);
    return true;
}

TStatusSlot::Sizes TStatusSlot::sizesNow() const
{
    return {panel_->sizeHint(), panel_->minimumSizeHint(), panel_->minimumSize(), panel_->maximumSize(),
            panel_->sizePolicy()};
}

QSize TStatusSlot::sizeHint() const
{
    return panel_->sizeHint();
}

QSize TStatusSlot::minimumSizeHint() const
{
    return panel_->minimumSizeHint();
}

bool TStatusSlot::event(QEvent* event)
{
    if (event->type() == QEvent::LayoutRequest) {
        if (follow())
            updateGeometry();
        return true;
    }
    // A panel changed while the slot was hidden asked nobody.
    if (event->type() == QEvent::Show && follow())
        updateGeometry();
    return QWidget::event(event);
}

void TStatusSlot::resizeEvent(QResizeEvent* event)
{
    panel_->setGeometry(QRect(QPoint(), event->size()));
    QWidget::resizeEvent(event);
}
