#pragma once
// Found records written as delimited text into the results box, and delimited text read back
// from the results box (or a file) as one INSERT per line.
#include <QString>
#include <QStringList>
#include <optional>

class QObject;
class TForm_Main;

// The items of one line, split at "|" outside quoted text ('...' with '' inside, "..." with ""
// inside); one "|" after the last item is allowed. nullopt when a quote is left open.
std::optional<QStringList> SplitDelimitedLine(const QString& line);
// A value the import may write: a number, quoted text, null, or a {d '...'} / {ts '...'} /
// {t '...'} escape whose quoted part is plain text.
bool IsValueLiteral(const QString& item);
// The column name an item of the first line stands for: a plain name, or one in double quotes
// ("" inside); nullopt for anything else.
std::optional<QString> ColumnNameOfItem(const QString& item);

// The statement that inserts one row: names through QuoteIfBlank, the table through QuoteTableName.
QString DelimitedInsertStatement(const QString& table, const QStringList& columnNames, const QStringList& values);

// The text of a line as the import reads it: the column list (names) or a row (values), or the
// reason it cannot be used.
struct DelimitedLine {
    QStringList items;
    QString error;  // empty when items can be used
};
DelimitedLine ReadColumnLine(const QString& line);
DelimitedLine ReadValueLine(const QString& line);

// The File menu commands.
void MenuItem_CreateDBASCIIClick(TForm_Main& form);
void MenuItem_FromScreenClick(TForm_Main& form);
void MenuItem_FromFileClick(TForm_Main& form);
// The same rows into several configured databases in turn, through the database switch, and back
// to the database it started on. Sender Using ASCII From File loads a file first.
void MenuItem_MultiFromScreenClick(TForm_Main& form, QObject* Sender);
