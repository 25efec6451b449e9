// The same delimited rows inserted into several configured databases in turn, through the
// database switch, and the chooser of those databases.
#include "Fixture.h"

#include "app/DatabaseRegistry.h"
#include "app/Options.h"
#include "platform/ini/IniFile.h"

namespace {

int rowsIn(const QString& dataSource)
{
    platform::engine::Database db;
    db.setDatabaseName(QStringLiteral("xm_count"));
    db.setAliasName(dataSource);
    db.setConnected(true);
    platform::engine::Query q;
    q.setDatabaseName(QStringLiteral("xm_count"));
    q.sql() << QStringLiteral("SELECT COUNT(*) FROM xm_t");
    q.open();
    const int n = q.fields(0).asInteger();
    q.close();
    db.setConnected(false);
    return n;
}

class MultiInsert : public TransferWindow {
protected:
    void SetUp() override
    {
        TransferWindow::SetUp();
        static bool registered = false;
        for (const char* name : {"qv_xm_a", "qv_xm_b"}) {
            const QString dsn = QString::fromLatin1(name);
            if (!registered)
                testsupport::addDataSource(dsn, QStringLiteral("SQLite3"),
                                           {QStringLiteral("Database=") + testsupport::runFolder() + QLatin1Char('/') + dsn
                                            + QStringLiteral(".db")});
            connect(dsn, QStringLiteral("ACCESS"));
            recreate(QStringLiteral("xm_t"), QStringLiteral("id INTEGER, name VARCHAR(20)"));
        }
        registered = true;
        form.Database.setConnected(false);
        form.state().CurrentDatabase = nullptr;

        platform::IniFile ini(kQuorvelIni);
        ini.writeString(QStringLiteral("DATABASES"), QStringLiteral("Alpha"), QStringLiteral("ACCESS|Alpha|qv_xm_a|||||||"));
        ini.writeString(QStringLiteral("DATABASES"), QStringLiteral("Beta"), QStringLiteral("ACCESS|Beta|qv_xm_b|||||||"));
        ini.writeString(QStringLiteral("DATABASES"), QStringLiteral("Gamma"),
                        QStringLiteral("ACCESS|Gamma|qv_xm_nowhere|||||||"));
        form.registry().LoadDatabases();
        ASSERT_TRUE(form.SwitchDatabase(QStringLiteral("Alpha")));
        ui.Memo_Results->setPlainText(QStringLiteral("id|name|\n1|'one'|\n2|'t|wo'|"));
        tableNameAnswer = QStringLiteral("xm_t");
        messages.clear();
    }
    QString current() const { return const_cast<TForm_Main&>(form).state().CurrentDatabase->DBDesc; }
};

TEST_F(MultiInsert, WritesTheRowsIntoEachChosenDatabaseAndComesBack)
{
    databasesToChoose = {QStringLiteral("Beta"), QStringLiteral("Alpha")};
    form.MenuItem_MultiFromScreenClick(ui.MenuItem_MultiFromScreen);
    EXPECT_EQ(chooserRows, (QStringList{QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")}));
    EXPECT_EQ(tableNamePrompts, 1);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();  // no counts
    EXPECT_EQ(rowsIn(QStringLiteral("qv_xm_a")), 2);
    EXPECT_EQ(rowsIn(QStringLiteral("qv_xm_b")), 2);
    EXPECT_EQ(current(), QStringLiteral("Alpha"));
    EXPECT_TRUE(form.Database.connected());
    EXPECT_FALSE(form.state().InMultiInsert);
    EXPECT_EQ(form.state().MultiInsertTable, QStringLiteral("xm_t"));
}

TEST_F(MultiInsert, ADatabaseThatCannotBeReachedIsReportedAndSkipped)
{
    databasesToChoose = {QStringLiteral("Gamma"), QStringLiteral("Beta")};
    form.MenuItem_MultiFromScreenClick(ui.MenuItem_MultiFromScreen);
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().contains(QStringLiteral("No rows were inserted into Gamma")))
        << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(rowsIn(QStringLiteral("qv_xm_a")), 0);
    // Nothing meant for Gamma went into Beta, connected before it.
    EXPECT_EQ(rowsIn(QStringLiteral("qv_xm_b")), 2);
    EXPECT_EQ(current(), QStringLiteral("Alpha"));
    EXPECT_TRUE(form.Database.connected());
}

TEST_F(MultiInsert, CancelInTheChooserOrThePromptInsertsNothing)
{
    databasesToChoose = {QStringLiteral("Beta")};
    cancelChooser = true;
    form.MenuItem_MultiFromScreenClick(ui.MenuItem_MultiFromScreen);
    EXPECT_EQ(tableNamePrompts, 0);

    cancelChooser = false;
    tableNameAnswer.reset();
    form.state().MultiInsertTable = QStringLiteral("old");
    form.MenuItem_MultiFromScreenClick(ui.MenuItem_MultiFromScreen);
    EXPECT_EQ(tableNamePrompts, 1);
    EXPECT_EQ(form.state().MultiInsertTable, QString());
    EXPECT_FALSE(form.state().InMultiInsert);
    EXPECT_EQ(rowsIn(QStringLiteral("qv_xm_b")), 0);
    EXPECT_EQ(current(), QStringLiteral("Alpha"));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MultiInsert, FromFileLoadsTheFileWithoutRememberingIt)
{
    const QString file = home.file(QStringLiteral("multi.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("id|name|\n7|'seven'|\n");
    }
    form.state().LastSqlFile = QStringLiteral("kept.txt");
    openFileAnswer = file;
    databasesToChoose = {QStringLiteral("Beta")};
    form.MenuItem_MultiFromScreenClick(ui.MenuItem_MultiFromFile);
    EXPECT_EQ(results(), (QStringList{QStringLiteral("id|name|"), QStringLiteral("7|'seven'|")}));
    EXPECT_EQ(form.state().LastSqlFile, QStringLiteral("kept.txt"));
    EXPECT_EQ(rowsIn(QStringLiteral("qv_xm_b")), 1);
    EXPECT_EQ(current(), QStringLiteral("Alpha"));
}

TEST_F(MultiInsert, TheChooserHandsBackItsRowsInListOrder)
{
    DatabaseList list;
    for (const char* name : {"One", "Three", "Two"}) {
        auto db = std::make_unique<TDataBaseObj>();
        db->DBDesc = QString::fromLatin1(name);
        list.add(QString::fromLatin1(name), std::move(db));
    }
    for (const QStringList& clicks : {QStringList{"Two", "One"}, QStringList{}}) {
        ChosenDatabases chosen;
        TForm_SelectDatabases chooser(list);
        chooser.SelectedDatabases = &chosen;
        databasesToChoose = clicks;
        platform::modal::execWindow(chooser);
        EXPECT_FALSE(chooser.Cancelled);
        QStringList names;
        for (const auto& [name, db] : chosen) {
            names << name;
            EXPECT_EQ(db->DBDesc, name);
        }
        QStringList expected = clicks;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(names, expected);
    }
    // Esc is Cancel.
    ChosenDatabases chosen;
    TForm_SelectDatabases chooser(list);
    chooser.SelectedDatabases = &chosen;
    chooser.show();
    QTest::keyClick(&chooser, Qt::Key_Escape);
    EXPECT_TRUE(chooser.Cancelled);
    EXPECT_TRUE(chosen.empty());
}

} // namespace
