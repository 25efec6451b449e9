// Adding, updating and removing records on SQLite and PostgreSQL for each kind of key, with long
// text, quotes and refused statements.
#include "tests/workspace/tablepage/editing/EditFixture.h"

#include "workspace/tablepage/UpdateRecord.h"

namespace {

class RoundTrip : public EditFixture {
protected:
    void SetUp() override
    {
        EditFixture::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(false);  // typed text upper case, as by default
        ui.MenuItem_DefaultNulls->setChecked(false);
    }
    void remove(quint16 answer = mrYes)
    {
        confirmAnswer = answer;
        BitBtn_RemoveClick(*env, ui.BitBtn_Remove);
    }
    void makePeople()
    {
        exec({QStringLiteral("DROP TABLE IF EXISTS qvedit_visits_of")});
        recreate(QStringLiteral("qvedit_people"),
                 QStringLiteral("id ") + serialType()
                     + QStringLiteral(", name varchar(40) NOT NULL, city varchar(30), active boolean, joined date, "
                                      "notes text"));
    }
    // A key-less table with two rows that cannot be told apart ('a', 1) and one of its own
    // ('b', 2), browsed through Keys from the first.
    void showTwins(const QStringList& Keys)
    {
        recreate(QStringLiteral("qvedit_twins"), QStringLiteral("page varchar(20), n integer"));
        exec({QStringLiteral("INSERT INTO qvedit_twins VALUES ('a', 1)"), QStringLiteral("INSERT INTO qvedit_twins VALUES ('a', 1)"),
              QStringLiteral("INSERT INTO qvedit_twins VALUES ('b', 2)")});
        build(QStringLiteral("qvedit_twins"));
        state.RecordKeys = Keys;
        show(0);
    }
    static QString longText()
    {
        QString text;
        while (text.size() < 100 * 1024)
            text += QStringLiteral("Zeile %1: Grüße aus Köln, «ça va», Ωμέγα, 東京 — it's 'quoted'\n").arg(text.size());
        return text;
    }
};

TEST_P(RoundTrip, SerialKey)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    makePeople();
    exec({QStringLiteral("INSERT INTO qvedit_people (name, city, active, joined, notes) VALUES "
                         "('Mary O''Brien', 'Cork', ") + (pg() ? "true" : "1")
          + QStringLiteral(", '2001-02-03', 'first line\r\nsecond line')")});
    build(QStringLiteral("qvedit_people"));
    ASSERT_EQ(state.KeyColumn, QStringLiteral("id"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    show(0);
    EXPECT_EQ(edit("name")->text(), QStringLiteral("Mary O'Brien")) << "stored text is shown as it is";

    // Another column changes; the name and the long text go back exactly as they were stored.
    update();
    type("city", "Galway");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows("SELECT name, city, notes FROM qvedit_people"),
              QStringList{"Mary O'Brien|GALWAY|first line\r\nsecond line"});

    // A new record with a quote, long text and the add-mode defaults.
    add();
    EXPECT_EQ(edit("joined")->text(), QStringLiteral("12/31/9999"));
    type("name", "it's new");
    const QString text = longText();
    type("notes", text);
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_EQ(state.RecordKeys, (QStringList{"1", "2"}));
    EXPECT_EQ(state.RecordIndex, 1);
    EXPECT_EQ(edit("id")->text(), QStringLiteral("2"));
    EXPECT_EQ(edit("id")->cursorPosition(), 0) << "the new key is shown as every shown value is";
    EXPECT_TRUE(panel0.text().startsWith(QStringLiteral("QVEDIT_PEOPLE  Record  2 of 2          ")));
    EXPECT_EQ(rows("SELECT name, city, active, joined FROM qvedit_people WHERE id = 2"),
              QStringList{"IT'S NEW||False|12/31/9999"});
    EXPECT_EQ(rows("SELECT notes FROM qvedit_people WHERE id = 2"), QStringList{text}) << "no blank appended";
    EXPECT_EQ(memo("notes")->toPlainText(), text);

    // A memo marked null is stored as NULL, an empty one as an empty text.
    update();
    markNull("notes");
    execute();
    EXPECT_EQ(rows("SELECT notes FROM qvedit_people WHERE id = 2"), QStringList{"<null>"});
    update();
    type("notes", "");
    execute();
    EXPECT_EQ(rows("SELECT notes FROM qvedit_people WHERE id = 2"), QStringList{""});

    // Remove: No changes nothing; Yes deletes and shows the record taking its place.
    show(0);
    remove(mrNo);
    EXPECT_EQ(state.RecordKeys.size(), 2);
    remove();
    EXPECT_EQ(state.RecordKeys, QStringList{"2"});
    EXPECT_EQ(state.RecordIndex, 0);
    EXPECT_EQ(edit("name")->text(), QStringLiteral("IT'S NEW"));
    EXPECT_EQ(rows("SELECT id FROM qvedit_people"), QStringList{"2"});
    remove();
    EXPECT_TRUE(state.RecordKeys.isEmpty());
    EXPECT_TRUE(edit("name")->text().isEmpty());
    EXPECT_TRUE(panel0.text().startsWith(QStringLiteral("QVEDIT_PEOPLE   Record  0 of 0          ")));
    EXPECT_FALSE(ui.BitBtn_Remove->isEnabled());
    EXPECT_TRUE(rows("SELECT id FROM qvedit_people").isEmpty());
}

TEST_P(RoundTrip, UniqueKey)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_products"),
             QStringLiteral("sku varchar(12) NOT NULL UNIQUE, name varchar(40), price double precision"));
    exec({QStringLiteral("INSERT INTO qvedit_products VALUES ('A1', 'first', 1.5)"),
          QStringLiteral("INSERT INTO qvedit_products VALUES ('B2', 'second', 2)")});
    state.UniqueFields = QStringList{QStringLiteral("QVEDIT_PRODUCTS=SKU")};
    build(QStringLiteral("qvedit_products"));
    ASSERT_EQ(state.UniqueColumn.toLower(), QStringLiteral("sku"));
    state.RecordKeys = QStringList{QStringLiteral("A1"), QStringLiteral("B2")};
    show(0);

    // The unique value edited: the stored record is updated and its key follows.
    update();
    type("sku", "c3");
    type("price", "3.25");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(state.RecordKeys, (QStringList{"C3", "B2"}));
    EXPECT_EQ(rows("SELECT sku, name, price FROM qvedit_products ORDER BY sku"),
              (QStringList{"B2|second|2", "C3|first|3.25"}));

    // An edited unique text does not choose what Remove deletes: the stored key does.
    edit("sku")->setText(QStringLiteral("B2"));
    remove();
    EXPECT_EQ(state.RecordKeys, QStringList{"B2"});
    EXPECT_EQ(rows("SELECT sku FROM qvedit_products"), QStringList{"B2"});

    add();
    type("sku", "d'4");
    type("name", "fourth");
    execute();
    EXPECT_EQ(state.RecordKeys, (QStringList{"B2", "D'4"}));
    EXPECT_EQ(edit("name")->text(), QStringLiteral("FOURTH"));
    EXPECT_EQ(rows("SELECT name, price FROM qvedit_products WHERE sku = 'D''4'"), QStringList{"FOURTH|0"});
}

// A key column whose name holds a blank, given in upper case as the configuration gives it.
TEST_P(RoundTrip, UniqueKeyWithABlankInItsName)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_codes"), QStringLiteral("\"item code\" varchar(10) NOT NULL UNIQUE, notes text"));
    exec({QStringLiteral("INSERT INTO qvedit_codes VALUES ('A 1', 'old')")});
    state.UniqueFields = QStringList{QStringLiteral("QVEDIT_CODES=ITEM CODE")};
    build(QStringLiteral("qvedit_codes"));
    state.RecordKeys = QStringList{QStringLiteral("A 1")};
    show(0);
    EXPECT_EQ(memo("notes")->toPlainText(), QStringLiteral("old"));
    update();
    type("notes", "new text");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows("SELECT notes FROM qvedit_codes"), QStringList{"new text"});
    remove();
    EXPECT_TRUE(messages.size() == 1) << messages.join('\n').toStdString();
    EXPECT_TRUE(rows("SELECT notes FROM qvedit_codes").isEmpty());
}

TEST_P(RoundTrip, RecordsKeyedByTheirValues)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_visits"), QStringLiteral("page varchar(40), seconds double precision, at timestamp"));
    build(QStringLiteral("qvedit_visits"));
    add();
    type("page", "o'home");
    type("seconds", "1.5");
    type("at", "01/02/2003 04:05:06");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_EQ(state.RecordKeys,
              QStringList{"WHERE page='O''HOME'\r\n AND seconds='1.5'\r\n AND at={ts '2003-01-02 04:05:06'}"});
    EXPECT_EQ(edit("at")->text(), QStringLiteral("01/02/2003 04:05:06"));

    update();
    type("seconds", "2.5");
    execute();
    EXPECT_EQ(state.RecordKeys, QStringList{"WHERE page='O''HOME' AND seconds='2.5'"});
    EXPECT_EQ(edit("seconds")->text(), QStringLiteral("2.5"));
    EXPECT_EQ(rows("SELECT page, seconds FROM qvedit_visits"), QStringList{"O'HOME|2.5"});

    remove();
    EXPECT_TRUE(state.RecordKeys.isEmpty());
    EXPECT_TRUE(rows("SELECT page FROM qvedit_visits").isEmpty());
}

// Rows that hold the same values cannot be told apart by their values: Remove says how many go
// before it deletes them all, and no key that selected them stays behind.
TEST_P(RoundTrip, RemovingOneOfIdenticalRows)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    const QString twin = QStringLiteral("WHERE page='a' AND n=1");
    showTwins({twin, twin, QStringLiteral("WHERE page='b' AND n=2")});

    // No to the question: nothing goes and nothing more is asked.
    remove(mrNo);
    EXPECT_EQ(messages.size(), 1) << "No to the first question asks nothing more";
    EXPECT_EQ(rows("SELECT count(*) FROM qvedit_twins"), QStringList{"3"});

    messages.clear();
    remove();
    ASSERT_EQ(messages.size(), 2) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages.at(1).startsWith(QStringLiteral("2 records of the QVEDIT_TWINS table hold these values")))
        << messages.at(1).toStdString();
    EXPECT_EQ(rows("SELECT count(*) FROM qvedit_twins"), QStringList{"1"});
    EXPECT_EQ(state.RecordKeys, QStringList{"WHERE page='b' AND n=2"});
    EXPECT_EQ(state.RecordIndex, 0);
    EXPECT_EQ(edit("page")->text(), QStringLiteral("b")) << "the record that follows is shown";

    // A single row is deleted after the usual question alone.
    messages.clear();
    remove();
    EXPECT_EQ(messages.size(), 1);
    EXPECT_TRUE(state.RecordKeys.isEmpty());
}

TEST_P(RoundTrip, UpdatingOneOfIdenticalRows)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    const QString twin = QStringLiteral("WHERE page='a' AND n=1");
    const QString other = QStringLiteral("WHERE page='b' AND n=2");
    showTwins({twin, other, twin});
    const QString all = QStringLiteral("SELECT page, n FROM qvedit_twins ORDER BY page, n");

    // No: nothing is written and the page browses the stored record again.
    update();
    type("n", "7");
    confirmAnswer = mrNo;
    execute();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("2 records of the QVEDIT_TWINS table hold these values")))
        << messages.at(0).toStdString();
    EXPECT_TRUE(messages.at(0).endsWith(QStringLiteral("Are you sure you want to change all 2 of them?")))
        << messages.at(0).toStdString();
    EXPECT_EQ(rows(all), (QStringList{"a|1", "a|1", "b|2"}));
    EXPECT_EQ(state.RecordKeys, (QStringList{twin, other, twin}));
    EXPECT_FALSE(state.InUpdateMode);
    EXPECT_EQ(edit("n")->text(), QStringLiteral("1"));

    // Yes: both rows change, and both entries find them by their new values.
    messages.clear();
    confirmAnswer = mrYes;
    update();
    type("n", "7");
    execute();
    ASSERT_EQ(messages.size(), 1) << messages.join('\n').toStdString();
    EXPECT_EQ(rows(all), (QStringList{"a|7", "a|7", "b|2"}));
    const QString changed = QStringLiteral("WHERE page='a' AND n=7");
    EXPECT_EQ(state.RecordKeys, (QStringList{changed, other, changed}));
    EXPECT_EQ(edit("n")->text(), QStringLiteral("7"));
    show(2);
    EXPECT_EQ(edit("n")->text(), QStringLiteral("7")) << "the other entry finds its row again";

    // A row of its own is written without a question.
    messages.clear();
    show(1);
    update();
    type("n", "3");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows(all), (QStringList{"a|7", "a|7", "b|3"}));
    EXPECT_EQ(state.RecordKeys.at(1), QStringLiteral("WHERE page='b' AND n=3"));
}

TEST_P(RoundTrip, RefusedStatementsChangeNothing)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    makePeople();
    exec({QStringLiteral("INSERT INTO qvedit_people (name, city, notes) VALUES ('Ann', 'Cork', 'kept')")});
    build(QStringLiteral("qvedit_people"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    show(0);

    // INSERT refused: the message names the table and the statement; the typed values stay.
    add();
    markNull("name");
    type("city", "Lost");
    execute();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("An error occured when writing to the qvedit_people table.")))
        << messages.at(0).toStdString();
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("INSERT INTO qvedit_people(")));
    EXPECT_EQ(state.RecordKeys, QStringList{"1"});
    EXPECT_EQ(edit("city")->text(), QStringLiteral("LOST"));
    EXPECT_EQ(panel0.text(), QStringLiteral("Adding Record"));
    EXPECT_EQ(rows("SELECT count(*) FROM qvedit_people"), QStringList{"1"});
    // The page holds what was typed, no stored record: Update and Remove would act on the
    // record shown before Add.
    EXPECT_FALSE(ui.BitBtn_Update->isEnabled());
    EXPECT_FALSE(ui.BitBtn_Remove->isEnabled());

    // UPDATE refused: neither the row nor its long text changes.
    messages.clear();
    show(0);
    update();
    markNull("name");
    type("city", "Elsewhere");
    type("notes", "changed");
    execute();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("An error occured when updating the qvedit_people table.")));
    EXPECT_EQ(rows("SELECT name, city, notes FROM qvedit_people"), QStringList{"Ann|Cork|kept"});
    EXPECT_EQ(edit("city")->text(), QStringLiteral("Cork")) << "shown again from the database";

    // DELETE refused: the record and its key stay.
    messages.clear();
    if (pg()) {
        exec({QStringLiteral("DROP TABLE IF EXISTS qvedit_visits_of"),
              QStringLiteral("CREATE TABLE qvedit_visits_of (person integer REFERENCES qvedit_people(id))"),
              QStringLiteral("INSERT INTO qvedit_visits_of VALUES (1)")});
    } else {
        exec({QStringLiteral("CREATE TRIGGER qvedit_keep BEFORE DELETE ON qvedit_people "
                             "BEGIN SELECT RAISE(ABORT, 'still visited'); END")});
    }
    remove();
    ASSERT_EQ(messages.size(), 2);  // the question, then the refusal
    EXPECT_TRUE(messages.at(1).startsWith(QStringLiteral("An error occured when deleting from the qvedit_people table.")));
    EXPECT_TRUE(messages.at(1).contains(QStringLiteral("DELETE FROM qvedit_people")));
    EXPECT_EQ(state.RecordKeys, QStringList{"1"});
    EXPECT_EQ(state.RecordIndex, 0);
    EXPECT_EQ(edit("name")->text(), QStringLiteral("Ann"));
    EXPECT_EQ(rows("SELECT count(*) FROM qvedit_people"), QStringList{"1"});
    if (pg())
        exec({QStringLiteral("DROP TABLE qvedit_visits_of")});
}

// A single-precision column holds 6.8 as a value no bare number names again on PostgreSQL; the
// record is still found again after Add and after Update, and its long text is stored.
TEST_P(RoundTrip, RealColumnsFindTheirRecordsAgain)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_reals"), QStringLiteral("id ") + serialType() + QStringLiteral(", r real, notes text"));
    build(QStringLiteral("qvedit_reals"));
    add();
    type("r", "0.1");
    type("notes", "kept");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(state.RecordKeys, QStringList{"1"});
    EXPECT_EQ(rows("SELECT notes FROM qvedit_reals"), QStringList{"kept"});

    recreate(QStringLiteral("qvedit_real_visits"), QStringLiteral("page varchar(20), r real"));
    build(QStringLiteral("qvedit_real_visits"));
    state.RecordKeys.clear();
    messages.clear();
    add();
    type("page", "a");
    type("r", "6.8");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    ASSERT_EQ(state.RecordKeys.size(), 1);
    EXPECT_EQ(edit("page")->text(), QStringLiteral("A")) << "the new record is shown";
    EXPECT_EQ(edit("r")->text(), QStringLiteral("6.8"));

    update();
    type("r", "4.2");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(edit("page")->text(), QStringLiteral("A")) << "the updated record is shown again";
    EXPECT_EQ(edit("r")->text(), QStringLiteral("4.2"));
}

// A value the database changes on its way in: the record is found all the same, by what the
// database says it inserted, with its long text.
TEST_P(RoundTrip, AddedThoughTheDatabaseChangedIt)
{
    if (!useParamDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvedit_changed"), QStringLiteral("id ") + serialType() + QStringLiteral(", code varchar(9), notes text"));
    if (pg()) {
        exec({QStringLiteral("CREATE OR REPLACE FUNCTION qvedit_mark() RETURNS trigger AS "
                             "$$ BEGIN NEW.code := NEW.code || '!'; RETURN NEW; END $$ LANGUAGE plpgsql"),
              QStringLiteral("CREATE TRIGGER qvedit_mark BEFORE INSERT ON qvedit_changed "
                             "FOR EACH ROW EXECUTE FUNCTION qvedit_mark()")});
    } else {
        exec({QStringLiteral("CREATE TRIGGER qvedit_mark AFTER INSERT ON qvedit_changed "
                             "BEGIN UPDATE qvedit_changed SET code = code || '!' WHERE id = NEW.id; END")});
    }
    build(QStringLiteral("qvedit_changed"));
    add();
    type("code", "x");
    type("notes", "lost?");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(state.RecordKeys, QStringList{"1"});
    EXPECT_EQ(edit("code")->text(), QStringLiteral("X!")) << "the new record is shown as stored";
    EXPECT_EQ(rows("SELECT code, notes FROM qvedit_changed"), QStringList{"X!|lost?"});
}

INSTANTIATE_TEST_SUITE_P(Databases, RoundTrip, ::testing::Values(Db::Sqlite, Db::Postgres), DbName);

} // namespace
