// Each operation on Quorvel.ini reads the file once, however many options it asks for, and a save
// writes it once: with thousands of configured databases a reading per option was what start-up
// and the windows spent their time on.
#include "app/DBConfigure.h"
#include "app/DataSources.h"
#include "app/DatabaseRegistry.h"
#include "app/Options.h"
#include "app/SetOptions.h"
#include "app/StartUp.h"
#include "platform/ini/AtomicFile.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <gtest/gtest.h>

namespace {

int reads = 0;
int writes = 0;
void countRead() { ++reads; }
void countWrite() { ++writes; }

TEST(ConfigurationFile, EachOperationReadsItOnceAndWritesItAtMostOnce)
{
    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet([](const platform::modal::Request&) { return platform::modal::Answer{}; });
    platform::IniFile(kQuorvelIni).update([](platform::IniDocument& ini) {
        ini.writeString("OPTIONS", "DEFAULTDATASOURCE", "dsn7");
        ini.writeString("Memo_SQL", "FONTNAME", "DejaVu Sans Mono");
        ini.writeBool("FTP", "USEFTP", true);
        for (int i = 0; i < 50; ++i) {
            ini.writeString("DATABASES", QStringLiteral("DB%1").arg(i), QStringLiteral("ORACLE|DB%1|dsn%1|u|p|||||").arg(i));
            ini.writeString("UNIQUEFIELDS", QStringLiteral("T%1").arg(i), QStringLiteral("F%1").arg(i));
        }
    });

    QPlainTextEdit sqlMemo, resultsMemo;
    QAction toolBar(nullptr), statusBar(nullptr);
    OptionControls controls;
    controls.Memo_SQL = &sqlMemo;
    controls.Memo_Results = &resultsMemo;
    controls.MenuItem_ToolBar = &toolBar;
    controls.MenuItem_StatusBar = &statusBar;
    MainState state;
    QMenu menu;
    DatabaseRegistry registry(state, menu, {});
    TForm_SetOptions options;
    TForm_Configure configure;

    struct Case { const char* what; std::function<void()> operation; int writes; };
    const Case cases[] = {
        {"loading the options", [&] { LoadOptions(state, controls); }, 0},
        {"the options window's load", [&] { options.FormShow(); }, 0},
        {"the options window's OK", [&] { options.BitBtn_OKClick(); }, 1},
        {"the configuration window's load", [&] { configure.FormShow(); }, 0},
        {"loading the database list", [&] { registry.LoadDatabases(); }, 0},
        {"looking up a login", [] {
             QString user, password;
             TForm_DataSource::LookupDataSourceLogin("DSN7", user, password);
         }, 0},
        {"saving the check marks at close", [&] { startup::FormClose(state, controls); }, 1},
    };
    platform::testing::setReadHook(countRead);
    platform::testing::setBeforeRenameHook(countWrite);
    for (const Case& c : cases) {
        reads = writes = 0;
        c.operation();
        EXPECT_EQ(reads, 1) << c.what;
        EXPECT_EQ(writes, c.writes) << c.what;
    }
    platform::testing::setReadHook(nullptr);
    platform::testing::setBeforeRenameHook(nullptr);
    EXPECT_EQ(platform::IniFile(kQuorvelIni).read().readSection("UNIQUEFIELDS").size(), 50);
}

} // namespace
