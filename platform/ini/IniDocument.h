#pragma once
// The text of one INI file, read once and then queried or changed in memory, with the Windows
// private-profile semantics: section and key names compared without regard to case, file order
// kept, the first of two equal keys is the one read. Everything a change does not name (comments,
// lines that cannot be parsed, bytes that are not UTF-8) goes back out byte for byte.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace platform {

class IniError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IniDocument {
public:
    IniDocument();
    ~IniDocument();
    IniDocument(const IniDocument&);
    IniDocument& operator=(const IniDocument&);
    IniDocument(IniDocument&&) noexcept;
    IniDocument& operator=(IniDocument&&) noexcept;

    static IniDocument fromBytes(QByteArray data);
    // Builds the lookup table now, so that copies made afterwards share it.
    void buildIndex() const { index(); }
    QByteArray bytes() const;

    // Reads are answered from an index built on the first read after a change, so an operation
    // that asks many questions pays for one pass over the text.
    std::optional<QString> value(const QString& section, const QString& key) const;
    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal; a missing value or one that is not a number gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // A number: any but zero is true; anything else gives the default.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    QStringList readSections() const;
    // Key names of a section in file order, each once.
    QStringList readSection(const QString& section) const;
    // The section's lines as "name=value", in file order.
    QStringList readSectionValues(const QString& section) const;
    // The section's keys with their first values, in file order.
    std::vector<std::pair<QString, QString>> readSectionPairs(const QString& section) const;
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;

    // A name or value that would read back as something else is refused with IniError, and the
    // document is then unchanged.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);
    void eraseSection(const QString& section);
    void eraseSections(const QStringList& sections);
    // The section erased and written anew with the entries, in one pass: what eraseSection and a
    // writeString for each entry would leave (a key given twice keeps its first place and takes
    // its last value). An entry that cannot be stored is left out; the messages say which.
    QStringList replaceSection(const QString& section, const std::vector<std::pair<QString, QString>>& entries);
    // Every copy of the key goes, so no older duplicate shows through afterwards.
    void deleteKey(const QString& section, const QString& key);

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        QByteArray text;      // without the "\n"; a "\r" of a CRLF file stays here
        bool newline = true;  // false only for a last line without a line end
        Kind kind = Kind::Other;
        QString name;         // section or key name, trimmed
        QString value;        // key value, trimmed
    };
    struct Index;

    static void classify(Line& line);
    Line makeLine(const QString& text) const;
    void insert(std::size_t at, Line line);
    const Index& index() const;
    void changed() { index_.reset(); }

    QByteArray bom_;
    bool crlf_ = false;
    std::vector<Line> lines_;
    mutable std::shared_ptr<const Index> index_;
};

} // namespace platform
