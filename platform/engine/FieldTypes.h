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

struct FieldTypeInfo {
    FieldType type;
    int dataSize;  // the DataSize a field of this type reports
};

// sqlType: SQL type as SQLColumns / SQLDescribeCol report it (the wide types are taken as their
// narrow twins); columnSize: the reported column size; autoUnique: the driver says the column is
// auto-incrementing.
FieldTypeInfo mapSqlType(int sqlType, long long columnSize, bool autoUnique);

} // namespace platform::engine
