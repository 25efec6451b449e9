#include "workspace/tablepage/LongText.h"

#include "app/DatabaseRegistry.h"
#include "components/BVMemo.h"
#include "components/Utils.h"
#include "platform/ado/Ado.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/ShownValues.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"

#include <QTextOption>

#include <algorithm>

QString MemoConnectionText(const TablePageEnv& env)
{
    return DatabaseConnectionText(env.state.CurrentDatabase);
}

namespace {

const char* const kStoredText = "qvStoredText";

// A text as the memo box holds it: each line break (CR LF, CR, LF) one LF.
QString boxLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

// Each memo statement has a connection of its own; a failure to connect goes to the caller.
void connectMemoQuery(const TablePageEnv& env, platform::ado::AdoConnection& connection,
                      platform::ado::AdoQuery& query)
{
    connection.setConnectionString(MemoConnectionText(env));
    connection.setLoginPrompt(false);
    connection.setConnected(true);
    query.setConnection(&connection);
}

// The entry of RecordKeys at RecordIndex: the clause that selects a record without a key.
QString shownRecordClause(const MainState& s)
{
    return (s.RecordIndex >= 0 && s.RecordIndex < s.RecordKeys.size()) ? s.RecordKeys.at(s.RecordIndex) : QString();
}

// Longest run of characters without a blank or line break in text.
qsizetype longestWord(const QString& text)
{
    qsizetype longest = 0, run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

// Puts text into the memo with one layout. Wrapped at word ends, a word far wider than the memo
// costs time that grows with the square of its length (a 1 MiB word takes most of a minute), so
// such a text wraps anywhere instead. The wrap changes only while the memo is empty: changing it
// relays out whatever the memo holds.
void showMemoText(TBVMemo* memo, const QString& text)
{
    constexpr qsizetype kLongestWrappedWord = 2000;
    const QTextOption::WrapMode wrap = longestWord(text) > kLongestWrappedWord ? QTextOption::WrapAnywhere
                                                                               : QTextOption::WrapAtWordBoundaryOrAnywhere;
    if (memo->lineWrapMode() != QPlainTextEdit::WidgetWidth || memo->wordWrapMode() != wrap) {
        memo->clear();
        memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        memo->setWordWrapMode(wrap);
    }
    memo->setPlainText(text);
}

} // namespace

QString MemoSelectStatement(const QString& Table, const QString& FieldName, const QString& KeyName,
                            const QString& KeyValue, const QString& StoredClause)
{
    if (KeyName.isEmpty())
        return QStringLiteral("SELECT ") + FieldName + QStringLiteral(" FROM ") + QuoteTableName(Table) + QLatin1Char(' ')
               + StoredClause;
    QString name = KeyName;
    QString value = KeyValue;
    if (name == QLatin1String("rowid")) {
        name = QStringLiteral("ROWID");
        value = SqlLiteral(1, value);
    }
    return QStringLiteral("SELECT ") + FieldName + QStringLiteral(" FROM ") + QuoteTableName(Table) + QStringLiteral(" WHERE ")
           + name + QStringLiteral(" = ") + value;
}

void LoadMemoText(TablePageEnv& env, TBVMemo* Memo, const QString& Table, const QString& FieldName,
                  const QString& KeyName, const QString& KeyValue)
{
    if (!Memo)
        return;
    if (Table.toLower() == QLatin1String("activity_action_note") && FieldName.toLower() != QLatin1String("note"))
        return;

    platform::ado::AdoConnection connection;
    platform::ado::AdoQuery query;
    connectMemoQuery(env, connection, query);

    const MainState& s = env.state;
    const QString clause = shownRecordClause(s);
    query.sql().clear();
    query.sql() << MemoSelectStatement(Table, FieldName, KeyName, KeyValue, clause);
    try {
        query.open();
        // Wrapped to the memo's width before the text goes in, so that the text is laid out once:
        // switching the wrap after a long text costs a second layout of all of it.
        if (query.eof() || query.fieldCount() == 0) {
            // The record has gone: show it as empty rather than keep another record's text.
            showMemoText(Memo, QString());
            Memo->Hint = QStringLiteral("null");
        } else {
            platform::engine::Field& f = query.fields(0);
            showMemoText(Memo, f.isNull() ? QString() : f.asString());
            Memo->Hint = f.isNull() ? QStringLiteral("null") : Memo->toPlainText();
            // The box turns every line break into one kind; the stored text is kept to be
            // written back as it was while the user leaves it alone.
            Memo->setProperty(kStoredText, f.isNull() ? QString() : f.asString());
        }
        Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    } catch (const platform::engine::EngineError& e) {
        AppMessageDlg(e.message() + QStringLiteral("\r\n") + query.sql().join(QStringLiteral("\r\n")), mtError, mbOK);
        if (env.window)
            env.window->setUpdatesEnabled(true);
    }
    query.close();
    SetNullMarker(env.ui, Memo, Memo->Hint.toLower() == QLatin1String("null"));
}

QString MemoUpdateStatement(const QString& Table, const QString& FieldName, const QString& KeyName,
                            const QString& KeyValue, const QString& StoredClause, const QString& DBType)
{
    const QString head = QStringLiteral("UPDATE ") + QuoteTableName(Table) + QStringLiteral(" SET ") + FieldName
                         + QStringLiteral(" = :MemoText ");
    if (KeyName.isEmpty())
        return head + StoredClause;
    QString value = KeyValue;
    if (KeyName == QLatin1String("rowid") && DBType == QLatin1String("ORACLE"))
        value = SqlLiteral(1, value);
    return head + QStringLiteral("WHERE ") + QuoteIfBlank(KeyName) + QStringLiteral(" = ") + value;
}

bool MemoWritesNull(const TBVMemo* Memo)
{
    // A memo that holds text is no null, whatever brought the text in (a paste with the mouse).
    return Memo && Memo->Hint.toLower() == QLatin1String("null") && Memo->toPlainText().isEmpty();
}

QString MemoTextToStore(const TBVMemo* Memo)
{
    if (!Memo)
        return {};
    const QString text = Memo->toPlainText();
    const QVariant stored = Memo->property(kStoredText);
    if (stored.isValid() && boxLineBreaks(stored.toString()) == text)
        return stored.toString();
    return text;
}

QString StoreMemoText(TablePageEnv& env, TBVMemo* Memo, const QString& Table, const QString& FieldName,
                      const QString& KeyName, const QString& KeyValue)
{
    if (!Memo)
        return QStringLiteral("An error occurred when updating a memo field.");
    // On the record's own connection, so that it is written in the record's transaction.
    platform::engine::Query query;
    query.setDatabaseName(env.databaseName);

    const MainState& s = env.state;
    const QString clause = shownRecordClause(s);
    const QString dbType = s.CurrentDatabase ? s.CurrentDatabase->DBType : QString();
    query.sql() << MemoUpdateStatement(Table, FieldName, KeyName, KeyValue, clause, dbType);

    QString failure;
    try {
        platform::engine::Param& p = query.paramByName(QStringLiteral("MemoText"));
        if (MemoWritesNull(Memo))
            p.clear();
        else
            p.setMemo(MemoTextToStore(Memo));
        query.execSQL();
    } catch (const platform::engine::EngineError& e) {
        failure = QStringLiteral("An error occurred when updating a memo field.\r\n") + e.message()
                  + QStringLiteral("\r\n") + query.sql().join(QStringLiteral("\r\n"));
    }
    query.close();
    SetNullMarker(env.ui, Memo, MemoWritesNull(Memo));
    return failure;
}

bool SaveMemoText(TablePageEnv& env, TBVMemo* Memo, const QString& Table, const QString& FieldName,
                  const QString& KeyName, const QString& KeyValue)
{
    const QString failure = StoreMemoText(env, Memo, Table, FieldName, KeyName, KeyValue);
    if (!failure.isEmpty())
        AppMessageDlg(failure, mtError, mbOK);
    return failure.isEmpty();
}

QList<TBVMemo*> MemosToStore(const QList<QWidget*>& Controls, const QString& SkipField, bool ChangedOnly)
{
    QList<TBVMemo*> memos;
    for (QWidget* w : Controls) {
        auto* memo = qobject_cast<TBVMemo*>(w);
        if (!memo || (!SkipField.isEmpty() && memo->FieldName.toUpper() == SkipField))
            continue;
        if (!ChangedOnly || ChangedByUser(memo))
            memos << memo;
    }
    return memos;
}
