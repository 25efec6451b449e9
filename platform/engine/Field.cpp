// A fetched value: its kinds, and its text as the program shows it.
#include "platform/engine/Engine.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform::engine {

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

// "MM/dd/yyyy" or "yyyy-MM-dd", and with the time " hh:mm:ss", written digit by digit:
// formatting through the locale costs more than fetching the value. Years 1 to 9999.
void appendClockText(QString& out, const ClockParts& p, bool withTime, ClockOrder order = ClockOrder::Shown)
{
    char16_t buf[19];
    auto two = [&](int at, int v) {
        buf[at] = char16_t(u'0' + v / 10 % 10);
        buf[at + 1] = char16_t(u'0' + v % 10);
    };
    if (order == ClockOrder::Shown) {
        two(0, p.month);
        buf[2] = u'/';
        two(3, p.day);
        buf[5] = u'/';
        two(6, p.year / 100);
        two(8, p.year % 100);
    } else {
        two(0, p.year / 100);
        two(2, p.year % 100);
        buf[4] = u'-';
        two(5, p.month);
        buf[7] = u'-';
        two(8, p.day);
    }
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

QString ClockText(QDate date, const QTime* time, ClockOrder order)
{
    if (!date.isValid() || date.year() < 1 || date.year() > 9999) {
        const QString format = order == ClockOrder::Shown ? QStringLiteral("MM/dd/yyyy") : QStringLiteral("yyyy-MM-dd");
        return time ? QDateTime(date, *time, Qt::UTC).toString(format + QStringLiteral(" hh:mm:ss")) : date.toString(format);
    }
    ClockParts parts{date.year(), date.month(), date.day()};
    if (time) {
        parts.hour = time->hour();
        parts.minute = time->minute();
        parts.second = time->second();
    }
    QString text;
    appendClockText(text, parts, time != nullptr, order);
    return text;
}

QString FloatText(double v)
{
    char buf[64];
    return QString::fromLatin1(buf, floatChars(v, buf));
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
    // A text is shared as it is; every other kind is written as the listing writes it.
    if (!isNull_ && kind_ == ValueKind::Text)
        return text_;
    QString text;
    appendText(text);
    return text;
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
        // A DECIMAL's digits round as a double's would.
        const double d = type_ == ftFloat ? text_.trimmed().toDouble(&ok) : 0;
        if (ok && std::fabs(d) < 9.2e18)
            return std::llround(d);
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

} // namespace platform::engine
