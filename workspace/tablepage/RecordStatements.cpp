#include "workspace/tablepage/RecordStatements.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/BVValid.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/BlobPictures.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/LongText.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/ValueChecks.h"

#include <algorithm>

using namespace platform::engine;

namespace {

int columnType(const MainState& state, const QString& column)
{
    const QString lower = column.toLower();
    for (const auto& [name, object] : state.ColumnList)
        if (name == lower && object)
            return object->ColumnType;
    return ftUnknown;
}

} // namespace

// Without a lower-cased copy: export reads it for every field of every record.
bool IsNullMarker(const QString& marker) { return marker.compare(QLatin1String("null"), Qt::CaseInsensitive) == 0; }

KeyKind PageKeyKind(const MainState& state)
{
    if (!state.KeyColumn.isEmpty())
        return KeyKind::Serial;
    if (!state.UniqueColumn.isEmpty() && HasUniqueColumn(state))
        return KeyKind::Unique;
    return KeyKind::Clause;
}

QString PageKeyColumn(const MainState& state)
{
    switch (PageKeyKind(state)) {
    case KeyKind::Serial:
        return state.KeyColumn;
    case KeyKind::Unique:
        if (auto* edit = qobject_cast<TBVMaskEdit*>(state.UniqueControl))
            return edit->FieldName;
        return state.UniqueColumn;
    case KeyKind::Clause:
        break;
    }
    return {};
}

RecordKey ShownRecordKey(const MainState& state)
{
    RecordKey key;
    key.kind = PageKeyKind(state);
    key.name = PageKeyColumn(state);
    if (state.RecordIndex >= 0 && state.RecordIndex < state.RecordKeys.size())
        key.value = state.RecordKeys.at(state.RecordIndex);
    return key;
}

QString KeyLiteral(const MainState& state, const QString& keyName, const QString& value)
{
    if (keyName == QLatin1String("rowid")) {
        const bool oracle = state.CurrentDatabase && state.CurrentDatabase->DBType == QLatin1String("ORACLE");
        return oracle ? SqlLiteral(ftString, value) : KeyValueLiteral(ftAutoInc, value);
    }
    int type = columnType(state, keyName);
    // A serial column the list does not know is taken for a number, as the record display does.
    if (type == ftUnknown && keyName.compare(state.KeyColumn, Qt::CaseInsensitive) == 0)
        type = ftAutoInc;
    return KeyValueLiteral(type, value);
}

QString KeyCondition(const MainState& state, const RecordKey& key)
{
    if (key.kind == KeyKind::Clause)
        return key.value;
    return QStringLiteral("WHERE ") + QuoteIfBlank(key.name) + QStringLiteral(" = ")
           + KeyLiteral(state, key.name, key.value);
}

QString EditLiteral(const TBVMaskEdit* edit)
{
    if (IsNullMarker(edit->Hint))
        return QStringLiteral("null");
    const QString text = edit->text();
    switch (edit->FieldType) {
    case ftBoolean:
        return QLatin1Char('\'') + BooleanToBit(text) + QLatin1Char('\'');
    case ftDate:
        return SqlLiteral(ftDate, text);
    case ftDateTime:
        return SqlLiteral(ftDateTime, DateTimeTextOrDefault(text));
    case ftFloat: {
        const QString number = SqlLiteral(ftFloat, text);
        const auto value = StrToFloat(number);
        if (number.startsWith(QLatin1Char('-')) && value && *value == 0)
            return QLatin1Char('\'') + number + QLatin1Char('\'');
        return number;
    }
    case ftSmallint:
    case ftInteger:
    case ftString:
        return SqlLiteral(edit->FieldType, text);
    default:
        return text.isEmpty() ? QStringLiteral("null") : SqlLiteral(ftString, text);
    }
}

QString MatchCondition(const TBVMaskEdit* edit, const QString& Literal)
{
    const QString name = QuoteIfBlank(edit->FieldName);
    if (Literal == QLatin1String("null"))
        return name + QStringLiteral(" IS NULL");
    if (Literal == QLatin1String("''"))
        return QLatin1Char('(') + name + QStringLiteral("='' OR ") + name + QStringLiteral(" IS NULL)");
    // A number compared bare is read as a double, which a single-precision column never equals
    // (PostgreSQL's real 6.8); quoted, the database reads it in the column's own type.
    if (edit->FieldType == ftFloat && !Literal.startsWith(QLatin1Char('\'')))
        return name + QStringLiteral("='") + Literal + QLatin1Char('\'');
    return name + QLatin1Char('=') + Literal;
}

namespace {

QString failurePhrase(const QString& Kind)
{
    const QString kind = Kind.toUpper();
    if (kind == QLatin1String("A"))
        return QStringLiteral("when writing to");
    if (kind == QLatin1String("D"))
        return QStringLiteral("when deleting from");
    if (kind == QLatin1String("U"))
        return QStringLiteral("when updating");
    return Kind;
}

} // namespace

QString DmlFailureText(const QString& Table, const QString& Kind, const QString& Message, const QString& Sql)
{
    return QStringLiteral("An error occured ") + failurePhrase(Kind) + QStringLiteral(" the ") + Table
           + QStringLiteral(" table.") + QStringLiteral("\r") + Message + QStringLiteral("\r\n\r\n") + Sql;
}

QString RunRecordStatement(Query& Query, const LongValues& Long, const QString& Table, const QString& Kind, bool Opens)
{
    try {
        Long.bind(Query);
        if (Opens)
            Query.open();
        else
            Query.execSQL();
        return {};
    } catch (const std::exception& error) {
        return DmlFailureText(Table, Kind, QString::fromUtf8(error.what()), Query.sql().join(QStringLiteral("\r\n")));
    }
}

QString RunDml(Query& Query, const QString& Table, const QString& Kind)
{
    return RunRecordStatement(Query, {}, Table, Kind);
}

bool ExecuteDml(Query& Query, const QString& Table, const QString& Kind)
{
    const QString failure = RunDml(Query, Table, Kind);
    if (!failure.isEmpty())
        AppMessageDlg(failure, mtError, mbOK);
    return failure.isEmpty();
}

namespace {

QString memoParameter(qsizetype index)
{
    return index == 0 ? QStringLiteral("MemoText") : QStringLiteral("MemoText") + QString::number(index + 1);
}

QString pictureParameter(qsizetype index)
{
    return index == 0 ? QStringLiteral("IMAGE") : QStringLiteral("IMAGE") + QString::number(index + 1);
}

} // namespace

LongValues::LongValues(QList<TBVMemo*> Memos, QList<TBVImage*> Pictures)
    : memos_(std::move(Memos)), pictures_(std::move(Pictures))
{
}

bool LongValues::contains(const QWidget* Control) const
{
    return std::find(memos_.begin(), memos_.end(), Control) != memos_.end()
           || std::find(pictures_.begin(), pictures_.end(), Control) != pictures_.end();
}

QString LongValues::term(const QWidget* Control) const
{
    for (qsizetype i = 0; i < memos_.size(); ++i)
        if (memos_.at(i) == Control)
            return MemoWritesNull(memos_.at(i)) ? QStringLiteral("null") : QLatin1Char(':') + memoParameter(i);
    for (qsizetype i = 0; i < pictures_.size(); ++i)
        if (pictures_.at(i) == Control)
            return PictureWritesNull(pictures_.at(i)) ? QStringLiteral("null") : QLatin1Char(':') + pictureParameter(i);
    return {};
}

void LongValues::bind(Query& Query) const
{
    for (qsizetype i = 0; i < memos_.size(); ++i)
        if (!MemoWritesNull(memos_.at(i)))
            Query.paramByName(memoParameter(i)).setMemo(MemoTextToStore(memos_.at(i)));
    for (qsizetype i = 0; i < pictures_.size(); ++i)
        if (!PictureWritesNull(pictures_.at(i)))
            BindPicture(Query.paramByName(pictureParameter(i)), pictures_.at(i));
}

QString LongValueColumn(const QWidget* Control)
{
    if (auto* memo = qobject_cast<const TBVMemo*>(Control))
        return memo->FieldName;
    return ImageColumnName(qobject_cast<const TBVImage*>(Control));
}

RecordWrite::RecordWrite(const QString& DatabaseName)
{
    Database* database = Session::instance().findDatabase(DatabaseName);
    if (!database)
        throw EngineError(QStringLiteral("The database '%1' is not connected.").arg(DatabaseName));
    database->startTransaction();
    database_ = database;
}

RecordWrite::~RecordWrite()
{
    rollback();
}

QString RecordWrite::commit(const QString& Table, const QString& Kind)
{
    Database* database = database_;
    database_ = nullptr;
    if (!database)
        return {};
    try {
        database->commit();
        return {};
    } catch (const std::exception& error) {
        return DmlFailureText(Table, Kind, QString::fromUtf8(error.what()), QStringLiteral("COMMIT"));
    }
}

void RecordWrite::rollback()
{
    if (database_)
        database_->rollback();
    database_ = nullptr;
}

QString ChangedByAnotherUser(const QString& Kind)
{
    return Kind.toUpper() == QLatin1String("D")
               ? QStringLiteral("The record was changed or removed by another user; nothing was deleted.")
               : QStringLiteral("The record was changed or removed by another user; nothing was stored.");
}

QString TooManyRowsFailure(int Affected, int Meant, const QString& Table, const QString& Kind, const QString& Sql)
{
    const QString verb = Kind.toUpper() == QLatin1String("D") ? QStringLiteral("deleted") : QStringLiteral("changed");
    // More than Meant, which is at least one: always more than one record.
    return DmlFailureText(Table, Kind,
                          QStringLiteral("The statement would have ") + verb + QLatin1Char(' ') + QString::number(Affected)
                              + QStringLiteral(" records, not the ") + QString::number(Meant) + QStringLiteral(" meant."),
                          Sql);
}

void ReportNothingStored(const QString& Failure, const QString& NothingStored)
{
    AppMessageDlg(Failure + QStringLiteral("\r\n\r\n") + NothingStored, mtError, mbOK);
}
