// SPDX-License-Identifier: GPL-3.0-or-later
// One program per ledger, and a file size limit: a second start while the owner cannot be reached
// may not save, a lock left by a program that died does not count, and a write beyond the limit is
// an error banner, not the end of the program.
#include "app/ledger_claim.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "../storage/ledger_support.h"
#include "program_driver.h"

namespace {

constexpr rlim_t SIZE_LIMIT = 1000 * 1024;  // "ulimit -f 1000"

struct LedgerClaimTest : ProgramTest {
    int holder = -1;
    std::unique_ptr<LedgerClaim> claim;

    void TearDown() override {
        EndRun();
        ProgramTest::TearDown();
    }
    // A run as start-up makes it: the ledger claimed, then the program made on it.
    void StartRun() {
        ledger = std::make_unique<Ledger>(folder + LEDGER_FILE_NAME, files);
        claim = std::make_unique<LedgerClaim>(*ledger, StartRequest::Show);
        program = std::make_unique<Program>(fonts, *ledger, files, *this);
    }
    void EndRun() {
        program.reset();
        claim.reset();
        Close();
        if (holder >= 0) close(holder);
        holder = -1;
    }
    // One expense more than the stored ledger holds, on Friday 15 March, then "Grabar".
    void ChangeAndSave() {
        ClickCell({5, 1});  // removes the greeting
        ClickCell({5, 1});
        Type("7,5");
        Press(Qt::Key_Return);
        ActionOf(Command::Save)->trigger();
    }
};

enum Holder { ALIVE_BUT_SILENT, DIED };

TEST_F(LedgerClaimTest, SecondStartSavesOnlyWhenTheOwnerIsGone) {
    const struct {
        const char* name;
        Holder holder;
        const char* banner;
        bool written;  // and the leftover of a killed save removed at start-up
    } cases[] = {
        {"owner holds the lock and does not answer", ALIVE_BUT_SILENT, "Err:  70 Permission denied",
         false},
        {"owner died holding the lock", DIED, TEXT_SAVED, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder + LEDGER_FILE_NAME;
        {
            Ledger stored(path, files);
            ASSERT_EQ(stored.Save(PeriodOf(WorkedExample())), FileError::None);
        }
        const std::string stored = FileBytes(path);
        const std::string leftover = folder + ".ahorros.log.Ab12Cd";
        WriteFile(".ahorros.log.Ab12Cd", stored);
        if (c.holder == ALIVE_BUT_SILENT) {
            holder = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_EQ(flock(holder, LOCK_EX), 0);
        } else {
            const pid_t pid = fork();
            if (pid == 0) {
                const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
                _exit(fd >= 0 && flock(fd, LOCK_EX) == 0 ? 0 : 1);
            }
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }

        StartRun();
        ASSERT_FALSE(claim->HandedOver());
        EXPECT_EQ(claim->Owns(), c.written);
        EXPECT_EQ(PathExists(leftover), !c.written);
        program->Open();
        ASSERT_EQ(BannerText(), TEXT_GREETING);
        ChangeAndSave();
        EXPECT_EQ(BannerText(), c.banner);
        EXPECT_EQ(FileBytes(path) == stored, !c.written);
        EXPECT_EQ(PathExists(path + BACKUP_SUFFIX), c.written);

        EndRun();
        RemoveFolder(folder);
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    }
}

// Under "ulimit -f 1000" the 1.4 MB picture cannot be written: the program says so and goes on.
// The limit is set on this process for the one command (a forked child could hang in the drawing
// threads that earlier tests started).
TEST_F(LedgerClaimTest, FileSizeLimitIsAFailedWriteNotTheEndOfTheProgram) {
    const std::string pictures = folder + "pictures";
    ASSERT_EQ(mkdir(pictures.c_str(), 0755), 0);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(pictures.c_str()), 0);
    IgnoreFileSizeSignal();  // as start-up does
    StartRun();
    ASSERT_TRUE(claim->Owns());
    program->Open();
    ActionOf(Command::NewMonth)->trigger();
    ClickCell({3, 2});
    Type("3100");
    Press(Qt::Key_Return);

    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit limit = saved;
    limit.rlim_cur = SIZE_LIMIT;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    ActionOf(Command::Picture)->trigger();
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_EQ(chdir(previous), 0);

    EXPECT_EQ(BannerText(), "Err:  61 Disk full");
    EXPECT_TRUE(OtherEntries(pictures).empty()) << "a temporary file stayed";
}

}  // namespace
