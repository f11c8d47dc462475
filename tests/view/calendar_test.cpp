// The calendar page: where each day of a period lands, the cell geometry and its hit test, and
// the pixels of outlines, Sunday numbers, negative balances, spent lines and gauges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "model/model.h"
#include "pixel_probe.h"
#include "platform/platform.h"
#include "view/view.h"

namespace {

class PageTest : public testing::Test {
protected:
    void SetUp() override {
        InitCalendarNames();
        CreateDayGrid();
        statistics.statisticsShown = 0;
        PrepareImages(841);
    }
    void TearDown() override {
        DestroyImage(page.pageImage);
        DestroyImage(page.viewImage);
        page = PageState{};
    }
    void StartPeriod(int16_t day, int16_t month, int16_t year) {
        period.startDay = day;
        period.startMonth = month;
        period.startYear = year;
        CreateDayGrid();
    }
    // How many pixels of `colour` the box x1..x2-1, y1..y2-1 of the page holds.
    int CountColour(int x1, int y1, int x2, int y2, Colour colour) {
        int n = 0;
        for (int y = y1; y < y2; ++y)
            for (int x = x1; x < x2; ++x) n += GetPixel(page.pageImage, x, y) == colour;
        return n;
    }
    int InCell(int column, int row, int dx1, int dy1, int dx2, int dy2, Colour colour) {
        const CellBox box = CellGeometry(column, row);
        return CountColour(box.left + dx1, box.top + dy1, box.left + dx2, box.top + dy2, colour);
    }
};

// ---------------------------------------------------------------------------------------------
// Layout

struct PeriodCase {
    const char* name;
    int16_t startDay, month, year;
    const char* header;
    int16_t laidOutStartDay;
    int firstColumn, firstRow;
    int lastColumn, lastRow, lastDay;
    int days;
};

class PeriodLayoutTest : public PageTest, public testing::WithParamInterface<PeriodCase> {};

TEST_P(PeriodLayoutTest, DaysFollowOneAnotherFromTheStartDaysWeekday) {
    const PeriodCase& c = GetParam();
    StartPeriod(c.startDay, c.month, c.year);
    CalendarLayout layout;
    LayOutCalendar(layout);
    EXPECT_EQ(layout.header, c.header);
    EXPECT_EQ(period.startDay, c.laidOutStartDay);

    std::vector<int> order;  // cells of the period in reading order
    for (int i = 0; i < GRID_CELLS; ++i)
        if (period.dayGrid[i].inPeriod) order.push_back(i);
    ASSERT_EQ(static_cast<int>(order.size()), c.days);
    EXPECT_EQ(order.front(), (c.firstRow - 1) * 7 + c.firstColumn - 1);
    EXPECT_EQ(order.back(), (c.lastRow - 1) * 7 + c.lastColumn - 1);
    EXPECT_EQ(order.back() - order.front() + 1, c.days) << "no gaps between days of the period";
    EXPECT_EQ(+DayAt(c.firstColumn, c.firstRow).dayOfMonth, c.laidOutStartDay);
    EXPECT_EQ(+DayAt(c.lastColumn, c.lastRow).dayOfMonth, c.lastDay);
    EXPECT_NE(+DayAt(3, 3).inPeriod, 0) << "the record the period is restored from";

    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const DayRecord& rec = DayAt(column, row);
            const CellBox box = CellGeometry(column, row);
            SCOPED_TRACE(testing::Message() << "cell " << column << "," << row);
            EXPECT_EQ(+rec.column, column);
            EXPECT_EQ(+rec.row, row);
            EXPECT_EQ(+rec.cellLeft, box.left);
            EXPECT_EQ(+rec.cellTop, box.top);
            EXPECT_EQ(+rec.cellRight, box.right);
            EXPECT_EQ(+rec.cellBottom, box.bottom);
            EXPECT_EQ(+rec.periodStartDay, c.laidOutStartDay);
            EXPECT_EQ(+rec.periodMonth, c.month);
            EXPECT_EQ(+rec.periodYear, c.year);
            const CellTexts& texts = layout.cells[(row - 1) * 7 + column - 1];
            EXPECT_EQ(texts.inPeriod, rec.inPeriod == 1);
            if (!rec.inPeriod) continue;
            EXPECT_EQ(+rec.weekday, column);
            EXPECT_EQ(texts.dayColour, column == 7 ? COLOUR_RED : COLOUR_BLACK);
            char number[3] = {static_cast<char>('0' + rec.dayOfMonth / 10),
                              static_cast<char>('0' + rec.dayOfMonth % 10), 0};
            EXPECT_EQ(texts.dayNumber, number);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Periods, PeriodLayoutTest,
    testing::Values(
        PeriodCase{"FirstOfJanuary2024", 1, 1, 2024, "Enero Febrero 2024", 1, 1, 1, 3, 5, 31, 31},
        PeriodCase{"FifteenthOfMarch2024", 15, 3, 2024, "Marzo Abril 2024", 15, 5, 1, 7, 5, 14, 31},
        PeriodCase{"ThirtyFirstOfMarchLoweredTo30", 31, 3, 2024, "Marzo Abril 2024", 30, 6, 1, 1, 6,
                   29, 31},
        PeriodCase{"ThirtyFirstOfDecember2024", 31, 12, 2024, "Diciembre Enero 2024", 31, 2, 1, 4,
                   5, 30, 31},
        PeriodCase{"TwentyEightDaysFromAMonday", 1, 2, 2021, "Febrero Marzo 2021", 1, 1, 1, 7, 4,
                   28, 28},
        PeriodCase{"ThirtyOneDaysFromASundayUseSixRows", 1, 10, 2023, "Octubre Noviembre 2023", 1,
                   7, 1, 2, 6, 31, 31},
        PeriodCase{"LeapFebruaryFromTheTwentyNinthOfJanuary", 31, 1, 2024, "Enero Febrero 2024", 29,
                   1, 1, 3, 5, 28, 31}),
    [](const testing::TestParamInfo<PeriodCase>& info) { return info.param.name; });

TEST_F(PageTest, MarchFifteenthLandsOnItsWeekdaysAndAprilFollows) {
    StartPeriod(15, 3, 2024);
    CalendarLayout layout;
    LayOutCalendar(layout);
    EXPECT_EQ(+DayAt(7, 3).dayOfMonth, 31);
    EXPECT_EQ(+DayAt(1, 4).dayOfMonth, 1);
    for (int column = 1; column <= 7; ++column) EXPECT_EQ(+DayAt(column, 6).inPeriod, 0);
}

TEST_F(PageTest, DrawingTwiceGivesTheSamePictureAndRecords) {
    StartPeriod(15, 3, 2024);
    DayAt(5, 1).spent = 12.5;
    DayAt(5, 1).balance = 87.5;
    std::memcpy(DayAt(5, 1).spentText, "12'50     ", 11);
    statistics.statisticsShown = 1;
    RedrawCalendar();
    std::vector<Colour> first;
    for (int y = 0; y < 560; ++y)
        for (int x = 0; x < 841; ++x) first.push_back(GetPixel(page.pageImage, x, y));
    DayRecord records[GRID_CELLS];
    std::memcpy(records, period.dayGrid, sizeof records);
    RedrawCalendar();
    EXPECT_EQ(std::memcmp(records, period.dayGrid, sizeof records), 0);
    size_t i = 0;
    for (int y = 0; y < 560; ++y)
        for (int x = 0; x < 841; ++x) ASSERT_EQ(GetPixel(page.pageImage, x, y), first[i++]);
}

TEST_F(PageTest, DamagedStartMonthNeverNamesAMonthOutsideTheTable) {
    const struct {
        int16_t month;
        const char* header;
    } cases[] = {{0, " Enero 2024"}, {13, "  2024"}, {-5, "  2024"}, {32767, "  2024"}};
    for (const auto& c : cases) {
        const int16_t month = c.month;
        StartPeriod(1, month, 2024);
        CalendarLayout layout;
        LayOutCalendar(layout);
        EXPECT_EQ(layout.header, c.header) << month;
        int days = 0;
        for (const DayRecord& rec : period.dayGrid) days += rec.inPeriod;
        EXPECT_LE(days, 1) << month;
        RedrawCalendar();
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry and hit test

TEST(CellGeometryTest, HitTestIsTheInverseOfTheCellBoxes) {
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const CellBox box = CellGeometry(column, row);
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
        bool onGrid;
    } cases[] = {{60, 69, false}, {60, 150, false},  {121, 100, false}, {241, 100, false},
                 {0, 100, false}, {841, 100, false}, {60, 550, false},  {65535, 65535, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(HitTestCell(c.x, c.y).onGrid, c.onGrid);
    }
}

// ---------------------------------------------------------------------------------------------
// Pixels

TEST_F(PageTest, CellsAreOutlinedWithOnePixelWhiteLinesBetweenThem) {
    StartPeriod(1, 1, 2024);
    RedrawCalendar();
    ExpectPixels(page.pageImage, {
                                     {"first cell's corner", 1, 70, COLOUR_BLACK},
                                     {"first cell's last column", 120, 100, COLOUR_BLACK},
                                     {"gap between columns", 121, 100, COLOUR_WHITE},
                                     {"second column's edge", 122, 100, COLOUR_BLACK},
                                     {"first row's last line", 60, 149, COLOUR_BLACK},
                                     {"gap between rows", 60, 150, COLOUR_WHITE},
                                     {"second row's edge", 60, 151, COLOUR_BLACK},
                                     {"last column's right edge", 840, 100, COLOUR_BLACK},
                                     {"beyond the grid", 841, 100, COLOUR_WHITE},
                                     {"last row's bottom line", 60, 549, COLOUR_BLACK},
                                     {"below the grid", 60, 550, COLOUR_WHITE},
                                     {"left margin", 0, 100, COLOUR_WHITE},
                                     {"inside an empty cell", 300, 500, COLOUR_WHITE},
                                 });
}

TEST_F(PageTest, SundayNumbersAndNegativeBalancesAreRed) {
    StartPeriod(1, 1, 2024);
    CalendarLayout layout;
    LayOutCalendar(layout);
    DayAt(2, 2).balance = -0.01;  // 9 January
    DayAt(3, 2).balance = 0;
    RedrawCalendar();
    EXPECT_GT(InCell(7, 1, 4, 4, 30, 22, COLOUR_RED), 10) << "07 is a Sunday";
    EXPECT_EQ(InCell(6, 1, 4, 4, 30, 22, COLOUR_RED), 0) << "06 is a Saturday";
    EXPECT_GT(InCell(6, 1, 4, 4, 30, 22, COLOUR_BLACK), 10);
    EXPECT_GT(InCell(2, 2, 4, 60, 110, 79, COLOUR_RED), 10) << "-0'01 is below zero";
    EXPECT_EQ(InCell(3, 2, 4, 60, 110, 79, COLOUR_RED), 0);
    EXPECT_GT(InCell(3, 2, 4, 60, 110, 79, COLOUR_BLACK), 10);
}

TEST_F(PageTest, SpentLineIsDrawnOnlyOnceTheSpentTextHoldsSomething) {
    StartPeriod(1, 1, 2024);
    CalendarLayout layout;
    LayOutCalendar(layout);
    std::memcpy(DayAt(4, 2).spentText, "0'00      ", 11);
    RedrawCalendar();
    EXPECT_EQ(InCell(3, 2, 5, 35, 110, 55, COLOUR_BLACK), 0);
    EXPECT_GT(InCell(4, 2, 5, 35, 110, 55, COLOUR_BLACK), 10);
}

TEST_F(PageTest, PresentingShowsThePagesTopLeftCornerAndLeavesTheLastColumnWhite) {
    StartPeriod(1, 1, 2024);
    RedrawCalendar();
    Image* surface = CreateImage(842, 552);
    SelectTarget(page.pageImage);
    DrawBox(0, 600, 841, 700, COLOUR_RED, COLOUR_RED);  // below what the surface shows
    ComposeView(0, Viewport().verticalPosition);
    SelectTarget(surface);
    CopyImage(page.viewImage, 0, 0);
    for (int y = 0; y < 552; y += 3)
        for (int x = 0; x < 841; x += 3)
            ASSERT_EQ(GetPixel(surface, x, y), GetPixel(page.pageImage, x, y)) << x << "," << y;
    for (int y = 0; y < 552; ++y) ASSERT_EQ(GetPixel(surface, 841, y), COLOUR_WHITE);
    DestroyImage(surface);
}

TEST_F(PageTest, ImagesAreMadeWithTheViewportOfTheirSize) {
    EXPECT_EQ(ImageWidth(page.pageImage), 841);
    EXPECT_EQ(ImageHeight(page.pageImage), 1122);
    EXPECT_EQ(ImageHeight(page.viewImage), 1122);
    EXPECT_EQ(Viewport().pageWidth, 841);
    EXPECT_EQ(Viewport().pageHeight, 1122);
    EXPECT_EQ(Viewport().horizontalPosition, 0);
    EXPECT_EQ(Viewport().verticalPosition, 0);
    EXPECT_EQ(page.backgroundColour, COLOUR_WHITE);
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
    for (const auto& c : cases) EXPECT_EQ(GaugeBarRight(SPENT_GAUGE, c.percentage), c.right);
}

// The bar of p per cent covers x 6 .. p + 3 inside the frame at x 5 and 104; below 3 % it has
// no pixel at all, and nothing is drawn outside the frame.
// Every weekday name fits its 120-pixel box in the page's bold face (a name wider than its box
// would be pushed down out of sight).
TEST_F(PageTest, EveryWeekdayNameShowsInItsBox) {
    StartPeriod(1, 1, 2024);
    RedrawCalendar();
    for (int weekday = 1; weekday <= 7; ++weekday) {
        SCOPED_TRACE(testing::Message() << "weekday " << weekday);
        const int left = WeekdayBoxLeft(weekday);
        EXPECT_GT(CountColour(left, WEEKDAY_TOP, left + WEEKDAY_BOX_WIDTH, 69, COLOUR_BLACK), 50);
    }
}

TEST_F(PageTest, GaugeBarsStayInsideTheirFrame) {
    constexpr Colour W = COLOUR_WHITE, K = COLOUR_BLACK, R = COLOUR_RED;
    const struct {
        int percentage;
        Colour x4, x5, x6, x7, x103, x104;
    } cases[] = {{0, W, K, W, W, W, K}, {1, W, K, W, W, W, K},   {2, W, K, W, W, W, K},
                 {3, W, K, R, W, W, K}, {100, W, K, R, R, R, K}, {130, W, K, R, R, R, K}};
    Image* image = CreateImage(250, 45);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.percentage << " %");
        SelectTarget(image);
        ClearTarget(COLOUR_WHITE);
        DrawStatistics(image, 5, 2, 105, 18, COLOUR_RED, c.percentage, 100);
        const Colour row[] = {c.x4, c.x5, c.x6, c.x7, c.x103, c.x104};
        const int xs[] = {4, 5, 6, 7, 103, 104};
        for (int i = 0; i < 6; ++i) EXPECT_EQ(GetPixel(image, xs[i], 3), row[i]) << "x " << xs[i];
    }
    DestroyImage(image);
}

TEST_F(PageTest, GaugesShowSpentAndLeftOverTheHeader) {
    StartPeriod(1, 1, 2024);
    CalendarLayout layout;
    LayOutCalendar(layout);
    for (DayRecord& rec : period.dayGrid) {
        if (!rec.inPeriod) continue;
        rec.allowance = 900.0 / 31;
        rec.balance = rec.allowance;
    }
    DayAt(1, 1).spent = 300;
    DayAt(1, 1).balance = DayAt(1, 1).allowance - 300;
    DayAt(7, 6).inPeriod = 2;  // not a day of the period: left out of the sums
    DayAt(7, 6).spent = 5000;
    statistics.statisticsShown = 1;
    RedrawCalendar();
    ExpectPixels(page.pageImage, {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.spent << " of 100 spent");
        StartPeriod(1, 1, 2024);
        CalendarLayout layout;
        LayOutCalendar(layout);
        DayAt(1, 1).allowance = 100;
        DayAt(1, 1).spent = c.spent;
        DayAt(1, 1).balance = 100 - c.spent;
        statistics.statisticsShown = 1;
        RedrawCalendar();
        EXPECT_EQ(GetPixel(page.pageImage, 103, 16), COLOUR_RED);
        EXPECT_EQ(CountColour(6, 24, 104, 38, COLOUR_GREEN), 0);
        EXPECT_EQ(CountColour(111, 24, 220, 39, COLOUR_RED) > 10, c.leftRed);
        EXPECT_EQ(CountColour(111, 24, 220, 39, COLOUR_BLACK) > 10, !c.leftRed);
    }
}

TEST_F(PageTest, DamagedAmountsDrawAndSumWithoutFault) {
    StartPeriod(1, 1, 2024);
    CalendarLayout layout;
    LayOutCalendar(layout);
    DayAt(1, 1).balance = std::numeric_limits<double>::quiet_NaN();
    DayAt(2, 1).spent = std::numeric_limits<double>::infinity();
    std::memcpy(DayAt(2, 1).spentText, "inf       ", 11);
    DayAt(3, 1).allowance = -std::numeric_limits<double>::infinity();
    DayAt(4, 1).balance = 1e300;
    statistics.statisticsShown = 1;
    RedrawCalendar();
    LayOutCalendar(layout);
    EXPECT_TRUE(std::isnan(layout.totalBalance) || std::isinf(layout.totalBalance));
}

}  // namespace
