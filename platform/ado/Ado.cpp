#include "platform/ado/Ado.h"

#include "platform/odbc/Odbc.h"

namespace platform::ado {

namespace {

std::u16string wide(const QString& s)
{
    return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), std::size_t(s.size()));
}

AdoError toAdoError(const odbc::Error& e)
{
    return AdoError(QString::fromUtf8(e.what()), QString::fromStdString(e.sqlState()));
}

} // namespace

ConnectionString ConnectionString::parse(const QString& text)
{
    ConnectionString cs;
    QString* last = nullptr;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (semi < 0)
            semi = n;
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0 || eq > semi) {
            const QString piece = text.mid(i, semi - i);
            if (last && !piece.trimmed().isEmpty())
                *last += QLatin1Char(';') + piece.trimmed();
            i = semi + 1;
            continue;
        }
        const QString name = text.mid(i, eq - i).trimmed();
        qsizetype at = eq + 1;
        while (at < n && text[at].isSpace())
            ++at;
        QString value;
        const bool braced = at < n && text[at] == QLatin1Char('{');
        if (braced || (at < n && (text[at] == QLatin1Char('"') || text[at] == QLatin1Char('\'')))) {
            // Up to the closing mark; the mark written twice stands for itself.
            const QChar close = braced ? QLatin1Char('}') : text[at];
            ++at;
            while (at < n) {
                if (text[at] == close) {
                    if (at + 1 < n && text[at + 1] == close) {
                        value += close;
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                value += text[at++];
            }
            semi = text.indexOf(QLatin1Char(';'), at);
            if (semi < 0)
                semi = n;
        } else {
            value = text.mid(eq + 1, semi - eq - 1).trimmed();
        }
        last = nullptr;
        auto is = [&](const char* a) { return name.compare(QLatin1String(a), Qt::CaseInsensitive) == 0; };
        if (is("Provider"))
            last = &cs.provider;
        else if (is("Password") || is("PWD"))
            last = &cs.password;
        else if (is("User ID") || is("UID"))
            last = &cs.userId;
        else if (is("Data Source") || is("DSN"))
            last = &cs.dataSource;
        if (last)
            *last = value;
        i = semi + 1;
    }
    return cs;
}

QString ConnectionString::writeValue(const QString& value)
{
    const bool plain = !value.contains(QLatin1Char(';')) && value == value.trimmed()
                       && !value.startsWith(QLatin1Char('{')) && !value.startsWith(QLatin1Char('"'))
                       && !value.startsWith(QLatin1Char('\''));
    if (plain)
        return value;
    QString braced = value;
    braced.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + braced + QLatin1Char('}');
}

QString ConnectionString::text() const
{
    return QStringLiteral("Provider=") + writeValue(provider) + QStringLiteral(";Password=") + writeValue(password)
           + QStringLiteral(";User ID=") + writeValue(userId) + QStringLiteral(";Data Source=")
           + writeValue(dataSource);
}

AdoConnection::AdoConnection() = default;
AdoConnection::~AdoConnection() = default;

void AdoConnection::open()
{
    if (connected())
        return;
    const ConnectionString cs = ConnectionString::parse(connectionString_);
    if (!cs.provider.isEmpty() && !cs.provider.startsWith(QLatin1String("MSDASQL"), Qt::CaseInsensitive))
        throw AdoError(QStringLiteral("Provider cannot be found. It may not be properly installed."));
    auto c = std::make_unique<odbc::Connection>();
    try {
        c->connect(wide(cs.dataSource), wide(cs.userId), wide(cs.password));
    } catch (const odbc::Error& e) {
        throw toAdoError(e);
    }
    connection_ = std::move(c);
}

void AdoConnection::close()
{
    connection_.reset();
}

bool AdoConnection::connected() const
{
    return connection_ && connection_->connected();
}

odbc::Connection& AdoConnection::connection()
{
    open();
    return *connection_;
}

AdoQuery::~AdoQuery()
{
    close();  // the statement goes before a connection of our own
}

void AdoQuery::setConnectionString(const QString& text)
{
    if (own_ && own_->connectionString() == text)
        return;
    close();
    own_ = std::make_unique<AdoConnection>();
    own_->setConnectionString(text);
}

odbc::Connection& AdoQuery::connection()
{
    if (connection_)
        return connection_->connection();
    if (own_)
        return own_->connection();
    throw AdoError(QStringLiteral("Missing Connection or ConnectionString"));
}

void AdoQuery::raise(const odbc::Error& error) const
{
    throw toAdoError(error);
}

void AdoQuery::raise(const QString& message) const
{
    throw AdoError(message);
}

} // namespace platform::ado
