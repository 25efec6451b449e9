#include "workspace/tools/HelpCommands.h"

#include "app/MainState.h"
#include "app/StartUp.h"
#include "components/BVAboutBox.h"
#include "components/BVExecFile.h"
#include "components/BVHelpFiles.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>

QString HelpSubDirectory(const QString& programFolder)
{
    const QString beside = QStringLiteral("Help");
    const QString installed = QStringLiteral("../share/quorvel/help");
    if (!QFileInfo(programFolder + u'/' + beside).isDir() && QFileInfo(programFolder + u'/' + installed).isDir())
        return installed;
    return beside;
}

void ConfigureHelpFiles(TBVHelpFiles& help)
{
    help.SubDirectory = HelpSubDirectory(QCoreApplication::applicationDirPath());
    help.HelpFilePath.clear();
    help.ApplicationTitle.clear();
    help.HelpFiles = QStringList{
        QStringLiteral("UsingWildcardsInQueries.html=How to use wildcards in queries"),
        QStringLiteral("HelpQuorvel.htm=Quorvel Help"),
        QStringLiteral("QuorvelSetup.htm=Quorvel Setup"),
        QStringLiteral("QuorvelQuickStart.htm=Quorvel Quick Start"),
    };
}

void ConfigureAboutBox(TBVAboutBox& about, QLabel* image)
{
    about.CompanyName = QStringLiteral("Brightvale Software");
    about.CompanyTitle = QStringLiteral("Brightvale Software");
    about.CompanyEmail = QStringLiteral("support@brightvale.example");
    about.CompanyURL = QStringLiteral("www.brightvale.example");
    about.Image = image;
}

void MenuItem_HelpClick(const TBVHelpFiles& help, QAction* MenuItem_Contents, QAction* MenuItem_ContentsDivider)
{
    MenuItem_Contents->setText(ApplicationTitle() + QStringLiteral(" Help..."));
    MenuItem_Contents->setVisible(!help.HelpFiles.isEmpty());
    MenuItem_ContentsDivider->setVisible(MenuItem_Contents->isVisible());
}

void MenuItem_ContentsClick(TBVHelpFiles& help)
{
    help.Execute();
}

void MenuItem_AboutClick(TBVAboutBox& about, const MainState& state)
{
    about.ApplicationTitle = ApplicationTitle();
    about.Copyright = state.CopyrightYearsText;
    about.Version = QStringLiteral("4.1");
    about.CompanyAddress = state.CompanyAddressText;
    about.CompanyCityStateZip = state.CompanyCityStateZipText;
    about.Execute();
}

QString FtpCommandLine(const QString& clientPath, const QString& server)
{
    return (clientPath + QStringLiteral(" -p ") + server).left(InString::MaxLength);
}

void MenuItem_Server01Click(TBVExecFile& launcher, QObject* Sender)
{
    auto* item = qobject_cast<QAction*>(Sender);
    if (!item)
        return;
    const QString clientPath = launcher.CommandLine;
    // The window definition leaves Wait and Associate off and Parameters empty.
    launcher.CommandLine = FtpCommandLine(clientPath, item->text());
    launcher.Execute();
    launcher.CommandLine = clientPath;
}
