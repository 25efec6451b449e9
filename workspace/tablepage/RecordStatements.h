#pragma once
// What the Table page's INSERT, UPDATE and DELETE share: the literal each edit writes, the
// condition that finds a written value again, the key of a record, the long text and pictures a
// statement carries, and the runner that reports a failing statement or one that met other rows
// than the record's.
#include <QList>
#include <QString>
#include <QStringList>

struct MainState;
class QWidget;
class TBVImage;
class TBVMaskEdit;
class TBVMemo;
namespace platform::engine { class Database; class Query; }

// How the records of the current table are told apart.
enum class KeyKind { Serial, Unique, Clause };

// The key of one record: Name is the bare column ("rowid" included), Value the stored key text
// (the serial or unique value, or the whole "WHERE ..." clause for KeyKind::Clause).
struct RecordKey {
    KeyKind kind = KeyKind::Clause;
    QString name;
    QString value;
};

// The kind the page keys its records by: the key column, else the unique column, else a clause.
KeyKind PageKeyKind(const MainState& state);
// The column the page's key is kept in, as the page names it (a configured unique column is
// named in upper case; its control carries the table's own name). Empty for KeyKind::Clause.
QString PageKeyColumn(const MainState& state);
// The key of the record shown, as stored in RecordKeys at RecordIndex (before any editing).
RecordKey ShownRecordKey(const MainState& state);

// The literal of a key value: bare when the key column is numeric, quoted when it holds text;
// the row identifier quoted on ORACLE.
QString KeyLiteral(const MainState& state, const QString& keyName, const QString& value);
// "WHERE " + the key's column = its literal; for KeyKind::Clause the stored clause itself.
QString KeyCondition(const MainState& state, const RecordKey& key);

// The literal an edit's value is written with, by its field type: "null" when marked null;
// booleans as '0' or '1' (taken by every database, PostgreSQL's boolean too); numbers through
// their fallbacks, a negative zero quoted (bare, it is the integer 0 negated, which has no sign);
// dates and date-times as escape literals (a text that does not convert as its fallback); text
// quoted. A type outside these gives its text quoted, or null when empty.
QString EditLiteral(const TBVMaskEdit* edit);
// The condition that finds the value written with Literal again: "IS NULL" for null, an empty
// text also as NULL (some databases store '' so), a number of a float column quoted, else
// name=literal.
QString MatchCondition(const TBVMaskEdit* edit, const QString& Literal);

bool IsNullMarker(const QString& marker);

// Runs the data-changing statement in Query. On failure shows "An error occured ..." with the
// database's message and the statement, and returns false. Kind: "A" add, "D" delete, "U" update.
bool ExecuteDml(platform::engine::Query& Query, const QString& Table, const QString& Kind);
// ExecuteDml that gives the text of its failure instead of showing it; empty when it ran.
QString RunDml(platform::engine::Query& Query, const QString& Table, const QString& Kind);
// "An error occured ..." as ExecuteDml shows it, for Message and the statement's Sql.
QString DmlFailureText(const QString& Table, const QString& Kind, const QString& Message, const QString& Sql);

// The long text and pictures of one record, written by the record's own INSERT or UPDATE with its
// other values, each through a parameter of its own (":MemoText", ":MemoText2", ..., ":IMAGE",
// ":IMAGE2", ...): they can land in no row but the one the statement writes.
class LongValues {
public:
    LongValues() = default;
    LongValues(QList<TBVMemo*> Memos, QList<TBVImage*> Pictures);
    bool contains(const QWidget* Control) const;
    // What the statement writes for Control, one of them: its parameter, or null.
    QString term(const QWidget* Control) const;
    // Gives every parameter term() wrote its value. Throws when a picture cannot be encoded.
    void bind(platform::engine::Query& Query) const;

private:
    QList<TBVMemo*> memos_;
    QList<TBVImage*> pictures_;
};

// The column a memo or picture control writes, as the page names it.
QString LongValueColumn(const QWidget* Control);

// RunDml for a record statement that writes Long too. Opens: the statement gives rows (INSERT ...
// RETURNING), and Query is left open on the first.
QString RunRecordStatement(platform::engine::Query& Query, const LongValues& Long, const QString& Table,
                           const QString& Kind, bool Opens = false);

// One record written as a whole: its statement takes effect only when it wrote the rows meant, and
// together with whatever else the write sends; a transaction on the page's connection.
class RecordWrite {
public:
    // Throws the engine's error when the transaction cannot be opened.
    explicit RecordWrite(const QString& DatabaseName);
    ~RecordWrite();  // rolls back what was not committed
    RecordWrite(const RecordWrite&) = delete;
    RecordWrite& operator=(const RecordWrite&) = delete;
    // Makes it all last; the text of the failure when it cannot (then nothing was stored).
    QString commit(const QString& Table, const QString& Kind);
    void rollback();

private:
    platform::engine::Database* database_ = nullptr;
};

// What a record's UPDATE (Kind "U") or DELETE ("D") that met none of its rows tells the user.
QString ChangedByAnotherUser(const QString& Kind);
// The failure of a record statement that met more rows than Meant (reported as the failures of
// RunDml are, with the statement).
QString TooManyRowsFailure(int Affected, int Meant, const QString& Table, const QString& Kind, const QString& Sql);

// Shows Failure, the text of the statement that failed, followed by NothingStored, which tells
// that nothing of the record was written.
void ReportNothingStored(const QString& Failure, const QString& NothingStored);
