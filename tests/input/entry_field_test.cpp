// SPDX-License-Identifier: GPL-3.0-or-later
// The entry field on its own: cells in overwrite mode, the caret's moves and wrapping between
// rows, and the field's picture, in the program's field font and in fonts that give two rows or
// no cells at all.
#include "input/entry_field.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

static void PrintTo(const GridPlace& p, std::ostream* out) {
    *out << "(" << p.column << ", " << p.row << ")";
}

namespace {

constexpr const char* FIELD_FACE = "Lucida Console";
constexpr int FIELD_POINTS = 11;  // the program's field: one row of at least 7 columns

bool IsInk(Colour c) {
    return c != COLOUR_WHITE;
}

struct EntryFieldTest : testing::Test {
    Fonts fonts;
    EntryField field;

    void OpenField(int points = FIELD_POINTS) {
        field.Open(FieldPurpose::MonthlyTotal, GridPlace{5, 1}, MONTH_TOTAL_FIELD_PLACE,
                   fonts.Get(FIELD_FACE, points, true));
    }
    // "<" Left, ">" Right, "^" Home, "$" End, "\b" Backspace; any other character is put.
    void Keys(std::string_view script) {
        static constexpr std::pair<char, void (EntryField::*)()> named[] = {
            {'<', &EntryField::MoveCaretLeft},
            {'>', &EntryField::MoveCaretRight},
            {'^', &EntryField::MoveCaretHome},
            {'$', &EntryField::MoveCaretEnd},
            {'\b', &EntryField::EraseBackward}};
        for (const char k : script) {
            const auto* found = std::find_if(std::begin(named), std::end(named),
                                             [k](const auto& n) { return n.first == k; });
            if (found != std::end(named))
                (field.*found->second)();
            else
                field.Put(static_cast<unsigned char>(k));
        }
    }
    // The usable cells of a row, "_" for an empty cell, without the trailing empty ones.
    std::string RowText(int row = 1) {
        std::string text;
        for (int column = 1; column < field.Columns(); ++column) {
            const char32_t ch = field.CharacterAt(column, row);
            text.push_back(ch ? static_cast<char>(ch) : '_');
        }
        return text.substr(0, text.find_last_not_of('_') + 1);
    }
    std::vector<Colour> Pixels(const Rect& part) {
        std::vector<Colour> pixels;
        for (int y = part.top; y < part.bottom; ++y)
            for (int x = part.left; x < part.right; ++x)
                pixels.push_back(field.Picture().Pixel(x, y));
        return pixels;
    }
    // A cell of the first row in the picture.
    Rect CellArea(int column) {
        return Rect{(column - 1) * field.CharWidth(), 0, column * field.CharWidth(),
                    field.LineHeight()};
    }
    int InkInColumn(int column) {
        const std::vector<Colour> cell = Pixels(CellArea(column));
        return static_cast<int>(std::count_if(cell.begin(), cell.end(), IsInk));
    }
};

struct FieldEdit {
    const char* name;
    const char* keys;
    const char* row;
    int caretColumn;  // 0 for the caret-only last column
};

// Cells hold what the keys left; ink shows exactly in the filled cells and the caret's cell.
TEST_F(EntryFieldTest, CellsCaretAndPicture) {
    const FieldEdit cases[] = {
        {"fresh field shows only the caret", "", "", 1},
        {"typing fills columns in order", "12,5", "12,5", 5},
        {"typing over a character replaces it", "123^9", "923", 2},
        {"Backspace after two Lefts empties the first cell", "123<<\b", "_23", 1},
        {"End goes past the last character across a hole", "123<\b^$", "1_3", 4},
        {"Home on an empty row", ">>^", "", 1},
        {"End on an empty row", ">>$", "", 1},
        {"Backspace in the very first cell", "12^\b", "_2", 1},
        {"Backspace on a fresh field", "\b", "", 1},
        {"Left stops at the first cell", "1<<<", "1", 1},
        {"Right stops in the caret column", ">>>>>>>>>>>>>>>>>>>>", "", 0},
    };
    for (const FieldEdit& c : cases) {
        SCOPED_TRACE(c.name);
        OpenField();
        ASSERT_EQ(field.Rows(), 1);
        ASSERT_GE(field.Columns(), 7);
        Keys(c.keys);
        EXPECT_EQ(RowText(), c.row);
        const int caret = c.caretColumn ? c.caretColumn : field.Columns();
        EXPECT_EQ(field.Caret(), (GridPlace{caret, 1}));
        for (int column = 1; column <= field.Columns(); ++column) {
            const bool filled = column < field.Columns() && field.CharacterAt(column, 1) != 0;
            EXPECT_EQ(InkInColumn(column) > 0, filled || column == caret) << "column " << column;
        }
    }
}

TEST_F(EntryFieldTest, TypingPastTheLastUsableColumnChangesNothingVisible) {
    OpenField();
    const int n = field.Columns();
    const std::string usable = std::string("1234567890123456789").substr(0, n - 1);
    Keys(usable);
    EXPECT_EQ(field.Caret(), (GridPlace{n, 1}));
    const std::vector<Colour> before = Pixels(Rect{0, 0, ENTRY_WIDTH, ENTRY_HEIGHT});
    Keys("98");
    EXPECT_EQ(field.Caret(), (GridPlace{n, 1}));
    EXPECT_EQ(field.CharacterAt(n, 1), U'8') << "kept in the caret's column, never shown";
    EXPECT_TRUE(Pixels(Rect{0, 0, ENTRY_WIDTH, ENTRY_HEIGHT}) == before);
    EXPECT_EQ(field.Text(), usable);
}

TEST_F(EntryFieldTest, CaretLetsTheCharacterUnderItShowThrough) {
    OpenField();
    Keys("0");
    const std::vector<Colour> zero = Pixels(CellArea(1));
    ASSERT_GT(std::count_if(zero.begin(), zero.end(), IsInk), 0);
    Keys("<");
    const std::vector<Colour> both = Pixels(CellArea(1));
    int covered = 0, added = 0;
    for (size_t i = 0; i < zero.size(); ++i) {
        covered += IsInk(zero[i]) && !IsInk(both[i]);
        added += !IsInk(zero[i]) && IsInk(both[i]);
    }
    EXPECT_EQ(covered, 0) << "no pixel of the 0 is painted over";
    EXPECT_GT(added, 0) << "the caret adds its stroke";
}

TEST_F(EntryFieldTest, FieldOfTwoRowsWrapsTypingAtOnceAndArrowsOneStepLater) {
    OpenField(7);
    ASSERT_GE(field.Rows(), 2);
    const int n = field.Columns();
    Keys(std::string(n - 1, '4'));
    EXPECT_EQ(field.Caret(), (GridPlace{1, 2})) << "typing in the last usable column wraps at once";
    Keys("<");
    EXPECT_EQ(field.Caret(), (GridPlace{n, 1}));
    Keys(">");
    EXPECT_EQ(field.Caret(), (GridPlace{1, 2}));
    Keys("\b");
    EXPECT_EQ(field.Caret(), (GridPlace{n - 1, 1})) << "Backspace skips the caret-only column";
    EXPECT_EQ(RowText(1), std::string(n - 2, '4'));
    Keys(">");
    EXPECT_EQ(field.Caret(), (GridPlace{n, 1}));
    Keys(">5$");
    EXPECT_EQ(field.Caret(), (GridPlace{2, 2}));
    Keys("^");
    EXPECT_EQ(field.Caret(), (GridPlace{1, 2})) << "Home keeps the row";
    EXPECT_EQ(field.Text(), std::string(n - 2, '4') + "5");
}

TEST_F(EntryFieldTest, FieldTooSmallForItsFontHasNoCellsAndIgnoresKeys) {
    OpenField(40);
    EXPECT_TRUE(field.IsOpen());
    EXPECT_FALSE(field.HasCells());
    Keys("12\b<>^$\b\b");
    EXPECT_FALSE(field.HasCells());
    EXPECT_EQ(field.Text(), "");
    const std::vector<Colour> picture = Pixels(Rect{0, 0, ENTRY_WIDTH, ENTRY_HEIGHT});
    EXPECT_EQ(std::count_if(picture.begin(), picture.end(), IsInk), 0) << "no caret either";
}

}  // namespace
