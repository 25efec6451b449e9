#pragma once
// The start-up window that asks for the ODBC data source and, where no configured database
// supplies one, the login.
#include <QDialog>
#include <QString>
#include <memory>

class QListWidgetItem;
namespace Ui { class TForm_DataSource; }

class TForm_DataSource : public QDialog {
    Q_OBJECT
public:
    explicit TForm_DataSource(QWidget* parent = nullptr);
    ~TForm_DataSource() override;

    QString SelectedDataSource;
    bool Cancelled = true;
    QString LoginUserName;
    QString LoginPassword;
    bool LoginMode = false;

    void SetPasswordMode(bool LoginMode);
    static bool LookupDataSourceLogin(const QString& DataSource, QString& UserName, QString& Password);

    Ui::TForm_DataSource* ui() const { return ui_.get(); }

public slots:
    void Button_OKClick();
    void Button1Click();
    void ListBox_DataSourceDblClick();
    // Every other way of dismissing the window (Esc included) counts as Cancel.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;    // FormShow
    void closeEvent(QCloseEvent* event) override;  // FormCloseQuery, then FormClose
    void keyPressEvent(QKeyEvent* event) override; // Enter presses OK, Esc presses Cancel

private:
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    QListWidgetItem* selectedRow() const;
    void fitLoginCaptions();
    std::unique_ptr<Ui::TForm_DataSource> ui_;
};
