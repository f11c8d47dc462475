// Starting Xvfb with -displayfd, which picks a free display and says which once it accepts
// connections, and running xdotool and xwd against it.
#include "x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr auto SERVER_START_TIMEOUT = std::chrono::seconds(20);
constexpr auto CAPTURE_TIMEOUT = std::chrono::seconds(10);
}  // namespace

std::string XSession::MissingTools() {
    std::string missing;
    if (FindInPath("Xvfb").empty()) missing += " xvfb (Xvfb)";
    if (FindInPath("xdotool").empty()) missing += " xdotool";
    if (FindInPath("xwd").empty()) missing += " x11-apps (xwd)";
    return missing;
}

bool XSession::Start(const std::string& logPath, std::string* error) {
    logPath_ = logPath;
    xdotool_ = FindInPath("xdotool");
    xwd_ = FindInPath("xwd");
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        *error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    SpawnOptions options;
    options.argv = {FindInPath("Xvfb"), "-displayfd", std::to_string(fds[1]),
                    "-screen",          "0",          "1280x1024x24",
                    "-nolisten",        "tcp",        "-noreset"};
    options.logPath = logPath;
    options.inheritFd = fds[1];
    const bool started = server_.Start(options, error);
    close(fds[1]);
    if (!started) {
        close(fds[0]);
        return false;
    }
    // The server writes its display number and a newline once it is ready.
    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + SERVER_START_TIMEOUT;
    while (number.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fds[0], POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&p, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        char c = 0;
        if (ready <= 0 || read(fds[0], &c, 1) != 1) break;
        number.push_back(c);
    }
    close(fds[0]);
    if (number.empty() || number.back() != '\n') {
        *error = "Xvfb did not report a display (see " + logPath + ")";
        server_.Kill();
        return false;
    }
    number.pop_back();
    display_ = ":" + number;
    return true;
}

CommandResult XSession::Xdotool(const std::vector<std::string>& args,
                                std::chrono::milliseconds timeout) {
    std::vector<std::string> argv{xdotool_};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunCommand(argv, {DisplayVariable()}, logPath_, timeout);
}

bool XSession::Capture(const std::string& windowId, RgbImage* image, std::string* error) {
    const CommandResult dump =
        RunCommand({xwd_, "-silent", "-id", windowId}, {DisplayVariable()}, logPath_,
                   std::chrono::duration_cast<std::chrono::milliseconds>(CAPTURE_TIMEOUT));
    if (!dump.Succeeded()) {
        *error = "xwd -id " + windowId + " " +
                 (dump.finished ? DescribeStatus(dump.status) : std::string("timed out"));
        return false;
    }
    return DecodeXwd(dump.output, image, error);
}
