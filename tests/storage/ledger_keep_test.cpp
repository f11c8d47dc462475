// SPDX-License-Identifier: GPL-3.0-or-later
// What a save keeps: a ledger file this run did not load (set aside, never overwritten), the
// replaced ledger as its backup, links and permission bits, a ledger in a folder that takes no new
// files, the order of the file calls that makes a save survive a crash, leftovers removed at
// start-up, and huge ledgers loaded block by block.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <regex>
#include <string>
#include <vector>

#include "ledger_fixture.h"

namespace {

std::vector<std::string> SetAsideIn(const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& name : OtherEntries(folder))
        if (name.rfind(std::string(LEDGER_FILE_NAME) + SET_ASIDE_LABEL, 0) == 0)
            found.push_back(name);
    return found;
}

mode_t ModeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 07777;
}

struct LedgerKeep : LedgerTest {
    void SetUp() override {
        LedgerTest::SetUp();
        ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
    }
    // As a run does it: load at start-up, then save February over whatever is there.
    int LoadThenSaveFebruary(
        Ledger& run, const std::function<void()>& meanwhile = [] {}) {
        DayRecords loaded{};
        run.Load(loaded);
        meanwhile();
        return Shown(run.Save(february));
    }
};

// ---------------------------------------------------------------------------------------------
// Grabar never destroys a ledger file that this run did not load.

enum Before { ABSENT, LOADED, UNREADABLE, LOCKED_AT_START, WRITTEN_AFTER_START };

struct DiskCase {
    const char* name;
    Before before;
    int setAsideError;  // injected into the setting aside, 0 for none
    int number;
    bool backup;  // the old ledger ends up as ahorros.log.bak
    bool aside;   // the old ledger ends up set aside
};

TEST_F(LedgerKeep, SaveKeepsWhatWasOnDisk) {
    const DiskCase cases[] = {
        {"absent ledger is simply created", ABSENT, 0, 0, false, false},
        {"loaded ledger becomes the backup", LOADED, 0, 0, true, false},
        {"unreadable ledger is set aside", UNREADABLE, 0, 0, false, true},
        {"ledger locked at start-up is set aside", LOCKED_AT_START, 0, 0, false, true},
        {"ledger written after start-up is set aside", WRITTEN_AFTER_START, 0, 0, false, true},
        {"ledger that cannot be set aside stays", WRITTEN_AFTER_START, EACCES, 70, false, false},
    };
    for (const DiskCase& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFolder(folder);
        ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
        ASSERT_EQ(chmod(folder.c_str(), 0777), 0);  // nobody may rename in it
        if (c.before != ABSENT && c.before != WRITTEN_AFTER_START) {
            ASSERT_TRUE(WriteFileBytes(path, marchBytes));
        }
        int held = -1;
        if (c.before == LOCKED_AT_START) {
            held = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            ASSERT_EQ(flock(held, LOCK_EX), 0);
        }
        auto run = [&] {
            return LoadThenSaveFebruary(ledger, [&] {
                if (held >= 0) close(held);
                if (c.before == WRITTEN_AFTER_START) WriteFileBytes(path, marchBytes);
                if (c.setAsideError) files.InjectFault("set-aside", c.setAsideError);
            });
        };
        int number = -1;
        if (c.before == UNREADABLE) {
            ASSERT_EQ(chmod(path.c_str(), 0), 0);
            std::string why;
            number = RunUnprivileged(run, &why);
            if (number < 0) {
                std::cout << "Skipped \"" << c.name << "\": " << why << "\n";
                continue;
            }
        } else {
            number = run();
        }
        files.ClearFaults();

        EXPECT_EQ(number, c.number);
        EXPECT_TRUE(SameBytes(FileBytes(path), c.number == 0 ? februaryBytes : marchBytes));
        EXPECT_EQ(FileBytes(path + BACKUP_SUFFIX), c.backup ? marchBytes : "<missing>");
        const std::vector<std::string> aside = SetAsideIn(folder);
        ASSERT_EQ(aside.size(), c.aside ? 1u : 0u);
        if (c.aside) {
            EXPECT_TRUE(
                std::regex_match(aside[0], std::regex(R"(ahorros\.log\.apartado-\d{8}-\d{6})")))
                << aside[0];
            EXPECT_TRUE(SameBytes(FileBytes(folder + "/" + aside[0]), marchBytes));
            // The new ledger is this run's own: the next save replaces it without more ado.
            if (c.before != UNREADABLE) {
                EXPECT_EQ(ledger.Save(march), FileError::None);
                EXPECT_EQ(SetAsideIn(folder).size(), 1u);
            }
        }
    }
}

// Files set aside within one second get "-2", "-3" after the second's name.
TEST_F(LedgerKeep, SettingAsideNeverReplacesAnEarlierFile) {
    std::vector<std::string> asides;
    do {  // again should the clock turn a second meanwhile
        for (const std::string& name : SetAsideIn(folder)) unlink((folder + "/" + name).c_str());
        asides.clear();
        for (const std::string& bytes : {marchBytes, februaryBytes, std::string("x")}) {
            ASSERT_TRUE(WriteFileBytes(path, bytes));
            std::string aside;
            ASSERT_FALSE(SetFileAside(path, SET_ASIDE_LABEL, &aside, files));
            EXPECT_EQ(FileBytes(aside), bytes);
            asides.push_back(aside);
        }
    } while (asides[2].size() != asides[0].size() + 2);
    EXPECT_EQ(asides[1], asides[0] + "-2");
    EXPECT_EQ(asides[2], asides[0] + "-3");
    EXPECT_EQ(SetAsideIn(folder).size(), 3u);
}

// ---------------------------------------------------------------------------------------------
// Links, permission bits and the backup beside the file that is replaced.

struct LinkCase {
    const char* name;
    const char* link;  // what ahorros.log points to ("" for a plain file); "@" for the folder
    const char* hop;   // a second link in the synced folder, or null
    mode_t mode;
};

TEST_F(LedgerKeep, SaveReplacesTheFileBehindLinksAndKeepsItsMode) {
    const LinkCase cases[] = {
        {"plain 0600", "", nullptr, 0600},
        {"plain 0640", "", nullptr, 0640},
        {"plain read-only 0444", "", nullptr, 0444},
        {"relative link", "../synced/ahorros.log", nullptr, 0600},
        {"absolute link to a second link", "@/synced/hop", "real.log", 0644},
    };
    const std::string program = folder + "/program";
    const std::string synced = folder + "/synced";
    const std::string ledgerPath = program + "/" + LEDGER_FILE_NAME;
    Ledger run(ledgerPath, files);
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFolder(program);
        RemoveFolder(synced);
        ASSERT_EQ(mkdir(program.c_str(), 0755), 0);
        ASSERT_EQ(mkdir(synced.c_str(), 0755), 0);
        std::string link = c.link;
        if (!link.empty() && link[0] == '@') link = folder + link.substr(1);
        std::string target = ledgerPath;
        if (!link.empty()) {
            ASSERT_EQ(symlink(link.c_str(), ledgerPath.c_str()), 0);
            target = synced + "/" + (c.hop ? c.hop : LEDGER_FILE_NAME);
            if (c.hop) {
                ASSERT_EQ(symlink(c.hop, (synced + "/hop").c_str()), 0);
            }
        }
        ASSERT_TRUE(WriteFileBytes(target, marchBytes));
        ASSERT_EQ(chmod(target.c_str(), c.mode), 0);

        ASSERT_EQ(LoadThenSaveFebruary(run), 0);
        EXPECT_TRUE(SameBytes(FileBytes(target), februaryBytes));
        EXPECT_EQ(ModeOf(target), c.mode);
        EXPECT_TRUE(SameBytes(FileBytes(target + BACKUP_SUFFIX), marchBytes));
        struct stat info;
        ASSERT_EQ(lstat(ledgerPath.c_str(), &info), 0);
        EXPECT_EQ(S_ISLNK(info.st_mode), !link.empty());
        if (!link.empty()) {
            char text[4096] = {};
            ASSERT_GT(readlink(ledgerPath.c_str(), text, sizeof text - 1), 0);
            EXPECT_EQ(text, link);
        }
        for (const std::string& where : {program, synced})
            for (const std::string& name : OtherEntries(where))
                EXPECT_FALSE(name[0] == '.') << "leftover " << where << "/" << name;
    }
}

// ---------------------------------------------------------------------------------------------
// A ledger that may be written while its folder may not: saved in place.

// A shorter content cuts the file to its length; a longer one that the size limit or the disk
// refuses leaves the old bytes whole.
TEST_F(LedgerKeep, LedgerInAClosedFolderIsRewrittenInPlace) {
    const struct {
        const char* name;
        bool longer;       // March over February, else February over March
        rlim_t sizeLimit;  // 0 for none
        int reserveError;  // injected into the reservation of room, 0 for none
        int number;
    } cases[] = {{"shorter content", false, 0, 0, 0},
                 {"beyond the size limit", true, 1000, 0, 61},
                 {"no room to reserve", true, 0, ENOSPC, 61}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string& before = c.longer ? februaryBytes : marchBytes;
        const std::string& after = c.longer ? marchBytes : februaryBytes;
        ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
        ASSERT_TRUE(WriteFileBytes(path, before));
        if (geteuid() == 0) {
            ASSERT_EQ(chown(path.c_str(), NOBODY, NOBODY), 0);
        }
        ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
        const uint64_t inode = IdentifyFile(path).inode;
        std::string why;
        const int number = RunUnprivileged(
            [&] {
                const struct rlimit limit = {c.sizeLimit, c.sizeLimit};
                if (c.sizeLimit != 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0) return 99;
                IgnoreFileSizeSignal();
                Load();
                if (c.reserveError != 0) files.InjectFault("reserve", c.reserveError);
                return Shown(ledger.Save(c.longer ? march : february));
            },
            &why);
        ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
        if (number < 0) GTEST_SKIP() << why;
        EXPECT_EQ(number, c.number);
        EXPECT_TRUE(SameBytes(FileBytes(path), c.number == 0 ? after : before));
        EXPECT_EQ(IdentifyFile(path).inode, inode);
        EXPECT_TRUE(OtherEntries(folder).empty());
    }
}

// ---------------------------------------------------------------------------------------------
// The order of the file calls: the data is synced before the rename makes it the ledger, and
// the folder after it, or a power loss could leave an empty or an old ledger.

TEST_F(LedgerKeep, TemporaryFileIsSyncedBeforeTheRenameAndTheFolderAfter) {
    struct {
        const char* name;
        bool existing;
        bool link;
    } cases[] = {{"new ledger", false, false},
                 {"over the loaded ledger, with its backup", true, false},
                 {"through a link", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveFolder(folder);
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        if (c.link) {
            ASSERT_EQ(symlink("real.log", path.c_str()), 0);
        }
        if (c.existing) {
            ASSERT_TRUE(WriteFileBytes(FollowLinks(path), marchBytes));
        }
        Load();
        files.Record(true);
        ASSERT_EQ(ledger.Save(february), FileError::None);
        const std::vector<std::string> calls = files.Recorded();
        files.Record(false);

        auto last = [&](const char* name) {
            auto at = std::find(calls.rbegin(), calls.rend(), name);
            return at == calls.rend() ? -1 : static_cast<int>(calls.rend() - at) - 1;
        };
        const int write = last("write");
        const int sync = last("sync");
        const int rename = last("rename");
        ASSERT_GE(write, 0);
        ASSERT_GE(rename, 0);
        EXPECT_TRUE(sync > write && sync < rename) << "the data is not synced before the rename";
        EXPECT_EQ(last("sync-folder"), static_cast<int>(calls.size()) - 1)
            << "the folder is not synced after the rename";
        if (c.existing) {
            EXPECT_LT(last("rename-backup"), rename) << "the backup comes after the ledger";
            EXPECT_TRUE(SameBytes(FileBytes(FollowLinks(path) + BACKUP_SUFFIX), marchBytes));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Leftovers of killed saves, removed at start-up (by the owner of the ledger).

TEST_F(LedgerKeep, StartUpRemovesOnlyTheLeftoversOfKilledSaves) {
    enum Kind { FILE_ENTRY, FOLDER_ENTRY, LINK_ENTRY };
    const struct {
        const char* name;
        Kind kind;
        bool removed;
    } entries[] = {
        {".ahorros.log.Ab12Cd", FILE_ENTRY, true},
        {".ahorros.log.zz9ZZ9", FILE_ENTRY, true},
        {".Mi Copia.bmp.x9Y8z7", FILE_ENTRY, true},
        {".ahorros.log.Ab12C", FILE_ENTRY, false},
        {".ahorros.log.Ab12Cde", FILE_ENTRY, false},
        {".ahorros.log.Ab-2Cd", FILE_ENTRY, false},
        {".otro.log.Ab12Cd", FILE_ENTRY, false},
        {"ahorros.log.Ab12Cd", FILE_ENTRY, false},
        {"ahorros.log.bak", FILE_ENTRY, false},
        {"ahorros.log.apartado-20261208-153000", FILE_ENTRY, false},
        {".ahorros.log.Zz99Zz", FOLDER_ENTRY, false},
        {".ahorros.log.Qq11Qq", LINK_ENTRY, false},
    };
    ASSERT_TRUE(WriteFileBytes(path, marchBytes));
    for (const auto& e : entries) {
        const std::string entry = folder + "/" + e.name;
        if (e.kind == FILE_ENTRY) {
            ASSERT_TRUE(WriteFileBytes(entry, "kept?"));
        }
        if (e.kind == FOLDER_ENTRY) {
            ASSERT_EQ(mkdir(entry.c_str(), 0755), 0);
        }
        if (e.kind == LINK_ENTRY) {
            ASSERT_EQ(symlink("ahorros.log", entry.c_str()), 0);
        }
    }
    ledger.RemoveSaveLeftovers("Mi Copia.bmp");
    for (const auto& e : entries) {
        SCOPED_TRACE(e.name);
        struct stat info;
        EXPECT_EQ(lstat((folder + "/" + e.name).c_str(), &info) != 0, e.removed);
    }
    EXPECT_TRUE(SameBytes(FileBytes(path), marchBytes));
}

// ---------------------------------------------------------------------------------------------
// Loading in blocks gives the record-by-record result.

TEST_F(LedgerKeep, LoadAcrossBlocksAndHolesLetsTheLaterRecordWin) {
    auto spending = [](int column, int row, double spent) {
        RecordFields day = PlannedDay(MARCH_2024, 0);
        day.column = column;
        day.row = row;
        day.spent = spent;
        return EncodeRecord(day);
    };
    const long long size = static_cast<long long>(DAY_RECORD_SIZE);
    const long long boundary = LOAD_BLOCK_RECORDS * size;  // the second block's first record
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    auto put = [&](long long at, const std::string& bytes) {
        ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)),
                  static_cast<ssize_t>(bytes.size()));
    };
    put(0, spending(5, 1, 1.0));
    put(boundary - size, spending(5, 1, 2.0) + spending(6, 1, 3.0));
    put(boundary + size, spending(6, 1, 4.0));
    // Blocks of nothing but a hole, then the last word on (5, 1) and a partial record.
    const long long tail = 4 * boundary;
    put(tail, spending(5, 1, 5.0) + spending(7, 1, 6.0).substr(0, 50));
    close(fd);

    const DayRecords records = Load();
    EXPECT_EQ(SpentAt(records, 5, 1), 5.0);
    EXPECT_EQ(SpentAt(records, 6, 1), 4.0);
    EXPECT_EQ(SpentAt(records, 7, 1), 0.0);
}

}  // namespace
