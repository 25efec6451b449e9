#include "workspace/tools/HelpCommands.h"
#include "workspace/MainWindow.h"
#include "components/AboutBox.h"
#include "components/BVExecFile.h"
#include "components/BVHelpFiles.h"
#include "components/HelpMenu.h"
#include "components/HelpForm.h"
#include "components/HelpBrowser.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"

#include "ui_Main.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;
using platform::modal::ScopedResponder;

namespace {

// The program's title, set before the window computes its texts from it.
struct ProgramTitle {
    ProgramTitle() { QCoreApplication::setApplicationName(QStringLiteral("Quorvel")); }
};

class HelpCommands : public ::testing::Test {
protected:
    ProgramTitle title;
    testsupport::TempHome home;
    std::function<Answer(const Request&)> answer = [](const Request&) { return Answer{}; };
    ScopedResponder responder{[this](const Request& r) { return answer(r); }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
};

TEST_F(HelpCommands, HelpMenuShowsContentsOnlyWithPages)
{
    emit ui.MenuItem_Help->aboutToShow();
    EXPECT_EQ(ui.MenuItem_Contents->text(), QStringLiteral("Quorvel Help..."));
    EXPECT_TRUE(ui.MenuItem_Contents->isVisible());
    EXPECT_TRUE(ui.MenuItem_ContentsDivider->isVisible());

    form.BVHelpFiles->HelpFiles.clear();
    emit ui.MenuItem_Help->aboutToShow();
    EXPECT_FALSE(ui.MenuItem_Contents->isVisible());
    EXPECT_FALSE(ui.MenuItem_ContentsDivider->isVisible());
}

TEST_F(HelpCommands, ContentsOpensTheFourRealPages)
{
    QStringList titles;
    answer = [&](const Request& r) {
        if (auto* topics = qobject_cast<TForm_HelpMenu*>(r.window)) {
            for (int i = 0; i < topics->ListBox_Help->count(); ++i)
                titles << topics->ListBox_Help->item(i)->text();
            topics->ListBox_Help->setCurrentRow(titles.indexOf(QStringLiteral("Quorvel Setup")));
            topics->BitBtn_Display->click();
        }
        return Answer{};
    };
    ui.MenuItem_Contents->trigger();
    EXPECT_EQ(titles, (QStringList{"How to use wildcards in queries", "Quorvel Help", "Quorvel Quick Start",
                                   "Quorvel Setup"}));
    TForm_HelpForm* page = form.BVHelpFiles->HelpForm();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Quorvel Help :  Quorvel Setup"));
    EXPECT_EQ(page->PagePath(), QCoreApplication::applicationDirPath() + QStringLiteral("/Help/QuorvelSetup.htm"));
    page->hide();
}

TEST_F(HelpCommands, AboutShowsTheProgramsValues)
{
    QMap<QString, QString> labels;
    answer = [&](const Request& r) {
        if (auto* about = qobject_cast<TForm_AboutBox*>(r.window)) {
            for (QLabel* label : about->findChildren<QLabel*>())
                labels[label->objectName()] = label->text();
            labels[QStringLiteral("caption")] = about->windowTitle();
            labels[QStringLiteral("picture")] = about->Image_Application->pixmap().isNull() ? "none" : "set";
        }
        return Answer{1};
    };
    ui.MenuItem_About->trigger();
    EXPECT_EQ(labels["caption"], QStringLiteral("About Quorvel"));
    EXPECT_EQ(labels["Label_ApplicationTitle"], QStringLiteral("Quorvel"));
    EXPECT_EQ(labels["Label_Version"], QStringLiteral("Version 4.1 "));
    EXPECT_EQ(labels["Label_Copyright"],
              QStringLiteral("Copyright © 1996-") + QString::number(QDate::currentDate().year()));
    EXPECT_EQ(labels["Label_CompanyAddress"], form.state().CompanyAddressText);
    EXPECT_EQ(labels["Label_CompanyCityStateZip"], form.state().CompanyCityStateZipText);
    EXPECT_FALSE(labels["Label_CompanyName"].isEmpty());
    EXPECT_FALSE(labels["Label_CompanyURL"].isEmpty());
    EXPECT_EQ(labels["picture"], QStringLiteral("set"));
}

TEST(FtpCommand, LineIsPathDashPServerCutAt255)
{
    EXPECT_EQ(FtpCommandLine(QStringLiteral("/usr/bin/ftp"), QStringLiteral("files.example")),
              QStringLiteral("/usr/bin/ftp -p files.example"));
    const QString path(250, u'p');
    EXPECT_EQ(FtpCommandLine(path, QStringLiteral("server")), (path + QStringLiteral(" -p server")).left(255));
    EXPECT_EQ(FtpCommandLine(path, QStringLiteral("server")).size(), 255);
}

TEST_F(HelpCommands, ServerItemsStartTheClientOnThatServerOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // The client writes its arguments, then renames the file, so a whole file means it ran.
    const QString client = dir.filePath(QStringLiteral("ftp client"));
    QFile f(client);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\nd=$(dirname \"$0\")\nprintf '%s\\n' \"$@\" > \"$d/args.$2.tmp\"\n"
                           "mv \"$d/args.$2.tmp\" \"$d/args.$2\"\n")
                .toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);

    const QString quoted = QStringLiteral("'") + client + QStringLiteral("'");
    form.BVExecFile->CommandLine = quoted;
    ui.MenuItem_Server01->setText(QStringLiteral("one.example"));
    ui.MenuItem_Server02->setText(QStringLiteral("two.example"));
    ui.MenuItem_Server01->trigger();
    ui.MenuItem_Server02->trigger();
    for (const QString& server : {QStringLiteral("one.example"), QStringLiteral("two.example")}) {
        const QString out = dir.filePath(QStringLiteral("args.") + server);
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(out); }, 20000)) << server.toStdString();
        QFile result(out);
        ASSERT_TRUE(result.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(result.readAll()), QStringLiteral("-p\n") + server + u'\n');
    }
    EXPECT_EQ(form.BVExecFile->CommandLine.text(), quoted);
    EXPECT_FALSE(form.BVExecFile->Wait);

    // A client that cannot start shows nothing.
    int asked = 0;
    answer = [&](const Request&) {
        ++asked;
        return Answer{};
    };
    form.BVExecFile->CommandLine = dir.filePath(QStringLiteral("missing"));
    ui.MenuItem_Server01->trigger();
    EXPECT_EQ(asked, 0);
    EXPECT_NE(form.BVExecFile->LastError(), 0);
}

} // namespace

TEST(HelpPages, FoundBesideTheProgramElseInTheInstalledShareFolder)
{
    QTemporaryDir prefix;
    ASSERT_TRUE(prefix.isValid());
    const QString bin = prefix.path() + QStringLiteral("/bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    // Neither folder: the build folder's name, so a missing page is reported under it.
    EXPECT_EQ(HelpSubDirectory(bin), QStringLiteral("Help"));
    ASSERT_TRUE(QDir().mkpath(prefix.path() + QStringLiteral("/share/quorvel/help")));
    EXPECT_EQ(HelpSubDirectory(bin), QStringLiteral("../share/quorvel/help"));
    ASSERT_TRUE(QDir().mkpath(bin + QStringLiteral("/Help")));
    EXPECT_EQ(HelpSubDirectory(bin), QStringLiteral("Help"));
}
