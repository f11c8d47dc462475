// The calendar page: header, weekday row and the 7 x 6 day cells. Laying the period out into the
// day records is one step, painting it another, in the same cell order.
#include <cmath>

#include "format/format.h"
#include "view/view.h"

namespace {

constexpr Colour SUNDAY_COLOUR = COLOUR_RED;
constexpr Colour NEGATIVE_COLOUR = COLOUR_RED;
constexpr Colour TEXT_COLOUR = COLOUR_BLACK;
constexpr Colour CELL_LINE = COLOUR_BLACK;
constexpr Colour CELL_FILL = COLOUR_WHITE;
constexpr int SUNDAY = 7;

std::string TwoDigits(int value) {
    std::string text;
    if (value < 0) {
        text.push_back('-');
        value = -value;
    }
    if (value < 10) text.push_back('0');
    return text + std::to_string(value);
}

// The year with at least four digits, leading zeros included.
std::string FourDigitYear(int year) {
    std::string digits = std::to_string(year < 0 ? -year : year);
    while (digits.size() < 4) digits.insert(digits.begin(), '0');
    return year < 0 ? "-" + digits : digits;
}

}  // namespace

std::string AmountWithEuro(double amount) {
    return TrimBlanks(FormatAmount(amount)) + " \x80";
}

void LayOutCalendar(CalendarLayout& layout) {
    const int16_t startMonth = period.startMonth;
    const int16_t nextMonth = startMonth == 12 ? 1 : static_cast<int16_t>(startMonth + 1);
    layout.header =
        MonthName(startMonth) + " " + MonthName(nextMonth) + " " + FourDigitYear(period.startYear);

    // A start day the following month does not have is lowered to its last day.
    if (period.startDay > DaysInMonth(nextMonth)) period.startDay = DaysInMonth(nextMonth);

    int dayCounter = period.startDay - 1;
    int nextWeekday = DayOfWeek(period.startYear, period.startMonth, period.startDay);
    int columnCounter = 0;
    bool wrapped = false;
    const int monthLength = DaysInMonth(startMonth);

    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            DayRecord& rec = DayAt(column, row);
            CellTexts& texts = layout.cells[(row - 1) * GRID_COLUMNS + (column - 1)];
            texts = CellTexts{};
            columnCounter = columnCounter == GRID_COLUMNS ? 1 : columnCounter + 1;

            if (nextWeekday == columnCounter && monthLength >= dayCounter) {
                rec.weekday = static_cast<uint8_t>(nextWeekday);
                texts.dayColour = nextWeekday == SUNDAY ? SUNDAY_COLOUR : TEXT_COLOUR;
                nextWeekday = nextWeekday == SUNDAY ? 1 : nextWeekday + 1;
                ++dayCounter;
                if (dayCounter > monthLength && !wrapped) {
                    dayCounter = 1;
                    wrapped = true;  // the period has moved into the following month
                }
                if ((wrapped && dayCounter < period.startDay) ||
                    (!wrapped && dayCounter >= period.startDay)) {
                    texts.inPeriod = true;
                    texts.dayNumber = TwoDigits(dayCounter);
                    rec.dayOfMonth = static_cast<uint8_t>(dayCounter);
                    rec.inPeriod = 1;
                    texts.balance = AmountWithEuro(rec.balance);
                    texts.balanceColour = rec.balance < 0 ? NEGATIVE_COLOUR : TEXT_COLOUR;
                    texts.spentShown = rec.spentText[0] != '\0';
                    if (texts.spentShown) texts.spent = AmountWithEuro(rec.spent);
                }
            }

            const CellBox box = CellGeometry(column, row);
            rec.cellLeft = box.left;
            rec.cellTop = box.top;
            rec.cellRight = box.right;
            rec.cellBottom = box.bottom;
            rec.column = column;
            rec.row = row;
            rec.periodMonth = period.startMonth;
            rec.periodYear = period.startYear;
            rec.periodStartDay = period.startDay;
        }
    }

    layout.statistics = statistics.statisticsShown != 0;
    layout.totalSpent = layout.totalBalance = layout.totalAllowance = 0;
    if (!layout.statistics) return;
    for (int i = 0; i < GRID_CELLS; ++i) {
        const DayRecord& rec = period.dayGrid[i];
        if (rec.inPeriod != 1) continue;
        layout.totalSpent += rec.spent;
        layout.totalBalance += rec.balance;
        layout.totalAllowance += rec.allowance;
    }
}

void DrawCalendar(Image* image, int width) {
    CalendarLayout layout;
    LayOutCalendar(layout);

    SelectTarget(image);
    SetPenWidth(1);
    Font* headerFont = RequestFont(PAGE_FONT_FACE, HEADER_POINTS, true);
    Font* weekdayFont = RequestFont(PAGE_FONT_FACE, WEEKDAY_POINTS, true);
    Font* cellFont = RequestFont(PAGE_FONT_FACE, CELL_POINTS, true);

    DrawTextInBox(image, layout.header, ALIGN_CENTRE, HEADER_LEFT, HEADER_TOP, width, headerFont,
                  TEXT_COLOUR);
    for (int weekday = 1; weekday <= GRID_COLUMNS; ++weekday) {
        DrawTextInBox(image, calendarNames.dayNames[weekday], ALIGN_CENTRE, WeekdayBoxLeft(weekday),
                      WEEKDAY_TOP, WEEKDAY_BOX_WIDTH, weekdayFont, TEXT_COLOUR);
    }

    SelectTarget(image);
    SelectFont(cellFont);
    SetBackgroundOpaque(false);
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const CellBox box = CellGeometry(column, row);
            const CellTexts& texts = layout.cells[(row - 1) * GRID_COLUMNS + (column - 1)];
            DrawBox(box.left, box.top, box.right, box.bottom, CELL_LINE, CELL_FILL);
            if (!texts.inPeriod) continue;
            MoveTo(box.left + DAY_NUMBER_DX, box.top + DAY_NUMBER_DY);
            SetTextColour(texts.dayColour);
            DrawText(texts.dayNumber);
            MoveTo(box.left + BALANCE_DX, box.top + BALANCE_DY);
            SetTextColour(texts.balanceColour);
            DrawText(texts.balance);
            if (texts.spentShown) {
                MoveTo(box.left + SPENT_DX, box.top + SPENT_DY);
                SetTextColour(TEXT_COLOUR);
                DrawText(texts.spent);
            }
        }
    }

    if (layout.statistics) {
        DrawStatistics(image, SPENT_GAUGE.left, SPENT_GAUGE.top, SPENT_GAUGE.right,
                       SPENT_GAUGE.bottom, COLOUR_RED, layout.totalSpent, layout.totalAllowance);
        DrawStatistics(image, LEFT_GAUGE.left, LEFT_GAUGE.top, LEFT_GAUGE.right, LEFT_GAUGE.bottom,
                       COLOUR_GREEN, layout.totalBalance, layout.totalAllowance);
        SelectTarget(image);
        SelectFont(cellFont);
    }
}

void RedrawCalendar() {
    ClearImage(page.pageImage);
    ClearImage(page.viewImage);
    if (page.pageImage) DrawCalendar(page.pageImage, page.pageWidth);
}
