// The calendar view: the page and view images, the calendar with its cells, text laid out in
// boxes, and the statistics gauges.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/model.h"
#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Page and view images. Everything is drawn into the page; the page is composed into the view and
// the view is copied onto the surface, which shows its top-left corner.

constexpr int PAGE_HEIGHT = 1122;

struct ViewRecord {
    int32_t horizontalPosition;
    int32_t verticalPosition;
    int32_t pageWidth;
    int32_t pageHeight;
    int32_t dragState;
};

struct PageState {
    Window* presentWindow = nullptr;  // whose surface shows the view; set once at start-up
    int32_t pageWidth = 841;          // also the width the calendar's header is centred on
    Image* pageImage = nullptr;
    Image* viewImage = nullptr;
    Colour backgroundColour = COLOUR_WHITE;
    ViewRecord viewRecords[5] = {};  // only record 1, the viewport, is used
};
extern PageState page;
// Drops the page and view images and the statistics switch.
void ResetViewState();

inline ViewRecord& Viewport() {
    return page.viewRecords[1];
}

void PrepareImages(int width);
void ClearImage(Image* image);
void ComposeView(int x, int y);
// Copies the view onto the drawing surface of `window`.
void CopyViewToSurface(Window* window);
void PresentView();
// Presents only a part of the page that changed, in page pixels; the rest of the surface already
// shows the page.
void PresentViewPart(int left, int top, int width, int height);

// ---------------------------------------------------------------------------------------------
// Calendar geometry: cells, texts inside a cell, and the hit test that maps a surface click back
// to the cell drawn there.

constexpr int CELL_WIDTH = 120;
constexpr int CELL_HEIGHT = 80;
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

constexpr int HEADER_POINTS = 22;
constexpr int WEEKDAY_POINTS = 18;
constexpr int CELL_POINTS = 12;
constexpr const char* PAGE_FONT_FACE = "Tahoma";

struct CellBox {
    int left;
    int top;
    int right;
    int bottom;
};

constexpr CellBox CellGeometry(int column, int row) {
    return CellBox{column == 1 ? 1 : CELL_WIDTH * column - 118,
                   row == 1 ? 70 : CELL_HEIGHT * row - 9, CELL_WIDTH * column + 1,
                   CELL_HEIGHT * row + 70};
}

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
        const CellBox box = CellGeometry(column, 1);
        if (x >= box.left && x < box.right) hit.column = column;
    }
    for (int row = 1; row <= GRID_ROWS; ++row) {
        const CellBox box = CellGeometry(1, row);
        if (y >= box.top && y < box.bottom) hit.row = row;
    }
    hit.onGrid = hit.column != 0 && hit.row != 0;
    return hit;
}

// ---------------------------------------------------------------------------------------------
// Calendar drawing. Laying the period out (which cell holds which date, written into the day
// records) is separate from painting it, so the layout can be checked without pixels.

struct CellTexts {
    bool inPeriod;
    std::string dayNumber;  // two digits
    Colour dayColour;
    std::string balance;  // trimmed amount + " €"
    Colour balanceColour;
    bool spentShown;
    std::string spent;
};

struct CalendarLayout {
    std::string header;
    CellTexts cells[GRID_CELLS];
    bool statistics;
    double totalSpent;
    double totalBalance;
    double totalAllowance;
};

// Lays the period out in the grid (geometry, weekday, day number, period mark and copies of the
// start date), lowering `startDay` to the length of the following month when needed.
void LayOutCalendar(CalendarLayout& layout);
void DrawCalendar(Image* image, int width);
void RedrawCalendar();

// The displayed form of an amount: trimmed, followed by " €".
std::string AmountWithEuro(double amount);

// ---------------------------------------------------------------------------------------------
// Statistics gauges over the top-left corner of the page.

struct StatisticsState {
    int32_t statisticsShown = 0;
};
extern StatisticsState statistics;

struct GaugeBox {
    int left;
    int top;
    int right;
    int bottom;
};
constexpr GaugeBox SPENT_GAUGE{5, 2, 105, 18};
constexpr GaugeBox LEFT_GAUGE{5, 23, 105, 39};
constexpr int GAUGE_POINTS = 9;

// 100 x value / total rounded half to even, 0 for a zero total; clamped to 16 bits (NaN gives 0).
int16_t GaugePercentage(double value, double total);
// The right edge (exclusive) of the bar of `percentage` inside `box`, or `box.left` for no bar.
int GaugeBarRight(const GaugeBox& box, int16_t percentage);
void DrawStatistics(Image* target, int left, int top, int right, int bottom, Colour colour,
                    double value, double total);

// ---------------------------------------------------------------------------------------------
// Text laid out in a box: broken at spaces into at most 100 lines, each placed by the alignment.

constexpr int ALIGN_LEFT = 131;
constexpr int ALIGN_RIGHT = 132;
constexpr int ALIGN_CENTRE = 133;
constexpr int ALIGN_JUSTIFY = 134;
constexpr int TEXT_LINE_LIMIT = 100;

// How many leading characters of a text fit a width, and how wide a text is. The program measures
// with the selected font; tests may pass simpler rules.
using FitCounter = int (*)(std::string_view text, int maxWidth);
using WidthMeasure = int (*)(std::string_view text);

struct SplitText {
    std::string head;
    std::string rest;
};
// Word mode: the longest head that fits and ends before a space (never at index 0), else the
// whole text as the rest.
SplitText SplitToWidth(std::string_view text, int maxWidth, FitCounter fit);

struct BoxLines {
    std::string line[TEXT_LINE_LIMIT + 1];  // lines 1..100
};
void BreakIntoLines(std::string_view text, int width, FitCounter fit, BoxLines& lines);

struct LinePlacement {
    int x;       // left edge of the line's text
    int extra;   // justification: extra pixels ...
    int breaks;  // ... spread over this many spaces (0 for none)
    bool drawn;  // false for an unknown alignment code
};
void PlaceLines(const BoxLines& lines, int alignment, int left, int width, WidthMeasure measure,
                LinePlacement placement[TEXT_LINE_LIMIT + 1]);

void DrawTextInBox(Image* target, std::string_view text, int alignment, int left, int top,
                   int width, Font* font, Colour colour);
