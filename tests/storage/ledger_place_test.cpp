// Where the ledger lives, with the program's folder writable or not for a user who is not root,
// and putting a finished period's ledger aside under its start date.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <cstdlib>
#include <ctime>

#include "ledger_support.h"

namespace {

constexpr uid_t NOBODY = 65534;
constexpr int CHILD_SKIPPED = 77;

struct PlaceCase {
    const char* name;
    bool ledgerBeside;
    mode_t programFolderMode;
    bool saved;            // a save that needs new files in the ledger's folder
    const char* dataHome;  // relative to the test folder; null: unset
    const char* expected;  // relative to the test folder
};

void PrintTo(const PlaceCase& c, std::ostream* out) {
    *out << c.name;
}

// Runs `step` in a child process as a user without root's right to write anywhere: "nobody"
// when the test runs as root, else the user itself. Returns what the step wrote, or why the
// child could not run.
template <typename Step>
std::string RunUnprivileged(Step step, bool* skipped) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        if (geteuid() == 0 && (setgid(NOBODY) != 0 || setuid(NOBODY) != 0)) _exit(CHILD_SKIPPED);
        const std::string result = step();
        const bool whole =
            write(fds[1], result.data(), result.size()) == static_cast<ssize_t>(result.size());
        _exit(whole ? 0 : 1);
    }
    close(fds[1]);
    std::string result;
    char buffer[512];
    for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) result.append(buffer, got);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    *skipped = WIFEXITED(status) && WEXITSTATUS(status) == CHILD_SKIPPED;
    if (*skipped) result = "cannot switch to the unprivileged user 65534";
    return result;
}

class LedgerPlace : public testing::TestWithParam<PlaceCase> {
protected:
    std::string base;

    void SetUp() override {
        base = MakeTemporaryFolder();
        ASSERT_FALSE(base.empty());
        ASSERT_EQ(chmod(base.c_str(), 0777), 0);
    }
    void TearDown() override {
        SetExecutableFolderForTesting("");
        chmod((base + "/program").c_str(), 0755);
        RemoveFolder(base);
    }
};

// The child reports the ledger's path, then saves a period and reports the save's result and
// the mode of the ledger's folder.
TEST_P(LedgerPlace, FollowsTheProgramFolderOrTheUsersDataFolder) {
    const PlaceCase& c = GetParam();
    const std::string program = base + "/program";
    ASSERT_EQ(mkdir(program.c_str(), 0755), 0);
    if (c.ledgerBeside) {
        ASSERT_TRUE(WriteFileBytes(program + "/ahorros.log", ""));
        ASSERT_EQ(chmod((program + "/ahorros.log").c_str(), 0666), 0);
    }
    ASSERT_EQ(chmod(program.c_str(), c.programFolderMode), 0);
    ASSERT_EQ(mkdir((base + "/home").c_str(), 0700), 0);
    ASSERT_EQ(chmod((base + "/home").c_str(), 0777), 0);

    bool skipped = false;
    const std::string report = RunUnprivileged(
        [&] {
            SetExecutableFolderForTesting(program);
            setenv("HOME", (base + "/home").c_str(), 1);
            if (c.dataHome)
                setenv("XDG_DATA_HOME",
                       c.dataHome[0] == '/' ? (base + c.dataHome).c_str() : c.dataHome, 1);
            else
                unsetenv("XDG_DATA_HOME");
            const std::string path = LedgerPath();
            if (!c.saved) return path;
            LayOutWorkedExample();
            const int error = SaveLedger();
            struct stat folder {};
            stat(path.substr(0, path.rfind('/')).c_str(), &folder);
            char mode[16];
            std::snprintf(mode, sizeof mode, " %d %o", error, folder.st_mode & 07777);
            return path + mode;
        },
        &skipped);
    if (skipped) GTEST_SKIP() << report;

    const std::string expected = base + c.expected;
    if (!c.saved) {
        EXPECT_EQ(report, expected);
        return;
    }
    // A folder made for the ledger is the user's alone.
    const bool made = std::string(c.expected).find("/monedario/") != std::string::npos;
    char mode[16];
    std::snprintf(mode, sizeof mode, " 0 %o", made ? 0700 : c.programFolderMode);
    EXPECT_EQ(report, expected + mode) << "ledger path, save error, folder mode";
    EXPECT_EQ(FileBytes(expected).size(), 2387u);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, LedgerPlace,
    testing::Values(PlaceCase{"LedgerAlreadyBesideAFolderThatTakesNoFiles", true, 0555, false,
                              "/data", "/program/ahorros.log"},
                    PlaceCase{"WritableProgramFolder", false, 0777, true, "/data",
                              "/program/ahorros.log"},
                    PlaceCase{"ProgramFolderTakesNoFilesDataHomeSet", false, 0555, true, "/data",
                              "/data/monedario/ahorros.log"},
                    PlaceCase{"ProgramFolderTakesNoFilesDataHomeUnset", false, 0555, true, nullptr,
                              "/home/.local/share/monedario/ahorros.log"},
                    PlaceCase{"RelativeDataHomeIsIgnored", false, 0555, true, "relative/data",
                              "/home/.local/share/monedario/ahorros.log"}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------

struct ArchiveCase {
    const char* name;
    bool periodInLedger;             // else a ledger whose start date cannot be read
    std::vector<const char*> taken;  // archives already there
    const char* expected;            // empty: nothing is renamed
};

void PrintTo(const ArchiveCase& c, std::ostream* out) {
    *out << c.name;
}

class LedgerArchive : public testing::TestWithParam<ArchiveCase> {
protected:
    std::string folder;

    void SetUp() override {
        folder = MakeTemporaryFolder();
        ASSERT_FALSE(folder.empty());
        SetExecutableFolderForTesting(folder);
    }
    void TearDown() override {
        SetExecutableFolderForTesting("");
        RemoveFolder(folder);
    }
};

TEST_P(LedgerArchive, RenamesTheLedgerAfterItsStartDateWithoutReplacingAnything) {
    const ArchiveCase& c = GetParam();
    const std::string ledgerPath = folder + "/ahorros.log";
    std::string ledgerBytes;
    if (c.expected[0] != '\0') {
        LayOutWorkedExample();  // starts on 15 March 2024
        ledgerBytes = c.periodInLedger ? GridLedgerContent() : std::string(100, '\0');
        ASSERT_TRUE(WriteFileBytes(ledgerPath, ledgerBytes));
        struct tm noon = {};
        noon.tm_year = 2023 - 1900;
        noon.tm_mon = 6;
        noon.tm_mday = 9;
        noon.tm_hour = 12;
        noon.tm_isdst = -1;
        const struct utimbuf times = {mktime(&noon), mktime(&noon)};
        ASSERT_EQ(utime(ledgerPath.c_str(), &times), 0);
    }
    for (const char* name : c.taken) ASSERT_TRUE(WriteFileBytes(folder + "/" + name, name));

    std::string archived;
    EXPECT_EQ(ArchiveLedger(&archived), 0);

    EXPECT_FALSE(PathHasAttributes(ledgerPath));
    if (c.expected[0] == '\0') {
        EXPECT_EQ(archived, "");
    } else {
        EXPECT_EQ(archived, folder + "/" + c.expected);
        EXPECT_TRUE(SameBytes(FileBytes(folder + "/" + c.expected), ledgerBytes));
    }
    for (const char* name : c.taken) EXPECT_EQ(FileBytes(folder + "/" + name), name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LedgerArchive,
    testing::Values(
        ArchiveCase{"NamedAfterThePeriodsStart", true, {}, "ahorros-2024-03-15.log"},
        ArchiveCase{"TakenNamesGetANumber",
                    true,
                    {"ahorros-2024-03-15.log", "ahorros-2024-03-15-2.log"},
                    "ahorros-2024-03-15-3.log"},
        ArchiveCase{"UnreadableDateUsesTheModificationDate", false, {}, "ahorros-2023-07-09.log"},
        ArchiveCase{"NoLedgerNothingToDo", true, {"ahorros-2024-03-15.log"}, ""}),
    [](const testing::TestParamInfo<ArchiveCase>& info) { return std::string(info.param.name); });

}  // namespace
