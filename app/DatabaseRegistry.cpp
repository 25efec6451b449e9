#include "app/DatabaseRegistry.h"

#include "platform/ado/Ado.h"
#include "platform/ini/IniFile.h"

#include <QAction>
#include <QMenu>
#include <QSet>

std::unique_ptr<TDataBaseObj> ParseDatabaseValue(const QString& value)
{
    auto obj = std::make_unique<TDataBaseObj>();
    QString* fields[] = {&obj->DBType, &obj->DBDesc,  &obj->DataSource,     &obj->UserName, &obj->Password,
                         &obj->TNS,    &obj->Server,  &obj->InformixServer, &obj->DBPath};
    for (QString* field : fields)
        *field = QStringLiteral("DEFAULT");
    qsizetype start = 0;
    for (QString* field : fields) {
        const qsizetype bar = value.indexOf(QLatin1Char('|'), start);
        if (bar < 0)
            break;
        *field = value.mid(start, bar - start);
        start = bar + 1;
    }
    return obj;
}

QString DatabaseValueField(const QString& value, int index)
{
    qsizetype start = 0;
    for (int i = 0; i <= index && i < 9; ++i) {
        const qsizetype bar = value.indexOf(QLatin1Char('|'), start);
        if (bar < 0)
            break;
        if (i == index)
            return value.mid(start, bar - start);
        start = bar + 1;
    }
    return QStringLiteral("DEFAULT");
}

QString DatabaseConnectionText(const TDataBaseObj* db)
{
    platform::ado::ConnectionString cs;
    cs.provider = QStringLiteral("MSDASQL.1");
    if (db) {
        cs.password = db->Password;
        cs.userId = db->UserName;
        cs.dataSource = db->DataSource;
    }
    return cs.text();
}

DatabaseRegistry::DatabaseRegistry(MainState& state, QMenu& databaseMenu, std::function<void(QAction*)> bindItem)
    : state_(state), menu_(databaseMenu), bindItem_(std::move(bindItem))
{
}

DatabaseRegistry::Pairs DatabaseRegistry::readDatabases()
{
    return platform::IniFile(QStringLiteral("Quorvel.ini")).readSectionPairs(QStringLiteral("DATABASES"));
}

void DatabaseRegistry::LoadDatabases()
{
    load(readDatabases());
}

void DatabaseRegistry::RefreshDatabases()
{
    Pairs pairs = readDatabases();
    if (pairs != loaded_ || !onlyWhatTheLoadMade()) {
        load(std::move(pairs));
        return;
    }
    state_.CurrentDatabase = nullptr;
    dropPlaceholder();
    for (QAction* item : std::as_const(items_))
        item->setChecked(false);
}

void DatabaseRegistry::load(Pairs pairs)
{
    // The objects go now; nothing may keep pointing at the old current one.
    state_.CurrentDatabase = nullptr;
    placeholder_ = nullptr;
    refreshLoads_ = false;
    std::vector<DatabaseList::Entry> inOrder;
    inOrder.reserve(pairs.size());
    for (const auto& [key, value] : pairs) {
        auto obj = ParseDatabaseValue(value);
        QString name = obj->DBDesc;
        inOrder.push_back({std::move(name), std::move(obj)});
    }
    state_.Databases.assign(std::move(inOrder));
    loaded_ = std::move(pairs);
    loadedCount_ = state_.Databases.count();
    rebuildMenu();
}

void DatabaseRegistry::rebuildMenu()
{
    // A menu scans its whole list on every insertion and removal, so the items of the last build
    // are kept, in order, and take the new captions; only the difference is added or removed.
    const QList<QAction*> present = menu_.actions();
    QList<QAction*> reusable;
    QList<QAction*> surplus;
    if (present == items_) {
        reusable = present;
    } else {
        const QSet<QAction*> ours(items_.cbegin(), items_.cend());
        for (QAction* item : present)
            (ours.contains(item) && item->parent() == &menu_ ? reusable : surplus).append(item);
    }
    const auto& entries = state_.Databases.entries;
    const qsizetype wanted = qsizetype(entries.size());
    while (reusable.size() > wanted)
        surplus.append(reusable.takeLast());
    // Removed items may still be delivering the click that led here: free them later.
    for (QAction* item : std::as_const(surplus)) {
        menu_.removeAction(item);
        if (item->parent() == &menu_)
            item->deleteLater();
    }

    items_.clear();
    items_.reserve(wanted);
    for (qsizetype i = 0; i < wanted; ++i) {
        const QString& caption = entries[size_t(i)].name;
        if (i < reusable.size()) {
            QAction* item = reusable[i];
            if (ItemName(item) != caption) {
                item->setText(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")));
                item->setData(caption);
            }
            item->setChecked(false);
            items_.append(item);
        } else {
            items_.append(addMenuItem(caption));
        }
    }
}

bool DatabaseRegistry::onlyWhatTheLoadMade() const
{
    return !refreshLoads_ && state_.Databases.count() == loadedCount_ + (placeholder_ ? 1 : 0)
           && menu_.actions() == items_;
}

void DatabaseRegistry::dropPlaceholder()
{
    if (!placeholder_)
        return;
    auto& entries = state_.Databases.entries;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->object.get() == placeholder_) {
            entries.erase(it);
            break;
        }
    }
    placeholder_ = nullptr;
    // Its item is the one appended after the load's.
    if (items_.size() > loadedCount_) {
        QAction* item = items_.takeLast();
        menu_.removeAction(item);
        item->deleteLater();
    }
}

TDataBaseObj* DatabaseRegistry::FindCurrentDatabase(const QString& DBType)
{
    state_.CurrentDatabase = nullptr;
    const QString source = state_.CurrentDataSource.toUpper();
    const QString type = DBType.toUpper();
    for (const auto& entry : state_.Databases.entries) {
        if (entry.object->DataSource.toUpper() == source && entry.object->DBType.toUpper() == type) {
            state_.CurrentDatabase = entry.object.get();
            break;
        }
    }

    if (!state_.CurrentDatabase) {
        auto placeholder = std::make_unique<TDataBaseObj>();
        placeholder->DBDesc = QStringLiteral("UNKNOWN ") + placeholder->DBType + QStringLiteral(" (") + source
                              + QStringLiteral(")");
        const QString name = placeholder->DBDesc;
        const int before = state_.Databases.count();
        state_.CurrentDatabase = state_.Databases.add(name, std::move(placeholder));
        // A second placeholder since the load, or one that took a configured database's place,
        // cannot simply be dropped again: the next refresh loads the list afresh.
        if (placeholder_ || state_.Databases.count() == before)
            refreshLoads_ = true;
        else
            placeholder_ = state_.CurrentDatabase;
        items_.append(addMenuItem(name));
    }

    for (QAction* item : menu_.actions())
        item->setChecked(ItemName(item) == state_.CurrentDatabase->DBDesc);
    return state_.CurrentDatabase;
}

TDataBaseObj* DatabaseRegistry::FindDatabaseObj(const QString& DisplayName) const
{
    const int index = state_.Databases.indexOf(DisplayName);
    return index < 0 ? nullptr : state_.Databases.entries[index].object.get();
}

QString DatabaseRegistry::ItemName(const QAction* item)
{
    const QVariant name = item->data();
    if (name.metaType().id() == QMetaType::QString)
        return name.toString();
    QString text = item->text();
    return text.replace(QStringLiteral("&&"), QStringLiteral("&"));
}

QAction* DatabaseRegistry::addMenuItem(const QString& caption)
{
    auto* item = new QAction(QString(caption).replace(QLatin1Char('&'), QStringLiteral("&&")), &menu_);
    item->setData(caption);
    item->setCheckable(true);
    menu_.addAction(item);
    if (bindItem_)
        bindItem_(item);
    return item;
}
