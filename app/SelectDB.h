#pragma once
// The chooser of the configured databases that a multi-database insert writes into.
#include "app/MainState.h"

#include <QDialog>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace Ui { class TForm_SelectDatabases; }

// Display name and configured database; the objects belong to the main window's database list.
using ChosenDatabases = std::vector<std::pair<QString, TDataBaseObj*>>;

class TForm_SelectDatabases : public QDialog {
    Q_OBJECT
public:
    explicit TForm_SelectDatabases(const DatabaseList& databases, QWidget* parent = nullptr);
    ~TForm_SelectDatabases() override;

    Ui::TForm_SelectDatabases* ui() const { return ui_.get(); }

    ChosenDatabases* SelectedDatabases = nullptr;  // set by the opener; OK appends to it
    bool Cancelled = false;

public slots:
    void FormShow();
    void BitBtn_OKClick();
    void BitBtn_CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TForm_SelectDatabases> ui_;
    const DatabaseList& databases_;
};
