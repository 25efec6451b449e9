#include "workspace/tablepage/UpdateRecord.h"

#include "app/ConnectionStatus.h"
#include "app/MainState.h"
#include "app/Options.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/BVValid.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/BlobPictures.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/LongText.h"
#include "workspace/PageControl.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/ShownValues.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>

#include <algorithm>

using namespace platform::engine;

namespace {

bool isNoUpdate(const TBVMaskEdit* edit, const QString& NoUpdateField)
{
    return !NoUpdateField.isEmpty() && edit->FieldName.toUpper() == NoUpdateField;
}

bool hasLiteral(const TBVMaskEdit* edit)
{
    switch (edit->FieldType) {
    case ftDate:
    case ftDateTime:
    case ftSmallint:
    case ftInteger:
    case ftBoolean:
    case ftFloat:
    case ftString:
        return true;
    default:
        return false;
    }
}

// The edits an update writes: those the user changed, of a type with a literal, but the key and
// the no-update column. Whatever else the page shows stays as stored.
bool writesChange(const TBVMaskEdit* edit, const QString& NoUpdateField)
{
    return edit && edit->FieldType != ftAutoInc && !isNoUpdate(edit, NoUpdateField) && hasLiteral(edit)
           && ChangedByUser(edit);
}

const QString kNothingStored = QStringLiteral("Nothing was stored: the record is as it was before the update.");

// Painted at once, before the statement runs: only the panel that changed.
void setStatus(TablePageEnv& env, const QString& text)
{
    if (env.statusPanel0) {
        env.statusPanel0->setText(text);
        env.statusPanel0->repaint();
    } else {
        env.ui.StatusBar->repaint();
    }
}

// The number of rows a stored clause selects; 1 when it cannot be counted (the DELETE then
// reports what is wrong).
int countRows(Query& query, const QString& Table, const QString& Clause)
{
    query.close();
    query.sql().clear();
    query.sql() << QStringLiteral("SELECT COUNT(*) FROM ") + QuoteTableName(Table) << Clause;
    int n = 1;
    try {
        query.open();
        if (!query.eof() && query.fieldCount() > 0 && !query.fields(0).isNull())
            n = query.fields(0).asInteger();
    } catch (const std::exception&) {
    }
    query.close();
    return n;
}

// A record known only by its values cannot be told apart from other rows holding the same
// values: acting on it acts on all of them. The number of rows the clause selects when it is one
// or the user agrees to Action ("delete", "change") every one of them; 0 when the user declines.
int ConfirmIdenticalRows(Query& query, const QString& Table, const QString& Clause, const QString& Action)
{
    const int matching = countRows(query, Table, Clause);
    if (matching <= 1)
        return 1;
    const QString n = QString::number(matching);
    // Asked with the ordinary pointer, also while Execute shows the busy one.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const QString question = n + QStringLiteral(" records of the ") + Table.toUpper()
                             + QStringLiteral(" table hold these values and cannot be told apart.\r\n"
                                              "Are you sure you want to ")
                             + Action + QStringLiteral(" all ") + n + QStringLiteral(" of them?");
    const bool agreed = AppMessageDlg(question, mtConfirmation, mbYes | mbNo) == mrYes;
    QGuiApplication::restoreOverrideCursor();
    return agreed ? matching : 0;
}

// The rows an UPDATE or DELETE of the record with Key is meant to meet: those the user agreed to
// for a record known by its values, else one. 0 when the user declined.
int RowsMeant(Query& query, const QString& Table, const RecordKey& Key, const QString& Action)
{
    return Key.kind == KeyKind::Clause ? ConfirmIdenticalRows(query, Table, Key.value, Action) : 1;
}

} // namespace

QString NoUpdateFieldOf(const MainState& state, const QString& Table)
{
    return ListValue(state.NoUpdateFields, Table.toUpper()).toUpper().trimmed();
}

QStringList UpdateStatementLines(const QString& Table, const QString& NoUpdateField, const QList<QWidget*>& Controls,
                                 const QString& KeyCondition, const LongValues& Long)
{
    QStringList terms;
    for (QWidget* w : Controls) {
        if (Long.contains(w)) {
            terms << QuoteIfBlank(LongValueColumn(w)) + QStringLiteral(" = ") + Long.term(w);
            continue;
        }
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (!writesChange(edit, NoUpdateField))
            continue;
        const QString name = QuoteIfBlank(edit->FieldName);
        if (IsNullMarker(edit->Hint)) {
            terms << name + QStringLiteral(" = null");
            continue;
        }
        const QString text = edit->text();
        if (edit->FieldType == ftDate || edit->FieldType == ftDateTime) {
            const bool valid = edit->FieldType == ftDate ? IsValidDate(text) : IsValidDateTime(text);
            if (!valid) {
                edit->Hint = QStringLiteral("null");
                terms << name + QStringLiteral(" = null");
                continue;
            }
        }
        terms << name + QStringLiteral(" = ") + EditLiteral(edit);
        edit->Hint = text;
    }
    if (terms.isEmpty())
        return {};
    QStringList lines{QStringLiteral("UPDATE ") + QuoteTableName(Table) + QStringLiteral(" SET ")};
    for (int i = 0; i < terms.size(); ++i)
        lines << terms.at(i) + (i + 1 < terms.size() ? QStringLiteral(",") : QString());
    lines << KeyCondition;
    return lines;
}

QString RebuiltRecordClause(const QString& NoUpdateField, const QList<QWidget*>& Controls)
{
    QStringList parts;
    for (QWidget* w : Controls) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (!edit || edit->FieldType == ftAutoInc)
            continue;
        if (writesChange(edit, NoUpdateField)) {
            // Date-times never select.
            if (edit->FieldType != ftDateTime || IsNullMarker(edit->Hint))
                parts << MatchCondition(edit, EditLiteral(edit));
        } else if (const QString stored = StoredCondition(edit); !stored.isEmpty()) {
            parts << stored;
        }
    }
    return parts.isEmpty() ? QString() : QStringLiteral("WHERE ") + parts.join(QStringLiteral(" AND "));
}

bool UpdateShownRecord(TablePageEnv& env)
{
    MainState& s = env.state;
    Ui::TForm_Main& ui = env.ui;
    Query& query = *env.sources.Query;
    if (s.RecordIndex < 0 || s.RecordIndex >= s.RecordKeys.size())
        return false;

    // The record is addressed by its key before editing.
    const RecordKey key = ShownRecordKey(s);
    const QString noUpdate = NoUpdateFieldOf(s, s.CurrentTable);
    const QList<QWidget*> controls = PageControls(ui);

    // A number no column can hold is refused before anything is written.
    for (QWidget* w : controls) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (writesChange(edit, noUpdate) && !IsNullMarker(edit->Hint) && RefuseNumberOutOfRange(edit)) {
            ShowRecord(env);
            return false;
        }
    }

    // Refused, it ends as a refused UPDATE does: nothing written, the stored record shown again.
    const int meant = RowsMeant(query, s.CurrentTable, key, QStringLiteral("change"));
    if (meant == 0) {
        ShowRecord(env);
        return false;
    }

    // Values, long text and pictures go in one statement under the condition that was counted, so
    // that it writes no row but those: a second statement under the values just written could
    // select another row that holds them.
    const LongValues changedLong(MemosToStore(controls, noUpdate, true), PicturesToStore(controls, true));
    const QStringList lines = UpdateStatementLines(s.CurrentTable, noUpdate, controls, KeyCondition(s, key), changedLong);
    if (lines.isEmpty()) {
        ShowRecord(env);  // nothing changed, nothing sent
        return true;
    }

    // The key the record has once its values are written.
    RecordKey written = key;
    if (key.kind == KeyKind::Unique && s.UniqueControl && ChangedByUser(s.UniqueControl)) {
        written.value = s.UniqueControl->text();
    } else if (key.kind == KeyKind::Clause) {
        if (const QString clause = RebuiltRecordClause(noUpdate, controls); !clause.isEmpty())
            written.value = clause;
    }

    QString failure;
    bool noneMet = false;
    try {
        RecordWrite write(env.databaseName);
        query.close();
        query.sql().clear();
        query.sql() << lines;
        failure = RunRecordStatement(query, changedLong, s.CurrentTable, QStringLiteral("U"));
        const int affected = query.rowsAffected();
        query.close();
        if (failure.isEmpty() && affected == 0)
            noneMet = true;
        else if (failure.isEmpty() && affected > meant)
            failure = TooManyRowsFailure(affected, meant, s.CurrentTable, QStringLiteral("U"),
                                         lines.join(QStringLiteral("\r\n")));
        if (failure.isEmpty() && !noneMet)
            failure = write.commit(s.CurrentTable, QStringLiteral("U"));
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (noneMet) {
        // Nothing to show again: the page keeps what the user typed, as no stored record.
        AppMessageDlg(ChangedByAnotherUser(QStringLiteral("U")), mtError, mbOK);
        s.RecordShown = false;
        setStatus(env, PageStatusText(s, true, GetConnectionText(s, ui.StatusBar)));
        return false;
    }
    if (!failure.isEmpty()) {
        ReportNothingStored(failure, kNothingStored);
    } else if (key.kind == KeyKind::Clause) {
        // Every entry that selected one of the rows written now selects them by their values.
        std::replace(s.RecordKeys.begin(), s.RecordKeys.end(), key.value, written.value);
    } else if (key.kind == KeyKind::Unique) {
        s.RecordKeys[s.RecordIndex] = written.value;
    }
    // The page shows what is stored.
    ShowRecord(env);
    return failure.isEmpty();
}

void BitBtn_RemoveClick(TablePageEnv& env, QObject*)
{
    MainState& s = env.state;
    Ui::TForm_Main& ui = env.ui;
    Query& query = *env.sources.Query;

    if (AppMessageDlg(QStringLiteral("Are you sure you want to delete the current ") + s.CurrentTable.toUpper()
                          + QStringLiteral(" Record?"),
                      mtConfirmation, mbYes | mbNo)
            != mrYes
        || s.RecordIndex < 0 || s.RecordIndex >= s.RecordKeys.size()) {
        SetButtons(s, ui);
        return;
    }
    // The stored key, not an edited text, names the record to delete.
    const RecordKey key = ShownRecordKey(s);

    // A record known only by its values takes every row holding the same values with it.
    const int meant = RowsMeant(query, s.CurrentTable, key, QStringLiteral("delete"));
    if (meant == 0) {
        SetButtons(s, ui);
        return;
    }
    setStatus(env, QStringLiteral("Deleting Record"));

    bool deleted = false;
    try {
        RecordWrite write(env.databaseName);
        query.close();
        query.sql().clear();
        query.sql() << QStringLiteral("DELETE FROM ") + QuoteTableName(s.CurrentTable) << KeyCondition(s, key);
        if (ExecuteDml(query, s.CurrentTable, QStringLiteral("D"))) {
            const int affected = query.rowsAffected();
            QString failure;
            if (affected == 0)
                AppMessageDlg(ChangedByAnotherUser(QStringLiteral("D")), mtError, mbOK);
            else if (affected > meant)
                failure = TooManyRowsFailure(affected, meant, s.CurrentTable, QStringLiteral("D"),
                                             query.sql().join(QStringLiteral("\r\n")));
            else
                failure = write.commit(s.CurrentTable, QStringLiteral("D"));
            deleted = affected != 0 && failure.isEmpty();
            if (!failure.isEmpty())
                ReportNothingStored(failure, QStringLiteral("Nothing was deleted."));
        }
        query.close();
    } catch (const std::exception& error) {
        AppMessageDlg(QString::fromUtf8(error.what()), mtError, mbOK);
    }
    // The entry goes only with its record; for values shared by several rows, every entry that
    // selected one of them goes too.
    if (deleted && key.kind == KeyKind::Clause) {
        const int before = int(s.RecordKeys.mid(0, s.RecordIndex).count(key.value));
        s.RecordKeys.removeAll(key.value);
        s.RecordIndex -= before;
    } else if (deleted) {
        s.RecordKeys.removeAt(s.RecordIndex);
    }

    try {
        if (!s.RecordKeys.isEmpty()) {
            if (s.RecordIndex > s.RecordKeys.size() - 1)
                --s.RecordIndex;
            if (s.RecordIndex > -1)
                ShowRecord(env);
        } else {
            s.RecordIndex = -1;
            ClearTablePage(ui);
            setStatus(env, s.CurrentTable.toUpper() + QStringLiteral("   Record  0 of 0          ")
                               + GetConnectionText(s, ui.StatusBar));
        }
    } catch (...) {
        // What follows a removal is only shown; a failure to show it is no failure of the removal.
    }
    SetButtons(s, ui);
}
