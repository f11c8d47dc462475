// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar told in words.
#include "view/description.h"

#include "format/format.h"
#include "model/calendar.h"
#include "view/calendar.h"
#include "view/statistics.h"

namespace {

constexpr int SUNDAY = 7;

// The names begin with a capital; in the middle of a sentence they do not.
std::string Lowercase(std::string_view name) {
    std::string text(name);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

DescribedGauge DescribeGauge(const char* name, const Rect& box, double value, double total) {
    return DescribedGauge{name, GaugePercentage(value, total), SpokenAmount(value), box};
}

}  // namespace

std::string SpokenAmount(double amount) {
    std::string text = TrimBlanks(FormatAmount(amount));
    for (char& c : text)
        if (c == '\'') c = ',';
    return text + " €";
}

std::string DescribeDate(const Period& period, GridPlace place) {
    const Date date = period.DateOf(place);
    const int weekday = period.Day(place).weekday;
    return Lowercase(DayName(weekday == 0 ? SUNDAY : weekday)) + " " + std::to_string(date.day) +
           " de " + Lowercase(MonthName(date.month));
}

std::string DescribeDay(const Period& period, GridPlace place) {
    const DayRecord& day = period.Day(place);
    std::string text = DescribeDate(period, place) + ": ";
    text += day.balance < 0 ? "te has pasado " + SpokenAmount(-day.balance)
                            : "quedan " + SpokenAmount(day.balance);
    if (day.spentText[0] != '\0') text += "; gastado " + SpokenAmount(day.spent);
    return text;
}

SurfaceDescription DescribeCalendar(const Period& period, bool statistics) {
    SurfaceDescription d;
    d.heading = CalendarHeader(period);
    d.headingBox = Rect{HEADER_LEFT, HEADER_TOP, PAGE_WIDTH, WEEKDAY_TOP};
    for (int weekday = 1; weekday <= GRID_COLUMNS; ++weekday)
        d.columnHeaders.emplace_back(DayName(weekday));
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const GridPlace place{column, row};
            d.cells.push_back(
                DescribedCell{period.Shows(place) ? DescribeDay(period, place) : std::string(),
                              CellGeometry(column, row)});
        }
    }
    if (statistics) {
        const PeriodTotals totals = period.Totals();
        d.gauges.push_back(DescribeGauge("Gastado", SPENT_GAUGE, totals.spent, totals.allowance));
        d.gauges.push_back(DescribeGauge("Queda", LEFT_GAUGE, totals.balance, totals.allowance));
    }
    return d;
}

SurfaceDescription DescribeSurface(const ShownSurface& shown) {
    SurfaceDescription d;
    if (shown.calendar) {
        d = DescribeCalendar(*shown.calendar, shown.statistics);
        if (shown.keyboardDay) d.focusedCell = CellIndex(*shown.keyboardDay);
    }
    d.welcome = shown.welcome;
    if (shown.banner != shown.welcome) d.banner = shown.banner;
    d.field = shown.field;
    d.notice = shown.notice;
    return d;
}
