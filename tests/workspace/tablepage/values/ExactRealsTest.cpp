// SQLite's REAL values fetched and selected exactly across the whole range of doubles, where its
// ODBC driver gives 15 digits and SQLite's own printf('%!.17g') is a step off above about 1e160.
#include "platform/engine/Engine.h"
#include "tests/support/Support.h"
#include "workspace/tablepage/ColumnList.h"
#include "workspace/tablepage/ExactReals.h"
#include "workspace/tablepage/RecordDisplay.h"
#include "workspace/tablepage/ShownValues.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

using namespace platform::engine;

namespace {

class SqliteReals : public ::testing::Test {
protected:
    void SetUp() override
    {
        db.setDatabaseName(QStringLiteral("exact_reals"));
        db.setAliasName(testsupport::sqliteDsn());
        db.setConnected(true);
        exec(QStringLiteral("DROP TABLE IF EXISTS xr"));
        exec(QStringLiteral("CREATE TABLE xr (k integer, x double)"));
        columns.push_back({QStringLiteral("k"), column(QStringLiteral("k"), ftInteger)});
        columns.push_back({QStringLiteral("x"), column(QStringLiteral("x"), ftFloat)});
    }

    static std::shared_ptr<TFieldObject> column(const QString& name, int type)
    {
        auto c = std::make_shared<TFieldObject>();
        c->ColumnName = name;
        c->ColumnType = type;
        return c;
    }

    void exec(const QString& sql)
    {
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << sql;
        q.execSQL();
    }

    // Row k holds values[k], bound as a double.
    void store(const std::vector<double>& values)
    {
        db.startTransaction();
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << QStringLiteral("INSERT INTO xr VALUES (:k, :x)");
        for (std::size_t k = 0; k < values.size(); ++k) {
            q.paramByName(QStringLiteral("k")).setInteger(qint64(k));
            q.paramByName(QStringLiteral("x")).setFloat(values[k]);
            q.execSQL();
        }
        db.commit();
    }

    // The rows as the record display fetches them.
    void fetchAll(Query& q)
    {
        const QString list = RecordSelectList(columns, db.dbmsName(), QString());
        ASSERT_FALSE(list.isEmpty());
        q.setDatabaseName(db.databaseName());
        q.sql() << QStringLiteral("SELECT ") + list << QStringLiteral("FROM xr ORDER BY k");
        q.open();
    }

    int count(const QString& condition)
    {
        Query q;
        q.setDatabaseName(db.databaseName());
        q.sql() << QStringLiteral("SELECT COUNT(*) FROM xr WHERE ") + condition;
        q.open();
        return q.fields(0).asInteger();
    }

    Database db;
    ColumnList columns;
};

double parsed(const QString& text)
{
    const std::string s = text.toStdString();
    double v = std::nan("");
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

TEST_F(SqliteReals, EveryFiniteDoubleIsShownAsStored)
{
    std::mt19937_64 random(20240530);
    std::vector<double> values = {1.7976931348623157e308, -1.7976931348623157e308, 1.7976931348623155e308,
                                  4.9406564584124654e-324, 2.2250738585072014e-308, 2.225073858507201e-308,
                                  0.1 + 0.2, 1e300, 1e160, 0.0, 9007199254740993.0, 123.456};
    while (values.size() < 20000) {  // any bit pattern of a finite double
        const double v = std::bit_cast<double>(random());
        if (std::isfinite(v))
            values.push_back(v);
    }
    for (int i = 0; i < 3000; ++i)  // subnormals of either sign
        values.push_back(std::bit_cast<double>((random() & 0x800FFFFFFFFFFFFFull) | 1));
    std::uniform_real_distribution<double> huge(1e200, 1.7976931348623157e308);
    for (int i = 0; i < 5000; ++i)
        values.push_back(i % 2 ? huge(random) : -huge(random));
    store(values);

    Query q;
    fetchAll(q);
    int rows = 0;
    QStringList wrong;
    for (; !q.eof(); q.next(), ++rows) {
        const double stored = values[std::size_t(q.fields(0).asInteger())];
        const QString shown = FloatFieldText(q.fields(1));
        if (bits(parsed(shown)) != bits(stored) && wrong.size() < 10)
            wrong << QString::number(stored, 'g', 17) + QStringLiteral(" shown as ") + shown;
    }
    EXPECT_EQ(rows, int(values.size()));
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(QStringLiteral("\n")).toStdString();
}

// A term from the fetched text selects its own row: not the double next to it, nor a text that
// SQLite's printf would also write as 0.0.
TEST_F(SqliteReals, TheStoredTextSelectsOnlyItsOwnValue)
{
    std::vector<double> values;
    for (double v : {1.7976931348623157e308, 1e300, 6.41245846119468886e150, -3.7518506296635929e124, 1e-320,
                     0.1 + 0.2, 0.0}) {
        for (double w : {v, std::nextafter(v, HUGE_VAL), std::nextafter(v, -HUGE_VAL)})
            if (std::isfinite(w) && (w != 0.0 || v == 0.0))
                values.push_back(w);
    }
    store(values);
    exec(QStringLiteral("INSERT INTO xr VALUES (900, 'abc')"));

    Query q;
    fetchAll(q);
    for (; !q.eof(); q.next()) {
        const Field& x = q.fields(1);
        const QString k = q.fields(0).asString();
        if (k.toInt() >= 900) {
            EXPECT_FALSE(IsPrintedReal(x)) << k.toStdString();
            continue;
        }
        ASSERT_TRUE(IsPrintedReal(x)) << x.storedText().toStdString();
        const QString term = PrintedRealTerm(QStringLiteral("x"), x.storedText());
        EXPECT_EQ(count(term), 1) << term.toStdString();
        EXPECT_EQ(count(term + QStringLiteral(" AND k=") + k), 1) << term.toStdString();
    }
}

} // namespace
