// The self-drawn entry field: a grid of character cells in overwrite mode with a "|" caret. The
// last column only ever holds the caret; characters are shown and read in the others.
#include "app/shell.h"
#include "input/input.h"
#include "view/view.h"

EntryFieldState entry;

namespace {

int FloorDiv(int a, int b) {
    if (b <= 0) return 0;
    int q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

Font* EntryFont() {
    return RequestFont(shell.entryFontName, shell.entryFontSize, true);
}

bool PutFieldOnPage() {
    if (!page.pageImage || !entry.entryImage) return false;
    SelectTarget(page.pageImage);
    CopyImage(entry.entryImage, entry.entryLeft, entry.entryTop);
    return true;
}

}  // namespace

bool EntryHasCells() {
    return entry.cellsMade;
}

EntryCell& CellAt(int column, int row) {
    return entry.entryCells[static_cast<size_t>(row) * (entry.fieldColumns + 1) + column];
}

void OpenEntryField(int width, int height, int left, int top) {
    entry.entryOpen = 1;
    entry.entryBackColour = COLOUR_WHITE;
    entry.entryLeft = static_cast<int16_t>(left);
    entry.entryTop = static_cast<int16_t>(top);
    DestroyImage(entry.entryImage);
    entry.entryImage = CreateImage(width, height);
    SelectTarget(entry.entryImage);
    SetTextColour(entry.entryTextColour);
    SetBackColour(entry.entryBackColour);
    ClearTarget(entry.entryBackColour);
    SelectFont(EntryFont());

    const FontMetrics metrics = SelectedFontMetrics();
    entry.charWidth = metrics.averageCharWidth;
    entry.lineHeight = metrics.height + metrics.externalLeading;
    entry.fieldColumns = FloorDiv(width, entry.charWidth);
    entry.fieldRows = FloorDiv(height, entry.lineHeight);
    entry.cellsMade = false;
    // A font too large for one usable column and one row leaves a field without cells or caret.
    if (entry.fieldColumns - 1 <= 0 || entry.fieldRows <= 0) return;

    entry.entryCells.assign(static_cast<size_t>(entry.fieldColumns + 1) * (entry.fieldRows + 1),
                            EntryCell{0, 0, 0});
    for (int row = 1; row <= entry.fieldRows; ++row) {
        for (int column = 1; column <= entry.fieldColumns; ++column) {
            CellAt(column, row).textColour = COLOUR_BLACK;
            CellAt(column, row).backColour = COLOUR_WHITE;
        }
    }
    entry.cellsMade = true;
    entry.caretColumn = 1;
    entry.caretRow = 1;
    DrawEntryField();
    PutFieldOnPage();
    PresentView();
}

void DrawEntryField() {
    if (!entry.entryImage) return;
    SelectTarget(entry.entryImage);
    ClearTarget(entry.entryBackColour);
    SelectFont(EntryFont());
    if (!entry.cellsMade) return;
    for (int row = 1; row <= entry.fieldRows; ++row) {
        for (int column = 1; column <= entry.fieldColumns - 1; ++column) {
            const EntryCell& cell = CellAt(column, row);
            if (cell.ch == 0) continue;
            MoveTo((column - 1) * entry.charWidth, (row - 1) * entry.lineHeight);
            SetTextColour(cell.textColour);
            SetBackColour(cell.backColour);
            SetBackgroundOpaque(true);
            DrawText(std::string(1, static_cast<char>(cell.ch)));
        }
    }
    MoveTo((entry.caretColumn - 1) * entry.charWidth, (entry.caretRow - 1) * entry.lineHeight);
    SetTextColour(COLOUR_BLACK);
    SetBackgroundOpaque(false);
    DrawText(CARET_TEXT);
}

// Only the field changes while it is edited, so only its rectangle is presented.
void ShowEntryField() {
    DrawEntryField();
    if (!PutFieldOnPage()) return;
    PresentViewPart(entry.entryLeft, entry.entryTop, ImageWidth(entry.entryImage),
                    ImageHeight(entry.entryImage));
}

void RedrawCalendarKeepingField() {
    RedrawCalendar();
    if (entry.entryOpen == 0) return;
    DrawEntryField();
    PutFieldOnPage();
}

int LineEndColumn(int row) {
    int result = 0;
    if (entry.cellsMade && row >= 1 && row <= entry.fieldRows) {
        for (int column = 1; column <= entry.fieldColumns - 1; ++column) {
            if (CellAt(column, row).ch != 0) result = column + 1;
        }
    }
    return result == 0 ? 1 : result;
}

void MoveCaretRight() {
    if (!entry.cellsMade) return;
    int& c = entry.caretColumn;
    int& r = entry.caretRow;
    if (c < entry.fieldColumns) {
        ++c;
    } else if (c == entry.fieldColumns && r < entry.fieldRows) {
        c = 1;
        ++r;
    }
}

void MoveCaretLeft() {
    if (!entry.cellsMade) return;
    int& c = entry.caretColumn;
    int& r = entry.caretRow;
    if (c > 1) {
        --c;
    } else if (c == 1 && r > 1) {
        c = entry.fieldColumns;
        --r;
    }
}

void MoveCaretHome() {
    if (entry.cellsMade) entry.caretColumn = 1;
}

void MoveCaretEnd() {
    if (entry.cellsMade) entry.caretColumn = LineEndColumn(entry.caretRow);
}

void PutCharacter(int code) {
    if (!entry.cellsMade) return;
    int& c = entry.caretColumn;
    int& r = entry.caretRow;
    EntryCell& cell = CellAt(c, r);
    cell.ch = static_cast<uint8_t>(code);
    cell.textColour = entry.entryTextColour;
    cell.backColour = entry.entryBackColour;
    // Typing wraps at once: past the last usable column the caret goes to the next row.
    if (c < entry.fieldColumns && r <= entry.fieldRows) ++c;
    if (c >= entry.fieldColumns && r < entry.fieldRows) {
        c = 1;
        ++r;
    }
}

void EraseBackward() {
    if (!entry.cellsMade) return;
    int& c = entry.caretColumn;
    int& r = entry.caretRow;
    if (c > 1) {
        CellAt(c - 1, r).ch = 0;
        --c;
        return;
    }
    // From the first column the caret goes to the last usable column of the row above.
    if (c == 1 && r > 1) {
        c = entry.fieldColumns - 1;
        --r;
    }
    CellAt(c, r).ch = 0;
}
