// Every write lands on the one record the user meant, or nowhere, and the user is told: on SQLite
// and PostgreSQL, with a second connection changing the rows between the page's show and its
// Execute, every result read back from the database; on PostgreSQL, the statements the page sent
// read from the server's log.
#include "tests/workspace/tablepage/editing/EditFixture.h"

#include "platform/imaging/Imaging.h"
#include "tests/support/PgStatementLog.h"
#include "workspace/tablepage/AddRecord.h"
#include "workspace/tablepage/BlobPictures.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/UpdateRecord.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <optional>

namespace {

const QString kChangedByOther = QStringLiteral("The record was changed or removed by another user; nothing was stored.");
const QString kNotDeleted = QStringLiteral("The record was changed or removed by another user; nothing was deleted.");

class OneRecord : public EditFixture {
protected:
    void SetUp() override
    {
        EditFixture::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(true);
        ui.MenuItem_DefaultNulls->setChecked(false);
        QImage red(6, 4, QImage::Format_RGB32);
        red.fill(Qt::red);
        gif = dir.path() + QStringLiteral("/red.gif");
        QFile f(gif);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(platform::imaging::encodeGif(red));
    }

    // The database of the test's parameter; on PostgreSQL as a role whose statements the server
    // logs. False when PostgreSQL is not there.
    bool useDb()
    {
        if (GetParam() == Db::Sqlite) {
            otherLogin = {};
            return true;
        }
        if (!testsupport::pgAvailable())
            return false;
        otherLogin = testsupport::pgLoggedRole(QStringLiteral("qv_edit_logged"));
        connect(testsupport::pg().dsn, otherLogin.user, otherLogin.password);
        dbObj.DBType = QStringLiteral("POSTGRESQL");
        platform::engine::Query pid;
        pid.setDatabaseName(db.databaseName());
        pid.sql() << QStringLiteral("SELECT pg_backend_pid()");
        pid.open();
        backend = pid.fields(0).asInteger();
        return true;
    }

    // Another program's connection to the same database.
    void otherUser(const QString& sql)
    {
        if (!other.connected()) {
            other.setDatabaseName(QStringLiteral("other_user_db"));
            other.setAliasName(pg() ? testsupport::pg().dsn : testsupport::sqliteDsn());
            other.params() << QStringLiteral("user name=") + otherLogin.user
                           << QStringLiteral("password=") + otherLogin.password;
            other.setConnected(true);
        }
        platform::engine::Query q;
        q.setDatabaseName(other.databaseName());
        q.sql() << sql;
        q.execSQL();
    }

    void remove()
    {
        confirmAnswer = mrYes;
        BitBtn_RemoveClick(*env, ui.BitBtn_Remove);
    }
    void loadPicture(const QString& column)
    {
        ui.PopupMenu_Images->setProperty("PopupComponent", QVariant::fromValue<QObject*>(image(column)));
        fileAnswer = gif;
        MenuItem_LoadImageClick(*env, ui.MenuItem_LoadImage);
        fileAnswer.clear();
    }
    // The data-changing statements the page sent since Log was made (PostgreSQL).
    QStringList writes(const testsupport::PgStatementLog& log) const
    {
        static const QRegularExpression write(QStringLiteral("^\\s*(INSERT|UPDATE|DELETE)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
        return log.statements().filter(write);
    }
    QString gifBytes(const QString& where) { return QString::fromLatin1(bytes(where).left(4)); }

    QTemporaryDir dir;
    QString gif;
    testsupport::PgLogin otherLogin;
    platform::engine::Database other;
    int backend = 0;
};

// A key-less record: values, long text and picture go under the clause of the values shown, in one
// statement, and reach no row that holds the values written. A unique-keyed record whose unique
// value was edited to one another row holds, likewise.
TEST_P(OneRecord, AnEditedRecordWritesOnlyItsOwnRow)
{
    if (!useDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvone_pnk"),
             QStringLiteral("label varchar(10), qty integer, note text, photo ") + blobType());
    exec({QStringLiteral("INSERT INTO qvone_pnk (label, qty, note) VALUES ('a', 1, 'memo A'), ('B', 1, 'memo B')")});
    build(QStringLiteral("qvone_pnk"));
    state.RecordKeys = QStringList{QStringLiteral("WHERE label='a' AND qty=1"), QStringLiteral("WHERE label='B' AND qty=1")};
    show(0);
    std::optional<testsupport::PgStatementLog> log;
    if (pg())
        log.emplace(backend);

    update();
    type("label", "B");
    type("note", "memo A edited");
    loadPicture(QStringLiteral("photo"));
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows("SELECT label, qty, note FROM qvone_pnk ORDER BY note"), (QStringList{"B|1|memo A edited", "B|1|memo B"}));
    EXPECT_EQ(rows("SELECT note FROM qvone_pnk WHERE photo IS NOT NULL"), QStringList{"memo A edited"});
    EXPECT_EQ(gifBytes("SELECT photo FROM qvone_pnk WHERE note = 'memo A edited'"), QStringLiteral("GIF8"));
    if (log) {
        const QStringList sent = writes(*log);
        ASSERT_EQ(sent.size(), 1) << sent.join('\n').toStdString();
        EXPECT_TRUE(sent.at(0).endsWith(QStringLiteral("WHERE label='a' AND qty=1"))) << sent.at(0).toStdString();
    }

    recreate(QStringLiteral("qvone_codes"), QStringLiteral("code varchar(10), note text"));
    exec({QStringLiteral("INSERT INTO qvone_codes VALUES ('A1', 'memo 1'), ('B2', 'memo 2')")});
    state.UniqueFields = QStringList{QStringLiteral("QVONE_CODES=CODE")};
    build(QStringLiteral("qvone_codes"));
    state.RecordKeys = QStringList{QStringLiteral("A1"), QStringLiteral("B2")};
    show(0);
    update();
    type("code", "B2");
    type("note", "memo 1 edited");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows("SELECT code, note FROM qvone_codes ORDER BY note"), (QStringList{"B2|memo 1 edited", "B2|memo 2"}));
    EXPECT_EQ(state.RecordKeys, (QStringList{"B2", "B2"}));
}

// An added record is the row the database says it inserted, with its long text and picture in it;
// no other row that holds the same values is touched or shown.
TEST_P(OneRecord, AnAddedRecordIsTheRowInserted)
{
    if (!useDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvone_imp"),
             QStringLiteral("id ") + serialType() + QStringLiteral(", label varchar(10), photo ") + blobType()
                 + QStringLiteral(", note text"));
    exec({QStringLiteral("INSERT INTO qvone_imp (id, label, note) VALUES (500, 'SAME', 'old memo 500')")});
    // A row a trigger keeps out is not added.
    if (pg()) {
        exec({QStringLiteral("CREATE OR REPLACE FUNCTION qvone_gate() RETURNS trigger AS $$ BEGIN "
                             "IF NEW.label = 'skip' THEN RETURN NULL; END IF; RETURN NEW; END $$ LANGUAGE plpgsql"),
              QStringLiteral("CREATE TRIGGER qvone_gate BEFORE INSERT ON qvone_imp FOR EACH ROW EXECUTE FUNCTION qvone_gate()")});
    } else {
        exec({QStringLiteral("CREATE TRIGGER qvone_skip BEFORE INSERT ON qvone_imp WHEN NEW.label = 'skip' "
                             "BEGIN SELECT RAISE(IGNORE); END")});
    }
    build(QStringLiteral("qvone_imp"));
    std::optional<testsupport::PgStatementLog> log;
    if (pg())
        log.emplace(backend);

    add();
    type("label", "SAME");
    type("note", "new memo");
    loadPicture(QStringLiteral("photo"));
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows("SELECT label, note FROM qvone_imp WHERE id = 500 AND photo IS NULL"), QStringList{"SAME|old memo 500"});
    const QStringList added = rows("SELECT id, note FROM qvone_imp WHERE id <> 500");
    ASSERT_EQ(added.size(), 1);
    const QString id = added.at(0).section(QLatin1Char('|'), 0, 0);
    EXPECT_EQ(added.at(0).section(QLatin1Char('|'), 1), QStringLiteral("new memo"));
    EXPECT_EQ(gifBytes(QStringLiteral("SELECT photo FROM qvone_imp WHERE id = ") + id), QStringLiteral("GIF8"));
    EXPECT_EQ(state.RecordKeys, QStringList{id});
    EXPECT_EQ(edit("id")->text(), id) << "the page shows the new record";
    EXPECT_EQ(memo("note")->toPlainText(), QStringLiteral("new memo"));
    if (log) {
        const QStringList sent = writes(*log);
        ASSERT_EQ(sent.size(), 1) << sent.join('\n').toStdString();
        EXPECT_TRUE(sent.at(0).endsWith(QStringLiteral(" RETURNING id"))) << sent.at(0).toStdString();
        EXPECT_FALSE(log->statements().join('\n').contains(QStringLiteral("MAX("), Qt::CaseInsensitive));
    }

    // Kept out: nothing is added, and the last row added is not taken for it.
    const QStringList before = rows("SELECT id, label, note FROM qvone_imp ORDER BY id");
    add();
    type("label", "skip");
    type("note", "kept out");
    execute();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("The database stored no record."))) << messages.at(0).toStdString();
    EXPECT_TRUE(messages.at(0).endsWith(QStringLiteral("Nothing was stored: the record was not added.")));
    EXPECT_EQ(rows("SELECT id, label, note FROM qvone_imp ORDER BY id"), before);
    EXPECT_EQ(state.RecordKeys, QStringList{id});
    EXPECT_EQ(memo("note")->toPlainText(), QStringLiteral("kept out")) << "what was typed stays";
}

// Where the database gives no key back, the added record is found by its values only when no
// other row holds them; the record is there, whole, either way.
TEST_P(OneRecord, AnAddedRecordFoundByItsValues)
{
    if (!useDb())
        GTEST_SKIP() << "no PostgreSQL server";
    EXPECT_EQ(AddedKeyWayFor(QStringLiteral("PostgreSQL")), AddedKeyWay::Returning);
    EXPECT_EQ(AddedKeyWayFor(QStringLiteral("SQLite")), AddedKeyWay::LastRowId);
    EXPECT_EQ(AddedKeyWayFor(QStringLiteral("Microsoft SQL Server")), AddedKeyWay::Search);

    recreate(QStringLiteral("qvone_search"), QStringLiteral("id ") + serialType() + QStringLiteral(", label varchar(10)"));
    build(QStringLiteral("qvone_search"));
    add();
    type("label", "twin");
    exec({QStringLiteral("INSERT INTO qvone_search (label) VALUES ('one')"),
          QStringLiteral("INSERT INTO qvone_search (label) VALUES ('twin')")});
    const QList<QWidget*> controls = PageControls(ui);
    QString key;
    EXPECT_EQ(LocateAddedKey(query, AddedKeyWay::Search, state.CurrentTable, state.KeyColumn, controls, key), QString());
    EXPECT_EQ(key, rows("SELECT id FROM qvone_search WHERE label = 'twin'").value(0));

    exec({QStringLiteral("INSERT INTO qvone_search (label) VALUES ('twin')")});
    const QString told = LocateAddedKey(query, AddedKeyWay::Search, state.CurrentTable, state.KeyColumn, controls, key);
    EXPECT_TRUE(told.startsWith(QStringLiteral("The record was added, but 2 records of the QVONE_SEARCH table hold its "
                                               "values: it cannot be told apart from them to be shown.")))
        << told.toStdString();
    EXPECT_TRUE(key.isEmpty());
}

// Another user removes the row, or changes what the page finds it by, between the show and
// Execute: nothing is stored or deleted, the user is told, an update's typed values stay on the
// page and a removed record stays in the list.
TEST_P(OneRecord, AnotherUsersChangeStoresNothing)
{
    if (!useDb())
        GTEST_SKIP() << "no PostgreSQL server";
    enum Key { Serial, Unique, Clause };
    const struct Case {
        const char* what;
        Key key;
        const char* otherSql;  // %1: the table
        bool remove;
    } cases[] = {
        {"serial key, row removed", Serial, "DELETE FROM %1", false},
        {"serial key, key changed", Serial, "UPDATE %1 SET id = 99", false},
        {"unique key, unique value changed", Unique, "UPDATE %1 SET code = 'Z9'", false},
        {"no key, a value changed", Clause, "UPDATE %1 SET n = 2", false},
        {"serial key, row removed, Remove", Serial, "DELETE FROM %1", true},
        {"no key, a value changed, Remove", Clause, "UPDATE %1 SET n = 2", true},
        {"no key, row removed, Remove", Clause, "DELETE FROM %1", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        const QString table = QStringLiteral("qvone_other");
        if (c.key == Serial) {
            recreate(table, QStringLiteral("id ") + serialType() + QStringLiteral(", city varchar(20), n integer, note text"));
            exec({QStringLiteral("INSERT INTO qvone_other (city, n, note) VALUES ('Cork', 1, 'kept')")});
        } else {
            recreate(table, QStringLiteral("code varchar(10), city varchar(20), n integer, note text"));
            exec({QStringLiteral("INSERT INTO qvone_other VALUES ('A1', 'Cork', 1, 'kept')")});
        }
        state.UniqueFields = c.key == Unique ? QStringList{QStringLiteral("QVONE_OTHER=CODE")} : QStringList();
        build(table);
        const QString entry = c.key == Serial   ? QStringLiteral("1")
                              : c.key == Unique ? QStringLiteral("A1")
                                                : QStringLiteral("WHERE code='A1' AND city='Cork' AND n=1");
        state.RecordKeys = QStringList{entry};
        show(0);
        const QStringList keys = state.RecordKeys;

        if (c.remove) {
            otherUser(QString::fromLatin1(c.otherSql).arg(table));
            const QStringList left = rows("SELECT city, n FROM qvone_other");
            remove();
            ASSERT_EQ(messages.size(), 2) << messages.join('\n').toStdString();
            EXPECT_EQ(messages.at(1), kNotDeleted);
            EXPECT_EQ(rows("SELECT city, n FROM qvone_other"), left);
            EXPECT_EQ(state.RecordKeys, keys) << "the record stays in the list";
            continue;
        }
        update();
        type("city", "Galway");
        type("note", "mine");
        otherUser(QString::fromLatin1(c.otherSql).arg(table));
        execute();
        EXPECT_EQ(messages, QStringList{kChangedByOther});
        EXPECT_EQ(rows("SELECT count(*) FROM qvone_other WHERE city = 'Galway' OR note = 'mine'"), QStringList{"0"});
        EXPECT_EQ(state.RecordKeys, keys);
        EXPECT_EQ(edit("city")->text(), QStringLiteral("Galway")) << "the typed values stay";
        EXPECT_EQ(memo("note")->toPlainText(), QStringLiteral("mine"));
        EXPECT_FALSE(ui.BitBtn_Update->isEnabled()) << "the page holds no stored record";
        EXPECT_TRUE(panel0.text().startsWith(QStringLiteral("QVONE_OTHER  Record  1 of 1          ")))
            << panel0.text().toStdString();
        show(0);  // browsing on shows what is stored
    }
}

// A statement that meets more rows than the one meant, or than the number the user agreed to for
// rows that cannot be told apart, is undone.
TEST_P(OneRecord, MoreRowsThanMeantStoreNothing)
{
    if (!useDb())
        GTEST_SKIP() << "no PostgreSQL server";
    // A configured serial column that holds a value twice.
    recreate(QStringLiteral("qvone_dup"), QStringLiteral("id integer, name varchar(10), note text"));
    exec({QStringLiteral("INSERT INTO qvone_dup VALUES (1, 'x', 'm1'), (1, 'y', 'm2')")});
    state.SerialFields = QStringList{QStringLiteral("QVONE_DUP=ID")};
    build(QStringLiteral("qvone_dup"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    show(0);
    const QStringList all = rows("SELECT id, name, note FROM qvone_dup ORDER BY name");
    update();
    type("name", "z");
    type("note", "both?");
    execute();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.at(0).startsWith(QStringLiteral("An error occured when updating the qvone_dup table.")));
    EXPECT_TRUE(messages.at(0).contains(QStringLiteral("The statement would have changed 2 records, not the 1 meant.")))
        << messages.at(0).toStdString();
    EXPECT_TRUE(messages.at(0).endsWith(QStringLiteral("Nothing was stored: the record is as it was before the update.")));
    EXPECT_EQ(rows("SELECT id, name, note FROM qvone_dup ORDER BY name"), all);

    messages.clear();
    remove();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages.at(1).contains(QStringLiteral("The statement would have deleted 2 records, not the 1 meant.")))
        << messages.at(1).toStdString();
    EXPECT_EQ(rows("SELECT id, name, note FROM qvone_dup ORDER BY name"), all);
    EXPECT_EQ(state.RecordKeys, QStringList{"1"});

    // Two rows agreed to; a third with the same values comes in before the statement runs.
    recreate(QStringLiteral("qvone_twins"), QStringLiteral("page varchar(10), n integer"));
    exec({QStringLiteral("INSERT INTO qvone_twins VALUES ('a', 1), ('a', 1)")});
    state.SerialFields.clear();
    build(QStringLiteral("qvone_twins"));
    state.RecordKeys = QStringList{QStringLiteral("WHERE page='a' AND n=1")};
    show(0);
    onMessage = [this](const QString& text) {
        if (text.contains(QLatin1String("cannot be told apart")))
            otherUser(QStringLiteral("INSERT INTO qvone_twins VALUES ('a', 1)"));
    };
    messages.clear();
    update();
    type("n", "7");
    execute();
    ASSERT_EQ(messages.size(), 2) << messages.join('\n').toStdString();
    EXPECT_TRUE(messages.at(1).contains(QStringLiteral("The statement would have changed 3 records, not the 2 meant.")))
        << messages.at(1).toStdString();
    EXPECT_EQ(rows("SELECT page, n FROM qvone_twins"), (QStringList{"a|1", "a|1", "a|1"}));
    onMessage = {};
}

// A typed -0 keeps its sign where the column can hold one.
TEST_P(OneRecord, NegativeZeroIsStoredAsTyped)
{
    if (!useDb())
        GTEST_SKIP() << "no PostgreSQL server";
    recreate(QStringLiteral("qvone_zero"), QStringLiteral("id ") + serialType() + QStringLiteral(", f double precision"));
    exec({QStringLiteral("INSERT INTO qvone_zero (f) VALUES (1.5)")});
    build(QStringLiteral("qvone_zero"));
    state.RecordKeys = QStringList{QStringLiteral("1")};
    show(0);
    update();
    type("f", "-0");
    execute();
    add();
    type("f", "-0.0");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    // SQLite keeps a whole number of a REAL column as an integer, which has no sign: there -0 can
    // only be stored as 0.
    EXPECT_EQ(rows(pg() ? "SELECT f::text FROM qvone_zero ORDER BY id" : "SELECT f = 0 FROM qvone_zero ORDER BY id"),
              pg() ? QStringList({"-0", "-0"}) : QStringList({"1", "1"}));
}

INSTANTIATE_TEST_SUITE_P(Databases, OneRecord, ::testing::Values(Db::Sqlite, Db::Postgres), DbName);

} // namespace
