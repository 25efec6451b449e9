#include "platform/ado/Ado.h"
#include "tests/support/Support.h"

#include <gtest/gtest.h>

using namespace platform::ado;

namespace {

QString connectionText(const QString& password, const QString& user, const QString& dataSource)
{
    // As the Table page builds it.
    return QStringLiteral("Provider=MSDASQL.1;Password=") + password + QStringLiteral(";") + QStringLiteral("User ID=")
        + user + QStringLiteral(";Data Source=") + dataSource;
}

} // namespace

TEST(AdoConnectionString, Parse)
{
    const struct {
        const char* text;
        const char *provider, *password, *user, *source;
    } cases[] = {
        {"Provider=MSDASQL.1;Password=p;User ID=u;Data Source=qv_pg", "MSDASQL.1", "p", "u", "qv_pg"},
        {" provider = MSDASQL.1 ; PASSWORD= p ;user id=u;DATA SOURCE = my dsn ", "MSDASQL.1", "p", "u", "my dsn"},
        {"Provider=MSDASQL.1;Password=;User ID=;Data Source=x", "MSDASQL.1", "", "", "x"},
        {"Password=\"a;b=c\";User ID='o''brien';Data Source=x", "", "a;b=c", "o'brien", "x"},
        {"Provider=MSDASQL.1;Password=se;cret;User ID=u;Data Source=x", "MSDASQL.1", "se;cret", "u", "x"},
        {"DSN=x;UID=u;PWD=p;Extended Properties=whatever", "", "p", "u", "x"},
        {"", "", "", "", ""},
    };
    for (const auto& c : cases) {
        const ConnectionString cs = ConnectionString::parse(QString::fromUtf8(c.text));
        EXPECT_EQ(cs.provider, QString::fromUtf8(c.provider)) << c.text;
        EXPECT_EQ(cs.password, QString::fromUtf8(c.password)) << c.text;
        EXPECT_EQ(cs.userId, QString::fromUtf8(c.user)) << c.text;
        EXPECT_EQ(cs.dataSource, QString::fromUtf8(c.source)) << c.text;
    }
}

TEST(AdoConnection, FailuresAreAdoErrorsWithTheDriversText)
{
    AdoConnection unknown;
    unknown.setConnectionString(connectionText({}, {}, QStringLiteral("qv_ado_nowhere")));
    try {
        unknown.open();
        FAIL() << "connected to an unknown data source";
    } catch (const AdoError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("Data source name not found"))) << e.message().toStdString();
        EXPECT_EQ(e.className(), QStringLiteral("EOleException"));
    }
    EXPECT_FALSE(unknown.connected());

    AdoConnection other;
    other.setConnectionString(QStringLiteral("Provider=SQLOLEDB;Data Source=x"));
    EXPECT_THROW(other.open(), AdoError);

    if (testsupport::pgAvailable()) {
        const auto& pg = testsupport::pg();
        AdoConnection wrong;
        wrong.setConnectionString(connectionText(QStringLiteral("wrong"), pg.user, pg.dsn));
        try {
            wrong.open();
            FAIL() << "connected with a wrong password";
        } catch (const AdoError& e) {
            EXPECT_TRUE(e.message().contains(QLatin1String("password authentication failed")))
                << e.message().toStdString();
        }
    }

    AdoConnection ok;
    ok.setConnectionString(connectionText({}, {}, testsupport::sqliteDsn()));
    AdoQuery q;
    q.setConnection(&ok);
    q.sql() << QStringLiteral("SELECT * FROM ado_missing_table");
    try {
        q.open();
        FAIL() << "no error for a missing table";
    } catch (const AdoError& e) {
        EXPECT_TRUE(e.message().contains(QLatin1String("ado_missing_table"))) << e.message().toStdString();
    }
}

// The long-text store and load of the Table page, on each driver.
TEST(AdoQuery, MemoTextRoundTrip)
{
    struct Source { QString dsn, user, password; bool pg; };
    std::vector<Source> sources{{testsupport::sqliteDsn(), {}, {}, false}};
    if (testsupport::pgAvailable())
        sources.push_back({testsupport::pg().dsn, testsupport::pg().user, testsupport::pg().password, true});
    QString memo;
    while (memo.size() < (1 << 20))
        memo += QStringLiteral("Stra\u00dfe \u6f22\u5b57 \U0001F600 'x' \\ :notAParameter\r\n");
    for (const Source& src : sources) {
        const QString text = connectionText(src.password, src.user, src.dsn);
        {
            AdoQuery setup;
            setup.setConnectionString(text);
            setup.sql() << QStringLiteral("DROP TABLE IF EXISTS ado_memo");
            setup.execSQL();
            setup.sql().clear();
            setup.sql() << QStringLiteral("CREATE TABLE ado_memo (id integer, notes text)");
            setup.execSQL();
            setup.sql().clear();
            setup.sql() << QStringLiteral("INSERT INTO ado_memo VALUES (42, NULL)");
            setup.execSQL();
        }
        AdoConnection connection;
        connection.setConnectionString(text);
        connection.setLoginPrompt(false);
        connection.setConnected(true);

        AdoQuery load;
        load.setConnection(&connection);
        load.sql() << QStringLiteral("SELECT notes FROM ado_memo WHERE id = 42");
        load.open();
        ASSERT_FALSE(load.eof());
        EXPECT_TRUE(load.fields(0).isNull());
        load.close();

        AdoQuery store;
        store.setConnection(&connection);
        store.setParamCheck(true);
        store.sql() << QStringLiteral("UPDATE ado_memo SET notes = :MemoText WHERE id = 42");
        ASSERT_EQ(store.params().size(), 1u);
        store.params()[0].setMemo(memo + QLatin1Char(' '));
        store.execSQL();
        EXPECT_EQ(store.rowsAffected(), 1);

        load.open();
        ASSERT_FALSE(load.eof());
        EXPECT_FALSE(load.fields(0).isNull());
        EXPECT_TRUE(load.fields(0).asString() == memo + QLatin1Char(' ')) << (src.pg ? "pg" : "sqlite");
        load.close();
    }
}

// Every value survives being written into the connection text and read back, and a password of
// any shape logs in.
TEST(AdoConnectionString, AnyValueRoundTrips)
{
    const QString shapes[] = {
        QStringLiteral("plain"),      QStringLiteral("\"quoted"),  QStringLiteral("'single"),
        QStringLiteral(" blanks "),   QStringLiteral("a;b=c"),     QStringLiteral("{braced}"),
        QStringLiteral("x}}y{"),      QStringLiteral("}"),         QStringLiteral(";"),
        QStringLiteral("tab\tend\t"), QStringLiteral("a=b"),       QStringLiteral("Data Source=x"),
        QStringLiteral("\u00e9\u6f22;"), QString(),
    };
    for (const QString& shape : shapes) {
        ConnectionString cs;
        cs.provider = QStringLiteral("MSDASQL.1");
        cs.password = shape;
        cs.userId = shape + QStringLiteral("u");
        cs.dataSource = QStringLiteral("d") + shape;
        const QString text = cs.text();
        const ConnectionString back = ConnectionString::parse(text);
        EXPECT_EQ(back.password, cs.password) << text.toStdString();
        EXPECT_EQ(back.userId, cs.userId) << text.toStdString();
        EXPECT_EQ(back.dataSource, cs.dataSource) << text.toStdString();
        EXPECT_EQ(back.provider, cs.provider) << text.toStdString();
    }
    EXPECT_EQ(ConnectionString::writeValue(QStringLiteral("se cret")), QStringLiteral("se cret"));
    EXPECT_EQ(ConnectionString::writeValue(QStringLiteral("a;}")), QStringLiteral("{a;}}}"));

    QV_REQUIRE_PG();
    const auto& pg = testsupport::pg();
    const QString role = QStringLiteral("qv_ado_shapes");
    testsupport::pgExec(QStringLiteral("DROP ROLE IF EXISTS ") + role);
    testsupport::pgExec(QStringLiteral("CREATE ROLE ") + role + QStringLiteral(" LOGIN"));
    for (const QString& shape : {QStringLiteral("\"quoted"), QStringLiteral(" blanks "), QStringLiteral("a;b=c"),
                                 QStringLiteral("{x}}"), QStringLiteral("'q;")}) {
        QString literal = shape;
        literal.replace(QLatin1Char('\''), QStringLiteral("''"));
        testsupport::pgExec(QStringLiteral("ALTER ROLE ") + role + QStringLiteral(" PASSWORD '") + literal
                            + QStringLiteral("'"));
        ConnectionString cs;
        cs.provider = QStringLiteral("MSDASQL.1");
        cs.password = shape;
        cs.userId = role;
        cs.dataSource = pg.dsn;
        AdoConnection connection;
        connection.setConnectionString(cs.text());
        EXPECT_NO_THROW(connection.open()) << shape.toStdString();
        EXPECT_TRUE(connection.connected()) << shape.toStdString();
    }
    testsupport::pgExec(QStringLiteral("DROP ROLE ") + role);
}
