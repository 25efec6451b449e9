#include "workspace/MainWindow.h"

#include "app/ConnectionStatus.h"
#include "app/DBConfigure.h"
#include "app/DatabaseRegistry.h"
#include "app/SetOptions.h"
#include "components/BVAboutBox.h"
#include "components/BVExecFile.h"
#include "components/BVHelpFiles.h"
#include "components/BVSplashScreen.h"
#include "components/DialogBehaviour.h"
#include "components/StatusPanel.h"
#include "workspace/sqlpage/AddFields.h"
#include "workspace/tablepage/BlobPictures.h"
#include "workspace/DatabaseSwitchPage.h"
#include "workspace/tools/DelimitedText.h"
#include "workspace/tablepage/FindFld.h"
#include "workspace/tools/GlobalCopy.h"
#include "workspace/tools/HelpCommands.h"
#include "workspace/sqlpage/InsertTemplate.h"
#include "workspace/tools/ListView.h"
#include "workspace/tablepage/Navigation.h"
#include "workspace/PageControl.h"
#include "workspace/tablepage/PageModes.h"
#include "workspace/tools/Printing.h"
#include "workspace/sqlpage/QueryTemplate.h"
#include "workspace/tablepage/SelectTable.h"
#include "workspace/tablepage/SortOrdr.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tools/TableView.h"
#include "workspace/tablepage/UpdateRecord.h"
#include "workspace/MenuStates.h"
#include "workspace/sqlpage/TextEditor.h"
#include "workspace/WindowPictures.h"

#include "ui_Main.h"

#include <QCloseEvent>
#include <QMenu>
#include <QPushButton>
#include <QResizeEvent>
#include <QWheelEvent>
#include <QLabel>
#include <QProxyStyle>
#include <QTabBar>

#include <algorithm>
#include <functional>

namespace {

// Page tabs at least 120 pixels wide, yet never narrower than their caption; the style draws them.
class TabWidthStyle : public QProxyStyle {
public:
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override
    {
        QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
        if (type == CT_TabBarTab)
            result.setWidth(std::max(result.width(), 120));
        return result;
    }
};

} // namespace

TForm_Main::TForm_Main(QWidget* parent) : QMainWindow(parent), ui_(std::make_unique<Ui::TForm_Main>())
{
    ui_->setupUi(this);
    completeWindowDefinition();
    BVSplashScreen = new TBVSplashScreen(this);
    BVExecFile = new TBVExecFile(this);
    BVAboutBox = new TBVAboutBox(this);
    ConfigureAboutBox(*BVAboutBox, ui_->Image);
    BVHelpFiles = new TBVHelpFiles(this);
    ConfigureHelpFiles(*BVHelpFiles);
    connectHandlers();
    InstallSqlCommandLine(*this);
    InstallKeyPreview(*this);
    registry_ = std::make_unique<DatabaseRegistry>(state_, *ui_->MenuItem_Database,
                                                   [this](QAction* item) { bindDatabaseItem(item); });
    Database.setReconnectHandler([this](const QString& dsn) { ShowReconnected(ui_->StatusBar, dsn); });
    // As the class library shows an exception escaping a creation handler, and the window lives on.
    try {
        FormCreate();
    } catch (const std::exception& error) {
        ShowApplicationException(error);
    }
}

TForm_Main::~TForm_Main()
{
    FormDestroy();
}

void TForm_Main::completeWindowDefinition()
{
    // What a Designer file cannot say: named separators, a hidden submenu, the picture, the
    // status-bar panels, the first split of the SQL page, the place on the screen.
    for (QAction* separator : {ui_->N12, ui_->N5, ui_->N3, ui_->N4, ui_->N1, ui_->N8, ui_->N2, ui_->N9, ui_->N6,
                               ui_->N14, ui_->N7, ui_->N20, ui_->N13, ui_->MenuItem_ContentsDivider})
        separator->setSeparator(true);
    ui_->MenuItem_LoadTablesMulti->menuAction()->setVisible(false);
    auto* tabStyle = new TabWidthStyle;
    tabStyle->setParent(this);
    ui_->PageControl->tabBar()->setStyle(tabStyle);

    ui_->Image->setPixmap(applicationPicture());
    ui_->Image->lower();

    for (int i = 0; i < 2; ++i) {
        panels_[i] = new TStatusPanel(ui_->StatusBar);
        panels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    }
    // Panel 0 must never widen the window with a long status text.
    panels_[0]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    panels_[0]->setMinimumWidth(1);
    panels_[1]->setAlignment(Qt::AlignCenter);
    panels_[1]->setFixedWidth(0);
    ui_->StatusBar->addWidget(new TStatusSlot(panels_[0]), 1);
    ui_->StatusBar->addWidget(panels_[1], 0);

    applyPanelWidths();

    DrawToolBarPictures(*ui_);
    ui_->Panel_Menu->installEventFilter(this);
    ui_->ScrollBox->viewport()->installEventFilter(this);
    InstallRightClick(*ui_->BitBtn_FindField, [this] { BitBtn_FindFieldMouseDown(ui_->BitBtn_FindField, Qt::RightButton); });

    // The text boxes open their popup on the right button; the picture controls attach theirs.
    for (QWidget* memo : {static_cast<QWidget*>(ui_->Memo_SQL), static_cast<QWidget*>(ui_->Memo_Results)}) {
        memo->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(memo, &QWidget::customContextMenuRequested, this,
                [this, memo](const QPoint& at) {
                    ui_->PopupMenu_RE->setProperty(kPopupOwnerProperty, QVariant::fromValue<QObject*>(memo));
                    ui_->PopupMenu_RE->popup(memo->mapToGlobal(at));
                });
    }
    ui_->Image_Clear->lower();
    ui_->Panel_Stop->raise();

    ui_->Splitter->setStretchFactor(0, 0);
    ui_->Splitter->setStretchFactor(1, 1);
    ui_->Splitter->setSizes({139, 360});

    CenterOnScreen(*this);
}

void TForm_Main::bindDatabaseItem(QAction* item)
{
    bind(item, &TForm_Main::DatabaseMenuClick);
}

QLabel* TForm_Main::statusPanel(int index) const
{
    return index >= 0 && index < 2 ? panels_[index] : nullptr;
}

void TForm_Main::setPanelText(int index, const QString& text)
{
    if (QLabel* panel = statusPanel(index))
        panel->setText(text);
}

QString TForm_Main::panelText(int index) const
{
    const QLabel* panel = statusPanel(index);
    return panel ? panel->text() : QString();
}

void TForm_Main::setPanelWidth(int index, int width)
{
    if (index < 0 || index > 1)
        return;
    panelWidths_[index] = std::max(0, width);
    applyPanelWidths();
}

int TForm_Main::panelWidth(int index) const
{
    return index >= 0 && index < 2 ? panelWidths_[index] : 0;
}

void TForm_Main::applyPanelWidths()
{
    // Panel 0 keeps its given width within the bar; the last panel shows in what is left, and a
    // long status text never widens the window.
    const int rest = ui_->StatusBar->width() - panelWidths_[0];
    panels_[1]->setFixedWidth(std::max(panelWidths_[1], rest));
}

OptionControls TForm_Main::optionControls() const
{
    OptionControls c;
    c.Memo_SQL = ui_->Memo_SQL;
    c.Memo_Results = ui_->Memo_Results;
    c.MenuItem_ToolBar = ui_->MenuItem_ToolBar;
    c.MenuItem_StatusBar = ui_->MenuItem_StatusBar;
    c.MenuItem_ShowFieldNames = ui_->MenuItem_ShowFieldNames;
    c.MenuItem_AllowLowerCase = ui_->MenuItem_AllowLowerCase;
    c.MenuItem_IncludeCommands = ui_->MenuItem_IncludeCommands;
    c.MenuItem_DefaultNulls = ui_->MenuItem_DefaultNulls;
    c.MenuItem_FTP = ui_->MenuItem_FTP;
    c.MenuItem_Servers = {ui_->MenuItem_Server01, ui_->MenuItem_Server02, ui_->MenuItem_Server03,
                          ui_->MenuItem_Server04, ui_->MenuItem_Server05};
    c.BVExecFile = BVExecFile;
    return c;
}

EngineComponents TForm_Main::engineComponents()
{
    return EngineComponents{&Database, &Table, &Query, &Query1, &Query2};
}

StartUpControls TForm_Main::startUpControls()
{
    StartUpControls c;
    c.registry = registry_.get();
    c.BVSplashScreen = BVSplashScreen;
    c.Image = ui_->Image;
    c.StatusBar = ui_->StatusBar;
    c.StatusPanel0 = panels_[0];
    c.Panel_Menu = ui_->Panel_Menu;
    c.options = optionControls();
    c.engine = engineComponents();
    return c;
}

TablePageEnv TForm_Main::tablePageEnv()
{
    return TablePageEnv{state_, *ui_, this, panels_[0], ColumnSources{&Table, &Table2, &Query, &ADOQuery},
                        Database.databaseName()};
}

void TForm_Main::FormCreate() { startup::FormCreate(state_, *registry_, *BVSplashScreen); }

void TForm_Main::FormShow() { startup::FormShow(state_, startUpControls()); }

void TForm_Main::FormClose() { startup::FormClose(state_, optionControls()); }

void TForm_Main::FormDestroy() { startup::FormDestroy(state_); }

void TForm_Main::LoadOptions() { ::LoadOptions(state_, optionControls()); }

QString TForm_Main::GetConnectionText() { return ::GetConnectionText(state_, ui_->StatusBar); }

void TForm_Main::LoadTableNames() { ::LoadTableNames(state_, Database.databaseName()); }

void TForm_Main::closeEvent(QCloseEvent* event)
{
    // Closing goes on when the options cannot be saved; the user is told why.
    try {
        FormClose();
    } catch (const std::exception& error) {
        ShowApplicationException(error);
    }
    event->accept();
}

void TForm_Main::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Placed again at the first show, when the frame it gains may be known: a window that only
    // just fits the screen would otherwise reach past it by the frame.
    if (!placedWithFrame_ && !event->spontaneous()) {
        placedWithFrame_ = true;
        CenterOnScreen(*this);
    }
}

void TForm_Main::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize(this);
}

void TForm_Main::wheelEvent(QWheelEvent* event)
{
    // FormMouseWheel: wheel turns that no control took scroll the Table page.
    ScrollBoxMouseWheel(*ui_, event->angleDelta().y());
    event->ignore();
}

bool TForm_Main::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->ScrollBox->viewport() && event->type() == QEvent::Wheel) {
        // ScrollBoxMouseWheel: one notch is 32 pixels, the box's own stepping is not used.
        ScrollBoxMouseWheel(*ui_, static_cast<QWheelEvent*>(event)->angleDelta().y());
        return true;
    }
    if (watched == ui_->Panel_Menu && event->type() == QEvent::Resize)
        KeepToolBarRightButtons(*ui_);
    return QMainWindow::eventFilter(watched, event);
}

void TForm_Main::bind(QAbstractButton* button, void (TForm_Main::*handler)(QObject*))
{
    connect(button, &QAbstractButton::clicked, this, [this, button, handler] { (this->*handler)(button); });
}

void TForm_Main::bind(QAction* item, void (TForm_Main::*handler)(QObject*))
{
    connect(item, &QAction::triggered, this, [this, item, handler] { (this->*handler)(item); });
}

void TForm_Main::bindOpening(QMenu* menu, void (TForm_Main::*handler)(QObject*))
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu, handler] { (this->*handler)(menu); });
}

void TForm_Main::connectHandlers()
{
    Ui::TForm_Main& u = *ui_;
    connect(u.PageControl, &QTabWidget::currentChanged, this, [this] { PageControlChange(ui_->PageControl); });

    bind(u.BitBtn_Query, &TForm_Main::BitBtn_QueryClick);
    bind(u.BitBtn_QuickQuery, &TForm_Main::BitBtn_QuickQueryClick);
    for (QAbstractButton* b : {u.BitBtn_First, u.BitBtn_Previous, u.BitBtn_Next, u.BitBtn_Last})
        bind(b, &TForm_Main::BitBtn_FirstClick);
    bind(u.BitBtn_Add, &TForm_Main::BitBtn_QueryClick);
    bind(u.BitBtn_Update, &TForm_Main::BitBtn_QueryClick);
    bind(u.BitBtn_Remove, &TForm_Main::BitBtn_RemoveClick);
    bind(u.BitBtn_SortOrder, &TForm_Main::BitBtn_SortOrderClick);
    bind(u.BitBtn_FindField, &TForm_Main::BitBtn_FindFieldClick);
    connect(u.BitBtn_FindField, &QAbstractButton::pressed, this, [this] { BitBtn_FindFieldMouseDown(ui_->BitBtn_FindField); });
    bind(u.BitBtn_SelectTable, &TForm_Main::MenuItem_SelectTableClick);
    bind(u.BitBtn_AppendSQL, &TForm_Main::BitBtn_AppendSQLClick);
    bind(u.BitBtn_Preview, &TForm_Main::BitBtn_PrintClick);
    bind(u.BitBtn_Print, &TForm_Main::BitBtn_PrintClick);
    bind(u.BitBtn_gen_node, &TForm_Main::BitBtn_gen_nodeClick);
    bind(u.BitBtn_Execute, &TForm_Main::BitBtn_ExecuteClick);
    bind(u.BitBtn_Cancel, &TForm_Main::BitBtn_CancelClick);
    bind(u.BitBtn_Stop, &TForm_Main::BitBtn_StopClick);

    bind(u.BitBtn_CodeFormat, &TForm_Main::BitBtn_CodeFormatClick);
    bind(u.BitBtn_AddFields, &TForm_Main::BitBtn_AddFieldsClick);
    bind(u.BitBtn_Execute2, &TForm_Main::BitBtn_Execute2Click);
    bind(u.BitBtn_Select, &TForm_Main::BitBtn_SelectClick);
    bind(u.BitBtn_Update2, &TForm_Main::BitBtn_SelectClick);
    bind(u.BitBtn_Insert, &TForm_Main::BitBtn_InsertClick);

    bindOpening(u.MenuItem_File, &TForm_Main::MenuItem_FileClick);
    bind(u.MenuItem_Open, &TForm_Main::MenuItem_OpenClick);
    bind(u.MenuItem_Save, &TForm_Main::MenuItem_SaveClick);
    bind(u.MenuItem_CreateDBASCII, &TForm_Main::MenuItem_CreateDBASCIIClick);
    bind(u.MenuItem_FromScreen, &TForm_Main::MenuItem_FromScreenClick);
    bind(u.MenuItem_FromFile, &TForm_Main::MenuItem_FromFileClick);
    bind(u.MenuItem_MultiFromScreen, &TForm_Main::MenuItem_MultiFromScreenClick);
    bind(u.MenuItem_MultiFromFile, &TForm_Main::MenuItem_MultiFromScreenClick);
    bind(u.MenuItem_LoadSelectedTables, &TForm_Main::MenuItem_LoadSelectedTablesClick);
    bind(u.MenuItem_PrintPreview, &TForm_Main::BitBtn_PrintClick);
    bind(u.MenuItem_PrintSetup, &TForm_Main::MenuItem_PrintSetupClick);
    bind(u.MenuItem_Print, &TForm_Main::MenuItem_PrintClick);
    bind(u.MenuItem_Exit, &TForm_Main::MenuItem_ExitClick);
    bind(u.MenuItem_Options, &TForm_Main::MenuItem_OptionsClick);

    bindOpening(u.MenuItem_Commands, &TForm_Main::MenuItem_CommandsClick);
    bind(u.MenuItem_SelectTable, &TForm_Main::MenuItem_SelectTableClick);
    for (QAction* a : {u.MenuItem_Query, u.MenuItem_Add, u.MenuItem_Update})
        bind(a, &TForm_Main::BitBtn_QueryClick);
    bind(u.MenuItem_Remove, &TForm_Main::BitBtn_RemoveClick);
    for (QAction* a : {u.MenuItem_First, u.MenuItem_Previous, u.MenuItem_Next, u.MenuItem_Last})
        bind(a, &TForm_Main::BitBtn_FirstClick);
    // The two items run the buttons' commands, as every other item of this menu does.
    bind(u.MenuItem_Execute, &TForm_Main::BitBtn_ExecuteClick);
    bind(u.MenuItem_Cancel, &TForm_Main::BitBtn_CancelClick);
    bind(u.MenuItem_Execute2, &TForm_Main::BitBtn_Execute2Click);
    bind(u.MenuItem_Execute3, &TForm_Main::BitBtn_RshExecuteClick);

    bindOpening(u.MenuItem_Tools, &TForm_Main::MenuItem_ToolsClick);
    bind(u.MenuItem_ConfigDB, &TForm_Main::MenuItem_ConfigDBClick);
    bind(u.MenuItem_TableAttributes, &TForm_Main::MenuItem_TableAttributesClick);
    bind(u.MenuItem_BuildData, &TForm_Main::MenuItem_BuildDataClick);
    bind(u.MenuItem_AllowLowerCase, &TForm_Main::MenuItem_ToolBarClick);
    bind(u.MenuItem_DefaultNulls, &TForm_Main::MenuItem_DefaultNullsClick);
    bind(u.MenuItem_IncludeCommands, &TForm_Main::MenuItem_ToolBarClick);
    bind(u.MenuItem_ShowFieldNames, &TForm_Main::MenuItem_ShowFieldNamesClick);

    bindOpening(u.MenuItem_View, &TForm_Main::MenuItem_ViewClick);
    bind(u.MenuItem_ListView, &TForm_Main::MenuItem_ListViewClick);
    bind(u.MenuItem_ToolBar, &TForm_Main::MenuItem_ToolBarClick);
    bind(u.MenuItem_StatusBar, &TForm_Main::MenuItem_ToolBarClick);
    bind(u.MenuItem_SQLViewer, &TForm_Main::MenuItem_SQLViewerClick);

    for (QAction* a : {u.MenuItem_Server01, u.MenuItem_Server02, u.MenuItem_Server03, u.MenuItem_Server04,
                       u.MenuItem_Server05})
        bind(a, &TForm_Main::MenuItem_Server01Click);
    bindOpening(u.MenuItem_Help, &TForm_Main::MenuItem_HelpClick);
    bind(u.MenuItem_Contents, &TForm_Main::MenuItem_ContentsClick);
    bind(u.MenuItem_About, &TForm_Main::MenuItem_AboutClick);

    bind(u.SubMenuItem_Open, &TForm_Main::SubMenuItem_OpenClick);
    bind(u.SubMenuItem_Save, &TForm_Main::SubMenuItem_SaveClick);
    bind(u.MenuItem_Clear, &TForm_Main::MenuItem_ClearClick);
    bind(u.MenuItem_SelectAll, &TForm_Main::MenuItem_SelectAllClick);
    bind(u.MenuItem_Copy, &TForm_Main::MenuItem_CopyClick);
    bind(u.MenuItem_Cut, &TForm_Main::MenuItem_CutClick);
    bind(u.MenuItem_Paste, &TForm_Main::MenuItem_PasteClick);
    bind(u.MenuItem_Find, &TForm_Main::MenuItem_FindClick);
    bind(u.MenuItem_Replace, &TForm_Main::MenuItem_ReplaceClick);
    bind(u.MenuItem_SetFont, &TForm_Main::MenuItem_SetFontClick);
    bind(u.SubMenuItem_Print, &TForm_Main::SubMenuItem_PrintClick);

    bindOpening(u.PopupMenu_Images, &TForm_Main::PopupMenu_ImagesPopup);
    bind(u.MenuItem_LoadImage, &TForm_Main::MenuItem_LoadImageClick);
    bind(u.MenuItem_SetNull, &TForm_Main::MenuItem_SetNullClick);
    bind(u.MenuItem_SaveImageToFile, &TForm_Main::MenuItem_SaveImageToFileClick);
}

void TForm_Main::FormResize(QObject*) { ::FormResize(*this); }

void TForm_Main::PageControlChange(QObject*) { ::PageControlChange(*this); }

// The keys arrive through the key preview (InstallKeyPreview), which calls ::FormKeyDown.
void TForm_Main::FormKeyDown(QObject*) {}

void TForm_Main::BitBtn_QueryClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_QueryClick(env, Sender);
}
void TForm_Main::BitBtn_QuickQueryClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_QuickQueryClick(env, Sender);
}
void TForm_Main::BitBtn_FirstClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_FirstClick(env, Sender);
}
void TForm_Main::BitBtn_RemoveClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_RemoveClick(env, Sender);
}
void TForm_Main::BitBtn_SortOrderClick(QObject*)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_SortOrderClick(env);
}
void TForm_Main::BitBtn_FindFieldClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_FindFieldClick(env, Sender == ui_->BitBtn_FindField);
}
// The right button repeats the last search without asking.
void TForm_Main::BitBtn_FindFieldMouseDown(QObject*, Qt::MouseButton Button)
{
    if (Button == Qt::RightButton)
        BitBtn_FindFieldClick(ui_->BitBtn_SortOrder);
}
void TForm_Main::MenuItem_SelectTableClick(QObject*)
{
    TablePageEnv env = tablePageEnv();
    ::MenuItem_SelectTableClick(env);
}
void TForm_Main::BitBtn_AppendSQLClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_AppendSQLClick(env, Sender);
}
void TForm_Main::BitBtn_PrintClick(QObject* Sender) { ::BitBtn_PrintClick(*this, Sender); }
// The database switch shows the button; it has no command.
void TForm_Main::BitBtn_gen_nodeClick(QObject*) {}
void TForm_Main::BitBtn_ExecuteClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_ExecuteClick(env, Sender);
}
void TForm_Main::BitBtn_CancelClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_CancelClick(env, Sender);
}
void TForm_Main::BitBtn_StopClick(QObject*)
{
    TablePageEnv env = tablePageEnv();
    ::BitBtn_StopClick(env);
}

void TForm_Main::BitBtn_CodeFormatClick(QObject*)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::BitBtn_CodeFormatClick(env);
}
void TForm_Main::BitBtn_AddFieldsClick(QObject*)
{
    SqlTemplateEnv env = MakeSqlTemplateEnv(*this);
    ::BitBtn_AddFieldsClick(env);
}
void TForm_Main::BitBtn_Execute2Click(QObject*)
{
    SqlPageEnv env = MakeSqlPageEnv(*this);
    ::BitBtn_Execute2Click(env);
}
void TForm_Main::BitBtn_SelectClick(QObject* Sender)
{
    SqlTemplateEnv env = MakeSqlTemplateEnv(*this);
    ::BitBtn_SelectClick(env, Sender);
}
void TForm_Main::BitBtn_InsertClick(QObject*)
{
    SqlTemplateEnv env = MakeSqlTemplateEnv(*this);
    ::BitBtn_InsertClick(env);
}
void TForm_Main::JumpToInsertValue() { ::JumpToInsertValue(*ui_); }

void TForm_Main::MenuItem_FileClick(QObject*) { ::MenuItem_FileClick(state_, *ui_); }
void TForm_Main::MenuItem_OpenClick(QObject*)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_OpenClick(env);
}
void TForm_Main::MenuItem_SaveClick(QObject*)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_SaveClick(env);
}
void TForm_Main::MenuItem_CreateDBASCIIClick(QObject*) { ::MenuItem_CreateDBASCIIClick(*this); }
void TForm_Main::MenuItem_FromScreenClick(QObject*) { ::MenuItem_FromScreenClick(*this); }
void TForm_Main::MenuItem_FromFileClick(QObject*) { ::MenuItem_FromFileClick(*this); }
void TForm_Main::MenuItem_MultiFromScreenClick(QObject* Sender) { ::MenuItem_MultiFromScreenClick(*this, Sender); }
void TForm_Main::MenuItem_LoadSelectedTablesClick(QObject*)
{
    ::MenuItem_LoadSelectedTablesClick(CopyEnv{state_, registry_.get(), &Database, &Table, &Query}, this);
}
void TForm_Main::MenuItem_PrintSetupClick(QObject*) { ::MenuItem_PrintSetupClick(this); }
void TForm_Main::MenuItem_PrintClick(QObject*) { BitBtn_PrintClick(ui_->BitBtn_Print); }
void TForm_Main::MenuItem_ExitClick(QObject*) { ::MenuItem_ExitClick(*this); }
void TForm_Main::MenuItem_OptionsClick(QObject*) { ::MenuItem_OptionsClick(state_, optionControls(), this); }
void TForm_Main::MenuItem_CommandsClick(QObject*) { ::MenuItem_CommandsClick(*ui_); }
// The hidden third Execute item has no command.
void TForm_Main::BitBtn_RshExecuteClick(QObject*) {}
void TForm_Main::MenuItem_ToolsClick(QObject*) { ::MenuItem_ToolsClick(state_, *ui_); }
void TForm_Main::MenuItem_ConfigDBClick(QObject*) { ::MenuItem_ConfigDBClick(state_, *registry_, this); }
void TForm_Main::MenuItem_TableAttributesClick(QObject*) { ::MenuItem_TableAttributesClick(*this); }
// The hidden Build Data item has no command.
void TForm_Main::MenuItem_BuildDataClick(QObject*) {}
void TForm_Main::MenuItem_ToolBarClick(QObject* Sender) { ::MenuItem_ToolBarClick(*ui_, Sender); }
// The item is checkable: choosing it inverts the check mark itself, which Add reads.
void TForm_Main::MenuItem_DefaultNullsClick(QObject*) {}
void TForm_Main::MenuItem_ShowFieldNamesClick(QObject*) { ::MenuItem_ShowFieldNamesClick(*ui_); }
void TForm_Main::MenuItem_ViewClick(QObject*) { ::MenuItem_ViewClick(state_, *ui_); }
void TForm_Main::MenuItem_ListViewClick(QObject*) { ::MenuItem_ListViewClick(*this); }
void TForm_Main::MenuItem_SQLViewerClick(QObject*)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_SQLViewerClick(env);
}
void TForm_Main::DatabaseMenuClick(QObject* Sender)
{
    DatabaseSwitchEnv env = MakeDatabaseSwitchEnv(*this);
    ::DatabaseMenuClick(env, qobject_cast<QAction*>(Sender));
}

bool TForm_Main::SwitchDatabase(const QString& description)
{
    DatabaseSwitchEnv env = MakeDatabaseSwitchEnv(*this);
    return ::SwitchDatabase(env, description);
}
void TForm_Main::MenuItem_Server01Click(QObject* Sender) { ::MenuItem_Server01Click(*BVExecFile, Sender); }
void TForm_Main::MenuItem_HelpClick(QObject*)
{
    ::MenuItem_HelpClick(*BVHelpFiles, ui_->MenuItem_Contents, ui_->MenuItem_ContentsDivider);
}
void TForm_Main::MenuItem_ContentsClick(QObject*) { ::MenuItem_ContentsClick(*BVHelpFiles); }
void TForm_Main::MenuItem_AboutClick(QObject*) { ::MenuItem_AboutClick(*BVAboutBox, state_); }

// The text boxes' popup: each item works on the box the popup was opened on.
void TForm_Main::SubMenuItem_OpenClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::SubMenuItem_OpenClick(env, Sender);
}
void TForm_Main::SubMenuItem_SaveClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::SubMenuItem_SaveClick(env, Sender);
}
void TForm_Main::MenuItem_ClearClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_ClearClick(env, Sender);
}
void TForm_Main::MenuItem_SelectAllClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_SelectAllClick(env, Sender);
}
void TForm_Main::MenuItem_CopyClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_CopyClick(env, Sender);
}
void TForm_Main::MenuItem_CutClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_CutClick(env, Sender);
}
void TForm_Main::MenuItem_PasteClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_PasteClick(env, Sender);
}
void TForm_Main::MenuItem_FindClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_FindClick(env, Sender);
}
void TForm_Main::MenuItem_ReplaceClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_ReplaceClick(env, Sender);
}
void TForm_Main::MenuItem_SetFontClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::MenuItem_SetFontClick(env, Sender);
}
void TForm_Main::SubMenuItem_PrintClick(QObject* Sender)
{
    EditorEnv env = MakeEditorEnv(*this);
    ::SubMenuItem_PrintClick(env, Sender);
}

// The picture controls' popup: each item works on the picture the popup was opened on.
void TForm_Main::PopupMenu_ImagesPopup(QObject*)
{
    TablePageEnv env = tablePageEnv();
    ::PopupMenu_ImagesPopup(env);
}
void TForm_Main::MenuItem_LoadImageClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::MenuItem_LoadImageClick(env, Sender);
}
void TForm_Main::MenuItem_SetNullClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::MenuItem_SetNullClick(env, Sender);
}
void TForm_Main::MenuItem_SaveImageToFileClick(QObject* Sender)
{
    TablePageEnv env = tablePageEnv();
    ::MenuItem_SaveImageToFileClick(env, Sender);
}
