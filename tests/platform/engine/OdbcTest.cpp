#include "platform/odbc/Odbc.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <deque>
#include <langinfo.h>

using namespace platform::odbc;

namespace {

std::u16string w(const char* utf8) { return fromUtf8(utf8); }

// A driver that hands out `data` in pieces of at most `limit` units per SQLGetData call and
// reports what is left either exactly or as SQL_NO_TOTAL.
template <class Unit>
struct FakeDriver {
    std::basic_string<Unit> data;
    std::size_t terminator;
    bool noTotal;
    std::size_t at = 0;
    int calls = 0;

    SQLRETURN operator()(char* p, SQLLEN bytes, SQLLEN* ind)
    {
        ++calls;
        if (at == data.size() && calls > 1)
            return SQL_NO_DATA;
        const std::size_t room = std::size_t(bytes) / sizeof(Unit);
        const std::size_t left = data.size() - at;
        *ind = noTotal && left > room - terminator ? SQL_NO_TOTAL : SQLLEN(left * sizeof(Unit));
        const std::size_t n = std::min(left, room - terminator);
        std::copy(data.begin() + long(at), data.begin() + long(at + n), reinterpret_cast<Unit*>(p));
        if (terminator)
            reinterpret_cast<Unit*>(p)[n] = 0;
        at += n;
        return n < left ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
    }
};

} // namespace

TEST(OdbcText, Utf8AndUtf16RoundTrip)
{
    const std::string text = "plain, \xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC \xE6\xBC\xA2 \xF0\x9F\x98\x80 and a NUL:";
    const std::string withNul = text + std::string(1, '\0') + "!";
    const std::u16string wide = fromUtf8(withNul);
    EXPECT_EQ(toUtf8(wide), withNul);
    EXPECT_NE(wide.find(u"\U0001F600"), std::u16string::npos);
    // A lone surrogate cannot be UTF-8: it becomes the replacement character.
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(OdbcChunkedRead, AnyChunkSizeGivesTheWholeValue)
{
    std::u16string text;
    for (int i = 0; i < 5000; ++i)
        text += char16_t(u'a' + i % 26);
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += char(i * 7);
    for (bool noTotal : {false, true}) {
        for (std::size_t first : {std::size_t(2), std::size_t(64), std::size_t(4999), std::size_t(5001),
                                  std::size_t(9000)}) {
            FakeDriver<char16_t> t{text, 1, noTotal};
            std::u16string gotText;
            gotText.reserve(first);
            ASSERT_TRUE(detail::readChunked(gotText, 2, 1, first, std::ref(t)));
            EXPECT_EQ(gotText, text) << "noTotal " << noTotal << " first " << first;

            FakeDriver<char> b{bytes, 0, noTotal};
            std::string gotBytes;
            ASSERT_TRUE(detail::readChunked(gotBytes, 1, 0, first, std::ref(b)));
            EXPECT_EQ(gotBytes, bytes) << "noTotal " << noTotal << " first " << first;
        }
    }
    // Empty values and a value that exactly fills the first chunk.
    FakeDriver<char16_t> empty{u"", 1, false};
    std::u16string got = u"old";
    EXPECT_TRUE(detail::readChunked(got, 2, 1, 64, std::ref(empty)));
    EXPECT_TRUE(got.empty());
    FakeDriver<char> exact{std::string(4096, 'x'), 0, false};
    std::string gotExact;
    EXPECT_TRUE(detail::readChunked(gotExact, 1, 0, 4096, std::ref(exact)));
    EXPECT_EQ(gotExact.size(), 4096u);
    EXPECT_EQ(exact.calls, 1);
}

TEST(OdbcChunkedRead, NullIndicatorGivesFalse)
{
    std::u16string got = u"old";
    auto nullDriver = [](char*, SQLLEN, SQLLEN* ind) { *ind = SQL_NULL_DATA; return SQLRETURN(SQL_SUCCESS); };
    EXPECT_FALSE(detail::readChunked(got, 2, 1, 64, nullDriver));
    EXPECT_TRUE(got.empty());
}

TEST(OdbcErrors, CarryStateAndTheDriversText)
{
    Connection unknown;
    try {
        unknown.connect(u"qv_no_such_source", u"", u"");
        FAIL() << "connected to a data source that does not exist";
    } catch (const Error& e) {
        EXPECT_EQ(e.sqlState(), "IM002");
        EXPECT_NE(std::string(e.what()).find("Data source name not found"), std::string::npos) << e.what();
    }

    Connection c;
    c.connect(fromUtf8(testsupport::sqliteDsn().toStdString()), u"", u"");
    Statement s(c);
    try {
        s.execDirect(u"SELECT * FROM odbc_missing_table");
        FAIL() << "no error for a missing table";
    } catch (const Error& e) {
        EXPECT_NE(e.message().find("no such table: odbc_missing_table"), std::string::npos) << e.what();
        EXPECT_FALSE(e.records().empty());
    }
}

TEST(OdbcStatement, DiesWithItsConnection)
{
    Connection c;
    c.connect(fromUtf8(testsupport::sqliteDsn().toStdString()), u"", u"");
    Statement s(c);
    s.execDirect(u"SELECT 1");
    c.disconnect();
    EXPECT_FALSE(s.valid());
    EXPECT_THROW(s.fetch(), Error);
    EXPECT_THROW(Statement{c}, Error);
}

TEST(OdbcStatement, LongParametersAndRowCountOnBothDrivers)
{
    struct Source { std::u16string dsn, user, password; };
    std::vector<Source> sources{{fromUtf8(testsupport::sqliteDsn().toStdString()), u"", u""}};
    if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        sources.push_back({fromUtf8(pg.dsn.toStdString()), fromUtf8(pg.user.toStdString()),
                           fromUtf8(pg.password.toStdString())});
    }
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += char((i * 31) ^ (i >> 7));
    std::u16string text;
    while (text.size() < 200000)
        text += w("Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80 '\\ ");  // a surrogate pair falls on chunk edges
    for (const Source& src : sources) {
        Connection c;
        c.connect(src.dsn, src.user, src.password);
        const bool pg = src.dsn != sources.front().dsn;
        Statement(c).execDirect(u"DROP TABLE IF EXISTS odbc_long");
        Statement(c).execDirect(pg ? u"CREATE TABLE odbc_long (id int, b bytea, t text)"
                                   : u"CREATE TABLE odbc_long (id int, b blob, t text)");
        Statement ins(c);
        ins.prepare(u"INSERT INTO odbc_long VALUES (?, ?, ?)");
        ins.bindInteger(1, 1);
        ins.bindLongBinary(2, bytes);
        ins.bindLongText(3, text);
        EXPECT_TRUE(ins.execute());
        ins.clearParameters();
        ins.bindInteger(1, 2);
        ins.bindLongBinary(2, std::string());
        ins.bindLongText(3, std::u16string());
        EXPECT_TRUE(ins.execute());

        Statement sel(c);
        sel.execDirect(u"SELECT b, t FROM odbc_long ORDER BY id");
        ASSERT_TRUE(sel.fetch());
        std::string gotBytes;
        std::u16string gotText;
        ASSERT_TRUE(sel.getBytes(1, gotBytes));
        ASSERT_TRUE(sel.getText(2, gotText));
        EXPECT_TRUE(gotBytes == bytes) << "blob differs, size " << gotBytes.size();
        EXPECT_TRUE(gotText == text) << "text differs, size " << gotText.size();
        ASSERT_TRUE(sel.fetch());
        EXPECT_TRUE(sel.getBytes(1, gotBytes));  // empty, not NULL
        EXPECT_TRUE(gotBytes.empty());
        EXPECT_TRUE(sel.getText(2, gotText));
        EXPECT_TRUE(gotText.empty());
        EXPECT_FALSE(sel.fetch());

        Statement upd(c);
        EXPECT_TRUE(upd.execDirect(u"UPDATE odbc_long SET id = id + 10"));
        EXPECT_EQ(upd.rowCount(), 2);
        Statement none(c);
        EXPECT_FALSE(none.execDirect(u"UPDATE odbc_long SET id = 0 WHERE id < 0"));
        Statement(c).execDirect(u"DROP TABLE odbc_long");
    }
}

// Started without a UTF-8 locale (no LANG, as under CI or a service), or after psqlODBC has reset
// it, the driver manager would hand SQLite only what the C library's character set can hold.
TEST(OdbcLocale, TextSurvivesAStartInTheCLocale)
{
    const std::string saved = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    useUtf8Locale();
    EXPECT_STREQ(nl_langinfo(CODESET), "UTF-8");

    const std::u16string text = w("h\xC3\xA9llo \xE2\x82\xAC \xE6\xBC\xA2");
    // psqlODBC sets the locale back from the environment when it connects.
    Connection pg;
    if (testsupport::pgAvailable()) {
        const auto& server = testsupport::pg();
        pg.connect(fromUtf8(server.dsn.toStdString()), fromUtf8(server.user.toStdString()),
                   fromUtf8(server.password.toStdString()));
    }
    Connection c;
    c.connect(fromUtf8(testsupport::sqliteDsn().toStdString()), u"", u"");
    Statement(c).execDirect(u"DROP TABLE IF EXISTS odbc_locale");
    Statement(c).execDirect(u"CREATE TABLE odbc_locale (t varchar(40))");
    Statement(c).execDirect(u"INSERT INTO odbc_locale VALUES ('" + text + u"')");
    Statement ins(c);
    ins.prepare(u"INSERT INTO odbc_locale VALUES (?)");
    ins.bindLongText(1, text);
    ins.execute();
    Statement sel(c);
    sel.execDirect(u"SELECT t FROM odbc_locale");
    for (int row = 0; row < 2; ++row) {
        ASSERT_TRUE(sel.fetch());
        std::u16string got;
        ASSERT_TRUE(sel.getText(1, got));
        EXPECT_TRUE(got == text) << "row " << row << ": " << toUtf8(got);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}

namespace {

struct PgLink {
    Connection connection;
    long long backend = 0;
    explicit PgLink(int timeout)
    {
        const auto& pg = testsupport::pg();
        connection.setTimeout(timeout);
        connection.connect(fromUtf8(pg.dsn.toStdString()), fromUtf8(pg.user.toStdString()),
                           fromUtf8(pg.password.toStdString()));
        Statement s(connection);
        s.execDirect(u"SELECT pg_backend_pid()");
        s.fetch();
        s.getInteger(1, backend);
    }
};

} // namespace

// A statement that runs past the timeout ends with an error instead of holding the window.
TEST(OdbcConnection, SlowStatementEndsAfterTheTimeout)
{
    QV_REQUIRE_PG();
    PgLink link(1);
    const auto start = std::chrono::steady_clock::now();
    Statement s(link.connection);
    EXPECT_THROW(s.execDirect(u"SELECT pg_sleep(30)"), Error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    // The connection stays usable.
    Statement next(link.connection);
    EXPECT_NO_THROW(next.execDirect(u"SELECT 1"));
}

// After the server drops the link, the connection says so.
TEST(OdbcConnection, DroppedLinkIsSeenAfterTheFailure)
{
    QV_REQUIRE_PG();
    PgLink link(Connection::kDefaultTimeout);
    EXPECT_FALSE(link.connection.dead());
    testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(link.backend));
    Statement s(link.connection);
    EXPECT_THROW(s.execDirect(u"SELECT 1"), Error);
    EXPECT_TRUE(link.connection.dead());

    Connection sqlite;
    sqlite.connect(fromUtf8(testsupport::sqliteDsn().toStdString()), u"", u"");
    EXPECT_FALSE(sqlite.dead());
}

// After a catalogue call the driver no longer says the link is dead once it is dropped; the
// failure itself says so.
TEST(OdbcConnection, DroppedLinkIsSeenAfterACatalogueCall)
{
    QV_REQUIRE_PG();
    PgLink link(Connection::kDefaultTimeout);
    {
        Statement names(link.connection);
        const std::u16string all = u"%";
        names.tables(nullptr, &all, u"TABLE");
        while (names.fetch()) {
        }
    }
    testsupport::pgExec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(link.backend));
    // As after a restart: the server side is gone before the next command is sent.
    PgLink watch(Connection::kDefaultTimeout);
    for (long long left = 1; left != 0;) {
        Statement q(watch.connection);
        q.execDirect(fromUtf8("SELECT count(*) FROM pg_stat_activity WHERE pid = " + std::to_string(link.backend)));
        ASSERT_TRUE(q.fetch());
        q.getInteger(1, left);
    }
    Statement s(link.connection);
    EXPECT_THROW(s.execDirect(u"SELECT 1"), Error);
    EXPECT_TRUE(link.connection.dead());
}
