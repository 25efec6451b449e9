#include "workspace/sqlpage/SqlCommandLine.h"

#include "app/MainState.h"
#include "app/StartUp.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "workspace/MainWindow.h"
#include "workspace/ResultsBox.h"
#include "workspace/sqlpage/ResultsListing.h"
#include "workspace/sqlpage/StatementCheck.h"
#include "workspace/sqlpage/TextEditor.h"

#include "ui_Main.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTextCursor>
#include <QTextDocument>

#include <exception>
#include <optional>
#include <utility>
#include <vector>

namespace {

using platform::engine::EngineError;
using platform::engine::Query;

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kRowsPerYield = 100;
// How long the listing waits for rows before it lets the window's messages through.
constexpr int kWaitForRows = 20;
const QString kListingRunning = QStringLiteral("The listing is still running: press Esc to stop it.");
constexpr int kListingRunningMs = 5000;
// Set on BitBtn_Execute2 while a listing runs.
constexpr const char* kListingProperty = "qvListingRunning";

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// While a listing yields to the message loop, nothing else may use the query: Execute, the
// templates, the page tabs and the main menu are disabled until it ends. Closing the window ends
// the listing at its next check, and so does Esc: in the window through its key preview, and
// here in the program's other windows (the Find dialog, a popup menu), which the key preview
// does not see.
class ListingGuard : public QObject {
public:
    explicit ListingGuard(SqlPageEnv& env) : env_(env)
    {
        Ui::TForm_Main& u = env.ui;
        u.BitBtn_Execute2->setProperty(kListingProperty, true);
        for (QWidget* w : {static_cast<QWidget*>(u.BitBtn_Execute2), static_cast<QWidget*>(u.BitBtn_Select),
                           static_cast<QWidget*>(u.BitBtn_Update2), static_cast<QWidget*>(u.BitBtn_Insert),
                           static_cast<QWidget*>(u.BitBtn_AddFields), static_cast<QWidget*>(u.BitBtn_CodeFormat),
                           static_cast<QWidget*>(u.PageControl->tabBar()), static_cast<QWidget*>(u.MainMenu)}) {
            widgets_.emplace_back(w, w->isEnabled());
            w->setEnabled(false);
        }
        actions_.emplace_back(u.MenuItem_Execute2, u.MenuItem_Execute2->isEnabled());
        u.MenuItem_Execute2->setEnabled(false);
        qApp->installEventFilter(this);
    }

    ~ListingGuard() override
    {
        qApp->removeEventFilter(this);
        for (auto& [w, enabled] : widgets_)
            if (w)
                w->setEnabled(enabled);
        for (auto& [a, enabled] : actions_)
            if (a)
                a->setEnabled(enabled);
        env_.ui.BitBtn_Execute2->setProperty(kListingProperty, false);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && env_.window && watched == env_.window)
            env_.state.AbortListing = true;
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape
            && watched->isWidgetType() && env_.window) {
            const QWidget* window = static_cast<QWidget*>(watched)->window();
            if (window != env_.window && ownedByWindow(window))
                env_.state.AbortListing = true;
        }
        return false;
    }

private:
    bool ownedByWindow(const QWidget* widget) const
    {
        for (; widget; widget = widget->parentWidget())
            if (widget == env_.window)
                return true;
        return false;
    }

    SqlPageEnv& env_;
    std::vector<std::pair<QPointer<QWidget>, bool>> widgets_;
    std::vector<std::pair<QPointer<QAction>, bool>> actions_;
};

QStringList boxLines(const QPlainTextEdit& box)
{
    return box.toPlainText().split(QLatin1Char('\n'));
}

// The box's selection with its line breaks as CR LF.
QString selectedText(const QPlainTextEdit& box)
{
    QString text = box.textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, kCrLf);
    text.replace(QChar::LineSeparator, kCrLf);
    return text;
}

// The SQL text of the query is replaced as a whole, as assigning a text to its lines does.
void setQueryText(Query& query, const QString& text)
{
    query.close();
    QStringList lines = text.split(kCrLf);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    query.sql() = lines;
}

// The query's SQL text: every line followed by CR LF.
QString queryText(Query& query)
{
    return StatementText(query.sql());
}

void reportDatabaseError(SqlPageEnv& env, const EngineError& error)
{
    AppMessageDlg(error.message() + kCrLf + kCrLf + queryText(env.query), mtError, mbOK);
}

// The results box shows its beginning with the caret at the start of line 1.
void showResultsTop(SqlPageEnv& env)
{
    QPlainTextEdit* box = env.ui.Memo_Results;
    if (box->document()->isEmpty())
        return;
    QTextCursor start(box->document());
    start.movePosition(QTextCursor::Start);
    box->setTextCursor(start);
    box->verticalScrollBar()->setValue(0);
    box->horizontalScrollBar()->setValue(0);
    ShowCaretPosition(env);
}

bool executeStatement(SqlPageEnv& env, const QString& text)
{
    setQueryText(env.query, text);
    try {
        env.query.execSQL();
    } catch (const EngineError& error) {
        reportDatabaseError(env, error);
        return false;
    }
    return true;
}

// Returns false when a database error ended the listing. The rows are read on a thread of their
// own while this one puts their lines into the box and yields every 100 rows, as a listing on this
// thread alone would: the lines of the row being listed at the yield that sees Esc are the last.
// While the reader is slower than the box, the window's messages are let through as it waits, so
// Esc is seen at once also then.
bool listRows(SqlPageEnv& env, const QString& text, bool showFieldNames)
{
    Query& query = env.query;
    setQueryText(query, text);
    std::optional<results_box::Appender> writer;
    try {
        query.open();
        QPlainTextEdit* box = env.ui.Memo_Results;
        results_box::Clear(*box);
        writer.emplace(*box);
        // The listing is not an edit to undo; keeping its steps would cost more than the listing.
        QTextDocument* doc = box->document();
        doc->setUndoRedoEnabled(false);
        struct UndoBack {
            QTextDocument* doc;
            ~UndoBack() { doc->setUndoRedoEnabled(true); }
        } undoBack{doc};
        QStringList names;
        for (int i = 0; i < query.fieldCount(); ++i)
            names << query.fields(i).fieldName();
        const int linesPerRow = showFieldNames ? int(names.size()) + 3 : 1;
        const auto processMessages = [&env] {
            if (env.processMessages)
                env.processMessages();
        };
        std::exception_ptr failure;
        bool aborted = false;
        {
            ListingGuard guard(env);
            platform::engine::RowReaderLease lease(query);
            ListingReader reader(query, names, showFieldNames, kRowsPerYield);
            ListingGroup group;
            qsizetype listed = 0;
            for (;;) {
                const ListingReader::Taken taken = reader.take(group, kWaitForRows);
                if (taken == ListingReader::Taken::Ended)
                    break;
                if (taken == ListingReader::Taken::NotYet) {
                    writer->write();
                    processMessages();
                    if (env.state.AbortListing) {
                        aborted = true;
                        break;
                    }
                    continue;
                }
                writer->writeIfDue();
                ShowCaretPosition(env);
                processMessages();
                if (env.state.AbortListing) {
                    writer->add(QStringView(group.text).first(group.firstRowEnd), linesPerRow);
                    ++listed;
                    aborted = true;
                    break;
                }
                writer->add(group.text, group.rows * linesPerRow);
                listed += group.rows;
            }
            reader.stop();
            // A failure after the last row listed is not the listing's.
            if (!aborted || reader.rowsBeforeError() == listed)
                failure = reader.error();
            writer->finish();
        }
        if (failure)
            std::rethrow_exception(failure);
        // Stopped by Esc, the query lets its statement go when it next runs one: freeing what the
        // driver holds of a large result takes longer than Esc may.
        if (!aborted)
            query.close();
        ShowCaretPosition(env);
    } catch (const EngineError& error) {
        if (writer)
            writer->finish();  // what was listed stays
        reportDatabaseError(env, error);
        return false;
    }
    return true;
}

// An UPDATE or DELETE runs in a transaction, and the question asks about the rows it changed
// there: the number confirmed is the number written, whatever the statement's comments and
// literals hold. Yes commits; any other answer rolls back. False when a failure was reported.
bool runConfirmed(SqlPageEnv& env, platform::engine::Database& database, const QString& text, const QString& kind)
{
    Query& query = env.query;
    setQueryText(query, text);
    int count = 0;
    try {
        database.startTransaction();
        query.execSQL();
        count = query.rowsAffected();
        if (count < 0)
            throw EngineError(QStringLiteral("The driver did not tell how many records the statement changed."));
    } catch (const EngineError& error) {
        database.rollback();
        AppMessageDlg(QStringLiteral("The query would result in an error and cannot be executed.") + kCrLf + kCrLf
                          + error.message() + kCrLf + kCrLf + queryText(query),
                      mtWarning, mbOK);
        return false;
    }
    const int answer =
        platform::modal::messageBox(env.window, QMessageBox::Question, QStringLiteral("Confirm"),
                                    ConfirmationText(kind.toLower(), count), QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        database.rollback();
        return true;
    }
    try {
        database.commit();
    } catch (const EngineError& error) {
        AppMessageDlg(QStringLiteral("The ") + kind.toLower() + QStringLiteral(" could not be committed, and nothing was "
                                                                               "stored.")
                          + kCrLf + kCrLf + error.message() + kCrLf + kCrLf + queryText(query),
                      mtError, mbOK);
        return false;
    }
    return true;
}

void runStatement(SqlPageEnv& env)
{
    WaitCursor wait;
    MainState& state = env.state;
    state.AbortListing = false;
    const bool showFieldNames = env.ui.MenuItem_ShowFieldNames->isChecked();
    state.StatementLines.clear();
    env.query.close();
    env.query.sql().clear();

    state.StatementLines = CollectStatementLines(boxLines(*env.ui.Memo_SQL), selectedText(*env.ui.Memo_SQL));
    const QString text = StatementText(state.StatementLines);
    const QString kind = StatementKind(text);
    const bool select = kind == QLatin1String("SELECT");
    const bool change = kind == QLatin1String("UPDATE") || kind == QLatin1String("DELETE");
    if (!select && !change && kind != QLatin1String("INSERT")) {
        AppMessageDlg(QStringLiteral("Only INSERT, UPDATE, DELETE and SELECT statements are supported.") + kCrLf
                          + kCrLf + text,
                      mtError, mbOK);
        return;
    }
    platform::engine::Database* database = platform::engine::Session::instance().findDatabase(env.query.databaseName());
    if (!database) {
        // Reported as the statement's own failure would be: nothing can be sent.
        AppMessageDlg(QStringLiteral("The database '") + env.query.databaseName() + QStringLiteral("' is not connected.")
                          + kCrLf + kCrLf + text,
                      mtError, mbOK);
        return;
    }
    if (RefuseStatementText(text, *database))
        return;

    if (select) {
        if (!listRows(env, text, showFieldNames))
            return;
    } else if (change) {
        if (!runConfirmed(env, *database, text, kind))
            return;
    } else if (!executeStatement(env, text)) {
        return;
    }
    showResultsTop(env);
}

// Said in the status bar, so the listing goes on meanwhile; with the bar hidden, in a message.
void tellListingRunning(SqlPageEnv& env)
{
    QStatusBar* bar = env.ui.StatusBar;
    if (bar->isVisibleTo(env.window))
        bar->showMessage(kListingRunning, kListingRunningMs);
    else
        AppMessageDlg(kListingRunning, mtInformation, mbOK);
}

bool isSqlBox(const SqlPageEnv& env, const QObject* object)
{
    return object && (object == env.ui.Memo_SQL || object == env.ui.Memo_Results);
}

// The boxes' event handlers, as the window would bind OnKeyDown, OnKeyPress, OnKeyUp, OnEnter
// and OnMouseUp.
class SqlBoxEvents : public QObject {
public:
    explicit SqlBoxEvents(TForm_Main& form) : QObject(&form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            SqlPageEnv env = MakeSqlPageEnv(form_);
            if (Memo_SQLKeyDown(env, watched, key->key(), key->modifiers()))
                return true;
            if (!key->text().isEmpty())
                Memo_SQLKeyPress(env);
            break;
        }
        case QEvent::KeyRelease: {
            SqlPageEnv env = MakeSqlPageEnv(form_);
            Memo_ResultsKeyUp(env);
            break;
        }
        case QEvent::FocusIn: {
            SqlPageEnv env = MakeSqlPageEnv(form_);
            Memo_SQLEnter(env);
            break;
        }
        case QEvent::MouseButtonRelease: {
            SqlPageEnv env = MakeSqlPageEnv(form_);
            Memo_SQLMouseUp(env);
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    TForm_Main& form_;
};

} // namespace

SqlPageEnv MakeSqlPageEnv(TForm_Main& form)
{
    SqlPageEnv env{form.state(), form.ui(), &form, form.statusPanel(1), form.Query, {}, {}, {}};
    env.processMessages = [] { QCoreApplication::processEvents(); };
    env.openFindDialog = [&form](QPlainTextEdit* box) {
        EditorEnv editor = MakeEditorEnv(form);
        ShowFindDialog(editor, box);
    };
    env.openReplaceDialog = [&form](QPlainTextEdit* box) {
        EditorEnv editor = MakeEditorEnv(form);
        ShowReplaceDialog(editor, box);
    };
    return env;
}

void InstallSqlCommandLine(TForm_Main& form)
{
    auto* events = new SqlBoxEvents(form);
    for (QPlainTextEdit* box : {form.ui().Memo_SQL, form.ui().Memo_Results}) {
        box->installEventFilter(events);
        // Mouse releases reach the viewport, not the box.
        box->viewport()->installEventFilter(events);
    }
}

QStringList CollectStatementLines(const QStringList& boxLines, const QString& selectedText)
{
    if (!selectedText.isEmpty())
        return {selectedText.trimmed()};
    QStringList lines;
    for (const QString& line : boxLines) {
        if (line.isEmpty())
            continue;
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("//")))
            continue;
        lines << trimmed;
    }
    return lines;
}

QString StatementText(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + kCrLf;
    return text;
}

QString StatementKind(const QString& statementText)
{
    return statementText.trimmed().toUpper().left(6);
}

QString ConfirmationText(const QString& kind, int count)
{
    return QStringLiteral("The ") + kind + QStringLiteral(" query will affect ") + QString::number(count)
           + QStringLiteral(" records.  Are you sure you want to continue executing the ") + kind
           + QLatin1Char('?');
}

QStringList ListingLines(const QStringList& names, const QStringList& values, bool showFieldNames)
{
    if (!showFieldNames) {
        QString line;
        for (const QString& value : values)
            line += value + QLatin1Char('|');
        return {line};
    }
    const QStringList padded = PaddedFieldNames(names);
    const QString unnamed = PaddedFieldNames({QString()}).constFirst();
    QStringList lines;
    for (qsizetype i = 0; i < values.size(); ++i)
        lines << (i < padded.size() ? padded[i] : unnamed) + QLatin1Char('\'') + values[i] + QLatin1Char('\'');
    lines << QString() << QString() << QString();
    return lines;
}

QString CaretPositionText(int line, int column)
{
    return QLatin1Char('[') + QString::number(line + 1) + QLatin1Char(',') + QString::number(column + 1)
           + QLatin1Char(']');
}

QString CaretPositionText(const QPlainTextEdit& box)
{
    const QTextCursor cursor = box.textCursor();
    return CaretPositionText(cursor.blockNumber(), cursor.positionInBlock());
}

void BitBtn_Execute2Click(SqlPageEnv& env)
{
    // A second Execute while a listing yields would reuse the query under it.
    if (SqlListingRunning(env)) {
        tellListingRunning(env);
        return;
    }
    try {
        runStatement(env);
    } catch (const std::exception& error) {
        ShowApplicationException(error);
    }
}

bool SqlListingRunning(const SqlPageEnv& env)
{
    return env.ui.BitBtn_Execute2->property(kListingProperty).toBool();
}

void ShowCaretPosition(const SqlPageEnv& env)
{
    if (!env.window || !env.caretPanel)
        return;
    auto* box = qobject_cast<QPlainTextEdit*>(env.window->focusWidget());
    if (!isSqlBox(env, box))
        return;
    const QString text = CaretPositionText(*box);
    if (env.caretPanel->text() != text)
        env.caretPanel->setText(text);
}

void ShowCaretPosition(TForm_Main& form)
{
    ShowCaretPosition(MakeSqlPageEnv(form));
}

bool Memo_SQLKeyDown(SqlPageEnv& env, QObject* Sender, int Key, Qt::KeyboardModifiers Shift)
{
    if (!isSqlBox(env, Sender))
        return false;
    auto* box = static_cast<QPlainTextEdit*>(Sender);
    const bool ctrl = Shift.testFlag(Qt::ControlModifier);
    if (ctrl && (Key == Qt::Key_F || Key == Qt::Key_R)) {
        env.state.FindReplaceTarget = box;
        const auto& open = Key == Qt::Key_F ? env.openFindDialog : env.openReplaceDialog;
        if (open)
            open(box);
        ShowCaretPosition(env);
        return true;
    }
    if (Key == Qt::Key_F5 || (ctrl && Key == Qt::Key_E)) {
        ShowCaretPosition(env);
        BitBtn_Execute2Click(env);
        return true;
    }
    return false;
}

void Memo_SQLKeyPress(SqlPageEnv& env) { ShowCaretPosition(env); }

void Memo_ResultsKeyUp(SqlPageEnv& env) { ShowCaretPosition(env); }

void Memo_SQLEnter(SqlPageEnv& env) { ShowCaretPosition(env); }

void Memo_SQLMouseUp(SqlPageEnv& env) { ShowCaretPosition(env); }
