// Statement collection of the SQL page: any box text gives trimmed lines, none of them a comment
// line, sent each followed by CR LF; the kind and the count statement come from it.
#include "Check.h"
#include "workspace/SqlCommandLine.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const qsizetype cut = text.indexOf(QChar(1));
    const QStringList box = (cut < 0 ? text : text.left(cut)).split(u'\n');
    const QString selected = cut < 0 ? QString() : text.mid(cut + 1);

    const QStringList lines = CollectStatementLines(box, selected);
    if (selected.isEmpty()) {
        for (const QString& line : lines) {
            FUZZ_CHECK(line == line.trimmed() && !line.startsWith(QStringLiteral("//")), line);
        }
    } else {
        FUZZ_CHECK(lines == QStringList{selected.trimmed()}, selected);
    }
    const QString statement = StatementText(lines);
    QString expected;
    for (const QString& line : lines)
        expected += line + QStringLiteral("\r\n");
    FUZZ_CHECK(statement == expected, statement);
    FUZZ_CHECK(StatementKind(statement).size() <= 6, statement);
    FUZZ_CHECK(CountStatement(statement).startsWith(QStringLiteral("SELECT Count(*) FROM ")), statement);
    return 0;
}
