#include "app/MainState.h"
#include "app/Options.h"
#include "components/BVExecFile.h"
#include "platform/ini/IniFile.h"
#include "tests/support/Support.h"

#include <QAction>
#include <QFile>
#include <QFont>
#include <QMenu>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

// The controls LoadOptions sets, standing alone without a main window.
struct Controls {
    QPlainTextEdit sql, results;
    QAction toolBar, statusBar, showFieldNames, allowLowerCase, includeCommands, defaultNulls;
    QMenu ftp;
    QAction* servers[5];
    TBVExecFile exec;
    OptionControls c;

    Controls()
    {
        for (QAction* a : {&toolBar, &statusBar, &showFieldNames, &allowLowerCase, &includeCommands, &defaultNulls})
            a->setCheckable(true);
        for (int i = 0; i < 5; ++i)
            servers[i] = ftp.addAction(QStringLiteral("Server%1").arg(i + 1));
        c.Memo_SQL = &sql;
        c.Memo_Results = &results;
        c.MenuItem_ToolBar = &toolBar;
        c.MenuItem_StatusBar = &statusBar;
        c.MenuItem_ShowFieldNames = &showFieldNames;
        c.MenuItem_AllowLowerCase = &allowLowerCase;
        c.MenuItem_IncludeCommands = &includeCommands;
        c.MenuItem_DefaultNulls = &defaultNulls;
        c.MenuItem_FTP = &ftp;
        for (int i = 0; i < 5; ++i)
            c.MenuItem_Servers[i] = servers[i];
        c.BVExecFile = &exec;
    }
};

platform::IniFile ini() { return platform::IniFile(kQuorvelIni); }

class LoadOptionsTest : public ::testing::Test {
protected:
    testsupport::TempHome home;
    MainState state;
    Controls w;
};

} // namespace

TEST_F(LoadOptionsTest, NoFileGivesTheDefaultsAndOverwritesWhatWasSet)
{
    // Everything the opposite of its default first, so each value is seen to be set.
    for (QAction* a : {&w.toolBar, &w.statusBar, &w.includeCommands})
        a->setChecked(false);
    for (QAction* a : {&w.showFieldNames, &w.allowLowerCase, &w.defaultNulls})
        a->setChecked(true);
    state.UseSynonyms = false;
    state.AlterRegInfo = true;
    state.MemoHeight = 1;
    w.exec.CommandLine = QStringLiteral("old");
    QFont odd(QStringLiteral("Courier New"), 20);
    odd.setBold(true);
    w.sql.setFont(odd);
    w.results.setFont(odd);

    LoadOptions(state, w.c);

    EXPECT_TRUE(w.toolBar.isChecked());
    EXPECT_TRUE(w.statusBar.isChecked());
    EXPECT_TRUE(w.includeCommands.isChecked());
    EXPECT_FALSE(w.showFieldNames.isChecked());
    EXPECT_FALSE(w.allowLowerCase.isChecked());
    EXPECT_FALSE(w.defaultNulls.isChecked());
    EXPECT_TRUE(state.UseSynonyms);
    EXPECT_FALSE(state.AlterRegInfo);
    EXPECT_EQ(state.MemoHeight, 230);
    EXPECT_FALSE(w.ftp.menuAction()->isVisible());
    EXPECT_EQ(w.exec.CommandLine, QString());
    EXPECT_TRUE(state.SerialFields.isEmpty());
    for (QPlainTextEdit* memo : {&w.sql, &w.results}) {
        const QFont f = memo->font();
        EXPECT_EQ(f.family(), QStringLiteral("ms sans serif"));
        EXPECT_EQ(f.pointSize(), 8);
        EXPECT_EQ(FontStyleOf(f), TFontStyles());
        EXPECT_EQ(memo->palette().color(QPalette::Text), QColor(Qt::black));
    }
    // Reading is all LoadOptions does: the file is still not there.
    EXPECT_FALSE(QFile::exists(home.file(kQuorvelIni)));
}

TEST_F(LoadOptionsTest, StoredValuesReachTheControlsAndState)
{
    auto f = ini();
    f.writeString(QStringLiteral("Memo_SQL"), QStringLiteral("FONTNAME"), QStringLiteral("Courier New"));
    f.writeInteger(QStringLiteral("Memo_SQL"), QStringLiteral("FONTSTYLE"), 9);
    f.writeInteger(QStringLiteral("Memo_SQL"), QStringLiteral("FONTSIZE"), 12);
    f.writeInteger(QStringLiteral("Memo_SQL"), QStringLiteral("FONTCOLOR"), 0x0000FF);  // red
    f.writeInteger(QStringLiteral("MEMO_RESULTS"), QStringLiteral("fontstyle"), 12);     // any case
    f.writeInteger(QStringLiteral("Memo_Results"), QStringLiteral("FONTCOLOR"), 0x804020);
    f.writeInteger(QStringLiteral("MEMOS"), QStringLiteral("HEIGHT"), 300);
    for (const char* key : {"TOOLBAR", "STATUSBAR", "INCLUDECOMMANDS"})
        f.writeBool(QStringLiteral("OPTIONS"), QString::fromLatin1(key), false);
    for (const char* key : {"SHOWFIELDNAMES", "ALLOWLOWERCASE", "DEFAULTNULLS"})
        f.writeBool(QStringLiteral("OPTIONS"), QString::fromLatin1(key), true);
    f.writeBool(QStringLiteral("ORACLE"), QStringLiteral("USESYNONYMS"), false);
    f.writeBool(QStringLiteral("ORACLE"), QStringLiteral("ALTERREGINFO"), true);

    LoadOptions(state, w.c);

    const QFont sql = w.sql.font();
    EXPECT_EQ(sql.family(), QStringLiteral("Courier New"));
    EXPECT_EQ(sql.pointSize(), 12);
    EXPECT_EQ(FontStyleOf(sql), fsBold | fsStrikeOut);
    EXPECT_EQ(w.sql.palette().color(QPalette::Text), QColor(255, 0, 0));
    const QFont results = w.results.font();
    EXPECT_EQ(results.family(), QStringLiteral("ms sans serif"));
    EXPECT_EQ(results.pointSize(), 8);
    EXPECT_EQ(FontStyleOf(results), fsBold | fsItalic);
    EXPECT_EQ(w.results.palette().color(QPalette::Text), QColor(0x20, 0x40, 0x80));
    EXPECT_EQ(state.MemoHeight, 300);
    EXPECT_FALSE(w.toolBar.isChecked());
    EXPECT_FALSE(w.statusBar.isChecked());
    EXPECT_FALSE(w.includeCommands.isChecked());
    EXPECT_TRUE(w.showFieldNames.isChecked());
    EXPECT_TRUE(w.allowLowerCase.isChecked());
    EXPECT_TRUE(w.defaultNulls.isChecked());
    EXPECT_FALSE(state.UseSynonyms);
    EXPECT_TRUE(state.AlterRegInfo);
}

TEST(FontStyleCode, EveryCodeRoundTripsAndBoldIsTheHighBit)
{
    for (int v = 0; v <= 15; ++v) {
        EXPECT_EQ(FontStyleToInt(IntToFontStyle(v)), v) << v;
        QFont font;
        ApplyFontStyle(font, IntToFontStyle(v));
        EXPECT_EQ(FontStyleToInt(FontStyleOf(font)), v) << v;
    }
    const struct {
        int code;
        TFontStyles style;
    } cases[] = {
        {0, {}},
        {1, fsStrikeOut},
        {2, fsUnderline},
        {4, fsItalic},
        {8, fsBold},
        {9, fsBold | fsStrikeOut},
        {12, fsBold | fsItalic},
        {15, fsBold | fsItalic | fsUnderline | fsStrikeOut},
        // Outside 0..15 only the four low bits count.
        {16, {}},
        {25, fsBold | fsStrikeOut},
        {-1, fsBold | fsItalic | fsUnderline | fsStrikeOut},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IntToFontStyle(c.code), c.style) << c.code;
    EXPECT_EQ(FontStyleToInt(fsBold | fsItalic), 12);
}

TEST(FontColour, ClassLibraryValueIsBlueGreenRed)
{
    const struct {
        qint32 value;
        QColor colour;
    } cases[] = {
        {0, QColor(0, 0, 0)},
        {0x0000FF, QColor(255, 0, 0)},
        {0x00FF00, QColor(0, 255, 0)},
        {0xFF0000, QColor(0, 0, 255)},
        {0x112233, QColor(0x33, 0x22, 0x11)},
        {0xFFFFFF, QColor(255, 255, 255)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TColorToQColor(c.value), c.colour) << c.value;
        EXPECT_EQ(QColorToTColor(c.colour), c.value) << c.value;
    }
    // A system colour (clBtnFace) is not an RGB value.
    EXPECT_EQ(TColorToQColor(static_cast<qint32>(0xFF00000F)), QColor(Qt::black));
}

TEST_F(LoadOptionsTest, FtpMenuAndLauncher)
{
    const QString longPath = QStringLiteral("/opt/ftp/") + QString(300, QLatin1Char('x'));
    const struct {
        const char* name;
        bool useFtp;
        QStringList servers;  // SERVER1..SERVER5
        bool menuShown;
        QStringList captions;
        QList<bool> itemsShown;
    } cases[] = {
        {"only SERVER4", true, {"", "", "", "ftp.four", ""}, true,
         {"", "", "", "ftp.four", ""}, {false, false, false, true, false}},
        {"all five", true, {"a", "b", "c", "d", "e"}, true, {"a", "b", "c", "d", "e"}, {true, true, true, true, true}},
        {"on without servers", true, {"", "", "", "", ""}, false, {"", "", "", "", ""}, {false, false, false, false, false}},
        // Off: the servers are not read, the items keep their captions.
        {"off", false, {"a", "b", "c", "d", "e"}, false,
         {"Server1", "Server2", "Server3", "Server4", "Server5"}, {true, true, true, true, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempHome fresh;
        Controls controls;
        auto f = ini();
        f.writeBool(QStringLiteral("FTP"), QStringLiteral("USEFTP"), c.useFtp);
        f.writeString(QStringLiteral("FTP"), QStringLiteral("PATH"), longPath);
        for (int i = 0; i < 5; ++i)
            f.writeString(QStringLiteral("FTP"), QStringLiteral("SERVER%1").arg(i + 1), c.servers[i]);

        LoadOptions(state, controls.c);

        EXPECT_EQ(controls.ftp.menuAction()->isVisible(), c.menuShown);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(controls.servers[i]->text(), c.captions[i]) << i;
            EXPECT_EQ(controls.servers[i]->isVisible(), c.itemsShown[i]) << i;
        }
        EXPECT_EQ(controls.exec.CommandLine, longPath.left(255));
    }
}

TEST(ListValue, NamesWithoutRegardToCaseEmptyValueRemoves)
{
    const struct {
        const char* name;
        QStringList before;
        QString key, value;
        QStringList after;
    } cases[] = {
        {"added", {"A=1"}, "b", "2", {"A=1", "b=2"}},
        {"replaced, any case", {"A=1", "B=2"}, "b", "3", {"A=1", "b=3"}},
        {"removed", {"A=1", "B=2"}, "a", "", {"B=2"}},
        {"removing what is not there", {"A=1"}, "c", "", {"A=1"}},
        {"a value holding '='", {}, "t", "x=y", {"t=x=y"}},
        {"a name is the text before the first '='", {"A=B=C"}, "A=B", "1", {"A=B=C", "A=B=1"}},
    };
    for (const auto& c : cases) {
        QStringList list = c.before;
        SetListValue(list, c.key, c.value);
        EXPECT_EQ(list, c.after) << c.name;
    }
}

TEST_F(LoadOptionsTest, KeyColumnSectionsMergeIntoTheListsUpperCased)
{
    auto f = ini();
    f.writeString(QStringLiteral("SERIALFIELDS"), QStringLiteral("orders"), QStringLiteral("order_no"));
    f.writeString(QStringLiteral("SERIALFIELDS"), QStringLiteral("Items"), QStringLiteral("id"));
    f.writeString(QStringLiteral("UNIQUEFIELDS"), QStringLiteral("people"), QStringLiteral("email"));
    f.writeString(QStringLiteral("NOUPDATEFIELDS"), QStringLiteral("people"), QStringLiteral("created"));
    state.SerialFields = QStringList{QStringLiteral("ORDERS=OLD"), QStringLiteral("keep=k")};

    LoadOptions(state, w.c);

    EXPECT_EQ(state.SerialFields, (QStringList{"ORDERS=ORDER_NO", "KEEP=K", "ITEMS=ID"}));
    EXPECT_EQ(state.UniqueFields, QStringList{"PEOPLE=EMAIL"});
    EXPECT_EQ(state.NoUpdateFields, QStringList{"PEOPLE=CREATED"});

    // The options dialog rewrites the section: a removed row stays in memory, a changed one
    // takes effect, an emptied one goes.
    f.eraseSection(QStringLiteral("SERIALFIELDS"));
    f.writeString(QStringLiteral("SERIALFIELDS"), QStringLiteral("orders"), QStringLiteral("order_id"));
    f.writeString(QStringLiteral("SERIALFIELDS"), QStringLiteral("keep"), QString());

    LoadOptions(state, w.c);

    EXPECT_EQ(state.SerialFields, (QStringList{"ORDERS=ORDER_ID", "ITEMS=ID"}));
}
