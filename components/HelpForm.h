#pragma once
// The help window: one page in the browser, with Help Topics, Back and Print.
#include <QMainWindow>
#include <QStringList>
#include <memory>

class HelpBrowser;
class QAction;
class QPushButton;
class TForm_HelpMenu;

namespace Ui { class TForm_HelpForm; }

class TForm_HelpForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm_HelpForm(QWidget* parent = nullptr);
    ~TForm_HelpForm() override;

    QPushButton* BitBtn_Topics = nullptr;
    QPushButton* BitBtn_Back = nullptr;
    QPushButton* BitBtn_Print = nullptr;
    HelpBrowser* HTML = nullptr;
    QAction* MenuItem_PrintTopic = nullptr;
    QAction* MenuItem_Exit = nullptr;

    void SetHelpFiles(const QStringList& lines) { helpFiles_ = lines; }
    void SetHelpFilePath(const QString& value) { helpFilePath_ = value; }
    void SetSubDirectory(const QString& value) { subDirectory_ = value; }
    void SetApplicationTitle(const QString& value) { applicationTitle_ = value; }
    void SetTopicsWindow(TForm_HelpMenu* topics) { topics_ = topics; }

    // The page to show and its title; shown at the next activation after SetRefresh.
    void SetPage(const QString& path, const QString& title);
    void SetRefresh() { refresh_ = true; }
    bool Refresh() const { return refresh_; }
    const QString& PagePath() const { return pagePath_; }

public slots:
    void FormActivate();
    void BitBtn_TopicsClick();
    void MenuItem_BackClick();
    void BitBtn_PrintClick();
    void MenuItem_ExitClick();
    void HTMLCommandStateChange(int command, bool enabled);

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<Ui::TForm_HelpForm> ui;
    QString pagePath_;
    QString pageTitle_;
    QStringList helpFiles_;
    QString helpFilePath_;
    QString subDirectory_;
    QString applicationTitle_;
    TForm_HelpMenu* topics_ = nullptr;
    bool refresh_ = false;
    bool placed_ = false;
};
