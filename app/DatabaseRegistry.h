#pragma once
// The configured databases of section DATABASES, the current database and the Database menu.
#include "app/MainState.h"

#include <functional>
#include <memory>

class QAction;
class QMenu;

// A DATABASES value read into a new object: all nine fields start as "DEFAULT", the n-th
// "|"-terminated piece goes into the n-th field; text after the last "|" and pieces after the
// ninth are dropped.
std::unique_ptr<TDataBaseObj> ParseDatabaseValue(const QString& value);

// The ADO connection text of a database ("Provider=MSDASQL.1;Password=...;User ID=...;Data
// Source=..."), each value written so that it reads back whole; no database gives empty values.
QString DatabaseConnectionText(const TDataBaseObj* db);

class DatabaseRegistry {
public:
    // bindItem connects each Database-menu item the registry creates to its click handler.
    DatabaseRegistry(MainState& state, QMenu& databaseMenu, std::function<void(QAction*)> bindItem);

    void LoadDatabases();
    TDataBaseObj* FindCurrentDatabase(const QString& DBType);
    TDataBaseObj* FindDatabaseObj(const QString& DisplayName) const;

    // The display name a Database-menu item stands for. Its text has every "&" doubled so that
    // Qt shows it instead of taking it as an access key; compare and look up by this name.
    static QString ItemName(const QAction* item);

private:
    QAction* addMenuItem(const QString& caption);
    MainState& state_;
    QMenu& menu_;
    std::function<void(QAction*)> bindItem_;
};
