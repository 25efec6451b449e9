#pragma once
// Field type codes of the data-access layer, and the one mapping from ODBC SQL types to them.

namespace platform::engine {

enum FieldType : int {
    ftUnknown = 0,
    ftString = 1,
    ftSmallint = 2,
    ftInteger = 3,
    ftBoolean = 5,
    ftFloat = 6,
    ftDate = 9,
    ftDateTime = 11,
    ftAutoInc = 14,
    ftBlob = 15,
    ftMemo = 16,
    ftGraphic = 17,
};

// How a column's values are fetched from the driver.
enum class ValueKind : unsigned char {
    Text,      // SQL_C_WCHAR (also DECIMAL and NUMERIC, whose digits a double would not hold)
    Integer,   // SQL_C_SBIGINT
    Float,     // SQL_C_DOUBLE
    Boolean,   // SQL_C_BIT
    Date,      // text in the ODBC form "yyyy-mm-dd", read as SQL_C_WCHAR
    DateTime,  // text "yyyy-mm-dd hh:mm:ss[.f]", read as SQL_C_WCHAR
    Bytes,     // SQL_C_BINARY
};

struct FieldTypeInfo {
    FieldType type;
    int dataSize;     // the DataSize a field of this type reports
    ValueKind value;
};

// sqlType: SQL type as SQLColumns / SQLDescribeCol report it (the wide types are taken as their
// narrow twins); columnSize: the reported column size; autoUnique: the driver says the column is
// auto-incrementing.
FieldTypeInfo mapSqlType(int sqlType, long long columnSize, bool autoUnique);

} // namespace platform::engine
