#pragma once
// The about window: title, version, copyright, the maker's particulars, a picture and the
// warranty disclaimer.
#include <QDialog>
#include <QString>
#include <memory>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace Ui {
class TForm_AboutBox;
}

class TForm_AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TForm_AboutBox(QWidget* parent = nullptr);
    ~TForm_AboutBox() override;

    // Controls of the window definition.
    QLabel* Label_CompanyTitle = nullptr;
    QLabel* Label_ApplicationTitle = nullptr;
    QLabel* Image_Application = nullptr;
    QLabel* Label_Version = nullptr;
    QLabel* Label_Copyright = nullptr;
    QLabel* Label_CompanyName = nullptr;
    QLabel* Label_CompanyAddress = nullptr;
    QLabel* Label_CompanyCityStateZip = nullptr;
    QLabel* Label_CompanyURL = nullptr;
    QLabel* Label_CompanyEmail = nullptr;
    QLabel* Label_CompanyPhone = nullptr;
    QWidget* Panel_Bottom = nullptr;
    QPlainTextEdit* RichEdit_Disclaimer = nullptr;
    QPushButton* BitBtn_OK = nullptr;

    // Each setter keeps the value and writes its label; an empty value leaves the label empty.
    void SetApplicationTitle(const QString& value);
    void SetBuildNumber(const QString& value);
    void SetCompanyAddress(const QString& value);
    void SetCompanyCityStateZip(const QString& value);
    void SetCompanyEmail(const QString& value);
    void SetCompanyName(const QString& value);
    void SetCompanyPhone(const QString& value);
    void SetCompanyTitle(const QString& value);
    void SetCompanyURL(const QString& value);
    void SetCopyright(const QString& value);
    void SetDisclaimer(const QString& value);
    void SetVersion(const QString& value);
    // The picture, size and scaling of a picture control, placed at top, left.
    void SetPicture(const QLabel& source, int top, int left);

    const QString& ApplicationTitle() const { return applicationTitle_; }
    const QString& BuildNumber() const { return buildNumber_; }
    const QString& CompanyName() const { return companyName_; }
    const QString& CompanyURL() const { return companyURL_; }
    const QString& Disclaimer() const { return disclaimer_; }
    const QString& Version() const { return version_; }

    // "Version " + version + " " (empty without a version), then "(Build" + build + ")".
    // The warranty disclaimer naming the company, in capitals.
    static QString DefaultDisclaimer(const QString& companyName);

public slots:
    void Label_CompanyURLClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void WriteVersion();

    std::unique_ptr<Ui::TForm_AboutBox> ui;
    QString applicationTitle_;
    QString buildNumber_;
    QString companyAddress_;
    QString companyCityStateZip_;
    QString companyEmail_;
    QString companyName_;
    QString companyPhone_;
    QString companyTitle_;
    QString companyURL_;
    QString copyright_;
    QString disclaimer_;
    QString version_;
};
