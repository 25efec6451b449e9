#include "workspace/tablepage/ExactReals.h"

#include "platform/engine/Engine.h"

#include <QRegularExpression>

using namespace platform::engine;

namespace {

const QString kPrintf = QStringLiteral("printf('%!.20e', ");

} // namespace

bool ReadsRealsAsPrintedText(const QString& DbmsName)
{
    return DbmsName.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0;
}

QString PrintedRealExpression(const QString& Name)
{
    // Only a REAL goes through printf, which makes 0.0 of NULL and of any text.
    return QStringLiteral("CASE WHEN typeof(") + Name + QStringLiteral(")='real' THEN ") + kPrintf + Name
           + QStringLiteral(") ELSE ") + Name + QStringLiteral(" END");
}

QString PrintedRealColumn(const QString& Name)
{
    return PrintedRealExpression(Name) + QStringLiteral(" AS ") + Name;
}

bool IsPrintedReal(const Field& Field)
{
    // The expression comes as text; a REAL column fetched bare would be a float field.
    if (Field.isNull() || Field.dataType() != ftString)
        return false;
    static const QRegularExpression printed(QStringLiteral("^-?[0-9]\\.[0-9]+e[+-][0-9]+$"));
    return printed.match(Field.storedText()).hasMatch();
}

QString PrintedRealTerm(const QString& Name, const QString& Printed)
{
    // A text or blob in the column would print as 0.0 too: only a REAL may match.
    return QStringLiteral("(typeof(") + Name + QStringLiteral(")='real' AND ") + kPrintf + Name
           + QStringLiteral(")='") + Printed + QStringLiteral("')");
}
