// The SQL page run through the main window on real databases: listings, the count and question
// before a DELETE, Esc during a listing, driver errors, and the boxes' keys.
#include "app/MainState.h"
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/Support.h"
#include "workspace/sqlpage/FindReplaceDialogs.h"
#include "workspace/MainWindow.h"
#include "workspace/sqlpage/SqlCommandLine.h"
#include "workspace/sqlpage/TextEditor.h"

#include "ui_Main.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <gtest/gtest.h>

#include <functional>

namespace {

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;

enum class Backend { SQLite, PostgreSQL };

struct Asked {
    Kind kind;
    QString text;
};

class CommandLine : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::PostgreSQL) {
            QV_REQUIRE_PG();
            const auto& pg = testsupport::pg();
            connect(pg.dsn, pg.user, pg.password);
        } else {
            connect(testsupport::sqliteDsn(), {}, {});
        }
        form.show();
        ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
        ui.Memo_SQL->setFocus();
        QCoreApplication::processEvents();
        exec({"DROP TABLE IF EXISTS sqlpage_people",
              "CREATE TABLE sqlpage_people (id INTEGER, name VARCHAR(30), city VARCHAR(30))",
              "INSERT INTO sqlpage_people VALUES (1, 'Smith', 'Oslo')",
              "INSERT INTO sqlpage_people VALUES (2, 'Smith', NULL)",
              "INSERT INTO sqlpage_people VALUES (3, 'SMITH', 'Bergen')"});
    }

    void TearDown() override
    {
        if (form.Database.connected())
            exec({"DROP TABLE IF EXISTS sqlpage_people", "DROP TABLE IF EXISTS sqlpage_many"});
    }

    void connect(const QString& dsn, const QString& user, const QString& password)
    {
        form.Database.setDatabaseName(QStringLiteral("sqlpage_db"));
        form.Database.setAliasName(dsn);
        form.Database.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        form.Database.setConnected(true);
        form.Query.setDatabaseName(form.Database.databaseName());
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

    int scalar(const QString& sql)
    {
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << sql;
        q.open();
        return q.fields(0).asInteger();
    }

    // Runs the Execute command on the box's text; questions are answered by `answer`.
    void run(const QString& text, QMessageBox::StandardButton answer = QMessageBox::Yes)
    {
        ui.Memo_SQL->setPlainText(text);
        asked.clear();
        platform::modal::ScopedResponder responder([&](const Request& r) {
            Answer a;
            if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
                asked.push_back({Kind::Window, msg->RichEdit->toPlainText()});
                a.result = mrOk;
            } else {
                asked.push_back({r.kind, r.text});
                a.result = answer;
            }
            return a;
        });
        form.BitBtn_Execute2Click(ui.BitBtn_Execute2);
    }

    QStringList results() const { return ui.Memo_Results->toPlainText().split(QLatin1Char('\n')); }
    // What the message window shows for a message.
    static QString shown(const QString& msg) { return TForm_SaveMsg::SplitLines(msg).join(QLatin1Char('\n')); }

    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet{[](const Request&) { return Answer{}; }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
    std::vector<Asked> asked;
};

TEST_P(CommandLine, ListsRowsInBothLayouts)
{
    run(QStringLiteral("// people by id\n   select id, name, city\n\n   from sqlpage_people order by id"));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(results(), (QStringList{"1|Smith|Oslo|", "2|Smith||", "3|SMITH|Bergen|"}));
    EXPECT_EQ(form.state().StatementLines,
              (QStringList{"select id, name, city", "from sqlpage_people order by id"}));
    EXPECT_EQ(form.Query.sql(), form.state().StatementLines);
    // The box shows its beginning; the panel shows the focused box's caret.
    EXPECT_EQ(ui.Memo_Results->textCursor().position(), 0);
    EXPECT_EQ(form.panelText(1), CaretPositionText(*ui.Memo_SQL));

    ui.MenuItem_ShowFieldNames->setChecked(true);
    run(QStringLiteral("SELECT name AS abcdefghijklmnopqrst, city FROM sqlpage_people WHERE id = 2"));
    EXPECT_EQ(results(), (QStringList{"abcdefghijklmnopqrst'Smith'", "city                ''", "", "", ""}));

    // A selection runs alone; a SELECT that finds nothing leaves the box empty without a word.
    ui.MenuItem_ShowFieldNames->setChecked(false);
    ui.Memo_SQL->setPlainText(QStringLiteral("garbage\nselect id from sqlpage_people where id = 9\nmore garbage"));
    QTextCursor c(ui.Memo_SQL->document()->findBlockByNumber(1));
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    ui.Memo_SQL->setTextCursor(c);
    asked.clear();
    form.BitBtn_Execute2Click(ui.BitBtn_Execute2);
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(ui.Memo_Results->toPlainText().isEmpty());
    EXPECT_EQ(form.state().StatementLines, QStringList{"select id from sqlpage_people where id = 9"});
}

TEST_P(CommandLine, DeleteIsCountedAndConfirmed)
{
    ui.Memo_Results->setPlainText(QStringLiteral("kept"));
    const QString del = QStringLiteral("delete from sqlpage_people\nwhere name = 'Smith'");

    run(del, QMessageBox::No);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].kind, Kind::MessageBox);
    // Counted with the value as typed: two rows, not the one 'SMITH'.
    EXPECT_EQ(asked[0].text,
              QStringLiteral("The delete query will affect 2 records.  Are you sure you want to continue executing the delete?"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlpage_people")), 3);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("kept"));

    run(del, QMessageBox::Yes);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlpage_people")), 1);
    EXPECT_EQ(scalar(QStringLiteral("SELECT id FROM sqlpage_people")), 3);
    EXPECT_EQ(form.Query.sql(), (QStringList{"delete from sqlpage_people", "where name = 'Smith'"}));

    // UPDATE and INSERT: the update asks, the insert does not.
    run(QStringLiteral("update sqlpage_people set city = 'Paris'"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].text.startsWith(QStringLiteral("The update query will affect 1 records.")));
    run(QStringLiteral("insert into sqlpage_people values (4, 'Lee', 'Rome')"));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlpage_people WHERE city IN ('Paris', 'Rome')")), 2);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("kept"));
}

TEST_P(CommandLine, FailuresAreReported)
{
    ui.Memo_Results->setPlainText(QStringLiteral("kept"));
    const struct {
        const char* what;
        QString text;
        QString messageStart;  // empty: the whole message is `message`
        QString message;
    } cases[] = {
        {"unsupported kind", "explain select 1", {},
         "Only INSERT, UPDATE, DELETE and SELECT statements are supported.\r\n\r\nexplain select 1\r\n"},
        {"empty box", "// nothing but a comment", {},
         "Only INSERT, UPDATE, DELETE and SELECT statements are supported.\r\n\r\n"},
        {"change fails", "delete from sqlpage_missing where id = 1",
         "The query would result in an error and cannot be executed.\r\n\r\n",
         "\r\n\r\ndelete from sqlpage_missing where id = 1\r\n"},
        {"no such table", "select * from sqlpage_missing", "", "\r\n\r\nselect * from sqlpage_missing\r\n"},
        {"bad insert", "insert into sqlpage_missing values (1)", "", "\r\n\r\ninsert into sqlpage_missing values (1)\r\n"},
    };
    for (const auto& c : cases) {
        run(c.text);
        ASSERT_EQ(asked.size(), 1u) << c.what;
        EXPECT_EQ(asked[0].kind, Kind::Window) << c.what;
        if (c.messageStart.isNull()) {
            EXPECT_EQ(asked[0].text, shown(c.message)) << c.what;
        } else {
            // The driver's own text, then the statement.
            EXPECT_TRUE(asked[0].text.startsWith(shown(c.messageStart))) << c.what;
            EXPECT_TRUE(asked[0].text.endsWith(shown(c.message).mid(1))) << c.what << ": " << asked[0].text.toStdString();
            EXPECT_TRUE(asked[0].text.contains(QStringLiteral("sqlpage_missing"), Qt::CaseInsensitive)) << c.what;
            EXPECT_GT(asked[0].text.indexOf(QLatin1Char('\n')), 0) << c.what;
        }
        EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("kept")) << c.what;
        EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlpage_people")), 3) << c.what;
    }
}

TEST_P(CommandLine, EscEndsTheListingAtTheNextHundredRows)
{
    exec({"DROP TABLE IF EXISTS sqlpage_many", "CREATE TABLE sqlpage_many (n INTEGER, label VARCHAR(40))"});
    QStringList values;
    for (int i = 0; i < 250; ++i)
        values << QStringLiteral("(%1, 'row %1')").arg(i);
    exec({QStringLiteral("INSERT INTO sqlpage_many VALUES ") + values.join(QLatin1Char(','))});

    // Esc is pressed while the listing yields for the second time, at row 100. While it yields,
    // a second Execute and the other users of the query are shut out.
    int yields = 0;
    bool lockedDuringListing = false;
    SqlPageEnv env = MakeSqlPageEnv(form);
    env.processMessages = [&] {
        if (++yields == 2) {
            lockedDuringListing = SqlListingRunning(env) && !ui.BitBtn_Execute2->isEnabled()
                                  && !ui.MenuItem_Execute2->isEnabled() && !ui.PageControl->tabBar()->isEnabled()
                                  && !ui.MainMenu->isEnabled() && !ui.BitBtn_Select->isEnabled();
            form.BitBtn_Execute2Click(ui.BitBtn_Execute2);  // ignored
            QCoreApplication::postEvent(ui.Memo_SQL, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
        QCoreApplication::processEvents();
    };
    ui.Memo_SQL->setPlainText(QStringLiteral("select n from sqlpage_many order by n"));
    BitBtn_Execute2Click(env);

    EXPECT_EQ(yields, 2);
    EXPECT_TRUE(lockedDuringListing);
    const QStringList lines = results();
    ASSERT_EQ(lines.size(), 101);
    EXPECT_EQ(lines.first(), QStringLiteral("0|"));
    EXPECT_EQ(lines.last(), QStringLiteral("100|"));
    EXPECT_FALSE(SqlListingRunning(env));
    EXPECT_TRUE(ui.BitBtn_Execute2->isEnabled());
    EXPECT_TRUE(ui.PageControl->tabBar()->isEnabled());
    EXPECT_TRUE(ui.MainMenu->isEnabled());

    // The next run starts afresh and lists everything, in both layouts.
    run(QStringLiteral("select n, label from sqlpage_many order by n"));
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(results().size(), 250);
    EXPECT_EQ(results()[249], QStringLiteral("249|row 249|"));
    ui.MenuItem_ShowFieldNames->setChecked(true);
    run(QStringLiteral("select n, label from sqlpage_many order by n"));
    EXPECT_TRUE(asked.empty());
    ASSERT_EQ(results().size(), 250 * 5);
    EXPECT_EQ(results()[249 * 5 + 1], QStringLiteral("label               'row 249'"));
}

// The listing's text of each kind of value, on both drivers, in both layouts; enough rows for
// several yields, so the rows read on the reader thread come out whole and in order.
TEST_P(CommandLine, ListingTextOfEveryKindOfValue)
{
    const bool pg = GetParam() == Backend::PostgreSQL;
    const QString longText = QString(5000, QLatin1Char('x')) + QStringLiteral("\u00e9nd");
    exec({"DROP TABLE IF EXISTS sqlpage_kinds",
          pg ? "CREATE TABLE sqlpage_kinds (id INTEGER, name VARCHAR(30), amount DOUBLE PRECISION, born DATE, "
               "stamp TIMESTAMP, notes TEXT)"
             : "CREATE TABLE sqlpage_kinds (id INTEGER, name VARCHAR(30), amount DOUBLE, born DATE, stamp TIMESTAMP, "
               "notes TEXT)",
          "INSERT INTO sqlpage_kinds VALUES (1, 'O''Hara', 2.5, '2024-02-29', '2001-02-03 04:05:06', 'short')",
          "INSERT INTO sqlpage_kinds VALUES (2, NULL, NULL, NULL, NULL, NULL)",
          "INSERT INTO sqlpage_kinds VALUES (3, 'a|b', -0.1, '0999-12-31', '1999-12-31 23:59:59.789', 'two\r\nlines')",
          QStringLiteral("INSERT INTO sqlpage_kinds VALUES (4, '\u20ac', 1e20, '2000-01-01', '2000-01-01 00:00:00', '%1')")
              .arg(longText)});
    QStringList inserts;
    for (int i = 5; i <= 260; ++i)
        inserts << QStringLiteral("(%1, 'n%1', %1.25, '2020-01-%2', '2020-01-%2 10:%3:00', NULL)")
                       .arg(i)
                       .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                       .arg(i % 60, 2, 10, QLatin1Char('0'));
    exec({QStringLiteral("INSERT INTO sqlpage_kinds VALUES ") + inserts.join(QLatin1Char(','))});

    QStringList expected{
        "1|O'Hara|2.5|02/29/2024|02/03/2001 04:05:06|short|",
        "2||||||",
        "3|a|b|-0.1|12/31/0999|12/31/1999 23:59:59|two",
        "lines|",
        QStringLiteral("4|\u20ac|1e+20|01/01/2000|01/01/2000 00:00:00|") + longText + QLatin1Char('|'),
    };
    for (int i = 5; i <= 260; ++i)
        expected << QStringLiteral("%1|n%1|%1.25|01/%2/2020|01/%2/2020 10:%3:00||")
                        .arg(i)
                        .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                        .arg(i % 60, 2, 10, QLatin1Char('0'));
    run(QStringLiteral("select * from sqlpage_kinds order by id"));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(results(), expected);

    ui.MenuItem_ShowFieldNames->setChecked(true);
    run(QStringLiteral("select id, name, amount, born, stamp, notes as a_name_of_twenty_ch from sqlpage_kinds "
                       "where id <= 3 order by id"));
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(results(), (QStringList{"id                  '1'", "name                'O'Hara'",
                                      "amount              '2.5'", "born                '02/29/2024'",
                                      "stamp               '02/03/2001 04:05:06'", "a_name_of_twenty_ch 'short'",
                                      "", "", "",
                                      "id                  '2'", "name                ''", "amount              ''",
                                      "born                ''", "stamp               ''", "a_name_of_twenty_ch ''",
                                      "", "", "",
                                      "id                  '3'", "name                'a|b'",
                                      "amount              '-0.1'", "born                '12/31/0999'",
                                      "stamp               '12/31/1999 23:59:59'", "a_name_of_twenty_ch 'two",
                                      "lines'", "", "", ""}));
    exec({"DROP TABLE IF EXISTS sqlpage_kinds"});
}

INSTANTIATE_TEST_SUITE_P(Databases, CommandLine, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) { return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL"; });

// The boxes' keys and the caret panel, on SQLite.
class SqlBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.Database.setDatabaseName(QStringLiteral("sqlpage_keys"));
        form.Database.setAliasName(testsupport::sqliteDsn());
        form.Database.setConnected(true);
        form.Query.setDatabaseName(form.Database.databaseName());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.activateWindow();
        ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
        QCoreApplication::processEvents();
    }

    // A table of one column n holding 0 to rows - 1.
    void fillNumbers(const QString& table, int rows)
    {
        QStringList values;
        for (int i = 0; i < rows; ++i)
            values << QStringLiteral("(%1)").arg(i);
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        for (const QString& sql : {QStringLiteral("DROP TABLE IF EXISTS ") + table,
                                   QStringLiteral("CREATE TABLE %1 (n INTEGER)").arg(table),
                                   QStringLiteral("INSERT INTO %1 VALUES ").arg(table) + values.join(QLatin1Char(','))}) {
            q.sql().clear();
            q.sql() << sql;
            q.execSQL();
        }
    }

    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet{[](const Request&) { return Answer{}; }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
};

TEST_F(SqlBoxes, KeysRunAndSearch)
{
    ui.Memo_SQL->setPlainText(QStringLiteral("select 7 as n"));
    ui.Memo_Results->setFocus();
    for (auto [key, mods] : {std::pair{Qt::Key_F5, Qt::NoModifier}, std::pair{Qt::Key_F5, Qt::ShiftModifier},
                             std::pair{Qt::Key_E, Qt::ControlModifier}}) {
        ui.Memo_Results->clear();
        QTest::keyClick(ui.Memo_Results, key, mods);
        EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("7|")) << key;
    }
    // Ctrl+F and Ctrl+R open the dialogs on the box the key came from; the key is not typed.
    ui.Memo_Results->setFocus();
    QTest::keyClick(ui.Memo_Results, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(form.state().FindReplaceTarget, ui.Memo_Results);
    auto* find = form.findChild<TFindDialog*>();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    find->hide();
    ui.Memo_SQL->setFocus();
    QTest::keyClick(ui.Memo_SQL, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(form.state().FindReplaceTarget, ui.Memo_SQL);
    auto* replace = form.findChild<TReplaceDialog*>();
    ASSERT_NE(replace, nullptr);
    EXPECT_TRUE(replace->isVisible());
    replace->hide();
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("select 7 as n"));
}

TEST_F(SqlBoxes, CaretPanelFollowsTheFocusedBox)
{
    ui.Memo_SQL->setPlainText(QStringLiteral("select *\nfrom t"));
    ui.Memo_SQL->setFocus();
    QTest::keyClick(ui.Memo_SQL, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(form.panelText(1), QStringLiteral("[2,7]"));
    QTest::keyClicks(ui.Memo_SQL, QStringLiteral("ab"));
    EXPECT_EQ(form.panelText(1), QStringLiteral("[2,9]"));

    ui.Memo_Results->setPlainText(QStringLiteral("one\ntwo\nthree"));
    ui.Memo_Results->setFocus();
    QTest::mouseClick(ui.Memo_Results->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    EXPECT_EQ(form.panelText(1), QStringLiteral("[1,1]"));

    // Another control's focus leaves the text alone; the Table page clears it.
    ui.BitBtn_Execute2->setFocus();
    ShowCaretPosition(form);
    EXPECT_EQ(form.panelText(1), QStringLiteral("[1,1]"));
    ui.PageControl->setCurrentWidget(ui.TabSheet_Table);
    EXPECT_EQ(form.panelText(1), QString());
}

// A long listing reads, scrolls, finds, copies and selects by its lines, also after the box was
// resized and given another font.
TEST_F(SqlBoxes, LongListingWorksByLines)
{
    const int rows = 1000;
    fillNumbers(QStringLiteral("sqlpage_lines"), rows);
    ui.Memo_SQL->setPlainText(QStringLiteral("select n, 'row ' || n from sqlpage_lines order by n"));
    form.BitBtn_Execute2Click(ui.BitBtn_Execute2);
    QStringList expected;
    for (int i = 0; i < rows; ++i)
        expected << QStringLiteral("%1|row %1|").arg(i);
    QPlainTextEdit* box = ui.Memo_Results;
    ASSERT_EQ(box->toPlainText(), expected.join(QLatin1Char('\n')));

    box->resize(box->width() - 40, box->height() - 20);
    QFont font = box->font();
    font.setPointSize(font.pointSize() + 3);
    box->setFont(font);
    QCoreApplication::processEvents();
    const auto lineAt = [box](QPoint at) {
        QTextCursor c = box->cursorForPosition(at);
        c.movePosition(QTextCursor::StartOfLine);
        c.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
        return c.selectedText();
    };
    const QPoint topLeft(3, 3);
    for (int line : {537, 0, 999}) {
        box->verticalScrollBar()->setValue(line);
        QCoreApplication::processEvents();
        EXPECT_EQ(lineAt(topLeft), expected[std::min(line, box->verticalScrollBar()->maximum())]) << line;
    }
    // The last line can be scrolled into view, and no further.
    const QPoint bottomLeft(3, box->viewport()->height() - box->fontMetrics().height());
    EXPECT_EQ(lineAt(bottomLeft), expected.last());

    // The caret panel counts lines.
    box->setFocus();
    QTextCursor caret(box->document());
    caret.setPosition(int(expected.mid(0, 731).join(QLatin1Char('\n')).size()) + 1 + 3);
    box->setTextCursor(caret);
    QTest::keyClick(box, Qt::Key_Right);
    EXPECT_EQ(form.panelText(1), QStringLiteral("[732,5]"));

    // Find puts the match's line second from the top.
    ASSERT_TRUE(FindFrom(*box, 0, QStringLiteral("row 777|"), true));
    QCoreApplication::processEvents();
    EXPECT_EQ(box->textCursor().selectedText(), QStringLiteral("row 777|"));
    EXPECT_EQ(lineAt(topLeft), expected[776]);

    // A copy across lines holds line breaks; a triple click selects one line with its break.
    QTextCursor span(box->document());
    span.setPosition(int(expected.mid(0, 98).join(QLatin1Char('\n')).size()) + 1);
    span.setPosition(int(expected.mid(0, 103).join(QLatin1Char('\n')).size()), QTextCursor::KeepAnchor);
    box->setTextCursor(span);
    box->copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected.mid(98, 5).join(QLatin1Char('\n')));
    box->verticalScrollBar()->setValue(250);
    QCoreApplication::processEvents();
    const QPoint onLine(10, box->cursorRect(box->cursorForPosition(topLeft)).center().y()
                                + box->fontMetrics().lineSpacing());
    QTest::mouseDClick(box->viewport(), Qt::LeftButton, Qt::NoModifier, onLine);
    QTest::mousePress(box->viewport(), Qt::LeftButton, Qt::NoModifier, onLine);
    QTest::mouseRelease(box->viewport(), Qt::LeftButton, Qt::NoModifier, onLine);
    EXPECT_EQ(box->textCursor().selectedText(), expected[251] + QChar::ParagraphSeparator);
}

// A failure while the rows are being fetched: the rows before it stay listed, the failure is
// reported with the statement, and the page is usable again. The SQLite driver reads a whole
// result when the statement runs unless it steps through it (StepAPI), so the data source here
// steps.
TEST_F(SqlBoxes, FailureInTheMiddleOfTheRowsIsReportedAfterThem)
{
    testsupport::addDataSource(QStringLiteral("qv_sqlite_step"), QStringLiteral("SQLite3"),
                               {QStringLiteral("Database=") + testsupport::sqliteFile(), QStringLiteral("StepAPI=1")});
    form.Database.setConnected(false);
    form.Database.setAliasName(QStringLiteral("qv_sqlite_step"));
    form.Database.setConnected(true);
    fillNumbers(QStringLiteral("sqlpage_fail"), 400);
    std::vector<QString> messages;
    platform::modal::ScopedResponder responder([&](const Request& r) {
        auto* msg = qobject_cast<TForm_SaveMsg*>(r.window);
        messages.push_back(msg ? msg->RichEdit->toPlainText() : r.text);
        return Answer{mrOk};
    });
    // abs() of the smallest integer overflows: row 250 fails when it is fetched (the rows come in
    // the order they were stored; an ORDER BY would work them all out before the first).
    const QString select = QStringLiteral(
        "select n, case when n = 250 then abs(-9223372036854775807 - 1) else n end from sqlpage_fail");
    ui.Memo_SQL->setPlainText(select);
    form.BitBtn_Execute2Click(ui.BitBtn_Execute2);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("overflow"), Qt::CaseInsensitive)) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].endsWith(TForm_SaveMsg::SplitLines(QStringLiteral("\r\n\r\n") + select + QStringLiteral("\r\n"))
                                         .join(QLatin1Char('\n'))))
        << messages[0].toStdString();
    const QStringList lines = ui.Memo_Results->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 250);
    EXPECT_EQ(lines.first(), QStringLiteral("0|0|"));
    EXPECT_EQ(lines.last(), QStringLiteral("249|249|"));
    EXPECT_TRUE(ui.BitBtn_Execute2->isEnabled());
    EXPECT_TRUE(ui.MainMenu->isEnabled());

    // The connection is the page's again: the next run lists everything.
    messages.clear();
    ui.Memo_SQL->setPlainText(QStringLiteral("select count(*) from sqlpage_fail"));
    form.BitBtn_Execute2Click(ui.BitBtn_Execute2);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ui.Memo_Results->toPlainText(), QStringLiteral("400|"));
}

// While the rows are read on their own thread, the connection refuses every other use instead of
// sharing it; afterwards it serves again.
TEST_F(SqlBoxes, ConnectionRefusesOtherUsesWhileRowsAreRead)
{
    fillNumbers(QStringLiteral("sqlpage_busy"), 300);
    ui.Memo_SQL->setPlainText(QStringLiteral("select n from sqlpage_busy order by n"));
    SqlPageEnv env = MakeSqlPageEnv(form);
    QString refused;
    int yields = 0;
    env.processMessages = [&] {
        if (++yields == 2) {
            try {
                platform::engine::Query other;
                other.setDatabaseName(form.Database.databaseName());
                other.sql() << QStringLiteral("select 1");
                other.open();
            } catch (const platform::engine::EngineError& e) {
                refused = e.message();
            }
        }
    };
    BitBtn_Execute2Click(env);
    EXPECT_EQ(yields, 3);
    EXPECT_TRUE(refused.contains(QStringLiteral("busy"))) << refused.toStdString();
    EXPECT_EQ(ui.Memo_Results->toPlainText().split(QLatin1Char('\n')).size(), 300);
    platform::engine::Query after;
    after.setDatabaseName(form.Database.databaseName());
    after.sql() << QStringLiteral("select 5");
    after.open();
    EXPECT_EQ(after.fields(0).asInteger(), 5);
}

} // namespace

namespace {

// The number asked is the number of rows the statement changes, found by running it in a
// transaction: neither a WHERE in a comment or literal nor a subquery's FROM can change it, and
// any answer but Yes leaves every row as it was.
TEST_P(CommandLine, TheNumberAskedIsTheNumberWritten)
{
    const auto rows = [&] {
        QStringList all;
        platform::engine::Query q;
        q.setDatabaseName(form.Database.databaseName());
        q.sql() << QStringLiteral("SELECT id, name, city FROM sqlpage_people ORDER BY id");
        for (q.open(); !q.eof(); q.next())
            all << q.fields(0).asString() + u'|' + q.fields(1).asString() + u'|' + q.fields(2).asString();
        return all;
    };
    const QStringList before = rows();
    const struct {
        const char* text;
        int asked;
    } cases[] = {
        {"DELETE FROM sqlpage_people -- WHERE id = -1", 3},
        {"DELETE FROM sqlpage_people WHERE id = 99", 0},
        {"UPDATE sqlpage_people SET city = (SELECT max(name) FROM sqlpage_people) WHERE id = 1", 1},
        {"UPDATE sqlpage_people SET city = ' WHERE 1=0; --' /* WHERE id = 1 */ WHERE id <= 2", 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const QString kind = text.left(6).toLower();
        run(text, QMessageBox::No);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].text, ConfirmationText(kind, c.asked));
        EXPECT_EQ(rows(), before);
    }
    EXPECT_FALSE(form.Database.inTransaction());

    run(QString::fromUtf8(cases[3].text), QMessageBox::Yes);
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlpage_people WHERE city = ' WHERE 1=0; --'")), 2);
    run(QString::fromUtf8(cases[0].text), QMessageBox::Yes);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].text, ConfirmationText(QStringLiteral("delete"), 3));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM sqlpage_people")), 0);
    EXPECT_FALSE(form.Database.inTransaction());
}

} // namespace
