#pragma once
// The splash window: borderless and on top, closed by its one-shot timer.
#include <QDialog>
#include <QString>
#include <memory>

class QFrame;
class QLabel;
class QTimer;

namespace Ui {
class TForm_SplashScreen;
}

class TForm_SplashScreen : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SplashScreen(QWidget* parent = nullptr);
    ~TForm_SplashScreen() override;

    // Controls of the window definition.
    QFrame* Panel1 = nullptr;
    QLabel* Label_CompanyTitle = nullptr;
    QLabel* Label_ApplicationTitle = nullptr;
    QLabel* Image_Application = nullptr;
    QLabel* Label_Version = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label_CompanyName = nullptr;
    QLabel* Label_CompanyAddress = nullptr;
    QLabel* Label_CompanyCityStateZip = nullptr;
    QLabel* Label_CompanyURL = nullptr;
    QLabel* Label_Copyright = nullptr;
    QTimer* Timer = nullptr;  // one-shot, started when the window is shown

    // Each setter keeps the value and writes its label; an empty value leaves the label empty.
    void SetApplicationTitle(const QString& value);
    void SetCompanyAddress(const QString& value);
    void SetCompanyCityStateZip(const QString& value);
    void SetCompanyName(const QString& value);
    void SetCompanyTitle(const QString& value);
    void SetCompanyURL(const QString& value);
    void SetCopyright(const QString& value);
    void SetVersion(const QString& value);
    // Milliseconds until the window closes itself; 0 or less: never.
    void SetInterval(int value);
    // The picture, size and scaling of a picture control, placed at top, left.
    void SetPicture(const QLabel& source, int top, int left);

    const QString& ApplicationTitle() const { return applicationTitle_; }
    const QString& CompanyAddress() const { return companyAddress_; }
    const QString& CompanyCityStateZip() const { return companyCityStateZip_; }
    const QString& CompanyName() const { return companyName_; }
    const QString& CompanyTitle() const { return companyTitle_; }
    const QString& CompanyURL() const { return companyURL_; }
    const QString& Copyright() const { return copyright_; }
    const QString& Version() const { return version_; }
    int Interval() const { return interval_; }

    // When set, closing frees the window (the modeless splash).
    bool FreeOnClose = false;

public slots:
    void TimerTimer();
    void Label_CompanyURLClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void FormClose();

    std::unique_ptr<Ui::TForm_SplashScreen> ui;
    QString applicationTitle_;
    QString companyAddress_;
    QString companyCityStateZip_;
    QString companyName_;
    QString companyTitle_;
    QString companyURL_;
    QString copyright_;
    QString version_;
    int interval_ = 0;
};
