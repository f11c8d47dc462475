// Keys and clicks on the drawing surface, sent as real widget events: picking the start day,
// opening fields, editing them cell by cell and accepting or refusing the typed amounts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "input/input.h"
#include "model/model.h"
#include "platform/testing.h"
#include "program_driver.h"
#include "view/view.h"

namespace {

constexpr LocalDate MARCH_2024{2024, 3, 17};  // 31 days, the 1st is a Friday
constexpr LocalDate APRIL_2024{2024, 4, 10};  // 30 days

struct GridPlace {
    int column;
    int row;
    bool operator==(const GridPlace&) const = default;
};
void PrintTo(const GridPlace& p, std::ostream* out) {
    *out << "(" << p.column << ", " << p.row << ")";
}

// A day's amounts, copied out of the packed record so that they can be compared and printed.
struct Amounts {
    double spent;
    double balance;
    double allowance;
    bool operator==(const Amounts&) const = default;
};
void PrintTo(const Amounts& a, std::ostream* out) {
    *out << "spent " << a.spent << ", balance " << a.balance << ", allowance " << a.allowance;
}
Amounts AmountsOf(const DayRecord& d) {
    return {d.spent, d.balance, d.allowance};
}

bool IsReddish(Colour c) {
    return RedOf(c) > 160 && GreenOf(c) < 100 && BlueOf(c) < 100;
}
bool IsInk(Colour c) {
    return c != COLOUR_WHITE;
}

// Drives the real window the way a user does: menu commands, clicks on day cells, typed keys.
struct InputTest : ShellTest {
    void OpenOn(LocalDate date) {
        SetTodayForTesting(date);
        Open();
    }
    void BeginMonth(LocalDate date = MARCH_2024) {
        OpenOn(date);
        RunCommand(IDM_MES_NUEVO);
    }
    void PlacePeriod(int startDay, const char* total, LocalDate date = MARCH_2024) {
        BeginMonth(date);
        ClickDay(startDay);
        Keys(total);
        Keys("\n");
    }

    // Where the day of the month lies in the period as it is laid out now.
    GridPlace PlaceOfDay(int day) {
        for (int row = 1; row <= GRID_ROWS; ++row)
            for (int column = 1; column <= GRID_COLUMNS; ++column)
                if (DayAt(column, row).inPeriod && DayAt(column, row).dayOfMonth == day)
                    return {column, row};
        ADD_FAILURE() << "day " << day << " is not in the period";
        return {0, 0};
    }
    Amounts AmountsOfDay(int day) {
        const GridPlace p = PlaceOfDay(day);
        return AmountsOf(DayAt(p.column, p.row));
    }
    // Clicks use the hit-test rows, which start every 80 pixels from the top of the surface.
    void ClickPlace(GridPlace p) {
        Click(CELL_WIDTH * (p.column - 1) + 60, CELL_HEIGHT * p.row + 40);
    }
    void ClickDay(int day) { ClickPlace(PlaceOfDay(day)); }
    void AddExpense(int day, const char* text) {
        ClickDay(day);
        Keys(text);
        Keys("\n");
    }

    // Types a script of keys: "<" Left, ">" Right, "^" Home, "$" End, "\b" Backspace, "\t" Tab,
    // "\n" Enter; any other character is typed as itself.
    void Keys(const char* script) {
        static constexpr std::pair<char, Qt::Key> named[] = {
            {'<', Qt::Key_Left},   {'>', Qt::Key_Right},      {'^', Qt::Key_Home},
            {'$', Qt::Key_End},    {'\b', Qt::Key_Backspace}, {'\t', Qt::Key_Tab},
            {'\n', Qt::Key_Return}};
        for (const char* k = script; *k; ++k) {
            const auto* found = std::find_if(std::begin(named), std::end(named),
                                             [k](const auto& n) { return n.first == *k; });
            if (found != std::end(named))
                Press(found->second);
            else
                TypeText(std::string(1, *k).c_str());
        }
    }
    // With a time, the event is as the window system sends it: it also names the physical key.
    void SendKey(QEvent::Type type, Qt::Key key, const QString& text, bool autoRepeat = false,
                 quint64 time = 0) {
        const quint32 keyCode = time ? 8 + (key & 0xFF) : 0;
        QKeyEvent event(type, key, Qt::NoModifier, keyCode, 0, 0, text, autoRepeat);
        event.setTimestamp(time);
        QApplication::sendEvent(SurfaceWidget(), &event);
    }
    // A key held down: after a delay the window system repeats it as a release and a press with
    // the same time, only some pairs marked as repeats; then it is released for real.
    void HoldKey(Qt::Key key, const QString& text, int repeats) {
        quint64 time = 1000;
        SendKey(QEvent::KeyPress, key, text, false, time);
        time += 500;
        for (int i = 0; i < repeats; ++i, time += 33) {
            SendKey(QEvent::KeyRelease, key, text, i % 2 == 1, time);
            SendKey(QEvent::KeyPress, key, text, i % 2 == 1, time);
        }
        SendKey(QEvent::KeyRelease, key, text, false, time + 20);
        QTest::qWait(60);  // that release waits a moment for a press that would pair with it
    }
    // "+k" presses and "-k" releases the key of character k ("\b" Backspace).
    void OverlappingKeys(const char* script) {
        for (const char* k = script; k[0] && k[1]; k += 2) {
            const bool backspace = k[1] == '\b';
            const Qt::Key key = backspace ? Qt::Key_Backspace : Qt::Key(QChar(k[1]).unicode());
            SendKey(k[0] == '+' ? QEvent::KeyPress : QEvent::KeyRelease, key, QString(QChar(k[1])));
        }
    }

    // The usable cells of a field row, "_" for an empty cell, without the trailing empty ones.
    std::string RowText(int row = 1) {
        std::string text;
        for (int column = 1; column < entry.fieldColumns; ++column) {
            const uint8_t ch = CellAt(column, row).ch;
            text.push_back(ch ? static_cast<char>(ch) : '_');
        }
        return text.substr(0, text.find_last_not_of('_') + 1);
    }
    GridPlace Caret() { return {entry.caretColumn, entry.caretRow}; }
    std::vector<Colour> FieldPixels(int x1 = ENTRY_WIDTH, int y1 = ENTRY_HEIGHT, int x0 = 0) {
        std::vector<Colour> pixels;
        for (int y = 0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) pixels.push_back(GetPixel(entry.entryImage, x, y));
        return pixels;
    }
    int InkInFieldColumn(int column) {
        const std::vector<Colour> cell =
            FieldPixels(column * entry.charWidth, entry.lineHeight, (column - 1) * entry.charWidth);
        return static_cast<int>(std::count_if(cell.begin(), cell.end(), IsInk));
    }
    // Pixels of the surface's picture in a band of a day cell (its outline left out).
    int CountInDayBand(GridPlace p, int dy, int height, bool (*wanted)(Colour)) {
        const DayRecord& d = DayAt(p.column, p.row);
        int count = 0;
        for (int y = d.cellTop + dy; y < d.cellTop + dy + height; ++y)
            for (int x = d.cellLeft + 1; x < d.cellRight - 1; ++x)
                count += wanted(SurfacePixel(x, y));
        return count;
    }
    // A pixel inside the banner, clear of its frame and its text.
    bool BannerOnSurface() { return SurfacePixel(170, 300) == COLOUR_BLUE; }
    void ExpectMenu(int mesNuevo, int periodCommands) {
        EXPECT_EQ(MenuItemState(shell.mainMenu, IDM_MES_NUEVO), mesNuevo);
        for (int id : {IDM_GRABAR, IDM_BITMAP, IDM_ESTADISTICAS})
            EXPECT_EQ(MenuItemState(shell.mainMenu, id), periodCommands) << "item " << id;
    }
    int DaysInPeriod() {
        int days = 0;
        for (const DayRecord& d : period.dayGrid) days += d.inPeriod != 0;
        return days;
    }
};

// ---------------------------------------------------------------------------------------------
// A whole period

TEST_F(InputTest, WholePeriodFromNewMonthToAnOverspentDay) {
    OpenOn(MARCH_2024);
    MenuActionOf(shell.mainMenu, IDM_MES_NUEVO)->trigger();
    EXPECT_EQ(shell.welcomeShown, 0);
    EXPECT_EQ(shell.startDayChosen, 0);
    ExpectMenu(MENU_ENABLED, MENU_GREYED);
    EXPECT_EQ(PlaceOfDay(15), (GridPlace{5, 3}));

    ClickDay(15);
    EXPECT_EQ(period.startDay, 15);
    EXPECT_EQ(shell.startDayChosen, 1);
    EXPECT_EQ(PlaceOfDay(15), (GridPlace{5, 1})) << "laid out again from the chosen day";
    EXPECT_EQ(banner.bannerDismissOnClick, 0);
    EXPECT_EQ(entry.entryOpen, 1);
    EXPECT_EQ(amountEntry.entryMode, ENTRY_MONTH_TOTAL);
    EXPECT_EQ((GridPlace{entry.entryLeft, entry.entryTop}), (GridPlace{2, 2}));

    Keys("3100");
    EXPECT_TRUE(BannerOnSurface()) << "typing only redraws the field";
    Keys("\n");
    EXPECT_FALSE(BannerOnSurface());
    EXPECT_EQ(entry.entryOpen, 0);
    EXPECT_EQ(amountEntry.entryMode, ENTRY_NONE);
    ExpectMenu(MENU_GREYED, MENU_ENABLED);
    ASSERT_EQ(DaysInPeriod(), 31);  // 15 March to 14 April
    for (const DayRecord& d : period.dayGrid) {
        if (d.inPeriod) {
            EXPECT_EQ(AmountsOf(d), (Amounts{0, 100, 100}));
        }
    }

    const GridPlace day20 = PlaceOfDay(20);
    const GridPlace day21 = PlaceOfDay(21);
    const DayRecord& d = DayAt(day20.column, day20.row);
    ClickPlace(day20);
    EXPECT_EQ(entry.entryOpen, 1);
    EXPECT_EQ(amountEntry.entryMode, ENTRY_EXPENSE);
    EXPECT_EQ((GridPlace{amountEntry.entryColumn, amountEntry.entryRow}), day20);
    EXPECT_EQ((GridPlace{entry.entryLeft, entry.entryTop}),
              (GridPlace{d.cellLeft + 5, d.cellTop + 35}));
    Keys("150\n");
    EXPECT_EQ(AmountsOf(d), (Amounts{150, -50, 100}));
    EXPECT_STREQ(d.spentText, "150'00    ");
    EXPECT_GT(CountInDayBand(day20, BALANCE_DY, 16, IsReddish), 0) << "a negative balance is red";
    EXPECT_EQ(CountInDayBand(day21, BALANCE_DY, 16, IsReddish), 0);
    EXPECT_GT(CountInDayBand(day20, SPENT_DY, 16, IsInk), 0) << "the spent line is drawn";
    EXPECT_EQ(CountInDayBand(day21, SPENT_DY, 16, IsInk), 0) << "nothing spent, no spent line";

    AddExpense(20, "2,5");  // the second click on the day opens its field again
    EXPECT_EQ(AmountsOf(d), (Amounts{152.5, -52.5, 100}));
}

TEST_F(InputTest, StartDayBannerNamesTheDayAsLaidOut) {
    struct {
        LocalDate today;
        int clicked;
        const char* shown;  // a start day the following month lacks becomes its last day
    } const cases[] = {{MARCH_2024, 5, "05"},
                       {MARCH_2024, 9, "09"},
                       {{2024, 1, 8}, 31, "29"},
                       {{2023, 1, 8}, 31, "28"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.today.year << "-" << c.today.month << " " << c.clicked);
        BeginMonth(c.today);
        ClickDay(c.clicked);
        EXPECT_EQ(period.startDay, std::stoi(c.shown));
        EXPECT_EQ(banner.lastText,
                  std::string("Bien has elegido el d\xED"
                              "a ") +
                      c.shown +
                      " del mes. Escribe el total mensual, donde esta el cursor, "
                      "en la esquina superior izquierda y pulsa ENTER despu\xE9s ...");
        CloseShellForTesting();
    }
}

// ---------------------------------------------------------------------------------------------
// What a left click on a day of the period does, by state

enum class Step { Start, NewMonth, Author, Pick15, Total, Refused, Open17, SaveAndRestart };
enum class ClickOutcome { Nothing, PicksStartDay, OpensExpenseField, RemovesBannerOnly };

struct ClickCase {
    const char* name;
    std::vector<Step> steps;
    ClickOutcome outcome;
};
void PrintTo(const ClickCase& c, std::ostream* out) {
    *out << c.name;
}

constexpr GridPlace TARGET{3, 2};  // a day of every period laid out from row 1

struct ClickStateTest : InputTest, testing::WithParamInterface<ClickCase> {
    void Run(Step step) {
        switch (step) {
            case Step::Start:
                OpenOn(MARCH_2024);
                break;
            case Step::NewMonth:
                RunCommand(IDM_MES_NUEVO);
                break;
            case Step::Author:
                RunCommand(IDM_AUTOR);
                break;
            case Step::Pick15:
                ClickDay(15);
                break;
            case Step::Total:
                Keys("3100\n");
                break;
            case Step::Refused:
                Keys("1-2\n");
                break;
            case Step::Open17:
                ClickDay(17);
                break;
            case Step::SaveAndRestart:
                RunCommand(IDM_GRABAR);
                CloseShellForTesting();
                Open();
                break;
        }
    }
    auto State() {
        return std::make_tuple(period.startDay, shell.startDayChosen, entry.entryOpen,
                               amountEntry.entryMode, amountEntry.entryColumn, amountEntry.entryRow,
                               banner.bannerDismissOnClick, banner.lastText);
    }
};

TEST_P(ClickStateTest, LeftClickOnADayOfThePeriod) {
    for (Step step : GetParam().steps) Run(step);
    const auto before = State();
    const int dayBefore = DayAt(TARGET.column, TARGET.row).dayOfMonth;
    const bool bannerBefore = BannerOnSurface();
    ClickPlace(TARGET);

    switch (GetParam().outcome) {
        case ClickOutcome::Nothing:
            EXPECT_EQ(State(), before);
            EXPECT_EQ(BannerOnSurface(), bannerBefore);
            break;
        case ClickOutcome::PicksStartDay:
            EXPECT_EQ(period.startDay, dayBefore);
            EXPECT_EQ(shell.startDayChosen, 1);
            EXPECT_EQ(entry.entryOpen, 1);
            EXPECT_EQ(amountEntry.entryMode, ENTRY_MONTH_TOTAL);
            EXPECT_EQ(banner.bannerDismissOnClick, 0);
            break;
        case ClickOutcome::OpensExpenseField:
            EXPECT_EQ(amountEntry.entryMode, ENTRY_EXPENSE);
            EXPECT_EQ((GridPlace{amountEntry.entryColumn, amountEntry.entryRow}), TARGET);
            EXPECT_EQ(banner.lastText, std::get<7>(before));
            break;
        case ClickOutcome::RemovesBannerOnly: {
            auto expected = before;
            std::get<6>(expected) = 0;
            EXPECT_EQ(State(), expected);
            EXPECT_FALSE(BannerOnSurface());
            if (entry.entryOpen == 0) {  // then the next click on the day opens its field
                ClickPlace(TARGET);
                EXPECT_EQ(amountEntry.entryMode, ENTRY_EXPENSE);
            }
            break;
        }
    }
}

using S = Step;
INSTANTIATE_TEST_SUITE_P(
    States, ClickStateTest,
    testing::Values(
        ClickCase{"Welcome", {S::Start}, ClickOutcome::Nothing},
        ClickCase{"WelcomeUnderAuthorBanner", {S::Start, S::Author}, ClickOutcome::Nothing},
        ClickCase{"MonthSetup", {S::Start, S::NewMonth}, ClickOutcome::PicksStartDay},
        ClickCase{"MonthSetupUnderAuthorBanner",
                  {S::Start, S::NewMonth, S::Author},
                  ClickOutcome::PicksStartDay},
        ClickCase{"NewMonthAfterRefusedTotal",
                  {S::Start, S::NewMonth, S::Pick15, S::Refused, S::NewMonth},
                  ClickOutcome::PicksStartDay},
        ClickCase{
            "MonthlyTotalFieldOpen", {S::Start, S::NewMonth, S::Pick15}, ClickOutcome::Nothing},
        ClickCase{"RefusedMonthlyTotal",
                  {S::Start, S::NewMonth, S::Pick15, S::Refused},
                  ClickOutcome::RemovesBannerOnly},
        ClickCase{"PeriodInPlace",
                  {S::Start, S::NewMonth, S::Pick15, S::Total},
                  ClickOutcome::OpensExpenseField},
        ClickCase{"PeriodUnderAuthorBanner",
                  {S::Start, S::NewMonth, S::Pick15, S::Total, S::Author},
                  ClickOutcome::RemovesBannerOnly},
        ClickCase{"RefusedExpense",
                  {S::Start, S::NewMonth, S::Pick15, S::Total, S::Open17, S::Refused},
                  ClickOutcome::RemovesBannerOnly},
        ClickCase{"ExpenseFieldOpen",
                  {S::Start, S::NewMonth, S::Pick15, S::Total, S::Open17},
                  ClickOutcome::Nothing},
        ClickCase{"ExpenseFieldOpenUnderAuthorBanner",
                  {S::Start, S::NewMonth, S::Pick15, S::Total, S::Open17, S::Author},
                  ClickOutcome::RemovesBannerOnly},
        ClickCase{"StoredPeriodGreeting",
                  {S::Start, S::NewMonth, S::Pick15, S::Total, S::SaveAndRestart},
                  ClickOutcome::RemovesBannerOnly}),
    [](const testing::TestParamInfo<ClickCase>& info) { return info.param.name; });

TEST_F(InputTest, ClicksOffTheGridOnItsGapsOrOffThePeriodNeverPickOrOpen) {
    // The header band, the white lines between boxes (x 121, y 150), around the grid, and cells
    // without a day.
    const QPoint points[] = {{60, 0},  {540, 69},  {121, 100}, {540, 150},
                             {0, 100}, {841, 100}, {60, 120},  {60, 500}};
    BeginMonth();
    for (QPoint p : points) {
        SCOPED_TRACE(testing::Message() << "month setup, click at " << p.x() << ", " << p.y());
        Click(p.x(), p.y());
        EXPECT_EQ(shell.startDayChosen, 0);
        EXPECT_EQ(entry.entryOpen, 0);
    }
    CloseShellForTesting();
    PlacePeriod(15, "3100");
    for (QPoint p : points) {
        SCOPED_TRACE(testing::Message() << "period, click at " << p.x() << ", " << p.y());
        Click(p.x(), p.y());
        EXPECT_EQ(entry.entryOpen, 0);
    }
    RunCommand(IDM_AUTOR);
    Click(60, 10);
    EXPECT_FALSE(BannerOnSurface()) << "off the grid a click still removes a dismissable banner";
    EXPECT_EQ(entry.entryOpen, 0);
}

// A click on a cell's top rows, where its day number is drawn, acts on that cell.
TEST_F(ProgramTest, ClickOnADaysNumberActsOnThatDay) {
    Open();
    BeginPeriod(15, "3100");  // Friday 15 March 2024 in row 1, column 5; the 22nd below it
    const struct {
        int x, y;
        const char* expense;
    } clicks[] = {{540, 70, "1"}, {485, 74, "2"}, {540, 151, "4"}, {600, 229, "8"}};
    for (const auto& c : clicks) {
        SCOPED_TRACE(testing::Message() << "click at " << c.x << ", " << c.y);
        Click(c.x, c.y);
        Type(c.expense);
        Enter();
    }
    Save();
    // Records in row order from the 15th: the 22nd is the eighth, the 23rd the ninth.
    const std::string ledger = LedgerBytes();
    ASSERT_EQ(ledger.size(), 31u * 77);
    const auto spent = [&ledger](int record) {
        double value;
        std::memcpy(&value, ledger.data() + 77 * record, sizeof value);
        return value;
    };
    EXPECT_EQ(spent(0), 3);
    EXPECT_EQ(spent(7), 12);
    EXPECT_EQ(spent(8), 0);
}

TEST_F(InputTest, RightClicksMovesAndReleasesOpenNothing) {
    PlacePeriod(15, "3100");
    RunCommand(IDM_AUTOR);
    Viewport().dragState = 3;
    const QPoint day{CELL_WIDTH * 2 + 60, CELL_HEIGHT * 2 + 40};
    Click(day.x(), day.y(), Qt::RightButton);
    QTest::mouseMove(SurfaceWidget(), day + QPoint(30, 20));
    EXPECT_EQ(entry.entryOpen, 0);
    EXPECT_TRUE(BannerOnSurface());
    EXPECT_EQ(Viewport().dragState, 3);
    QTest::mouseRelease(SurfaceWidget(), Qt::LeftButton, Qt::NoModifier, day);
    EXPECT_EQ(Viewport().dragState, 0) << "a left release ends any drag";
    EXPECT_EQ(entry.entryOpen, 0);
}

// ---------------------------------------------------------------------------------------------
// Month setup again

TEST_F(InputTest, NewMonthDropsWhateverWasBegunAndLetsTheUserStartOver) {
    BeginMonth();
    ClickDay(20);  // a Wednesday: the period now starts two columns left of the 1st
    Keys("12");
    RunCommand(IDM_MES_NUEVO);
    EXPECT_EQ(shell.startDayChosen, 0);
    EXPECT_EQ(entry.entryOpen, 0);
    EXPECT_EQ(amountEntry.entryMode, ENTRY_NONE);
    EXPECT_EQ(period.startDay, 1);
    EXPECT_EQ(DaysInPeriod(), 31) << "no day of the abandoned layout is left marked";
    EXPECT_EQ(PlaceOfDay(1), (GridPlace{5, 1}));
    EXPECT_FALSE(BannerOnSurface());
    Keys("3\n");  // no field: dropped
    EXPECT_EQ(shell.startDayChosen, 0);

    // A refused total leaves the month setup's menu; days take expenses but get no allowance.
    ClickDay(15);
    EXPECT_EQ(RowText(), "") << "a fresh field";
    Keys("1234567\n");
    EXPECT_EQ(banner.lastText, TEXT_TOO_LONG);
    EXPECT_EQ(shell.startDayChosen, 1);
    ExpectMenu(MENU_ENABLED, MENU_GREYED);
    Click(60, 10);  // removes the banner
    AddExpense(16, "40");
    ASSERT_EQ(AmountsOfDay(16), (Amounts{40, -40, 0}));

    MenuActionOf(shell.mainMenu, IDM_MES_NUEVO)->trigger();
    EXPECT_EQ(shell.startDayChosen, 0);
    for (const DayRecord& d : period.dayGrid) {
        EXPECT_EQ(AmountsOf(d), (Amounts{0, 0, 0}));
        EXPECT_STREQ(d.spentText, "");
    }
    ClickDay(20);
    EXPECT_EQ(period.startDay, 20);
    EXPECT_EQ(amountEntry.entryMode, ENTRY_MONTH_TOTAL);
    Keys("3100\n");
    ExpectMenu(MENU_GREYED, MENU_ENABLED);
    EXPECT_EQ(AmountsOfDay(19), (Amounts{0, 100, 100}));
}

// ---------------------------------------------------------------------------------------------
// Keys as the surface's one pending key delivers them

struct KeyTest : InputTest {
    void SetUp() override {
        InputTest::SetUp();
        BeginMonth();
        ClickDay(5);
        ASSERT_EQ(entry.fieldRows, 1);
        ASSERT_GE(entry.fieldColumns, 7);
    }
};

TEST_F(KeyTest, KeysWithoutAnActionChangeNothing) {
    Keys("12<");
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                        Qt::Key_Insert, Qt::Key_Delete, Qt::Key_Escape, Qt::Key_F1, Qt::Key_F12}) {
        SCOPED_TRACE(testing::Message() << "key " << std::hex << static_cast<int>(key));
        Press(key);
        EXPECT_EQ(RowText(), "12");
        EXPECT_EQ(Caret(), (GridPlace{2, 1}));
    }
    EXPECT_EQ(entry.entryOpen, 1);
}

struct HeldKey {
    const char* name;
    const char* before;
    Qt::Key key;
    const char* text;
    int repeats;
    const char* row;
    int caretColumn;
};
void PrintTo(const HeldKey& c, std::ostream* out) {
    *out << c.name;
}

struct HeldKeyTest : KeyTest, testing::WithParamInterface<HeldKey> {};

// Backspace, Left and Right act at every repeated press and at the release; the rest only once.
TEST_P(HeldKeyTest, ActsAsOftenAsThePendingKeyAllows) {
    const HeldKey& c = GetParam();
    Keys(c.before);
    HoldKey(c.key, c.text, c.repeats);
    EXPECT_EQ(RowText(), c.row);
    EXPECT_EQ(Caret(), (GridPlace{c.caretColumn, 1}));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, HeldKeyTest,
    testing::Values(HeldKey{"Backspace", "12345", Qt::Key_Backspace, "\b", 3, "1", 2},
                    HeldKey{"Left", "12345", Qt::Key_Left, "", 2, "12345", 3},
                    HeldKey{"Right", "12345^", Qt::Key_Right, "", 1, "12345", 3},
                    HeldKey{"Character", "", Qt::Key_7, "7", 3, "7", 2},
                    HeldKey{"End", "123^", Qt::Key_End, "", 2, "123", 4}),
    [](const testing::TestParamInfo<HeldKey>& info) { return info.param.name; });

// Fast typing: each character lands once, at its key's release or a later-pressed key's,
// in the order the keys went down.
TEST_F(KeyTest, OverlappingPressesKeepEveryCharacterInPressOrder) {
    const struct {
        const char* name;
        const char* script;
        const char* row;
    } cases[] = {{"each released after the next press", "+1+2-1+3-2+0-3-0", "1230"},
                 {"released in reverse order", "+1+2+3-3-2-1", "123"},
                 {"a later key released first", "+4+5-5-4", "45"},
                 {"Backspace pressed while a digit is down", "+1-1+2+\b-2-\b", "1"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Keys("$\b\b\b\b\b\b\b\b");
        OverlappingKeys(c.script);
        EXPECT_EQ(RowText(), c.row);
    }
}

TEST_F(KeyTest, CharactersAreStoredInWindows1252) {
    for (const char* utf8 : {"\xC3\xA9", "\xE2\x82\xAC"}) {  // é and the euro sign
        SendKey(QEvent::KeyPress, Qt::Key_unknown, QString::fromUtf8(utf8));
        SendKey(QEvent::KeyRelease, Qt::Key_unknown, QString::fromUtf8(utf8));
    }
    EXPECT_EQ(CellAt(1, 1).ch, 0xE9);
    EXPECT_EQ(CellAt(2, 1).ch, 0x80);
    Keys("\n");
    EXPECT_EQ(banner.lastText, TEXT_INVALID);
}

// ---------------------------------------------------------------------------------------------
// The entry field and its caret

struct FieldEdit {
    const char* name;
    const char* keys;
    const char* row;
    int caretColumn;  // 0 for the caret-only last column
};
void PrintTo(const FieldEdit& c, std::ostream* out) {
    *out << c.name;
}

struct FieldEditTest : KeyTest, testing::WithParamInterface<FieldEdit> {};

// Cells hold what the keys left; ink shows exactly in the filled cells and the caret's cell.
TEST_P(FieldEditTest, CellsCaretAndPicture) {
    const FieldEdit& c = GetParam();
    Keys(c.keys);
    EXPECT_EQ(RowText(), c.row);
    const int caret = c.caretColumn ? c.caretColumn : entry.fieldColumns;
    EXPECT_EQ(Caret(), (GridPlace{caret, 1}));
    for (int column = 1; column <= entry.fieldColumns; ++column) {
        const bool filled = column < entry.fieldColumns && CellAt(column, 1).ch != 0;
        EXPECT_EQ(InkInFieldColumn(column) > 0, filled || column == caret) << "column " << column;
    }
    // The field sits on the page at its opening place; the surface shows it.
    for (int x : {0, 9, 18, 27, 36})
        for (int y : {3, 8, 12})
            ASSERT_EQ(SurfacePixel(2 + x, 2 + y), GetPixel(entry.entryImage, x, y));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FieldEditTest,
    testing::Values(FieldEdit{"FreshFieldShowsOnlyTheCaret", "", "", 1},
                    FieldEdit{"TypingFillsColumnsInOrder", "12,5", "12,5", 5},
                    FieldEdit{"TypingOverACharacterReplacesIt", "123^9", "923", 2},
                    FieldEdit{"BackspaceAfterTwoLeftsEmptiesTheFirstCell", "123<<\b", "_23", 1},
                    FieldEdit{"EndGoesPastTheLastCharacterAcrossAHole", "123<\b^$", "1_3", 4},
                    FieldEdit{"HomeOnAnEmptyRow", ">>^", "", 1},
                    FieldEdit{"EndOnAnEmptyRow", ">>$", "", 1},
                    FieldEdit{"BackspaceInTheVeryFirstCell", "12^\b", "_2", 1},
                    FieldEdit{"BackspaceOnAFreshField", "\b", "", 1},
                    FieldEdit{"TabDoesNothing", "1\t2", "12", 3},
                    FieldEdit{"LeftStopsAtTheFirstCell", "1<<<", "1", 1},
                    FieldEdit{"RightStopsInTheCaretColumn", ">>>>>>>>>>>>>>>>>>>>", "", 0}),
    [](const testing::TestParamInfo<FieldEdit>& info) { return info.param.name; });

TEST_F(KeyTest, TypingPastTheLastUsableColumnChangesNothingVisible) {
    const int n = entry.fieldColumns;
    const std::string usable = std::string("1234567890123456789").substr(0, n - 1);
    Keys(usable.c_str());
    EXPECT_EQ(Caret(), (GridPlace{n, 1}));
    const std::vector<Colour> before = FieldPixels();
    Keys("98");
    EXPECT_EQ(Caret(), (GridPlace{n, 1}));
    EXPECT_EQ(CellAt(n, 1).ch, '8') << "kept in the caret's column, never shown";
    EXPECT_TRUE(FieldPixels() == before);
    EXPECT_EQ(ReadEntryText(), usable);
}

TEST_F(KeyTest, CaretLetsTheCharacterUnderItShowThrough) {
    Keys("0");
    const std::vector<Colour> zero = FieldPixels(entry.charWidth, entry.lineHeight);
    ASSERT_GT(std::count_if(zero.begin(), zero.end(), IsInk), 0);
    Keys("<");
    const std::vector<Colour> both = FieldPixels(entry.charWidth, entry.lineHeight);
    int covered = 0, added = 0;
    for (size_t i = 0; i < zero.size(); ++i) {
        covered += IsInk(zero[i]) && !IsInk(both[i]);
        added += !IsInk(zero[i]) && IsInk(both[i]);
    }
    EXPECT_EQ(covered, 0) << "no pixel of the 0 is painted over";
    EXPECT_GT(added, 0) << "the caret adds its stroke";
}

TEST_F(InputTest, FieldOfTwoRowsWrapsTypingAtOnceAndArrowsOneStepLater) {
    BeginMonth();
    shell.entryFontSize = 7;
    ClickDay(5);
    ASSERT_GE(entry.fieldRows, 2);
    const int n = entry.fieldColumns;
    Keys(std::string(n - 1, '4').c_str());
    EXPECT_EQ(Caret(), (GridPlace{1, 2})) << "typing in the last usable column wraps at once";
    Keys("<");
    EXPECT_EQ(Caret(), (GridPlace{n, 1}));
    Keys(">");
    EXPECT_EQ(Caret(), (GridPlace{1, 2}));
    Keys("\b");
    EXPECT_EQ(Caret(), (GridPlace{n - 1, 1})) << "Backspace skips the caret-only column";
    EXPECT_EQ(RowText(1), std::string(n - 2, '4'));
    Keys(">");
    EXPECT_EQ(Caret(), (GridPlace{n, 1}));
    Keys(">5$");
    EXPECT_EQ(Caret(), (GridPlace{2, 2}));
    Keys("^");
    EXPECT_EQ(Caret(), (GridPlace{1, 2})) << "Home keeps the row";
    EXPECT_EQ(ReadEntryText(), std::string(n - 2, '4') + "5");
}

TEST_F(InputTest, FieldTooSmallForItsFontHasNoCellsAndIgnoresKeys) {
    BeginMonth();
    shell.entryFontSize = 40;
    ClickDay(5);
    EXPECT_EQ(entry.entryOpen, 1);
    EXPECT_FALSE(entry.cellsMade);
    Keys("12\b<>^$");
    HoldKey(Qt::Key_Backspace, "\b", 2);
    EXPECT_FALSE(entry.cellsMade);
    EXPECT_TRUE(entry.entryCells.empty());
    Keys("\n");
    EXPECT_EQ(entry.entryOpen, 0);
    EXPECT_EQ(amountEntry.entryText, "");
}

// ---------------------------------------------------------------------------------------------
// Amounts typed on Enter

struct AmountCase {
    const char* name;
    const char* typed;
    const char* refusal;  // the banner, or nullptr for an accepted amount
    double amount;
    const char* spentText;
};
void PrintTo(const AmountCase& c, std::ostream* out) {
    *out << c.name << " \"" << c.typed << "\"";
}

struct AmountEntryTest : InputTest, testing::WithParamInterface<AmountCase> {};

TEST_P(AmountEntryTest, ExpenseIsAddedOrRefusedWithItsMessage) {
    const AmountCase& c = GetParam();
    PlacePeriod(10, "3000", APRIL_2024);
    const GridPlace day = PlaceOfDay(12);
    const std::string bannerBefore = banner.lastText;
    AddExpense(12, c.typed);

    const DayRecord& d = DayAt(day.column, day.row);
    EXPECT_EQ(entry.entryOpen, 0);
    if (c.refusal) {
        EXPECT_EQ(banner.lastText, c.refusal);
        EXPECT_EQ(banner.bannerDismissOnClick, 1);
        EXPECT_TRUE(BannerOnSurface());
        EXPECT_EQ(AmountsOf(d), (Amounts{0, 100, 100}));
        EXPECT_STREQ(d.spentText, "");
        EXPECT_EQ(CountInDayBand(day, SPENT_DY, ENTRY_HEIGHT, IsInk), 0) << "the field has gone";
    } else {
        EXPECT_EQ(banner.lastText, bannerBefore);
        EXPECT_EQ(banner.bannerDismissOnClick, 0);
        EXPECT_EQ(AmountsOf(d), (Amounts{c.amount, 100 - c.amount, 100}));
        EXPECT_STREQ(d.spentText, c.spentText);
    }
    EXPECT_EQ(AmountsOfDay(13), (Amounts{0, 100, 100}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AmountEntryTest,
    testing::Values(AmountCase{"SixDigits", "123456", nullptr, 123456, "123.456'00"},
                    AmountCase{"SevenDigits", "1234567", TEXT_TOO_LONG, 0, ""},
                    AmountCase{"SevenLetters", "abcdefg", TEXT_TOO_LONG, 0, ""},
                    AmountCase{"FiveDigitsAndComma", "1234,5", nullptr, 1234.5, "1.234'50  "},
                    AmountCase{"SixDigitsAndComma", "123456,", TEXT_TOO_LONG, 0, ""},
                    AmountCase{"DecimalPoint", "12.25", nullptr, 12.25, "12'25     "},
                    AmountCase{"Apostrophe", "7'5", nullptr, 7.5, "7'50      "},
                    AmountCase{"LeadingSeparator", ",5", nullptr, 0.5, "0'50      "},
                    AmountCase{"TrailingSeparator", "7.", nullptr, 7, "7'00      "},
                    AmountCase{"TwoSeparators", "1,2.5", TEXT_INVALID, 0, ""},
                    AmountCase{"MinusSign", "-12", TEXT_INVALID, 0, ""},
                    AmountCase{"Space", "1 2", TEXT_INVALID, 0, ""},
                    AmountCase{"Letter", "12a", TEXT_INVALID, 0, ""},
                    AmountCase{"LoneSeparator", ",", nullptr, 0, "0'00      "},
                    AmountCase{"EmptyField", "", nullptr, 0, "0'00      "},
                    AmountCase{"EmptiedCellJoinsItsNeighbours", "123<\b", nullptr, 13,
                               "13'00     "}),
    [](const testing::TestParamInfo<AmountCase>& info) { return info.param.name; });

TEST_F(InputTest, ThreeThousandOverThirtyDaysGivesOneHundredADayAndExpensesAddUp) {
    PlacePeriod(10, "3000", APRIL_2024);
    ASSERT_EQ(DaysInPeriod(), 30);  // 10 April to 9 May
    for (const DayRecord& d : period.dayGrid) {
        if (d.inPeriod) {
            EXPECT_EQ(AmountsOf(d), (Amounts{0, 100, 100}));
        }
    }
    AddExpense(9, "10");
    AddExpense(9, "2,5");
    const GridPlace day = PlaceOfDay(9);
    EXPECT_EQ(AmountsOfDay(9), (Amounts{12.5, 87.5, 100}));
    EXPECT_EQ(std::string(DayAt(day.column, day.row).spentText), "12'50     ");
    EXPECT_EQ(CountInDayBand(day, BALANCE_DY, 16, IsReddish), 0);
}

// A total that does not divide evenly: each day keeps the exact share and shows it to the cent.
TEST_F(ProgramTest, UnevenTotalIsKeptExactAndShownToTheCent) {
    Open();
    BeginPeriod(1, "1000");  // 31 days of March 2024
    EXPECT_EQ(BalanceShown(1), "32'26");
    Save();
    double allowance = 0;
    std::memcpy(&allowance, LedgerBytes().data() + offsetof(DayRecord, allowance),
                sizeof allowance);
    EXPECT_EQ(allowance, 1000.0 / 31);
}

TEST_F(InputTest, EmptyMonthlyTotalPutsThePeriodInPlaceWithNothingToSpend) {
    BeginMonth(APRIL_2024);
    ClickDay(10);
    Keys("\n");
    ExpectMenu(MENU_GREYED, MENU_ENABLED);
    EXPECT_EQ(DaysInPeriod(), 30);
    for (const DayRecord& d : period.dayGrid) EXPECT_EQ(AmountsOf(d), (Amounts{0, 0, 0}));
}

}  // namespace
