#include "components/CopyrightInfo.h"

#include <iterator>

namespace {

// First year of each of the maker's products, by lower-case title.
struct ProductYear {
    const char* title;
    int firstYear;
};

constexpr ProductYear productYears[] = {
    {"quorvel", 1996},
    {"quorvel report writer", 1998},
    {"brightvale data pump", 2001},
};

} // namespace

QString CopyrightYears(const QString& ProductTitle, const QDate& today)
{
    const QString current = QStringLiteral("%1").arg(today.year(), 4, 10, QLatin1Char('0'));
    const QString key = ProductTitle.toLower();
    for (const ProductYear& p : productYears) {
        if (key == QLatin1String(p.title))
            return QString::number(p.firstYear) + QLatin1Char('-') + current;
    }
    return current;
}

QString CompanyAddressLine()
{
    return QStringLiteral("410 Cedar Park Drive");
}

QString CompanyCityStateZipLine()
{
    return QStringLiteral("Boulder, CO 80301");
}

QString CopyrightLine(const QString& copyright)
{
    return copyright.isEmpty() ? QString() : QStringLiteral("Copyright © ") + copyright;
}

QString VersionLine(const QString& version, const QString& buildNumber)
{
    QString line = version.isEmpty() ? QString() : QStringLiteral("Version ") + version + u' ';
    if (!buildNumber.isEmpty())
        line += QStringLiteral("(Build") + buildNumber + u')';
    return line;
}
