// SPDX-License-Identifier: GPL-3.0-or-later
// The pay period: where each day lands from the start date, what every record keeps of the
// layout, what a new period forgets, what a stored one keeps, and which days the sums count.
#include "model/period.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(PeriodLayoutTest, DaysFollowOneAnotherFromTheStartDaysWeekday) {
    const struct {
        const char* name;
        Date start;
        int laidOutStartDay;
        GridPlace first, last;
        int lastDay;
        int days;
    } cases[] = {
        {"1 January 2024", {2024, 1, 1}, 1, {1, 1}, {3, 5}, 31, 31},
        {"15 March 2024", {2024, 3, 15}, 15, {5, 1}, {7, 5}, 14, 31},
        {"31 March lowered to the 30th", {2024, 3, 31}, 30, {6, 1}, {1, 6}, 29, 31},
        {"31 December 2024", {2024, 12, 31}, 31, {2, 1}, {4, 5}, 30, 31},
        {"28 days from a Monday", {2021, 2, 1}, 1, {1, 1}, {7, 4}, 28, 28},
        {"31 days from a Sunday use six rows", {2023, 10, 1}, 1, {7, 1}, {2, 6}, 31, 31},
        {"leap February from 29 January", {2024, 1, 31}, 29, {1, 1}, {3, 5}, 28, 31},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Period period;
        period.Begin(c.start);
        EXPECT_EQ(period.Start(), (Date{c.start.year, c.start.month, c.laidOutStartDay}));

        std::vector<int> order;  // cells of the period in reading order
        for (int i = 0; i < GRID_CELLS; ++i)
            if (period.Records()[i].inPeriod) order.push_back(i);
        ASSERT_EQ(static_cast<int>(order.size()), c.days);
        EXPECT_EQ(order.front(), CellIndex(c.first));
        EXPECT_EQ(order.back(), CellIndex(c.last));
        EXPECT_EQ(order.back() - order.front() + 1, c.days) << "no gaps between days";
        EXPECT_EQ(+period.Day(c.first).dayOfMonth, c.laidOutStartDay);
        EXPECT_EQ(+period.Day(c.last).dayOfMonth, c.lastDay);
        EXPECT_EQ(period.PlaceOfDay(c.laidOutStartDay), c.first);
        EXPECT_EQ(period.PlaceOfDay(c.lastDay), c.last);
        EXPECT_TRUE(period.TakesExpenses({3, 3})) << "the record the period is restored from";

        for (int row = 1; row <= GRID_ROWS; ++row) {
            for (int column = 1; column <= GRID_COLUMNS; ++column) {
                SCOPED_TRACE(testing::Message() << "cell " << column << "," << row);
                const DayRecord& rec = period.Day({column, row});
                const Rect box = CellGeometry(column, row);
                EXPECT_EQ(+rec.column, column);
                EXPECT_EQ(+rec.row, row);
                EXPECT_EQ(+rec.cellLeft, box.left);
                EXPECT_EQ(+rec.cellTop, box.top);
                EXPECT_EQ(+rec.cellRight, box.right);
                EXPECT_EQ(+rec.cellBottom, box.bottom);
                EXPECT_EQ(+rec.periodStartDay, c.laidOutStartDay);
                EXPECT_EQ(+rec.periodMonth, c.start.month);
                EXPECT_EQ(+rec.periodYear, c.start.year);
                EXPECT_EQ(period.Shows({column, row}), rec.inPeriod == 1);
                if (rec.inPeriod) {
                    EXPECT_EQ(+rec.weekday, column);
                }
            }
        }
    }
}

TEST(PeriodLayoutTest, MarchFifteenthLandsOnItsWeekdaysAndAprilFollows) {
    Period period;
    period.Begin({2024, 3, 15});
    EXPECT_EQ(+period.Day({7, 3}).dayOfMonth, 31);
    EXPECT_EQ(+period.Day({1, 4}).dayOfMonth, 1);
    EXPECT_EQ(period.PlaceOfDay(1), (GridPlace{1, 4}));
    EXPECT_EQ(period.PlaceOfDay(15), (GridPlace{5, 1})) << "the 15th of April is not shown";
    for (int column = 1; column <= 7; ++column) EXPECT_FALSE(period.Shows({column, 6}));
}

// A fresh period holds nothing; beginning one anew forgets every amount and mark of the old one.
TEST(PeriodLayoutTest, BeginningAnewGivesTheRecordsOfAFreshPeriod) {
    const Period empty;
    const auto* bytes = reinterpret_cast<const unsigned char*>(empty.Records().data());
    for (size_t i = 0; i < sizeof(DayRecords); ++i) ASSERT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_FALSE(empty.PlaceOfDay(0).has_value()) << "an empty cell is no day";

    Period reused;
    reused.Begin({2023, 10, 1});  // six rows: (2, 6) is a day of it
    reused.SpreadTotal(3100);
    reused.AddExpense({1, 2}, 12.5);
    reused.Begin({2024, 4, 1});
    Period fresh;
    fresh.Begin({2024, 4, 1});
    EXPECT_EQ(std::memcmp(reused.Records().data(), fresh.Records().data(), sizeof(DayRecords)), 0);
    EXPECT_FALSE(reused.TakesExpenses({2, 6}));
}

// A stored period keeps its amounts and is laid out again from the start kept in cell (3, 3); a
// start that is no date leaves the period as it was.
TEST(PeriodRestoreTest, TakesTheStoredCellsOnlyWithARealStartDate) {
    Period stored;
    stored.Begin({2024, 3, 15});
    stored.SpreadTotal(3100);
    stored.AddExpense({5, 1}, 12.5);

    Period restored;
    ASSERT_TRUE(restored.Restore(stored.Records()));
    EXPECT_EQ(restored.Start(), (Date{2024, 3, 15}));
    EXPECT_EQ(std::memcmp(restored.Records().data(), stored.Records().data(), sizeof(DayRecords)),
              0);
    EXPECT_EQ(restored.PlaceOfDay(14), (GridPlace{7, 5}));

    const struct {
        const char* name;
        int startDay, month, year;
    } damaged[] = {{"month 0", 15, 0, 2024}, {"month 13", 15, 13, 2024},
                   {"day 0", 0, 3, 2024},    {"day 32", 32, 3, 2024},
                   {"year 0", 15, 3, 0},     {"year 10000", 15, 3, 10000}};
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.name);
        DayRecords records = stored.Records();
        DayRecord& anchor = records[CellIndex({3, 3})];
        anchor.periodStartDay = c.startDay;
        anchor.periodMonth = c.month;
        anchor.periodYear = c.year;
        EXPECT_FALSE(restored.Restore(records));
        EXPECT_EQ(restored.Start(), (Date{2024, 3, 15}));
        EXPECT_EQ(double{restored.Day({5, 1}).spent}, 12.5);
    }
}

// Only the days marked as the period's own count in the sums; a damaged mark does not.
TEST(PeriodTotalsTest, SumOnlyTheDaysOfThePeriod) {
    Period period;
    period.Begin({2024, 1, 1});
    period.SpreadTotal(900);
    period.AddExpense({1, 1}, 300);
    DayRecords records = period.Records();
    records[CellIndex({7, 6})].inPeriod = 2;  // not a day of the period
    records[CellIndex({7, 6})].spent = 5000;
    ASSERT_TRUE(period.Restore(records));
    const PeriodTotals totals = period.Totals();
    EXPECT_EQ(totals.spent, 300);
    EXPECT_NEAR(totals.allowance, 900, 1e-9);  // 31 shares of 900 / 31
    EXPECT_NEAR(totals.balance, 600, 1e-9);
}

}  // namespace
