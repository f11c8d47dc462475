// SPDX-License-Identifier: GPL-3.0-or-later
// What a typed text is, as an amount: too long, not an amount, or an amount.
#pragma once

#include <cstddef>
#include <string_view>

constexpr size_t MAX_AMOUNT_CHARACTERS = 6;

enum class AmountVerdict { TooLong, Invalid, Valid };

// At most 6 characters, all digits, or digits with exactly one of ",", "." and "'". Length is
// tested first: a long text is too long even when it is no amount.
AmountVerdict JudgeAmountText(std::string_view text);
