#include "components/AboutBox.h"
#include "components/CopyrightInfo.h"
#include "components/BVAboutBox.h"
#include "components/BVSplashScreen.h"
#include "components/SplashScreen.h"
#include "platform/modal/Modal.h"

#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;
using platform::modal::ScopedResponder;

// Catches what the shell is asked to open, instead of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher()
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

namespace {

Answer reply(int result, const QString& text = {})
{
    Answer a;
    a.result = result;
    a.text = text;
    return a;
}

TForm_SplashScreen* splashWindow()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<TForm_SplashScreen*>(w))
            return s;
    return nullptr;
}

TBVSplashScreen* filledSplash(QObject* owner)
{
    auto* splash = new TBVSplashScreen(owner);
    splash->ApplicationTitle = QStringLiteral("Quorvel");
    splash->CompanyAddress = QStringLiteral("2150 Juniper Ridge Road");
    splash->CompanyCityStateZip = QStringLiteral("Boulder, CO 80301");
    splash->CompanyName = QStringLiteral("Brightvale Software");
    splash->CompanyTitle = QStringLiteral("Brightvale presents");
    splash->CompanyURL = QStringLiteral("www.brightvale.example");
    splash->Copyright = QStringLiteral("1996-2026");
    splash->Version = QStringLiteral("4.1");
    return splash;
}

TEST(SplashScreen, ShowsItsValuesAndEmptiesLabelsWithoutOne)
{
    QObject owner;
    TBVSplashScreen* splash = filledSplash(&owner);
    splash->CompanyTitle.clear();
    splash->CompanyCityStateZip.clear();
    QMap<QString, QString> labels;
    ScopedResponder responder([&](const Request& req) {
        auto* form = qobject_cast<TForm_SplashScreen*>(req.window);
        EXPECT_NE(form, nullptr);
        for (QLabel* l : form->findChildren<QLabel*>())
            labels[l->objectName()] = l->text();
        return Answer{};
    });
    splash->Execute();
    EXPECT_EQ(labels["Label_ApplicationTitle"], "Quorvel");
    EXPECT_EQ(labels["Label_CompanyAddress"], "2150 Juniper Ridge Road");
    EXPECT_EQ(labels["Label_CompanyName"], "Brightvale Software");
    EXPECT_EQ(labels["Label_CompanyURL"], "www.brightvale.example");
    EXPECT_EQ(labels["Label_Copyright"], QStringLiteral("Copyright © 1996-2026"));
    EXPECT_EQ(labels["Label_Version"], "Version 4.1 ");
    EXPECT_EQ(labels["Label_CompanyTitle"], "");
    EXPECT_EQ(labels["Label_CompanyCityStateZip"], "");
    EXPECT_EQ(splashWindow(), nullptr);
}

TEST(SplashScreen, EmptyVersionAndCopyrightLeaveEmptyLines)
{
    TForm_SplashScreen form;
    form.SetVersion(QString());
    form.SetCopyright(QString());
    EXPECT_EQ(form.Label_Version->text(), "");
    EXPECT_EQ(form.Label_Copyright->text(), "");
    form.SetVersion(QStringLiteral("4.1.2"));
    EXPECT_EQ(form.Label_Version->text(), "Version 4.1.2 ");
}

TEST(SplashScreen, ModalRunEndsWhenTheTimerFires)
{
    QObject owner;
    TBVSplashScreen* splash = filledSplash(&owner);
    splash->Interval = 60;
    bool active = false, closedByTimer = false;
    int interval = 0;
    ScopedResponder responder([&](const Request& req) {
        auto* timer = req.window->findChild<QTimer*>(QStringLiteral("Timer"));
        EXPECT_NE(timer, nullptr);
        active = timer && timer->isActive();
        interval = timer ? timer->interval() : 0;
        closedByTimer = QTest::qWaitFor([&] { return !req.window->isVisible(); }, 5000);
        return Answer{};
    });
    splash->Execute();
    EXPECT_TRUE(active);
    EXPECT_EQ(interval, 60);
    EXPECT_TRUE(closedByTimer);
    EXPECT_EQ(splashWindow(), nullptr);
}

TEST(SplashScreen, ZeroIntervalNeverStartsTheTimer)
{
    QObject owner;
    for (int ms : {0, -5}) {
        TBVSplashScreen* splash = filledSplash(&owner);
        splash->Interval = ms;
        bool active = true, stillShown = false;
        ScopedResponder responder([&](const Request& req) {
            active = req.window->findChild<QTimer*>(QStringLiteral("Timer"))->isActive();
            QTest::qWait(50);
            stillShown = req.window->isVisible();
            return Answer{};
        });
        splash->Execute();
        EXPECT_FALSE(active) << ms;
        EXPECT_TRUE(stillShown) << ms;
    }
}

TEST(SplashScreen, ModelessSplashFreesItselfWhenItCloses)
{
    QObject owner;
    TBVSplashScreen* splash = filledSplash(&owner);
    splash->Modal = false;
    splash->Interval = 60;
    bool asked = false;
    ScopedResponder responder([&](const Request&) {
        asked = true;
        return Answer{};
    });
    splash->Execute();
    QPointer<TForm_SplashScreen> window = splashWindow();
    ASSERT_FALSE(window.isNull());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
    EXPECT_FALSE(asked);
}

TEST(SplashScreen, TakesThePictureOfTheImageControl)
{
    QObject owner;
    TBVSplashScreen* splash = filledSplash(&owner);
    QLabel image;
    QPixmap pixmap(100, 80);
    pixmap.fill(Qt::red);
    image.setPixmap(pixmap);
    image.setScaledContents(true);
    image.resize(120, 90);
    splash->Image = &image;
    QRect geometry;
    QSize shown;
    bool scaled = false;
    ScopedResponder responder([&](const Request& req) {
        auto* form = qobject_cast<TForm_SplashScreen*>(req.window);
        geometry = form->Image_Application->geometry();
        shown = form->Image_Application->pixmap().size();
        scaled = form->Image_Application->hasScaledContents();
        return Answer{};
    });
    splash->Execute();
    EXPECT_EQ(geometry, QRect(15, 70, 120, 90));
    EXPECT_EQ(shown, QSize(100, 80));
    EXPECT_TRUE(scaled);
}

TEST(SplashScreen, WebAddressOpensAsAWebPage)
{
    UrlCatcher catcher;
    TForm_SplashScreen form;
    form.SetCompanyURL(QStringLiteral("www.brightvale.example"));
    form.show();
    QTest::mouseClick(form.Label_CompanyURL, Qt::LeftButton);
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("http://www.brightvale.example"))});
}

// ---- About box ------------------------------------------------------------------------------

TEST(AboutBox, VersionLine)
{
    const struct {
        const char* version;
        const char* build;
        const char* line;
    } cases[] = {
        {"4.1", "", "Version 4.1 "},
        {"4.1", "17", "Version 4.1 (Build17)"},
        {"", "17", "(Build17)"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionLine(c.version, c.build), QString::fromLatin1(c.line));
        // Either setter writes the whole line, in either order.
        TForm_AboutBox form;
        form.SetVersion(QString::fromLatin1(c.version));
        form.SetBuildNumber(QString::fromLatin1(c.build));
        EXPECT_EQ(form.Label_Version->text(), QString::fromLatin1(c.line));
        TForm_AboutBox other;
        other.SetBuildNumber(QString::fromLatin1(c.build));
        other.SetVersion(QString::fromLatin1(c.version));
        EXPECT_EQ(other.Label_Version->text(), QString::fromLatin1(c.line));
    }
}

struct AboutSeen {
    QString caption;
    QMap<QString, QString> labels;
    QString disclaimer;
    bool disclaimerShown = false;
    QRect image;
};

AboutSeen runAbout(TBVAboutBox& about, std::function<int(TForm_AboutBox&)> work = {})
{
    AboutSeen seen;
    ScopedResponder responder([&](const Request& req) {
        auto* form = qobject_cast<TForm_AboutBox*>(req.window);
        EXPECT_NE(form, nullptr);
        if (!form)
            return Answer{};
        seen.caption = form->windowTitle();
        for (QLabel* l : form->findChildren<QLabel*>())
            seen.labels[l->objectName()] = l->text();
        seen.disclaimer = form->RichEdit_Disclaimer->toPlainText();
        seen.disclaimerShown = form->RichEdit_Disclaimer->isVisible();
        seen.image = form->Image_Application->geometry();
        return reply(work ? work(*form) : 0);
    });
    about.Execute();
    return seen;
}

TBVAboutBox* filledAbout(QObject* owner)
{
    auto* about = new TBVAboutBox(owner);
    about->ApplicationTitle = QStringLiteral("Quorvel");
    about->BuildNumber = QStringLiteral("212");
    about->CompanyAddress = QStringLiteral("2150 Juniper Ridge Road");
    about->CompanyCityStateZip = QStringLiteral("Boulder, CO 80301");
    about->CompanyEmail = QStringLiteral("support@brightvale.example");
    about->CompanyName = QStringLiteral("Brightvale Software");
    about->CompanyPhone = QStringLiteral("(303) 555-0142");
    about->CompanyTitle = QStringLiteral("Brightvale");
    about->CompanyURL = QStringLiteral("www.brightvale.example");
    about->Copyright = QStringLiteral("1996-2026");
    about->Version = QStringLiteral("4.1");
    return about;
}

TEST(AboutBox, ShowsItsValuesWithTheDefaultDisclaimer)
{
    QObject owner;
    TBVAboutBox* about = filledAbout(&owner);
    about->CompanyPhone.clear();
    const AboutSeen seen = runAbout(*about);
    EXPECT_EQ(seen.caption, "About Quorvel");
    EXPECT_EQ(seen.labels["Label_ApplicationTitle"], "Quorvel");
    EXPECT_EQ(seen.labels["Label_CompanyTitle"], "Brightvale");
    EXPECT_EQ(seen.labels["Label_CompanyName"], "Brightvale Software");
    EXPECT_EQ(seen.labels["Label_CompanyAddress"], "2150 Juniper Ridge Road");
    EXPECT_EQ(seen.labels["Label_CompanyCityStateZip"], "Boulder, CO 80301");
    EXPECT_EQ(seen.labels["Label_CompanyEmail"], "support@brightvale.example");
    EXPECT_EQ(seen.labels["Label_CompanyURL"], "www.brightvale.example");
    EXPECT_EQ(seen.labels["Label_Copyright"], QStringLiteral("Copyright © 1996-2026"));
    EXPECT_EQ(seen.labels["Label_Version"], "Version 4.1 (Build212)");
    EXPECT_EQ(seen.labels["Label_CompanyPhone"], "");  // not the design caption

    EXPECT_TRUE(seen.disclaimerShown);
    EXPECT_TRUE(seen.disclaimer.startsWith("DISCLAIMER OF WARRANTY:  "));
    EXPECT_EQ(seen.disclaimer.count(QStringLiteral("BRIGHTVALE SOFTWARE")), 3);
    EXPECT_EQ(seen.disclaimer, seen.disclaimer.toUpper());
}

TEST(AboutBox, GivenDisclaimerReplacesTheDefault)
{
    QObject owner;
    TBVAboutBox* about = filledAbout(&owner);
    about->Disclaimer = QStringLiteral("Use at your own risk.");
    const AboutSeen seen = runAbout(*about);
    EXPECT_EQ(seen.disclaimer, "Use at your own risk.");
    EXPECT_TRUE(seen.disclaimerShown);
}

TEST(AboutBox, OkAndEnterCloseWithOne)
{
    QObject owner;
    TBVAboutBox* about = filledAbout(&owner);
    for (bool byKey : {false, true}) {
        int result = -1;
        ScopedResponder responder([&](const Request& req) {
            auto* form = qobject_cast<TForm_AboutBox*>(req.window);
            if (byKey)
                QTest::keyClick(form->focusWidget() ? form->focusWidget() : form, Qt::Key_Return);
            else
                QTest::mouseClick(form->BitBtn_OK, Qt::LeftButton);
            EXPECT_FALSE(form->isVisible());
            result = form->result();
            return Answer{};
        });
        about->Execute();
        EXPECT_EQ(result, 1) << byKey;
    }
}

TEST(AboutBox, TakesThePictureAtItsPlace)
{
    QObject owner;
    TBVAboutBox* about = filledAbout(&owner);
    QLabel image;
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::blue);
    image.setPixmap(pixmap);
    image.resize(64, 64);
    about->Image = &image;
    EXPECT_EQ(runAbout(*about).image, QRect(10, 30, 64, 64));
}

TEST(AboutBox, WebAddressOpensAsAWebPage)
{
    const struct {
        const char* address;
        const char* url;
    } cases[] = {
        {"www.brightvale.example", "http://www.brightvale.example"},
        {"https://brightvale.example/quorvel", "https://brightvale.example/quorvel"},
    };
    for (const auto& c : cases) {
        UrlCatcher catcher;
        TForm_AboutBox form;
        form.SetCompanyURL(QString::fromLatin1(c.address));
        form.show();
        QTest::mouseClick(form.Label_CompanyURL, Qt::LeftButton);
        EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QString::fromLatin1(c.url))});
    }
}

} // namespace

#include "SplashAboutTest.moc"
