#pragma once
// The one seam through which every modal run of the program goes. In the program each call shows
// its window and waits; a test installs a responder that sees what was asked and answers it, so a
// test never waits on a window.
#include <QFont>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace platform::modal {

enum class Kind {
    Window,      // ShowModal of one of the program's own windows (a QDialog)
    MessageBox,  // the standard message box
    InputBox,    // the standard input box
    OpenFile,
    SaveFile,
    Directory,
    Font,
    Print,       // the print dialog
    PageSetup,   // the printer set-up dialog
};

struct Request {
    Kind kind = Kind::Window;
    QString caption;          // window title
    QString text;             // message, prompt
    QStringList buttons;      // captions of the buttons offered (message box), without the '&' marker
    QString value;            // default text (input box), initial file or folder (file dialogs)
    QString filter;           // file dialogs, as "Text Files|*.txt|All Files|*.*" pairs
    QFont font;               // font dialog: the initial font
    QWidget* window = nullptr;   // Kind::Window: the window, shown but not modal while answering
    QPrinter* printer = nullptr; // Print, PageSetup: the printer the dialog sets up
    QMessageBox::Icon icon = QMessageBox::NoIcon;  // message box
    QString defaultSuffix;       // save dialog: added to a chosen name that has no suffix
};

struct Answer {
    int result = 0;           // Window: the modal result; MessageBox: a QMessageBox::StandardButton;
                              // other kinds: non-zero means OK
    QString text;             // InputBox: the text; file and folder dialogs: the chosen path
    QFont font;               // Font
};

using Responder = std::function<Answer(const Request&)>;

// Tests: while a responder is installed, every modal run is answered by it instead of shown.
void setResponder(Responder responder);
void clearResponder();
bool hasResponder();

class ScopedResponder {
public:
    explicit ScopedResponder(Responder responder) { setResponder(std::move(responder)); }
    ~ScopedResponder() { clearResponder(); }
    ScopedResponder(const ScopedResponder&) = delete;
    ScopedResponder& operator=(const ScopedResponder&) = delete;
};

// ShowModal of a window. With a responder the window is shown modelessly, the responder may work
// it (fill fields, click buttons), and the result is the window's own when it closed itself with
// done(), else the responder's answer; the window is hidden afterwards either way.
int execWindow(QDialog& window);

// The standard message box; returns the pressed QMessageBox::StandardButton.
QMessageBox::StandardButton messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                       const QString& text, QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The standard input box; nullopt when cancelled.
std::optional<QString> inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                const QString& defaultText);

// "Text Files|*.txt|All Files|*.*" as Qt's "Text Files (*.txt);;All Files (*.*)".
QString qtFilter(const QString& pairs);

// File and folder choosers; an empty text means cancelled.
QString openFileName(QWidget* parent, const QString& caption, const QString& initial, const QString& filter);
QString saveFileName(QWidget* parent, const QString& caption, const QString& initial, const QString& filter,
                     const QString& defaultSuffix = {});
QString directory(QWidget* parent, const QString& caption, const QString& initial);

// Font dialog; nullopt when cancelled.
std::optional<QFont> font(QWidget* parent, const QFont& initial);

// Print and printer set-up dialogs on the given printer; true when the user pressed OK.
bool printDialog(QWidget* parent, QPrinter& printer);
bool pageSetupDialog(QWidget* parent, QPrinter& printer);

} // namespace platform::modal
