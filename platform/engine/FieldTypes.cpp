#include "platform/engine/FieldTypes.h"

#include "platform/odbc/Odbc.h"

#include <algorithm>
#include <climits>

namespace platform::engine {

namespace {

enum class Size { Fixed, ColumnPlusOne };

struct Row {
    int sqlType;
    FieldType type;
    Size size;
    int fixed;
    ValueKind value;
};

// Wide types arrive narrowed. BIGINT is an integer: the page writes integers of 64 bits exactly,
// and a double would lose those past 2^53. DECIMAL and NUMERIC are floats fetched as the driver's
// text: a double would round away all but about 16 of their digits.
constexpr Row kTypes[] = {
    {SQL_CHAR,           ftString,   Size::ColumnPlusOne, 0, ValueKind::Text},
    {SQL_VARCHAR,        ftString,   Size::ColumnPlusOne, 0, ValueKind::Text},
    {SQL_GUID,           ftString,   Size::ColumnPlusOne, 0, ValueKind::Text},
    {SQL_TINYINT,        ftSmallint, Size::Fixed,         2, ValueKind::Integer},
    {SQL_SMALLINT,       ftSmallint, Size::Fixed,         2, ValueKind::Integer},
    {SQL_INTEGER,        ftInteger,  Size::Fixed,         4, ValueKind::Integer},
    {SQL_BIGINT,         ftInteger,  Size::Fixed,         8, ValueKind::Integer},
    {SQL_REAL,           ftFloat,    Size::Fixed,         8, ValueKind::Float},
    {SQL_FLOAT,          ftFloat,    Size::Fixed,         8, ValueKind::Float},
    {SQL_DOUBLE,         ftFloat,    Size::Fixed,         8, ValueKind::Float},
    {SQL_DECIMAL,        ftFloat,    Size::Fixed,         8, ValueKind::Text},
    {SQL_NUMERIC,        ftFloat,    Size::Fixed,         8, ValueKind::Text},
    {SQL_BIT,            ftBoolean,  Size::Fixed,         2, ValueKind::Boolean},
    {SQL_DATE,           ftDate,     Size::Fixed,         4, ValueKind::Date},
    {SQL_TYPE_DATE,      ftDate,     Size::Fixed,         4, ValueKind::Date},
    {SQL_TIMESTAMP,      ftDateTime, Size::Fixed,         8, ValueKind::DateTime},
    {SQL_TYPE_TIMESTAMP, ftDateTime, Size::Fixed,         8, ValueKind::DateTime},
    {SQL_LONGVARCHAR,    ftMemo,     Size::Fixed,         0, ValueKind::Text},
    {SQL_BINARY,         ftBlob,     Size::Fixed,         0, ValueKind::Bytes},
    {SQL_VARBINARY,      ftBlob,     Size::Fixed,         0, ValueKind::Bytes},
    {SQL_LONGVARBINARY,  ftBlob,     Size::Fixed,         0, ValueKind::Bytes},
};

} // namespace

FieldTypeInfo mapSqlType(int sqlType, long long columnSize, bool autoUnique)
{
    const int type = odbc::narrowSqlType(sqlType);
    const Row* row = std::find_if(std::begin(kTypes), std::end(kTypes),
                                  [type](const Row& r) { return r.sqlType == type; });
    if (row == std::end(kTypes)) {
        // TIME, intervals and whatever else a driver invents are shown as their text.
        static constexpr Row text{0, ftString, Size::ColumnPlusOne, 0, ValueKind::Text};
        row = &text;
    }
    const int size = row->size == Size::Fixed
        ? row->fixed
        : int(std::clamp<long long>(columnSize, 0, INT_MAX - 1) + 1);
    // An auto-incrementing integer column (SQLite AUTOINCREMENT, PostgreSQL serial and
    // bigserial) is the auto-increment type whatever its width.
    if (autoUnique && row->value == ValueKind::Integer)
        return {ftAutoInc, 4, ValueKind::Integer};
    return {row->type, size, row->value};
}

} // namespace platform::engine
