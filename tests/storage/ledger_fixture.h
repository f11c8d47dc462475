// SPDX-License-Identifier: GPL-3.0-or-later
// A fresh temporary folder for each ledger test, the ledger "ahorros.log" in it, the file calls
// its saves make, and the two periods the tests save in turn.
#pragma once

#include <string>

#include "ledger_support.h"

struct LedgerTest : testing::Test {
    const std::string folder = MakeTemporaryFolder();  // without a trailing "/"
    const std::string path = folder + "/" + LEDGER_FILE_NAME;
    FileCalls files;
    // Loading it again is what a new run does: only what it loads is its own to replace.
    Ledger ledger{path, files};
    const Period march = PeriodOf(WorkedExample());
    const Period february = PeriodOf(FebruaryWithExpenses());
    const std::string marchBytes = LedgerContent(WorkedExample());
    const std::string februaryBytes = LedgerContent(FebruaryWithExpenses());

    void SetUp() override { ASSERT_FALSE(folder.empty()); }
    void TearDown() override { RemoveFolder(folder); }

    // The records loading leaves in empty cells.
    DayRecords Load() {
        DayRecords records{};
        ledger.Load(records);
        return records;
    }
    std::string Bytes() const { return FileBytes(path); }
};

inline double SpentAt(const DayRecords& records, int column, int row) {
    return records[CellIndex({column, row})].spent;
}
