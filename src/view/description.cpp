// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar told in words.
#include "view/description.h"

#include "format/format.h"
#include "model/calendar.h"
#include "view/calendar.h"
#include "view/statistics.h"

namespace {

constexpr int SUNDAY = 7;
constexpr const char* TODAY_PREFIX = "hoy, ";

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

std::string DescribeChange(const DayChange& change, const Period& period, bool undone) {
    const std::string date = DescribeDate(period, change.day);
    const std::string amount = SpokenAmount(change.amount);
    if (change.kind == ChangeKind::Expense)
        return (undone ? "Deshecho el gasto de " : "Rehecho el gasto de ") + amount + " del " +
               date;
    return (undone ? "Deshecha la corrección del " : "Rehecha la corrección del ") + date + " a " +
           amount;
}

std::string DateInWords(Date date) {
    return std::to_string(date.day) + " de " + Lowercase(MonthName(date.month)) + " de " +
           std::to_string(date.year);
}

std::string DayTip(const Period& period, GridPlace place, std::optional<Date> today) {
    const DayRecord& day = period.Day(place);
    const Date date = period.DateOf(place);
    std::string tip = Lowercase(DayName(day.weekday == 0 ? SUNDAY : day.weekday)) + " " +
                      DateInWords(date) + "\nAsignado: " + AmountWithEuro(day.allowance) +
                      "\nGastado: " + AmountWithEuro(day.spent) +
                      "\nQueda: " + AmountWithEuro(day.balance);
    if (date != today) return tip;
    const PeriodTotals totals = period.Totals();
    const double left = totals.allowance - totals.spent;
    const int days = period.DaysFrom(place);
    if (left < 0) return tip + "\nTe has pasado " + AmountWithEuro(-left) + " en este periodo";
    return tip + "\nPara los " + std::to_string(days) +
           " días que quedan: " + AmountWithEuro(left / days) + " al día";
}

SurfaceDescription DescribeCalendar(const Period& period, bool statistics,
                                    std::optional<Date> today, bool tips) {
    SurfaceDescription d;
    d.heading = CalendarHeader(period);
    d.headingBox = Rect{HEADER_LEFT, HEADER_TOP, PAGE_WIDTH, WEEKDAY_TOP};
    for (int weekday = 1; weekday <= GRID_COLUMNS; ++weekday)
        d.columnHeaders.emplace_back(DayName(weekday));
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const GridPlace place{column, row};
            DescribedCell cell{{}, CellGeometry(column, row), {}};
            if (period.Shows(place)) {
                const bool isToday = period.DateOf(place) == today;
                cell.name = (isToday ? TODAY_PREFIX : "") + DescribeDay(period, place);
                if (tips) cell.tip = DayTip(period, place, today);
            }
            d.cells.push_back(std::move(cell));
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
        d = DescribeCalendar(*shown.calendar, shown.statistics, shown.today, shown.tips);
        if (shown.keyboardDay) d.focusedCell = CellIndex(*shown.keyboardDay);
    }
    d.welcome = shown.welcome;
    if (shown.banner != shown.welcome) d.banner = shown.banner;
    d.field = shown.field;
    d.notice = shown.notice;
    return d;
}
