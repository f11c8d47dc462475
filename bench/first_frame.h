// SPDX-License-Identifier: GPL-3.0-or-later
// Tells the start-up runner when a widget's first frame is out, for the headless start-up probes:
// the first paint of the widget is flushed before the event loop runs the next timer, so the
// report is queued behind it. The process quits a fixed time later, so that its peak memory is
// taken over the same span as under Xvfb: the application's loop ends, or `quit` ends the
// process's own.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <utility>

class FirstFrameReporter : public QObject {
public:
    FirstFrameReporter(
        QWidget* widget, std::chrono::steady_clock::time_point mainEntry, int settleMilliseconds,
        std::function<void()> quit = [] { QCoreApplication::quit(); })
        : widget_(widget),
          mainEntry_(mainEntry),
          settle_(settleMilliseconds),
          quit_(std::move(quit)) {
        widget_->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!seen_ && watched == widget_ && event->type() == QEvent::Paint) {
            seen_ = true;
            QTimer::singleShot(0, this, [this] { Report(); });
        }
        return false;
    }

private:
    void Report() {
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - mainEntry_)
                .count();
        std::printf("first-frame %.3f\n", ms);
        std::fflush(stdout);
        QTimer::singleShot(settle_, this, [this] { quit_(); });
    }

    QWidget* widget_;
    std::chrono::steady_clock::time_point mainEntry_;
    int settle_;
    std::function<void()> quit_;
    bool seen_ = false;
};

// "--first-frame[=settle milliseconds]" among the arguments: -1 when absent.
inline int FirstFrameArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--first-frame", 13) != 0) continue;
        return argv[i][13] == '=' ? std::atoi(argv[i] + 14) : 200;
    }
    return -1;
}
