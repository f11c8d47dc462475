// SPDX-License-Identifier: GPL-3.0-or-later
// A period summed up over the days its calendar shows.
#include "model/period_summary.h"

#include "format/format.h"

namespace {

constexpr double CENTS_PER_UNIT = 100;

// A sum as its text shows it, to the cent: adding up binary amounts leaves traces below the cent
// (a spent period's balances may add up to -0.0000000000001, which is no debt).
double ToTheCent(double sum) {
    return ShownCents(sum) / CENTS_PER_UNIT;
}

void AddDay(PeriodSummary& summary, const DayFigures& day) {
    summary.end = day.date;
    ++summary.days;
    summary.allowance += day.allowance;
    summary.spent += day.spent;
    summary.left += day.balance;
    if (day.balance < 0) ++summary.daysBelowZero;
    if (day.spent > summary.largestDay) {
        summary.largestDay = day.spent;
        summary.largestDayDate = day.date;
    }
    summary.dayByDay.push_back(day);
}

}  // namespace

// The cells follow one another in date order, row by row.
PeriodSummary SummarisePeriod(const Period& period) {
    PeriodSummary summary;
    summary.start = period.Start();
    summary.end = period.Start();
    for (int index = 0; index < GRID_CELLS; ++index) {
        const GridPlace place{index % GRID_COLUMNS + 1, index / GRID_COLUMNS + 1};
        if (!period.Shows(place)) continue;
        const DayRecord& day = period.Day(place);
        AddDay(summary, DayFigures{period.DateOf(place), day.allowance, day.spent, day.balance});
    }
    summary.allowance = ToTheCent(summary.allowance);
    summary.spent = ToTheCent(summary.spent);
    summary.left = ToTheCent(summary.left);
    summary.largestDay = ToTheCent(summary.largestDay);
    return summary;
}
