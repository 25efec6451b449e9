// Cost of showing a record whose memo holds one long line (no line breaks) of 64 KiB and of
// 1 MiB, of words and of one unbroken word, on SQLite, in a shown window. Showing a 1 MiB record
// should take under a second.
#include "bench/BenchPage.h"
#include "tests/support/Support.h"
#include "workspace/tablepage/RecordDisplay.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    BenchPage page(testsupport::sqliteDsn(), {}, {}, QStringLiteral("ACCESS"));
    TablePageEnv& env = page.env;
    MainState& state = page.state;

    const QString t = QStringLiteral("qvbench_memo");
    page.exec(QStringLiteral("DROP TABLE IF EXISTS ") + t);
    page.exec(QStringLiteral("CREATE TABLE ") + t + QStringLiteral(" (id integer primary key, notes text)"));
    const int sizes[] = {64 * 1024, 1024 * 1024, 64 * 1024, 1024 * 1024};
    constexpr int kRecords = 4;
    for (int id = 0; id < kRecords; ++id) {
        QString words;
        while (words.size() < sizes[id])
            words += id < 2 ? QStringLiteral("lorem ipsum dolor sit amet ") : QStringLiteral("loremipsumdolorsitamet");
        words.truncate(sizes[id]);
        page.exec(QStringLiteral("INSERT INTO ") + t + QStringLiteral(" VALUES (%1, '%2')").arg(id + 1).arg(words));
    }
    state.SerialFields = QStringList{t.toUpper() + QStringLiteral("=ID")};
    state.CurrentTable = t;
    BuildTablePage(env);
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")};

    for (int id = 0; id < kRecords; ++id) {
        std::vector<double> runs;
        for (int run = 0; run < 3; ++run) {
            state.RecordIndex = (id + 1) % kRecords;  // another record first, so the text changes
            ShowRecord(env);
            QApplication::processEvents();
            QElapsedTimer timer;
            timer.start();
            state.RecordIndex = id;
            ShowRecord(env);
            QApplication::processEvents();  // the layout and the first paint
            runs.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(runs.begin(), runs.end());
        std::printf("show a record with a %4d KiB one-line memo of %-12s %8.1f ms (median of 3)\n", sizes[id] / 1024,
                    id < 2 ? "words:" : "one word:", runs[1]);
    }
    page.exec(QStringLiteral("DROP TABLE ") + t);
    return 0;
}
