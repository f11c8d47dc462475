// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar page: the header and cell texts made from a period, the cell geometry and its hit
// test, and the pixels of outlines, Sunday numbers, negative balances, spent lines and gauges.
#include "view/calendar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pixel_probe.h"
#include "view/page.h"
#include "view/statistics.h"

namespace {

class PageTest : public testing::Test {
protected:
    Fonts fonts;
    Page page{fonts};
    Period period;

    void Paint(bool statistics = false) {
        page.PaintCalendar(MakeCalendarTexts(period, statistics));
    }
    // How many pixels of `colour` the box x1..x2-1, y1..y2-1 of the page holds.
    int CountColour(int x1, int y1, int x2, int y2, Colour colour) const {
        int n = 0;
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x) n += page.Picture().Pixel(x, y) == colour;
        return n;
    }
    int InCell(int column, int row, int dx1, int dy1, int dx2, int dy2, Colour colour) const {
        const Rect box = CellGeometry(column, row);
        return CountColour(box.left + dx1, box.top + dy1, box.left + dx2, box.top + dy2, colour);
    }
};

// ---------------------------------------------------------------------------------------------
// Texts

TEST(CalendarTextsTest, HeaderNamesBothMonthsAndEveryDayHasItsNumber) {
    const struct {
        Date start;
        const char* header;
    } cases[] = {
        {{2024, 1, 1}, "Enero Febrero 2024"},  {{2024, 3, 15}, "Marzo Abril 2024"},
        {{2024, 3, 31}, "Marzo Abril 2024"},   {{2024, 12, 31}, "Diciembre Enero 2024"},
        {{2021, 2, 1}, "Febrero Marzo 2021"},  {{2023, 10, 1}, "Octubre Noviembre 2023"},
        {{2024, 1, 31}, "Enero Febrero 2024"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        Period period;
        period.Begin(c.start);
        const CalendarTexts texts = MakeCalendarTexts(period, false);
        EXPECT_EQ(texts.header, c.header);
        EXPECT_FALSE(texts.statistics);
        for (int i = 0; i < GRID_CELLS; ++i) {
            const GridPlace place{i % GRID_COLUMNS + 1, i / GRID_COLUMNS + 1};
            SCOPED_TRACE(testing::Message() << "cell " << place.column << "," << place.row);
            const CellTexts& cell = texts.cells[i];
            ASSERT_EQ(cell.inPeriod, period.Shows(place));
            if (!cell.inPeriod) continue;
            const int day = period.Day(place).dayOfMonth;
            const std::string number = {char('0' + day / 10), char('0' + day % 10)};
            EXPECT_EQ(cell.dayNumber, number);
            EXPECT_EQ(cell.dayColour, place.column == 7 ? COLOUR_RED : COLOUR_BLACK);
            EXPECT_EQ(cell.balance, "0'00 €");
            EXPECT_EQ(cell.balanceColour, COLOUR_BLACK);
            EXPECT_FALSE(cell.spentShown);
        }
    }
}

TEST_F(PageTest, DamagedStartMonthNeverNamesAMonthOutsideTheTable) {
    const struct {
        int month;
        const char* header;
    } cases[] = {{0, " Enero 2024"}, {13, "  2024"}, {-5, "  2024"}, {32767, "  2024"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.month);
        period.Begin({2024, c.month, 1});
        EXPECT_EQ(MakeCalendarTexts(period, false).header, c.header);
        int days = 0;
        for (const DayRecord& rec : period.Records()) days += rec.inPeriod;
        EXPECT_LE(days, 1);
        Paint(true);
    }
}

TEST_F(PageTest, PaintingTwiceGivesTheSamePicture) {
    period.Begin({2024, 3, 15});
    period.SpreadTotal(3100);
    period.AddExpense({5, 1}, 12.5);
    Paint(true);
    const Image first = [&] {
        Image copy(PAGE_WIDTH, PAGE_HEIGHT);
        copy.Copy(page.Picture(), {0, 0});
        return copy;
    }();
    Paint(true);
    for (int y = 0; y < PAGE_HEIGHT; ++y)
        for (int x = 0; x < PAGE_WIDTH; ++x)
            ASSERT_EQ(page.Picture().Pixel(x, y), first.Pixel(x, y)) << x << "," << y;
}

// ---------------------------------------------------------------------------------------------
// Geometry and hit test

TEST(CellGeometryTest, HitTestIsTheInverseOfTheCellBoxes) {
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const Rect box = CellGeometry(column, row);
            for (int y : {box.top, box.bottom - 1}) {
                for (int x : {box.left, box.right - 1}) {
                    SCOPED_TRACE(testing::Message() << x << "," << y);
                    const CellHit hit = HitTestCell(x, y);
                    EXPECT_TRUE(hit.onGrid);
                    EXPECT_EQ(hit.column, column);
                    EXPECT_EQ(hit.row, row);
                }
            }
            if (column > 1) {
                EXPECT_EQ(box.left, CellGeometry(column - 1, row).right + 1);
            }
            if (row > 1) {
                EXPECT_EQ(box.top, CellGeometry(column, row - 1).bottom + 1);
            }
        }
    }
}

TEST(CellGeometryTest, GapsAndTheSurroundingsHitNoCell) {
    const struct {
        int x, y;
    } cases[] = {{60, 69}, {60, 150},  {121, 100}, {241, 100},
                 {0, 100}, {841, 100}, {60, 550},  {65535, 65535}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_FALSE(HitTestCell(c.x, c.y).onGrid);
    }
}

// ---------------------------------------------------------------------------------------------
// Pixels

TEST_F(PageTest, CellsAreOutlinedWithOnePixelWhiteLinesBetweenThem) {
    period.Begin({2024, 1, 1});
    Paint();
    EXPECT_EQ(page.Picture().Width(), 841);
    EXPECT_EQ(page.Picture().Height(), 1122);
    ExpectPixels(page.Picture(), {
                                     {"first cell's corner", 1, 70, COLOUR_BLACK},
                                     {"first cell's last column", 120, 100, COLOUR_BLACK},
                                     {"gap between columns", 121, 100, COLOUR_WHITE},
                                     {"second column's edge", 122, 100, COLOUR_BLACK},
                                     {"first row's last line", 60, 149, COLOUR_BLACK},
                                     {"gap between rows", 60, 150, COLOUR_WHITE},
                                     {"second row's edge", 60, 151, COLOUR_BLACK},
                                     {"last column's right edge", 840, 100, COLOUR_BLACK},
                                     {"last row's bottom line", 60, 549, COLOUR_BLACK},
                                     {"below the grid", 60, 550, COLOUR_WHITE},
                                     {"left margin", 0, 100, COLOUR_WHITE},
                                     {"inside an empty cell", 300, 500, COLOUR_WHITE},
                                 });
}

TEST_F(PageTest, SundayNumbersAndNegativeBalancesAreRed) {
    period.Begin({2024, 1, 1});
    period.AddExpense({2, 2}, 0.01);  // 9 January: -0'01
    period.AddExpense({3, 2}, 0);     // 10 January: 0'00
    Paint();
    EXPECT_GT(InCell(7, 1, 4, 4, 30, 22, COLOUR_RED), 10) << "07 is a Sunday";
    EXPECT_EQ(InCell(6, 1, 4, 4, 30, 22, COLOUR_RED), 0) << "06 is a Saturday";
    EXPECT_GT(InCell(6, 1, 4, 4, 30, 22, COLOUR_BLACK), 10);
    EXPECT_GT(InCell(2, 2, 4, 60, 110, 79, COLOUR_RED), 10) << "-0'01 is below zero";
    EXPECT_EQ(InCell(3, 2, 4, 60, 110, 79, COLOUR_RED), 0);
    EXPECT_GT(InCell(3, 2, 4, 60, 110, 79, COLOUR_BLACK), 10);
}

TEST_F(PageTest, SpentLineIsDrawnOnlyOnceTheSpentTextHoldsSomething) {
    period.Begin({2024, 1, 1});
    period.AddExpense({4, 2}, 0);  // "0'00": recorded, though nothing was spent
    Paint();
    EXPECT_EQ(InCell(3, 2, 5, 35, 110, 55, COLOUR_BLACK), 0);
    EXPECT_GT(InCell(4, 2, 5, 35, 110, 55, COLOUR_BLACK), 10);
}

// Every weekday name fits its 120-pixel box in the page's bold face (a name wider than its box
// would be pushed down out of sight).
TEST_F(PageTest, EveryWeekdayNameShowsInItsBox) {
    period.Begin({2024, 1, 1});
    Paint();
    for (int weekday = 1; weekday <= 7; ++weekday) {
        SCOPED_TRACE(testing::Message() << "weekday " << weekday);
        const int left = WeekdayBoxLeft(weekday);
        EXPECT_GT(CountColour(left, WEEKDAY_TOP, left + WEEKDAY_BOX_WIDTH, 69, COLOUR_BLACK), 50);
    }
}

// ---------------------------------------------------------------------------------------------
// Statistics

TEST(GaugeTest, PercentagesRoundHalfToEvenAndStayInSixteenBits) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double value, total;
        int16_t percentage;
    } cases[] = {{300, 900, 33},  {600, 900, 67},    {1, 8, 12},        {3, 8, 38},
                 {5, 0, 0},       {0, 900, 0},       {1170, 900, 130},  {-270, 900, -30},
                 {900, 900, 100}, {1e9, 1, 32767},   {-1e9, 1, -32768}, {nan, 900, 0},
                 {inf, inf, 0},   {inf, 900, 32767}, {5, nan, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(GaugePercentage(c.value, c.total), c.percentage) << c.value << "/" << c.total;
}

TEST(GaugeTest, BarEndsAtPPlusFourAndFullBarsStopInsideTheFrame) {
    const struct {
        int16_t percentage;
        int right;
    } cases[] = {{33, 37}, {67, 71}, {1, 5}, {100, 104}, {130, 104}, {0, 5}, {-30, 5}};
    for (const auto& c : cases)
        EXPECT_EQ(GaugeBarRight(SPENT_GAUGE, c.percentage), c.right) << c.percentage;
}

// The bar of p per cent covers x 6 .. p + 3 inside the frame at x 5 and 104; below 3 % it has
// no pixel at all, and nothing is drawn outside the frame.
TEST(GaugeTest, BarsStayInsideTheirFrame) {
    constexpr Colour W = COLOUR_WHITE, K = COLOUR_BLACK, R = COLOUR_RED;
    const struct {
        int percentage;
        Colour x4, x5, x6, x7, x103, x104;
    } cases[] = {{0, W, K, W, W, W, K}, {1, W, K, W, W, W, K},   {2, W, K, W, W, W, K},
                 {3, W, K, R, W, W, K}, {100, W, K, R, R, R, K}, {130, W, K, R, R, R, K}};
    Fonts fonts;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percentage << " %");
        Image image(250, 45);
        DrawStatistics(image, SPENT_GAUGE, COLOUR_RED, c.percentage, 100, fonts);
        const Colour row[] = {c.x4, c.x5, c.x6, c.x7, c.x103, c.x104};
        const int xs[] = {4, 5, 6, 7, 103, 104};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(image.Pixel(xs[i], 3), row[i]) << "x " << xs[i];
    }
}

TEST_F(PageTest, GaugesShowSpentAndLeftOverTheHeader) {
    period.Begin({2024, 1, 1});
    period.SpreadTotal(900);
    period.AddExpense({1, 1}, 300);
    Paint(true);
    ExpectPixels(page.Picture(), {
                                     {"spent frame", 5, 2, COLOUR_BLACK},
                                     {"spent frame's far corner", 104, 17, COLOUR_BLACK},
                                     {"spent bar start", 6, 3, COLOUR_RED},
                                     {"spent bar end", 36, 16, COLOUR_RED},
                                     {"after the spent bar", 37, 16, COLOUR_WHITE},
                                     {"left bar start", 6, 24, COLOUR_GREEN},
                                     {"left bar end", 70, 37, COLOUR_GREEN},
                                     {"after the left bar", 71, 37, COLOUR_WHITE},
                                 });
    EXPECT_GT(CountColour(111, 3, 220, 18, COLOUR_BLACK), 10) << "the spent amount";
}

// Spending the whole allowance or more fills the spent gauge; the left amount is red only below 0.
TEST_F(PageTest, SpentGaugeFullAndTheLeftAmountRedOnlyBelowZero) {
    const struct {
        double spent;
        bool leftRed;
    } cases[] = {{130, true}, {100, false}};
    period.Begin({2024, 1, 1});
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.spent << " of 100 spent");
        CalendarTexts texts = MakeCalendarTexts(period, true);
        texts.totals = PeriodTotals{c.spent, 100 - c.spent, 100};
        page.PaintCalendar(texts);
        EXPECT_EQ(page.Picture().Pixel(103, 16), COLOUR_RED);
        EXPECT_EQ(CountColour(6, 24, 104, 38, COLOUR_GREEN), 0);
        EXPECT_EQ(CountColour(111, 24, 220, 39, COLOUR_RED) > 10, c.leftRed);
        EXPECT_EQ(CountColour(111, 24, 220, 39, COLOUR_BLACK) > 10, !c.leftRed);
    }
}

// Amounts that are no numbers, or too large, as a damaged ledger may hold them.
TEST_F(PageTest, DamagedAmountsDrawAndSumWithoutFault) {
    period.Begin({2024, 1, 1});
    period.AddExpense({2, 1}, std::numeric_limits<double>::infinity());
    DayRecords records = period.Records();
    records[CellIndex({1, 1})].balance = std::numeric_limits<double>::quiet_NaN();
    records[CellIndex({3, 1})].allowance = -std::numeric_limits<double>::infinity();
    records[CellIndex({4, 1})].balance = 1e300;
    ASSERT_TRUE(period.Restore(records));
    Paint(true);
    const double balance = period.Totals().balance;
    EXPECT_TRUE(std::isnan(balance) || std::isinf(balance));
}

}  // namespace
