#include "workspace/sqlpage/FindReplaceDialogs.h"

#include "ui_FindDialog.h"
#include "ui_ReplaceDialog.h"

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::FindDialog>())
{
    ui_->setupUi(this);
    setModal(false);
    connect(ui_->Button_FindNext, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(ui_->Button_Cancel, &QPushButton::clicked, this, &QDialog::close);
}

TFindDialog::~TFindDialog() = default;

QString TFindDialog::FindText() const { return ui_->Edit_FindText->text(); }
void TFindDialog::setFindText(const QString& text) { ui_->Edit_FindText->setText(text); }
bool TFindDialog::MatchCase() const { return ui_->CheckBox_MatchCase->isChecked(); }
void TFindDialog::setMatchCase(bool on) { ui_->CheckBox_MatchCase->setChecked(on); }

TReplaceDialog::TReplaceDialog(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::ReplaceDialog>())
{
    ui_->setupUi(this);
    setModal(false);
    connect(ui_->Button_FindNext, &QPushButton::clicked, this, &TReplaceDialog::Find);
    connect(ui_->Button_Replace, &QPushButton::clicked, this, [this] { emit Replace(false); });
    connect(ui_->Button_ReplaceAll, &QPushButton::clicked, this, [this] { emit Replace(true); });
    connect(ui_->Button_Cancel, &QPushButton::clicked, this, &QDialog::close);
}

TReplaceDialog::~TReplaceDialog() = default;

QString TReplaceDialog::FindText() const { return ui_->Edit_FindText->text(); }
void TReplaceDialog::setFindText(const QString& text) { ui_->Edit_FindText->setText(text); }
QString TReplaceDialog::ReplaceText() const { return ui_->Edit_ReplaceText->text(); }
void TReplaceDialog::setReplaceText(const QString& text) { ui_->Edit_ReplaceText->setText(text); }
bool TReplaceDialog::MatchCase() const { return ui_->CheckBox_MatchCase->isChecked(); }
void TReplaceDialog::setMatchCase(bool on) { ui_->CheckBox_MatchCase->setChecked(on); }
