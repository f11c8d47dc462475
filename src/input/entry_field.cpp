// SPDX-License-Identifier: GPL-3.0-or-later
// The self-drawn entry field: cells in overwrite mode, a caret that wraps between rows, and the
// field's picture.
#include "input/entry_field.h"

#include <algorithm>

#include "system/utf8.h"
#include "view/description.h"

namespace {

constexpr Colour FIELD_BACK = COLOUR_WHITE;
constexpr Colour FIELD_TEXT = COLOUR_BLACK;
constexpr char32_t UNSHOWABLE = U'?';

int FloorDiv(int a, int b) {
    if (b <= 0) return 0;
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

}  // namespace

void EntryField::Open(FieldPurpose purpose, GridPlace day, Point at, const Font& font,
                      std::string_view text) {
    open_ = true;
    purpose_ = purpose;
    day_ = day;
    place_ = at;
    font_ = &font;
    charWidth_ = font.Metrics().averageCharWidth;
    lineHeight_ = font.LineHeight();
    columns_ = FloorDiv(ENTRY_WIDTH, charWidth_);
    rows_ = FloorDiv(ENTRY_HEIGHT, lineHeight_);
    cells_.clear();
    caretColumn_ = caretRow_ = 1;
    if (columns_ - 1 > 0 && rows_ > 0) cells_.assign(static_cast<size_t>(columns_) * rows_, 0);
    for (size_t at = 0; at < text.size();) Put(NextCharacter(text, at));
    Paint();
}

bool EntryField::Edit(KeyAction action, char32_t character) {
    switch (action) {
        case KeyAction::Put:
            Put(character);
            return true;
        case KeyAction::Backspace:
            EraseBackward();
            return true;
        case KeyAction::Left:
            MoveCaretLeft();
            return true;
        case KeyAction::Right:
            MoveCaretRight();
            return true;
        case KeyAction::Home:
            MoveCaretHome();
            return true;
        case KeyAction::End:
            MoveCaretEnd();
            return true;
        case KeyAction::Enter:
        case KeyAction::Escape:
        case KeyAction::None:
            break;
    }
    return false;
}

Rect EntryField::Area() const {
    return Rect{place_.x, place_.y, place_.x + ENTRY_WIDTH, place_.y + ENTRY_HEIGHT};
}

void EntryField::Paint() {
    picture_.Clear(FIELD_BACK);
    if (!HasCells()) return;
    std::string character;
    for (int row = 1; row <= rows_; ++row) {
        for (int column = 1; column <= columns_ - 1; ++column) {
            const char32_t c = CharacterAt(column, row);
            if (c == 0) continue;
            character.clear();
            AppendUtf8(character, c);
            picture_.OpaqueText(Point{(column - 1) * charWidth_, (row - 1) * lineHeight_},
                                character, *font_, FIELD_TEXT, FIELD_BACK);
        }
    }
    picture_.Text(Point{(caretColumn_ - 1) * charWidth_, (caretRow_ - 1) * lineHeight_}, CARET_TEXT,
                  *font_, FIELD_TEXT);
}

void EntryField::Put(char32_t character) {
    if (!HasCells()) return;
    int& c = caretColumn_;
    int& r = caretRow_;
    cells_[Index(c, r)] = font_->HasGlyph(character) ? character : UNSHOWABLE;
    // Typing wraps at once: past the last usable column the caret goes to the next row.
    if (c < columns_ && r <= rows_) ++c;
    if (c >= columns_ && r < rows_) {
        c = 1;
        ++r;
    }
    Paint();
}

void EntryField::EraseBackward() {
    if (!HasCells()) return;
    int& c = caretColumn_;
    int& r = caretRow_;
    if (c > 1) {
        cells_[Index(c - 1, r)] = 0;
        --c;
    } else {
        if (r > 1) {
            c = columns_ - 1;
            --r;
        }
        cells_[Index(c, r)] = 0;
    }
    Paint();
}

void EntryField::MoveCaretRight() {
    if (!HasCells()) return;
    if (caretColumn_ < columns_) {
        ++caretColumn_;
    } else if (caretRow_ < rows_) {
        caretColumn_ = 1;
        ++caretRow_;
    }
    Paint();
}

void EntryField::MoveCaretLeft() {
    if (!HasCells()) return;
    if (caretColumn_ > 1) {
        --caretColumn_;
    } else if (caretRow_ > 1) {
        caretColumn_ = columns_;
        --caretRow_;
    }
    Paint();
}

void EntryField::MoveCaretHome() {
    if (!HasCells()) return;
    caretColumn_ = 1;
    Paint();
}

void EntryField::MoveCaretEnd() {
    if (!HasCells()) return;
    int end = 0;
    for (int column = 1; column <= columns_ - 1; ++column)
        if (CharacterAt(column, caretRow_) != 0) end = column + 1;
    caretColumn_ = end == 0 ? 1 : end;
    Paint();
}

std::string EntryField::Text() const {
    std::string text;
    if (!HasCells()) return text;
    for (int row = 1; row <= rows_; ++row) {
        for (int column = 1; column <= columns_ - 1; ++column) {
            const char32_t c = CharacterAt(column, row);
            if (c != 0) AppendUtf8(text, c);
        }
    }
    return text;
}

int EntryField::CaretOffset() const {
    int offset = 0;
    if (!HasCells()) return offset;
    for (int row = 1; row <= caretRow_; ++row) {
        const int end = row == caretRow_ ? std::min(caretColumn_, columns_) : columns_;
        for (int column = 1; column < end; ++column) offset += CharacterAt(column, row) != 0;
    }
    return offset;
}

DescribedField DescribeField(const EntryField& field, const Period& period) {
    DescribedField d;
    if (!field.IsOpen()) return d;
    d.open = true;
    switch (field.Purpose()) {
        case FieldPurpose::MonthlyTotal:
            d.name = TEXT_MONTH_TOTAL_FIELD;
            break;
        case FieldPurpose::Expense:
            d.name = TEXT_EXPENSE_FIELD + DescribeDate(period, field.Day());
            break;
        case FieldPurpose::Correction:
            d.name = TEXT_CORRECTION_FIELD + DescribeDate(period, field.Day());
            break;
    }
    d.text = field.Text();
    d.caret = field.CaretOffset();
    d.box = field.Area();
    return d;
}
