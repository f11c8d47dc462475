// One program per ledger, and a file size limit: a second start while the owner cannot be reached
// may not save, a lock left by a program that died does not count, and a write beyond the limit is
// an error banner, not the end of the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>

#include "../storage/ledger_support.h"
#include "input/input.h"
#include "model/model.h"
#include "shell_fixture.h"
#include "storage/storage.h"
#include "view/view.h"

namespace {

constexpr rlim_t SIZE_LIMIT = 1000 * 1024;  // "ulimit -f 1000"

struct LedgerClaimTest : ShellTest {
    int holder = -1;

    void TearDown() override {
        EndRunForTesting();
        if (holder >= 0) close(holder);
        ShellTest::TearDown();
    }
    // The period in the window, with one expense more than the stored ledger holds.
    void ChangeAndSave() {
        AddExpense(5, 1, 7.5, "20'00     ");
        RunCommand(IDM_GRABAR);
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
        LayOutWorkedExample();
        ASSERT_EQ(SaveLedger(), 0);
        const std::string stored = ReadFile(LedgerPath());
        const std::string leftover = folder + ".ahorros.log.Ab12Cd";
        WriteFile(".ahorros.log.Ab12Cd", stored);
        CreateDayGrid();
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

        ASSERT_TRUE(StartRun());
        EXPECT_EQ(FileExists(leftover), !c.written);
        Open();
        ASSERT_EQ(banner.lastText, TEXT_GREETING);
        ChangeAndSave();
        EXPECT_EQ(banner.lastText, c.banner);
        EXPECT_EQ(ReadFile(LedgerPath()) == stored, !c.written);
        EXPECT_EQ(FileExists(LedgerPath() + BACKUP_SUFFIX), c.written);

        CloseShellForTesting();
        EndRunForTesting();
        if (holder >= 0) close(holder);
        holder = -1;
        RemoveFolder(folder);
        ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    }
}

// Under "ulimit -f 1000" the 1.4 MB picture cannot be written: the program says so and goes on.
TEST_F(LedgerClaimTest, FileSizeLimitIsAFailedWriteNotTheEndOfTheProgram) {
    const std::string pictures = folder + "pictures";
    ASSERT_EQ(mkdir(pictures.c_str(), 0755), 0);
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(report[0]);
        struct rlimit limit;
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = SIZE_LIMIT;
        if (chdir(pictures.c_str()) != 0 || setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
        std::signal(SIGXFSZ, SIG_DFL);
        if (!StartRun()) _exit(3);
        Open();
        RunCommand(IDM_MES_NUEVO);
        Click(CELL_WIDTH * 2 + 60, CELL_HEIGHT * 2 + 40);
        TypeText("3100");
        Press(Qt::Key_Return);
        RunCommand(IDM_BITMAP);
        const std::string& shown = banner.lastText;
        _exit(write(report[1], shown.data(), shown.size()) == static_cast<ssize_t>(shown.size())
                  ? 0
                  : 4);
    }
    close(report[1]);
    std::string shown;
    char buffer[256];
    for (ssize_t n; (n = read(report[0], buffer, sizeof buffer)) > 0;) shown.append(buffer, n);
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(shown, "Err:  61 Disk full");
    EXPECT_TRUE(OtherEntries(pictures).empty()) << "a temporary file stayed";
}

}  // namespace
