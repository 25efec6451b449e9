#include "app/SelectDB.h"

#include "ui_SelectDB.h"
#include "components/DialogBehaviour.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

namespace {
constexpr int kDatabaseRole = Qt::UserRole + 1;
}

TForm_SelectDatabases::TForm_SelectDatabases(const DatabaseList& databases, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_SelectDatabases>()), databases_(databases)
{
    ui_->setupUi(this);
    // A dialog border with no buttons in its title bar: Esc or Cancel end it.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, [this] {
        BitBtn_OKClick();
        done(QDialog::Accepted);
    });
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, [this] {
        BitBtn_CancelClick();
        done(QDialog::Rejected);
    });
    CenterOnScreen(*this);
}

TForm_SelectDatabases::~TForm_SelectDatabases() = default;

void TForm_SelectDatabases::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_SelectDatabases::keyPressEvent(QKeyEvent* event)
{
    if (!EscapePressesCancel(event, ui_->BitBtn_Cancel))
        QDialog::keyPressEvent(event);
}

void TForm_SelectDatabases::FormShow()
{
    for (const DatabaseList::Entry& entry : databases_.entries) {
        auto* item = new QListWidgetItem(entry.name, ui_->MListBox_DB);
        item->setData(kDatabaseRole, QVariant::fromValue(static_cast<void*>(entry.object.get())));
    }
}

void TForm_SelectDatabases::BitBtn_OKClick()
{
    Cancelled = false;
    if (!SelectedDatabases)
        return;
    for (int i = 0; i < ui_->MListBox_DB->count(); ++i) {
        QListWidgetItem* item = ui_->MListBox_DB->item(i);
        if (item->isSelected())
            SelectedDatabases->emplace_back(item->text(), static_cast<TDataBaseObj*>(item->data(kDatabaseRole).value<void*>()));
    }
}

void TForm_SelectDatabases::BitBtn_CancelClick() { Cancelled = true; }
