// SPDX-License-Identifier: GPL-3.0-or-later
// Ten years of periods in the history window: from "Historial…" chosen to the table painted, with
// 120 kept periods and the ledger in the folder, warm in the page cache. Each time the window is
// made anew, as at its first opening.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTableWidget>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/history_of_periods.h"
#include "app/program.h"
#include "platform/history_qt.h"

namespace {

constexpr int FIRST_YEAR = 2016;
constexpr int YEARS = 10;
constexpr int MONTHS = 12;
constexpr int START_DAY = 10;
constexpr double MONTH_TOTAL = 3100;
constexpr double SPENT_A_DAY = 95.5;
constexpr int MAX_EVENT_ROUNDS = 100000;

// Tells when the table's rows have been painted.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        painted = painted || event->type() == QEvent::Paint;
        return false;
    }
};

// A period from the 10th of a month with the same amount spent every day, saved as the program
// saves it under the given name.
bool SavePeriod(const std::string& path, int year, int month, FileCalls& files) {
    Period period;
    period.Begin(Date{year, month, START_DAY});
    period.SpreadTotal(MONTH_TOTAL);
    for (int index = 0; index < GRID_CELLS; ++index) {
        const GridPlace place{index % GRID_COLUMNS + 1, index / GRID_COLUMNS + 1};
        if (period.TakesExpenses(place)) period.AddExpense(place, SPENT_A_DAY);
    }
    Ledger ledger(path, files);
    return ledger.Save(period) == FileError::None;
}

// The folder of ten years: a kept period for each month and the current one after them.
struct TenYears {
    std::string folder;
    FileCalls files;
    bool made = false;

    TenYears() {
        const char* base = std::getenv("TMPDIR");
        folder = std::string(base && *base ? base : "/tmp") + "/monedario-bench-XXXXXX";
        if (!mkdtemp(folder.data())) return;
        folder += "/";
        made = true;
        for (int month = 0; month < YEARS * MONTHS && made; ++month) {
            char name[32];
            std::snprintf(name, sizeof name, "ahorros-%04d-%02d-%02d.log",
                          FIRST_YEAR + month / MONTHS, month % MONTHS + 1, START_DAY);
            made =
                SavePeriod(folder + name, FIRST_YEAR + month / MONTHS, month % MONTHS + 1, files);
        }
        made = made && SavePeriod(folder + LEDGER_FILE_NAME, FIRST_YEAR + YEARS, 1, files);
    }
    ~TenYears() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

// The 20th of the January after the ten years: the ledger's period is the current one.
struct JanuaryClock final : Clock {
    Date Today() const override { return Date{FIRST_YEAR + YEARS, 1, 20}; }
};

void BM_HistoryOfTenYears(benchmark::State& state) {
    TenYears years;
    if (!years.made) return state.SkipWithError("cannot make the folder");
    Fonts fonts;
    FileCalls files;
    Ledger ledger(years.folder + LEDGER_FILE_NAME, files);
    const JanuaryClock clock;
    Program program(fonts, ledger, files, clock);
    std::optional<HistoryOfPeriods> periods;
    program.WhenHistoryAsked([&] { periods->Show(); });
    program.Open();
    for (auto _ : state) {
        periods.emplace(fonts, ledger.Path(), clock);
        program.Run(Command::History);
        PaintWatch watch;
        periods->Window()->Ui().table->viewport()->installEventFilter(&watch);
        for (int round = 0; !watch.painted && round < MAX_EVENT_ROUNDS; ++round)
            QCoreApplication::processEvents();
        state.PauseTiming();
        const bool whole = watch.painted && periods->Read().entries.size() == YEARS * MONTHS + 1;
        periods.reset();
        state.ResumeTiming();
        if (!whole) return state.SkipWithError("the table of every period was not painted");
    }
}
BENCHMARK(BM_HistoryOfTenYears)->Unit(benchmark::kMillisecond);

}  // namespace
