#include "workspace/LongText.h"

#include "components/BVMemo.h"
#include "components/Utils.h"
#include "platform/ado/Ado.h"
#include "workspace/ColumnList.h"
#include "workspace/RecordDisplay.h"
#include "workspace/TablePage.h"
#include "workspace/ValueChecks.h"

QString MemoConnectionText(const TablePageEnv& env)
{
    const TDataBaseObj* db = env.state.CurrentDatabase;
    if (!db)
        return QStringLiteral("Provider=MSDASQL.1;Password=;User ID=;Data Source=");
    return QStringLiteral("Provider=MSDASQL.1;Password=") + db->Password + QStringLiteral(";")
           + QStringLiteral("User ID=") + db->UserName + QStringLiteral(";Data Source=") + db->DataSource;
}

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
        if (query.eof() || query.fieldCount() == 0) {
            // The record has gone: show it as empty rather than keep another record's text.
            Memo->setPlainText(QString());
            Memo->Hint = QStringLiteral("null");
        } else {
            platform::engine::Field& f = query.fields(0);
            Memo->setPlainText(f.isNull() ? QString() : f.asString());
            Memo->Hint = f.isNull() ? QStringLiteral("null") : Memo->toPlainText();
        }
        // Wrapped afresh for the new text.
        Memo->setLineWrapMode(QPlainTextEdit::NoWrap);
        Memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        Memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    } catch (const platform::engine::EngineError& e) {
        AppMessageDlg(e.message() + QStringLiteral("\r\n") + query.sql().join(QStringLiteral("\r\n")), mtError, mbOK);
        if (env.window)
            env.window->setUpdatesEnabled(true);
    }
    query.close();
    SetNullMarker(env.ui, Memo, Memo->Hint.toLower() == QLatin1String("null"));
}
