// SPDX-License-Identifier: GPL-3.0-or-later
// Where the ledger lives, with the program's folder writable or not for a user who is not root,
// and putting a finished period's ledger aside under its start date.
#include <sys/stat.h>
#include <utime.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <vector>

#include "ledger_support.h"

namespace {

enum class Runner { Root, Nobody };

// A forked child, as root or as "nobody", places the ledger for a program folder owned by one or
// the other, saves a period there and reports both in a file. A ledger lives beside the program
// only in a copy of the runner's own; a system-wide program keeps everyone's at home.
TEST(LedgerPlace, BesideTheProgramOnlyInTheRunnersOwnCopy) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root, to give folders to another user";
    const struct {
        const char* name;
        Runner runner;
        bool ownedByRunner;
        mode_t programMode;
        bool ledgerBeside;
        const char* dataHome;    // under the test folder when absolute; null: unset
        const char* expected;    // the ledger's path under the test folder
        const char* folderMode;  // of the ledger's folder after a save; null: no save tried
    } cases[] = {
        {"own copy with a ledger, folder takes no files", Runner::Nobody, true, 0555, true, "/data",
         "/program/ahorros.log", nullptr},
        {"own copy that takes files", Runner::Nobody, true, 0777, false, "/data",
         "/program/ahorros.log", "777"},
        {"own copy that takes no files", Runner::Nobody, true, 0555, false, "/data",
         "/data/monedario/ahorros.log", "700"},
        {"another user's copy, writable, with a ledger", Runner::Nobody, false, 0777, true, "/data",
         "/data/monedario/ahorros.log", "700"},
        {"root runs another user's copy", Runner::Root, false, 0777, true, "/data",
         "/data/monedario/ahorros.log", "700"},
        {"root runs its own copy", Runner::Root, true, 0755, false, "/data", "/program/ahorros.log",
         "755"},
        {"data home unset", Runner::Nobody, true, 0555, false, nullptr,
         "/home/.local/share/monedario/ahorros.log", "700"},
        {"relative data home is ignored", Runner::Nobody, true, 0555, false, "relative",
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
        const bool nobodysFolder = (c.runner == Runner::Nobody) == c.ownedByRunner;
        ASSERT_EQ(chown(program.c_str(), nobodysFolder ? NOBODY : 0, nobodysFolder ? NOBODY : 0),
                  0);
        ASSERT_EQ(chmod(program.c_str(), c.programMode), 0);
        const auto place = [&] {
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
                const int error = Shown(ledger.Save(PeriodOf(WorkedExample())));
                struct stat folder {};
                stat(FolderOf(report).c_str(), &folder);
                char text[16];
                std::snprintf(text, sizeof text, " %d %o", error, folder.st_mode & 07777);
                report += text;
            }
            return WriteFileBytes(base + "/report", report) ? 0 : 1;
        };
        std::string why;
        const int exitCode =
            c.runner == Runner::Nobody ? RunUnprivileged(place, &why) : RunAsItIs(place, &why);
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
    // A program installed for the whole system: root owns the folder, and still its ledger is
    // kept at home.
    EXPECT_EQ(PlaceLedger("/usr/bin/", "/root/.local/share/"),
              "/root/.local/share/monedario/ahorros.log");
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
        EXPECT_FALSE(ledger.Archive(&archived));
        EXPECT_FALSE(PathExists(folder + "ahorros.log"));
        EXPECT_EQ(archived, c.expected[0] ? folder + c.expected : "");
        if (c.expected[0]) {
            EXPECT_TRUE(SameBytes(FileBytes(folder + c.expected), bytes));
        }
        for (const std::string& name : c.taken) EXPECT_EQ(FileBytes(folder + name), name);
        RemoveFolder(folder);
    }
}

// The ledger's or its backup's move fails: both stay where they were, and the failure is told.
TEST(LedgerArchive, AFailedMoveLeavesThePeriodAndItsBackupInPlace) {
    for (int failing : {1, 2}) {  // the ledger's rename, then its backup's
        SCOPED_TRACE(failing);
        const std::string folder = MakeTemporaryFolder() + "/";
        const std::string bytes = LedgerContent(WorkedExample());
        ASSERT_TRUE(WriteFileBytes(folder + "ahorros.log", bytes));
        ASSERT_TRUE(WriteFileBytes(folder + "ahorros.log.bak", "backup"));
        FileCalls files;
        Ledger ledger(folder + LEDGER_FILE_NAME, files);
        files.InjectFault("rename", EACCES, false, failing);
        std::string archived;
        EXPECT_EQ(ledger.Archive(&archived).value(), EACCES);
        EXPECT_EQ(archived, "");
        EXPECT_TRUE(SameBytes(FileBytes(folder + "ahorros.log"), bytes));
        EXPECT_EQ(FileBytes(folder + "ahorros.log.bak"), "backup");
        EXPECT_FALSE(PathExists(folder + "ahorros-2024-03-15.log"));
        RemoveFolder(folder);
    }
}

}  // namespace
