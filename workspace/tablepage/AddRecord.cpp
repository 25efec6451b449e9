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

// Every memo goes in with the record, and every picture loaded or marked null.
LongValues addedLongValues(const QList<QWidget*>& Controls)
{
    return LongValues(MemosToStore(Controls, QString(), false), PicturesToStore(Controls, false));
}

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

AddedKeyWay AddedKeyWayFor(const QString& DbmsName)
{
    if (DbmsName.compare(QLatin1String("PostgreSQL"), Qt::CaseInsensitive) == 0)
        return AddedKeyWay::Returning;
    if (DbmsName.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0)
        return AddedKeyWay::LastRowId;
    return AddedKeyWay::Search;
}

QStringList InsertStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls,
                                 bool ReturningKey)
{
    const LongValues withRecord = addedLongValues(Controls);
    QStringList names, values;
    for (QWidget* w : Controls) {
        if (auto* edit = qobject_cast<TBVMaskEdit*>(w)) {
            if (!writesValue(edit, KeyColumn))
                continue;
            names << QuoteIfBlank(edit->FieldName);
            values << EditLiteral(edit);
        } else if (withRecord.contains(w)) {
            names << QuoteIfBlank(LongValueColumn(w));
            values << withRecord.term(w);
        }
    }
    QStringList lines{QStringLiteral("INSERT INTO ") + QuoteTableName(Table) + QLatin1Char('(')};
    for (int i = 0; i < names.size(); ++i)
        lines << names.at(i) + (i + 1 < names.size() ? QStringLiteral(",") : QStringLiteral(") VALUES("));
    for (int i = 0; i < values.size(); ++i)
        lines << values.at(i) + (i + 1 < values.size() ? QStringLiteral(",") : QStringLiteral(")"));
    if (ReturningKey && !KeyColumn.isEmpty())
        lines.last() += QStringLiteral(" RETURNING ") + QuoteIfBlank(KeyColumn);
    return lines;
}

QStringList LocateStatementLines(const QString& Table, const QString& KeyColumn, const QList<QWidget*>& Controls,
                                 AddedKeyWay Way)
{
    const QString head = QStringLiteral("SELECT ") + QuoteIfBlank(KeyColumn) + QStringLiteral(" FROM ") + QuoteTableName(Table);
    switch (Way) {
    case AddedKeyWay::Returning:
        return {};
    case AddedKeyWay::LastRowId:
        // last_insert_rowid() is the connection's own: no other program's row can answer it.
        return {head + QStringLiteral(" WHERE rowid = last_insert_rowid()")};
    case AddedKeyWay::Search:
        break;
    }
    const QStringList conditions = matchConditions(Controls);
    if (conditions.isEmpty())
        return {head};
    QStringList lines{head + QStringLiteral(" WHERE ")};
    for (int i = 0; i < conditions.size(); ++i)
        lines << (i == 0 ? QString() : QStringLiteral(" AND ")) + conditions.at(i);
    return lines;
}

QString LocateAddedKey(Query& query, AddedKeyWay Way, const QString& Table, const QString& KeyColumn,
                       const QList<QWidget*>& Controls, QString& Value)
{
    query.close();
    query.sql() = LocateStatementLines(Table, KeyColumn, Controls, Way);
    int rows = 0;
    QString failure;
    try {
        query.open();
        for (; !query.eof(); query.next())
            if (++rows == 1 && !query.fields(0).isNull())
                Value = query.fields(0).asString();
    } catch (const std::exception& error) {
        query.close();
        // A table without SQLite's row identifier is searched by the values written.
        if (Way == AddedKeyWay::LastRowId)
            return LocateAddedKey(query, AddedKeyWay::Search, Table, KeyColumn, Controls, Value);
        failure = QString::fromUtf8(error.what()) + QStringLiteral("\r\n");
    }
    const QString sql = query.sql().join(QStringLiteral("\r\n"));
    query.close();
    query.sql().clear();
    if (!failure.isEmpty() || rows == 0 || Value.isEmpty()) {
        Value.clear();
        return failure + QStringLiteral("The record was added, but it was not found again to be shown.\r\n") + sql;
    }
    if (rows > 1) {
        Value.clear();
        return QStringLiteral("The record was added, but ") + QString::number(rows) + QStringLiteral(" records of the ")
               + Table.toUpper() + QStringLiteral(" table hold its values: it cannot be told apart from them to be shown.\r\n")
               + sql;
    }
    return {};
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

    // Long text and pictures go in with the INSERT: they can land in no other row, whatever the
    // record is found again by.
    const LongValues withRecord = addedLongValues(controls);
    RecordKey key;
    key.kind = PageKeyKind(s);
    const AddedKeyWay way = key.kind == KeyKind::Serial ? AddedKeyWayFor(DbmsNameOf(env.databaseName)) : AddedKeyWay::Search;
    const bool returning = way == AddedKeyWay::Returning;

    query.close();
    query.sql().clear();
    query.sql() << InsertStatementLines(s.CurrentTable, s.KeyColumn, controls, returning);
    QString failure = RunRecordStatement(query, withRecord, s.CurrentTable, QStringLiteral("A"), returning);
    if (failure.isEmpty()) {
        // A trigger may keep the row out without an error: then nothing is there to find.
        const bool stored = returning ? !query.eof() : query.rowsAffected() != 0;
        if (!stored)
            failure = DmlFailureText(s.CurrentTable, QStringLiteral("A"), QStringLiteral("The database stored no record."),
                                     query.sql().join(QStringLiteral("\r\n")));
        else if (returning && !query.fields(0).isNull())
            key.value = query.fields(0).asString();
    }
    query.close();
    query.sql().clear();
    if (!failure.isEmpty()) {
        // Nothing was added: the page keeps what was typed.
        ReportNothingStored(failure, QStringLiteral("Nothing was stored: the record was not added."));
        return false;
    }

    QString notFound;
    switch (key.kind) {
    case KeyKind::Serial:
        key.name = s.KeyColumn;
        if (returning && key.value.isEmpty())
            notFound = QStringLiteral("The record was added, but it was not found again to be shown.");
        else if (!returning)
            notFound = LocateAddedKey(query, way, s.CurrentTable, s.KeyColumn, controls, key.value);
        if (notFound.isEmpty() && s.KeyControl) {
            s.KeyControl->setText(key.value);
            // As a display leaves it, so the one that follows finds it shown and sets it no
            // second time.
            s.KeyControl->setCursorPosition(0);
        }
        break;
    case KeyKind::Unique:
        key.name = PageKeyColumn(s);
        key.value = s.UniqueControl ? s.UniqueControl->text() : QString();
        break;
    case KeyKind::Clause:
        key.value = AddedRecordClause(controls);
        if (key.value.isEmpty())
            notFound = QStringLiteral("The record was added, but it was not found again to be shown.");
        break;
    }
    const bool found = notFound.isEmpty();
    if (found) {
        s.RecordKeys << key.value;
        s.RecordIndex = s.RecordKeys.size() - 1;
    } else {
        AppMessageDlg(notFound, mtError, mbOK);
    }

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
