#include "components/BVSplashScreen.h"

#include "components/SplashScreen.h"
#include "platform/modal/Modal.h"

#include <QLabel>
#include <QPointer>

namespace {
// The splash window while it is up.
QPointer<TForm_SplashScreen> Form_SplashScreen;
} // namespace

TBVSplashScreen::TBVSplashScreen(QObject* owner) : QObject(owner) {}

void TBVSplashScreen::Execute()
{
    auto* form = new TForm_SplashScreen();
    Form_SplashScreen = form;
    form->SetApplicationTitle(ApplicationTitle);
    form->SetCompanyAddress(CompanyAddress);
    form->SetCompanyCityStateZip(CompanyCityStateZip);
    form->SetCompanyName(CompanyName);
    form->SetCompanyTitle(CompanyTitle);
    form->SetCompanyURL(CompanyURL);
    form->SetCopyright(Copyright);
    if (Image)
        form->SetPicture(*Image, imageTop_, imageLeft_);
    form->SetInterval(Interval);
    form->SetVersion(Version);

    if (Modal) {
        form->FreeOnClose = false;
        platform::modal::execWindow(*form);
        delete form;
        Form_SplashScreen = nullptr;
    } else {
        // The window frees itself when its timer closes it.
        form->FreeOnClose = true;
        form->show();
        form->repaint();
    }
}
