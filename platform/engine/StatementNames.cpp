// Table and column names as they are written into statements.
#include "platform/engine/Engine.h"

#include <QSet>

namespace platform::engine {

namespace {

// Words that SQLite or PostgreSQL refuse as bare names, and the standard's most common ones.
bool isReservedWord(const QString& lower)
{
    static const QSet<QString> words = [] {
        const char* const list[] = {
            "abort", "action", "add", "all", "alter", "analyse", "analyze", "and", "any", "array", "as",
            "asc", "asymmetric", "authorization", "autoincrement", "between", "binary", "both", "by",
            "case", "cast", "check", "collate", "collation", "column", "commit", "concurrently",
            "constraint", "create", "cross", "current", "current_catalog", "current_date", "current_role",
            "current_schema", "current_time", "current_timestamp", "current_user", "default",
            "deferrable", "delete", "desc", "distinct", "do", "drop", "else", "end", "escape", "except",
            "exists", "false", "fetch", "for", "foreign", "freeze", "from", "full", "grant", "group",
            "having", "ilike", "in", "index", "initially", "inner", "insert", "intersect", "into", "is",
            "isnull", "join", "lateral", "leading", "left", "like", "limit", "localtime",
            "localtimestamp", "natural", "not", "notnull", "null", "offset", "on", "only", "or", "order",
            "outer", "overlaps", "placing", "primary", "references", "returning", "right", "select",
            "session_user", "set", "similar", "some", "symmetric", "system_user", "table", "tablesample",
            "then", "to", "trailing", "transaction", "true", "union", "unique", "update", "user", "using",
            "values", "variadic", "verbose", "when", "where", "window", "with",
        };
        QSet<QString> set;
        for (const char* word : list)
            set.insert(QString::fromLatin1(word));
        return set;
    }();
    return words.contains(lower);
}

bool isPlainName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= u'a' && c <= u'z') || c == u'_';
        if (!letter && !(i > 0 && c >= u'0' && c <= u'9'))
            return false;
    }
    return !isReservedWord(name);
}

} // namespace

QString QuotedName(const QString& name)
{
    if (name.isEmpty() || isPlainName(name))
        return name;
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString QuotedTableName(const QString& name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return QuotedName(name);
    return QuotedName(name.left(dot)) + QLatin1Char('.') + QuotedName(name.mid(dot + 1));
}

} // namespace platform::engine
