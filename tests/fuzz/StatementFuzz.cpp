// Statement collection of the SQL page: any box text gives trimmed lines, none of them a comment
// line, sent each followed by CR LF; the kind comes from it. Every reading cuts any text into
// tokens that cover it, agrees with a plain split where nothing quotes, and takes any value
// written as a literal of its dialect for one literal.
#include "Check.h"
#include "platform/engine/SqlDialect.h"
#include "workspace/sqlpage/SqlCommandLine.h"

#include <algorithm>
#include <cstdint>

using namespace platform::engine;

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

    SqlDialect mysqlStrict{SqlProduct::MySQL, true, true};
    const SqlDialect dialects[] = {{SqlProduct::SQLite}, {SqlProduct::PostgreSQL}, {SqlProduct::MySQL}, mysqlStrict,
                                   {SqlProduct::SqlServer}};
    static const QString marks = QStringLiteral("'\"`[$-/#");
    const bool unmarked = std::none_of(text.begin(), text.end(), [](QChar c) { return marks.contains(c); });
    for (const SqlDialect& dialect : dialects) {
        for (const SqlReading& reading : PossibleReadings(dialect)) {
            // The tokens follow one another without gap to the end of the text.
            SqlLexer lexer(text, reading);
            SqlToken token;
            qsizetype at = 0;
            while (lexer.next(token)) {
                FUZZ_CHECK(token.begin == at && token.end > token.begin, text);
                at = token.end;
            }
            FUZZ_CHECK(at == text.size(), text);

            // Without quote or comment marks, a text is one statement when at most one of its
            // pieces between ";" holds more than blanks.
            if (unmarked) {
                const QStringList pieces = text.split(u';');
                const auto filled = std::count_if(pieces.begin(), pieces.end(), [](const QString& piece) {
                    return std::any_of(piece.begin(), piece.end(),
                                       [](QChar c) { return !QStringLiteral(" \t\n\r\f\v").contains(c); });
                });
                FUZZ_CHECK(HoldsOneStatement(text, reading) == (filled <= 1), text);
            }

            // Any text written as a literal of the dialect is one literal, whatever follows it.
            const QString literal = SqlStringLiteral(text, dialect);
            const QString query = QStringLiteral("SELECT ") + literal + QStringLiteral(";\n'; DELETE FROM t; --");
            SqlLexer words(query, reading);
            FUZZ_CHECK(words.next(token) && words.next(token) && words.next(token), query);
            FUZZ_CHECK(token.kind == SqlToken::Literal && query.mid(token.begin, token.end - token.begin) == literal,
                       query);
        }
    }
    return 0;
}
