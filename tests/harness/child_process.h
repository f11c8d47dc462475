// Child processes for the real-window test: each runs in its own process group, dies with the
// test process, and is killed with its whole group when its guard goes out of scope.
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
    // True once the process has ended and been reaped.
    bool Exited();
    // The wait status once the process has ended within `timeout`.
    std::optional<int> WaitFor(std::chrono::milliseconds timeout);
    // Kills the process group and reaps the process; nothing happens once it was reaped.
    void Kill();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
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

// The full path of an executable found on PATH, or an empty text.
std::string FindInPath(const std::string& name);
// "exited with 3", "killed by signal 9" and the like.
std::string DescribeStatus(int status);
