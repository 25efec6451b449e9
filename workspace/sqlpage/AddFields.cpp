#include "workspace/sqlpage/AddFields.h"

#include "components/DialogBehaviour.h"
#include "platform/modal/Modal.h"
#include "workspace/sqlpage/QueryTemplate.h"

#include "ui_AddFields.h"
#include "ui_Main.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

TForm_AddFields::TForm_AddFields(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm_AddFields>())
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    // Five columns; the first is the hidden row mark. One row under the header.
    QTableWidget* grid = ui_->MStringGrid;
    grid->setColumnCount(5);
    grid->setRowCount(1);
    const int widths[] = {0, 25, 100, 100, 200};
    for (int c = 0; c < 5; ++c)
        grid->setColumnWidth(c, widths[c]);
    grid->setColumnHidden(0, true);
    grid->horizontalHeader()->setStretchLastSection(true);
    connect(ui_->MComboBox_FieldType, &QComboBox::currentIndexChanged, this, &TForm_AddFields::MComboBox_FieldTypeChange);
    connect(ui_->CheckBox_Null, &QCheckBox::clicked, this, &TForm_AddFields::CheckBox_NullClick);
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, &TForm_AddFields::BitBtn_CancelClick);
    CenterOnScreen(*this);
}

TForm_AddFields::~TForm_AddFields() = default;

void TForm_AddFields::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_AddFields::keyPressEvent(QKeyEvent* event)
{
    if (!EscapePressesCancel(event, ui_->BitBtn_Cancel))
        QDialog::keyPressEvent(event);
}

void TForm_AddFields::FormShow()
{
    ui_->MComboBox_FieldType->setCurrentIndex(ui_->MComboBox_FieldType->count() > 0 ? 0 : -1);
    if (!CallerName.isEmpty())
        ui_->MPanel_Table->hide();
}

void TForm_AddFields::MComboBox_FieldTypeChange()
{
    if (ui_->CheckBox_Null->isChecked()) {
        ui_->MMaskEdit_FieldValue->setText(QStringLiteral("null"));
        return;
    }
    const QString type = ui_->MComboBox_FieldType->currentText();
    if (type == QLatin1String("char") || type == QLatin1String("memo"))
        ui_->MMaskEdit_FieldValue->clear();
    else if (type == QLatin1String("date"))
        ui_->MMaskEdit_FieldValue->setText(QStringLiteral("12/31/9999"));
    else if (type == QLatin1String("datetime"))
        ui_->MMaskEdit_FieldValue->setText(QStringLiteral("12/31/9999 00:00:00"));
    else if (type == QLatin1String("float"))
        ui_->MMaskEdit_FieldValue->setText(QStringLiteral("0.0"));
    else if (type == QLatin1String("integer"))
        ui_->MMaskEdit_FieldValue->setText(QStringLiteral("0"));
}

void TForm_AddFields::CheckBox_NullClick()
{
    MComboBox_FieldTypeChange();
}

void TForm_AddFields::BitBtn_CancelClick()
{
    Cancelled = true;
    done(QDialog::Rejected);
}

QString TForm_AddFields::FieldNamesText() const
{
    const QTableWidget* grid = ui_->MStringGrid;
    QString text;
    for (int row = 0; row < grid->rowCount(); ++row) {
        const QTableWidgetItem* cell = grid->item(row, 2);
        text += (cell ? cell->text() : QString()) + QLatin1Char('|');
    }
    return text;
}

void BitBtn_AddFieldsClick(SqlTemplateEnv& env)
{
    TForm_AddFields window(env.window);
    window.CallerName = QStringLiteral("Form_Main");
    platform::modal::execWindow(window);
    if (window.Cancelled)
        return;
    const QString text = window.FieldNamesText();
    if (text.isEmpty())
        return;
    QTextCursor cursor(env.ui.Memo_SQL->document()->firstBlock());
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.insertText(text);
}
