// The calendar model: weekday and month arithmetic, the Spanish names, and the grid of 42 day
// records that holds one pay period (the same 77-byte records make up the ledger file).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Weekdays are numbered 1 = Monday .. 7 = Sunday everywhere; a weekday is also a grid column.
struct CalendarNames {
    std::string dayNames[8];     // 1..7, texts in Windows-1252
    std::string monthNames[13];  // 1..12
};
extern CalendarNames calendarNames;

void InitCalendarNames();
// The month's name, or an empty text for a month outside 1..12 (only a damaged ledger has one).
const std::string& MonthName(int month);
int16_t DayOfWeek(int16_t year, int16_t month, int16_t day);
int16_t FebruaryLength(int16_t year);
int16_t DaysInMonth(int16_t month);  // February follows the period's start year

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

// The pay period: its start date and its 7 x 6 cells, column varying fastest in storage.
struct PeriodModel {
    DayRecord dayGrid[GRID_CELLS];
    int16_t startDay;
    int16_t startMonth;
    int16_t startYear;
};
extern PeriodModel period;

// The record of (column 1..7, row 1..6).
inline DayRecord& DayAt(int column, int row) {
    return period.dayGrid[(row - 1) * GRID_COLUMNS + (column - 1)];
}
inline bool IsGridPosition(int column, int row) {
    return column >= 1 && column <= GRID_COLUMNS && row >= 1 && row <= GRID_ROWS;
}

// Empties the grid: every byte of every record zero.
void CreateDayGrid();
// The grid emptied and the start date zero, as before start-up.
void ResetPeriod();
