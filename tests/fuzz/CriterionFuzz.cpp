// Criterion translator: any typed criterion gives a condition whose quoted literals are all closed
// and that holds no statement separator or comment outside a literal or quoted name, so typed text
// can never run on as SQL; only a number column's values and a NUL are ever refused.
#include "Check.h"
#include "components/BVQry.h"

#include <cstdint>

namespace {

// True when every literal opened by "'" is closed again ("''" inside one is a quote).
bool literalsClosed(const QString& sql)
{
    bool inside = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        if (sql[i] != u'\'')
            continue;
        if (inside && i + 1 < sql.size() && sql[i + 1] == u'\'')
            ++i;
        else
            inside = !inside;
    }
    return !inside;
}

// The text outside '...' literals and "..." names.
QString outsideQuotes(const QString& sql)
{
    QString outside;
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (quote.isNull()) {
            if (c == u'\'' || c == u'"')
                quote = c;
            else
                outside += c;
        } else if (c == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote)
                ++i;
            else
                quote = QChar();
            outside += u' ';  // a literal ends a word
        }
    }
    return outside;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const int types[] = {1, 2, 3, 5, 6, 9, 11, 14, 15, 16, 17};
    const int type = types[data[0] % std::size(types)];
    const QString criterion = fuzzText(data + 1, size - 1);
    QString sql;
    try {
        sql = CriterionToSql(criterion, QStringLiteral("\"a col\""), type);
    } catch (const CriterionRefused& refused) {
        const bool numberColumn = type == 2 || type == 3 || type == 5 || type == 6;
        FUZZ_CHECK(numberColumn || criterion.contains(QChar(u'\0')),
                   QStringLiteral("type %1: [%2] refused: %3").arg(type).arg(criterion, refused.message()));
        return 0;
    }
    const QString detail = QStringLiteral("type %1: [%2] -> [%3]").arg(type).arg(criterion, sql);
    FUZZ_CHECK(literalsClosed(sql), detail);
    const QString outside = outsideQuotes(sql);
    FUZZ_CHECK(!outside.contains(u';') && !outside.contains(QStringLiteral("--")) && !outside.contains(QStringLiteral("/*")),
               detail);
    FUZZ_CHECK(!sql.contains(QChar(u'\0')), detail);
    if (!sql.isEmpty() && !criterion.startsWith(u'[') && !criterion.startsWith(QStringLiteral("![")))
        FUZZ_CHECK(sql.contains(QStringLiteral("\"a col\"")), criterion + QStringLiteral(" -> ") + sql);
    return 0;
}
