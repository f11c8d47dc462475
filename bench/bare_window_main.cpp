// SPDX-License-Identifier: GPL-3.0-or-later
// The bare window as a program of its own, for start-up time and peak memory: it shows itself
// and runs until closed or killed, or with --first-frame reports its first frame and quits.
#include <QApplication>
#include <chrono>

#include "bare_window.h"
#include "first_frame.h"

int main(int argc, char** argv) {
    const auto mainEntry = std::chrono::steady_clock::now();
    const int settle = FirstFrameArgument(argc, argv);
    QApplication application(argc, argv);
    BareWindow window;
    FirstFrameReporter* reporter = nullptr;
    if (settle >= 0) reporter = new FirstFrameReporter(window.Picture(), mainEntry, settle);
    window.ShowCentred();
    const int result = QApplication::exec();
    delete reporter;
    return result;
}
