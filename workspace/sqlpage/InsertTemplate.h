#pragma once
// The INSERT template of the SQL page with its table chooser, and F2, which moves the caret from a
// column line of the template to the line of its value.
#include "app/MainState.h"
#include "workspace/tablepage/ColumnList.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

namespace Ui { class TForm_Main; class TForm_Insert; }
struct SqlTemplateEnv;

// The value a fresh template gives a column of this field type code.
QString InsertPlaceholder(int FieldType);

// The template lines before fitting, for the columns (name, field type code) in table order. A
// first column whose name holds "_serial" is left out. byColumn: one line per column and per value;
// otherwise the whole statement on one line.
QStringList InsertTemplateLines(const QString& table, const std::vector<std::pair<QString, int>>& columns,
                                bool byColumn);

// The line F2 moves to: the value line of the column line equal to selected, in a box whose first
// line begins "INSERT INTO". -1 when there is nothing to move to.
int InsertValueLine(const QStringList& lines, const QString& selected);

class TForm_Insert : public QDialog {
    Q_OBJECT
public:
    TForm_Insert(MainState& state, const ColumnSources& sources, QWidget* parent = nullptr);
    ~TForm_Insert() override;  // FormDestroy

    Ui::TForm_Insert* ui() const { return ui_.get(); }

    // Only OK clears it: every other way of closing counts as cancelled.
    bool Cancelled = true;

    QString chosenTable() const;
    // The chosen table's columns as OK loaded them into ListBox_Fields.
    const ColumnList& columns() const { return columns_; }

public slots:
    void FormShow();
    void BitBtn_OKClick();
    void BitBtn_CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TForm_Insert> ui_;
    MainState& state_;
    ColumnSources sources_;
    ColumnList columns_;  // the objects behind ListBox_Fields
};

void BitBtn_InsertClick(SqlTemplateEnv& env);
// F2 on the SQL page: acts only there, in an INSERT template, with a selection.
void JumpToInsertValue(Ui::TForm_Main& ui);
