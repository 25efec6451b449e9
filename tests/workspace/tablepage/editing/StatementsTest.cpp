// The texts of the statements that add, update and delete records, built from a real page.
#include "tests/workspace/tablepage/editing/EditFixture.h"

#include "workspace/tablepage/AddRecord.h"
#include "workspace/tablepage/BlobPictures.h"
#include "workspace/tablepage/LongText.h"
#include "workspace/tablepage/RecordStatements.h"
#include "workspace/tablepage/TablePage.h"
#include "workspace/tablepage/UpdateRecord.h"

namespace {

class Statements : public EditFixture {
protected:
    void SetUp() override
    {
        EditFixture::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(true);
    }
    QList<QWidget*> page() { return PageControls(ui); }
};

TEST_F(Statements, AddWorkedExample)
{
    recreate(QStringLiteral("ORDERS"),
             QStringLiteral("id integer primary key autoincrement, name varchar(20), price double, due date"));
    build(QStringLiteral("ORDERS"));
    ASSERT_EQ(state.KeyColumn, QStringLiteral("id"));

    add();
    EXPECT_EQ(edit("id")->text(), QStringLiteral("0"));
    type("name", "abc");
    type("price", "12.5");
    type("due", "13/01/2001");
    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();

    // The date that does not convert went in as its fallback; the page shows the stored record.
    EXPECT_EQ(edit("due")->text(), QStringLiteral("12/31/9999"));
    EXPECT_EQ(state.RecordKeys, QStringList{QStringLiteral("1")});
    EXPECT_EQ(edit("id")->text(), QStringLiteral("1"));
    EXPECT_TRUE(panel0.text().startsWith(QStringLiteral("ORDERS  Record  1 of 1          ")));
    EXPECT_EQ(rows("SELECT name, price, due FROM ORDERS"), QStringList{"abc|12.5|12/31/9999"});

    const QStringList insert{"INSERT INTO \"ORDERS\"(", "name,", "price,", "due) VALUES(", "'abc',", "12.5,",
                             "{d '9999-12-31'})"};
    EXPECT_EQ(InsertStatementLines(state.CurrentTable, state.KeyColumn, page()), insert);
    // The new key is what the database says it inserted; only where it says nothing is it
    // searched for by the values written.
    EXPECT_EQ(InsertStatementLines(state.CurrentTable, state.KeyColumn, page(), true).last(),
              QStringLiteral("{d '9999-12-31'}) RETURNING id"));
    EXPECT_TRUE(LocateStatementLines(state.CurrentTable, state.KeyColumn, page(), AddedKeyWay::Returning).isEmpty());
    EXPECT_EQ(LocateStatementLines(state.CurrentTable, state.KeyColumn, page(), AddedKeyWay::LastRowId),
              QStringList{"SELECT id FROM \"ORDERS\" WHERE rowid = last_insert_rowid()"});
    const QStringList search{"SELECT id FROM \"ORDERS\" WHERE ", "name='abc'", " AND price='12.5'",
                             " AND due={d '9999-12-31'}"};
    EXPECT_EQ(LocateStatementLines(state.CurrentTable, state.KeyColumn, page(), AddedKeyWay::Search), search);
}

// One value of each kind as written and as found again.
TEST_F(Statements, LiteralsOfEachFieldType)
{
    recreate(QStringLiteral("kinds"), QStringLiteral("id integer primary key autoincrement, s varchar(20), "
                                                     "i integer, sm smallint, f double, b boolean, d date, "
                                                     "t timestamp"));
    build(QStringLiteral("kinds"));
    add();
    const struct {
        const char* column;
        const char* text;  // nullptr: marked null
        const char* literal;
        const char* condition;
    } cases[] = {
        {"s", "O'Brien", "'O''Brien'", "s='O''Brien'"},
        {"s", "", "''", "(s='' OR s IS NULL)"},
        {"s", nullptr, "null", "s IS NULL"},
        {"i", "42", "42", "i=42"},
        {"i", "4x", "-1", "i=-1"},
        {"sm", nullptr, "null", "sm IS NULL"},
        {"f", "", "0.00", "f='0.00'"},
        {"f", "12.5", "12.5", "f='12.5'"},
        {"b", "False", "'0'", "b='0'"},
        {"b", "True", "'1'", "b='1'"},
        {"d", "01/13/2001", "{d '2001-01-13'}", "d={d '2001-01-13'}"},
        {"d", "13/01/2001", "{d '9999-12-31'}", "d={d '9999-12-31'}"},
        {"t", "01/13/2001 10:20:30", "{ts '2001-01-13 10:20:30'}", "t={ts '2001-01-13 10:20:30'}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.column) + " " + (c.text ? c.text : "<null>"));
        if (c.text)
            type(c.column, c.text);
        else
            markNull(c.column);
        const QString literal = EditLiteral(edit(c.column));
        EXPECT_EQ(literal, QLatin1String(c.literal));
        EXPECT_EQ(MatchCondition(edit(c.column), literal), QLatin1String(c.condition));
    }
}

TEST_F(Statements, DefaultsWithDefaultNullsOffAndOn)
{
    // The key column comes last: ") VALUES(" and ")" still close the lists after the last one written.
    recreate(QStringLiteral("defaults"), QStringLiteral("s varchar(9), n integer, f double, b boolean, d date, "
                                                        "t timestamp, id integer primary key autoincrement"));
    build(QStringLiteral("defaults"));
    ui.MenuItem_DefaultNulls->setChecked(false);
    add();
    EXPECT_EQ(InsertStatementLines(state.CurrentTable, state.KeyColumn, page()),
              (QStringList{"INSERT INTO defaults(", "s,", "n,", "f,", "b,", "d,", "t) VALUES(", "'',", "0,", "0,",
                           "'0',", "{d '9999-12-31'},", "{ts '9999-12-31 00:00:00'})"}));
    BitBtn_CancelClick(*env, ui.BitBtn_Cancel);

    ui.MenuItem_DefaultNulls->setChecked(true);
    add();
    for (const char* column : {"s", "n", "f", "b", "d", "t"}) {
        EXPECT_EQ(edit(column)->Hint, QStringLiteral("null")) << column;
        EXPECT_EQ(control<QLineEdit>(QStringLiteral("Label_") + column)->palette().color(QPalette::Text),
                  QColor(Qt::red));
    }
    EXPECT_NE(edit("id")->Hint, QStringLiteral("null"));
    EXPECT_EQ(InsertStatementLines(state.CurrentTable, state.KeyColumn, page()),
              (QStringList{"INSERT INTO defaults(", "s,", "n,", "f,", "b,", "d,", "t) VALUES(", "null,", "null,",
                           "null,", "null,", "null,", "null)"}));
    execute();
    EXPECT_EQ(rows("SELECT s, n, f, b, d, t FROM defaults"), QStringList{"<null>|<null>|<null>|<null>|<null>|<null>"});
    EXPECT_EQ(state.RecordKeys, QStringList{"1"});
}

TEST_F(Statements, UpdateWorkedExamples)
{
    recreate(QStringLiteral("ORDERS"), QStringLiteral("id integer primary key, name varchar(20), price double"));
    exec({QStringLiteral("INSERT INTO ORDERS VALUES (42, 'old', 3.5)")});
    state.SerialFields = QStringList{QStringLiteral("ORDERS=ID")};
    build(QStringLiteral("ORDERS"));
    state.RecordKeys = QStringList{QStringLiteral("42")};
    show(0);
    update();
    type("name", "abc");
    markNull("price");
    const RecordKey key{KeyKind::Serial, QStringLiteral("id"), QStringLiteral("42")};
    EXPECT_EQ(UpdateStatementLines(state.CurrentTable, QString(), page(), KeyCondition(state, key)),
              (QStringList{"UPDATE \"ORDERS\" SET ", "name = 'abc',", "price = null", "WHERE id = 42"}));
    // The no-update column left out, last or not.
    EXPECT_EQ(UpdateStatementLines(state.CurrentTable, QStringLiteral("PRICE"), page(), KeyCondition(state, key)),
              (QStringList{"UPDATE \"ORDERS\" SET ", "name = 'abc'", "WHERE id = 42"}));
    state.NoUpdateFields = QStringList{QStringLiteral("ORDERS=NAME")};
    EXPECT_EQ(NoUpdateFieldOf(state, QStringLiteral("orders")), QStringLiteral("NAME"));
    EXPECT_EQ(UpdateStatementLines(state.CurrentTable, NoUpdateFieldOf(state, state.CurrentTable), page(),
                                   KeyCondition(state, key)),
              (QStringList{"UPDATE \"ORDERS\" SET ", "price = null", "WHERE id = 42"}));
    // Nothing to write: no statement at all.
    EXPECT_TRUE(UpdateStatementLines(state.CurrentTable, QStringLiteral("NAME"),
                                     {edit("id"), edit("name")}, KeyCondition(state, key)).isEmpty());

    execute();
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_EQ(rows("SELECT name, price FROM ORDERS"), QStringList{"old|<null>"}) << "NAME is never updated";
}

TEST_F(Statements, UpdateDateThatDoesNotConvertAndRebuiltClause)
{
    recreate(QStringLiteral("log"), QStringLiteral("s varchar(9), d date, t timestamp, n integer"));
    exec({QStringLiteral("INSERT INTO log VALUES ('a', '2001-02-03', '2001-02-03 04:05:06', 7)")});
    build(QStringLiteral("log"));
    state.RecordKeys = QStringList{QStringLiteral("WHERE s='a'")};
    show(0);
    update();
    type("d", "13/45/2001");
    type("t", "02/03/2002 04:05:06");
    markNull("n");
    const RecordKey key{KeyKind::Clause, QString(), state.RecordKeys.at(0)};
    EXPECT_EQ(UpdateStatementLines(state.CurrentTable, QString(), page(), KeyCondition(state, key)),
              (QStringList{"UPDATE log SET ", "d = null,", "t = {ts '2002-02-03 04:05:06'},", "n = null",
                           "WHERE s='a'"}));
    EXPECT_EQ(edit("d")->Hint, QStringLiteral("null"));
    EXPECT_EQ(RebuiltRecordClause(QString(), page()), QStringLiteral("WHERE s='a' AND d IS NULL AND n IS NULL"));

    execute();
    EXPECT_EQ(state.RecordKeys, QStringList{"WHERE s='a' AND d IS NULL AND n IS NULL"});
    EXPECT_EQ(edit("t")->text(), QStringLiteral("02/03/2002 04:05:06")) << "shown again by the rebuilt clause";
}

// A click on Execute leaves the field being typed in, as any click on a button does: a date that
// does not convert is reported there, and nothing is written over the stored one.
TEST_F(Statements, ClickingExecuteChecksTheFieldItLeaves)
{
    recreate(QStringLiteral("log"), QStringLiteral("s varchar(9), d date"));
    exec({QStringLiteral("INSERT INTO log VALUES ('a', '2001-02-03')")});
    build(QStringLiteral("log"));
    state.RecordKeys = QStringList{QStringLiteral("WHERE s='a'")};
    show(0);
    QObject::connect(ui.BitBtn_Execute, &QPushButton::clicked, [this] { execute(); });
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    update();
    edit("d")->setFocus();
    type("d", "13/45/2001");
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    EXPECT_EQ(messages, QStringList{"Invalid Date"});
    EXPECT_TRUE(state.InUpdateMode) << "the record is not written";
    EXPECT_EQ(QApplication::focusWidget(), edit("d"));
    EXPECT_EQ(rows("SELECT d FROM log"), QStringList{"02/03/2001"});

    // Corrected, the same click writes it.
    messages.clear();
    type("d", "03/04/2002");
    QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()) << messages.join('\n').toStdString();
    EXPECT_FALSE(state.InUpdateMode);
    EXPECT_EQ(rows("SELECT d FROM log"), QStringList{"03/04/2002"});
}

TEST_F(Statements, KeyConditionsAndMemoStatementsByDatabaseType)
{
    state.KeyColumn = QStringLiteral("rowid");
    const RecordKey oracleRow{KeyKind::Serial, QStringLiteral("rowid"), QStringLiteral("AAAA1xAAEAAAABhAAA")};
    const RecordKey informixRow{KeyKind::Serial, QStringLiteral("rowid"), QStringLiteral("257")};
    dbObj.DBType = QStringLiteral("ORACLE");
    EXPECT_EQ(KeyCondition(state, oracleRow), QStringLiteral("WHERE rowid = 'AAAA1xAAEAAAABhAAA'"));
    EXPECT_EQ(MemoUpdateStatement("t", "notes", "rowid", "AAAA1xAAEAAAABhAAA", {}, "ORACLE"),
              QStringLiteral("UPDATE t SET notes = :MemoText WHERE rowid = 'AAAA1xAAEAAAABhAAA'"));
    dbObj.DBType = QStringLiteral("INFORMIX");
    EXPECT_EQ(KeyCondition(state, informixRow), QStringLiteral("WHERE rowid = 257"));
    EXPECT_EQ(MemoUpdateStatement("t", "notes", "rowid", "257", {}, "INFORMIX"),
              QStringLiteral("UPDATE t SET notes = :MemoText WHERE rowid = 257"));

    EXPECT_EQ(MemoUpdateStatement("t", "notes", "id", "42", {}, "SQLITE"),
              QStringLiteral("UPDATE t SET notes = :MemoText WHERE id = 42"));
    EXPECT_EQ(MemoUpdateStatement("t", "\"my notes\"", "my key", "'k'", {}, "SQLITE"),
              QStringLiteral("UPDATE t SET \"my notes\" = :MemoText WHERE \"my key\" = 'k'"));
    EXPECT_EQ(MemoUpdateStatement("t", "notes", {}, {}, "WHERE a=1\r\n AND b='x'", "SQLITE"),
              QStringLiteral("UPDATE t SET notes = :MemoText WHERE a=1\r\n AND b='x'"));

    EXPECT_EQ(ImageUpdateStatementLines("pic", "t", "id", "42", true),
              (QStringList{"UPDATE t SET pic = null", "WHERE id = 42"}));
    EXPECT_EQ(ImageUpdateStatementLines("pic", "t", {}, "WHERE a=1", false),
              (QStringList{"UPDATE t SET pic = :IMAGE", "WHERE a=1"}));
}

TEST(PictureFiles, TypeComesFromTheFilesOwnSuffix)
{
    const struct {
        const char* name;
        int type;
    } cases[] = {
        {"photo.Jpeg", 2}, {"photo.JPG", 2}, {"x.gif", 3}, {"/home/a/x.bmp", 1},
        {"/home/a/my.pics/photo.bmp", 1},  // a dot in a folder hides nothing
        {"C:\\my.pics\\photo.gif", 3}, {"photo.tif", 0}, {"photo", 0}, {"/home/a/my.pics/photo", 0},
        {"archive.jpg.zip", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(int(PictureFileType(QString::fromLatin1(c.name))), c.type) << c.name;

    TBVImage image;
    image.setObjectName(QStringLiteral("Image_photo_large"));
    EXPECT_EQ(ImageColumnName(&image), QStringLiteral("photo_large"));
    image.setObjectName(QStringLiteral("Image"));
    EXPECT_EQ(ImageColumnName(&image), QString());
}

} // namespace
