// The start-up a user waits for after the splash: the data-source window, its OK, the database
// list read again, the connection to the demo-like SQLite database, its table names, and the main
// window shown and idle; with 1 configured database and with 8,000. Each start is a fresh process
// (a process remembers every font it looked up), the two configurations alternate, median of
// QV_BENCH_ROUNDS starts each (9 unless set), CPU time of the process and wall time. The making
// of the main window (before the splash, where the list is loaded first) is shown beside it.
// Goal: login to idle with 8,000 databases within 3x of the one-database case (bench/Goals.h:
// OVER and a non-zero exit when over).
// QT_QPA_PLATFORM chooses the platform (offscreen when unset; xcb under an X server).
#include "app/Application.h"
#include "app/DatabaseType.h"
#include "app/FontSubstitutes.h"
#include "bench/Goals.h"
#include "demo/DemoMaker.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "platform/registry/Registry.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"

#include "ui_Main.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace {

constexpr int kMany = 8000;
constexpr double kGoal = 3.0;

double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Clock {
    QElapsedTimer wall;
    double cpu = 0;
    void start()
    {
        cpu = cpuMs();
        wall.start();
    }
    double wallMs() const { return double(wall.nsecsElapsed()) / 1e6; }
    double cpuSince() const { return cpuMs() - cpu; }
};

// Notes when the main window has painted.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

[[noreturn]] void die(const char* what)
{
    std::fprintf(stderr, "start-up failed: %s\n", what);
    std::exit(1);
}

// One start in this process, as the program's main() does it, with the user's part answered
// through the modal seam: the splash closes at once, the data-source window gets OK on the row
// it preselects. Prints the window's making and the road from the splash's end to idle, each as
// CPU and wall milliseconds.
int child(int argc, char** argv, int expectedDatabases)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    MapWindowsFonts();

    Clock making;
    making.start();
    auto form = std::make_unique<TForm_Main>();
    const double madeCpu = making.cpuSince(), madeWall = making.wallMs();

    Clock road;
    bool splashed = false, loggedIn = false;
    QStringList unexpected;
    platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) -> platform::modal::Answer {
        const QByteArray cls = r.window ? QByteArray(r.window->metaObject()->className()) : QByteArray();
        if (r.kind == platform::modal::Kind::Window && cls == "TForm_SplashScreen") {
            splashed = true;
            road.start();
            return {};
        }
        if (r.kind == platform::modal::Kind::Window && cls == "TForm_DataSource") {
            auto* list = r.window->findChild<QListWidget*>(QStringLiteral("ListBox_DataSource"));
            auto* ok = r.window->findChild<QPushButton*>(QStringLiteral("Button_OK"));
            if (list && ok && !list->selectedItems().isEmpty()) {
                ok->click();
                loggedIn = !r.window->isVisible();
            }
            return {};
        }
        unexpected << r.caption + QStringLiteral(": ") + r.text;
        return {QMessageBox::Ok};
    });

    form->FormShow();
    if (app::TerminateRequested())
        die("the data-source window asked the program to end");
    PaintWatch watch;
    form->installEventFilter(&watch);
    form->show();
    // A safeguard only: a window that never paints ends the run instead of hanging it.
    QTimer::singleShot(60000, [] { die("the main window did not paint within a minute"); });
    while (!watch.painted)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // Idle: nothing left that the start-up posted.
    for (int i = 0; i < 1000 && QAbstractEventDispatcher::instance()->processEvents(QEventLoop::AllEvents); ++i) {
    }
    const double roadCpu = road.cpuSince(), roadWall = road.wallMs();

    if (!splashed || !loggedIn)
        die("the splash or the data-source window did not come up as expected");
    if (!unexpected.isEmpty())
        die(unexpected.join(QStringLiteral(" | ")).toLocal8Bit().constData());
    const MainState& s = form->state();
    if (!form->Database.connected() || s.TableNames.isEmpty())
        die("not connected, or no table names");
    if (s.Databases.count() != expectedDatabases || !s.CurrentDatabase
        || s.CurrentDatabase->DBDesc.startsWith(QStringLiteral("UNKNOWN"))
        || form->ui().MenuItem_Database->actions().size() != expectedDatabases)
        die("the database list or menu is not the configured one");

    std::printf("%.3f %.3f %.3f %.3f\n", madeCpu, madeWall, roadCpu, roadWall);
    std::fflush(stdout);
    return 0;
}

// A configuration folder with `count` databases, one of them the demo's data source.
QString makeHome(const QString& folder, int count, const QString& dsn, const QString& demoType)
{
    QDir().mkpath(folder);
    QByteArray ini = "[OPTIONS]\nDEFAULTDATASOURCE=" + dsn.toUtf8() + "\n\n[DATABASES]\n";
    ini += "Demo=" + demoType.toUtf8() + "|Demo|" + dsn.toUtf8() + "|||||||\n";
    for (int i = 1; i < count; ++i)
        ini += QStringLiteral("Database %1=SQL SERVER|Database %1|dsn%1|user%1|pw%1||server%1||db%1|\n").arg(i).toUtf8();
    QFile file(folder + QStringLiteral("/Quorvel.ini"));
    if (!file.open(QIODevice::WriteOnly) || file.write(ini) != ini.size())
        die("cannot write the configuration");
    return folder;
}

struct Start {
    double madeCpu = 0, madeWall = 0, roadCpu = 0, roadWall = 0;
};

Start start(const char* self, const QString& home, int count)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVEL_HOME"), home);
    p.setProcessEnvironment(env);
    p.start(QString::fromLocal8Bit(self), {QStringLiteral("--child"), QString::number(count)});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s", p.readAllStandardError().constData());
        die("a start did not end well");
    }
    const QList<QByteArray> n = p.readAllStandardOutput().trimmed().split(' ');
    if (n.size() != 4)
        die("a start printed no figures");
    return {n[0].toDouble(), n[1].toDouble(), n[2].toDouble(), n[3].toDouble()};
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t k = v.size();
    return k % 2 ? v[k / 2] : (v[k / 2 - 1] + v[k / 2]) / 2;
}

struct Medians {
    std::vector<double> madeCpu, madeWall, roadCpu, roadWall;
    void add(const Start& s)
    {
        madeCpu.push_back(s.madeCpu);
        madeWall.push_back(s.madeWall);
        roadCpu.push_back(s.roadCpu);
        roadWall.push_back(s.roadWall);
    }
};

int rounds()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("QV_BENCH_ROUNDS", &ok);
    return ok && n > 0 ? n : 9;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv, std::atoi(argv[2]));

    // Private ODBC files and a demo-like database for the children, which inherit the environment.
    testsupport::installOdbcEnvironment();
    QCoreApplication app(argc, argv);
    const QString dsn = testsupport::sqliteDsn();
    demo::makeDemo(QStringLiteral(QV_DEMO_SQL), testsupport::sqliteFile());
    platform::Registry registry(QStringLiteral("\\"));
    const QString demoType = GetDatabaseType(registry, dsn);

    const QString one = makeHome(testsupport::runFolder() + QStringLiteral("/home-1"), 1, dsn, demoType);
    const QString many = makeHome(testsupport::runFolder() + QStringLiteral("/home-many"), kMany, dsn, demoType);

    const int n = rounds();
    Medians few, lots;
    for (int i = 0; i < n; ++i) {
        few.add(start(argv[0], one, 1));
        lots.add(start(argv[0], many, kMany));
    }

    std::printf("%s platform, median of %d starts each, alternated; milliseconds CPU / wall\n",
                qgetenv("QT_QPA_PLATFORM").constData(), n);
    const auto row = [](const char* what, const Medians& m) {
        std::printf("  %-16s making the main window %7.1f / %7.1f   after the splash to idle %7.1f / %7.1f\n", what,
                    median(m.madeCpu), median(m.madeWall), median(m.roadCpu), median(m.roadWall));
    };
    row("1 database", few);
    row("8,000 databases", lots);

    bench::Goals goals;
    goals.check("login to idle with 8,000 databases, CPU", median(lots.roadCpu) / median(few.roadCpu), kGoal);
    goals.check("login to idle with 8,000 databases, wall", median(lots.roadWall) / median(few.roadWall), kGoal);
    return goals.exitCode();
}
