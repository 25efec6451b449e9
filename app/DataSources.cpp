#include "app/DataSources.h"

#include "app/Application.h"
#include "app/DatabaseRegistry.h"
#include "components/DialogBehaviour.h"
#include "components/Utils.h"
#include "platform/ini/IniFile.h"
#include "platform/registry/Registry.h"

#include "ui_DataSources.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QShowEvent>

#include <algorithm>

namespace {
const QString IniName = QStringLiteral("Quorvel.ini");
}

TForm_DataSource::TForm_DataSource(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::TForm_DataSource>())
{
    ui_->setupUi(this);
    setFixedSize(size());
    fitLoginCaptions();
    ui_->Edit_Password->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    connect(ui_->Button_OK, &QPushButton::clicked, this, &TForm_DataSource::Button_OKClick);
    connect(ui_->Button1, &QPushButton::clicked, this, &TForm_DataSource::Button1Click);
    connect(ui_->ListBox_DataSource, &QListWidget::itemDoubleClicked, this,
            &TForm_DataSource::ListBox_DataSourceDblClick);
}

TForm_DataSource::~TForm_DataSource() = default;

void TForm_DataSource::fitLoginCaptions()
{
    // A font wider than the one the page was laid out for would run the captions under the edits:
    // move the edits right, keeping their right edge.
    QLabel* labels[] = {ui_->Label1, ui_->Label2};
    QLineEdit* edits[] = {ui_->Edit_Username, ui_->Edit_Password};
    int needed = 0;
    for (QLabel* label : labels) {
        label->resize(label->sizeHint().width(), label->height());
        needed = std::max(needed, label->x() + label->width() + 4);
    }
    for (QLineEdit* edit : edits) {
        const QRect r = edit->geometry();
        if (needed > r.left())
            edit->setGeometry(needed, r.top(), r.right() + 1 - needed, r.height());
    }
}

void TForm_DataSource::Button_OKClick()
{
    Cancelled = false;
    close();
}

void TForm_DataSource::Button1Click()
{
    Cancelled = true;
    close();
}

void TForm_DataSource::ListBox_DataSourceDblClick()
{
    ui_->Button_OK->click();
}

void TForm_DataSource::reject()
{
    Button1Click();
}

void TForm_DataSource::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm_DataSource::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
    done(Cancelled ? QDialog::Rejected : QDialog::Accepted);
}

void TForm_DataSource::keyPressEvent(QKeyEvent* event)
{
    if (!EscapePressesCancel(event, ui_->Button1))
        QDialog::keyPressEvent(event);  // Enter presses the default button, OK
}

void TForm_DataSource::FormShow()
{
    LoginMode = false;
    Cancelled = true;

    platform::Registry registry(QStringLiteral("\\"));
    registry.setRootKey(platform::RootKey::LocalMachine);
    QStringList names = registry.readSection(QStringLiteral("\\SOFTWARE\\ODBC\\ODBC.INI\\ODBC DATA SOURCES\\"));
    for (QString& name : names)
        name = name.toUpper();
    names.sort(Qt::CaseInsensitive);
    ui_->ListBox_DataSource->clear();
    ui_->ListBox_DataSource->addItems(names);

    SelectedDataSource = platform::IniFile(IniName).readString(QStringLiteral("OPTIONS"),
                                                               QStringLiteral("DEFAULTDATASOURCE"), QString());
    ui_->ListBox_DataSource->clearSelection();
    ui_->ListBox_DataSource->setCurrentRow(-1);
    for (int row = 0; row < ui_->ListBox_DataSource->count(); ++row) {
        QListWidgetItem* item = ui_->ListBox_DataSource->item(row);
        if (QString::compare(item->text(), SelectedDataSource, Qt::CaseInsensitive) == 0) {
            ui_->ListBox_DataSource->setCurrentItem(item);
            ui_->ListBox_DataSource->scrollToItem(item);
            break;
        }
    }
}

bool TForm_DataSource::FormCloseQuery()
{
    if (Cancelled) {
        app::Terminate();
        return true;
    }
    QListWidgetItem* row = selectedRow();
    if (!row)
        return false;
    if (!LoginMode && !LookupDataSourceLogin(row->text(), LoginUserName, LoginPassword)) {
        SelectedDataSource = row->text().toLower();
        SetPasswordMode(true);
        return false;
    }
    return true;
}

void TForm_DataSource::FormClose()
{
    QListWidgetItem* row = selectedRow();
    if (!row)
        return;
    SelectedDataSource = row->text().toLower();
    if (LoginMode) {
        LoginUserName = ui_->Edit_Username->text();
        LoginPassword = ui_->Edit_Password->text();
    }
    // The preselection is a convenience: a file that cannot be written must not keep the user from
    // going on with the chosen data source.
    try {
        platform::IniFile(IniName).writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"),
                                               SelectedDataSource);
    } catch (const platform::IniError& e) {
        AppMessageDlg(QString::fromUtf8(e.what()), mtError, mbOK);
    }
}

void TForm_DataSource::SetPasswordMode(bool loginMode)
{
    LoginMode = loginMode;
    ui_->GroupBox_Password->setVisible(loginMode);
    ui_->Label_DataSource->setVisible(!loginMode);
    ui_->ListBox_DataSource->setVisible(!loginMode);
    setWindowTitle(loginMode ? QStringLiteral("Data Source ") + SelectedDataSource : QStringLiteral("Select Data Source"));
    ui_->Edit_Username->setFocus();
}

bool TForm_DataSource::LookupDataSourceLogin(const QString& DataSource, QString& UserName, QString& Password)
{
    // By upper-cased data source, the entry that stands last in the section winning: only that
    // one is read into an object.
    const QString wanted = DataSource.toUpper();
    const auto pairs = platform::IniFile(IniName).readSectionPairs(QStringLiteral("DATABASES"));
    const QString* last = nullptr;
    for (const auto& [key, value] : pairs) {
        if (DatabaseValueField(value, 2).toUpper() == wanted)
            last = &value;
    }
    if (!last)
        return false;
    const auto found = ParseDatabaseValue(*last);
    UserName = found->UserName;
    Password = found->Password;
    return true;
}

QListWidgetItem* TForm_DataSource::selectedRow() const
{
    const QList<QListWidgetItem*> rows = ui_->ListBox_DataSource->selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
}
