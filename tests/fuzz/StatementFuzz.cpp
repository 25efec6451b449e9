// Statement collection of the SQL page: any box text gives trimmed lines, none of them a comment
// line, sent each followed by CR LF; the kind and the count statement come from it. The check for
// one statement agrees with a plain split where nothing quotes, and never splits a literal.
#include "Check.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/sqlpage/StatementCheck.h"

#include <algorithm>
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

    // Without quote or comment marks, a text is one statement when at most one of its pieces
    // between ";" holds more than blanks.
    static const QString marks = QStringLiteral("'\"`[$-/");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return marks.contains(c); })) {
        const QStringList pieces = text.split(u';');
        const auto filled = std::count_if(pieces.begin(), pieces.end(), [](const QString& piece) {
            return std::any_of(piece.begin(), piece.end(),
                               [](QChar c) { return !QStringLiteral(" \t\n\r\f\v").contains(c); });
        });
        FUZZ_CHECK(HoldsOneStatement(text) == (filled <= 1), text);
    }
    // Anything without a backslash, written as one literal, stays one statement.
    if (!text.contains(u'\\')) {
        QString literal = text;
        literal.replace(u'\'', QStringLiteral("''"));
        FUZZ_CHECK(HoldsOneStatement(QStringLiteral("SELECT '") + literal + QStringLiteral("';")), text);
    }
    return 0;
}
