// SPDX-License-Identifier: GPL-3.0-or-later
// Today and the month's end: today's day framed over the calendar and moved at midnight, what a
// day's tooltip tells (for today, what is left a day from then on), and a finished period
// offered to be kept for a new one.
#include <QAccessible>
#include <filesystem>
#include <string>

#include "../storage/ledger_support.h"
#include "program_driver.h"

namespace {

constexpr Date SUNDAY_17_MARCH{2024, 3, 17};

struct TodayTest : ProgramTest {
    // A period saved in the ledger as if typed in an earlier run: 100 a day.
    void StoredPeriod(Date start) {
        Period period;
        period.Begin(start);
        int days = 0;
        for (const DayRecord& record : period.Records()) days += record.inPeriod != 0;
        period.SpreadTotal(100.0 * days);
        ASSERT_EQ(Ledger(folder + LEDGER_FILE_NAME, files).Save(period), FileError::None);
    }
};

// Today is framed wherever the calendar shows it, and its day is told as "hoy, ...".
TEST_F(TodayTest, TodayIsFramedWhereTheCalendarShowsIt) {
    const struct {
        const char* name;
        void (*show)(TodayTest&);
        std::optional<GridPlace> framed;
    } cases[] = {
        {"the welcome screen", [](TodayTest&) {}, std::nullopt},
        {"the month to pick the start day from", [](TodayTest& t) { t.NewMonth(); },
         GridPlace{7, 3}},
        {"a period from the 15th", [](TodayTest& t) { t.BeginPeriod(15, "3100"); },
         GridPlace{7, 1}},
        {"its monthly total awaited",
         [](TodayTest& t) {
             t.NewMonth();
             t.PickDay(15);
         },
         GridPlace{7, 1}},
        {"a period that has not begun", [](TodayTest& t) { t.BeginPeriod(18, "3100"); },
         std::nullopt},
        {"a stored period that has ended",
         [](TodayTest& t) {
             t.Close();
             t.StoredPeriod({2024, 2, 1});
             t.AnswerNextQuestion(ANSWER_NOT_NOW);
             t.Open();
         },
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        today = SUNDAY_17_MARCH;
        Open();
        c.show(*this);
        EXPECT_EQ(TodayMarked(), c.framed);
        if (c.framed) {
            EXPECT_TRUE(DayTold(17).starts_with("hoy, domingo 17 de marzo: ")) << DayTold(17);
            EXPECT_FALSE(DayTold(16).starts_with("hoy"));
        }
        Close();
        std::filesystem::remove(folder + LEDGER_FILE_NAME);
    }
}

// At midnight the frame and the "hoy" go to the next day, while the program runs.
TEST_F(TodayTest, MarkMovesAtMidnight) {
    today = SUNDAY_17_MARCH;
    Open();
    BeginPeriod(15, "3100");
    TimePassesTo({2024, 3, 17});
    EXPECT_EQ(TodayMarked(), (GridPlace{7, 1}));
    TimePassesTo({2024, 3, 18});
    EXPECT_EQ(TodayMarked(), (GridPlace{1, 2}));
    EXPECT_TRUE(DayTold(18).starts_with("hoy, lunes 18 de marzo"));
    EXPECT_FALSE(DayTold(17).starts_with("hoy"));
    TimePassesTo({2024, 4, 15});
    EXPECT_EQ(TodayMarked(), std::nullopt) << "past the period's last day";
}

// Hovering a day tells its date, allowance, spent and left; today's adds what may be spent a day
// until the period ends, or how far it has gone over. A screen reader is told the same.
TEST_F(TodayTest, TooltipTellsWhatIsLeftPerDayFromToday) {
    const struct {
        const char* name;
        const char* spentOn16;
        const char* tipOf16;  // its spent and left
        const char* last;
    } cases[] = {
        // 3100 less 250 spent, over the 29 days from the 17th to 14 April.
        {"money left", "250", "250'00 €\nQueda: -150'00 €",
         "\nPara los 29 días que quedan: 98'28 € al día"},
        {"overspent", "3200", "3.200'00 €\nQueda: -3.100'00 €",
         "\nTe has pasado 100'00 € en este periodo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        today = SUNDAY_17_MARCH;
        Open();
        NewMonth();
        EXPECT_EQ(TooltipOf(17), "") << "no tip while picking the start day";
        PickDay(15);
        Type("3100");
        Enter();
        PickDay(16);
        Type(c.spentOn16);
        Enter();
        EXPECT_EQ(
            TooltipOf(16),
            std::string("sábado 16 de marzo de 2024\nAsignado: 100'00 €\nGastado: ") + c.tipOf16);
        const std::string todays =
            std::string("domingo 17 de marzo de 2024\nAsignado: 100'00 €\n") +
            "Gastado: 0'00 €\nQueda: 100'00 €" + c.last;
        EXPECT_EQ(TooltipOf(17), todays);
        Press(Qt::Key_Home);
        Press(Qt::Key_Right);
        Press(Qt::Key_Right);
        EXPECT_EQ(Told().cells[CellIndex(*MarkedDay())].tip, todays) << "the keyboard's day";
        QAccessibleInterface* surface = QAccessible::queryAccessibleInterface(SurfaceWidget());
        QAccessibleInterface* cell = surface->focusChild();
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Description).toStdString(), todays)
            << "a screen reader reads the keyboard's day's tooltip as its description";
        Close();
        std::filesystem::remove(folder + LEDGER_FILE_NAME);
    }
}

// A period whose last day is past is offered, once a run, to be kept for a new one; one that
// has not ended, or has not begun, is not. The greeting stays under the question.
TEST_F(TodayTest, FinishedPeriodIsOfferedOnceToBeKept) {
    const std::string offered =
        "El periodo del 10 de febrero de 2024 al 9 de marzo de 2024 ha terminado. ¿Empezar uno "
        "nuevo? El periodo terminado se guardará como ahorros-2024-02-10.log.";
    const struct {
        const char* name;
        Date start;
        const char* answer;
        ProgramMode mode;
        std::string asked;
        bool kept;
    } cases[] = {
        {"ended, a new period",
         {2024, 2, 10},
         ANSWER_NEW_PERIOD,
         ProgramMode::Editing,
         offered,
         true},
        {"ended, not now", {2024, 2, 10}, ANSWER_NOT_NOW, ProgramMode::Editing, offered, false},
        {"ended, Escape", {2024, 2, 10}, ESCAPE_KEY, ProgramMode::Editing, offered, false},
        {"ended, read-only", {2024, 2, 10}, ANSWER_NEW_PERIOD, ProgramMode::Viewing, "", false},
        {"ends today", {2024, 2, 18}, ANSWER_NEW_PERIOD, ProgramMode::Editing, "", false},
        {"not begun yet", {2024, 3, 18}, ANSWER_NEW_PERIOD, ProgramMode::Editing, "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        today = SUNDAY_17_MARCH;
        StoredPeriod(c.start);
        const std::string stored = FileBytes(folder + LEDGER_FILE_NAME);
        question.clear();
        AnswerNextQuestion(c.answer);
        Open(c.mode);
        QTest::qWait(50);
        EXPECT_EQ(question, c.asked);
        EXPECT_EQ(BannerText(), c.kept ? TEXT_WELCOME : TEXT_GREETING);
        EXPECT_EQ(FileBytes(folder + "ahorros-2024-02-10.log"), c.kept ? stored : "<missing>");
        EXPECT_EQ(FileBytes(folder + LEDGER_FILE_NAME), c.kept ? "<missing>" : stored);
        question.clear();
        AnswerNextQuestion(ANSWER_NEW_PERIOD);
        FocusAway();
        FocusBack();
        QTest::qWait(50);
        EXPECT_EQ(question, "") << "asked once a run";
        Close();
        for (const std::string& name : FolderNames(folder)) std::filesystem::remove(folder + name);
    }
}

// A period that ends while the program runs is offered at the window's next activation.
TEST_F(TodayTest, PeriodEndingWhileTheProgramRunsIsOfferedAtTheNextActivation) {
    today = SUNDAY_17_MARCH;
    Open();
    BeginPeriod(15, "3100");
    PickDay(20);
    Type("12");
    Enter();
    TimePassesTo({2024, 4, 15});
    AnswerNextQuestion(ANSWER_NEW_PERIOD);
    FocusAway();
    FocusBack();
    QTest::qWait(50);
    EXPECT_EQ(question,
              "El periodo del 15 de marzo de 2024 al 14 de abril de 2024 ha terminado. ¿Empezar "
              "uno nuevo? El periodo terminado se guardará como ahorros-2024-03-15.log.");
    EXPECT_EQ(BannerText(), TEXT_WELCOME);
    const std::string kept = FileBytes(folder + "ahorros-2024-03-15.log");
    ASSERT_EQ(kept.size(), 31 * DAY_RECORD_SIZE) << "what was typed is kept";
    double spent = 0;
    std::memcpy(&spent, kept.data() + 5 * DAY_RECORD_SIZE, sizeof spent);
    EXPECT_EQ(spent, 12);
}

}  // namespace
