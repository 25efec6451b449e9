#include "app/DatabaseRegistry.h"
#include "platform/ini/IniFile.h"
#include "tests/support/Support.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

namespace {

QStringList fieldsOf(const TDataBaseObj& o)
{
    return {o.DBType, o.DBDesc, o.DataSource, o.UserName, o.Password, o.TNS, o.Server, o.InformixServer, o.DBPath};
}

void seed(const QString& key, const QString& value)
{
    platform::IniFile(QStringLiteral("Quorvel.ini")).writeString(QStringLiteral("DATABASES"), key, value);
}

struct MenuState {
    QString text;
    QString name;
    bool checked;
    bool operator==(const MenuState&) const = default;
};

std::vector<MenuState> menuOf(const QMenu& menu)
{
    std::vector<MenuState> out;
    for (QAction* a : menu.actions())
        out.push_back({a->text(), DatabaseRegistry::ItemName(a), a->isChecked()});
    return out;
}

void PrintTo(const MenuState& m, std::ostream* os)
{
    *os << "{" << m.text.toStdString() << ", " << m.name.toStdString() << ", " << m.checked << "}";
}

} // namespace

TEST(DatabaseValue, PiecesFillTheNineFieldsInOrder)
{
    const QString D = QStringLiteral("DEFAULT");
    struct Case {
        const char* value;
        QStringList fields;
    } cases[] = {
        {"SQL SERVER|Sales|sales_dsn|sa|secret|tns|srv|ifx|salesdb|",
         {"SQL SERVER", "Sales", "sales_dsn", "sa", "secret", "tns", "srv", "ifx", "salesdb"}},
        // empty fields stay empty, not DEFAULT
        {"ACCESS|Books|books||||||c:\\b.mdb|", {"ACCESS", "Books", "books", "", "", "", "", "", "c:\\b.mdb"}},
        // a piece reading DEFAULT is an ordinary piece; the ones after it keep their places
        {"ORACLE|DEFAULT|ora|scott|tiger|", {"ORACLE", "DEFAULT", "ora", "scott", "tiger", D, D, D, D}},
        {"ORACLE|Three|ora|", {"ORACLE", "Three", "ora", D, D, D, D, D, D}},
        // text after the last bar and pieces after the ninth are dropped
        {"ORACLE|Tail|ora|u|p|tail without bar", {"ORACLE", "Tail", "ora", "u", "p", D, D, D, D}},
        {"1|2|3|4|5|6|7|8|9|10|11|", {"1", "2", "3", "4", "5", "6", "7", "8", "9"}},
        {"no bar at all", {D, D, D, D, D, D, D, D, D}},
        {"", {D, D, D, D, D, D, D, D, D}},
        {"|||||||||", {"", "", "", "", "", "", "", "", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fieldsOf(*ParseDatabaseValue(QString::fromUtf8(c.value))), c.fields) << c.value;
}

TEST(DatabaseListTest, SortedWithoutRegardToCaseAndFirstNameKept)
{
    DatabaseList list;
    auto make = [](const char* dsn) {
        auto o = std::make_unique<TDataBaseObj>();
        o->DataSource = QString::fromUtf8(dsn);
        return o;
    };
    list.add(QStringLiteral("beta"), make("b"));
    list.add(QStringLiteral("Alpha"), make("a"));
    list.add(QStringLiteral("gamma"), make("g"));
    TDataBaseObj* replaced = list.add(QStringLiteral("BETA"), make("b2"));

    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entries[0].name, QStringLiteral("Alpha"));
    EXPECT_EQ(list.entries[1].name, QStringLiteral("beta"));
    EXPECT_EQ(list.entries[1].object.get(), replaced);
    EXPECT_EQ(replaced->DataSource, QStringLiteral("b2"));
    EXPECT_EQ(list.indexOf(QStringLiteral("GAMMA")), 2);
    EXPECT_EQ(list.indexOf(QStringLiteral("delta")), -1);
}

class Registry : public ::testing::Test {
protected:
    testsupport::TempHome home;
    MainState state;
    QMenu menu;
    std::vector<QAction*> bound;
    DatabaseRegistry registry{state, menu, [this](QAction* a) { bound.push_back(a); }};
};

TEST_F(Registry, LoadBuildsSortedListAndMenuFromTheFile)
{
    seed(QStringLiteral("Sales"), QStringLiteral("SQL SERVER|Sales|sales|sa|pw|||||"));
    seed(QStringLiteral("books"), QStringLiteral("ACCESS|books|books_dsn|||||||"));
    // listed under its description, not its key
    seed(QStringLiteral("KeyName"), QStringLiteral("ORACLE|Orders & Stock|ora|scott|tiger|ORCL||||"));
    // the same description in other case: one entry, named as first added, holding the later object
    seed(QStringLiteral("Sales2"), QStringLiteral("ORACLE|SALES|ora2|||||||"));

    registry.LoadDatabases();

    ASSERT_EQ(state.Databases.count(), 3);
    EXPECT_EQ(state.Databases.entries[0].name, QStringLiteral("books"));
    EXPECT_EQ(state.Databases.entries[1].name, QStringLiteral("Orders & Stock"));
    EXPECT_EQ(state.Databases.entries[2].name, QStringLiteral("Sales"));
    EXPECT_EQ(state.Databases.entries[2].object->DataSource, QStringLiteral("ora2"));
    EXPECT_EQ(state.Databases.entries[2].object->DBDesc, QStringLiteral("SALES"));

    // a "&" is shown, not taken as an access key
    const std::vector<MenuState> expected = {
        {"books", "books", false},
        {"Orders && Stock", "Orders & Stock", false},
        {"Sales", "Sales", false},
    };
    EXPECT_EQ(menuOf(menu), expected);
    const QList<QAction*> items = menu.actions();
    EXPECT_EQ(bound, std::vector<QAction*>(items.begin(), items.end()));
    for (QAction* a : menu.actions())
        EXPECT_TRUE(a->isCheckable());

    EXPECT_EQ(registry.FindDatabaseObj(QStringLiteral("orders & STOCK")), state.Databases.entries[1].object.get());
    EXPECT_EQ(registry.FindDatabaseObj(QStringLiteral("Orders && Stock")), nullptr);
}

TEST_F(Registry, ReloadReplacesTheMenuAndDropsThePlaceholder)
{
    seed(QStringLiteral("A"), QStringLiteral("ORACLE|A|a|||||||"));
    registry.LoadDatabases();
    state.CurrentDataSource = QStringLiteral("other");
    registry.FindCurrentDatabase(QStringLiteral("ORACLE"));
    ASSERT_EQ(menu.actions().size(), 2);

    seed(QStringLiteral("B"), QStringLiteral("ORACLE|B|b|||||||"));
    registry.LoadDatabases();
    EXPECT_EQ(state.CurrentDatabase, nullptr);
    const std::vector<MenuState> expected = {{"A", "A", false}, {"B", "B", false}};
    EXPECT_EQ(menuOf(menu), expected);
}

TEST_F(Registry, MissingSectionGivesEmptyMenuAndAPlaceholder)
{
    registry.LoadDatabases();
    EXPECT_EQ(state.Databases.count(), 0);
    EXPECT_TRUE(menu.actions().isEmpty());

    state.CurrentDataSource = QStringLiteral("qv_sqlite");
    TDataBaseObj* current = registry.FindCurrentDatabase(QStringLiteral("UNKNOWN : /usr/lib/x.so"));
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current, state.CurrentDatabase);
    EXPECT_EQ(fieldsOf(*current), QStringList({"", "UNKNOWN  (QV_SQLITE)", "", "", "", "", "", "", ""}));
    const std::vector<MenuState> expected = {{"UNKNOWN  (QV_SQLITE)", "UNKNOWN  (QV_SQLITE)", true}};
    EXPECT_EQ(menuOf(menu), expected);
    EXPECT_EQ(bound.size(), 1u);
    EXPECT_EQ(registry.FindDatabaseObj(QStringLiteral("unknown  (qv_sqlite)")), current);
}

TEST_F(Registry, FindCurrentDatabaseMatchesDataSourceAndTypeWithoutRegardToCase)
{
    seed(QStringLiteral("Ora Main"), QStringLiteral("ORACLE|Ora Main|MainDSN|scott|tiger|||||"));
    seed(QStringLiteral("Ora Copy"), QStringLiteral("ORACLE|Ora Copy|maindsn|u2|p2|||||"));
    seed(QStringLiteral("Sql"), QStringLiteral("SQL SERVER|Sql|sqldsn|sa||||||"));
    seed(QStringLiteral("Odd"), QStringLiteral("Access|Odd|jet|||||||"));

    struct Case {
        const char* dataSource;
        const char* type;
        const char* expected;  // DBDesc of the current database
    } cases[] = {
        // the first in list order wins
        {"MAINDSN", "oracle", "Ora Copy"},
        {"sqldsn", "SQL SERVER", "Sql"},
        {"jet", "ACCESS", "Odd"},
        // configured as SQL SERVER but the driver says Oracle: no match
        {"sqldsn", "ORACLE", "UNKNOWN  (SQLDSN)"},
        {"nowhere", "ORACLE", "UNKNOWN  (NOWHERE)"},
        {"", "UNKNOWN : ", "UNKNOWN  ()"},
    };
    for (const Case& c : cases) {
        registry.LoadDatabases();
        state.CurrentDataSource = QString::fromUtf8(c.dataSource);
        TDataBaseObj* current = registry.FindCurrentDatabase(QString::fromUtf8(c.type));
        ASSERT_NE(current, nullptr) << c.dataSource;
        EXPECT_EQ(current->DBDesc, QString::fromUtf8(c.expected)) << c.dataSource << " " << c.type;
        int checked = 0;
        for (QAction* a : menu.actions())
            if (a->isChecked()) {
                ++checked;
                EXPECT_EQ(DatabaseRegistry::ItemName(a), current->DBDesc);
            }
        EXPECT_EQ(checked, 1) << c.dataSource;
        EXPECT_EQ(menu.actions().size(), state.Databases.count());
        if (current->DBDesc.startsWith(QStringLiteral("UNKNOWN"))) {
            EXPECT_EQ(DatabaseRegistry::ItemName(menu.actions().last()), current->DBDesc) << "comes last";
        }
    }
}

TEST_F(Registry, CheckMarkComparesCaptionsExactly)
{
    // one list entry; an item captioned in other case than the current database gets no mark
    seed(QStringLiteral("Main"), QStringLiteral("ORACLE|Main|m|||||||"));
    registry.LoadDatabases();
    auto* foreign = menu.addAction(QStringLiteral("MAIN"));
    foreign->setCheckable(true);
    foreign->setChecked(true);
    state.CurrentDataSource = QStringLiteral("m");
    registry.FindCurrentDatabase(QStringLiteral("ORACLE"));
    EXPECT_TRUE(menu.actions()[0]->isChecked());
    EXPECT_FALSE(foreign->isChecked());
}
