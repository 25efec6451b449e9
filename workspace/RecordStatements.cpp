#include "workspace/RecordStatements.h"

#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "workspace/ColumnList.h"
#include "workspace/RecordDisplay.h"
#include "workspace/ValueChecks.h"

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

bool IsNullMarker(const QString& marker) { return marker.toLower() == QLatin1String("null"); }

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
    case ftSmallint:
    case ftInteger:
    case ftFloat:
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

bool ExecuteDml(Query& Query, const QString& Table, const QString& Kind)
{
    const QString kind = Kind.toUpper();
    QString phrase = Kind;
    if (kind == QLatin1String("A"))
        phrase = QStringLiteral("when writing to");
    else if (kind == QLatin1String("D"))
        phrase = QStringLiteral("when deleting from");
    else if (kind == QLatin1String("U"))
        phrase = QStringLiteral("when updating");
    try {
        Query.execSQL();
        return true;
    } catch (const std::exception& error) {
        AppMessageDlg(QStringLiteral("An error occured ") + phrase + QStringLiteral(" the ") + Table
                          + QStringLiteral(" table.") + QStringLiteral("\r") + QString::fromUtf8(error.what())
                          + QStringLiteral("\r\n\r\n") + Query.sql().join(QStringLiteral("\r\n")),
                      mtError, mbOK);
        return false;
    }
}
