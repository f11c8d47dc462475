// SPDX-License-Identifier: GPL-3.0-or-later
// Without the mouse and without sight: the keyboard among the days and in the menus, and what a
// screen reader is told of the surface and when.
#include <QAccessible>
#include <QMenuBar>
#include <algorithm>
#include <vector>

#include "program_driver.h"

namespace {

struct KeyboardTest : ProgramTest {
    // What a screen reader is told while `act` runs.
    template <typename Act>
    std::vector<Tell> TellingOf(Act act) {
        const SurfaceDescription before = Told();
        act();
        return WhatToTell(before, Told());
    }
    static bool Has(const std::vector<Tell>& tells, Telling what, int index = 0) {
        return std::find(tells.begin(), tells.end(), Tell{what, index}) != tells.end();
    }
    int CellOf(int day) { return CellIndex(*PlaceOfDay(day)); }
};

// A whole period from the keyboard: the menu from F10, the start day with the arrows and Enter,
// the total, then an expense on another day.
TEST_F(KeyboardTest, PeriodEnteredWithoutTheMouse) {
    Open();
    Press(Qt::Key_F10);
    ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "F10 opens the first menu";
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Return);  // Mes nuevo
    QApplication::processEvents();
    EXPECT_EQ(Told().heading, "Marzo Abril 2024");
    EXPECT_EQ(KeyboardDayOfMonth(), 1);
    EXPECT_EQ(MarkedDay(), std::nullopt) << "no mark before the keyboard is used";
    Press(Qt::Key_Return);
    EXPECT_EQ(BannerText(), "") << "Enter acts on no day that has no mark";
    const struct {
        Qt::Key key;
        int day;  // of the month, in March 2024 from the 1st (a Friday, column 5)
    } moves[] = {
        {Qt::Key_Right, 2},  {Qt::Key_Down, 9},   {Qt::Key_Left, 8},   {Qt::Key_Up, 1},
        {Qt::Key_Up, 1},     {Qt::Key_End, 31},   {Qt::Key_Right, 31}, {Qt::Key_Home, 1},
        {Qt::Key_Down, 8},   {Qt::Key_Right, 9},  {Qt::Key_Right, 10}, {Qt::Key_Right, 11},
        {Qt::Key_Right, 12}, {Qt::Key_Right, 13}, {Qt::Key_Right, 14}, {Qt::Key_Right, 15}};
    for (const auto& m : moves) {
        SCOPED_TRACE(testing::Message() << "key " << std::hex << m.key);
        Press(m.key);
        EXPECT_EQ(KeyboardDayOfMonth(), m.day);
        EXPECT_EQ(MarkedDay(), PlaceOfDay(m.day));
    }
    Press(Qt::Key_Return);
    EXPECT_EQ(BannerText(), StartDayBannerText(15));
    EXPECT_EQ(Told().field.name, TEXT_MONTH_TOTAL_FIELD);
    Type("3100");
    EXPECT_EQ(Told().field.text, "3100");
    EXPECT_EQ(Told().field.caret, 4);
    Enter();
    EXPECT_EQ(DayTold(15), "viernes 15 de marzo: quedan 100,00 €");
    for (int i = 0; i < 5; ++i) Press(Qt::Key_Right);  // the 20th
    Press(Qt::Key_Space);
    EXPECT_EQ(Told().field.name, std::string(TEXT_EXPENSE_FIELD) + "miércoles 20 de marzo");
    Type("112,5");
    Enter();
    EXPECT_EQ(DayTold(20), "miércoles 20 de marzo: te has pasado 12,50 €; gastado 112,50 €");
    EXPECT_EQ(MarkedDay(), PlaceOfDay(20)) << "the keyboard stays on the day";
    Save();
    EXPECT_EQ(LedgerBytes().size(), 31u * DAY_RECORD_SIZE);
}

// The keyboard goes on from the day whose field a click opened, not from a day clicked while a
// field was open (such a click does nothing).
TEST_F(KeyboardTest, KeyboardGoesOnFromTheDayAClickChose) {
    Open();
    BeginPeriod(15, "3100");
    PickDay(20);
    PickDay(22);
    Type("5");
    Enter();
    Press(Qt::Key_Right);
    EXPECT_EQ(KeyboardDayOfMonth(), 21);
}

// With the keyboard's mark on a day, Enter, Space and Escape remove a banner that waits for a
// click, as a click does: the day's field opens only at the next Enter. Without the mark only
// Escape does.
TEST_F(KeyboardTest, BannerGoesWithEnterSpaceOrEscape) {
    for (bool marked : {true, false}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape}) {
            SCOPED_TRACE(testing::Message() << "key " << std::hex << key << " marked " << marked);
            Open();
            BeginPeriod(15, "3100");
            if (marked) Press(Qt::Key_Home);
            Choose(Command::Author);
            EXPECT_EQ(Told().banner, TEXT_AUTHOR);
            Press(key);
            EXPECT_EQ(Told().banner, marked || key == Qt::Key_Escape ? "" : TEXT_AUTHOR);
            EXPECT_FALSE(Told().field.open);
            Press(Qt::Key_Return);
            EXPECT_EQ(Told().field.open, marked);
            Close();
        }
    }
}

// The keyboard's mark is drawn over the surface, never into its picture (nor into "Bitmap").
TEST_F(KeyboardTest, MarkIsOnlyOverThePicture) {
    Open();
    BeginPeriod(15, "3100");
    const auto firstDay = [this] {  // the 15th's cell in the picture, where Home puts the mark
        constexpr TestBox cell = TestCellBox(5, 1);
        std::vector<Colour> pixels;
        for (int y = cell.top; y < cell.bottom; ++y)
            for (int x = cell.left; x < cell.right; ++x) pixels.push_back(Pixel(x, y));
        return pixels;
    };
    const QImage before = SurfaceWidget()->grab().toImage();
    const std::vector<Colour> picture = firstDay();
    Press(Qt::Key_Home);
    EXPECT_NE(SurfaceWidget()->grab().toImage(), before);
    EXPECT_EQ(firstDay(), picture);
}

// What a screen reader is told, and what changes it is told of.
TEST_F(KeyboardTest, ScreenReaderIsToldWhatChanges) {
    Open();
    EXPECT_EQ(Told().welcome, TEXT_WELCOME);
    EXPECT_TRUE(Told().cells.empty());
    NewMonth();
    std::vector<Tell> tells = TellingOf([this] { PickDay(15); });
    ASSERT_TRUE(Has(tells, Telling::FieldFocused));
    EXPECT_EQ(tells.back().what, Telling::BannerShown) << "told after the focus, not cut short";
    EXPECT_EQ(Told().banner, StartDayBannerText(15));
    Type("3100");
    Enter();
    EXPECT_EQ(Told().heading, "Marzo Abril 2024");
    ASSERT_EQ(Told().cells.size(), 42u);
    EXPECT_EQ(Told().columnHeaders.front(), "Lunes");
    EXPECT_EQ(Told().cells[0].name, "") << "a cell without a day";
    PickDay(20);
    EXPECT_EQ(Told().field.name, std::string(TEXT_EXPENSE_FIELD) + "miércoles 20 de marzo");
    tells = TellingOf([this] { Type("1"); });
    EXPECT_TRUE(Has(tells, Telling::FieldTextChanged));
    EXPECT_TRUE(Has(tells, Telling::CaretMoved));
    tells = TellingOf([this] {
        Type("2,5");
        Enter();
    });
    EXPECT_TRUE(Has(tells, Telling::CellRenamed, CellOf(20)));
    EXPECT_EQ(DayTold(20), "miércoles 20 de marzo: quedan 87,50 €; gastado 12,50 €");
    tells = TellingOf([this] { KeyDown(Qt::Key_Right); });
    EXPECT_TRUE(Has(tells, Telling::DayFocused, CellOf(21)));
    tells = TellingOf([this] { ToggleStatistics(); });
    EXPECT_TRUE(Has(tells, Telling::GaugeChanged, 0));
    ASSERT_EQ(Told().gauges.size(), 2u);
    EXPECT_EQ(Told().gauges[0].name, "Gastado");
    EXPECT_EQ(Told().gauges[0].percentage, 0);
    EXPECT_EQ(Told().gauges[0].amount, "12,50 €");
    EXPECT_EQ(Told().gauges[1].percentage, 100);
}

// The accessible tree a screen reader's bridge reads: the surface's children, the table's
// cells with the weekdays as their column headers, the field as editable text.
TEST_F(KeyboardTest, AccessibleTreeIsThePage) {
    Open();
    BeginPeriod(15, "3100");
    PickDay(20);
    Type("12");
    QAccessibleInterface* surface = QAccessible::queryAccessibleInterface(SurfaceWidget());
    ASSERT_NE(surface, nullptr);
    std::vector<QAccessible::Role> roles;
    for (int i = 0; i < surface->childCount(); ++i) roles.push_back(surface->child(i)->role());
    EXPECT_EQ(roles, (std::vector<QAccessible::Role>{QAccessible::Heading, QAccessible::Table,
                                                     QAccessible::EditableText}));
    QAccessibleTableInterface* table = surface->child(1)->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 6);
    QAccessibleInterface* cell = table->cellAt(1, 2);  // the 20th: row 2, column 3 (from 0: 1, 2)
    EXPECT_EQ(cell->text(QAccessible::Name).toStdString(),
              "miércoles 20 de marzo: quedan 100,00 €");
    EXPECT_EQ(cell->tableCellInterface()->columnHeaderCells().front()->text(QAccessible::Name),
              QString("Miércoles"));
    QAccessibleInterface* field = surface->child(2);
    EXPECT_EQ(field->textInterface()->text(0, -1), "12");
    EXPECT_EQ(field->textInterface()->cursorPosition(), 2);
    EXPECT_EQ(surface->focusChild(), field);
}

// A screen reader may still hold a gauge after the statistics are switched off, and ask it.
TEST_F(KeyboardTest, GaugeAskedAfterTheStatisticsGoReadsEmpty) {
    Open();
    BeginPeriod(15, "3100");
    ToggleStatistics();
    QAccessibleInterface* surface = QAccessible::queryAccessibleInterface(SurfaceWidget());
    QAccessibleInterface* gauge = nullptr;
    for (int i = 0; i < surface->childCount(); ++i)
        if (surface->child(i)->role() == QAccessible::ProgressBar) gauge = surface->child(i);
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->text(QAccessible::Name), "Queda");
    ToggleStatistics();
    EXPECT_EQ(gauge->text(QAccessible::Name), "");
    EXPECT_EQ(gauge->text(QAccessible::Value), "0 %");
    EXPECT_EQ(gauge->valueInterface()->currentValue(), 0);
}

TEST_F(KeyboardTest, MenusHaveTheirUnderlinedLetters) {
    Open();
    QStringList titles;
    for (QAction* menu : Ui().menuBar->actions()) titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&Operaciones", "&Ver"}));
    Press(Qt::Key_F10);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->activeAction(), ActionOf(Command::NewMonth)) << "the first item offered";
    QTest::keyClick(menu, Qt::Key_Escape);
    QApplication::processEvents();
    BeginPeriod(15, "3100");
    Press(Qt::Key_F10);
    menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->activeAction(), ActionOf(Command::Save)) << "Mes nuevo is greyed";
    QTest::keyClick(menu, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(BannerText(), TEXT_SAVED);
}

}  // namespace
