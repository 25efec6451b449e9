#pragma once
// The options window: the Oracle switches, the external FTP client and the three per-table column
// lists. Read from Quorvel.ini when shown, written back when it closes other than by Cancel.
#include <QChar>
#include <QDialog>
#include <QStringList>
#include <memory>

class QTableWidget;
struct MainState;
struct OptionControls;
namespace Ui { class TForm_SetOptions; }

// A lower-case letter a to z typed into a table/field grid becomes its capital; any other
// character stays.
QChar StringGrid_IdentityKeyPress(QChar Key);

class TForm_SetOptions : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SetOptions(QWidget* parent = nullptr);
    ~TForm_SetOptions() override;

    Ui::TForm_SetOptions* ui() const { return ui_.get(); }

    bool Cancelled = false;

    // The grids hold at least this many rows under their header, and one empty row more than a
    // longer section needs, so every entry survives a round trip.
    static constexpr int kTableRows = 499;

public slots:
    void FormShow();
    void CheckBox_UseFTPClick();
    void SpeedButton_FTPClick();
    void BitBtn_OKClick();
    void BitBtn_CancelClick();
    void done(int result) override;  // FormClose runs here, however the window closes

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormClose();
    std::unique_ptr<Ui::TForm_SetOptions> ui_;
};

// Edit > Options: the window, then every option loaded again, however it was closed.
void MenuItem_OptionsClick(MainState& state, const OptionControls& controls, QWidget* parent);
