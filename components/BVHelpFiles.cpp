#include "components/BVHelpFiles.h"

#include "components/HelpForm.h"
#include "components/HelpMenu.h"
#include "platform/modal/Modal.h"

TBVHelpFiles::TBVHelpFiles(QObject* owner) : QObject(owner) {}

TBVHelpFiles::~TBVHelpFiles()
{
    delete helpMenu_;
    delete helpForm_;
}

void TBVHelpFiles::Execute()
{
    if (!helpForm_)
        helpForm_ = new TForm_HelpForm;
    helpForm_->SetApplicationTitle(ApplicationTitle);
    helpForm_->SetHelpFilePath(HelpFilePath);
    helpForm_->SetHelpFiles(HelpFiles);
    helpForm_->SetSubDirectory(SubDirectory);
    if (!helpMenu_)
        helpMenu_ = new TForm_HelpMenu;
    helpMenu_->SetApplicationTitle(ApplicationTitle);
    helpMenu_->SetHelpFilePath(HelpFilePath);
    helpMenu_->SetHelpFiles(HelpFiles);
    helpMenu_->SetSubDirectory(SubDirectory);
    helpMenu_->SetHelpForm(helpForm_);
    helpForm_->SetTopicsWindow(helpMenu_);
    platform::modal::execWindow(*helpMenu_);
}
