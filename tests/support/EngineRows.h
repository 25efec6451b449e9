#pragma once
// Reading rows back through the program's own engine, for tests that link it.
#include "platform/engine/Engine.h"

#include <QStringList>

namespace testsupport {

// The rows of a statement on a connected database, each as its values' texts joined by "|"; a NULL
// is written as `null` (empty by default, as Field::asString gives it).
inline QStringList engineRows(const QString& databaseName, const QString& sql, const QString& null = QString())
{
    platform::engine::Query q;
    q.setDatabaseName(databaseName);
    q.sql() << sql;
    q.open();
    QStringList out;
    for (; !q.eof(); q.next()) {
        QStringList values;
        for (int i = 0; i < q.fieldCount(); ++i)
            values << (q.fields(i).isNull() && !null.isNull() ? null : q.fields(i).asString());
        out << values.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace testsupport
