// SPDX-License-Identifier: GPL-3.0-or-later
// The pay period: laying it out from its start date, spreading the monthly total and adding
// expenses.
#include "model/period.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "format/format.h"
#include "model/calendar.h"

namespace {

constexpr int SUNDAY = 7;
constexpr GridPlace ANCHOR{3, 3};  // a day of every period: a period fills at least 28 cells
constexpr int MAX_STORED_YEAR = 9999;
constexpr size_t KEPT_SPENT_CHARACTERS = 10;

bool RestorableStart(const DayRecord& rec) {
    return rec.periodMonth >= 1 && rec.periodMonth <= 12 && rec.periodStartDay >= 1 &&
           rec.periodStartDay <= 31 && rec.periodYear >= 1 && rec.periodYear <= MAX_STORED_YEAR;
}

}  // namespace

void Period::Begin(Date start) {
    cells_ = DayRecords{};
    start_ = start;
    LayOut();
}

bool Period::Restore(const DayRecords& stored) {
    const DayRecord& anchor = stored[CellIndex(ANCHOR)];
    if (!RestorableStart(anchor)) return false;
    cells_ = stored;
    start_ = Date{anchor.periodYear, anchor.periodMonth, anchor.periodStartDay};
    LayOut();
    return true;
}

// Days follow one another from the start day's weekday column in row 1, into the following
// month once the start month ends. Only the layout fields are written: a cell keeps its amounts,
// and a mark of the period once set stays until the period begins anew.
void Period::LayOut() {
    const auto year = static_cast<int16_t>(start_.year);
    const auto startMonth = static_cast<int16_t>(start_.month);
    const auto nextMonth = static_cast<int16_t>(startMonth == 12 ? 1 : startMonth + 1);
    start_.day = std::min<int>(start_.day, DaysInMonth(year, nextMonth));

    int dayCounter = start_.day - 1;
    int nextWeekday = DayOfWeek(year, startMonth, static_cast<int16_t>(start_.day));
    int columnCounter = 0;
    bool wrapped = false;
    const int monthLength = DaysInMonth(year, startMonth);
    laidOut_.reset();

    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            const int index = CellIndex({column, row});
            DayRecord& rec = cells_[index];
            columnCounter = columnCounter == GRID_COLUMNS ? 1 : columnCounter + 1;
            if (nextWeekday == columnCounter && monthLength >= dayCounter) {
                rec.weekday = static_cast<uint8_t>(nextWeekday);
                nextWeekday = nextWeekday == SUNDAY ? 1 : nextWeekday + 1;
                ++dayCounter;
                if (dayCounter > monthLength && !wrapped) {
                    dayCounter = 1;
                    wrapped = true;  // the period has moved into the following month
                }
                if ((wrapped && dayCounter < start_.day) ||
                    (!wrapped && dayCounter >= start_.day)) {
                    laidOut_.set(index);
                    rec.dayOfMonth = static_cast<uint8_t>(dayCounter);
                    rec.inPeriod = 1;
                }
            }
            const Rect box = CellGeometry(column, row);
            rec.cellLeft = box.left;
            rec.cellTop = box.top;
            rec.cellRight = box.right;
            rec.cellBottom = box.bottom;
            rec.column = column;
            rec.row = row;
            rec.periodMonth = start_.month;
            rec.periodYear = start_.year;
            rec.periodStartDay = start_.day;
        }
    }
}

std::optional<GridPlace> Period::PlaceOfDay(int dayOfMonth) const {
    for (int index = 0; index < GRID_CELLS; ++index) {
        if (laidOut_[index] && cells_[index].dayOfMonth == dayOfMonth) return PlaceAt(index);
    }
    return std::nullopt;
}

Date Period::DateOf(GridPlace place) const {
    const int day = Day(place).dayOfMonth;
    if (day >= start_.day) return Date{start_.year, start_.month, day};
    return start_.month == 12 ? Date{start_.year + 1, 1, day}
                              : Date{start_.year, start_.month + 1, day};
}

std::optional<GridPlace> Period::PlaceOfDate(Date date) const {
    const std::optional<GridPlace> place = PlaceOfDay(date.day);
    return place && DateOf(*place) == date ? place : std::nullopt;
}

Date Period::LastDay() const {
    for (int index = GRID_CELLS - 1; index >= 0; --index)
        if (laidOut_[index]) return DateOf(PlaceAt(index));
    return start_;
}

int Period::DaysFrom(GridPlace place) const {
    int days = 0;
    for (int index = CellIndex(place); index < GRID_CELLS; ++index) days += laidOut_[index];
    return days;
}

void Period::SpreadTotal(double total) {
    const auto days = static_cast<int16_t>(
        std::count_if(cells_.begin(), cells_.end(), [](const DayRecord& d) { return d.inPeriod; }));
    for (DayRecord& rec : cells_) {
        if (rec.inPeriod == 0) continue;
        rec.balance = total / days;
        rec.allowance = total / days;
    }
}

void Period::AddExpense(GridPlace place, double amount) {
    DayRecord& day = cells_[CellIndex(place)];
    day.spent = amount + day.spent;
    KeepSpentText(day);
    day.balance = day.allowance - day.spent;
}

void Period::CorrectSpent(GridPlace place, double amount) {
    DayRecord& day = cells_[CellIndex(place)];
    day.spent = amount;
    if (amount == 0) {
        day.spent = 0;  // never -0
        std::memset(day.spentText, 0, sizeof day.spentText);
    } else {
        KeepSpentText(day);
    }
    day.balance = day.allowance - day.spent;
}

DaySpending Period::Spending(GridPlace place) const {
    const DayRecord& day = Day(place);
    DaySpending spending{day.spent, day.balance, {}};
    std::memcpy(spending.spentText.data(), day.spentText, sizeof day.spentText);
    return spending;
}

void Period::SetSpending(GridPlace place, const DaySpending& spending) {
    DayRecord& day = cells_[CellIndex(place)];
    day.spent = spending.spent;
    day.balance = spending.balance;
    std::memcpy(day.spentText, spending.spentText.data(), sizeof day.spentText);
}

// The record keeps the first 10 characters of the formatted amount and a terminator.
void Period::KeepSpentText(DayRecord& day) {
    const std::string formatted = FormatAmount(day.spent);
    std::memset(day.spentText, 0, sizeof day.spentText);
    std::memcpy(day.spentText, formatted.data(), std::min(formatted.size(), KEPT_SPENT_CHARACTERS));
}

PeriodTotals Period::Totals() const {
    PeriodTotals totals;
    for (const DayRecord& rec : cells_) {
        if (rec.inPeriod != 1) continue;
        totals.spent += rec.spent;
        totals.balance += rec.balance;
        totals.allowance += rec.allowance;
    }
    return totals;
}
