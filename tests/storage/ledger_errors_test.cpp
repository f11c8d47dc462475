// SPDX-License-Identifier: GPL-3.0-or-later
// How failures of a save are numbered and worded, and what injected faults at every system call
// of a save leave behind: the complete old or the complete new ledger, never a silent loss.
#include <cerrno>
#include <string>
#include <vector>

#include "ledger_fixture.h"

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
#define ERRNO_CASE(error, number, banner) \
    MappingCase {                         \
#error, error, number, banner     \
    }

TEST(FileErrorNumbers, SortTheSystemErrorIntoItsNumberAndBanner) {
    const MappingCase cases[] = {ERRNO_CASE(ENOSPC, 61, "Err:  61 Disk full"),
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
                                 ERRNO_CASE(EBADF, 75, "Err:  75 Path/file access error")};
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(c.name);
        const int number = FileErrorNumber(ReplaceResult{c.error, false});
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(FileErrorBanner(number), c.banner);
        // Whatever the error, a file that could not be opened or created is a bad file name.
        EXPECT_EQ(FileErrorNumber(ReplaceResult{c.error, true}), FILE_ERROR_BAD_NAME);
    }
    EXPECT_EQ(FileErrorBanner(FILE_ERROR_BAD_NAME), "Err:  52 Bad file name or number");
    EXPECT_EQ(FileErrorNumber(ReplaceResult{0, false}), 0);
}

// ---------------------------------------------------------------------------------------------
// Fault injection

struct LedgerInjection : LedgerTest {
    int cleanCalls = 0;

    void SetUp() override {
        LedgerTest::SetUp();
        // A save over this run's own ledger without faults tells how many calls a complete one
        // makes.
        ASSERT_EQ(ledger.Save(february), 0);
        files.InjectFault(0, 0, false);
        ASSERT_EQ(ledger.Save(february), 0);
        cleanCalls = files.CountSinceInjection();
        ASSERT_GT(cleanCalls, FIRST_WRITE_CALL);
    }
    // A run that loaded the March ledger saves February with the fault.
    int SaveWithFault(int k, int error, bool persistent, int* calls) {
        WriteFileBytes(path, marchBytes);
        Load();
        files.InjectFault(k, error, persistent);
        const int number = ledger.Save(february);
        *calls = files.CountSinceInjection();
        files.InjectFault(0, 0, false);
        return number;
    }
};

// For k = 1, 2, ... the k-th call fails, until a save makes fewer than k calls and completes.
TEST_F(LedgerInjection, AFaultAtAnyCallLeavesTheOldOrTheNewLedgerAndReportsEveryLoss) {
    const struct {
        const char* name;
        int error;
        bool persistent;
        int number;  // for calls after the openings
    } cases[] = {{"disk full once", ENOSPC, false, 61},
                 {"disk full from then on", ENOSPC, true, 61},
                 {"media error once", EIO, false, 72},
                 {"media error from then on", EIO, true, 72}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int k = 1;
        for (;; ++k) {
            SCOPED_TRACE("failing call " + std::to_string(k));
            int calls = 0;
            const int number = SaveWithFault(k, c.error, c.persistent, &calls);
            const std::string now = Bytes();
            EXPECT_EQ(OtherEntries(folder), std::vector<std::string>{});
            if (calls < k) {
                EXPECT_EQ(number, 0);
                EXPECT_TRUE(SameBytes(now, februaryBytes));
                break;
            }
            EXPECT_EQ(number, k <= LAST_OPENING_CALL ? FILE_ERROR_BAD_NAME : c.number);
            // Only the folder sync, the last call, comes after the new ledger is in place.
            EXPECT_TRUE(SameBytes(now, k == cleanCalls ? februaryBytes : marchBytes));
            if (k > cleanCalls + 1) {
                ADD_FAILURE() << "the save kept making calls";
                break;
            }
        }
        EXPECT_EQ(k, cleanCalls + 1);
    }
}

// A call interrupted by a signal is made again and the save completes.
TEST_F(LedgerInjection, SurvivesAnInterruptionAtEveryCall) {
    for (int k = 1; k <= cleanCalls; ++k) {
        SCOPED_TRACE("interrupted call " + std::to_string(k));
        int calls = 0;
        EXPECT_EQ(SaveWithFault(k, EINTR, false, &calls), 0);
        EXPECT_TRUE(SameBytes(Bytes(), februaryBytes));
        EXPECT_TRUE(OtherEntries(folder).empty());
    }
}

// A failed write reports the number of its error and leaves the old ledger.
TEST_F(LedgerInjection, AFailedWriteReportsItsErrorsNumberAndBanner) {
    const MappingCase cases[] = {
        ERRNO_CASE(ENOSPC, 61, "Err:  61 Disk full"),
        ERRNO_CASE(EFBIG, 61, "Err:  61 Disk full"),
        ERRNO_CASE(EDQUOT, 61, "Err:  61 Disk full"),
        ERRNO_CASE(EACCES, 70, "Err:  70 Permission denied"),
        ERRNO_CASE(EAGAIN, 70, "Err:  70 Permission denied"),
        ERRNO_CASE(ENXIO, 71, "Err:  71 Disk not ready"),
        ERRNO_CASE(EIO, 72, "Err:  72 Disk media error"),
        ERRNO_CASE(EINVAL, 75, "Err:  75 Path/file access error"),
    };
    for (const MappingCase& c : cases) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        const int number = SaveWithFault(FIRST_WRITE_CALL, c.error, false, &calls);
        EXPECT_EQ(number, c.number);
        EXPECT_EQ(FileErrorBanner(number), c.banner);
        EXPECT_TRUE(SameBytes(Bytes(), marchBytes));
        EXPECT_TRUE(OtherEntries(folder).empty());
    }
}

// File systems that cannot sync a folder answer EINVAL; the rename before it stands.
TEST_F(LedgerInjection, SavesWhereTheFolderCannotBeSynced) {
    int calls = 0;
    EXPECT_EQ(SaveWithFault(cleanCalls, EINVAL, false, &calls), 0);
    EXPECT_EQ(calls, cleanCalls);
    EXPECT_TRUE(SameBytes(Bytes(), februaryBytes));
}

TEST_F(LedgerInjection, CountsNothingOutsideASave) {
    files.InjectFault(1, EIO, true);
    const DayRecords records = Load();
    EXPECT_EQ(files.CountSinceInjection(), 0);
    EXPECT_EQ(SpentAt(records, 3, 1), 20.0);
    files.InjectFault(0, 0, false);
}

}  // namespace
