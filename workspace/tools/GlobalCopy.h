#pragma once
// Copy tables: replaces the rows of chosen tables in one configured database by those of the same
// tables in another, through the program's one connection, which it points at each in turn.
#include "app/MainState.h"
#include "platform/engine/Engine.h"

#include <QByteArray>
#include <QDialog>
#include <QStringList>
#include <memory>
#include <vector>

class DatabaseRegistry;
class QLabel;
class QListWidget;
class QPushButton;
class TBVComboBox;

namespace Ui { class TForm_Copy; }

// What the copy works on: the window's state, its database list and its engine components.
struct CopyEnv {
    MainState& state;
    DatabaseRegistry* registry = nullptr;
    platform::engine::Database* Database = nullptr;
    platform::engine::Table* Table = nullptr;
    platform::engine::Query* Query = nullptr;
};

// A serial key in the first column is left to the target: true when the lower-cased name holds
// "_serial".
bool IsSerialFirstField(const QString& fieldName);
// The literal a value of this field type is copied as; one that reads back the same on either
// side. Binary values are not literals: they go as parameters.
QString CopyLiteral(int fieldType, const QString& value);
bool IsBinaryFieldType(int fieldType);
// CopyLiteral of a fetched value; dates and timestamps straight from their value.
QString CopyFieldLiteral(const platform::engine::Field& field);
// "INSERT INTO " + table + "(" + columns + ") VALUES(", names quoted where needed; the row's
// items joined by "," and ")" complete the statement.
QString CopyInsertPrefix(const QString& table, const QStringList& columns);
QString CopyInsertStatement(const QString& table, const QStringList& columns, const QStringList& items);

// True when CopyLiteral writes a value of this field type as a quoted string.
bool IsCopiedAsText(int fieldType);

// One source row: its items in column order ("null", a literal, or a ":blobN" marker), and the
// bytes of its markers in order. A text value is kept as it is and quoted only once the target is
// connected: how a string literal is written depends on the database that reads it.
struct CopyItem {
    QString text;
    bool quoteForTarget = false;
};
struct CopyRow {
    std::vector<CopyItem> items;
    std::vector<QByteArray> blobs;
    // The items joined by ",", each text quoted for the database connected now.
    QString values() const;
};

class TForm_Copy : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Copy(CopyEnv env, QWidget* parent = nullptr);
    ~TForm_Copy() override;

    TBVComboBox* BVComboBox_From = nullptr;
    TBVComboBox* BVComboBox_To = nullptr;
    QPushButton* BitBtn_LoadTables = nullptr;
    QLabel* Label_table = nullptr;
    QLabel* Label_Database = nullptr;
    QLabel* Panel_Status = nullptr;
    QListWidget* ListBox_TableName = nullptr;
    QPushButton* BitBtn_OK = nullptr;
    QPushButton* BitBtn_Cancel = nullptr;
    platform::engine::Query Query_SQL;

    const DatabaseList* DatabaseEntries = nullptr;  // not owned
    TDataBaseObj* ConnectedDatabase = nullptr;      // not owned
    TDataBaseObj* InitialDatabase = nullptr;        // not owned

    // Points the program's connection at Db, by Db's own login when it has one; false when its
    // set-up failed (the connection is made again all the same). A failure to connect throws.
    bool ConnectDatabase(TDataBaseObj* Db);
    void LoadTableList();
    // ConnectDatabase, true only when the connection then reaches Db's data source.
    bool PointAt(TDataBaseObj* Db);

public slots:
    void BVCombobox_FromChange(QObject* Sender);
    void ListBox_TableNameClick();
    void BitBtn_LoadTablesClick();
    void BitBtn_OKClick();
    void BitBtn_CancelClick();

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;  // runs FormClose

private:
    void FormShow();
    void FormClose();
    bool databasesDiffer() const;
    // Copies one table in one transaction on the target; true when it was copied. A table whose
    // databases cannot be reached, whose DELETE or commit fails, is reported and keeps its old
    // rows. Throws, the table keeping its old rows, when the connection is lost, the target's disk
    // is full or cannot be written, or the source cannot be read: that ends the copy.
    bool copyTable(const QString& T);
    // The one message that ends a copy: why (head, then the error's text), and which tables were
    // copied and which kept their old rows.
    void reportCopyEnded(const QString& T, const QString& head, const QString& error,
                         const QStringList& copied, const QStringList& selected);
    void setStatus(const QString& text);

    std::unique_ptr<Ui::TForm_Copy> ui;
    CopyEnv env_;
    QStringList initialLogin_;  // the connection's login when the window was shown
};

// File > Reload Selected Tables: the copy window, modal, released when it closes.
void MenuItem_LoadSelectedTablesClick(CopyEnv env, QWidget* parent);
