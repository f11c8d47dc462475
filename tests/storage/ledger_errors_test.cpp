// How failures of a save are numbered and worded, and what injected faults at every system call
// of a save leave behind: the complete old or the complete new ledger, never a silent loss.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "ledger_support.h"
#include "platform/testing.h"

namespace {

// The first two calls of a replacement open the folder and create the temporary file; the
// fourth is the first write (see ReplaceFileContents).
constexpr int LAST_OPENING_CALL = 2;
constexpr int FIRST_WRITE_CALL = 4;

struct MappingCase {
    const char* name;
    int error;
    int number;
    const char* banner;
};

void PrintTo(const MappingCase& c, std::ostream* out) {
    *out << c.name;
}

#define ERRNO_CASE(error, number, banner) \
    MappingCase {                         \
#error, error, number, banner     \
    }

struct FileErrorMapping : testing::TestWithParam<MappingCase> {};

TEST_P(FileErrorMapping, SortsTheSystemErrorIntoItsNumberAndBanner) {
    const MappingCase& c = GetParam();
    int number = FileErrorNumber(ReplaceResult{c.error, false});
    EXPECT_EQ(number, c.number);
    EXPECT_EQ(FileErrorBanner(number), c.banner);
}

TEST_P(FileErrorMapping, CallsEveryFailedOpeningABadFileName) {
    EXPECT_EQ(FileErrorNumber(ReplaceResult{GetParam().error, true}), FILE_ERROR_BAD_NAME);
}

INSTANTIATE_TEST_SUITE_P(Errors, FileErrorMapping,
                         testing::Values(ERRNO_CASE(ENOSPC, 61, "Err:  61 Disk full"),
                                         ERRNO_CASE(EFBIG, 61, "Err:  61 Disk full"),
                                         ERRNO_CASE(EDQUOT, 61, "Err:  61 Disk full"),
                                         ERRNO_CASE(EACCES, 70, "Err:  70 Permission denied"),
                                         ERRNO_CASE(EPERM, 70, "Err:  70 Permission denied"),
                                         ERRNO_CASE(EROFS, 70, "Err:  70 Permission denied"),
                                         ERRNO_CASE(ETXTBSY, 70, "Err:  70 Permission denied"),
                                         ERRNO_CASE(EWOULDBLOCK, 70, "Err:  70 Permission denied"),
                                         ERRNO_CASE(ENODEV, 71, "Err:  71 Disk not ready"),
                                         ERRNO_CASE(ENXIO, 71, "Err:  71 Disk not ready"),
                                         ERRNO_CASE(ENOMEDIUM, 71, "Err:  71 Disk not ready"),
                                         ERRNO_CASE(EIO, 72, "Err:  72 Disk media error"),
                                         ERRNO_CASE(ENOENT, 75, "Err:  75 Path/file access error"),
                                         ERRNO_CASE(EISDIR, 75, "Err:  75 Path/file access error"),
                                         ERRNO_CASE(EXDEV, 75, "Err:  75 Path/file access error"),
                                         ERRNO_CASE(EBADF, 75, "Err:  75 Path/file access error")));

TEST(FileErrorBanners, NameEveryNumberAndNothingForSuccess) {
    EXPECT_EQ(FileErrorNumber(ReplaceResult{0, false}), 0);
    EXPECT_EQ(FileErrorBanner(52), "Err:  52 Bad file name or number");
    EXPECT_EQ(FileErrorBanner(61), "Err:  61 Disk full");
    EXPECT_EQ(FileErrorBanner(70), "Err:  70 Permission denied");
    EXPECT_EQ(FileErrorBanner(71), "Err:  71 Disk not ready");
    EXPECT_EQ(FileErrorBanner(72), "Err:  72 Disk media error");
    EXPECT_EQ(FileErrorBanner(75), "Err:  75 Path/file access error");
}

// ---------------------------------------------------------------------------------------------
// Fault injection

struct LedgerInjection : testing::Test {
    std::string folder;
    std::string oldLedger;
    std::string newLedger;
    int cleanCalls = 0;

    void SetUp() override {
        folder = MakeTemporaryFolder();
        ASSERT_FALSE(folder.empty());
        SetExecutableFolderForTesting(folder);
        LayOutWorkedExample();
        oldLedger = GridLedgerContent();
        LayOutFebruaryWithExpenses();
        newLedger = GridLedgerContent();
        // A save over a ledger without faults tells how many calls a complete one makes.
        InjectFileFault(0, 0, false);
        ASSERT_EQ(SaveLedger(), 0);
        InjectFileFault(0, 0, false);
        ASSERT_EQ(SaveLedger(), 0);
        cleanCalls = FileCallsSinceInjection();
        ASSERT_GT(cleanCalls, FIRST_WRITE_CALL);
    }
    void TearDown() override {
        InjectFileFault(0, 0, false);
        SetExecutableFolderForTesting("");
        RemoveFolder(folder);
    }
    // Puts the old ledger in place, loaded, and the new period in the grid, then saves with the
    // fault.
    int SaveWithFault(int k, int error, bool persistent, int* calls) {
        WriteFileBytes(LedgerPath(), oldLedger);
        LoadLedger();
        LayOutFebruaryWithExpenses();
        InjectFileFault(k, error, persistent);
        int number = SaveLedger();
        *calls = FileCallsSinceInjection();
        InjectFileFault(0, 0, false);
        return number;
    }
};

struct InjectionCase {
    const char* name;
    int error;
    bool persistent;
    int number;  // for calls after the openings
};

void PrintTo(const InjectionCase& c, std::ostream* out) {
    *out << c.name;
}

struct LedgerInjectionAtEveryCall : LedgerInjection, testing::WithParamInterface<InjectionCase> {};

// For k = 1, 2, ... the k-th call fails, until a save makes fewer than k calls and completes.
TEST_P(LedgerInjectionAtEveryCall, LeavesTheOldOrTheNewLedgerAndReportsEveryLoss) {
    const InjectionCase& c = GetParam();
    int k = 1;
    for (;; ++k) {
        SCOPED_TRACE("failing call " + std::to_string(k));
        int calls = 0;
        int number = SaveWithFault(k, c.error, c.persistent, &calls);
        std::string now = FileBytes(LedgerPath());
        EXPECT_EQ(OtherEntries(folder), std::vector<std::string>{});
        if (calls < k) {
            EXPECT_EQ(number, 0);
            EXPECT_TRUE(SameBytes(now, newLedger));
            break;
        }
        EXPECT_EQ(number, k <= LAST_OPENING_CALL ? FILE_ERROR_BAD_NAME : c.number);
        // Only the folder sync, the last call, comes after the new ledger is in place.
        EXPECT_TRUE(SameBytes(now, k == cleanCalls ? newLedger : oldLedger));
        if (k > cleanCalls + 1) {
            ADD_FAILURE() << "the save kept making calls";
            break;
        }
    }
    EXPECT_EQ(k, cleanCalls + 1);
}

INSTANTIATE_TEST_SUITE_P(Faults, LedgerInjectionAtEveryCall,
                         testing::Values(InjectionCase{"DiskFullOnce", ENOSPC, false, 61},
                                         InjectionCase{"DiskFullFromThenOn", ENOSPC, true, 61},
                                         InjectionCase{"MediaErrorOnce", EIO, false, 72},
                                         InjectionCase{"MediaErrorFromThenOn", EIO, true, 72}));

// A call interrupted by a signal is made again and the save completes.
TEST_F(LedgerInjection, SurvivesAnInterruptionAtEveryCall) {
    for (int k = 1; k <= cleanCalls; ++k) {
        SCOPED_TRACE("interrupted call " + std::to_string(k));
        int calls = 0;
        EXPECT_EQ(SaveWithFault(k, EINTR, false, &calls), 0);
        EXPECT_TRUE(SameBytes(FileBytes(LedgerPath()), newLedger));
        EXPECT_TRUE(OtherEntries(folder).empty());
    }
}

// A failed write reports the number of its error and leaves the old ledger.
struct LedgerInjectionAtWrite : LedgerInjection, testing::WithParamInterface<MappingCase> {};

TEST_P(LedgerInjectionAtWrite, ReportsTheErrorsNumberAndBanner) {
    int calls = 0;
    int number = SaveWithFault(FIRST_WRITE_CALL, GetParam().error, false, &calls);
    EXPECT_EQ(number, GetParam().number);
    EXPECT_EQ(FileErrorBanner(number), GetParam().banner);
    EXPECT_TRUE(SameBytes(FileBytes(LedgerPath()), oldLedger));
    EXPECT_TRUE(OtherEntries(folder).empty());
}

INSTANTIATE_TEST_SUITE_P(Errors, LedgerInjectionAtWrite,
                         testing::Values(ERRNO_CASE(ENOSPC, 61, "Err:  61 Disk full"),
                                         ERRNO_CASE(EFBIG, 61, "Err:  61 Disk full"),
                                         ERRNO_CASE(EDQUOT, 61, "Err:  61 Disk full"),
                                         ERRNO_CASE(EACCES, 70, "Err:  70 Permission denied"),
                                         ERRNO_CASE(EAGAIN, 70, "Err:  70 Permission denied"),
                                         ERRNO_CASE(ENXIO, 71, "Err:  71 Disk not ready"),
                                         ERRNO_CASE(EIO, 72, "Err:  72 Disk media error"),
                                         ERRNO_CASE(EINVAL, 75,
                                                    "Err:  75 Path/file access error")));

// File systems that cannot sync a folder answer EINVAL; the rename before it stands.
TEST_F(LedgerInjection, SavesWhereTheFolderCannotBeSynced) {
    int calls = 0;
    EXPECT_EQ(SaveWithFault(cleanCalls, EINVAL, false, &calls), 0);
    EXPECT_EQ(calls, cleanCalls);
    EXPECT_TRUE(SameBytes(FileBytes(LedgerPath()), newLedger));
}

TEST_F(LedgerInjection, CountsNothingOutsideASave) {
    InjectFileFault(1, EIO, true);
    CreateDayGrid();
    LoadLedger();
    EXPECT_EQ(FileCallsSinceInjection(), 0);
    EXPECT_EQ(SpentAt(3, 1), 20.0);
}

}  // namespace
