#pragma once
// The connection status text of the current database, and the table names of the connection.
#include "app/MainState.h"

class QStatusBar;

// Also stores the text as the status bar's tool tip (its hint), when a bar is given.
QString GetConnectionText(const MainState& state, QStatusBar* statusBar);
// Says in the status bar, for a while and over its panels, that the link to the data source was
// lost and has been made again.
void ShowReconnected(QStatusBar* statusBar, const QString& dataSource);
// Refills state.TableNames from the engine session's names for databaseName. Engine errors reach
// the caller, with the list emptied or partly filled.
void LoadTableNames(MainState& state, const QString& databaseName);
// The same from a list of names as the engine gives them ("owner.table" or bare).
void LoadTableNamesFrom(MainState& state, const QStringList& engineNames);

// TableNames helpers: sorted without regard to case, each name once.
void AddTableName(QStringList& names, const QString& name);
bool HasTableName(const QStringList& names, const QString& name);
