#include "components/BVQry.h"

#include "components/BVValid.h"
#include "platform/engine/SqlDialect.h"

#include <QStringList>

namespace {

constexpr int ftString = 1;
constexpr int ftSmallint = 2;
constexpr int ftInteger = 3;
constexpr int ftBoolean = 5;
constexpr int ftDate = 9;
constexpr int ftDateTime = 11;
constexpr int ftAutoInc = 14;
constexpr int ftBlob = 15;
constexpr int ftMemo = 16;
constexpr int ftGraphic = 17;

// A value between quotes, written as the connection's dialect reads it back unchanged: a quote
// doubled, and a backslash where the dialect would take it for an escape.
QString literal(const QString& s) {
    return platform::engine::SqlStringLiteral(s);
}

// An optional sign and ASCII digits, blanks around them allowed as the validators allow them.
bool isWholeNumber(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    if (b < e && (s[b] == u'+' || s[b] == u'-'))
        ++b;
    if (b == e)
        return false;
    for (qsizetype i = b; i < e; ++i)
        if (s[i] < u'0' || s[i] > u'9')
            return false;
    return true;
}

// The criterion as the message shows it: a NUL would end the text of the message window.
QString shown(QString criterion) {
    return criterion.replace(QChar(u'\0'), QStringLiteral("\\0"));
}

[[noreturn]] void refuse(const QString& criterion, const QString& field, const QString& why) {
    throw CriterionRefused::because(criterion, field, why);
}

// Writes each value of one criterion in the literal form of its column: between quotes (inner
// quotes doubled) for text, bare for numbers. A bare value is the one place where typed text
// could run on as SQL, so it is written only when it is a number.
class Values {
public:
    Values(const QString& criterion, const QString& field, int type)
        : criterion_(criterion), field_(field), type_(type), quote_(QuoteForType(type)) {}

    QString operator()(const QString& value) const {
        if (!quote_.isEmpty())
            return literal(value);
        const bool whole = type_ == ftSmallint || type_ == ftInteger || type_ == ftBoolean;
        if (whole ? isWholeNumber(value) : IsValidFloat(value))
            return value;
        if (type_ == ftAutoInc)
            return literal(value);
        const QString kind = whole ? QStringLiteral(" is not a whole number.") : QStringLiteral(" is not a number.");
        if (value.trimmed().isEmpty())
            refuse(criterion_, field_, QStringLiteral("a number is missing in it."));
        refuse(criterion_, field_, (value == criterion_ ? QStringLiteral("it") : u'"' + value + u'"') + kind);
    }

private:
    const QString& criterion_;
    const QString& field_;
    int type_;
    QString quote_;
};

QString alternatives(const QString& text, const QString& field, const Values& value) {
    QStringList pieces = text.split(u'|');
    // What follows the last "|" counts only when it is not empty.
    if (pieces.last().isEmpty())
        pieces.removeLast();
    QStringList terms;
    for (const QString& piece : pieces)
        terms << field + u'=' + value(piece);
    return terms.join(QStringLiteral(" OR "));
}

// The items of a bracket list, each in its literal form; empty when the brackets hold nothing.
QStringList listItems(const QString& inside, const Values& value) {
    qsizetype b = 0, e = inside.size();
    while (b < e && inside[b].unicode() <= 32)
        ++b;
    while (e > b && inside[e - 1].unicode() <= 32)
        --e;
    QString text = inside.mid(b, e - b);
    if (text.isEmpty())
        return {};
    if (!text.endsWith(u','))
        text += u',';
    QStringList pieces = text.split(u',');
    pieces.removeLast();  // the empty text after the final ","
    QStringList items;
    for (const QString& piece : pieces)
        items << value(piece);
    return items;
}

} // namespace

CriterionRefused::CriterionRefused(const QString& message) : std::runtime_error(message.toStdString()) {}

CriterionRefused CriterionRefused::because(const QString& criterion, const QString& field, const QString& why) {
    return CriterionRefused(QStringLiteral("The criterion \"") + shown(criterion) + QStringLiteral("\" typed into ")
                            + field + QStringLiteral(" cannot be run: ") + why
                            + QStringLiteral("\r\n\r\nNothing was sent to the database."));
}

QString QuoteForType(int FieldType) {
    return (FieldType == ftString || FieldType == ftDate) ? QStringLiteral("'") : QString();
}

QString CriterionToSql(const QString& Criterion, const QString& FieldName, int FieldType) {
    const QString& T = Criterion;
    const QString& F = FieldName;

    // No condition form for these: the caller builds date-and-time terms itself, and pictures
    // take no part in a query.
    if (FieldType == ftDateTime || FieldType == ftBlob || FieldType == ftGraphic)
        return {};
    if (FieldType == ftDate) {
        const auto date = StrToDate(T);
        if (!date)
            return {};
        return F + QStringLiteral(" = {d '") + date->toString(QStringLiteral("yyyy-MM-dd"))
             + QStringLiteral("'}");
    }
    if (T.isEmpty())
        return {};
    // The drivers end the statement at a NUL: the rest of it would be lost unseen.
    if (T.contains(QChar(u'\0')))
        refuse(T, F, QStringLiteral("it holds a NUL character."));

    if (FieldType == ftMemo) {
        if (T.startsWith(u'!')) {
            QString rest = T.mid(1);
            rest.replace(u'*', u'%');
            return F + QStringLiteral(" NOT LIKE ") + literal(rest);
        }
        QString pattern = T;
        pattern.replace(u'*', u'%');
        return F + QStringLiteral(" LIKE ") + literal(pattern);
    }

    const Values value(T, F, FieldType);
    const bool text = FieldType == ftString;

    // Wildcards come before every other form; "?" is translated only when no "*" occurs.
    if (T.contains(u'*') || T.contains(u'?')) {
        QString pattern = T;
        if (T.contains(u'*'))
            pattern.replace(u'*', u'%');
        else
            pattern.replace(u'?', u'_');
        if (text)
            return F + QStringLiteral(" LIKE ") + literal(pattern);
        return F + QStringLiteral(" = ") + value(pattern);
    }

    if (T.startsWith(QStringLiteral(">=")))
        return F + QStringLiteral(" >= ") + value(T.mid(2));
    if (T.startsWith(QStringLiteral("<=")))
        return F + QStringLiteral(" <= ") + value(T.mid(2));
    if (T.startsWith(u'>'))
        return F + QStringLiteral(" > ") + value(T.mid(1));
    // "<>" is no operator here: a "<" comparison with a value beginning with ">".
    if (T.startsWith(u'<'))
        return F + QStringLiteral(" < ") + value(T.mid(1));

    if (T.startsWith(u'!')) {
        const QString R = T.mid(1);
        if (R.contains(u'|'))
            return QStringLiteral("NOT(") + alternatives(R, F, value) + u')';
        if (R.startsWith(u'[') && T.endsWith(u']')) {
            const QStringList items = listItems(T.mid(2, T.size() - 3), value);
            if (items.isEmpty())
                return T;
            return F + QStringLiteral(" NOT IN (") + items.join(u',') + u')';
        }
        // A negated range compares unequal to the whole rest, colon included.
        return F + QStringLiteral(" <> ") + value(R);
    }

    if (T.contains(u'|'))
        return u'(' + alternatives(T, F, value) + u')';

    if (T.size() >= 2 && T.startsWith(u'[') && T.endsWith(u']')) {
        const QStringList items = listItems(T.mid(1, T.size() - 2), value);
        if (items.isEmpty())
            return T;
        return F + QStringLiteral(" IN (") + items.join(u',') + u')';
    }

    const qsizetype p = T.indexOf(u':');
    if (p >= 0)
        return F + QStringLiteral(" BETWEEN ") + value(T.left(p)) + QStringLiteral(" AND ") + value(T.mid(p + 1));

    return F + QStringLiteral(" = ") + value(T);
}
