// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar page: its texts made from the period, then painted in the same cell order.
#include "view/calendar.h"

#include "format/format.h"
#include "model/calendar.h"
#include "view/statistics.h"
#include "view/text_layout.h"

namespace {

constexpr Colour SUNDAY_COLOUR = COLOUR_RED;
constexpr Colour NEGATIVE_COLOUR = COLOUR_RED;
constexpr Colour TEXT_COLOUR = COLOUR_BLACK;
constexpr Colour CELL_LINE = COLOUR_BLACK;
constexpr Colour CELL_FILL = COLOUR_WHITE;
constexpr int SUNDAY = 7;

std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

// The year with at least four digits, leading zeros included.
std::string FourDigitYear(int year) {
    std::string digits = std::to_string(year < 0 ? -year : year);
    while (digits.size() < 4) digits.insert(digits.begin(), '0');
    return year < 0 ? "-" + digits : digits;
}

CellTexts TextsOfDay(const DayRecord& day) {
    CellTexts texts;
    texts.inPeriod = true;
    texts.dayNumber = TwoDigits(day.dayOfMonth);
    texts.dayColour = day.weekday == SUNDAY ? SUNDAY_COLOUR : TEXT_COLOUR;
    texts.balance = AmountWithEuro(day.balance);
    texts.balanceColour = day.balance < 0 ? NEGATIVE_COLOUR : TEXT_COLOUR;
    texts.spentShown = day.spentText[0] != '\0';
    if (texts.spentShown) texts.spent = AmountWithEuro(day.spent);
    return texts;
}

// A text in the cell's font, narrower when it would reach past the cell's outline.
const Font& CellFont(Fonts& fonts, const std::string& text) {
    return fonts.Fitting(PAGE_FONT_FACE, CELL_POINTS, true, text, CELL_TEXT_WIDTH);
}

}  // namespace

std::string AmountWithEuro(double amount) {
    return TrimBlanks(FormatAmount(amount)) + " €";
}

std::string CalendarHeader(const Period& period) {
    const Date start = period.Start();
    const int nextMonth = start.month == 12 ? 1 : start.month + 1;
    return std::string(MonthName(start.month)) + " " + std::string(MonthName(nextMonth)) + " " +
           FourDigitYear(start.year);
}

CalendarTexts MakeCalendarTexts(const Period& period, bool statistics) {
    CalendarTexts texts;
    texts.header = CalendarHeader(period);
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const GridPlace place{column, row};
            if (period.Shows(place)) texts.cells[CellIndex(place)] = TextsOfDay(period.Day(place));
        }
    }
    texts.statistics = statistics;
    if (statistics) texts.totals = period.Totals();
    return texts;
}

void PaintCalendar(Image& page, const CalendarTexts& texts, Fonts& fonts) {
    const Font& cellFont = fonts.Get(PAGE_FONT_FACE, CELL_POINTS, true);
    DrawTextInBox(
        page, texts.header, Alignment::Centre, HEADER_LEFT, HEADER_TOP, PAGE_WIDTH,
        fonts.Fitting(PAGE_FONT_FACE, HEADER_POINTS, true, texts.header, OneLineWidth(PAGE_WIDTH)),
        TEXT_COLOUR);
    for (int weekday = 1; weekday <= GRID_COLUMNS; ++weekday) {
        const std::string_view name = DayName(weekday);
        DrawTextInBox(page, name, Alignment::Centre, WeekdayBoxLeft(weekday), WEEKDAY_TOP,
                      WEEKDAY_BOX_WIDTH,
                      fonts.Fitting(PAGE_FONT_FACE, WEEKDAY_POINTS, true, name,
                                    OneLineWidth(WEEKDAY_BOX_WIDTH)),
                      TEXT_COLOUR);
    }
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const Rect box = CellGeometry(column, row);
            const CellTexts& cell = texts.cells[CellIndex({column, row})];
            page.Box(box, CELL_LINE, CELL_FILL);
            if (!cell.inPeriod) continue;
            page.Text(Point{box.left + DAY_NUMBER_DX, box.top + DAY_NUMBER_DY}, cell.dayNumber,
                      cellFont, cell.dayColour);
            page.Text(Point{box.left + BALANCE_DX, box.top + BALANCE_DY}, cell.balance,
                      CellFont(fonts, cell.balance), cell.balanceColour);
            if (cell.spentShown) {
                page.Text(Point{box.left + SPENT_DX, box.top + SPENT_DY}, cell.spent,
                          CellFont(fonts, cell.spent), TEXT_COLOUR);
            }
        }
    }
    if (!texts.statistics) return;
    DrawStatistics(page, SPENT_GAUGE, COLOUR_RED, texts.totals.spent, texts.totals.allowance,
                   fonts);
    DrawStatistics(page, LEFT_GAUGE, COLOUR_GREEN, texts.totals.balance, texts.totals.allowance,
                   fonts);
}
