// What 8,000 configured databases add to the operations that read or save Quorvel.ini: loading
// the options (start-up, and after the options window), the options window's load and its save
// (800 rows in each key-column list), the configuration window's load and the login lookup. Each
// operation reads the file once and writes it at most once, so what the 8,000 databases add to
// loading the options or to the options window should be about what they add to one bare reading
// of the file (and, for the save, one bare reading and writing; its dozen changes each pass over
// the text in memory as well). The configuration window and the login lookup do work for every
// database besides reading the file: their figures are shown without a goal. Medians of 15 runs,
// the two file sizes alternated.
#include "app/DBConfigure.h"
#include "app/DataSources.h"
#include "app/Options.h"
#include "app/SetOptions.h"
#include "bench/Goals.h"
#include "platform/ini/IniFile.h"
#include "tests/support/Support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 15;

QByteArray configuration(int databases)
{
    QByteArray text = "[OPTIONS]\nTOOLBAR=1\nSTATUSBAR=1\nDEFAULTDATASOURCE=dsn0\n\n[Memo_SQL]\nFONTNAME=DejaVu Sans Mono\n"
                      "FONTSIZE=10\n\n[DATABASES]\n";
    for (int i = 0; i < databases; ++i)
        text += QStringLiteral("Database %1=SQL SERVER|Database %1|dsn%1|user%1|pw%1||server||db%1|\n").arg(i).toUtf8();
    for (const char* section : {"SERIALFIELDS", "UNIQUEFIELDS", "NOUPDATEFIELDS"}) {
        text += QByteArray("\n[") + section + "]\n";
        for (int i = 0; i < 800; ++i)
            text += QStringLiteral("TABLE_%1=FIELD_%1\n").arg(i, 4, 10, QLatin1Char('0')).toUtf8();
    }
    return text + "\n[FTP]\nUSEFTP=1\nPATH=/usr/bin/ftp\nSERVER1=ftp.one\n";
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Operation {
    const char* name;
    std::function<void()> prepare;  // untimed, before each run
    std::function<void()> run;
    bool writes = false;
};

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    testsupport::TempHome home;
    const QString path = home.file(QStringLiteral("Quorvel.ini"));
    const QByteArray small = configuration(1);
    const QByteArray big = configuration(8000);
    const auto seed = [&](const QByteArray& bytes) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::exit(1);
        file.write(bytes);
    };

    QPlainTextEdit sqlMemo, resultsMemo;
    OptionControls controls;
    controls.Memo_SQL = &sqlMemo;
    controls.Memo_Results = &resultsMemo;
    std::unique_ptr<TForm_SetOptions> options;
    std::unique_ptr<TForm_Configure> configure;
    int changes = 0;

    const Operation operations[] = {
        {"one bare reading", {}, [] { (void)platform::IniFile(kQuorvelIni).readString("OPTIONS", "TOOLBAR", {}); }},
        {"one bare reading and writing", {},
         [&] { platform::IniFile(kQuorvelIni).writeString("OPTIONS", "TOOLBAR", QString::number(++changes)); }, true},
        {"LoadOptions", {}, [&] {
             MainState state;
             LoadOptions(state, controls);
         }},
        {"options window load", [&] { options = std::make_unique<TForm_SetOptions>(); }, [&] { options->FormShow(); }},
        {"options window save (OK)",
         [&] {
             options = std::make_unique<TForm_SetOptions>();
             options->FormShow();
         },
         [&] { options->BitBtn_OKClick(); }, true},
        {"configuration window load", [&] { configure = std::make_unique<TForm_Configure>(); },
         [&] { configure->FormShow(); }},
        {"login lookup", {}, [] {
             QString user, password;
             TForm_DataSource::LookupDataSourceLogin(QStringLiteral("dsn0"), user, password);
         }},
    };

    struct Figures {
        double small = 0, big = 0;
    };
    std::vector<Figures> figures;
    for (const Operation& op : operations) {
        std::vector<double> times[2];
        for (int run = 0; run < kRuns; ++run) {
            for (int size = 0; size < 2; ++size) {
                seed(size == 0 ? small : big);
                if (op.prepare)
                    op.prepare();
                QElapsedTimer timer;
                timer.start();
                op.run();
                times[size].push_back(double(timer.nsecsElapsed()) / 1e6);
            }
        }
        figures.push_back({median(times[0]), median(times[1])});
        std::printf("%-32s %8.2f ms with 1 database, %8.2f ms with 8,000\n", op.name, figures.back().small,
                    figures.back().big);
    }

    bench::Goals goals;
    const double readAdds = figures[0].big - figures[0].small;
    const double writeAdds = figures[1].big - figures[1].small;
    const struct { std::size_t op; bool writes; double goal; } checks[] = {{2, false, 1.5}, {3, false, 1.5}, {4, true, 3.0}};
    char what[128];
    for (const auto& c : checks) {
        const double adds = figures[c.op].big - figures[c.op].small;
        std::snprintf(what, sizeof what, "%s: added cost / %s", operations[c.op].name,
                      c.writes ? "read and write" : "one read");
        goals.check(what, adds / (c.writes ? writeAdds : readAdds), c.goal);
    }
    return goals.exitCode();
}
