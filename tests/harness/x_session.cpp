// SPDX-License-Identifier: GPL-3.0-or-later
// Starting Xvfb with -displayfd, which picks a free display and says which once it accepts
// connections, and running xdotool and xwd against it.
#include "x_session.h"

#include <fcntl.h>
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

bool XSession::Start(const std::string& logPath, std::string* error, const std::string& screen) {
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
                    "-screen",          "0",          screen,
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
    ReadUntil(fds[0], &number, std::chrono::steady_clock::now() + SERVER_START_TIMEOUT,
              [](const std::string& text) { return text.find('\n') != std::string::npos; });
    close(fds[0]);
    if (number.find('\n') == std::string::npos) {
        *error = "Xvfb did not report a display (see " + logPath + ")";
        server_.Kill();
        return false;
    }
    display_ = ":" + number.substr(0, number.find('\n'));
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
