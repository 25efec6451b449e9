#pragma once
// The help topics window: lists the page titles; Display shows the chosen page in the help window.
#include <QDialog>
#include <QStringList>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;
class TBVExecFile;
class TForm_HelpForm;

namespace Ui { class TForm_HelpMenu; }

// The title the help windows show: the given one, or the application's when it is empty.
QString HelpApplicationTitle(const QString& applicationTitle);

// Where a page lies: helpFilePath + file when that path is not blank (joined as given), else the
// program's folder + "/" + subDirectory + "/" + file, else the program's folder + "/" + file.
QString HelpPagePath(const QString& helpFilePath, const QString& subDirectory, const QString& fileName);

class TForm_HelpMenu : public QDialog {
    Q_OBJECT
public:
    explicit TForm_HelpMenu(QWidget* parent = nullptr);
    ~TForm_HelpMenu() override;

    QLabel* Label_Click = nullptr;
    QListWidget* ListBox_Help = nullptr;
    QPushButton* BitBtn_Display = nullptr;
    QPushButton* BitBtn_Close = nullptr;
    TBVExecFile* BVExecFile = nullptr;  // part of the window; nothing starts it

    void SetHelpFiles(const QStringList& lines) { helpFiles_ = lines; }
    void SetHelpFilePath(const QString& value) { helpFilePath_ = value; }
    void SetSubDirectory(const QString& value) { subDirectory_ = value; }
    void SetApplicationTitle(const QString& value) { applicationTitle_ = value; }
    // The window the pages are shown in.
    void SetHelpForm(TForm_HelpForm* form) { helpForm_ = form; }

    const QStringList& Titles() const { return titles_; }
    const QStringList& FileNames() const { return fileNames_; }

public slots:
    void BitBtn_DisplayClick();
    void BitBtn_CloseClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::TForm_HelpMenu> ui;
    QStringList helpFiles_;
    QStringList titles_;
    QStringList fileNames_;
    QString helpFilePath_;
    QString subDirectory_;
    QString applicationTitle_;
    TForm_HelpForm* helpForm_ = nullptr;
};
