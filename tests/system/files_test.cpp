// SPDX-License-Identifier: GPL-3.0-or-later
// The file and clock half of the platform layer: paths, record files, whole-file replacement on
// its counted calls, and today's date.
#include "system/files.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "system/clock.h"
#include "test_files.h"

namespace {

struct FilesPlatform : testing::Test {
    std::string folder;
    FileCalls files;

    void SetUp() override {
        folder = MakeTemporaryFolder();
        ASSERT_FALSE(folder.empty());
    }
    void TearDown() override { RemoveFolder(folder); }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = folder + "/" + name;
        EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
        return path;
    }
};

TEST_F(FilesPlatform, PathExistsForAnyFileOrFolder) {
    const std::string file = Write("plain", "x");
    const struct {
        std::string path;
        bool exists;
    } cases[] = {{file, true},
                 {folder, true},
                 {folder + "/", true},
                 {folder + "/missing", false},
                 {file + "/below-a-file", false},
                 {"", false}};
    for (const auto& c : cases) EXPECT_EQ(PathExists(c.path), c.exists) << '"' << c.path << '"';
}

TEST_F(FilesPlatform, ProgramFolderIsTheRunningProgramsFolder) {
    const std::string programFolder = ProgramFolder();
    ASSERT_FALSE(programFolder.empty());
    EXPECT_EQ(programFolder.front(), '/');
    EXPECT_EQ(programFolder.back(), '/');
    // The folder holds the very file the kernel runs, whatever the working directory is.
    std::string name = program_invocation_name;
    name = name.substr(name.rfind('/') + 1);
    struct stat running;
    struct stat found;
    ASSERT_EQ(stat("/proc/self/exe", &running), 0);
    ASSERT_EQ(stat((programFolder + name).c_str(), &found), 0);
    EXPECT_EQ(found.st_ino, running.st_ino);
    EXPECT_EQ(found.st_dev, running.st_dev);

    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    EXPECT_EQ(ProgramFolder(), programFolder);
    std::filesystem::current_path(previous);
}

TEST_F(FilesPlatform, RecordFileIsHeldExclusively) {
    const std::string path = Write("records", "abc");
    std::error_code error;
    const int first = OpenRecordFile(path, &error);
    ASSERT_GE(first, 0);
    EXPECT_EQ(OpenRecordFile(path, &error), -1);
    EXPECT_EQ(error.value(), EWOULDBLOCK);
    CloseRecordFile(first);
    const int second = OpenRecordFile(path, &error);
    EXPECT_GE(second, 0);
    CloseRecordFile(second);
}

// Only an existing regular file is opened; nothing is made in the place of a missing one.
TEST_F(FilesPlatform, RecordFileRefusesWhatIsNoRegularFile) {
    const std::string pipe = folder + "/pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        const char* name;
        std::string path;
        int error;
    } cases[] = {{"a missing file", folder + "/new", ENOENT},
                 {"a folder", folder, EISDIR},
                 {"a pipe", pipe, EINVAL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code error;
        EXPECT_EQ(OpenRecordFile(c.path, &error), -1);
        EXPECT_EQ(error.value(), c.error);
    }
    EXPECT_FALSE(PathExists(folder + "/new"));
}

TEST_F(FilesPlatform, ReadsBytesAtAnOffsetAndNotPastTheEnd) {
    const std::string path = Write("records", std::string("0123456789\0\0AB", 14));
    std::error_code error;
    const int handle = OpenRecordFile(path, &error);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(RecordFileSize(handle, &error), 14);
    char buffer[4] = {};
    ASSERT_TRUE(ReadAt(handle, 8, buffer, 4, &error));
    EXPECT_EQ(std::string(buffer, 4), std::string("89\0\0", 4));
    ASSERT_TRUE(ReadAt(handle, 12, buffer, 2, &error));
    EXPECT_EQ(std::string(buffer, 2), "AB");
    EXPECT_FALSE(ReadAt(handle, 13, buffer, 2, &error));
    EXPECT_EQ(error.value(), ENODATA);
    CloseRecordFile(handle);
}

// Every call of a replacement is counted and named; the k-th one can be made to fail, and then
// the file is as it was and no temporary file remains.
TEST_F(FilesPlatform, ReplacementSwapsTheWholeFileThroughItsCountedCalls) {
    const std::string path = Write("target", "old content");
    files.Record(true);
    const ReplaceResult result = ReplaceFileContents(path, "new", false, files);
    EXPECT_FALSE(result.error);
    EXPECT_TRUE(result.replaced);
    EXPECT_EQ(FileBytes(path), "new");
    const std::vector<std::string> expected = {
        "open-folder", "create-temporary", "set-mode",   "write", "sync",
        "close",       "rename",           "sync-folder"};
    EXPECT_EQ(files.Recorded(), expected);
    EXPECT_EQ(files.CountSinceInjection(), static_cast<int>(expected.size()));

    for (int k = 0; k < 7; ++k) {  // every call up to the rename
        SCOPED_TRACE(expected[k]);
        files.InjectFault(expected[k], EIO);
        const ReplaceResult failed = ReplaceFileContents(path, "newer", false, files);
        EXPECT_EQ(failed.error.value(), EIO);
        EXPECT_FALSE(failed.replaced);
        EXPECT_EQ(FileBytes(path), "new");
        EXPECT_EQ(FolderNames(folder).size(), 1u) << "a temporary file was left";
    }
    files.ClearFaults();
    EXPECT_FALSE(ReplaceFileContents(path, "newest", false, files).error);
    EXPECT_EQ(FileBytes(path), "newest");
}

TEST_F(FilesPlatform, ReplacementThatCannotCreateSaysSo) {
    const ReplaceResult result =
        ReplaceFileContents(folder + "/no/such/folder/target", "x", false, files);
    EXPECT_EQ(result.error.value(), ENOENT);
    EXPECT_TRUE(result.openFailed);
    EXPECT_FALSE(result.replaced);
}

TEST(ClockTest, TodayIsAPlausibleLocalDate) {
    const Date today = Today();
    EXPECT_GE(today.year, 2024);
    EXPECT_GE(today.month, 1);
    EXPECT_LE(today.month, 12);
    EXPECT_GE(today.day, 1);
    EXPECT_LE(today.day, 31);

    const char* saved = getenv("TZ");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("TZ", "AHEAD-14", 1);  // fourteen hours ahead of UTC
    const Date ahead = Today();
    setenv("TZ", "BEHIND+12", 1);  // twelve hours behind
    const Date behind = Today();
    if (saved != nullptr) {
        setenv("TZ", previous.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    // 26 hours apart, so the two local dates always differ.
    EXPECT_NE(ahead, behind);
}

}  // namespace
