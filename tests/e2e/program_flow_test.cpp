// SPDX-License-Identifier: GPL-3.0-or-later
// The real program in a real X window, driven only by pointer clicks and key presses: a first
// period from the welcome screen to "Salir", then the next start with the saved ledger; the window
// under a window manager; and everyday habits with other windows, menus and banners.
#include "program_window.h"

namespace {

using namespace e2e;

TEST_F(ProgramWindowTest, FirstPeriodIsSavedPicturedAndShownAgainAtTheNextStart) {
    const Date today = LocalToday();
    const int monthDays = DaysIn(today.year, today.month);
    const int firstColumn = Weekday(today.year, today.month, 1);
    const int startColumn = Weekday(today.year, today.month, START_DAY);
    const Slot expenseSlot = SlotOf(startColumn, EXPENSE_OFFSET);
    const Box expenseCell = CellBox(expenseSlot.column, expenseSlot.row);

    // ---- first start, without a ledger: the welcome screen ----------------------------------
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(
        WaitForWindow([this](const RgbImage& s) { return BannerShown(s); }, "the welcome banner"));
    {
        SCOPED_TRACE("welcome screen");
        ExpectBannerFrame(shot_);
        EXPECT_EQ(Page(shot_, 60, 100), RGB_WHITE) << "no calendar behind the welcome banner";
        EXPECT_EQ(Page(shot_, 1, 100), RGB_WHITE);
    }
    const Date started = LocalToday();
    if (started.month != today.month || started.year != today.year)
        GTEST_SKIP() << "The month changed while the program started; the layout is unknown.";
    EXPECT_EQ(ItemStates(OPERATIONS_MENU, OPERATIONS_ITEMS),
              (std::vector<bool>{true, false, false, true, true}))
        << "without a period only Mes nuevo, Autor and Salir are offered";

    // ---- Mes nuevo: the current month's calendar ---------------------------------------------
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, MES_NUEVO));
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) { return NoBanner(s) && Page(s, 1, 100) == RGB_BLACK; },
        "the calendar after Mes nuevo"));
    {
        SCOPED_TRACE("calendar of the current month");
        std::vector<Slot> days;
        for (int day = 1; day <= monthDays; ++day) days.push_back(SlotOf(firstColumn, day - 1));
        ExpectCalendar(shot_, days);
    }

    // ---- the start day and the monthly total ---------------------------------------------------
    const Slot startInMonth = SlotOf(firstColumn, START_DAY - 1);
    ClickPage(CellClickX(startInMonth.column), CellClickY(startInMonth.row));
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) {
            return BannerShown(s) && CountOnPage(s, MONTH_TOTAL_FIELD, IsDark) > 0;
        },
        "the start-day banner and the field for the total"));
    {
        SCOPED_TRACE("start-day banner");
        ExpectBannerFrame(shot_);
    }
    TypeOverlapping(MONTH_TOTAL);
    Key("Return");
    std::vector<Slot> periodDays;
    for (int i = 0; i < monthDays; ++i) periodDays.push_back(SlotOf(startColumn, i));
    ASSERT_TRUE(WaitForWindow(
        [&](const RgbImage& s) {
            return NoBanner(s) && CountOnPage(s, MONTH_TOTAL_FIELD, IsDark) == 0 &&
                   CountOnPage(s, BalanceBox(CellBox(startColumn, 1)), IsDark) > 10;
        },
        "the period's calendar after the total"));
    {
        SCOPED_TRACE("the period's calendar");
        ExpectCalendar(shot_, periodDays);
        for (const Slot& s : periodDays) {
            const Box cell = CellBox(s.column, s.row);
            EXPECT_GT(CountOnPage(shot_, BalanceBox(cell), IsDark), 10)
                << "no balance in cell " << s.column << "," << s.row;
            EXPECT_EQ(CountOnPage(shot_, BalanceBox(cell), IsRed), 0);
            EXPECT_EQ(CountOnPage(shot_, SpentBox(cell), IsDark), 0);
        }
    }

    // ---- an expense larger than the day's allowance, its day clicked on its number -------------
    ClickPage(expenseCell.left + 12, expenseCell.top + 6);
    ASSERT_TRUE(WaitForWindow(
        [&](const RgbImage& s) { return CountOnPage(s, SpentBox(expenseCell), IsDark) > 0; },
        "the expense field in the clicked day"));
    Type(EXPENSE);
    Key("Return");
    ASSERT_TRUE(WaitForWindow(
        [&](const RgbImage& s) { return CountOnPage(s, BalanceBox(expenseCell), IsRed) > 10; },
        "the day's balance in red after the expense"));
    EXPECT_EQ(CountOnPage(shot_, BalanceBox(expenseCell), IsDark), 0);
    EXPECT_GT(CountOnPage(shot_, SpentBox(expenseCell), IsDark), 10) << "the spent amount";

    // ---- Estadísticas: the two gauges
    // ------------------------------------------------------------
    EXPECT_EQ(ItemStates(OPERATIONS_MENU, OPERATIONS_ITEMS),
              (std::vector<bool>{false, true, true, true, true}))
        << "with a period Mes nuevo is greyed and the period's commands are offered";
    ASSERT_NO_FATAL_FAILURE(Choose(VIEW_MENU, VIEW_ITEMS, ESTADISTICAS));
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) {
            return Page(s, 10, 10) == RGB_RED && Page(s, 10, 30) == RGB_GREEN;
        },
        "the statistics gauges"));
    {
        SCOPED_TRACE("gauges: 25 % spent, 75 % left");
        for (const auto& [x, y] :
             {std::pair{5, 2}, {104, 2}, {5, 17}, {104, 17}, {5, 23}, {104, 38}})
            EXPECT_EQ(Page(shot_, x, y), RGB_BLACK) << x << "," << y;
        EXPECT_EQ(Page(shot_, 6, 3), RGB_RED);
        EXPECT_EQ(Page(shot_, 28, 16), RGB_RED);
        EXPECT_EQ(Page(shot_, 29, 16), RGB_WHITE);
        EXPECT_EQ(Page(shot_, 6, 24), RGB_GREEN);
        EXPECT_EQ(Page(shot_, 78, 37), RGB_GREEN);
        EXPECT_EQ(Page(shot_, 79, 37), RGB_WHITE);
    }

    // ---- Grabar, then the banner goes at the next click ----------------------------------------
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, GRABAR));
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) { return BannerShown(s) && fs::exists(ledgerPath_); },
        "the ledger and the banner confirming it"));
    ClickPage(HEADER_CLICK_X, HEADER_CLICK_Y);
    ASSERT_TRUE(WaitForWindow([this](const RgbImage& s) { return NoBanner(s); },
                              "the saving banner to go at a click"));
    const RgbImage beforeBitmap = shot_;

    // ---- Bitmap: the picture as shown
    // ------------------------------------------------------------
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, BITMAP));
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) { return BannerShown(s) && fs::exists(bitmapPath_); },
        "the bitmap file and its banner"));
    EXPECT_FALSE(fs::exists(programFolder_ + "/Mi Copia.bmp"))
        << "the picture goes to the work folder";
    EXPECT_FALSE(fs::exists(workFolder_ + "/ahorros.log")) << "the ledger goes beside the program";

    // ---- Salir
    // ---------------------------------------------------------------------------------------
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, SALIR));
    ASSERT_NO_FATAL_FAILURE(WaitForExit());

    // ---- the ledger's records
    // ------------------------------------------------------------------------
    const std::string ledger = FileBytes(ledgerPath_);
    ASSERT_EQ(ledger.size(), RECORD_SIZE * monthDays);
    const double allowance = MONTH_TOTAL_VALUE / monthDays;
    for (int i = 0; i < monthDays; ++i) {
        const LedgerRecord r = DecodeRecord(ledger, RECORD_SIZE * i);
        const Slot s = SlotOf(startColumn, i);
        const Box cell = CellBox(s.column, s.row);
        const int dayOfMonth = (START_DAY - 1 + i) % monthDays + 1;
        const bool expenseDay = i == EXPENSE_OFFSET;
        SCOPED_TRACE("record " + std::to_string(i) + ", day " + std::to_string(dayOfMonth));
        EXPECT_DOUBLE_EQ(r.allowance, allowance);
        EXPECT_DOUBLE_EQ(r.spent, expenseDay ? EXPENSE_VALUE : 0.0);
        EXPECT_DOUBLE_EQ(r.balance, allowance - (expenseDay ? EXPENSE_VALUE : 0.0));
        if (expenseDay) {
            EXPECT_EQ(r.spentText.substr(0, 6), "775'50");
            EXPECT_EQ(r.spentText.find_first_not_of(' ', 6), 10u);
            EXPECT_EQ(r.spentText[10], '\0');
        } else {
            EXPECT_EQ(r.spentText, std::string(11, '\0'));
        }
        EXPECT_EQ(r.dayOfMonth, dayOfMonth);
        EXPECT_EQ(r.weekday, s.column);
        EXPECT_EQ(r.column, s.column);
        EXPECT_EQ(r.row, s.row);
        EXPECT_EQ(r.cellLeft, cell.left);
        EXPECT_EQ(r.cellTop, cell.top);
        EXPECT_EQ(r.cellRight, cell.right);
        EXPECT_EQ(r.cellBottom, cell.bottom);
        EXPECT_EQ(r.inPeriod, 1);
        EXPECT_EQ(r.periodStartDay, START_DAY);
        EXPECT_EQ(r.periodMonth, today.month);
        EXPECT_EQ(r.periodYear, today.year);
    }

    // ---- the bitmap: header, and exactly the picture that was shown
    // ------------------------------
    const std::string bmp = FileBytes(bitmapPath_);
    ASSERT_EQ(bmp.size(), BMP_SIZE);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bmp, 2), BMP_SIZE);
    EXPECT_EQ(Le32(bmp, 10), 54u);
    EXPECT_EQ(Le32(bmp, 14), 40u);
    EXPECT_EQ(Le32(bmp, 18), static_cast<uint32_t>(PICTURE_WIDTH));
    EXPECT_EQ(Le32(bmp, 22), static_cast<uint32_t>(PICTURE_HEIGHT));
    EXPECT_EQ(Le16(bmp, 26), 1);
    EXPECT_EQ(Le16(bmp, 28), 24);
    EXPECT_EQ(Le32(bmp, 30), 0u);
    EXPECT_EQ(BmpPixel(bmp, 10, 10), RGB_RED);
    EXPECT_EQ(BmpPixel(bmp, 10, 30), RGB_GREEN);
    EXPECT_EQ(BmpPixel(bmp, 1, 100), RGB_BLACK);
    EXPECT_EQ(BmpPixel(bmp, 120, 100), RGB_BLACK);
    EXPECT_EQ(DifferencesFromBitmap(beforeBitmap, bmp, 0), 0)
        << "pixels of Mi Copia.bmp that differ from the picture shown when it was taken";

    // ---- the next start: the stored period, with the greeting
    // --------------------------------------
    ASSERT_NO_FATAL_FAILURE(Launch());
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) { return BannerShown(s) && Page(s, 1, 100) == RGB_BLACK; },
        "the stored period with the greeting banner"));
    {
        SCOPED_TRACE("greeting over the stored period");
        ExpectBannerFrame(shot_);
        for (int column = 1; column <= COLUMNS; ++column) {
            ExpectCellOutline(shot_, column, 1);
            ExpectCellOutline(shot_, column, ROWS);
        }
    }
    ClickPage(HEADER_CLICK_X, HEADER_CLICK_Y);
    ASSERT_TRUE(WaitForWindow([this](const RgbImage& s) { return NoBanner(s); },
                              "the greeting to go at a click"));
    const RgbImage restored = shot_;
    // The gauges were on in the bitmap; below them everything is the same period.
    EXPECT_EQ(DifferencesFromBitmap(restored, bmp, 45), 0)
        << "pixels of the restored calendar that differ from the saved picture";

    // "Mes nuevo" is greyed and clicking it changes nothing.
    {
        std::string popup;
        std::vector<MenuItemBand> items;
        ASSERT_TRUE(OpenMenu(OPERATIONS_MENU, OPERATIONS_ITEMS, &popup, &items));
        EXPECT_FALSE(items[MES_NUEVO].Enabled()) << "Mes nuevo with a stored period";
        EXPECT_TRUE(items[GRABAR].Enabled());
        ClickWindow(popup, 30, (items[MES_NUEVO].top + items[MES_NUEVO].bottom) / 2);
        Key("Escape");
        ASSERT_TRUE(WaitForMenuClosed());
    }
    // Events are handled in order: once the gauges show, the click before them was handled too.
    ASSERT_NO_FATAL_FAILURE(Choose(VIEW_MENU, VIEW_ITEMS, ESTADISTICAS));
    ASSERT_TRUE(WaitForWindow(
        [this](const RgbImage& s) {
            return Page(s, 10, 10) == RGB_RED && Page(s, 10, 30) == RGB_GREEN;
        },
        "the statistics gauges of the stored period"));
    EXPECT_EQ(DifferencesFromBitmap(shot_, bmp, 0), 0)
        << "the stored period with its gauges differs from the picture saved in the first run";

    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, SALIR));
    ASSERT_NO_FATAL_FAILURE(WaitForExit());
    EXPECT_EQ(FileBytes(ledgerPath_), ledger) << "nothing is saved at exit";
}

// Under a window manager the frame, title bar included, is centred on the screen; the window
// asks for a title without minimise, maximise or close functions, and the manager's close
// request still ends the program with 0.
TEST_F(ProgramWindowTest, UnderAWindowManagerTheFrameIsCentredAndClosingEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(StartWindowManager());
    if (IsSkipped()) return;
    ASSERT_NO_FATAL_FAILURE(Launch());

    int extents[4] = {};  // left, right, top, bottom
    int clientX = 0, clientY = 0;
    for (const auto until = Clock::now() + 10s; Clock::now() < until;) {
        std::this_thread::sleep_for(100ms);
        const std::string frame = XCommand({"xprop", "-id", window_, "_NET_FRAME_EXTENTS"});
        const std::string info = XCommand({"xwininfo", "-id", window_});
        const size_t equals = frame.find('=');
        if (equals == std::string::npos) continue;
        std::sscanf(frame.c_str() + equals + 1, "%d, %d, %d, %d", &extents[0], &extents[1],
                    &extents[2], &extents[3]);
        std::sscanf(info.c_str() + info.find("Absolute upper-left X:"), "Absolute upper-left X: %d",
                    &clientX);
        std::sscanf(info.c_str() + info.find("Absolute upper-left Y:"), "Absolute upper-left Y: %d",
                    &clientY);
        const int outerWidth = WINDOW_WIDTH + extents[0] + extents[1];
        const int outerHeight = WINDOW_HEIGHT + extents[2] + extents[3];
        if (extents[2] > 0 && clientX - extents[0] == (1280 - outerWidth) / 2 &&
            clientY - extents[2] == (1024 - outerHeight) / 2)
            break;
    }
    EXPECT_GT(extents[2], 0) << "no title bar";
    EXPECT_EQ(clientX - extents[0], (1280 - WINDOW_WIDTH - extents[0] - extents[1]) / 2);
    EXPECT_EQ(clientY - extents[2], (1024 - WINDOW_HEIGHT - extents[2] - extents[3]) / 2);

    // Motif hints: functions (flag 1) move and resize only, no decorations requested beyond that.
    const std::string hints = XCommand({"xprop", "-id", window_, "_MOTIF_WM_HINTS"});
    EXPECT_NE(hints.find("= 0x1, 0x6, 0x0"), std::string::npos) << hints;

    // The manager's own key for closing the active window (a fresh server may miss the first).
    ASSERT_TRUE(x_.Xdotool({"windowactivate", "--sync", window_}).Succeeded());
    for (int attempt = 0; attempt < 5 && !program_.Exited(); ++attempt) {
        ASSERT_TRUE(x_.Xdotool({"key", "alt+F4"}).Succeeded());
        for (int wait = 0; wait < 10 && !program_.Exited(); ++wait)
            std::this_thread::sleep_for(100ms);
    }
    ASSERT_NO_FATAL_FAILURE(WaitForExit());
}

// Everyday habits under a window manager: a key held while another window takes the keyboard,
// Escape out of a menu, and a banner dismissed while a field is open; every amount lands on the
// day whose field is on the screen.
TEST_F(ProgramWindowTest, KeysLandInTheFieldOnScreenAfterWindowChangesMenusAndBanners) {
    ASSERT_NO_FATAL_FAILURE(StartWindowManager());
    if (IsSkipped()) return;
    const Date today = LocalToday();
    const int startColumn = Weekday(today.year, today.month, START_DAY);
    const int firstColumn = Weekday(today.year, today.month, 1);
    ASSERT_NO_FATAL_FAILURE(Launch());
    const std::string other = StartOtherWindow();
    ASSERT_FALSE(other.empty()) << "xlogo's window did not appear";
    Activate(window_);
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, MES_NUEVO));
    const Slot startInMonth = SlotOf(firstColumn, START_DAY - 1);
    ASSERT_TRUE(WaitForWindow([](const RgbImage&) { return true; }, "the calendar"));
    ClickPage(CellClickX(startInMonth.column), CellClickY(startInMonth.row));
    ASSERT_TRUE(WaitForWindow([this](const RgbImage& s) { return BannerShown(s); },
                              "the start-day banner"));
    Type(MONTH_TOTAL);
    Key("Return");
    ASSERT_TRUE(WaitForWindow([this](const RgbImage& s) { return NoBanner(s); }, "the period"));

    // Each step opens the field of the next day of the period.
    const auto openDay = [&](int offset) {
        const Slot s = SlotOf(startColumn, offset);
        const Box cell = CellBox(s.column, s.row);
        ClickPage(CellClickX(s.column), CellClickY(s.row));
        return WaitForWindow(
            [&](const RgbImage& shot) { return CountOnPage(shot, SpentBox(cell), IsDark) > 0; },
            "the field of day " + std::to_string(offset));
    };
    ASSERT_TRUE(openDay(1));  // 8, Return held while xlogo takes the keyboard, then 9
    Type("8");
    KeyDown("Return");
    Activate(other);
    KeyUp("Return");
    Activate(window_);
    Type("9");
    Key("Return");
    ASSERT_TRUE(openDay(2));  // 1, the 4 held across the change of window, then 5
    Type("1");
    KeyDown("4");
    Activate(other);
    KeyUp("4");
    Activate(window_);
    Type("5");
    Key("Return");
    ASSERT_TRUE(openDay(3));  // the menu opened and escaped, then 3
    {
        std::string popup;
        std::vector<MenuItemBand> items;
        ASSERT_TRUE(OpenMenu(OPERATIONS_MENU, OPERATIONS_ITEMS, &popup, &items));
        Key("Escape");
        ASSERT_TRUE(WaitForMenuClosed());
    }
    Type("3");
    Key("Return");
    EXPECT_TRUE(OpenPopup().empty()) << "Enter went to the menu bar";
    ASSERT_TRUE(openDay(4));  // Grabar's banner dismissed, the field still shown, then 7
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, GRABAR));
    ClickPage(HEADER_CLICK_X, HEADER_CLICK_Y);
    const Slot fourth = SlotOf(startColumn, 4);
    ASSERT_TRUE(WaitForWindow(
        [&](const RgbImage& s) {
            return NoBanner(s) &&
                   CountOnPage(s, SpentBox(CellBox(fourth.column, fourth.row)), IsDark) > 0;
        },
        "the field drawn again once the banner went"));
    Type("7");
    Key("Return");
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, GRABAR));
    ASSERT_TRUE(WaitForWindow([this](const RgbImage& s) { return BannerShown(s); }, "Grabar"));
    ASSERT_NO_FATAL_FAILURE(Choose(OPERATIONS_MENU, OPERATIONS_ITEMS, SALIR));
    ASSERT_NO_FATAL_FAILURE(WaitForExit());

    const std::string ledger = FileBytes(ledgerPath_);
    ASSERT_GE(ledger.size(), RECORD_SIZE * 5);
    const double spent[] = {0, 89, 15, 3, 7};
    for (int offset = 1; offset <= 4; ++offset)
        EXPECT_EQ(DecodeRecord(ledger, RECORD_SIZE * offset).spent, spent[offset])
            << "day " << offset << " of the period";
}

}  // namespace
