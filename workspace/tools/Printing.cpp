#include "workspace/tools/Printing.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "platform/modal/Modal.h"
#include "workspace/MainWindow.h"
#include "workspace/ResultsBox.h"
#include "workspace/PageControl.h"
#include "workspace/tablepage/RecordWalk.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <stdexcept>

QStringList RecordPrintLines(const QList<QWidget*>& controls, bool showFieldNames)
{
    QStringList lines;
    QString line;
    for (QWidget* w : controls) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (!edit)
            continue;
        // A null shows as nothing, not as the separators of its mask.
        const QString text = edit->Hint.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0 ? QString() : edit->text();
        if (showFieldNames)
            lines << PadToWidth(edit->FieldName, QStringLiteral(" "), 20) + text;
        else
            line += text + QLatin1Char('|');
    }
    if (showFieldNames)
        lines << QString();
    else
        lines << line;
    return lines;
}

LinePrinter::LinePrinter(QPrinter& printer) : printer_(printer), painter_(new QPainter)
{
    if (!painter_->begin(&printer_)) {
        delete painter_;
        throw std::runtime_error("The printer could not be opened.");
    }
    QFont font(QStringLiteral("Courier New"), 8);
    // Where Courier New is missing, another fixed-pitch face keeps the columns lined up.
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    painter_->setFont(font);
    painter_->setPen(Qt::black);
    const QFontMetrics metrics(painter_->font(), &printer_);
    lineHeight_ = metrics.lineSpacing();
    ascent_ = metrics.ascent();
    const QRect page = painter_->viewport();
    width_ = page.width();
    height_ = page.height();
}

LinePrinter::~LinePrinter()
{
    painter_->end();
    delete painter_;
}

void LinePrinter::advance()
{
    y_ += lineHeight_;
    if (y_ + lineHeight_ > height_) {
        printer_.newPage();
        y_ = 0;
    }
}

void LinePrinter::writeLine(const QString& line)
{
    const QFontMetrics metrics(painter_->font(), &printer_);
    QString rest = line;
    do {
        // The longest start of the rest that fits the page's width, at least one character.
        qsizetype fit = rest.size();
        if (metrics.horizontalAdvance(rest) > width_) {
            qsizetype low = 1, high = rest.size();
            while (low < high) {
                const qsizetype mid = (low + high + 1) / 2;
                if (metrics.horizontalAdvance(rest.left(mid)) <= width_)
                    low = mid;
                else
                    high = mid - 1;
            }
            fit = low;
        }
        painter_->drawText(0, y_ + ascent_, rest.left(fit));
        rest = rest.mid(fit);
        advance();
    } while (!rest.isEmpty());
}

namespace {

enum class Command { None, Print, Preview };

Command commandOf(Ui::TForm_Main& ui, QObject* Sender)
{
    if (Sender == ui.BitBtn_Print || Sender == ui.MenuItem_Print)
        return Command::Print;
    if (Sender == ui.BitBtn_Preview || Sender == ui.MenuItem_PrintPreview)
        return Command::Preview;
    return Command::None;
}

void printFoundRecords(TForm_Main& form)
{
    QPrinter printer;
    if (!platform::modal::printDialog(&form, printer))
        return;
    LinePrinter out(printer);
    const bool fieldNames = form.ui().MenuItem_ShowFieldNames->isChecked();
    TablePageEnv env = form.tablePageEnv();
    WalkFoundRecords(env, [&](int, bool shown) {
        // A record whose fetch failed has no text of its own on the page.
        if (!shown)
            return;
        for (const QString& line : RecordPrintLines(PageControls(form.ui()), fieldNames))
            out.writeLine(line);
    });
}

void previewFoundRecords(TForm_Main& form)
{
    Ui::TForm_Main& ui = form.ui();
    ui.Memo_Results->clear();
    const bool fieldNames = ui.MenuItem_ShowFieldNames->isChecked();
    QStringList lines;
    bool walked = false;
    {
        // The lines reach the box together, also when the walk ends early.
        struct Flush {
            TForm_Main& form;
            QStringList& lines;
            ~Flush()
            {
                results_box::SetText(*form.ui().Memo_Results, lines.join(QLatin1Char('\n')));
                ShowCaretPosition(form);
            }
        } flush{form, lines};
        TablePageEnv env = form.tablePageEnv();
        walked = WalkFoundRecords(env, [&](int, bool shown) {
            if (shown)
                lines << RecordPrintLines(PageControls(ui), fieldNames);
        });
    }
    if (!walked)
        return;
    ShowCommandLinePage(form, true);
}

} // namespace

void BitBtn_PrintClick(TForm_Main& form, QObject* Sender)
{
    switch (commandOf(form.ui(), Sender)) {
    case Command::Print:
        printFoundRecords(form);
        break;
    case Command::Preview:
        previewFoundRecords(form);
        break;
    case Command::None:
        break;
    }
}
