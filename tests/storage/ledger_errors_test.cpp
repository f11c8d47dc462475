// SPDX-License-Identifier: GPL-3.0-or-later
// How failures of a save are numbered and worded, and what injected faults at every system call
// of a save leave behind: the complete old or the complete new ledger, never a silent loss.
#include <cerrno>
#include <string>
#include <vector>

#include "ledger_fixture.h"

namespace {

// A failure of these is a file that could not be opened (see ReplaceFileContents).
bool IsOpening(const std::string& call) {
    return call == "open-folder" || call == "create-temporary";
}

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
        const FileError error = FileErrorOf(ReplaceResult{SystemError(c.error), false});
        EXPECT_EQ(Shown(error), c.number);
        EXPECT_EQ(FileErrorBanner(error), c.banner);
        // Whatever the error, a file that could not be opened or created is a bad file name.
        EXPECT_EQ(FileErrorOf(ReplaceResult{SystemError(c.error), true}), FileError::BadFileName);
    }
    EXPECT_EQ(FileErrorBanner(FileError::BadFileName), "Err:  52 Bad file name or number");
    EXPECT_EQ(FileErrorOf(ReplaceResult{}), FileError::None);
}

// ---------------------------------------------------------------------------------------------
// Fault injection

// One call of a save: its name and which of the calls of that name it is.
struct SaveCall {
    std::string name;
    int occurrence;
};

struct LedgerInjection : LedgerTest {
    std::vector<SaveCall> cleanCalls;  // what a complete save over a loaded ledger calls

    void SetUp() override {
        LedgerTest::SetUp();
        WriteFileBytes(path, marchBytes);
        Load();
        files.Record(true);
        ASSERT_EQ(ledger.Save(february), FileError::None);
        for (const std::string& name : files.Recorded()) {
            int occurrence = 1;
            for (const SaveCall& earlier : cleanCalls) occurrence += earlier.name == name;
            cleanCalls.push_back({name, occurrence});
        }
        files.Record(false);
        ASSERT_GT(cleanCalls.size(), 4u);
    }
    // A run that loaded the March ledger saves February with the fault.
    FileError SaveWithFault(const SaveCall& call, int error, bool persistent) {
        WriteFileBytes(path, marchBytes);
        Load();
        files.InjectFault(call.name, error, persistent, call.occurrence);
        const FileError number = ledger.Save(february);
        files.ClearFaults();
        return number;
    }
};

// Each call of a save fails in turn.
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
        for (const SaveCall& call : cleanCalls) {
            SCOPED_TRACE("failing call " + call.name + " " + std::to_string(call.occurrence));
            const FileError number = SaveWithFault(call, c.error, c.persistent);
            EXPECT_EQ(OtherEntries(folder), std::vector<std::string>{});
            EXPECT_EQ(Shown(number),
                      IsOpening(call.name) ? Shown(FileError::BadFileName) : c.number);
            // Only the folder sync, the last call, comes after the new ledger is in place.
            const bool last = &call == &cleanCalls.back();
            EXPECT_EQ(call.name == "sync-folder", last);
            EXPECT_TRUE(SameBytes(Bytes(), last ? februaryBytes : marchBytes));
        }
    }
}

// A call interrupted by a signal is made again and the save completes.
TEST_F(LedgerInjection, SurvivesAnInterruptionAtEveryCall) {
    for (const SaveCall& call : cleanCalls) {
        SCOPED_TRACE("interrupted call " + call.name + " " + std::to_string(call.occurrence));
        EXPECT_EQ(SaveWithFault(call, EINTR, false), FileError::None);
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
        const FileError number = SaveWithFault({"write", 1}, c.error, false);
        EXPECT_EQ(Shown(number), c.number);
        EXPECT_EQ(FileErrorBanner(number), c.banner);
        EXPECT_TRUE(SameBytes(Bytes(), marchBytes));
        EXPECT_TRUE(OtherEntries(folder).empty());
    }
}

// File systems that cannot sync a folder answer EINVAL; the rename before it stands.
TEST_F(LedgerInjection, SavesWhereTheFolderCannotBeSynced) {
    EXPECT_EQ(SaveWithFault(cleanCalls.back(), EINVAL, false), FileError::None);
    EXPECT_EQ(cleanCalls.back().name, "sync-folder");
    EXPECT_TRUE(SameBytes(Bytes(), februaryBytes));
}

TEST_F(LedgerInjection, CountsNothingOutsideASave) {
    files.Record(true);
    const DayRecords records = Load();
    EXPECT_EQ(files.Recorded(), std::vector<std::string>{});
    EXPECT_EQ(SpentAt(records, 3, 1), 20.0);
}

}  // namespace
