// Cost of showing the next found record by a serial key, with 1,000 and with 100,000 keys found,
// over a table of 100,000 rows on SQLite and on PostgreSQL. Showing fetches one record by its key,
// so the two should cost the same (within 2 times).
#include "bench/BenchPage.h"
#include "tests/support/Support.h"
#include "workspace/RecordDisplay.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kShows = 300;

// Microseconds per display, median of 3 runs of kShows displays walking forward from the middle.
double perShow(TablePageEnv& env, int found)
{
    QStringList keys;
    keys.reserve(found);
    for (int i = 0; i < found; ++i)
        keys << QString::number(1 + (i * (kRows / found)));
    env.state.RecordKeys = keys;
    std::vector<double> runs;
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer t;
        t.start();
        const int start = found / 2 - kShows / 2;
        for (int i = 0; i < kShows; ++i) {
            env.state.RecordIndex = start + i;
            ShowRecord(env);
        }
        runs.push_back(double(t.nsecsElapsed()) / 1000.0 / kShows);
    }
    std::sort(runs.begin(), runs.end());
    return runs[1];
}

void benchOne(const char* label, const QString& dsn, const QString& user, const QString& password,
              const QString& dbType, const QString& idType)
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

    const double small = perShow(env, 1000);
    const double large = perShow(env, 100000);
    std::printf("%-11s show next record: %8.1f us at 1,000 found, %8.1f us at 100,000 found, ratio %.2f\n",
                label, small, large, large / small);
    page.exec(QStringLiteral("DROP TABLE ") + t);
}

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    benchOne("SQLite", testsupport::sqliteDsn(), {}, {}, QStringLiteral("SQLITE"), QStringLiteral("integer primary key"));
    if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        benchOne("PostgreSQL", pg.dsn, pg.user, pg.password, QStringLiteral("POSTGRESQL"),
                 QStringLiteral("integer primary key"));
    } else {
        std::printf("PostgreSQL: skipped (%s)\n", testsupport::pgUnavailableReason().toStdString().c_str());
    }
    return 0;
}
