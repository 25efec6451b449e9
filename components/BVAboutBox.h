#pragma once
#include <QObject>
#include <QString>

class QLabel;

// The about box component: fills the about window from its properties and shows it modally.
class TBVAboutBox : public QObject {
    Q_OBJECT
public:
    explicit TBVAboutBox(QObject* owner = nullptr);

    QString ApplicationTitle;
    QString BuildNumber;
    QString CompanyAddress;
    QString CompanyCityStateZip;
    QString CompanyEmail;
    QString CompanyName;
    QString CompanyPhone;
    QString CompanyTitle;
    QString CompanyURL;
    QString Copyright;
    QString Disclaimer;       // empty: the default text
    QLabel* Image = nullptr;  // not owned
    QString Version;

    void Execute();

private:
    int imageTop_ = 30;
    int imageLeft_ = 10;
};
