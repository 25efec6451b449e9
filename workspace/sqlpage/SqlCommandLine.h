#pragma once
// The SQL Command Line page: runs the statement typed into Memo_SQL on the window's query, lists
// a SELECT as text in Memo_Results, runs an UPDATE or DELETE in a transaction that is kept only
// when the user confirms the count of rows it changed, and shows the caret position of the
// focused box in status-bar panel 1.
#include <QString>
#include <QStringList>
#include <Qt>
#include <functional>

class QLabel;
class QObject;
class QPlainTextEdit;
class QWidget;
class TForm_Main;
struct MainState;
namespace Ui { class TForm_Main; }
namespace platform::engine { class Query; }

// What the page's commands reach of the main window.
struct SqlPageEnv {
    MainState& state;
    Ui::TForm_Main& ui;
    QWidget* window = nullptr;          // the main window: its active control, the dialogs' parent
    QLabel* caretPanel = nullptr;       // status-bar panel 1
    platform::engine::Query& query;     // the window's one query dataset
    // Lets pending window messages run; a listing calls it every 100 rows.
    std::function<void()> processMessages;
    // Ctrl+F and Ctrl+R: the Find or Replace dialog opens on the box.
    std::function<void(QPlainTextEdit*)> openFindDialog;
    std::function<void(QPlainTextEdit*)> openReplaceDialog;
};

SqlPageEnv MakeSqlPageEnv(TForm_Main& form);
// Routes the key, focus and mouse events of Memo_SQL and Memo_Results to the handlers below.
void InstallSqlCommandLine(TForm_Main& form);

// The statement of one run: the selection trimmed, as one entry, when there is one; otherwise
// every line of the box trimmed, leaving out empty lines and lines that begin with "//".
QStringList CollectStatementLines(const QStringList& boxLines, const QString& selectedText);
// The text form sent to the database: every entry followed by CR LF.
QString StatementText(const QStringList& lines);
// The first six characters of the trimmed, upper-cased text.
QString StatementKind(const QString& statementText);
QString ConfirmationText(const QString& kind, int count);
// The lines one row adds to the listing: one line of values each closed by "|", or, with field
// names, one line per field (name padded to 20, value in single quotes) and three empty lines.
QStringList ListingLines(const QStringList& names, const QStringList& values, bool showFieldNames);
// "[line,column]" from a line and column counted from 0.
QString CaretPositionText(int line, int column);
QString CaretPositionText(const QPlainTextEdit& box);

// The Execute command: always runs the text of Memo_SQL.
void BitBtn_Execute2Click(SqlPageEnv& env);
bool SqlListingRunning(const SqlPageEnv& env);

// Writes the caret position of the focused box into panel 1; another focused control changes
// nothing.
void ShowCaretPosition(const SqlPageEnv& env);
void ShowCaretPosition(TForm_Main& form);

// OnKeyDown of both boxes: Ctrl+F, Ctrl+R, F5 and Ctrl+E. Returns true when the key is consumed.
bool Memo_SQLKeyDown(SqlPageEnv& env, QObject* Sender, int Key, Qt::KeyboardModifiers Shift);
void Memo_SQLKeyPress(SqlPageEnv& env);
void Memo_ResultsKeyUp(SqlPageEnv& env);
void Memo_SQLEnter(SqlPageEnv& env);
void Memo_SQLMouseUp(SqlPageEnv& env);
