// Timings of what the user waits for: a full calendar refresh, one key in the entry field, and
// Enter back to the calendar.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/banner.h"
#include "app/commands.h"
#include "app/shell.h"
#include "app/testing.h"
#include "input/input.h"
#include "model/model.h"
#include "platform/testing.h"
#include "view/view.h"

namespace {

// A window showing March 2024 from the 1st with every day holding amounts.
void OpenFilledPeriod(bool gauges) {
    SetExecutableFolderForTesting("/nonexistent-monedario-bench/");
    SetTodayForTesting(LocalDate{2024, 3, 10});
    OpenShellForTesting();
    RunCommand(IDM_MES_NUEVO);
    period.startDay = 1;
    CreateDayGrid();
    RedrawCalendar();
    for (DayRecord& day : period.dayGrid) {
        if (!day.inPeriod) continue;
        day.allowance = 100;
        day.spent = 123.45;
        day.balance = day.allowance - day.spent;
        std::memcpy(day.spentText, "123'45    ", 11);
    }
    shell.startDayChosen = 1;
    statistics.statisticsShown = gauges ? 1 : 0;
}

void BM_FullRefresh(benchmark::State& state) {
    OpenFilledPeriod(true);
    for (auto _ : state) {
        RedrawCalendar();
        PresentView();
    }
    CloseShellForTesting();
}
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMicrosecond);

void BM_KeyToPresentedField(benchmark::State& state) {
    OpenFilledPeriod(false);
    OpenEntryField(ENTRY_WIDTH, ENTRY_HEIGHT, 10, 100);
    int n = 0;
    for (auto _ : state) {
        HandleKeyUp('1' + (n++ % 9));
        if (entry.caretColumn >= entry.fieldColumns) MoveCaretHome();
    }
    CloseShellForTesting();
}
BENCHMARK(BM_KeyToPresentedField)->Unit(benchmark::kMicrosecond);

void BM_EnterToPresentedCalendar(benchmark::State& state) {
    OpenFilledPeriod(true);
    for (auto _ : state) {
        state.PauseTiming();
        amountEntry.entryMode = ENTRY_EXPENSE;
        amountEntry.entryColumn = 5;
        amountEntry.entryRow = 2;
        OpenEntryField(ENTRY_WIDTH, ENTRY_HEIGHT, 10, 100);
        PutCharacter('1');
        state.ResumeTiming();
        HandleKeyUp(KEY_ENTER);
    }
    CloseShellForTesting();
}
BENCHMARK(BM_EnterToPresentedCalendar)->Unit(benchmark::kMicrosecond);

}  // namespace
