#pragma once
#include <QObject>
#include <QString>

class QLabel;

// The splash screen component: shows the splash window, modally or not, closed by a one-shot timer.
class TBVSplashScreen : public QObject {
    Q_OBJECT
public:
    explicit TBVSplashScreen(QObject* owner = nullptr);

    QString ApplicationTitle;
    QString CompanyAddress;
    QString CompanyCityStateZip;
    QString CompanyName;
    QString CompanyTitle;
    QString CompanyURL;
    QString Copyright;
    QLabel* Image = nullptr;  // picture to show; not owned
    int Interval = 0;         // milliseconds until the window closes itself; 0 never
    bool Modal = true;
    QString Version;

    void Execute();

private:
    int imageTop_ = 70;
    int imageLeft_ = 15;
};
