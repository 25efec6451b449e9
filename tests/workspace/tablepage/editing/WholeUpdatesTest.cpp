// An update writes what the user changed and nothing else, exactly as typed, and a record with its
// long text is stored as one whole or not at all; on SQLite and PostgreSQL, read back as stored
// (quote() and ::text).
#include "tests/workspace/tablepage/editing/EditFixture.h"

#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/UpdateRecord.h"
#include "workspace/tablepage/ValueChecks.h"

namespace {

class WholeUpdates : public EditFixture {
protected:
    void SetUp() override
    {
        EditFixture::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(true);
        ui.MenuItem_DefaultNulls->setChecked(false);
    }

    // One row of values the page cannot show exactly: an integer past 2^31 (past 2^53 on
    // PostgreSQL, whose bigint went through a double), 0.1 + 0.2, a date with a time and a text
    // that is no date (SQLite keeps any text), a timestamp with fractional seconds.
    void makeExact()
    {
        if (pg()) {
            recreate(QStringLiteral("qvedit_exact"),
                     QStringLiteral("id serial primary key, name varchar(20), big bigint, n integer, "
                                    "f double precision, ts timestamp, notes text"));
            exec({QStringLiteral("INSERT INTO qvedit_exact (name, big, n, f, ts, notes) VALUES ('a', "
                                 "9007199254740993, 7, 0.1::float8 + 0.2::float8, '2020-11-02 09:15:00.25', 'kept')")});
        } else {
            recreate(QStringLiteral("qvedit_exact"),
                     QStringLiteral("id integer primary key autoincrement, name varchar(20), big integer, "
                                    "n integer, f double, d date, odd date, notes text"));
            exec({QStringLiteral("INSERT INTO qvedit_exact (name, big, n, f, d, odd, notes) VALUES ('a', "
                                 "5000000000, -9007199254740993, 0.1 + 0.2, '2020-11-02 09:15:00', '14.03.2019', "
                                 "'kept')")});
        }
        build(QStringLiteral("qvedit_exact"));
        state.RecordKeys = QStringList{QStringLiteral("1")};
        show(0);
    }
    // Every value of the row as the database writes it.
    QString stored()
    {
        const QStringList all = pg() ? rows(QStringLiteral("SELECT big::text, n::text, f::text, ts::text, notes "
                                                           "FROM qvedit_exact"))
                                     : rows(QStringLiteral("SELECT quote(big), quote(n), quote(f), quote(d), "
                                                           "quote(odd), quote(notes) FROM qvedit_exact"));
        return all.join(QLatin1Char('\n'));
    }
    // The check a user meets on leaving each field, as on the way to the one they change.
    void leaveEveryField()
    {
        for (QWidget* w : PageControls(ui))
            ValidateFieldOnExit(*env, w);
    }
    // Statements that reached the table, counted by a trigger.
    void countUpdates(const QString& table)
    {
        exec({QStringLiteral("DROP TABLE IF EXISTS qvedit_updates"), QStringLiteral("CREATE TABLE qvedit_updates (n integer)"),
              QStringLiteral("INSERT INTO qvedit_updates VALUES (0)")});
        if (pg()) {
            exec({QStringLiteral("CREATE OR REPLACE FUNCTION qvedit_count() RETURNS trigger AS "
                                 "$$ BEGIN UPDATE qvedit_updates SET n = n + 1; RETURN NEW; END $$ LANGUAGE plpgsql"),
                  QStringLiteral("CREATE TRIGGER qvedit_count AFTER UPDATE ON ") + table
                      + QStringLiteral(" FOR EACH ROW EXECUTE FUNCTION qvedit_count()")});
        } else {
            exec({QStringLiteral("CREATE TRIGGER qvedit_count AFTER UPDATE ON ") + table
                  + QStringLiteral(" BEGIN UPDATE qvedit_updates SET n = n + 1; END")});
        }
    }
    int updatesCounted() { return rows(QStringLiteral("SELECT n FROM qvedit_updates")).value(0).toInt(); }
};

TEST_P(WholeUpdates, UntouchedValuesKeepTheirStoredBytes)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    makeExact();
    const QString before = stored();
    EXPECT_EQ(edit("big")->text(), pg() ? QStringLiteral("9007199254740993") : QStringLiteral("5000000000"));
    EXPECT_EQ(edit("f")->text(), QStringLiteral("0.30000000000000004")) << "the shortest text of the stored double";

    update();
    leaveEveryField();
    type("name", "b");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows("SELECT name FROM qvedit_exact"), QStringList{"b"});
    EXPECT_EQ(stored(), before);
    EXPECT_EQ(edit("f")->text(), QStringLiteral("0.30000000000000004"));
}

TEST_P(WholeUpdates, TypedValuesAreStoredExactly)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    makeExact();
    const QString exactSum = pg() ? QStringLiteral("SELECT f = 0.1::float8 + 0.2::float8, big::text FROM qvedit_exact")
                                  : QStringLiteral("SELECT quote(f) = quote(0.1 + 0.2), quote(big) FROM qvedit_exact");
    const QString yes = pg() ? QStringLiteral("True") : QStringLiteral("1");

    update();
    type("big", "9223372036854775807");
    type("f", "0.1");
    leaveEveryField();
    execute();
    update();
    type("f", "0.30000000000000004");
    leaveEveryField();
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows(exactSum), QStringList{yes + QStringLiteral("|9223372036854775807")});
    EXPECT_EQ(edit("big")->text(), QStringLiteral("9223372036854775807"));
    EXPECT_EQ(edit("f")->text(), QStringLiteral("0.30000000000000004"));

    // Added the same way.
    add();
    type("name", "new");
    type("big", "-9223372036854775808");
    type("f", "0.30000000000000004");
    leaveEveryField();
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows(exactSum + QStringLiteral(" WHERE name = 'new'")),
              QStringList{yes + QStringLiteral("|-9223372036854775808")});

    // What the column cannot hold is the database's to refuse, with its own message.
    if (pg()) {
        show(0);
        update();
        type("n", "5000000000");
        leaveEveryField();
        execute();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.at(0).contains(QStringLiteral("out of range"))) << messages.at(0).toStdString();
        EXPECT_EQ(rows("SELECT n FROM qvedit_exact WHERE id = 1"), QStringList{"7"});
    }
}

// 1E400 is no double: refused where the field is left and where Execute is pressed in it, and
// nothing is written (it went in as 0.00 before).
TEST_P(WholeUpdates, NumbersOutOfRangeAreRefused)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    makeExact();
    const QString before = stored();
    update();
    type("f", "1E400");
    ValidateFieldOnExit(*env, edit("f"));
    EXPECT_EQ(messages, QStringList{"Floating Point Number out of range!"});
    EXPECT_EQ(edit("f")->text(), QStringLiteral("0"));

    messages.clear();
    type("f", "1E400");
    type("name", "b");
    execute();
    EXPECT_EQ(messages, QStringList{"Floating Point Number out of range!"});
    EXPECT_EQ(rows("SELECT name FROM qvedit_exact"), QStringList{"a"});
    EXPECT_EQ(stored(), before);

    messages.clear();
    add();
    type("name", "c");
    type("f", "-1e-400");
    execute();
    EXPECT_EQ(messages, QStringList{"Floating Point Number out of range!"});
    EXPECT_EQ(rows("SELECT count(*) FROM qvedit_exact"), QStringList{"1"});
}

TEST_P(WholeUpdates, OnlyWhatChangedIsSent)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    makeExact();
    countUpdates(QStringLiteral("qvedit_exact"));
    update();
    leaveEveryField();
    execute();
    EXPECT_EQ(updatesCounted(), 0) << "nothing changed, nothing sent";
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    update();
    type("name", "b");
    markNull("n");
    const RecordKey key{KeyKind::Serial, QStringLiteral("id"), QStringLiteral("1")};
    EXPECT_EQ(UpdateStatementLines(state.CurrentTable, QString(), PageControls(ui), KeyCondition(state, key)),
              (QStringList{"UPDATE qvedit_exact SET ", "name = 'b',", "n = null", "WHERE id = 1"}));
    execute();
    EXPECT_EQ(updatesCounted(), 1) << "one statement: the long text was left alone";

    // A long text typed and typed back to what it was is no change either.
    update();
    type("notes", "other");
    type("notes", "kept");
    execute();
    EXPECT_EQ(updatesCounted(), 1);
}

// A record without a key is found again by what it stores, with the changes applied, also when
// the page cannot show that exactly.
TEST_P(WholeUpdates, RecordsWithoutAKeyAreFoundAgain)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_loose"), QStringLiteral("name varchar(20), f double precision, d date, n integer"));
    exec({QStringLiteral("INSERT INTO qvedit_loose VALUES ('a', ")
          + (pg() ? QStringLiteral("0.1::float8 + 0.2::float8") : QStringLiteral("0.1 + 0.2"))
          + QStringLiteral(", '2020-11-02', 1)")});
    if (!pg())
        exec({QStringLiteral("UPDATE qvedit_loose SET d = '2020-11-02 09:15:00'")});
    build(QStringLiteral("qvedit_loose"));
    state.RecordKeys = QStringList{QStringLiteral("WHERE name='a'")};
    show(0);

    update();
    type("n", "2");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_EQ(state.RecordKeys.size(), 1);
    EXPECT_TRUE(state.RecordKeys.at(0).contains(QStringLiteral("n=2"))) << state.RecordKeys.at(0).toStdString();
    show(0);
    EXPECT_EQ(edit("name")->text(), QStringLiteral("a")) << "found by " << state.RecordKeys.at(0).toStdString();
    EXPECT_EQ(edit("n")->text(), QStringLiteral("2"));

    // Found again after another change, by the same stored values.
    update();
    type("name", "b");
    execute();
    show(0);
    EXPECT_EQ(edit("name")->text(), QStringLiteral("b")) << "found by " << state.RecordKeys.at(0).toStdString();
    EXPECT_EQ(rows("SELECT name, n FROM qvedit_loose"), QStringList{"b|2"});
    // Found by what it stores, not by writing back what the page shows.
    EXPECT_EQ(rows(pg() ? "SELECT d::text, f = 0.1::float8 + 0.2::float8 FROM qvedit_loose"
                        : "SELECT quote(d), quote(f) = quote(0.1 + 0.2) FROM qvedit_loose"),
              QStringList{pg() ? "2020-11-02|True" : "'2020-11-02 09:15:00'|1"});
}

// A second program on the same row, with a window and a connection of its own.
struct OtherProgram {
    QMainWindow window;
    Ui::TForm_Main ui;
    QLabel panel0;
    MainState state;
    TDataBaseObj dbObj;
    platform::engine::Database db;
    platform::engine::Table table, table2;
    platform::engine::Query query;
    platform::ado::AdoQuery ado;
    std::unique_ptr<TablePageEnv> env;

    OtherProgram(const QString& dsn, const QString& user, const QString& password, const QString& dbType)
    {
        ui.setupUi(&window);
        window.show();
        db.setDatabaseName(QStringLiteral("other_program_db"));
        db.setAliasName(dsn);
        db.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        db.setConnected(true);
        table.setDatabaseName(db.databaseName());
        table2.setDatabaseName(db.databaseName());
        query.setDatabaseName(db.databaseName());
        dbObj.DBType = dbType;
        dbObj.DataSource = dsn;
        dbObj.UserName = user;
        dbObj.Password = password;
        state.CurrentDatabase = &dbObj;
        ui.MenuItem_AllowLowerCase->setChecked(true);
        env = std::make_unique<TablePageEnv>(
            TablePageEnv{state, ui, &window, &panel0, ColumnSources{&table, &table2, &query, &ado}, db.databaseName()});
    }
    TBVMaskEdit* edit(const char* column)
    {
        return ui.ScrollBox->widget()->findChild<TBVMaskEdit*>(QStringLiteral("BVMaskEdit_") + column);
    }
    void show(const QString& table, const QString& key)
    {
        state.CurrentTable = table;
        BuildTablePage(*env);
        state.RecordKeys = QStringList{key};
        state.RecordIndex = 0;
        BitBtn_FirstClick(*env, nullptr);
    }
    // Update mode, a field typed in, Execute.
    void change(const char* column, const QString& text)
    {
        BitBtn_QueryClick(*env, ui.BitBtn_Update);
        TBVMaskEdit* e = edit(column);
        e->end(false);
        QTest::keyClick(e, Qt::Key_Delete);
        e->setText(text);
        BitBtn_ExecuteClick(*env, ui.BitBtn_Execute);
    }
};

TEST_P(WholeUpdates, TwoProgramsOnOneRowKeepEachOthersChanges)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_shared"), QStringLiteral("id ") + serialType()
                                                  + QStringLiteral(", name varchar(20), city varchar(20), n integer"));
    exec({QStringLiteral("INSERT INTO qvedit_shared (name, city, n) VALUES ('Ann', 'Cork', 1)")});
    build(QStringLiteral("qvedit_shared"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    show(0);

    const bool onPg = pg();
    OtherProgram other(onPg ? testsupport::pg().dsn : testsupport::sqliteDsn(), onPg ? testsupport::pg().user : QString(),
                       onPg ? testsupport::pg().password : QString(), dbObj.DBType);
    other.show(QStringLiteral("qvedit_shared"), QStringLiteral("1"));

    // Each shows the row as it was when it was shown, and each changes a column of its own.
    update();
    type("city", "Galway");
    execute();
    other.change("n", QStringLiteral("2"));
    EXPECT_EQ(rows("SELECT name, city, n FROM qvedit_shared"), QStringList{"Ann|Galway|2"});
    update();
    type("name", "Bea");
    execute();
    EXPECT_EQ(rows("SELECT name, city, n FROM qvedit_shared"), QStringList{"Bea|Galway|2"});
    EXPECT_EQ(edit("n")->text(), QStringLiteral("2")) << "the page shows what is stored";
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
}

// The record and its long text are one whole: a refused long text leaves the record as it was
// before, and the message says that nothing was stored.
TEST_P(WholeUpdates, ARefusedLongTextStoresNothing)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_notes"),
             QStringLiteral("id ") + serialType() + QStringLiteral(", city varchar(20), notes text"));
    exec({QStringLiteral("INSERT INTO qvedit_notes (city, notes) VALUES ('Cork', 'kept')")});
    if (pg()) {
        exec({QStringLiteral("CREATE OR REPLACE FUNCTION qvedit_refuse() RETURNS trigger AS $$ BEGIN "
                             "IF NEW.notes = 'refused' THEN RAISE EXCEPTION 'notes refused'; END IF; "
                             "IF NEW.notes = 'cut' THEN PERFORM pg_terminate_backend(pg_backend_pid()); END IF; "
                             "RETURN NEW; END $$ LANGUAGE plpgsql"),
              QStringLiteral("CREATE TRIGGER qvedit_refuse BEFORE INSERT OR UPDATE ON qvedit_notes "
                             "FOR EACH ROW EXECUTE FUNCTION qvedit_refuse()")});
    } else {
        exec({QStringLiteral("CREATE TRIGGER qvedit_refuse BEFORE UPDATE OF notes ON qvedit_notes "
                             "WHEN NEW.notes = 'refused' BEGIN SELECT RAISE(ABORT, 'notes refused'); END"),
              QStringLiteral("CREATE TRIGGER qvedit_refuse_new BEFORE INSERT ON qvedit_notes "
                             "WHEN NEW.notes = 'refused' BEGIN SELECT RAISE(ABORT, 'notes refused'); END")});
    }
    build(QStringLiteral("qvedit_notes"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    show(0);

    update();
    type("city", "Galway");
    type("notes", "refused");
    execute();
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("An error occured when updating the qvedit_notes table.")));
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("notes refused")));
    EXPECT_TRUE(messages.at(0).endsWith(QStringLiteral("Nothing was stored: the record is as it was before the update.")))
        << messages.at(0).toStdString();
    EXPECT_EQ(rows("SELECT city, notes FROM qvedit_notes"), QStringList{"Cork|kept"});
    EXPECT_EQ(edit("city")->text(), QStringLiteral("Cork")) << "the page shows what is stored";
    EXPECT_EQ(memo("notes")->toPlainText(), QStringLiteral("kept"));

    // Added: the new record goes with its refused long text.
    messages.clear();
    add();
    type("city", "Tralee");
    type("notes", "refused");
    execute();
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages.at(0).endsWith(QStringLiteral("Nothing was stored: the record was not added.")))
        << messages.at(0).toStdString();
    EXPECT_EQ(rows("SELECT count(*) FROM qvedit_notes"), QStringList{"1"});
    EXPECT_EQ(state.RecordKeys, QStringList{"1"});

    // The server ends the session between the record's statements.
    if (pg()) {
        messages.clear();
        show(0);
        update();
        type("city", "Galway");
        type("notes", "cut");
        execute();
        ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
        EXPECT_TRUE(messages.at(0).endsWith(QStringLiteral("Nothing was stored: the record is as it was before the update.")))
            << messages.at(0).toStdString();
        EXPECT_EQ(rows("SELECT city, notes FROM qvedit_notes"), QStringList{"Cork|kept"});
        EXPECT_EQ(edit("city")->text(), QStringLiteral("Cork"));

        // The next update connects afresh and stores the whole record.
        messages.clear();
        update();
        type("city", "Galway");
        type("notes", "new");
        execute();
        EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(rows("SELECT city, notes FROM qvedit_notes"), QStringList{"Galway|new"});
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, WholeUpdates, ::testing::Values(Db::Sqlite, Db::Postgres), DbName);

} // namespace
