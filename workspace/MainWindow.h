#pragma once
// The main window: owns the shared state, the engine components and the window definition; its
// handlers call the units that do the work.
#include "app/MainState.h"
#include "app/Options.h"
#include "app/StartUp.h"
#include "platform/ado/Ado.h"
#include "platform/engine/Engine.h"

#include <QMainWindow>
#include <memory>

namespace Ui { class TForm_Main; }

class DatabaseRegistry;
class QAbstractButton;
class QAction;
class QLabel;
class QMenu;
class TBVAboutBox;
class TBVExecFile;
class TBVHelpFiles;
class TBVSplashScreen;
class TStatusPanel;
struct TablePageEnv;

class TForm_Main : public QMainWindow {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TForm_Main(QWidget* parent = nullptr);
    // Runs FormDestroy.
    ~TForm_Main() override;

    Ui::TForm_Main& ui() const { return *ui_; }
    MainState& state() { return state_; }
    DatabaseRegistry& registry() { return *registry_; }

    // Non-visual components. Database comes first so the datasets go before the connection.
    platform::engine::Database Database;
    platform::engine::Table Table;
    platform::engine::Table Table2;
    platform::engine::Query Query;
    platform::engine::Query Query1;
    platform::engine::Query Query2;
    platform::ado::AdoQuery ADOQuery;
    TBVSplashScreen* BVSplashScreen = nullptr;
    TBVExecFile* BVExecFile = nullptr;
    TBVAboutBox* BVAboutBox = nullptr;
    TBVHelpFiles* BVHelpFiles = nullptr;

    // Status-bar panels: panel 0 carries the status text, panel 1 fills what panel 0 leaves.
    QLabel* statusPanel(int index) const;
    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;
    // The width given to a panel (panel 1 shows at the width panel 0 leaves free).
    void setPanelWidth(int index, int width);
    int panelWidth(int index) const;

    OptionControls optionControls() const;
    EngineComponents engineComponents();
    StartUpControls startUpControls();
    // What the Table page operations reach of this window.
    TablePageEnv tablePageEnv();

    void LoadOptions();
    QString GetConnectionText();
    void LoadTableNames();
    // F2 in an INSERT template of the SQL page.
    void JumpToInsertValue();
    // Switches the connection to the configured database of this display name, as its Database-menu
    // item does; true when connected to it afterwards.
    bool SwitchDatabase(const QString& description);

public slots:
    // The start-up sequence; the program runs it once, before the window is first shown.
    void FormShow();

    void FormResize(QObject* Sender = nullptr);
    void PageControlChange(QObject* Sender = nullptr);
    void FormKeyDown(QObject* Sender = nullptr);

    // Table page tool bar.
    void BitBtn_QueryClick(QObject* Sender = nullptr);
    void BitBtn_QuickQueryClick(QObject* Sender = nullptr);
    void BitBtn_FirstClick(QObject* Sender = nullptr);
    void BitBtn_RemoveClick(QObject* Sender = nullptr);
    void BitBtn_SortOrderClick(QObject* Sender = nullptr);
    void BitBtn_FindFieldClick(QObject* Sender = nullptr);
    void BitBtn_FindFieldMouseDown(QObject* Sender = nullptr, Qt::MouseButton Button = Qt::LeftButton);
    void MenuItem_SelectTableClick(QObject* Sender = nullptr);
    void BitBtn_AppendSQLClick(QObject* Sender = nullptr);
    void BitBtn_PrintClick(QObject* Sender = nullptr);
    void BitBtn_gen_nodeClick(QObject* Sender = nullptr);
    void BitBtn_ExecuteClick(QObject* Sender = nullptr);
    void BitBtn_CancelClick(QObject* Sender = nullptr);
    void BitBtn_StopClick(QObject* Sender = nullptr);

    // SQL page button row.
    void BitBtn_CodeFormatClick(QObject* Sender = nullptr);
    void BitBtn_AddFieldsClick(QObject* Sender = nullptr);
    void BitBtn_Execute2Click(QObject* Sender = nullptr);
    void BitBtn_SelectClick(QObject* Sender = nullptr);
    void BitBtn_InsertClick(QObject* Sender = nullptr);

    // Main menu.
    void MenuItem_FileClick(QObject* Sender = nullptr);
    void MenuItem_OpenClick(QObject* Sender = nullptr);
    void MenuItem_SaveClick(QObject* Sender = nullptr);
    void MenuItem_CreateDBASCIIClick(QObject* Sender = nullptr);
    void MenuItem_FromScreenClick(QObject* Sender = nullptr);
    void MenuItem_FromFileClick(QObject* Sender = nullptr);
    void MenuItem_MultiFromScreenClick(QObject* Sender = nullptr);
    void MenuItem_LoadSelectedTablesClick(QObject* Sender = nullptr);
    void MenuItem_PrintSetupClick(QObject* Sender = nullptr);
    void MenuItem_PrintClick(QObject* Sender = nullptr);
    void MenuItem_ExitClick(QObject* Sender = nullptr);
    void MenuItem_OptionsClick(QObject* Sender = nullptr);
    void MenuItem_CommandsClick(QObject* Sender = nullptr);
    void BitBtn_RshExecuteClick(QObject* Sender = nullptr);
    void MenuItem_ToolsClick(QObject* Sender = nullptr);
    void MenuItem_ConfigDBClick(QObject* Sender = nullptr);
    void MenuItem_TableAttributesClick(QObject* Sender = nullptr);
    void MenuItem_BuildDataClick(QObject* Sender = nullptr);
    void MenuItem_ToolBarClick(QObject* Sender = nullptr);
    void MenuItem_DefaultNullsClick(QObject* Sender = nullptr);
    void MenuItem_ShowFieldNamesClick(QObject* Sender = nullptr);
    void MenuItem_ViewClick(QObject* Sender = nullptr);
    void MenuItem_ListViewClick(QObject* Sender = nullptr);
    void MenuItem_SQLViewerClick(QObject* Sender = nullptr);
    void DatabaseMenuClick(QObject* Sender = nullptr);
    void MenuItem_Server01Click(QObject* Sender = nullptr);
    void MenuItem_HelpClick(QObject* Sender = nullptr);
    void MenuItem_ContentsClick(QObject* Sender = nullptr);
    void MenuItem_AboutClick(QObject* Sender = nullptr);

    // Popup of the two text boxes.
    void SubMenuItem_OpenClick(QObject* Sender = nullptr);
    void SubMenuItem_SaveClick(QObject* Sender = nullptr);
    void MenuItem_ClearClick(QObject* Sender = nullptr);
    void MenuItem_SelectAllClick(QObject* Sender = nullptr);
    void MenuItem_CopyClick(QObject* Sender = nullptr);
    void MenuItem_CutClick(QObject* Sender = nullptr);
    void MenuItem_PasteClick(QObject* Sender = nullptr);
    void MenuItem_FindClick(QObject* Sender = nullptr);
    void MenuItem_ReplaceClick(QObject* Sender = nullptr);
    void MenuItem_SetFontClick(QObject* Sender = nullptr);
    void SubMenuItem_PrintClick(QObject* Sender = nullptr);

    // Popup of the picture controls.
    void PopupMenu_ImagesPopup(QObject* Sender = nullptr);
    void MenuItem_LoadImageClick(QObject* Sender = nullptr);
    void MenuItem_SetNullClick(QObject* Sender = nullptr);
    void MenuItem_SaveImageToFileClick(QObject* Sender = nullptr);

protected:
    void closeEvent(QCloseEvent* event) override;  // FormClose
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;  // FormResize
    void wheelEvent(QWheelEvent* event) override;  // FormMouseWheel
    bool eventFilter(QObject* watched, QEvent* event) override;  // ScrollBoxMouseWheel, tool-bar edge

private:
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void completeWindowDefinition();
    void connectHandlers();
    void bind(QAbstractButton* button, void (TForm_Main::*handler)(QObject*));
    void bind(QAction* item, void (TForm_Main::*handler)(QObject*));
    void bindOpening(QMenu* menu, void (TForm_Main::*handler)(QObject*));
    void bindDatabaseItem(QAction* item);
    void applyPanelWidths();

    std::unique_ptr<Ui::TForm_Main> ui_;
    MainState state_;
    std::unique_ptr<DatabaseRegistry> registry_;
    TStatusPanel* panels_[2] = {nullptr, nullptr};
    int panelWidths_[2] = {792, 0};
    bool placedWithFrame_ = false;
};
