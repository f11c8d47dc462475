// SPDX-License-Identifier: GPL-3.0-or-later
// One period summed up as the history lists it: its dates, its totals, the days that went below
// zero, its largest day and its figures day by day.
#pragma once

#include <vector>

#include "model/period.h"

// A day of the period as its cell shows it.
struct DayFigures {
    Date date;
    double allowance = 0;
    double spent = 0;
    double balance = 0;
};

// The totals are the days' amounts added up, to the cent.
struct PeriodSummary {
    Date start;
    Date end;  // the period's last day
    int days = 0;
    double allowance = 0;
    double spent = 0;
    double left = 0;  // the days' balances added up
    // The days shown in red: their balance is below zero.
    int daysBelowZero = 0;
    double largestDay = 0;             // the most spent in one day; 0 when nothing was
    Date largestDayDate;               // the first day that spent it; none when nothing was spent
    std::vector<DayFigures> dayByDay;  // in date order
};

// The period's days as the calendar shows them, each with the amounts its record holds.
PeriodSummary SummarisePeriod(const Period& period);
