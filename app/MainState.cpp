#include "app/MainState.h"

#include "platform/registry/Registry.h"

#include <algorithm>

namespace {
bool nameLess(const DatabaseList::Entry& entry, const QString& name)
{
    return QString::compare(entry.name, name, Qt::CaseInsensitive) < 0;
}
} // namespace

int DatabaseList::indexOf(const QString& name) const
{
    auto it = std::lower_bound(entries.begin(), entries.end(), name, nameLess);
    if (it == entries.end() || QString::compare(it->name, name, Qt::CaseInsensitive) != 0)
        return -1;
    return static_cast<int>(it - entries.begin());
}

TDataBaseObj* DatabaseList::add(const QString& name, std::unique_ptr<TDataBaseObj> object)
{
    auto it = std::lower_bound(entries.begin(), entries.end(), name, nameLess);
    if (it != entries.end() && QString::compare(it->name, name, Qt::CaseInsensitive) == 0) {
        it->object = std::move(object);
        return it->object.get();
    }
    it = entries.insert(it, Entry{name, std::move(object)});
    return it->object.get();
}

void DatabaseList::assign(std::vector<Entry> inOrder)
{
    // Stable, so names equal but for case stay in the order they came.
    std::stable_sort(inOrder.begin(), inOrder.end(), [](const Entry& a, const Entry& b) {
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    });
    entries.clear();
    entries.reserve(inOrder.size());
    for (Entry& entry : inOrder) {
        if (!entries.empty() && QString::compare(entries.back().name, entry.name, Qt::CaseInsensitive) == 0)
            entries.back().object = std::move(entry.object);
        else
            entries.push_back(std::move(entry));
    }
}

MainState::MainState() = default;
MainState::~MainState() = default;
