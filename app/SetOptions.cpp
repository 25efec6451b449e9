#include "app/SetOptions.h"

#include "app/MainState.h"
#include "app/Options.h"
#include "components/Utils.h"
#include "components/DialogBehaviour.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"

#include "ui_SetOptions.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <functional>

namespace {

const QString kOracle = QStringLiteral("ORACLE");
const QString kFtp = QStringLiteral("FTP");

// Typing into a table/field grid or its cell editor goes through StringGrid_IdentityKeyPress.
class UpperCaseTyping : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || resending_)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->text().size() != 1)
            return false;
        const QChar typed = key->text().front();
        const QChar changed = StringGrid_IdentityKeyPress(typed);
        if (changed == typed)
            return false;
        QKeyEvent replacement(QEvent::KeyPress, key->key(), key->modifiers(), QString(changed));
        resending_ = true;
        QCoreApplication::sendEvent(watched, &replacement);
        resending_ = false;
        return true;
    }

private:
    bool resending_ = false;
};

class UpperCaseDelegate : public QStyledItemDelegate {
public:
    UpperCaseDelegate(QObject* filter, QObject* parent) : QStyledItemDelegate(parent), filter_(filter) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->installEventFilter(filter_);
        return editor;
    }

private:
    QObject* filter_;
};

QString cellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

void setCell(QTableWidget* grid, int row, int column, const QString& text)
{
    grid->setItem(row, column, new QTableWidgetItem(text));
}

} // namespace

QChar StringGrid_IdentityKeyPress(QChar Key)
{
    if (Key >= QLatin1Char('a') && Key <= QLatin1Char('z'))
        return QChar(Key.unicode() - 'a' + 'A');
    return Key;
}

TForm_SetOptions::TForm_SetOptions(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TForm_SetOptions>())
{
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setFixedSize(630, 451);
    ui_->SpeedButton_FTP->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));

    QTableWidget* ftp = ui_->StringGrid_FTP;
    ftp->setColumnCount(1);
    ftp->setRowCount(5);
    ftp->setColumnWidth(0, 280);
    auto* typing = new UpperCaseTyping(this);
    const int widths[][2] = {{81, 90}, {81, 91}, {81, 90}};
    int i = 0;
    for (QTableWidget* grid : {ui_->StringGrid_Identity, ui_->StringGrid_Unique, ui_->StringGrid_NoUpdate}) {
        grid->setColumnCount(2);
        grid->setRowCount(kTableRows);
        grid->setColumnWidth(0, widths[i][0]);
        grid->setColumnWidth(1, widths[i][1]);
        grid->installEventFilter(typing);
        grid->setItemDelegate(new UpperCaseDelegate(typing, grid));
        ++i;
    }

    connect(ui_->CheckBox_UseFTP, &QCheckBox::clicked, this, &TForm_SetOptions::CheckBox_UseFTPClick);
    connect(ui_->SpeedButton_FTP, &QToolButton::clicked, this, &TForm_SetOptions::SpeedButton_FTPClick);
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, &TForm_SetOptions::BitBtn_OKClick);
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, &TForm_SetOptions::BitBtn_CancelClick);
    CenterOnScreen(*this);
}

TForm_SetOptions::~TForm_SetOptions() = default;

void TForm_SetOptions::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_SetOptions::keyPressEvent(QKeyEvent* event)
{
    // Esc is the Cancel button; the title bar's close button stores like OK.
    if (!EscapePressesCancel(event, ui_->BitBtn_Cancel))
        QDialog::keyPressEvent(event);
}

void TForm_SetOptions::FormShow()
{
    for (QTableWidget* grid : {ui_->StringGrid_Identity, ui_->StringGrid_Unique, ui_->StringGrid_NoUpdate})
        grid->setHorizontalHeaderLabels({QStringLiteral("Table"), QStringLiteral("Field")});
    ui_->StringGrid_FTP->setHorizontalHeaderLabels({QStringLiteral("FTP Servers")});

    const platform::IniDocument ini = platform::IniFile(kQuorvelIni).read();
    ui_->CheckBox_UseSynonyms->setChecked(ini.readBool(kOracle, QStringLiteral("USESYNONYMS"), true));
    ui_->CheckBox_AlterRegInfo->setChecked(ini.readBool(kOracle, QStringLiteral("ALTERREGINFO"), false));
    ui_->CheckBox_UseFTP->setChecked(ini.readBool(kFtp, QStringLiteral("USEFTP"), false));
    ui_->Edit_FTP->setText(ini.readString(kFtp, QStringLiteral("PATH"), QString()));
    for (int n = 1; n <= 5; ++n)
        setCell(ui_->StringGrid_FTP, n - 1, 0, ini.readString(kFtp, QStringLiteral("SERVER%1").arg(n), QString()));

    const std::pair<QString, QTableWidget*> lists[] = {{QStringLiteral("SERIALFIELDS"), ui_->StringGrid_Identity},
                                                       {QStringLiteral("UNIQUEFIELDS"), ui_->StringGrid_Unique},
                                                       {QStringLiteral("NOUPDATEFIELDS"), ui_->StringGrid_NoUpdate}};
    for (const auto& [section, grid] : lists) {
        QStringList list = ini.readSectionValues(section);
        for (QString& line : list)
            line = line.toUpper();
        list.sort();
        grid->clearContents();
        grid->setRowCount(std::max<int>(kTableRows, static_cast<int>(list.size()) + 1));
        for (int i = 0; i < list.size(); ++i) {
            const QString name = list[i].section(QLatin1Char('='), 0, 0);
            setCell(grid, i, 0, name);
            setCell(grid, i, 1, ListValue(list, name));
        }
    }
    CheckBox_UseFTPClick();
}

void TForm_SetOptions::CheckBox_UseFTPClick()
{
    const bool on = ui_->CheckBox_UseFTP->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ui_->Label_FTP, ui_->Edit_FTP, ui_->SpeedButton_FTP,
                                                     ui_->StringGrid_FTP})
        w->setEnabled(on);
}

void TForm_SetOptions::SpeedButton_FTPClick()
{
    const QString folder = platform::modal::directory(this, QString(), QString());
    if (!folder.isEmpty())
        ui_->Edit_FTP->setText(folder);
}

void TForm_SetOptions::BitBtn_OKClick()
{
    Cancelled = false;
    done(QDialog::Accepted);
}

void TForm_SetOptions::BitBtn_CancelClick()
{
    Cancelled = true;
    done(QDialog::Rejected);
}

void TForm_SetOptions::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TForm_SetOptions::FormClose()
{
    if (Cancelled)
        return;
    // A cell still being edited counts with what it shows: moving off it commits the editor.
    for (QTableWidget* grid : {ui_->StringGrid_FTP, ui_->StringGrid_Identity, ui_->StringGrid_Unique,
                               ui_->StringGrid_NoUpdate})
        grid->setCurrentIndex(QModelIndex());
    // Everything goes into the file in one write: a failure leaves the old file whole.
    QStringList refused;
    const auto store = [&refused](const QString& section, const std::function<void()>& write) {
        // A value the file cannot hold (a line break) loses only itself.
        try {
            write();
        } catch (const platform::IniError& error) {
            refused << section + QStringLiteral(": ") + QString::fromUtf8(error.what());
        }
    };
    try {
        platform::IniFile(kQuorvelIni).update([&](platform::IniDocument& ini) {
            refused.clear();
            store(kOracle, [&] { ini.writeBool(kOracle, QStringLiteral("USESYNONYMS"), ui_->CheckBox_UseSynonyms->isChecked()); });
            store(kOracle, [&] { ini.writeBool(kOracle, QStringLiteral("ALTERREGINFO"), ui_->CheckBox_AlterRegInfo->isChecked()); });
            store(kFtp, [&] { ini.writeBool(kFtp, QStringLiteral("USEFTP"), ui_->CheckBox_UseFTP->isChecked()); });
            store(kFtp, [&] { ini.writeString(kFtp, QStringLiteral("PATH"), ui_->Edit_FTP->text()); });
            for (int n = 1; n <= 5; ++n)
                store(kFtp, [&] {
                    ini.writeString(kFtp, QStringLiteral("SERVER%1").arg(n), cellText(ui_->StringGrid_FTP, n - 1, 0));
                });

            const std::pair<QString, QTableWidget*> lists[] = {{QStringLiteral("SERIALFIELDS"), ui_->StringGrid_Identity},
                                                               {QStringLiteral("UNIQUEFIELDS"), ui_->StringGrid_Unique},
                                                               {QStringLiteral("NOUPDATEFIELDS"), ui_->StringGrid_NoUpdate}};
            for (const auto& [section, grid] : lists) {
                std::vector<std::pair<QString, QString>> rows;
                for (int row = 0; row < grid->rowCount(); ++row) {
                    const QString table = cellText(grid, row, 0).trimmed();
                    const QString field = cellText(grid, row, 1).trimmed();
                    if (!table.isEmpty() && !field.isEmpty())
                        rows.emplace_back(table, field);
                }
                // The section erased and rewritten; a row the file cannot hold loses only itself.
                for (const QString& error : ini.replaceSection(section, rows))
                    refused << section + QStringLiteral(": ") + error;
            }
        });
    } catch (const std::exception& error) {
        AppMessageDlg(QStringLiteral("The options could not be saved; the configuration file was left as it was.\r\n")
                          + QString::fromUtf8(error.what()),
                      mtError, mbOK);
        return;
    }
    if (!refused.isEmpty())
        AppMessageDlg(QStringLiteral("Some options could not be saved.\r\n") + refused.join(QStringLiteral("\r\n")),
                      mtError, mbOK);
}

void MenuItem_OptionsClick(MainState& state, const OptionControls& controls, QWidget* parent)
{
    {
        TForm_SetOptions window(parent);
        platform::modal::execWindow(window);
    }
    LoadOptions(state, controls);
}
