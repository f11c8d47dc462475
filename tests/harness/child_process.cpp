// SPDX-License-Identifier: GPL-3.0-or-later
// Starting, waiting for and killing child processes, and running short commands with a deadline.
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

std::string VariableName(const std::string& entry) {
    return entry.substr(0, entry.find('='));
}

// The inherited environment with the options' entries applied, built before fork so that the
// child only has to call exec.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> merged;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool replaced = false;
        for (const std::string& change : changes)
            replaced |= VariableName(change) == VariableName(entry);
        if (!replaced) merged.push_back(entry);
    }
    for (const std::string& change : changes) {
        if (change.find('=') != std::string::npos) merged.push_back(change);
    }
    return merged;
}

}  // namespace

bool ChildProcess::Start(const SpawnOptions& options, std::string* error) {
    Kill();
    status_.reset();
    if (options.argv.empty()) {
        *error = "no command given";
        return false;
    }
    std::vector<std::string> envStrings = MergedEnvironment(options.env);
    std::vector<char*> argv;
    for (const std::string& arg : options.argv) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : envStrings) envp.push_back(entry.data());
    envp.push_back(nullptr);

    int logFd = -1;
    if (!options.logPath.empty()) {
        logFd = open(options.logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
        if (logFd < 0) {
            *error = "cannot open " + options.logPath + ": " + std::strerror(errno);
            return false;
        }
    }
    const pid_t parent = getpid();
    startTime_ = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) {
        *error = std::string("fork failed: ") + std::strerror(errno);
        if (logFd >= 0) close(logFd);
        return false;
    }
    if (pid == 0) {
        // A test process killed by its runner's time-out takes its children with it.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) _exit(126);
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, 0);
        const int errFd = logFd >= 0 ? logFd : devNull;
        dup2(options.stdoutFd >= 0 ? options.stdoutFd : errFd, 1);
        dup2(errFd, 2);
        if (options.inheritFd >= 0) fcntl(options.inheritFd, F_SETFD, 0);
        if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0)
            _exit(126);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    // Set the group from both sides so that a kill right after the fork reaches it.
    setpgid(pid, pid);
    if (logFd >= 0) close(logFd);
    pid_ = pid;
    return true;
}

bool ChildProcess::Exited() {
    if (status_) return true;
    if (pid_ <= 0) return false;
    int status = 0;
    rusage usage{};
    const pid_t r = wait4(pid_, &status, WNOHANG, &usage);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
        status_ = r == pid_ ? status : -1;
        peakRssKiB_ = usage.ru_maxrss;
        return true;
    }
    return false;
}

std::optional<int> ChildProcess::WaitFor(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!Exited()) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

void ChildProcess::Kill() {
    if (pid_ <= 0) return;
    // Whatever the process started in its group goes too, even after the process itself ended.
    kill(-pid_, SIGKILL);
    if (!status_) {
        kill(pid_, SIGKILL);
        int status = 0;
        rusage usage{};
        while (wait4(pid_, &status, 0, &usage) < 0 && errno == EINTR) {
        }
        status_ = status;
        peakRssKiB_ = usage.ru_maxrss;
    }
    pid_ = -1;
}

bool CommandResult::Succeeded() const {
    return finished && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

CommandResult RunCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         const std::string& logPath, std::chrono::milliseconds timeout) {
    CommandResult result;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    ChildProcess child;
    SpawnOptions options;
    options.argv = argv;
    options.env = env;
    options.logPath = logPath;
    options.stdoutFd = fds[1];
    std::string error;
    const bool started = child.Start(options, &error);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        result.output = error;
        return result;
    }
    const auto deadline = Clock::now() + timeout;
    ReadUntil(fds[0], &result.output, deadline, [](const std::string&) { return false; });
    close(fds[0]);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const std::optional<int> status = child.WaitFor(std::max(left, std::chrono::milliseconds(0)));
    if (status) {
        result.finished = true;
        result.status = *status;
    }
    return result;  // the guard kills a command that overran
}

bool ReadUntil(int fd, std::string* text, Clock::time_point deadline,
               bool (*done)(const std::string&)) {
    char buffer[65536];
    while (!done(*text)) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return done(*text);
        text->append(buffer, static_cast<size_t>(n));
    }
    return true;
}

std::string FindInPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

std::string DescribeStatus(int status) {
    if (WIFEXITED(status)) return "exited with " + std::to_string(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
    return "ended with status " + std::to_string(status);
}
