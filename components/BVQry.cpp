#include "components/BVQry.h"

#include "components/BVValid.h"

#include <QStringList>

namespace {

constexpr int ftString = 1;
constexpr int ftDate = 9;
constexpr int ftDateTime = 11;
constexpr int ftBlob = 15;
constexpr int ftMemo = 16;
constexpr int ftGraphic = 17;

QString doubled(QString s) {
    return s.replace(u'\'', QStringLiteral("''"));
}

// A value in the literal form of its type: between quotes (inner quotes doubled) or bare.
QString literal(const QString& value, const QString& quote) {
    if (quote.isEmpty())
        return value;
    return quote + doubled(value) + quote;
}

QString alternatives(const QString& text, const QString& field, const QString& quote) {
    QStringList pieces = text.split(u'|');
    // What follows the last "|" counts only when it is not empty.
    if (pieces.last().isEmpty())
        pieces.removeLast();
    QStringList terms;
    for (const QString& piece : pieces)
        terms << field + u'=' + literal(piece, quote);
    return terms.join(QStringLiteral(" OR "));
}

// The items of a bracket list, each in its literal form; empty when the brackets hold nothing.
QStringList listItems(const QString& inside, const QString& quote) {
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
        items << literal(piece, quote);
    return items;
}

} // namespace

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

    if (FieldType == ftMemo) {
        if (T.startsWith(u'!')) {
            QString rest = T.mid(1);
            rest.replace(u'*', u'%');
            return F + QStringLiteral(" NOT LIKE '") + doubled(rest) + u'\'';
        }
        QString pattern = T;
        pattern.replace(u'*', u'%');
        return F + QStringLiteral(" LIKE '") + doubled(pattern) + u'\'';
    }

    const QString Q = QuoteForType(FieldType);
    const bool text = FieldType == ftString;

    // Wildcards come before every other form; "?" is translated only when no "*" occurs.
    if (T.contains(u'*') || T.contains(u'?')) {
        QString pattern = T;
        if (T.contains(u'*'))
            pattern.replace(u'*', u'%');
        else
            pattern.replace(u'?', u'_');
        if (text)
            return F + QStringLiteral(" LIKE '") + doubled(pattern) + u'\'';
        return F + QStringLiteral(" = ") + pattern;
    }

    if (T.startsWith(QStringLiteral(">=")))
        return F + QStringLiteral(" >= ") + literal(T.mid(2), Q);
    if (T.startsWith(QStringLiteral("<=")))
        return F + QStringLiteral(" <= ") + literal(T.mid(2), Q);
    if (T.startsWith(u'>'))
        return F + QStringLiteral(" > ") + literal(T.mid(1), Q);
    // "<>" is no operator here: a "<" comparison with a value beginning with ">".
    if (T.startsWith(u'<'))
        return F + QStringLiteral(" < ") + literal(T.mid(1), Q);

    if (T.startsWith(u'!')) {
        const QString R = T.mid(1);
        if (R.contains(u'|'))
            return QStringLiteral("NOT(") + alternatives(R, F, Q) + u')';
        if (R.startsWith(u'[') && T.endsWith(u']')) {
            const QStringList items = listItems(T.mid(2, T.size() - 3), Q);
            if (items.isEmpty())
                return T;
            return F + QStringLiteral(" NOT IN (") + items.join(u',') + u')';
        }
        // A negated range compares unequal to the whole rest, colon included.
        return F + QStringLiteral(" <> ") + literal(R, Q);
    }

    if (T.contains(u'|'))
        return u'(' + alternatives(T, F, Q) + u')';

    if (T.size() >= 2 && T.startsWith(u'[') && T.endsWith(u']')) {
        const QStringList items = listItems(T.mid(1, T.size() - 2), Q);
        if (items.isEmpty())
            return T;
        return F + QStringLiteral(" IN (") + items.join(u',') + u')';
    }

    const qsizetype p = T.indexOf(u':');
    if (p >= 0)
        return F + QStringLiteral(" BETWEEN ") + literal(T.left(p), Q) + QStringLiteral(" AND ")
             + literal(T.mid(p + 1), Q);

    if (text)
        return F + QStringLiteral(" = '") + doubled(T) + u'\'';
    return F + QStringLiteral(" = ") + T;
}
