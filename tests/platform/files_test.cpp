// The file and clock half of the platform layer: paths, record files and today's date.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "platform/testing.h"

namespace {

struct FilesPlatform : testing::Test {
    std::string folder;

    void SetUp() override {
        char pattern[] = "/tmp/monedario-files-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
    }
    void TearDown() override {
        SetExecutableFolderForTesting("");
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string path = folder + "/" + name;
        int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(fd);
        return path;
    }
};

TEST_F(FilesPlatform, PathHasAttributesForAnyExistingFileOrFolder) {
    std::string file = Write("plain", "x");
    EXPECT_TRUE(PathHasAttributes(file));
    EXPECT_TRUE(PathHasAttributes(folder));
    EXPECT_TRUE(PathHasAttributes(folder + "/"));
    EXPECT_FALSE(PathHasAttributes(folder + "/missing"));
    EXPECT_FALSE(PathHasAttributes(file + "/below-a-file"));
    EXPECT_FALSE(PathHasAttributes(""));
}

TEST_F(FilesPlatform, ExecutableFolderIsTheRunningProgramsFolder) {
    std::string programFolder = ExecutableFolder();
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

    char* previous = getcwd(nullptr, 0);
    ASSERT_EQ(chdir(folder.c_str()), 0);
    EXPECT_EQ(ExecutableFolder(), programFolder);
    EXPECT_EQ(chdir(previous), 0);
    free(previous);
}

TEST_F(FilesPlatform, ExecutableFolderFollowsTheTestSetting) {
    std::string programFolder = ExecutableFolder();
    SetExecutableFolderForTesting(folder);
    EXPECT_EQ(ExecutableFolder(), folder + "/");
    SetExecutableFolderForTesting(folder + "/");
    EXPECT_EQ(ExecutableFolder(), folder + "/");
    SetExecutableFolderForTesting("");
    EXPECT_EQ(ExecutableFolder(), programFolder);
}

TEST_F(FilesPlatform, RecordFileIsHeldExclusively) {
    std::string path = Write("records", "abc");
    int error = 0;
    int first = OpenRecordFile(path, true, false, &error);
    ASSERT_GE(first, 0);
    for (bool forWriting : {true, false}) {
        error = 0;
        EXPECT_EQ(OpenRecordFile(path, forWriting, false, &error), -1);
        EXPECT_EQ(error, EWOULDBLOCK);
    }
    CloseRecordFile(first);
    int second = OpenRecordFile(path, false, false, &error);
    EXPECT_GE(second, 0);
    CloseRecordFile(second);
}

TEST_F(FilesPlatform, RecordFileIsCreatedOnlyWhenAsked) {
    std::string path = folder + "/new";
    int error = 0;
    EXPECT_EQ(OpenRecordFile(path, true, false, &error), -1);
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(PathHasAttributes(path));
    int handle = OpenRecordFile(path, true, true, &error);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(RecordFileSize(handle, &error), 0);
    CloseRecordFile(handle);
    EXPECT_TRUE(PathHasAttributes(path));
}

TEST_F(FilesPlatform, RecordFileRefusesAFolder) {
    int error = 0;
    EXPECT_EQ(OpenRecordFile(folder, false, false, &error), -1);
    EXPECT_EQ(error, EISDIR);
}

TEST_F(FilesPlatform, WritesAndReadsBytesAtAnOffset) {
    std::string path = Write("records", "0123456789");
    int error = 0;
    int handle = OpenRecordFile(path, true, false, &error);
    ASSERT_GE(handle, 0);
    ASSERT_TRUE(WriteAt(handle, 12, "AB", 2, &error));
    EXPECT_EQ(RecordFileSize(handle, &error), 14);
    char buffer[4] = {};
    ASSERT_TRUE(ReadAt(handle, 8, buffer, 4, &error));
    EXPECT_EQ(std::string(buffer, 4), std::string("89\0\0", 4));
    ASSERT_TRUE(ReadAt(handle, 12, buffer, 2, &error));
    EXPECT_EQ(std::string(buffer, 2), "AB");
    EXPECT_FALSE(ReadAt(handle, 13, buffer, 2, &error));
    CloseRecordFile(handle);
}

TEST_F(FilesPlatform, MakesAFilePlainAndDeletesIt) {
    std::string path = Write("marked", "x");
    ASSERT_EQ(chmod(path.c_str(), 04755), 0);
    EXPECT_TRUE(MakePlainFile(path));
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_TRUE(DeletePath(path));
    EXPECT_FALSE(PathHasAttributes(path));
    EXPECT_FALSE(DeletePath(path));
    EXPECT_FALSE(MakePlainFile(path));
}

TEST_F(FilesPlatform, ReplacementSwapsTheWholeFileAndCountsItsCalls) {
    std::string path = Write("target", "old content");
    InjectFileFault(0, 0, false);
    ReplaceResult result = ReplaceFileContents(path, "new", 3);
    EXPECT_EQ(result.error, 0);
    EXPECT_GT(FileCallsSinceInjection(), 0);
    int error = 0;
    int handle = OpenRecordFile(path, false, false, &error);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(RecordFileSize(handle, &error), 3);
    CloseRecordFile(handle);
}

TEST_F(FilesPlatform, ReplacementThatCannotCreateSaysSo) {
    InjectFileFault(0, 0, false);
    ReplaceResult result = ReplaceFileContents(folder + "/no/such/folder/target", "x", 1);
    EXPECT_EQ(result.error, ENOENT);
    EXPECT_TRUE(result.openFailed);
}

TEST(FilesClock, TodayHonoursTheFixedDate) {
    SetTodayForTesting({2024, 3, 15});
    LocalDate fixed = Today();
    EXPECT_EQ(fixed.year, 2024);
    EXPECT_EQ(fixed.month, 3);
    EXPECT_EQ(fixed.day, 15);
    SetTodayForTesting({0, 0, 0});
    LocalDate real = Today();
    EXPECT_GE(real.year, 2024);
    EXPECT_GE(real.month, 1);
    EXPECT_LE(real.month, 12);
    EXPECT_GE(real.day, 1);
    EXPECT_LE(real.day, 31);
}

TEST(FilesClock, TodayIsTheLocalDate) {
    SetTodayForTesting({0, 0, 0});
    const char* saved = getenv("TZ");
    std::string previous = saved != nullptr ? saved : "";
    setenv("TZ", "AHEAD-14", 1);  // fourteen hours ahead of UTC
    LocalDate ahead = Today();
    setenv("TZ", "BEHIND+12", 1);  // twelve hours behind
    LocalDate behind = Today();
    if (saved != nullptr) {
        setenv("TZ", previous.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
    // 26 hours apart, so the two local dates always differ.
    EXPECT_FALSE(ahead.year == behind.year && ahead.month == behind.month &&
                 ahead.day == behind.day);
}

}  // namespace
