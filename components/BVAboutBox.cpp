#include "components/BVAboutBox.h"

#include "components/AboutBox.h"
#include "platform/modal/Modal.h"

#include <QLabel>

TBVAboutBox::TBVAboutBox(QObject* owner) : QObject(owner) {}

void TBVAboutBox::Execute()
{
    TForm_AboutBox form;
    form.SetApplicationTitle(ApplicationTitle);
    form.SetBuildNumber(BuildNumber);
    form.SetCompanyAddress(CompanyAddress);
    form.SetCompanyCityStateZip(CompanyCityStateZip);
    form.SetCompanyEmail(CompanyEmail);
    form.SetCompanyName(CompanyName);
    form.SetCompanyPhone(CompanyPhone);
    form.SetCompanyTitle(CompanyTitle);
    form.SetCompanyURL(CompanyURL);
    form.SetCopyright(Copyright);
    form.SetDisclaimer(Disclaimer);
    if (Image)
        form.SetPicture(*Image, imageTop_, imageLeft_);
    form.SetVersion(Version);
    platform::modal::execWindow(form);
}
