#pragma once
// The main window's lifecycle: creation, the start-up sequence run before the window is first
// shown, closing and destruction; and the connection of the one engine database component.
#include "app/MainState.h"
#include "app/Options.h"

#include <QString>
#include <exception>

class DatabaseRegistry;
class QLabel;
class QStatusBar;
class QWidget;
class TBVSplashScreen;

namespace platform::engine { class Database; class Query; class Table; }

// The engine components of the main window that a connection sets up.
struct EngineComponents {
    platform::engine::Database* Database = nullptr;
    platform::engine::Table* Table = nullptr;
    platform::engine::Query* Query = nullptr;
    platform::engine::Query* Query1 = nullptr;
    platform::engine::Query* Query2 = nullptr;
};

// Connects Database under the alias dataSource with the given login and points the datasets at
// it. Throws what the engine throws; the caller decides how a failure is reported. The database
// switch calls it too, after setting KeepConnection off.
void ConnectDatabase(const EngineComponents& engine, const QString& dataSource, const QString& userName,
                     const QString& password);

// What the start-up sequence touches besides the state.
struct StartUpControls {
    DatabaseRegistry* registry = nullptr;
    TBVSplashScreen* BVSplashScreen = nullptr;
    QLabel* Image = nullptr;                   // the splash screen's picture
    QStatusBar* StatusBar = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QWidget* Panel_Menu = nullptr;
    OptionControls options;
    EngineComponents engine;
};

// The message of a connection failure, before the engine's own text.
inline const QString kConnectError =
    QStringLiteral("An error occured when attempting to connect to the database.\r\n");

// The application title ("Quorvel" in the program).
QString ApplicationTitle();

// The login of the data-source window (state.LoginUserName, LoginPassword) and the chosen data
// source go into the empty fields of the current database; run at start-up and after every
// reload of the database list that keeps the connection.
void FillInStartUpLogin(MainState& state);

namespace startup {

// Copyright and address texts, registry reader, first database list with its placeholder.
void FormCreate(MainState& state, DatabaseRegistry& registry, TBVSplashScreen& splash);
// The start-up sequence: splash, data-source window, database list and type, current database,
// client homes, options, connection and table names. Returns early, without connecting, when the
// data-source window asked the program to end.
void FormShow(MainState& state, const StartUpControls& controls);
// Saves the six OPTIONS check marks and empties the window's lists.
void FormClose(MainState& state, const OptionControls& options);
void FormDestroy(MainState& state);

} // namespace startup

// The application's default exception box: the message, captioned with the application title.
void ShowApplicationException(const std::exception& error);
void ShowApplicationException(const QString& message);

// Runs work in a handler: an exception it throws is shown as the application shows one escaping a
// handler, and the program goes on.
template <typename F>
void RunShowingExceptions(F&& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        ShowApplicationException(error);
    }
}
