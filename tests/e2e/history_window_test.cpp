// SPDX-License-Identifier: GPL-3.0-or-later
// The real program's history window: "Ver → Historial…" chosen with the pointer opens it beside
// the calendar with its chart and table, Enter opens the selected period read-only, and Escape
// closes both while the program goes on.
#include "../storage/ledger_support.h"
#include "program_window.h"

namespace {

using namespace e2e;

constexpr Rgb SPENT_BLUE{42, 92, 170};  // the chart's bars of what was spent
constexpr int SPENT_BAR_PIXELS = 500;
constexpr int RED_PIXELS = 100;  // the overspent period's bar, its day bars and its red total

// The ledger of a period from the 10th of a month of 2026 with the same amount spent every day.
std::string PeriodLedger(int month, double total, double spentEachDay) {
    const PeriodPlan plan{
        Weekday(2026, month, START_DAY), START_DAY, month, 2026, DaysIn(2026, month), total};
    DayRecords records = PlannedRecords(plan);
    for (int day = 0; day < plan.days; ++day)
        AddExpense(records, ColumnOfDay(plan, day), RowOfDay(plan, day), spentEachDay, "1");
    return LedgerContent(records);
}

struct HistoryWindowTest : ProgramWindowTest {
    void SetUp() override {
        ProgramWindowTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_NO_FATAL_FAILURE(StartWindowManager());
        const struct {
            const char* name;
            int month;
            double total;
            double spentEachDay;
        } periods[] = {{"ahorros.log", 12, 3100, 50},
                       {"ahorros-2026-11-10.log", 11, 3000, 150},
                       {"ahorros-2026-10-10.log", 10, 3100, 80},
                       {"ahorros-2026-09-10.log", 9, 3000, 20}};
        for (const auto& p : periods)
            ASSERT_TRUE(WriteFileBytes(programFolder_ + "/" + p.name,
                                       PeriodLedger(p.month, p.total, p.spentEachDay)));
    }
    bool Shown(const std::string& window) {
        const CommandResult listed = x_.Xdotool({"search", "--onlyvisible", "--name", "."}, 5s);
        std::istringstream ids(listed.output);
        for (std::string id; ids >> id;)
            if (id == window) return true;
        return false;
    }
    bool WaitUntilGone(const std::string& window) {
        const auto deadline = Clock::now() + 10s;
        while (Shown(window)) {
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }
};

TEST_F(HistoryWindowTest, ViewMenuOpensTheHistoryAndEnterOpensAPeriod) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    const std::string calendar = window_;
    const std::string before = FileBytes(ledgerPath_);
    ASSERT_NO_FATAL_FAILURE(Choose(VIEW_MENU, VIEW_ITEMS, HISTORIAL));
    window_ = FindWindow("^Historial .* Monedario Pro$");
    ASSERT_FALSE(window_.empty()) << "no history window appeared";
    ASSERT_TRUE(WaitForWindow(
        [](const RgbImage& s) {
            return Count(s, 0, 0, {0, 0, s.width, s.height},
                         [](Rgb c) { return c == SPENT_BLUE; }) > SPENT_BAR_PIXELS &&
                   Count(s, 0, 0, {0, 0, s.width, s.height}, IsRed) > RED_PIXELS;
        },
        "the chart's bars, the overspent period in red"));
    EXPECT_TRUE(Shown(calendar)) << "it opens beside the calendar";

    ASSERT_TRUE(x_.Xdotool({"windowactivate", "--sync", window_}).Succeeded());
    Key("Return");
    const std::string viewer = FindWindow("^ahorros.log \\(solo lectura\\)$");
    ASSERT_FALSE(viewer.empty()) << "the current period did not open read-only";

    ASSERT_TRUE(x_.Xdotool({"windowactivate", "--sync", window_}).Succeeded());
    Key("Escape");
    EXPECT_TRUE(WaitUntilGone(window_)) << "Escape left the history open";
    EXPECT_TRUE(WaitUntilGone(viewer)) << "its read-only window stayed";
    EXPECT_TRUE(Shown(calendar));
    EXPECT_FALSE(program_.Exited()) << "the program goes on";
    EXPECT_EQ(FileBytes(ledgerPath_), before) << "the ledger is not written";
}

}  // namespace
