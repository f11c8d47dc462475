// The ledger's bytes on disk and how loading puts records back into the grid.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <bit>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "ledger_support.h"
#include "platform/testing.h"

namespace {

struct LedgerFolder : testing::Test {
    std::string folder;

    void SetUp() override {
        folder = MakeTemporaryFolder();
        ASSERT_FALSE(folder.empty());
        SetExecutableFolderForTesting(folder);
        InjectFileFault(0, 0, false);
        CreateDayGrid();
    }
    void TearDown() override {
        SetExecutableFolderForTesting("");
        RemoveFolder(folder);
    }
    std::string LedgerBytes() { return FileBytes(LedgerPath()); }
};

std::string GridBytes() {
    return std::string(reinterpret_cast<const char*>(period.dayGrid), sizeof period.dayGrid);
}

std::string CellBytes(int column, int row) {
    return std::string(reinterpret_cast<const char*>(&DayAt(column, row)), DAY_RECORD_SIZE);
}

// ---------------------------------------------------------------------------------------------
// Saving

using LedgerSave = LedgerFolder;

TEST_F(LedgerSave, WorkedExampleGivesTheExactBytesOfItsFirstTwoDays) {
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    std::string bytes = LedgerBytes();
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

// Saving a period without expenses gives its days in row, then column order, and nothing else.
struct LayoutCase {
    const char* name;
    PeriodPlan plan;
    size_t size;
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
    *out << c.name;
}

struct LedgerSaveLayout : LedgerFolder, testing::WithParamInterface<LayoutCase> {};

TEST_P(LedgerSaveLayout, WritesEveryDayOfThePeriodInGridOrder) {
    const PeriodPlan& plan = GetParam().plan;
    LayOutPeriod(plan);
    ASSERT_EQ(SaveLedger(), 0);
    std::string expected;
    for (int i = 0; i < plan.days; ++i) expected += EncodeRecord(PlannedDay(plan, i));
    std::string bytes = LedgerBytes();
    EXPECT_EQ(bytes.size(), GetParam().size);
    EXPECT_TRUE(SameBytes(bytes, expected));
}

INSTANTIATE_TEST_SUITE_P(
    Periods, LedgerSaveLayout,
    testing::Values(LayoutCase{"ThirtyOneDaysFromAFriday", MARCH_2024, 2387},
                    LayoutCase{"ThirtyDaysFromAMonday", APRIL_2024, 2310},
                    LayoutCase{"TwentyEightDaysFromAWednesday", FEBRUARY_2023, 2156},
                    LayoutCase{"ThirtyOneDaysFromASundayUseSixRows", DECEMBER_2024, 2387}));

TEST_F(LedgerSave, ReplacesALongerLedgerCompletely) {
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    LayOutFebruaryWithExpenses();
    ASSERT_EQ(SaveLedger(), 0);
    EXPECT_TRUE(SameBytes(LedgerBytes(), GridLedgerContent()));
    EXPECT_EQ(LedgerBytes().size(), 28u * 77u);
}

TEST_F(LedgerSave, ZeroesTheTextBytesAfterItsTerminator) {
    LayOutPeriod(APRIL_2024);
    std::memcpy(DayAt(1, 1).spentText, "12'50\0XYZAB", 11);
    std::memcpy(DayAt(2, 1).spentText, "\0QQQQQQQQQQ", 11);
    ASSERT_EQ(SaveLedger(), 0);
    std::string bytes = LedgerBytes();
    EXPECT_EQ(bytes.substr(16, 11), std::string("12'50\0\0\0\0\0\0", 11));
    EXPECT_EQ(bytes.substr(77 + 16, 11), std::string(11, '\0'));
}

TEST_F(LedgerSave, KeepsTenCharactersOfAnUnterminatedText) {
    LayOutPeriod(APRIL_2024);
    std::memcpy(DayAt(1, 1).spentText, "ABCDEFGHIJK", 11);
    ASSERT_EQ(SaveLedger(), 0);
    EXPECT_EQ(LedgerBytes().substr(16, 11), std::string("ABCDEFGHIJ\0", 11));
}

TEST_F(LedgerSave, GivesTheSameBytesForTheSamePeriodWhateverWasSavedBefore) {
    LayOutFebruaryWithExpenses();
    ASSERT_EQ(SaveLedger(), 0);
    std::string first = LedgerBytes();
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    LayOutFebruaryWithExpenses();
    ASSERT_EQ(SaveLedger(), 0);
    EXPECT_TRUE(SameBytes(LedgerBytes(), first));
}

TEST_F(LedgerSave, LeavesNothingButTheLedgerInTheFolder) {
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    ASSERT_EQ(SaveLedger(), 0);
    EXPECT_TRUE(OtherEntries(folder).empty());
}

TEST_F(LedgerSave, FormsThePathFromTheExecutableFolder) {
    SetExecutableFolderForTesting(folder);
    EXPECT_EQ(LedgerPath(), folder + "/ahorros.log");
    SetExecutableFolderForTesting(folder + "/");
    EXPECT_EQ(LedgerPath(), folder + "/ahorros.log");
}

// A new ledger gets 0644 less the umask.
struct ModeCase {
    mode_t mask;
    mode_t mode;
};

void PrintTo(const ModeCase& c, std::ostream* out) {
    *out << "umask " << std::oct << c.mask;
}

struct LedgerSaveMode : LedgerFolder, testing::WithParamInterface<ModeCase> {};

TEST_P(LedgerSaveMode, HonoursTheUmask) {
    LayOutWorkedExample();
    mode_t old = umask(GetParam().mask);
    int number = SaveLedger();
    umask(old);
    ASSERT_EQ(number, 0);
    struct stat info;
    ASSERT_EQ(stat(LedgerPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(Masks, LedgerSaveMode,
                         testing::Values(ModeCase{022, 0644}, ModeCase{077, 0600},
                                         ModeCase{002, 0644}, ModeCase{0266, 0400}));

// ---------------------------------------------------------------------------------------------
// Loading

using LedgerLoad = LedgerFolder;

// A day record naming (column, row); the spent amount tells records apart.
RecordFields SomeDay(int column, int row, double spent) {
    RecordFields day = PlannedDay(MARCH_2024, 0);
    day.spent = spent;
    day.balance = day.allowance - spent;
    day.spentText = "7'25";
    day.weekday = column;
    day.column = column;
    day.row = row;
    return day;
}

TEST_F(LedgerLoad, PutsEachRecordIntoTheCellItNames) {
    std::string file = EncodeRecord(SomeDay(7, 6, 1.0)) + EncodeRecord(SomeDay(1, 1, 2.0)) +
                       EncodeRecord(SomeDay(3, 3, 3.0));
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), file));
    LoadLedger();
    EXPECT_EQ(CellBytes(7, 6), EncodeRecord(SomeDay(7, 6, 1.0)));
    EXPECT_EQ(CellBytes(1, 1), EncodeRecord(SomeDay(1, 1, 2.0)));
    EXPECT_EQ(CellBytes(3, 3), EncodeRecord(SomeDay(3, 3, 3.0)));
    EXPECT_EQ(CellBytes(2, 1), std::string(77, '\0'));
}

TEST_F(LedgerLoad, AHundredByteFileLoadsOneRecord) {
    std::string file = EncodeRecord(SomeDay(3, 3, 4.5)) + std::string(23, '\x02');
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), file));
    LoadLedger();
    std::string expected(sizeof period.dayGrid, '\0');
    expected.replace((3 - 1) * 7 * 77 + (3 - 1) * 77, 77, EncodeRecord(SomeDay(3, 3, 4.5)));
    EXPECT_TRUE(SameBytes(GridBytes(), expected));
}

TEST_F(LedgerLoad, AnEmptyFileLoadsNothing) {
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), ""));
    LoadLedger();
    EXPECT_TRUE(SameBytes(GridBytes(), std::string(sizeof period.dayGrid, '\0')));
}

TEST_F(LedgerLoad, TheLaterOfTwoRecordsForOneCellWins) {
    std::string file = EncodeRecord(SomeDay(4, 2, 1.0)) + EncodeRecord(SomeDay(5, 5, 9.0)) +
                       EncodeRecord(SomeDay(4, 2, 2.0));
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), file));
    LoadLedger();
    EXPECT_EQ(CellBytes(4, 2), EncodeRecord(SomeDay(4, 2, 2.0)));
    EXPECT_EQ(CellBytes(5, 5), EncodeRecord(SomeDay(5, 5, 9.0)));
}

TEST_F(LedgerLoad, SavingAfterLoadingReproducesTheFileByteForByte) {
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    std::string saved = LedgerBytes();
    CreateDayGrid();
    LoadLedger();
    ASSERT_EQ(SaveLedger(), 0);
    EXPECT_TRUE(SameBytes(LedgerBytes(), saved));
}

TEST_F(LedgerLoad, KeepsTheTextOnlyUpToItsTerminator) {
    RecordFields day = SomeDay(2, 2, 1.0);
    day.spentText = std::string("1'00\0GARBAGE", 11);
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), EncodeRecord(day)));
    LoadLedger();
    EXPECT_EQ(std::string(DayAt(2, 2).spentText, 11), std::string("1'00\0\0\0\0\0\0\0", 11));
}

// Amounts that are no numbers read as 0; the file is not the one shown, so a save keeps it aside.
TEST_F(LedgerLoad, ReadsAmountsThatAreNotNumbersAsZeroAndKeepsTheirFileAside) {
    RecordFields day = SomeDay(6, 4, 0.0);
    day.spent = std::bit_cast<double>(uint64_t{0x7FF4000000000123});  // signalling, with payload
    day.balance = -std::numeric_limits<double>::infinity();
    day.allowance = std::bit_cast<double>(uint64_t{0xFFF8000000000042});
    const std::string file = EncodeRecord(day);
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), file));
    LoadLedger();
    day.spent = day.balance = day.allowance = 0;
    EXPECT_EQ(CellBytes(6, 4), EncodeRecord(day));
    ASSERT_EQ(SaveLedger(), 0);
    std::string aside;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with("ahorros.log.apartado-"))
            aside = FileBytes(entry.path());
    EXPECT_TRUE(SameBytes(aside, file));
}

// Records naming a cell outside the grid are skipped; every other byte of the model stays.
struct PositionCase {
    int column;
    int row;
};

void PrintTo(const PositionCase& c, std::ostream* out) {
    std::string name = "Column" + std::to_string(c.column) + "Row" + std::to_string(c.row);
    for (size_t at; (at = name.find('-')) != std::string::npos;) name.replace(at, 1, "Minus");
    *out << name;
}

struct LedgerLoadPosition : LedgerFolder, testing::WithParamInterface<PositionCase> {};

TEST_P(LedgerLoadPosition, SkipsARecordOutsideTheGrid) {
    std::memset(&period, 0xA5, sizeof period);
    PeriodModel before = period;
    std::memcpy(&DayAt(3, 3), EncodeRecord(SomeDay(3, 3, 1.0)).data(), DAY_RECORD_SIZE);
    std::memcpy(&DayAt(5, 6), EncodeRecord(SomeDay(5, 6, 2.0)).data(), DAY_RECORD_SIZE);
    std::string expected(reinterpret_cast<const char*>(&period), sizeof period);
    period = before;

    RecordFields stray = SomeDay(GetParam().column, GetParam().row, 66.0);
    std::string file = EncodeRecord(SomeDay(3, 3, 1.0)) + EncodeRecord(stray) +
                       EncodeRecord(SomeDay(5, 6, 2.0)) + EncodeRecord(stray);
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), file));
    LoadLedger();
    EXPECT_TRUE(
        SameBytes(std::string(reinterpret_cast<const char*>(&period), sizeof period), expected));
}

INSTANTIATE_TEST_SUITE_P(Positions, LedgerLoadPosition,
                         testing::Values(PositionCase{0, 1}, PositionCase{8, 1}, PositionCase{1, 0},
                                         PositionCase{1, 7}, PositionCase{8, 6}, PositionCase{0, 0},
                                         PositionCase{-1, 3}, PositionCase{3, -1},
                                         PositionCase{INT_MIN, 1}, PositionCase{1, INT_MAX},
                                         PositionCase{INT_MAX, INT_MAX}, PositionCase{-6, 2}));

TEST_F(LedgerLoad, LeavesTheFileAsItWas) {
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    ASSERT_TRUE(WriteFileBytes(LedgerPath(), LedgerBytes() + "tail"));
    ASSERT_EQ(chmod(LedgerPath().c_str(), 0444), 0);
    struct stat before;
    ASSERT_EQ(stat(LedgerPath().c_str(), &before), 0);
    std::string bytes = LedgerBytes();
    CreateDayGrid();
    LoadLedger();
    struct stat after;
    ASSERT_EQ(stat(LedgerPath().c_str(), &after), 0);
    EXPECT_TRUE(SameBytes(LedgerBytes(), bytes));
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(SpentAt(5, 1), 12.5);
}

TEST_F(LedgerLoad, DoesNotCreateAMissingLedger) {
    LoadLedger();
    EXPECT_FALSE(PathHasAttributes(LedgerPath()));
    EXPECT_TRUE(SameBytes(GridBytes(), std::string(sizeof period.dayGrid, '\0')));
}

TEST_F(LedgerLoad, LoadsNothingFromAFolderOrAPipeInTheLedgersPlace) {
    ASSERT_EQ(mkdir(LedgerPath().c_str(), 0755), 0);
    LoadLedger();
    EXPECT_TRUE(SameBytes(GridBytes(), std::string(sizeof period.dayGrid, '\0')));
    ASSERT_EQ(rmdir(LedgerPath().c_str()), 0);

    ASSERT_EQ(mkfifo(LedgerPath().c_str(), 0644), 0);
    LoadLedger();  // must not wait for a writer
    EXPECT_TRUE(SameBytes(GridBytes(), std::string(sizeof period.dayGrid, '\0')));
}

TEST_F(LedgerLoad, LoadsNothingWhileAnotherOpenerHoldsTheLedger) {
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    CreateDayGrid();
    int error = 0;
    int holder = OpenRecordFile(LedgerPath(), true, false, &error);
    ASSERT_GE(holder, 0);
    LoadLedger();
    EXPECT_TRUE(SameBytes(GridBytes(), std::string(sizeof period.dayGrid, '\0')));
    CloseRecordFile(holder);
    LoadLedger();
    EXPECT_EQ(SpentAt(5, 1), 12.5);
}

// A save killed midway may leave its temporary file; later loads and saves ignore it.
TEST_F(LedgerLoad, IgnoresATemporaryFileLeftByAnInterruptedSave) {
    LayOutWorkedExample();
    ASSERT_EQ(SaveLedger(), 0);
    std::string leftover = folder + "/.ahorros.log.Ab12Cd";
    ASSERT_TRUE(WriteFileBytes(leftover, EncodeRecord(SomeDay(5, 1, 999.0))));
    CreateDayGrid();
    LoadLedger();
    EXPECT_EQ(SpentAt(5, 1), 12.5);
    LayOutFebruaryWithExpenses();
    ASSERT_EQ(SaveLedger(), 0);
    EXPECT_TRUE(SameBytes(LedgerBytes(), GridLedgerContent()));
    EXPECT_EQ(OtherEntries(folder), std::vector<std::string>{".ahorros.log.Ab12Cd"});
}

}  // namespace
