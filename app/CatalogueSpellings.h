#pragma once
// The names of the current database's tables and of the open table's columns as the catalogue
// spells them. The program shows and compares names in lower case; a database that tells case
// apart finds a name only in its own spelling, so statements write that one.
#include <QString>
#include <QStringList>

// Each call replaces the earlier list of its kind.
void RememberTableSpellings(const QStringList& tables);
void RememberColumnSpellings(const QStringList& columns);

// The catalogue's spelling of a name given in any case; the name itself when none is known. A
// name given exactly as one of the spellings stays so, even where two names differ only in case.
QString TableSpelling(const QString& table);
QString ColumnSpelling(const QString& column);
bool IsKnownTable(const QString& table);
