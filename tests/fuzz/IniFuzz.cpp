// INI reader and writer: any file reads without harm; every pair it lists reads back alone; a
// value written reads back (trimmed, as values are), and the write changes no other section.
#include "Check.h"
#include "platform/ini/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <map>

namespace {

using Pairs = std::vector<std::pair<QString, QString>>;

const QString& scratchFile()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/qv-ini-fuzz-XXXXXX")
                                                                     : QDir::tempPath() + QStringLiteral("/qv-ini-fuzz-XXXXXX"));
    static const QString path = dir.filePath(QStringLiteral("fuzz.ini"));
    return path;
}

std::map<QString, Pairs> everySection(const platform::IniFile& ini)
{
    std::map<QString, Pairs> all;
    for (const QString& section : ini.readSections())
        all[section.toCaseFolded()] = ini.readSectionPairs(section);
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The last bytes after a 0 byte (if any) are "section\x01key\x01value" to write.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype split = bytes.lastIndexOf('\0');
    const QByteArray file = split < 0 ? bytes : bytes.left(split);
    const QList<QByteArray> write = split < 0 ? QList<QByteArray>() : bytes.mid(split + 1).split('\x01');

    const QString& path = scratchFile();
    QFile::remove(path);
    {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return 0;
        out.write(file);
    }
    platform::IniFile ini(path);
    const std::map<QString, Pairs> before = everySection(ini);
    for (const auto& [section, pairs] : before) {
        for (const auto& [key, value] : pairs)
            FUZZ_CHECK(ini.readString(section, key, QStringLiteral("\x01missing")) == value, section + u'/' + key);
    }
    if (write.size() != 3)
        return 0;

    const QString section = QString::fromUtf8(write[0]);
    const QString key = QString::fromUtf8(write[1]);
    const QString value = QString::fromUtf8(write[2]);
    try {
        ini.writeString(section, key, value);
    } catch (const platform::IniError&) {
        return 0;  // a name or value that could not read back is refused, and that is fine
    }
    FUZZ_CHECK(ini.readString(section, key, QStringLiteral("\x01missing")) == value.trimmed(),
               section + u'/' + key + u'=' + value);
    std::map<QString, Pairs> after = everySection(ini);
    after.erase(section.trimmed().toCaseFolded());
    std::map<QString, Pairs> expected = before;
    expected.erase(section.trimmed().toCaseFolded());
    FUZZ_CHECK(after == expected, QStringLiteral("writing [%1] %2 changed another section").arg(section, key));
    return 0;
}
