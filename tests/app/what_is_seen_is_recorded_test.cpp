// SPDX-License-Identifier: GPL-3.0-or-later
// Everyday habits that once recorded wrong amounts: an open field hidden by a redraw, characters
// the field cannot hold, keys held across a change of window, Escape out of a menu, the program's
// folder removed while it runs, a ledger with amounts that are no numbers, and the page without
// its usual faces.
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

#include "program_driver.h"

namespace {

constexpr int DAY = 20;  // Wednesday 20 March 2024, column 3 of row 2 in the period from the 15th
constexpr TestBox DAY_BOX = TestCellBox(3, 2);

struct EverydayTest : ProgramTest {
    void OpenPeriod() {
        Open();
        BeginPeriod(15, "3100");
        PickDay(DAY);
    }
    // The caret of an empty field, or what is typed in it, is drawn at the field's place.
    bool FieldShown() {
        int ink = 0;
        for (int y = DAY_BOX.top + SPENT_DY; y < DAY_BOX.top + SPENT_DY + 16; ++y)
            for (int x = DAY_BOX.left + SPENT_DX; x < DAY_BOX.left + SPENT_DX + 10; ++x)
                ink += Pixel(x, y) != COLOUR_WHITE;
        return ink > 0;
    }
};

// Whatever redraws the page, an open field stays on it with its text, and the next keys go to
// the day it belongs to, which a click on another day does not change.
TEST_F(EverydayTest, OpenFieldStaysOnTheScreenThroughEveryRedraw) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);  // where "Bitmap" writes
    for (Command command :
         {Command::Save, Command::Picture, Command::Author, Command::Statistics}) {
        SCOPED_TRACE(testing::Message() << "command " << static_cast<int>(command));
        OpenPeriod();
        Type("1");
        Choose(command);
        PickDay(21);  // dismisses a banner; never opens a second field
        EXPECT_TRUE(FieldShown());
        PickDay(21);
        Type("2");
        Enter();
        EXPECT_EQ(SpentShown(DAY), "12'00");
        EXPECT_EQ(SpentShown(21), "");
        Close();
        std::filesystem::remove(folder + LEDGER_FILE_NAME);  // the next command's period is new
    }
    std::filesystem::current_path(before);
}

TEST_F(EverydayTest, CharactersWithoutAPlaceInTheFieldAreShownAndRefused) {
    for (const char* typed : {"12\xD1\x8E"
                              "50",
                              "1\xD9\xAB"
                              "5"}) {  // 12ю50 and 1٫5
        SCOPED_TRACE(typed);
        OpenPeriod();
        Type(typed);
        Enter();
        EXPECT_EQ(BannerText(), TEXT_INVALID);
        EXPECT_EQ(SpentShown(DAY), "");
        Close();
    }
}

// A key still down when another window takes the keyboard is forgotten: its release comes
// elsewhere, and a later key must not deliver it.
TEST_F(EverydayTest, KeysHeldWhileTheWindowLosesTheKeyboardAreForgotten) {
    const struct {
        const char* name;
        Qt::Key held;
        const char* text;
        const char* spent;
    } cases[] = {{"Enter", Qt::Key_Return, "\r", "89'00"}, {"a digit", Qt::Key_4, "4", "19'00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenPeriod();
        Type(c.held == Qt::Key_Return ? "8" : "1");
        KeyDown(c.held, c.text);
        FocusAway();
        FocusBack();
        Type("9");
        Enter();
        EXPECT_EQ(SpentShown(DAY), c.spent);
        Close();
    }
}

TEST_F(EverydayTest, EscapeOutOfAMenuGivesTheKeyboardBackToTheField) {
    OpenPeriod();
    OpenMenu("Operaciones");
    EscapeMenu();
    Type("3");
    Enter();
    EXPECT_EQ(SpentShown(DAY), "3'00");
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr) << "Enter opened the menu again";
}

TEST_F(EverydayTest, LedgerStaysWhereStartUpPutItWhenItsFolderGoes) {
    OpenPeriod();
    Enter();
    std::filesystem::remove_all(folder);
    Save();
    EXPECT_EQ(BannerText(), TEXT_SAVED);
    EXPECT_EQ(FileBytes(folder + LEDGER_FILE_NAME).size(), 31u * DAY_RECORD_SIZE);
    EXPECT_FALSE(std::filesystem::exists(TEST_DATA_HOME "/monedario/ahorros.log"));

    std::filesystem::remove_all(folder);  // and a plain file in its place: it cannot be made again
    ASSERT_TRUE(std::ofstream(folder.substr(0, folder.size() - 1)).good());
    Save();
    EXPECT_EQ(BannerText(), "Err:  52 Bad file name or number");
    std::filesystem::remove(folder.substr(0, folder.size() - 1));
    std::filesystem::create_directory(folder);
}

// Another program may write amounts that are no numbers: they read as 0, and the file is kept
// aside before a save replaces it.
TEST_F(EverydayTest, AmountsThatAreNoNumbersReadAsZeroAndTheirFileIsKeptAside) {
    OpenPeriod();
    Enter();
    Save();
    std::string bytes = LedgerBytes();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    std::memcpy(&bytes[5 * DAY_RECORD_SIZE], &nan, sizeof nan);       // the 20th's spent
    std::memcpy(&bytes[5 * DAY_RECORD_SIZE + 8], &inf, sizeof inf);   // and its balance
    std::memcpy(&bytes[6 * DAY_RECORD_SIZE + 27], &nan, sizeof nan);  // the 21st's allowance
    WriteFile("ahorros.log", bytes);
    Restart();
    EXPECT_EQ(BalanceShown(DAY), "0'00");
    EXPECT_EQ(BalanceShown(21), "100'00");
    ToggleStatistics();  // the gauges' sums stay numbers
    Save();
    EXPECT_EQ(BannerText(), TEXT_SAVED);
    bool keptAside = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        keptAside |= entry.path().filename().string().starts_with("ahorros.log.apartado-") &&
                     FileBytes(entry.path()) == bytes;
    EXPECT_TRUE(keptAside);
    const std::string saved = LedgerBytes();
    for (size_t at = 0; at < saved.size(); at += DAY_RECORD_SIZE)
        for (size_t amount : {0, 8, 27}) {
            double value;
            std::memcpy(&value, &saved[at + amount], sizeof value);
            EXPECT_TRUE(std::isfinite(value)) << "record " << at / DAY_RECORD_SIZE;
        }
}

// Whatever face the page is drawn in, every weekday name shows in its box and a long negative
// balance stays inside its day: a text too wide is drawn narrower.
TEST_F(EverydayTest, PageFitsItsTextsWhateverTheFace) {
    for (const char* face : {"Tahoma", "Liberation Sans Narrow", "DejaVu Sans", "DejaVu Serif"}) {
        SCOPED_TRACE(face);
        Fonts faces(face);
        ledger = std::make_unique<Ledger>(folder + LEDGER_FILE_NAME, files);
        program = std::make_unique<Program>(faces, *ledger, files, *this);
        program->Open();
        BeginPeriod(15, "");
        PickDay(DAY);
        Type("999999");
        Enter();
        EXPECT_EQ(BalanceShown(DAY), "-999.999'00");
        for (int weekday = 1; weekday <= 7; ++weekday) {
            int ink = 0;
            for (int y = WEEKDAY_TOP; y < 69; ++y)
                for (int x = WeekdayBoxLeft(weekday); x < WeekdayBoxLeft(weekday) + 120; ++x)
                    ink += Pixel(x, y) == COLOUR_BLACK;
            EXPECT_GT(ink, 300) << "weekday " << weekday;
        }
        int beyond = 0;  // the gap and the neighbour's first pixels right of the 20th's box
        for (int y = DAY_BOX.top + BALANCE_DY; y < DAY_BOX.top + BALANCE_DY + 16; ++y)
            for (int x : {DAY_BOX.right, DAY_BOX.right + 2, DAY_BOX.right + 3})
                beyond += Pixel(x, y) != COLOUR_WHITE;
        EXPECT_EQ(beyond, 0);
        Close();
    }
}

}  // namespace
