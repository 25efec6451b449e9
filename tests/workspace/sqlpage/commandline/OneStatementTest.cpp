// The SQL page runs one statement at a time, read as the session reads it, and keeps an UPDATE or
// DELETE only when the user confirmed the number of rows it changed: on PostgreSQL, whose driver
// runs every statement of a text, with standard_conforming_strings on and off, the server logging
// each statement the page sends.
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/PgStatementLog.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"

#include "ui_Main.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <string>

// A list as one text, for readable failures.
std::string joined(const QStringList& list) { return list.join(QStringLiteral("\n---\n")).toStdString(); }

namespace {

const QString kShow = QStringLiteral("SHOW standard_conforming_strings");

// The parameter: whether the session has standard_conforming_strings on.
class OneStatement : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        QV_REQUIRE_PG();
        const bool on = GetParam();
        const QString role = on ? QStringLiteral("qv_sqlpage_logged") : QStringLiteral("qv_sqlpage_logged_off");
        const testsupport::PgLogin login = testsupport::pgLoggedRole(role);
        testsupport::pgExec(QStringLiteral("ALTER ROLE %1 SET standard_conforming_strings = %2")
                                .arg(role, on ? QStringLiteral("on") : QStringLiteral("off")));
        prefix = on ? QStringLiteral("sqlone_") : QStringLiteral("sqloff_");
        form.Database.setDatabaseName(QStringLiteral("sqlpage_one"));
        form.Database.setAliasName(testsupport::pg().dsn);
        form.Database.params() << QStringLiteral("user name=") + login.user << QStringLiteral("password=") + login.password;
        form.Database.setConnected(true);
        form.Query.setDatabaseName(form.Database.databaseName());
        ASSERT_EQ(scalarText(kShow), on ? QStringLiteral("on") : QStringLiteral("off"));
        exec({"DROP TABLE IF EXISTS @people", "DROP TABLE IF EXISTS @victim", "DROP TABLE IF EXISTS @scratch",
              "CREATE TABLE @people (id INTEGER, name VARCHAR(30))", "CREATE TABLE @victim (id INTEGER, v VARCHAR(60))",
              "CREATE TABLE @scratch (id INTEGER)", "INSERT INTO @people VALUES (1, 'Ann'), (2, 'Bob')",
              "INSERT INTO @victim SELECT g, 'row' FROM generate_series(1, 5) g"});
        backend = scalarText(QStringLiteral("SELECT pg_backend_pid()")).toInt();
        form.show();
        ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
    }
    void TearDown() override
    {
        if (form.Database.connected())
            exec({"DROP TABLE IF EXISTS @people", "DROP TABLE IF EXISTS @victim", "DROP TABLE IF EXISTS @scratch"});
    }
    // "@" stands for the tables' prefix.
    QString named(QString sql) const { return sql.replace(QLatin1Char('@'), prefix); }
    void exec(const QStringList& statements)
    {
        for (const QString& sql : statements) {
            platform::engine::Query q;
            q.setDatabaseName(form.Database.databaseName());
            q.sql() << named(sql);
            q.execSQL();
        }
    }
    QString scalarText(const QString& sql)
    {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << named(sql);
        q.open();
        return q.fields(0).asString();
    }
    int count(const QString& sql) { return scalarText(sql).toInt(); }
    void expectIntact()
    {
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM @victim WHERE v = 'row'")), 5);
        EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename = '@scratch'")), 1);
    }
    // Runs the box's text; every question is answered with `answer`. Returns what the page sent,
    // line breaks as LF (the log starts each further line of a statement with a tab).
    QStringList run(const QString& text, QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        ui.Memo_SQL->setPlainText(named(text));
        asked.clear();
        platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
            platform::modal::Answer a;
            if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
                asked << msg->RichEdit->toPlainText();
                a.result = mrOk;
            } else {
                asked << r.text;
                a.result = answer;
            }
            return a;
        });
        testsupport::PgStatementLog log(backend);
        form.BitBtn_Execute2Click(ui.BitBtn_Execute2);
        QStringList sent = log.statements();
        for (QString& statement : sent)
            statement.remove(QLatin1Char('\r')).replace(QStringLiteral("\n\t"), QStringLiteral("\n"));
        return sent;
    }

    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
    QString prefix;
    QStringList asked;
    int backend = 0;
};

// Texts of two statements, some only under one setting of standard_conforming_strings: a text the
// two settings cut alike is judged without asking, one they cut apart is read by the session's
// setting, asked then. Nothing but that question and the one statement is ever sent.
TEST_P(OneStatement, ASecondStatementNeverRuns)
{
    enum Outcome { Refused, Lists, Fails };
    const struct {
        const char* text;  // lines of the box
        Outcome on, off;
        bool asks;         // the settings cut it apart
        const char* listed;
    } cases[] = {
        {"SELECT count(*) FROM @people; DELETE FROM @victim WHERE id=7", Refused, Refused, false, nullptr},
        {"SELECT 1; DROP TABLE @scratch", Refused, Refused, false, nullptr},
        {"DELETE FROM @victim WHERE id=7;\nDELETE FROM @victim", Refused, Refused, false, nullptr},
        // An E'' string continued on the next line escapes there too, on either setting.
        {"SELECT E'a'\n'\\' x' \"\\\"; DROP TABLE @scratch; --", Refused, Refused, false, nullptr},
        {"SELECT E'\\''; DELETE FROM @victim; --'", Refused, Refused, false, nullptr},
        {"SELECT $$'$$; DELETE FROM @victim; SELECT '$$'", Refused, Refused, false, nullptr},
        {"SELECT 1 /* /* */ ' */; DELETE FROM @victim; --'", Refused, Refused, false, nullptr},
        // Backslashes that escape only with the setting off.
        {"SELECT '\\' x' \"\\\"; DROP TABLE @scratch;", Fails, Refused, true, nullptr},
        {"SELECT 'a\\' AS x, ';' AS y", Lists, Refused, true, "a\\|;|"},
        {"SELECT 'a'\n'\\'; DELETE FROM @victim; --'", Refused, Lists, true, "a'; DELETE FROM @victim; --|"},
        // One statement with a trailing ";" and a comment runs.
        {"SELECT name FROM @people WHERE id = 2;  -- Bob", Lists, Lists, false, "Bob|"},
    };
    for (const auto& c : cases) {
        const QString text = QString::fromUtf8(c.text);
        SCOPED_TRACE(text.toStdString());
        ui.Memo_Results->setPlainText(QStringLiteral("kept"));
        const Outcome outcome = GetParam() ? c.on : c.off;
        const QStringList sent = run(text);
        QStringList expected;
        if (c.asks)
            expected << kShow;
        // A text the server cannot parse is not logged: nothing of it ran.
        if (outcome == Lists)
            expected << named(text).trimmed();
        EXPECT_EQ(joined(sent), joined(expected));
        if (outcome == Lists) {
            EXPECT_TRUE(asked.isEmpty()) << asked.join(u'\n').toStdString();
            EXPECT_EQ(ui.Memo_Results->toPlainText(), named(QString::fromUtf8(c.listed)));
        } else {
            ASSERT_EQ(asked.size(), 1);
            if (outcome == Refused) {
                EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Only one statement is run at a time")))
                    << asked[0].toStdString();
            }
            EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("kept"));
        }
        expectIntact();
    }
}

// The rows an UPDATE or DELETE changes are counted by running it: a WHERE in a comment or a
// literal counts for nothing. No rolls the change back, Yes commits it.
TEST_P(OneStatement, TheNumberAskedIsTheNumberWritten)
{
    const QString del = QStringLiteral("DELETE FROM @victim -- WHERE id = -1");
    QStringList sent = run(del, QMessageBox::No);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_EQ(asked[0], QStringLiteral("The delete query will affect 5 records.  Are you sure you want to continue "
                                       "executing the delete?"));
    // psqlODBC opens the transaction in the statement's own text.
    EXPECT_EQ(joined(sent), joined({"BEGIN;" + named(del), "ROLLBACK"}));
    expectIntact();

    const QString update = QStringLiteral("UPDATE @victim SET v = 'WHERE id = 1' /* WHERE id = 2 */ WHERE id < 3");
    sent = run(update, QMessageBox::Yes);
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("The update query will affect 2 records."))) << asked[0].toStdString();
    EXPECT_EQ(joined(sent), joined({"BEGIN;" + named(update), "COMMIT"}));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM @victim WHERE v = 'WHERE id = 1'")), 2);

    sent = run(del, QMessageBox::Yes);
    EXPECT_EQ(joined(asked), "The delete query will affect 5 records.  Are you sure you want to continue executing the "
                             "delete?");
    EXPECT_EQ(joined(sent), joined({"BEGIN;" + named(del), "COMMIT"}));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM @victim")), 0);
}

// A change that the database refuses only when it is committed (a deferred key) is reported, and
// nothing of it stays.
TEST_P(OneStatement, AFailedCommitIsReportedAndNothingStored)
{
    exec({"ALTER TABLE @victim ADD PRIMARY KEY (id)",
          "CREATE TABLE @child (victim INTEGER REFERENCES @victim (id) DEFERRABLE INITIALLY DEFERRED)",
          "INSERT INTO @child VALUES (3)"});
    run(QStringLiteral("DELETE FROM @victim WHERE id >= 3"), QMessageBox::Yes);
    ASSERT_EQ(asked.size(), 2);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("The delete query will affect 3 records.")));
    EXPECT_TRUE(asked[1].startsWith(QStringLiteral("The delete could not be committed, and nothing was stored.")))
        << asked[1].toStdString();
    EXPECT_TRUE(asked[1].contains(QStringLiteral("foreign key"))) << asked[1].toStdString();
    exec({"DROP TABLE @child"});
    expectIntact();

    // The connection is usable afterwards, outside any transaction.
    run(QStringLiteral("INSERT INTO @victim VALUES (6, 'row')"));
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_FALSE(form.Database.inTransaction());
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM @victim")), 6);
}

INSTANTIATE_TEST_SUITE_P(Settings, OneStatement, ::testing::Bool(), [](const ::testing::TestParamInfo<bool>& info) {
    return info.param ? std::string("StandardStrings") : std::string("BackslashEscapes");
});

} // namespace
