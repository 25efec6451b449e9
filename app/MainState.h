#pragma once
// The shared state of the main window: one plain struct, owned by the window and handed by
// reference to the units that read or change it.
#include "app/DataBaseObj.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

class TFieldObject;
class RecordFetch;
class QLineEdit;
class QPlainTextEdit;
namespace platform { class Registry; }

// A sorted list of display names, compared without regard to case, each owning its object.
struct DatabaseList {
    struct Entry {
        QString name;
        std::unique_ptr<TDataBaseObj> object;
    };
    std::vector<Entry> entries;  // kept sorted by name, case-insensitively

    int indexOf(const QString& name) const;
    // Adds under name; an existing name (any case) keeps its text and takes the new object.
    TDataBaseObj* add(const QString& name, std::unique_ptr<TDataBaseObj> object);
    // The same as adding each entry in turn, sorted once: of names that differ only in case the
    // first one's text stays, holding the last one's object.
    void assign(std::vector<Entry> inOrder);
    void clear() { entries.clear(); }
    int count() const { return static_cast<int>(entries.size()); }
};

struct MainState {
    QStringList FieldSizes;
    QStringList RecordKeys;
    QStringList StatementLines;
    QStringList SerialFields;    // "TABLE=FIELD", upper case
    QStringList UniqueFields;
    QStringList NoUpdateFields;
    int RecordIndex = -1;
    bool InAddMode = false;
    bool InUpdateMode = false;
    bool InQueryMode = false;
    bool UseSynonyms = true;
    bool AlterRegInfo = false;
    bool InMultiInsert = false;
    bool AbortListing = false;
    bool ContinueQuery = false;
    bool WherePresent = false;
    bool ReplaceMatchFound = false;
    QString AsciiHeader;
    QString LastSqlFile;
    QString KeyColumn;
    QString UniqueColumn;
    QString ImportTable;
    QString OracleHome;
    QString OracleHomeName;
    QString AsciiLine;
    QString MultiInsertTable;
    int MemoHeight = 230;
    std::unique_ptr<platform::Registry> RegistryIni;
    QLineEdit* KeyControl = nullptr;      // not owned
    QLineEdit* UniqueControl = nullptr;   // not owned
    QString AppendedSql;
    QString OrderBy;
    bool UseSortOrder = false;
    bool AddRowId = false;
    bool RecordShown = false;             // the page holds a record fetched from the table
    QStringList TableNames;               // sorted, case-insensitive, no duplicates
    DatabaseList Databases;               // DatabaseList of the window
    QString CurrentTable;
    TDataBaseObj* CurrentDatabase = nullptr;  // an entry of Databases
    QPlainTextEdit* FindReplaceTarget = nullptr;
    // The login given in the data-source window at start-up, filled into the current database.
    QString LoginUserName;
    QString LoginPassword;

    // Unit-level state of the main window's unit.
    QString CurrentDataSource;
    // Lower-case column name to its column; shared_ptr so the column type can live in workspace/.
    std::vector<std::pair<QString, std::shared_ptr<TFieldObject>>> ColumnList;
    // The statement the page's records are fetched by, prepared once per table and page; made by
    // the record display, dropped when the page is built or freed.
    std::shared_ptr<RecordFetch> PreparedRecordFetch;
    QString CopyrightYearsText;
    QString CompanyAddressText;
    QString CompanyCityStateZipText;

    MainState();
    ~MainState();
};
