// SPDX-License-Identifier: GPL-3.0-or-later
// The real program month after month and without the mouse: the question before closing with
// amounts not saved, the session's end, a kept period opened read-only beside the running window,
// and a whole period typed from the keyboard alone giving the mouse's ledger.
#include <csignal>

#include "program_window.h"

namespace {

using namespace e2e;

struct MonthWindowTest : ProgramWindowTest {
    void SetUp() override {
        ProgramWindowTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_NO_FATAL_FAILURE(StartWindowManager());
    }
    // Mes nuevo, the start day and the total, then an expense, all with the pointer.
    void EnterPeriodWithTheMouse() {
        const Date today = LocalToday();
        const int firstColumn = Weekday(today.year, today.month, 1);
        const Slot start = SlotOf(firstColumn, START_DAY - 1);
        ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, MES_NUEVO));
        ASSERT_TRUE(WaitForWindow([](const RgbImage&) { return true; }, "the calendar"));
        ClickPage(CellClickX(start.column), CellClickY(start.row));
        ASSERT_TRUE(WaitForWindow([this](const RgbImage& s) { return BannerShown(s); },
                                  "the start-day banner"));
        Type(MONTH_TOTAL);
        Key("Return");
        const Slot expense = SlotOf(Weekday(today.year, today.month, START_DAY), EXPENSE_OFFSET);
        const Box cell = CellBox(expense.column, expense.row);
        ClickPage(CellClickX(expense.column), CellClickY(expense.row));
        ASSERT_TRUE(WaitForWindow(
            [&](const RgbImage& s) { return CountOnPage(s, SpentBox(cell), IsDark) > 0; },
            "the expense field"));
        Type(EXPENSE);
        Key("Return");
        ASSERT_TRUE(WaitForWindow(
            [&](const RgbImage& s) { return CountOnPage(s, BalanceBox(cell), IsRed) > 10; },
            "the expense in the day"));
    }
    void SaveFromTheMenu() {
        ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, GRABAR));
        ASSERT_TRUE(WaitForWindow([this](const RgbImage& s) { return BannerShown(s); }, "Grabar"));
    }
    void ExpectExpenseSaved() {
        const std::string ledger = FileBytes(ledgerPath_);
        ASSERT_GE(ledger.size(), RECORD_SIZE * (EXPENSE_OFFSET + 1));
        EXPECT_EQ(DecodeRecord(ledger, RECORD_SIZE * EXPENSE_OFFSET).spent, EXPENSE_VALUE);
    }
    // The question over the window, answered with keys.
    void Answer(const std::vector<std::string>& keys) {
        const std::string question = FindWindow("^Monedario Pro$", window_);
        ASSERT_FALSE(question.empty()) << "no question appeared";
        ASSERT_TRUE(x_.Xdotool({"windowactivate", "--sync", question}).Succeeded());
        for (const std::string& key : keys) Key(key);
    }
};

// "Salir" with an expense not saved asks; leaving without saving keeps the ledger as it was,
// the close button's "Grabar" saves it.
TEST_F(MonthWindowTest, ClosingWithAmountsNotSavedAsksFirst) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NO_FATAL_FAILURE(EnterPeriodWithTheMouse());
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, SALIR));
    ASSERT_NO_FATAL_FAILURE(Answer({"Tab", "space"}));  // "Salir sin grabar"
    ASSERT_NO_FATAL_FAILURE(WaitForExit());
    EXPECT_FALSE(fs::exists(ledgerPath_)) << "nothing was saved";

    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NO_FATAL_FAILURE(EnterPeriodWithTheMouse());
    ASSERT_TRUE(x_.Xdotool({"windowactivate", "--sync", window_}).Succeeded());
    Key("alt+F4");
    ASSERT_NO_FATAL_FAILURE(Answer({"Return"}));  // "Grabar"
    ASSERT_NO_FATAL_FAILURE(WaitForExit());
    ExpectExpenseSaved();
}

// Started with a period that ended two months ago, the program asks over its calendar whether to
// begin a new one; Enter takes the default, "Empezar un periodo nuevo": the period is kept under
// its start date and the welcome screen shows.
TEST_F(MonthWindowTest, FinishedPeriodIsOfferedAtStart) {
    const Date today = LocalToday();
    const int month = today.month > 2 ? today.month - 2 : today.month + 10;
    const int year = today.month > 2 ? today.year : today.year - 1;
    std::string record(RECORD_SIZE, '\0');  // the record the period is restored from: (3, 3)
    const auto put = [&record](size_t at, int32_t value) {
        for (int i = 0; i < 4; ++i) record[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    for (const auto& [at, value] :
         {std::pair{53, 3}, {57, 3}, {61, 1}, {65, 1}, {69, month}, {73, year}})
        put(at, value);
    ASSERT_TRUE(WriteFileBytes(ledgerPath_, record));
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NO_FATAL_FAILURE(Answer({"Return"}));
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) { return BannerShown(s) && Page(s, 1, 100) == RGB_WHITE; },
        "the welcome screen"));
    char kept[64];
    std::snprintf(kept, sizeof kept, "/ahorros-%04d-%02d-01.log", year, month);
    EXPECT_EQ(FileBytes(fs::path(ledgerPath_).parent_path().string() + kept), record);
    EXPECT_FALSE(fs::exists(ledgerPath_));
}

// Ended by the session (SIGTERM) with an expense not saved: saved, and the end is a clean one.
TEST_F(MonthWindowTest, EndOfTheSessionSavesWhatWasTyped) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NO_FATAL_FAILURE(EnterPeriodWithTheMouse());
    kill(program_.Pid(), SIGTERM);
    ASSERT_NO_FATAL_FAILURE(WaitForExit());
    ExpectExpenseSaved();
}

// A kept period opens in a window of its own beside the running one, read-only.
TEST_F(MonthWindowTest, KeptPeriodOpensReadOnlyBesideTheRunningWindow) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NO_FATAL_FAILURE(EnterPeriodWithTheMouse());
    ASSERT_NO_FATAL_FAILURE(SaveFromTheMenu());
    const std::string kept = programFolder_ + "/ahorros-2000-01-01.log";
    fs::copy_file(ledgerPath_, kept);
    const std::string running = window_;

    ChildProcess viewer;
    std::string error;
    ASSERT_TRUE(viewer.Start(ProgramOptions({kept}), &error)) << error;
    window_ = FindWindow("^ahorros-2000-01-01.log \\(solo lectura\\)$");
    popupOwner_ = viewer.Pid();
    ASSERT_FALSE(window_.empty()) << "no read-only window";
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) { return BannerShown(s) && Page(s, 1, 100) == RGB_BLACK; },
        "the kept period with its greeting"));
    FindMenuTitles(shot_);
    EXPECT_EQ(ItemStates(OPERATIONS_MENU, OPERATIONS_ITEMS),
              (std::vector<bool>{false, false, true, true, true}))
        << "Mes nuevo and Grabar greyed, Bitmap, Autor and Salir offered";
    EXPECT_FALSE(FindWindow("^Monedario Pro$").empty()) << "the running window is still there";
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, SALIR));
    const std::optional<int> status = viewer.WaitFor(10s);
    ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
    EXPECT_EQ(FileBytes(kept), FileBytes(ledgerPath_)) << "the kept file is not written";
    window_ = running;
    popupOwner_ = 0;
}

// The same period entered from the keyboard alone (F10 for the menu, the arrows, Enter) gives
// the same ledger, byte for byte.
TEST_F(MonthWindowTest, KeyboardAloneGivesTheMousesLedger) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_NO_FATAL_FAILURE(EnterPeriodWithTheMouse());
    ASSERT_NO_FATAL_FAILURE(SaveFromTheMenu());
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, SALIR));
    ASSERT_NO_FATAL_FAILURE(WaitForExit());
    const std::string withTheMouse = FileBytes(ledgerPath_);
    fs::remove(ledgerPath_);
    fs::remove(ledgerPath_ + ".bak");

    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(x_.Xdotool({"windowactivate", "--sync", window_}).Succeeded());
    std::vector<std::string> keys = {"F10", "Return"};  // Mes nuevo
    for (int day = 1; day < START_DAY; ++day) keys.push_back("Right");
    keys.insert(keys.end(), {"Return", "3", "1", "0", "0", "Return"});
    for (int day = 0; day < EXPENSE_OFFSET; ++day) keys.push_back("Right");
    keys.insert(keys.end(), {"space", "7", "7", "5", "comma", "5", "Return"});
    keys.insert(keys.end(), {"F10", "Return"});  // Grabar: Mes nuevo is greyed
    for (const std::string& key : keys) Key(key);
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) { return BannerShown(s) && fs::exists(ledgerPath_); },
        "the ledger saved from the keyboard"));
    EXPECT_EQ(FileBytes(ledgerPath_), withTheMouse);
}

}  // namespace
