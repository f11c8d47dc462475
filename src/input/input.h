// Input on the drawing surface: key and mouse dispatch, the self-drawn entry field with its caret,
// and the testing and applying of typed amounts.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// ---------------------------------------------------------------------------------------------
// Surface input dispatch

// Key codes as formed from the surface's pending key: a character's code, or 256 x scan code.
constexpr int KEY_BACKSPACE = 8;
constexpr int KEY_ENTER = 13;
constexpr int KEY_HOME = 0x4700;
constexpr int KEY_LEFT = 0x4B00;
constexpr int KEY_RIGHT = 0x4D00;
constexpr int KEY_END = 0x4F00;

intptr_t SurfaceInputProc(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);
// 0 for no key, the code of a one-character key, or first + 256 x second for two characters.
int KeyCodeOf(std::string_view pendingKey);
void HandleKeyDown(int keyCode);
void HandleKeyUp(int keyCode);
void HandleLeftButtonDown(int x, int y);
void PickStartDay(int column, int row);
// The start-day banner text for a day: "Bien has elegido el día 05 del mes. ...".
std::string StartDayBannerText(int day);

// ---------------------------------------------------------------------------------------------
// Entry field: an overwrite-mode grid of character cells drawn by the program, with a caret.

constexpr int ENTRY_WIDTH = 110;
constexpr int ENTRY_HEIGHT = 25;
constexpr int MONTH_TOTAL_FIELD_LEFT = 2;
constexpr int MONTH_TOTAL_FIELD_TOP = 2;
constexpr const char* CARET_TEXT = "|";

struct EntryCell {
    uint8_t ch;  // Windows-1252 code; 0 = empty
    Colour textColour;
    Colour backColour;
};

struct EntryFieldState {
    int32_t entryOpen = 0;
    Image* entryImage = nullptr;
    int16_t entryLeft = 0;
    int16_t entryTop = 0;
    Colour entryTextColour = COLOUR_BLACK;
    Colour entryBackColour = COLOUR_WHITE;
    int32_t fieldColumns = 0;  // the last column only holds the caret
    int32_t fieldRows = 0;
    int32_t charWidth = 0;
    int32_t lineHeight = 0;
    std::vector<EntryCell> entryCells;  // (fieldColumns + 1) x (fieldRows + 1), column fastest
    bool cellsMade = false;  // false for a field too small for one usable column and one row
    int32_t caretColumn = 0;
    int32_t caretRow = 0;
};
extern EntryFieldState entry;

// True once the opening made cells (a field too small for a column and a row has none).
bool EntryHasCells();
EntryCell& CellAt(int column, int row);

void OpenEntryField(int width, int height, int left, int top);
void DrawEntryField();
void ShowEntryField();
// Redraws the calendar; an open field is drawn again where it was, so the user always sees
// where typing goes.
void RedrawCalendarKeepingField();
int LineEndColumn(int row);
void MoveCaretRight();
void MoveCaretLeft();
void MoveCaretHome();
void MoveCaretEnd();
void PutCharacter(int code);
void EraseBackward();

// ---------------------------------------------------------------------------------------------
// Amount entry and validation

constexpr int ENTRY_NONE = 0;
constexpr int ENTRY_EXPENSE = 1;
constexpr int ENTRY_MONTH_TOTAL = 2;
constexpr size_t MAX_AMOUNT_CHARACTERS = 6;
constexpr const char* AMOUNT_CHARACTERS = "0123456789,.'";
constexpr const char* SEPARATOR_CHARACTERS = ".,'";
constexpr const char* DIGIT_CHARACTERS = "0123456789";

struct AmountEntryState {
    int32_t entryMode = ENTRY_NONE;
    int32_t entryColumn = 0;
    int32_t entryRow = 0;
    std::string entryText;
    // Set by the shell at start-up: what else changes once a monthly total is accepted.
    void (*monthlyTotalAccepted)() = nullptr;
};
extern AmountEntryState amountEntry;
// Drops the entry field's image and every key and amount state.
void ResetInputState();

// The characters of the field's usable cells, row by row; empty cells are skipped.
std::string ReadEntryText();
int32_t CountOfAny(std::string_view text, std::string_view set);
// What a typed text is: too long, not an amount, or an amount.
enum class AmountVerdict { TooLong, Invalid, Valid };
AmountVerdict JudgeAmountText(std::string_view text);
void AcceptEntry();
void DistributeMonthlyTotal();
// Closes any open field without applying it.
void CloseEntryField();
