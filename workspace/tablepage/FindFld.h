#pragma once
// Find Field: puts the focus on the page's control of a column found by its name, "*" at the end
// for a part of a name; the last search text of each table is kept in the configuration file.
#include <QDialog>
#include <functional>
#include <memory>

namespace Ui { class TForm_FindField; }
struct TablePageEnv;

class TForm_FindField : public QDialog {
    Q_OBJECT
public:
    explicit TForm_FindField(QWidget* parent = nullptr);
    ~TForm_FindField() override;

    Ui::TForm_FindField* ui() const { return ui_.get(); }

    bool Cancelled = false;

public slots:
    void BitBtn_OKClick();
    void BitBtn_CancelClick();

private:
    std::unique_ptr<Ui::TForm_FindField> ui_;
};

// Prompt: ask for the text first (the button's own click); otherwise repeat the table's last
// search without asking.
void BitBtn_FindFieldClick(TablePageEnv& env, bool Prompt);

// Runs handler when the right mouse button is pressed on the button (which itself only answers
// the left one).
void InstallRightClick(QWidget& button, std::function<void()> handler);
