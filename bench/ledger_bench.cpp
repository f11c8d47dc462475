// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a huge ledger of about 1 GB ending with a real period, which must be in the cells
// afterwards: a sparse file (mostly zero records that name no cell) and one of real records only;
// and keeping the sparse one under its period's name for a new period.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "storage/ledger.h"

namespace {

constexpr long long HUGE_LEDGER_BYTES = 1LL << 30;
constexpr int PERIOD_DAYS = 31;
constexpr double DAY_ALLOWANCE = 100.0;

// March 2024 from Friday the 15th: its days in the grid, as the calendar lays them out.
std::string PeriodRecords() {
    std::string records;
    for (int i = 0; i < PERIOD_DAYS; ++i) {
        DayRecord day{};
        day.column = (4 + i) % 7 + 1;
        day.row = (4 + i) / 7 + 1;
        day.inPeriod = 1;
        day.allowance = DAY_ALLOWANCE;
        day.balance = DAY_ALLOWANCE;
        day.periodStartDay = 15;
        day.periodMonth = 3;
        day.periodYear = 2024;
        records.append(reinterpret_cast<const char*>(&day), DAY_RECORD_SIZE);
    }
    return records;
}

// Makes the ledger in a fresh folder, read once so that the timings start from a warm cache.
bool MakeHugeLedger(bool dense, Ledger& ledger, long long* size) {
    const std::string period = PeriodRecords();
    const long long periods = HUGE_LEDGER_BYTES / static_cast<long long>(period.size());
    *size = periods * static_cast<long long>(period.size());
    int fd = open(ledger.Path().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool made = ftruncate(fd, *size) == 0;
    std::string chunk;
    for (int i = 0; i < 1000; ++i) chunk += period;
    for (long long at = dense ? 0 : *size - static_cast<long long>(period.size());
         made && at < *size; at += static_cast<long long>(chunk.size())) {
        const size_t n = static_cast<size_t>(std::min<long long>(chunk.size(), *size - at));
        made = pwrite(fd, chunk.data(), n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
    }
    close(fd);
    DayRecords cells{};
    ledger.Load(cells);
    return made;
}

// The huge ledger in a folder of its own, removed at the end.
struct HugeLedger {
    std::string folder = TemporaryFolder();
    FileCalls files;
    Ledger ledger{folder + "/" + LEDGER_FILE_NAME, files};
    long long size = 0;

    HugeLedger(benchmark::State& state, bool dense) {
        if (folder.empty()) state.SkipWithError("cannot make a folder");
        if (!MakeHugeLedger(dense, ledger, &size)) state.SkipWithError("cannot make the ledger");
    }
    ~HugeLedger() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    static std::string TemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string made = std::string(base && *base ? base : "/tmp") + "/monedario-bench-XXXXXX";
        return mkdtemp(made.data()) ? made : std::string();
    }
};

void BM_LoadHugeLedger(benchmark::State& state, bool records) {
    HugeLedger huge(state, records);
    Ledger& ledger = huge.ledger;
    for (auto _ : state) {
        DayRecords cells{};
        ledger.Load(cells);
        if (cells[CellIndex({3, 3})].periodMonth != 3)
            state.SkipWithError("the period did not load");
    }
    state.SetBytesProcessed(state.iterations() * huge.size);
}
BENCHMARK_CAPTURE(BM_LoadHugeLedger, sparse, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadHugeLedger, records, true)->Unit(benchmark::kMillisecond);

// The kept file is given its name back between iterations, untimed.
void BM_KeepHugeLedger(benchmark::State& state) {
    HugeLedger huge(state, false);
    Ledger& ledger = huge.ledger;
    for (auto _ : state) {
        std::string kept;
        if (ledger.Archive(&kept) || !kept.ends_with("ahorros-2024-03-15.log"))
            state.SkipWithError("the period was not kept under its name");
        state.PauseTiming();
        std::filesystem::rename(kept, ledger.Path());
        state.ResumeTiming();
    }
}
BENCHMARK(BM_KeepHugeLedger)->Unit(benchmark::kMillisecond);

}  // namespace
