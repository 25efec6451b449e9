#include "workspace/tablepage/QueryByExample.h"

#include "app/ConnectionStatus.h"
#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/BVQry.h"
#include "components/BVValid.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/ExactReals.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/SortOrdr.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/sqlpage/StatementCheck.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QAbstractButton>
#include <QAction>
#include <QElapsedTimer>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <vector>

using platform::engine::Field;
using platform::engine::FieldType;

namespace {

QString quoted(const QString& value) { return SqlLiteral(platform::engine::ftString, value); }

// The translator doubles the quotes of what it writes, so a criterion only gets its enclosing pair.
QString enclosed(const QString& value) { return QLatin1Char('\'') + value + QLatin1Char('\''); }

bool isMarkedNull(const QString& hint) { return hint == QLatin1String("null"); }

// How often a running walk paints its count.
constexpr qint64 kCountPaintMs = 100;

// The term that selects a floating-point value's own row: the shortest text that reads back to
// the double fetched, or a DECIMAL's digits as the driver gave them. A single-precision value is
// written as the shortest text of that single, quoted, so that the database reads it in the
// column's own type: a double of the same text differs from it.
QString floatTerm(const QString& name, const Field& field)
{
    constexpr int kSqlReal = 7;  // the ODBC type code of a single-precision column
    if (field.sqlType() == kSqlReal && std::isfinite(field.asFloat())) {
        char text[64];
        const auto end = std::to_chars(text, text + sizeof text, float(field.asFloat())).ptr;
        return name + QLatin1Char('=') + quoted(QString::fromLatin1(text, int(end - text)));
    }
    // Infinities and NaN are no literal: only their text is.
    static const QRegularExpression number(QStringLiteral("^-?[0-9.]+([eE][+-]?[0-9]+)?$"));
    const QString text = field.asString();
    return name + QLatin1Char('=') + (number.match(text).hasMatch() ? text : quoted(text));
}

// Beside "*" in the rows of a table without keys on SQLite, whose driver rounds a REAL to 15
// digits: SQLite's own text of each float column, in column order, from which a row's key clause
// selects that row alone. Unnamed, so that a sort order naming a column still sorts by its number.
QStringList exactRealTexts(TablePageEnv& env)
{
    QStringList texts;
    if (!ReadsRealsAsPrintedText(DbmsNameOf(env.databaseName)))
        return texts;
    for (const auto& [lower, column] : env.state.ColumnList)
        if (column && column->ColumnType == platform::engine::ftFloat)
            texts << PrintedRealExpression(QuoteIfBlank(column->ColumnName));
    return texts;
}

// The exact texts that exactRealTexts added after the table's fields, by the field of the float
// column each stands for; empty when the fields are not those of Columns followed by them.
std::vector<const Field*> exactRealsOf(platform::engine::DataSet& query, const ColumnList& columns, int& tableFields)
{
    std::vector<int> floats;
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].second && columns[i].second->ColumnType == platform::engine::ftFloat)
            floats.push_back(int(i));
    const int n = int(columns.size());
    if (floats.empty() || query.fieldCount() != n + int(floats.size()))
        return {};
    for (int i = 0; i < n; ++i)
        if (query.fields(i).fieldName().toLower() != columns[std::size_t(i)].first)
            return {};
    std::vector<const Field*> exact(std::size_t(n), nullptr);
    for (std::size_t k = 0; k < floats.size(); ++k)
        exact[std::size_t(floats[k])] = &query.fields(n + int(k));
    tableFields = n;
    return exact;
}

// A date or date-and-time criterion that is no valid one is refused: passed over, it would leave
// the query without that condition and so find records the user did not ask for.
void checkDateCriterion(TBVMaskEdit* edit, const QString& text)
{
    const int type = edit->fieldTypeCode();
    QString why;
    if (type == platform::engine::ftDate && !IsValidDate(text))
        why = QStringLiteral("it is not a valid date (month/day/year).");
    else if (type == platform::engine::ftDateTime && !IsValidDateTime(text))
        why = QStringLiteral("it is not a valid date and time (month/day/year hours:minutes:seconds).");
    if (!why.isEmpty())
        throw QueryRefused(CriterionRefused::because(edit->displayText(), QuoteIfBlank(edit->FieldName), why).message(),
                           edit);
}

// What a control gives as criterion: its text, or nothing when it holds only its empty mask.
// Date edits give their masked text, blanks kept, as the date checks read it.
QString criterionText(const TBVMaskEdit* edit)
{
    if (edit->isEmptyMask())
        return {};
    const int type = edit->fieldTypeCode();
    return type == platform::engine::ftDate || type == platform::engine::ftDateTime ? edit->maskedText() : edit->text();
}

void setStatus(TablePageEnv& env, const QString& text)
{
    if (env.statusPanel0)
        env.statusPanel0->setText(text);
}

void repaintStatus(TablePageEnv& env)
{
    if (env.statusPanel0)
        env.statusPanel0->repaint();
    env.ui.StatusBar->repaint();
}

// While the walk processes window messages only Stop may act: every other command of the window
// is held disabled and given back as it was.
class CommandLock {
public:
    explicit CommandLock(TablePageEnv& env)
    {
        QWidget* root = env.window ? env.window : env.ui.ScrollBox->window();
        for (QAbstractButton* b : root->findChildren<QAbstractButton*>()) {
            if (b != env.ui.BitBtn_Stop && b->isEnabled()) {
                buttons_.emplace_back(b);
                b->setEnabled(false);
            }
        }
        for (QAction* a : root->findChildren<QAction*>()) {
            if (a->isEnabled()) {
                actions_.emplace_back(a);
                a->setEnabled(false);
            }
        }
        if (QTabBar* bar = env.ui.PageControl->tabBar(); bar->isEnabled()) {
            tabs_ = bar;
            bar->setEnabled(false);
        }
    }
    ~CommandLock() { release(); }
    void release()
    {
        for (auto& b : buttons_)
            if (b)
                b->setEnabled(true);
        for (auto& a : actions_)
            if (a)
                a->setEnabled(true);
        if (tabs_)
            tabs_->setEnabled(true);
        buttons_.clear();
        actions_.clear();
        tabs_ = nullptr;
    }

private:
    std::vector<QPointer<QAbstractButton>> buttons_;
    std::vector<QPointer<QAction>> actions_;
    QPointer<QTabBar> tabs_;
};

// Adds a control's term; a refused criterion is reported with the control it came from.
void addControlTerm(MainState& state, platform::engine::Query& query, QWidget* control, const QString& name,
                    const QString& value, int type, bool isNull)
{
    try {
        AddWhereTerm(state, query, name, value, type, isNull);
    } catch (const CriterionRefused& refused) {
        throw QueryRefused(refused.message(), control);
    }
}

} // namespace

QueryRefused::QueryRefused(const QString& message, QWidget* control)
    : std::runtime_error(message.toStdString()), control(control)
{
}

void AddWhereTerm(MainState& state, platform::engine::Query& Query, const QString& FieldName,
                  const QString& Value, int FieldType, bool IsNull)
{
    QString condition;
    if (IsNull) {
        condition = FieldName + QStringLiteral(" IS NULL");
    } else if (FieldType == platform::engine::ftDate) {
        condition = IsValidDate(Value) ? FieldName + QStringLiteral(" = ") + SqlLiteral(FieldType, Value)
                                       : FieldName + QStringLiteral(" IS NULL");
    } else if (FieldType == platform::engine::ftDateTime) {
        condition = IsValidDateTime(Value) ? FieldName + QStringLiteral(" = ") + SqlLiteral(FieldType, Value)
                                           : FieldName + QStringLiteral(" IS NULL");
    } else {
        QString rest = Value;
        if (rest.startsWith(QLatin1Char('\'')))
            rest.remove(0, 1);
        if (rest.endsWith(QLatin1Char('\'')))
            rest.chop(1);
        if (rest.isEmpty()) {
            // Quotes typed into the key with nothing between them would give no condition at all,
            // and so every record.
            throw CriterionRefused::because(Value, FieldName, QStringLiteral("nothing is left of it inside its quotes."));
        } else if (rest.toLower() == QLatin1String("null")) {
            condition = FieldName + QStringLiteral(" IS NULL");
        } else if (FieldType == platform::engine::ftBoolean && (rest == QLatin1String("0") || rest == QLatin1String("1"))) {
            // Quoted: PostgreSQL has no boolean = integer, while '1' converts on every database.
            condition = FieldName + QStringLiteral(" = '") + rest + QLatin1Char('\'');
        } else {
            condition = CriterionToSql(rest, FieldName, FieldType);
            // Alternatives must not bind to the next line's AND.
            if (condition.contains(QLatin1String(" OR "))
                && !(condition.startsWith(QLatin1Char('(')) && condition.endsWith(QLatin1Char(')'))))
                condition = QLatin1Char('(') + condition + QLatin1Char(')');
        }
    }
    // A criterion the translator has no condition for adds nothing rather than a bare "WHERE ".
    if (condition.isEmpty())
        return;
    if (state.WherePresent) {
        Query.sql() << QStringLiteral("AND ") + condition;
    } else {
        Query.sql() << QStringLiteral("WHERE ") + condition;
        state.WherePresent = true;
    }
}

// The lines of the statement, each control's term checked as it is made.
static void fillQueryStatement(TablePageEnv& env);

void BuildQueryStatement(TablePageEnv& env)
{
    platform::engine::Query& query = *env.sources.Query;
    // A refused query leaves the page in query mode: the next Execute builds the statement anew.
    const bool wherePresent = env.state.WherePresent;
    auto refused = [&] {
        query.sql().clear();
        env.state.WherePresent = wherePresent;
    };
    try {
        fillQueryStatement(env);
    } catch (const QueryRefused&) {
        refused();
        throw;
    }
    // The criteria cannot end the SELECT, but an appended text can: "1=1; DELETE FROM x" would run
    // its DELETE on a server that takes several statements in one text.
    const QString text = StatementText(query.sql());
    platform::engine::Database* database = platform::engine::Session::instance().findDatabase(query.databaseName());
    const StatementCount count = database ? CountStatements(text, *database) : StatementCount::One;
    if (count != StatementCount::One) {
        refused();
        const QString what = count == StatementCount::Several
                                 ? QStringLiteral("The query would hold more than one statement (a \";\" outside "
                                                  "quotes and comments is followed by more), so it was not run.")
                                 : QStringLiteral("The query might hold more than one statement (databases read its "
                                                  "quotes and comments differently, and which reading is this "
                                                  "database's could not be told), so it was not run.");
        throw QueryRefused(what + QStringLiteral(" Only its SELECT may be sent; look at the text added with Append "
                                                 "SQL.\r\n\r\nNothing was sent to the database.\r\n\r\n")
                               + text,
                           nullptr);
    }
}

static void fillQueryStatement(TablePageEnv& env)
{
    MainState& state = env.state;
    platform::engine::Query& query = *env.sources.Query;
    const bool hasKey = HasKeyColumn(state);
    const bool hasUnique = HasUniqueColumn(state);

    query.sql().clear();
    if (state.KeyColumn == QLatin1String("rowid"))
        query.sql() << QStringLiteral("SELECT rowid, ") + QuoteTableName(state.CurrentTable) + QStringLiteral(".* ");
    else if (!state.KeyColumn.isEmpty())
        query.sql() << QStringLiteral("SELECT ") + QuoteIfBlank(state.KeyColumn);
    else if (const QStringList exact = exactRealTexts(env); !exact.isEmpty())
        query.sql() << QStringLiteral("SELECT *, ") + exact.join(QStringLiteral(", ")) + QLatin1Char(' ');
    else
        query.sql() << QStringLiteral("SELECT * ");
    query.sql() << QStringLiteral("FROM ") + QuoteTableName(state.CurrentTable);

    // A typed key (or unique value) is the whole query. The control may be missing when the
    // configured column is not in the table; that counts as empty.
    auto* keyEdit = qobject_cast<TBVMaskEdit*>(state.KeyControl);
    auto* uniqueEdit = qobject_cast<TBVMaskEdit*>(state.UniqueControl);
    bool keyTerm = false;
    TBVMaskEdit* chosen = hasKey ? keyEdit : (hasUnique ? uniqueEdit : nullptr);
    if (chosen) {
        const QString text = criterionText(chosen);
        if (!text.isEmpty()) {
            checkDateCriterion(chosen, text);
            addControlTerm(state, query, chosen, QuoteIfBlank(chosen->FieldName), text, chosen->fieldTypeCode(), false);
            keyTerm = true;
        }
    }

    if (!keyTerm) {
        const QString dbType = state.CurrentDatabase ? state.CurrentDatabase->DBType : QString();
        const bool memoCriteria = dbType != QLatin1String("ORACLE") && dbType != QLatin1String("DBASE")
                                  && dbType != QLatin1String("INFORMIX");
        for (QWidget* control : PageControls(env.ui)) {
            if (auto* edit = qobject_cast<TBVMaskEdit*>(control)) {
                const bool markedNull = isMarkedNull(edit->Hint);
                const QString text = criterionText(edit);
                const QString name = QuoteIfBlank(edit->FieldName);
                const int type = edit->fieldTypeCode();
                if (type == platform::engine::ftDate || type == platform::engine::ftDateTime) {
                    if (!markedNull && !text.isEmpty())
                        checkDateCriterion(edit, text);
                    if (!text.isEmpty() || markedNull)
                        addControlTerm(state, query, edit, name, text, type, markedNull);
                } else if (type == platform::engine::ftBoolean) {
                    if (!text.isEmpty() || markedNull) {
                        const QString bit = text.trimmed().toLower() == QLatin1String("true") ? QStringLiteral("1")
                                                                                             : QStringLiteral("0");
                        addControlTerm(state, query, edit, name, bit, type, markedNull);
                    }
                } else if (!text.isEmpty() || markedNull) {
                    addControlTerm(state, query, edit, name, enclosed(text), type, markedNull);
                }
            } else if (auto* memo = qobject_cast<TBVMemo*>(control)) {
                // A memo marked null asks for NULL like any other control.
                const QString text = memo->toPlainText();
                if (memoCriteria && (!text.isEmpty() || isMarkedNull(memo->Hint)))
                    addControlTerm(state, query, memo, QuoteIfBlank(memo->FieldName), enclosed(text),
                                   memo->fieldTypeCode(), isMarkedNull(memo->Hint));
            }
        }
    }

    if (!state.AppendedSql.isEmpty())
        query.sql() << (state.WherePresent ? QStringLiteral("AND ") : QStringLiteral("WHERE ")) + state.AppendedSql;
    if (state.UseSortOrder) {
        const QString order = OrderByClause(state);
        if (!order.isEmpty())
            query.sql() << QStringLiteral("ORDER BY ") + order;
    }
}

namespace {

// The fields of the exact real texts and the count of the table's own fields, taken once for a
// query's rows: they depend on its columns alone.
struct ExactReals {
    std::vector<const Field*> fields;
    int tableFields = 0;
};

ExactReals exactRealsFor(platform::engine::DataSet& query, const ColumnList* columns)
{
    ExactReals reals;
    reals.tableFields = query.fieldCount();
    if (columns)
        reals.fields = exactRealsOf(query, *columns, reals.tableFields);
    return reals;
}

QString rowKeyClause(platform::engine::DataSet& Query, const ExactReals& reals)
{
    const int fields = reals.tableFields;
    const std::vector<const Field*>& exact = reals.fields;
    QString clause;
    for (int i = 0; i < fields; ++i) {
        const Field& field = Query.fields(i);
        const FieldType type = field.dataType();
        if (type == platform::engine::ftDateTime || type == platform::engine::ftBlob
            || type == platform::engine::ftMemo || type == platform::engine::ftGraphic)
            continue;
        const QString name = QuoteIfBlank(field.fieldName());
        QString term;
        if (field.isNull()) {
            term = name + QStringLiteral(" IS NULL");
        } else if (const Field* stored = exact.empty() ? nullptr : exact[std::size_t(i)]; stored && !stored->isNull()) {
            // A value that is no REAL (an integer or a text SQLite keeps in the column) as its text.
            term = IsPrintedReal(*stored) ? PrintedRealTerm(name, stored->storedText())
                                          : name + QLatin1Char('=') + quoted(stored->storedText());
        } else if (type == platform::engine::ftString) {
            term = name + QLatin1Char('=') + quoted(field.asString());
        } else if (type == platform::engine::ftDate) {
            // A stored text that is no date (SQLite keeps any) is compared as the text it is.
            const QString text = field.asString();
            term = name + QLatin1Char('=') + (IsValidDate(text) ? SqlLiteral(type, text) : quoted(text));
        } else if (type == platform::engine::ftBoolean) {
            // Quoted: PostgreSQL has no boolean = integer, while '1' converts on every database.
            term = name + QLatin1Char('=')
                   + (field.asString().toLower() == QLatin1String("false") ? QStringLiteral("'0'") : QStringLiteral("'1'"));
        } else if (type == platform::engine::ftFloat) {
            term = floatTerm(name, field);
        } else {
            term = name + QLatin1Char('=') + field.asString();
        }
        clause += (clause.isEmpty() ? QStringLiteral("WHERE ") : QStringLiteral(" AND ")) + term;
    }
    return clause;
}

} // namespace

QString RowKeyClause(platform::engine::DataSet& Query, const ColumnList* Columns)
{
    return rowKeyClause(Query, exactRealsFor(Query, Columns));
}

void ExecuteQuery(TablePageEnv& env)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    platform::engine::Query& query = *env.sources.Query;

    const QString statusBefore = env.statusPanel0 ? env.statusPanel0->text() : QString();
    setStatus(env, QStringLiteral("Querying Records     0"));
    repaintStatus(env);
    const bool hasKey = HasKeyColumn(state);
    const bool hasUnique = HasUniqueColumn(state);
    try {
        BuildQueryStatement(env);
    } catch (const QueryRefused&) {
        // Nothing was run: the records found before are still those shown.
        setStatus(env, statusBefore);
        repaintStatus(env);
        throw;
    }

    QWidget* panel = ui.Panel_Stop;
    if (env.window)
        panel->move((env.window->width() - panel->width()) / 2, (env.window->height() - panel->height()) / 2);
    panel->setVisible(true);
    panel->raise();
    panel->repaint();

    state.RecordKeys.clear();
    bool walking = false, interrupted = false;
    {
        CommandLock lock(env);
        try {
            query.open();
            walking = true;
            // The key field is looked up once. The walk pauses for the window's messages at every
            // 100th row; the count is painted about ten times a second and when the walk ends,
            // since painting it every few rows costs more than the walk once the window shows.
            Field* keyField = nullptr;
            if (hasKey)
                keyField = &query.fieldByName(state.KeyColumn);
            else if (hasUnique)
                keyField = &query.fieldByName(state.UniqueColumn);
            const ExactReals reals = keyField ? ExactReals{} : exactRealsFor(query, &state.ColumnList);
            QElapsedTimer sincePaint;
            sincePaint.start();
            int n = 0;
            while (!query.eof() && state.ContinueQuery) {
                state.RecordKeys << (keyField ? keyField->asString() : rowKeyClause(query, reals));
                ++n;
                if (n % 100 == 0) {
                    if (sincePaint.elapsed() >= kCountPaintMs) {
                        setStatus(env, QStringLiteral("Querying Records     ") + QString::number(n));
                        repaintStatus(env);
                        sincePaint.restart();
                    }
                    QApplication::processEvents();
                }
                query.next();
            }
            setStatus(env, QStringLiteral("Querying Records     ") + QString::number(n));
            repaintStatus(env);
            query.close();
            lock.release();
            if (n == 0) {
                QGuiApplication::restoreOverrideCursor();
                panel->setVisible(false);
                AppMessageDlg(QStringLiteral("No records were found to match your query criteria!"), mtInformation,
                              mbOK);
                ui.BitBtn_Print->setEnabled(false);
                SetNavigationButtons(state, ui, state.RecordIndex);
            }
        } catch (const std::exception& error) {
            query.close();
            lock.release();
            panel->setVisible(false);
            interrupted = walking;  // a statement refused outright found nothing, as before
            platform::modal::messageBox(env.window, QMessageBox::Critical, QApplication::applicationName(),
                                        QString::fromUtf8(error.what()), QMessageBox::Ok);
        }
    }

    const QString table = state.CurrentTable.toUpper();
    const QString connection = GetConnectionText(state, ui.StatusBar);
    if (interrupted) {
        // The keys read before the failure are no answer to the query: none is offered as one.
        const qsizetype read = state.RecordKeys.size();
        state.RecordKeys.clear();
        ui.BitBtn_Print->setEnabled(false);
        SetNavigationButtons(state, ui, state.RecordIndex);
        setStatus(env, table + QStringLiteral("  Query interrupted after ") + QString::number(read)
                           + QStringLiteral(" records          ") + connection);
    } else if (!state.RecordKeys.isEmpty()) {
        ui.BitBtn_Print->setEnabled(true);
        state.RecordIndex = 0;
        ShowRecord(env);
        setStatus(env, table + QStringLiteral("  Record  1 of ") + QString::number(state.RecordKeys.count())
                           + QStringLiteral("          ") + connection);
    } else {
        setStatus(env, table + QStringLiteral("  Record  0 of 0          ") + connection);
    }
    repaintStatus(env);
    panel->setVisible(false);
}
