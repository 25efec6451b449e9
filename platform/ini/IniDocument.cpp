#include "platform/ini/IniDocument.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>

namespace platform {

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

[[noreturn]] void badName(const QString& what, const QString& name)
{
    throw IniError(QStringLiteral("Invalid %1 \"%2\".").arg(what, name).toStdString());
}

bool hasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

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

} // namespace

// Each section once under its first spelling, with its keys once each and their first values, in
// file order. Names are looked up case-folded.
struct IniDocument::Index {
    struct Section {
        QString name;
        std::vector<std::pair<QString, QString>> pairs;
        QHash<QString, std::size_t> keys;
    };
    std::vector<Section> sections;
    QHash<QString, std::size_t> byName;

    const Section* find(const QString& section) const
    {
        const auto it = byName.constFind(section.trimmed().toCaseFolded());
        return it == byName.cend() ? nullptr : &sections[*it];
    }
};

IniDocument::IniDocument() = default;
IniDocument::~IniDocument() = default;
IniDocument::IniDocument(const IniDocument&) = default;
IniDocument& IniDocument::operator=(const IniDocument&) = default;
IniDocument::IniDocument(IniDocument&&) noexcept = default;
IniDocument& IniDocument::operator=(IniDocument&&) noexcept = default;

void IniDocument::classify(Line& line)
{
    QByteArray raw = line.text;
    if (raw.endsWith('\r'))
        raw.chop(1);
    // fromUtf8 would drop a byte-order mark at the start of every line, and with it the first
    // character of a name that begins with U+FEFF; the file's own mark is taken off by fromBytes().
    QString text;
    if (raw.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        text = QString(decoder(raw)).trimmed();
    } else {
        text = QString::fromUtf8(raw).trimmed();
    }
    line.kind = Kind::Other;
    line.name.clear();
    line.value.clear();
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

IniDocument IniDocument::fromBytes(QByteArray data)
{
    IniDocument doc;
    if (data.startsWith("\xEF\xBB\xBF")) {
        doc.bom_ = data.left(3);
        data.remove(0, 3);
    }
    const qsizetype firstEnd = data.indexOf('\n');
    doc.crlf_ = firstEnd > 0 && data.at(firstEnd - 1) == '\r';
    // Room for the lines a save adds, so that a large file is not moved to grow it.
    doc.lines_.reserve(static_cast<std::size_t>(data.count('\n')) + 64);
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
        doc.lines_.push_back(std::move(line));
    }
    return doc;
}

QByteArray IniDocument::bytes() const
{
    qsizetype size = bom_.size();
    for (const Line& line : lines_)
        size += line.text.size() + 1;
    QByteArray out;
    out.reserve(size);
    out += bom_;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i].text;
        if (lines_[i].newline || i + 1 < lines_.size())
            out += '\n';
    }
    return out;
}

IniDocument::Line IniDocument::makeLine(const QString& text) const
{
    Line line;
    line.text = text.toUtf8();
    if (crlf_)
        line.text += '\r';
    classify(line);
    return line;
}

void IniDocument::insert(std::size_t at, Line line)
{
    if (at > 0 && at == lines_.size())
        lines_[at - 1].newline = true;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

const IniDocument::Index& IniDocument::index() const
{
    if (index_)
        return *index_;
    auto built = std::make_shared<Index>();
    Index::Section* current = nullptr;  // keys above the first section belong to none
    for (const Line& line : lines_) {
        if (line.kind == Kind::Section) {
            const QString folded = line.name.toCaseFolded();
            auto it = built->byName.constFind(folded);
            if (it == built->byName.cend()) {
                it = built->byName.insert(folded, built->sections.size());
                built->sections.push_back({line.name, {}, {}});
            }
            current = &built->sections[*it];
        } else if (line.kind == Kind::Key && current) {
            const QString folded = line.name.toCaseFolded();
            if (!current->keys.contains(folded)) {
                current->keys.insert(folded, current->pairs.size());
                current->pairs.emplace_back(line.name, line.value);
            }
        }
    }
    index_ = std::move(built);
    return *index_;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const Index::Section* s = index().find(section);
    if (!s)
        return std::nullopt;
    const auto it = s->keys.constFind(key.trimmed().toCaseFolded());
    if (it == s->keys.cend())
        return std::nullopt;
    return s->pairs[*it].second;
}

QString IniDocument::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    return value(section, key).value_or(defaultValue);
}

int IniDocument::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<QString> text = value(section, key);
    if (!text)
        return defaultValue;
    bool ok = false;
    const int number = text->toInt(&ok, 10);
    return ok ? number : defaultValue;
}

bool IniDocument::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList IniDocument::readSections() const
{
    QStringList names;
    for (const Index::Section& s : index().sections)
        names << s.name;
    return names;
}

QStringList IniDocument::readSection(const QString& section) const
{
    QStringList names;
    if (const Index::Section* s = index().find(section)) {
        for (const auto& [name, value] : s->pairs)
            names << name;
    }
    return names;
}

QStringList IniDocument::readSectionValues(const QString& section) const
{
    QStringList lines;
    for (const auto& [name, value] : readSectionPairs(section))
        lines << name + QLatin1Char('=') + value;
    return lines;
}

std::vector<std::pair<QString, QString>> IniDocument::readSectionPairs(const QString& section) const
{
    const Index::Section* s = index().find(section);
    return s ? s->pairs : std::vector<std::pair<QString, QString>>{};
}

bool IniDocument::sectionExists(const QString& section) const
{
    return index().find(section) != nullptr;
}

bool IniDocument::valueExists(const QString& section, const QString& key) const
{
    return value(section, key).has_value();
}

void IniDocument::writeString(const QString& sectionName, const QString& keyName, const QString& value)
{
    const QString section = sectionName.trimmed();
    const QString key = keyName.trimmed();
    checkSection(section);
    checkKey(key);
    checkValue(key, value);

    // An existing key (its first copy, in any block) keeps its place and its spelling; a new one
    // goes after the last key of the section's first block, or right below its header.
    std::optional<std::size_t> existing;
    std::optional<std::size_t> at;
    bool inside = false;
    bool firstBlock = false;
    for (std::size_t i = 0; i < lines_.size() && !existing; ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) {
            firstBlock = !at && sameName(line.name, section);
            inside = sameName(line.name, section);
            if (firstBlock)
                at = i + 1;
        } else if (inside && line.kind == Kind::Key) {
            if (sameName(line.name, key))
                existing = i;
            else if (firstBlock)
                at = i + 1;
        }
    }
    if (existing) {
        Line& line = lines_[*existing];
        const bool cr = line.text.endsWith('\r');
        QByteArray raw = line.text;
        if (cr)
            raw.chop(1);
        const QByteArray newText = raw.left(raw.indexOf('=')).trimmed() + '=' + value.toUtf8() + (cr ? "\r" : "");
        if (newText != line.text) {
            line.text = newText;
            classify(line);
            changed();
        }
        return;
    }

    const QString keyLine = key + QLatin1Char('=') + value;
    if (at) {
        insert(*at, makeLine(keyLine));
    } else {
        if (!lines_.empty() && !lines_.back().text.trimmed().isEmpty())
            insert(lines_.size(), makeLine(QString()));
        insert(lines_.size(), makeLine(QLatin1Char('[') + section + QLatin1Char(']')));
        insert(lines_.size(), makeLine(keyLine));
    }
    changed();
}

void IniDocument::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniDocument::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniDocument::eraseSection(const QString& section)
{
    eraseSections(QStringList{section});
}

void IniDocument::eraseSections(const QStringList& sections)
{
    QStringList names;
    for (const QString& section : sections)
        names << section.trimmed();
    // Compacted in place: a large file is not copied for each change.
    bool erasing = false;
    const auto doomed = [&](const Line& line) {
        if (line.kind == Kind::Section) {
            erasing = false;
            for (const QString& name : names)
                erasing = erasing || sameName(line.name, name);
        }
        return erasing;
    };
    const auto end = std::remove_if(lines_.begin(), lines_.end(), doomed);
    if (end == lines_.end())
        return;
    lines_.erase(end, lines_.end());
    changed();
}

QStringList IniDocument::replaceSection(const QString& sectionName,
                                       const std::vector<std::pair<QString, QString>>& entries)
{
    const QString section = sectionName.trimmed();
    checkSection(section);
    QStringList refused;
    std::vector<std::pair<QString, QString>> kept;
    QHash<QString, std::size_t> place;
    for (const auto& [keyName, value] : entries) {
        const QString key = keyName.trimmed();
        try {
            checkKey(key);
            checkValue(key, value);
        } catch (const IniError& error) {
            refused << QString::fromUtf8(error.what());
            continue;
        }
        const QString folded = key.toCaseFolded();
        const auto it = place.constFind(folded);
        if (it != place.cend()) {
            kept[*it].second = value;
        } else {
            place.insert(folded, kept.size());
            kept.emplace_back(key, value);
        }
    }
    eraseSection(section);
    if (kept.empty())
        return refused;
    lines_.reserve(lines_.size() + kept.size() + 2);
    if (!lines_.empty() && !lines_.back().text.trimmed().isEmpty())
        insert(lines_.size(), makeLine(QString()));
    insert(lines_.size(), makeLine(QLatin1Char('[') + section + QLatin1Char(']')));
    for (const auto& [key, value] : kept)
        insert(lines_.size(), makeLine(key + QLatin1Char('=') + value));
    changed();
    return refused;
}

void IniDocument::deleteKey(const QString& sectionName, const QString& keyName)
{
    const QString section = sectionName.trimmed();
    const QString key = keyName.trimmed();
    bool inside = false;
    const auto doomed = [&](const Line& line) {
        if (line.kind == Kind::Section)
            inside = sameName(line.name, section);
        return inside && line.kind == Kind::Key && sameName(line.name, key);
    };
    const auto end = std::remove_if(lines_.begin(), lines_.end(), doomed);
    if (end == lines_.end())
        return;
    lines_.erase(end, lines_.end());
    changed();
}

} // namespace platform
