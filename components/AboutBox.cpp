#include "components/AboutBox.h"

#include "components/DialogBehaviour.h"
#include "components/CopyrightInfo.h"

#include "platform/shell/Shell.h"
#include "ui_AboutBox.h"

#include <QMouseEvent>

namespace {

void writeLabel(QLabel* label, const QString& text)
{
    label->clear();
    if (!text.isEmpty())
        label->setText(text);
}

} // namespace

TForm_AboutBox::TForm_AboutBox(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm_AboutBox>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    Label_CompanyTitle = ui->Label_CompanyTitle;
    Label_ApplicationTitle = ui->Label_ApplicationTitle;
    Image_Application = ui->Image_Application;
    Label_Version = ui->Label_Version;
    Label_Copyright = ui->Label_Copyright;
    Label_CompanyName = ui->Label_CompanyName;
    Label_CompanyAddress = ui->Label_CompanyAddress;
    Label_CompanyCityStateZip = ui->Label_CompanyCityStateZip;
    Label_CompanyURL = ui->Label_CompanyURL;
    Label_CompanyEmail = ui->Label_CompanyEmail;
    Label_CompanyPhone = ui->Label_CompanyPhone;
    Panel_Bottom = ui->Panel_Bottom;
    RichEdit_Disclaimer = ui->RichEdit_Disclaimer;
    BitBtn_OK = ui->BitBtn_OK;

    QPalette pal = RichEdit_Disclaimer->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Window));
    RichEdit_Disclaimer->setPalette(pal);
    connect(BitBtn_OK, &QPushButton::clicked, this, [this] { done(1); });
    Label_CompanyURL->installEventFilter(this);
}

TForm_AboutBox::~TForm_AboutBox() = default;

void TForm_AboutBox::SetApplicationTitle(const QString& value)
{
    applicationTitle_ = value;
    writeLabel(Label_ApplicationTitle, value);
}

void TForm_AboutBox::SetBuildNumber(const QString& value)
{
    buildNumber_ = value;
    WriteVersion();
}

void TForm_AboutBox::SetCompanyAddress(const QString& value)
{
    companyAddress_ = value;
    writeLabel(Label_CompanyAddress, value);
}

void TForm_AboutBox::SetCompanyCityStateZip(const QString& value)
{
    companyCityStateZip_ = value;
    writeLabel(Label_CompanyCityStateZip, value);
}

void TForm_AboutBox::SetCompanyEmail(const QString& value)
{
    companyEmail_ = value;
    writeLabel(Label_CompanyEmail, value);
}

void TForm_AboutBox::SetCompanyName(const QString& value)
{
    companyName_ = value;
    writeLabel(Label_CompanyName, value);
}

void TForm_AboutBox::SetCompanyPhone(const QString& value)
{
    companyPhone_ = value;
    writeLabel(Label_CompanyPhone, value);
}

void TForm_AboutBox::SetCompanyTitle(const QString& value)
{
    companyTitle_ = value;
    writeLabel(Label_CompanyTitle, value);
}

void TForm_AboutBox::SetCompanyURL(const QString& value)
{
    companyURL_ = value;
    writeLabel(Label_CompanyURL, value);
}

void TForm_AboutBox::SetCopyright(const QString& value)
{
    copyright_ = value;
    writeLabel(Label_Copyright, CopyrightLine(value));
}

void TForm_AboutBox::SetDisclaimer(const QString& value)
{
    disclaimer_ = value;
    if (!value.isEmpty()) {
        RichEdit_Disclaimer->setPlainText(value);
        RichEdit_Disclaimer->setVisible(true);
    }
}

void TForm_AboutBox::SetVersion(const QString& value)
{
    version_ = value;
    WriteVersion();
}

void TForm_AboutBox::WriteVersion()
{
    writeLabel(Label_Version, VersionLine(version_, buildNumber_));
}

void TForm_AboutBox::SetPicture(const QLabel& source, int top, int left)
{
    Image_Application->setPixmap(source.pixmap());
    Image_Application->setScaledContents(source.hasScaledContents());
    Image_Application->setGeometry(left, top, source.width(), source.height());
}

QString TForm_AboutBox::DefaultDisclaimer(const QString& companyName)
{
    const QString company = companyName.toUpper();
    return QStringLiteral("DISCLAIMER OF WARRANTY:  THIS SOFTWARE IS PROVIDED \"AS IS\" AND ") + company +
           QStringLiteral(" DISCLAIMS ALL WARRANTIES, EXPRESS OR IMPLIED, INCLUDING BUT NOT LIMITED TO THE IMPLIED "
                          "WARRANTIES OF MERCHANTABILITY AND FITNESS FOR A PARTICULAR PURPOSE.  IN NO EVENT SHALL ") +
           company +
           QStringLiteral(" BE LIABLE FOR ANY DAMAGES WHATSOEVER, WHETHER DIRECT, INDIRECT, INCIDENTAL, SPECIAL OR "
                          "CONSEQUENTIAL, INCLUDING LOSS OF DATA, LOSS OF PROFITS OR BUSINESS INTERRUPTION, ARISING "
                          "OUT OF THE USE OF OR INABILITY TO USE THIS SOFTWARE, EVEN IF ") +
           company +
           QStringLiteral(" HAS BEEN ADVISED OF THE POSSIBILITY OF SUCH DAMAGES.  SOME JURISDICTIONS DO NOT ALLOW THE "
                          "EXCLUSION OR LIMITATION OF LIABILITY FOR INCIDENTAL OR CONSEQUENTIAL DAMAGES, SO THE ABOVE "
                          "LIMITATION MAY NOT APPLY TO YOU.");
}

void TForm_AboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm_AboutBox::FormShow()
{
    if (disclaimer_.isEmpty())
        disclaimer_ = DefaultDisclaimer(companyName_);
    RichEdit_Disclaimer->setPlainText(disclaimer_);
    RichEdit_Disclaimer->setVisible(true);
    setWindowTitle(QStringLiteral("About ") + applicationTitle_);
    CenterOnScreen(*this);
    BitBtn_OK->setFocus(Qt::OtherFocusReason);
}

void TForm_AboutBox::Label_CompanyURLClick()
{
    platform::shell::openWebAddress(companyURL_);
}

bool TForm_AboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label_CompanyURL && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label_CompanyURL->rect().contains(mouse->position().toPoint()))
            Label_CompanyURLClick();
    }
    return QDialog::eventFilter(watched, event);
}
