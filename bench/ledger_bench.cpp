// Loading a huge ledger of about 1 GB ending with a real period, which must be in the grid
// afterwards: a sparse file (mostly zero records that name no cell) and one of real records only.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/model.h"
#include "platform/platform.h"
#include "platform/testing.h"
#include "storage/storage.h"

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
bool MakeHugeLedger(bool dense, std::string* folder, long long* size) {
    const char* base = std::getenv("TMPDIR");
    *folder = std::string(base && *base ? base : "/tmp") + "/monedario-bench-XXXXXX";
    if (!mkdtemp(folder->data())) return false;
    SetExecutableFolderForTesting(*folder);
    const std::string period = PeriodRecords();
    const long long periods = HUGE_LEDGER_BYTES / static_cast<long long>(period.size());
    *size = periods * static_cast<long long>(period.size());
    int fd = open(LedgerPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
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
    CreateDayGrid();
    LoadLedger();
    return made;
}

void BM_LoadHugeLedger(benchmark::State& state, bool records) {
    std::string folder;
    long long size = 0;
    if (!MakeHugeLedger(records, &folder, &size)) state.SkipWithError("cannot make the ledger");
    for (auto _ : state) {
        CreateDayGrid();
        LoadLedger();
        if (DayAt(3, 3).periodMonth != 3) state.SkipWithError("the period did not load");
    }
    state.SetBytesProcessed(state.iterations() * size);
    SetExecutableFolderForTesting("");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK_CAPTURE(BM_LoadHugeLedger, sparse, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LoadHugeLedger, records, true)->Unit(benchmark::kMillisecond);

}  // namespace
