// SPDX-License-Identifier: GPL-3.0-or-later
// Calendar arithmetic, the name tables and where each cell's record lies in the grid.
#include "model/calendar.h"

#include <gtest/gtest.h>

#include "model/period.h"

namespace {

TEST(DayOfWeekTest, GivesTheIsoWeekday) {
    const struct {
        const char* name;
        int16_t year, month, day;
        int16_t weekday;
    } cases[] = {
        {"Monday 1 January 2024", 2024, 1, 1, 1},
        {"Sunday 1 October 2023", 2023, 10, 1, 7},
        {"leap day 2000", 2000, 2, 29, 2},
        {"New Year's Eve 2025", 2025, 12, 31, 3},
        {"Friday 15 March 2024", 2024, 3, 15, 5},
        {"the day after April is 1 May", 2023, 4, 31, 1},
        {"the day after February is 1 March", 2025, 2, 29, 6},
        {"February counts in the previous year", 2024, 2, 1, 4},
        {"a century that is not leap", 1900, 3, 1, 4},
        {"far future", 9999, 12, 31, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DayOfWeek(c.year, c.month, c.day), c.weekday);
    }
}

TEST(DayOfWeekTest, AgreesWithCountingDaysOverFourCenturies) {
    int16_t weekday = DayOfWeek(1900, 1, 1);  // a Monday
    ASSERT_EQ(weekday, 1);
    for (int16_t year = 1900; year < 2300; ++year) {
        for (int16_t month = 1; month <= 12; ++month) {
            for (int16_t day = 1; day <= DaysInMonth(year, month); ++day) {
                ASSERT_EQ(DayOfWeek(year, month, day), weekday)
                    << year << "-" << month << "-" << day;
                weekday = weekday == 7 ? 1 : weekday + 1;
            }
        }
    }
}

TEST(MonthLengthTest, FebruaryFollowsTheGregorianRuleOfItsYear) {
    const struct {
        int16_t year;
        int16_t length;
    } cases[] = {{1900, 28}, {2000, 29}, {2024, 29}, {2023, 28}, {2100, 28}, {2400, 29}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.year);
        EXPECT_EQ(FebruaryLength(c.year), c.length);
        EXPECT_EQ(DaysInMonth(c.year, 2), c.length);
    }
}

TEST(MonthLengthTest, OtherMonthsHaveFixedLengthsAndUnknownMonthsNone) {
    const int16_t lengths[] = {0, 31, 0, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31, 0};
    for (int16_t month = 0; month <= 13; ++month) {
        if (month == 2) continue;
        SCOPED_TRACE(month);
        EXPECT_EQ(DaysInMonth(2023, month), lengths[month]);
        EXPECT_EQ(DaysInMonth(2024, month), lengths[month]);
    }
    EXPECT_EQ(DaysInMonth(2024, -1), 0);
}

TEST(NamesTest, SpanishNamesWithTheirAccentsAndNoneOutsideTheTables) {
    const char* days[] = {"Lunes", "Martes", "Miércoles", "Jueves", "Viernes", "Sábado", "Domingo"};
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(DayName(i), days[i - 1]);
    EXPECT_EQ(MonthName(1), "Enero");
    EXPECT_EQ(MonthName(9), "Septiembre");
    EXPECT_EQ(MonthName(12), "Diciembre");
    for (int month : {0, 13, -32768}) EXPECT_EQ(MonthName(month), "") << month;
    for (int weekday : {0, 8, -1}) EXPECT_EQ(DayName(weekday), "") << weekday;
}

TEST(DayGridTest, CellsLieColumnFastest) {
    const struct {
        GridPlace place;
        int index;
    } cases[] = {{{1, 1}, 0}, {{7, 1}, 6}, {{1, 2}, 7}, {{7, 6}, 41}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.place.column << "," << c.place.row);
        EXPECT_EQ(CellIndex(c.place), c.index);
    }
}

}  // namespace
