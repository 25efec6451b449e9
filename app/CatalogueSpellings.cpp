#include "app/CatalogueSpellings.h"

#include <QHash>
#include <QSet>

namespace {

// Lower-case name to the catalogue's spelling, and the spellings themselves: a name given as the
// catalogue spells it is written so even where two names differ only in case.
struct Spellings {
    QHash<QString, QString> byLower;
    QSet<QString> exact;

    void replace(const QStringList& names)
    {
        byLower.clear();
        exact.clear();
        for (const QString& name : names) {
            byLower.insert(name.toLower(), name);
            exact.insert(name);
        }
    }
    QString of(const QString& name) const
    {
        if (exact.contains(name))
            return name;
        return byLower.value(name.toLower(), name);
    }
};

Spellings& tableSpellings()
{
    static Spellings spellings;
    return spellings;
}

Spellings& columnSpellings()
{
    static Spellings spellings;
    return spellings;
}

} // namespace

void RememberTableSpellings(const QStringList& tables) { tableSpellings().replace(tables); }

void RememberColumnSpellings(const QStringList& columns) { columnSpellings().replace(columns); }

QString TableSpelling(const QString& table) { return tableSpellings().of(table); }

QString ColumnSpelling(const QString& column) { return columnSpellings().of(column); }

bool IsKnownTable(const QString& table)
{
    const Spellings& known = tableSpellings();
    return known.exact.contains(table) || known.byLower.contains(table.toLower());
}
