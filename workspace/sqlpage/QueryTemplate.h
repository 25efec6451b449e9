#pragma once
// Statement skeletons written into the SQL page's statement box: the SELECT and UPDATE templates
// with their chooser window, and the fitting of a template to the box that the INSERT template
// shares.
#include "app/MainState.h"
#include "workspace/tablepage/ColumnList.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QObject;
class QPlainTextEdit;
class TForm_Main;
namespace Ui { class TForm_Main; class TForm_Select; }

// What the template commands reach of the main window.
struct SqlTemplateEnv {
    MainState& state;
    Ui::TForm_Main& ui;
    QWidget* window = nullptr;               // the dialogs' parent
    ColumnSources sources;                   // the datasets the column list is read through
    std::function<void()> showCaretPosition; // status-bar panel 1
};

SqlTemplateEnv MakeSqlTemplateEnv(TForm_Main& form);

// The table names as the chooser windows offer them: upper case on Oracle, lower case elsewhere.
QStringList TemplateTableNames(const MainState& state);
// The column names of one table, in table order.
QStringList TemplateColumnNames(MainState& state, const ColumnSources& sources, const QString& table);

// The template lines before fitting. Every value is an empty string literal.
QStringList SelectTemplateLines(const QString& table, const QStringList& fields, const QStringList& whereFields);
QStringList UpdateTemplateLines(const QString& table, const QStringList& fields, const QStringList& whereFields);
// Every line that does not begin a clause gets two blanks in front.
QStringList IndentTemplateLines(const QStringList& lines);

// The box's lines as it shows them with word wrap on: a long line comes back as the pieces the box
// breaks it into.
QStringList DisplayedLines(QPlainTextEdit& box);
// Writes lines into the empty box, fitted to its width (and indented when asked), with word wrap
// on during the work and the box's wrapping and scroll bars as they were afterwards.
void WriteTemplate(QPlainTextEdit& box, const QStringList& lines, bool indent,
                   const std::function<void()>& showCaretPosition);

// The chooser of the SELECT and UPDATE templates.
class TForm_Select : public QDialog {
    Q_OBJECT
public:
    TForm_Select(MainState& state, const ColumnSources& sources, QWidget* parent = nullptr);
    ~TForm_Select() override;

    Ui::TForm_Select* ui() const { return ui_.get(); }

    bool Cancelled = false;

    QString chosenTable() const;
    QStringList chosenFields() const;
    QStringList chosenWhereFields() const;

public slots:
    void FormShow();
    void ComboBox_TablesChange();
    void BitBtn_SelectClick();
    void BitBtn_ClearClick();
    void BitBtn_Select2Click();
    void BitBtn_Clear2Click();
    void SpeedButton_SortClick();
    void BitBtn_OKClick();
    void BitBtn_CancelClick();
    void done(int result) override;  // FormClose runs here, however the window closes

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormClose();
    std::unique_ptr<Ui::TForm_Select> ui_;
    MainState& state_;
    ColumnSources sources_;
};

// Select (Sender BitBtn_Select) and Update (Sender BitBtn_Update2) of the SQL page.
void BitBtn_SelectClick(SqlTemplateEnv& env, QObject* Sender);
