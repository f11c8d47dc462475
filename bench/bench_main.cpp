// SPDX-License-Identifier: GPL-3.0-or-later
// Benchmark entry point: the application object exists, on the headless platform by default.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/window.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application application(argv[0]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
