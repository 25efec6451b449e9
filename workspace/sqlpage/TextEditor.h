#pragma once
// The commands of the SQL page's two text boxes: the shared popup, Find and Replace, the File
// menu's Open and Save of the SQL text, Set Font, Format and the SQL viewer.
#include <QString>
#include <QStringList>
#include <functional>

class DatabaseRegistry;
class QColor;
class QFont;
class QObject;
class QPlainTextEdit;
class QWidget;
class TFindDialog;
class TForm_Main;
class TReplaceDialog;
struct MainState;
namespace Ui { class TForm_Main; }
namespace platform::engine { class Query; }

// What the editor commands reach of the main window.
struct EditorEnv {
    MainState& state;
    Ui::TForm_Main& ui;
    QWidget* window = nullptr;               // parent of the dialogs
    platform::engine::Query* Query = nullptr;  // the SQL viewer shows its text
    DatabaseRegistry* registry = nullptr;     // File > Save reads the database list again
    std::function<void()> showCaretPosition;  // may be empty
};

EditorEnv MakeEditorEnv(TForm_Main& form);

// Name of the dynamic property of PopupMenu_RE that holds the box the popup was opened on.
inline constexpr const char* kPopupOwnerProperty = "PopupComponent";

// The box the popup was opened on, when Sender is one of the popup's items; else null.
QPlainTextEdit* PopupOwnerEdit(const EditorEnv& env, QObject* Sender);

// A selection equals the find text when both are equal upper-cased, or exactly with Match case.
bool SelectionMatches(const QString& selected, const QString& findText, bool matchCase);
// Searches from start to the end; a match is selected and scrolled to the second visible line.
bool FindFrom(QPlainTextEdit& box, int start, const QString& findText, bool matchCase);
// Starts behind a non-empty selection, else at the top; the caret alone is never a start.
bool FindNext(QPlainTextEdit& box, const QString& findText, bool matchCase);
// Replaces the match (found first when the selection is none) and selects the next one. Returns
// whether a match was found to replace.
bool ReplaceOnce(QPlainTextEdit& box, const QString& findText, const QString& replaceText, bool matchCase);
// Replaces the first match from the selection on, then every other occurrence that stood in the
// text; text put in by a replacement is not searched again. Nothing when no first match is found.
void ReplaceEvery(QPlainTextEdit& box, const QString& findText, const QString& replaceText, bool matchCase);

// The dialogs, made on first use as children of env.window.
TFindDialog& FindDialogOf(EditorEnv& env);
TReplaceDialog& ReplaceDialogOf(EditorEnv& env);
// FindReplaceTarget := box; the dialog shows (also for Ctrl+F and Ctrl+R of the boxes).
void ShowFindDialog(EditorEnv& env, QPlainTextEdit* box);
void ShowReplaceDialog(EditorEnv& env, QPlainTextEdit* box);
void FindDialogFind(EditorEnv& env);
void ReplaceDialogFind(EditorEnv& env);
void ReplaceDialogReplace(EditorEnv& env, bool all);

// Program source lines of SQL.ADD('...'); calls back to plain SQL.
QStringList FormatSqlSource(const QStringList& lines);
// Writes FONTNAME, FONTSTYLE, FONTSIZE and FONTCOLOR into the box's section of Quorvel.ini.
void WriteFontSection(const QString& section, const QFont& font, const QColor& colour);

// Lines of a text file, read as written by SaveLines; throws std::runtime_error on failure.
QStringList LoadLines(const QString& fileName);
void SaveLines(const QString& fileName, const QStringList& lines);

// The popup's items; each does nothing when Sender gives no owner box.
void SubMenuItem_OpenClick(EditorEnv& env, QObject* Sender);
void SubMenuItem_SaveClick(EditorEnv& env, QObject* Sender);
void MenuItem_ClearClick(EditorEnv& env, QObject* Sender);
void MenuItem_SelectAllClick(EditorEnv& env, QObject* Sender);
void MenuItem_CopyClick(EditorEnv& env, QObject* Sender);
void MenuItem_CutClick(EditorEnv& env, QObject* Sender);
void MenuItem_PasteClick(EditorEnv& env, QObject* Sender);
void MenuItem_FindClick(EditorEnv& env, QObject* Sender);
void MenuItem_ReplaceClick(EditorEnv& env, QObject* Sender);
void MenuItem_SetFontClick(EditorEnv& env, QObject* Sender);
void SubMenuItem_PrintClick(EditorEnv& env, QObject* Sender);

// File menu Open and Save of Memo_SQL, the SQL viewer and Format.
void MenuItem_OpenClick(EditorEnv& env);
void MenuItem_SaveClick(EditorEnv& env);
void MenuItem_SQLViewerClick(EditorEnv& env);
void BitBtn_CodeFormatClick(EditorEnv& env);

// File filters of the two text dialogs.
inline const QString kOpenFilter =
    QStringLiteral("Text Files|*.txt|Ini Files|*.ini|Pascal Files|*.pas|SQL Files|*.sql|All Files|*.*");
inline const QString kSaveFilter = QStringLiteral("Text Files|*.txt|SQL Files|*.sql|Ini Files|*.ini|All Files|*.*");
