#include "app/DatabaseRegistry.h"

#include "platform/ado/Ado.h"
#include "platform/ini/IniFile.h"

#include <QAction>
#include <QMenu>

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

void DatabaseRegistry::LoadDatabases()
{
    // The objects go now; nothing may keep pointing at the old current one.
    state_.CurrentDatabase = nullptr;
    state_.Databases.clear();

    const platform::IniFile ini(QStringLiteral("Quorvel.ini"));
    const QString section = QStringLiteral("DATABASES");
    for (const auto& [key, value] : ini.readSectionPairs(section)) {
        auto obj = ParseDatabaseValue(value);
        const QString name = obj->DBDesc;
        state_.Databases.add(name, std::move(obj));
    }

    // Removed items may still be delivering the click that led here: free them later.
    for (QAction* item : menu_.actions()) {
        menu_.removeAction(item);
        if (item->parent() == &menu_)
            item->deleteLater();
    }
    for (const auto& entry : state_.Databases.entries)
        addMenuItem(entry.name);
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
        state_.CurrentDatabase = state_.Databases.add(name, std::move(placeholder));
        addMenuItem(name);
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
