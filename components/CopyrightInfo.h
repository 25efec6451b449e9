#pragma once
#include <QDate>
#include <QString>

// "first-current" for a product of the maker's table, else the current year alone.
QString CopyrightYears(const QString& ProductTitle, const QDate& today = QDate::currentDate());
QString CompanyAddressLine();
QString CompanyCityStateZipLine();
