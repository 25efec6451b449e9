#include "platform/engine/SqlDialect.h"

namespace platform::engine {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// Letters, digits, "_" and every character outside ASCII: what names and numbers are made of.
bool isWordChar(QChar c)
{
    return c.unicode() >= 0x80 || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')
           || c == u'_';
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

bool isWord(QStringView word, char16_t upper)
{
    return word.size() == 1 && (word[0] == QChar(upper) || word[0] == QChar(upper + (u'a' - u'A')));
}

SqlDialect g_current;

} // namespace

SqlProduct SqlProductOf(const QString& dbmsName)
{
    const QString name = dbmsName.trimmed();
    if (name.startsWith(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
        return SqlProduct::PostgreSQL;
    if (name.startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return SqlProduct::SQLite;
    if (name.startsWith(QLatin1String("MySQL"), Qt::CaseInsensitive)
        || name.startsWith(QLatin1String("MariaDB"), Qt::CaseInsensitive))
        return SqlProduct::MySQL;
    if (name.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
        return SqlProduct::SqlServer;
    return SqlProduct::Other;
}

SqlReading PostgreSqlReading(bool standardConformingStrings)
{
    SqlReading r;
    r.backslashInStrings = !standardConformingStrings;
    r.escapeStrings = true;
    r.prefixedStrings = true;
    r.continuedStrings = true;
    r.dollarQuotes = true;
    r.nestedComments = true;
    r.crEndsLineComments = true;
    return r;
}

namespace {

SqlReading sqliteReading()
{
    SqlReading r;
    r.bracketNames = true;
    r.backtickNames = true;
    return r;
}

SqlReading mysqlReading(bool noBackslashEscapes, bool ansiQuotes)
{
    SqlReading r;
    r.backslashInStrings = !noBackslashEscapes;
    r.doubleQuotedStrings = !ansiQuotes;
    r.backtickNames = true;
    r.hashComments = true;
    r.spacedDashComments = true;
    r.executableComments = true;
    return r;
}

SqlReading sqlServerReading(bool crEndsLineComments)
{
    SqlReading r;
    r.nestedComments = true;
    r.bracketNames = true;
    r.doubledBrackets = true;
    r.crEndsLineComments = crEndsLineComments;
    return r;
}

} // namespace

std::vector<SqlReading> PossibleReadings(const SqlDialect& dialect)
{
    switch (dialect.product) {
    case SqlProduct::SQLite:
        return {sqliteReading()};
    case SqlProduct::PostgreSQL:
        return {PostgreSqlReading(true), PostgreSqlReading(false)};
    case SqlProduct::MySQL:
        return {mysqlReading(dialect.noBackslashEscapes, dialect.ansiQuotes)};
    case SqlProduct::SqlServer:
        // Whether a lone CR ends its line comments is not known here: both are taken.
        return {sqlServerReading(false), sqlServerReading(true)};
    case SqlProduct::Other:
        break;
    }
    SqlReading standard;
    SqlReading standardCr;
    standardCr.crEndsLineComments = true;
    SqlReading backslash;
    backslash.backslashInStrings = true;
    return {standard,          standardCr,         backslash, PostgreSqlReading(true), PostgreSqlReading(false),
            sqliteReading(),   sqlServerReading(true), mysqlReading(false, false)};
}

bool ServerSettlesReading(const SqlDialect& dialect)
{
    return dialect.product == SqlProduct::PostgreSQL;
}

// ---- SqlLexer --------------------------------------------------------------------------------

bool SqlLexer::startsWith(qsizetype at, QStringView what) const
{
    return s_.size() - at >= what.size() && s_.sliced(at, what.size()) == what;
}

bool SqlLexer::dashComment(qsizetype at) const
{
    if (!startsWith(at, u"--"))
        return false;
    // MySQL: "--" followed by a blank or a control character, or ending the text.
    return !r_.spacedDashComments || at + 2 >= s_.size() || s_[at + 2].unicode() <= 0x20;
}

qsizetype SqlLexer::lineEnd(qsizetype at) const
{
    while (at < s_.size() && s_[at] != u'\n' && !(r_.crEndsLineComments && s_[at] == u'\r'))
        ++at;
    return at;
}

qsizetype SqlLexer::blockCommentEnd(qsizetype at) const
{
    int depth = 0;
    while (at < s_.size()) {
        if (startsWith(at, u"/*") && (depth == 0 || r_.nestedComments)) {
            ++depth;
            at += 2;
        } else if (startsWith(at, u"*/")) {
            at += 2;
            if (--depth == 0)
                return at;
        } else {
            ++at;
        }
    }
    return s_.size();
}

qsizetype SqlLexer::quotedEnd(qsizetype at, QChar close, bool backslash, bool doubled) const
{
    qsizetype j = at + 1;
    while (j < s_.size()) {
        const QChar c = s_[j];
        if (backslash && c == u'\\') {
            j += 2;
        } else if (c == close) {
            if (doubled && j + 1 < s_.size() && s_[j + 1] == close) {
                j += 2;
            } else {
                return j + 1;
            }
        } else {
            ++j;
        }
    }
    return s_.size();
}

// PostgreSQL: after a string part ending at `after`, blanks and "--" comments holding a line break,
// then a quote, continue the same constant. The position of that quote, or -1.
qsizetype SqlLexer::continuation(qsizetype after) const
{
    qsizetype j = after;
    const qsizetype n = s_.size();
    auto horizontal = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\f'; };
    auto newline = [](QChar c) { return c == u'\n' || c == u'\r'; };
    while (j < n) {
        if (horizontal(s_[j]))
            ++j;
        else if (startsWith(j, u"--"))
            j = lineEnd(j);
        else
            break;
    }
    if (j >= n || !newline(s_[j]))
        return -1;
    ++j;
    while (j < n) {
        if (horizontal(s_[j]) || newline(s_[j])) {
            ++j;
        } else if (startsWith(j, u"--")) {
            const qsizetype end = lineEnd(j);
            if (end >= n)
                return -1;
            j = end + 1;
        } else {
            break;
        }
    }
    return j < n && s_[j] == u'\'' ? j : -1;
}

// "$$" or "$tag$" at `at`: the position after it, or -1 when there is none ("$1", a parameter).
qsizetype SqlLexer::dollarDelimiterEnd(qsizetype at) const
{
    qsizetype j = at + 1;
    if (j < s_.size() && s_[j] != u'$') {
        if (!isWordChar(s_[j]) || isDigit(s_[j]))
            return -1;
        while (j < s_.size() && isWordChar(s_[j]))
            ++j;
    }
    return j < s_.size() && s_[j] == u'$' ? j + 1 : -1;
}

bool SqlLexer::next(SqlToken& token)
{
    const qsizetype n = s_.size();
    if (i_ >= n)
        return false;
    token = SqlToken{};
    token.begin = i_;
    const QChar c = s_[i_];

    // A string from its opening quote at `quote`, with each part it is continued with.
    auto literal = [&](qsizetype quote, QChar close, bool backslash) {
        // A string the text ends inside has no continuation: there is nothing after it.
        qsizetype end = quotedEnd(quote, close, backslash, true);
        while (r_.continuedStrings && close == u'\'') {
            const qsizetype next = continuation(end);
            if (next < 0)
                break;
            end = quotedEnd(next, close, backslash, true);
        }
        token.kind = SqlToken::Literal;
        i_ = end;
    };
    auto name = [&](QChar close, bool doubled) {
        token.kind = SqlToken::Name;
        i_ = quotedEnd(i_, close, false, doubled);
    };

    if (isBlank(c)) {
        while (i_ < n && isBlank(s_[i_]))
            ++i_;
        token.kind = SqlToken::Blank;
    } else if (inExecutableComment_ && startsWith(i_, u"*/")) {
        inExecutableComment_ = false;
        i_ += 2;
        token.kind = SqlToken::Symbol;
    } else if (dashComment(i_) || (r_.hashComments && c == u'#')) {
        i_ = lineEnd(i_);
        token.kind = SqlToken::Comment;
    } else if (r_.executableComments && (startsWith(i_, u"/*!") || startsWith(i_, u"/*M!"))) {
        // The text inside is read as statement text; a version number may follow the mark.
        i_ += s_[i_ + 2] == u'!' ? 3 : 4;
        while (i_ < n && isDigit(s_[i_]))
            ++i_;
        inExecutableComment_ = true;
        token.kind = SqlToken::Symbol;
    } else if (startsWith(i_, u"/*")) {
        i_ = blockCommentEnd(i_);
        token.kind = SqlToken::Comment;
    } else if (c == u'\'') {
        literal(i_, u'\'', r_.backslashInStrings);
    } else if (c == u'"') {
        if (r_.doubleQuotedStrings)
            literal(i_, u'"', r_.backslashInStrings);
        else
            name(u'"', true);
    } else if (r_.backtickNames && c == u'`') {
        name(u'`', true);
    } else if (r_.bracketNames && c == u'[') {
        name(u']', r_.doubledBrackets);
    } else if (r_.dollarQuotes && c == u'$' && dollarDelimiterEnd(i_) > 0) {
        const qsizetype open = dollarDelimiterEnd(i_);
        const QStringView delimiter = s_.sliced(i_, open - i_);
        const qsizetype close = s_.indexOf(delimiter, open);
        token.kind = SqlToken::Literal;
        i_ = close < 0 ? n : close + delimiter.size();
    } else if (isWordChar(c)) {
        // A "$" continues a name (a$b), not a number (1$$x$$ is 1 and a dollar-quoted string).
        const bool number = isDigit(c);
        qsizetype j = i_;
        while (j < n && (isWordChar(s_[j]) || (!number && s_[j] == u'$')))
            ++j;
        const QStringView word = s_.sliced(i_, j - i_);
        if (j < n && s_[j] == u'\'' && r_.escapeStrings && isWord(word, u'E')) {
            literal(j, u'\'', true);
        } else if (j < n && s_[j] == u'\'' && r_.prefixedStrings && (isWord(word, u'B') || isWord(word, u'X'))) {
            literal(j, u'\'', false);
        } else if (r_.prefixedStrings && isWord(word, u'U') && startsWith(j, u"&'")) {
            literal(j + 1, u'\'', false);
        } else {
            token.kind = SqlToken::Word;
            i_ = j;
        }
    } else {
        ++i_;
        token.kind = SqlToken::Symbol;
    }
    token.end = i_;
    return true;
}

bool HoldsOneStatement(QStringView text, const SqlReading& reading)
{
    SqlLexer lexer(text, reading);
    SqlToken token;
    bool ended = false;    // a statement with content was closed by ";"
    bool content = false;  // the statement being read has content
    while (lexer.next(token)) {
        if (token.kind == SqlToken::Blank || token.kind == SqlToken::Comment)
            continue;
        if (token.kind == SqlToken::Symbol && text[token.begin] == u';') {
            if (content)
                ended = true;
            content = false;
            continue;
        }
        if (ended)
            return false;
        content = true;
    }
    return true;
}

// ---- Literals --------------------------------------------------------------------------------

QString SqlStringLiteral(const QString& value, const SqlDialect& dialect)
{
    QString v = value;
    const bool backslash = v.contains(u'\\');
    if (backslash && (dialect.product == SqlProduct::PostgreSQL
                      || (dialect.product == SqlProduct::MySQL && !dialect.noBackslashEscapes)))
        v.replace(u'\\', QStringLiteral("\\\\"));
    v.replace(u'\'', QStringLiteral("''"));
    const bool escaped = backslash && dialect.product == SqlProduct::PostgreSQL;
    return (escaped ? QStringLiteral("E'") : QStringLiteral("'")) + v + u'\'';
}

const SqlDialect& CurrentSqlDialect() { return g_current; }

void SetCurrentSqlDialect(const SqlDialect& dialect) { g_current = dialect; }

QString SqlStringLiteral(const QString& value) { return SqlStringLiteral(value, CurrentSqlDialect()); }

} // namespace platform::engine
