// Delimited export and import of 100,000 records, on SQLite and on PostgreSQL, in records per
// second. The export, with the window shown, against one bare SELECT streaming the same rows
// (SQLExecDirect, SQLFetch, SQLGetData of every column): within 3 times it; for information also
// against a bare loop fetching each record by its key. The import against a bare ODBC loop
// running the same INSERT statements: within 1.5 times it. The list view opening and sorting
// 5,000 and 50,000 found records, in seconds (the larger should take at most 11 times the
// smaller). Timed runs of the page and of its bare loop alternate; medians of 3 (of 5 for the
// list view).
#include "bench/BareOdbc.h"
#include "bench/BenchWindow.h"
#include "bench/Goals.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/tools/DelimitedText.h"
#include "workspace/tools/ListView.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/QueryByExample.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tools/TableName.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"
#include "ui_TableName.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;

double seconds(const std::function<void()>& f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e9;
}

using bench::check;

// The bare loop: each statement sent as it is, one SQLExecDirect each, autocommit on.
double bareInserts(const QString& dsn, const QString& user, const QString& password, const QStringList& statements)
{
    bench::BareConnection bare(dsn.toStdU16String(), user.toStdU16String(), password.toStdU16String());
    std::vector<std::u16string> texts;
    texts.reserve(statements.size());
    for (const QString& s : statements)
        texts.push_back(s.toStdU16String());
    return seconds([&] {
        for (const std::u16string& text : texts)
            check(SQLExecDirectW(bare.stmt, bench::BareConnection::text(text), SQL_NTS), SQL_HANDLE_STMT, bare.stmt,
                  "insert");
    });
}

// The run exits non-zero when a goal is over.
bench::Goals goals;

// Every row of one statement read as the page reads a row: each column as text.
void streamRows(const bench::BareConnection& bare, const QString& sql, long long& chars)
{
    SQLHSTMT stmt = bare.execute(sql);
    SQLSMALLINT columns = 0;
    SQLNumResultCols(stmt, &columns);
    while (SQL_SUCCEEDED(SQLFetch(stmt)))
        chars += bench::readRowAsText(stmt, columns);
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
}

void run(const char* label, const QString& dsn, const QString& user, const QString& password,
         const std::function<void(const QString&)>& execSql, bool pg)
{
    TForm_Main form;
    TDataBaseObj db;
    bench::connectWindow(form, db, QStringLiteral("xfer_bench_db"), pg ? QStringLiteral("POSTGRESQL") : QStringLiteral("ACCESS"), dsn, user, password);

    const QString columns = QStringLiteral("name VARCHAR(30), n INTEGER, amount DOUBLE PRECISION, born DATE");
    const QString key = pg ? QStringLiteral("id SERIAL PRIMARY KEY, ") : QStringLiteral("id INTEGER PRIMARY KEY, ");
    for (const char* table : {"xfer_bench", "xfer_bench_copy", "xfer_bench_bare"}) {
        execSql(QStringLiteral("DROP TABLE IF EXISTS ") + QString::fromLatin1(table));
        execSql(QStringLiteral("CREATE TABLE ") + QString::fromLatin1(table) + QStringLiteral(" (") + key + columns
                + QLatin1Char(')'));
    }
    execSql(pg ? QStringLiteral("INSERT INTO xfer_bench (name, n, amount, born) SELECT 'name ' || g || ' O''Hara | x', "
                                "g, g / 4.0, DATE '2020-01-01' + (g % 1000) FROM generate_series(1, 100000) g")
               : QStringLiteral("WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s WHERE g < 100000) "
                                "INSERT INTO xfer_bench (name, n, amount, born) SELECT 'name ' || g || ' O''Hara | x', "
                                "g, g / 4.0, date('2020-01-01', '+' || (g % 1000) || ' days') FROM s"));
    // Freshly loaded rows leave the server work of its own (autovacuum, the first reads of new
    // rows), which would otherwise fall into whichever timing comes first: on PostgreSQL the
    // tables are vacuumed and analysed after each load, before anything is timed.
    auto settle = [&] {
        if (pg)
            for (const char* table : {"xfer_bench", "xfer_bench_copy", "xfer_bench_bare"})
                execSql(QStringLiteral("VACUUM ANALYZE ") + QString::fromLatin1(table));
    };
    settle();

    MainState& state = form.state();
    state.SerialFields = {QStringLiteral("XFER_BENCH=ID"), QStringLiteral("XFER_BENCH_COPY=ID")};
    state.CurrentTable = QStringLiteral("xfer_bench");
    TablePageEnv env = form.tablePageEnv();
    BuildTablePage(env);
    state.InQueryMode = true;
    state.ContinueQuery = true;
    ClearTablePage(form.ui());
    ExecuteQuery(env);
    state.InQueryMode = false;
    if (state.RecordKeys.size() != kRows) {
        std::fprintf(stderr, "%s: %lld keys\n", label, static_cast<long long>(state.RecordKeys.size()));
        std::exit(1);
    }

    // The export with the window shown, as for a user, against one bare SELECT of the same
    // columns streaming the same rows, and for information a bare loop that fetches the same
    // records by key through one prepared statement (the statement the page shows them by).
    form.resize(798, 606);
    form.show();
    QApplication::processEvents();
    const QString selectList = RecordSelectList(state.ColumnList, form.Database.dbmsName(), state.KeyColumn);
    const QString streamed = QStringLiteral("SELECT ") + (selectList.isEmpty() ? QStringLiteral("*") : selectList)
                             + QStringLiteral(" FROM ") + state.CurrentTable;
    bench::BareConnection stream(dsn, user, password);
    long long chars = 0;
    QStringList lines;
    const std::vector<double> exportTimes = bench::alternate(3, {
        [&] {
            form.MenuItem_CreateDBASCIIClick(form.ui().MenuItem_CreateDBASCII);
            QApplication::processEvents();
        },
        [&] { streamRows(stream, streamed, chars); },
    });
    const double exportSeconds = exportTimes[0], streamSeconds = exportTimes[1];
    lines = form.ui().Memo_Results->toPlainText().split(QLatin1Char('\n'));
    if (lines.size() != kRows + 1) {
        std::fprintf(stderr, "%s: export wrote %lld lines\n", label, static_cast<long long>(lines.size()));
        std::exit(1);
    }
    double bareExportSeconds = 0;
    {
        const QString byKey = PreparedRecordStatementLines(state.CurrentTable, state.KeyColumn, QString(), selectList)
                                  .join(QLatin1Char('\n'))
                                  .replace(QStringLiteral(":key"), QStringLiteral("?"));
        bench::BareConnection bare(dsn, user, password);
        const std::u16string text = bench::wide(byKey);
        check(SQLPrepareW(bare.stmt, bench::BareConnection::text(text), SQL_NTS), SQL_HANDLE_STMT, bare.stmt, "prepare");
        SQLBIGINT key = 0;
        SQLLEN keyInd = 0;
        check(SQLBindParameter(bare.stmt, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &key, 0, &keyInd),
              SQL_HANDLE_STMT, bare.stmt, "bind");
        std::vector<long long> keys;
        for (const QString& k : state.RecordKeys)
            keys.push_back(k.toLongLong());
        bareExportSeconds = seconds([&] {
            SQLSMALLINT columns = 0;
            for (long long k : keys) {
                key = k;
                check(SQLExecute(bare.stmt), SQL_HANDLE_STMT, bare.stmt, "execute");
                if (!columns)
                    SQLNumResultCols(bare.stmt, &columns);
                if (SQL_SUCCEEDED(SQLFetch(bare.stmt)))
                    chars += bench::readRowAsText(bare.stmt, columns);
                SQLFreeStmt(bare.stmt, SQL_CLOSE);
            }
        });
    }
    form.hide();
    QApplication::processEvents();

    QString count;
    platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
        if (auto* prompt = qobject_cast<TForm_TableName*>(r.window)) {
            prompt->ui()->Edit_TableName->setText(QStringLiteral("xfer_bench_copy"));
            prompt->ui()->BitBtn_Ok->click();
        } else if (r.window) {
            count = r.window->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit"))->toPlainText();
        }
        return platform::modal::Answer{1};
    });

    // What the import does besides the database: reading and checking the lines, writing statements.
    QStringList statements;
    const double parseSeconds = seconds([&] {
        const DelimitedLine header = ReadColumnLine(lines.first());
        statements.reserve(kRows);
        for (qsizetype i = 1; i < lines.size(); ++i)
            statements << DelimitedInsertStatement(QStringLiteral("xfer_bench_bare"), header.items,
                                                   ReadValueLine(lines[i]).items);
    });

    // Rounds of the import and the bare loop in turn, each into an emptied table; medians.
    std::vector<double> imports, bares;
    for (int round = 0; round < 3; ++round) {
        execSql(QStringLiteral("DELETE FROM xfer_bench_copy"));
        execSql(QStringLiteral("DELETE FROM xfer_bench_bare"));
        count.clear();
        imports.push_back(seconds([&] { form.MenuItem_FromScreenClick(form.ui().MenuItem_FromScreen); }));
        if (!count.startsWith(QString::number(kRows) + QStringLiteral(" row(s)"))) {
            std::fprintf(stderr, "%s: import said %s\n", label, qPrintable(count));
            std::exit(1);
        }
        bares.push_back(bareInserts(dsn, user, password, statements));
    }
    std::sort(imports.begin(), imports.end());
    std::sort(bares.begin(), bares.end());
    const double importSeconds = imports[1], bareSeconds = bares[1];

    std::printf("%-10s export (window shown): %6.2f s  %8.0f records/s   one bare SELECT streaming the rows: %6.2f s "
                "(medians of 3);  bare prepared fetch by key, for information: %6.2f s (ratio %.2f)\n",
                label, exportSeconds, kRows / exportSeconds, streamSeconds, bareExportSeconds,
                exportSeconds / bareExportSeconds);
    std::printf("%-10s import: %6.2f s  %8.0f records/s   bare INSERT loop: %6.2f s  %8.0f records/s "
                "(reading and checking the lines alone: %.2f s)\n",
                label, importSeconds, kRows / importSeconds, bareSeconds, kRows / bareSeconds, parseSeconds);
    goals.check((std::string(label) + " export / one streaming SELECT").c_str(), exportSeconds / streamSeconds, 3.0);
    goals.check((std::string(label) + " import / bare INSERT loop").c_str(), importSeconds / bareSeconds, 1.5);

    // The list view over the first 5,000 and all 50,000 of the found records, the window shown:
    // opening it until it has painted, and two sorts with their painting. The larger should cost
    // at most 11 times the smaller (linear: ten times the records).
    ClearMaxLengths(form.ui());
    settle();
    // One opening of the list and two sorts, for the first found records; seconds each.
    auto listOnce = [&](int found, std::vector<double>& opens, std::vector<double>& sorts) {
        QStringList keys = state.RecordKeys.mid(0, found);
        TForm_List list(state, form.Database.databaseName());
        list.KeyList = &keys;
        list.ListTable = state.CurrentTable;
        list.KeyFieldName = QStringLiteral("id");
        list.grid().setHeadings({QStringLiteral("Row"), QStringLiteral("id"), QStringLiteral("name"),
                                 QStringLiteral("n"), QStringLiteral("amount"), QStringLiteral("born")});
        opens.push_back(seconds([&] {
            list.show();  // fills the grid
            QApplication::processEvents();
        }));
        if (list.grid().rowCount() != found) {
            std::fprintf(stderr, "%s: list of %d shows %d rows\n", label, found, list.grid().rowCount());
            std::exit(1);
        }
        sorts.push_back(seconds([&] {
            list.SortGridByColumn(2);
            QApplication::processEvents();
            list.SortGridByColumn(4);
            QApplication::processEvents();
        }));
        list.close();
    };
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    // The small list takes a few hundredths of a second, where one busy moment of the machine
    // weighs much: the two sizes alternate over five rounds.
    std::vector<double> opens5, sorts5, opens50, sorts50;
    for (int r = 0; r < 5; ++r) {
        listOnce(5000, opens5, sorts5);
        listOnce(50000, opens50, sorts50);
    }
    const double open5 = median(opens5), sort5 = median(sorts5), open50 = median(opens50), sort50 = median(sorts50);
    std::printf("%-10s list view: 5,000 found: open %.3f s, two sorts %.3f s;  50,000 found: open %.3f s, two sorts "
                "%.3f s\n",
                label, open5, sort5, open50, sort50);
    const std::string what = std::string(label) + " list view, 50,000 against 5,000 found";
    goals.check(what.c_str(), (open50 + sort50) / (open5 + sort5), 11.0);
    form.state().CurrentDatabase = nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    testsupport::TempHome home;

    if (bench::runsDatabase("sqlite")) {
        // Each INSERT commits on its own; without waiting for the disk at every commit the figures
        // show the program's cost rather than the disk's (the bare loop uses the same source).
        const QString dsn = QStringLiteral("qv_xfer_bench");
        testsupport::addDataSource(dsn, QStringLiteral("SQLite3"),
                                   {QStringLiteral("Database=") + testsupport::sqliteFile(), QStringLiteral("SyncPragma=OFF")});
        platform::engine::Database db;
        db.setDatabaseName(QStringLiteral("xfer_bench_setup"));
        db.setAliasName(dsn);
        db.setConnected(true);
        run("SQLite", dsn, {}, {},
            [](const QString& sql) {
                platform::engine::Query q;
                q.setDatabaseName(QStringLiteral("xfer_bench_setup"));
                q.sql() << sql;
                q.execSQL();
            },
            false);
    }
    if (!bench::runsDatabase("pg")) {
    } else if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        run("PostgreSQL", pg.dsn, pg.user, pg.password, [](const QString& sql) { testsupport::pgExec(sql); }, true);
    } else {
        std::printf("PostgreSQL skipped: %s\n", testsupport::pgUnavailableReason().toUtf8().constData());
    }
    return goals.exitCode();
}
