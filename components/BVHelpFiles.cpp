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

template <class Window>
void TBVHelpFiles::copySettings(Window& window) const
{
    window.SetApplicationTitle(ApplicationTitle);
    window.SetHelpFilePath(HelpFilePath);
    window.SetHelpFiles(HelpFiles);
    window.SetSubDirectory(SubDirectory);
}

void TBVHelpFiles::Execute()
{
    if (!helpForm_)
        helpForm_ = new TForm_HelpForm;
    copySettings(*helpForm_);
    if (!helpMenu_)
        helpMenu_ = new TForm_HelpMenu;
    copySettings(*helpMenu_);
    helpMenu_->SetHelpForm(helpForm_);
    helpForm_->SetTopicsWindow(helpMenu_);
    platform::modal::execWindow(*helpMenu_);
}
