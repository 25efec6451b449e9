#include "platform/ini/IniFile.h"

#include "platform/ini/ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// The file is kept as raw lines so that everything a rewrite does not touch (comments, lines we
// cannot parse, bytes that are not UTF-8) goes back to the disk byte for byte.
enum class Kind { Other, Section, Key };

struct Line {
    QByteArray text;        // without the "\n"; a "\r" of a CRLF file stays here
    bool newline = true;    // false only for a last line without a line end
    Kind kind = Kind::Other;
    QString name;           // section or key name, trimmed
    QString value;          // key value, trimmed
};

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void classify(Line& line)
{
    QByteArray raw = line.text;
    if (raw.endsWith('\r'))
        raw.chop(1);
    // fromUtf8 would drop a byte-order mark at the start of every line, and with it the first
    // character of a name that begins with U+FEFF; the file's own mark is taken off by load().
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = QString(decoder(raw)).trimmed();
    line.kind = Kind::Other;
    if (text.isEmpty() || text.startsWith(QLatin1Char(';')) || text.startsWith(QLatin1Char('#')))
        return;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close > 0) {
            line.kind = Kind::Section;
            line.name = text.mid(1, close - 1).trimmed();
        }
        return;
    }
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return;
    const QString name = text.left(eq).trimmed();
    if (name.isEmpty())
        return;
    line.kind = Kind::Key;
    line.name = name;
    line.value = text.mid(eq + 1).trimmed();
}

enum class FileState { Missing, Read, Unreadable };

struct Document {
    FileState state = FileState::Missing;
    QString error;
    QByteArray bom;
    bool crlf = false;
    std::vector<Line> lines;

    QByteArray bytes() const
    {
        QByteArray out = bom;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            out += lines[i].text;
            if (lines[i].newline || i + 1 < lines.size())
                out += '\n';
        }
        return out;
    }

    Line makeLine(const QString& text) const
    {
        Line line;
        line.text = text.toUtf8();
        if (crlf)
            line.text += '\r';
        classify(line);
        return line;
    }

    void insert(std::size_t at, Line line)
    {
        if (at > 0 && at == lines.size())
            lines[at - 1].newline = true;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    }
};

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

Document load(const QString& path)
{
    Document doc;
    const QByteArray name = QFile::encodeName(path);
    // O_NONBLOCK so that a FIFO by that name cannot hang the program.
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        doc.state = errno == ENOENT ? FileState::Missing : FileState::Unreadable;
        doc.error = systemError(errno);
        return doc;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        doc.state = FileState::Unreadable;
        doc.error = QStringLiteral("not a regular file");
        ::close(fd);
        return doc;
    }
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            data.append(buffer, n);
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            doc.state = FileState::Unreadable;
            doc.error = systemError(errno);
            ::close(fd);
            return doc;
        }
    }
    ::close(fd);
    doc.state = FileState::Read;

    if (data.startsWith("\xEF\xBB\xBF")) {
        doc.bom = data.left(3);
        data.remove(0, 3);
    }
    const qsizetype firstEnd = data.indexOf('\n');
    doc.crlf = firstEnd > 0 && data.at(firstEnd - 1) == '\r';
    qsizetype start = 0;
    while (start < data.size()) {
        const qsizetype end = data.indexOf('\n', start);
        Line line;
        if (end < 0) {
            line.text = data.mid(start);
            line.newline = false;
            start = data.size();
        } else {
            line.text = data.mid(start, end - start);
            start = end + 1;
        }
        classify(line);
        doc.lines.push_back(std::move(line));
    }
    return doc;
}

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<std::size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

// Temporary file in the same folder, flushed to the disk, then renamed over the old one: a crash at
// any moment leaves either the old file or the new one, never a mixture.
void replaceFile(const QString& path, const QByteArray& data)
{
    auto fail = [&](const QString& what, int code) {
        QString text = QStringLiteral("Cannot write the file \"%1\": %2").arg(path, what);
        if (code != 0)
            text += QStringLiteral(" (%1)").arg(systemError(code));
        throw IniError((text + QLatin1Char('.')).toStdString());
    };
    // Replace what the link points at and keep the link. A link may point anywhere, so its
    // target's folder is never created: writing through a link needs a folder that exists.
    QString target = path;
    bool linked = false;
    for (int hops = 0; QFileInfo(target).isSymLink(); ++hops) {
        if (hops == 40)
            fail(QStringLiteral("its symbolic links go round in a circle"), 0);
        target = QFileInfo(target).symLinkTarget();
        linked = true;
    }
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (linked) {
        if (!QFileInfo(folder).isDir())
            fail(QStringLiteral("it is a symbolic link into the folder \"%1\", which does not exist").arg(folder), 0);
    } else if (!QDir().mkpath(folder)) {
        fail(QStringLiteral("its folder cannot be created"), 0);
    }

    QByteArray tmp = QFile::encodeName(folder + QStringLiteral("/.") + targetInfo.fileName()
                                       + QStringLiteral(".tmp-XXXXXX"));
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0)
        fail(QStringLiteral("no temporary file"), errno);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old {};
    if (::stat(targetName.constData(), &old) == 0) {
        // Keep the old file's permissions and owner; a new file stays private (mkostemp's 0600),
        // which suits a file that holds passwords.
        ::fchmod(fd, old.st_mode & 07777);
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Not being allowed to give it away is no reason to fail the write.
        }
    }
    int code = 0;
    if (!writeAll(fd, data) || ::fsync(fd) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && ::rename(tmp.constData(), targetName.constData()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(tmp.constData());
        fail(QStringLiteral("writing failed"), code);
    }
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);  // make the rename itself durable
        ::close(dirFd);
    }
}

void save(const QString& path, const Document& before, const Document& after)
{
    const QByteArray data = after.bytes();
    if (before.state == FileState::Read && data == before.bytes())
        return;
    replaceFile(path, data);
}

[[noreturn]] void badName(const QString& what, const QString& name)
{
    throw IniError(QStringLiteral("Invalid %1 \"%2\".").arg(what, name).toStdString());
}

bool hasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// A name or value that would read back as something else (or break the file into extra lines) is
// refused instead of being written.
void checkSection(const QString& section)
{
    if (section.isEmpty() || section.contains(QLatin1Char(']')) || hasLineBreak(section))
        badName(QStringLiteral("section name"), section);
}

void checkKey(const QString& key)
{
    if (key.isEmpty() || key.contains(QLatin1Char('=')) || hasLineBreak(key) || key.startsWith(QLatin1Char('['))
        || key.startsWith(QLatin1Char(';')) || key.startsWith(QLatin1Char('#')))
        badName(QStringLiteral("key name"), key);
}

void checkValue(const QString& key, const QString& value)
{
    if (hasLineBreak(value))
        throw IniError(QStringLiteral("The value of \"%1\" holds a line break and cannot be stored.")
                           .arg(key)
                           .toStdString());
}

// Calls f(index, line) for every line inside a section of that name (all its blocks).
template <typename F>
void forEachInSection(const Document& doc, const QString& section, F f)
{
    bool inside = false;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == Kind::Section) {
            inside = sameName(line.name, section);
            continue;
        }
        if (inside)
            f(i, line);
    }
}

std::optional<QString> findValue(const Document& doc, const QString& section, const QString& key)
{
    std::optional<QString> found;
    forEachInSection(doc, section, [&](std::size_t, const Line& line) {
        if (!found && line.kind == Kind::Key && sameName(line.name, key))
            found = line.value;
    });
    return found;
}

// The section's keys in file order, each once with its first value, in one pass over the file.
std::vector<std::pair<QString, QString>> keyValues(const Document& doc, const QString& section)
{
    std::vector<std::pair<QString, QString>> pairs;
    QSet<QString> seen;
    forEachInSection(doc, section, [&](std::size_t, const Line& line) {
        if (line.kind != Kind::Key)
            return;
        const QString folded = line.name.toCaseFolded();
        if (seen.contains(folded))
            return;
        seen.insert(folded);
        pairs.emplace_back(line.name, line.value);
    });
    return pairs;
}

QStringList keyNames(const Document& doc, const QString& section)
{
    QStringList names;
    for (const auto& [name, value] : keyValues(doc, section))
        names << name;
    return names;
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

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Document doc = load(fileName());
    return findValue(doc, section.trimmed(), key.trimmed()).value_or(defaultValue);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const Document doc = load(fileName());
    const std::optional<QString> text = findValue(doc, section.trimmed(), key.trimmed());
    if (!text)
        return defaultValue;
    bool ok = false;
    const int value = text->toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    const Document doc = load(fileName());
    const std::optional<QString> text = findValue(doc, section.trimmed(), key.trimmed());
    if (text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("0"))
        return false;
    return defaultValue;
}

void IniFile::writeString(const QString& sectionName, const QString& keyName, const QString& value)
{
    const QString path = fileName();
    const QString section = sectionName.trimmed();
    const QString key = keyName.trimmed();
    checkSection(section);
    checkKey(key);
    checkValue(key, value);

    const Document before = load(path);
    if (before.state == FileState::Unreadable)
        throw IniError(QStringLiteral("Cannot write the file \"%1\": it cannot be read (%2).")
                           .arg(path, before.error)
                           .toStdString());
    Document doc = before;

    // An existing key keeps its place and its spelling; only the value changes.
    std::optional<std::size_t> existing;
    forEachInSection(doc, section, [&](std::size_t i, const Line& line) {
        if (!existing && line.kind == Kind::Key && sameName(line.name, key))
            existing = i;
    });
    if (existing) {
        Line& line = doc.lines[*existing];
        const bool cr = line.text.endsWith('\r');
        QByteArray raw = line.text;
        if (cr)
            raw.chop(1);
        line.text = raw.left(raw.indexOf('=')).trimmed() + '=' + value.toUtf8();
        if (cr)
            line.text += '\r';
        classify(line);
        save(path, before, doc);
        return;
    }

    // A new key goes after the last key of the section's first block, or right below its header.
    std::optional<std::size_t> at;
    bool inside = false;
    for (std::size_t i = 0; i < doc.lines.size(); ++i) {
        const Line& line = doc.lines[i];
        if (line.kind == Kind::Section) {
            if (at)
                break;
            inside = sameName(line.name, section);
            if (inside)
                at = i + 1;
        } else if (inside && line.kind == Kind::Key) {
            at = i + 1;
        }
    }
    const QString keyLine = key + QLatin1Char('=') + value;
    if (at) {
        doc.insert(*at, doc.makeLine(keyLine));
    } else {
        if (!doc.lines.empty() && !doc.lines.back().text.trimmed().isEmpty())
            doc.insert(doc.lines.size(), doc.makeLine(QString()));
        doc.insert(doc.lines.size(), doc.makeLine(QLatin1Char('[') + section + QLatin1Char(']')));
        doc.insert(doc.lines.size(), doc.makeLine(keyLine));
    }
    save(path, before, doc);
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
    const Document doc = load(fileName());
    QStringList names;
    for (const Line& line : doc.lines) {
        if (line.kind == Kind::Section && !names.contains(line.name, Qt::CaseInsensitive))
            names << line.name;
    }
    return names;
}

QStringList IniFile::readSection(const QString& section) const
{
    return keyNames(load(fileName()), section.trimmed());
}

QStringList IniFile::readSectionValues(const QString& sectionName) const
{
    QStringList lines;
    for (const auto& [name, value] : readSectionPairs(sectionName))
        lines << name + QLatin1Char('=') + value;
    return lines;
}

std::vector<std::pair<QString, QString>> IniFile::readSectionPairs(const QString& section) const
{
    return keyValues(load(fileName()), section.trimmed());
}

bool IniFile::sectionExists(const QString& sectionName) const
{
    const QString section = sectionName.trimmed();
    const Document doc = load(fileName());
    for (const Line& line : doc.lines) {
        if (line.kind == Kind::Section && sameName(line.name, section))
            return true;
    }
    return false;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    return findValue(load(fileName()), section.trimmed(), key.trimmed()).has_value();
}

void IniFile::eraseSection(const QString& section)
{
    eraseSections(QStringList{section});
}

void IniFile::eraseSections(const QStringList& sections)
{
    const QString path = fileName();
    const Document before = load(path);
    Document doc = before;
    std::vector<Line> kept;
    bool erasing = false;
    bool changed = false;
    for (Line& line : doc.lines) {
        if (line.kind == Kind::Section) {
            erasing = false;
            for (const QString& section : sections)
                erasing = erasing || sameName(line.name, section.trimmed());
        }
        if (erasing)
            changed = true;
        else
            kept.push_back(std::move(line));
    }
    if (!changed)
        return;
    doc.lines = std::move(kept);
    save(path, before, doc);
}

void IniFile::deleteKey(const QString& sectionName, const QString& keyName)
{
    const QString path = fileName();
    const QString section = sectionName.trimmed();
    const QString key = keyName.trimmed();
    const Document before = load(path);
    Document doc = before;
    // Every copy goes, so that no older duplicate shows through afterwards.
    std::vector<std::size_t> doomed;
    forEachInSection(doc, section, [&](std::size_t i, const Line& line) {
        if (line.kind == Kind::Key && sameName(line.name, key))
            doomed.push_back(i);
    });
    if (doomed.empty())
        return;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        doc.lines.erase(doc.lines.begin() + static_cast<std::ptrdiff_t>(*it));
    save(path, before, doc);
}

} // namespace platform
