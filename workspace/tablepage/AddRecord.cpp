#include "workspace/tablepage/AddRecord.h"

#include "app/ConnectionStatus.h"
#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/BlobPictures.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/LongText.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QAction>
#include <QLabel>
#include <QStatusBar>

using namespace platform::engine;

namespace {

// The mask edits that hold a written value: every one but the generated key's.
bool writesValue(const TBVMaskEdit* edit, const QString& KeyColumn)
{
    return edit && edit->FieldType != ftAutoInc && !(!KeyColumn.isEmpty() && edit->FieldName == KeyColumn);
}

// The conditions that find the written values again, in control order.
QStringList matchConditions(const QList<QWidget*>& Controls)
{
    QStringList conditions;
    for (QWidget* w : Controls) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (edit && edit->FieldType != ftAutoInc)
            conditions << MatchCondition(edit, EditLiteral(edit));
    }
    return conditions;
}

const QString kNotFoundAgain = QStringLiteral(
    "The record was added but not found again: its long text and pictures were not stored.");

} // namespace

void SetMaskEditDefaults(TablePageEnv& env)
{
    MainState& s = env.state;
    Ui::TForm_Main& ui = env.ui;
    if (s.KeyControl)
        s.KeyControl->setText(QStringLiteral("0"));
    const bool defaultNulls = ui.MenuItem_DefaultNulls->isChecked();
    for (QWidget* w : PageControls(ui)) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (!edit)
            continue;
        if (defaultNulls) {
            if (edit->FieldType == ftAutoInc)
                continue;
            edit->clear();
            edit->Hint = QStringLiteral("null");
            SetNullMarker(ui, edit, true);
            continue;
        }
        switch (edit->FieldType) {
        case ftDate:
            edit->setText(QStringLiteral("12/31/9999"));
            break;
        case ftDateTime:
            edit->setText(QStringLiteral("12/31/9999 00:00:00"));
            break;
        case ftSmallint:
        case ftInteger:
        case ftFloat:
            edit->setText(QStringLiteral("0"));
            break;
        case ftBoolean:
            edit->setText(QStringLiteral("False"));
            break;
        case ftString:
            edit->clear();
            break;
        default:
            break;
        }
        edit->Hint = edit->text();
        SetNullMarker(ui, edit, false);
    }
}

QStringList InsertStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls)
{
    QStringList names, values;
    for (QWidget* w : Controls) {
        if (auto* edit = qobject_cast<TBVMaskEdit*>(w)) {
            if (!writesValue(edit, KeyColumn))
                continue;
            names << QuoteIfBlank(edit->FieldName);
            values << EditLiteral(edit);
        } else if (auto* memo = qobject_cast<TBVMemo*>(w)) {
            // The text follows by a statement of its own.
            names << QuoteIfBlank(memo->FieldName);
            values << QStringLiteral("''");
        }
    }
    QStringList lines{QStringLiteral("INSERT INTO ") + QuoteTableName(Table) + QLatin1Char('(')};
    for (int i = 0; i < names.size(); ++i)
        lines << names.at(i) + (i + 1 < names.size() ? QStringLiteral(",") : QStringLiteral(") VALUES("));
    for (int i = 0; i < values.size(); ++i)
        lines << values.at(i) + (i + 1 < values.size() ? QStringLiteral(",") : QStringLiteral(")"));
    return lines;
}

QStringList LocateStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls)
{
    const QStringList conditions = matchConditions(Controls);
    QString head = QStringLiteral("SELECT MAX(") + QuoteIfBlank(KeyColumn) + QStringLiteral(") FROM ")
                   + QuoteTableName(Table);
    if (conditions.isEmpty())
        return {head};
    QStringList lines{head + QStringLiteral(" WHERE ")};
    for (int i = 0; i < conditions.size(); ++i)
        lines << (i == 0 ? QString() : QStringLiteral(" AND ")) + conditions.at(i);
    return lines;
}

QString AddedRecordClause(const QList<QWidget*>& Controls)
{
    const QStringList conditions = matchConditions(Controls);
    return conditions.isEmpty() ? QString()
                                : QStringLiteral("WHERE ") + conditions.join(QStringLiteral("\r\n AND "));
}

bool AddRecord(TablePageEnv& env)
{
    MainState& s = env.state;
    Ui::TForm_Main& ui = env.ui;
    Query& query = *env.sources.Query;
    const QList<QWidget*> controls = PageControls(ui);

    // A date that does not convert is written as its fallback, and the page shows what was written.
    // One already in the form written stays as typed, its undo history with it.
    const auto showWritten = [](TBVMaskEdit* edit, const QString& written) {
        if (written != edit->text())
            edit->setText(written);
    };
    for (QWidget* w : controls) {
        auto* edit = qobject_cast<TBVMaskEdit*>(w);
        if (!writesValue(edit, s.KeyColumn) || IsNullMarker(edit->Hint))
            continue;
        if (edit->FieldType == ftDate)
            showWritten(edit, DateTextOrDefault(edit->text()));
        else if (edit->FieldType == ftDateTime)
            showWritten(edit, DateTimeTextOrDefault(edit->text()));
        else if (RefuseNumberOutOfRange(edit))
            return false;  // nothing written; the page keeps what was typed
    }

    const QList<TBVImage*> pictures = PicturesToStore(controls, false);
    const QList<TBVMemo*> memos = MemosToStore(controls, QString(), false);
    const QStringList keysBefore = s.RecordKeys;
    const int indexBefore = s.RecordIndex;
    const QString keyTextBefore = s.KeyControl ? s.KeyControl->text() : QString();

    RecordKey key;
    key.kind = PageKeyKind(s);
    bool found = false;
    QString failure, notFound;
    try {
        RecordWrite write(env.databaseName, 1 + int(pictures.size() + memos.size()));
        query.close();
        query.sql().clear();
        query.sql() << InsertStatementLines(s.CurrentTable, s.KeyColumn, controls);
        failure = RunDml(query, s.CurrentTable, QStringLiteral("A"));
        query.close();
        query.sql().clear();

        if (failure.isEmpty()) {
            switch (key.kind) {
            case KeyKind::Serial:
                key.name = s.KeyColumn;
                query.sql() << LocateStatementLines(s.CurrentTable, s.KeyColumn, controls);
                try {
                    query.open();
                    if (query.eof() || query.fieldCount() == 0 || query.fields(0).isNull())
                        notFound = kNotFoundAgain;
                    else
                        key.value = query.fields(0).asString();
                } catch (const std::exception& error) {
                    notFound = QString::fromUtf8(error.what());
                }
                if (!notFound.isEmpty())
                    notFound += QStringLiteral("\r\n") + query.sql().join(QStringLiteral("\r\n"));
                query.close();
                query.sql().clear();
                found = notFound.isEmpty();
                if (found && s.KeyControl) {
                    s.KeyControl->setText(key.value);
                    // As a display leaves it, so the one that follows finds it shown and sets it
                    // no second time.
                    s.KeyControl->setCursorPosition(0);
                }
                break;
            case KeyKind::Unique:
                key.name = PageKeyColumn(s);
                key.value = s.UniqueControl ? s.UniqueControl->text() : QString();
                found = true;
                break;
            case KeyKind::Clause:
                key.value = AddedRecordClause(controls);
                found = !key.value.isEmpty();
                if (!found)
                    notFound = kNotFoundAgain;
                break;
            }
        }
        if (failure.isEmpty() && found) {
            s.RecordKeys << key.value;
            s.RecordIndex = s.RecordKeys.size() - 1;
            failure = SavePagePictures(env, pictures, key);
            if (failure.isEmpty())
                failure = SavePageMemos(env, memos, key);
        }
        // A record not found again keeps its INSERT: it is there, without its long text and pictures.
        if (failure.isEmpty())
            failure = write.commit(s.CurrentTable, QStringLiteral("A"));
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }

    if (!failure.isEmpty()) {
        // Nothing was added: the page keeps what was typed.
        s.RecordKeys = keysBefore;
        s.RecordIndex = indexBefore;
        if (s.KeyControl)
            s.KeyControl->setText(keyTextBefore);
        ReportNothingStored(failure, QStringLiteral("Nothing was stored: the record was not added."));
        return false;
    }
    if (!notFound.isEmpty())
        AppMessageDlg(notFound, mtError, mbOK);

    ShowRecord(env);
    if (found) {
        SetNavigationButtons(s, ui, s.RecordIndex);
        if (env.statusPanel0) {
            const QString count = QString::number(s.RecordKeys.size());
            env.statusPanel0->setText(s.CurrentTable.toUpper() + QStringLiteral("  Record  ") + count
                                      + QStringLiteral(" of ") + count + QStringLiteral("          ")
                                      + GetConnectionText(s, ui.StatusBar));
        }
    }
    return found;
}
