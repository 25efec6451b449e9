#include "workspace/LongText.h"

#include "app/DatabaseRegistry.h"
#include "components/BVMemo.h"
#include "components/Utils.h"
#include "platform/ado/Ado.h"
#include "workspace/ColumnList.h"
#include "workspace/RecordDisplay.h"
#include "workspace/TablePage.h"
#include "workspace/ValueChecks.h"

#include <QTextOption>

#include <algorithm>

QString MemoConnectionText(const TablePageEnv& env)
{
    return DatabaseConnectionText(env.state.CurrentDatabase);
}

namespace {

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
    connection.setConnectionString(MemoConnectionText(env));
    connection.setLoginPrompt(false);
    connection.setConnected(true);  // a failure to connect goes to the caller
    platform::ado::AdoQuery query;
    query.setConnection(&connection);

    const MainState& s = env.state;
    const QString clause = (s.RecordIndex >= 0 && s.RecordIndex < s.RecordKeys.size())
                               ? s.RecordKeys.at(s.RecordIndex) : QString();
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
