// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the ledger tests and the crash helper: periods laid out as the calendar draws them,
// the ledger bytes they must give, and small file helpers.
#pragma once

#include <dirent.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "cell_geometry.h"
#include "model/period.h"
#include "storage/ledger.h"
#include "system/files.h"
#include "test_files.h"

// A pay period as the user picks it: the start date, the column of its weekday, the length of
// the start month (which is the number of days of the period) and the monthly total.
struct PeriodPlan {
    int startColumn;
    int startDay;
    int month;
    int year;
    int days;
    double total;
};

// Friday 15 March 2024 to Sunday 14 April 2024, 100 a day.
constexpr PeriodPlan MARCH_2024 = {5, 15, 3, 2024, 31, 3100.0};
// Monday 1 April 2024 to Tuesday 30 April 2024.
constexpr PeriodPlan APRIL_2024 = {1, 1, 4, 2024, 30, 1500.0};
// Wednesday 1 February 2023 to Tuesday 28 February 2023.
constexpr PeriodPlan FEBRUARY_2023 = {3, 1, 2, 2023, 28, 1400.0};
// Sunday 1 December 2024 to Tuesday 31 December 2024: all six rows.
constexpr PeriodPlan DECEMBER_2024 = {7, 1, 12, 2024, 31, 1000.0};

inline int CellLeft(int column) {
    return TestCellBox(column, 1).left;
}
inline int CellRight(int column) {
    return TestCellBox(column, 1).right;
}
inline int CellTop(int row) {
    return TestCellBox(1, row).top;
}
inline int CellBottom(int row) {
    return TestCellBox(1, row).bottom;
}

// Day i (from 0) of the period: its cell, counted row by row from the start column.
inline int ColumnOfDay(const PeriodPlan& plan, int i) {
    return (plan.startColumn - 1 + i) % 7 + 1;
}
inline int RowOfDay(const PeriodPlan& plan, int i) {
    return (plan.startColumn - 1 + i) / 7 + 1;
}
inline int DayOfMonthOfDay(const PeriodPlan& plan, int i) {
    int day = plan.startDay + i;
    return day <= plan.days ? day : day - plan.days;
}

// The cell at (column, row) of a set of records.
inline DayRecord& At(DayRecords& records, int column, int row) {
    return records[CellIndex({column, row})];
}

// The records as laying the period out and spreading its total leave them, worked out
// independently of the program.
inline DayRecords PlannedRecords(const PeriodPlan& plan) {
    DayRecords records{};
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            DayRecord& day = At(records, column, row);
            day.cellLeft = CellLeft(column);
            day.cellTop = CellTop(row);
            day.cellRight = CellRight(column);
            day.cellBottom = CellBottom(row);
            day.column = column;
            day.row = row;
            day.periodStartDay = plan.startDay;
            day.periodMonth = plan.month;
            day.periodYear = plan.year;
        }
    }
    const double allowance = plan.total / plan.days;
    for (int i = 0; i < plan.days; ++i) {
        DayRecord& day = At(records, ColumnOfDay(plan, i), RowOfDay(plan, i));
        day.weekday = static_cast<uint8_t>(ColumnOfDay(plan, i));
        day.dayOfMonth = static_cast<uint8_t>(DayOfMonthOfDay(plan, i));
        day.inPeriod = 1;
        day.allowance = allowance;
        day.balance = allowance;
    }
    return records;
}

// An expense as the amount entry records it; `text` is the formatted total spent.
inline void AddExpense(DayRecords& records, int column, int row, double amount, const char* text) {
    DayRecord& day = At(records, column, row);
    day.spent += amount;
    std::memset(day.spentText, 0, sizeof day.spentText);
    std::memcpy(day.spentText, text, std::min(std::strlen(text), sizeof day.spentText - 1));
    day.balance = day.allowance - day.spent;
}

// The period those records hold, as a start with that ledger shows it.
inline Period PeriodOf(const DayRecords& records) {
    Period period;
    EXPECT_TRUE(period.Restore(records));
    return period;
}

// The worked example: 12,5 spent on its first day, Friday 15 March.
inline DayRecords WorkedExample() {
    DayRecords records = PlannedRecords(MARCH_2024);
    AddExpense(records, 5, 1, 12.5, "12'50     ");
    return records;
}

// A second, different period for tests that alternate between two ledgers.
inline DayRecords FebruaryWithExpenses() {
    DayRecords records = PlannedRecords(FEBRUARY_2023);
    AddExpense(records, 3, 1, 20.0, "20'00     ");
    AddExpense(records, 4, 3, 1234.5, "1.234'50  ");
    return records;
}

// The bytes the days of the period must be saved as: their records in row, then column order.
inline std::string LedgerContent(const DayRecords& records) {
    std::string content;
    for (const DayRecord& day : records)
        if (day.inPeriod != 0) content.append(reinterpret_cast<const char*>(&day), DAY_RECORD_SIZE);
    return content;
}

// A record written out field by field in little-endian order, independent of the struct.
struct RecordFields {
    double spent;
    double balance;
    std::string spentText;  // at most 10 characters
    double allowance;
    int weekday;
    int dayOfMonth;
    int cellLeft;
    int cellTop;
    int cellRight;
    int cellBottom;
    int column;
    int row;
    int inPeriod;
    int periodStartDay;
    int periodMonth;
    int periodYear;
};

inline void PutLittleEndian(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::string EncodeRecord(const RecordFields& f) {
    std::string out;
    PutLittleEndian(out, std::bit_cast<uint64_t>(f.spent), 8);
    PutLittleEndian(out, std::bit_cast<uint64_t>(f.balance), 8);
    std::string text = f.spentText;
    text.resize(11, '\0');
    out += text;
    PutLittleEndian(out, std::bit_cast<uint64_t>(f.allowance), 8);
    PutLittleEndian(out, static_cast<uint8_t>(f.weekday), 1);
    PutLittleEndian(out, static_cast<uint8_t>(f.dayOfMonth), 1);
    for (int value : {f.cellLeft, f.cellTop, f.cellRight, f.cellBottom, f.column, f.row, f.inPeriod,
                      f.periodStartDay, f.periodMonth, f.periodYear}) {
        PutLittleEndian(out, static_cast<uint32_t>(value), 4);
    }
    return out;
}

// The record of day i of a period without expenses.
inline RecordFields PlannedDay(const PeriodPlan& plan, int i) {
    int column = ColumnOfDay(plan, i);
    int row = RowOfDay(plan, i);
    double allowance = plan.total / plan.days;
    return {0.0,
            allowance,
            "",
            allowance,
            column,
            DayOfMonthOfDay(plan, i),
            CellLeft(column),
            CellTop(row),
            CellRight(column),
            CellBottom(row),
            column,
            row,
            1,
            plan.startDay,
            plan.month,
            plan.year};
}

// Names in `folder` other than the ledger itself and its backup.
inline std::vector<std::string> OtherEntries(const std::string& folder) {
    std::vector<std::string> names = FolderNames(folder);
    std::erase_if(names, [](const std::string& name) {
        return name == LEDGER_FILE_NAME || name == std::string(LEDGER_FILE_NAME) + BACKUP_SUFFIX;
    });
    return names;
}

// Whether `name` has the form of a save's temporary file: ".ahorros.log." and six characters.
inline bool IsTemporaryLedgerName(const std::string& name) {
    std::string prefix = std::string(".") + LEDGER_FILE_NAME + ".";
    return name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0;
}

// The number a file error is shown with ("Err:  61 ..."), 0 for none.
inline int Shown(FileError error) {
    return static_cast<int>(error);
}
inline void PrintTo(FileError error, std::ostream* out) {
    *out << "error " << Shown(error);
}

// Compares two byte strings without printing them: a ledger is binary and long.
inline testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected) return testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
    return testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                       << " were expected, first difference at offset " << at;
}

constexpr uid_t NOBODY = 65534;

// Runs `body` in a child process as this process's user; returns the child's exit code, or -1
// with the reason.
inline int RunAsItIs(const std::function<int()>& body, std::string* why) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        *why = "the child process failed";
        return -1;
    }
    return WEXITSTATUS(status);
}
constexpr int CANNOT_SWITCH_USER = 99;

// Runs `body` in a child process, as the unprivileged user "nobody" when this process is root
// (root ignores file permissions); returns the child's exit code, or -1 with the reason.
inline int RunUnprivileged(const std::function<int()>& body, std::string* why) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(NOBODY) != 0 ||
                               setuid(NOBODY) != 0 || geteuid() == 0))
            _exit(CANNOT_SWITCH_USER);
        _exit(body());
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) {
        *why = "the child process failed";
        return -1;
    }
    if (WEXITSTATUS(status) == CANNOT_SWITCH_USER) {
        *why = "running as root and cannot switch to user nobody (needs CAP_SETUID)";
        return -1;
    }
    return WEXITSTATUS(status);
}
