// SPDX-License-Identifier: GPL-3.0-or-later
// Keys and clicks on the real drawing surface, as a person sends them: picking the start day,
// opening fields, the keys the surface turns into edits (held keys included) and the typed
// amounts accepted or refused on Enter.
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "program_driver.h"

static void PrintTo(const GridPlace& p, std::ostream* out) {
    *out << "(" << p.column << ", " << p.row << ")";
}

namespace {

constexpr Date MARCH_2024{2024, 3, 17};  // 31 days, the 1st is a Friday
constexpr Date APRIL_2024{2024, 4, 10};  // 30 days

// A day's amounts as "Grabar" keeps them, copied out of the packed record so that they can be
// compared and printed.
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

struct InputTest : ProgramTest {
    void OpenOn(Date date) {
        today = date;
        Open();
    }
    void BeginMonth(Date date = MARCH_2024) {
        OpenOn(date);
        NewMonth();
    }
    void PlacePeriod(int startDay, const char* total, Date date = MARCH_2024) {
        OpenOn(date);
        BeginPeriod(startDay, total);
    }

    // Where the day of the month lies in the period as it is laid out now.
    GridPlace PlaceOf(int day) {
        const auto place = PlaceOfDay(day);
        if (!place) ADD_FAILURE() << "day " << day << " is not in the period";
        return place.value_or(GridPlace{0, 0});
    }
    Amounts SavedAmounts(int day) { return AmountsOf(SavedDay(day)); }
    void AddExpense(int day, const char* text) {
        PickDay(day);
        Keys(text);
        Keys("\n");
    }

    // Types a script of keys on the surface: "<" Left, ">" Right, "^" Home, "$" End, "\b"
    // Backspace, "\n" Enter; any other character is typed as itself.
    void Keys(const char* script) {
        static constexpr std::pair<char, Qt::Key> named[] = {
            {'<', Qt::Key_Left}, {'>', Qt::Key_Right},      {'^', Qt::Key_Home},
            {'$', Qt::Key_End},  {'\b', Qt::Key_Backspace}, {'\n', Qt::Key_Return}};
        for (const char* k = script; *k; ++k) {
            const auto* found = std::find_if(std::begin(named), std::end(named),
                                             [k](const auto& n) { return n.first == *k; });
            if (found != std::end(named))
                Press(found->second);
            else
                Type(std::string(1, *k).c_str());
        }
    }
    // A key held down, its events as the window system sends them, with their times and the
    // physical key: after a delay it repeats as a release and a press with the same time, only
    // some pairs marked as repeats; then it is released for real.
    void HoldKey(Qt::Key key, const QString& text, int repeats) {
        const auto send = [&](QEvent::Type type, bool autoRepeat, quint64 time) {
            QKeyEvent event(type, key, Qt::NoModifier, 8 + (key & 0xFF), 0, 0, text, autoRepeat);
            event.setTimestamp(time);
            QApplication::sendEvent(SurfaceWidget(), &event);
        };
        quint64 time = 1000;
        send(QEvent::KeyPress, false, time);
        time += 500;
        for (int i = 0; i < repeats; ++i, time += 33) {
            send(QEvent::KeyRelease, i % 2 == 1, time);
            send(QEvent::KeyPress, i % 2 == 1, time);
        }
        send(QEvent::KeyRelease, false, time + 20);
        QTest::qWait(60);  // that release waits a moment for a press that would pair with it
    }

    // The field's text with a "|" where its caret is, as a screen reader is told them.
    std::string FieldShown() {
        const DescribedField& field = Told().field;
        if (!field.open) return "<closed>";
        return QString::fromStdString(field.text).insert(field.caret, '|').toStdString();
    }
    // Pixels of the surface's picture in a band of a day cell (its outline left out).
    int CountInDayBand(GridPlace p, int dy, int height, bool (*wanted)(Colour)) {
        const TestBox box = TestCellBox(p.column, p.row);
        int count = 0;
        for (int y = box.top + dy; y < box.top + dy + height; ++y)
            for (int x = box.left + 1; x < box.right - 1; ++x) count += wanted(Pixel(x, y));
        return count;
    }
    // A pixel inside the banner, clear of its frame and its text.
    bool BannerOnSurface() { return Pixel(170, 300) == COLOUR_BLUE; }
    void ExpectMenu(MenuState mesNuevo, MenuState periodCommands) {
        EXPECT_EQ(ItemState(Command::NewMonth), mesNuevo);
        for (Command command : {Command::Save, Command::Picture, Command::Statistics})
            EXPECT_EQ(ItemState(command), periodCommands) << "item " << static_cast<int>(command);
    }
    int DaysShown() {
        return static_cast<int>(
            std::count_if(Told().cells.begin(), Told().cells.end(),
                          [](const DescribedCell& c) { return !c.name.empty(); }));
    }
};

// ---------------------------------------------------------------------------------------------
// A whole period

TEST_F(InputTest, WholePeriodFromNewMonthToAnOverspentDay) {
    OpenOn(MARCH_2024);
    NewMonth();
    ExpectMenu(MenuState::Enabled, MenuState::Greyed);
    EXPECT_EQ(PlaceOf(15), (GridPlace{5, 3}));

    PickDay(15);
    EXPECT_EQ(FirstDayTold(), "viernes 15 de marzo: quedan 0,00 €");
    EXPECT_EQ(PlaceOf(15), (GridPlace{5, 1})) << "laid out again from the chosen day";
    EXPECT_EQ(Told().field.name, TEXT_MONTH_TOTAL_FIELD);
    EXPECT_EQ(Told().field.box, (Rect{2, 2, 2 + ENTRY_WIDTH, 2 + ENTRY_HEIGHT}));
    EXPECT_FALSE(BannerGoesAtAClick()) << "the start-day banner stays until the total";

    Keys("3100");
    EXPECT_TRUE(BannerOnSurface()) << "typing only redraws the field";
    Keys("\n");
    EXPECT_FALSE(BannerOnSurface());
    EXPECT_FALSE(Told().field.open);
    ExpectMenu(MenuState::Greyed, MenuState::Enabled);
    ASSERT_EQ(DaysShown(), 31);  // 15 March to 14 April

    const GridPlace day20 = PlaceOf(20);
    const GridPlace day21 = PlaceOf(21);
    const TestBox box = TestCellBox(day20.column, day20.row);
    ClickCell(day20);
    EXPECT_EQ(Told().field.name, std::string(TEXT_EXPENSE_FIELD) + "miércoles 20 de marzo");
    EXPECT_EQ(Told().field.box, (Rect{box.left + 5, box.top + 35, box.left + 5 + ENTRY_WIDTH,
                                      box.top + 35 + ENTRY_HEIGHT}));
    Keys("150\n");
    EXPECT_GT(CountInDayBand(day20, BALANCE_DY, 16, IsReddish), 0) << "a negative balance is red";
    EXPECT_EQ(CountInDayBand(day21, BALANCE_DY, 16, IsReddish), 0);
    EXPECT_GT(CountInDayBand(day20, SPENT_DY, 16, IsInk), 0) << "the spent line is drawn";
    EXPECT_EQ(CountInDayBand(day21, SPENT_DY, 16, IsInk), 0) << "nothing spent, no spent line";

    AddExpense(20, "2,5");  // the second click on the day opens its field again
    const DayRecord d = SavedDay(20);
    EXPECT_EQ(AmountsOf(d), (Amounts{152.5, -52.5, 100}));
    EXPECT_STREQ(d.spentText, "152'50    ");
    for (int day : {15, 21, 14})
        EXPECT_EQ(SavedAmounts(day), (Amounts{0, 100, 100})) << "day " << day;
}

// The start day as laid out is the one a save keeps and the next start finds again.
TEST_F(InputTest, StartDayBannerNamesTheDayAsLaidOutAndTheLedgerKeepsIt) {
    struct {
        Date today;
        int clicked;
        const char* shown;  // a start day the following month lacks becomes its last day
        const char* firstDay;
    } const cases[] = {{MARCH_2024, 5, "05", "martes 5 de marzo"},
                       {MARCH_2024, 9, "09", "sábado 9 de marzo"},
                       {{2024, 1, 8}, 31, "29", "lunes 29 de enero"},
                       {{2023, 1, 8}, 31, "28", "sábado 28 de enero"},
                       {MARCH_2024, 31, "30", "sábado 30 de marzo"},
                       {{2024, 5, 2}, 30, "30", "jueves 30 de mayo"},
                       {{2024, 12, 2}, 31, "31", "martes 31 de diciembre"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.today.year << "-" << c.today.month << " " << c.clicked);
        BeginMonth(c.today);
        PickDay(c.clicked);
        EXPECT_EQ(FirstDayTold().substr(0, FirstDayTold().find(':')), c.firstDay);
        EXPECT_EQ(BannerText(), std::string("Bien has elegido el día ") + c.shown +
                                    " del mes. Escribe el total mensual, donde esta el cursor, "
                                    "en la esquina superior izquierda y pulsa ENTER después ...");
        Keys("3000\n");
        Save();
        Restart();
        EXPECT_EQ(BannerText(), TEXT_GREETING);
        EXPECT_EQ(FirstDayTold().substr(0, FirstDayTold().find(':')), c.firstDay);
        Close();
        std::filesystem::remove(folder + LEDGER_FILE_NAME);
    }
}

// ---------------------------------------------------------------------------------------------
// What a left click on a day of the period does, by state

enum class ClickOutcome { Nothing, PicksStartDay, OpensExpenseField, RemovesBannerOnly };

TEST_F(InputTest, LeftClickOnADayOfThePeriodByState) {
    constexpr GridPlace TARGET{3, 2};  // a day of every period laid out from row 1
    using O = ClickOutcome;
    // After the start: "N" Mes nuevo, "A" Autor, "P" the 15th picked, "T" the total typed, "R" a
    // refused amount typed, "O" the 17th's field opened, "S" saved and started again.
    const struct {
        const char* name;
        const char* steps;
        ClickOutcome outcome;
    } cases[] = {
        {"welcome", "", O::Nothing},
        {"welcome under the Autor banner", "A", O::Nothing},
        {"month setup", "N", O::PicksStartDay},
        {"month setup under the Autor banner", "NA", O::PicksStartDay},
        {"Mes nuevo after a refused total", "NPRN", O::PicksStartDay},
        {"monthly total's field open", "NP", O::Nothing},
        {"refused monthly total", "NPR", O::RemovesBannerOnly},
        {"period in place", "NPT", O::OpensExpenseField},
        {"period under the Autor banner", "NPTA", O::RemovesBannerOnly},
        {"refused expense", "NPTOR", O::RemovesBannerOnly},
        {"expense field open", "NPTO", O::Nothing},
        {"expense field open under the Autor banner", "NPTOA", O::RemovesBannerOnly},
        {"stored period's greeting", "NPTS", O::RemovesBannerOnly},
    };
    // What the person sees: the calendar, the field and the banner.
    const auto state = [this] {
        return std::make_tuple(Told().heading, FirstDayTold(), Told().field.name, Told().field.text,
                               BannerText());
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenOn(MARCH_2024);
        for (const char* step = c.steps; *step; ++step) {
            if (*step == 'N') NewMonth();
            if (*step == 'A') Choose(Command::Author);
            if (*step == 'P') PickDay(15);
            if (*step == 'T') Keys("3100\n");
            if (*step == 'R') Keys("1-2\n");
            if (*step == 'O') PickDay(17);
            if (*step == 'S') {
                Save();
                Restart();
            }
        }
        auto before = state();
        const std::string targetDay =
            Told().cells.empty() ? "" : Told().cells[CellIndex(TARGET)].name;
        const bool bannerBefore = BannerOnSurface();
        ClickCell(TARGET);
        switch (c.outcome) {
            case O::Nothing:
                EXPECT_EQ(state(), before);
                EXPECT_EQ(BannerOnSurface(), bannerBefore);
                break;
            case O::PicksStartDay:
                EXPECT_EQ(FirstDayTold().substr(0, FirstDayTold().find(':')),
                          targetDay.substr(0, targetDay.find(':')));
                EXPECT_EQ(Told().field.name, TEXT_MONTH_TOTAL_FIELD);
                EXPECT_EQ(BannerText(), StartDayBannerText(6));
                EXPECT_FALSE(BannerGoesAtAClick());
                break;
            case O::OpensExpenseField:
                EXPECT_EQ(Told().field.name,
                          TEXT_EXPENSE_FIELD + targetDay.substr(0, targetDay.find(':')));
                EXPECT_EQ(BannerText(), std::get<4>(before));
                break;
            case O::RemovesBannerOnly:
                std::get<4>(before) = "";
                EXPECT_EQ(state(), before);
                EXPECT_FALSE(BannerOnSurface());
                if (!Told().field.open) {  // then the next click on the day opens its field
                    ClickCell(TARGET);
                    EXPECT_TRUE(Told().field.name.starts_with(TEXT_EXPENSE_FIELD));
                }
                break;
        }
        Close();
    }
}

TEST_F(InputTest, ClicksOffTheGridOnItsGapsOrOffThePeriodNeverPickOrOpen) {
    // The header band, the white lines between boxes (x 121, y 150), around the grid, and cells
    // without a day.
    const Point points[] = {{60, 0},  {540, 69},  {121, 100}, {540, 150},
                            {0, 100}, {841, 100}, {60, 120},  {60, 500}};
    BeginMonth();
    for (Point p : points) {
        SCOPED_TRACE(testing::Message() << "month setup, click at " << p.x << ", " << p.y);
        Click(p.x, p.y);
        EXPECT_EQ(BannerText(), "") << "no start day picked";
        EXPECT_FALSE(Told().field.open);
    }
    Close();
    PlacePeriod(15, "3100");
    for (Point p : points) {
        SCOPED_TRACE(testing::Message() << "period, click at " << p.x << ", " << p.y);
        Click(p.x, p.y);
        EXPECT_FALSE(Told().field.open);
    }
    Choose(Command::Author);
    Click(60, 10);
    EXPECT_FALSE(BannerOnSurface()) << "off the grid a click still removes a dismissable banner";
    EXPECT_FALSE(Told().field.open);
}

// A click on a cell's top rows, where its day number is drawn, acts on that cell.
TEST_F(InputTest, ClickOnADaysNumberActsOnThatDay) {
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
    EXPECT_EQ(SpentShown(15), "3'00");
    EXPECT_EQ(SpentShown(22), "12'00");
    EXPECT_EQ(SpentShown(23), "");
}

TEST_F(InputTest, MovesAndReleasesOpenNothing) {
    PlacePeriod(15, "3100");
    Choose(Command::Author);
    const QPoint day{CellMiddleX(3), CellMiddleY(2)};
    QTest::mouseMove(SurfaceWidget(), day + QPoint(30, 20));
    EXPECT_FALSE(Told().field.open);
    EXPECT_TRUE(BannerOnSurface());
    QTest::mouseRelease(SurfaceWidget(), Qt::LeftButton, Qt::NoModifier, day);
    EXPECT_FALSE(Told().field.open);
    EXPECT_TRUE(BannerOnSurface());
}

// ---------------------------------------------------------------------------------------------
// Month setup again

TEST_F(InputTest, NewMonthDropsWhateverWasBegunAndLetsTheUserStartOver) {
    BeginMonth();
    PickDay(20);  // a Wednesday: the period now starts two columns left of the 1st
    Keys("12");
    NewMonth();
    EXPECT_FALSE(Told().field.open);
    EXPECT_EQ(FirstDayTold(), "viernes 1 de marzo: quedan 0,00 €");
    EXPECT_EQ(DaysShown(), 31) << "no day of the abandoned layout is left marked";
    EXPECT_EQ(PlaceOf(1), (GridPlace{5, 1}));
    EXPECT_FALSE(BannerOnSurface());
    Keys("3\n");  // no field, no keyboard's mark: dropped
    EXPECT_EQ(BannerText(), "");
    EXPECT_FALSE(Told().field.open);

    // A refused total leaves the month setup's menu; days take expenses but get no allowance.
    PickDay(15);
    EXPECT_EQ(Told().field.text, "") << "a fresh field";
    Keys("1234567\n");
    EXPECT_EQ(BannerText(), TEXT_TOO_LONG);
    ExpectMenu(MenuState::Enabled, MenuState::Greyed);
    Click(60, 10);  // removes the banner
    AddExpense(16, "40");
    EXPECT_EQ(DayTold(16), "sábado 16 de marzo: te has pasado 40,00 €; gastado 40,00 €");

    NewMonth();
    EXPECT_EQ(DayTold(16), "sábado 16 de marzo: quedan 0,00 €") << "nothing kept";
    PickDay(20);
    EXPECT_EQ(FirstDayTold(), "miércoles 20 de marzo: quedan 0,00 €");
    EXPECT_EQ(Told().field.name, TEXT_MONTH_TOTAL_FIELD);
    Keys("3100\n");
    ExpectMenu(MenuState::Greyed, MenuState::Enabled);
    EXPECT_EQ(SavedAmounts(19), (Amounts{0, 100, 100}));
    EXPECT_STREQ(SavedDay(16).spentText, "");
}

// ---------------------------------------------------------------------------------------------
// Keys as the surface turns them into edits of the open field

struct KeyTest : InputTest {
    void SetUp() override {
        InputTest::SetUp();
        BeginMonth();
        PickDay(5);
    }
};

TEST_F(KeyTest, KeysWithoutAnActionChangeNothing) {
    Keys("12<");
    for (Qt::Key key : {Qt::Key_Tab, Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown,
                        Qt::Key_Insert, Qt::Key_Delete, Qt::Key_F1, Qt::Key_F12}) {
        SCOPED_TRACE(testing::Message() << "key " << std::hex << static_cast<int>(key));
        Press(key);
        EXPECT_EQ(FieldShown(), "1|2");
    }
    for (Qt::Key key : {Qt::Key_Z, Qt::Key_Y, Qt::Key_A}) {
        SCOPED_TRACE(testing::Message() << "Ctrl with key " << std::hex << static_cast<int>(key));
        Press(key, Qt::ControlModifier);
        EXPECT_EQ(FieldShown(), "1|2") << "a control key is no character of the field";
    }
}

// Every kind of edit is shown where the field sits on the page: the surface shows what a field
// of its own, given the same keys, draws.
TEST_F(KeyTest, SurfaceShowsTheFieldAfterEveryEdit) {
    const Rect at = Told().field.box;
    EntryField mine;
    mine.Open(FieldPurpose::MonthlyTotal, {}, {at.left, at.top},
              fonts.Get(ENTRY_FONT_FACE, ENTRY_FONT_POINTS, true));
    // The edit each key of a script makes, as the key queue names it.
    const auto edit = [](char key) {
        switch (key) {
            case '<':
                return KeyAction::Left;
            case '^':
                return KeyAction::Home;
            case '$':
                return KeyAction::End;
            case '\b':
                return KeyAction::Backspace;
            default:
                return KeyAction::Put;
        }
    };
    for (const char* keys : {"", "12,5", "<<\b", "^9", "$", "\b\b\b\b\b"}) {
        SCOPED_TRACE(testing::Message() << "after \"" << keys << "\"");
        Keys(keys);
        for (const char* k = keys; *k; ++k) mine.Edit(edit(*k), static_cast<char32_t>(*k));
        int unlike = 0;
        for (int y = 0; y < ENTRY_HEIGHT; ++y)
            for (int x = 0; x < ENTRY_WIDTH; ++x)
                unlike += Pixel(at.left + x, at.top + y) != mine.Picture().Pixel(x, y);
        EXPECT_EQ(unlike, 0);
    }
    EXPECT_EQ(Told().field.text, "");
}

// Backspace, Left and Right act at every repeated press and at the release; the rest only once.
TEST_F(KeyTest, HeldKeyActsAsOftenAsItsRepeatsAllow) {
    const struct {
        const char* name;
        const char* before;
        Qt::Key key;
        const char* text;
        int repeats;
        const char* shown;
    } cases[] = {{"Backspace", "12345", Qt::Key_Backspace, "\b", 3, "1|"},
                 {"Left", "12345", Qt::Key_Left, "", 2, "12|345"},
                 {"Right", "12345^", Qt::Key_Right, "", 1, "12|345"},
                 {"a character", "", Qt::Key_7, "7", 3, "7|"},
                 {"End", "123^", Qt::Key_End, "", 2, "123|"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        NewMonth();
        PickDay(5);
        Keys(c.before);
        HoldKey(c.key, c.text, c.repeats);
        EXPECT_EQ(FieldShown(), c.shown);
    }
}

TEST_F(KeyTest, CharactersBeyondAsciiAreKeptAsTypedAndRefused) {
    Type("é€");
    EXPECT_EQ(FieldShown(), "é€|");
    Enter();
    EXPECT_EQ(BannerText(), TEXT_INVALID);
}

// ---------------------------------------------------------------------------------------------
// Amounts typed on Enter

TEST_F(InputTest, ExpenseIsAddedOrRefusedWithItsMessage) {
    const struct {
        const char* name;
        const char* typed;
        const char* refusal;  // the banner, or nullptr for an accepted amount
        double amount;
        const char* spentText;
    } cases[] = {
        {"six digits", "123456", nullptr, 123456, "123.456'00"},
        {"seven digits", "1234567", TEXT_TOO_LONG, 0, ""},
        {"seven letters", "abcdefg", TEXT_TOO_LONG, 0, ""},
        {"five digits and a comma", "1234,5", nullptr, 1234.5, "1.234'50  "},
        {"six digits and a comma", "123456,", TEXT_TOO_LONG, 0, ""},
        {"decimal point", "12.25", nullptr, 12.25, "12'25     "},
        {"apostrophe", "7'5", nullptr, 7.5, "7'50      "},
        {"leading separator", ",5", nullptr, 0.5, "0'50      "},
        {"trailing separator", "7.", nullptr, 7, "7'00      "},
        {"two separators", "1,2.5", TEXT_INVALID, 0, ""},
        {"minus sign", "-12", TEXT_INVALID, 0, ""},
        {"space", "1 2", TEXT_INVALID, 0, ""},
        {"letter", "12a", TEXT_INVALID, 0, ""},
        {"lone separator", ",", nullptr, 0, "0'00      "},
        {"empty field", "", nullptr, 0, "0'00      "},
        {"an emptied cell joins its neighbours", "123<\b", nullptr, 13, "13'00     "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.name << " \"" << c.typed << "\"");
        PlacePeriod(10, "3000", APRIL_2024);
        const GridPlace day = PlaceOf(12);
        const std::string bannerBefore = BannerText();
        AddExpense(12, c.typed);

        EXPECT_FALSE(Told().field.open);
        EXPECT_EQ(BannerText(), c.refusal ? c.refusal : bannerBefore);
        EXPECT_EQ(BannerOnSurface(), c.refusal != nullptr);
        if (c.refusal) {
            EXPECT_EQ(CountInDayBand(day, SPENT_DY, ENTRY_HEIGHT, IsInk), 0) << "the field went";
            EXPECT_TRUE(BannerGoesAtAClick());
        }
        const DayRecord d = SavedDay(12);
        EXPECT_EQ(AmountsOf(d), (Amounts{c.amount, 100 - c.amount, 100}));
        EXPECT_STREQ(d.spentText, c.spentText);
        EXPECT_EQ(SavedAmounts(13), (Amounts{0, 100, 100}));
        Close();
        std::filesystem::remove(folder + LEDGER_FILE_NAME);  // the next case is a new period
    }
}

TEST_F(InputTest, ThreeThousandOverThirtyDaysGivesOneHundredADayAndExpensesAddUp) {
    PlacePeriod(10, "3000", APRIL_2024);
    ASSERT_EQ(DaysShown(), 30);  // 10 April to 9 May
    AddExpense(9, "10");
    AddExpense(9, "2,5");
    EXPECT_EQ(DayTold(9), "jueves 9 de mayo: quedan 87,50 €; gastado 12,50 €");
    EXPECT_EQ(CountInDayBand(PlaceOf(9), BALANCE_DY, 16, IsReddish), 0);
    const DayRecord d = SavedDay(9);
    EXPECT_EQ(AmountsOf(d), (Amounts{12.5, 87.5, 100}));
    EXPECT_STREQ(d.spentText, "12'50     ");
    EXPECT_EQ(LedgerBytes().size(), 30u * DAY_RECORD_SIZE);
    for (int day : {10, 30, 1, 8}) EXPECT_EQ(SavedAmounts(day), (Amounts{0, 100, 100}));
}

// A total that does not divide evenly: each day keeps the exact share and shows it to the cent.
TEST_F(InputTest, UnevenTotalIsKeptExactAndShownToTheCent) {
    Open();
    BeginPeriod(1, "1000");  // 31 days of March 2024
    EXPECT_EQ(BalanceShown(1), "32'26");
    EXPECT_EQ(double{SavedDay(1).allowance}, 1000.0 / 31);
}

TEST_F(InputTest, EmptyMonthlyTotalPutsThePeriodInPlaceWithNothingToSpend) {
    BeginMonth(APRIL_2024);
    PickDay(10);
    Keys("\n");
    ExpectMenu(MenuState::Greyed, MenuState::Enabled);
    EXPECT_EQ(DaysShown(), 30);
    EXPECT_EQ(SavedAmounts(10), (Amounts{0, 0, 0}));
    EXPECT_EQ(LedgerBytes().size(), 30u * DAY_RECORD_SIZE);
}

}  // namespace
