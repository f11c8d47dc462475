// Calendar arithmetic, the name tables and the day record's layout on disk.
#include <gtest/gtest.h>

#include <cstring>

#include "model/model.h"

namespace {

struct WeekdayCase {
    const char* name;
    int16_t year, month, day;
    int16_t weekday;
};

class DayOfWeekTest : public testing::TestWithParam<WeekdayCase> {};

TEST_P(DayOfWeekTest, GivesTheIsoWeekdayAndLeavesTheArgumentsAlone) {
    const WeekdayCase& c = GetParam();
    int16_t year = c.year, month = c.month, day = c.day;
    EXPECT_EQ(DayOfWeek(year, month, day), c.weekday);
    EXPECT_EQ(year, c.year);
    EXPECT_EQ(month, c.month);
    EXPECT_EQ(day, c.day);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, DayOfWeekTest,
    testing::Values(WeekdayCase{"MondayFirstOfJanuary2024", 2024, 1, 1, 1},
                    WeekdayCase{"SundayFirstOfOctober2023", 2023, 10, 1, 7},
                    WeekdayCase{"LeapDay2000", 2000, 2, 29, 2},
                    WeekdayCase{"NewYearsEve2025", 2025, 12, 31, 3},
                    WeekdayCase{"FridayFifteenthOfMarch2024", 2024, 3, 15, 5},
                    WeekdayCase{"DayAfterAprilIsFirstOfMay", 2023, 4, 31, 1},
                    WeekdayCase{"DayAfterFebruaryIsFirstOfMarch", 2025, 2, 29, 6},
                    WeekdayCase{"FebruaryCountsInThePreviousYear", 2024, 2, 1, 4},
                    WeekdayCase{"CenturyNotLeap", 1900, 3, 1, 4},
                    WeekdayCase{"FarFuture", 9999, 12, 31, 5}),
    [](const testing::TestParamInfo<WeekdayCase>& info) { return info.param.name; });

TEST(DayOfWeekTest, AgreesWithCountingDaysOverFourCenturies) {
    int16_t weekday = DayOfWeek(1900, 1, 1);  // a Monday
    ASSERT_EQ(weekday, 1);
    for (int16_t year = 1900; year < 2300; ++year) {
        period.startYear = year;
        for (int16_t month = 1; month <= 12; ++month) {
            for (int16_t day = 1; day <= DaysInMonth(month); ++day) {
                ASSERT_EQ(DayOfWeek(year, month, day), weekday)
                    << year << "-" << month << "-" << day;
                weekday = weekday == 7 ? 1 : weekday + 1;
            }
        }
    }
}

TEST(MonthLengthTest, FebruaryFollowsTheGregorianRuleOfTheStartYear) {
    const struct {
        int16_t year;
        int16_t length;
    } cases[] = {{1900, 28}, {2000, 29}, {2024, 29}, {2023, 28}, {2100, 28}, {2400, 29}};
    for (const auto& c : cases) {
        EXPECT_EQ(FebruaryLength(c.year), c.length) << c.year;
        period.startYear = c.year;
        EXPECT_EQ(DaysInMonth(2), c.length) << c.year;
    }
}

TEST(MonthLengthTest, OtherMonthsHaveFixedLengthsAndUnknownMonthsNone) {
    const int16_t lengths[] = {0, 31, 0, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31, 0};
    for (int16_t month = 0; month <= 13; ++month) {
        if (month == 2) continue;
        EXPECT_EQ(DaysInMonth(month), lengths[month]) << month;
    }
    EXPECT_EQ(DaysInMonth(-1), 0);
}

TEST(NamesTest, SpanishNamesWithTheirAccents) {
    InitCalendarNames();
    const char* days[] = {"Lunes",
                          "Martes",
                          "Mi\xE9rcoles",
                          "Jueves",
                          "Viernes",
                          "S\xE1"
                          "bado",
                          "Domingo"};
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(calendarNames.dayNames[i], days[i - 1]);
    EXPECT_EQ(calendarNames.monthNames[1], "Enero");
    EXPECT_EQ(calendarNames.monthNames[9], "Septiembre");
    EXPECT_EQ(calendarNames.monthNames[12], "Diciembre");
    EXPECT_EQ(MonthName(0), "");
    EXPECT_EQ(MonthName(13), "");
    EXPECT_EQ(MonthName(-32768), "");
}

TEST(DayGridTest, RecordOfColumnAndRowLiesColumnFastestAndANewGridIsAllZero) {
    EXPECT_EQ(&DayAt(1, 1), &period.dayGrid[0]);
    EXPECT_EQ(&DayAt(7, 1), &period.dayGrid[6]);
    EXPECT_EQ(&DayAt(1, 2), &period.dayGrid[7]);
    EXPECT_EQ(&DayAt(7, 6), &period.dayGrid[41]);
    std::memset(period.dayGrid, 0xAB, sizeof period.dayGrid);
    CreateDayGrid();
    const auto* bytes = reinterpret_cast<const unsigned char*>(period.dayGrid);
    for (size_t i = 0; i < sizeof period.dayGrid; ++i) ASSERT_EQ(bytes[i], 0) << i;
    EXPECT_EQ(sizeof period.dayGrid, 42u * 77u);
}

}  // namespace
