#include "workspace/tablepage/SelectTable.h"

#include "app/ConnectionStatus.h"
#include "app/Options.h"
#include "components/DialogBehaviour.h"
#include "platform/ini/IniFile.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"
#include "ui_SelectTable.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>

TForm_SelectTable::TForm_SelectTable(MainState& state, const QString& databaseName, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm_SelectTable>()), state_(state), databaseName_(databaseName)
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(ui_->ListBox_TableName, &QListWidget::itemDoubleClicked, this, [this] { BitBtn_OKClick(); });
    // The OK button closes the window also when no table is selected.
    connect(ui_->BitBtn_OK, &QPushButton::clicked, this, [this] {
        BitBtn_OKClick();
        done(QDialog::Accepted);
    });
    connect(ui_->BitBtn_Cancel, &QPushButton::clicked, this, &TForm_SelectTable::BitBtn_CancelClick);
    CenterOnScreen(*this);
}

TForm_SelectTable::~TForm_SelectTable() = default;

void TForm_SelectTable::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TForm_SelectTable::keyPressEvent(QKeyEvent* event)
{
    if (!EscapePressesCancel(event, ui_->BitBtn_Cancel))
        QDialog::keyPressEvent(event);
}

void TForm_SelectTable::FormShow()
{
    Query_SelectTable.setDatabaseName(databaseName_);
    const bool oracle = state_.CurrentDatabase && state_.CurrentDatabase->DBType == QLatin1String("ORACLE");
    QListWidget* list = ui_->ListBox_TableName;
    list->clear();
    for (const QString& name : state_.TableNames)
        list->addItem(oracle ? name.toUpper() : name.toLower());
    list->sortItems();
    const QString current = oracle ? state_.CurrentTable.toUpper() : state_.CurrentTable.toLower();
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->text() == current) {
            list->setCurrentRow(i);
            break;
        }
    }
    list->setFocus();
}

void TForm_SelectTable::BitBtn_OKClick()
{
    Cancelled = false;
    Query_SelectTable.setDatabaseName(databaseName_);
    const QList<QListWidgetItem*> selected = ui_->ListBox_TableName->selectedItems();
    if (!selected.isEmpty()) {
        state_.CurrentTable = selected.first()->text();
        done(QDialog::Accepted);
    }
}

void TForm_SelectTable::BitBtn_CancelClick()
{
    Cancelled = true;
    done(QDialog::Rejected);
}

namespace {

// A page that could not be built for the new table must not keep the old table's records or
// modes live against the new name: nothing is left to update, remove, step through or execute.
void DisableRecordCommands(TablePageEnv& env)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;
    state.RecordKeys.clear();
    state.InQueryMode = state.InAddMode = state.InUpdateMode = false;
    for (QPushButton* b : {ui.BitBtn_First, ui.BitBtn_Previous, ui.BitBtn_Next, ui.BitBtn_Last, ui.BitBtn_Update,
                           ui.BitBtn_Remove, ui.BitBtn_Execute, ui.BitBtn_Cancel, ui.BitBtn_Query,
                           ui.BitBtn_QuickQuery, ui.BitBtn_Add})
        b->setEnabled(false);
    for (QAction* a : {ui.MenuItem_First, ui.MenuItem_Previous, ui.MenuItem_Next, ui.MenuItem_Last,
                       ui.MenuItem_Update, ui.MenuItem_Remove, ui.MenuItem_Execute, ui.MenuItem_Cancel,
                       ui.MenuItem_Query, ui.MenuItem_Add})
        a->setEnabled(false);
}

} // namespace

void MenuItem_SelectTableClick(TablePageEnv& env)
{
    MainState& state = env.state;
    Ui::TForm_Main& ui = env.ui;

    state.AppendedSql.clear();
    ui.BitBtn_AppendSQL->setIcon(QIcon(ui.Image_SQLMinus->pixmap()));
    ui.BitBtn_AppendSQL->setToolTip(QString());

    const QString OldTable = state.CurrentTable;
    bool cancelled = false;
    {
        TForm_SelectTable chooser(state, env.databaseName, env.window);
        platform::modal::execWindow(chooser);
        cancelled = chooser.Cancelled;
    }

    if (!cancelled) {
        state.OrderBy.clear();
        if (!state.CurrentTable.isEmpty())
            state.OrderBy = platform::IniFile(kQuorvelIni).readString(QStringLiteral("SORT ORDER"), state.CurrentTable, QString());
        state.UseSortOrder = !state.OrderBy.isEmpty();
    }

    if (!state.CurrentTable.isEmpty() && state.CurrentTable != OldTable) {
        try {
            BuildTablePage(env);
        } catch (...) {
            DisableRecordCommands(env);
            throw;
        }
        state.InQueryMode = state.InAddMode = state.InUpdateMode = false;
        for (QPushButton* b : {ui.BitBtn_First, ui.BitBtn_Previous, ui.BitBtn_Next, ui.BitBtn_Last})
            b->setEnabled(false);
        for (QAction* a : {ui.MenuItem_First, ui.MenuItem_Previous, ui.MenuItem_Next, ui.MenuItem_Last})
            a->setEnabled(false);
        for (QPushButton* b : {ui.BitBtn_FindField, ui.BitBtn_SortOrder, ui.BitBtn_Query, ui.BitBtn_QuickQuery,
                               ui.BitBtn_Add})
            b->setEnabled(true);
        ui.MenuItem_Query->setEnabled(true);
        ui.MenuItem_Add->setEnabled(true);
        for (QPushButton* b : {ui.BitBtn_Execute, ui.BitBtn_Cancel, ui.BitBtn_Update, ui.BitBtn_Remove})
            b->setEnabled(false);
        for (QAction* a : {ui.MenuItem_Execute, ui.MenuItem_Cancel, ui.MenuItem_Update, ui.MenuItem_Remove})
            a->setEnabled(false);
        if (env.statusPanel0) {
            env.statusPanel0->setText(state.CurrentTable.toUpper() + QStringLiteral("   Record  0 of 0          ")
                                      + GetConnectionText(state, ui.StatusBar));
            env.statusPanel0->repaint();
        }
        state.RecordKeys.clear();
        if (ui.PageControl->currentWidget() == ui.TabSheet_Table)
            ui.BitBtn_Query->setFocus();
    }

    UpdateWindowCaption(state, env.window);
    ui.BitBtn_QuickQuery->setVisible(HasKeyColumn(state));
}
