#include "workspace/tablepage/ColumnList.h"

#include "app/DatabaseRegistry.h"
#include "app/Options.h"

#include "platform/ado/Ado.h"
#include "platform/engine/Engine.h"


namespace {

QString DBTypeOf(const MainState& state)
{
    return state.CurrentDatabase ? state.CurrentDatabase->DBType : QString();
}

// Closes the dataset when the scope ends, so a failed load leaves no table open behind it.
struct CloseOnExit {
    platform::engine::DataSet* dataSet;
    ~CloseOnExit()
    {
        if (dataSet)
            dataSet->close();
    }
};

// A name inside a quoted catalogue literal.
QString asLiteral(QString name)
{
    return name.replace(QLatin1Char('\''), QLatin1String("''"));
}

} // namespace

ColumnListLoader::ColumnListLoader(MainState& state, const ColumnSources& sources)
    : state_(state), sources_(sources)
{
}

void ColumnListLoader::LoadFieldObjects(const QString& TableName, ColumnList& List)
{
    // The old objects go first: a failure below leaves the list empty, never half old.
    List.clear();

    // The table is opened, and later written into statements, as the catalogue spells it.
    RememberTableSpellings(state_.TableNames);
    RememberColumnSpellings({});
    platform::engine::Table& table = *sources_.Table;
    table.close();
    table.setTableName(TableSpelling(TableName));
    CloseOnExit closeTable{&table};
    table.open();

    const QString dbType = DBTypeOf(state_);
    const QString serialName = FindSerialField(table, dbType);
    const QString serialLower = serialName.toLower();

    ColumnList loaded;
    loaded.reserve(std::size_t(table.fieldCount()));
    QStringList spellings;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const platform::engine::Field& field = table.fields(i);
        spellings << field.fieldName();
        auto object = std::make_shared<TFieldObject>();
        object->ColumnName = field.fieldName().toLower();
        object->ColumnType = field.dataType();
        object->ColumnSize = field.dataSize() - 1;
        object->IsSerial = object->ColumnName == serialLower;
        object->IsUnique = !object->IsSerial && IsUniqueField(table, field.fieldName());
        loaded.emplace_back(object->ColumnName, std::move(object));
    }
    table.close();
    RememberColumnSpellings(spellings);

    if (state_.AddRowId && serialName.isEmpty()
        && (dbType == QLatin1String("ORACLE") || dbType == QLatin1String("INFORMIX"))) {
        auto rowId = std::make_shared<TFieldObject>();
        rowId->ColumnName = QStringLiteral("rowid");
        rowId->IsSerial = true;
        if (dbType == QLatin1String("ORACLE")) {
            rowId->ColumnType = platform::engine::ftString;
            rowId->ColumnSize = 50;
        } else {
            rowId->ColumnType = platform::engine::ftInteger;
            rowId->ColumnSize = 8;
        }
        loaded.emplace(loaded.begin(), rowId->ColumnName, std::move(rowId));
    }
    List = std::move(loaded);
}

QString ColumnListLoader::FindSerialField(platform::engine::Table& Table, const QString& DBType)
{
    using platform::engine::Query;

    // A configured serial column ends the search: no catalogue is asked.
    QString serialName = ListValue(state_.SerialFields, Table.tableName().toUpper()).trimmed();
    if (!serialName.isEmpty())
        return serialName;

    auto runCatalogue = [&serialName](Query& query, const QStringList& lines) {
        query.close();
        query.sql().clear();
        for (const QString& line : lines)
            query.sql() << line;
        query.open();
        if (!query.eof() && query.fieldCount() > 0)
            serialName = query.fields(0).asString();
        query.close();
    };

    if (DBType == QLatin1String("ORACLE")) {
        const QString t = Table.tableName().toUpper();
        runCatalogue(*sources_.Query, {
            QStringLiteral("SELECT column_name FROM dba_trigger_cols"),
            QStringLiteral("WHERE  table_owner   = 'VOLTADBA'"),
            QStringLiteral("AND table_name = '") + asLiteral(t) + QStringLiteral("'"),
            QStringLiteral("AND trigger_owner = 'VOLTADBA'"),
            QStringLiteral("AND trigger_name LIKE 'TRG_%'"),
        });
    } else if (DBType == QLatin1String("SQL SERVER")) {
        const QString t = Table.tableName().toLower();
        const TDataBaseObj* db = state_.CurrentDatabase;
        sources_.ADOQuery->close();
        sources_.ADOQuery->setConnectionString(DatabaseConnectionText(db));
        runCatalogue(*sources_.ADOQuery, {
            QStringLiteral("SELECT syscolumns.name"),
            QStringLiteral("FROM sysobjects, syscolumns"),
            QStringLiteral("WHERE sysobjects.type = 'U'"),
            QStringLiteral("AND sysobjects.name = '") + asLiteral(t) + QStringLiteral("'"),
            QStringLiteral("AND sysobjects.id  = syscolumns.id"),
            QStringLiteral("AND syscolumns.colstat = 1"),
        });
    } else if (DBType == QLatin1String("INFORMIX")) {
        const QString t = Table.tableName().toLower();
        runCatalogue(*sources_.Query, {
            QStringLiteral("SELECT syscolumns.colname"),
            QStringLiteral("FROM systables, syscolumns"),
            QStringLiteral("WHERE syscolumns.tabid = systables.tabid"),
            QStringLiteral("AND systables.tabname = '") + asLiteral(t) + QStringLiteral("'"),
            QStringLiteral("AND syscolumns.coltype = 262"),
            QStringLiteral("AND systables.tabid > 99"),
        });
    } else if (DBType == QLatin1String("ACCESS") || DBType == QLatin1String("DBASE")) {
        platform::engine::Table& table2 = *sources_.Table2;
        table2.close();
        table2.setTableName(Table.tableName());
        table2.setDatabaseName(Table.databaseName());
        CloseOnExit closeTable2{&table2};
        table2.open();
        for (int i = 0; i < table2.fieldCount(); ++i) {
            if (table2.fields(i).dataType() == platform::engine::ftAutoInc) {
                serialName = table2.fields(i).fieldName();
                break;
            }
        }
    }
    if (!serialName.isEmpty())
        return serialName;

    // An auto-increment column the driver reports is the serial column wherever no catalogue
    // named one (SQLite, PostgreSQL and any other type). The page gives such a column the key
    // type anyway, so the query must key its records by it too, or a found record could never be
    // shown again.
    for (int i = 0; i < Table.fieldCount(); ++i) {
        if (Table.fields(i).dataType() == platform::engine::ftAutoInc)
            return Table.fields(i).fieldName();
    }

    // Only the first column is taken by its name.
    if (Table.fieldCount() > 0) {
        const QString first = Table.fields(0).fieldName().toLower();
        if (first.contains(QLatin1String("serial")))
            serialName = first;
    }
    return serialName;
}

bool ColumnListLoader::IsUniqueField(platform::engine::Table& Table, const QString& FieldName) const
{
    const QString v = ListValue(state_.UniqueFields, Table.tableName().toUpper()).trimmed();
    return !v.isEmpty() && FieldName.toUpper() == v;
}

QString ConfiguredSerialColumn(const MainState& state)
{
    return ListValue(state.SerialFields, state.CurrentTable.toUpper()).toLower();
}

QString ConfiguredUniqueColumn(const MainState& state)
{
    return ListValue(state.UniqueFields, state.CurrentTable.toUpper()).trimmed();
}

bool HasKeyColumn(const MainState& state)
{
    for (const auto& entry : state.ColumnList)
        if (entry.second && entry.second->IsSerial)
            return true;
    return !ConfiguredSerialColumn(state).isEmpty();
}

bool HasUniqueColumn(const MainState& state)
{
    for (const auto& entry : state.ColumnList)
        if (entry.second && entry.second->IsUnique)
            return true;
    return false;
}

QString QuoteIfBlank(const QString& S)
{
    return platform::engine::QuotedName(ColumnSpelling(S));
}

QString QuoteTableName(const QString& table)
{
    // A known table whose name holds a dot is one name, not "owner.table".
    if (IsKnownTable(table))
        return platform::engine::QuotedName(TableSpelling(table));
    return platform::engine::QuotedTableName(table);
}
