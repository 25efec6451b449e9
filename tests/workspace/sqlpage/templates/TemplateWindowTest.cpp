// The Select, Update and Insert commands of the SQL page on real databases: the chooser windows,
// the templates they write, F2, and the filled-in INSERT run with Execute.
#include "app/MainState.h"
#include "app/StartUp.h"
#include "components/SaveMsgDlg.h"
#include "components/Utils.h"
#include "platform/engine/Engine.h"
#include "platform/modal/Modal.h"
#include "tests/support/EngineRows.h"
#include "tests/support/Support.h"
#include "workspace/sqlpage/AddFields.h"
#include "workspace/sqlpage/InsertTemplate.h"
#include "workspace/MainWindow.h"
#include "workspace/sqlpage/QueryTemplate.h"
#include "workspace/sqlpage/SqlCommandLine.h"

#include "ui_AddFields.h"
#include "ui_InsertTemplate.h"
#include "ui_Main.h"
#include "ui_QueryTemplate.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <functional>

namespace {

using platform::modal::Answer;
using platform::modal::Kind;
using platform::modal::Request;

enum class Backend { SQLite, PostgreSQL };

class Templates : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        const bool pg = GetParam() == Backend::PostgreSQL;
        if (pg) {
            QV_REQUIRE_PG();
            ConnectDatabase(form.engineComponents(), testsupport::pg().dsn, testsupport::pg().user,
                            testsupport::pg().password);
        } else {
            ConnectDatabase(form.engineComponents(), testsupport::sqliteDsn(), {}, {});
        }
        exec({"DROP TABLE IF EXISTS tpl_people",
              pg ? "CREATE TABLE tpl_people (id_serial SERIAL PRIMARY KEY, \"first name\" VARCHAR(30), born DATE, n INTEGER)"
                 : "CREATE TABLE tpl_people (id_serial INTEGER PRIMARY KEY, \"first name\" VARCHAR(30), born DATE, n INTEGER)"});
        form.LoadTableNames();
        form.resize(900, 600);
        form.show();
        ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
        ui.Memo_SQL->setFocus();
        QCoreApplication::processEvents();
    }

    void TearDown() override
    {
        if (form.Database.connected())
            exec({"DROP TABLE IF EXISTS tpl_people"});
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

    QStringList rows(const QString& sql) { return testsupport::engineRows(form.Database.databaseName(), sql); }

    QStringList box() const { return ui.Memo_SQL->toPlainText().split(QLatin1Char('\n')); }

    // Runs a command while `work` plays the user in its window; messages are recorded and OK'd.
    void run(const std::function<void()>& command, const std::function<void(QDialog*)>& work)
    {
        messages.clear();
        platform::modal::ScopedResponder responder([&](const Request& r) {
            if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
                messages << msg->RichEdit->toPlainText();
                return Answer{mrOk};
            }
            if (r.kind == Kind::MessageBox) {
                messages << r.caption + QStringLiteral(": ") + r.text;
                // The question before an UPDATE is answered Yes.
                return Answer{r.buttons.contains(QStringLiteral("Yes")) ? QMessageBox::Yes : QMessageBox::Ok};
            }
            if (auto* dialog = qobject_cast<QDialog*>(r.window))
                work(dialog);
            return Answer{};
        });
        command();
    }

    // In the Build Query window: choose the table, the list and WHERE columns, press OK.
    static void choose(QDialog* window, const QString& table, const QStringList& fields, const QStringList& where,
                       QStringList* offered = nullptr)
    {
        auto* select = qobject_cast<TForm_Select*>(window);
        ASSERT_TRUE(select);
        Ui::TForm_Select& u = *select->ui();
        if (offered)
            for (int i = 0; i < u.ComboBox_Tables->count(); ++i)
                *offered << u.ComboBox_Tables->itemText(i);
        u.ComboBox_Tables->setCurrentIndex(u.ComboBox_Tables->findText(table));
        for (const auto& [list, names] : {std::pair{u.ListBox_Fields, fields}, std::pair{u.ListBox_WhereFields, where}})
            for (const QString& name : names) {
                const auto found = list->findItems(name, Qt::MatchExactly);
                ASSERT_EQ(found.size(), 1) << name.toStdString();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.first()).center());
            }
        QTest::mouseClick(u.BitBtn_OK, Qt::LeftButton);
    }

    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet{[](const Request&) { return Answer{}; }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
    QStringList messages;
};

TEST_P(Templates, SelectAndUpdateWriteTheirTemplates)
{
    QStringList offered, columns;
    run([&] { form.BitBtn_SelectClick(ui.BitBtn_Select); },
        [&](QDialog* w) {
            auto* u = qobject_cast<TForm_Select*>(w)->ui();
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Build Query"));
            EXPECT_EQ(u->Label_Fields->text(), QStringLiteral("Select Fields"));
            EXPECT_EQ(u->ComboBox_Tables->currentIndex(), -1);
            choose(w, QStringLiteral("tpl_people"), {"first name", "n"}, {"n", "id_serial"}, &offered);
            for (int i = 0; i < u->ListBox_Fields->count(); ++i)
                columns << u->ListBox_Fields->item(i)->text();
        });
    EXPECT_TRUE(offered.contains(QStringLiteral("tpl_people")));
    EXPECT_EQ(columns, (QStringList{"id_serial", "first name", "born", "n"}));
    EXPECT_EQ(box(), (QStringList{"SELECT \"first name\", n ", "FROM tpl_people", "WHERE id_serial = ''", "  AND n = ''"}));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(form.panelText(1), CaretPositionText(*ui.Memo_SQL));

    run([&] { form.BitBtn_SelectClick(ui.BitBtn_Update2); },
        [&](QDialog* w) {
            EXPECT_EQ(qobject_cast<TForm_Select*>(w)->ui()->Label_Fields->text(), QStringLiteral("Update Fields"));
            choose(w, QStringLiteral("tpl_people"), {"born", "first name"}, {});
        });
    EXPECT_EQ(box(), (QStringList{"UPDATE tpl_people", "  SET \"first name\" = '', ", "  born = ''"}));

    // The completed UPDATE and SELECT run as written.
    exec({"INSERT INTO tpl_people (\"first name\", n) VALUES ('Old', 1)"});
    ui.Memo_SQL->setPlainText(ui.Memo_SQL->toPlainText().replace(QStringLiteral("= '', "), QStringLiteral("= 'New', "))
                                  .replace(QStringLiteral("born = ''"), QStringLiteral("born = {d '2001-02-03'}")));
    run([&] { form.BitBtn_Execute2Click(ui.BitBtn_Execute2); }, [](QDialog*) {});
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("The update query will affect 1 records."))) << messages[0].toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT \"first name\", n FROM tpl_people")), QStringList{"New|1"});
}

TEST_P(Templates, ChooserRefusesNoFieldsAndCancelKeepsTheBox)
{
    ui.Memo_SQL->setPlainText(QStringLiteral("kept"));
    bool stayedOpen = false;
    run([&] { form.BitBtn_SelectClick(ui.BitBtn_Select); },
        [&](QDialog* w) {
            auto* u = qobject_cast<TForm_Select*>(w)->ui();
            u->ComboBox_Tables->setCurrentIndex(u->ComboBox_Tables->findText(QStringLiteral("tpl_people")));
            QTest::mouseClick(u->BitBtn_OK, Qt::LeftButton);
            stayedOpen = w->isVisible();
            EXPECT_TRUE(u->ListBox_Fields->hasFocus() || !w->isActiveWindow());
            QTest::keyClick(w, Qt::Key_Escape);
        });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages, QStringList{"Error: You have not selected any fields to query on!"});
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("kept"));

    // OK without a table closes the window and counts as cancelled.
    run([&] { form.BitBtn_SelectClick(ui.BitBtn_Select); },
        [&](QDialog* w) { QTest::mouseClick(qobject_cast<TForm_Select*>(w)->ui()->BitBtn_OK, Qt::LeftButton); });
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("kept"));

    // Sorting, then another table: table order again.
    run([&] { form.BitBtn_SelectClick(ui.BitBtn_Select); },
        [&](QDialog* w) {
            auto* u = qobject_cast<TForm_Select*>(w)->ui();
            u->ComboBox_Tables->setCurrentIndex(u->ComboBox_Tables->findText(QStringLiteral("tpl_people")));
            QTest::mouseClick(u->SpeedButton_Sort, Qt::LeftButton);
            EXPECT_EQ(u->ListBox_WhereFields->item(0)->text(), QStringLiteral("born"));
            u->ComboBox_Tables->setCurrentIndex(-1);
            u->ComboBox_Tables->setCurrentIndex(u->ComboBox_Tables->findText(QStringLiteral("tpl_people")));
            EXPECT_EQ(u->ListBox_WhereFields->item(0)->text(), QStringLiteral("id_serial"));
            QTest::mouseClick(u->BitBtn_Select, Qt::LeftButton);
            EXPECT_EQ(u->ListBox_Fields->selectedItems().size(), 4);
            QTest::mouseClick(u->BitBtn_Clear, Qt::LeftButton);
            EXPECT_TRUE(u->ListBox_Fields->selectedItems().isEmpty());
            QTest::mouseClick(u->BitBtn_Cancel, Qt::LeftButton);
        });
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("kept"));
}

// The whole road of the INSERT template: choose the table, F2 from a column to its value, type
// the values, Execute; the row is in the table.
TEST_P(Templates, FilledInsertTemplateRuns)
{
    run([&] { form.BitBtn_InsertClick(ui.BitBtn_Insert); },
        [&](QDialog* w) {
            auto* u = qobject_cast<TForm_Insert*>(w)->ui();
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Create Insert Statement"));
            EXPECT_TRUE(u->CheckBox_Column->isChecked());
            EXPECT_EQ(u->ListBox_Table->currentRow(), 0);
            const auto found = u->ListBox_Table->findItems(QStringLiteral("tpl_people"), Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1);
            u->ListBox_Table->setCurrentItem(found.first());
            QTest::mouseClick(u->BitBtn_OK, Qt::LeftButton);
        });
    ASSERT_EQ(box(), (QStringList{"INSERT INTO tpl_people (", "\"first name\",", "born,", "n)", "VALUES(", "' ',",
                                  "{d '9999-12-31'},", "0)"}));

    // Select a column line, F2, and type over the value line the caret lands on.
    const auto fill = [&](int columnLine, const QString& value) {
        QTextCursor c(ui.Memo_SQL->document()->findBlockByNumber(columnLine));
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        ui.Memo_SQL->setTextCursor(c);
        QTest::keyClick(ui.Memo_SQL, Qt::Key_F2);
        QTextCursor at = ui.Memo_SQL->textCursor();
        EXPECT_FALSE(at.hasSelection());
        EXPECT_EQ(at.blockNumber(), columnLine + 4);
        EXPECT_TRUE(at.atBlockEnd());
        at.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
        ui.Memo_SQL->setTextCursor(at);
        QTest::keyClicks(ui.Memo_SQL, value);
    };
    fill(1, QStringLiteral("'Ann Lee',"));
    fill(3, QStringLiteral("42)"));
    fill(2, QStringLiteral("{d '1990-05-17'},"));
    run([&] { form.BitBtn_Execute2Click(ui.BitBtn_Execute2); }, [](QDialog*) {});
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rows(QStringLiteral("SELECT \"first name\", n FROM tpl_people")), QStringList{"Ann Lee|42"});
    EXPECT_EQ(rows(QStringLiteral("SELECT count(*) FROM tpl_people WHERE born = {d '1990-05-17'}")), QStringList{"1"});

    // The one-line layout; Cancel keeps the box.
    run([&] { form.BitBtn_InsertClick(ui.BitBtn_Insert); },
        [&](QDialog* w) {
            auto* u = qobject_cast<TForm_Insert*>(w)->ui();
            u->ListBox_Table->setCurrentItem(u->ListBox_Table->findItems(QStringLiteral("tpl_people"), Qt::MatchExactly).first());
            u->CheckBox_Column->setChecked(false);
            QTest::mouseClick(u->BitBtn_OK, Qt::LeftButton);
        });
    EXPECT_EQ(box().join(QString()),
              QStringLiteral("INSERT INTO tpl_people (\"first name\", born, n)VALUES(' ',{d '9999-12-31'},0)"));
    run([&] { form.BitBtn_InsertClick(ui.BitBtn_Insert); },
        [&](QDialog* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_EQ(box().join(QString()),
              QStringLiteral("INSERT INTO tpl_people (\"first name\", born, n)VALUES(' ',{d '9999-12-31'},0)"));
}

TEST_P(Templates, F2ActsOnlyInAnInsertTemplateOnTheSqlPage)
{
    const auto select = [&](int line) {
        QTextCursor c(ui.Memo_SQL->document()->findBlockByNumber(line));
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        ui.Memo_SQL->setTextCursor(c);
    };
    ui.Memo_SQL->setPlainText(QStringLiteral("INSERT INTO t (\na,\nb)\nVALUES(\n1,\n2)"));
    select(2);
    QTest::keyClick(ui.Memo_SQL, Qt::Key_F2);
    EXPECT_EQ(ui.Memo_SQL->textCursor().blockNumber(), 5);

    // Edited so that the value lines are gone: the caret stays where it was.
    ui.Memo_SQL->setPlainText(QStringLiteral("INSERT INTO t (\na,\nb)\nVALUES("));
    select(2);
    QTest::keyClick(ui.Memo_SQL, Qt::Key_F2);
    EXPECT_TRUE(ui.Memo_SQL->textCursor().hasSelection());

    // Not an INSERT template, or not the SQL page: nothing moves.
    ui.Memo_SQL->setPlainText(QStringLiteral("SELECT 1\na,\nVALUES(\n1,"));
    select(1);
    QTest::keyClick(ui.Memo_SQL, Qt::Key_F2);
    EXPECT_TRUE(ui.Memo_SQL->textCursor().hasSelection());
    ui.Memo_SQL->setPlainText(QStringLiteral("INSERT INTO t (\na,\nb)\nVALUES(\n1,\n2)"));
    select(1);
    ui.PageControl->setCurrentWidget(ui.TabSheet_Table);
    form.JumpToInsertValue();
    EXPECT_TRUE(ui.Memo_SQL->textCursor().hasSelection());
}

INSTANTIATE_TEST_SUITE_P(Drivers, Templates, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto& info) {
                             return std::string(info.param == Backend::SQLite ? "SQLite" : "PostgreSQL");
                         });

} // namespace

namespace {

// The hidden Add Fields command: type defaults in its window, and the grid's names appended to the
// first line of the statement box on OK only.
TEST(AddFields, TypeDefaultsAndTheAppendedNames)
{
    testsupport::TempHome home;
    platform::modal::ScopedResponder quiet([](const Request&) { return Answer{}; });
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
    ui.Memo_SQL->setPlainText(QStringLiteral("INSERT INTO t (a\nsecond line"));

    bool cancel = true;
    QStringList values;
    platform::modal::ScopedResponder responder([&](const Request& r) {
        auto* window = qobject_cast<TForm_AddFields*>(r.window);
        if (!window)
            return Answer{};
        Ui::TForm_AddFields& u = *window->ui();
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Add fields to table"));
        EXPECT_EQ(window->CallerName, QStringLiteral("Form_Main"));
        EXPECT_FALSE(u.MPanel_Table->isVisible());
        EXPECT_EQ(u.MComboBox_FieldType->count(), 0);
        // The window definition offers no types; given some, each sets its default value.
        u.MComboBox_FieldType->addItems({"char", "date", "datetime", "float", "integer", "memo", "other"});
        u.MComboBox_FieldType->setCurrentIndex(-1);
        values.clear();
        for (int i = 0; i < u.MComboBox_FieldType->count(); ++i) {
            u.MMaskEdit_FieldValue->setText(QStringLiteral("x"));
            u.MComboBox_FieldType->setCurrentIndex(i);
            values << u.MMaskEdit_FieldValue->text();
        }
        u.CheckBox_Null->click();
        values << u.MMaskEdit_FieldValue->text();
        u.MComboBox_FieldType->setCurrentIndex(1);
        values << u.MMaskEdit_FieldValue->text();
        u.CheckBox_Null->click();
        values << u.MMaskEdit_FieldValue->text();
        QTest::mouseClick(cancel ? u.BitBtn_Cancel : u.BitBtn_OK, Qt::LeftButton);
        return Answer{};
    });
    form.BitBtn_AddFieldsClick(ui.BitBtn_AddFields);
    EXPECT_EQ(values, (QStringList{"", "12/31/9999", "12/31/9999 00:00:00", "0.0", "0", "", "x", "null", "null",
                                   "12/31/9999"}));
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("INSERT INTO t (a\nsecond line"));

    cancel = false;
    form.BitBtn_AddFieldsClick(ui.BitBtn_AddFields);
    EXPECT_EQ(ui.Memo_SQL->toPlainText(), QStringLiteral("INSERT INTO t (a|\nsecond line"));
    EXPECT_TRUE(ui.BitBtn_AddFields->isHidden());
}

} // namespace
