// The demo database maker and the demo SQL: the demo must keep the kinds of table and column the
// program is shown with, and a failed run must not spoil the last good demo.
#include "demo/DemoMaker.h"
#include "platform/imaging/Imaging.h"
#include "platform/odbc/Odbc.h"
#include "tests/support/Support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <optional>

using namespace platform;

namespace {

std::u16string u16(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<std::size_t>(s.size()));
}

QString qs(const std::u16string& s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

QString demoSql()
{
    return QStringLiteral(QV_SOURCE_DIR "/demo/demo.sql");
}

QString writeSql(const QString& name, const QByteArray& text)
{
    const QString path = testsupport::runFolder() + QLatin1Char('/') + name;
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(text);
    return path;
}

} // namespace

TEST(SplitStatements, CutsAtSemicolonsOutsideQuotesAndComments)
{
    const struct {
        const char* sql;
        QStringList statements;
    } cases[] = {
        {"CREATE TABLE a (x INTEGER); INSERT INTO a VALUES (1);", {"CREATE TABLE a (x INTEGER)", "INSERT INTO a VALUES (1)"}},
        {"SELECT 1", {"SELECT 1"}},  // the last one needs no ";"
        {"INSERT INTO t VALUES ('a;b', 'it''s; fine')", {"INSERT INTO t VALUES ('a;b', 'it''s; fine')"}},
        {"SELECT \"odd;name\" FROM t; SELECT 2", {"SELECT \"odd;name\" FROM t", "SELECT 2"}},
        {"-- a comment; not a statement\nSELECT 1; -- trailing; too\n", {"SELECT 1"}},
        {"SELECT /* inline; */ 1; /* block\n; */ SELECT 2", {"SELECT   1", "SELECT 2"}},
        {"SELECT '--not a comment'", {"SELECT '--not a comment'"}},
        {" ;; \n ; ", {}},
        {"", {}},
    };
    for (const auto& t : cases)
        EXPECT_EQ(demo::splitStatements(QString::fromUtf8(t.sql)), t.statements) << t.sql;
}

class DemoDatabase : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        file_ = testsupport::runFolder() + QStringLiteral("/demo/quorvel_demo.db");
        demo::makeDemo(demoSql(), file_);
        testsupport::addDataSource(QStringLiteral("qv_demo"), QStringLiteral("SQLite3"),
                                   {QStringLiteral("Database=") + file_});
    }

    void SetUp() override { db_.connect(u"qv_demo", u"", u""); }

    long long count(const QString& table)
    {
        odbc::Statement st(db_);
        st.execDirect(u16(QStringLiteral("SELECT COUNT(*) FROM ") + table));
        long long n = -1;
        st.fetch();
        st.getInteger(1, n);
        return n;
    }

    // Column names from a catalog call (SQLPrimaryKeys: column 4; SQLStatistics: column 9).
    std::vector<QString> catalogColumns(odbc::Statement& st, int column, std::optional<int> uniqueOnly = {})
    {
        std::vector<QString> out;
        while (st.fetch()) {
            if (uniqueOnly) {
                long long nonUnique = 1;
                if (!st.getInteger(*uniqueOnly, nonUnique) || nonUnique != 0)
                    continue;
            }
            std::u16string name;
            if (st.getText(column, name))
                out.push_back(qs(name));
        }
        return out;
    }

    std::vector<QString> primaryKey(const QString& table)
    {
        odbc::Statement st(db_);
        const std::u16string t = u16(table);
        if (!SQL_SUCCEEDED(SQLPrimaryKeysW(st.handle(), nullptr, 0, nullptr, 0,
                                           reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(t.c_str())), SQL_NTS)))
            ADD_FAILURE() << "SQLPrimaryKeys failed";
        return catalogColumns(st, 4);
    }

    std::vector<QString> uniqueColumns(const QString& table)
    {
        odbc::Statement st(db_);
        const std::u16string t = u16(table);
        if (!SQL_SUCCEEDED(SQLStatisticsW(st.handle(), nullptr, 0, nullptr, 0,
                                          reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(t.c_str())), SQL_NTS,
                                          SQL_INDEX_UNIQUE, SQL_QUICK)))
            ADD_FAILURE() << "SQLStatistics failed";
        return catalogColumns(st, 9, 4);
    }

    static QString file_;
    odbc::Connection db_;
};

QString DemoDatabase::file_;

TEST_F(DemoDatabase, HasTheKindsOfColumnTheProgramShows)
{
    const struct {
        const char* table;
        const char* column;
        int sqlType;
    } cases[] = {
        {"customers", "id", SQL_INTEGER},
        {"customers", "\"credit limit\"", SQL_DOUBLE},
        {"customers", "active", SQL_BIT},
        {"customers", "notes", SQL_LONGVARCHAR},
        {"products", "price", SQL_DOUBLE},
        {"products", "picture", SQL_BINARY},
        {"orders", "\"order date\"", SQL_TYPE_DATE},
        {"orders", "shipped", SQL_TYPE_TIMESTAMP},
        {"order_items", "quantity", SQL_SMALLINT},
    };
    for (const auto& t : cases) {
        odbc::Statement st(db_);
        st.execDirect(u16(QStringLiteral("SELECT %1 FROM %2").arg(QLatin1String(t.column), QLatin1String(t.table))));
        EXPECT_EQ(odbc::narrowSqlType(st.describe(1).sqlType), t.sqlType) << t.table << "." << t.column;
    }
    odbc::Statement st(db_);
    st.execDirect(u"SELECT MAX(LENGTH(notes)) FROM customers");
    long long longest = 0;
    ASSERT_TRUE(st.fetch());
    st.getInteger(1, longest);
    EXPECT_GT(longest, 1000);
}

TEST_F(DemoDatabase, KeysAutoIncrementUniqueOnlyAndNone)
{
    EXPECT_EQ(primaryKey("customers"), std::vector<QString>{"id"});
    EXPECT_EQ(primaryKey("orders"), std::vector<QString>{"order_no"});
    // No primary key is declared on products; the SQLite driver offers its unique column instead.
    EXPECT_EQ(primaryKey("products"), std::vector<QString>{"sku"});
    EXPECT_EQ(uniqueColumns("products"), std::vector<QString>{"sku"});
    EXPECT_TRUE(primaryKey("visit_log").empty());
    EXPECT_TRUE(uniqueColumns("visit_log").empty());

    // The auto-increment key numbers new rows itself.
    odbc::Statement ins(db_);
    ins.execDirect(u"INSERT INTO orders (customer_id, \"order date\") VALUES (2, '2025-05-05')");
    odbc::Statement st(db_);
    st.execDirect(u"SELECT MAX(order_no) FROM orders");
    long long last = 0;
    st.fetch();
    st.getInteger(1, last);
    EXPECT_EQ(last, 6);
    odbc::Statement del(db_);
    del.execDirect(u"DELETE FROM orders WHERE order_no = 6");
}

TEST_F(DemoDatabase, HoldsOnePictureOfEachFormat)
{
    for (const demo::Picture& p : demo::demoPictures()) {
        odbc::Statement st(db_);
        st.prepare(u"SELECT picture_format, picture FROM products WHERE sku = ?");
        st.bindText(1, u16(p.sku));
        st.execute();
        ASSERT_TRUE(st.fetch()) << p.sku.toStdString();
        std::u16string format;
        QByteArray bytes;
        ASSERT_TRUE(st.getText(1, format));
        ASSERT_TRUE(st.getBytes(2, bytes));
        EXPECT_EQ(qs(format), p.format);

        imaging::Format kind = imaging::Format::Jpeg;
        QByteArray magic("\xFF\xD8\xFF");
        if (p.format == "BMP") {
            kind = imaging::Format::Bitmap;
            magic = "BM";
        } else if (p.format == "GIF") {
            kind = imaging::Format::Gif;
            magic = "GIF8";
        }
        EXPECT_TRUE(bytes.startsWith(magic)) << p.format.toStdString();
        const QImage back = imaging::decode(bytes, kind);
        ASSERT_EQ(back.size(), p.image.size()) << p.format.toStdString();
        // BMP and the few flat colours of the GIF come back exactly; JPEG only roughly.
        if (kind != imaging::Format::Jpeg) {
            EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), p.image.convertToFormat(QImage::Format_RGB32))
                << p.format.toStdString();
        }
    }
    EXPECT_EQ(count("products WHERE picture IS NULL"), 3);
}

TEST_F(DemoDatabase, EachRunStartsAfresh)
{
    const long long customers = count("customers"), visits = count("visit_log");
    db_.disconnect();
    demo::makeDemo(demoSql(), file_);
    db_.connect(u"qv_demo", u"", u"");
    EXPECT_EQ(count("customers"), customers);
    EXPECT_EQ(count("visit_log"), visits);
}

TEST_F(DemoDatabase, AFailedRunKeepsTheLastGoodDemo)
{
    const long long customers = count("customers");
    db_.disconnect();
    const QString bad = writeSql("bad.sql", "CREATE TABLE x (a INTEGER);\nINSERT INTO no_such_table VALUES (1);\n");
    try {
        demo::makeDemo(bad, file_);
        ADD_FAILURE() << "a broken statement was not reported";
    } catch (const demo::DemoError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find("statement 2"), std::string::npos) << what;
        EXPECT_NE(what.find("no_such_table"), std::string::npos) << what;
    }
    // The picture rows are missing here: also an error, not a demo without pictures.
    const QString noProducts = writeSql("noproducts.sql", "CREATE TABLE products (sku VARCHAR(12), picture_format "
                                                          "VARCHAR(4), picture BLOB)");
    EXPECT_THROW(demo::makeDemo(noProducts, file_), demo::DemoError);
    EXPECT_THROW(demo::makeDemo(testsupport::runFolder() + "/missing.sql", file_), demo::DemoError);
    EXPECT_THROW(demo::makeDemo(writeSql("empty.sql", "-- nothing\n"), file_), demo::DemoError);

    EXPECT_FALSE(QFileInfo::exists(file_ + ".new"));
    db_.connect(u"qv_demo", u"", u"");
    EXPECT_EQ(count("customers"), customers);
}
