#include "app/DBConfigure.h"

#include "app/DatabaseRegistry.h"
#include "app/DatabaseType.h"
#include "app/MainState.h"
#include "app/Options.h"
#include "app/StartUp.h"
#include "components/Utils.h"
#include "components/DialogBehaviour.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"

#include "ui_DBConfigure.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>

namespace {

const QString kDatabases = QStringLiteral("DATABASES");

// The client heights of the two window sizes.
constexpr int kWidth = 352;
constexpr int kFewHeight = 316;
constexpr int kAllHeight = 481;

} // namespace

QString DatabaseValue(const TDataBaseObj& e)
{
    QString value;
    for (const QString* field : {&e.DBType, &e.DBDesc, &e.DataSource, &e.UserName, &e.Password, &e.TNS, &e.Server,
                                 &e.InformixServer, &e.DBPath})
        value += *field + QLatin1Char('|');
    return value;
}

QString UnstorableDatabaseField(const TDataBaseObj& e)
{
    const std::pair<const QString*, const char*> fields[] = {
        {&e.DBType, "Database Type"},   {&e.DBDesc, "Database Description"}, {&e.DataSource, "Data Source"},
        {&e.UserName, "User Name"},     {&e.Password, "Password"},           {&e.TNS, "TNS Service Name"},
        {&e.Server, "Server"},          {&e.InformixServer, "Informix Server"}, {&e.DBPath, "Database Path"}};
    for (const auto& [text, caption] : fields) {
        if (text->contains(QLatin1Char('|')) || text->contains(QLatin1Char('\n')) || text->contains(QLatin1Char('\r')))
            return QString::fromLatin1(caption);
    }
    return QString();
}

TForm_Configure::TForm_Configure(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm_Configure>())
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(kWidth, kAllHeight);
    for (QWidget* w : parameterControls())
        w->hide();
    ui_->SpeedButton_Browse->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    ui_->MComboBox_DBType->setCurrentIndex(-1);

    // A choice of the user, also of the entry already shown, loads the entry afresh.
    connect(ui_->MComboBox_Select, &QComboBox::activated, this, &TForm_Configure::MComboBox_SelectChange);
    connect(ui_->MComboBox_DBType, &QComboBox::activated, this, &TForm_Configure::MComboBox_DBTypeChange);
    connect(ui_->Button_Apply, &QPushButton::clicked, this, &TForm_Configure::Button_OKClick);
    connect(ui_->Button_Delete, &QPushButton::clicked, this, &TForm_Configure::Button_DeleteClick);
    connect(ui_->Button_Cancel, &QPushButton::clicked, this, &TForm_Configure::Button_CancelClick);
    connect(ui_->SpeedButton_Browse, &QToolButton::clicked, this, &TForm_Configure::SpeedButton_BrowseClick);
    ui_->MComboBox_Select->installEventFilter(this);
    CenterOnScreen(*this);
    ui_->MComboBox_DBType->setFocus();
}

TForm_Configure::~TForm_Configure() = default;

QList<QWidget*> TForm_Configure::parameterControls() const
{
    return {ui_->MLabel_TNS,    ui_->MMaskEdit_TNS,      ui_->MLabel_Server,  ui_->ComboBox_Server,
            ui_->MLabel_DBPath, ui_->MMaskEdit_DBPath,   ui_->SpeedButton_Browse, ui_->MLabel_Informix,
            ui_->MMaskEdit_Informix};
}

void TForm_Configure::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_Configure::FormShow()
{
    if (ShowAllParameters) {
        setFixedSize(kWidth, kAllHeight);
        for (QWidget* w : parameterControls())
            w->show();
    } else {
        setFixedSize(kWidth, kFewHeight);
    }

    QStringList names = platform::IniFile(kQuorvelIni).readSection(kDatabases);
    names.sort(Qt::CaseInsensitive);
    {
        const QSignalBlocker quiet(ui_->MComboBox_Select);
        ui_->MComboBox_Select->clear();
        ui_->MComboBox_Select->addItems(names);
        ui_->MComboBox_Select->setCurrentIndex(-1);
    }
    ui_->MComboBox_DBType->setCurrentIndex(-1);
    clearFields();
    // Before a type is chosen every parameter field is open, the browse button is not.
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->MMaskEdit_TNS, ui_->MLabel_TNS, ui_->ComboBox_Server,
                                                     ui_->MLabel_Server, ui_->MMaskEdit_Informix,
                                                     ui_->MLabel_Informix, ui_->MMaskEdit_DBPath, ui_->MLabel_DBPath})
        w->setEnabled(true);
    ui_->SpeedButton_Browse->setEnabled(false);
    ui_->MComboBox_DBType->setFocus();
}

void TForm_Configure::clearFields()
{
    for (QLineEdit* edit : {ui_->MMaskEdit_DBDesc, ui_->MMaskEdit_DataSource, ui_->MMaskEdit_UserName,
                            ui_->MMaskEdit_Password, ui_->MMaskEdit_TNS, ui_->MMaskEdit_Informix, ui_->MMaskEdit_DBPath})
        edit->clear();
    ui_->ComboBox_Server->setCurrentText(QString());
}

void TForm_Configure::MComboBox_SelectChange()
{
    const int row = ui_->MComboBox_Select->currentIndex();
    if (row < 0)
        return;
    const QString value = platform::IniFile(kQuorvelIni).readString(kDatabases, ui_->MComboBox_Select->itemText(row),
                                                                    QString());
    ui_->MComboBox_DBType->setCurrentIndex(-1);
    clearFields();

    QStringList pieces = value.split(QLatin1Char('|'));
    pieces.removeLast();  // the text after the last "|"
    for (int n = 0; n < pieces.size() && n < 9; ++n) {
        const QString& piece = pieces[n];
        switch (n) {
        case 0:
            ui_->MComboBox_DBType->setCurrentIndex(ui_->MComboBox_DBType->findText(piece, Qt::MatchFixedString));
            MComboBox_DBTypeChange();
            break;
        case 1: ui_->MMaskEdit_DBDesc->setText(piece); break;
        case 2: ui_->MMaskEdit_DataSource->setText(piece); break;
        case 3: ui_->MMaskEdit_UserName->setText(piece); break;
        case 4: ui_->MMaskEdit_Password->setText(piece); break;
        case 5: ui_->MMaskEdit_TNS->setText(piece); break;
        case 6: ui_->ComboBox_Server->setCurrentText(piece); break;
        case 7: ui_->MMaskEdit_Informix->setText(piece); break;
        case 8: ui_->MMaskEdit_DBPath->setText(piece); break;
        }
    }
}

void TForm_Configure::MComboBox_DBTypeChange()
{
    ui_->ComboBox_Server->clear();
    ui_->ComboBox_Server->setCurrentText(QString());
    ui_->SpeedButton_Browse->setEnabled(false);

    const QString type = ui_->MComboBox_DBType->currentIndex() < 0 ? QString() : ui_->MComboBox_DBType->currentText();
    const bool none = type.isEmpty();
    const bool access = type == QLatin1String("ACCESS") || type == QLatin1String("DBASE");
    const bool informix = type == QLatin1String("INFORMIX");
    const bool oracle = type == QLatin1String("ORACLE");
    const bool sqlServer = type == QLatin1String("SQL SERVER");

    const auto set = [](QWidget* field, QWidget* caption, bool enabled) {
        field->setEnabled(enabled);
        caption->setEnabled(enabled);
        if (enabled)
            return;
        if (auto* edit = qobject_cast<QLineEdit*>(field))
            edit->clear();
        else if (auto* combo = qobject_cast<QComboBox*>(field))
            combo->setCurrentText(QString());
    };
    set(ui_->MMaskEdit_TNS, ui_->MLabel_TNS, none || oracle);
    set(ui_->ComboBox_Server, ui_->MLabel_Server, none || informix || sqlServer);
    set(ui_->MMaskEdit_Informix, ui_->MLabel_Informix, none || informix);
    set(ui_->MMaskEdit_DBPath, ui_->MLabel_DBPath, !oracle);
    ui_->SpeedButton_Browse->setEnabled(access);

    if (sqlServer) {
        // The SQL Server client's recently used servers.
        platform::Registry registry;
        registry.setRootKey(platform::RootKey::LocalMachine);
        ui_->ComboBox_Server->addItems(registry.readSection(
            QStringLiteral("\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\SuperSocketNetLib\\LastConnect")));
        ui_->ComboBox_Server->setCurrentText(QString());
    }
}

TDataBaseObj TForm_Configure::fields() const
{
    TDataBaseObj e;
    e.DBType = ui_->MComboBox_DBType->currentIndex() < 0 ? QString() : ui_->MComboBox_DBType->currentText();
    e.DBDesc = ui_->MMaskEdit_DBDesc->text();
    e.DataSource = ui_->MMaskEdit_DataSource->text();
    e.UserName = ui_->MMaskEdit_UserName->text();
    e.Password = ui_->MMaskEdit_Password->text();
    e.TNS = ui_->MMaskEdit_TNS->text();
    e.Server = ui_->ComboBox_Server->currentText();
    e.InformixServer = ui_->MMaskEdit_Informix->text();
    e.DBPath = ui_->MMaskEdit_DBPath->text();
    return e;
}

void TForm_Configure::Button_OKClick()
{
    const TDataBaseObj entry = fields();
    if (entry.DBType.isEmpty() || entry.DBDesc.isEmpty() || entry.DataSource.isEmpty())
        return;
    const QString bad = UnstorableDatabaseField(entry);
    if (!bad.isEmpty()) {
        AppMessageDlg(QStringLiteral("The field \"%1\" holds a \"|\" or a line break, which the database list uses "
                                     "to separate its values.\r\nRemove it and save again; nothing was saved.")
                          .arg(bad),
                      mtError, mbOK);
        return;
    }
    try {
        platform::IniFile(kQuorvelIni).writeString(kDatabases, entry.DBDesc, DatabaseValue(entry));
    } catch (const std::exception& error) {
        AppMessageDlg(QStringLiteral("The database could not be saved.\r\n") + QString::fromUtf8(error.what()), mtError,
                      mbOK);
    }
}

void TForm_Configure::Button_DeleteClick()
{
    QComboBox* select = ui_->MComboBox_Select;
    const int row = select->currentIndex();
    if (row < 0)
        return;
    try {
        platform::IniFile(kQuorvelIni).deleteKey(QStringLiteral("Databases"), select->itemText(row));
    } catch (const std::exception& error) {
        AppMessageDlg(QStringLiteral("The database could not be deleted.\r\n") + QString::fromUtf8(error.what()),
                      mtError, mbOK);
        return;
    }
    {
        const QSignalBlocker quiet(select);
        select->removeItem(row);
        select->setCurrentIndex(-1);
    }
    ui_->MComboBox_DBType->setCurrentIndex(-1);
    clearFields();
}

void TForm_Configure::Button_CancelClick()
{
    done(QDialog::Rejected);
}

void TForm_Configure::SpeedButton_BrowseClick()
{
    const QString folder = platform::modal::directory(this, QString(), QString());
    if (!folder.isEmpty())
        ui_->MMaskEdit_DBPath->setText(folder);
}

bool TForm_Configure::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->MComboBox_Select && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
        ui_->MComboBox_Select->setCurrentIndex(-1);
    return QDialog::eventFilter(watched, event);
}

void MenuItem_ConfigDBClick(MainState& state, DatabaseRegistry& registry, QWidget* parent)
{
    {
        TForm_Configure window(parent);
        window.ShowAllParameters = state.AlterRegInfo;
        platform::modal::execWindow(window);
    }
    registry.LoadDatabases();
    platform::Registry fallback;
    platform::Registry& reader = state.RegistryIni ? *state.RegistryIni : fallback;
    registry.FindCurrentDatabase(GetDatabaseType(reader, state.CurrentDataSource));
    // A rebuilt placeholder would lose the login the running connection was made with.
    FillInStartUpLogin(state);
}
