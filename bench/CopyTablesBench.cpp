// Copy tables against a bare ODBC loop: 100,000 rows of (integer, varchar(40), double, date) from
// SQLite into SQLite and into PostgreSQL. The bare loop does the copy's work on the bare API: it
// reads the source rows as text, writes the same INSERT statements, empties the target and sends
// them one by one on one statement handle, in one transaction as the copy does. The SQLite files
// are written without a disk sync per statement, so that the disk does not hide the program's own
// cost. Rows per second of each (best of three runs), and the copy should stay within 1.5 times
// the bare loop's time.
//   bench_CopyTablesBench [rows]
#include "app/DatabaseRegistry.h"
#include "bench/BareOdbc.h"
#include "bench/Goals.h"
#include "components/BVComboBox.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/tools/GlobalCopy.h"
#include "workspace/MainWindow.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

using bench::check;

void execSql(const QString& dataSource, const QStringList& statements, const QStringList& login = {})
{
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("bench_seed"));
    db.setAliasName(dataSource);
    db.params() = login;
    db.setConnected(true);
    for (const QString& sql : statements) {
        platform::engine::Query q;
        q.setDatabaseName(QStringLiteral("bench_seed"));
        q.sql() << sql;
        q.execSQL();
    }
}

long long countRows(const QString& dataSource, const QStringList& login)
{
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("bench_count"));
    db.setAliasName(dataSource);
    db.params() = login;
    db.setConnected(true);
    platform::engine::Query q;
    q.setDatabaseName(QStringLiteral("bench_count"));
    q.sql() << QStringLiteral("SELECT count(*) FROM copy_bench");
    q.open();
    return q.fields(0).asLargeInt();
}

// One column of the current row as text, read as the copy reads it.
QString columnText(SQLHSTMT stmt, SQLUSMALLINT column)
{
    char16_t buffer[256];
    SQLLEN length = 0;
    check(SQLGetData(stmt, column, SQL_C_WCHAR, buffer, sizeof buffer, &length), SQL_HANDLE_STMT, stmt, "get data");
    return length == SQL_NULL_DATA ? QString() : QString::fromUtf16(buffer, qsizetype(length / 2));
}

// The copy's work done bare: every source row read, its INSERT statement written, then the target
// emptied and the statements sent one by one in one transaction.
double bareLoop(const QString& dsn, const QStringList& login)
{
    using bench::wide;
    bench::BareConnection source(QStringLiteral("qv_cb_src"), QString(), QString());
    bench::BareConnection connection(wide(dsn), wide(login.value(0).section(u'=', 1)),
                                     wide(login.value(1).section(u'=', 1)));
    QElapsedTimer t;
    t.start();
    QStringList statements;
    const SQLHSTMT rows = source.execute(QStringLiteral("SELECT i, v, d, day FROM copy_bench"));
    while (SQLFetch(rows) == SQL_SUCCESS)
        statements << QStringLiteral("INSERT INTO copy_bench(i,v,d,day) VALUES(") + columnText(rows, 1) + QStringLiteral(",'")
                          + columnText(rows, 2) + QStringLiteral("',") + columnText(rows, 3) + QStringLiteral(",{d '")
                          + columnText(rows, 4) + QStringLiteral("'})");
    SQLFreeHandle(SQL_HANDLE_STMT, rows);

    const SQLHSTMT stmt = connection.stmt;
    check(SQLSetConnectAttrW(connection.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                             SQL_IS_UINTEGER),
          SQL_HANDLE_DBC, connection.dbc, "autocommit off");
    std::u16string del = wide(QStringLiteral("DELETE FROM copy_bench"));
    const SQLRETURN deleted = SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(del.data()), SQL_NTS);
    if (deleted != SQL_NO_DATA)  // an empty table
        check(deleted, SQL_HANDLE_STMT, stmt, "delete");
    for (const QString& sql : statements) {
        std::u16string w = wide(sql);
        check(SQLExecDirectW(stmt, reinterpret_cast<SQLWCHAR*>(w.data()), SQL_NTS), SQL_HANDLE_STMT, stmt, "insert");
        SQLFreeStmt(stmt, SQL_CLOSE);
    }
    check(SQLEndTran(SQL_HANDLE_DBC, connection.dbc, SQL_COMMIT), SQL_HANDLE_DBC, connection.dbc, "commit");
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    testsupport::TempHome home;

    for (const char* name : {"qv_cb_src", "qv_cb_dst"}) {
        const QString file = testsupport::runFolder() + u'/' + QString::fromLatin1(name) + QStringLiteral(".db");
        // Without a disk sync per statement: the bench measures the program, not the disk.
        testsupport::addDataSource(QString::fromLatin1(name), QStringLiteral("SQLite3"),
                                   {QStringLiteral("Database=") + file, QStringLiteral("SyncPragma=OFF"),
                                    QStringLiteral("JournalMode=MEMORY")});
    }
    const QString table = QStringLiteral("CREATE TABLE copy_bench (i INTEGER, v VARCHAR(40), d DOUBLE, day DATE)");
    execSql(QStringLiteral("qv_cb_src"),
            {QStringLiteral("DROP TABLE IF EXISTS copy_bench"), table,
             QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < %1) "
                            "INSERT INTO copy_bench SELECT x, 'row ' || x || ' of the copy bench', x * 0.25, "
                            "date('2020-01-01', '+' || (x % 1000) || ' days') FROM n")
                 .arg(rows)});
    execSql(QStringLiteral("qv_cb_dst"), {QStringLiteral("DROP TABLE IF EXISTS copy_bench"), table});

    QStringList pgLogin;
    const bool pg = testsupport::pgAvailable();
    if (pg) {
        pgLogin = {QStringLiteral("user name=") + testsupport::pg().user,
                   QStringLiteral("password=") + testsupport::pg().password};
        testsupport::pgExec(QStringLiteral("DROP TABLE IF EXISTS copy_bench; CREATE TABLE copy_bench "
                                           "(i INTEGER, v VARCHAR(40), d DOUBLE PRECISION, day DATE)"));
    } else {
        std::printf("no PostgreSQL server: %s\n", qPrintable(testsupport::pgUnavailableReason()));
    }

    QFile ini(home.file(QStringLiteral("Quorvel.ini")));
    ini.open(QIODevice::WriteOnly);
    ini.write("[DATABASES]\nSource=ACCESS|Source|qv_cb_src|||||||\nTarget=ACCESS|Target|qv_cb_dst|||||||\n"
              "Postgres=ACCESS|Postgres|qv_pg|||||||\n");
    ini.close();

    double copySeconds = 0;
    double bestCopy = 0;
    bool asked = false;
    QString target;
    platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
        if (auto* copy = qobject_cast<TForm_Copy*>(r.window)) {
            copy->BVComboBox_From->setCurrentIndex(copy->BVComboBox_From->findText(QStringLiteral("Source")));
            copy->BVComboBox_To->setCurrentIndex(copy->BVComboBox_To->findText(target));
            copy->BitBtn_LoadTables->click();
            const auto found = copy->ListBox_TableName->findItems(QStringLiteral("copy_bench"), Qt::MatchExactly);
            if (!found.isEmpty()) {
                found.first()->setSelected(true);
                copy->ListBox_TableNameClick();
            }
            QElapsedTimer t;
            t.start();
            copy->BitBtn_OK->click();
            copySeconds = double(t.nsecsElapsed()) / 1e9;
            return platform::modal::Answer{};
        }
        asked = true;
        auto* msg = r.window ? r.window->findChild<QPlainTextEdit*>() : nullptr;
        std::fprintf(stderr, "message: %s\n", qPrintable(msg ? msg->toPlainText() : r.text));
        return platform::modal::Answer{1};
    });

    TForm_Main form;
    form.registry().LoadDatabases();
    form.state().CurrentDataSource = QStringLiteral("qv_cb_src");
    form.Database.setDatabaseName(QStringLiteral("qv_cb_src"));
    form.Database.setAliasName(QStringLiteral("qv_cb_src"));
    form.Database.params() = pgLogin;
    form.Database.setConnected(true);
    form.state().CurrentDatabase = form.registry().FindDatabaseObj(QStringLiteral("Source"));
    form.show();
    QApplication::processEvents();

    bench::Goals goals;
    struct Target {
        const char* name;
        const char* dsn;
        bool run;
    };
    for (const Target& t : {Target{"Target", "qv_cb_dst", true}, Target{"Postgres", "qv_pg", pg}}) {
        if (!t.run)
            continue;
        target = QString::fromLatin1(t.name);
        const QStringList login = target == QLatin1String("Postgres") ? pgLogin : QStringList();
        // A first bare run grows the target to its size; then copy and bare loop take turns, and
        // the best of three of each counts, so that neither gains from running later.
        bareLoop(QString::fromLatin1(t.dsn), login);
        double bareSeconds = 1e9;
        long long copied = 0, bareRows = 0;
        for (int run = 0; run < 3; ++run) {
            copySeconds = 0;
            form.ui().MenuItem_LoadSelectedTables->trigger();
            copySeconds = copySeconds > 0 ? copySeconds : 1e9;
            bestCopy = run == 0 ? copySeconds : std::min(bestCopy, copySeconds);
            copied = countRows(QString::fromLatin1(t.dsn), login);
            bareSeconds = std::min(bareSeconds, bareLoop(QString::fromLatin1(t.dsn), login));
            bareRows = countRows(QString::fromLatin1(t.dsn), login);
        }
        copySeconds = bestCopy;
        const char* into = target == QLatin1String("Target") ? "SQLite" : "PostgreSQL";
        std::printf("SQLite -> %-10s %d rows   copy %.2f s (%.0f rows/s, %lld rows)   bare INSERT loop %.2f s (%.0f rows/s, "
                    "%lld rows)\n",
                    into, rows, copySeconds, rows / copySeconds, copied, bareSeconds, rows / bareSeconds, bareRows);
        const std::string what = std::string("copy into ") + into + " / bare INSERT loop";
        goals.check(what.c_str(), copySeconds / bareSeconds, 1.5);
        if (copied != rows || bareRows != rows)
            goals.fail((std::string("rows in the ") + into + " target").c_str());
    }
    if (asked)
        goals.fail("the copy showed a message");
    return goals.exitCode();
}
