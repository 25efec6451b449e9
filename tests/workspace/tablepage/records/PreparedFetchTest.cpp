// The record page fetches its records by one prepared statement, its key bound for each record:
// the page shows what the statement written out in full shows, on SQLite and PostgreSQL and for
// each kind of key, and the statement is made again when the table, the connection or the link
// changes under it.
#include "tests/workspace/tablepage/page/Fixture.h"

#include "components/BVMaskEdit.h"
#include "components/SaveMsgDlg.h"
#include "platform/modal/Modal.h"
#include "workspace/tablepage/RecordDisplay.h"

#include <QPlainTextEdit>

using namespace platform::engine;

namespace {

enum class Db { Sqlite, Pg };

class PreparedFetch : public PageFixture, public ::testing::WithParamInterface<Db> {
protected:
    void SetUp() override
    {
        PageFixture::SetUp();
        ui.MenuItem_AllowLowerCase->setChecked(true);
        dbObj.DBType = QStringLiteral("SQLITE");
        if (GetParam() == Db::Pg) {
            if (!testsupport::pgAvailable())
                GTEST_SKIP() << testsupport::pgUnavailableReason().toStdString();
            usePg();
        }
    }

    void usePg()
    {
        const auto& pg = testsupport::pg();
        connect(pg.dsn, pg.user, pg.password);
        dbObj.DBType = QStringLiteral("POSTGRESQL");
    }

    bool pg() const { return GetParam() == Db::Pg; }

    // The page as the user sees it: every mask edit's text and marker, and the export line.
    QString page()
    {
        QStringList shown;
        for (QWidget* w : PageControls(ui))
            if (auto* e = qobject_cast<TBVMaskEdit*>(w))
                shown << e->FieldName + QLatin1Char('=') + e->text() + QLatin1Char('/') + e->Hint;
        return shown.join(QLatin1Char(' ')) + QStringLiteral(" | ") + state.AsciiLine;
    }

    QString show(int index)
    {
        state.RecordIndex = index;
        return ShowRecord(*env) ? page() : QStringLiteral("(not shown)");
    }

    // The same record shown with its key written into the statement, as every record was before
    // the statement was prepared: by a stored clause, which is never bound.
    QString shownByClause(const QString& clause)
    {
        const QString keyColumn = state.KeyColumn, uniqueColumn = state.UniqueColumn;
        QLineEdit* uniqueControl = state.UniqueControl;
        const QStringList keys = state.RecordKeys;
        state.KeyColumn.clear();
        state.UniqueColumn.clear();
        state.UniqueControl = nullptr;
        state.RecordKeys = QStringList{clause};
        const QString text = show(0);
        state.KeyColumn = keyColumn;
        state.UniqueColumn = uniqueColumn;
        state.UniqueControl = uniqueControl;
        state.RecordKeys = keys;
        return text;
    }

    Query* prepared() { return state.PreparedRecordFetch ? &state.PreparedRecordFetch->query : nullptr; }

    QStringList messages;
    platform::modal::ScopedResponder responder{[this](const platform::modal::Request& q) {
        auto* form = qobject_cast<TForm_SaveMsg*>(q.window);
        messages << (form ? form->RichEdit->toPlainText() : q.text);
        return platform::modal::Answer{q.window ? 1 : int(QMessageBox::Ok)};
    }};
};

// Each kind of key that is bound: the page, marker for marker and the export line byte for byte,
// is what the statement with the key written into it shows.
TEST_P(PreparedFetch, ShowsWhatTheWrittenStatementShows)
{
    // No serial column of the database's own: the unique keys are then the page's keys.
    recreate(QStringLiteral("qv_pf"), QStringLiteral("id integer primary key, code varchar(12) unique, n integer unique, "
                                                           "f double precision, d date, ts timestamp, b boolean"));
    exec({QStringLiteral("INSERT INTO qv_pf (id, code, n, f, d, ts, b) VALUES "
                         "(1, 'O''Brien', 10, 0.30000000000000004, '2001-03-12', '2001-03-12 14:05:00', true)"),
          QStringLiteral("INSERT INTO qv_pf (id, code, n, f) VALUES (2, '12', -3, 1e300)"),
          QStringLiteral("INSERT INTO qv_pf (id, code) VALUES (3, ' pad ')")});
    const struct {
        const char* serial;
        const char* unique;
        QStringList keys;
        const char* clauseColumn;
    } kinds[] = {
        {"QV_PF=ID", nullptr, {"1", "2", "3"}, "id"},
        {nullptr, "QV_PF=code", {"O'Brien", "12", " pad "}, "code"},
        {nullptr, "QV_PF=n", {"10", "-3"}, "n"},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.clauseColumn);
        state.SerialFields = kind.serial ? QStringList{QString::fromLatin1(kind.serial)} : QStringList();
        state.UniqueFields = kind.unique ? QStringList{QString::fromLatin1(kind.unique)} : QStringList();
        build(QStringLiteral("qv_pf"));
        for (int i = 0; i < kind.keys.size(); ++i) {
            state.RecordKeys = kind.keys;
            const QString bound = show(i);
            ASSERT_NE(prepared(), nullptr) << bound.toStdString();
            EXPECT_TRUE(prepared()->prepared());
            const QString literal = kind.keys[i];
            QString value = literal;
            value.replace(QLatin1Char('\''), QStringLiteral("''"));
            const bool text = QLatin1String(kind.clauseColumn) == QLatin1String("code");
            const QString written = shownByClause(QStringLiteral("WHERE ") + QLatin1String(kind.clauseColumn)
                                                  + QStringLiteral(" = ") + (text ? QLatin1Char('\'') + value + QLatin1Char('\'') : value));
            EXPECT_EQ(bound, written) << i;
        }
    }
    // The doubles keep every digit, the dates their form.
    state.SerialFields = QStringList{QStringLiteral("QV_PF=ID")};
    state.UniqueFields.clear();
    build(QStringLiteral("qv_pf"));
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2")};
    EXPECT_TRUE(show(0).contains(QStringLiteral("f=0.30000000000000004/"))) << page().toStdString();
    EXPECT_TRUE(page().contains(QStringLiteral("d=03/12/2001/03/12/2001"))) << page().toStdString();
    EXPECT_TRUE(page().contains(QStringLiteral("ts=03/12/2001 14:05:00/"))) << page().toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
}

// A new page, a table changed under the statement, and another database on the same connection
// component each get the statement made again; the values shown are always the new ones.
TEST_P(PreparedFetch, MadeAgainForAnotherTableAChangedTableAndAnotherDatabase)
{
    const QString serial = pg() ? QStringLiteral("serial primary key") : QStringLiteral("integer primary key");
    for (const char* t : {"qv_pf_a", "qv_pf_b"}) {
        recreate(QString::fromLatin1(t), QStringLiteral("id ") + serial + QStringLiteral(", name varchar(20)"));
        exec({QStringLiteral("INSERT INTO %1 (id, name) VALUES (1, '%1 one'), (2, '%1 two')").arg(QString::fromLatin1(t))});
    }
    state.SerialFields = QStringList{QStringLiteral("QV_PF_A=ID"), QStringLiteral("QV_PF_B=ID")};
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2")};
    build(QStringLiteral("qv_pf_a"));
    EXPECT_TRUE(show(0).contains(QStringLiteral("name=qv_pf_a one/")));
    const Query* first = prepared();
    ASSERT_NE(first, nullptr);

    // Another table: the page is built again and so is its statement.
    build(QStringLiteral("qv_pf_b"));
    EXPECT_EQ(prepared(), nullptr);
    EXPECT_TRUE(show(1).contains(QStringLiteral("name=qv_pf_b two/")));

    // A column added by another program under the prepared statement: still shown, no message.
    exec({QStringLiteral("ALTER TABLE qv_pf_b ADD COLUMN extra integer")});
    EXPECT_TRUE(show(0).contains(QStringLiteral("name=qv_pf_b one/"))) << page().toStdString();
    EXPECT_TRUE(show(1).contains(QStringLiteral("name=qv_pf_b two/"))) << page().toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

    // The same component connected to the other database, the page left as it is: the rows of
    // the database now connected.
    if (!testsupport::pgAvailable())
        return;
    if (pg())
        connect(testsupport::sqliteDsn());
    else
        usePg();
    const QString other = pg() ? QStringLiteral("integer primary key") : QStringLiteral("serial primary key");
    recreate(QStringLiteral("qv_pf_b"), QStringLiteral("id ") + other + QStringLiteral(", name varchar(20), extra integer"));
    exec({QStringLiteral("INSERT INTO qv_pf_b (id, name) VALUES (1, 'elsewhere one'), (2, 'elsewhere two')")});
    EXPECT_TRUE(show(1).contains(QStringLiteral("name=elsewhere two/"))) << page().toStdString();
    EXPECT_TRUE(show(0).contains(QStringLiteral("name=elsewhere one/"))) << page().toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
}

// A record removed by another program between two displays: the page is emptied without a
// message, as when the statement was written out each time, and the others still show (the
// statement holds no lock that keeps the other program from writing).
TEST_P(PreparedFetch, RecordRemovedByAnotherProgram)
{
    const QString serial = pg() ? QStringLiteral("serial primary key") : QStringLiteral("integer primary key");
    recreate(QStringLiteral("qv_pf_gone"), QStringLiteral("id ") + serial + QStringLiteral(", name varchar(20)"));
    exec({QStringLiteral("INSERT INTO qv_pf_gone (id, name) VALUES (1, 'one'), (2, 'two'), (3, 'three')")});
    state.SerialFields = QStringList{QStringLiteral("QV_PF_GONE=ID")};
    build(QStringLiteral("qv_pf_gone"));
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    ASSERT_TRUE(show(0).contains(QStringLiteral("name=one/")));
    ASSERT_TRUE(show(1).contains(QStringLiteral("name=two/")));

    // Another program: a connection of its own.
    Database other;
    other.setDatabaseName(QStringLiteral("qv_pf_other"));
    other.setAliasName(db.aliasName());
    other.params() = db.params();
    other.setConnected(true);
    Query remove;
    remove.setDatabaseName(other.databaseName());
    remove.sql() << QStringLiteral("DELETE FROM qv_pf_gone WHERE id = 2");
    remove.execSQL();
    EXPECT_EQ(remove.rowsAffected(), 1);

    EXPECT_EQ(show(1), QStringLiteral("(not shown)"));
    EXPECT_EQ(control<TBVMaskEdit>(QStringLiteral("BVMaskEdit_name"))->text(), QString());
    EXPECT_FALSE(ui.BitBtn_Update->isEnabled());
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(show(2).contains(QStringLiteral("name=three/")));
    EXPECT_TRUE(ui.BitBtn_Update->isEnabled());
}

// A lost link: the display that meets it reports the database's message and the statement with
// its key, as before; the next one connects again and prepares the statement on the new link.
TEST_P(PreparedFetch, MadeAgainAfterTheLinkIsMadeAgain)
{
    if (!pg())
        GTEST_SKIP() << "only a server drops a link";
    recreate(QStringLiteral("qv_pf_lost"), QStringLiteral("id serial primary key, name varchar(20)"));
    exec({QStringLiteral("INSERT INTO qv_pf_lost (id, name) VALUES (1, 'one'), (2, 'two'), (3, 'three')")});
    state.SerialFields = QStringList{QStringLiteral("QV_PF_LOST=ID")};
    build(QStringLiteral("qv_pf_lost"));
    state.RecordKeys = QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    ASSERT_TRUE(show(0).contains(QStringLiteral("name=one/")));

    Query pid;
    pid.setDatabaseName(db.databaseName());
    pid.sql() << QStringLiteral("SELECT pg_backend_pid()");
    pid.open();
    const int backend = pid.fields(0).asInteger();
    pid.close();
    testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(backend));

    EXPECT_EQ(show(1), QStringLiteral("(not shown)"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("WHERE id = 2"))) << messages[0].toStdString();
    EXPECT_FALSE(messages[0].contains(QStringLiteral(":key"))) << messages[0].toStdString();

    EXPECT_TRUE(show(1).contains(QStringLiteral("name=two/"))) << page().toStdString();
    EXPECT_TRUE(show(2).contains(QStringLiteral("name=three/"))) << page().toStdString();
    EXPECT_EQ(messages.size(), 1);
    ASSERT_NE(prepared(), nullptr);
    EXPECT_TRUE(prepared()->prepared());
}

INSTANTIATE_TEST_SUITE_P(Databases, PreparedFetch, ::testing::Values(Db::Sqlite, Db::Pg),
                         [](const ::testing::TestParamInfo<Db>& info) {
                             return std::string(info.param == Db::Pg ? "PostgreSQL" : "SQLite");
                         });

} // namespace
