#pragma once
// The main window on a test database, with a table chosen as the Select Table command does, and
// every modal run answered: messages are recorded, input boxes answered from inputAnswer.
#include "app/MainState.h"
#include "components/BVMaskEdit.h"
#include "components/BVMemo.h"
#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"
#include "tests/support/EngineRows.h"
#include "tests/support/Support.h"
#include "workspace/MainWindow.h"
#include "workspace/tablepage/SelectTable.h"
#include "workspace/tablepage/TablePage.h"

#include "ui_Main.h"
#include "ui_SelectTable.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <functional>
#include <optional>
#include <string>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os)
{
    *os << '{';
    for (const QString& s : list)
        *os << "\n  \"" << s.toStdString() << '"';
    *os << " }";
}

class QbeWindow : public ::testing::Test {
protected:
    testsupport::TempHome home;
    QStringList messages;                    // texts of the message dialogs and boxes shown
    std::optional<QString> inputAnswer;      // the input box's answer; nullopt: Cancel
    QString tableToChoose;
    // Answers what the fixture does not know (a test's own dialogs); true when it answered.
    std::function<bool(const platform::modal::Request&, platform::modal::Answer&)> answerOther;
    platform::modal::ScopedResponder responder{[this](const platform::modal::Request& r) {
        platform::modal::Answer a;
        if (answerOther && answerOther(r, a))
            return a;
        if (auto* chooser = qobject_cast<TForm_SelectTable*>(r.window)) {
            QListWidget* list = chooser->ui()->ListBox_TableName;
            const auto found = list->findItems(tableToChoose, Qt::MatchFixedString);
            if (!found.isEmpty())
                list->setCurrentItem(found.first());
            QTest::mouseClick(chooser->ui()->BitBtn_OK, Qt::LeftButton);
        } else if (auto* msg = qobject_cast<TForm_SaveMsg*>(r.window)) {
            messages << msg->RichEdit->toPlainText();
            a.result = 1;
        } else if (r.kind == platform::modal::Kind::MessageBox) {
            messages << r.text;
            a.result = QMessageBox::Ok;
        } else if (r.kind == platform::modal::Kind::InputBox) {
            a.result = inputAnswer ? 1 : 0;
            a.text = inputAnswer.value_or(QString());
        }
        return a;
    }};
    TForm_Main form;
    Ui::TForm_Main& ui = form.ui();
    TDataBaseObj db;

    void SetUp() override
    {
        form.show();
        form.resize(798, 606);
        QApplication::processEvents();
    }
    void TearDown() override { form.state().CurrentDatabase = nullptr; }

    void connect(const QString& dsn, const QString& dbType, const QString& user = {}, const QString& password = {})
    {
        form.Database.setConnected(false);
        form.Database.setDatabaseName(QStringLiteral("qbe_db"));
        form.Database.setAliasName(dsn);
        form.Database.params().clear();
        form.Database.params() << QStringLiteral("user name=") + user << QStringLiteral("password=") + password;
        form.Database.setConnected(true);
        for (platform::engine::DataSet* set : std::initializer_list<platform::engine::DataSet*>{
                 &form.Table, &form.Table2, &form.Query, &form.Query1, &form.Query2, &form.ADOQuery})
            set->setDatabaseName(form.Database.databaseName());
        db.DBType = dbType;
        db.DataSource = dsn;
        db.UserName = user;
        db.Password = password;
        form.state().CurrentDatabase = &db;
    }
    void connectSqlite(const QString& dbType = QStringLiteral("ACCESS")) { connect(testsupport::sqliteDsn(), dbType); }
    void connectPg()
    {
        const auto& pg = testsupport::pg();
        connect(pg.dsn, QStringLiteral("POSTGRESQL"), pg.user, pg.password);
    }
    // The database a parameterised test runs on; false when PostgreSQL is asked for and there is
    // no server.
    bool connectTo(bool pg)
    {
        if (!pg) {
            connectSqlite();
            return true;
        }
        if (!testsupport::pgAvailable())
            return false;
        connectPg();
        return true;
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
    void recreate(const QString& name, const QString& columns)
    {
        exec({QStringLiteral("DROP TABLE IF EXISTS ") + name,
              QStringLiteral("CREATE TABLE ") + name + QStringLiteral(" (") + columns + QLatin1Char(')')});
    }
    // The rows of a statement, each as its values' texts joined by "|".
    QStringList rows(const QString& sql) { return testsupport::engineRows(form.Database.databaseName(), sql); }

    // Chooses the table through Select Table.
    void choose(const QString& table)
    {
        form.state().TableNames = {table};
        ui.MenuItem_AllowLowerCase->setChecked(true);
        tableToChoose = table;
        form.MenuItem_SelectTableClick(ui.BitBtn_SelectTable);
        QApplication::processEvents();
        ASSERT_EQ(form.state().CurrentTable, table);
    }

    TBVMaskEdit* edit(const QString& field)
    {
        for (QWidget* w : PageControls(ui))
            if (auto* e = qobject_cast<TBVMaskEdit*>(w); e && e->FieldName == field)
                return e;
        return nullptr;
    }
    TBVMemo* memo(const QString& field)
    {
        for (QWidget* w : PageControls(ui))
            if (auto* m = qobject_cast<TBVMemo*>(w); m && m->FieldName == field)
                return m;
        return nullptr;
    }
    void type(const QString& field, const QString& text)
    {
        TBVMaskEdit* e = edit(field);
        ASSERT_NE(e, nullptr) << field.toStdString();
        e->setText(text);
    }
    void query() { form.BitBtn_QueryClick(ui.BitBtn_Query); }
    void execute() { form.BitBtn_ExecuteClick(ui.BitBtn_Execute); }
    QStringList sent() const { return const_cast<TForm_Main&>(form).Query.sql(); }
    QString status() const { return form.panelText(0); }
};

enum class Db { Sqlite, Pg };

// The window on SQLite or on PostgreSQL, by the test's parameter.
class QbeOnDatabase : public QbeWindow, public ::testing::WithParamInterface<Db> {
protected:
    void SetUp() override
    {
        QbeWindow::SetUp();
        if (!connectTo(GetParam() == Db::Pg))
            GTEST_SKIP() << "no PostgreSQL server";
    }
    bool pg() const { return GetParam() == Db::Pg; }
    // Runs a query: Query, then what fill types, then Execute.
    void runQuery(const std::function<void()>& fill = {})
    {
        QTest::mouseClick(ui.BitBtn_Query, Qt::LeftButton);
        if (fill)
            fill();
        QTest::mouseClick(ui.BitBtn_Execute, Qt::LeftButton);
    }
};

inline std::string DatabaseName(const ::testing::TestParamInfo<Db>& info)
{
    return info.param == Db::Pg ? "PostgreSQL" : "SQLite";
}

