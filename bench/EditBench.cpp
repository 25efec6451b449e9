// Adding, updating and removing 1,000 records through the Table page's own functions (AddRecord,
// UpdateShownRecord, BitBtn_RemoveClick) against a bare ODBC loop sending the same statements
// (each INSERT with its key's locate, where it does not give the key back, and record fetch, each
// UPDATE in its transaction and each DELETE with the fetch that shows the record after it), on
// SQLite and PostgreSQL. An add must stay within 2 times the loop plus the least painted change,
// which every add ends with and no bare loop pays (the new record and its count are painted); an
// update within 2 times the loop (bench/Goals.h: the run exits non-zero when one is over). The
// window is shown, and each command's time includes the painting it leaves for the event loop,
// which the user waits for as well. Remove includes the question a user must answer; it is
// reported with and without it.
// Both sides use one SQLite data source, synchronous writes off, so that neither waits on the
// disk. Then storing and showing a 1 MB JPEG picture. Page and loop rounds alternate in one
// process and the medians are reported (QV_BENCH_ROUNDS rounds, 5 unless set). "show" is the
// display that ends every command (ShowRecord) against its bare fetch, to tell the two costs apart.
// The values a command writes are typed and painted before it, as a user types them, on both
// sides: the bare loop's add or update, too, follows its record's values painted (and, for an
// update, the record brought up on its own connection), so that each side's statements meet the
// database and the processor as a user's command does. Sent back to back, with nothing between
// commands, the same statements cost a third less: neither the server nor the processor's caches
// have gone cold. That loop is reported for information. The least painted change is measured in
// each round beside the page and the loops. Also for information, what Qt alone takes to put a
// record's values into the line edits and paint them.
#include "bench/BareOdbc.h"
#include "bench/BenchWindow.h"
#include "bench/Goals.h"
#include "bench/PaintFloor.h"
#include "components/BVMaskEdit.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/imaging/Imaging.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/tablepage/AddRecord.h"
#include "workspace/tablepage/BVImage.h"
#include "workspace/tablepage/BlobPictures.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/UpdateRecord.h"

#include "ui_Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QRandomGenerator>
#include <QScrollArea>
#include <QTemporaryDir>

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRecords = 1000;
using bench::check;

struct Times {
    std::vector<double> add, update, remove, show, paint;  // ms, one entry a round
};

// The goal for add and update: the page within twice the bare loop.
constexpr double kGoal = 2.0;

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int rounds()
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("QV_BENCH_ROUNDS", &ok);
    return ok && n > 0 ? n : 5;
}

class Bench {
public:
    Bench(const QString& dsn, const QString& user, const QString& password, const QString& dbType, bool pg)
        : dsn_(dsn), user_(user), password_(password), pg_(pg)
    {
        bench::connectWindow(form_, db_, QStringLiteral("edit_bench_db"), dbType, dsn, user, password);
        form_.ui().MenuItem_AllowLowerCase->setChecked(true);
        env_ = std::make_unique<TablePageEnv>(form_.tablePageEnv());
        // The window is shown, as in the program: what a command leaves to be painted is painted
        // by the event loop between commands (timed apart, as "paint").
        form_.show();
        QApplication::processEvents();
    }
    ~Bench() { form_.state().CurrentDatabase = nullptr; }

    void exec(const QString& sql)
    {
        platform::engine::Query q;
        q.setDatabaseName(form_.Database.databaseName());
        q.sql() << sql;
        q.execSQL();
    }

    // A fresh table and its page; the serial restarts at 1.
    void makeTable(const QString& table, const QString& columns)
    {
        exec(QStringLiteral("DROP TABLE IF EXISTS ") + table);
        exec(QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (id ")
             + (pg_ ? QStringLiteral("serial primary key") : QStringLiteral("integer primary key autoincrement"))
             + QStringLiteral(", ") + columns + QLatin1Char(')'));
        MainState& s = form_.state();
        s.CurrentTable = table;
        s.RecordKeys.clear();
        s.RecordIndex = -1;
        BuildTablePage(*env_);
    }

    TBVMaskEdit* edit(const char* column)
    {
        return form_.ui().ScrollBox->widget()->findChild<TBVMaskEdit*>(QStringLiteral("BVMaskEdit_") + column);
    }

    // The values of record i: round 0 adds them, round r > 0 changes every one of them.
    void fill(int i, int r)
    {
        const QString values[] = {QStringLiteral("name %1'%2").arg(i).arg(r), QString::number(i + r),
                                  QString::number((i + r) * 0.5), QStringLiteral("01/%1/2003").arg(2 + r % 20, 2, 10, QLatin1Char('0')),
                                  (i + (r > 0 ? 1 : 0)) % 2 ? QStringLiteral("True") : QStringLiteral("False")};
        const char* columns[] = {"name", "n", "f", "d", "b"};
        for (int c = 0; c < 5; ++c) {
            TBVMaskEdit* e = edit(columns[c]);
            e->setText(values[c]);
            e->Hint = values[c];
        }
    }

    QString fetchText(int key)
    {
        const MainState& s = form_.state();
        return RecordStatementLines(s.CurrentTable, s.KeyColumn, QString(), platform::engine::ftAutoInc, db_.DBType,
                                    QString::number(key),
                                    RecordSelectList(s.ColumnList, form_.Database.dbmsName(), s.KeyColumn))
            .join(QLatin1Char('\n'));
    }

    // The statements the page sends, in order, for adding, updating and removing kRecords records.
    std::vector<QString> statements(int r, std::vector<QString>& updates, std::vector<QString>& removes)
    {
        MainState& s = form_.state();
        const QList<QWidget*> controls = PageControls(form_.ui());
        std::vector<QString> adds;
        const AddedKeyWay way = AddedKeyWayFor(form_.Database.dbmsName());
        for (int i = 0; i < kRecords; ++i) {
            fill(i, 0);
            adds.push_back(InsertStatementLines(s.CurrentTable, s.KeyColumn, controls, way == AddedKeyWay::Returning)
                               .join(QLatin1Char('\n')));
            // Empty where the INSERT gives the key back itself.
            adds.push_back(LocateStatementLines(s.CurrentTable, s.KeyColumn, controls, way).join(QLatin1Char('\n')));
            adds.push_back(fetchText(i + 1));
        }
        for (int i = 0; i < kRecords; ++i) {
            fill(i, r + 1);
            const RecordKey key{KeyKind::Serial, s.KeyColumn, QString::number(i + 1)};
            updates.push_back(UpdateStatementLines(s.CurrentTable, QString(), controls, KeyCondition(s, key))
                                  .join(QLatin1Char('\n')));
            updates.push_back(fetchText(i + 1));
        }
        for (int i = 0; i < kRecords; ++i) {
            const RecordKey key{KeyKind::Serial, s.KeyColumn, QString::number(i + 1)};
            removes.push_back(QStringLiteral("DELETE FROM ") + QuoteTableName(s.CurrentTable) + QLatin1Char('\n') + KeyCondition(s, key));
            if (i + 1 < kRecords)
                removes.push_back(fetchText(i + 2));
        }
        return adds;
    }

    // Page: each record's values typed, then the command, timed with the painting it leaves to
    // the event loop (the user waits for the page to show the result).
    void pageRound(Times& t, int r)
    {
        MainState& s = form_.state();
        double ms = 0, paint = 0;
        auto command = [&](const std::function<void()>& run) {
            ms += timed(run);
            const double p = timed([] { QApplication::processEvents(); });
            ms += p;
            paint += p;
        };
        QApplication::processEvents();
        // The values typed were painted as they were typed, before the command, as for an update.
        for (int i = 0; i < kRecords; ++i) {
            fill(i, 0);
            QApplication::processEvents();
            command([&] { AddRecord(*env_); });
        }
        t.add.push_back(ms);
        ms = 0;
        for (int i = 0; i < kRecords; ++i) {
            s.RecordIndex = i;
            ShowRecord(*env_);
            fill(i, r + 1);
            QApplication::processEvents();
            command([&] { UpdateShownRecord(*env_); });
        }
        t.update.push_back(ms);
        // The display that ends each command, alone, painted.
        ms = 0;
        for (int i = 0; i < kRecords; ++i) {
            s.RecordIndex = i;
            command([&] { ShowRecord(*env_); });
        }
        t.show.push_back(ms);
        s.RecordIndex = 0;
        ShowRecord(*env_);
        // Remove answered No costs the question alone, where it is asked.
        answerNo = true;
        ms = 0;
        for (int i = 0; i < kRecords; ++i)
            command([&] { BitBtn_RemoveClick(*env_, form_.ui().BitBtn_Remove); });
        answerNo = false;
        question.push_back(ms);
        ms = 0;
        for (int i = 0; i < kRecords; ++i)
            command([&] { BitBtn_RemoveClick(*env_, form_.ui().BitBtn_Remove); });
        t.remove.push_back(ms);
        t.paint.push_back(paint);
        if (!s.RecordKeys.isEmpty())
            std::fprintf(stderr, "records left after removing: %d\n", int(s.RecordKeys.size()));
    }

    // The bare loop sends the page's statements on a connection of its own; the rows of a SELECT
    // are read column by column as text. Each add and update starts as the page's does: the
    // record brought up on the loop's own connection (for an update) and the typed values painted,
    // untimed; then only its statements are timed. Show and remove run back to back, as the page's.
    void bareRound(Times& t, const std::vector<QString>& adds, const std::vector<QString>& updates,
                   const std::vector<QString>& removes, int r)
    {
        bench::BareConnection c(dsn_, user_, password_);
        const std::vector<std::u16string> a = wide(adds), up = wide(updates), rm = wide(removes);
        double add = 0, update = 0;
        for (int i = 0; i < kRecords; ++i) {
            fill(i, 0);
            QApplication::processEvents();
            add += timed([&] { run(c, a.begin() + 3 * i, a.begin() + 3 * i + 3); });
        }
        for (int i = 0; i < kRecords; ++i) {
            run(c, up.begin() + 2 * i + 1, up.begin() + 2 * i + 2);  // the record's fetch
            fill(i, r + 1);
            QApplication::processEvents();
            update += timed([&] {
                // The page's UPDATE runs in a transaction of its own, to be undone when it meets
                // more rows than the record's.
                inTransaction(c, [&] { run(c, up.begin() + 2 * i, up.begin() + 2 * i + 1); });
                run(c, up.begin() + 2 * i + 1, up.begin() + 2 * i + 2);
            });
        }
        t.add.push_back(add);
        t.update.push_back(update);
        std::vector<std::u16string> fetches;
        for (size_t i = 1; i < up.size(); i += 2)
            fetches.push_back(up[i]);
        t.show.push_back(timed([&] { run(c, fetches.begin(), fetches.end()); }));
        t.remove.push_back(timed([&] { run(c, rm.begin(), rm.end()); }));
    }

    // For information: the adds and then the updates sent back to back, with no pause between
    // commands. The server never waits for the next statement there, which no user's commands
    // give it.
    void backToBackRound(Times& t, const std::vector<QString>& adds, const std::vector<QString>& updates)
    {
        bench::BareConnection c(dsn_, user_, password_);
        const std::vector<std::u16string> a = wide(adds), up = wide(updates);
        t.add.push_back(timed([&] { run(c, a.begin(), a.end()); }));
        t.update.push_back(timed([&] { run(c, up.begin(), up.end()); }));
    }

    static std::vector<std::u16string> wide(const std::vector<QString>& list)
    {
        std::vector<std::u16string> out;
        for (const QString& s : list)
            out.push_back(s.toStdU16String());
        return out;
    }

    static void inTransaction(bench::BareConnection& c, const std::function<void()>& statements)
    {
        check(SQLSetConnectAttr(c.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), SQL_IS_UINTEGER),
              SQL_HANDLE_DBC, c.dbc, "autocommit off");
        statements();
        check(SQLEndTran(SQL_HANDLE_DBC, c.dbc, SQL_COMMIT), SQL_HANDLE_DBC, c.dbc, "commit");
        check(SQLSetConnectAttr(c.dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), SQL_IS_UINTEGER),
              SQL_HANDLE_DBC, c.dbc, "autocommit on");
    }

    static void run(bench::BareConnection& c, std::vector<std::u16string>::const_iterator from,
                    std::vector<std::u16string>::const_iterator to)
    {
        for (; from != to; ++from) {
            if (from->empty())
                continue;
            check(SQLExecDirectW(c.stmt, bench::BareConnection::text(*from), SQL_NTS), SQL_HANDLE_STMT, c.stmt,
                  "statement");
            SQLSMALLINT cols = 0;
            SQLNumResultCols(c.stmt, &cols);
            if (cols > 0) {
                SQLWCHAR buf[256];
                SQLLEN ind = 0;
                while (SQL_SUCCEEDED(SQLFetch(c.stmt)))
                    for (SQLUSMALLINT col = 1; col <= cols; ++col)
                        SQLGetData(c.stmt, col, SQL_C_WCHAR, buf, sizeof buf, &ind);
            }
            SQLFreeStmt(c.stmt, SQL_CLOSE);
        }
    }

    void records(const char* label)
    {
        const QString table = QStringLiteral("qvbench_edit");
        const QString columns = QStringLiteral("name varchar(40), n integer, f double precision, d date, b boolean");
        Times page, bare, backToBack;
        bench::PaintFloor floor(&form_);
        std::vector<double> least;  // ms for 1,000 least painted changes, one entry a round
        for (int r = 0, n = rounds(); r < n; ++r) {
            makeTable(table, columns);
            std::vector<QString> updates, removes;
            const std::vector<QString> adds = statements(r, updates, removes);
            pageRound(page, r);
            makeTable(table, columns);
            bareRound(bare, adds, updates, removes, r);
            makeTable(table, columns);
            backToBackRound(backToBack, adds, updates);
            least.push_back(floor.run(kRecords) * 1000);
        }
        auto line = [&](const char* what, const std::vector<double>& pv, const std::vector<double>& bv) {
            const double p = median(pv), b = median(bv);
            std::printf("%-11s %-7s 1,000 records: page %8.1f ms, bare loop %8.1f ms, ratio %.2f (medians of %d)\n",
                        label, what, p, b, p / b, int(pv.size()));
            return p / b;
        };
        const double q = median(question);
        std::printf("%-11s remove answered No (the question alone, painted), 1,000 times: %.1f ms\n", label, q);
        line("add", page.add, bare.add);
        const double update = line("update", page.update, bare.update);
        const double remove = line("remove", page.remove, bare.remove);
        line("show", page.show, bare.show);
        std::printf("%-11s the bare loop's adds and updates back to back, no pause between commands (for "
                    "information): add %.1f ms (page %.2fx it), update %.1f ms (page %.2fx it)\n",
                    label, median(backToBack.add), median(page.add) / median(backToBack.add),
                    median(backToBack.update), median(page.update) / median(backToBack.update));
        std::printf("%-11s remove without the question: ratio %.2f (with it %.2f)\n", label,
                    (median(page.remove) - q) / median(bare.remove), remove);
        std::printf("%-11s painting after the 4,000 commands of a round (in the page's times): %.1f ms\n", label,
                    median(page.paint));
        // Qt's part: the record's values put into the page's line edits and painted, no command.
        std::vector<double> typing;
        for (int r = 0, n = rounds(); r < n; ++r)
            typing.push_back(timed([&] {
                for (int i = 0; i < kRecords; ++i) {
                    fill(i, r);
                    QApplication::processEvents();
                }
            }));
        std::printf("%-11s the values put into the line edits and painted, no command, 1,000 times: %.1f ms "
                    "(%.2fx the bare add loop, for information)\n",
                    label, median(typing), median(typing) / median(bare.add));
        std::printf("%-11s the least a painted change costs here (a 4 x 4 widget filled and painted), 1,000 times: "
                    "%.1f ms; the add against the bare loop with it: %.2f\n",
                    label, median(least), median(page.add) / (median(bare.add) + median(least)));
        const std::string name(label);
        goals.check((name + " add, page / (bare loop + least painted change)").c_str(),
                    median(page.add) / (median(bare.add) + median(least)), kGoal);
        goals.check((name + " update, page / bare loop").c_str(), update, kGoal);
        exec(QStringLiteral("DROP TABLE ") + table);
    }

    void picture(const char* label)
    {
        QTemporaryDir dir;
        QImage img(1400, 1000, QImage::Format_RGB32);
        QRandomGenerator gen(7);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                img.setPixel(x, y, gen.generate() | 0xff000000u);
        const QByteArray jpeg = platform::imaging::encodeJpeg(img);
        const QString file = dir.path() + QStringLiteral("/big.jpg");
        QFile f(file);
        f.open(QIODevice::WriteOnly);
        f.write(jpeg);
        f.close();

        makeTable(QStringLiteral("qvbench_pics"), QStringLiteral("name varchar(20), pic ")
                                                      + (pg_ ? QStringLiteral("bytea") : QStringLiteral("blob")));
        exec(QStringLiteral("INSERT INTO qvbench_pics (name) VALUES ('one')"));
        MainState& s = form_.state();
        s.RecordKeys = QStringList{QStringLiteral("1")};
        s.RecordIndex = 0;
        ShowRecord(*env_);
        auto* image = form_.ui().ScrollBox->widget()->findChild<TBVImage*>(QStringLiteral("Image_pic"));
        form_.ui().PopupMenu_Images->setProperty("PopupComponent", QVariant::fromValue<QObject*>(image));

        double load = 1e18, store = 1e18, show = 1e18, unchanged = 1e18;
        for (int r = 0; r < 3; ++r) {
            s.InUpdateMode = true;
            fileAnswer = file;
            load = std::min(load, timed([&] { MenuItem_LoadImageClick(*env_, form_.ui().MenuItem_LoadImage); }));
            store = std::min(store, timed([&] { UpdateShownRecord(*env_); }));  // ends showing it again
            show = std::min(show, timed([&] { ShowRecord(*env_); }));
            edit("name")->setText(QStringLiteral("two"));
            edit("name")->Hint = QStringLiteral("two");
            unchanged = std::min(unchanged, timed([&] { UpdateShownRecord(*env_); }));
            s.InUpdateMode = false;
        }
        std::printf("%-11s 1 MB JPEG (%.2f MB, 1400 x 1000): load from file %.1f ms, store and show again %.1f ms, "
                    "show %.1f ms, update with the picture unchanged %.1f ms\n",
                    label, jpeg.size() / 1e6, load, store, show, unchanged);
        exec(QStringLiteral("DROP TABLE qvbench_pics"));
    }

    static double timed(const std::function<void()>& f)
    {
        QElapsedTimer t;
        t.start();
        f();
        return double(t.nsecsElapsed()) / 1e6;
    }

    QString fileAnswer;
    bool answerNo = false;
    bench::Goals goals;
    std::vector<double> question;  // ms for 1,000 removals answered No, one entry a round

private:
    QString dsn_, user_, password_;
    bool pg_;
    TForm_Main form_;
    TDataBaseObj db_;
    std::unique_ptr<TablePageEnv> env_;
};

} // namespace

int main(int argc, char** argv)
{
    testsupport::installOdbcEnvironment();
    QApplication app(argc, argv);
    Bench* current = nullptr;
    // Remove's question is answered Yes; the picture file dialog with the bench's file.
    platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
        platform::modal::Answer a;
        a.result = r.kind == platform::modal::Kind::Window ? (current && current->answerNo ? mrNo : mrYes) : 1;
        if (r.kind == platform::modal::Kind::OpenFile && current)
            a.text = current->fileAnswer;
        if (r.kind == platform::modal::Kind::MessageBox || (r.kind == platform::modal::Kind::Window && !r.text.isEmpty()))
            std::fprintf(stderr, "message: %s\n", r.text.toStdString().c_str());
        return a;
    });
    bool over = false;
    if (bench::runsDatabase("sqlite")) {
        // The page and the bare loop connect to this one data source alike.
        const QString dsn = QStringLiteral("qv_bench_edit");
        testsupport::addDataSource(dsn, QStringLiteral("SQLite3"),
                                   {QStringLiteral("Database=") + testsupport::sqliteFile(), QStringLiteral("SyncPragma=OFF")});
        Bench sqlite(dsn, {}, {}, QStringLiteral("SQLITE"), false);
        current = &sqlite;
        sqlite.records("SQLite");
        sqlite.picture("SQLite");
        over = over || sqlite.goals.anyOver();
    }
    if (!bench::runsDatabase("pg")) {
    } else if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        Bench postgres(pg.dsn, pg.user, pg.password, QStringLiteral("POSTGRESQL"), true);
        current = &postgres;
        postgres.records("PostgreSQL");
        postgres.picture("PostgreSQL");
        over = over || postgres.goals.anyOver();
    } else {
        std::printf("PostgreSQL: skipped (%s)\n", testsupport::pgUnavailableReason().toStdString().c_str());
    }
    return over ? 1 : 0;
}
