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

namespace {

enum class Strings { Sqlite, PgStandard, PgBackslash };

// Criteria holding backslashes and quotes search for what was typed, on SQLite and on PostgreSQL
// with standard_conforming_strings on and off (a logged role each), and the literals the page
// writes from stored values select their own rows: on PostgreSQL nothing but SELECTs is sent.
class LiteralCriteria : public QbeWindow, public ::testing::WithParamInterface<Strings> {
protected:
    void SetUp() override
    {
        QbeWindow::SetUp();
        if (GetParam() == Strings::Sqlite) {
            connectSqlite();
        } else {
            QV_REQUIRE_PG();
            const bool on = GetParam() == Strings::PgStandard;
            const QString role = on ? QStringLiteral("qv_qbe_strings_on") : QStringLiteral("qv_qbe_strings_off");
            const testsupport::PgLogin login = testsupport::pgLoggedRole(role);
            testsupport::pgExec(QStringLiteral("ALTER ROLE %1 SET standard_conforming_strings = %2")
                                    .arg(role, on ? QStringLiteral("on") : QStringLiteral("off")));
            connect(testsupport::pg().dsn, QStringLiteral("POSTGRESQL"), login.user, login.password);
            prefix = on ? QStringLiteral("qbe_on_") : QStringLiteral("qbe_off_");
            platform::engine::Query pid;
            pid.setDatabaseName(form.Database.databaseName());
            pid.sql() << QStringLiteral("SELECT pg_backend_pid()");
            pid.open();
            backend = pid.fields(0).asInteger();
        }
        recreate(table(QStringLiteral("people")), QStringLiteral("id INTEGER PRIMARY KEY, name VARCHAR(80), note TEXT"));
        recreate(table(QStringLiteral("plain")), QStringLiteral("name VARCHAR(80), code VARCHAR(10)"));
        recreate(table(QStringLiteral("victim")), QStringLiteral("id INTEGER"));
        exec({QStringLiteral("INSERT INTO %1 VALUES (1, 'Ann', 'a'), (2, ?, 'x'), (3, ?, 'y')").arg(table("people")),
              QStringLiteral("INSERT INTO %1 VALUES (?, 'p'), (?, 'q'), ('z', 'r')").arg(table("plain")),
              QStringLiteral("INSERT INTO %1 VALUES (1), (2), (3), (4), (5)").arg(table("victim"))},
             {QStringLiteral("\\'OR 1=1--"), QStringLiteral("a\\")});
    }
    void TearDown() override
    {
        if (form.Database.connected())
            exec({QStringLiteral("DROP TABLE IF EXISTS ") + table("people"),
                  QStringLiteral("DROP TABLE IF EXISTS ") + table("plain"),
                  QStringLiteral("DROP TABLE IF EXISTS ") + table("victim")});
        QbeWindow::TearDown();
    }
    QString table(const QString& name) const { return prefix + name; }
    // Runs statements whose "?" markers take the values, so the rows hold them exactly.
    void exec(const QStringList& statements, const QStringList& values = {})
    {
        for (QString sql : statements) {
            QStringList params;
            while (sql.contains(u'?')) {
                const QString name = QStringLiteral("p") + QString::number(params.size());
                sql.replace(sql.indexOf(u'?'), 1, u':' + name);
                params << name;
            }
            platform::engine::Query q;
            q.setDatabaseName(form.Database.databaseName());
            q.sql() << sql;
            for (qsizetype i = 0; i < params.size(); ++i)
                q.paramByName(params[i]).setString(values[i % values.size()]);
            q.execSQL();
        }
    }
    int count(const QString& name)
    {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << QStringLiteral("SELECT count(*) FROM ") + table(name);
        q.open();
        return q.fields(0).asInteger();
    }
    // Runs a query with one criterion; what the page sent, on PostgreSQL.
    QStringList search(const QString& field, const QString& criterion)
    {
        query();
        if (TBVMemo* m = memo(field))
            m->setPlainText(criterion);
        else
            type(field, criterion);
        messages.clear();
        if (!backend) {
            execute();
            return {};
        }
        testsupport::PgStatementLog log(backend);
        execute();
        return log.statements();
    }
    QString prefix = QStringLiteral("qbe_lit_");
    int backend = 0;
};

TEST_P(LiteralCriteria, CriteriaSearchForWhatWasTyped)
{
    form.state().SerialFields = {table(QStringLiteral("people")).toUpper() + QStringLiteral("=ID")};
    choose(table(QStringLiteral("people")));
    const struct {
        const char* field;
        const char* criterion;
        QStringList keys;  // the records found
    } cases[] = {
        {"name", "\\'OR 1=1--", {"2"}},
        {"name", "\\'OR 1=1 AND $$\"\\\"$$=$$\"\\\"$$; DELETE FROM @victim; --", {}},
        {"name", "a\\", {"3"}},
        {"name", "a\\|Ann", {"1", "3"}},
        {"name", "[a\\,Ann]", {"1", "3"}},
        {"name", "!a\\", {"1", "2"}},
        {"name", "*\\'OR*", {"2"}},
        {"name", "a\\:b", {"3"}},
        {"note", "\\'; DELETE FROM @victim; --", {}},
        {"id", "'3'", {"3"}},
    };
    for (const auto& c : cases) {
        const QString criterion = QString::fromUtf8(c.criterion).replace(u'@', prefix);
        SCOPED_TRACE(std::string(c.field) + ": " + criterion.toStdString());
        const QStringList sent = search(QString::fromUtf8(c.field), criterion);
        QStringList keys = form.state().RecordKeys;
        keys.sort();
        EXPECT_EQ(keys, c.keys);
        EXPECT_EQ(messages.size(), c.keys.isEmpty() ? 1 : 0) << messages.join(u'\n').toStdString();
        for (const QString& statement : sent)
            EXPECT_TRUE(statement.startsWith(QStringLiteral("SELECT "))) << statement.toStdString();
        if (backend) {
            EXPECT_FALSE(sent.isEmpty());
        }
        EXPECT_EQ(count(QStringLiteral("victim")), 5);
    }
    EXPECT_EQ(count(QStringLiteral("people")), 3);
}

// A table without key columns keeps each record as a clause over its values: one holding a
// backslash, or a backslash before a quote, selects that record alone.
TEST_P(LiteralCriteria, KeyClausesOfStoredValuesSelectTheirOwnRecord)
{
    choose(table(QStringLiteral("plain")));
    search(QStringLiteral("code"), QString());
    ASSERT_EQ(form.state().RecordKeys.size(), 3);
    QStringList shown;
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
        shown << edit(QStringLiteral("name"))->text() + u'|' + edit(QStringLiteral("code"))->text();
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"\\'OR 1=1--|p", "a\\|q", "z|r"}));
}

INSTANTIATE_TEST_SUITE_P(Strings, LiteralCriteria,
                         ::testing::Values(Strings::Sqlite, Strings::PgStandard, Strings::PgBackslash),
                         [](const ::testing::TestParamInfo<Strings>& info) {
                             switch (info.param) {
                             case Strings::Sqlite: return std::string("SQLite");
                             case Strings::PgStandard: return std::string("PgStandardStrings");
                             case Strings::PgBackslash: return std::string("PgBackslashEscapes");
                             }
                             return std::string();
                         });

} // namespace
