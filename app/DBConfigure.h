#pragma once
// The database configuration window: keeps the configured databases of section DATABASES, one
// entry per Save, removed by Delete. It never connects and never touches the ODBC entries.
#include "app/DataBaseObj.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <memory>

class DatabaseRegistry;
struct MainState;
namespace Ui { class TForm_Configure; }

// The DATABASES value of one entry: the nine fields in stored order, each followed by "|".
QString DatabaseValue(const TDataBaseObj& entry);
// The caption of the first field the value cannot carry (a "|" or a line break would split it into
// wrong pieces); empty when every field can be stored.
QString UnstorableDatabaseField(const TDataBaseObj& entry);

class TForm_Configure : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Configure(QWidget* parent = nullptr);
    ~TForm_Configure() override;

    Ui::TForm_Configure* ui() const { return ui_.get(); }

    // Set by the opener: every field is shown, not only the five every type uses.
    bool ShowAllParameters = false;

    // The entry as the fields hold it now.
    TDataBaseObj fields() const;

public slots:
    void FormShow();
    void MComboBox_SelectChange();
    void MComboBox_DBTypeChange();
    void Button_OKClick();
    void Button_DeleteClick();
    void Button_CancelClick();
    void SpeedButton_BrowseClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;  // MComboBox_SelectKeyDown

private:
    void clearFields();
    // The fields only some types use, with their captions and the browse button.
    QList<QWidget*> parameterControls() const;
    std::unique_ptr<Ui::TForm_Configure> ui_;
};

// Tools > Configure Databases: the window, then the Database menu and the current database again.
void MenuItem_ConfigDBClick(MainState& state, DatabaseRegistry& registry, QWidget* parent);
