#pragma once
// Private-profile INI files with the Windows semantics: section and key names compared without
// regard to case, file order kept, every write reaching the disk at once and atomically. There is
// no cached copy: each call reads the file afresh, so several objects on one file agree. An
// operation that asks many questions takes one reading with read(); one that changes many values
// makes them with update(), in one write of the file.
#include "platform/ini/IniDocument.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace platform {

class IniFile {
public:
    // A bare name ("Quorvel.ini") resolves into the configuration folder.
    explicit IniFile(const QString& fileName);

    // For a bare name, the file in the configuration folder whose name matches ignoring case.
    const QString& fileName() const;

    // The file as it is now, read once; a missing or unreadable file reads as empty.
    IniDocument read() const;
    // Applies edit to the file's text and writes the file once, when the text changed. When edit
    // throws or the write fails, the file stays as it was, byte for byte, and the error goes on
    // (IniError for the file). A file that exists but cannot be read is never written.
    void update(const std::function<void(IniDocument&)>& edit);

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // Decimal; a missing value or one that is not a number gives the default.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // "1" is true and "0" false; anything else gives the default.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;

    // Writes throw IniError when the file cannot be written; the old file then stays as it was.
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeBool(const QString& section, const QString& key, bool value);

    QStringList readSections() const;
    // Key names of a section, in file order.
    QStringList readSection(const QString& section) const;
    // The section's lines as "name=value", in file order.
    QStringList readSectionValues(const QString& section) const;
    // The section's keys and values in file order from one reading of the file; a key that
    // appears twice gives its first value, as readString does.
    std::vector<std::pair<QString, QString>> readSectionPairs(const QString& section) const;
    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;

    void eraseSection(const QString& section);
    // Several sections in one rewrite of the file.
    void eraseSections(const QStringList& sections);
    void deleteKey(const QString& section, const QString& key);

private:
    QString requested_;
    mutable QString path_;  // looked up again on each use: the file may appear in another case
};

namespace testing {
// Called each time an IniFile reads its file; a test counts the readings of an operation.
void setReadHook(void (*hook)());
} // namespace testing

} // namespace platform
