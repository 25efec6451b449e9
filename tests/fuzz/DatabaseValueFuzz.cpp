// Database-registry value parser: any stored value gives nine fields, none holding the "|" that
// ends it, and a value with all nine fields written is read back field for field.
#include "Check.h"
#include "app/DatabaseRegistry.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString value = fuzzText(data, size);
    const auto obj = ParseDatabaseValue(value);
    const QString fields[] = {obj->DBType,   obj->DBDesc, obj->DataSource,     obj->UserName, obj->Password,
                              obj->TNS,      obj->Server, obj->InformixServer, obj->DBPath};
    QString joined;
    for (const QString& field : fields) {
        FUZZ_CHECK(!field.contains(u'|'), value);
        joined += field + u'|';
    }
    if (value.count(u'|') >= 9)
        FUZZ_CHECK(value.startsWith(joined), value + QStringLiteral(" -> ") + joined);
    const auto again = ParseDatabaseValue(joined);
    FUZZ_CHECK(again->DBPath == obj->DBPath && again->DBType == obj->DBType && again->Password == obj->Password,
               joined);
    return 0;
}
