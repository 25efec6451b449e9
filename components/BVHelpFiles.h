#pragma once
#include <QObject>
#include <QStringList>

class TForm_HelpForm;
class TForm_HelpMenu;

// The help pages component: a list of "file=title" lines; Execute shows the topics window.
class TBVHelpFiles : public QObject {
    Q_OBJECT
public:
    explicit TBVHelpFiles(QObject* owner = nullptr);
    ~TBVHelpFiles() override;

    QStringList HelpFiles;
    QString HelpFilePath;   // put in front of the file name as it is
    QString SubDirectory;   // below the program's folder, when HelpFilePath is empty
    QString ApplicationTitle;

    void Execute();

    // The two windows, made by the first Execute and kept.
    TForm_HelpForm* HelpForm() const { return helpForm_; }
    TForm_HelpMenu* HelpMenu() const { return helpMenu_; }

private:
    template <class Window>
    void copySettings(Window& window) const;

    TForm_HelpForm* helpForm_ = nullptr;
    TForm_HelpMenu* helpMenu_ = nullptr;
};
