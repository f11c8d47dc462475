// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of what the user waits for: a full calendar refresh, one key in the entry field, and
// Enter back to the calendar.
#include <benchmark/benchmark.h>

#include <string>

#include "app/program.h"
#include "view/calendar.h"
#include "view/page.h"

namespace {

// A key as the window hands it on: a character, or Enter.
Key KeyFor(char c) {
    return Key{static_cast<uint32_t>(c), c == '\r' ? KeyName::Enter : KeyName::Other, false,
               std::string(1, c)};
}
void Press(Program& program, char c) {
    program.KeyDown(KeyFor(c));
    program.KeyUp(KeyFor(c));
}
void TypeAndEnter(Program& program, const std::string& text) {
    for (const char c : text + '\r') Press(program, c);
}

// Where the user clicks a day: the middle of its cell.
Point MiddleOf(GridPlace place) {
    const Rect box = CellGeometry(place.column, place.row);
    return Point{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

constexpr GridPlace FIRST_OF_MARCH{5, 1};  // March 2024 from the 1st, a Friday

// The window showing March 2024 from the 1st with every day holding amounts (more spent than
// allowed), all typed in as the user does; the ledger is never written.
// March 2024, always.
struct MarchClock final : Clock {
    Date Today() const override { return Date{2024, 3, 10}; }
};

struct FilledProgram {
    Fonts fonts;
    FileCalls files;
    Ledger ledger{"/nonexistent-monedario-bench/ahorros.log", files};
    MarchClock clock;
    Program program{fonts, ledger, files, clock};

    explicit FilledProgram(bool gauges) {
        program.Open();
        program.Run(Command::NewMonth);
        program.Click(MiddleOf(FIRST_OF_MARCH));
        TypeAndEnter(program, "3100");
        for (int row = 1; row <= GRID_ROWS; ++row) {
            for (int column = 1; column <= GRID_COLUMNS; ++column) {
                if (!ShowsADay({column, row})) continue;
                program.Click(MiddleOf({column, row}));
                TypeAndEnter(program, "123,45");
            }
        }
        if (gauges) program.Run(Command::Statistics);
    }
    bool ShowsADay(GridPlace place) {
        return !program.Window().Description().cells[CellIndex(place)].name.empty();
    }
    // What the day says it has spent, as a screen reader is told it.
    bool Spent(GridPlace place, const char* amount) {
        const std::string& told = program.Window().Description().cells[CellIndex(place)].name;
        return told.find(std::string("gastado ") + amount) != std::string::npos;
    }
};

// The program's own redraw: the calendar's texts made from a period filled as the program's,
// painted with the gauges on a page, and the page handed to the surface.
void BM_FullRefresh(benchmark::State& state) {
    FilledProgram filled(true);
    Period period;
    period.Begin(Date{2024, 3, 1});
    period.SpreadTotal(3100);
    for (int row = 1; row <= GRID_ROWS; ++row)
        for (int column = 1; column <= GRID_COLUMNS; ++column)
            if (period.TakesExpenses({column, row})) period.AddExpense({column, row}, 123.45);
    if (!filled.Spent(FIRST_OF_MARCH, "123,45")) state.SkipWithError("the period is not filled");
    Page page(filled.fonts);
    for (auto _ : state) {
        page.PaintCalendar(MakeCalendarTexts(period, true));
        filled.program.Window().ShowPicture(page.Picture());
    }
}
BENCHMARK(BM_FullRefresh)->Unit(benchmark::kMicrosecond);

// A digit pressed and released in an open field. Once the field is full, further digits go to
// the cell of the caret at its end: the field is drawn whole each time all the same.
void BM_KeyToPresentedField(benchmark::State& state) {
    FilledProgram filled(false);
    filled.program.Click(MiddleOf({5, 2}));
    if (!filled.program.Window().Description().field.open) state.SkipWithError("no field opened");
    int n = 0;
    for (auto _ : state) Press(filled.program, static_cast<char>('1' + n++ % 9));
}
BENCHMARK(BM_KeyToPresentedField)->Unit(benchmark::kMicrosecond);

void BM_EnterToPresentedCalendar(benchmark::State& state) {
    FilledProgram filled(true);
    for (auto _ : state) {
        state.PauseTiming();
        filled.program.Click(MiddleOf({5, 2}));
        Press(filled.program, '1');
        state.ResumeTiming();
        Press(filled.program, '\r');
    }
    if (filled.Spent({5, 2}, "123,45")) state.SkipWithError("Enter did not apply the expense");
}
BENCHMARK(BM_EnterToPresentedCalendar)->Unit(benchmark::kMicrosecond);

}  // namespace
