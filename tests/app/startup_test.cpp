// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the two ways the program opens, the window's geometry, and where the ledger is found.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMenuBar>
#include <filesystem>

#include "program_driver.h"

namespace {

using StartupTest = ProgramTest;

void ExpectMenu(const MainWindow& window, MenuState mesNuevo, MenuState periodCommands) {
    EXPECT_EQ(window.GetMenuState(Command::NewMonth), mesNuevo);
    for (Command command : {Command::Save, Command::Picture, Command::Statistics})
        EXPECT_EQ(window.GetMenuState(command), periodCommands) << static_cast<int>(command);
    EXPECT_EQ(window.GetMenuState(Command::Author), MenuState::Enabled);
    EXPECT_EQ(window.GetMenuState(Command::Quit), MenuState::Enabled);
}

TEST_F(StartupTest, WithoutLedgerShowsWelcomeWithTodaysMonthAndOnlyNewMonthOffered) {
    today = Date{2024, 3, 17};
    Open();
    EXPECT_EQ(BannerText(), TEXT_WELCOME);
    EXPECT_TRUE(Told().heading.empty()) << "no calendar";
    ExpectMenu(program->Window(), MenuState::Enabled, MenuState::Greyed);
    ClickCell({3, 3});
    EXPECT_EQ(BannerText(), TEXT_WELCOME) << "clicks do nothing on the welcome screen";
    NewMonth();
    EXPECT_EQ(Told().heading, "Marzo Abril 2024") << "the month of today";
    EXPECT_EQ(FirstDayTold(), "viernes 1 de marzo: quedan 0,00 €");
}

// Saves a period of the given start into the test folder as the program would: 50 a day, and
// 70 spent on the day in row 2, column 4.
void SaveStoredPeriod(const std::string& path, FileCalls& files, Date start) {
    Period period;
    period.Begin(start);
    int days = 0;
    for (const DayRecord& rec : period.Records()) days += rec.inPeriod != 0;
    period.SpreadTotal(50.0 * days);
    period.AddExpense({4, 2}, 70);
    Ledger ledger(path, files);
    ASSERT_EQ(ledger.Save(period), FileError::None);
}

// A period that has ended is also offered to be kept for a new one; the greeting stays under the
// question.
TEST_F(StartupTest, WithLedgerShowsTheStoredPeriodWhateverTodayIs) {
    SaveStoredPeriod(folder + LEDGER_FILE_NAME, files, {2023, 3, 15});
    AnswerNextQuestion(ANSWER_NOT_NOW);
    Open();
    EXPECT_TRUE(question.starts_with("El periodo del 15 de marzo de 2023 al 14 de abril de 2023"));
    EXPECT_EQ(Told().heading, "Marzo Abril 2023");
    EXPECT_EQ(FirstDayTold(), "miércoles 15 de marzo: quedan 50,00 €");
    EXPECT_EQ(BannerText(), TEXT_GREETING);
    EXPECT_EQ(DayTold(23), "jueves 23 de marzo: te has pasado 20,00 €; gastado 70,00 €");
    ExpectMenu(program->Window(), MenuState::Greyed, MenuState::Enabled);
    EXPECT_TRUE(BannerGoesAtAClick());
}

TEST_F(StartupTest, LedgerIsFoundWhateverTheWorkingFolder) {
    SaveStoredPeriod(folder + LEDGER_FILE_NAME, files, {2024, 6, 1});
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir("/"), 0);
    Open();
    EXPECT_EQ(chdir(previous), 0);
    EXPECT_EQ(Told().heading, "Junio Julio 2024");
}

TEST_F(StartupTest, FolderNamedLikeTheLedgerCountsAsPresentButGivesTheWelcome) {
    ASSERT_EQ(mkdir((folder + LEDGER_FILE_NAME).c_str(), 0755), 0);
    EXPECT_TRUE(PathExists(folder + LEDGER_FILE_NAME));
    EXPECT_FALSE(PathExists(folder + "missing.log"));
    Open();
    EXPECT_EQ(BannerText(), TEXT_WELCOME);
    struct stat info;
    ASSERT_EQ(stat((folder + LEDGER_FILE_NAME).c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

struct DamagedLedger {
    const char* name;
    std::string bytes;
};

// A record for column 3, row 3 with the given start date.
std::string AnchorRecord(int32_t day, int32_t month, int32_t year) {
    DayRecord rec{};
    rec.column = 3;
    rec.row = 3;
    rec.inPeriod = 1;
    rec.periodStartDay = day;
    rec.periodMonth = month;
    rec.periodYear = year;
    return std::string(reinterpret_cast<const char*>(&rec), sizeof rec);
}

class DamagedLedgerTest : public ProgramTest, public testing::WithParamInterface<DamagedLedger> {
protected:
    // The name of the one file set aside beside the ledger, empty if there is none.
    std::string SetAsideFile() {
        std::string found;
        const std::string prefix = std::string(LEDGER_FILE_NAME) + SET_ASIDE_LABEL;
        for (const std::string& name : FolderNames(folder))
            if (name.rfind(prefix, 0) == 0) found = found.empty() ? name : "<more than one>";
        return found;
    }
};

TEST_P(DamagedLedgerTest, StartsAsWithoutALedgerAndLeavesTheFileAsItWas) {
    WriteFile(LEDGER_FILE_NAME, GetParam().bytes);
    Open();
    EXPECT_EQ(BannerText(), TEXT_WELCOME);
    EXPECT_EQ(ItemState(Command::Save), MenuState::Greyed);
    EXPECT_EQ(FileBytes(folder + LEDGER_FILE_NAME), GetParam().bytes);

    // A new period saved over it keeps the refused file aside.
    BeginPeriod(6, "3100");
    Save();
    EXPECT_EQ(BannerText(), TEXT_SAVED);
    EXPECT_EQ(FileBytes(folder + LEDGER_FILE_NAME).size() % DAY_RECORD_SIZE, 0u);
    const std::string aside = SetAsideFile();
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(FileBytes(folder + aside), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedLedgerTest,
    testing::Values(DamagedLedger{"Empty", ""},
                    DamagedLedger{"ShorterThanARecord", std::string(76, 'x')},
                    DamagedLedger{"AllZero", std::string(2387, '\0')},
                    DamagedLedger{"MonthThirteen", AnchorRecord(1, 13, 2024)},
                    DamagedLedger{"DayZero", AnchorRecord(0, 3, 2024)},
                    DamagedLedger{"DayThirtyTwo", AnchorRecord(32, 3, 2024)},
                    DamagedLedger{"YearZero", AnchorRecord(1, 3, 0)},
                    DamagedLedger{"YearTenThousand", AnchorRecord(1, 3, 10000)},
                    DamagedLedger{"NegativeYear", AnchorRecord(1, 3, -2024)},
                    DamagedLedger{"Noise", std::string(1000, '\xA5')}),
    [](const testing::TestParamInfo<DamagedLedger>& info) { return info.param.name; });

TEST_F(StartupTest, WindowHasItsFixedSizeAndTheSurfaceSitsUnderTheMenuBar) {
    Open();
    QWidget* main = MainWidget();
    EXPECT_EQ(main->size(), QSize(846, 577));
    const int menuHeight = Ui().menuBar->height();
    EXPECT_EQ(SurfaceWidget()->geometry(), QRect(1, menuHeight + 1, 844, 554));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), "Monedario Pro");
}

}  // namespace
