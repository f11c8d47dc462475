// Start-up: the two ways the program opens, the window's geometry, and where the ledger is found.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QMenuBar>
#include <cstring>
#include <filesystem>

#include "input/input.h"
#include "model/model.h"
#include "platform/testing.h"
#include "shell_fixture.h"
#include "storage/storage.h"
#include "view/view.h"

namespace {

using StartupTest = ShellTest;

TEST_F(StartupTest, WithoutLedgerShowsWelcomeWithTodaysMonthAndOnlyNewMonthOffered) {
    today = LocalDate{2024, 3, 17};
    SetTodayForTesting(today);
    Open();
    EXPECT_EQ(shell.welcomeShown, 1);
    EXPECT_EQ(shell.startDayChosen, 0);
    EXPECT_EQ(period.startDay, 1);
    EXPECT_EQ(period.startMonth, 3);
    EXPECT_EQ(period.startYear, 2024);
    EXPECT_EQ(banner.lastText, TEXT_WELCOME);
    EXPECT_EQ(banner.bannerDismissOnClick, 0);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_MES_NUEVO), MENU_ENABLED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_GRABAR), MENU_GREYED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_BITMAP), MENU_GREYED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_ESTADISTICAS), MENU_GREYED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_AUTOR), MENU_ENABLED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_SALIR), MENU_ENABLED);
    EXPECT_EQ(shell.entryFontName, "Lucida Console");
    EXPECT_EQ(shell.entryFontSize, 11);
    EXPECT_EQ(calendarNames.dayNames[3], "Mi\xE9rcoles");
}

// Saves a period of the given start into the test folder as the program would, then forgets it.
void SaveStoredPeriod(int16_t day, int16_t month, int16_t year) {
    InitCalendarNames();
    period.startDay = day;
    period.startMonth = month;
    period.startYear = year;
    CreateDayGrid();
    CalendarLayout layout;
    LayOutCalendar(layout);
    for (DayRecord& rec : period.dayGrid) {
        if (!rec.inPeriod) continue;
        rec.allowance = 50;
        rec.balance = 50;
    }
    DayAt(4, 2).spent = 70;
    DayAt(4, 2).balance = -20;
    std::memcpy(DayAt(4, 2).spentText, "70'00     ", 11);
    ASSERT_EQ(SaveLedger(), 0);
    CreateDayGrid();
    period.startDay = period.startMonth = period.startYear = 0;
}

TEST_F(StartupTest, WithLedgerShowsTheStoredPeriodWhateverTodayIs) {
    SaveStoredPeriod(15, 3, 2023);
    Open();
    EXPECT_EQ(period.startDay, 15);
    EXPECT_EQ(period.startMonth, 3);
    EXPECT_EQ(period.startYear, 2023);
    EXPECT_EQ(shell.welcomeShown, 0);
    EXPECT_EQ(shell.startDayChosen, 1);
    EXPECT_EQ(banner.lastText, TEXT_GREETING);
    EXPECT_EQ(banner.bannerDismissOnClick, 1);
    EXPECT_EQ(+DayAt(4, 2).spent, 70);
    EXPECT_EQ(+DayAt(4, 2).balance, -20);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_MES_NUEVO), MENU_GREYED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_GRABAR), MENU_ENABLED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_BITMAP), MENU_ENABLED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_ESTADISTICAS), MENU_ENABLED);
}

TEST_F(StartupTest, LedgerIsFoundBesideTheProgramWhateverTheWorkingFolder) {
    SaveStoredPeriod(1, 6, 2024);
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir("/"), 0);
    Open();
    EXPECT_EQ(chdir(previous), 0);
    EXPECT_EQ(shell.startDayChosen, 1);
    EXPECT_EQ(period.startMonth, 6);
}

TEST_F(StartupTest, FolderNamedLikeTheLedgerCountsAsPresentButGivesTheWelcome) {
    ASSERT_EQ(mkdir((folder + LEDGER_FILE_NAME).c_str(), 0755), 0);
    EXPECT_TRUE(FileExists(folder + LEDGER_FILE_NAME));
    EXPECT_FALSE(FileExists(folder + "missing.log"));
    Open();
    EXPECT_EQ(shell.welcomeShown, 1);
    EXPECT_EQ(period.startMonth, today.month);
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

class DamagedLedgerTest : public ShellTest, public testing::WithParamInterface<DamagedLedger> {
protected:
    // The name of the one file set aside beside the ledger, empty if there is none.
    std::string SetAsideFile() {
        std::string found;
        const std::string prefix = std::string(LEDGER_FILE_NAME) + SET_ASIDE_LABEL;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            const std::string name = e.path().filename();
            if (name.rfind(prefix, 0) == 0) found = found.empty() ? name : "<more than one>";
        }
        return found;
    }
};

TEST_P(DamagedLedgerTest, StartsAsWithoutALedgerAndLeavesTheFileAsItWas) {
    WriteFile(LEDGER_FILE_NAME, GetParam().bytes);
    Open();
    EXPECT_EQ(shell.welcomeShown, 1);
    EXPECT_EQ(shell.startDayChosen, 0);
    EXPECT_EQ(period.startDay, 1);
    EXPECT_EQ(period.startMonth, today.month);
    EXPECT_EQ(period.startYear, today.year);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_GRABAR), MENU_GREYED);
    for (const DayRecord& rec : period.dayGrid) EXPECT_EQ(+rec.inPeriod, 0);
    EXPECT_EQ(ReadFile(folder + LEDGER_FILE_NAME), GetParam().bytes);

    // A new period saved over it keeps the refused file aside.
    RunCommand(IDM_MES_NUEVO);
    Click(CELL_WIDTH * 2 + 60, CELL_HEIGHT * 2 + 40);
    TypeText("3100");
    Press(Qt::Key_Return);
    RunCommand(IDM_GRABAR);
    EXPECT_EQ(banner.lastText, TEXT_SAVED);
    EXPECT_EQ(ReadFile(folder + LEDGER_FILE_NAME).size() % DAY_RECORD_SIZE, 0u);
    const std::string aside = SetAsideFile();
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(ReadFile(folder + aside), GetParam().bytes);
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
    QWidget* main = WidgetOf(shell.mainWindow);
    EXPECT_EQ(main->size(), QSize(846, 577));
    const int menuHeight = MenuBarWidgetOf(shell.mainMenu)->height();
    EXPECT_EQ(SurfaceWidget()->geometry(), QRect(1, menuHeight + 1, 844, 554));
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(main->windowTitle(), "Monedario Pro");
}

}  // namespace
