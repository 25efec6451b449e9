#pragma once
// The columns of one table: name, type code, size, serial and unique flags; and the key-column
// tests of the Table page.
#include "app/CatalogueSpellings.h"
#include "app/MainState.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

class QLineEdit;
class QWidget;
namespace platform::engine { class Query; class Table; }
namespace platform::ado { class AdoQuery; }

class TFieldObject {
public:
    QString ColumnName;          // lower case
    int ColumnType = 0;          // field type code
    int ColumnSize = 0;          // the field's data size less one
    bool IsSerial = false;
    bool IsUnique = false;
    int ControlTop = 0;          // set by the page builder
    QWidget* DataControl = nullptr;   // not owned
    QLineEdit* LabelEdit = nullptr;   // not owned
};

// Lower-cased column name to its column, in column order (MainState::ColumnList has this type).
using ColumnList = std::vector<std::pair<QString, std::shared_ptr<TFieldObject>>>;

// The datasets the column list reads through (the main window's Table, Table2, Query, ADOQuery).
struct ColumnSources {
    platform::engine::Table* Table = nullptr;
    platform::engine::Table* Table2 = nullptr;
    platform::engine::Query* Query = nullptr;
    platform::ado::AdoQuery* ADOQuery = nullptr;
};

class ColumnListLoader {
public:
    ColumnListLoader(MainState& state, const ColumnSources& sources);

    // Refills List with one column per field of TableName; leaves Table closed.
    void LoadFieldObjects(const QString& TableName, ColumnList& List);
    // Table is open on the table. Empty when it has no serial column.
    QString FindSerialField(platform::engine::Table& Table, const QString& DBType);
    bool IsUniqueField(platform::engine::Table& Table, const QString& FieldName) const;

private:
    MainState& state_;
    ColumnSources sources_;
};

QString ConfiguredSerialColumn(const MainState& state);
QString ConfiguredUniqueColumn(const MainState& state);
bool HasKeyColumn(const MainState& state);
bool HasUniqueColumn(const MainState& state);
// A column name as a statement writes it: in the spelling the catalogue gave it (the program keeps
// names in lower case), quoted where it needs it (a blank, another sign, a reserved word, a capital).
QString QuoteIfBlank(const QString& S);
// A table name as a statement writes it: the same for each part of "owner.table".
QString QuoteTableName(const QString& table);
// The spellings they write come from app/CatalogueSpellings.h.
