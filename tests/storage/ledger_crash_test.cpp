// SPDX-License-Identifier: GPL-3.0-or-later
// A process that keeps saving is killed at random moments: the ledger must always be the
// complete old or the complete new content. Only a killed save's temporary file may remain.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>

#include "ledger_fixture.h"

extern char** environ;

namespace {

constexpr int TRIALS = 250;

struct Helper {
    pid_t pid;
    int ready;  // read end of the pipe the helper reports its first save on
};

Helper StartHelper(const std::string& folder) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {-1, -1};
    std::string writeEnd = std::to_string(pipeEnds[1]);
    const char* args[] = {LEDGER_CRASH_HELPER, folder.c_str(), writeEnd.c_str(), nullptr};
    pid_t pid = -1;
    int result = posix_spawn(&pid, LEDGER_CRASH_HELPER, nullptr, nullptr,
                             const_cast<char* const*>(args), environ);
    close(pipeEnds[1]);
    if (result != 0) {
        close(pipeEnds[0]);
        return {-1, -1};
    }
    return {pid, pipeEnds[0]};
}

void SleepMicroseconds(long microseconds) {
    struct timespec pause = {microseconds / 1000000, (microseconds % 1000000) * 1000};
    while (nanosleep(&pause, &pause) != 0) {
    }
}

using LedgerCrash = LedgerTest;

TEST_F(LedgerCrash, AKilledSaveLeavesTheOldOrTheNewLedgerWhole) {
    ASSERT_EQ(ledger.Save(february), FileError::None);

    // Kills land anywhere within a few saves: the pause is drawn from up to three save times.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) ASSERT_EQ(ledger.Save(february), FileError::None);
    long saveMicroseconds = static_cast<long>(std::chrono::duration_cast<std::chrono::microseconds>(
                                                  std::chrono::steady_clock::now() - start)
                                                  .count() /
                                              20);
    std::random_device entropy;
    unsigned int generatorStart = entropy();
    std::mt19937 generator(generatorStart);
    std::uniform_int_distribution<long> pause(0, 3 * saveMicroseconds + 50);
    RecordProperty("generator_start", std::to_string(generatorStart));

    int sawMarch = 0;
    int sawFebruary = 0;
    for (int trial = 0; trial < TRIALS; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial) + ", generator start " +
                     std::to_string(generatorStart));
        Helper helper = StartHelper(folder);
        ASSERT_GE(helper.pid, 0);
        char mark = 0;
        ssize_t got = read(helper.ready, &mark, 1);
        close(helper.ready);
        SleepMicroseconds(pause(generator));
        kill(helper.pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(helper.pid, &status, 0), helper.pid);
        ASSERT_EQ(got, 1) << "the helper did not finish its first save";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the helper stopped by itself, status " << status;

        const std::string now = Bytes();
        if (now == marchBytes) {
            ++sawMarch;
        } else if (now == februaryBytes) {
            ++sawFebruary;
        } else {
            FAIL() << "the ledger holds " << now.size() << " bytes of neither period";
        }
        for (const std::string& name : OtherEntries(folder)) {
            EXPECT_TRUE(IsTemporaryLedgerName(name)) << name;
        }
        // The backup is replaced in one step too: it is always one whole period.
        const std::string backup = FileBytes(path + BACKUP_SUFFIX);
        EXPECT_TRUE(backup == marchBytes || backup == februaryBytes) << backup.size() << " bytes";
    }
    RecordProperty("march", std::to_string(sawMarch));
    RecordProperty("february", std::to_string(sawFebruary));
    RecordProperty("leftovers", std::to_string(OtherEntries(folder).size()));

    // Leftover temporary files trouble neither loading nor saving.
    const std::string last = Bytes();
    EXPECT_TRUE(SameBytes(LedgerContent(Load()), last));
    EXPECT_EQ(ledger.Save(march), FileError::None);
    EXPECT_TRUE(SameBytes(Bytes(), marchBytes));
}

}  // namespace
