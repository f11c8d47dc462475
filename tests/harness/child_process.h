// SPDX-License-Identifier: GPL-3.0-or-later
// Child processes for the real-window test and the benchmark report: each runs in its own process
// group, dies with its parent, and is killed with its whole group when its guard goes out of scope.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

struct SpawnOptions {
    std::vector<std::string> argv;
    // "NAME=value" entries that replace or extend the inherited environment; "NAME" alone
    // removes the variable.
    std::vector<std::string> env;
    std::string workingDirectory;  // empty: the test's own
    std::string logPath;           // stdout (unless captured) and stderr are appended there
    int stdoutFd = -1;             // becomes the child's stdout when set
    int inheritFd = -1;            // stays open in the child under the same number
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Kill(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False with a reason when the process could not be started (a failed exec shows as exit
    // status 127 instead).
    bool Start(const SpawnOptions& options, std::string* error);
    pid_t Pid() const { return pid_; }
    bool Started() const { return pid_ > 0; }
    // Taken just before the fork, so that timings include the whole start of the process.
    std::chrono::steady_clock::time_point StartTime() const { return startTime_; }
    // True once the process has ended and been reaped.
    bool Exited();
    // The wait status once the process has ended within `timeout`.
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);
    // Kills the process group and reaps the process; nothing happens once it was reaped.
    void Kill();
    // The peak resident memory of the process over its whole life, once it has been reaped.
    long PeakRssKiB() const { return peakRssKiB_; }

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
    std::chrono::steady_clock::time_point startTime_;
    long peakRssKiB_ = 0;
};

struct CommandResult {
    bool finished = false;  // false when the deadline killed it
    int status = -1;        // wait status
    std::string output;     // everything it wrote to stdout
    bool Succeeded() const;
};

// Runs a command to its end with its stdout captured; it is killed at the deadline.
CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& logPath, std::chrono::milliseconds timeout);

// Reads from `fd` into `text` until `done` holds for what was read, the input ends or `deadline`
// passes; whether `done` holds then.
bool ReadUntil(int fd, std::string* text, std::chrono::steady_clock::time_point deadline,
               bool (*done)(const std::string&));

// The full path of an executable found on PATH, or an empty text.
std::string FindInPath(const std::string& name);
// "exited with 3", "was killed by signal 9" and the like.
std::string DescribeStatus(int status);
