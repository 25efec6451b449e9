#include "components/CopyrightInfo.h"

#include <gtest/gtest.h>

namespace {

struct YearsCase {
    const char* title;
    QDate today;
    const char* expected;
};

TEST(CopyrightYears, ProductTableAndCurrentYear)
{
    const YearsCase cases[] = {
        {"quorvel", QDate(2026, 12, 10), "1996-2026"},
        {"Quorvel", QDate(2031, 1, 1), "1996-2031"},              // the title is compared lower-cased
        {"QUORVEL REPORT WRITER", QDate(2026, 6, 30), "1998-2026"},
        {"Some Other Program", QDate(2026, 12, 10), "2026"},       // not in the table: this year alone
        {"", QDate(2026, 12, 10), "2026"},
        {" quorvel", QDate(2026, 12, 10), "2026"},                 // no trimming: a different title
        {"quorvel", QDate(1996, 3, 1), "1996-1996"},
    };
    for (const YearsCase& c : cases)
        EXPECT_EQ(CopyrightYears(QString::fromUtf8(c.title), c.today), QString::fromUtf8(c.expected)) << c.title;
}

TEST(CopyrightYears, DefaultsToTodaysDate)
{
    EXPECT_EQ(CopyrightYears(QStringLiteral("quorvel")),
              QStringLiteral("1996-") + QString::number(QDate::currentDate().year()));
}

} // namespace
