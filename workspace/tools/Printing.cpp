#include "workspace/tools/Printing.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/Utils.h"
#include "platform/modal/Modal.h"
#include "workspace/MainWindow.h"
#include "workspace/ResultsBox.h"
#include "workspace/PageControl.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/RecordText.h"
#include "workspace/tablepage/RecordWalk.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <functional>
#include <stdexcept>

QStringList RecordPrintLines(const QList<QWidget*>& controls, bool showFieldNames)
{
    std::vector<ShownEditText> edits;
    for (QWidget* w : controls)
        if (auto* edit = qobject_cast<TBVMaskEdit*>(w))
            edits.push_back({edit->FieldName, edit->text(),
                             IsNullMarker(edit->Hint)});
    return RecordPrintLines(edits, showFieldNames);
}

QStringList RecordPrintLines(const std::vector<ShownEditText>& edits, bool showFieldNames)
{
    QStringList lines;
    QString line;
    for (const ShownEditText& edit : edits) {
        // A null shows as nothing, not as the separators of its mask.
        const QString text = edit.nullMarked ? QString() : edit.text;
        if (showFieldNames)
            lines << PadToWidth(edit.fieldName, QStringLiteral(" "), 20) + text;
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

// The text of every found record, in found order, to out: read in batches of keys as the
// record display would show each record, or, where the page has an edit that no column fills
// (the display leaves it as it was), shown on the page one by one. The page ends on the last
// record. False when an error ended it early (reported); unread gets the records left out.
bool foundRecordLines(TablePageEnv& env, bool fieldNames, const std::function<void(const QStringList&)>& out,
                      std::vector<UnreadRecord>& unread)
{
    RecordTexts texts(env.ui, env.state);
    FoundRecordsRead read;
    try {
        read = ReadFoundRecords(
            env, texts,
            [&](platform::engine::DataSet& row) -> std::optional<QStringList> {
                if (!texts.showsEveryEdit())
                    return std::nullopt;
                return RecordPrintLines(texts.editTexts(row), fieldNames);
            },
            [&](int, const QStringList& lines) { out(lines); });
        if (!read.abandoned) {
            ShowLastFoundRecord(env, read);
            unread = read.unread;
            return true;
        }
    } catch (const std::exception& error) {
        AppMessageDlg(QStringLiteral("Query List too large!  ") + QString::fromUtf8(error.what()), mtError, mbOK);
        return false;
    }
    return WalkFoundRecords(env, [&](int index, bool shown) {
        if (shown)
            out(RecordPrintLines(PageControls(env.ui), fieldNames));
        else
            unread.push_back({index, env.state.RecordKeys.at(index), QStringLiteral("it could not be fetched again.")});
    });
}

void printFoundRecords(TForm_Main& form)
{
    QPrinter printer;
    if (!platform::modal::printDialog(&form, printer))
        return;
    std::vector<UnreadRecord> unread;
    {
        LinePrinter out(printer);
        const bool fieldNames = form.ui().MenuItem_ShowFieldNames->isChecked();
        TablePageEnv env = form.tablePageEnv();
        foundRecordLines(env, fieldNames, [&](const QStringList& lines) {
            for (const QString& line : lines)
                out.writeLine(line);
        }, unread);
    }
    ReportUnreadRecords(unread, int(form.state().RecordKeys.size()), QStringLiteral("printed"));
}

void previewFoundRecords(TForm_Main& form)
{
    Ui::TForm_Main& ui = form.ui();
    ui.Memo_Results->clear();
    const bool fieldNames = ui.MenuItem_ShowFieldNames->isChecked();
    QStringList lines;
    std::vector<UnreadRecord> unread;
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
        walked = foundRecordLines(env, fieldNames, [&](const QStringList& record) { lines << record; }, unread);
    }
    if (!walked)
        return;
    ShowCommandLinePage(form, true);
    ReportUnreadRecords(unread, int(form.state().RecordKeys.size()), QStringLiteral("previewed"));
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
