#pragma once
// Printing the found records of the Table page, and the same text as a preview in the results
// box of the SQL page.
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

class QObject;
class QPainter;
class QPrinter;
class QWidget;
class TForm_Main;
struct ShownEditText;

// The text of the record on the page, from its mask edits in page order: one line of values each
// followed by "|", or with field names one line per field (name padded to 20, then the value) and
// an empty line.
QStringList RecordPrintLines(const QList<QWidget*>& controls, bool showFieldNames);
// The same from what each mask edit shows, in page order.
QStringList RecordPrintLines(const std::vector<ShownEditText>& edits, bool showFieldNames);

// Writes lines down the pages of a printer in Courier New 8, black; a line wider than the page
// goes on in the next line, and a full page starts the next one. The job ends when this goes,
// on every path.
class LinePrinter {
public:
    // Throws std::runtime_error when the printer cannot be opened.
    explicit LinePrinter(QPrinter& printer);
    ~LinePrinter();
    LinePrinter(const LinePrinter&) = delete;
    LinePrinter& operator=(const LinePrinter&) = delete;

    void writeLine(const QString& line);

private:
    void advance();
    QPrinter& printer_;
    QPainter* painter_;
    int lineHeight_ = 0;
    int ascent_ = 0;
    int width_ = 0;
    int height_ = 0;
    int y_ = 0;
};

// Sender Print (button or menu item) prints, Preview (button or menu item) previews; any other
// sender does nothing.
void BitBtn_PrintClick(TForm_Main& form, QObject* Sender);
