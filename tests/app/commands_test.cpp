// SPDX-License-Identifier: GPL-3.0-or-later
// The menu bar and its commands: structure and item states through a run, saving the ledger and
// the picture (with their failures), the statistics switch, ending the program and the focus.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "program_driver.h"

namespace {

constexpr int PICTURE_WIDTH = 842;
constexpr int PICTURE_HEIGHT = 552;
constexpr int BMP_ROW_SIZE = 2528;  // 842 x 3 rounded up to a multiple of 4
constexpr size_t BMP_FILE_SIZE = 1395510;
constexpr const char* ERR_BAD_NAME = "Err:  52 Bad file name or number";

std::string LittleEndian(uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

// Runs the test from another working directory and comes back afterwards.
struct WorkingDirectory {
    std::string saved;
    explicit WorkingDirectory(const std::string& path) {
        char buffer[4096];
        saved = getcwd(buffer, sizeof buffer) ? buffer : "/";
        EXPECT_EQ(chdir(path.c_str()), 0) << path;
    }
    ~WorkingDirectory() { EXPECT_EQ(chdir(saved.c_str()), 0); }
};

struct CommandTest : ProgramTest {
    using ProgramTest::files;
    using ProgramTest::folder;

    // March 2024 from the 6th (row 2, column 3 of the month), 3100 over its 31 days, and 150 spent
    // on the day in row 3, column 3, so the picture has a red balance in it.
    void PlacePeriod() {
        Choose(Command::NewMonth);
        ClickCell({3, 2});
        Type("3100");
        Press(Qt::Key_Return);
        ClickCell({3, 3});
        Type("150");
        Press(Qt::Key_Return);
        ASSERT_EQ(BalanceShown(20), "-50'00");
    }
    std::vector<Colour> Picture() {
        std::vector<Colour> pixels;
        for (int y = 0; y < PICTURE_HEIGHT; ++y)
            for (int x = 0; x < PICTURE_WIDTH; ++x) pixels.push_back(Pixel(x, y));
        return pixels;
    }
    static Colour BmpPixel(const std::string& file, int x, int y) {
        const size_t at = 54 + static_cast<size_t>(PICTURE_HEIGHT - 1 - y) * BMP_ROW_SIZE + 3 * x;
        auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<uint8_t>(file[i])); };
        return Rgb(byte(at + 2), byte(at + 1), byte(at));
    }
};

// ---------------------------------------------------------------------------------------------
// Structure and states

// The titles underline their letter for Alt (Alt+O, Alt+V); the items have no shortcuts.
TEST_F(CommandTest, MenuBarHoldsTwoMenusWithTheirItemsInOrderWithoutShortcuts) {
    Open();
    const QList<QAction*> menus = Ui().menuBar->actions();
    ASSERT_EQ(menus.size(), 2);
    const std::vector<std::vector<std::string>> expected = {
        {"&Operaciones", "Mes nuevo", "-", "Grabar", "-", "Bitmap", "-", "Autor", "Salir"},
        {"&Ver", "Estadísticas", "-", "Historial…"}};
    for (int m = 0; m < 2; ++m) {
        ASSERT_NE(menus[m]->menu(), nullptr);
        std::vector<std::string> seen = {menus[m]->text().toStdString()};
        for (QAction* item : menus[m]->menu()->actions()) {
            seen.push_back(item->isSeparator() ? "-" : item->text().toStdString());
            EXPECT_TRUE(item->shortcut().isEmpty()) << seen.back();
        }
        EXPECT_EQ(seen, expected[m]);
    }
    const std::pair<Command, const char*> commands[] = {
        {Command::NewMonth, "Mes nuevo"}, {Command::Save, "Grabar"},
        {Command::Picture, "Bitmap"},     {Command::Author, "Autor"},
        {Command::Quit, "Salir"},         {Command::Statistics, "Estadísticas"},
        {Command::History, "Historial…"}};
    for (auto [command, text] : commands) EXPECT_EQ(ActionOf(command)->text().toStdString(), text);
}

// "Grabar" and "Bitmap" always share their state; "Autor" and "Salir" are always enabled.
void ExpectItemStates(const MainWindow& window, const char* moment, MenuState mesNuevo,
                      MenuState periodCommands, MenuState estadisticas) {
    SCOPED_TRACE(moment);
    EXPECT_EQ(window.GetMenuState(Command::NewMonth), mesNuevo);
    EXPECT_EQ(window.GetMenuState(Command::Save), periodCommands);
    EXPECT_EQ(window.GetMenuState(Command::Picture), periodCommands);
    EXPECT_EQ(window.GetMenuState(Command::Statistics), estadisticas);
    EXPECT_EQ(window.GetMenuState(Command::Author), MenuState::Enabled);
    EXPECT_EQ(window.GetMenuState(Command::Quit), MenuState::Enabled);
}

TEST_F(CommandTest, ItemStatesFollowEveryMomentOfARun) {
    ASSERT_EQ(mkdir((folder + "pictures").c_str(), 0755), 0);
    WorkingDirectory cwd(folder + "pictures");
    constexpr MenuState E = MenuState::Enabled, G = MenuState::Greyed, C = MenuState::Checked;
    const auto make = [this] {
        ledger = std::make_unique<Ledger>(folder + LEDGER_FILE_NAME, files);
        program = std::make_unique<Program>(fonts, *ledger, files, *this);
    };
    make();
    ExpectItemStates(program->Window(), "bar built", E, E, E);
    program->Open();
    ExpectItemStates(program->Window(), "start without a ledger", E, G, G);
    Choose(Command::NewMonth);
    ExpectItemStates(program->Window(), "Mes nuevo", E, G, G);
    ClickCell({3, 2});
    ExpectItemStates(program->Window(), "start day picked", E, G, G);
    Type("3100");
    Press(Qt::Key_Return);
    ExpectItemStates(program->Window(), "total accepted", G, E, E);
    Choose(Command::Statistics);
    ExpectItemStates(program->Window(), "statistics on", G, E, C);
    for (Command command : {Command::Save, Command::Picture, Command::Author}) {
        Choose(command);
        ExpectItemStates(program->Window(), "Grabar, Bitmap or Autor", G, E, C);
    }
    EXPECT_EQ(BannerText(), "Programa realizado por www.monedario.org");
    Choose(Command::Statistics);
    ExpectItemStates(program->Window(), "statistics off", G, E, E);
    Close();
    make();
    ExpectItemStates(program->Window(), "bar built again", E, E, E);
    program->Open();
    ExpectItemStates(program->Window(), "start with a ledger", G, E, E);
}

TEST_F(CommandTest, StatisticsTwiceReturnToThePlainCalendarPixelForPixel) {
    Open();
    PlacePeriod();
    const std::vector<Colour> plain = Picture();
    Choose(Command::Author);
    Choose(Command::Statistics);
    EXPECT_TRUE(ActionOf(Command::Statistics)->isChecked());
    EXPECT_EQ(Pixel(7, 10), COLOUR_RED) << "spent: 150 of 3100";
    EXPECT_EQ(Pixel(8, 30), COLOUR_GREEN) << "left: 2950 of 3100";
    EXPECT_NE(Pixel(170, 300), COLOUR_BLUE) << "the redraw takes the banner away";

    Choose(Command::Statistics);
    EXPECT_FALSE(ActionOf(Command::Statistics)->isChecked());
    EXPECT_TRUE(Picture() == plain);
}

// ---------------------------------------------------------------------------------------------
// Grabar

TEST_F(CommandTest, SavedPeriodIsShownAgainAtTheNextStart) {
    Open();
    PlacePeriod();
    Choose(Command::Save);
    EXPECT_EQ(BannerText(), "Grabación realizada ...");
    const std::string saved = LedgerBytes();
    EXPECT_EQ(saved.size(), 31 * DAY_RECORD_SIZE);
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"ahorros.log"});
    EXPECT_TRUE(BannerGoesAtAClick());

    Restart();
    EXPECT_EQ(BannerText(), TEXT_GREETING);
    EXPECT_EQ(FirstDayTold(), "miércoles 6 de marzo: quedan 100,00 €");
    EXPECT_EQ(BalanceShown(20), "-50'00");
    // The records come back exactly as they were saved: saved again, they are the same bytes.
    Save();
    EXPECT_EQ(LedgerBytes(), saved);
}

// ---------------------------------------------------------------------------------------------
// Bitmap

TEST_F(CommandTest, BitmapWritesWhatTheSurfaceShowsIntoTheWorkingDirectory) {
    ASSERT_EQ(mkdir((folder + "pictures").c_str(), 0755), 0);
    WorkingDirectory cwd(folder + "pictures");
    Open();
    PlacePeriod();
    const std::vector<Colour> shown = Picture();
    const QImage onScreen = SurfaceWidget()->grab().toImage();
    Choose(Command::Picture);
    EXPECT_EQ(BannerText(), "Bitmap Captado ...");

    const std::string file = FileBytes("Mi Copia.bmp");
    ASSERT_EQ(file.size(), BMP_FILE_SIZE);
    const std::string header = "BM" + LittleEndian(BMP_FILE_SIZE, 4) + LittleEndian(0, 4) +
                               LittleEndian(54, 4) + LittleEndian(40, 4) +
                               LittleEndian(PICTURE_WIDTH, 4) + LittleEndian(PICTURE_HEIGHT, 4) +
                               LittleEndian(1, 2) + LittleEndian(24, 2) + std::string(24, '\0');
    EXPECT_EQ(file.substr(0, 54), header);
    // Today, Sunday the 17th, is framed on the screen only: never in the picture nor the file.
    const TestBox today = TestCellBox(7, 2);
    int differences = 0, differencesOnScreen = 0, padding = 0, frameOnScreen = 0;
    for (int y = 0; y < PICTURE_HEIGHT; ++y) {
        for (int x = 0; x < PICTURE_WIDTH; ++x) {
            const Colour c = BmpPixel(file, x, y);
            differences += c != shown[y * PICTURE_WIDTH + x];
            const QRgb s = onScreen.pixel(x + 1, y + 1);  // inside the one-pixel border
            const bool inToday =
                x >= today.left && x < today.right && y >= today.top && y < today.bottom;
            if (inToday)
                frameOnScreen += c != Rgb(qRed(s), qGreen(s), qBlue(s)) && s == qRgb(0, 150, 150);
            else
                differencesOnScreen += c != Rgb(qRed(s), qGreen(s), qBlue(s));
        }
        const size_t rowEnd = 54 + static_cast<size_t>(y + 1) * BMP_ROW_SIZE;
        padding += file[rowEnd - 1] != 0 || file[rowEnd - 2] != 0;
    }
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(differencesOnScreen, 0);
    // Two rings of pixels inside the outline and a white line: two pixels in, then three.
    const auto ring = [](int width, int height) { return 2 * (width + height) - 4; };
    const int width = today.right - today.left - 4, height = today.bottom - today.top - 4;
    EXPECT_EQ(frameOnScreen, ring(width, height) + ring(width - 2, height - 2))
        << "a frame two pixels wide inside the day's outline";
    EXPECT_EQ(padding, 0);
    int redBalance = 0;  // the overspent day in row 3, column 3: its balance line
    for (int y = 291; y < 307; ++y)
        for (int x = 246; x < 360; ++x) redBalance += BmpPixel(file, x, y) == COLOUR_RED;
    EXPECT_GT(redBalance, 0);
    EXPECT_NE(BmpPixel(file, 170, 300), COLOUR_BLUE) << "the banner comes after the picture";

    // The first banner stays until a click, so the second picture holds it.
    Choose(Command::Picture);
    const std::string second = FileBytes("Mi Copia.bmp");
    ASSERT_EQ(second.size(), BMP_FILE_SIZE);
    EXPECT_EQ(BmpPixel(second, 170, 300), COLOUR_BLUE);
    EXPECT_EQ(BmpPixel(second, 163, 200), COLOUR_YELLOW) << "the banner's frame";
    EXPECT_EQ(FolderNames("."), std::vector<std::string>{"Mi Copia.bmp"});
    EXPECT_EQ(FolderNames(folder), std::vector<std::string>{"pictures"})
        << "nothing beside the program";
}

// ---------------------------------------------------------------------------------------------
// Failed saves of the ledger and of the picture

struct SaveFailure {
    const char* name;
    Command command;
    void (*arrange)(CommandTest&);
    const char* banner;
};
void PrintTo(const SaveFailure& c, std::ostream* out) {
    *out << c.name;
}

struct SaveFailureTest : CommandTest, testing::WithParamInterface<SaveFailure> {};

// Only the error is shown; the old ledger and picture stay whole and no temporary file is left.
TEST_P(SaveFailureTest, ShowsTheErrorAndLeavesEveryFileAsItWas) {
    ASSERT_EQ(mkdir((folder + "pictures").c_str(), 0755), 0);
    WorkingDirectory cwd(folder + "pictures");
    Open();
    PlacePeriod();
    Choose(Command::Save);
    Choose(Command::Picture);
    ClickCell({3, 4});  // removes the banner
    ClickCell({3, 4});
    Type("1");
    Press(Qt::Key_Return);
    GetParam().arrange(*this);
    const auto before = FolderContents(folder);
    ASSERT_EQ(before.count("ahorros.log") + before.count("pictures/Mi Copia.bmp"), 2u);

    Choose(GetParam().command);
    EXPECT_EQ(BannerText(), GetParam().banner);
    EXPECT_EQ(Pixel(170, 300), COLOUR_BLUE);
    const auto after = FolderContents(folder);
    EXPECT_TRUE(after == before);
    for (const auto& [name, bytes] : after) EXPECT_EQ(before.count(name), 1u) << name;
    EXPECT_TRUE(BannerGoesAtAClick());
}

void RemoveWorkingDirectory(CommandTest& t) {
    const std::string gone = t.folder + "pictures/gone";
    ASSERT_EQ(mkdir(gone.c_str(), 0755), 0);
    ASSERT_EQ(chdir(gone.c_str()), 0);
    ASSERT_EQ(rmdir(gone.c_str()), 0);
}
void TakePictureNameWithAFolder(CommandTest&) {
    ASSERT_EQ(unlink("Mi Copia.bmp"), 0);
    ASSERT_EQ(mkdir("Mi Copia.bmp", 0755), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFailureTest,
    testing::Values(SaveFailure{"LedgerDiskFull", Command::Save,
                                [](CommandTest& t) { t.files.InjectFault("write", ENOSPC); },
                                "Err:  61 Disk full"},
                    SaveFailure{
                        "LedgerRenameRefused", Command::Save,
                        [](CommandTest& t) { t.files.InjectFault("rename-backup", EACCES, true); },
                        "Err:  70 Permission denied"},
                    SaveFailure{"PictureInARemovedWorkingDirectory", Command::Picture,
                                RemoveWorkingDirectory, ERR_BAD_NAME},
                    SaveFailure{"PictureDiskFull", Command::Picture,
                                [](CommandTest& t) { t.files.InjectFault("write", ENOSPC); },
                                "Err:  61 Disk full"},
                    SaveFailure{"PictureNameTakenByAFolder", Command::Picture,
                                TakePictureNameWithAFolder, "Err:  75 Path/file access error"}),
    [](const testing::TestParamInfo<SaveFailure>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Ending the program and the keyboard focus

TEST_F(CommandTest, SalirAndTheCloseRequestEndTheLoopWithZeroAndEscapeDoesNot) {
    for (bool viaClose : {false, true}) {
        SCOPED_TRACE(viaClose ? "close request" : "Salir");
        Open();
        QTest::keyClick(SurfaceWidget(), Qt::Key_Escape);
        QTest::keyClick(MainWidget(), Qt::Key_Escape);
        EXPECT_FALSE(program->Window().Ended());
        if (viaClose)
            MainWidget()->close();
        else
            Choose(Command::Quit);
        EXPECT_TRUE(program->Window().Ended());
        EXPECT_EQ(program->Window().EndValue(), 0);
        Close();
    }
}

TEST_F(CommandTest, SalirEndsTheRunningLoop) {
    Open();
    QTimer choose;
    choose.setSingleShot(true);
    QObject::connect(&choose, &QTimer::timeout, [this] { Choose(Command::Quit); });
    choose.start(0);
    // Should "Salir" fail to end the loop, this ends it with another value instead of hanging.
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [this] { program->Window().End(99); });
    rescue.start(10000);
    EXPECT_EQ(program->Exec(), 0);
    EXPECT_FALSE(MainWidget()->isVisible());
}

// Whoever had the keyboard in the window has it again when the user comes back from another
// window.
TEST_F(CommandTest, FocusIsKeptOnDeactivationAndGivenBackOnActivation) {
    for (bool onSurface : {true, false}) {
        SCOPED_TRACE(onSurface ? "the surface had the keyboard" : "the window itself had it");
        Open();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainWidget()));
        ASSERT_EQ(QApplication::focusWidget(), SurfaceWidget());
        QWidget* had = onSurface ? SurfaceWidget() : MainWidget();
        had->setFocus();
        QLineEdit other;
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        MainWidget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(MainWidget()));
        EXPECT_EQ(QApplication::focusWidget(), had);
        Close();
    }
}

}  // namespace
