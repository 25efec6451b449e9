#pragma once
// The connection status text of the current database, and the table names of the connection.
#include "app/MainState.h"

class QStatusBar;

// Also stores the text as the status bar's tool tip (its hint), when a bar is given.
QString GetConnectionText(const MainState& state, QStatusBar* statusBar);
// Refills state.TableNames from the engine session's names for databaseName.
void LoadTableNames(MainState& state, const QString& databaseName);

// TableNames helpers: sorted without regard to case, each name once.
void AddTableName(QStringList& names, const QString& name);
bool HasTableName(const QStringList& names, const QString& name);
