// Where the ledger lives, with the program's folder writable or not for a user who is not root,
// and putting a finished period's ledger aside under its start date.
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <string>
#include <vector>

#include "ledger_support.h"

namespace {

// A child process, as "nobody" when the test runs as root (root may write anywhere), places the
// ledger, saves a period there and reports both in a file.
TEST(LedgerPlace, FollowsTheProgramFolderOrTheUsersDataFolder) {
    const struct {
        const char* name;
        bool ledgerBeside;
        mode_t programMode;
        const char* dataHome;    // under the test folder when absolute; null: unset
        const char* expected;    // the ledger's path under the test folder
        const char* folderMode;  // of the ledger's folder after a save; null: no save tried
    } cases[] = {
        {"ledger already beside a folder that takes no files", true, 0555, "/data",
         "/program/ahorros.log", nullptr},
        {"writable program folder", false, 0777, "/data", "/program/ahorros.log", "777"},
        {"program folder takes no files", false, 0555, "/data", "/data/monedario/ahorros.log",
         "700"},
        {"program folder takes no files, data home unset", false, 0555, nullptr,
         "/home/.local/share/monedario/ahorros.log", "700"},
        {"relative data home is ignored", false, 0555, "relative",
         "/home/.local/share/monedario/ahorros.log", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string base = MakeTemporaryFolder();
        ASSERT_FALSE(base.empty());
        const std::string program = base + "/program";
        ASSERT_EQ(mkdir(program.c_str(), 0700), 0);
        ASSERT_EQ(mkdir((base + "/home").c_str(), 0700), 0);
        for (const char* name : {"", "/home"}) ASSERT_EQ(chmod((base + name).c_str(), 0777), 0);
        if (c.ledgerBeside) {
            ASSERT_TRUE(WriteFileBytes(program + "/ahorros.log", ""));
        }
        ASSERT_EQ(chmod(program.c_str(), c.programMode), 0);
        std::string why;
        const int exitCode = RunUnprivileged(
            [&] {
                setenv("HOME", (base + "/home").c_str(), 1);
                if (c.dataHome == nullptr) {
                    unsetenv("XDG_DATA_HOME");
                } else {
                    const std::string under = c.dataHome[0] == '/' ? base : "";
                    setenv("XDG_DATA_HOME", (under + c.dataHome).c_str(), 1);
                }
                std::string report = PlaceLedger(program + "/", UserDataHome());
                if (c.folderMode) {
                    FileCalls files;
                    Ledger ledger(report, files);
                    const int error = ledger.Save(PeriodOf(WorkedExample()));
                    struct stat folder {};
                    stat(FolderOf(report).c_str(), &folder);
                    char text[16];
                    std::snprintf(text, sizeof text, " %d %o", error, folder.st_mode & 07777);
                    report += text;
                }
                return WriteFileBytes(base + "/report", report) ? 0 : 1;
            },
            &why);
        chmod(program.c_str(), 0700);
        if (exitCode < 0) {
            RemoveFolder(base);
            GTEST_SKIP() << why;
        }
        const std::string expected = base + c.expected;
        EXPECT_EQ(FileBytes(base + "/report"),
                  expected + (c.folderMode ? std::string(" 0 ") + c.folderMode : ""));
        if (c.folderMode) {
            EXPECT_EQ(FileBytes(expected).size(), 2387u);
        }
        RemoveFolder(base);
    }
}

// The ledger's file, last changed on 9 July 2023, is renamed; files already there stay as they
// were.
TEST(LedgerArchive, RenamesTheLedgerAfterItsStartDateWithoutReplacingAnything) {
    const struct {
        const char* name;
        const char* ledger;  // "period": March 2024 from the 15th; "damaged": no date; "": none
        std::vector<std::string> taken;
        const char* expected;
    } cases[] = {
        {"named after the period's start", "period", {}, "ahorros-2024-03-15.log"},
        {"taken names get a number",
         "period",
         {"ahorros-2024-03-15.log", "ahorros-2024-03-15-2.log"},
         "ahorros-2024-03-15-3.log"},
        {"an unreadable date uses the modification date", "damaged", {}, "ahorros-2023-07-09.log"},
        {"no ledger, nothing to do", "", {"ahorros-2024-03-15.log"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = MakeTemporaryFolder() + "/";
        FileCalls files;
        Ledger ledger(folder + LEDGER_FILE_NAME, files);
        const std::string bytes =
            c.ledger == std::string("period") ? LedgerContent(WorkedExample()) : "damaged";
        if (c.ledger[0] != '\0') {
            ASSERT_TRUE(WriteFileBytes(folder + "ahorros.log", bytes));
            struct tm day = {0, 0, 12, 9, 6, 2023 - 1900, 0, 0, -1, 0, nullptr};
            const struct utimbuf times = {mktime(&day), mktime(&day)};
            ASSERT_EQ(utime((folder + "ahorros.log").c_str(), &times), 0);
        }
        for (const std::string& name : c.taken) ASSERT_TRUE(WriteFileBytes(folder + name, name));

        std::string archived;
        EXPECT_EQ(ledger.Archive(&archived), 0);
        EXPECT_FALSE(PathExists(folder + "ahorros.log"));
        EXPECT_EQ(archived, c.expected[0] ? folder + c.expected : "");
        if (c.expected[0]) {
            EXPECT_TRUE(SameBytes(FileBytes(folder + c.expected), bytes));
        }
        for (const std::string& name : c.taken) EXPECT_EQ(FileBytes(folder + name), name);
        RemoveFolder(folder);
    }
}

}  // namespace
