// SPDX-License-Identifier: GPL-3.0-or-later
// The real program started twice on one ledger under a private X server: the second start brings
// the running window to the front, gives it the keyboard focus and ends with 0.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_process.h"
#include "test_files.h"
#include "x_session.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct SecondStartTest : testing::Test {
    XSession x;
    std::string root;
    std::string executable;
    std::string logPath;
    std::string xwininfo;

    void SetUp() override {
        std::string missing = XSession::MissingTools();
        xwininfo = FindInPath("xwininfo");
        if (xwininfo.empty()) missing += " x11-utils (xwininfo)";
        if (FindInPath("xlogo").empty()) missing += " x11-apps (xlogo)";
        if (!missing.empty()) GTEST_SKIP() << "Not installed:" << missing;
        root = MakeTemporaryFolder();
        ASSERT_FALSE(root.empty());
        for (const char* dir : {"/program", "/work", "/runtime"})
            ASSERT_EQ(mkdir((root + dir).c_str(), 0700), 0);
        executable = root + "/program/monedario";
        fs::copy_file(MONEDARIO_EXECUTABLE, executable);
        logPath = root + "/x.log";
        std::string error;
        ASSERT_TRUE(x.Start(logPath, &error)) << error;
    }
    void TearDown() override {
        x.Stop();
        std::error_code ignored;
        if (!root.empty() && !HasFailure()) fs::remove_all(root, ignored);
        if (HasFailure()) std::cout << "Files of the failed run kept in " << root << "\n";
    }

    void Launch(ChildProcess& program) {
        SpawnOptions options;
        options.argv = {executable};
        options.env = {x.DisplayVariable(), "QT_QPA_PLATFORM=xcb",
                       "XDG_RUNTIME_DIR=" + root + "/runtime"};
        options.workingDirectory = root + "/work";
        options.logPath = root + "/program.log";
        std::string error;
        ASSERT_TRUE(program.Start(options, &error)) << error;
    }
    std::vector<std::string> Search(const std::vector<std::string>& what) {
        std::vector<std::string> args{"search", "--onlyvisible"};
        args.insert(args.end(), what.begin(), what.end());
        std::istringstream ids(x.Xdotool(args, 30s).output);
        std::vector<std::string> found;
        for (std::string id; ids >> id;) found.push_back(id);
        return found;
    }
    // The top-level windows from the top of the stack down, as xwininfo lists the root's children.
    std::vector<unsigned long> Stack() {
        const CommandResult tree =
            RunCommand({xwininfo, "-root", "-children"}, {x.DisplayVariable()}, logPath, 10s);
        std::vector<unsigned long> stack;
        std::istringstream lines(tree.output);
        bool children = false;
        for (std::string line; std::getline(lines, line);) {
            const size_t at = line.find("0x");
            if (children && at != std::string::npos)
                stack.push_back(std::stoul(line.substr(at), nullptr, 16));
            children = children || line.find("children") != std::string::npos;
        }
        return stack;
    }
    bool Above(const std::string& upper, const std::string& lower) {
        const std::vector<unsigned long> stack = Stack();
        const auto position = [&](const std::string& id) {
            return std::find(stack.begin(), stack.end(), std::stoul(id)) - stack.begin();
        };
        return position(upper) < position(lower) &&
               position(lower) < static_cast<long>(stack.size());
    }
    std::string Focus() {
        std::string id = x.Xdotool({"getwindowfocus"}).output;
        while (!id.empty() && id.back() == '\n') id.pop_back();
        return id;
    }
};

TEST_F(SecondStartTest, BringsTheRunningWindowForwardAndEndsWithZero) {
    ChildProcess first;
    ASSERT_NO_FATAL_FAILURE(Launch(first));
    ASSERT_TRUE(x.Xdotool({"search", "--sync", "--onlyvisible", "--name", "^Monedario Pro$"}, 30s)
                    .Succeeded());
    const std::vector<std::string> windows = Search({"--name", "^Monedario Pro$"});
    ASSERT_EQ(windows.size(), 1u);
    const std::string window = windows[0];

    // Another program's window covers it and has the keyboard.
    ChildProcess cover;
    SpawnOptions options;
    options.argv = {FindInPath("xlogo"), "-geometry", "1000x800+0+0"};
    options.env = {x.DisplayVariable()};
    options.logPath = logPath;
    std::string error;
    ASSERT_TRUE(cover.Start(options, &error)) << error;
    ASSERT_TRUE(
        x.Xdotool({"search", "--sync", "--onlyvisible", "--class", "xlogo"}, 30s).Succeeded());
    const std::string coverWindow = Search({"--class", "xlogo"}).at(0);
    ASSERT_TRUE(x.Xdotool({"windowfocus", "--sync", coverWindow}).Succeeded());
    ASSERT_TRUE(Above(coverWindow, window));
    ASSERT_EQ(Focus(), coverWindow);

    ChildProcess second;
    ASSERT_NO_FATAL_FAILURE(Launch(second));
    const std::optional<int> status = second.WaitFor(20s);
    ASSERT_TRUE(status.has_value()) << "the second start did not end";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << DescribeStatus(*status);

    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!(Above(window, coverWindow) && Focus() == window) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(Above(window, coverWindow)) << "the running window is still covered";
    EXPECT_EQ(Focus(), window) << "the running window did not get the keyboard";
    EXPECT_EQ(Search({"--name", "^Monedario Pro$"}), windows) << "a second window appeared";
    EXPECT_FALSE(first.Exited()) << "the running program ended";
}

}  // namespace
