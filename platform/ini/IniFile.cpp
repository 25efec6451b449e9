#include "platform/ini/IniFile.h"

#include "platform/ini/AtomicFile.h"
#include "platform/ini/ConfigFolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <mutex>

namespace platform {

namespace {

enum class FileState { Missing, Read, Unreadable };

void (*readHook)() = nullptr;

struct Loaded {
    FileState state = FileState::Missing;
    QString error;
    QByteArray bytes;
};

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

Loaded load(const QString& path)
{
    if (readHook)
        readHook();
    Loaded file;
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK so that a FIFO by that name cannot hang the program.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        file.state = errno == ENOENT ? FileState::Missing : FileState::Unreadable;
        file.error = systemError(errno);
        return file;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        file.state = FileState::Unreadable;
        file.error = QStringLiteral("not a regular file");
        ::close(fd);
        return file;
    }
    if (st.st_size > 0)
        file.bytes.reserve(static_cast<qsizetype>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            file.bytes.append(buffer, n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            file.state = FileState::Unreadable;
            file.error = systemError(errno);
            file.bytes.clear();
            ::close(fd);
            return file;
        }
    }
    ::close(fd);
    file.state = FileState::Read;
    return file;
}

// The last document parsed or written for each file, reused while the file holds the very same
// bytes: start-up asks one large file many questions, and its parse is most of their cost.
struct Parsed {
    QByteArray bytes;
    IniDocument doc;
};
std::mutex parsedLock;
std::map<QString, Parsed> parsedFiles;

void remember(const QString& path, QByteArray bytes, const IniDocument& doc)
{
    doc.buildIndex();
    const std::lock_guard<std::mutex> hold(parsedLock);
    parsedFiles[path] = Parsed{std::move(bytes), doc};
}

IniDocument parse(const QString& path, QByteArray bytes)
{
    {
        const std::lock_guard<std::mutex> hold(parsedLock);
        const auto it = parsedFiles.find(path);
        if (it != parsedFiles.end() && it->second.bytes == bytes)
            return it->second.doc;
    }
    IniDocument doc = IniDocument::fromBytes(bytes);
    remember(path, std::move(bytes), doc);
    return doc;
}

} // namespace

IniFile::IniFile(const QString& fileName)
    : requested_(fileName)
    , path_(resolveConfigFile(fileName))
{
}

const QString& IniFile::fileName() const
{
    if (!requested_.contains(QLatin1Char('/')))
        path_ = resolveConfigFile(requested_);
    return path_;
}

IniDocument IniFile::read() const
{
    const QString& path = fileName();
    Loaded file = load(path);
    return parse(path, std::move(file.bytes));
}

void IniFile::update(const std::function<void(IniDocument&)>& edit)
{
    const QString path = fileName();
    const Loaded file = load(path);
    IniDocument doc = parse(path, file.bytes);
    edit(doc);
    const QByteArray after = doc.bytes();
    // Nothing changed: a missing file stays missing, an existing one untouched.
    if (after == file.bytes && (file.state == FileState::Read || after.isEmpty()))
        return;
    if (file.state == FileState::Unreadable)
        throw IniError(QStringLiteral("Cannot write the file \"%1\": it cannot be read (%2).")
                           .arg(path, file.error)
                           .toStdString());
    replaceFile(path, after);
    remember(path, after, doc);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return read().readString(section, key, defaultValue);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    return read().readInteger(section, key, defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return read().readBool(section, key, defaultValue);
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    update([&](IniDocument& doc) { doc.writeString(section, key, value); });
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList IniFile::readSections() const
{
    return read().readSections();
}

QStringList IniFile::readSection(const QString& section) const
{
    return read().readSection(section);
}

QStringList IniFile::readSectionValues(const QString& section) const
{
    return read().readSectionValues(section);
}

std::vector<std::pair<QString, QString>> IniFile::readSectionPairs(const QString& section) const
{
    return read().readSectionPairs(section);
}

bool IniFile::sectionExists(const QString& section) const
{
    return read().sectionExists(section);
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    return read().valueExists(section, key);
}

void IniFile::eraseSection(const QString& section)
{
    eraseSections(QStringList{section});
}

void IniFile::eraseSections(const QStringList& sections)
{
    update([&](IniDocument& doc) { doc.eraseSections(sections); });
}

void IniFile::deleteKey(const QString& section, const QString& key)
{
    update([&](IniDocument& doc) { doc.deleteKey(section, key); });
}

namespace testing {

void setReadHook(void (*hook)())
{
    readHook = hook;
}

} // namespace testing

} // namespace platform
