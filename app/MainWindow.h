#pragma once
// The main window: owns the shared state, the engine components and the window definition; its
// handlers call the units that do the work.
#include "app/MainState.h"
#include "app/Options.h"
#include "app/StartUp.h"
#include "platform/engine/Engine.h"

#include <QMainWindow>
#include <memory>

namespace Ui { class TForm_Main; }

class DatabaseRegistry;
class QAction;
class QLabel;
class TBVAboutBox;
class TBVExecFile;
class TBVSplashScreen;

class TForm_Main : public QMainWindow {
    Q_OBJECT
public:
    // Runs FormCreate.
    explicit TForm_Main(QWidget* parent = nullptr);
    // Runs FormDestroy.
    ~TForm_Main() override;

    Ui::TForm_Main* ui() const { return ui_.get(); }
    MainState& state() { return state_; }
    DatabaseRegistry& registry() { return *registry_; }

    // Non-visual components. Database comes first so the datasets go before the connection.
    platform::engine::Database Database;
    platform::engine::Table Table;
    platform::engine::Query Query;
    platform::engine::Query Query1;
    platform::engine::Query Query2;
    TBVSplashScreen* BVSplashScreen = nullptr;
    TBVExecFile* BVExecFile = nullptr;
    TBVAboutBox* BVAboutBox = nullptr;

    // Status-bar panels: 0 carries the status text and takes the free width, 1 starts at width 0.
    QLabel* statusPanel(int index) const;
    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;
    void setPanelWidth(int index, int width);

    OptionControls optionControls() const;
    EngineComponents engineComponents();
    StartUpControls startUpControls();

    void LoadOptions();
    QString GetConnectionText();
    void LoadTableNames();

public slots:
    // The start-up sequence; the program runs it once, before the window is first shown.
    void FormShow();

protected:
    void closeEvent(QCloseEvent* event) override;  // FormClose

private:
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void completeWindowDefinition();
    void bindDatabaseItem(QAction* item);

    std::unique_ptr<Ui::TForm_Main> ui_;
    MainState state_;
    std::unique_ptr<DatabaseRegistry> registry_;
    QLabel* panels_[2] = {nullptr, nullptr};
};
