// SPDX-License-Identifier: GPL-3.0-or-later
// Testing a typed text as an amount.
#include "input/amount_entry.h"

#include <algorithm>

#include "system/utf8.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsSeparator(char c) {
    return c == ',' || c == '.' || c == '\'';
}

}  // namespace

AmountVerdict JudgeAmountText(std::string_view text) {
    if (CharacterCount(text) > MAX_AMOUNT_CHARACTERS) return AmountVerdict::TooLong;
    const auto separators = std::count_if(text.begin(), text.end(), IsSeparator);
    const auto digits = std::count_if(text.begin(), text.end(), IsDigit);
    const auto size = static_cast<std::ptrdiff_t>(text.size());
    const bool digitsOnly = digits == size;
    const bool digitsWithOneSeparator = separators == 1 && digits + separators == size;
    return digitsOnly || digitsWithOneSeparator ? AmountVerdict::Valid : AmountVerdict::Invalid;
}
