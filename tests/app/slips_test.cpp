// SPDX-License-Identifier: GPL-3.0-or-later
// A slip is never permanent: an Enter nobody aimed at the calendar opens nothing, Escape leaves a
// field without keeping what was typed, Ctrl+Z and Ctrl+Y take amounts back and do them again,
// and a day's menu corrects what it has spent.
#include <QMessageBox>
#include <filesystem>
#include <string>
#include <vector>

#include "program_driver.h"

namespace {

using Items = std::vector<std::string>;
const Items FULL_MENU = {ITEM_CORRECT_DAY, ITEM_UNDO, ITEM_REDO};

struct SlipTest : ProgramTest {
    // March 2024 from the 15th, 100 a day.
    void OpenPeriod() {
        Open();
        BeginPeriod(15, "3100");
    }
    void Expense(int day, const char* amount) {
        PickDay(day);
        Type(amount);
        Enter();
    }
    // The day's menu, "Corregir el gasto del día…", and what it leaves in the field.
    void Correct(int day) {
        OpenDayMenu(day);
        ChoosePopupItem(ITEM_CORRECT_DAY);
    }
    void Erase(int count) {
        for (int i = 0; i < count; ++i) Press(Qt::Key_Backspace);
    }
    // "Salir" ends the program at once only when nothing is unsaved; a question is cancelled.
    bool SalirAsks() {
        question.clear();
        AnswerNextQuestion(ANSWER_CANCEL);
        Choose(Command::Quit);
        QApplication::processEvents();
        return !question.empty();
    }
};

// Enter with no field open does nothing unless the keyboard has moved its mark: a habit of
// pressing Enter twice, or typing after a click that only removed a banner, opens no field.
TEST_F(SlipTest, EnterNobodyAimedOpensNothing) {
    const struct {
        const char* name;
        void (*before)(SlipTest&);
    } cases[] = {
        {"Enter pressed twice after an amount",
         [](SlipTest& t) {
             t.Expense(20, "12,5");
             t.Enter();
         }},
        {"an amount typed after a click that removed a banner",
         [](SlipTest& t) {
             t.Expense(20, "12,5");
             t.Choose(Command::Author);
             t.PickDay(18);  // removes the banner only
             t.Type("7");
             t.Enter();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenPeriod();
        c.before(*this);
        EXPECT_FALSE(Told().field.open);
        EXPECT_EQ(MarkedDay(), std::nullopt);
        Expense(21, "5");
        EXPECT_EQ(SpentShown(21), "5'00") << "the click on the next day opened its field";
        EXPECT_EQ(SpentShown(20), "12'50");
        EXPECT_EQ(SpentShown(18), "");
        Close();
    }
}

// Escape leaves an expense's or a correction's field as if it had never opened; the keyboard's
// mark stays on its day when it was in use. In the monthly total's field it goes back to picking
// the start day.
TEST_F(SlipTest, EscapeLeavesAFieldWithoutKeepingWhatWasTyped) {
    OpenPeriod();
    Expense(20, "12,5");
    Save();
    PickDay(20);  // the banner goes
    for (const bool correction : {false, true}) {
        SCOPED_TRACE(correction ? "correction" : "expense");
        if (correction)
            Correct(20);
        else
            PickDay(20);
        Type("99");
        Press(Qt::Key_Escape);
        EXPECT_FALSE(Told().field.open);
        EXPECT_EQ(DayTold(20), "miércoles 20 de marzo: quedan 87,50 €; gastado 12,50 €");
        EXPECT_FALSE(SalirAsks()) << "nothing unsaved";
    }
    PickDay(21);
    Press(Qt::Key_Escape);
    EXPECT_EQ(DayTold(21), "jueves 21 de marzo: quedan 100,00 €") << "no spent line appears";
    for (int i = 0; i < 3; ++i) Press(Qt::Key_Right);  // from the 21st the click chose
    Press(Qt::Key_Return);
    Press(Qt::Key_Escape);
    EXPECT_EQ(MarkedDay(), PlaceOfDay(24)) << "the mark in use stays on its day";
    EXPECT_FALSE(SalirAsks());

    Close();
    std::filesystem::remove(folder + LEDGER_FILE_NAME);
    Open();
    NewMonth();
    PickDay(15);
    Type("3100");
    Press(Qt::Key_Escape);
    EXPECT_FALSE(Told().field.open);
    EXPECT_EQ(BannerText(), "") << "the start-day banner goes";
    EXPECT_EQ(FirstDayTold(), "viernes 1 de marzo: quedan 0,00 €") << "the month from its 1st";
    EXPECT_EQ(ItemState(Command::NewMonth), MenuState::Enabled);
    PickDay(10);
    EXPECT_EQ(BannerText(), StartDayBannerText(10)) << "a day is picked again";
}

// Each step back leaves the day exactly as it was, its spent line gone again where there was
// none; taking back everything typed since the start saves the loaded ledger's bytes again.
TEST_F(SlipTest, UndoAndRedoStepThroughTheChangesOfThisRun) {
    OpenPeriod();
    Expense(20, "40");
    Save();
    const std::string loaded = LedgerBytes();
    Restart();
    PickDay(20);  // the greeting goes
    const struct {
        const char* step;
        void (*act)(SlipTest&);
        const char* day20;
        const char* day22;
        const char* notice;
    } steps[] = {
        {"an expense", [](SlipTest& t) { t.Expense(20, "12,5"); }, "52'50", "", nullptr},
        {"another day's expense", [](SlipTest& t) { t.Expense(22, "7"); }, "52'50", "7'00",
         nullptr},
        {"a correction",
         [](SlipTest& t) {
             t.Correct(20);
             t.Erase(4);
             t.Type("17,5");
             t.Enter();
         },
         "17'50", "7'00", nullptr},
        {"undo the correction", [](SlipTest& t) { t.Undo(); }, "52'50", "7'00",
         "Deshecha la corrección del miércoles 20 de marzo a 17,50 €"},
        {"undo the other day", [](SlipTest& t) { t.Undo(); }, "52'50", "",
         "Deshecho el gasto de 7,00 € del viernes 22 de marzo"},
        {"Ctrl+Y", [](SlipTest& t) { t.Redo(); }, "52'50", "7'00",
         "Rehecho el gasto de 7,00 € del viernes 22 de marzo"},
        {"Ctrl+Shift+Z",
         [](SlipTest& t) { t.Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }, "17'50",
         "7'00", "Rehecha la corrección del miércoles 20 de marzo a 17,50 €"},
        {"nothing left to redo", [](SlipTest& t) { t.Redo(); }, "17'50", "7'00", nullptr},
        {"undo", [](SlipTest& t) { t.Undo(); }, "52'50", "7'00", nullptr},
        {"undo", [](SlipTest& t) { t.Undo(); }, "52'50", "", nullptr},
        {"undo back to the start", [](SlipTest& t) { t.Undo(); }, "40'00", "",
         "Deshecho el gasto de 12,50 € del miércoles 20 de marzo"},
        {"nothing left to undo", [](SlipTest& t) { t.Undo(); }, "40'00", "", nullptr},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.step);
        s.act(*this);
        EXPECT_EQ(SpentShown(20), s.day20);
        EXPECT_EQ(SpentShown(22), s.day22);
        if (s.notice) {
            EXPECT_EQ(Told().notice, s.notice);
        }
    }
    EXPECT_EQ(DayTold(22), "viernes 22 de marzo: quedan 100,00 €");
    EXPECT_FALSE(SalirAsks()) << "back to what was saved";
    Save();
    EXPECT_EQ(LedgerBytes(), loaded);
}

// Whether closing asks follows the steps: an undo after "Grabar" leaves something unsaved, and
// a change made after an undo drops what could have been done again.
TEST_F(SlipTest, UnsavedFollowsTheSteps) {
    OpenPeriod();
    Expense(20, "5");
    Save();
    PickDay(21);  // the banner goes
    EXPECT_FALSE(SalirAsks());
    Undo();
    EXPECT_TRUE(SalirAsks());
    Redo();
    EXPECT_FALSE(SalirAsks());
    Undo();
    Expense(21, "3");
    Redo();
    EXPECT_EQ(SpentShown(20), "") << "what was taken back before a new change stays taken back";
    EXPECT_TRUE(SalirAsks());
    Undo();
    Undo();
    EXPECT_EQ(SpentShown(21), "");
    EXPECT_TRUE(SalirAsks()) << "the saved 5 is no longer on the 20th";
}

// "Mes nuevo", a monthly total and a new period are never undone: the history starts after them.
TEST_F(SlipTest, HistoryStartsAtTheMonthlyTotal) {
    Open();
    NewMonth();
    PickDay(15);
    Type("31");
    Enter();
    Undo();
    EXPECT_EQ(DayTold(15), "viernes 15 de marzo: quedan 1,00 €");
    NewMonth();
    EXPECT_EQ(ItemState(Command::NewMonth), MenuState::Greyed) << "the total stands";
    Expense(16, "1");
    ToggleStatistics();
    Undo();
    Undo();
    EXPECT_EQ(SpentShown(16), "");
    EXPECT_EQ(DayTold(15), "viernes 15 de marzo: quedan 1,00 €");
    EXPECT_EQ(ItemState(Command::Statistics), MenuState::Checked);
}

// A correction sets what the day has spent: the field holds it as typed, and an amount of 0 or
// none leaves no spent line. It is tested as an expense is.
TEST_F(SlipTest, CorrectionSetsTheDaysSpending) {
    const struct {
        const char* name;
        int erase;
        const char* typed;
        const char* told;
        const char* banner;
    } cases[] = {
        {"to a value", 4, "7", "quedan 93,00 €; gastado 7,00 €", ""},
        {"typed over in part", 2, "50", "te has pasado 1.150,00 €; gastado 1.250,00 €", ""},
        {"to 0", 4, "0", "quedan 100,00 €", ""},
        {"to nothing", 4, "", "quedan 100,00 €", ""},
        {"refused", 0, "-", "quedan 87,50 €; gastado 12,50 €", TEXT_INVALID},
        {"too long", 0, "123", "quedan 87,50 €; gastado 12,50 €", TEXT_TOO_LONG},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenPeriod();
        Expense(20, "10");
        Expense(20, "2,5");
        Correct(20);
        EXPECT_EQ(Told().field.name, std::string(TEXT_CORRECTION_FIELD) + "miércoles 20 de marzo");
        EXPECT_EQ(Told().field.text, "12,5");
        EXPECT_EQ(Told().field.caret, 4);
        Erase(c.erase);
        Type(c.typed);
        Enter();
        EXPECT_EQ(DayTold(20), std::string("miércoles 20 de marzo: ") + c.told);
        EXPECT_EQ(BannerText(), c.banner);
        Close();
    }
    OpenPeriod();
    Correct(21);
    EXPECT_EQ(Told().field.text, "") << "nothing spent";
}

// The day's menu, by the right button or the keyboard, and where there is none.
TEST_F(SlipTest, DayMenuOffersWhatCanBeDone) {
    Open();
    ClickCell({5, 1}, Qt::RightButton);
    EXPECT_EQ(PopupMenu(), nullptr) << "the welcome screen";
    NewMonth();
    OpenDayMenu(1);
    EXPECT_EQ(PopupMenu(), nullptr) << "picking the start day";
    PickDay(15);
    OpenDayMenu(20);
    EXPECT_EQ(PopupMenu(), nullptr) << "the monthly total's field open";
    Type("3100");
    Enter();
    OpenDayMenu(20);
    EXPECT_EQ(PopupItems(), (Items{ITEM_CORRECT_DAY, "[Deshacer]", "[Rehacer]"}));
    EscapeMenu();
    Expense(20, "999999");
    OpenDayMenu(20);
    EXPECT_EQ(PopupItems(), (Items{ITEM_CORRECT_DAY, ITEM_UNDO, "[Rehacer]"}));
    EscapeMenu();
    Expense(20, "1");
    OpenDayMenu(20);
    EXPECT_EQ(PopupItems(), (Items{"[Corregir el gasto del día…]", ITEM_UNDO, "[Rehacer]"}))
        << "1.000.000 spent does not fit the field";
    ChoosePopupItem(ITEM_UNDO);
    EXPECT_EQ(SpentShown(20), "999.999'00");
    OpenDayMenu(20);
    EXPECT_EQ(PopupItems(), FULL_MENU);
    ChoosePopupItem(ITEM_REDO);
    EXPECT_EQ(SpentShown(20), "1.000.000'00");

    ClickCell({1, 1}, Qt::RightButton);
    EXPECT_EQ(PopupMenu(), nullptr) << "a cell outside the period";
    PickDay(21);
    OpenDayMenu(22);
    EXPECT_EQ(PopupMenu(), nullptr) << "a field open";
    Press(Qt::Key_Escape);
    Choose(Command::Author);
    OpenDayMenu(22);
    EXPECT_EQ(PopupMenu(), nullptr) << "a banner waiting for a click";
    EXPECT_EQ(BannerText(), TEXT_AUTHOR) << "and it stays";
    Press(Qt::Key_Escape);

    Press(Qt::Key_Menu);
    EXPECT_EQ(PopupMenu(), nullptr) << "the keyboard's day without its mark";
    Press(Qt::Key_Right);  // the 22nd, after the 21st a click chose
    for (const auto key : {Qt::Key_Menu, Qt::Key_F10}) {
        Press(key, key == Qt::Key_F10 ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(PopupItems(), (Items{ITEM_CORRECT_DAY, ITEM_UNDO, "[Rehacer]"}));
        EscapeMenu();
    }
    Press(Qt::Key_Menu);
    ChoosePopupItem(ITEM_CORRECT_DAY);
    EXPECT_EQ(Told().field.name, std::string(TEXT_CORRECTION_FIELD) + "viernes 22 de marzo");
    Press(Qt::Key_Escape);

    Save();
    Close();
    Open(ProgramMode::Viewing);
    OpenDayMenu(20);
    EXPECT_EQ(PopupMenu(), nullptr) << "the read-only window";
    Undo();
    EXPECT_EQ(SpentShown(20), "1.000.000'00") << "and no history";
}

}  // namespace
