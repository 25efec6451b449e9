#pragma once
// The text boxes' modeless Find and Replace dialogs: search down, Find Next, Match case; no
// whole-word and no direction choice.
#include <QDialog>
#include <memory>

namespace Ui { class FindDialog; class ReplaceDialog; }

class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr);
    ~TFindDialog() override;

    QString FindText() const;
    void setFindText(const QString& text);
    bool MatchCase() const;
    void setMatchCase(bool on);
    Ui::FindDialog& ui() const { return *ui_; }

signals:
    void Find();  // Find Next pressed

private:
    std::unique_ptr<Ui::FindDialog> ui_;
};

class TReplaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit TReplaceDialog(QWidget* parent = nullptr);
    ~TReplaceDialog() override;

    QString FindText() const;
    void setFindText(const QString& text);
    QString ReplaceText() const;
    void setReplaceText(const QString& text);
    bool MatchCase() const;
    void setMatchCase(bool on);
    Ui::ReplaceDialog& ui() const { return *ui_; }

signals:
    void Find();                // Find Next pressed
    void Replace(bool all);     // Replace (false) or Replace All (true) pressed

private:
    std::unique_ptr<Ui::ReplaceDialog> ui_;
};
