// Tables and columns whose names are no plain identifiers: blanks, capitals, signs, a quote, a
// colon (which must not be taken for a parameter), reserved words. Each is chosen, queried and
// shown with its long text, on SQLite and on PostgreSQL.
#include "Fixture.h"

namespace {

const QString kColumns = QStringLiteral(
    "\"Order\" VARCHAR(20), \"a-b\" INTEGER, \"x;y\" VARCHAR(10), \"p:q\" VARCHAR(10), \"it's\" VARCHAR(10),"
    " \"say \"\"hi\"\"\" VARCHAR(10), \"user\" VARCHAR(10), \"group\" INTEGER, \"Notes\" TEXT");

class OddNames : public QbeOnDatabase {
protected:
    // Makes the table (name as the catalogue spells it) with three rows, the key column first
    // when there is one.
    void make(const QString& table, const QString& key)
    {
        const QString quoted = QLatin1Char('"') + table + QLatin1Char('"');
        exec({QStringLiteral("DROP TABLE IF EXISTS ") + quoted,
              QStringLiteral("CREATE TABLE ") + quoted + QStringLiteral(" (") + key + kColumns + QLatin1Char(')')});
        const QString insert = QStringLiteral("INSERT INTO ") + quoted
                               + QStringLiteral(" (\"Order\", \"a-b\", \"x;y\", \"p:q\", \"it's\", \"say \"\"hi\"\"\","
                                                " \"user\", \"group\", \"Notes\") VALUES ");
        exec({insert + QStringLiteral("('first', 1, 'x1', 'a:b', 'O''Neil', 'hi', 'ann', 7, 'the first note')"),
              insert + QStringLiteral("('second', 2, 'x2', 'c:d', NULL, 'ho', 'bob', 8, 'the second note')"),
              insert + QStringLiteral("('third', 3, NULL, 'e:f', 'Ann', NULL, 'cy', 9, NULL)")});
    }
    // Chooses the table through Select Table, which lists names in lower case.
    void chooseLower(const QString& table)
    {
        form.state().TableNames = {table};
        ui.MenuItem_AllowLowerCase->setChecked(true);
        tableToChoose = table.toLower();
        form.MenuItem_SelectTableClick(ui.BitBtn_SelectTable);
        QApplication::processEvents();
        ASSERT_EQ(form.state().CurrentTable, table.toLower());
    }
    QString noMessages() const { return messages.join(QLatin1Char('\n')); }
};

TEST_P(OddNames, KeyedTableWithABlankAndCapitals)
{
    const QString key = pg() ? QStringLiteral("\"Item No\" SERIAL PRIMARY KEY, ")
                             : QStringLiteral("\"Item No\" INTEGER PRIMARY KEY AUTOINCREMENT, ");
    make(QStringLiteral("Qbe Line Item"), key);
    chooseLower(QStringLiteral("Qbe Line Item"));
    ASSERT_TRUE(messages.isEmpty()) << noMessages().toStdString();
    ASSERT_EQ(form.state().KeyColumn, QStringLiteral("item no"));
    ASSERT_NE(edit(QStringLiteral("p:q")), nullptr);
    ASSERT_NE(memo(QStringLiteral("notes")), nullptr);

    form.state().OrderBy = QStringLiteral("a-b");
    form.state().UseSortOrder = true;
    runQuery();
    EXPECT_TRUE(messages.isEmpty()) << noMessages().toStdString();
    ASSERT_EQ(form.state().RecordKeys.size(), 3);
    EXPECT_EQ(edit(QStringLiteral("order"))->text(), QStringLiteral("first"));
    EXPECT_EQ(edit(QStringLiteral("say \"hi\""))->text(), QStringLiteral("hi"));
    EXPECT_EQ(memo(QStringLiteral("notes"))->toPlainText(), QStringLiteral("the first note"));
    EXPECT_TRUE(status().startsWith(QStringLiteral("QBE LINE ITEM  Record  1 of 3"))) << status().toStdString();

    // A criterion on each odd column finds its one record, the memo with it.
    const struct { const char* field; const char* text; const char* order; } criteria[] = {
        {"p:q", "c:d", "second"}, {"a-b", "3", "third"}, {"it's", "O'Neil", "first"},
        {"user", "bob", "second"}, {"group", "9", "third"}, {"x;y", "x2", "second"},
        {"say \"hi\"", "hi", "first"}, {"order", "third", "third"},
    };
    for (const auto& c : criteria) {
        SCOPED_TRACE(c.field);
        runQuery([&] { type(QString::fromUtf8(c.field), QString::fromUtf8(c.text)); });
        EXPECT_TRUE(messages.isEmpty()) << noMessages().toStdString();
        ASSERT_EQ(form.state().RecordKeys.size(), 1);
        EXPECT_EQ(edit(QStringLiteral("order"))->text(), QString::fromUtf8(c.order));
    }
    runQuery([&] { memo(QStringLiteral("notes"))->setPlainText(QStringLiteral("the second note")); });
    ASSERT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(memo(QStringLiteral("notes"))->toPlainText(), QStringLiteral("the second note"));
    EXPECT_TRUE(messages.isEmpty()) << noMessages().toStdString();
}

// Without a key, every column, odd names included, goes into each record's clause.
TEST_P(OddNames, TableWithoutKeys)
{
    make(QStringLiteral("Qbe:Log-2"), QString());
    chooseLower(QStringLiteral("Qbe:Log-2"));
    ASSERT_TRUE(form.state().KeyColumn.isEmpty());
    form.state().OrderBy = QStringLiteral("a-b");
    form.state().UseSortOrder = true;
    runQuery();
    EXPECT_TRUE(messages.isEmpty()) << noMessages().toStdString();
    ASSERT_EQ(form.state().RecordKeys.size(), 3);
    EXPECT_TRUE(form.state().RecordKeys[0].contains(QStringLiteral("\"p:q\"='a:b'"))) << form.state().RecordKeys[0].toStdString();
    const char* const orders[] = {"first", "second", "third"};
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
        EXPECT_EQ(edit(QStringLiteral("order"))->text(), QString::fromUtf8(orders[i]));
    }
    EXPECT_TRUE(messages.isEmpty()) << noMessages().toStdString();
}

// Many name shapes side by side in one table without keys: every record's clause names them all,
// so one shape written wrong would leave every record unshown.
TEST_P(OddNames, EveryNameShapeInATableWithoutKeys)
{
    const char* const shapes[] = {
        "plain", "Mixed", "UPPER", "two words", " lead", "trail ", "it's", "say \"hi\"", "a-b", "a;b",
        "a:b", ":ab", "a?b", "a%b", "a$b", "a,b", "a(b)", "a[b]", "a\\b", "a/b", "a*b", "a+b",
        "a=b", "a<b", "1st", "_under", "order", "user", "group", "select", "table", "from", "where",
        "desc", "null", "limit", "check", "default", "primary", "--x", "/*x*/",
    };
    QStringList shapeList;
    for (const char* shape : shapes)
        shapeList << QString::fromUtf8(shape);
    // The SQLite driver reports a name with a dot by what follows its last dot.
    if (pg())
        shapeList << QStringLiteral("a.b");
    QStringList columns, names;
    for (QString name : shapeList) {
        names << name;
        columns << QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QStringLiteral("\" VARCHAR(10)");
    }
    const QString table = QStringLiteral("\"Qbe Shapes\"");
    exec({QStringLiteral("DROP TABLE IF EXISTS ") + table,
          QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (n INTEGER, ") + columns.join(QStringLiteral(", "))
              + QLatin1Char(')')});
    for (int row = 1; row <= 3; ++row) {
        QStringList values;
        for (int i = 0; i < names.size(); ++i)
            values << (row == 2 && i % 3 == 0 ? QStringLiteral("NULL") : QStringLiteral("'%1.%2'").arg(row).arg(i));
        exec({QStringLiteral("INSERT INTO ") + table + QStringLiteral(" VALUES (%1, ").arg(row) + values.join(QStringLiteral(", "))
              + QLatin1Char(')')});
    }
    chooseLower(QStringLiteral("Qbe Shapes"));
    ASSERT_TRUE(messages.isEmpty()) << noMessages().toStdString();
    form.state().OrderBy = QStringLiteral("n");
    form.state().UseSortOrder = true;
    runQuery();
    EXPECT_TRUE(messages.isEmpty()) << noMessages().toStdString();
    ASSERT_EQ(form.state().RecordKeys.size(), 3);
    for (int row = 1; row <= 3; ++row) {
        if (row > 1)
            QTest::mouseClick(ui.BitBtn_Next, Qt::LeftButton);
        EXPECT_EQ(edit(QStringLiteral("n"))->text(), QString::number(row));
        for (int i = 0; i < names.size(); ++i) {
            TBVMaskEdit* e = edit(names[i].toLower());
            ASSERT_NE(e, nullptr) << names[i].toStdString();
            EXPECT_EQ(e->text(), row == 2 && i % 3 == 0 ? QString() : QStringLiteral("%1.%2").arg(row).arg(i))
                << names[i].toStdString();
        }
    }
    EXPECT_TRUE(messages.isEmpty()) << noMessages().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, OddNames, ::testing::Values(Db::Sqlite, Db::Pg), DatabaseName);

} // namespace
