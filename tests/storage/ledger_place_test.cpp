// Where the ledger lives, with the program's folder writable or not for a user who is not root,
// and putting a finished period's ledger aside under its start date.
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "ledger_support.h"
#include "platform/testing.h"

namespace {

struct PlaceCase {
    const char* name;
    bool ledgerBeside;
    mode_t programMode;
    const char* dataHome;    // under the test folder when absolute; null: unset
    const char* expected;    // the ledger's path under the test folder
    const char* folderMode;  // of the ledger's folder after a save; null: no save tried
};
void PrintTo(const PlaceCase& c, std::ostream* out) {
    *out << c.name;
}

class LedgerPlace : public testing::TestWithParam<PlaceCase> {
protected:
    std::string base;
    void SetUp() override {
        base = MakeTemporaryFolder();
        ASSERT_FALSE(base.empty());
        ASSERT_EQ(mkdir((base + "/program").c_str(), 0700), 0);
        ASSERT_EQ(mkdir((base + "/home").c_str(), 0700), 0);
        for (const char* name : {"", "/home"}) ASSERT_EQ(chmod((base + name).c_str(), 0777), 0);
    }
    void TearDown() override {
        chmod((base + "/program").c_str(), 0700);
        RemoveFolder(base);
    }
};

// A child process, as "nobody" when the test runs as root (root may write anywhere), finds the
// ledger's path, saves a period and reports both in a file.
TEST_P(LedgerPlace, FollowsTheProgramFolderOrTheUsersDataFolder) {
    const PlaceCase& c = GetParam();
    const std::string program = base + "/program";
    if (c.ledgerBeside) {
        ASSERT_TRUE(WriteFileBytes(program + "/ahorros.log", ""));
    }
    ASSERT_EQ(chmod(program.c_str(), c.programMode), 0);
    std::string why;
    const int exitCode = RunUnprivileged(
        [&] {
            SetExecutableFolderForTesting(program);
            setenv("HOME", (base + "/home").c_str(), 1);
            if (c.dataHome == nullptr) {
                unsetenv("XDG_DATA_HOME");
            } else {
                const std::string under = c.dataHome[0] == '/' ? base : "";
                setenv("XDG_DATA_HOME", (under + c.dataHome).c_str(), 1);
            }
            std::string report = LedgerPath();
            if (c.folderMode) {
                LayOutWorkedExample();
                const int error = SaveLedger();
                struct stat folder {};
                stat(report.substr(0, report.rfind('/')).c_str(), &folder);
                char text[16];
                std::snprintf(text, sizeof text, " %d %o", error, folder.st_mode & 07777);
                report += text;
            }
            return WriteFileBytes(base + "/report", report) ? 0 : 1;
        },
        &why);
    if (exitCode < 0) GTEST_SKIP() << why;
    const std::string expected = base + c.expected;
    EXPECT_EQ(FileBytes(base + "/report"),
              expected + (c.folderMode ? std::string(" 0 ") + c.folderMode : ""));
    if (c.folderMode) {
        EXPECT_EQ(FileBytes(expected).size(), 2387u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rule, LedgerPlace,
    testing::Values(PlaceCase{"LedgerAlreadyBesideAFolderThatTakesNoFiles", true, 0555, "/data",
                              "/program/ahorros.log", nullptr},
                    PlaceCase{"WritableProgramFolder", false, 0777, "/data", "/program/ahorros.log",
                              "777"},
                    PlaceCase{"ProgramFolderTakesNoFiles", false, 0555, "/data",
                              "/data/monedario/ahorros.log", "700"},
                    PlaceCase{"ProgramFolderTakesNoFilesDataHomeUnset", false, 0555, nullptr,
                              "/home/.local/share/monedario/ahorros.log", "700"},
                    PlaceCase{"RelativeDataHomeIsIgnored", false, 0555, "relative",
                              "/home/.local/share/monedario/ahorros.log", nullptr}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

struct ArchiveCase {
    const char* name;
    const char* ledger;  // "period": March 2024 from the 15th; "damaged": no date; "": none
    std::vector<std::string> taken;
    const char* expected;
};
void PrintTo(const ArchiveCase& c, std::ostream* out) {
    *out << c.name;
}

class LedgerArchive : public testing::TestWithParam<ArchiveCase> {};

// The ledger's file, last changed on 9 July 2023, is renamed; files already there stay as they
// were.
TEST_P(LedgerArchive, RenamesTheLedgerAfterItsStartDateWithoutReplacingAnything) {
    const ArchiveCase& c = GetParam();
    const std::string folder = MakeTemporaryFolder() + "/";
    SetExecutableFolderForTesting(folder);
    LayOutWorkedExample();
    const std::string bytes = c.ledger == std::string("period") ? GridLedgerContent() : "damaged";
    if (c.ledger[0] != '\0') {
        ASSERT_TRUE(WriteFileBytes(folder + "ahorros.log", bytes));
        struct tm day = {0, 0, 12, 9, 6, 2023 - 1900, 0, 0, -1, 0, nullptr};
        const struct utimbuf times = {mktime(&day), mktime(&day)};
        ASSERT_EQ(utime((folder + "ahorros.log").c_str(), &times), 0);
    }
    for (const std::string& name : c.taken) ASSERT_TRUE(WriteFileBytes(folder + name, name));

    std::string archived;
    EXPECT_EQ(ArchiveLedger(&archived), 0);
    EXPECT_FALSE(PathHasAttributes(folder + "ahorros.log"));
    EXPECT_EQ(archived, c.expected[0] ? folder + c.expected : "");
    if (c.expected[0]) {
        EXPECT_TRUE(SameBytes(FileBytes(folder + c.expected), bytes));
    }
    for (const std::string& name : c.taken) EXPECT_EQ(FileBytes(folder + name), name);
    SetExecutableFolderForTesting("");
    RemoveFolder(folder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LedgerArchive,
    testing::Values(
        ArchiveCase{"NamedAfterThePeriodsStart", "period", {}, "ahorros-2024-03-15.log"},
        ArchiveCase{"TakenNamesGetANumber",
                    "period",
                    {"ahorros-2024-03-15.log", "ahorros-2024-03-15-2.log"},
                    "ahorros-2024-03-15-3.log"},
        ArchiveCase{
            "UnreadableDateUsesTheModificationDate", "damaged", {}, "ahorros-2023-07-09.log"},
        ArchiveCase{"NoLedgerNothingToDo", "", {"ahorros-2024-03-15.log"}, ""}),
    [](const testing::TestParamInfo<ArchiveCase>& info) { return std::string(info.param.name); });

}  // namespace
