#include "platform/engine/Engine.h"
#include "platform/engine/EngineSupport.h"

#include "platform/odbc/Odbc.h"

#include <algorithm>
#include <limits>

namespace platform::engine {

using detail::lineValue;
using detail::qstr;
using detail::toEngineError;
using detail::wide;

// ---- EngineError -----------------------------------------------------------------------------

EngineError::EngineError(const QString& message, const QString& sqlState, long nativeError)
    : std::runtime_error(message.toStdString()), sqlState_(sqlState), nativeError_(nativeError)
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
        dialect_ = SqlDialect{};
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
    detectDialect();
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
        detectDialect();
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

namespace {

// The first value of the first row of a statement run on c.
QString firstValue(odbc::Connection& c, const QString& sql)
{
    odbc::Statement statement(c);
    statement.execDirect(wide(sql));
    QString value;
    if (statement.fetch())
        statement.getText(1, value);
    return value;
}

} // namespace

void Database::detectDialect()
{
    odbc::Connection& c = *connection_;
    dialect_ = SqlDialect{};
    // A driver that does not say gets the reading of an unknown product.
    if (!c.dbmsName().empty()) {
        dbmsName_ = qstr(c.dbmsName());
        dialect_.product = SqlProductOf(dbmsName_);
    }
    if (dialect_.product == SqlProduct::MySQL) {
        // A mode that cannot be read leaves backslash escapes on: a literal written for them
        // may store a doubled backslash, one written without them could end early.
        try {
            const QString mode = firstValue(c, QStringLiteral("SELECT @@SESSION.sql_mode")).toUpper();
            const QStringList modes = mode.split(QLatin1Char(','));
            dialect_.noBackslashEscapes = modes.contains(QLatin1String("NO_BACKSLASH_ESCAPES"));
            dialect_.ansiQuotes = modes.contains(QLatin1String("ANSI_QUOTES")) || modes.contains(QLatin1String("ANSI"));
        } catch (const odbc::Error&) {
        }
    }
    SetCurrentSqlDialect(dialect_);
}

SqlReading Database::sessionReading()
{
    if (!ServerSettlesReading(dialect_))
        return PossibleReadings(dialect_).front();
    QString setting;
    try {
        setting = firstValue(connection(), QStringLiteral("SHOW standard_conforming_strings"));
    } catch (const odbc::Error& e) {
        throw toEngineError(e);
    }
    return PostgreSqlReading(setting.trimmed().compare(QLatin1String("off"), Qt::CaseInsensitive) != 0);
}

bool Database::linkLost() const
{
    // Asking the driver would race the thread that reads rows; what was found before stands.
    if (lentReaders_ > 0)
        return false;
    return connection_ && connection_->dead();
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
        if (end < 0) {
            // Up to the next character that may start a literal, a comment or a marker.
            end = i + 1;
            while (end < n) {
                const char16_t d = s[end].unicode();
                if (d == u'\'' || d == u'"' || d == u'-' || d == u'/' || d == u':')
                    break;
                ++end;
            }
        }
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

Query::Query() = default;
Query::~Query() = default;

void Query::execSQL()
{
    prepareParams();
    close();
    rowsAffected_ = -1;
    odbc::Connection& c = connection();
    try {
        // A handle of a link since closed was freed with it.
        if (!execStatement_ || !execStatement_->isOn(c))
            execStatement_ = std::make_unique<odbc::Statement>(c);
        odbc::Statement& stmt = *execStatement_;
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
        stmt.closeCursor();
        stmt.clearParameters();
    } catch (const odbc::Error& e) {
        // A handle that failed is not trusted with the next statement.
        execStatement_.reset();
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

} // namespace platform::engine
