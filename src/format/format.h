// SPDX-License-Identifier: GPL-3.0-or-later
// Amounts to display text (1.234'50) and typed text back to amounts. Neither depends on the
// process locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr size_t FORMATTED_AMOUNT_LENGTH = 19;

// The amount with "." between thousands and "'" before two decimals, padded with blanks on the
// right to exactly 19 characters (longer texts are cut to 19).
std::string FormatAmount(double amount);
// The amount in cents exactly as FormatAmount shows it, its rounding included; amounts of a
// hundred thousand million and more, whose text may be cut, are rounded to the cent instead, and
// no numbers (NaN, infinities) count as 0.
long long ShownCents(double amount);
// ",", "." and "'" all count as the decimal point; the number at the start of the text, or 0.
double ParseAmount(std::string_view text);
// The amount as a person would type it: its displayed cents with a decimal comma, no thousands
// separator and no trailing zeros ("17,5" for 17'50); empty for an amount shown as 0'00.
std::string TypedAmount(double amount);
// The text without the blanks on both sides.
std::string TrimBlanks(std::string_view text);
