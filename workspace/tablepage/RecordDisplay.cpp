#include "workspace/tablepage/RecordDisplay.h"

#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/PerWidget.h"
#include "app/ConnectionStatus.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/imaging/Imaging.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/ExactReals.h"
#include "workspace/tablepage/LongText.h"
#include "workspace/tablepage/ShownValues.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include "ui_Main.h"

#include <QLineEdit>
#include <QPointer>
#include <QPalette>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QStatusBar>

#include <algorithm>
#include <stdexcept>
#include <vector>

using namespace platform::engine;

namespace {

// The column a data control stands for; empty for any other widget.
QString columnOf(QWidget* control)
{
    if (auto* edit = qobject_cast<TBVMaskEdit*>(control))
        return edit->FieldName;
    if (auto* memo = qobject_cast<TBVMemo*>(control))
        return memo->FieldName;
    if (auto* image = qobject_cast<TBVImage*>(control))
        return image->objectName().mid(6);  // after "Image_"
    return {};
}

QString markerOf(QWidget* control)
{
    if (auto* edit = qobject_cast<TBVMaskEdit*>(control))
        return edit->Hint;
    if (auto* memo = qobject_cast<TBVMemo*>(control))
        return memo->Hint;
    if (auto* image = qobject_cast<TBVImage*>(control))
        return image->Hint;
    return {};
}

QList<QWidget*> pageWidgets(Ui::TForm_Main& ui)
{
    QWidget* page = ui.ScrollBox->widget();
    return page ? page->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly) : QList<QWidget*>();
}

} // namespace

void SetNullMarker(Ui::TForm_Main& ui, QWidget* Control, bool IsNull)
{
    const QString column = columnOf(Control).toUpper();
    if (!Control)
        return;
    // The caption found last for each control is tried first: finding it among the page's
    // controls compared every caption's text, for every field of every record shown.
    static PerWidget<QPointer<QLineEdit>> found;
    const QPointer<QLineEdit>* known = found.find(Control);
    QLineEdit* caption = known ? known->data() : nullptr;
    if (!caption || caption->parentWidget() != ui.ScrollBox->widget() || caption->text().toUpper() != column) {
        caption = nullptr;
        for (QWidget* w : pageWidgets(ui)) {
            // Captions are plain edits; the data controls derive from edits too and are skipped.
            auto* edit = qobject_cast<QLineEdit*>(w);
            if (edit && !qobject_cast<TBVMaskEdit*>(w) && edit->text().toUpper() == column) {
                caption = edit;
                break;
            }
        }
        if (!caption)
            return;
        found[Control] = caption;
    }
    // A palette change restyles the caption: only a new colour is worth one.
    const QColor colour = IsNull ? QColor(Qt::red) : QColor(Qt::black);
    if (caption->palette().color(QPalette::Text) != colour) {
        QPalette p = caption->palette();
        p.setColor(QPalette::Text, colour);
        caption->setPalette(p);
    }
}

void RefreshNullMarkers(Ui::TForm_Main& ui)
{
    for (QWidget* w : pageWidgets(ui)) {
        if (qobject_cast<TBVMaskEdit*>(w) || qobject_cast<TBVMemo*>(w) || qobject_cast<TBVImage*>(w))
            SetNullMarker(ui, w, markerOf(w) == QLatin1String("null"));
    }
}

// ---------------------------------------------------------------------------------------------
// Showing one record

QString KeyValueLiteral(int KeyColumnType, const QString& v)
{
    switch (KeyColumnType) {
    case ftSmallint:
    case ftInteger:
    case ftFloat:
    case ftAutoInc: {
        static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?\\s*$"));
        if (number.match(v).hasMatch())
            return v.trimmed();
        return SqlLiteral(ftString, v);
    }
    case ftDate:
        if (ParseDateText(v))
            return SqlLiteral(ftDate, v);
        return SqlLiteral(ftString, v);
    case ftDateTime:
        if (IsValidDateTime(v))
            return SqlLiteral(ftDateTime, v);
        return SqlLiteral(ftString, v);
    default:
        return SqlLiteral(ftString, v);
    }
}

namespace {

// The lines of a record fetched by its key column K (quoted where it needs to be), the key
// written as rhs: a literal, or the parameter of the prepared statement.
QStringList keyedLines(const QString& table, const QString& K, const QString& SelectList, const QString& rhs,
                       bool blankAfterStar)
{
    const QString all = SelectList.isEmpty() ? QStringLiteral("*") : SelectList;
    return {QStringLiteral("SELECT ") + all + (SelectList.isEmpty() && blankAfterStar ? QStringLiteral(" ") : QString()),
            QStringLiteral("FROM ") + table, QStringLiteral("WHERE ") + K + QStringLiteral(" = ") + rhs,
            QStringLiteral("ORDER BY ") + K};
}

} // namespace

QString RecordKeyLiteral(bool RowId, int KeyColumnType, const QString& DBType, const QString& v)
{
    if (!RowId)
        return KeyValueLiteral(KeyColumnType, v);
    return DBType == QLatin1String("ORACLE") ? SqlLiteral(ftString, v) : KeyValueLiteral(ftAutoInc, v);
}

QStringList RecordStatementLines(const QString& CurrentTable, const QString& KeyColumn,
                                 const QString& UniqueColumn, int KeyColumnType,
                                 const QString& DBType, const QString& v, const QString& SelectList)
{
    QStringList lines;
    const QString table = QuoteTableName(CurrentTable);
    const QString all = SelectList.isEmpty() ? QStringLiteral("*") : SelectList;
    if (!KeyColumn.isEmpty()) {
        const QString K = QuoteIfBlank(KeyColumn);
        if (KeyColumn != QLatin1String("rowid"))
            return keyedLines(table, K, SelectList, RecordKeyLiteral(false, KeyColumnType, DBType, v), false);
        lines << QStringLiteral("SELECT rowid, ") + (SelectList.isEmpty() ? table + QStringLiteral(".* ") : SelectList)
              << QStringLiteral("FROM ") + table
              << QStringLiteral("WHERE ") + K + QStringLiteral(" = ") + RecordKeyLiteral(true, KeyColumnType, DBType, v)
              << QStringLiteral("ORDER BY ") + K;
    } else if (!UniqueColumn.isEmpty()) {
        return keyedLines(table, QuoteIfBlank(UniqueColumn), SelectList, RecordKeyLiteral(false, KeyColumnType, DBType, v),
                          true);
    } else {
        lines << QStringLiteral("SELECT ") + all + (SelectList.isEmpty() ? QStringLiteral(" ") : QString())
              << QStringLiteral("FROM ") + table << v;
    }
    return lines;
}

QStringList PreparedRecordStatementLines(const QString& CurrentTable, const QString& KeyColumn,
                                         const QString& UniqueColumn, const QString& SelectList)
{
    const QString table = QuoteTableName(CurrentTable);
    const QString marker = QStringLiteral(":key");
    if (!KeyColumn.isEmpty())
        return KeyColumn == QLatin1String("rowid") ? QStringList()
                                                    : keyedLines(table, QuoteIfBlank(KeyColumn), SelectList, marker, false);
    if (!UniqueColumn.isEmpty())
        return keyedLines(table, QuoteIfBlank(UniqueColumn), SelectList, marker, true);
    return {};
}

QString RecordSelectList(const ColumnList& Columns, const QString& DbmsName, const QString& KeyColumn)
{
    if (!ReadsRealsAsPrintedText(DbmsName))
        return {};
    const bool floats = std::any_of(Columns.begin(), Columns.end(),
                                    [](const auto& c) { return c.second && c.second->ColumnType == ftFloat; });
    if (!floats)
        return {};
    QStringList names;
    for (const auto& [lower, column] : Columns) {
        if (!column || (KeyColumn == QLatin1String("rowid") && lower == QLatin1String("rowid")))
            continue;  // the row identifier is selected on its own
        const QString name = QuoteIfBlank(column->ColumnName);
        names << (column->ColumnType == ftFloat ? PrintedRealColumn(name) : name);
    }
    return names.join(QStringLiteral(", "));
}

QString DbmsNameOf(const QString& DatabaseName)
{
    try {
        if (Database* database = Session::instance().findDatabase(DatabaseName))
            return database->dbmsName();
    } catch (const EngineError&) {
        // The statement that follows meets the same failure and reports it.
    }
    return {};
}

namespace {

void setRecordButtons(Ui::TForm_Main& ui, bool enabled)
{
    ui.BitBtn_Update->setEnabled(enabled);
    ui.BitBtn_Remove->setEnabled(enabled);
}

int columnTypeOf(const MainState& s, const QString& column)
{
    const QString lower = column.toLower();
    for (const auto& [name, object] : s.ColumnList)
        if (name == lower && object)
            return object->ColumnType;
    return ftUnknown;
}

void emptyPicture(Ui::TForm_Main& ui, TBVImage* image)
{
    image->setAutoSize(false);
    image->setPicture(ui.Image_Clear->pixmap());
    image->resize(21, 21);
}

// Fills one picture control from a blob field.
void showPicture(Ui::TForm_Main& ui, TBVImage* image, Field& f)
{
    if (f.isNull()) {
        emptyPicture(ui, image);
        image->Hint = QStringLiteral("null");
        SetNullMarker(ui, image, true);
        MoveControlsBelow(ui, image);
        FitImageFrame(ui, image);
        return;
    }
    image->Hint.clear();
    const QByteArray data = f.asBytes();
    if (data.isEmpty()) {
        image->setPicture(ui.Image_Clear->pixmap());
        image->ImageFormat = TBVImage::None;  // nothing to write back
        return;
    }
    image->ImageFormat = TBVImage::None;
    platform::imaging::Format format = platform::imaging::Format::None;
    const QImage picture = platform::imaging::decodeAny(data, format);
    if (picture.isNull()) {
        // Never leave another record's picture in place.
        emptyPicture(ui, image);
    } else {
        image->setAutoSize(true);
        image->ImageFormat = static_cast<quint8>(format);
        image->setPicture(QPixmap::fromImage(picture));
        image->StoredImage = data;
    }
    MoveControlsBelow(ui, image);
    FitImageFrame(ui, image);
    SetNullMarker(ui, image, image->Hint.toLower() == QLatin1String("null"));
}

// True when an edit holding the text to show is as a show left it: cursor at the start, nothing
// selected, nothing typed or undone since. Setting the same text again would leave it the same,
// after laying the text out and painting it anew, and the columns that repeat from record to
// record are many.
bool showsUntouched(const TBVMaskEdit* edit)
{
    return !edit->EditedByUser && edit->cursorPosition() == 0 && !edit->hasSelectedText() && !edit->isModified();
}

// Setting the text also empties the undo history, so no earlier value can be brought back into
// a record it does not belong to. The cursor goes to the start, unless the edit already shows
// this very text whole and has no focus: there the move changes nothing on the screen, yet has
// the edit painted again, which after an add or an update cost about as much as its statements.
void showText(TBVMaskEdit* edit, const QString& text)
{
    const bool sameText = edit->text() == text;
    if (sameText && showsUntouched(edit))
        return;
    const bool sameView = sameText && !edit->hasFocus() && edit->showsWholeText();
    edit->setText(text);
    if (!sameView)
        edit->setCursorPosition(0);
    edit->EditedByUser = false;
}

// Fills one mask edit from a field, by the fetched field's type.
void showValue(Ui::TForm_Main& ui, TBVMaskEdit* edit, Field& f)
{
    if (f.isNull()) {
        showText(edit, QString());
        edit->Hint = QStringLiteral("null");
    } else {
        showText(edit, ShownFieldText(edit, f));
        edit->Hint = edit->text();
    }
    SetNullMarker(ui, edit, edit->Hint.toLower() == QLatin1String("null"));
}

// A boolean goes into the record line quoted: '1' is read by every database, PostgreSQL's boolean
// too, which refuses a bare 1.
QString bitLiteral(const QString& text) { return QLatin1Char('\'') + BooleanToBit(text) + QLatin1Char('\''); }

} // namespace

bool IsPictureType(int type) { return type == ftBlob || type == ftGraphic; }

QString ShownFieldText(const TBVMaskEdit* edit, const Field& f)
{
    switch (f.dataType()) {
    case ftDate: {
        const QDateTime dt = f.asDateTime();
        return dt.isValid() ? ClockText(dt.date(), nullptr, ClockOrder::Shown) : f.asString();
    }
    case ftDateTime: {
        const QDateTime dt = f.asDateTime();
        const QTime time = dt.time();
        return dt.isValid() ? ClockText(dt.date(), &time, ClockOrder::Shown) : f.asString();
    }
    default:
        return edit->FieldType == ftFloat ? FloatFieldText(f) : f.asString();
    }
}

QString EditLineLiteral(const TBVMaskEdit* edit, const Field& f, const QString& editText)
{
    if (f.isNull())
        return QStringLiteral("null");
    // Text goes as stored: the control may show it upper-cased.
    if (edit->FieldType == ftString)
        return LineStringLiteral(f.asString());
    if (edit->FieldType == ftBoolean)
        return bitLiteral(f.asString());
    try {
        return SqlLiteral(edit->FieldType, editText);
    } catch (const std::invalid_argument&) {
        return LineStringLiteral(editText);  // a stored text that is no date and time
    }
}

QString FieldLineLiteral(const Field& f)
{
    if (f.isNull())
        return QStringLiteral("null");
    switch (f.dataType()) {
    case ftDate:
        return SqlLiteral(ftDate, f.asString());
    case ftDateTime:
        return IsValidDateTime(f.asString()) ? SqlLiteral(ftDateTime, f.asString()) : LineStringLiteral(f.asString());
    case ftSmallint:
    case ftInteger:
    case ftAutoInc:
    case ftFloat:
        return f.asString();
    case ftBoolean:
        return bitLiteral(f.asString());
    default:
        return LineStringLiteral(f.asString());
    }
}

namespace {

// After a failed fetch nothing of the previous record stays on the page to be written back.
void clearAfterFailure(TablePageEnv& env)
{
    env.state.RecordShown = false;
    ClearTablePage(env.ui);
    setRecordButtons(env.ui, false);
}

} // namespace

RecordKeyBinding KeyBindingOf(const RecordFetchPlan& plan, const QString& v)
{
    RecordKeyBinding b;
    if (plan.keyColumn == QLatin1String("rowid") || (plan.keyColumn.isEmpty() && plan.uniqueColumn.isEmpty()))
        return b;
    switch (plan.keyType) {
    case ftSmallint:
    case ftInteger:
    case ftAutoInc: {
        // Digits after an optional sign, nothing else: a whole number, read for every key a
        // batch of found records sends.
        const QStringView digits = QStringView(v).trimmed();
        const qsizetype first = !digits.isEmpty() && (digits[0] == u'+' || digits[0] == u'-') ? 1 : 0;
        const bool whole = digits.size() > first
                           && std::all_of(digits.begin() + first, digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        bool ok = false;
        const long long n = whole ? digits.toLongLong(&ok) : 0;
        if (ok) {
            b.kind = RecordKeyBinding::Integer;
            b.number = n;
        }
        break;
    }
    case ftString:
        b.kind = RecordKeyBinding::Text;
        break;
    default:
        break;
    }
    return b;
}

RecordFetchPlan PageFetchPlan(TablePageEnv& env)
{
    const MainState& s = env.state;
    RecordFetchPlan plan;
    plan.table = s.CurrentTable;
    plan.keyColumn = s.KeyColumn;
    // A configured unique column comes in upper case; its control carries the table's own name,
    // which a database with case-sensitive quoted names needs.
    plan.uniqueColumn = s.UniqueColumn;
    if (auto* uniqueEdit = qobject_cast<TBVMaskEdit*>(s.UniqueControl))
        plan.uniqueColumn = uniqueEdit->FieldName;
    // Text keys are quoted, numeric ones go bare; a serial column of unknown type counts as a number.
    if (!s.KeyColumn.isEmpty()) {
        plan.keyType = columnTypeOf(s, s.KeyColumn);
        if (plan.keyType == ftUnknown)
            plan.keyType = ftAutoInc;
    } else if (!s.UniqueColumn.isEmpty()) {
        plan.keyType = columnTypeOf(s, s.UniqueColumn);
    }
    plan.dbType = s.CurrentDatabase ? s.CurrentDatabase->DBType : QString();
    plan.selectList = RecordSelectList(s.ColumnList, DbmsNameOf(env.databaseName), s.KeyColumn);
    return plan;
}

Query& OpenRecordFetch(TablePageEnv& env, const RecordFetchPlan& plan, const QString& v, Query& literal)
{
    MainState& s = env.state;
    // The statement is prepared once for the page where the key can be bound as a parameter;
    // each record then costs only running it again.
    const RecordKeyBinding binding = KeyBindingOf(plan, v);
    if (binding.kind != RecordKeyBinding::None) {
        if (!s.PreparedRecordFetch)
            s.PreparedRecordFetch = std::make_shared<RecordFetch>();
        Query& prepared = s.PreparedRecordFetch->query;
        prepared.setDatabaseName(env.databaseName);
        const QStringList text = PreparedRecordStatementLines(plan.table, plan.keyColumn, plan.uniqueColumn, plan.selectList);
        if (prepared.sql() != text)
            prepared.sql() = text;
        prepared.prepare();
        Param& key = prepared.paramByName(QStringLiteral("key"));
        if (binding.kind == RecordKeyBinding::Integer)
            key.setInteger(binding.number);
        else
            key.setString(v);
        try {
            prepared.open();
            return prepared;
        } catch (const EngineError&) {
            Database* database = Session::instance().findDatabase(env.databaseName);
            if (database && database->linkLost())
                throw;
            // Anything else (a table changed under the prepared statement) gets the text sent
            // afresh, which reports what is still wrong.
            s.PreparedRecordFetch.reset();
        }
    }
    literal.setDatabaseName(env.databaseName);
    literal.sql() = RecordStatementLines(plan.table, plan.keyColumn, plan.uniqueColumn, plan.keyType, plan.dbType, v,
                                         plan.selectList);
    literal.open();
    return literal;
}

bool ShowRecord(TablePageEnv& env, FetchFailure failure)
{
    MainState& s = env.state;
    Ui::TForm_Main& ui = env.ui;

    // Qt paints only from the event loop, which nothing here runs until the page is filled, so
    // the page never shows half a record without holding its painting off; a hold would also
    // have the whole page, captions and all, painted again for every record.
    ResetImagePositions(s, ui);

    const int count = s.RecordKeys.size();
    if (count > 0) {
        setRecordButtons(ui, true);
        // First takes its state here once: turned on and off again it would be painted for nothing.
        SetNavigationButtons(s, ui, s.RecordIndex);
    } else {
        setRecordButtons(ui, false);
        ui.BitBtn_First->setEnabled(false);
        ui.BitBtn_Next->setEnabled(false);
        ui.BitBtn_Previous->setEnabled(false);
        ui.BitBtn_Last->setEnabled(false);
    }

    if (env.statusPanel0) {
        env.statusPanel0->setText(s.CurrentTable.toUpper() + QStringLiteral("  Record  ")
                                  + QString::number(s.RecordIndex + 1) + QStringLiteral(" of ")
                                  + QString::number(count) + QStringLiteral("          ")
                                  + GetConnectionText(s, ui.StatusBar));
    }

    s.AsciiLine.clear();
    if (s.RecordIndex < 0 || s.RecordIndex >= count) {
        // Nothing to show at this index: an empty page rather than another record's values.
        clearAfterFailure(env);
        return false;
    }

    const QString v = s.RecordKeys.at(s.RecordIndex);
    const RecordFetchPlan plan = PageFetchPlan(env);
    const QString& uniqueColumn = plan.uniqueColumn;
    const int keyType = plan.keyType;
    const bool buildHeader = s.AsciiHeader.isEmpty();

    Query literal;
    Query* opened = nullptr;
    try {
        opened = &OpenRecordFetch(env, plan, v, literal);
    } catch (const EngineError& e) {
        clearAfterFailure(env);
        // Shown with the statement that has the key written in, whichever was sent.
        if (failure == FetchFailure::Reported)
            AppMessageDlg(e.message() + QStringLiteral("\r\n")
                              + RecordStatementLines(plan.table, plan.keyColumn, uniqueColumn, keyType, plan.dbType, v,
                                                     plan.selectList)
                                    .join(QStringLiteral("\r\n")),
                          mtError, mbOK);
        return false;
    }
    Query& query = *opened;
    if (query.eof()) {
        // The record has gone since it was found.
        query.close();
        clearAfterFailure(env);
        return false;
    }

    // The memo's key: the key column, else the unique column, else the stored clause.
    QString memoKeyName, memoKeyValue;
    if (!s.KeyColumn.isEmpty()) {
        memoKeyName = s.KeyColumn == QLatin1String("rowid") ? s.KeyColumn : QuoteIfBlank(s.KeyColumn);
        memoKeyValue = s.KeyColumn == QLatin1String("rowid") ? v : KeyValueLiteral(keyType, v);
    } else if (!s.UniqueColumn.isEmpty()) {
        memoKeyName = QuoteIfBlank(uniqueColumn);
        memoKeyValue = KeyValueLiteral(keyType, v);
    }

    // The data controls with the names their columns are matched by, taken once for the record
    // instead of once for each of its fields.
    struct DataControl {
        TBVImage* image = nullptr;
        TBVMaskEdit* edit = nullptr;
        TBVMemo* memo = nullptr;
        QString name;  // upper case for pictures and memos, lower case for edits
    };
    std::vector<DataControl> dataControls;
    for (QWidget* w : PageControls(ui)) {
        // What each control shows from here on is the stored record, to tell the user's changes by.
        ForgetShownValue(w);
        if (auto* image = qobject_cast<TBVImage*>(w))
            dataControls.push_back({image, nullptr, nullptr, columnOf(w).toUpper()});
        else if (auto* edit = qobject_cast<TBVMaskEdit*>(w))
            dataControls.push_back({nullptr, edit, nullptr, columnOf(w).toLower()});
        else if (auto* memo = qobject_cast<TBVMemo*>(w))
            dataControls.push_back({nullptr, nullptr, memo, columnOf(w).toUpper()});
    }
    QString header;
    QString memoFailure;
    for (int i = 0; i < query.fieldCount(); ++i) {
        Field& f = query.fields(i);
        const QString name = f.fieldName();
        const QString lower = name.toLower();
        const QString upper = name.toUpper();
        bool picture = IsPictureType(f.dataType());
        bool keyControl = false;
        TBVMaskEdit* firstEdit = nullptr;
        bool hasMemo = false;

        for (const DataControl& c : dataControls) {
            if (TBVImage* image = c.image) {
                if (c.name != upper)
                    continue;
                picture = true;
                showPicture(ui, image, f);
                RememberShownValue(image);
            } else if (TBVMaskEdit* edit = c.edit) {
                if (c.name != lower)
                    continue;
                showValue(ui, edit, f);
                RememberShownValue(edit, StoredValueCondition(edit, f));
                if (edit->FieldType == ftAutoInc)
                    keyControl = true;
                else if (!firstEdit)
                    firstEdit = edit;
            } else if (TBVMemo* memo = c.memo) {
                if (c.name != upper)
                    continue;
                hasMemo = true;
                try {
                    LoadMemoText(env, memo, s.CurrentTable, QuoteIfBlank(name), memoKeyName, memoKeyValue);
                } catch (const EngineError& e) {
                    memoFailure = e.message();
                }
                // Also a memo left as it was (not loaded): only what the user types in it is written.
                RememberShownValue(memo);
            }
        }

        // Header and line cover the same columns: not the key, not a picture.
        if (picture || keyControl || lower == s.KeyColumn.toLower())
            continue;
        header += QuoteIfBlank(name) + QLatin1Char('|');
        if (hasMemo)
            s.AsciiLine += QStringLiteral("''|");
        else if (firstEdit)
            s.AsciiLine += EditLineLiteral(firstEdit, f, firstEdit->text()) + QLatin1Char('|');
        else
            s.AsciiLine += FieldLineLiteral(f) + QLatin1Char('|');
    }
    query.close();
    s.RecordShown = true;
    if (buildHeader)
        s.AsciiHeader = header;
    if (!memoFailure.isEmpty())
        AppMessageDlg(memoFailure, mtError, mbOK);
    return true;
}
