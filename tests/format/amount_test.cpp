// SPDX-License-Identifier: GPL-3.0-or-later
// Amount display text and typed-amount parsing, each table run under the "C" locale and under a
// locale whose decimal point is a comma, which must make no difference.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "format/format.h"

namespace {

// Locales with a comma as decimal point; the first one installed is used.
constexpr const char* COMMA_LOCALES[] = {"es_ES.UTF-8", "es_ES.utf8", "es_ES",       "de_DE.UTF-8",
                                         "de_DE.utf8",  "de_DE",      "fr_FR.UTF-8", "fr_FR.utf8"};

// Runs `check` under the "C" locale, then under a comma locale, and puts the process locale
// back; skips the test after the first run when no comma locale is installed.
void UnderBothLocales(const std::function<void()>& check) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    {
        SCOPED_TRACE("C locale");
        ASSERT_NE(std::setlocale(LC_ALL, "C"), nullptr);
        check();
    }
    const char* comma = nullptr;
    for (const char* name : COMMA_LOCALES) {
        if (std::setlocale(LC_ALL, name) != nullptr &&
            std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
            comma = name;
            break;
        }
    }
    if (comma != nullptr) {
        SCOPED_TRACE(comma);
        check();
    }
    std::setlocale(LC_ALL, saved.c_str());
    if (comma == nullptr)
        GTEST_SKIP() << "no locale with a comma decimal point is installed (generate es_ES.UTF-8 "
                        "to run the comma half)";
}

const double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
const double INFINITY_VALUE = std::numeric_limits<double>::infinity();

TEST(FormatAmountTest, WritesTheDisplayText) {
    const struct {
        const char* name;
        double amount;
        const char* expected;  // the full 19 characters
    } cases[] = {
        {"Zero", 0.0, "0'00               "},
        {"NegativeZeroIsPlainZero", -0.0, "0'00               "},
        {"HalfKeepsTwoDecimals", 0.5, "0'50               "},
        {"TwelveAndAHalf", 12.5, "12'50              "},
        {"OneThirdOfAHundredIsCut", 100.0 / 3.0, "33'33              "},
        {"ThousandsGetADot", 1234.5, "1.234'50           "},
        {"MillionsGetTwoDots", 1234567.891, "1.234.567'89       "},
        {"NegativeRoundsAwayFromZeroAboveHalf", -45.678, "-45'68             "},
        {"ExactHalfCentGoesDownToEven", 0.125, "0'12               "},
        {"ExactHalfCentGoesUpToEven", 0.375, "0'38               "},
        {"StoredBelowHalfIsCut", 2.675, "2'67               "},
        {"StoredJustAboveHalfRoundsUp", 0.025, "0'03               "},
        {"StoredJustBelowHalfIsCut", 0.995, "0'99               "},
        {"SmallestStoredAboveHalfCentRoundsUp", 0.005, "0'01               "},
        {"CarryAddsAThousandsGroup", 999.999, "1.000'00           "},
        {"CarryAddsAMillionsGroup", 999999.996, "1.000.000'00       "},
        {"CarryIntoOneFromZero", 0.996, "1'00               "},
        {"NegativeThatRoundsToZeroKeepsItsSign", -0.001, "-0'00              "},
        {"NegativeHalfCentStoredAboveHalf", -0.005, "-0'01              "},
        {"NegativeCentsOnly", -0.5, "-0'50              "},
        {"OneCent", 0.01, "0'01               "},
        {"ExactThreeDigitGroupNoLeadingDot", 100.0, "100'00             "},
        {"FourDigitsFirstGroupOfOne", 1000.0, "1.000'00           "},
        {"LargestTwelveDigitAmount", 999999999999.99, "999.999.999.999'99 "},
        {"LargestNegativeFillsExactly", -999999999999.99, "-999.999.999.999'99"},
        {"TenToTheTwelveIsCut", 1e12, "1.000.000.000.000'0"},
        {"NegativeTenToTheTwelveIsCut", -1e12, "-1.000.000.000.000'"},
        {"TenToTheFifteenIsCut", 1e15, "1.000.000.000.000.0"},
        // 18 significant digits first: ...808.99500002 becomes ...808.995000, then the tie goes
        // even.
        {"EighteenDigitsRoundBeforeTheCents", 1093232947808.995, "1.093.232.947.809'0"},
        // 2^60 has 19 digits; the 19th is dropped by the 18-digit step.
        {"TwoToTheSixtyKeepsEighteenDigits", 1152921504606846976.0, "1.152.921.504.606.8"},
        {"TenToThe308", 1e308, "100.000.000.000.000"},
        {"LargestFinite", std::numeric_limits<double>::max(), "179.769.313.486.231"},
        {"LowestFinite", std::numeric_limits<double>::lowest(), "-179.769.313.486.23"},
        {"SmallestDenormal", std::numeric_limits<double>::denorm_min(), "0'00               "},
        {"NegativeSmallestDenormal", -std::numeric_limits<double>::denorm_min(),
         "-0'00              "},
        {"SmallestNormal", std::numeric_limits<double>::min(), "0'00               "},
        {"NotANumber", NAN_VALUE, "NaN                "},
        {"NegativeNotANumber", -NAN_VALUE, "NaN                "},
        {"PositiveInfinity", INFINITY_VALUE, "inf                "},
        {"NegativeInfinity", -INFINITY_VALUE, "-inf               "},
    };
    UnderBothLocales([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            const std::string text = FormatAmount(c.amount);
            EXPECT_EQ(text.size(), FORMATTED_AMOUNT_LENGTH);
            EXPECT_EQ(text, c.expected);
        }
    });
}

TEST(ParseAmountTest, ReadsTheNumberAtTheStart) {
    const struct {
        const char* name;
        const char* text;
        double expected;
    } cases[] = {
        {"WholeNumber", "25", 25.0},
        {"CommaIsTheDecimalPoint", "25,5", 25.5},
        {"ApostropheIsTheDecimalPoint", "12'50", 12.5},
        {"SingleDotIsTheDecimalPoint", "1.234", 1.234},
        {"NoDigitsBeforeTheSeparator", ",5", 0.5},
        {"NoDigitsAfterTheSeparator", "7.", 7.0},
        {"EmptyTextIsZero", "", 0.0},
        {"DisplayTextStopsAtTheSecondSeparator", "1.234'50", 1.234},
        {"LoneSeparatorIsZero", ".", 0.0},
        {"LoneSignIsZero", "-", 0.0},
        {"LettersFirstIsZero", "abc", 0.0},
        {"StopsAtALetter", "12a5", 12.0},
        {"StopsAtABlank", "1 5", 1.0},
        {"NoExponent", "1e5", 1.0},
        {"LeadingBlanksSkipped", "   42", 42.0},
        {"LeadingTabSkipped", "\t8", 8.0},
        {"NegativeWithComma", "-3,5", -3.5},
        {"NegativeWithoutIntegerDigits", "-,25", -0.25},
        {"ExplicitPlus", "+2", 2.0},
        {"CorrectlyRoundedTenth", "0,1", 0.1},
        {"CorrectlyRoundedSixDigits", "1234'56", 1234.56},
        {"TieBeyondFiftyThreeBitsGoesEven", "9007199254740993", 9007199254740992.0},
        {"AboveTieBeyondFiftyThreeBitsGoesUp", "9007199254740993,0001", 9007199254740994.0},
        {"LeadingZeros", "000123,4500", 123.45},
        {"FormattedZero", "0'00", 0.0},
    };
    UnderBothLocales([&] {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(ParseAmount(c.text), c.expected) << "text \"" << c.text << "\"";
        }
    });
}

// Texts far longer than anything typed: too many digits for binary64 and too small a fraction.
TEST(ParseAmountTest, LongTextsGiveTheNearestValue) {
    const struct {
        const char* name;
        std::string text;
        double expected;
    } cases[] = {
        {"four hundred digits are infinity", "1" + std::string(400, '0'), INFINITY_VALUE},
        {"negative four hundred digits", "-9" + std::string(400, '9'), -INFINITY_VALUE},
        {"a tiny fraction is zero", "0," + std::string(400, '0') + "1", 0.0},
        {"three hundred digits stay finite", "1" + std::string(300, '0'), 1e300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ParseAmount(c.text), c.expected);
    }
}

// The cents a sum shows, rounded as its text is: traces below the cent are no debt.
TEST(ShownCentsTest, CountsTheCentsTheTextShows) {
    const struct {
        const char* name;
        double amount;
        long long cents;
    } cases[] = {
        {"WholeAmount", 3100, 310000},
        {"HalfCentGoesToTheEvenCent", 0.125, 12},
        {"TraceBelowZeroIsZero", -1e-13, 0},
        {"TraceAboveAWholeAmount", 1000.0000000000001, 100000},
        {"Negative", -100, -10000},
        {"ThousandsSeparatorsAreNoDigits", 1234567.891, 123456789},
        {"TooLargeForItsText", 2.5e12, 250000000000000},
        {"NotANumberIsZero", NAN_VALUE, 0},
        {"InfinityIsZero", -INFINITY_VALUE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShownCents(c.amount), c.cents);
    }
}

TEST(TrimBlanksTest, RemovesBlanksOnBothSides) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {{"", ""},
                 {"     ", ""},
                 {"12'50", "12'50"},
                 {"12'50              ", "12'50"},
                 {"  a b  ", "a b"}};
    for (const auto& c : cases) EXPECT_EQ(TrimBlanks(c.text), c.expected) << '"' << c.text << '"';
}

}  // namespace
