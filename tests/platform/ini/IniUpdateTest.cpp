// Many changes in one write of the file, and what a fault in the middle of that write leaves: a
// full disk, a kill before the rename, and the temporary copies that start-up removes.
#include "platform/ini/AtomicFile.h"
#include "platform/ini/IniFile.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>

using platform::IniDocument;
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

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void makeOld(const QString& path)
{
    const timeval then[2] = {{std::time(nullptr) - 120, 0}, {std::time(nullptr) - 120, 0}};
    ASSERT_EQ(::lutimes(QFile::encodeName(path).constData(), then), 0) << path.toStdString();
}

int writes = 0;
void countWrite()
{
    ++writes;
}

// A file like the one the issue lost rows of: many databases and 800 UNIQUEFIELDS rows.
QByteArray bigSeed()
{
    QByteArray text = "[OPTIONS]\nTOOLBAR=1\n\n[DATABASES]\n";
    for (int i = 0; i < 200; ++i)
        text += QStringLiteral("Database %1=SQL SERVER|Database %1|dsn%1|user%1|pw%1||server||db%1|\n").arg(i).toUtf8();
    text += "\n[UNIQUEFIELDS]\n";
    for (int i = 0; i < 800; ++i)
        text += QStringLiteral("TABLE_%1=FIELD_%1\n").arg(i).toUtf8();
    return text + "\n[FTP]\nUSEFTP=0\n";
}

class IniUpdateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writes = 0;
        platform::testing::setBeforeRenameHook(countWrite);
    }
    void TearDown() override { platform::testing::setBeforeRenameHook(nullptr); }

    testsupport::TempHome home;
    QString path = home.file(QStringLiteral("Quorvel.ini"));
};

TEST_F(IniUpdateTest, ManyChangesAreOneWriteAndNoChangeIsNone)
{
    putFile(path, "; mine\n[A]\nk=1\nold=x\n[B]\nz=1\n");
    IniFile ini(QStringLiteral("Quorvel.ini"));
    ini.update([](IniDocument& doc) {
        doc.writeString("a", "K", "2");
        doc.deleteKey("A", "old");
        doc.eraseSection("B");
        for (int i = 0; i < 50; ++i)
            doc.writeInteger("LIST", QStringLiteral("T%1").arg(i), i);
        // What the edit changed so far is what it reads.
        EXPECT_EQ(doc.readString("A", "k", ""), "2");
        EXPECT_EQ(doc.readSection("list").size(), 50);
        EXPECT_FALSE(doc.sectionExists("B"));
    });
    EXPECT_EQ(writes, 1);
    const IniDocument after = ini.read();
    EXPECT_EQ(after.readSections(), (QStringList{"A", "LIST"}));
    EXPECT_EQ(after.readInteger("LIST", "T49", 0), 49);
    EXPECT_TRUE(fileBytes(path).startsWith("; mine\n[A]\nk=2\n\n[LIST]\nT0=0\n"));

    // Writing what is there already, or deleting what is not, writes nothing.
    const QByteArray same = fileBytes(path);
    ini.update([](IniDocument& doc) {
        doc.writeString("A", "k", "2");
        doc.deleteKey("A", "none");
        doc.eraseSection("none");
    });
    EXPECT_EQ(writes, 1);
    EXPECT_EQ(fileBytes(path), same);
    IniFile(QStringLiteral("absent.ini")).update([](IniDocument& doc) { doc.eraseSection("A"); });
    EXPECT_FALSE(QFileInfo::exists(home.file(QStringLiteral("absent.ini"))));
}

TEST_F(IniUpdateTest, AnEditThatFailsWritesNothing)
{
    putFile(path, bigSeed());
    IniFile ini(path);
    EXPECT_THROW(ini.update([](IniDocument& doc) {
        doc.eraseSection("UNIQUEFIELDS");
        doc.writeString("UNIQUEFIELDS", "T", "F");
        doc.writeString("UNIQUEFIELDS", "A=B", "F");  // refused: the whole update goes
    }),
                 IniError);
    EXPECT_EQ(writes, 0);
    EXPECT_EQ(fileBytes(path), bigSeed());
}

// Rewriting a section in one pass leaves what erasing it and writing each entry would.
TEST(IniDocumentReplaceSection, LeavesWhatEraseAndWritesWould)
{
    using Entries = std::vector<std::pair<QString, QString>>;
    struct Case { const char* what; QByteArray before; Entries entries; int refused; };
    const Case cases[] = {
        {"two blocks, other sections kept", "[L]\nA=1\n[X]\nk=v\n[l]\nB=2\n", {{"C", "3"}, {"D", "4"}}, 0},
        {"a name twice keeps its first spelling and last value", "[X]\nk=v", {{"Ab", "1"}, {"x", "2"}, {"AB", "3"}}, 0},
        {"rows the file cannot hold", "", {{"A=B", "1"}, {"ok", "line\nbreak"}, {" fine ", "2"}, {"[x", "3"}}, 3},
        {"no rows erases the section", "[L]\nA=1\n\n[X]\nk=v\n", {}, 0},
        {"CRLF file", "[X]\r\nk=v\r\n[L]\r\nA=1\r\n", {{"B", "2"}}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        IniDocument fast = IniDocument::fromBytes(c.before);
        EXPECT_EQ(fast.replaceSection("l", c.entries).size(), c.refused);
        IniDocument slow = IniDocument::fromBytes(c.before);
        slow.eraseSection("l");
        for (const auto& [key, value] : c.entries) {
            try {
                slow.writeString("l", key, value);
            } catch (const IniError&) {
            }
        }
        EXPECT_EQ(fast.bytes(), slow.bytes());
        EXPECT_EQ(fast.readSectionPairs("L"), slow.readSectionPairs("L"));
    }
    IniDocument doc;
    EXPECT_THROW(doc.replaceSection("a]b", {{"k", "v"}}), IniError);
    EXPECT_TRUE(doc.bytes().isEmpty());
}

// The disk fills during the write: the old file stays byte for byte and no temporary copy is
// left. The writer is a child process whose file size limit stands for the full disk.
TEST_F(IniUpdateTest, FullDiskLeavesTheOldFileByteForByte)
{
    putFile(path, bigSeed());
    const auto run = [&](const QString& limit) {
        QProcess writer;
        writer.start(QStringLiteral(QV_INI_FAULT_WRITER), {QStringLiteral("full-disk"), path, limit});
        EXPECT_TRUE(writer.waitForFinished(-1));
        return std::pair{writer.exitCode(), QString::fromLocal8Bit(writer.readAllStandardOutput())};
    };
    const auto [code, message] = run(QStringLiteral("16384"));
    EXPECT_EQ(code, 3) << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String("File too large"))) << message.toStdString();
    EXPECT_EQ(fileBytes(path), bigSeed());
    EXPECT_EQ(entries(home.path()), QStringList{"Quorvel.ini"});

    // With room enough the same write lands whole.
    const auto [roomy, none] = run(QStringLiteral("10000000"));
    EXPECT_EQ(roomy, 0) << none.toStdString();
    const IniDocument after = IniFile(path).read();
    EXPECT_EQ(after.readSection("UNIQUEFIELDS").size(), 800);
    EXPECT_EQ(after.readString("UNIQUEFIELDS", "NEW_TABLE_799", ""), "NEW_FIELD_799");
    EXPECT_EQ(after.readSection("DATABASES").size(), 200);
    EXPECT_EQ(entries(home.path()), QStringList{"Quorvel.ini"});
}

// Killed after the new text is on the disk but before the rename: the old file is whole, and the
// copy left behind (passwords and all) goes at the next start once it is a minute old.
TEST_F(IniUpdateTest, KilledWriteLeavesTheOldFileAndStartUpRemovesItsCopy)
{
    putFile(path, bigSeed());
    QProcess writer;
    writer.start(QStringLiteral(QV_INI_FAULT_WRITER), {QStringLiteral("hold"), path});
    ASSERT_TRUE(writer.waitForStarted());
    while (!writer.canReadLine() && writer.state() == QProcess::Running)
        writer.waitForReadyRead(-1);
    ASSERT_EQ(writer.readLine(), "held\n") << writer.readAllStandardOutput().constData();
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(-1));

    EXPECT_EQ(fileBytes(path), bigSeed());
    const QStringList left = entries(home.path());
    ASSERT_EQ(left.size(), 2) << left.join(' ').toStdString();
    const QString copy = left[0] == QLatin1String("Quorvel.ini") ? left[1] : left[0];
    EXPECT_TRUE(platform::isTemporaryFileName(copy)) << copy.toStdString();
    EXPECT_TRUE(fileBytes(home.file(copy)).contains("NEW_TABLE_799=NEW_FIELD_799\n"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(home.file(copy)).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);

    // Younger than a minute it may be a write still going on.
    EXPECT_EQ(platform::removeStaleTemporaryFiles(home.path()), 0);
    EXPECT_TRUE(QFileInfo::exists(home.file(copy)));
    makeOld(home.file(copy));
    EXPECT_EQ(platform::removeStaleTemporaryFiles(home.path()), 1);
    EXPECT_EQ(entries(home.path()), QStringList{"Quorvel.ini"});
    EXPECT_EQ(fileBytes(path), bigSeed());
}

// Only old files of the program's own naming pattern go: beside the configuration files, and
// beside the target of a configuration file that is a link, for that target's name.
TEST_F(IniUpdateTest, StartUpRemovesOnlyItsOwnStaleCopies)
{
    const QString other = home.file(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(other));
    putFile(other + QStringLiteral("/real.ini"), "[A]\nk=v\n");
    ASSERT_TRUE(QFile::link(other + QStringLiteral("/real.ini"), home.file(QStringLiteral("linked.ini"))));

    struct Case { QString path; bool removed; };
    const Case cases[] = {
        {home.file(".Quorvel.ini.quorvel-tmp-AbC123"), true},
        {home.file(".registry-HKEY_LOCAL_MACHINE.ini.quorvel-tmp-x9Y8z7"), true},
        {home.file(".Quorvel.ini.tmp-AbC123"), false},           // another program's pattern
        {home.file("Quorvel.ini.quorvel-tmp-AbC123"), false},    // no leading dot
        {home.file(".Quorvel.ini.quorvel-tmp-AbC12"), false},    // five characters
        {home.file(".Quorvel.ini.quorvel-tmp-AbC1234"), false},  // seven
        {home.file(".Quorvel.ini.quorvel-tmp-AbC_23"), false},
        {other + "/.real.ini.quorvel-tmp-Qw3rTy", true},         // beside the link's target
        {other + "/.foreign.ini.quorvel-tmp-Qw3rTy", false},     // not a file of ours there
    };
    for (const Case& c : cases) {
        putFile(c.path, "[DATABASES]\nx=ORACLE|x|dsn|scott|tiger|||||\n");
        makeOld(c.path);
    }
    // A folder and a link of that name are no temporary files.
    const QString folder = home.file(".a.ini.quorvel-tmp-F0lder");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString link = home.file(".b.ini.quorvel-tmp-L1nkXy");
    ASSERT_TRUE(QFile::link(other + QStringLiteral("/real.ini"), link));
    makeOld(link);

    EXPECT_EQ(platform::removeStaleTemporaryFiles(home.path()), 3);
    for (const Case& c : cases)
        EXPECT_EQ(QFileInfo::exists(c.path), !c.removed) << c.path.toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileBytes(other + QStringLiteral("/real.ini")), "[A]\nk=v\n");
}

} // namespace

// Reads reuse the parsed file only while it holds the same bytes: another program's change of the
// same size and time stamp, or of the program's own last write, is read at once.
TEST_F(IniUpdateTest, AChangeByAnotherProgramIsReadAtOnceWhateverItsSizeAndTime)
{
    putFile(path, "[OPTIONS]\nUSER=anna\n");
    IniFile ini(QStringLiteral("Quorvel.ini"));
    EXPECT_EQ(ini.readString(QStringLiteral("OPTIONS"), QStringLiteral("USER"), {}), QStringLiteral("anna"));
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    putFile(path, "[OPTIONS]\nUSER=bert\n");
    const timespec same[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), same, 0), 0);
    EXPECT_EQ(ini.readString(QStringLiteral("OPTIONS"), QStringLiteral("USER"), {}), QStringLiteral("bert"));

    ini.writeString(QStringLiteral("OPTIONS"), QStringLiteral("USER"), QStringLiteral("cleo"));
    EXPECT_EQ(ini.readString(QStringLiteral("OPTIONS"), QStringLiteral("USER"), {}), QStringLiteral("cleo"));
    putFile(path, "[OPTIONS]\nUSER=dora\n");
    EXPECT_EQ(IniFile(QStringLiteral("Quorvel.ini")).read().readString(QStringLiteral("OPTIONS"), QStringLiteral("USER"), {}),
              QStringLiteral("dora"));
    EXPECT_EQ(fileBytes(path), QByteArray("[OPTIONS]\nUSER=dora\n"));
}
