// Cost of showing the next found record by a serial key over a table of 100,000 rows, on SQLite
// and on PostgreSQL, with the window shown: each display is timed with the painting it leaves to
// the event loop, as the user sees the record. Against what it cannot do without: a bare loop
// that runs one prepared statement by the key (SQLExecute, SQLFetch, SQLGetData of every column)
// on a connection opened before, plus Qt alone giving the page's line edits and the status panel
// the very texts of the same records, without the database, and painting them (goal 1.5x). All
// runs alternate in rounds and the medians are compared. Showing with 1,000 and with 100,000 keys
// found should cost the same (goal 2x). For information, the show against the bare fetch alone,
// what the status panel alone costs to take its new count and be painted, the least any painted
// change costs on this display, and the bare fetches each followed by that least change,
// untimed, as a user's next record follows the last one painted.
#include "bench/BareOdbc.h"
#include "bench/BenchPage.h"
#include "bench/Goals.h"
#include "bench/PaintFloor.h"
#include "components/BVMaskEdit.h"
#include "tests/support/Support.h"
#include "workspace/tablepage/RecordDisplay.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollArea>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kShows = 300;
constexpr int kRounds = 7;

QStringList keysOf(int found)
{
    QStringList keys;
    keys.reserve(found);
    for (int i = 0; i < found; ++i)
        keys << QString::number(1 + (i * (kRows / found)));
    return keys;
}

// kShows displays walking forward from the middle of the keys, each painted. Shown, when given,
// gets what each display put into the line edits and the status panel.
struct ShownTexts {
    std::vector<QString> edits;
    QString status;
};

void showRun(TablePageEnv& env, std::vector<ShownTexts>* shown = nullptr)
{
    const int start = int(env.state.RecordKeys.size()) / 2 - kShows / 2;
    const QList<TBVMaskEdit*> edits = env.ui.ScrollBox->widget()->findChildren<TBVMaskEdit*>();
    for (int i = 0; i < kShows; ++i) {
        env.state.RecordIndex = start + i;
        ShowRecord(env);
        QApplication::processEvents();
        if (shown) {
            ShownTexts texts{{}, env.statusPanel0->text()};
            for (TBVMaskEdit* e : edits)
                texts.edits.push_back(e->text());
            shown->push_back(texts);
        }
    }
}

// Qt's part of the same displays: each edit given its text where it changed, with its cursor at
// the start as a shown value has it, the status panel its text, and all of it painted.
void qtRun(TablePageEnv& env, const std::vector<ShownTexts>& shown)
{
    const QList<TBVMaskEdit*> edits = env.ui.ScrollBox->widget()->findChildren<TBVMaskEdit*>();
    for (const ShownTexts& texts : shown) {
        for (int e = 0; e < edits.size(); ++e)
            if (edits[e]->text() != texts.edits[std::size_t(e)]) {
                edits[e]->setText(texts.edits[std::size_t(e)]);
                edits[e]->setCursorPosition(0);
            }
        env.statusPanel0->setText(texts.status);
        QApplication::processEvents();
    }
}

// The same records fetched by the bare loop: one statement prepared before, run by each key.
struct BareFetch {
    bench::BareConnection& c;
    SQLHSTMT stmt = SQL_NULL_HSTMT;
    SQLBIGINT key = 0;
    SQLLEN keyInd = 0;
    SQLSMALLINT columns = 0;

    BareFetch(bench::BareConnection& connection, const QString& sql) : c(connection)
    {
        SQLAllocHandle(SQL_HANDLE_STMT, c.dbc, &stmt);
        const std::u16string s = bench::wide(sql);
        bench::check(SQLPrepareW(stmt, bench::BareConnection::text(s), SQL_NTS), SQL_HANDLE_STMT, stmt, "prepare");
        bench::check(SQLBindParameter(stmt, 1, SQL_PARAM_INPUT, SQL_C_SBIGINT, SQL_BIGINT, 0, 0, &key, 0, &keyInd),
                     SQL_HANDLE_STMT, stmt, "bind");
    }
    ~BareFetch() { SQLFreeHandle(SQL_HANDLE_STMT, stmt); }

    // The fetches' own time in seconds; Between, when given, runs untimed after each fetch.
    double run(const QStringList& keys, const std::function<void()>& between = {})
    {
        const int start = int(keys.size()) / 2 - kShows / 2;
        qint64 ns = 0;
        for (int i = 0; i < kShows; ++i) {
            QElapsedTimer t;
            t.start();
            key = keys.at(start + i).toLongLong();
            bench::check(SQLExecute(stmt), SQL_HANDLE_STMT, stmt, "execute");
            if (!columns)
                SQLNumResultCols(stmt, &columns);
            if (SQL_SUCCEEDED(SQLFetch(stmt)))
                chars += bench::readRowAsText(stmt, columns);
            SQLFreeStmt(stmt, SQL_CLOSE);
            ns += t.nsecsElapsed();
            if (between)
                between();
        }
        return double(ns) / 1e9;
    }

    long long chars = 0;  // what was read, so that no reading can be left out
};

void benchOne(bench::Goals& goals, const char* label, const QString& dsn, const QString& user,
              const QString& password, const QString& dbType, const QString& idType)
{
    BenchPage page(dsn, user, password, dbType);
    TablePageEnv& env = page.env;
    MainState& state = page.state;

    const QString t = QStringLiteral("qvbench_show");
    page.exec(QStringLiteral("DROP TABLE IF EXISTS ") + t);
    page.exec(QStringLiteral("CREATE TABLE ") + t + QStringLiteral(" (id ") + idType
              + QStringLiteral(", name varchar(40), n integer, d date)"));
    page.exec(QStringLiteral("BEGIN"));
    for (int i = 1; i <= kRows; i += 1000) {
        QStringList values;
        for (int j = i; j < i + 1000; ++j)
            values << QStringLiteral("(%1, 'name %1', %2, '2001-03-12')").arg(j).arg(j % 97);
        page.exec(QStringLiteral("INSERT INTO ") + t + QStringLiteral(" (id, name, n, d) VALUES ") + values.join(QLatin1Char(',')));
    }
    page.exec(QStringLiteral("COMMIT"));

    state.SerialFields = QStringList{t.toUpper() + QStringLiteral("=ID")};
    state.CurrentTable = t;
    BuildTablePage(env);
    QApplication::processEvents();

    bench::BareConnection bare(dsn, user, password);
    BareFetch fetch(bare, QStringLiteral("SELECT * FROM ") + t + QStringLiteral(" WHERE id = ? ORDER BY id"));
    const QStringList small = keysOf(1000), large = keysOf(kRows);
    // The same fetches, each followed by one painted change, untimed: a user's next record is
    // asked for after the last one was painted, never straight after its fetch.
    bench::PaintFloor floor(&page.window);
    std::vector<double> paced;
    // What the displays of the large list put on the page, to be given again by Qt alone.
    std::vector<ShownTexts> shown;
    state.RecordKeys = large;
    showRun(env, &shown);
    const std::vector<double> m = bench::alternate(kRounds, {
        [&] {
            state.RecordKeys = small;
            showRun(env);
        },
        [&] {
            state.RecordKeys = large;
            showRun(env);
        },
        [&] { fetch.run(large); },
        [&] { paced.push_back(fetch.run(large, [&] { floor.run(1); })); },
        [&] { qtRun(env, shown); },
    });
    const double qtShown = m[4];
    std::sort(paced.begin(), paced.end());
    const double pacedFetch = paced[paced.size() / 2];
    // The page must show the record last stepped to.
    auto* id = page.ui.ScrollBox->widget()->findChild<TBVMaskEdit*>(QStringLiteral("BVMaskEdit_id"));
    if (!id || id->text() != state.RecordKeys.at(state.RecordIndex))
        goals.fail((std::string(label) + ": the page does not show the record stepped to").c_str());

    // For information: the status panel given another count and painted, kShows times; one small
    // change painted.
    const QList<TBVMaskEdit*> edits = page.ui.ScrollBox->widget()->findChildren<TBVMaskEdit*>();
    const QString status = page.panel0.text();
    const qsizetype at = status.indexOf(QStringLiteral(" of "));
    const std::vector<double> qt = bench::alternate(kRounds, {
        [&] {
            for (int i = 0; i < kShows; ++i) {
                page.panel0.setText(QString::number(i * 37) + status.mid(at));
                QApplication::processEvents();
            }
        },
        [&] { floor.run(kShows); },
    });

    const double us = 1e6 / kShows;
    std::printf("%-11s show next record, painted: %7.1f us at 1,000 found, %7.1f us at 100,000 found; "
                "bare prepared fetch by key: %7.1f us (medians of %d rounds)\n",
                label, m[0] * us, m[1] * us, m[2] * us, kRounds);
    std::printf("%-11s Qt alone giving the page's %d line edits and the status panel the same records' texts and "
                "painting them, no database: %7.1f us; with the bare fetch %7.1f us\n",
                label, int(edits.size()), qtShown * us, (m[2] + qtShown) * us);
    std::printf("%-11s the show against the bare fetch alone, for information: %.2fx\n", label, m[1] / m[2]);
    std::printf("%-11s the status panel given a new count and painted, no database: %7.1f us\n", label, qt[0] * us);
    std::printf("%-11s the least a painted change costs here (a 4 x 4 widget filled and painted): %5.1f us; "
                "with the bare fetch, %.2fx it\n",
                label, qt[1] * us, (m[2] + qt[1]) / m[2]);
    std::printf("%-11s the bare fetch, each followed by one painted change (untimed): %5.1f us; the show %.2fx it "
                "(for information)\n",
                label, pacedFetch * us, m[1] / pacedFetch);
    const std::string name(label);
    goals.check((name + " show / (bare fetch + Qt painting the same texts)").c_str(), m[1] / (m[2] + qtShown), 1.5);
    goals.check((name + " show at 100,000 / at 1,000 found").c_str(), m[1] / m[0], 2.0);
    page.exec(QStringLiteral("DROP TABLE ") + t);
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    bench::Goals goals;
    std::printf("window shown on the \"%s\" platform\n", qPrintable(QGuiApplication::platformName()));
    if (bench::runsDatabase("sqlite"))
        benchOne(goals, "SQLite", testsupport::sqliteDsn(), {}, {}, QStringLiteral("SQLITE"), QStringLiteral("integer primary key"));
    if (!bench::runsDatabase("pg")) {
    } else if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        benchOne(goals, "PostgreSQL", pg.dsn, pg.user, pg.password, QStringLiteral("POSTGRESQL"),
                 QStringLiteral("integer primary key"));
    } else {
        std::printf("PostgreSQL: skipped (%s)\n", testsupport::pgUnavailableReason().toStdString().c_str());
    }
    return goals.exitCode();
}
