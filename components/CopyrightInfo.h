#pragma once
#include <QDate>
#include <QString>

// "first-current" for a product of the maker's table, else the current year alone.
QString CopyrightYears(const QString& ProductTitle, const QDate& today = QDate::currentDate());
QString CompanyAddressLine();
QString CompanyCityStateZipLine();

// The lines the about box and the splash screen show: empty for an empty value.
QString CopyrightLine(const QString& copyright);            // "Copyright © " + value
QString VersionLine(const QString& version, const QString& buildNumber = {});  // "Version " + v + " "
