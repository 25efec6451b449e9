#include "platform/ini/IniFile.h"
#include "tests/platform/ini/CrashValue.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <chrono>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <thread>

using platform::IniError;
using platform::IniFile;

namespace {

void putFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray kSample =
    "; kept as it is\n"
    "[Options]\n"
    "ToolBar = 1\n"
    "StatusBar=0\n"
    "Weird=yes\n"
    "Height= 230 \n"
    "Bad=12abc\n"
    "Big=99999999999\n"
    "Neg=-16777208\n"
    "Empty=\n"
    "Conn=Provider=MSDASQL.1;Data Source=x\n"
    "  Spaced Key   =   spaced value  \n"
    "junk line without equals\n"
    "#Hidden=1\n"
    "=nameless\n"
    "\n"
    "[sort order]\n"
    "CUSTOMERS=name DESC\n"
    "Text=Gr\xC3\xB6\xC3\x9F" "e\n"
    "[OPTIONS]\n"
    "Late=in a second block\n"
    "ToolBar=0\n";

class IniFileTest : public ::testing::Test {
protected:
    testsupport::TempHome home;
    QString path = home.file(QStringLiteral("Quorvel.ini"));
};

TEST_F(IniFileTest, ReadsStringsIntegersAndBooleans)
{
    putFile(path, kSample);
    const IniFile ini(QStringLiteral("Quorvel.ini"));

    struct Case { const char* section; const char* key; std::optional<QString> value; };
    const Case strings[] = {
        {"OPTIONS", "toolbar", QStringLiteral("1")},  // names in any case; the first block wins
        {" Options ", " TOOLBAR ", QStringLiteral("1")},
        {"Options", "Conn", QStringLiteral("Provider=MSDASQL.1;Data Source=x")},
        {"Options", "spaced key", QStringLiteral("spaced value")},
        {"Options", "Height", QStringLiteral("230")},
        {"Options", "Empty", QString()},  // present and empty is not missing
        {"Options", "Late", QStringLiteral("in a second block")},
        {"Sort Order", "Customers", QStringLiteral("name DESC")},
        {"SORT ORDER", "text", QString::fromUtf8("Gr\xC3\xB6\xC3\x9F" "e")},
        {"Options", "Missing", std::nullopt},
        {"Nowhere", "ToolBar", std::nullopt},
        {"Options", "junk line without equals", std::nullopt},
        {"Options", "#Hidden", std::nullopt},
        {"Options", "", std::nullopt},
    };
    for (const Case& c : strings) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini.readString(c.section, c.key, QStringLiteral("<default>")),
                  c.value.value_or(QStringLiteral("<default>")));
        EXPECT_EQ(ini.valueExists(c.section, c.key), c.value.has_value());
    }

    struct IntCase { const char* key; int value; };
    const IntCase integers[] = {
        {"Height", 230}, {"Neg", -16777208}, {"ToolBar", 1},
        {"Bad", -7}, {"Big", -7}, {"Empty", -7}, {"Weird", -7}, {"Missing", -7},
    };
    for (const IntCase& c : integers)
        EXPECT_EQ(ini.readInteger("options", c.key, -7), c.value) << c.key;

    // Booleans are numbers: any but zero is true; text that is no number leaves the default.
    struct BoolCase { const char* key; std::optional<bool> value; };
    const BoolCase booleans[] = {
        {"ToolBar", true}, {"StatusBar", false}, {"Weird", std::nullopt}, {"Height", true},
        {"Neg", true}, {"Bad", std::nullopt}, {"Empty", std::nullopt}, {"Missing", std::nullopt},
    };
    for (const BoolCase& c : booleans) {
        EXPECT_EQ(ini.readBool("Options", c.key, true), c.value.value_or(true)) << c.key;
        EXPECT_EQ(ini.readBool("Options", c.key, false), c.value.value_or(false)) << c.key;
    }
    putFile(path, "[B]\ntwo=2\nminus=-1\nzeros=00\nspaced= 0 \nword=true\n");
    const BoolCase numbers[] = {
        {"two", true}, {"minus", true}, {"zeros", false}, {"spaced", false}, {"word", std::nullopt},
    };
    for (const BoolCase& c : numbers) {
        EXPECT_EQ(ini.readBool("B", c.key, true), c.value.value_or(true)) << c.key;
        EXPECT_EQ(ini.readBool("B", c.key, false), c.value.value_or(false)) << c.key;
    }
}

TEST_F(IniFileTest, ListsSectionsAndKeysInFileOrder)
{
    putFile(path, kSample);
    const IniFile ini(path);

    EXPECT_EQ(ini.readSections(), (QStringList{"Options", "sort order"}));
    EXPECT_EQ(ini.readSection("OPTIONS"),
              (QStringList{"ToolBar", "StatusBar", "Weird", "Height", "Bad", "Big", "Neg", "Empty", "Conn",
                           "Spaced Key", "Late"}));
    EXPECT_EQ(ini.readSectionValues("Sort Order"),
              (QStringList{"CUSTOMERS=name DESC", QString::fromUtf8("Text=Gr\xC3\xB6\xC3\x9F" "e")}));
    const QStringList values = ini.readSectionValues("options");
    EXPECT_EQ(values.first(), "ToolBar=1");
    EXPECT_TRUE(values.contains("Conn=Provider=MSDASQL.1;Data Source=x"));
    EXPECT_TRUE(values.contains("Empty="));
    EXPECT_TRUE(values.contains("Spaced Key=spaced value"));
    EXPECT_TRUE(ini.sectionExists("SORT ORDER"));
    EXPECT_FALSE(ini.sectionExists("Memos"));
    EXPECT_TRUE(ini.readSection("Memos").isEmpty());
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndIsNotCreatedByReadsOrDeletions)
{
    IniFile ini(QStringLiteral("Quorvel.ini"));
    EXPECT_EQ(ini.readString("OPTIONS", "TOOLBAR", "d"), "d");
    EXPECT_TRUE(ini.readSections().isEmpty());
    ini.deleteKey("OPTIONS", "TOOLBAR");
    ini.eraseSection("OPTIONS");
    EXPECT_FALSE(QFileInfo::exists(path));
}

// Each write is checked against the whole file afterwards: the place of a new key, the spelling
// kept for an existing one, and every line the change does not concern, byte for byte.
TEST_F(IniFileTest, WritesChangeOnlyWhatTheyName)
{
    using Op = std::function<void(IniFile&)>;
    struct Case { const char* what; QByteArray before; Op op; QByteArray after; };
    const Case cases[] = {
        {"new file", "", [](IniFile& f) { f.writeString("OPTIONS", "TOOLBAR", "1"); },
         "[OPTIONS]\nTOOLBAR=1\n"},
        {"new section at the end", "[A]\nk=v\n", [](IniFile& f) { f.writeInteger("B", "x", -5); },
         "[A]\nk=v\n\n[B]\nx=-5\n"},
        {"existing key keeps place and spelling",
         "[Sort Order]\n  Cust = a\nOther=b\n", [](IniFile& f) { f.writeString("SORT ORDER", "CUST", "c=d"); },
         "[Sort Order]\nCust=c=d\nOther=b\n"},
        {"new key at the end of its section",
         "[A]\nk=v\n; note\n\n[B]\nx=1\n", [](IniFile& f) { f.writeBool("a", "n", false); },
         "[A]\nk=v\nn=0\n; note\n\n[B]\nx=1\n"},
        {"new key into an empty section", "[A]\n[B]\nx=1\n", [](IniFile& f) { f.writeBool("A", "n", true); },
         "[A]\nn=1\n[B]\nx=1\n"},
        {"lines it cannot parse are kept",
         "junk before\n[A]\ngarbage \xFF\xFE line\nk=v\n\x01\x02", [](IniFile& f) { f.writeString("A", "k", "w"); },
         "junk before\n[A]\ngarbage \xFF\xFE line\nk=w\n\x01\x02"},
        {"last line without a line end", "[A]\nk=v", [](IniFile& f) { f.writeString("A", "n", "1"); },
         "[A]\nk=v\nn=1\n"},
        {"CRLF file, new key", "[A]\r\nk=v\r\n", [](IniFile& f) { f.writeString("A", "n", "1"); },
         "[A]\r\nk=v\r\nn=1\r\n"},
        {"CRLF file, existing key", "[A]\r\nk=v\r\n", [](IniFile& f) { f.writeString("A", "K", "x"); },
         "[A]\r\nk=x\r\n"},
        {"byte-order mark kept", "\xEF\xBB\xBF[A]\nk=v\n", [](IniFile& f) { f.writeString("a", "k", "x"); },
         "\xEF\xBB\xBF[A]\nk=x\n"},
        {"UTF-8 value", "", [](IniFile& f) { f.writeString("A", "k", QString::fromUtf8("\xE2\x9C\x93 \xC3\xA9")); },
         "[A]\nk=\xE2\x9C\x93 \xC3\xA9\n"},
        {"delete a key in every copy", "[A]\nk=1\nm=2\n[a]\nK=3\n", [](IniFile& f) { f.deleteKey("A", "k"); },
         "[A]\nm=2\n[a]\n"},
        {"delete a missing key", "[A]\nk=1\n", [](IniFile& f) { f.deleteKey("A", "zz"); }, "[A]\nk=1\n"},
        {"erase a section in every block",
         "top\n[A]\nk=1\n; c\n[B]\nx=1\n[a]\ny=2\n", [](IniFile& f) { f.eraseSection("a"); },
         "top\n[B]\nx=1\n"},
        {"erase several sections", "[A]\nk=1\n[B]\nx=1\n[C]\ny=2\n",
         [](IniFile& f) { f.eraseSections({"c", "A"}); }, "[B]\nx=1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(path);
        if (!c.before.isEmpty())
            putFile(path, c.before);
        IniFile ini(path);
        c.op(ini);
        EXPECT_EQ(fileBytes(path), c.after);
    }
}

TEST_F(IniFileTest, WrittenValuesReadBack)
{
    IniFile ini(QStringLiteral("Quorvel.ini"));
    ini.writeString("DATABASES", "Test DB", "ORACLE|Test DB|qv_pg|scott|ti=ger|||||");
    ini.writeString("Memo_SQL", "FONTNAME", "  ms sans serif  ");
    ini.writeInteger("Memo_SQL", "FONTCOLOR", -16777208);
    ini.writeBool("OPTIONS", "TOOLBAR", false);
    EXPECT_EQ(ini.readString("databases", "TEST DB", ""), "ORACLE|Test DB|qv_pg|scott|ti=ger|||||");
    EXPECT_EQ(ini.readString("Memo_SQL", "FONTNAME", ""), "ms sans serif");  // blanks trimmed, as on Windows
    EXPECT_EQ(ini.readInteger("memo_sql", "fontcolor", 0), -16777208);
    EXPECT_FALSE(ini.readBool("OPTIONS", "TOOLBAR", true));
}

TEST_F(IniFileTest, RefusesNamesAndValuesThatWouldNotReadBack)
{
    const QByteArray before = "[A]\nk=v\n";
    putFile(path, before);
    IniFile ini(path);
    struct Case { const char* section; const char* key; const char* value; };
    const Case cases[] = {
        {"A", "a=b", "1"}, {"A", "", "1"}, {"A", "  ", "1"}, {"A", "[x]", "1"}, {"A", ";c", "1"},
        {"a]b", "k", "1"}, {"", "k", "1"}, {"A", "k", "line1\nline2"}, {"A", "k", "x\ry"},
        {"A", "new\nkey", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key + "/" + c.value);
        EXPECT_THROW(ini.writeString(c.section, c.key, c.value), IniError);
    }
    EXPECT_EQ(fileBytes(path), before);
}

TEST_F(IniFileTest, UnreadableFileReadsEmptyAndIsNeverWritten)
{
    ASSERT_TRUE(QDir().mkpath(path));  // a folder where the file should be
    ASSERT_TRUE(QDir(path).exists());
    putFile(path + QStringLiteral("/inside"), "keep");
    IniFile ini(QStringLiteral("Quorvel.ini"));
    EXPECT_EQ(ini.readString("OPTIONS", "TOOLBAR", "d"), "d");
    EXPECT_TRUE(ini.readSections().isEmpty());
    EXPECT_THROW(ini.writeString("OPTIONS", "TOOLBAR", "1"), IniError);
    EXPECT_THROW(ini.writeBool("OPTIONS", "TOOLBAR", true), IniError);
    ini.deleteKey("OPTIONS", "TOOLBAR");
    ini.eraseSection("OPTIONS");
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(fileBytes(path + QStringLiteral("/inside")), "keep");
}

TEST_F(IniFileTest, FileThatIsNotIniTextLosesNothingOnWrite)
{
    QByteArray noise(64 * 1024, '\0');
    auto* random = QRandomGenerator::global();
    for (char& byte : noise) {
        byte = static_cast<char>(random->bounded(256));
        if (byte == '\n' || byte == '[')
            byte = '\0';  // one long line that no parser takes for a section
    }
    noise[0] = 'x';
    putFile(path, noise);
    IniFile ini(path);
    EXPECT_TRUE(ini.readSections().isEmpty());
    ini.writeString("OPTIONS", "TOOLBAR", "1");
    const QByteArray after = fileBytes(path);
    EXPECT_TRUE(after.startsWith(noise));
    EXPECT_EQ(ini.readString("OPTIONS", "TOOLBAR", ""), "1");
}

TEST_F(IniFileTest, EveryObjectSeesTheFileAsItIsNow)
{
    IniFile first(QStringLiteral("Quorvel.ini"));
    IniFile second(QStringLiteral("Quorvel.Ini"));  // another spelling of the same file
    EXPECT_EQ(first.fileName(), path);
    first.writeString("OPTIONS", "DEFAULTDATASOURCE", "qv_sqlite");
    EXPECT_EQ(second.fileName(), path);
    EXPECT_EQ(second.readString("OPTIONS", "DEFAULTDATASOURCE", ""), "qv_sqlite");
    putFile(path, "[OPTIONS]\nDEFAULTDATASOURCE=edited by hand\n");
    EXPECT_EQ(first.readString("OPTIONS", "DEFAULTDATASOURCE", ""), "edited by hand");
}

// The file may hold passwords: whatever its old mode, it is written private to its owner.
TEST_F(IniFileTest, RewriteIsPrivateAndKeepsSymbolicLinks)
{
    putFile(path, "[A]\nk=v\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    const QString link = home.file(QStringLiteral("link.ini"));
    ASSERT_TRUE(QFile::link(path, link));

    IniFile(link).writeString("DATABASES", "Test DB", "ORACLE|Test DB|qv_pg|scott|tiger|||||");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(path), "[A]\nk=v\n\n[DATABASES]\nTest DB=ORACLE|Test DB|qv_pg|scott|tiger|||||\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    const mode_t mask = ::umask(0);  // a lax umask makes no difference
    IniFile(QStringLiteral("new.ini")).writeString("A", "k", "v");
    ::umask(mask);
    ASSERT_EQ(::stat(QFile::encodeName(home.file("new.ini")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// A writer killed at any moment leaves the file as it was before or after one whole write. The
// writer says when a write has landed, so however slow the machine, each round kills it some time
// after a first whole write: during the next write, between writes or several writes later.
TEST_F(IniFileTest, KilledWriterLeavesOldOrNewFile)
{
    putFile(path, crashtest::seed());
    for (int round = 0; round < 24; ++round) {
        QProcess writer;
        writer.start(QStringLiteral(QV_INI_CRASH_WRITER), {path});
        ASSERT_TRUE(writer.waitForStarted());
        // No time limit: only the writer's own line, or its end, ends the wait.
        while (!writer.canReadLine() && writer.state() == QProcess::Running)
            writer.waitForReadyRead(-1);
        ASSERT_TRUE(writer.canReadLine()) << "the writer ended without a write: "
                                          << writer.readAllStandardError().constData();
        const int landed = writer.readLine().trimmed().toInt();
        std::this_thread::sleep_for(std::chrono::microseconds(QRandomGenerator::global()->bounded(round * 1500 + 1)));
        writer.kill();  // SIGKILL: no chance to tidy up
        ASSERT_TRUE(writer.waitForFinished(-1));
        ASSERT_EQ(writer.exitStatus(), QProcess::CrashExit) << writer.readAllStandardError().constData();

        const QByteArray bytes = fileBytes(path);
        const QString value = IniFile(path).readString("BIG", "v", "");
        const int written = value.section(QLatin1Char(':'), 0, 0).toInt();
        ASSERT_TRUE(bytes == crashtest::fileFor(crashtest::value(written)))
            << "torn file after " << round << " rounds, " << bytes.size() << " bytes";
        // The file holds the write the writer reported, or one after it.
        EXPECT_GE(written, landed) << "round " << round;
    }
}

} // namespace

TEST_F(IniFileTest, ByteOrderMarkIsTakenOnlyFromTheStartOfTheFile)
{
    const QString bomKey = QString(QChar(0xFEFF)) + QStringLiteral("KEY");
    putFile(path, "\xEF\xBB\xBF[A]\nplain=1\n");
    IniFile ini(path);
    EXPECT_EQ(ini.readString("A", "plain", ""), "1");  // the file's own mark is no part of "[A]"
    ini.writeString("A", bomKey, "marked");
    ini.writeString(QString(QChar(0xFEFF)) + QStringLiteral("B"), "k", "v");
    EXPECT_EQ(ini.readString("A", bomKey, ""), "marked");
    EXPECT_EQ(ini.readString("A", "KEY", "none"), "none");
    EXPECT_EQ(ini.readSection("A"), (QStringList{"plain", bomKey}));
    EXPECT_EQ(ini.readString(QString(QChar(0xFEFF)) + QStringLiteral("B"), "k", ""), "v");
    EXPECT_TRUE(fileBytes(path).startsWith("\xEF\xBB\xBF[A]\n"));
}

TEST_F(IniFileTest, SectionPairsComeFromOneReadingInFileOrder)
{
    putFile(path, "[D]\nb=2\nA=1\n[x]\nb=other\n[d]\na=late\nc=3\n");
    const IniFile ini(path);
    const std::vector<std::pair<QString, QString>> expected{{"b", "2"}, {"A", "1"}, {"c", "3"}};
    EXPECT_EQ(ini.readSectionPairs("D"), expected);
    EXPECT_EQ(ini.readSectionValues("d"), (QStringList{"b=2", "A=1", "c=3"}));
    EXPECT_TRUE(ini.readSectionPairs("none").empty());
}

TEST_F(IniFileTest, LinkToAMissingFolderIsRefusedAndCreatesNothing)
{
    const QString link = home.file(QStringLiteral("dangling.ini"));
    const QString nowhere = home.file(QStringLiteral("gone/deeper/Quorvel.ini"));
    ASSERT_TRUE(QFile::link(nowhere, link));
    IniFile ini(link);
    EXPECT_THROW(ini.writeString("A", "k", "v"), IniError);
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("gone"))));
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // A link into a folder that exists makes the file there and stays a link.
    const QString absent = home.file(QStringLiteral("target.ini"));
    const QString link2 = home.file(QStringLiteral("to-target.ini"));
    ASSERT_TRUE(QFile::link(absent, link2));
    IniFile(link2).writeString("A", "k", "v");
    EXPECT_TRUE(QFileInfo(link2).isSymLink());
    EXPECT_EQ(fileBytes(absent), "[A]\nk=v\n");
}
