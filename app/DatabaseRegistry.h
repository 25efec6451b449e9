#pragma once
// The configured databases of section DATABASES, the current database and the Database menu.
#include "app/MainState.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QAction;
class QMenu;

// A DATABASES value read into a new object: all nine fields start as "DEFAULT", the n-th
// "|"-terminated piece goes into the n-th field; text after the last "|" and pieces after the
// ninth are dropped.
std::unique_ptr<TDataBaseObj> ParseDatabaseValue(const QString& value);
// One field of such a value (0 is DBType, 2 DataSource), as ParseDatabaseValue would fill it.
QString DatabaseValueField(const QString& value, int index);

// The ADO connection text of a database ("Provider=MSDASQL.1;Password=...;User ID=...;Data
// Source=..."), each value written so that it reads back whole; no database gives empty values.
QString DatabaseConnectionText(const TDataBaseObj* db);

class DatabaseRegistry {
public:
    // bindItem connects each Database-menu item the registry creates to its click handler.
    DatabaseRegistry(MainState& state, QMenu& databaseMenu, std::function<void(QAction*)> bindItem);

    void LoadDatabases();
    // The start-up's second load. When section DATABASES holds what the last load read and the
    // list holds only what that load made (and a placeholder), the list and the menu stay and the
    // placeholder goes; otherwise it is LoadDatabases. For the start-up only: it does not see
    // changes made to the objects themselves since the last load.
    void RefreshDatabases();
    TDataBaseObj* FindCurrentDatabase(const QString& DBType);
    TDataBaseObj* FindDatabaseObj(const QString& DisplayName) const;

    // The display name a Database-menu item stands for. Its text has every "&" doubled so that
    // Qt shows it instead of taking it as an access key; compare and look up by this name.
    static QString ItemName(const QAction* item);

private:
    using Pairs = std::vector<std::pair<QString, QString>>;
    static Pairs readDatabases();
    void load(Pairs pairs);
    void rebuildMenu();
    bool onlyWhatTheLoadMade() const;
    void dropPlaceholder();
    QAction* addMenuItem(const QString& caption);

    MainState& state_;
    QMenu& menu_;
    std::function<void(QAction*)> bindItem_;
    Pairs loaded_;                     // section DATABASES as the last load read it
    int loadedCount_ = 0;              // list entries that load made
    QList<QAction*> items_;            // the menu's items as this registry made them, in order
    TDataBaseObj* placeholder_ = nullptr;  // the one FindCurrentDatabase added since the load
    bool refreshLoads_ = false;            // the list has changed beyond that placeholder
};
