#include "components/BVHelpFiles.h"
#include "components/HelpBrowser.h"
#include "components/HelpForm.h"
#include "components/HelpMenu.h"
#include "platform/modal/Modal.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;
using platform::modal::ScopedResponder;

namespace {

void writeFile(const QString& path, const QString& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

class HelpViewer : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TBVHelpFiles help;
    QStringList captions;  // of every window run modally
    // What the topics window does when shown: pick this title (empty: pick nothing) and press.
    QString pick;
    bool pressDisplay = true;

    void SetUp() override
    {
        QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
        ASSERT_TRUE(dir.isValid());
        writeFile(dir.filePath(QStringLiteral("one.htm")),
                  QStringLiteral("<html><body><h1>Page one</h1><a href=\"two.htm\">next</a></body></html>"));
        writeFile(dir.filePath(QStringLiteral("two.htm")),
                  QStringLiteral("<html><body><h1>Page two</h1></body></html>"));
        help.HelpFilePath = dir.path() + u'/';
        help.HelpFiles = QStringList{QStringLiteral("two.htm=Second page"), QStringLiteral("one.htm=First page")};
    }
    Answer respond(const Request& r)
    {
        captions << r.caption;
        if (r.kind == Kind::Window) {
            auto* topics = qobject_cast<TForm_HelpMenu*>(r.window);
            if (topics) {
                if (pick.isEmpty()) {
                    topics->ListBox_Help->clearSelection();
                } else {
                    const auto found = topics->ListBox_Help->findItems(pick, Qt::MatchExactly);
                    EXPECT_FALSE(found.isEmpty());
                    if (!found.isEmpty())
                        topics->ListBox_Help->setCurrentItem(found.first());
                }
                (pressDisplay ? topics->BitBtn_Display : topics->BitBtn_Close)->click();
            }
        }
        return Answer{0};
    }
    QString shownText() const { return help.HelpForm()->HTML->toPlainText(); }
};

TEST(HelpPaths, JoinedByTheirRules)
{
    const QString program = QCoreApplication::applicationDirPath();
    struct Case {
        QString helpFilePath, subDirectory, expected;
    };
    const Case cases[] = {
        {"/opt/help/", "Help", "/opt/help/page.htm"},
        {"/opt/help", "", "/opt/helppage.htm"},  // joined as given, without a separator
        {"   ", "Help", program + "/Help/page.htm"},
        {"", "Help", program + "/Help/page.htm"},
        {"", "  ", program + "/page.htm"},
        {"", "", program + "/page.htm"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HelpPagePath(c.helpFilePath, c.subDirectory, QStringLiteral("page.htm")), c.expected)
            << c.helpFilePath.toStdString() << "|" << c.subDirectory.toStdString();
}

TEST_F(HelpViewer, TopicsListTitlesSortedAndDisplayShowsThePage)
{
    ScopedResponder responder([this](const Request& r) { return respond(r); });
    pick = QStringLiteral("First page");
    help.Execute();

    TForm_HelpMenu* topics = help.HelpMenu();
    ASSERT_NE(topics, nullptr);
    EXPECT_EQ(topics->windowTitle(), QStringLiteral("Help Topics: Quorvel Help"));
    EXPECT_EQ(topics->ListBox_Help->count(), 2);
    EXPECT_EQ(topics->ListBox_Help->item(0)->text(), QStringLiteral("First page"));
    EXPECT_EQ(topics->Label_Click->text(), QStringLiteral("Click the index entry you want and then click Display"));
    EXPECT_FALSE(topics->isVisible());

    TForm_HelpForm* form = help.HelpForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quorvel Help :  First page"));
    EXPECT_EQ(form->PagePath(), dir.path() + QStringLiteral("/one.htm"));
    EXPECT_EQ(form->HTML->LocationURL(), QUrl::fromLocalFile(dir.filePath("one.htm")).toString());
    EXPECT_TRUE(shownText().contains(QStringLiteral("Page one")));
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form->BitBtn_Topics->text(), QStringLiteral("Help &Topics"));
    EXPECT_EQ(form->BitBtn_Back->text(), QStringLiteral("&Back"));
    EXPECT_EQ(form->BitBtn_Print->text(), QStringLiteral("&Print"));
    EXPECT_EQ(form->MenuItem_PrintTopic->text(), QStringLiteral("&Print Topic"));

    // Following a link makes Back possible; Back returns and is then impossible again.
    EXPECT_FALSE(form->BitBtn_Back->isEnabled());
    form->HTML->setSource(QUrl::fromLocalFile(dir.filePath("two.htm")));
    EXPECT_TRUE(shownText().contains(QStringLiteral("Page two")));
    EXPECT_TRUE(form->BitBtn_Back->isEnabled());
    form->BitBtn_Back->click();
    EXPECT_TRUE(shownText().contains(QStringLiteral("Page one")));
    EXPECT_FALSE(form->BitBtn_Back->isEnabled());

    // Help Topics from the help window: the other page, and the same two windows again.
    pick = QStringLiteral("Second page");
    form->BitBtn_Topics->click();
    EXPECT_EQ(help.HelpMenu(), topics);
    EXPECT_TRUE(topics->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quorvel Help :  Second page"));
    EXPECT_TRUE(shownText().contains(QStringLiteral("Page two")));

    // Exit only hides the window; the next Execute reuses it.
    form->MenuItem_Exit->trigger();
    EXPECT_FALSE(form->isVisible());
    help.ApplicationTitle = QStringLiteral("Own Title");
    pick = QStringLiteral("First page");
    help.Execute();
    EXPECT_EQ(help.HelpForm(), form);
    EXPECT_EQ(topics->windowTitle(), QStringLiteral("Help Topics: Own Title Help"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Own Title Help :  First page"));
    EXPECT_TRUE(form->isVisible());
    form->hide();
}

TEST_F(HelpViewer, NothingSelectedOnlyClosesAndSameTitlesShowTheFirstPage)
{
    ScopedResponder responder([this](const Request& r) { return respond(r); });
    pick.clear();
    help.Execute();
    EXPECT_FALSE(help.HelpForm()->isVisible());
    EXPECT_TRUE(help.HelpForm()->HTML->LocationURL().isEmpty());

    help.HelpFiles = QStringList{QStringLiteral("two.htm=Same"), QStringLiteral("one.htm=Same"),
                                 QStringLiteral("No file here")};
    pick = QStringLiteral("Same");
    help.Execute();
    EXPECT_EQ(help.HelpMenu()->ListBox_Help->count(), 3);
    EXPECT_EQ(help.HelpMenu()->FileNames(), (QStringList{"two.htm", "one.htm", ""}));
    EXPECT_TRUE(shownText().contains(QStringLiteral("Page two")));
    help.HelpForm()->hide();
}

TEST_F(HelpViewer, MissingPageIsReportedInTheWindow)
{
    ScopedResponder responder([this](const Request& r) { return respond(r); });
    help.HelpFiles = QStringList{QStringLiteral("gone.htm=Gone")};
    pick = QStringLiteral("Gone");
    help.Execute();
    EXPECT_TRUE(help.HelpForm()->isVisible());
    EXPECT_TRUE(shownText().contains(QStringLiteral("cannot be found")));
    EXPECT_TRUE(shownText().contains(dir.filePath(QStringLiteral("gone.htm"))));
    help.HelpForm()->hide();
}

TEST_F(HelpViewer, PrintAsksAndPrintsThePage)
{
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    bool printAsked = false;
    bool printOk = false;
    ScopedResponder responder([&](const Request& r) {
        if (r.kind == Kind::Print) {
            printAsked = true;
            if (printOk) {
                r.printer->setOutputFormat(QPrinter::PdfFormat);
                r.printer->setOutputFileName(pdf);
            }
            return Answer{printOk ? 1 : 0};
        }
        return respond(r);
    });
    pick = QStringLiteral("First page");
    help.Execute();
    help.HelpForm()->BitBtn_Print->click();
    EXPECT_TRUE(printAsked);
    EXPECT_FALSE(QFile::exists(pdf));
    printOk = true;
    help.HelpForm()->MenuItem_PrintTopic->trigger();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
    help.HelpForm()->hide();
}

#ifdef QV_HELP_DIR
TEST(HelpPages, InstalledBesideTheProgramAndTheirLinksResolve)
{
    const QString folder = QStringLiteral(QV_HELP_DIR);
    const QStringList pages{"UsingWildcardsInQueries.html", "HelpQuorvel.htm", "QuorvelSetup.htm",
                            "QuorvelQuickStart.htm"};
    for (const QString& page : pages) {
        QFile f(folder + u'/' + page);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << page.toStdString();
        const QString text = QString::fromUtf8(f.readAll());
        // Every link to another page names one of the four.
        static const QRegularExpression link(QStringLiteral("href=\"([^\"#:]+)(#[^\"]*)?\""));
        for (auto it = link.globalMatch(text); it.hasNext();) {
            const QString target = it.next().captured(1);
            EXPECT_TRUE(pages.contains(target)) << page.toStdString() << " -> " << target.toStdString();
        }
    }
}
#endif

} // namespace
