#include "workspace/sqlpage/TextEditor.h"

#include "app/DatabaseRegistry.h"
#include "app/DatabaseType.h"
#include "app/MainState.h"
#include "app/Options.h"
#include "app/StartUp.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "workspace/sqlpage/FindReplaceDialogs.h"
#include "workspace/MainWindow.h"
#include "workspace/ResultsBox.h"

#if __has_include("workspace/sqlpage/SqlCommandLine.h")
#include "workspace/sqlpage/SqlCommandLine.h"
#define QV_HAVE_CARET_POSITION 1
#endif

#include "ui_Main.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <stdexcept>
#include <vector>

namespace {

void showCaret(const EditorEnv& env)
{
    if (env.showCaretPosition)
        env.showCaretPosition();
}

QStringList boxLines(const QPlainTextEdit& box)
{
    const QString text = box.toPlainText();
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void setBoxLines(QPlainTextEdit& box, const QStringList& lines)
{
    results_box::SetText(box, lines.join(QLatin1Char('\n')));
}

bool sqlPageActive(const EditorEnv& env)
{
    return env.ui.PageControl->currentWidget() == env.ui.TabSheet_CommandLine;
}

// The match's line becomes the second visible line; the first line scrolls to the top.
void scrollToSecondLine(QPlainTextEdit& box, int position)
{
    box.verticalScrollBar()->setValue(std::max(0, results_box::LineOfPosition(box, position) - 1));
}

struct Match { int at; int length; };

} // namespace

EditorEnv MakeEditorEnv(TForm_Main& form)
{
    EditorEnv env{form.state(), form.ui(), &form, &form.Query, &form.registry(), {}};
#ifdef QV_HAVE_CARET_POSITION
    env.showCaretPosition = [&form] { ShowCaretPosition(form); };
#endif
    return env;
}

QPlainTextEdit* PopupOwnerEdit(const EditorEnv& env, QObject* Sender)
{
    auto* item = qobject_cast<QAction*>(Sender);
    if (!item || !env.ui.PopupMenu_RE->actions().contains(item))
        return nullptr;
    auto* owner = env.ui.PopupMenu_RE->property(kPopupOwnerProperty).value<QObject*>();
    return qobject_cast<QPlainTextEdit*>(owner);
}

bool SelectionMatches(const QString& selected, const QString& findText, bool matchCase)
{
    if (findText.isEmpty())
        return false;
    return matchCase ? selected == findText : selected.toUpper() == findText.toUpper();
}

static QString selectedPlainText(const QPlainTextEdit& box)
{
    // The cursor's selection uses U+2029 between lines and keeps a pasted U+2028; the text search,
    // like toPlainText, has '\n' for both.
    QString text = box.textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

bool FindFrom(QPlainTextEdit& box, int start, const QString& findText, bool matchCase)
{
    if (findText.isEmpty())
        return false;
    const int at = box.toPlainText().indexOf(findText, start, matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive);
    if (at < 0)
        return false;
    QTextCursor cursor(box.document());
    cursor.setPosition(at);
    cursor.setPosition(at + findText.size(), QTextCursor::KeepAnchor);
    box.setTextCursor(cursor);
    scrollToSecondLine(box, at);
    return true;
}

bool FindNext(QPlainTextEdit& box, const QString& findText, bool matchCase)
{
    const QTextCursor cursor = box.textCursor();
    const int start = cursor.hasSelection() ? cursor.selectionEnd() : 0;
    return FindFrom(box, start, findText, matchCase);
}

bool ReplaceOnce(QPlainTextEdit& box, const QString& findText, const QString& replaceText, bool matchCase)
{
    // A selection that already is a match is replaced at once, also when no Find Next made it.
    if (!SelectionMatches(selectedPlainText(box), findText, matchCase) && !FindNext(box, findText, matchCase))
        return false;
    QTextCursor cursor = box.textCursor();
    cursor.insertText(replaceText);
    box.setTextCursor(cursor);
    // Continue behind the inserted text, whatever its length.
    const int behind = cursor.position();
    if (!FindFrom(box, behind, findText, matchCase)) {
        cursor.setPosition(behind);
        box.setTextCursor(cursor);
    }
    return true;
}

void ReplaceEvery(QPlainTextEdit& box, const QString& findText, const QString& replaceText, bool matchCase)
{
    if (!SelectionMatches(selectedPlainText(box), findText, matchCase) && !FindNext(box, findText, matchCase))
        return;
    const QString text = box.toPlainText();
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const int first = box.textCursor().selectionStart();
    const int length = findText.size();

    // The occurrences of the text as it stands: the first match, and those around it that do not
    // overlap it, each searched in the original text so nothing inserted is found again.
    std::vector<Match> matches;
    for (int at = text.indexOf(findText, 0, cs); at >= 0 && at + length <= first; at = text.indexOf(findText, at + length, cs))
        matches.push_back({at, length});
    matches.push_back({first, length});
    for (int at = text.indexOf(findText, first + length, cs); at >= 0; at = text.indexOf(findText, at + length, cs))
        matches.push_back({at, length});

    QTextCursor cursor(box.document());
    cursor.beginEditBlock();
    for (auto m = matches.rbegin(); m != matches.rend(); ++m) {
        cursor.setPosition(m->at);
        cursor.setPosition(m->at + m->length, QTextCursor::KeepAnchor);
        cursor.insertText(replaceText);
    }
    cursor.endEditBlock();
    box.setTextCursor(cursor);
}

TFindDialog& FindDialogOf(EditorEnv& env)
{
    if (auto* dialog = env.window->findChild<TFindDialog*>(QStringLiteral("FindDialog")))
        return *dialog;
    auto* dialog = new TFindDialog(env.window);
    dialog->setWindowFlag(Qt::Tool);
    QObject::connect(dialog, &TFindDialog::Find, dialog, [env]() mutable { FindDialogFind(env); });
    return *dialog;
}

TReplaceDialog& ReplaceDialogOf(EditorEnv& env)
{
    if (auto* dialog = env.window->findChild<TReplaceDialog*>(QStringLiteral("ReplaceDialog")))
        return *dialog;
    auto* dialog = new TReplaceDialog(env.window);
    dialog->setWindowFlag(Qt::Tool);
    QObject::connect(dialog, &TReplaceDialog::Find, dialog, [env]() mutable { ReplaceDialogFind(env); });
    QObject::connect(dialog, &TReplaceDialog::Replace, dialog, [env](bool all) mutable { ReplaceDialogReplace(env, all); });
    return *dialog;
}

void ShowFindDialog(EditorEnv& env, QPlainTextEdit* box)
{
    env.state.FindReplaceTarget = box;
    TFindDialog& dialog = FindDialogOf(env);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

void ShowReplaceDialog(EditorEnv& env, QPlainTextEdit* box)
{
    env.state.FindReplaceTarget = box;
    TReplaceDialog& dialog = ReplaceDialogOf(env);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

void FindDialogFind(EditorEnv& env)
{
    QPlainTextEdit* box = env.state.FindReplaceTarget;
    if (!box)
        return;
    const TFindDialog& dialog = FindDialogOf(env);
    if (FindNext(*box, dialog.FindText(), dialog.MatchCase()))
        showCaret(env);
    box->setFocus();
}

void ReplaceDialogFind(EditorEnv& env)
{
    QPlainTextEdit* box = env.state.FindReplaceTarget;
    if (!box)
        return;
    const TReplaceDialog& dialog = ReplaceDialogOf(env);
    env.state.ReplaceMatchFound = FindNext(*box, dialog.FindText(), dialog.MatchCase());
    if (env.state.ReplaceMatchFound)
        showCaret(env);
    box->setFocus();
}

void ReplaceDialogReplace(EditorEnv& env, bool all)
{
    TReplaceDialog& dialog = ReplaceDialogOf(env);
    QPlainTextEdit* box = env.state.FindReplaceTarget;
    if (!box) {
        if (all)
            dialog.close();
        return;
    }
    if (all) {
        ReplaceEvery(*box, dialog.FindText(), dialog.ReplaceText(), dialog.MatchCase());
        dialog.close();
    } else {
        env.state.ReplaceMatchFound = ReplaceOnce(*box, dialog.FindText(), dialog.ReplaceText(), dialog.MatchCase());
    }
    showCaret(env);
    box->setFocus();
}

QStringList FormatSqlSource(const QStringList& lines)
{
    QStringList trimmed;
    for (const QString& line : lines)
        trimmed << line.trimmed();
    QString text = trimmed.join(QLatin1Char('\n')).toUpper();
    text.remove(QLatin1Char('+'));
    text.remove(QLatin1Char('\''));
    QStringList result = text.split(QLatin1Char('\n'));
    for (QString& line : result) {
        line.remove(QStringLiteral("SQL.ADD("));
        line.remove(QStringLiteral(");"));
        while (line.contains(QStringLiteral("  ")))
            line.replace(QStringLiteral("  "), QStringLiteral(" "));
    }
    return result;
}

void WriteFontSection(const QString& section, const QFont& font, const QColor& colour)
{
    platform::IniFile(kQuorvelIni).update([&](platform::IniDocument& ini) {
        ini.writeString(section, QStringLiteral("FONTNAME"), font.family());
        ini.writeInteger(section, QStringLiteral("FONTSTYLE"), FontStyleToInt(FontStyleOf(font)));
        // A font sized in pixels is stored as a negative height, as the loader reads it back.
        ini.writeInteger(section, QStringLiteral("FONTSIZE"), font.pointSize() > 0 ? font.pointSize() : -font.pixelSize());
        ini.writeInteger(section, QStringLiteral("FONTCOLOR"), QColorToTColor(colour));
    });
}

QStringList LoadLines(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void SaveLines(const QString& fileName, const QStringList& lines)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
    QByteArray data;
    for (const QString& line : lines)
        data += line.toUtf8() + '\n';
    if (file.write(data) != data.size() || !file.flush())
        throw std::runtime_error(QStringLiteral("Cannot write file \"%1\". %2").arg(fileName, file.errorString()).toStdString());
}

void SubMenuItem_OpenClick(EditorEnv& env, QObject* Sender)
{
    QPlainTextEdit* box = PopupOwnerEdit(env, Sender);
    if (!box)
        return;
    const QString fileName = platform::modal::openFileName(env.window, QString(), env.state.LastSqlFile, kOpenFilter);
    if (fileName.isEmpty())
        return;
    RunShowingExceptions([&] {
        env.state.LastSqlFile = fileName;
        setBoxLines(*box, LoadLines(fileName));
    });
    showCaret(env);
}

void SubMenuItem_SaveClick(EditorEnv& env, QObject* Sender)
{
    QPlainTextEdit* box = PopupOwnerEdit(env, Sender);
    if (!box)
        return;
    const QString fileName =
        platform::modal::saveFileName(env.window, QString(), env.state.LastSqlFile, kSaveFilter, QStringLiteral("txt"));
    if (fileName.isEmpty())
        return;
    RunShowingExceptions([&] {
        env.state.LastSqlFile = fileName;
        SaveLines(fileName, boxLines(*box));
    });
}

void MenuItem_ClearClick(EditorEnv& env, QObject* Sender)
{
    if (QPlainTextEdit* box = PopupOwnerEdit(env, Sender))
        results_box::Clear(*box);
}

void MenuItem_SelectAllClick(EditorEnv& env, QObject* Sender)
{
    if (QPlainTextEdit* box = PopupOwnerEdit(env, Sender)) {
        box->selectAll();
        showCaret(env);
    }
}

void MenuItem_CopyClick(EditorEnv& env, QObject* Sender)
{
    if (QPlainTextEdit* box = PopupOwnerEdit(env, Sender)) {
        box->copy();
        showCaret(env);
    }
}

void MenuItem_CutClick(EditorEnv& env, QObject* Sender)
{
    if (QPlainTextEdit* box = PopupOwnerEdit(env, Sender)) {
        box->cut();
        showCaret(env);
    }
}

void MenuItem_PasteClick(EditorEnv& env, QObject* Sender)
{
    if (QPlainTextEdit* box = PopupOwnerEdit(env, Sender)) {
        box->paste();
        showCaret(env);
    }
}

void MenuItem_FindClick(EditorEnv& env, QObject* Sender)
{
    if (QPlainTextEdit* box = PopupOwnerEdit(env, Sender))
        ShowFindDialog(env, box);
}

void MenuItem_ReplaceClick(EditorEnv& env, QObject* Sender)
{
    if (QPlainTextEdit* box = PopupOwnerEdit(env, Sender)) {
        ShowReplaceDialog(env, box);
        showCaret(env);
    }
}

void MenuItem_SetFontClick(EditorEnv& env, QObject* Sender)
{
    QPlainTextEdit* box = PopupOwnerEdit(env, Sender);
    if (!box)
        return;
    if (const std::optional<QFont> chosen = platform::modal::font(env.window, box->font())) {
        box->setFont(*chosen);
        RunShowingExceptions([&] { WriteFontSection(box->objectName(), *chosen, box->palette().color(QPalette::Text)); });
    }
    showCaret(env);
}

void SubMenuItem_PrintClick(EditorEnv& env, QObject* Sender)
{
    QPlainTextEdit* box = PopupOwnerEdit(env, Sender);
    if (!box)
        return;
    QPrinter printer;
    if (!platform::modal::printDialog(env.window, printer))
        return;
    printer.setDocName(QString());
    box->print(&printer);
}

void MenuItem_OpenClick(EditorEnv& env)
{
    const QString fileName = platform::modal::openFileName(env.window, QString(), env.state.LastSqlFile, kOpenFilter);
    if (fileName.isEmpty())
        return;
    RunShowingExceptions([&] { setBoxLines(*env.ui.Memo_SQL, LoadLines(fileName)); });
}

void MenuItem_SaveClick(EditorEnv& env)
{
    if (!sqlPageActive(env))
        return;
    const QString fileName =
        platform::modal::saveFileName(env.window, QString(), env.state.LastSqlFile, kSaveFilter, QStringLiteral("txt"));
    if (fileName.isEmpty()) {
        env.state.LastSqlFile.clear();
        return;
    }
    RunShowingExceptions([&] {
        env.state.LastSqlFile = fileName;
        SaveLines(fileName, boxLines(*env.ui.Memo_SQL));
        // The configuration is read again; the login given at start-up is filled in as then.
        if (env.registry && env.state.RegistryIni) {
            env.registry->LoadDatabases();
            const QString type = GetDatabaseType(*env.state.RegistryIni, env.state.CurrentDataSource);
            env.registry->FindCurrentDatabase(type);
            FillInStartUpLogin(env.state);
        }
    });
}

void MenuItem_SQLViewerClick(EditorEnv& env)
{
    const QString sql = env.Query ? env.Query->sql().join(QStringLiteral("\r\n")) : QString();
    AppMessageDlg(sql, mtInformation, mbOK);
}

void BitBtn_CodeFormatClick(EditorEnv& env)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    setBoxLines(*env.ui.Memo_SQL, FormatSqlSource(boxLines(*env.ui.Memo_SQL)));
    QGuiApplication::restoreOverrideCursor();
}
