// SPDX-License-Identifier: GPL-3.0-or-later
// The real program in a real X window, driven only as a person drives it (pointer clicks and key
// presses through xdotool) and seen through screenshots and the files it writes.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cell_geometry.h"
#include "child_process.h"
#include "test_files.h"
#include "x_session.h"
#include "xwd_image.h"

#ifndef MONEDARIO_EXECUTABLE
#error "MONEDARIO_EXECUTABLE must name the built program"
#endif

namespace e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// ---------------------------------------------------------------------------------------------
// What the program shows, in the coordinates of the surface's picture (inside its border).

constexpr int WINDOW_WIDTH = 846;
constexpr int WINDOW_HEIGHT = 577;
constexpr int PICTURE_WIDTH = 842;
constexpr int PICTURE_HEIGHT = 552;
constexpr int COLUMNS = 7;
constexpr int ROWS = 6;

using Box = TestBox;

inline Box CellBox(int column, int row) {
    return TestCellBox(column, row);
}
// Where a person clicks a day: the middle of its box.
inline int CellClickX(int column) {
    return CellMiddleX(column);
}
inline int CellClickY(int row) {
    return CellMiddleY(row);
}

inline Box NumberBox(const Box& cell) {
    return {cell.left + 4, cell.top + 4, cell.left + 40, cell.top + 22};
}
inline Box SpentBox(const Box& cell) {
    return {cell.left + 5, cell.top + 35, cell.right - 4, cell.top + 55};
}
inline Box BalanceBox(const Box& cell) {
    return {cell.left + 4, cell.top + 60, cell.right - 4, cell.top + 78};
}

constexpr Box BANNER{160, 162, 680, 362};
constexpr Box MONTH_TOTAL_FIELD{2, 2, 40, 27};
// A point above the grid: a click there only dismisses a banner that allows it.
constexpr int HEADER_CLICK_X = 700;
constexpr int HEADER_CLICK_Y = 30;

constexpr const char* MONTH_TOTAL = "3100";
constexpr double MONTH_TOTAL_VALUE = 3100;
constexpr const char* EXPENSE = "775,5";
constexpr double EXPENSE_VALUE = 775.5;
constexpr int START_DAY = 10;      // every month has it, so it is never lowered
constexpr int EXPENSE_OFFSET = 9;  // the expense goes to the tenth day of the period

constexpr size_t RECORD_SIZE = 77;
constexpr size_t BMP_SIZE = 1395510;
constexpr int BMP_ROW_BYTES = 2528;

// The Operaciones menu's items in order; separators are not items.
enum OperationsItem { MES_NUEVO, GRABAR, BITMAP, AUTOR, SALIR, OPERATIONS_ITEMS };
constexpr int OPERATIONS_MENU = 0;
constexpr int VIEW_MENU = 1;
enum ViewItem { ESTADISTICAS, HISTORIAL, VIEW_ITEMS };

// ---------------------------------------------------------------------------------------------
// The calendar, computed independently of the program.

struct Date {
    int year;
    int month;
    int day;
};

inline Date LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

inline int DaysIn(int year, int month) {
    const std::chrono::year_month_day_last last{
        std::chrono::year{year},
        std::chrono::month_day_last{std::chrono::month(static_cast<unsigned>(month))}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

// 1 = Monday .. 7 = Sunday.
inline int Weekday(int year, int month, int day) {
    const std::chrono::year_month_day date{std::chrono::year{year},
                                           std::chrono::month(static_cast<unsigned>(month)),
                                           std::chrono::day(static_cast<unsigned>(day))};
    return static_cast<int>(std::chrono::weekday{std::chrono::sys_days{date}}.iso_encoding());
}

struct Slot {
    int column;
    int row;
};
// Days follow each other in the grid from the first one's weekday column in row 1.
inline Slot SlotOf(int firstColumn, int index) {
    const int at = firstColumn - 1 + index;
    return {at % COLUMNS + 1, at / COLUMNS + 1};
}

// ---------------------------------------------------------------------------------------------
// Pixels

inline int Count(const RgbImage& image, int dx, int dy, const Box& box,
                 const std::function<bool(Rgb)>& wanted) {
    int n = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x) n += wanted(image.At(dx + x, dy + y)) ? 1 : 0;
    return n;
}
inline bool IsDark(Rgb c) {
    return c.Luminance() < 100 && !(c == RGB_RED);
}
inline bool IsRed(Rgb c) {
    return c == RGB_RED;
}
inline bool IsBlue(Rgb c) {
    return c == RGB_BLUE;
}

// The PPM form of a screenshot, kept beside a failed run's files.
inline void WritePpm(const RgbImage& image, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << image.width << " " << image.height << "\n255\n";
    for (const Rgb& p : image.pixels)
        out << static_cast<char>(p.r) << static_cast<char>(p.g) << static_cast<char>(p.b);
}

inline uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return v;
}
inline uint16_t Le16(const std::string& bytes, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 (static_cast<unsigned char>(bytes[at + 1]) << 8));
}
inline double LeDouble(const std::string& bytes, size_t at) {
    const uint64_t bits = Le32(bytes, at) | (static_cast<uint64_t>(Le32(bytes, at + 4)) << 32);
    return std::bit_cast<double>(bits);
}

// A ledger record as it lies in the file.
struct LedgerRecord {
    double spent;
    double balance;
    std::string spentText;  // the 11 bytes
    double allowance;
    int weekday;
    int dayOfMonth;
    int32_t cellLeft, cellTop, cellRight, cellBottom;
    int32_t column, row, inPeriod, periodStartDay, periodMonth, periodYear;
};

inline LedgerRecord DecodeRecord(const std::string& bytes, size_t at) {
    const auto i32 = [&](size_t offset) { return static_cast<int32_t>(Le32(bytes, at + offset)); };
    return LedgerRecord{LeDouble(bytes, at + 0),
                        LeDouble(bytes, at + 8),
                        bytes.substr(at + 16, 11),
                        LeDouble(bytes, at + 27),
                        static_cast<unsigned char>(bytes[at + 35]),
                        static_cast<unsigned char>(bytes[at + 36]),
                        i32(37),
                        i32(41),
                        i32(45),
                        i32(49),
                        i32(53),
                        i32(57),
                        i32(61),
                        i32(65),
                        i32(69),
                        i32(73)};
}

// One pixel of a bottom-up 24-bit BMP of the picture's size.
inline Rgb BmpPixel(const std::string& bmp, int x, int y) {
    const size_t at = 54 + static_cast<size_t>(PICTURE_HEIGHT - 1 - y) * BMP_ROW_BYTES + 3 * x;
    return Rgb{static_cast<uint8_t>(bmp[at + 2]), static_cast<uint8_t>(bmp[at + 1]),
               static_cast<uint8_t>(bmp[at])};
}

// ---------------------------------------------------------------------------------------------

// A drop-down menu's item as seen in its window: a band of rows with ink.
struct MenuItemBand {
    int top;
    int bottom;   // exclusive
    int darkest;  // lowest luminance in the band: black text, or grey for a greyed item
    bool Enabled() const { return darkest < 80; }
};

class ProgramWindowTest : public testing::Test {
protected:
    void SetUp() override {
        const std::string missing = XSession::MissingTools();
        if (!missing.empty()) GTEST_SKIP() << "Not installed:" << missing;

        root_ = MakeTemporaryFolder();
        ASSERT_FALSE(root_.empty());
        programFolder_ = root_ + "/program";
        workFolder_ = root_ + "/work";
        runtimeFolder_ = root_ + "/runtime";
        for (const std::string& dir : {programFolder_, workFolder_, runtimeFolder_})
            ASSERT_EQ(mkdir(dir.c_str(), 0700), 0) << dir;
        executable_ = programFolder_ + "/monedario";
        fs::copy_file(MONEDARIO_EXECUTABLE, executable_);
        fs::permissions(executable_, fs::perms::owner_all);
        ledgerPath_ = programFolder_ + "/ahorros.log";
        bitmapPath_ = workFolder_ + "/Mi Copia.bmp";

        std::string error;
        ASSERT_TRUE(x_.Start(root_ + "/x.log", &error)) << error;
    }

    void TearDown() override {
        program_.Kill();
        other_.Kill();
        manager_.Kill();
        x_.Stop();
        if (root_.empty()) return;
        if (HasFailure()) {
            if (shot_.width > 0) WritePpm(shot_, root_ + "/last-window.ppm");
            std::cout << "Files of the failed run kept in " << root_
                      << " (program.log, x.log, last-window.ppm)\n";
            std::cout << "Program output:\n" << FileBytes(root_ + "/program.log");
        } else {
            std::error_code ignored;
            fs::remove_all(root_, ignored);
        }
    }

    // ---- the program -------------------------------------------------------------------------

    // Starts the program from the work folder and waits for its window's first frame.
    void Launch() {
        std::string error;
        ASSERT_TRUE(program_.Start(ProgramOptions({}), &error)) << error;
        window_ = FindWindow("^Monedario Pro$");
        ASSERT_FALSE(window_.empty()) << "no window titled \"Monedario Pro\" appeared";
        // The menu bar's height sets where the surface starts: its top border is the first black
        // row in a column that no menu title reaches.
        ASSERT_TRUE(WaitForWindow(
            [this](const RgbImage& shot) {
                if (shot.width != WINDOW_WIDTH || shot.height != WINDOW_HEIGHT) return false;
                for (int y = 0; y < 80; ++y) {
                    if (shot.At(WINDOW_WIDTH / 2, y) == RGB_BLACK) {
                        pictureTop_ = y + 1;
                        return shot.At(1, y + 10) == RGB_BLACK && shot.At(2, y + 10) != RGB_BLACK;
                    }
                }
                return false;
            },
            "the window's first frame with the surface's border"));
        menuHeight_ = pictureTop_ - 2;
        ASSERT_GE(menuHeight_, 10) << "no menu bar above the surface";
        FindMenuTitles(shot_);
        ASSERT_GE(menuTitles_.size(), 2u) << "menu titles not found in the menu bar";
    }

    SpawnOptions ProgramOptions(const std::vector<std::string>& arguments) {
        SpawnOptions options;
        options.argv = {executable_};
        options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
        options.env = {x_.DisplayVariable(), "QT_QPA_PLATFORM=xcb",
                       "XDG_RUNTIME_DIR=" + runtimeFolder_};
        options.workingDirectory = workFolder_;
        options.logPath = root_ + "/program.log";
        return options;
    }
    // The first visible window whose title matches, other than `except`.
    std::string FindWindow(const std::string& title, const std::string& except = "") {
        const auto deadline = Clock::now() + 30s;
        while (Clock::now() < deadline) {
            const CommandResult found =
                x_.Xdotool({"search", "--onlyvisible", "--name", title}, 10s);
            std::istringstream ids(found.output);
            for (std::string id; ids >> id;)
                if (id != except) return id;
            std::this_thread::sleep_for(50ms);
        }
        return {};
    }

    void WaitForExit() {
        const std::optional<int> status = program_.WaitFor(10s);
        ASSERT_TRUE(status.has_value()) << "the program did not end after Salir";
        const bool exitedWithZero = WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
        EXPECT_TRUE(exitedWithZero) << "the program " << DescribeStatus(*status);
        program_.Kill();
    }

    // ---- screenshots -------------------------------------------------------------------------

    bool Capture(RgbImage* image) {
        std::string error;
        if (!x_.Capture(window_, image, &error)) {
            lastCaptureError_ = error;
            return false;
        }
        return true;
    }

    // Polls the window until `done` holds for a screenshot (left in shot_) or the time is up.
    bool WaitForWindow(const std::function<bool(const RgbImage&)>& done, const std::string& what,
                       std::chrono::milliseconds timeout = 15s) {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            if (Capture(&shot_) && done(shot_)) return true;
            if (Clock::now() >= deadline) {
                ADD_FAILURE() << "Timed out waiting for " << what
                              << (lastCaptureError_.empty() ? "" : "; last capture: ")
                              << lastCaptureError_;
                return false;
            }
            std::this_thread::sleep_for(40ms);
        }
    }

    Rgb Page(const RgbImage& shot, int x, int y) const { return shot.At(2 + x, pictureTop_ + y); }
    int CountOnPage(const RgbImage& shot, const Box& box, bool (*wanted)(Rgb)) const {
        return Count(shot, 2, pictureTop_, box, wanted);
    }
    bool BannerShown(const RgbImage& shot) const {
        return CountOnPage(shot, BANNER, IsBlue) > 40000;
    }
    bool NoBanner(const RgbImage& shot) const { return CountOnPage(shot, BANNER, IsBlue) == 0; }

    // The picture part of a screenshot against the saved bitmap; rows from `fromRow` down.
    int DifferencesFromBitmap(const RgbImage& shot, const std::string& bmp, int fromRow) const {
        int differing = 0;
        for (int y = fromRow; y < PICTURE_HEIGHT; ++y)
            for (int x = 0; x < PICTURE_WIDTH; ++x)
                differing += Page(shot, x, y) == BmpPixel(bmp, x, y) ? 0 : 1;
        return differing;
    }

    // ---- pointer and keys --------------------------------------------------------------------

    void ClickWindow(const std::string& window, int x, int y) {
        ASSERT_TRUE(x_.Xdotool({"mousemove", "--window", window, std::to_string(x),
                                std::to_string(y), "click", "1"})
                        .Succeeded());
    }
    void ClickPage(int x, int y) { ClickWindow(window_, 2 + x, pictureTop_ + y); }
    void Type(const std::string& text) {
        ASSERT_TRUE(x_.Xdotool({"type", "--delay", "60", text}).Succeeded());
    }
    // Typed fast: each key goes down before the one before it comes up.
    void TypeOverlapping(const std::string& text) {
        std::vector<std::string> args;
        std::string down;
        for (char c : text) {
            const std::string key = c == ',' ? "comma" : std::string(1, c);
            if (key == down) {  // the same key cannot go down twice: it comes up first
                args.insert(args.end(), {"keyup", down, "sleep", "0.04"});
                down.clear();
            }
            args.insert(args.end(), {"keydown", key, "sleep", "0.04"});
            if (!down.empty()) args.insert(args.end(), {"keyup", down, "sleep", "0.04"});
            down = key;
        }
        args.insert(args.end(), {"keyup", down});
        ASSERT_TRUE(x_.Xdotool(args).Succeeded());
    }
    void Key(const std::string& key) {
        ASSERT_TRUE(x_.Xdotool({"key", "--delay", "60", key}).Succeeded());
    }

    // ---- menus -------------------------------------------------------------------------------

    // Each title is a run of columns with dark text in the menu bar.
    void FindMenuTitles(const RgbImage& shot) {
        menuTitles_.clear();
        int runStart = -1;
        int lastInk = -100;
        for (int x = 0; x < WINDOW_WIDTH / 2; ++x) {
            bool ink = false;
            for (int y = 1; y < menuHeight_ - 1; ++y) ink |= shot.At(x, y).Luminance() < 100;
            if (!ink) continue;
            if (x - lastInk > 8) {
                if (runStart >= 0) menuTitles_.push_back((runStart + lastInk) / 2);
                runStart = x;
            }
            lastInk = x;
        }
        if (runStart >= 0) menuTitles_.push_back((runStart + lastInk) / 2);
    }

    // The visible windows of the program other than the main window: its open drop-down menu.
    std::string OpenPopup() {
        const pid_t owner = popupOwner_ != 0 ? popupOwner_ : program_.Pid();
        const CommandResult listed =
            x_.Xdotool({"search", "--onlyvisible", "--pid", std::to_string(owner)}, 5s);
        std::istringstream ids(listed.output);
        std::string id;
        while (ids >> id)
            if (id != window_) return id;
        return {};
    }

    // Items are bands of rows with ink; a separator is a band too thin for text.
    static std::vector<MenuItemBand> ItemBands(const RgbImage& popup) {
        std::map<uint32_t, int> colours;
        for (const Rgb& p : popup.pixels) ++colours[(p.r << 16) | (p.g << 8) | p.b];
        uint32_t background = 0;
        int most = 0;
        for (const auto& [colour, n] : colours)
            if (n > most) most = n, background = colour;
        const int backgroundLuminance =
            Rgb{uint8_t(background >> 16), uint8_t(background >> 8), uint8_t(background)}
                .Luminance();

        std::vector<MenuItemBand> bands;
        int top = -1;
        int darkest = 255;
        for (int y = 2; y <= popup.height - 2; ++y) {
            int rowDarkest = 255;
            bool ink = false;
            for (int x = 4; y < popup.height - 2 && x < popup.width - 4; ++x) {
                const int l = popup.At(x, y).Luminance();
                if (backgroundLuminance - l > 40) ink = true, rowDarkest = std::min(rowDarkest, l);
            }
            if (ink) {
                if (top < 0) top = y, darkest = 255;
                darkest = std::min(darkest, rowDarkest);
            } else if (top >= 0) {
                if (y - top >= 5) bands.push_back({top, y, darkest});
                top = -1;
            }
        }
        return bands;
    }

    // Opens a drop-down menu by clicking its title, as a person would, once more if nothing
    // opened; the menu is left open.
    bool OpenMenu(int title, size_t itemCount, std::string* popup,
                  std::vector<MenuItemBand>* items) {
        for (int attempt = 0; attempt < 3; ++attempt) {
            ClickWindow(window_, menuTitles_[title], menuHeight_ / 2);
            const auto deadline = Clock::now() + 4s;
            while (Clock::now() < deadline) {
                *popup = OpenPopup();
                RgbImage image;
                std::string error;
                if (!popup->empty() && x_.Capture(*popup, &image, &error)) {
                    *items = ItemBands(image);
                    if (items->size() == itemCount) return true;
                }
                std::this_thread::sleep_for(50ms);
            }
            Key("Escape");  // whatever did open is closed before the title is clicked again
        }
        ADD_FAILURE() << "menu " << title << " with " << itemCount << " items did not open";
        return false;
    }

    bool WaitForMenuClosed() {
        const auto deadline = Clock::now() + 5s;
        while (!OpenPopup().empty()) {
            if (Clock::now() >= deadline) return false;
            std::this_thread::sleep_for(40ms);
        }
        return true;
    }

    // Which items of a menu are enabled, read from their text's colour.
    std::vector<bool> ItemStates(int title, size_t itemCount) {
        std::string popup;
        std::vector<MenuItemBand> items;
        std::vector<bool> states;
        if (!OpenMenu(title, itemCount, &popup, &items)) return states;
        for (const MenuItemBand& item : items) states.push_back(item.Enabled());
        Key("Escape");
        EXPECT_TRUE(WaitForMenuClosed());
        return states;
    }

    // Opens the menu and clicks the item; the item must be enabled.
    void Choose(int title, size_t itemCount, int item) {
        std::string popup;
        std::vector<MenuItemBand> items;
        ASSERT_TRUE(OpenMenu(title, itemCount, &popup, &items));
        ASSERT_TRUE(items[item].Enabled())
            << "item " << item << " of menu " << title << " is greyed";
        ClickWindow(popup, 30, (items[item].top + items[item].bottom) / 2);
        // Only this menu must go: the item may open a question of its own.
        const auto deadline = Clock::now() + 5s;
        while (PopupShown(popup)) {
            ASSERT_LT(Clock::now(), deadline) << "the menu stayed open after a click on " << item;
            std::this_thread::sleep_for(40ms);
        }
    }
    bool PopupShown(const std::string& popup) {
        const pid_t owner = popupOwner_ != 0 ? popupOwner_ : program_.Pid();
        const CommandResult listed =
            x_.Xdotool({"search", "--onlyvisible", "--pid", std::to_string(owner)}, 5s);
        std::istringstream ids(listed.output);
        for (std::string id; ids >> id;)
            if (id == popup) return true;
        return false;
    }

    // ---- checks ------------------------------------------------------------------------------

    // The banner at (160, 162): blue with a 3-pixel yellow frame along its inner edge and a black
    // shadow 4 pixels down and right.
    void ExpectBannerFrame(const RgbImage& shot) {
        EXPECT_EQ(Page(shot, 160, 162), RGB_BLUE);
        EXPECT_EQ(Page(shot, 161, 300), RGB_BLUE);
        EXPECT_EQ(Page(shot, 170, 170), RGB_BLUE);
        for (int x : {162, 163, 164, 674, 675, 676}) EXPECT_EQ(Page(shot, x, 262), RGB_YELLOW) << x;
        for (int y : {164, 165, 166, 356, 357, 358}) EXPECT_EQ(Page(shot, 420, y), RGB_YELLOW) << y;
        EXPECT_EQ(Page(shot, 165, 262), RGB_BLUE);
        EXPECT_EQ(Page(shot, 673, 262), RGB_BLUE);
        EXPECT_EQ(Page(shot, 420, 167), RGB_BLUE);
        EXPECT_EQ(Page(shot, 420, 359), RGB_BLUE);
        EXPECT_EQ(Page(shot, 679, 361), RGB_BLUE);
        EXPECT_EQ(Page(shot, 682, 300), RGB_BLACK);
        EXPECT_EQ(Page(shot, 683, 365), RGB_BLACK);
        EXPECT_EQ(Page(shot, 300, 364), RGB_BLACK);
        EXPECT_EQ(Page(shot, 684, 300), RGB_WHITE);
        EXPECT_EQ(Page(shot, 683, 366), RGB_WHITE);
        EXPECT_EQ(Page(shot, 162, 364), RGB_WHITE);
        EXPECT_EQ(Page(shot, 681, 164), RGB_WHITE);
    }

    // A cell's one-pixel outline, and the white gap to its right-hand neighbour.
    void ExpectCellOutline(const RgbImage& shot, int column, int row) {
        const Box c = CellBox(column, row);
        const int midX = (c.left + c.right) / 2;
        const int midY = (c.top + c.bottom) / 2;
        SCOPED_TRACE("cell " + std::to_string(column) + "," + std::to_string(row));
        EXPECT_EQ(Page(shot, c.left, midY), RGB_BLACK);
        EXPECT_EQ(Page(shot, c.right - 1, midY), RGB_BLACK);
        EXPECT_EQ(Page(shot, midX, c.top), RGB_BLACK);
        EXPECT_EQ(Page(shot, midX, c.bottom - 1), RGB_BLACK);
        EXPECT_EQ(Page(shot, c.left + 1, c.top + 1), RGB_WHITE);
        if (column < COLUMNS) {
            EXPECT_EQ(Page(shot, c.right, midY), RGB_WHITE);
        }
    }

    // Every cell outlined; day numbers exactly in the cells of `days` (slot -> drawn), Sundays'
    // in red only and the others' in black only.
    void ExpectCalendar(const RgbImage& shot, const std::vector<Slot>& days) {
        bool holdsDay[COLUMNS + 1][ROWS + 1] = {};
        for (const Slot& s : days) holdsDay[s.column][s.row] = true;
        for (int row = 1; row <= ROWS; ++row) {
            for (int column = 1; column <= COLUMNS; ++column) {
                ExpectCellOutline(shot, column, row);
                const Box number = NumberBox(CellBox(column, row));
                const int red = CountOnPage(shot, number, IsRed);
                const int dark = CountOnPage(shot, number, IsDark);
                SCOPED_TRACE("day number of cell " + std::to_string(column) + "," +
                             std::to_string(row));
                if (!holdsDay[column][row]) {
                    EXPECT_EQ(red + dark, 0);
                } else if (column == COLUMNS) {
                    EXPECT_GT(red, 10);
                    EXPECT_EQ(dark, 0);
                } else {
                    EXPECT_GT(dark, 10);
                    EXPECT_EQ(red, 0);
                }
            }
        }
    }

    // ---- other windows -------------------------------------------------------------------------

    std::string XCommand(std::vector<std::string> argv) {
        argv[0] = FindInPath(argv[0]);
        return RunCommand(argv, {x_.DisplayVariable()}, root_ + "/x.log", 10s).output;
    }
    // openbox, once it owns the screen (it announces itself on the root window).
    void StartWindowManager() {
        for (const char* tool : {"openbox", "xprop", "xwininfo", "xlogo"})
            if (FindInPath(tool).empty()) GTEST_SKIP() << "Not installed: " << tool;
        std::string error;
        ASSERT_TRUE(manager_.Start(
            {{FindInPath("openbox")}, {x_.DisplayVariable()}, "", root_ + "/x.log"}, &error))
            << error;
        const auto deadline = Clock::now() + 10s;
        while (XCommand({"xprop", "-root", "_NET_SUPPORTING_WM_CHECK"}).find("window id") ==
               std::string::npos) {
            ASSERT_LT(Clock::now(), deadline) << "the window manager did not start";
            std::this_thread::sleep_for(50ms);
        }
    }
    // Another program's window, which takes the keyboard when activated.
    std::string StartOtherWindow() {
        std::string error;
        EXPECT_TRUE(other_.Start(
            {{FindInPath("xlogo")}, {x_.DisplayVariable()}, "", root_ + "/x.log"}, &error))
            << error;
        const CommandResult found =
            x_.Xdotool({"search", "--sync", "--onlyvisible", "--class", "xlogo"}, 10s);
        std::istringstream ids(found.output);
        std::string id;
        ids >> id;
        return id;
    }
    void Activate(const std::string& window) {
        ASSERT_TRUE(x_.Xdotool({"windowactivate", "--sync", window}).Succeeded());
        std::this_thread::sleep_for(100ms);
    }
    void KeyDown(const std::string& key) { ASSERT_TRUE(x_.Xdotool({"keydown", key}).Succeeded()); }
    void KeyUp(const std::string& key) { ASSERT_TRUE(x_.Xdotool({"keyup", key}).Succeeded()); }

    XSession x_;
    ChildProcess manager_;
    ChildProcess other_;
    ChildProcess program_;
    std::string root_, programFolder_, workFolder_, runtimeFolder_;
    std::string executable_, ledgerPath_, bitmapPath_;
    std::string window_;
    pid_t popupOwner_ = 0;  // whose menus are looked for, when not the program's
    int menuHeight_ = 0;
    int pictureTop_ = 0;
    std::vector<int> menuTitles_;  // window x of each title's middle
    RgbImage shot_;
    std::string lastCaptureError_;
};

}  // namespace e2e
