#pragma once
// The Table page builder: one caption and one data control per column of the current table,
// stacked in the page's scroll box, and the operations that switch the page between typing
// criteria, showing a record and typing a record.
#include "app/MainState.h"
#include "workspace/tablepage/ColumnList.h"

#include <QFrame>
#include <QList>
#include <QString>

class QLabel;
class QWidget;
namespace Ui { class TForm_Main; }

// The thin frame around a picture control; its Hint holds the picture control's name.
class TBevel : public QFrame {
    Q_OBJECT
public:
    explicit TBevel(QWidget* parent = nullptr);
    QString Hint;
};

// What the page operations reach besides the state and the window's controls.
struct TablePageEnv {
    MainState& state;
    Ui::TForm_Main& ui;
    QWidget* window = nullptr;         // the main window (caption, redraw hold, dialog parent)
    QLabel* statusPanel0 = nullptr;    // status-bar panel 0
    ColumnSources sources;             // the datasets the column list is read through
    QString databaseName;              // DatabaseName of the main window's Database
};

QString KeepIdentChars(const QString& S);
QString FieldTypeName(int FieldType);

// Frees the old page and builds the page for CurrentTable. Errors of the column list reach the
// caller with the scroll box hidden.
void BuildTablePage(TablePageEnv& env);
// Frees the page's controls, empties ColumnList and writes the connection text into panel 0.
void FreeTablePageControls(TablePageEnv& env);
void ClearTablePage(Ui::TForm_Main& ui);
void SetPageReadOnly(Ui::TForm_Main& ui);
void SetPageEditable(MainState& state, Ui::TForm_Main& ui);
void ClearMaxLengths(Ui::TForm_Main& ui);
void RestoreMaxLengths(MainState& state, Ui::TForm_Main& ui);
void SetModeButtons(MainState& state, Ui::TForm_Main& ui);
void ResetModeButtons(MainState& state, Ui::TForm_Main& ui);
void SetNavigationButtons(MainState& state, Ui::TForm_Main& ui, int Index);
void UpdateWindowCaption(MainState& state, QWidget* window);
// Puts every control of the page back at its ControlTop (pictures and their captions as built),
// so the next record's pictures push the controls below them from their own places.
void ResetImagePositions(MainState& state, Ui::TForm_Main& ui);
// Moves every control created after Control down by Control's height.
void MoveControlsBelow(Ui::TForm_Main& ui, QWidget* Control);
void FitImageFrame(Ui::TForm_Main& ui, QWidget* Control);

// The page's controls in the order they were made.
QList<QWidget*> PageControls(Ui::TForm_Main& ui);
// Sizes the scroll box's contents to hold every control of the page.
void FitPageContents(Ui::TForm_Main& ui);
