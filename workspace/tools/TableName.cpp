#include "workspace/tools/TableName.h"

#include "platform/modal/Modal.h"
#include "components/DialogBehaviour.h"

#include "ui_TableName.h"

#include <QLineEdit>
#include <QPushButton>

TForm_TableName::TForm_TableName(const QString& currentTable, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_TableName>()), currentTable_(currentTable)
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui_->BitBtn_Ok, &QPushButton::clicked, this, [this] {
        BitBtn_OkClick();
        done(QDialog::Accepted);
    });
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, [this] {
        BitBtn_CancelClick();
        done(QDialog::Rejected);
    });
    CenterOnScreen(*this);
}

TForm_TableName::~TForm_TableName() = default;

void TForm_TableName::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_TableName::FormShow() { ui_->Edit_TableName->setText(currentTable_); }

void TForm_TableName::BitBtn_OkClick() { Cancelled = false; }

void TForm_TableName::BitBtn_CancelClick() { Cancelled = true; }

std::optional<QString> AskTableName(const QString& currentTable, QWidget* parent)
{
    TForm_TableName prompt(currentTable, parent);
    prompt.setWindowTitle(QStringLiteral("Enter the Table Name"));
    prompt.ui()->Label_TableName->setText(QStringLiteral("Table Name"));
    const int result = platform::modal::execWindow(prompt);
    // Only OK accepts: the close box and Esc count as Cancel.
    if (result != QDialog::Accepted || prompt.Cancelled)
        return std::nullopt;
    return prompt.ui()->Edit_TableName->text();
}
