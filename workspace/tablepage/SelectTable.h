#pragma once
// The table chooser and the Select Table command that makes the chosen table the current one.
#include "app/MainState.h"
#include "platform/engine/Engine.h"

#include <QDialog>
#include <memory>

namespace Ui { class TForm_SelectTable; }
struct TablePageEnv;

class TForm_SelectTable : public QDialog {
    Q_OBJECT
public:
    // The chooser writes the chosen name into state.CurrentTable; databaseName is the main
    // window's DatabaseName, which Query_SelectTable is bound to.
    TForm_SelectTable(MainState& state, const QString& databaseName, QWidget* parent = nullptr);
    ~TForm_SelectTable() override;

    Ui::TForm_SelectTable* ui() const { return ui_.get(); }

    bool Cancelled = false;
    platform::engine::Query Query_SelectTable;  // bound, never opened

public slots:
    void FormShow();
    void BitBtn_OKClick();
    void BitBtn_CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TForm_SelectTable> ui_;
    MainState& state_;
    QString databaseName_;
};

// Shows the chooser; on a new table rebuilds the Table page and puts it back to browsing with
// no records. A failed build reaches the caller with the record commands disabled.
void MenuItem_SelectTableClick(TablePageEnv& env);
