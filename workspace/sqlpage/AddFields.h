#pragma once
// The Add Fields window of the SQL page and its command, which appends the names the window's grid
// holds to the first line of the statement box. The page's button for it stays hidden.
#include <QDialog>
#include <QString>
#include <memory>

namespace Ui { class TForm_AddFields; }
struct SqlTemplateEnv;

class TForm_AddFields : public QDialog {
    Q_OBJECT
public:
    explicit TForm_AddFields(QWidget* parent = nullptr);
    ~TForm_AddFields() override;

    Ui::TForm_AddFields* ui() const { return ui_.get(); }

    bool Cancelled = false;
    // Set by an opener that supplies the table itself: the table panel is then hidden.
    QString CallerName;

    // The grid's third column, rows 1 to the last, each followed by "|".
    QString FieldNamesText() const;

public slots:
    void FormShow();
    void MComboBox_FieldTypeChange();
    void CheckBox_NullClick();
    void BitBtn_CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Ui::TForm_AddFields> ui_;
};

void BitBtn_AddFieldsClick(SqlTemplateEnv& env);
