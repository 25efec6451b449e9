#include "components/SplashScreen.h"

#include "components/DialogBehaviour.h"
#include "components/CopyrightInfo.h"

#include "platform/shell/Shell.h"
#include "ui_SplashScreen.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace {

void writeLabel(QLabel* label, const QString& text)
{
    label->clear();
    if (!text.isEmpty())
        label->setText(text);
}

} // namespace

TForm_SplashScreen::TForm_SplashScreen(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm_SplashScreen>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    Panel1 = ui->Panel1;
    Label_CompanyTitle = ui->Label_CompanyTitle;
    Label_ApplicationTitle = ui->Label_ApplicationTitle;
    Image_Application = ui->Image_Application;
    Label_Version = ui->Label_Version;
    Panel2 = ui->Panel2;
    Label_CompanyName = ui->Label_CompanyName;
    Label_CompanyAddress = ui->Label_CompanyAddress;
    Label_CompanyCityStateZip = ui->Label_CompanyCityStateZip;
    Label_CompanyURL = ui->Label_CompanyURL;
    Label_Copyright = ui->Label_Copyright;

    Timer = new QTimer(this);
    Timer->setObjectName(QStringLiteral("Timer"));
    Timer->setSingleShot(true);
    connect(Timer, &QTimer::timeout, this, &TForm_SplashScreen::TimerTimer);
    Label_CompanyURL->installEventFilter(this);
}

TForm_SplashScreen::~TForm_SplashScreen() = default;

void TForm_SplashScreen::SetApplicationTitle(const QString& value)
{
    applicationTitle_ = value;
    writeLabel(Label_ApplicationTitle, value);
}

void TForm_SplashScreen::SetCompanyAddress(const QString& value)
{
    companyAddress_ = value;
    writeLabel(Label_CompanyAddress, value);
}

void TForm_SplashScreen::SetCompanyCityStateZip(const QString& value)
{
    companyCityStateZip_ = value;
    writeLabel(Label_CompanyCityStateZip, value);
}

void TForm_SplashScreen::SetCompanyName(const QString& value)
{
    companyName_ = value;
    writeLabel(Label_CompanyName, value);
}

void TForm_SplashScreen::SetCompanyTitle(const QString& value)
{
    companyTitle_ = value;
    writeLabel(Label_CompanyTitle, value);
}

void TForm_SplashScreen::SetCompanyURL(const QString& value)
{
    companyURL_ = value;
    writeLabel(Label_CompanyURL, value);
}

void TForm_SplashScreen::SetCopyright(const QString& value)
{
    copyright_ = value;
    writeLabel(Label_Copyright, CopyrightLine(value));
}

void TForm_SplashScreen::SetVersion(const QString& value)
{
    version_ = value;
    writeLabel(Label_Version, VersionLine(value));
}

void TForm_SplashScreen::SetInterval(int value)
{
    interval_ = value;
    Timer->setInterval(std::max(value, 0));
}

void TForm_SplashScreen::SetPicture(const QLabel& source, int top, int left)
{
    Image_Application->setPixmap(source.pixmap());
    Image_Application->setScaledContents(source.hasScaledContents());
    Image_Application->setGeometry(left, top, source.width(), source.height());
}

void TForm_SplashScreen::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm_SplashScreen::FormShow()
{
    CenterOnScreen(*this);
    // A zero interval must never fire; a Qt timer of 0 would fire at once.
    if (interval_ > 0)
        Timer->start(interval_);
}

void TForm_SplashScreen::hideEvent(QHideEvent* event)
{
    Timer->stop();
    QDialog::hideEvent(event);
}

// The panel's single border line, around its raised bevel.
void TForm_SplashScreen::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TForm_SplashScreen::TimerTimer()
{
    Timer->stop();
    close();
}

void TForm_SplashScreen::closeEvent(QCloseEvent* event)
{
    if (FreeOnClose)
        FormClose();
    QDialog::closeEvent(event);
}

void TForm_SplashScreen::FormClose()
{
    setAttribute(Qt::WA_DeleteOnClose);
}

void TForm_SplashScreen::Label_CompanyURLClick()
{
    platform::shell::openWebAddress(companyURL_);
}

bool TForm_SplashScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Label_CompanyURL && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label_CompanyURL->rect().contains(mouse->position().toPoint()))
            Label_CompanyURLClick();
    }
    return QDialog::eventFilter(watched, event);
}
