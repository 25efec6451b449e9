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
// values: acting on it acts on all of them. True when the clause selects one row, or the user
// agrees to Action ("delete", "change") every row it selects.
bool ConfirmIdenticalRows(Query& query, const QString& Table, const QString& Clause, const QString& Action)
{
    const int matching = countRows(query, Table, Clause);
    if (matching <= 1)
        return true;
    const QString n = QString::number(matching);
    // Asked with the ordinary pointer, also while Execute shows the busy one.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const QString question = n + QStringLiteral(" records of the ") + Table.toUpper()
                             + QStringLiteral(" table hold these values and cannot be told apart.\r\n"
                                              "Are you sure you want to ")
                             + Action + QStringLiteral(" all ") + n + QStringLiteral(" of them?");
    const bool agreed = AppMessageDlg(question, mtConfirmation, mbYes | mbNo) == mrYes;
    QGuiApplication::restoreOverrideCursor();
    return agreed;
}

} // namespace

QString NoUpdateFieldOf(const MainState& state, const QString& Table)
{
    return ListValue(state.NoUpdateFields, Table.toUpper()).toUpper().trimmed();
}

QStringList UpdateStatementLines(const QString& Table, const QString& NoUpdateField, const QList<QWidget*>& Controls,
                                 const QString& KeyCondition)
{
    QStringList terms;
    for (QWidget* w : Controls) {
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
    if (key.kind == KeyKind::Clause && !ConfirmIdenticalRows(query, s.CurrentTable, key.value, QStringLiteral("change"))) {
        ShowRecord(env);
        return false;
    }

    const QStringList lines = UpdateStatementLines(s.CurrentTable, noUpdate, controls, KeyCondition(s, key));
    const QList<TBVImage*> pictures = PicturesToStore(controls, true);
    const QList<TBVMemo*> memos = MemosToStore(controls, noUpdate, true);
    const int statements = (lines.isEmpty() ? 0 : 1) + int(pictures.size()) + int(memos.size());
    if (statements == 0) {
        ShowRecord(env);  // nothing changed, nothing sent
        return true;
    }

    // Pictures and long text are stored under the key the record has once its values are written.
    RecordKey written = key;
    if (key.kind == KeyKind::Unique && s.UniqueControl && ChangedByUser(s.UniqueControl)) {
        written.value = s.UniqueControl->text();
    } else if (key.kind == KeyKind::Clause) {
        if (const QString clause = RebuiltRecordClause(noUpdate, controls); !clause.isEmpty())
            written.value = clause;
    }

    const QStringList keysBefore = s.RecordKeys;
    QString failure;
    try {
        RecordWrite write(env.databaseName, statements);
        if (!lines.isEmpty()) {
            query.close();
            query.sql().clear();
            query.sql() << lines;
            failure = RunDml(query, s.CurrentTable, QStringLiteral("U"));
            query.close();
        }
        if (failure.isEmpty()) {
            // Every entry that selected one of the rows written now selects them by their values
            // (the long text of a key-less record is stored by that entry).
            if (key.kind == KeyKind::Clause)
                std::replace(s.RecordKeys.begin(), s.RecordKeys.end(), key.value, written.value);
            else if (key.kind == KeyKind::Unique)
                s.RecordKeys[s.RecordIndex] = written.value;
            failure = SavePagePictures(env, pictures, written);
        }
        if (failure.isEmpty())
            failure = SavePageMemos(env, memos, written);
        if (failure.isEmpty())
            failure = write.commit(s.CurrentTable, QStringLiteral("U"));
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    if (!failure.isEmpty()) {
        s.RecordKeys = keysBefore;
        ReportNothingStored(failure, kNothingStored);
    }
    // The page shows what is stored, whatever happened.
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
    if (key.kind == KeyKind::Clause && !ConfirmIdenticalRows(query, s.CurrentTable, key.value, QStringLiteral("delete"))) {
        SetButtons(s, ui);
        return;
    }
    setStatus(env, QStringLiteral("Deleting Record"));

    query.close();
    query.sql().clear();
    query.sql() << QStringLiteral("DELETE FROM ") + QuoteTableName(s.CurrentTable) << KeyCondition(s, key);
    const bool deleted = ExecuteDml(query, s.CurrentTable, QStringLiteral("D"));
    query.close();
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
