#pragma once
// The Help menu, the about box and the FTP menu: what each command hands to its component.
#include <QString>

class QAction;
class QLabel;
class QObject;
class TBVAboutBox;
class TBVExecFile;
class TBVHelpFiles;
struct MainState;

// The window definition's values of the help pages and the about box.
void ConfigureHelpFiles(TBVHelpFiles& help);
// Where the help pages lie, from the program's folder: Help/ beside it in a build folder, else
// share/quorvel/help of the installation the program's bin/ belongs to.
QString HelpSubDirectory(const QString& programFolder);
void ConfigureAboutBox(TBVAboutBox& about, QLabel* image);

// Help menu opened: the Contents caption, and Contents with its divider shown only with pages.
void MenuItem_HelpClick(const TBVHelpFiles& help, QAction* MenuItem_Contents, QAction* MenuItem_ContentsDivider);
void MenuItem_ContentsClick(TBVHelpFiles& help);
void MenuItem_AboutClick(TBVAboutBox& about, const MainState& state);

// The FTP client's command line for one server: client path, " -p ", server, cut at 255.
QString FtpCommandLine(const QString& clientPath, const QString& server);
// Starts the client on the clicked item's server, without waiting; a failed start shows nothing.
void MenuItem_Server01Click(TBVExecFile& launcher, QObject* Sender);
