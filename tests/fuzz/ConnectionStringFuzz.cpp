// Connection-string parser: any text parses; what it parses to, written out again, parses back
// to the same values; and any four values written out come back unchanged.
#include "Check.h"
#include "platform/ado/Ado.h"

#include <cstdint>

using platform::ado::ConnectionString;

namespace {

void checkRoundTrip(const ConnectionString& cs, const QString& from)
{
    const QString text = cs.text();
    const ConnectionString back = ConnectionString::parse(text);
    FUZZ_CHECK(back.provider == cs.provider && back.password == cs.password && back.userId == cs.userId
                   && back.dataSource == cs.dataSource,
               from + QStringLiteral(" -> ") + text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    checkRoundTrip(ConnectionString::parse(text), text);

    // The same bytes as four values split at "\x01".
    const QStringList parts = text.split(QChar(1));
    ConnectionString cs;
    QString* fields[] = {&cs.provider, &cs.password, &cs.userId, &cs.dataSource};
    for (qsizetype i = 0; i < parts.size() && i < 4; ++i)
        *fields[i] = parts[i];
    checkRoundTrip(cs, text);
    return 0;
}
