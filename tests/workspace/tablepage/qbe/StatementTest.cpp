// The SELECT that query by example builds from the page, line by line, and the key clause of a row
// of a table without key columns.
#include "Fixture.h"

#include "workspace/tablepage/QueryByExample.h"

namespace {

class Statement : public QbeWindow {
protected:
    QStringList build()
    {
        BuildQueryStatement(*envHolder());
        return sent();
    }
    TablePageEnv* envHolder()
    {
        env_ = std::make_unique<TablePageEnv>(form.tablePageEnv());
        return env_.get();
    }
    std::unique_ptr<TablePageEnv> env_;
};

TEST_F(Statement, WorkedExampleLineByLine)
{
    connectSqlite(QStringLiteral("SQL SERVER"));
    recreate(QStringLiteral("orders"), QStringLiteral("order_id INTEGER PRIMARY KEY, customer VARCHAR(30), qty INTEGER,"
                                                      " shipped DATE, paid BOOLEAN, note TEXT"));
    form.state().SerialFields = {QStringLiteral("ORDERS=ORDER_ID")};
    choose(QStringLiteral("orders"));
    query();
    type(QStringLiteral("customer"), QStringLiteral("SM*"));
    type(QStringLiteral("qty"), QStringLiteral(">=5"));
    type(QStringLiteral("shipped"), QStringLiteral("12/31/1999"));
    type(QStringLiteral("paid"), QStringLiteral("true"));
    ASSERT_NE(memo(QStringLiteral("note")), nullptr);
    memo(QStringLiteral("note"))->setPlainText(QStringLiteral("*late*"));
    form.state().AppendedSql = QStringLiteral("qty < 100");
    form.state().OrderBy = QStringLiteral("customer");
    form.state().UseSortOrder = true;

    EXPECT_EQ(build(), (QStringList{"SELECT order_id", "FROM orders", "WHERE customer LIKE 'SM%'", "AND qty >= 5",
                                    "AND shipped = {d '1999-12-31'}", "AND paid = '1'", "AND note LIKE '%late%'",
                                    "AND qty < 100", "ORDER BY customer"}));

    // A typed key is the only control term; a quoted key loses its enclosing quotes.
    for (const auto& [key, term] : {std::pair{"123", "WHERE order_id = 123"}, std::pair{"'12'", "WHERE order_id = 12"}}) {
        form.state().WherePresent = false;
        type(QStringLiteral("order_id"), QString::fromUtf8(key));
        EXPECT_EQ(build(), (QStringList{"SELECT order_id", "FROM orders", QString::fromUtf8(term), "AND qty < 100",
                                        "ORDER BY customer"}));
    }
}

TEST_F(Statement, ControlTerms)
{
    connectSqlite();
    recreate(QStringLiteral("things"), QStringLiteral("name VARCHAR(20), qty INTEGER, made DATE, stamp TIMESTAMP,"
                                                      " active BOOLEAN, note TEXT, \"first name\" VARCHAR(10)"));
    choose(QStringLiteral("things"));
    struct Case {
        const char* field;
        const char* text;
        bool markedNull;
        const char* dbType;
        const char* appended;
        QStringList terms;  // the lines after FROM
    };
    const Case cases[] = {
        {nullptr, "", false, "ACCESS", "", {}},
        {nullptr, "", false, "ACCESS", "qty > 1", {"WHERE qty > 1"}},
        {"name", "it's", false, "ACCESS", "", {"WHERE name = 'it''s'"}},
        {"name", "O'Brien|Sm", false, "ACCESS", "qty > 1", {"WHERE (name='O''Brien' OR name='Sm')", "AND qty > 1"}},
        {"name", "null", false, "ACCESS", "", {"WHERE name IS NULL"}},
        {"qty", "NULL", false, "ACCESS", "", {"WHERE qty IS NULL"}},
        {"name", "", true, "ACCESS", "", {"WHERE name IS NULL"}},
        {"made", "", true, "ACCESS", "", {"WHERE made IS NULL"}},
        {"active", "1", false, "ACCESS", "", {"WHERE active = '0'"}},
        {"active", " TRUE ", false, "ACCESS", "", {"WHERE active = '1'"}},
        {"made", "1/2/2000", false, "ACCESS", "", {"WHERE made = {d '2000-01-02'}"}},
        {"stamp", "12/31/1999 10:20:30", false, "ACCESS", "", {"WHERE stamp = {ts '1999-12-31 10:20:30'}"}},
        {"first name", "x", false, "ACCESS", "", {"WHERE \"first name\" = 'x'"}},
        {"note", "*late*", false, "ACCESS", "", {"WHERE note LIKE '%late%'"}},
        {"note", "*late*", false, "ORACLE", "", {}},
        {"note", "*late*", false, "INFORMIX", "", {}},
        {"note", "", true, "ACCESS", "", {"WHERE note IS NULL"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field ? c.field : "-") + " " + c.text + " " + c.dbType);
        query();
        db.DBType = QString::fromUtf8(c.dbType);
        form.state().AppendedSql = QString::fromUtf8(c.appended);
        if (c.field) {
            const QString field = QString::fromUtf8(c.field);
            if (TBVMemo* m = memo(field)) {
                m->setPlainText(QString::fromUtf8(c.text));
                m->Hint = c.markedNull ? QStringLiteral("null") : QString();
            } else {
                type(field, QString::fromUtf8(c.text));
                edit(field)->Hint = c.markedNull ? QStringLiteral("null") : QString();
            }
        }
        EXPECT_EQ(build(), QStringList({"SELECT * ", "FROM things"}) + c.terms);
        form.BitBtn_CancelClick(ui.BitBtn_Cancel);
    }
}

TEST(AddWhereTerm, FirstWordAndConditionsWithoutTranslation)
{
    MainState state;
    platform::engine::Query query;
    AddWhereTerm(state, query, QStringLiteral("pic"), QStringLiteral("'x'"), platform::engine::ftBlob, false);
    EXPECT_TRUE(query.sql().isEmpty());  // no condition form: nothing, and WHERE still to come
    EXPECT_FALSE(state.WherePresent);
    AddWhereTerm(state, query, QStringLiteral("a"), QStringLiteral("'Null'"), platform::engine::ftString, false);
    AddWhereTerm(state, query, QStringLiteral("b"), QStringLiteral("x"), platform::engine::ftInteger, true);
    AddWhereTerm(state, query, QStringLiteral("d"), QStringLiteral("13/01/2000"), platform::engine::ftDate, false);
    AddWhereTerm(state, query, QStringLiteral("t"), QStringLiteral("12/31/1999 23:59:59"), platform::engine::ftDateTime,
                 false);
    EXPECT_TRUE(state.WherePresent);
    EXPECT_EQ(query.sql(), (QStringList{"WHERE a IS NULL", "AND b IS NULL", "AND d IS NULL",
                                        "AND t = {ts '1999-12-31 23:59:59'}"}));
}

TEST_F(Statement, UniqueColumnKeys)
{
    connectSqlite();
    recreate(QStringLiteral("events"), QStringLiteral("day DATE, title VARCHAR(20)"));
    recreate(QStringLiteral("people"), QStringLiteral("name VARCHAR(20), city VARCHAR(20)"));
    form.state().UniqueFields = {QStringLiteral("EVENTS=DAY"), QStringLiteral("PEOPLE=NAME")};

    // An untouched date edit is no key: the other criteria still count.
    choose(QStringLiteral("events"));
    query();
    type(QStringLiteral("title"), QStringLiteral("x"));
    EXPECT_EQ(build(), (QStringList{"SELECT * ", "FROM events", "WHERE title = 'x'"}));
    form.state().WherePresent = false;
    type(QStringLiteral("day"), QStringLiteral("12/31/1999"));
    EXPECT_EQ(build(), (QStringList{"SELECT * ", "FROM events", "WHERE day = {d '1999-12-31'}"}));

    // A text key is a quoted literal with its quotes doubled.
    choose(QStringLiteral("people"));
    query();
    type(QStringLiteral("city"), QStringLiteral("Rome"));
    type(QStringLiteral("name"), QStringLiteral("O'Brien"));
    EXPECT_EQ(build(), (QStringList{"SELECT * ", "FROM people", "WHERE name = 'O''Brien'"}));
}

TEST_F(Statement, RowKeyClause)
{
    connectSqlite();
    recreate(QStringLiteral("parts"), QStringLiteral("stamp TIMESTAMP, code VARCHAR(10), qty INTEGER, made DATE,"
                                                     " active BOOLEAN, price FLOAT, \"the note\" VARCHAR(10), memo TEXT"));
    exec({QStringLiteral("INSERT INTO parts VALUES ('1999-12-31 10:00:00', 'A1', 5, '1999-12-31', 1, NULL, NULL, 'x')"),
          QStringLiteral("INSERT INTO parts VALUES (NULL, 'O''B', -2, NULL, 0, 2.5, 'n', NULL)")});
    platform::engine::Query q;
    q.setDatabaseName(form.Database.databaseName());
    q.sql() << QStringLiteral("SELECT * FROM parts ORDER BY qty DESC");
    q.open();
    EXPECT_EQ(RowKeyClause(q), QStringLiteral("WHERE code='A1' AND qty=5 AND made={d '1999-12-31'} AND active='1'"
                                              " AND price IS NULL AND \"the note\" IS NULL"));
    q.next();
    EXPECT_EQ(RowKeyClause(q), QStringLiteral("WHERE code='O''B' AND qty=-2 AND made IS NULL AND active='0'"
                                              " AND price=2.5 AND \"the note\"='n'"));
    q.close();
    q.sql().clear();
    q.sql() << QStringLiteral("SELECT stamp, memo FROM parts");
    q.open();
    EXPECT_EQ(RowKeyClause(q), QString());
}

} // namespace

namespace {

// A criterion that would give no condition, so that the query found records nobody asked for, is
// refused with a message naming its field: a date or date and time that is none (typed in part
// too), and quotes alone typed into the key. Nothing is run and the page stays in query mode.
TEST_F(Statement, CriteriaThatWouldWidenTheSearchAreRefused)
{
    connectSqlite();
    recreate(QStringLiteral("dated"), QStringLiteral("id INTEGER PRIMARY KEY, made DATE, stamp TIMESTAMP"));
    exec({QStringLiteral("INSERT INTO dated VALUES (1, '2020-01-02', '2020-01-02 03:04:05')")});
    form.state().SerialFields = {QStringLiteral("DATED=ID")};
    choose(QStringLiteral("dated"));
    const QString invalidDate = QStringLiteral("it is not a valid date (month/day/year).");
    const QString invalidStamp =
        QStringLiteral("it is not a valid date and time (month/day/year hours:minutes:seconds).");
    const QString onlyQuotes = QStringLiteral("nothing is left of it inside its quotes.");
    const struct {
        const char* field;
        const char* typed;
        const char* shown;  // as the message names it
        QString why;
    } cases[] = {
        {"made", "13/45/2020", "13/45/2020", invalidDate},
        {"made", "02/30/2021", "02/30/2021", invalidDate},
        {"made", "12", "12/__/____", invalidDate},
        {"stamp", "12/31/1999", "12/31/1999 __:__:__", invalidStamp},
        {"stamp", "12/31/1999 99:99:99", "12/31/1999 99:99:99", invalidStamp},
        {"id", "'", "'", onlyQuotes},
        {"id", "''", "''", onlyQuotes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        form.state().RecordKeys = {QStringLiteral("kept")};
        query();
        type(QString::fromUtf8(c.field), QString::fromUtf8(c.typed));
        messages.clear();
        execute();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_EQ(messages[0], QStringLiteral("The criterion \"") + QString::fromUtf8(c.shown)
                                   + QStringLiteral("\" typed into ") + QString::fromUtf8(c.field)
                                   + QStringLiteral(" cannot be run: ") + c.why
                                   + QStringLiteral("\r\n\r\nNothing was sent to the database."));
        EXPECT_TRUE(sent().isEmpty());
        EXPECT_EQ(form.state().RecordKeys, QStringList{QStringLiteral("kept")});
        EXPECT_TRUE(form.state().InQueryMode);
        EXPECT_EQ(form.focusWidget(), edit(QString::fromUtf8(c.field)));
        form.BitBtn_CancelClick(ui.BitBtn_Cancel);
    }

    // Quotes around a key are dropped as before; valid dates still find their record.
    form.state().RecordKeys.clear();
    for (const auto& [field, typed] : {std::pair{"id", "'1'"}, std::pair{"made", "01/02/2020"},
                                       std::pair{"stamp", "01/02/2020 03:04:05"}}) {
        SCOPED_TRACE(std::string(field) + " " + typed);
        query();
        type(QString::fromUtf8(field), QString::fromUtf8(typed));
        messages.clear();
        execute();
        EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
        EXPECT_EQ(form.state().RecordKeys, QStringList{QStringLiteral("1")});
    }
}

} // namespace
