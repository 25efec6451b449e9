#include "components/HelpForm.h"

#include "components/DialogBehaviour.h"
#include "components/HelpBrowser.h"
#include "components/HelpMenu.h"
#include "platform/modal/Modal.h"
#include "ui_HelpForm.h"

#include <QPrinter>

TForm_HelpForm::TForm_HelpForm(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TForm_HelpForm>())
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    ui->N1->setSeparator(true);
    BitBtn_Topics = ui->BitBtn_Topics;
    BitBtn_Back = ui->BitBtn_Back;
    BitBtn_Print = ui->BitBtn_Print;
    HTML = ui->HTML;
    MenuItem_PrintTopic = ui->MenuItem_PrintTopic;
    MenuItem_Exit = ui->MenuItem_Exit;
    connect(BitBtn_Topics, &QPushButton::clicked, this, &TForm_HelpForm::BitBtn_TopicsClick);
    connect(BitBtn_Back, &QPushButton::clicked, this, &TForm_HelpForm::MenuItem_BackClick);
    connect(BitBtn_Print, &QPushButton::clicked, this, &TForm_HelpForm::BitBtn_PrintClick);
    connect(MenuItem_PrintTopic, &QAction::triggered, this, &TForm_HelpForm::BitBtn_PrintClick);
    connect(MenuItem_Exit, &QAction::triggered, this, &TForm_HelpForm::MenuItem_ExitClick);
    connect(HTML, &HelpBrowser::CommandStateChange, this, &TForm_HelpForm::HTMLCommandStateChange);
}

TForm_HelpForm::~TForm_HelpForm() = default;

void TForm_HelpForm::SetPage(const QString& path, const QString& title)
{
    pagePath_ = path;
    pageTitle_ = title;
}

void TForm_HelpForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!placed_) {
        placed_ = true;
        CenterOnScreen(*this);
    }
    refresh_ = true;
}

void TForm_HelpForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TForm_HelpForm::FormActivate()
{
    if (!refresh_)
        return;
    setWindowTitle(HelpApplicationTitle(applicationTitle_) + QStringLiteral(" Help :  ") + pageTitle_);
    if (HTML->LocationURL() != pagePath_)
        HTML->Navigate(QStringLiteral("file:") + pagePath_);
    refresh_ = false;
}

void TForm_HelpForm::BitBtn_TopicsClick()
{
    if (topics_) {
        topics_->SetHelpFilePath(helpFilePath_);
        topics_->SetHelpFiles(helpFiles_);
        topics_->SetSubDirectory(subDirectory_);
        topics_->setWindowFlag(Qt::WindowStaysOnTopHint);
        platform::modal::execWindow(*topics_);
    }
    refresh_ = true;
}

void TForm_HelpForm::MenuItem_BackClick()
{
    // The browser's complaints about going back are of no interest.
    try {
        HTML->GoBack();
    } catch (...) {
    }
}

void TForm_HelpForm::BitBtn_PrintClick()
{
    QPrinter printer;
    if (platform::modal::printDialog(this, printer))
        HTML->document()->print(&printer);
}

void TForm_HelpForm::MenuItem_ExitClick()
{
    hide();
}

void TForm_HelpForm::HTMLCommandStateChange(int command, bool enabled)
{
    if (command == 2)
        BitBtn_Back->setEnabled(enabled);
}
