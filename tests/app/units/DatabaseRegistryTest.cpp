#include "app/DatabaseRegistry.h"
#include "platform/ini/IniFile.h"
#include "tests/support/Support.h"

#include <QAction>
#include <QMenu>
#include <gtest/gtest.h>

#include <functional>
#include <string>

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
    for (const Case& c : cases) {
        const QString value = QString::fromUtf8(c.value);
        EXPECT_EQ(fieldsOf(*ParseDatabaseValue(value)), c.fields) << c.value;
        // one field alone reads the same
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(DatabaseValueField(value, i), c.fields[i]) << c.value << " field " << i;
    }
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

TEST(DatabaseListTest, AssignSortsOnceAsAddingInTurnWould)
{
    // names in file order; equal but for case: the first text stays with the last object
    const char* names[] = {"beta", "Alpha", "gamma", "BETA", "alpha", "Delta", "beta"};
    DatabaseList added, assigned;
    std::vector<DatabaseList::Entry> inOrder;
    int n = 0;
    for (const char* name : names) {
        auto a = std::make_unique<TDataBaseObj>();
        a->DataSource = QString::number(++n);
        auto b = std::make_unique<TDataBaseObj>(*a);
        added.add(QString::fromUtf8(name), std::move(a));
        inOrder.push_back({QString::fromUtf8(name), std::move(b)});
    }
    assigned.assign(std::move(inOrder));

    ASSERT_EQ(assigned.count(), added.count());
    QStringList got, want;
    for (int i = 0; i < added.count(); ++i) {
        got << assigned.entries[i].name + QLatin1Char('=') + assigned.entries[i].object->DataSource;
        want << added.entries[i].name + QLatin1Char('=') + added.entries[i].object->DataSource;
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(got, (QStringList{"Alpha=5", "beta=7", "Delta=6", "gamma=3"}));
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

TEST_F(Registry, ReloadKeepsEveryItemBoundOnceWithTheNewCaptions)
{
    // Each click reaches the handler exactly once, with the item's own name.
    QStringList clicked;
    DatabaseRegistry clicking{state, menu, [&](QAction* a) {
        QObject::connect(a, &QAction::triggered, [&clicked, a] { clicked << DatabaseRegistry::ItemName(a); });
    }};
    const auto clickAll = [&] {
        clicked.clear();
        for (QAction* a : menu.actions())
            a->trigger();
        return clicked;
    };
    const struct {
        const char* name;
        QStringList keys;  // DATABASES keys (and descriptions) in file order
    } steps[] = {
        {"first load", {"b", "d", "f"}},
        {"one added in the middle", {"b", "d", "f", "c"}},
        {"one removed at the front", {"d", "f", "c"}},
        {"renamed in case and more added", {"D", "f", "c", "a", "e & more"}},
        {"all gone", {}},
        {"back again", {"x", "y"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        platform::IniFile(QStringLiteral("Quorvel.ini")).eraseSection(QStringLiteral("DATABASES"));
        for (const QString& key : step.keys)
            seed(key, QStringLiteral("ORACLE|%1|dsn|||||||").arg(key));
        // an item the registry did not make goes as well
        menu.addAction(QStringLiteral("foreign"));
        if (!state.Databases.entries.empty())
            menu.actions().first()->setChecked(true);

        clicking.LoadDatabases();

        QStringList expected = step.keys;
        expected.sort(Qt::CaseInsensitive);
        QStringList names;
        for (const auto& entry : state.Databases.entries)
            names << entry.name;
        EXPECT_EQ(names, expected);
        std::vector<MenuState> want;
        for (const QString& name : expected)
            want.push_back({QString(name).replace(QStringLiteral("&"), QStringLiteral("&&")), name, false});
        EXPECT_EQ(menuOf(menu), want);
        EXPECT_EQ(clickAll(), expected);
    }
}

TEST_F(Registry, RefreshKeepsAnUnchangedListAndDropsOnlyThePlaceholder)
{
    seed(QStringLiteral("A"), QStringLiteral("ORACLE|A|a|||||||"));
    seed(QStringLiteral("C"), QStringLiteral("ORACLE|C|c|||||||"));
    registry.LoadDatabases();
    const QList<QAction*> items = menu.actions();
    const TDataBaseObj* a = state.Databases.entries[0].object.get();
    // as at creation: no data source yet, so a placeholder
    registry.FindCurrentDatabase(QStringLiteral("UNKNOWN : "));
    ASSERT_EQ(state.Databases.count(), 3);
    // another key of the file changes meanwhile, as the data-source window's choice does
    platform::IniFile(QStringLiteral("Quorvel.ini"))
        .writeString(QStringLiteral("OPTIONS"), QStringLiteral("DEFAULTDATASOURCE"), QStringLiteral("a"));

    registry.RefreshDatabases();

    EXPECT_EQ(state.CurrentDatabase, nullptr);
    EXPECT_EQ(menu.actions(), items);
    EXPECT_EQ(state.Databases.entries[0].object.get(), a);
    const std::vector<MenuState> expected = {{"A", "A", false}, {"C", "C", false}};
    EXPECT_EQ(menuOf(menu), expected);
    EXPECT_EQ(bound.size(), 3u);  // two items and the placeholder's, none made again

    state.CurrentDataSource = QStringLiteral("c");
    EXPECT_EQ(registry.FindCurrentDatabase(QStringLiteral("ORACLE")), state.Databases.entries[1].object.get());
    const std::vector<MenuState> marked = {{"A", "A", false}, {"C", "C", true}};
    EXPECT_EQ(menuOf(menu), marked);
}

TEST_F(Registry, RefreshLoadsAfreshWhenTheListCannotSimplyBeKept)
{
    const struct {
        const char* name;
        std::function<void()> between;  // what happens after the first load
        QStringList names;                        // the list after the refresh
    } cases[] = {
        {"a database added to the file",
         [] { seed(QStringLiteral("B"), QStringLiteral("ORACLE|B|b|||||||")); },
         {"A", "B", "UNKNOWN  (X)"}},
        {"a value changed in the file",
         [] { seed(QStringLiteral("A"), QStringLiteral("ORACLE|A|other|||||||")); },
         {"A", "UNKNOWN  (X)"}},
        {"the placeholder took a configured database's place",
         [this] {
             // configured as Oracle, detected otherwise: a placeholder of the same name
             state.CurrentDataSource = QStringLiteral("x");
             registry.FindCurrentDatabase(QStringLiteral("SQL SERVER"));
         },
         {"A", "UNKNOWN  (X)"}},
        {"two placeholders",
         [this] {
             state.CurrentDataSource = QStringLiteral("y");
             registry.FindCurrentDatabase(QStringLiteral("ORACLE"));
             state.CurrentDataSource = QStringLiteral("z");
             registry.FindCurrentDatabase(QStringLiteral("ORACLE"));
         },
         {"A", "UNKNOWN  (X)"}},
        {"the menu changed", [this] { menu.clear(); }, {"A", "UNKNOWN  (X)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::TempHome fresh;
        menu.clear();
        seed(QStringLiteral("A"), QStringLiteral("ORACLE|A|a|||||||"));
        // configured under the name a placeholder for "x" gets
        seed(QStringLiteral("X"), QStringLiteral("ORACLE|UNKNOWN  (X)|x|u|p|||||"));
        registry.LoadDatabases();
        c.between();

        registry.RefreshDatabases();

        QStringList names;
        for (const auto& entry : state.Databases.entries)
            names << entry.name;
        EXPECT_EQ(names, c.names);
        QStringList items;
        for (QAction* a : menu.actions())
            items << DatabaseRegistry::ItemName(a);
        EXPECT_EQ(items, c.names);
        // the configured database is back, not the placeholder that stood in its place
        const TDataBaseObj* x = registry.FindDatabaseObj(QStringLiteral("UNKNOWN  (X)"));
        ASSERT_NE(x, nullptr);
        EXPECT_EQ(x->UserName, QStringLiteral("u"));
        if (std::string(c.name) == "a value changed in the file")
            EXPECT_EQ(registry.FindDatabaseObj(QStringLiteral("A"))->DataSource, QStringLiteral("other"));
    }
}
