// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the bare Qt window, to set beside the program's in view_bench.cpp: a full refresh,
// one key to its repaint request and Enter to a full refresh (bare_window.h says what each does).
// The window is shown on the headless platform and no events are processed between iterations,
// as in the program's timings.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QKeyEvent>

#include "bare_window.h"

namespace {

void BM_BareRefresh(benchmark::State& state) {
    BareWindow window;
    window.ShowCentred();
    for (auto _ : state) window.Picture()->Refresh();
    benchmark::DoNotOptimize(window.Picture()->Picture().constBits());
}
BENCHMARK(BM_BareRefresh)->Unit(benchmark::kMicrosecond);

void BM_BareKeyToRepaint(benchmark::State& state) {
    BareWindow window;
    window.ShowCentred();
    int n = 0;
    for (auto _ : state) {
        const QChar digit('1' + n++ % 9);
        QKeyEvent key(QEvent::KeyPress, Qt::Key_1 + (digit.unicode() - '1'), Qt::NoModifier,
                      QString(digit));
        QCoreApplication::sendEvent(window.Picture(), &key);
    }
}
BENCHMARK(BM_BareKeyToRepaint)->Unit(benchmark::kMicrosecond);

void BM_BareEnterToRepaint(benchmark::State& state) {
    BareWindow window;
    window.ShowCentred();
    for (auto _ : state) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(window.Picture(), &key);
    }
}
BENCHMARK(BM_BareEnterToRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
