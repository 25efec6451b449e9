// The SQL page runs one statement at a time: where a text ends a statement under the readings of
// the databases, and a text of two statements refused before anything is sent (PostgreSQL, whose
// driver runs every statement of a text, logging each statement the page sends).
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/PgStatementLog.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/sqlpage/StatementCheck.h"

#include "ui_Main.h"

#include <QPlainTextEdit>
#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    for (const QString& s : list)
        *os << "\n  \"" << s.toStdString() << '"';
}

namespace {

TEST(HoldsOneStatement, SemicolonsOutsideQuotesAndComments)
{
    const char* one[] = {
        "SELECT 1",
        "SELECT 1;",
        "SELECT 1;  \r\n\r\n",
        "SELECT 1; -- done",
        "SELECT 1; /* done */ \r\n",
        "SELECT 1;;",
        "; SELECT 1",
        "SELECT 'a;b' FROM t",
        "SELECT 'it''s; fine' FROM t;",
        "SELECT \"odd;name\" FROM t",
        "SELECT 1 -- ; DELETE FROM big\r\nFROM t",
        "SELECT 1 /* ; DELETE FROM big */ FROM t",
        "SELECT 'C:\\dir;x' FROM t",
        "SELECT $$a'b$$",
        "SELECT $tag$ ' $ $$ $tag$;",
        "SELECT [a'b] FROM t",
        "SELECT `a'b` FROM t",
        "DELETE FROM big WHERE name = 'x;y'\r\n",
    };
    for (const char* text : one)
        EXPECT_TRUE(HoldsOneStatement(QString::fromUtf8(text))) << text;

    const char* several[] = {
        "SELECT count(*) FROM people; DELETE FROM big WHERE id=7",
        "SELECT 1; DROP TABLE scratch",
        "SELECT 1;DROP TABLE scratch",
        "SELECT 1\r\n;\r\nDELETE FROM big\r\n",
        "SELECT 1; ; SELECT 2",
        "SELECT 1;/* x */SELECT 2",
        "SELECT 1; -- a\r\nSELECT 2",
        // A quote that one database reads as the end of a literal and another does not.
        "SELECT 'a\\'; DELETE FROM big; --'",       // backslash escapes (standard_conforming_strings off)
        "SELECT E'\\''; DELETE FROM big; --'",      // PostgreSQL's escape strings
        "SELECT $$'$$; DELETE FROM big; SELECT '$$'",  // PostgreSQL's dollar quotes
        "SELECT 1 /* /* */ ' */; DELETE FROM big; --'",  // nested comments
        "SELECT [a'b]; DELETE FROM big; --'",       // bracketed names
        "SELECT a$$b; DELETE FROM big; --$$",       // "$" inside a name opens no dollar quote
        "SELECT \"a'\"; DELETE FROM big; --'",
        // Only some databases quote these: where one reads a second statement, the text is refused.
        "SELECT $$a;b$$",
        "SELECT [a;b] FROM t",
    };
    for (const char* text : several)
        EXPECT_FALSE(HoldsOneStatement(QString::fromUtf8(text))) << text;
}

class OneStatement : public ::testing::Test {
protected:
    void SetUp() override
    {
        QV_REQUIRE_PG();
        const testsupport::PgLogin login = testsupport::pgLoggedRole(QStringLiteral("qv_sqlpage_logged"));
        form.Database.setDatabaseName(QStringLiteral("sqlpage_one"));
        form.Database.setAliasName(testsupport::pg().dsn);
        form.Database.params() << QStringLiteral("user name=") + login.user << QStringLiteral("password=") + login.password;
        form.Database.setConnected(true);
        form.Query.setDatabaseName(form.Database.databaseName());
        exec({"DROP TABLE IF EXISTS sqlone_people", "DROP TABLE IF EXISTS sqlone_big", "DROP TABLE IF EXISTS sqlone_scratch",
              "CREATE TABLE sqlone_people (id INTEGER, name VARCHAR(30))", "CREATE TABLE sqlone_big (id INTEGER, v VARCHAR(60))",
              "CREATE TABLE sqlone_scratch (id INTEGER)", "INSERT INTO sqlone_people VALUES (1, 'Ann'), (2, 'Bob')",
              "INSERT INTO sqlone_big SELECT g, 'row' FROM generate_series(1, 10) g"});
        platform::engine::Query pid;
        pid.setDatabaseName(form.Database.databaseName());
        pid.sql() << QStringLiteral("SELECT pg_backend_pid()");
        pid.open();
        backend = pid.fields(0).asInteger();
        form.show();
        ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
    }
    void TearDown() override
    {
        if (form.Database.connected())
            exec({"DROP TABLE IF EXISTS sqlone_people", "DROP TABLE IF EXISTS sqlone_big",
                  "DROP TABLE IF EXISTS sqlone_scratch"});
    }
    void exec(const QStringList& statements)
    {
        for (const QString& sql : statements) {
            platform::engine::Query q;
            q.setDatabaseName(form.Database.databaseName());
            q.sql() << sql;
            q.execSQL();
        }
    }
    int count(const QString& sql)
    {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << sql;
        q.open();
        return q.fields(0).asInteger();
    }
    // Runs the box's text; every question is answered Yes. Returns what the page sent.
    QStringList run(const QString& text)
    {
        ui.Memo_SQL->setPlainText(text);
        asked.clear();
        platform::modal::ScopedResponder responder([&](const platform::modal::Request& r) {
            platform::modal::Answer a;
            if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
                asked << msg->RichEdit->toPlainText();
                a.result = mrOk;
            } else {
                asked << r.text;
                a.result = QMessageBox::Yes;
            }
            return a;
        });
        testsupport::PgStatementLog log(backend);
        form.BitBtn_Execute2Click(ui.BitBtn_Execute2);
        return log.statements();
    }

    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
    QStringList asked;
    int backend = 0;
};

TEST_F(OneStatement, TwoStatementsAreRefusedUnsent)
{
    const char* texts[] = {
        "SELECT count(*) FROM sqlone_people; DELETE FROM sqlone_big WHERE id=7",
        "SELECT 1; DROP TABLE sqlone_scratch",
        "DELETE FROM sqlone_big WHERE id=7;\r\nDELETE FROM sqlone_big",
        "SELECT E'\\''; DELETE FROM sqlone_big; --'",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        EXPECT_EQ(run(QString::fromUtf8(text)), QStringList());
        ASSERT_EQ(asked.size(), 1);
        EXPECT_TRUE(asked[0].startsWith(QStringLiteral("Only one statement is run at a time"))) << asked[0].toStdString();
    }
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM sqlone_big")), 10);
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename = 'sqlone_scratch'")), 1);

    // A trailing ";" with only blanks and a comment after it is still one statement, and runs.
    const QStringList sent = run(QStringLiteral("SELECT name FROM sqlone_people WHERE id = 2;  -- Bob"));
    EXPECT_EQ(sent.size(), 1) << sent.join(QStringLiteral("\n---\n")).toStdString();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("Bob|"));
}

// The count before an UPDATE is cut from the text without regard to its quotes: a literal holding
// " WHERE " and ";" would make it two statements, and it is not sent either.
TEST_F(OneStatement, CountStatementOfTwoIsNotSent)
{
    EXPECT_EQ(run(QStringLiteral("UPDATE sqlone_big SET v = ' WHERE 1=1; DROP TABLE sqlone_scratch; --'")), QStringList());
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(QStringLiteral("The query would result in an error and cannot be executed.")));
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM pg_tables WHERE tablename = 'sqlone_scratch'")), 1);

    // A plain UPDATE sends its count and then itself.
    const QStringList sent = run(QStringLiteral("UPDATE sqlone_big SET v = 'x;y' WHERE id = 3"));
    ASSERT_EQ(sent.size(), 2);
    EXPECT_TRUE(sent[0].startsWith(QStringLiteral("SELECT Count(*) FROM sqlone_big"))) << sent[0].toStdString();
    EXPECT_TRUE(sent[1].startsWith(QStringLiteral("UPDATE sqlone_big"))) << sent[1].toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT count(*) FROM sqlone_big WHERE v = 'x;y'")), 1);
}

} // namespace
