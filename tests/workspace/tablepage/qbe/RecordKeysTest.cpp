// Each kind of record key finds its record again, on SQLite and on PostgreSQL: a serial column,
// a unique text column, and the whole WHERE clause of a table without keys.
#include "Fixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>

namespace {

class RecordKeys : public QbeOnDatabase {
protected:
    QString serial() const { return pg() ? QStringLiteral("SERIAL PRIMARY KEY") : QStringLiteral("INTEGER PRIMARY KEY"); }
    // A table of rows (id, n) with n from 1 to rows.
    void numbers(const QString& table, int rows)
    {
        recreate(table, QStringLiteral("id ") + serial() + QStringLiteral(", n INTEGER"));
        exec({pg() ? QStringLiteral("INSERT INTO %1 (n) SELECT g FROM generate_series(1, %2) g").arg(table).arg(rows)
                   : QStringLiteral("WITH RECURSIVE s(g) AS (SELECT 1 UNION ALL SELECT g + 1 FROM s WHERE g < %2)"
                                    " INSERT INTO %1 (n) SELECT g FROM s")
                         .arg(table)
                         .arg(rows)});
    }
    QString shown(const QString& field) { return edit(field)->text(); }
    // Shows every found record in turn and gives the value of field in each.
    QStringList walk(const QString& field)
    {
        QStringList values;
        QTest::mouseClick(ui.BitBtn_First, Qt::LeftButton);
        form.BitBtn_FirstClick(ui.BitBtn_First);
        values << shown(field);
        while (ui.BitBtn_Next->isEnabled()) {
            QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
            values << shown(field);
        }
        return values;
    }
};

TEST_P(RecordKeys, SerialKey)
{
    recreate(QStringLiteral("qbe_cust"), QStringLiteral("id ") + serial() + QStringLiteral(", name VARCHAR(20), born DATE"));
    exec({QStringLiteral("INSERT INTO qbe_cust (name, born) VALUES ('Ann', '1970-01-02')"),
          QStringLiteral("INSERT INTO qbe_cust (name, born) VALUES ('O''Brien', '1999-12-31')"),
          QStringLiteral("INSERT INTO qbe_cust (name, born) VALUES ('Cy', NULL)")});
    form.state().SerialFields = {QStringLiteral("QBE_CUST=ID")};
    choose(QStringLiteral("qbe_cust"));
    ASSERT_EQ(form.state().KeyColumn, QStringLiteral("id"));

    runQuery([&] { type(QStringLiteral("name"), QStringLiteral("O'Brien")); });
    ASSERT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(shown(QStringLiteral("name")), QStringLiteral("O'Brien"));
    EXPECT_TRUE(status().startsWith(QStringLiteral("QBE_CUST  Record  1 of 1          "))) << status().toStdString();

    // The date escape finds the same record.
    runQuery([&] { type(QStringLiteral("born"), QStringLiteral("12/31/1999")); });
    ASSERT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(shown(QStringLiteral("name")), QStringLiteral("O'Brien"));

    form.state().OrderBy = QStringLiteral("name");
    form.state().UseSortOrder = true;
    runQuery();
    EXPECT_EQ(walk(QStringLiteral("name")), (QStringList{"Ann", "Cy", "O'Brien"}));
}

TEST_P(RecordKeys, UniqueTextKey)
{
    recreate(QStringLiteral("qbe_prod"), QStringLiteral("sku VARCHAR(20), label VARCHAR(20)"));
    exec({QStringLiteral("INSERT INTO qbe_prod VALUES ('A-1', 'first')"),
          QStringLiteral("INSERT INTO qbe_prod VALUES ('O''B 7', 'second')"),
          QStringLiteral("INSERT INTO qbe_prod VALUES ('007', 'third')")});
    form.state().UniqueFields = {QStringLiteral("QBE_PROD=SKU")};
    choose(QStringLiteral("qbe_prod"));
    ASSERT_EQ(form.state().UniqueColumn.toLower(), QStringLiteral("sku"));

    form.state().OrderBy = QStringLiteral("label");
    form.state().UseSortOrder = true;
    runQuery();
    EXPECT_EQ(form.state().RecordKeys, (QStringList{"A-1", "O'B 7", "007"}));
    EXPECT_EQ(walk(QStringLiteral("label")), (QStringList{"first", "second", "third"}));

    // Quick Query on the shown record narrows to it; a typed unique value with a quote finds it.
    QTest::mouseClick(ui.BitBtn_Previous, Qt::LeftButton);
    QTest::mouseClick(ui.BitBtn_QuickQuery, Qt::LeftButton);
    EXPECT_EQ(form.state().RecordKeys, QStringList{"O'B 7"});
    EXPECT_EQ(shown(QStringLiteral("label")), QStringLiteral("second"));
    runQuery([&] { type(QStringLiteral("sku"), QStringLiteral("007")); });
    EXPECT_EQ(shown(QStringLiteral("label")), QStringLiteral("third"));
}

TEST_P(RecordKeys, WholeClauseKey)
{
    recreate(QStringLiteral("qbe_log"), QStringLiteral("\"visit day\" DATE, who VARCHAR(20), hits INTEGER, seen TIMESTAMP,"
                                                       " ok BOOLEAN"));
    const QString yes = pg() ? QStringLiteral("true") : QStringLiteral("1");
    const QString no = pg() ? QStringLiteral("false") : QStringLiteral("0");
    exec({QStringLiteral("INSERT INTO qbe_log VALUES ('1999-12-31', 'O''Neil', NULL, '1999-12-31 10:00:00', NULL)"),
          QStringLiteral("INSERT INTO qbe_log VALUES (NULL, 'Ann', 3, NULL, %1)").arg(yes),
          QStringLiteral("INSERT INTO qbe_log VALUES ('2000-01-02', 'Bob', 4, NULL, %1)").arg(no)});
    choose(QStringLiteral("qbe_log"));
    ASSERT_TRUE(form.state().KeyColumn.isEmpty());
    ASSERT_TRUE(form.state().UniqueColumn.isEmpty());

    form.state().OrderBy = QStringLiteral("who");
    form.state().UseSortOrder = true;
    runQuery();
    ASSERT_EQ(form.state().RecordKeys.size(), 3);
    EXPECT_EQ(form.state().RecordKeys[0], QStringLiteral("WHERE \"visit day\" IS NULL AND who='Ann' AND hits=3 AND ok='1'"));
    EXPECT_EQ(walk(QStringLiteral("who")), (QStringList{"Ann", "Bob", "O'Neil"}));
    EXPECT_EQ(shown(QStringLiteral("visit day")), QStringLiteral("12/31/1999"));

    // A boolean criterion.
    runQuery([&] { type(QStringLiteral("ok"), QStringLiteral("true")); });
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(shown(QStringLiteral("who")), QStringLiteral("Ann"));

    // A criterion on the column with a blank, by its date escape.
    runQuery([&] { type(QStringLiteral("visit day"), QStringLiteral("01/02/2000")); });
    ASSERT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(shown(QStringLiteral("who")), QStringLiteral("Bob"));
}

// Table and column names outside ASCII: a criterion on such a column finds its record, and the
// record, found again by its whole clause, shows its values.
TEST_P(RecordKeys, NamesOutsideAscii)
{
    const QString table = QStringLiteral("qbe_\u00fcn\u00ef");
    const QString word = QStringLiteral("\u00fcn\u00efc\u00f8d\u00e9");
    const QString han = QStringLiteral("\u540d\u524d");
    recreate(table, word + QStringLiteral(" VARCHAR(20), ") + han + QStringLiteral(" INTEGER"));
    exec({QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES ('\u00e4pfel', 1), ('birne', 2)")});
    choose(table);
    runQuery([&] { type(word, QStringLiteral("\u00e4pfel")); });
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('|')).toStdString();
    ASSERT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(shown(word), QStringLiteral("\u00e4pfel"));
    EXPECT_EQ(shown(han), QStringLiteral("1"));
}

// In a table without keys each floating-point value selects its own row again: single and double
// precision, values the drivers print short, values that need all seventeen digits.
TEST_P(RecordKeys, FloatsInTheClauseFindTheirRow)
{
    const QString doubleType = pg() ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("DOUBLE");
    recreate(QStringLiteral("qbe_floats"), QStringLiteral("n INTEGER, r REAL, d ") + doubleType);
    exec({QStringLiteral("INSERT INTO qbe_floats VALUES (1, 49.9, 0.1 + 0.2)"),
          QStringLiteral("INSERT INTO qbe_floats VALUES (2, 3.95, 0.3)"),
          QStringLiteral("INSERT INTO qbe_floats VALUES (3, -0.1, 1e-20)"),
          QStringLiteral("INSERT INTO qbe_floats VALUES (4, 1e30, 123456789.12345678)"),
          QStringLiteral("INSERT INTO qbe_floats VALUES (5, 0, -2.5e300)"),
          QStringLiteral("INSERT INTO qbe_floats VALUES (6, 16777217, 0.30000000000000009)")});
    choose(QStringLiteral("qbe_floats"));
    ASSERT_TRUE(form.state().KeyColumn.isEmpty());
    form.state().OrderBy = QStringLiteral("n");
    form.state().UseSortOrder = true;
    runQuery();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_EQ(form.state().RecordKeys.size(), 6);
    EXPECT_EQ(walk(QStringLiteral("n")), (QStringList{"1", "2", "3", "4", "5", "6"}));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(ui.BitBtn_Update->isEnabled());
}

TEST_P(RecordKeys, StoppedWalkKeepsKeysFound)
{
    numbers(QStringLiteral("qbe_many"), 1000);
    form.state().SerialFields = {QStringLiteral("QBE_MANY=ID")};
    choose(QStringLiteral("qbe_many"));
    form.state().OrderBy = QStringLiteral("id");
    form.state().UseSortOrder = true;

    // Stop is clicked at the walk's first pause, after the hundredth row.
    bool sawBusy = false, othersLocked = false;
    QTimer::singleShot(0, &form, [&] {
        sawBusy = ui.Panel_Stop->isVisible() && ui.BitBtn_Stop->isEnabled();
        othersLocked = !ui.BitBtn_SelectTable->isEnabled() && !ui.MenuItem_SelectTable->isEnabled();
        QTest::mouseClick(ui.BitBtn_Stop, Qt::LeftButton);
    });
    runQuery();
    EXPECT_TRUE(sawBusy);
    EXPECT_TRUE(othersLocked);
    EXPECT_EQ(form.state().RecordKeys.size(), 100);
    EXPECT_EQ(form.state().RecordKeys.first(), QStringLiteral("1"));
    EXPECT_EQ(shown(QStringLiteral("n")), QStringLiteral("1"));
    EXPECT_TRUE(status().startsWith(QStringLiteral("QBE_MANY  Record  1 of 100          "))) << status().toStdString();
    EXPECT_TRUE(ui.BitBtn_SelectTable->isEnabled());
    EXPECT_FALSE(ui.Panel_Stop->isVisible());

    // Esc during the walk ends it the same way; the next mode entry lets queries run again.
    QTimer::singleShot(0, &form, [&] { QTest::keyClick(ui.BitBtn_Stop, Qt::Key_Escape); });
    runQuery();
    EXPECT_EQ(form.state().RecordKeys.size(), 100);
    runQuery();
    EXPECT_EQ(form.state().RecordKeys.size(), 1000);
}

// A walk that ends in an error offers none of the keys it read and says it was interrupted.
TEST_F(QbeWindow, WalkEndingInAnErrorIsInterrupted)
{
    QV_REQUIRE_PG();
    // Rows fetched from a cursor 50 at a time, so that the error comes in the middle of the walk.
    const auto& pg = testsupport::pg();
    testsupport::addDataSource(QStringLiteral("qv_pg_cursor"), QStringLiteral("PostgreSQL Unicode"),
                               {QStringLiteral("Servername=") + pg.host, QStringLiteral("Port=") + QString::number(pg.port),
                                QStringLiteral("Database=") + pg.database, QStringLiteral("BoolsAsChar=0"),
                                QStringLiteral("UseDeclareFetch=1"), QStringLiteral("Fetch=50")});
    connect(QStringLiteral("qv_pg_cursor"), QStringLiteral("POSTGRESQL"), pg.user, pg.password);
    recreate(QStringLiteral("qbe_fail"), QStringLiteral("id SERIAL PRIMARY KEY, n INTEGER"));
    exec({QStringLiteral("INSERT INTO qbe_fail (n) SELECT g FROM generate_series(1, 1000) g")});
    form.state().SerialFields = {QStringLiteral("QBE_FAIL=ID")};
    choose(QStringLiteral("qbe_fail"));
    form.state().OrderBy = QStringLiteral("id");
    form.state().UseSortOrder = true;
    // Row 300 divides by zero while the rows are read.
    form.state().AppendedSql = QStringLiteral("1 / (n - 300) > -2");
    query();
    execute();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QLatin1String("division by zero"))) << messages[0].toStdString();
    EXPECT_TRUE(form.state().RecordKeys.isEmpty());
    EXPECT_TRUE(status().startsWith(QStringLiteral("QBE_FAIL  Query interrupted after ")))
        << status().toStdString();
    EXPECT_FALSE(status().startsWith(QStringLiteral("QBE_FAIL  Query interrupted after 0 "))) << status().toStdString();
    EXPECT_FALSE(ui.BitBtn_Next->isEnabled());
}

// The query after the one that met a dropped link connects again and says so.
TEST_F(QbeWindow, LostConnectionIsMadeAgainOnTheNextQuery)
{
    QV_REQUIRE_PG();
    connectPg();
    recreate(QStringLiteral("qbe_lost"), QStringLiteral("id SERIAL PRIMARY KEY, n INTEGER"));
    exec({QStringLiteral("INSERT INTO qbe_lost (n) VALUES (1), (2), (3)")});
    form.state().SerialFields = {QStringLiteral("QBE_LOST=ID")};
    choose(QStringLiteral("qbe_lost"));
    query();
    execute();
    ASSERT_EQ(form.state().RecordKeys.size(), 3);

    platform::engine::Query pid;
    pid.setDatabaseName(form.Database.databaseName());
    pid.sql() << QStringLiteral("SELECT pg_backend_pid()");
    pid.open();
    testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid.fields(0).asInteger()));
    pid.close();

    query();
    execute();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(status().startsWith(QStringLiteral("QBE_LOST  Record  0 of 0"))) << status().toStdString();
    EXPECT_TRUE(ui.StatusBar->currentMessage().isEmpty());

    query();
    execute();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(form.state().RecordKeys.size(), 3);
    EXPECT_TRUE(status().startsWith(QStringLiteral("QBE_LOST  Record  1 of 3"))) << status().toStdString();
    const QString note = QStringLiteral("The connection to ") + testsupport::pg().dsn
                         + QStringLiteral(" was lost and has been made again.");
    EXPECT_EQ(ui.StatusBar->currentMessage(), note);
    // The mouse leaving the button that ran the query leaves the note.
    QStatusTipEvent left{QString()};
    QApplication::sendEvent(ui.BitBtn_Execute, &left);
    EXPECT_EQ(ui.StatusBar->currentMessage(), note);
}


// The records found are gone before the first is shown: the page is cleared, and Execute's end
// must not offer Update and Remove for it.
TEST_P(RecordKeys, ClearedPageKeepsUpdateAndRemoveOff)
{
    numbers(QStringLiteral("qbe_gone"), 150);
    form.state().SerialFields = {QStringLiteral("QBE_GONE=ID")};
    choose(QStringLiteral("qbe_gone"));
    // At the walk's first pause, another user removes every row.
    QTimer::singleShot(0, &form, [&] { exec({QStringLiteral("DELETE FROM qbe_gone")}); });
    runQuery();
    ASSERT_FALSE(form.state().RecordKeys.isEmpty());
    EXPECT_TRUE(shown(QStringLiteral("n")).isEmpty());
    EXPECT_FALSE(ui.BitBtn_Update->isEnabled());
    EXPECT_FALSE(ui.BitBtn_Remove->isEnabled());
    EXPECT_TRUE(ui.BitBtn_Query->isEnabled());
}

// The walk paints its count about ten times a second, not every few rows: painting is what made
// a walk with the window on screen ten times slower than the fetch.
TEST_P(RecordKeys, WalkPaintsItsCountByTime)
{
    numbers(QStringLiteral("qbe_paint"), 5000);
    form.state().SerialFields = {QStringLiteral("QBE_PAINT=ID")};
    choose(QStringLiteral("qbe_paint"));

    struct PaintCounter : QObject {
        int paints = 0;
        QStringList texts;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint) {
                ++paints;
                texts << static_cast<QLabel*>(watched)->text();
            }
            return false;
        }
    } counter;
    QLabel* panel = form.statusPanel(0);
    QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
    QApplication::processEvents();
    panel->installEventFilter(&counter);
    QElapsedTimer walk;
    walk.start();
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    const qint64 ms = walk.elapsed();
    panel->removeEventFilter(&counter);
    ASSERT_EQ(form.state().RecordKeys.size(), 5000);
    // One paint per tenth of a second, and a few for the start, the end and the record shown (a
    // repaint of the status bar paints the panel again); not one every few rows.
    EXPECT_LE(counter.paints, ms / 100 + 8) << ms << " ms: " << counter.texts.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(counter.texts.contains(QStringLiteral("Querying Records     5000")))
        << counter.texts.join(QLatin1Char('|')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, RecordKeys, ::testing::Values(Db::Sqlite, Db::Pg), DatabaseName);

} // namespace
