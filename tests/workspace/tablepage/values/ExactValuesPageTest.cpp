// The Table page and the SQL page on values the drivers do not hand over as stored: doubles of
// any size in a table without keys, NUMERIC digits past a double's, and characters outside the
// BMP on SQLite; each write read back from the database.
#include "tests/workspace/tablepage/qbe/Fixture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <vector>

namespace {

const QString kSmile = QStringLiteral("\U0001F600");

class ExactPage : public QbeOnDatabase {
protected:
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // What a user does to change a field: a key, then the new text.
    void retype(const QString& field, const QString& text)
    {
        TBVMaskEdit* e = edit(field);
        ASSERT_NE(e, nullptr) << field.toStdString();
        QTest::keyClick(e, Qt::Key_End);
        e->setText(text);
    }
    void changeShown(const QString& field, const QString& text)
    {
        click(ui.BitBtn_Update);
        retype(field, text);
        click(ui.BitBtn_Execute);
    }
    // Goes through the found records until field shows text; false when none does.
    bool showRecordWith(const QString& field, const QString& text)
    {
        click(ui.BitBtn_First);
        for (int i = 0; i < form.state().RecordKeys.size(); ++i) {
            if (edit(field)->text() == text)
                return true;
            click(ui.BitBtn_Next);
        }
        return false;
    }
    // The stored UTF-8 bytes of a text column, in hex.
    QString hexOf(const QString& column) const
    {
        return pg() ? QStringLiteral("encode(convert_to(") + column + QStringLiteral(", 'UTF8'), 'hex')")
                    : QStringLiteral("lower(hex(") + column + QStringLiteral("))");
    }
};

QString shortest(double v)
{
    char text[64];
    return QString::fromLatin1(text, int(std::to_chars(text, text + sizeof text, v).ptr - text));
}

double parsed(const QString& text)
{
    const std::string s = text.trimmed().toStdString();
    double v = std::nan("");
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

// A record known only by its values, with doubles that neighbour each other: an update of another
// column lands on that record alone, which is still found afterwards.
TEST_P(ExactPage, HugeDoublesSelectTheirOwnKeylessRecord)
{
    recreate(QStringLiteral("xv_huge"), pg() ? QStringLiteral("label varchar(10), x double precision, qty integer")
                                             : QStringLiteral("label varchar(10), x double, qty integer"));
    const double max = 1.7976931348623157e308;
    const double values[] = {max, std::nextafter(max, 0.0), 1e300, std::nextafter(1e300, HUGE_VAL),
                             6.41245846119468886e150, 0.1 + 0.2};
    for (double v : values) {
        platform::engine::Query ins;
        ins.setDatabaseName(form.Database.databaseName());
        if (pg()) {  // PostgreSQL reads 17 digits exactly; SQLite only a bound double
            ins.sql() << QStringLiteral("INSERT INTO xv_huge VALUES ('a', ") + shortest(v) + QStringLiteral(", 1)");
        } else {
            ins.sql() << QStringLiteral("INSERT INTO xv_huge VALUES ('a', :x, 1)");
            ins.paramByName(QStringLiteral("x")).setFloat(v);
        }
        ins.execSQL();
    }
    const QString storedX = pg() ? QStringLiteral("x::text") : QStringLiteral("printf('%!.20e', x)");
    auto qtyOf = [&](double v) {
        for (const QString& row : rows(QStringLiteral("SELECT ") + storedX + QStringLiteral(", qty FROM xv_huge")))
            if (parsed(row.section(QLatin1Char('|'), 0, 0)) == v)
                return row.section(QLatin1Char('|'), 1, 1);
        return QStringLiteral("<gone>");
    };

    choose(QStringLiteral("xv_huge"));
    runQuery([&] { type(QStringLiteral("label"), QStringLiteral("a")); });
    ASSERT_EQ(form.state().RecordKeys.size(), qsizetype(std::size(values)));
    // Each record in turn gets a quantity of its own; the records not yet changed keep theirs.
    for (std::size_t i = 0; i < std::size(values); ++i) {
        SCOPED_TRACE(shortest(values[i]).toStdString());
        ASSERT_TRUE(showRecordWith(QStringLiteral("x"), shortest(values[i])));
        changeShown(QStringLiteral("qty"), QString::number(10 + i));
        EXPECT_EQ(edit(QStringLiteral("x"))->text(), shortest(values[i])) << "the record is still shown";
        EXPECT_EQ(edit(QStringLiteral("qty"))->text(), QString::number(10 + i));
        for (std::size_t j = 0; j < std::size(values); ++j)
            EXPECT_EQ(qtyOf(values[j]), j <= i ? QString::number(10 + j) : QStringLiteral("1"))
                << shortest(values[j]).toStdString();
    }

    // Sorted by that column, the records come in the order of their numbers.
    form.state().OrderBy = QStringLiteral("x");
    form.state().UseSortOrder = true;
    runQuery();
    QStringList order, expected;
    click(ui.BitBtn_First);
    for (int i = 0; i < form.state().RecordKeys.size(); ++i, click(ui.BitBtn_Next))
        order << edit(QStringLiteral("x"))->text();
    std::vector<double> sorted(std::begin(values), std::end(values));
    std::sort(sorted.begin(), sorted.end());
    for (double v : sorted)
        expected << shortest(v);
    EXPECT_EQ(order, expected);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QStringLiteral("\n")).toStdString();
}

// NUMERIC digits as the driver gives them: shown so, left as stored when another column changes,
// compared exactly in a record's clause, and written as typed.
TEST_P(ExactPage, NumericDigitsShownComparedAndWritten)
{
    if (!pg())
        GTEST_SKIP() << "SQLite keeps a NUMERIC as a double or an integer";
    recreate(QStringLiteral("xv_num"), QStringLiteral("label varchar(10), amount numeric(38,10)"));
    exec({QStringLiteral("INSERT INTO xv_num VALUES ('a', 12345678901234567890.1234567891), "
                         "('a', 12345678901234567890.1234567892)")});
    choose(QStringLiteral("xv_num"));
    runQuery([&] { type(QStringLiteral("label"), QStringLiteral("a")); });
    ASSERT_EQ(form.state().RecordKeys.size(), 2);
    ASSERT_TRUE(showRecordWith(QStringLiteral("amount"), QStringLiteral("12345678901234567890.1234567891")));

    changeShown(QStringLiteral("label"), QStringLiteral("b"));
    const QString stored = QStringLiteral("SELECT label, amount::text FROM xv_num ORDER BY amount");
    EXPECT_EQ(rows(stored), (QStringList{"b|12345678901234567890.1234567891", "a|12345678901234567890.1234567892"}));
    EXPECT_EQ(edit(QStringLiteral("amount"))->text(), QStringLiteral("12345678901234567890.1234567891"));

    changeShown(QStringLiteral("amount"), QStringLiteral("-98765432109876543210.0000000001"));
    EXPECT_EQ(rows(stored), (QStringList{"b|-98765432109876543210.0000000001", "a|12345678901234567890.1234567892"}));
    EXPECT_EQ(edit(QStringLiteral("amount"))->text(), QStringLiteral("-98765432109876543210.0000000001"));

    // The SQL page lists the same digits.
    ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
    ui.Memo_SQL->setPlainText(QStringLiteral("SELECT amount FROM xv_num ORDER BY amount"));
    click(ui.BitBtn_Execute2);
    EXPECT_EQ(ui.Memo_Results->toPlainText(),
              QStringLiteral("-98765432109876543210.0000000001|\n12345678901234567890.1234567892|"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QStringLiteral("\n")).toStdString();
}

// An emoji through every road a statement's text takes: Add, a criterion, Update, a record fetched
// by its key and by its values, and a statement typed on the SQL page.
TEST_P(ExactPage, CharactersOutsideTheBmpOnEveryRoad)
{
    recreate(QStringLiteral("xv_emo"), (pg() ? QStringLiteral("id serial primary key")
                                             : QStringLiteral("id integer primary key autoincrement"))
                                           + QStringLiteral(", label varchar(20), note varchar(20)"));
    choose(QStringLiteral("xv_emo"));
    click(ui.BitBtn_Add);
    type(QStringLiteral("label"), QStringLiteral("a") + kSmile + QStringLiteral("b"));
    type(QStringLiteral("note"), QStringLiteral("n"));
    click(ui.BitBtn_Execute);
    const QString label = QStringLiteral("SELECT ") + hexOf(QStringLiteral("label")) + QStringLiteral(" FROM xv_emo ORDER BY id");
    EXPECT_EQ(rows(label), QStringList{"61f09f988062"});

    runQuery([&] { type(QStringLiteral("label"), QStringLiteral("*") + kSmile + QStringLiteral("*")); });
    ASSERT_EQ(form.state().RecordKeys.size(), 1);
    EXPECT_EQ(edit(QStringLiteral("label"))->text(), QStringLiteral("a") + kSmile + QStringLiteral("b"));
    changeShown(QStringLiteral("label"), kSmile + QStringLiteral("c"));
    EXPECT_EQ(rows(label), QStringList{"f09f988063"});
    EXPECT_EQ(edit(QStringLiteral("label"))->text(), kSmile + QStringLiteral("c"));

    // Known by its values only: the record is fetched and updated by a clause holding the emoji.
    recreate(QStringLiteral("xv_emo2"), QStringLiteral("label varchar(20), qty integer"));
    exec({QStringLiteral("INSERT INTO xv_emo2 VALUES ('x") + kSmile + QStringLiteral("', 1), ('x', 1)")});
    choose(QStringLiteral("xv_emo2"));
    runQuery();
    ASSERT_TRUE(showRecordWith(QStringLiteral("label"), QStringLiteral("x") + kSmile));
    changeShown(QStringLiteral("qty"), QStringLiteral("5"));
    EXPECT_EQ(rows(QStringLiteral("SELECT ") + hexOf(QStringLiteral("label")) + QStringLiteral(", qty FROM xv_emo2 ORDER BY qty")),
              (QStringList{"78|1", "78f09f9880|5"}));
    EXPECT_EQ(edit(QStringLiteral("qty"))->text(), QStringLiteral("5"));

    ui.PageControl->setCurrentWidget(ui.TabSheet_CommandLine);
    ui.Memo_SQL->setPlainText(QStringLiteral("INSERT INTO xv_emo (label, note) VALUES ('sql") + kSmile + QStringLiteral("', 'q')"));
    click(ui.BitBtn_Execute2);
    EXPECT_EQ(rows(label), (QStringList{"f09f988063", "73716cf09f9880"}));
    ui.Memo_SQL->setPlainText(QStringLiteral("SELECT label FROM xv_emo WHERE label LIKE '%") + kSmile + QStringLiteral("%' ORDER BY id"));
    click(ui.BitBtn_Execute2);
    EXPECT_EQ(ui.Memo_Results->toPlainText(), kSmile + QStringLiteral("c|\nsql") + kSmile + QStringLiteral("|"));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QStringLiteral("\n")).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Databases, ExactPage, ::testing::Values(Db::Sqlite, Db::Pg), DatabaseName);

} // namespace
