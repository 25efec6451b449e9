#include "components/HelpMenu.h"

#include "components/DialogBehaviour.h"
#include "components/BVExecFile.h"
#include "components/HelpForm.h"
#include "ui_HelpMenu.h"

#include <QCoreApplication>
#include <QDir>

QString HelpApplicationTitle(const QString& applicationTitle)
{
    return applicationTitle.isEmpty() ? QCoreApplication::applicationName() : applicationTitle;
}

QString HelpPagePath(const QString& helpFilePath, const QString& subDirectory, const QString& fileName)
{
    if (!helpFilePath.trimmed().isEmpty())
        return helpFilePath + fileName;
    const QString folder = QCoreApplication::applicationDirPath();
    if (!subDirectory.trimmed().isEmpty())
        return QDir::cleanPath(folder + u'/' + subDirectory + u'/' + fileName);
    return folder + u'/' + fileName;
}

TForm_HelpMenu::TForm_HelpMenu(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm_HelpMenu>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    Label_Click = ui->Label_Click;
    ListBox_Help = ui->ListBox_Help;
    BitBtn_Display = ui->BitBtn_Display;
    BitBtn_Close = ui->BitBtn_Close;
    BVExecFile = new TBVExecFile(this);
    connect(BitBtn_Display, &QPushButton::clicked, this, &TForm_HelpMenu::BitBtn_DisplayClick);
    connect(BitBtn_Close, &QPushButton::clicked, this, &TForm_HelpMenu::BitBtn_CloseClick);
    connect(ListBox_Help, &QListWidget::itemDoubleClicked, this, &TForm_HelpMenu::BitBtn_DisplayClick);
}

TForm_HelpMenu::~TForm_HelpMenu() = default;

void TForm_HelpMenu::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    CenterOnScreen(*this);
    FormShow();
}

void TForm_HelpMenu::FormShow()
{
    titles_.clear();
    fileNames_.clear();
    for (const QString& line : helpFiles_) {
        const int eq = line.indexOf(u'=');
        if (eq < 0) {
            titles_ << line;
            fileNames_ << QString();
        } else {
            titles_ << line.mid(eq + 1);
            fileNames_ << line.left(eq);
        }
    }
    ListBox_Help->clear();
    ListBox_Help->addItems(titles_);
    if (ListBox_Help->count() > 0)
        ListBox_Help->setCurrentRow(0);
    setWindowTitle(QStringLiteral("Help Topics: ") + HelpApplicationTitle(applicationTitle_) +
                   QStringLiteral(" Help"));
}

void TForm_HelpMenu::BitBtn_DisplayClick()
{
    const QListWidgetItem* item = ListBox_Help->currentItem();
    if (item && item->isSelected() && helpForm_) {
        const QString title = item->text();
        const int at = titles_.indexOf(title);
        const QString fileName = at >= 0 ? fileNames_.at(at) : QString();
        helpForm_->SetPage(HelpPagePath(helpFilePath_, subDirectory_, fileName), title);
        helpForm_->SetRefresh();
        helpForm_->show();
        helpForm_->FormActivate();
        if (helpForm_->isMinimized())
            helpForm_->showNormal();
        helpForm_->raise();
        helpForm_->activateWindow();
    }
    done(1);
}

void TForm_HelpMenu::BitBtn_CloseClick()
{
    done(1);
}
