// SPDX-License-Identifier: GPL-3.0-or-later
// The self-drawn entry field: a grid of character cells in overwrite mode with a "|" caret, in
// which a day's expense or the monthly total is typed. The last column only ever holds the caret;
// characters are shown and read in the others.
#pragma once

#include <string>
#include <vector>

#include "input/key_queue.h"
#include "model/period.h"
#include "platform/image.h"
#include "platform/surface_description.h"

constexpr int ENTRY_WIDTH = 110;
constexpr int ENTRY_HEIGHT = 25;
constexpr Point MONTH_TOTAL_FIELD_PLACE{2, 2};
constexpr const char* CARET_TEXT = "|";
// What the field is for, as a screen reader names it.
constexpr const char* TEXT_MONTH_TOTAL_FIELD = "Total del mes";
constexpr const char* TEXT_EXPENSE_FIELD = "Gasto del ";
constexpr const char* TEXT_CORRECTION_FIELD = "Gasto total del ";

// What the typed amount is for: an expense added to a day, the monthly total, or what a day has
// spent in all.
enum class FieldPurpose { Expense, MonthlyTotal, Correction };

class EntryField {
public:
    // Opens a fresh field for `purpose` (an expense belongs to `day`) with its top-left corner
    // at `at` on the page, its cells as many as `font` fits, holding `text` as if typed. A font
    // too large for one usable column and one row gives a field without cells or caret, which
    // ignores keys.
    void Open(FieldPurpose purpose, GridPlace day, Point at, const Font& font,
              std::string_view text = {});
    void Close() { open_ = false; }

    bool IsOpen() const { return open_; }
    FieldPurpose Purpose() const { return purpose_; }
    GridPlace Day() const { return day_; }
    Point Place() const { return place_; }
    Rect Area() const;
    // The field as drawn: its characters, each on a white cell, and the caret over them.
    const Image& Picture() const { return picture_; }

    // Puts a character in the caret's cell (one the font cannot show becomes "?", which no
    // amount accepts) and moves the caret on, to the next row past the last usable column.
    void Put(char32_t character);
    // Empties the cell before the caret and moves there; from a row's first column the caret
    // goes to the last usable column of the row above.
    void EraseBackward();
    void MoveCaretLeft();
    void MoveCaretRight();
    void MoveCaretHome();
    // Past the last character of the caret's row.
    void MoveCaretEnd();
    // The edit a key makes: false for an action that is no edit (Enter, Escape, none).
    bool Edit(KeyAction action, char32_t character);

    // The characters of the usable cells, row by row; empty cells are skipped.
    std::string Text() const;
    // How many characters of Text() lie before the caret.
    int CaretOffset() const;

    bool HasCells() const { return !cells_.empty(); }
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    GridPlace Caret() const { return GridPlace{caretColumn_, caretRow_}; }
    char32_t CharacterAt(int column, int row) const { return cells_[Index(column, row)]; }
    int CharWidth() const { return charWidth_; }
    int LineHeight() const { return lineHeight_; }

private:
    size_t Index(int column, int row) const {
        return static_cast<size_t>(row - 1) * columns_ + (column - 1);
    }
    void Paint();

    bool open_ = false;
    FieldPurpose purpose_ = FieldPurpose::Expense;
    GridPlace day_{0, 0};
    Point place_;
    const Font* font_ = nullptr;
    Image picture_{ENTRY_WIDTH, ENTRY_HEIGHT};
    int columns_ = 0;  // the last column only holds the caret
    int rows_ = 0;
    int charWidth_ = 0;
    int lineHeight_ = 0;
    std::vector<char32_t> cells_;  // columns x rows, column fastest; 0 for an empty cell
    int caretColumn_ = 0;
    int caretRow_ = 0;
};

// The field as a screen reader is told it: what the amount is for, its text and its caret.
DescribedField DescribeField(const EntryField& field, const Period& period);
