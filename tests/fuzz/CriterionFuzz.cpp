// Criterion translator: any typed criterion on a text, memo or date column gives a condition
// whose quoted literals are all closed, so typed text can never run on as SQL.
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const int types[] = {1, 2, 3, 5, 6, 9, 11, 14, 15, 16, 17};
    const int type = types[data[0] % std::size(types)];
    const QString criterion = fuzzText(data + 1, size - 1);
    const QString sql = CriterionToSql(criterion, QStringLiteral("\"a col\""), type);
    if (type == 1 || type == 9 || type == 16)
        FUZZ_CHECK(literalsClosed(sql), QStringLiteral("type %1: [%2] -> [%3]").arg(type).arg(criterion, sql));
    if (!sql.isEmpty() && !criterion.startsWith(u'[') && !criterion.startsWith(QStringLiteral("![")))
        FUZZ_CHECK(sql.contains(QStringLiteral("\"a col\"")), criterion + QStringLiteral(" -> ") + sql);
    return 0;
}
