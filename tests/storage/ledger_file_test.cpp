// SPDX-License-Identifier: GPL-3.0-or-later
// The ledger's bytes on disk and how loading puts records back into the cells.
#include <sys/stat.h>
#include <sys/types.h>

#include <bit>
#include <climits>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ledger_fixture.h"

namespace {

std::string RecordsBytes(const DayRecords& records) {
    return std::string(reinterpret_cast<const char*>(records.data()), sizeof records);
}

std::string CellBytes(DayRecords& records, int column, int row) {
    return std::string(reinterpret_cast<const char*>(&At(records, column, row)), DAY_RECORD_SIZE);
}

// ---------------------------------------------------------------------------------------------
// Saving

using LedgerSave = LedgerTest;

TEST_F(LedgerSave, WorkedExampleGivesTheExactBytesOfItsFirstTwoDays) {
    ASSERT_EQ(ledger.Save(march), FileError::None);
    std::string bytes = Bytes();
    ASSERT_EQ(bytes.size(), 2387u);

    const unsigned char friday15[77] = {
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x29, 0x40,                    // spent 12.5
        0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x55, 0x40,                    // balance 87.5
        0x31, 0x32, 0x27, 0x35, 0x30, 0x20, 0x20, 0x20, 0x20, 0x20, 0x00,  // "12'50     "
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x59, 0x40,                    // allowance 100
        0x05, 0x0F,                                                        // Friday the 15th
        0xE2, 0x01, 0x00, 0x00, 0x46, 0x00, 0x00, 0x00,                    // left 482, top 70
        0x59, 0x02, 0x00, 0x00, 0x96, 0x00, 0x00, 0x00,                    // right 601, bottom 150
        0x05, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                    // column 5, row 1
        0x01, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00,  // in the period, from the 15th
        0x03, 0x00, 0x00, 0x00, 0xE8, 0x07, 0x00, 0x00,  // of March 2024
    };
    EXPECT_EQ(bytes.substr(0, 77), std::string(reinterpret_cast<const char*>(friday15), 77));

    RecordFields saturday16 = {0.0, 100.0, "", 100.0, 6, 16, 602, 70,
                               721, 150,   6,  1,     1, 15, 3,   2024};
    EXPECT_EQ(bytes.substr(77, 77), EncodeRecord(saturday16));
}

// A period without expenses is saved as its days in row, then column order, and nothing else.
TEST_F(LedgerSave, WritesEveryDayOfThePeriodInGridOrder) {
    const struct {
        const char* name;
        PeriodPlan plan;
        size_t size;
    } cases[] = {{"31 days from a Friday", MARCH_2024, 2387},
                 {"30 days from a Monday", APRIL_2024, 2310},
                 {"28 days from a Wednesday", FEBRUARY_2023, 2156},
                 {"31 days from a Sunday use six rows", DECEMBER_2024, 2387}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(ledger.Save(PeriodOf(PlannedRecords(c.plan))), FileError::None);
        std::string expected;
        for (int i = 0; i < c.plan.days; ++i) expected += EncodeRecord(PlannedDay(c.plan, i));
        EXPECT_EQ(Bytes().size(), c.size);
        EXPECT_TRUE(SameBytes(Bytes(), expected));
    }
}

TEST_F(LedgerSave, ReplacesALongerLedgerCompletely) {
    ASSERT_EQ(ledger.Save(march), FileError::None);
    ASSERT_EQ(ledger.Save(february), FileError::None);
    EXPECT_TRUE(SameBytes(Bytes(), februaryBytes));
    EXPECT_EQ(Bytes().size(), 28u * 77u);
}

// The text keeps at most ten characters and zeroes every byte after them, so equal days always
// give equal bytes.
TEST_F(LedgerSave, SavesTheTextUpToItsTerminatorAndZeroesTheRest) {
    const struct {
        const char* name;
        const char* held;  // the 11 bytes of the cell's text
        const char* saved;
    } cases[] = {{"bytes after the terminator", "12'50\0XYZAB", "12'50\0\0\0\0\0\0"},
                 {"an empty text", "\0QQQQQQQQQQ", "\0\0\0\0\0\0\0\0\0\0\0"},
                 {"an unterminated text", "ABCDEFGHIJK", "ABCDEFGHIJ\0"}};
    DayRecords records = PlannedRecords(APRIL_2024);
    for (int i = 0; i < 3; ++i) std::memcpy(At(records, i + 1, 1).spentText, cases[i].held, 11);
    ASSERT_EQ(ledger.Save(PeriodOf(records)), FileError::None);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(Bytes().substr(77 * i + 16, 11), std::string(cases[i].saved, 11));
    }
}

TEST_F(LedgerSave, GivesTheSameBytesForTheSamePeriodWhateverWasSavedBefore) {
    ASSERT_EQ(ledger.Save(february), FileError::None);
    const std::string first = Bytes();
    ASSERT_EQ(ledger.Save(march), FileError::None);
    ASSERT_EQ(ledger.Save(february), FileError::None);
    EXPECT_TRUE(SameBytes(Bytes(), first));
}

TEST_F(LedgerSave, LeavesNothingButTheLedgerInTheFolder) {
    ASSERT_EQ(ledger.Save(march), FileError::None);
    ASSERT_EQ(ledger.Save(march), FileError::None);
    EXPECT_TRUE(OtherEntries(folder).empty());
}

// A new ledger gets 0644 less the umask.
TEST_F(LedgerSave, NewLedgerHonoursTheUmask) {
    const struct {
        mode_t mask;
        mode_t mode;
    } cases[] = {{022, 0644}, {077, 0600}, {002, 0644}, {0266, 0400}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "umask " << std::oct << c.mask);
        unlink(path.c_str());
        const mode_t old = umask(c.mask);
        const FileError number = ledger.Save(march);
        umask(old);
        ASSERT_EQ(number, FileError::None);
        struct stat info;
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.mode);
    }
}

// ---------------------------------------------------------------------------------------------
// Loading

using LedgerLoad = LedgerTest;

// A day record naming (column, row); the spent amount tells records apart.
RecordFields SomeDay(int column, int row, double spent, std::string text = "7'25") {
    RecordFields day = PlannedDay(MARCH_2024, 0);
    day.spent = spent;
    day.balance = day.allowance - spent;
    day.spentText = std::move(text);
    day.weekday = column;
    day.column = column;
    day.row = row;
    return day;
}

// Each complete record goes into the cell it names, in empty cells, and nothing else is filled.
TEST_F(LedgerLoad, PutsEachCompleteRecordIntoTheCellItNames) {
    struct Cell {
        int column;
        int row;
        RecordFields day;
    };
    const struct {
        const char* name;
        std::string file;
        std::vector<Cell> loaded;
    } cases[] = {
        {"records in any order",
         EncodeRecord(SomeDay(7, 6, 1.0)) + EncodeRecord(SomeDay(1, 1, 2.0)) +
             EncodeRecord(SomeDay(3, 3, 3.0)),
         {{7, 6, SomeDay(7, 6, 1.0)}, {1, 1, SomeDay(1, 1, 2.0)}, {3, 3, SomeDay(3, 3, 3.0)}}},
        {"a hundred bytes: one record and a partial one",
         EncodeRecord(SomeDay(3, 3, 4.5)) + std::string(23, '\x02'),
         {{3, 3, SomeDay(3, 3, 4.5)}}},
        {"an empty file", "", {}},
        {"the later of two records for one cell wins",
         EncodeRecord(SomeDay(4, 2, 1.0)) + EncodeRecord(SomeDay(5, 5, 9.0)) +
             EncodeRecord(SomeDay(4, 2, 2.0)),
         {{4, 2, SomeDay(4, 2, 2.0)}, {5, 5, SomeDay(5, 5, 9.0)}}},
        {"the text only up to its terminator",
         EncodeRecord(SomeDay(2, 2, 1.0, std::string("1'00\0GARBAGE", 11))),
         {{2, 2, SomeDay(2, 2, 1.0, "1'00")}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(WriteFileBytes(path, c.file));
        DayRecords expected{};
        for (const Cell& cell : c.loaded)
            std::memcpy(&At(expected, cell.column, cell.row), EncodeRecord(cell.day).data(),
                        DAY_RECORD_SIZE);
        EXPECT_TRUE(SameBytes(RecordsBytes(Load()), RecordsBytes(expected)));
    }
}

// Records naming a cell outside the grid are skipped; every other byte of the cells stays.
TEST_F(LedgerLoad, SkipsRecordsOutsideTheGrid) {
    const struct {
        int column;
        int row;
    } cases[] = {{0, 1},
                 {8, 1},
                 {1, 0},
                 {1, 7},
                 {8, 6},
                 {0, 0},
                 {-1, 3},
                 {3, -1},
                 {INT_MIN, 1},
                 {1, INT_MAX},
                 {INT_MAX, INT_MAX},
                 {-6, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << ", row " << c.row);
        DayRecords records;
        std::memset(records.data(), 0xA5, sizeof records);
        DayRecords expected = records;
        std::memcpy(&At(expected, 3, 3), EncodeRecord(SomeDay(3, 3, 1.0)).data(), DAY_RECORD_SIZE);
        std::memcpy(&At(expected, 5, 6), EncodeRecord(SomeDay(5, 6, 2.0)).data(), DAY_RECORD_SIZE);

        const std::string stray = EncodeRecord(SomeDay(c.column, c.row, 66.0));
        ASSERT_TRUE(WriteFileBytes(path, EncodeRecord(SomeDay(3, 3, 1.0)) + stray +
                                             EncodeRecord(SomeDay(5, 6, 2.0)) + stray));
        ledger.Load(records);
        EXPECT_TRUE(SameBytes(RecordsBytes(records), RecordsBytes(expected)));
    }
}

TEST_F(LedgerLoad, SavingAfterLoadingReproducesTheFileByteForByte) {
    ASSERT_EQ(ledger.Save(march), FileError::None);
    const std::string saved = Bytes();
    ASSERT_EQ(ledger.Save(PeriodOf(Load())), FileError::None);
    EXPECT_TRUE(SameBytes(Bytes(), saved));
}

// Amounts that are no numbers read as 0; the file is not the one shown, so a save keeps it aside.
TEST_F(LedgerLoad, ReadsAmountsThatAreNotNumbersAsZeroAndKeepsTheirFileAside) {
    RecordFields day = SomeDay(6, 4, 0.0);
    day.spent = std::bit_cast<double>(uint64_t{0x7FF4000000000123});  // signalling, with payload
    day.balance = -std::numeric_limits<double>::infinity();
    day.allowance = std::bit_cast<double>(uint64_t{0xFFF8000000000042});
    const std::string file = EncodeRecord(day);
    ASSERT_TRUE(WriteFileBytes(path, file));
    DayRecords records = Load();
    day.spent = day.balance = day.allowance = 0;
    EXPECT_EQ(CellBytes(records, 6, 4), EncodeRecord(day));
    ASSERT_EQ(ledger.Save(march), FileError::None);
    std::string aside;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("ahorros.log.apartado-"))
            aside = FileBytes(entry.path());
    EXPECT_TRUE(SameBytes(aside, file));
    EXPECT_TRUE(SameBytes(Bytes(), marchBytes));
}

TEST_F(LedgerLoad, LeavesTheFileAsItWas) {
    ASSERT_EQ(ledger.Save(march), FileError::None);
    ASSERT_TRUE(WriteFileBytes(path, Bytes() + "tail"));
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    const std::string bytes = Bytes();
    const DayRecords records = Load();
    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_TRUE(SameBytes(Bytes(), bytes));
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(SpentAt(records, 5, 1), 12.5);
}

// Nothing, a folder or a pipe in the ledger's place loads nothing, is left as it was, and the
// load does not wait for a pipe's writer.
TEST_F(LedgerLoad, LoadsNothingFromAPlaceWithoutALedgerFile) {
    const std::string empty = RecordsBytes(DayRecords{});
    EXPECT_TRUE(SameBytes(RecordsBytes(Load()), empty)) << "missing";
    EXPECT_FALSE(PathExists(path)) << "a missing ledger was created";

    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    EXPECT_TRUE(SameBytes(RecordsBytes(Load()), empty)) << "folder";
    ASSERT_EQ(rmdir(path.c_str()), 0);

    ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
    EXPECT_TRUE(SameBytes(RecordsBytes(Load()), empty)) << "pipe";
}

TEST_F(LedgerLoad, LoadsNothingWhileAnotherOpenerHoldsTheLedger) {
    ASSERT_EQ(ledger.Save(march), FileError::None);
    std::error_code error;
    const int holder = OpenRecordFile(path, &error);
    ASSERT_GE(holder, 0);
    EXPECT_TRUE(SameBytes(RecordsBytes(Load()), RecordsBytes(DayRecords{})));
    CloseRecordFile(holder);
    EXPECT_EQ(SpentAt(Load(), 5, 1), 12.5);
}

// A save killed midway may leave its temporary file; later loads and saves ignore it.
TEST_F(LedgerLoad, IgnoresATemporaryFileLeftByAnInterruptedSave) {
    ASSERT_EQ(ledger.Save(march), FileError::None);
    ASSERT_TRUE(WriteFileBytes(folder + "/.ahorros.log.Ab12Cd", EncodeRecord(SomeDay(5, 1, 999))));
    EXPECT_EQ(SpentAt(Load(), 5, 1), 12.5);
    ASSERT_EQ(ledger.Save(february), FileError::None);
    EXPECT_TRUE(SameBytes(Bytes(), februaryBytes));
    EXPECT_EQ(OtherEntries(folder), std::vector<std::string>{".ahorros.log.Ab12Cd"});
}

}  // namespace
