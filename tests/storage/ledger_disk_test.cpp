// SPDX-License-Identifier: GPL-3.0-or-later
// Saves that the file system really refuses: a full disk, no free inode, a read-only mount, a
// file size limit and an immutable ledger. The old ledger must survive each one untouched.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "ledger_fixture.h"

namespace {

enum Refusal { DISK_FULL, NO_FREE_INODE, READ_ONLY_MOUNT, FILE_SIZE_LIMIT, IMMUTABLE_LEDGER };

struct RefusalCase {
    const char* name;
    Refusal refusal;
    const char* mountOptions;  // a tmpfs is mounted with these; null for the plain temporary folder
    int number;
    const char* banner;
};

struct LedgerDiskRefusal : testing::TestWithParam<RefusalCase> {
    const std::string base = MakeTemporaryFolder();
    const std::string place = base + "/place";  // the ledger's folder
    const std::string path = place + "/" + LEDGER_FILE_NAME;
    FileCalls files;
    Ledger ledger{path, files};
    bool mounted = false;
    bool refusing = false;
    struct rlimit savedLimit {};
    void (*savedHandler)(int) = SIG_DFL;

    void SetUp() override {
        ASSERT_FALSE(base.empty());
        ASSERT_EQ(mkdir(place.c_str(), 0755), 0);
        if (GetParam().mountOptions != nullptr) {
            if (mount("tmpfs", place.c_str(), "tmpfs", 0, GetParam().mountOptions) != 0) {
                GTEST_SKIP() << "cannot mount a tmpfs here (needs root or CAP_SYS_ADMIN in "
                                "its mount namespace): "
                             << std::strerror(errno);
            }
            mounted = true;
        }
    }

    void TearDown() override {
        Relent();
        if (mounted && umount2(place.c_str(), 0) != 0) umount2(place.c_str(), MNT_DETACH);
        RemoveFolder(base);
    }

    // Makes the file system refuse the next save; returns why the test cannot run, if so.
    std::string Refuse() {
        refusing = true;
        switch (GetParam().refusal) {
            case DISK_FULL:
                return FillWith(place + "/filler", false);
            case NO_FREE_INODE:
                return FillWith(place + "/filler", true);
            case READ_ONLY_MOUNT:
                if (mount(nullptr, place.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
                    return std::string("cannot remount read-only: ") + std::strerror(errno);
                }
                break;
            case FILE_SIZE_LIMIT: {
                getrlimit(RLIMIT_FSIZE, &savedLimit);
                savedHandler = std::signal(SIGXFSZ, SIG_IGN);
                struct rlimit limit = savedLimit;
                limit.rlim_cur = 1000;
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                    std::signal(SIGXFSZ, savedHandler);
                    return std::string("cannot lower the file size limit: ") + std::strerror(errno);
                }
                break;
            }
            case IMMUTABLE_LEDGER:
                if (!SetImmutable(true)) {
                    return std::string(
                               "cannot mark the ledger immutable (needs CAP_LINUX_IMMUTABLE and a "
                               "file system that takes the flag): ") +
                           std::strerror(errno);
                }
                break;
        }
        return "";
    }

    // Undoes the refusal, so that saving works again.
    void Relent() {
        if (!refusing) return;
        refusing = false;
        switch (GetParam().refusal) {
            case DISK_FULL:
            case NO_FREE_INODE:
                RemoveFolder(place + "/filler");
                break;
            case READ_ONLY_MOUNT:
                mount(nullptr, place.c_str(), nullptr, MS_REMOUNT, nullptr);
                break;
            case FILE_SIZE_LIMIT:
                setrlimit(RLIMIT_FSIZE, &savedLimit);
                std::signal(SIGXFSZ, savedHandler);
                break;
            case IMMUTABLE_LEDGER:
                SetImmutable(false);
                break;
        }
    }

    // Fills the mount with one file's data, or with empty files until no inode is left.
    std::string FillWith(const std::string& filler, bool inodes) {
        if (mkdir(filler.c_str(), 0755) != 0) return std::string("mkdir: ") + std::strerror(errno);
        if (inodes) {
            for (int i = 0;; ++i) {
                int fd = open((filler + "/" + std::to_string(i)).c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
                if (fd < 0)
                    return errno == ENOSPC ? "" : std::string("open: ") + std::strerror(errno);
                close(fd);
            }
        }
        int fd = open((filler + "/data").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) return std::string("open: ") + std::strerror(errno);
        std::vector<char> block(4096, 'x');
        size_t size = block.size();
        for (;;) {
            ssize_t written = write(fd, block.data(), size);
            if (written > 0) continue;
            if (written < 0 && errno == ENOSPC && size > 1) {
                size = 1;  // fill the last page byte by byte
                continue;
            }
            break;
        }
        int error = errno;
        close(fd);
        return error == ENOSPC ? "" : std::string("filling: ") + std::strerror(error);
    }

    bool SetImmutable(bool on) {
        int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        int flags = 0;
        bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        int error = errno;
        close(fd);
        errno = error;
        return done;
    }

    std::vector<std::string> TemporaryLeftovers() {
        std::vector<std::string> found;
        for (const std::string& name : OtherEntries(place)) {
            if (name.rfind(std::string(".") + LEDGER_FILE_NAME, 0) == 0) found.push_back(name);
        }
        return found;
    }
};

TEST_P(LedgerDiskRefusal, ReportsTheFailureAndKeepsTheOldLedger) {
    ASSERT_EQ(ledger.Save(PeriodOf(WorkedExample())), FileError::None);
    const std::string oldLedger = FileBytes(path);
    ASSERT_EQ(oldLedger.size(), 2387u);

    const std::string why = Refuse();
    if (!why.empty()) GTEST_SKIP() << why;
    const Period february = PeriodOf(FebruaryWithExpenses());
    const FileError number = ledger.Save(february);
    Relent();

    EXPECT_EQ(Shown(number), GetParam().number);
    EXPECT_EQ(FileErrorBanner(number), GetParam().banner);
    EXPECT_TRUE(SameBytes(FileBytes(path), oldLedger));
    EXPECT_TRUE(TemporaryLeftovers().empty());

    // Once the file system takes writes again, the same save goes through.
    EXPECT_EQ(ledger.Save(february), FileError::None);
    EXPECT_TRUE(SameBytes(FileBytes(path), LedgerContent(FebruaryWithExpenses())));
    EXPECT_TRUE(TemporaryLeftovers().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, LedgerDiskRefusal,
    testing::Values(
        RefusalCase{"DiskFull", DISK_FULL, "size=64k,mode=0755", 61, "Err:  61 Disk full"},
        RefusalCase{"NoFreeInodeToCreateTheTemporaryFile", NO_FREE_INODE,
                    "size=1m,nr_inodes=16,mode=0755", 52, "Err:  52 Bad file name or number"},
        RefusalCase{"ReadOnlyMount", READ_ONLY_MOUNT, "size=64k,mode=0755", 52,
                    "Err:  52 Bad file name or number"},
        RefusalCase{"FileSizeLimit", FILE_SIZE_LIMIT, nullptr, 61, "Err:  61 Disk full"},
        RefusalCase{"ImmutableLedgerCannotBeRenamedOver", IMMUTABLE_LEDGER, nullptr, 70,
                    "Err:  70 Permission denied"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// A non-empty folder in the ledger's place cannot be renamed over.
using LedgerDiskRename = LedgerTest;

TEST_F(LedgerDiskRename, OntoAFolderFailsAndLeavesTheFolder) {
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    ASSERT_TRUE(WriteFileBytes(path + "/inside", "kept"));

    const FileError number = ledger.Save(march);
    EXPECT_EQ(number, FileError::PathFileAccess);
    EXPECT_EQ(FileErrorBanner(number), "Err:  75 Path/file access error");
    EXPECT_EQ(FileBytes(path + "/inside"), "kept");
    EXPECT_TRUE(OtherEntries(folder).empty());
}

}  // namespace
