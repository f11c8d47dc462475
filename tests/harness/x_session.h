// SPDX-License-Identifier: GPL-3.0-or-later
// A private X server (Xvfb on the first free display) with the two tools that act as the person
// in front of it: xdotool for the pointer and keys, xwd for screenshots.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "child_process.h"
#include "xwd_image.h"

class XSession {
public:
    // The tools a session needs that are not on PATH, by package name; empty when all are.
    static std::string MissingTools();

    // Starts Xvfb with a screen of width x height x depth; its messages and the tools' go to
    // `logPath`.
    bool Start(const std::string& logPath, std::string* error,
               const std::string& screen = "1280x1024x24");
    void Stop() { server_.Kill(); }
    const std::string& Display() const { return display_; }
    std::string DisplayVariable() const { return "DISPLAY=" + display_; }

    // Runs xdotool with `args`; a tool that hangs is killed after `timeout`.
    CommandResult Xdotool(const std::vector<std::string>& args,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The window's own pixels (window-relative), as xwd dumps them.
    bool Capture(const std::string& windowId, RgbImage* image, std::string* error);

private:
    ChildProcess server_;
    std::string display_;
    std::string logPath_;
    std::string xdotool_;
    std::string xwd_;
};
