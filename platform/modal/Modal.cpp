#include "platform/modal/Modal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>

namespace platform::modal {

namespace {

Responder& installed()
{
    static Responder responder;
    return responder;
}

// A copy, so a responder may replace or clear itself while it answers, and a modal run started
// from inside an answer is answered too.
Responder current() { return installed(); }

Answer ask(const Request& request)
{
    Responder responder = current();
    return responder(request);
}

// The '&' that marks a mnemonic is not part of what the user reads; "&&" stands for one '&'.
QString withoutMnemonic(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&') {
            if (i + 1 < text.size() && text[i + 1] == u'&') {
                out += u'&';
                ++i;
            }
            continue;
        }
        out += text[i];
    }
    return out;
}

// "*.txt", ".txt" and "txt" all mean the suffix "txt".
QString plainSuffix(const QString& suffix)
{
    QString s = suffix.trimmed();
    while (s.startsWith(u'*') || s.startsWith(u'.'))
        s.remove(0, 1);
    return s;
}

QString withDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + u'.' + suffix;
}

QString firstSelected(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

} // namespace

void setResponder(Responder responder) { installed() = std::move(responder); }
void clearResponder() { installed() = nullptr; }
bool hasResponder() { return static_cast<bool>(installed()); }

int execWindow(QDialog& window)
{
    if (!hasResponder())
        return window.exec();

    // Like exec(): the result starts at 0 and is whatever done() was given.
    window.setResult(0);
    bool finished = false;
    int finishedWith = 0;
    QPointer<QDialog> guard(&window);
    {
        QObject watch;  // ends the connection with this block, also when the responder throws
        QObject::connect(&window, &QDialog::finished, &watch, [&](int r) {
            finished = true;
            finishedWith = r;
        });
        struct HideOnExit {
            QPointer<QDialog>& w;
            ~HideOnExit() { if (w) w->hide(); }
        } hideOnExit{guard};

        window.show();
        // What the modal loop would deliver first (show and activation events, layout requests).
        QCoreApplication::processEvents();
        if (!finished && guard) {
            Request request;
            request.kind = Kind::Window;
            request.caption = window.windowTitle();
            request.window = &window;
            const Answer answer = ask(request);
            if (!finished) {
                if (guard)
                    window.setResult(answer.result);
                return answer.result;
            }
        }
    }
    return finishedWith;
}

QMessageBox::StandardButton messageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                       const QString& text, QMessageBox::StandardButtons buttons,
                                       QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, caption, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    if (!hasResponder())
        return static_cast<QMessageBox::StandardButton>(box.exec());

    Request request;
    request.kind = Kind::MessageBox;
    request.caption = caption;
    request.text = text;
    request.icon = icon;
    // In the order of Qt's button values, so a test sees the same list on every platform.
    for (int bit = QMessageBox::Ok; bit <= QMessageBox::RestoreDefaults; bit <<= 1) {
        if (QAbstractButton* button = box.button(static_cast<QMessageBox::StandardButton>(bit)))
            request.buttons << withoutMnemonic(button->text());
    }
    return static_cast<QMessageBox::StandardButton>(ask(request).result);
}

std::optional<QString> inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                const QString& defaultText)
{
    if (hasResponder()) {
        Request request;
        request.kind = Kind::InputBox;
        request.caption = caption;
        request.text = prompt;
        request.value = defaultText;
        const Answer answer = ask(request);
        if (answer.result == 0)
            return std::nullopt;
        return answer.text;
    }
    QInputDialog dialog(parent);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString qtFilter(const QString& pairs)
{
    if (pairs.isEmpty())
        return {};
    const QStringList parts = pairs.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString name = parts[i].trimmed();
        QStringList patterns;
        if (i + 1 < parts.size()) {
            for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts))
                if (!p.trimmed().isEmpty())
                    patterns << p.trimmed();
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        if (name.isEmpty() && i + 1 >= parts.size())
            continue;  // a trailing "|"
        filters << (name.isEmpty() ? patterns.join(u' ') : name) + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

namespace {

// The pair form names a filter only by its description; Qt's own "(patterns)" is kept out of
// sight so the list reads as the program wrote it.
void setUpFileDialog(QFileDialog& dialog, const QString& filter)
{
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    if (!filter.isEmpty())
        dialog.setNameFilter(qtFilter(filter));
}

Answer askFile(Kind kind, const QString& caption, const QString& initial, const QString& filter,
               const QString& suffix = {})
{
    Request request;
    request.kind = kind;
    request.caption = caption;
    request.value = initial;
    request.filter = filter;
    request.defaultSuffix = suffix;
    return ask(request);
}

} // namespace

QString openFileName(QWidget* parent, const QString& caption, const QString& initial, const QString& filter)
{
    if (hasResponder()) {
        const Answer answer = askFile(Kind::OpenFile, caption, initial, filter);
        return answer.result == 0 ? QString() : answer.text;
    }
    QFileDialog dialog(parent, caption, initial);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    setUpFileDialog(dialog, filter);
    return firstSelected(dialog);
}

QString saveFileName(QWidget* parent, const QString& caption, const QString& initial, const QString& filter,
                     const QString& defaultSuffix)
{
    const QString suffix = plainSuffix(defaultSuffix);
    if (hasResponder()) {
        const Answer answer = askFile(Kind::SaveFile, caption, initial, filter, suffix);
        return answer.result == 0 ? QString() : withDefaultSuffix(answer.text, suffix);
    }
    QFileDialog dialog(parent, caption, initial);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    setUpFileDialog(dialog, filter);
    return firstSelected(dialog);
}

QString directory(QWidget* parent, const QString& caption, const QString& initial)
{
    if (hasResponder()) {
        const Answer answer = askFile(Kind::Directory, caption, initial, {});
        return answer.result == 0 ? QString() : answer.text;
    }
    QFileDialog dialog(parent, caption, initial);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    return firstSelected(dialog);
}

std::optional<QFont> font(QWidget* parent, const QFont& initial)
{
    if (hasResponder()) {
        Request request;
        request.kind = Kind::Font;
        request.caption = QStringLiteral("Select Font");
        request.font = initial;
        const Answer answer = ask(request);
        if (answer.result == 0)
            return std::nullopt;
        return answer.font;
    }
    QFontDialog dialog(initial, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

bool printDialog(QWidget* parent, QPrinter& printer)
{
    if (hasResponder()) {
        Request request;
        request.kind = Kind::Print;
        request.caption = QStringLiteral("Print");
        request.printer = &printer;
        return ask(request).result != 0;
    }
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool pageSetupDialog(QWidget* parent, QPrinter& printer)
{
    if (hasResponder()) {
        Request request;
        request.kind = Kind::PageSetup;
        request.caption = QStringLiteral("Page Setup");
        request.printer = &printer;
        return ask(request).result != 0;
    }
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace platform::modal
