// SPDX-License-Identifier: GPL-3.0-or-later
// Amounts to their display text and typed texts back to amounts, with digit code of our own so
// that neither direction ever looks at the process locale.
#include "format/format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace {

// A binary64 magnitude has at most 309 integer digits; one more for a carry out of the top.
constexpr int MAX_INTEGER_DIGITS = 310;
// Sign, integer digits with a separator per group of three, separator and two decimals.
constexpr int MAX_TEXT_LENGTH = 1 + MAX_INTEGER_DIGITS + MAX_INTEGER_DIGITS / 3 + 3;

// Significant digits of the magnitude before it is cut to cents.
constexpr int SIGNIFICANT_DIGITS = 18;
// Below this every amount's text fits whole, cents included; from it on cents are counted
// directly, within the range a count of cents can hold.
constexpr double WHOLE_TEXT_LIMIT = 1e11;
constexpr double LARGEST_COUNTED = 1e16;
constexpr int CENTS_PER_UNIT = 100;

std::string PaddedToLength(const char* text, size_t length) {
    std::string result(text, length < FORMATTED_AMOUNT_LENGTH ? length : FORMATTED_AMOUNT_LENGTH);
    result.resize(FORMATTED_AMOUNT_LENGTH, ' ');
    return result;
}

// The 18 significant digits of a finite magnitude and the decimal exponent of the first one:
// the value is d[0].d[1]d[2]... x 10^exponent, rounded to nearest with ties to even.
struct SignificantDigits {
    std::array<int, SIGNIFICANT_DIGITS> digit;
    int exponent;
};

SignificantDigits DigitsOf(double magnitude) {
    // "d.ddddddddddddddddde+ddd" is at most 24 characters.
    char buffer[32];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                       std::chars_format::scientific, SIGNIFICANT_DIGITS - 1);
    SignificantDigits result{};
    const char* p = buffer;
    const char* end = written.ptr;
    int count = 0;
    while (p < end && *p != 'e') {
        if (*p >= '0' && *p <= '9' && count < SIGNIFICANT_DIGITS) result.digit[count++] = *p - '0';
        ++p;
    }
    if (p < end) ++p;  // the 'e'
    bool negativeExponent = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negativeExponent = *p == '-';
        ++p;
    }
    int exponent = 0;
    while (p < end && *p >= '0' && *p <= '9') exponent = exponent * 10 + (*p++ - '0');
    result.exponent = negativeExponent ? -exponent : exponent;
    return result;
}

}  // namespace

// NaN is written "NaN" and the infinities "inf" and "-inf", padded like any amount. Negative zero
// is not below zero and so is written like zero, 0'00.
std::string FormatAmount(double amount) {
    if (std::isnan(amount)) return PaddedToLength("NaN", 3);
    if (std::isinf(amount))
        return amount < 0 ? PaddedToLength("-inf", 4) : PaddedToLength("inf", 3);

    const bool negative = amount < 0;
    const SignificantDigits sig = DigitsOf(std::fabs(amount));

    // The digit at decimal place p (10^p), taken from the 18 significant digits.
    auto digitAt = [&sig](int place) {
        const int index = sig.exponent - place;
        return index >= 0 && index < SIGNIFICANT_DIGITS ? sig.digit[index] : 0;
    };

    // Integer places from the highest down to 10^0, then the two kept decimals; one spare slot in
    // front for a carry.
    const int topPlace = sig.exponent > 0 ? sig.exponent : 0;
    std::array<char, MAX_INTEGER_DIGITS + 2> kept{};
    int keptCount = 0;
    kept[keptCount++] = 0;
    for (int place = topPlace; place >= -2; --place)
        kept[keptCount++] = static_cast<char>(digitAt(place));

    // Cut to two decimals: the first dropped digit decides, a lone 5 going to the even cent.
    const int dropped = digitAt(-3);
    bool nonZeroBeyond = false;
    for (int index = sig.exponent + 4 > 0 ? sig.exponent + 4 : 0; index < SIGNIFICANT_DIGITS;
         ++index) {
        if (sig.digit[index] != 0) nonZeroBeyond = true;
    }
    const bool lastKeptOdd = kept[keptCount - 1] % 2 != 0;
    if (dropped > 5 || (dropped == 5 && (nonZeroBeyond || lastKeptOdd))) {
        int index = keptCount - 1;
        while (kept[index] == 9) kept[index--] = 0;
        ++kept[index];
    }

    // Integer digits without leading zeros, at least one.
    const int integerEnd = keptCount - 2;
    int first = 0;
    while (first < integerEnd - 1 && kept[first] == 0) ++first;

    std::array<char, MAX_TEXT_LENGTH> text{};
    int length = 0;
    if (negative) text[length++] = '-';
    for (int index = first; index < integerEnd; ++index) {
        const int remaining = integerEnd - index;
        if (index > first && remaining % 3 == 0) text[length++] = '.';
        text[length++] = static_cast<char>('0' + kept[index]);
    }
    text[length++] = '\'';
    text[length++] = static_cast<char>('0' + kept[integerEnd]);
    text[length++] = static_cast<char>('0' + kept[integerEnd + 1]);
    return PaddedToLength(text.data(), static_cast<size_t>(length));
}

long long ShownCents(double amount) {
    if (!std::isfinite(amount)) return 0;
    if (std::fabs(amount) >= WHOLE_TEXT_LIMIT)
        return std::llround(std::clamp(amount, -LARGEST_COUNTED, LARGEST_COUNTED) * CENTS_PER_UNIT);
    long long cents = 0;
    for (char c : FormatAmount(amount))
        if (c >= '0' && c <= '9') cents = cents * 10 + (c - '0');
    return amount < 0 ? -cents : cents;
}

// Leading blanks are spaces and tabs. A number too long for binary64 gives an infinity, and one
// too small to represent gives zero, both with the sign typed.
double ParseAmount(std::string_view text) {
    auto isSeparator = [](char c) { return c == ',' || c == '\'' || c == '.'; };
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };

    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t')) ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) {
        negative = text[p] == '-';
        ++p;
    }
    const size_t integerStart = p;
    while (p < text.size() && isDigit(text[p])) ++p;
    const size_t integerEnd = p;
    size_t fractionStart = p;
    size_t fractionEnd = p;
    if (p < text.size() && isSeparator(text[p])) {
        fractionStart = ++p;
        while (p < text.size() && isDigit(text[p])) ++p;
        fractionEnd = p;
    }
    if (integerEnd == integerStart && fractionEnd == fractionStart) return 0.0;

    // The number rebuilt with "." as the only separator and at least one integer digit.
    std::string number;
    number.reserve(integerEnd - integerStart + fractionEnd - fractionStart + 2);
    if (integerEnd == integerStart) number.push_back('0');
    number.append(text.substr(integerStart, integerEnd - integerStart));
    if (fractionEnd != fractionStart) {
        number.push_back('.');
        number.append(text.substr(fractionStart, fractionEnd - fractionStart));
    }

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value,
                                        std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        bool integerNonZero = false;
        for (size_t index = integerStart; index < integerEnd; ++index) {
            if (text[index] != '0') integerNonZero = true;
        }
        value = integerNonZero ? HUGE_VAL : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

std::string TrimBlanks(std::string_view text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && text[first] == ' ') ++first;
    while (last > first && text[last - 1] == ' ') --last;
    return std::string(text.substr(first, last - first));
}

std::string TypedAmount(double amount) {
    std::string typed;
    for (const char c : TrimBlanks(FormatAmount(amount))) {
        if (c != '.') typed.push_back(c == '\'' ? ',' : c);
    }
    // Amounts too large for the display's 19 characters lose their decimals there.
    if (typed.find(',') != std::string::npos) {
        while (typed.back() == '0') typed.pop_back();
        if (typed.back() == ',') typed.pop_back();
    }
    return typed == "0" || typed == "-0" ? std::string() : typed;
}
