#include "platform/Dates.h"

#include <gtest/gtest.h>

using namespace qb::dates;

TEST(Dates, DayNumbersCountFromTheLastDaysOf1899)
{
    EXPECT_EQ(dayNumber(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(dayNumber(QDate(2026, 12, 8)), 46364);
    EXPECT_EQ(dateOfDayNumber(46364), QDate(2026, 12, 8));
}

TEST(Dates, ClassicFormatLetters)
{
    QDate d(2026, 3, 7);
    EXPECT_EQ(formatDate(d, QStringLiteral("yy-mm-dd"), QLatin1Char('/')),
              QStringLiteral("26-03-07"));
    EXPECT_EQ(formatDate(d, QStringLiteral("d/m/yyyy"), QLatin1Char('.')),
              QStringLiteral("7.3.2026"));
    EXPECT_EQ(formatDate(d, QStringLiteral("dd'th' yyyy"), QLatin1Char('/')),
              QStringLiteral("07th 2026"));
}
