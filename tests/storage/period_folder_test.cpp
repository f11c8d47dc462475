// SPDX-License-Identifier: GPL-3.0-or-later
// The history's files: which names are kept periods, and every file read while another program
// holds its lock, which a read-only ledger never takes and never refuses.
#include "storage/period_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include "ledger_fixture.h"

namespace {

TEST(KeptNameTest, OnlyTheNamesAKeptPeriodIsGiven) {
    const struct {
        const char* name;
        bool kept;
        Date start;
        int attempt;
    } cases[] = {
        {"ahorros-2026-12-10.log", true, {2026, 12, 10}, 1},
        {"ahorros-2026-12-10-2.log", true, {2026, 12, 10}, 2},
        {"ahorros-2026-12-10.log.bak", false, {}, 0},
        {"ahorros.log", false, {}, 0},
        {"ahorros.log.apartado-20261210-101010", false, {}, 0},
        {".ahorros.log.a1b2c3", false, {}, 0},
        {"ahorros-2026-12-10-1.log", false, {}, 0},
        {"ahorros-2026-12-10-02.log", false, {}, 0},
        {"ahorros-2026-12-10-x.log", false, {}, 0},
        {"ahorros-2026-1-10.log", false, {}, 0},
        {"ahorros-2026-12-1a.log", false, {}, 0},
        {"ahorros-2026-12-10.csv", false, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<KeptName> kept = ReadKeptName(c.name);
        ASSERT_EQ(kept.has_value(), c.kept);
        if (!kept) continue;
        EXPECT_EQ(kept->start, c.start);
        EXPECT_EQ(kept->attempt, c.attempt);
    }
}

// Another program's lock, which keeps a run from loading its own ledger, does not keep a reader
// from reading; the reader leaves no lock behind.
TEST_F(LedgerTest, HistoryReadsFilesAnotherProgramHoldsLocked) {
    ASSERT_TRUE(WriteFileBytes(path, marchBytes));
    const std::string kept = folder + "/ahorros-2023-02-01.log";
    ASSERT_TRUE(WriteFileBytes(kept, februaryBytes));
    std::vector<int> held;
    for (const std::string& file : {path, kept}) {
        held.push_back(open(file.c_str(), O_RDONLY | O_CLOEXEC));
        ASSERT_EQ(flock(held.back(), LOCK_EX | LOCK_NB), 0);
    }
    DayRecords records{};
    EXPECT_TRUE(ledger.Load(records)) << "the owner's load is refused";

    const PeriodFolder history = ReadPeriodFolder(path);
    ASSERT_EQ(history.entries.size(), 2u);
    for (const PeriodFile& entry : history.entries) {
        SCOPED_TRACE(entry.name);
        EXPECT_FALSE(entry.error) << entry.error.message();
        EXPECT_TRUE(entry.period.has_value());
    }
    EXPECT_EQ(history.entries[0].name, LEDGER_FILE_NAME) << "newest first";
    for (int fd : held) close(fd);
    for (const std::string& file : {path, kept}) {
        const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0) << file << " is left unlocked";
        close(fd);
    }
}

// A read-only ledger never saves and never begins a new period.
TEST_F(LedgerTest, ReadOnlyLedgerRefusesEveryChange) {
    ASSERT_TRUE(WriteFileBytes(path, marchBytes));
    Ledger reader(path, files, LedgerAccess::ReadOnly);
    EXPECT_EQ(reader.Save(february), FileError::PermissionDenied);
    std::string archived;
    EXPECT_TRUE(reader.Archive(&archived));
    EXPECT_EQ(Bytes(), marchBytes);
    EXPECT_EQ(OtherEntries(folder), std::vector<std::string>{});
}

}  // namespace
