#pragma once
// Data kept beside widgets, each entry dropped when its widget is destroyed. A dynamic property
// holds such data too, but Qt finds one only after searching the class's own properties, which
// showed in every command of the record page.
#include <QHash>
#include <QObject>

template <class T>
class PerWidget {
public:
    // The entry of w; a new one is T() and goes with w.
    T& operator[](const QObject* w)
    {
        auto at = entries_.find(w);
        if (at == entries_.end()) {
            at = entries_.insert(w, T());
            QObject::connect(w, &QObject::destroyed, [this, w] { entries_.remove(w); });
        }
        return *at;
    }

    // The entry of w, or null when it has none.
    T* find(const QObject* w)
    {
        const auto at = entries_.find(w);
        return at == entries_.end() ? nullptr : &*at;
    }
    const T* find(const QObject* w) const
    {
        const auto at = entries_.constFind(w);
        return at == entries_.cend() ? nullptr : &*at;
    }

private:
    QHash<const QObject*, T> entries_;
};
