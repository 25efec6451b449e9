#pragma once
// The table view: any table's columns listed with their type names and lengths, and printed
// under a heading.
#include "app/MainState.h"
#include "workspace/tablepage/ColumnList.h"

#include <QDialog>
#include <QString>
#include <memory>

namespace Ui { class TForm_TableView; }
class TForm_Main;

// The listing of a column list: each name padded to the longest name + 2, then its type name,
// and for a text column its length in parentheses.
QStringList TableViewLines(const ColumnList& columns);

class TForm_TableView : public QDialog {
    Q_OBJECT
public:
    // The columns are read through sources, on the main window's state (its table names, the
    // current database's type, the configured key columns).
    TForm_TableView(MainState& state, const ColumnSources& sources, QWidget* parent = nullptr);
    ~TForm_TableView() override;

    Ui::TForm_TableView* ui() const { return ui_.get(); }

    // The Table page's table; the window starts on it when the list holds it.
    QString CurrentTable;

public slots:
    void FormCreate();
    void DBSCombobox_TablesChange();
    void BitBtn_PrintClick();
    void FormDestroy();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FillTableCombo();
    void FreeFieldList();

    std::unique_ptr<Ui::TForm_TableView> ui_;
    MainState& state_;
    ColumnSources sources_;
    ColumnList columns_;
};

void MenuItem_TableAttributesClick(TForm_Main& form);
