#include "platform/engine/Engine.h"
#include "platform/engine/EngineSupport.h"

#include "platform/odbc/Odbc.h"

#include <QSet>

#include <cstring>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace platform::engine {

using detail::lineValue;
using detail::qstr;
using detail::toEngineError;
using detail::wide;

namespace {

// The shortest round-trip digits of v into buf (room for 64), as FloatText writes them; returns
// the length.
int floatChars(double v, char* buf)
{
    if (std::isnan(v)) {
        std::memcpy(buf, "NAN", 3);
        return 3;
    }
    if (std::isinf(v)) {
        if (v < 0) {
            std::memcpy(buf, "-INF", 4);
            return 4;
        }
        std::memcpy(buf, "INF", 3);
        return 3;
    }
    const double a = std::fabs(v);
    const auto format = (a != 0 && (a >= 1e15 || a < 1e-4)) ? std::chars_format::scientific
                                                              : std::chars_format::fixed;
    const auto r = std::to_chars(buf, buf + 60, v, format);
    int length = int(r.ptr - buf);
    if (format == std::chars_format::scientific) {
        // "1e+20" rather than "1e20"
        char* e = static_cast<char*>(std::memchr(buf, 'e', std::size_t(length)));
        if (e && e + 1 < buf + length && e[1] != '-' && e[1] != '+') {
            std::memmove(e + 2, e + 1, std::size_t(buf + length - (e + 1)));
            e[1] = '+';
            ++length;
        }
    }
    return length;
}

// The parts of a date or timestamp in the ODBC text form.
struct ClockParts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
};

// "yyyy-mm-dd", optionally followed by " hh:mm[:ss[.fraction]]" (or "T"): the ODBC text of dates
// and timestamps, and what SQLite stores. False when the text is no such value or names no real
// day or time.
bool parseOdbcClock(const QString& s, ClockParts& out)
{
    const QString t = s.trimmed();
    auto number = [&](qsizetype at, int digits, int& value) {
        if (at + digits > t.size())
            return false;
        int v = 0;
        for (int i = 0; i < digits; ++i) {
            const QChar c = t[at + i];
            if (!c.isDigit())
                return false;
            v = v * 10 + c.digitValue();
        }
        value = v;
        return true;
    };
    int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
    if (!number(0, 4, y) || t.size() < 10 || t[4] != QLatin1Char('-') || !number(5, 2, mo)
        || t[7] != QLatin1Char('-') || !number(8, 2, d))
        return false;
    qsizetype at = 10;
    if (at < t.size()) {
        if (t[at] != QLatin1Char(' ') && t[at] != QLatin1Char('T'))
            return false;
        ++at;
        if (!number(at, 2, h) || at + 2 >= t.size() || t[at + 2] != QLatin1Char(':') || !number(at + 3, 2, mi))
            return false;
        at += 5;
        if (at < t.size() && t[at] == QLatin1Char(':')) {
            if (!number(at + 1, 2, sec))
                return false;
            at += 3;
            if (at < t.size() && t[at] == QLatin1Char('.')) {
                ++at;
                int scale = 100;
                while (at < t.size() && t[at].isDigit()) {
                    ms += t[at].digitValue() * scale;
                    scale /= 10;
                    ++at;
                }
            }
        }
        if (at != t.size())
            return false;
    }
    if (!QDate::isValid(y, mo, d) || !QTime::isValid(h, mi, sec, ms))
        return false;
    out = ClockParts{y, mo, d, h, mi, sec, ms};
    return true;
}

QDateTime parseOdbcDateTime(const QString& s)
{
    ClockParts p;
    if (!parseOdbcClock(s, p))
        return {};
    return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.msec), Qt::UTC);
}

// "MM/dd/yyyy", and with the time " hh:mm:ss", written digit by digit: formatting through the
// locale costs more than fetching the value.
void appendClockText(QString& out, const ClockParts& p, bool withTime)
{
    char16_t buf[19];
    auto two = [&](int at, int v) {
        buf[at] = char16_t(u'0' + v / 10 % 10);
        buf[at + 1] = char16_t(u'0' + v % 10);
    };
    two(0, p.month);
    buf[2] = u'/';
    two(3, p.day);
    buf[5] = u'/';
    two(6, p.year / 100);
    two(8, p.year % 100);
    qsizetype length = 10;
    if (withTime) {
        buf[10] = u' ';
        two(11, p.hour);
        buf[13] = u':';
        two(14, p.minute);
        buf[16] = u':';
        two(17, p.second);
        length = 19;
    }
    out.append(QStringView(buf, length));
}

} // namespace

QString FloatText(double v)
{
    char buf[64];
    return QString::fromLatin1(buf, floatChars(v, buf));
}

// ---- EngineError -----------------------------------------------------------------------------

EngineError::EngineError(const QString& message, const QString& sqlState)
    : std::runtime_error(message.toStdString()), sqlState_(sqlState)
{
}

// ---- Database --------------------------------------------------------------------------------

Database::Database()
{
    Session::instance().registerDatabase(this);
}

Database::~Database()
{
    connection_.reset();
    Session::instance().unregisterDatabase(this);
}

void Database::setDatabaseName(const QString& name)
{
    databaseName_ = name;
}

bool Database::connected() const
{
    return connection_ && connection_->connected();
}

void Database::refuseWhileLent() const
{
    throw EngineError(QStringLiteral("The connection of the database '%1' is busy reading rows.").arg(databaseName_));
}

void Database::setConnected(bool connect)
{
    if (lentReaders_ > 0)
        refuseWhileLent();
    if (!connect) {
        connection_.reset();  // frees the statements of every dataset on it
        inTransaction_ = false;
        dbmsName_.clear();
        return;
    }
    if (connected())
        return;
    const QString alias = !aliasName_.isEmpty() ? aliasName_ : databaseName_;
    if (alias.isEmpty())
        throw EngineError(QStringLiteral("No alias or database name is set for the connection."));
    QString dsn = alias;
    QString user;
    Session& session = Session::instance();
    const QStringList stored = session.aliasParams(alias);
    if (!stored.isEmpty()) {
        const QString aliasDsn = lineValue(stored, QStringLiteral("ODBC DSN"));
        if (!aliasDsn.trimmed().isEmpty())
            dsn = aliasDsn.trimmed();
        user = lineValue(stored, QStringLiteral("USER NAME"));
    }
    bool haveUser = false;
    const QString paramUser = lineValue(params_, QStringLiteral("user name"), &haveUser);
    if (haveUser)
        user = paramUser;
    const QString password = lineValue(params_, QStringLiteral("password"));
    auto c = std::make_unique<odbc::Connection>();
    try {
        c->connect(wide(dsn), wide(user), wide(password));
    } catch (const odbc::Error& e) {
        throw toEngineError(e);
    }
    connection_ = std::move(c);
    dsn_ = dsn;
    user_ = user;
    password_ = password;
    dbmsName_.clear();
}

odbc::Connection& Database::connection()
{
    if (lentReaders_ > 0)
        refuseWhileLent();
    if (!connected())
        throw EngineError(QStringLiteral("The database '%1' is not connected.").arg(databaseName_));
    if (connection_->dead()) {
        if (inTransaction_)
            throw EngineError(QStringLiteral("The connection to the database was lost."), QStringLiteral("08S01"));
        auto c = std::make_unique<odbc::Connection>();
        try {
            c->connect(wide(dsn_), wide(user_), wide(password_));
        } catch (const odbc::Error& e) {
            throw toEngineError(e);
        }
        connection_ = std::move(c);  // frees what was still open on the dead link
        if (onReconnect_)
            onReconnect_(dsn_);
    }
    return *connection_;
}

void Database::startTransaction()
{
    if (inTransaction_)
        throw EngineError(QStringLiteral("A transaction is already running on the database '%1'.").arg(databaseName_));
    odbc::Connection& c = connection();
    try {
        c.setAutoCommit(false);
    } catch (const odbc::Error& e) {
        throw toEngineError(e);
    }
    inTransaction_ = true;
}

void Database::commit()
{
    if (!inTransaction_)
        return;
    odbc::Connection& c = *connection_;
    // A driver may report a commit on a broken link as done: the server has dropped the work.
    if (c.dead()) {
        rollback();
        throw EngineError(QStringLiteral("The connection to the database was lost."), QStringLiteral("08S01"));
    }
    try {
        c.endTransaction(true);
    } catch (const odbc::Error& e) {
        rollback();
        throw toEngineError(e);
    }
    inTransaction_ = false;
    try {
        c.setAutoCommit(true);
    } catch (const odbc::Error&) {
        c.markLost();  // a new connection has autocommit on
    }
}

void Database::rollback()
{
    if (!inTransaction_)
        return;
    inTransaction_ = false;
    if (!connection_ || !connection_->connected())
        return;
    odbc::Connection& c = *connection_;
    try {
        c.endTransaction(false);
        c.setAutoCommit(true);
    } catch (const odbc::Error&) {
        // Autocommit switched on over an open transaction would commit it: the link is dropped
        // instead, and the server rolls back what it held.
        c.markLost();
    }
}

QString Database::dbmsName()
{
    if (dbmsName_.isEmpty()) {
        try {
            dbmsName_ = qstr(connection().infoText(SQL_DBMS_NAME));
        } catch (const odbc::Error& e) {
            throw toEngineError(e);
        }
    }
    return dbmsName_;
}

bool Database::linkLost() const
{
    // Asking the driver would race the thread that reads rows; what was found before stands.
    if (lentReaders_ > 0)
        return false;
    return connection_ && connection_->dead();
}

// ---- Field -----------------------------------------------------------------------------------

void Field::parseDate() const
{
    if (!dateParsed_) {
        dateTime_ = parseOdbcDateTime(text_);
        dateParsed_ = true;
    }
}

QString Field::asString() const
{
    if (isNull_)
        return {};
    switch (kind_) {
    case ValueKind::Text:
        return text_;
    case ValueKind::Integer:
        return QString::number(int_);
    case ValueKind::Float:
        return FloatText(float_);
    case ValueKind::Boolean:
        return int_ ? QStringLiteral("True") : QStringLiteral("False");
    case ValueKind::Date:
    case ValueKind::DateTime: {
        ClockParts parts;
        if (!parseOdbcClock(text_, parts))
            return text_;
        QString text;
        appendClockText(text, parts, kind_ == ValueKind::DateTime);
        return text;
    }
    case ValueKind::Bytes:
        return QString::fromLatin1(bytes_);
    }
    return {};
}

void Field::appendText(QString& out) const
{
    if (isNull_)
        return;
    switch (kind_) {
    case ValueKind::Text:
        out += text_;
        return;
    case ValueKind::Integer: {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, int_);
        out += QLatin1StringView(buf, r.ptr - buf);
        return;
    }
    case ValueKind::Float: {
        char buf[64];
        out += QLatin1StringView(buf, floatChars(float_, buf));
        return;
    }
    case ValueKind::Boolean:
        out += int_ ? QLatin1StringView("True") : QLatin1StringView("False");
        return;
    case ValueKind::Date:
    case ValueKind::DateTime: {
        ClockParts parts;
        if (parseOdbcClock(text_, parts))
            appendClockText(out, parts, kind_ == ValueKind::DateTime);
        else
            out += text_;
        return;
    }
    case ValueKind::Bytes:
        out += QLatin1StringView(bytes_);
        return;
    }
}

long long Field::asLargeInt() const
{
    if (isNull_)
        return 0;
    switch (kind_) {
    case ValueKind::Integer:
    case ValueKind::Boolean:
        return int_;
    case ValueKind::Float:
        if (!(std::fabs(float_) < 9.2e18))
            break;
        return std::llround(float_);
    case ValueKind::Text: {
        bool ok = false;
        const long long v = text_.trimmed().toLongLong(&ok);
        if (ok)
            return v;
        break;
    }
    default:
        break;
    }
    throw EngineError(QStringLiteral("'%1' is not a valid integer value").arg(asString()));
}

int Field::asInteger() const
{
    const long long v = asLargeInt();
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        throw EngineError(QStringLiteral("'%1' is not a valid integer value").arg(asString()));
    return int(v);
}

double Field::asFloat() const
{
    if (isNull_)
        return 0;
    switch (kind_) {
    case ValueKind::Integer:
    case ValueKind::Boolean:
        return double(int_);
    case ValueKind::Float:
        return float_;
    case ValueKind::Text: {
        bool ok = false;
        const double v = text_.trimmed().toDouble(&ok);
        if (ok)
            return v;
        break;
    }
    default:
        break;
    }
    throw EngineError(QStringLiteral("'%1' is not a valid floating point value").arg(asString()));
}

bool Field::asBoolean() const
{
    if (isNull_)
        return false;
    switch (kind_) {
    case ValueKind::Integer:
    case ValueKind::Boolean:
        return int_ != 0;
    case ValueKind::Float:
        return float_ != 0;
    case ValueKind::Text: {
        const QString t = text_.trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QLatin1String("1"))
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || t == QLatin1String("0"))
            return false;
        break;
    }
    default:
        break;
    }
    throw EngineError(QStringLiteral("'%1' is not a valid boolean value").arg(asString()));
}

QDateTime Field::asDateTime() const
{
    if (isNull_)
        return {};
    switch (kind_) {
    case ValueKind::Date:
    case ValueKind::DateTime:
    case ValueKind::Text:
        parseDate();
        if (kind_ == ValueKind::Date && dateTime_.isValid())
            return QDateTime(dateTime_.date(), QTime(0, 0), Qt::UTC);
        return dateTime_;
    default:
        return {};
    }
}

QByteArray Field::asBytes() const
{
    if (isNull_)
        return {};
    if (kind_ == ValueKind::Bytes)
        return bytes_;
    return asString().toUtf8();
}

QString Field::storedText() const
{
    if (isNull_)
        return {};
    if (kind_ == ValueKind::Text || kind_ == ValueKind::Date || kind_ == ValueKind::DateTime)
        return text_;
    return asString();
}

// ---- Param -----------------------------------------------------------------------------------

void Param::clear()
{
    kind_ = Kind::Null;
    text_.clear();
    bytes_.clear();
}

void Param::setString(const QString& v)
{
    clear();
    kind_ = Kind::String;
    text_ = v;
}

void Param::setMemo(const QString& v)
{
    clear();
    kind_ = Kind::Memo;
    text_ = v;
}

void Param::setBlob(const QByteArray& v)
{
    clear();
    kind_ = Kind::Blob;
    bytes_ = v;
}

void Param::setInteger(long long v)
{
    clear();
    kind_ = Kind::Integer;
    int_ = v;
}

void Param::setFloat(double v)
{
    clear();
    kind_ = Kind::Float;
    float_ = v;
}

// ---- DataSet ---------------------------------------------------------------------------------

DataSet::DataSet() = default;
DataSet::~DataSet() = default;

void DataSet::raise(const odbc::Error& error) const
{
    throw toEngineError(error);
}

void DataSet::raise(const QString& message) const
{
    throw EngineError(message);
}

Database& DataSet::database() const
{
    Database* db = Session::instance().findDatabase(databaseName_);
    if (!db)
        raise(QStringLiteral("The database '%1' is not connected.").arg(databaseName_));
    return *db;
}

odbc::Connection& DataSet::connection()
{
    return database().connection();
}

bool DataSet::active() const
{
    return stmt_ && stmt_->valid();
}

void DataSet::close()
{
    if (keepStatement_ && stmt_ && stmt_->valid()) {
        stmt_->closeCursor();
        kept_ = std::move(stmt_);
        keptFields_ = std::move(fields_);
    }
    stmt_.reset();
    fields_.clear();
    eof_ = true;
    deferredSql_.clear();
}

bool DataSet::eof() const
{
    if (!deferredSql_.isEmpty())
        const_cast<DataSet*>(this)->startDeferredRows();
    return eof_ || !active();
}

void DataSet::next()
{
    if (!deferredSql_.isEmpty())
        startDeferredRows();
    if (!active())
        raise(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (eof_)
        return;
    try {
        fetchRow();
    } catch (const odbc::Error& e) {
        raise(e);
    }
}

Field& DataSet::fields(int index)
{
    if (index < 0 || index >= fieldCount())
        raise(QStringLiteral("List index out of bounds (%1)").arg(index));
    return fields_[std::size_t(index)];
}

Field* DataSet::findField(const QString& name)
{
    for (Field& f : fields_)
        if (f.name_.compare(name, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

Field& DataSet::fieldByName(const QString& name)
{
    Field* f = findField(name);
    if (!f)
        raise(QStringLiteral("Field '%1' not found").arg(name));
    return *f;
}

void DataSet::bind(odbc::Statement& stmt, const std::vector<Param*>& params) const
{
    int index = 0;
    for (const Param* p : params) {
        ++index;
        switch (p->kind_) {
        case Param::Kind::Null: stmt.bindNull(index); break;
        case Param::Kind::String: stmt.bindText(index, wide(p->text_)); break;
        case Param::Kind::Memo: stmt.bindLongText(index, wide(p->text_)); break;
        case Param::Kind::Blob: stmt.bindLongBinary(index, p->bytes_.toStdString()); break;
        case Param::Kind::Integer: stmt.bindInteger(index, p->int_); break;
        case Param::Kind::Float: stmt.bindDouble(index, p->float_); break;
        }
    }
}

void DataSet::openStatement(const QString& sql, const std::vector<Param*>& params)
{
    close();
    odbc::Connection& c = connection();
    try {
        stmt_ = std::make_unique<odbc::Statement>(c);
        if (params.empty()) {
            stmt_->execDirect(wide(sql));
        } else {
            stmt_->prepare(wide(sql));
            bind(*stmt_, params);
            stmt_->execute();
        }
        describe();
        if (fields_.empty())
            eof_ = true;  // a statement without a result: an empty dataset
        else
            fetchRow();
    } catch (const odbc::Error& e) {
        close();
        raise(e);
    }
}

void DataSet::deferRows(const QString& rowsSql)
{
    deferredSql_ = rowsSql;
}

void DataSet::startDeferredRows()
{
    const QString sql = deferredSql_;
    deferredSql_.clear();
    if (!active())
        return;
    try {
        auto stmt = std::make_unique<odbc::Statement>(connection());
        stmt->execDirect(wide(sql));
        stmt_ = std::move(stmt);
        if (stmt_->columnCount() != fieldCount())
            describe();
        if (fields_.empty())
            eof_ = true;
        else
            fetchRow();
    } catch (const odbc::Error& e) {
        close();
        raise(e);
    }
}

void DataSet::describe()
{
    const int n = stmt_->columnCount();
    fields_.clear();
    fields_.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) {
        const odbc::Column c = stmt_->describe(i + 1);
        const FieldTypeInfo info = mapSqlType(c.sqlType, c.columnSize, c.autoUnique);
        Field& f = fields_[std::size_t(i)];
        f.name_ = qstr(c.name);
        f.type_ = info.type;
        f.size_ = info.dataSize;
        f.kind_ = info.value;
        f.sqlType_ = c.sqlType;
        // Room for a whole value of a short column, so rows are read in one call.
        if (f.kind_ == ValueKind::Text || f.kind_ == ValueKind::Date || f.kind_ == ValueKind::DateTime)
            f.text_.reserve(qsizetype(std::clamp<long long>(c.columnSize + 1, 32, 4096)));
    }
    eof_ = true;
}

void DataSet::fetchRow()
{
    if (!stmt_->fetch()) {
        eof_ = true;  // the last row's values stay, as the current record
        return;
    }
    eof_ = false;
    odbc::Statement& s = *stmt_;
    const int n = fieldCount();
    for (int i = 0; i < n; ++i) {
        Field& f = fields_[std::size_t(i)];
        // A caller may still hold the previous row's value; writing into that shared buffer would
        // detach it with a doubled capacity on every row. Start such a field afresh.
        if (!f.text_.isDetached())
            f.text_ = QString();
        if (!f.bytes_.isDetached())
            f.bytes_ = QByteArray();
        switch (f.kind_) {
        case ValueKind::Text:
            f.isNull_ = !s.getText(i + 1, f.text_);
            break;
        case ValueKind::Date:
        case ValueKind::DateTime:
            f.isNull_ = !s.getText(i + 1, f.text_);
            f.dateParsed_ = false;
            break;
        case ValueKind::Integer:
            f.isNull_ = !s.getInteger(i + 1, f.int_);
            break;
        case ValueKind::Float:
            f.isNull_ = !s.getDouble(i + 1, f.float_);
            break;
        case ValueKind::Boolean: {
            bool b = false;
            f.isNull_ = !s.getBit(i + 1, b);
            f.int_ = b;
            break;
        }
        case ValueKind::Bytes:
            f.isNull_ = !s.getBytes(i + 1, f.bytes_);
            break;
        }
    }
}

// ---- RowReaderLease --------------------------------------------------------------------------

RowReaderLease::RowReaderLease(DataSet& set)
{
    // A table's rows would be started on the connection by the reader: start them here.
    if (!set.deferredSql_.isEmpty())
        set.startDeferredRows();
    database_ = &set.database();
    ++database_->lentReaders_;
}

RowReaderLease::~RowReaderLease()
{
    --database_->lentReaders_;
}

// ---- Query -----------------------------------------------------------------------------------

QString Query::parseParameters(const QString& s, QStringList* markerNames)
{
    QString out;
    out.reserve(s.size());
    const qsizetype n = s.size();
    auto isNameStart = [](QChar c) { return c.isLetter() || c == QLatin1Char('_'); };
    auto isNameChar = [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); };
    for (qsizetype i = 0; i < n;) {
        const QChar c = s[i];
        qsizetype end = -1;  // end of a stretch copied unchanged
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            qsizetype j = i + 1;
            while (j < n) {
                if (s[j] == c) {
                    if (j + 1 < n && s[j + 1] == c) {
                        j += 2;  // a doubled quote stays inside the literal
                        continue;
                    }
                    break;
                }
                ++j;
            }
            end = std::min(j + 1, n);
        } else if (c == QLatin1Char('-') && i + 1 < n && s[i + 1] == QLatin1Char('-')) {
            const qsizetype nl = s.indexOf(QLatin1Char('\n'), i);
            end = nl < 0 ? n : nl;
        } else if (c == QLatin1Char('/') && i + 1 < n && s[i + 1] == QLatin1Char('*')) {
            const qsizetype close = s.indexOf(QLatin1String("*/"), i + 2);
            end = close < 0 ? n : close + 2;
        } else if (c == QLatin1Char(':') && i + 1 < n && s[i + 1] == QLatin1Char(':')) {
            end = i + 2;  // a cast such as x::int
        } else if (c == QLatin1Char(':') && i + 1 < n && isNameStart(s[i + 1])) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(s[j]))
                ++j;
            if (markerNames)
                markerNames->append(s.mid(i + 1, j - i - 1));
            out += QLatin1Char('?');
            i = j;
            continue;
        }
        if (end < 0)
            end = i + 1;
        out += QStringView(s).mid(i, end - i);
        i = end;
    }
    return out;
}

void Query::prepareParams()
{
    const QString text = sql_.join(QLatin1Char('\n'));
    if (parsed_ && text == parsedFor_)
        return;
    markerNames_.clear();
    statementText_ = parseParameters(text, &markerNames_);
    // A parameter that is still named keeps its value.
    std::vector<Param> fresh;
    for (const QString& name : markerNames_) {
        const auto same = [&](const Param& p) { return p.name_.compare(name, Qt::CaseInsensitive) == 0; };
        if (std::any_of(fresh.begin(), fresh.end(), same))
            continue;
        auto old = std::find_if(params_.begin(), params_.end(), same);
        Param p = old != params_.end() ? *old : Param();
        p.name_ = name;
        fresh.push_back(std::move(p));
    }
    params_ = std::move(fresh);
    parsedFor_ = text;
    parsed_ = true;
}

std::vector<Param*> Query::markerParams()
{
    std::vector<Param*> list;
    list.reserve(std::size_t(markerNames_.size()));
    for (const QString& name : markerNames_)
        for (Param& p : params_)
            if (p.name_.compare(name, Qt::CaseInsensitive) == 0) {
                list.push_back(&p);
                break;
            }
    return list;
}

std::vector<Param>& Query::params()
{
    prepareParams();
    return params_;
}

Param& Query::paramByName(const QString& name)
{
    prepareParams();
    auto p = std::find_if(params_.begin(), params_.end(),
                          [&](const Param& x) { return x.name_.compare(name, Qt::CaseInsensitive) == 0; });
    if (p == params_.end())
        raise(QStringLiteral("Parameter '%1' not found").arg(name));
    return *p;
}

void Query::open()
{
    prepareParams();
    rowsAffected_ = -1;
    if (!keepStatement_) {
        openStatement(statementText_, markerParams());
        return;
    }
    close();
    std::unique_ptr<odbc::Statement> statement = std::move(kept_);
    std::vector<Field> described = std::move(keptFields_);
    odbc::Connection& c = connection();
    try {
        if (!statement || !statement->valid() || preparedOn_ != &c || preparedText_ != statementText_) {
            statement.reset();
            described.clear();
            preparedOn_ = nullptr;
            statement = std::make_unique<odbc::Statement>(c);
            statement->prepare(wide(statementText_));
            preparedOn_ = &c;
            preparedText_ = statementText_;
        }
        stmt_ = std::move(statement);
        bind(*stmt_, markerParams());
        stmt_->execute();
        if (!described.empty() && stmt_->columnCount() == int(described.size())) {
            fields_ = std::move(described);
            eof_ = true;
        } else {
            describe();
        }
        if (fields_.empty())
            eof_ = true;
        else
            fetchRow();
    } catch (const odbc::Error& e) {
        // Nothing kept of a statement that failed: the next open prepares it afresh.
        stmt_.reset();
        fields_.clear();
        eof_ = true;
        preparedOn_ = nullptr;
        raise(e);
    }
}

void Query::prepare()
{
    keepStatement_ = true;
}

void Query::unprepare()
{
    keepStatement_ = false;
    kept_.reset();
    keptFields_.clear();
    preparedOn_ = nullptr;
    preparedText_.clear();
}

void Query::execSQL()
{
    prepareParams();
    close();
    rowsAffected_ = -1;
    odbc::Connection& c = connection();
    try {
        odbc::Statement stmt(c);
        const std::vector<Param*> params = markerParams();
        bool rows;
        if (params.empty()) {
            rows = stmt.execDirect(wide(statementText_));
        } else {
            stmt.prepare(wide(statementText_));
            bind(stmt, params);
            rows = stmt.execute();
        }
        // SQL_NO_DATA: an UPDATE or DELETE that matched nothing.
        rowsAffected_ = rows ? int(std::clamp<long long>(stmt.rowCount(), -1, std::numeric_limits<int>::max())) : 0;
    } catch (const odbc::Error& e) {
        raise(e);
    }
}

// ---- Table -----------------------------------------------------------------------------------

void Table::open()
{
    close();
    const QString trimmed = tableName_.trimmed();
    if (trimmed.isEmpty())
        raise(QStringLiteral("Missing TableName property"));
    const QString name = QuotedTableName(trimmed);
    // The fields from an empty result; the rows only when they are asked for, since some drivers
    // read a whole result into memory.
    openStatement(QStringLiteral("SELECT * FROM ") + name + QStringLiteral(" WHERE 1=0"), {});
    deferRows(QStringLiteral("SELECT * FROM ") + name);
}

// ---- Names in statements ---------------------------------------------------------------------

namespace {

// Words that SQLite or PostgreSQL refuse as bare names, and the standard's most common ones.
bool isReservedWord(const QString& lower)
{
    static const QSet<QString> words = [] {
        const char* const list[] = {
            "abort", "action", "add", "all", "alter", "analyse", "analyze", "and", "any", "array", "as",
            "asc", "asymmetric", "authorization", "autoincrement", "between", "binary", "both", "by",
            "case", "cast", "check", "collate", "collation", "column", "commit", "concurrently",
            "constraint", "create", "cross", "current", "current_catalog", "current_date", "current_role",
            "current_schema", "current_time", "current_timestamp", "current_user", "default",
            "deferrable", "delete", "desc", "distinct", "do", "drop", "else", "end", "escape", "except",
            "exists", "false", "fetch", "for", "foreign", "freeze", "from", "full", "grant", "group",
            "having", "ilike", "in", "index", "initially", "inner", "insert", "intersect", "into", "is",
            "isnull", "join", "lateral", "leading", "left", "like", "limit", "localtime",
            "localtimestamp", "natural", "not", "notnull", "null", "offset", "on", "only", "or", "order",
            "outer", "overlaps", "placing", "primary", "references", "returning", "right", "select",
            "session_user", "set", "similar", "some", "symmetric", "system_user", "table", "tablesample",
            "then", "to", "trailing", "transaction", "true", "union", "unique", "update", "user", "using",
            "values", "variadic", "verbose", "when", "where", "window", "with",
        };
        QSet<QString> set;
        for (const char* word : list)
            set.insert(QString::fromLatin1(word));
        return set;
    }();
    return words.contains(lower);
}

bool isPlainName(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool letter = (c >= u'a' && c <= u'z') || c == u'_';
        if (!letter && !(i > 0 && c >= u'0' && c <= u'9'))
            return false;
    }
    return !isReservedWord(name);
}

} // namespace

QString QuotedName(const QString& name)
{
    if (name.isEmpty() || isPlainName(name))
        return name;
    QString inner = name;
    inner.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString QuotedTableName(const QString& name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return QuotedName(name);
    return QuotedName(name.left(dot)) + QLatin1Char('.') + QuotedName(name.mid(dot + 1));
}

} // namespace platform::engine
