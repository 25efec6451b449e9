// No criterion typed into the Table page sends anything but the query's SELECT: on PostgreSQL,
// which runs every statement of a text, with the server logging each statement the page sends.
#include "Fixture.h"

#include "tests/support/PgStatementLog.h"

namespace {

class CriteriaSafety : public QbeWindow {
protected:
    void SetUp() override
    {
        QbeWindow::SetUp();
        QV_REQUIRE_PG();
        const testsupport::PgLogin login = testsupport::pgLoggedRole(QStringLiteral("qv_qbe_logged"));
        connect(testsupport::pg().dsn, QStringLiteral("POSTGRESQL"), login.user, login.password);
        recreate(QStringLiteral("qbe_safe_people"),
                 QStringLiteral("id SERIAL PRIMARY KEY, name VARCHAR(40), qty INTEGER, small SMALLINT,"
                                " price DOUBLE PRECISION, born DATE, note TEXT"));
        recreate(QStringLiteral("qbe_safe_big"), QStringLiteral("id INTEGER"));
        exec({QStringLiteral("INSERT INTO qbe_safe_people (name, qty, small, price, born, note) VALUES "
                             "('Ann', 1, 1, 1.5, '2000-01-01', 'a'), ('Bob', 2, 2, 2.5, NULL, 'b')"),
              QStringLiteral("INSERT INTO qbe_safe_big SELECT generate_series(1, 10)")});
        choose(QStringLiteral("qbe_safe_people"));
        platform::engine::Query pid;
        pid.setDatabaseName(form.Database.databaseName());
        pid.sql() << QStringLiteral("SELECT pg_backend_pid()");
        pid.open();
        backend = pid.fields(0).asInteger();
    }
    void TearDown() override
    {
        if (form.Database.connected())
            exec({QStringLiteral("DROP TABLE IF EXISTS qbe_safe_people"), QStringLiteral("DROP TABLE IF EXISTS qbe_safe_big")});
        QbeWindow::TearDown();
    }
    int count(const QString& table)
    {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << QStringLiteral("SELECT count(*) FROM ") + table;
        q.open();
        return q.fields(0).asInteger();
    }
    int backend = 0;
};

TEST_F(CriteriaSafety, OnlyTheSelectIsEverSent)
{
    const QString nul = QStringLiteral("Ann") + QChar(u'\0') + QStringLiteral("; DELETE FROM qbe_safe_big");
    struct Case {
        const char* field;
        QString criterion;
        bool refused;  // nothing at all is sent
    };
    const Case cases[] = {
        {"qty", QStringLiteral("1; DELETE FROM qbe_safe_big WHERE id=6"), true},
        {"qty", QStringLiteral("1 OR 1=1"), true},
        {"qty", QStringLiteral(">=1; DELETE FROM qbe_safe_big"), true},
        {"qty", QStringLiteral("[1,2);DELETE FROM qbe_safe_big;--]"), true},
        {"qty", QStringLiteral("1:2; DELETE FROM qbe_safe_big"), true},
        {"qty", QStringLiteral("1|2; DELETE FROM qbe_safe_big"), true},
        {"qty", QStringLiteral("!1; DELETE FROM qbe_safe_big"), true},
        {"small", QStringLiteral("1--"), true},
        {"price", QStringLiteral("1e1; DELETE FROM qbe_safe_big"), true},
        {"name", nul, true},
        // Text, memo, date and key criteria are sent, as part of the one SELECT.
        {"name", QStringLiteral("x'; DELETE FROM qbe_safe_big; --"), false},
        {"name", QStringLiteral("*'; DELETE FROM qbe_safe_big; --*"), false},
        {"note", QStringLiteral("'; DELETE FROM qbe_safe_big; --"), false},
        {"born", QStringLiteral("01/01/2000"), false},
        {"id", QStringLiteral("1; DELETE FROM qbe_safe_big WHERE id=6"), false},
        {"id", QStringLiteral("1 OR 1=1"), false},
        {"qty", QStringLiteral("1"), false},
    };
    for (const Case& c : cases) {
        const QString field = QString::fromUtf8(c.field);
        SCOPED_TRACE(field.toStdString() + ": " + c.criterion.toStdString());
        query();
        QWidget* control = nullptr;
        if (TBVMemo* m = memo(field)) {
            m->setPlainText(c.criterion);
            control = m;
        } else {
            type(field, c.criterion);
            control = edit(field);
        }
        messages.clear();
        testsupport::PgStatementLog log(backend);
        execute();
        const QStringList sent = log.statements();
        if (c.refused) {
            EXPECT_EQ(sent, QStringList());
            ASSERT_EQ(messages.size(), 1);
            QString shown = c.criterion;
            shown.replace(QChar(u'\0'), QStringLiteral("\\0"));
            EXPECT_TRUE(messages[0].startsWith(QStringLiteral("The criterion \"") + shown + QStringLiteral("\" typed into ")
                                               + field + QStringLiteral(" cannot be run: ")))
                << messages[0].toStdString();
            // The page stays in query mode with what was typed, the refused control focused.
            EXPECT_TRUE(form.state().InQueryMode);
            EXPECT_EQ(form.windowTitle(), QStringLiteral("Quorvel     [QUERY MODE]"));
            EXPECT_EQ(edit(field) ? edit(field)->text() : memo(field)->toPlainText(), c.criterion);
            EXPECT_FALSE(edit(field) && edit(field)->isReadOnly());
            EXPECT_TRUE(ui.BitBtn_Execute->isEnabled());
            EXPECT_EQ(form.focusWidget(), control);
            form.BitBtn_CancelClick(ui.BitBtn_Cancel);
        } else {
            ASSERT_FALSE(sent.isEmpty());
            for (const QString& statement : sent) {
                EXPECT_TRUE(statement.startsWith(QStringLiteral("SELECT "))) << statement.toStdString();
                EXPECT_TRUE(statement.contains(QStringLiteral("FROM qbe_safe_people"))) << statement.toStdString();
            }
            EXPECT_FALSE(form.state().InQueryMode);
        }
    }
    // "1 OR 1=1" on a number no longer finds every record: the last query found one.
    EXPECT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(count(QStringLiteral("qbe_safe_big")), 10);
    EXPECT_EQ(count(QStringLiteral("qbe_safe_people")), 2);
}

// A text added with Append SQL is SQL as typed, but it cannot end the SELECT and start another.
TEST_F(CriteriaSafety, AppendedTextCannotAddAStatement)
{
    query();
    type(QStringLiteral("name"), QStringLiteral("Ann"));
    form.state().AppendedSql = QStringLiteral("qty = 1; DELETE FROM qbe_safe_big");
    testsupport::PgStatementLog log(backend);
    execute();
    EXPECT_EQ(log.statements(), QStringList());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("The query would hold more than one statement"))) << messages[0].toStdString();
    EXPECT_TRUE(form.state().InQueryMode);
    EXPECT_EQ(count(QStringLiteral("qbe_safe_big")), 10);

    form.state().AppendedSql = QStringLiteral("qty = 1");
    execute();
    EXPECT_EQ(form.state().RecordKeys.size(), 1);
}

} // namespace
