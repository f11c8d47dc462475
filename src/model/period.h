// SPDX-License-Identifier: GPL-3.0-or-later
// The pay period: its start date and the 7 x 6 day cells of its calendar, laid out from the start
// date. Each cell is one 77-byte record of the ledger file, in memory exactly as on disk.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "model/geometry.h"
#include "system/date.h"

#pragma pack(push, 1)
// One day cell, packed exactly as a ledger record: little-endian, binary64 amounts.
struct DayRecord {
    double spent;
    double balance;
    char spentText[11];  // first 10 characters of the formatted `spent`, zero-terminated
    double allowance;
    uint8_t weekday;
    uint8_t dayOfMonth;
    int32_t cellLeft;
    int32_t cellTop;
    int32_t cellRight;
    int32_t cellBottom;
    int32_t column;
    int32_t row;
    int32_t inPeriod;
    int32_t periodStartDay;
    int32_t periodMonth;
    int32_t periodYear;
};
#pragma pack(pop)

constexpr size_t DAY_RECORD_SIZE = 77;
static_assert(sizeof(DayRecord) == DAY_RECORD_SIZE);
static_assert(offsetof(DayRecord, balance) == 8 && offsetof(DayRecord, spentText) == 16);
static_assert(offsetof(DayRecord, allowance) == 27 && offsetof(DayRecord, weekday) == 35);
static_assert(offsetof(DayRecord, dayOfMonth) == 36 && offsetof(DayRecord, cellLeft) == 37);
static_assert(offsetof(DayRecord, cellTop) == 41 && offsetof(DayRecord, cellRight) == 45);
static_assert(offsetof(DayRecord, cellBottom) == 49 && offsetof(DayRecord, column) == 53);
static_assert(offsetof(DayRecord, row) == 57 && offsetof(DayRecord, inPeriod) == 61);
static_assert(offsetof(DayRecord, periodStartDay) == 65 && offsetof(DayRecord, periodMonth) == 69);
static_assert(offsetof(DayRecord, periodYear) == 73);

constexpr int GRID_COLUMNS = 7;
constexpr int GRID_ROWS = 6;
constexpr int GRID_CELLS = GRID_COLUMNS * GRID_ROWS;
// Cells in reading order, column varying fastest.
using DayRecords = std::array<DayRecord, GRID_CELLS>;

struct GridPlace {
    int column;  // 1..7, also the weekday
    int row;     // 1..6
    bool operator==(const GridPlace&) const = default;
};
constexpr bool IsGridPosition(int column, int row) {
    return column >= 1 && column <= GRID_COLUMNS && row >= 1 && row <= GRID_ROWS;
}
constexpr int CellIndex(GridPlace place) {
    return (place.row - 1) * GRID_COLUMNS + (place.column - 1);
}
constexpr GridPlace PlaceAt(int index) {
    return GridPlace{index % GRID_COLUMNS + 1, index / GRID_COLUMNS + 1};
}

// Where a cell's box lies on the page (right and bottom exclusive), as every record keeps it:
// 7 columns of 120 pixels from x 1 and 6 rows of 80 from y 70, a one-pixel gap between boxes.
constexpr int CELL_WIDTH = 120;
constexpr int CELL_HEIGHT = 80;
constexpr Rect CellGeometry(int column, int row) {
    return Rect{column == 1 ? 1 : CELL_WIDTH * column - 118, row == 1 ? 70 : CELL_HEIGHT * row - 9,
                CELL_WIDTH * column + 1, CELL_HEIGHT * row + 70};
}

// What a day has spent and has left: the part of its record that an expense or a correction
// changes.
struct DaySpending {
    double spent = 0;
    double balance = 0;
    std::array<char, sizeof(DayRecord::spentText)> spentText{};
    bool operator==(const DaySpending&) const = default;
};

// Sums over the days of the period.
struct PeriodTotals {
    double spent = 0;
    double balance = 0;
    double allowance = 0;
};

class Period {
public:
    // A period that begins on `start` and is not laid out yet: every cell empty.
    explicit Period(Date start = {}) : start_(start) {}

    // Begins the period on `start` with every cell emptied, and lays it out. A start day that
    // the following month lacks becomes that month's last day.
    void Begin(Date start);
    // Takes a stored period: the cells as the ledger held them, laid out again from the start
    // date kept in column 3, row 3 (a day of every period). False, and nothing changed, when
    // that record holds no real start date: the file holds no period that can be shown.
    bool Restore(const DayRecords& stored);

    Date Start() const { return start_; }
    const DayRecords& Records() const { return cells_; }
    const DayRecord& Day(GridPlace place) const { return cells_[CellIndex(place)]; }
    // A day of the period as the ledger marks it: it takes expenses and is saved.
    bool TakesExpenses(GridPlace place) const { return Day(place).inPeriod != 0; }
    // A day of the period as laid out from the start date: it is drawn as a day.
    bool Shows(GridPlace place) const { return laidOut_[CellIndex(place)]; }
    // The cell laid out for `dayOfMonth`, if the period has that day.
    std::optional<GridPlace> PlaceOfDay(int dayOfMonth) const;
    // The date of a day the period shows: in the start month, or in the following one.
    Date DateOf(GridPlace place) const;
    // The cell that shows `date`, if the period has that day.
    std::optional<GridPlace> PlaceOfDate(Date date) const;
    // The period's last day (the day before its start day, a month on); the start date when it
    // shows no day.
    Date LastDay() const;
    // How many days the period shows from `place` to its last day, both included.
    int DaysFrom(GridPlace place) const;

    // Each day of the period gets `total` divided by their number as allowance and balance.
    void SpreadTotal(double total);
    // Adds an expense to a day: its spent amount, the text kept of it, and its balance.
    void AddExpense(GridPlace place, double amount);
    // Sets what a day has spent; its balance follows, and nothing spent keeps no text of it, so
    // that the day shows no spent amount.
    void CorrectSpent(GridPlace place, double amount);
    DaySpending Spending(GridPlace place) const;
    void SetSpending(GridPlace place, const DaySpending& spending);
    PeriodTotals Totals() const;

private:
    void LayOut();
    static void KeepSpentText(DayRecord& day);

    DayRecords cells_{};
    Date start_;
    std::bitset<GRID_CELLS> laidOut_;
};
