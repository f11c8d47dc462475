// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar page: the header with the months and the year, the weekday row and the 7 x 6 day
// cells, made into texts from the period and painted; and the hit test that maps a click back to
// the cell drawn there.
#pragma once

#include <string>

#include "model/period.h"
#include "platform/image.h"

constexpr int PAGE_WIDTH = 841;  // also the width the header is centred on
constexpr int PAGE_HEIGHT = 1122;
constexpr int HEADER_LEFT = 1;
constexpr int HEADER_TOP = 1;
constexpr int WEEKDAY_TOP = 40;
constexpr int WEEKDAY_BOX_WIDTH = 120;
constexpr int DAY_NUMBER_DX = 4;
constexpr int DAY_NUMBER_DY = 4;
constexpr int SPENT_DX = 5;
constexpr int SPENT_DY = 35;
constexpr int BALANCE_DX = 4;
constexpr int BALANCE_DY = 60;
// A cell's amounts end clear of its outline and of the frame that marks today inside it,
// whichever of the two starts further right.
constexpr int CELL_TEXT_WIDTH = CELL_WIDTH - SPENT_DX - 5;

constexpr int HEADER_POINTS = 22;
constexpr int WEEKDAY_POINTS = 18;
constexpr int CELL_POINTS = 12;
constexpr const char* PAGE_FONT_FACE = "Tahoma";

constexpr int WeekdayBoxLeft(int weekday) {
    return HEADER_LEFT + WEEKDAY_BOX_WIDTH * (weekday - 1);
}

struct CellHit {
    int column;
    int row;
    bool onGrid;  // 1..7 and 1..6
};

// The cell whose drawn box holds (x, y), boxes ending before their right and bottom edges; the
// one-pixel gaps between boxes and everything around the grid hold no cell.
constexpr CellHit HitTestCell(int x, int y) {
    CellHit hit{0, 0, false};
    for (int column = 1; column <= GRID_COLUMNS; ++column) {
        const Rect box = CellGeometry(column, 1);
        if (x >= box.left && x < box.right) hit.column = column;
    }
    for (int row = 1; row <= GRID_ROWS; ++row) {
        const Rect box = CellGeometry(1, row);
        if (y >= box.top && y < box.bottom) hit.row = row;
    }
    hit.onGrid = hit.column != 0 && hit.row != 0;
    return hit;
}

// The displayed form of an amount: trimmed, followed by " €".
std::string AmountWithEuro(double amount);

struct CellTexts {
    bool inPeriod = false;
    std::string dayNumber;  // two digits
    Colour dayColour = COLOUR_BLACK;
    std::string balance;
    Colour balanceColour = COLOUR_BLACK;
    bool spentShown = false;
    std::string spent;
};

// What the calendar shows: every text with its colour, and the gauges' sums when they are on.
struct CalendarTexts {
    std::string header;
    CellTexts cells[GRID_CELLS];
    bool statistics = false;
    PeriodTotals totals;
};

// "Marzo Abril 2024": the start month, the next one and the start year.
std::string CalendarHeader(const Period& period);
CalendarTexts MakeCalendarTexts(const Period& period, bool statistics);
// Paints the calendar (and the gauges) over whatever `page` holds.
void PaintCalendar(Image& page, const CalendarTexts& texts, Fonts& fonts);
