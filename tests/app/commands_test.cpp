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

#include "input/input.h"
#include "model/model.h"
#include "platform/testing.h"
#include "shell_fixture.h"
#include "storage/storage.h"
#include "view/view.h"

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

// The names in a folder, "." and ".." left out.
std::set<std::string> Listing(const std::string& path) {
    std::set<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* e = readdir(dir))
            if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, ".."))
                names.insert(e->d_name);
        closedir(dir);
    }
    return names;
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

struct CommandTest : ShellTest {
    using ShellTest::folder;
    using ShellTest::Press;
    using ShellTest::TypeText;
    using ShellTest::WriteFile;

    void TearDown() override {
        InjectFileFault(0, 0, false);
        ShellTest::TearDown();
    }

    void ClickCell(int column, int row) {
        Click(CELL_WIDTH * (column - 1) + 60, CELL_HEIGHT * row + 40);
    }
    // March 2024 from the 6th (row 2, column 3 of the month), 3100 over its 31 days, and 150 spent
    // on the day in row 3, column 3, so the picture has a red balance in it.
    void PlacePeriod() {
        RunCommand(IDM_MES_NUEVO);
        ClickCell(3, 2);
        TypeText("3100");
        Press(Qt::Key_Return);
        ClickCell(3, 3);
        TypeText("150");
        Press(Qt::Key_Return);
        ASSERT_EQ(double{DayAt(3, 3).balance}, -50.0);
    }
    std::vector<Colour> Picture() {
        std::vector<Colour> pixels;
        for (int y = 0; y < PICTURE_HEIGHT; ++y)
            for (int x = 0; x < PICTURE_WIDTH; ++x) pixels.push_back(SurfacePixel(x, y));
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

TEST_F(CommandTest, MenuBarHoldsTwoMenusWithTheirItemsInOrderWithoutMnemonicsOrShortcuts) {
    Open();
    QMenuBar* bar = MenuBarWidgetOf(shell.mainMenu);
    ASSERT_NE(bar, nullptr);
    const QList<QAction*> menus = bar->actions();
    ASSERT_EQ(menus.size(), 2);
    const std::vector<std::vector<std::string>> expected = {
        {"Operaciones", "Mes nuevo", "-", "Grabar", "-", "Bitmap", "-", "Autor", "Salir"},
        {"Ver", "Estad\xC3\xADsticas"}};
    for (int m = 0; m < 2; ++m) {
        ASSERT_NE(menus[m]->menu(), nullptr);
        std::vector<std::string> seen = {menus[m]->text().toStdString()};
        for (QAction* item : menus[m]->menu()->actions()) {
            seen.push_back(item->isSeparator() ? "-" : item->text().toStdString());
            EXPECT_TRUE(item->shortcut().isEmpty()) << seen.back();
        }
        EXPECT_EQ(seen, expected[m]);
        for (const std::string& text : seen) EXPECT_EQ(text.find('&'), std::string::npos) << text;
    }
    const std::pair<int, const char*> ids[] = {
        {IDM_MES_NUEVO, "Mes nuevo"}, {IDM_GRABAR, "Grabar"},
        {IDM_BITMAP, "Bitmap"},       {IDM_AUTOR, "Autor"},
        {IDM_SALIR, "Salir"},         {IDM_ESTADISTICAS, "Estad\xC3\xADsticas"}};
    for (auto [id, text] : ids) {
        ASSERT_NE(MenuActionOf(shell.mainMenu, id), nullptr) << id;
        EXPECT_EQ(MenuActionOf(shell.mainMenu, id)->text().toStdString(), text);
    }
}

// "Grabar" and "Bitmap" always share their state; "Autor" and "Salir" are always enabled.
void ExpectItemStates(const char* moment, int mesNuevo, int periodCommands, int estadisticas) {
    SCOPED_TRACE(moment);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_MES_NUEVO), mesNuevo);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_GRABAR), periodCommands);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_BITMAP), periodCommands);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_ESTADISTICAS), estadisticas);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_AUTOR), MENU_ENABLED);
    EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_SALIR), MENU_ENABLED);
}

TEST_F(CommandTest, ItemStatesFollowEveryMomentOfARun) {
    ASSERT_EQ(mkdir((folder + "pictures").c_str(), 0755), 0);
    WorkingDirectory cwd(folder + "pictures");
    constexpr int E = MENU_ENABLED, G = MENU_GREYED, C = MENU_CHECKED;
    CreateShellWindow();
    ExpectItemStates("bar built", E, E, E);
    OpenModeless(shell.mainWindow, MainWindowProc);
    ExpectItemStates("start without a ledger", E, G, G);
    RunCommand(IDM_MES_NUEVO);
    ExpectItemStates("Mes nuevo", E, G, G);
    ClickCell(3, 2);
    ExpectItemStates("start day picked", E, G, G);
    TypeText("3100");
    Press(Qt::Key_Return);
    ExpectItemStates("total accepted", G, E, E);
    RunCommand(IDM_ESTADISTICAS);
    ExpectItemStates("statistics on", G, E, C);
    for (int id : {IDM_GRABAR, IDM_BITMAP, IDM_AUTOR}) {
        RunCommand(id);
        ExpectItemStates("Grabar, Bitmap or Autor", G, E, C);
    }
    EXPECT_EQ(banner.lastText, "Programa realizado por www.monedario.example");
    EXPECT_EQ(banner.bannerDismissOnClick, 1);
    RunCommand(IDM_ESTADISTICAS);
    ExpectItemStates("statistics off", G, E, E);
    CloseShellForTesting();
    CreateShellWindow();
    ExpectItemStates("bar built again", E, E, E);
    OpenModeless(shell.mainWindow, MainWindowProc);
    ExpectItemStates("start with a ledger", G, E, E);
}

TEST_F(CommandTest, StatisticsTwiceReturnToThePlainCalendarPixelForPixel) {
    Open();
    PlacePeriod();
    const std::vector<Colour> plain = Picture();
    RunCommand(IDM_AUTOR);
    MenuActionOf(shell.mainMenu, IDM_ESTADISTICAS)->trigger();
    EXPECT_EQ(statistics.statisticsShown, 1);
    EXPECT_TRUE(MenuActionOf(shell.mainMenu, IDM_ESTADISTICAS)->isChecked());
    EXPECT_EQ(SurfacePixel(7, 10), COLOUR_RED) << "spent: 150 of 3100";
    EXPECT_EQ(SurfacePixel(8, 30), COLOUR_GREEN) << "left: 2950 of 3100";
    EXPECT_NE(SurfacePixel(170, 300), COLOUR_BLUE) << "the redraw takes the banner away";
    EXPECT_EQ(banner.bannerDismissOnClick, 1);

    MenuActionOf(shell.mainMenu, IDM_ESTADISTICAS)->trigger();
    EXPECT_EQ(statistics.statisticsShown, 0);
    EXPECT_FALSE(MenuActionOf(shell.mainMenu, IDM_ESTADISTICAS)->isChecked());
    EXPECT_TRUE(Picture() == plain);
}

// ---------------------------------------------------------------------------------------------
// Grabar

TEST_F(CommandTest, SavedPeriodIsShownAgainAtTheNextStart) {
    Open();
    PlacePeriod();
    MenuActionOf(shell.mainMenu, IDM_GRABAR)->trigger();
    EXPECT_EQ(banner.lastText, "Grabaci\xF3n realizada ...");
    EXPECT_EQ(banner.bannerDismissOnClick, 1);
    EXPECT_EQ(ReadFile(folder + "ahorros.log").size(), 31 * DAY_RECORD_SIZE);
    EXPECT_EQ(Listing(folder), std::set<std::string>{"ahorros.log"});

    const PeriodModel saved = period;
    CloseShellForTesting();
    Open();
    EXPECT_EQ(banner.lastText, TEXT_GREETING);
    EXPECT_EQ(shell.startDayChosen, 1);
    EXPECT_EQ(shell.welcomeShown, 0);
    EXPECT_EQ(period.startDay, 6);
    EXPECT_EQ(period.startMonth, 3);
    EXPECT_EQ(period.startYear, 2024);
    // The records come back exactly as they were saved, cell by cell.
    for (int i = 0; i < GRID_CELLS; ++i) {
        SCOPED_TRACE(i);
        const DayRecord& now = period.dayGrid[i];
        const DayRecord& then = saved.dayGrid[i];
        if (!then.inPeriod) continue;
        EXPECT_EQ(std::memcmp(&now, &then, sizeof now), 0);
    }
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
    MenuActionOf(shell.mainMenu, IDM_BITMAP)->trigger();
    EXPECT_EQ(banner.lastText, "Bitmap Captado ...");
    EXPECT_EQ(banner.bannerDismissOnClick, 1);

    const std::string file = ReadFile("Mi Copia.bmp");
    ASSERT_EQ(file.size(), BMP_FILE_SIZE);
    const std::string header = "BM" + LittleEndian(BMP_FILE_SIZE, 4) + LittleEndian(0, 4) +
                               LittleEndian(54, 4) + LittleEndian(40, 4) +
                               LittleEndian(PICTURE_WIDTH, 4) + LittleEndian(PICTURE_HEIGHT, 4) +
                               LittleEndian(1, 2) + LittleEndian(24, 2) + std::string(24, '\0');
    EXPECT_EQ(file.substr(0, 54), header);
    int differences = 0, differencesOnScreen = 0, padding = 0;
    for (int y = 0; y < PICTURE_HEIGHT; ++y) {
        for (int x = 0; x < PICTURE_WIDTH; ++x) {
            const Colour c = BmpPixel(file, x, y);
            differences += c != shown[y * PICTURE_WIDTH + x];
            const QRgb s = onScreen.pixel(x + 1, y + 1);  // inside the one-pixel border
            differencesOnScreen += c != Rgb(qRed(s), qGreen(s), qBlue(s));
        }
        const size_t rowEnd = 54 + static_cast<size_t>(y + 1) * BMP_ROW_SIZE;
        padding += file[rowEnd - 1] != 0 || file[rowEnd - 2] != 0;
    }
    EXPECT_EQ(differences, 0);
    EXPECT_EQ(differencesOnScreen, 0);
    EXPECT_EQ(padding, 0);
    int redBalance = 0;  // the overspent day in row 3, column 3: its balance line
    for (int y = 291; y < 307; ++y)
        for (int x = 246; x < 360; ++x) redBalance += BmpPixel(file, x, y) == COLOUR_RED;
    EXPECT_GT(redBalance, 0);
    EXPECT_NE(BmpPixel(file, 170, 300), COLOUR_BLUE) << "the banner comes after the picture";

    // The first banner stays until a click, so the second picture holds it.
    RunCommand(IDM_BITMAP);
    const std::string second = ReadFile("Mi Copia.bmp");
    ASSERT_EQ(second.size(), BMP_FILE_SIZE);
    EXPECT_EQ(BmpPixel(second, 170, 300), COLOUR_BLUE);
    EXPECT_EQ(BmpPixel(second, 163, 200), COLOUR_YELLOW) << "the banner's frame";
    EXPECT_EQ(Listing("."), std::set<std::string>{"Mi Copia.bmp"});
    EXPECT_EQ(Listing(folder), std::set<std::string>{"pictures"}) << "nothing beside the program";
}

// ---------------------------------------------------------------------------------------------
// Failed saves of the ledger and of the picture

struct SaveFailure {
    const char* name;
    int command;
    void (*arrange)(CommandTest&);
    const char* banner;
};
void PrintTo(const SaveFailure& c, std::ostream* out) {
    *out << c.name;
}

struct SaveFailureTest : CommandTest, testing::WithParamInterface<SaveFailure> {
    // Every file under the test folder with its bytes, folders marked as such.
    std::map<std::string, std::string> Tree(const std::string& path = "") {
        std::map<std::string, std::string> tree;
        for (const std::string& name : Listing(folder + path)) {
            struct stat info;
            const std::string inner = path + name;
            if (stat((folder + inner).c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
                tree[inner] = "<folder>";
                tree.merge(Tree(inner + "/"));
            } else {
                tree[inner] = ReadFile(folder + inner);
            }
        }
        return tree;
    }
};

// Only the error is shown; the old ledger and picture stay whole and no temporary file is left.
TEST_P(SaveFailureTest, ShowsTheErrorAndLeavesEveryFileAsItWas) {
    ASSERT_EQ(mkdir((folder + "pictures").c_str(), 0755), 0);
    WorkingDirectory cwd(folder + "pictures");
    Open();
    PlacePeriod();
    RunCommand(IDM_GRABAR);
    RunCommand(IDM_BITMAP);
    ClickCell(3, 4);  // removes the banner
    ClickCell(3, 4);
    TypeText("1");
    Press(Qt::Key_Return);
    GetParam().arrange(*this);
    const auto before = Tree();
    ASSERT_EQ(before.count("ahorros.log") + before.count("pictures/Mi Copia.bmp"), 2u);

    MenuActionOf(shell.mainMenu, GetParam().command)->trigger();
    EXPECT_EQ(banner.lastText, GetParam().banner);
    EXPECT_EQ(banner.bannerDismissOnClick, 1);
    EXPECT_EQ(SurfacePixel(170, 300), COLOUR_BLUE);
    const auto after = Tree();
    EXPECT_TRUE(after == before);
    for (const auto& [name, bytes] : after) EXPECT_EQ(before.count(name), 1u) << name;
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
    testing::Values(SaveFailure{"LedgerDiskFull", IDM_GRABAR,
                                [](CommandTest&) { InjectFileFault(4, ENOSPC, false); },
                                "Err:  61 Disk full"},
                    SaveFailure{"LedgerRenameRefused", IDM_GRABAR,
                                // From the backup's rename on (see ReplaceFileContents).
                                [](CommandTest&) { InjectFileFault(8, EACCES, true); },
                                "Err:  70 Permission denied"},
                    SaveFailure{"PictureInARemovedWorkingDirectory", IDM_BITMAP,
                                RemoveWorkingDirectory, ERR_BAD_NAME},
                    SaveFailure{"PictureDiskFull", IDM_BITMAP,
                                [](CommandTest&) { InjectFileFault(4, ENOSPC, false); },
                                "Err:  61 Disk full"},
                    SaveFailure{"PictureNameTakenByAFolder", IDM_BITMAP, TakePictureNameWithAFolder,
                                "Err:  75 Path/file access error"}),
    [](const testing::TestParamInfo<SaveFailure>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Ending the program and the keyboard focus

TEST_F(CommandTest, SalirAndTheCloseRequestEndTheLoopWithZeroAndEscapeDoesNot) {
    for (bool viaClose : {false, true}) {
        SCOPED_TRACE(viaClose ? "close request" : "Salir");
        Open();
        QTest::keyClick(SurfaceWidget(), Qt::Key_Escape);
        QTest::keyClick(WidgetOf(shell.mainWindow), Qt::Key_Escape);
        int value = -1;
        EXPECT_FALSE(ModalEnded(shell.mainWindow, &value));
        if (viaClose)
            WidgetOf(shell.mainWindow)->close();
        else
            MenuActionOf(shell.mainMenu, IDM_SALIR)->trigger();
        EXPECT_TRUE(ModalEnded(shell.mainWindow, &value));
        EXPECT_EQ(value, 0);
        CloseShellForTesting();
    }
}

TEST_F(CommandTest, SalirEndsTheRunningLoop) {
    QTimer choose;
    choose.setSingleShot(true);
    QObject::connect(&choose, &QTimer::timeout, [] { RunCommand(IDM_SALIR); });
    choose.start(0);
    // Should "Salir" fail to end the loop, this ends it with another value instead of hanging.
    QTimer rescue;
    rescue.setSingleShot(true);
    QObject::connect(&rescue, &QTimer::timeout, [] { EndModal(shell.mainWindow, 99); });
    rescue.start(10000);
    EXPECT_EQ(RunMainWindow(nullptr), 0);
}

TEST_F(CommandTest, FocusIsKeptOnDeactivationAndGivenBackOnActivation) {
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(shell.mainWindow)));
    Window* surface = SurfaceOf(shell.mainWindow);
    ASSERT_EQ(FocusedWindow(), surface);

    MainWindowProc(shell.mainWindow, MSG_NCACTIVATE, 0, 0);
    EXPECT_EQ(commands.savedFocus, surface);
    WidgetOf(shell.mainWindow)->setFocus();
    ASSERT_EQ(FocusedWindow(), shell.mainWindow);
    MainWindowProc(shell.mainWindow, MSG_NCACTIVATE, 1, 0);
    EXPECT_EQ(FocusedWindow(), surface);
    EXPECT_EQ(commands.savedFocus, nullptr);

    // With nothing saved, activation leaves the focus where it is.
    WidgetOf(shell.mainWindow)->setFocus();
    MainWindowProc(shell.mainWindow, MSG_NCACTIVATE, 1, 0);
    EXPECT_EQ(FocusedWindow(), shell.mainWindow);

    // Switching to another window and back goes through the same steps.
    SurfaceWidget()->setFocus();
    QLineEdit other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(commands.savedFocus, surface);
    WidgetOf(shell.mainWindow)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(WidgetOf(shell.mainWindow)));
    EXPECT_EQ(FocusedWindow(), surface);
    EXPECT_EQ(commands.savedFocus, nullptr);
}

}  // namespace
