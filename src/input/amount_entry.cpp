// Reading the entry field on Enter, testing the text and applying it as a day's expense or as the
// monthly total spread over the period.
#include <cstring>

#include "app/banner.h"
#include "format/format.h"
#include "input/input.h"
#include "model/model.h"
#include "view/view.h"

AmountEntryState amountEntry;

std::string ReadEntryText() {
    std::string text;
    if (!EntryHasCells()) return text;
    for (int row = 1; row <= entry.fieldRows; ++row) {
        for (int column = 1; column <= entry.fieldColumns - 1; ++column) {
            const uint8_t ch = CellAt(column, row).ch;
            if (ch != 0) text.push_back(static_cast<char>(ch));
        }
    }
    return text;
}

int32_t CountOfAny(std::string_view text, std::string_view set) {
    int32_t count = 0;
    for (char c : text) {
        if (set.find(c) != std::string_view::npos) ++count;
    }
    return count;
}

AmountVerdict JudgeAmountText(std::string_view text) {
    // Length is tested first: a long text is too long even when it is no amount.
    if (text.size() > MAX_AMOUNT_CHARACTERS) return AmountVerdict::TooLong;
    const auto n = static_cast<int32_t>(text.size());
    const bool digitsWithOneSeparator =
        CountOfAny(text, AMOUNT_CHARACTERS) == n && CountOfAny(text, SEPARATOR_CHARACTERS) == 1;
    const bool digitsOnly = CountOfAny(text, DIGIT_CHARACTERS) == n;
    return (digitsWithOneSeparator || digitsOnly) ? AmountVerdict::Valid : AmountVerdict::Invalid;
}

void DistributeMonthlyTotal() {
    int16_t days = 0;
    for (const DayRecord& rec : period.dayGrid) {
        if (rec.inPeriod != 0) ++days;
    }
    for (DayRecord& rec : period.dayGrid) {
        if (rec.inPeriod == 0) continue;
        rec.balance = ParseAmount(amountEntry.entryText) / days;
        rec.allowance = ParseAmount(amountEntry.entryText) / days;
    }
}

void AcceptEntry() {
    amountEntry.entryText = ReadEntryText();
    switch (JudgeAmountText(amountEntry.entryText)) {
        case AmountVerdict::TooLong:
            ShowBanner(TEXT_TOO_LONG, 1);
            return;
        case AmountVerdict::Invalid:
            ShowBanner(TEXT_INVALID, 1);
            return;
        case AmountVerdict::Valid:
            break;
    }

    if (amountEntry.entryMode == ENTRY_EXPENSE &&
        IsGridPosition(amountEntry.entryColumn, amountEntry.entryRow)) {
        DayRecord& day = DayAt(amountEntry.entryColumn, amountEntry.entryRow);
        day.spent = ParseAmount(amountEntry.entryText) + day.spent;
        // The record keeps the first 10 characters of the formatted amount and a terminator.
        const std::string formatted = FormatAmount(day.spent);
        std::memset(day.spentText, 0, sizeof day.spentText);
        std::memcpy(day.spentText, formatted.data(), std::min<size_t>(formatted.size(), 10));
        day.balance = day.allowance - day.spent;
    } else if (amountEntry.entryMode == ENTRY_MONTH_TOTAL) {
        DistributeMonthlyTotal();
        if (amountEntry.monthlyTotalAccepted) amountEntry.monthlyTotalAccepted();
    }
    RedrawCalendar();
    PresentView();
}

void CloseEntryField() {
    entry.entryOpen = 0;
    amountEntry.entryMode = ENTRY_NONE;
}

void ResetInputState() {
    DestroyImage(entry.entryImage);
    entry = EntryFieldState{};
    amountEntry = AmountEntryState{};
}
