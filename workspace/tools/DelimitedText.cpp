#include "workspace/tools/DelimitedText.h"

#include "app/MainState.h"
#include "app/SelectDB.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/MainWindow.h"
#include "workspace/ResultsBox.h"
#include "workspace/PageControl.h"
#include "workspace/tablepage/RecordText.h"
#include "workspace/tablepage/RecordWalk.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/sqlpage/StatementCheck.h"
#include "workspace/tools/TableName.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/ValueChecks.h"
#include "workspace/sqlpage/TextEditor.h"

#include "ui_Main.h"

#include <QPlainTextEdit>
#include <QRegularExpression>

#include <utility>
#include <algorithm>
#include <functional>
#include <stdexcept>

namespace {

QStringList boxLines(const QPlainTextEdit& box)
{
    if (box.document()->isEmpty())
        return {};
    return box.toPlainText().split(QLatin1Char('\n'));
}

} // namespace

std::optional<QStringList> SplitDelimitedLine(const QString& line)
{
    QStringList items;
    QString item;
    QChar quote;  // the quote that is open, else null
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (!quote.isNull()) {
            item += c;
            if (c == quote) {
                if (i + 1 < line.size() && line[i + 1] == quote)
                    item += line[++i];  // a doubled quote stays inside
                else
                    quote = QChar();
            }
        } else if (c == QLatin1Char('|')) {
            items << item;
            item.clear();
        } else {
            if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
                quote = c;
            item += c;
        }
    }
    if (!quote.isNull())
        return std::nullopt;
    // The "|" that closes the last item leaves one empty item behind; only that one is dropped.
    if (!item.isEmpty() || line.isEmpty() || !line.endsWith(QLatin1Char('|')))
        items << item;
    return items;
}

namespace {

// [+-]digits[.digits][e[+-]digits], or with the digits only after the point.
bool isNumber(QStringView t)
{
    qsizetype i = 0;
    const qsizetype n = t.size();
    auto digits = [&] {
        const qsizetype from = i;
        while (i < n && t[i].isDigit() && t[i].unicode() < 128)
            ++i;
        return i - from;
    };
    if (i < n && (t[i] == u'+' || t[i] == u'-'))
        ++i;
    qsizetype mantissa = digits();
    if (i < n && t[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0)
        return false;
    if (i < n && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < n && (t[i] == u'+' || t[i] == u'-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == n;
}

// '...' with no lone quote inside.
bool isQuotedText(QStringView t)
{
    if (t.size() < 2 || t.front() != u'\'' || t.back() != u'\'')
        return false;
    for (qsizetype i = 1; i < t.size() - 1; ++i) {
        if (t[i] != u'\'')
            continue;
        if (i + 1 >= t.size() - 1 || t[i + 1] != u'\'')
            return false;
        ++i;
    }
    return true;
}

} // namespace

bool IsValueLiteral(const QString& item)
{
    const QStringView t = QStringView(item).trimmed();
    if (t.isEmpty())
        return false;
    if (t.front() == u'\'')
        return isQuotedText(t);
    if (t.front() == u'{') {
        static const QRegularExpression escape(QStringLiteral("^\\{\\s*(?:d|ts|t)\\s*'[0-9 :.\\-]*'\\s*\\}$"),
                                               QRegularExpression::CaseInsensitiveOption);
        return escape.match(t.toString()).hasMatch();
    }
    return t.compare(u"null", Qt::CaseInsensitive) == 0 || isNumber(t);
}

std::optional<QString> ColumnNameOfItem(const QString& item)
{
    static const QRegularExpression bare(QStringLiteral("^[\\p{L}_][\\p{L}\\p{N}_$#]*$"));
    static const QRegularExpression quoted(QStringLiteral("^\"((?:[^\"]|\"\")+)\"$"));
    const QString text = item.trimmed();
    if (bare.match(text).hasMatch())
        return text;
    const QRegularExpressionMatch m = quoted.match(text);
    if (m.hasMatch())
        return m.captured(1).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return std::nullopt;
}

QString DelimitedInsertStatement(const QString& table, const QStringList& columnNames, const QStringList& values)
{
    return QStringLiteral("INSERT INTO ") + QuoteTableName(table) + QLatin1Char('(') + columnNames.join(QLatin1Char(','))
           + QStringLiteral(") VALUES(") + values.join(QLatin1Char(',')) + QLatin1Char(')');
}

namespace {

// The items of a line, each turned into what the statement writes, or the error when one item
// (or the line itself) cannot be used.
DelimitedLine readLine(const QString& line, const std::function<std::optional<QString>(const QString&)>& itemText,
                       const QString& error)
{
    DelimitedLine result;
    const std::optional<QStringList> items = SplitDelimitedLine(line);
    if (items && !items->isEmpty()) {
        for (const QString& item : *items) {
            const std::optional<QString> text = itemText(item);
            if (!text) {
                result.items.clear();
                break;
            }
            result.items << *text;
        }
    }
    if (result.items.isEmpty())
        result.error = error + line;
    return result;
}

} // namespace

DelimitedLine ReadColumnLine(const QString& line)
{
    return readLine(
        line,
        [](const QString& item) -> std::optional<QString> {
            const std::optional<QString> name = ColumnNameOfItem(item);
            if (!name)
                return std::nullopt;
            // A name the line quotes stays quoted as it stands; a plain one goes the usual way.
            const QString text = item.trimmed();
            return text.startsWith(QLatin1Char('"')) ? text : QuoteIfBlank(*name);
        },
        QStringLiteral("The first line is not a list of column names, so no row was inserted:\r\n"));
}

DelimitedLine ReadValueLine(const QString& line)
{
    return readLine(
        line,
        [](const QString& item) -> std::optional<QString> {
            if (!IsValueLiteral(item))
                return std::nullopt;
            const QString text = item.trimmed();
            if (!text.startsWith(QLatin1Char('\'')))
                return text;
            // The line quotes text one way for every database; the statement quotes it as the
            // connected one reads it (a backslash is an escape on some).
            return SqlLiteral(platform::engine::ftString, text.mid(1, text.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")));
        },
        // Short lines: the message window shows them without scrolling sideways.
        QStringLiteral("This line was not inserted: it is not a list of values\r\n"
                       "(numbers, quoted text, null, {d '...'}, {ts '...'}):\r\n"));
}

void MenuItem_CreateDBASCIIClick(TForm_Main& form)
{
    MainState& s = form.state();
    Ui::TForm_Main& ui = form.ui();
    s.AsciiHeader.clear();

    // The lines reach the box together, also when the command ends early; the header is the
    // first line whatever record it was built from. The box's document takes them on a thread of
    // its own while the next records are read, a few thousand lines at a time.
    struct Lines {
        TForm_Main& form;
        results_box::BackgroundText text{*form.ui().Memo_Results};
        QString pending;
        int pendingLines = 0;
        bool headed = false;

        void add(const QStringList& lines)
        {
            for (const QString& line : lines) {
                pending += QLatin1Char('\n');
                pending += line;
            }
            pendingLines += int(lines.size());
            if (pendingLines >= 2048)
                send();
        }
        void send()
        {
            if (!headed)
                pending.prepend(form.state().AsciiHeader);
            headed = true;
            text.add(std::exchange(pending, QString()));
            pendingLines = 0;
        }
        ~Lines()
        {
            send();
            text.finish();
            ShowCaretPosition(form);
        }
    };
    std::optional<FoundRecordsRead> read;
    {
        Lines lines{form};
        TablePageEnv env = form.tablePageEnv();
        try {
            // The rows come in batches of keys; each line is the one the record display makes.
            RecordTexts texts(ui, s);
            read = ReadFoundRecords(
                env, texts,
                [&](platform::engine::DataSet& row) -> std::optional<QStringList> {
                    if (s.AsciiHeader.isEmpty())
                        s.AsciiHeader = texts.header();
                    return QStringList{texts.asciiLine(row)};
                },
                [&](int, const QStringList& record) { lines.add(record); });
            ShowLastFoundRecord(env, *read);
        } catch (const std::exception& error) {
            AppMessageDlg(QStringLiteral("Query List too large!  ") + QString::fromUtf8(error.what()), mtError, mbOK);
            return;
        }
    }
    ShowCommandLinePage(form, true);
    // A record that could not be read is named, never left out without a word.
    ReportUnreadRecords(read->unread, int(s.RecordKeys.size()), QStringLiteral("written"));
}

void MenuItem_FromScreenClick(TForm_Main& form)
{
    MainState& s = form.state();
    Ui::TForm_Main& ui = form.ui();
    ShowCommandLinePage(form, false);

    if (!s.InMultiInsert)
        s.ImportTable = AskTableName(s.CurrentTable, &form).value_or(QString());
    else
        s.ImportTable = s.MultiInsertTable;
    if (s.ImportTable.isEmpty())
        return;

    const QStringList lines = boxLines(*ui.Memo_Results);
    int inserted = 0;
    if (lines.size() > 1) {
        const DelimitedLine columns = ReadColumnLine(lines.first());
        if (!columns.error.isEmpty()) {
            AppMessageDlg(columns.error, mtError, mbOK);
            return;
        }
        platform::engine::Database* database = platform::engine::Session::instance().findDatabase(form.Query.databaseName());
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const DelimitedLine row = ReadValueLine(lines[i]);
            if (!row.error.isEmpty()) {
                AppMessageDlg(QStringLiteral("Line %1: ").arg(i + 1) + row.error, mtError, mbOK);
                continue;
            }
            const QString insert = DelimitedInsertStatement(s.ImportTable, columns.items, row.items);
            // A value the line quotes is checked as quotes, not as the database reads them: where
            // a backslash escapes, 'a\' runs on into the next value and could end the INSERT.
            if (database && CountStatements(insert, *database) != StatementCount::One) {
                AppMessageDlg(QStringLiteral("Line %1: This line was not inserted: as this database reads its quotes,\r\n"
                                             "the INSERT made of it would be more than one statement:\r\n")
                                      .arg(i + 1)
                                  + lines[i],
                              mtError, mbOK);
                continue;
            }
            form.Query.sql().clear();
            form.Query.sql() << insert;
            try {
                form.Query.execSQL();
                ++inserted;
            } catch (const platform::engine::EngineError& error) {
                AppMessageDlg(error.message() + QStringLiteral("\r\n") + form.Query.sql().join(QStringLiteral("\r\n")),
                              mtError, mbOK);
            }
        }
    }
    if (!s.InMultiInsert)
        AppMessageDlg(QString::number(inserted) + QStringLiteral(" row(s) inserted."), mtInformation, mbOK);
}

void MenuItem_FromFileClick(TForm_Main& form)
{
    MainState& s = form.state();
    const QString fileName = platform::modal::openFileName(&form, QString(), s.LastSqlFile, kOpenFilter);
    if (fileName.isEmpty())
        return;
    s.LastSqlFile = fileName;
    try {
        results_box::SetText(*form.ui().Memo_Results, LoadLines(fileName).join(QLatin1Char('\n')));
    } catch (const std::runtime_error& error) {
        AppMessageDlg(QString::fromUtf8(error.what()), mtError, mbOK);
        return;
    }
    MenuItem_FromScreenClick(form);
}

namespace {

QString displayNameOf(const MainState& s, const TDataBaseObj* database)
{
    for (const DatabaseList::Entry& entry : s.Databases.entries)
        if (entry.object.get() == database)
            return entry.name;
    return database ? database->DBDesc : QString();
}

} // namespace

void MenuItem_MultiFromScreenClick(TForm_Main& form, QObject* Sender)
{
    MainState& s = form.state();
    Ui::TForm_Main& ui = form.ui();
    if (Sender == ui.MenuItem_MultiFromFile) {
        const QString fileName = platform::modal::openFileName(&form, QString(), QString(), kOpenFilter);
        if (fileName.isEmpty())
            return;
        try {
            results_box::SetText(*ui.Memo_Results, LoadLines(fileName).join(QLatin1Char('\n')));
        } catch (const std::runtime_error& error) {
            AppMessageDlg(QString::fromUtf8(error.what()), mtError, mbOK);
            return;
        }
    }

    TDataBaseObj* start = s.CurrentDatabase;
    const QString startName = displayNameOf(s, start);
    ChosenDatabases chosen;
    {
        TForm_SelectDatabases chooser(s.Databases, &form);
        chooser.SelectedDatabases = &chosen;
        platform::modal::execWindow(chooser);
        if (chooser.Cancelled)
            return;
    }
    if (chosen.empty())
        return;

    const std::optional<QString> table = AskTableName(s.CurrentTable, &form);
    if (!table) {
        s.MultiInsertTable.clear();
        s.InMultiInsert = false;
        return;
    }
    s.MultiInsertTable = *table;
    s.InMultiInsert = true;
    struct EndMultiInsert {
        MainState& s;
        ~EndMultiInsert() { s.InMultiInsert = false; }
    } end{s};

    // The database still connected comes first, without a switch.
    const auto here = std::find_if(chosen.begin(), chosen.end(), [&](const auto& entry) { return entry.second == start; });
    if (start && here != chosen.end()) {
        chosen.erase(here);
        MenuItem_FromScreenClick(form);
    }
    for (const auto& [name, database] : chosen) {
        // Rows meant for a database that cannot be reached never go into the one still connected.
        if (!form.SwitchDatabase(name)) {
            AppMessageDlg(QStringLiteral("No rows were inserted into ") + name + QStringLiteral(": it could not be connected."),
                          mtError, mbOK);
            continue;
        }
        MenuItem_FromScreenClick(form);
    }
    if (!startName.isEmpty() && (s.CurrentDatabase != start || !form.Database.connected()))
        form.SwitchDatabase(startName);
}
