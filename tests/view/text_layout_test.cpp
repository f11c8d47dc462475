// Text laid out in a box: line breaking and placement with simple width rules, then drawing
// through the real platform fonts.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "view/view.h"

namespace {

// Every character is 10 pixels wide.
int FitTenPixelsEach(std::string_view text, int maxWidth) {
    const int fitting = maxWidth < 0 ? 0 : maxWidth / 10;
    return fitting < static_cast<int>(text.size()) ? fitting : static_cast<int>(text.size());
}

// Capital letters are 30 pixels wide, every other character 10.
int FitWideCapitals(std::string_view text, int maxWidth) {
    int used = 0;
    int count = 0;
    for (char c : text) {
        used += c >= 'A' && c <= 'Z' ? 30 : 10;
        if (used > maxWidth) break;
        ++count;
    }
    return count;
}

// Every character is 1 pixel wide, so a line's width is its length.
int MeasureOnePixelEach(std::string_view text) {
    return static_cast<int>(text.size());
}

// ---------------------------------------------------------------------------------------------
// SplitToWidth

struct SplitCase {
    const char* name;
    const char* text;
    int maxWidth;
    const char* head;
    const char* rest;
};

class SplitToWidthTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitToWidthTest, BreaksAtTheLastSpaceThatFits) {
    const SplitCase& c = GetParam();
    const SplitText split = SplitToWidth(c.text, c.maxWidth, FitTenPixelsEach);
    EXPECT_EQ(split.head, c.head);
    EXPECT_EQ(split.rest, c.rest);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitToWidthTest,
    testing::Values(SplitCase{"AllFits", "Hola mundo", 100, "Hola mundo", ""},
                    SplitCase{"EmptyText", "", 50, "", ""},
                    SplitCase{"RestBeginsWithTheSpace", "Hola mundo", 90, "Hola", " mundo"},
                    // Index 4 is the first character that does not fit and is itself a space.
                    SplitCase{"SpaceAtTheFirstCharacterThatDoesNotFit", "Hola mundo", 40, "Hola",
                              " mundo"},
                    SplitCase{"LastOfSeveralSpaces", "a b c d e", 60, "a b c", " d e"},
                    SplitCase{"NoSpaceGivesEmptyHead", "Supercalifragilistico", 100, "",
                              "Supercalifragilistico"},
                    SplitCase{"SpaceAtIndexZeroIsNeverABreak", " abcdefgh", 50, "", " abcdefgh"},
                    SplitCase{"NothingFits", "a b", 5, "", "a b"},
                    SplitCase{"NegativeWidth", "a b", -5, "", "a b"}),
    [](const testing::TestParamInfo<SplitCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// BreakIntoLines

struct BreakCase {
    const char* name;
    std::string text;
    int width;
    std::vector<std::pair<int, std::string>> lines;  // every other line is empty
    FitCounter fit = FitTenPixelsEach;
};

class BreakIntoLinesTest : public testing::TestWithParam<BreakCase> {};

TEST_P(BreakIntoLinesTest, FillsTheLineTable) {
    const BreakCase& c = GetParam();
    BoxLines lines;
    lines.line[7] = "left over from before";
    BreakIntoLines(c.text, c.width, c.fit, lines);
    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        std::string expected;
        for (const auto& [number, text] : c.lines) {
            if (number == i) expected = text;
        }
        EXPECT_EQ(lines.line[i], expected) << "line " << i;
    }
}

const std::string UNBREAKABLE = "Supercalifragilistico";

INSTANTIATE_TEST_SUITE_P(
    Texts, BreakIntoLinesTest,
    testing::Values(
        BreakCase{"EmptyTextLeavesEveryLineEmpty", "", 100, {}},
        BreakCase{"TextThatFitsIsOneLine", "Hola mundo", 105, {{1, "Hola mundo"}}},
        // 100 pixels fit the box but not the first line's 95.
        // 100 pixels fit the box but not the first line's 95; " mundo" is longer than "Hola", so
        // it is split again (all of it fits) and loses its space.
        BreakCase{"FirstLineIsFivePixelsNarrower", "Hola mundo", 100, {{1, "Hola"}, {2, "mundo"}}},
        // " dias" is shorter than "Buenos", so it is not split again and keeps its space.
        BreakCase{
            "ShorterSecondLineKeepsItsSpace", "Buenos dias", 100, {{1, "Buenos"}, {2, " dias"}}},
        // " WWWW" is 130 pixels, wider than the box, but shorter in characters than line 1.
        BreakCase{"ShorterRestStaysWiderThanTheBox",
                  "aaaaaaaa WWWW",
                  100,
                  {{1, "aaaaaaaa"}, {2, " WWWW"}},
                  FitWideCapitals},
        BreakCase{"LaterLinesUseTheFullWidth",
                  "aaaa bbbbb cccc",
                  60,
                  {{1, "aaaa"}, {2, "bbbbb"}, {3, "cccc"}}},
        BreakCase{"EachLongerRestIsSplitAgain",
                  "aa bbbbb c ddddd",
                  60,
                  {{1, "aa"}, {2, "bbbbb"}, {3, "c"}, {4, "ddddd"}}},
        BreakCase{"WiderWordAloneOnLineHundred", UNBREAKABLE, 100, {{100, UNBREAKABLE}}},
        BreakCase{"LineHundredIsNeverSplit",
                  UNBREAKABLE + " corto",
                  100,
                  {{100, UNBREAKABLE + " corto"}}},
        BreakCase{"LeadingSpaceDroppedOnTheWayDown", " " + UNBREAKABLE, 100, {{100, UNBREAKABLE}}},
        BreakCase{"TrailingSpacesStayOnTheFirstLine",
                  "aaaa   bbbbbbb",
                  100,
                  {{1, "aaaa  "}, {2, "bbbbbbb"}}}),
    [](const testing::TestParamInfo<BreakCase>& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// PlaceLines (widths: one pixel per character)

struct ExpectedPlacement {
    int line;
    int x;
    int extra;
    int breaks;
};

struct PlaceCase {
    const char* name;
    int alignment;
    int left;
    int width;
    std::vector<std::string> lines;  // lines 1, 2, ...; the rest empty
    std::vector<ExpectedPlacement> expected;
    bool drawn;
};

class PlaceLinesTest : public testing::TestWithParam<PlaceCase> {};

TEST_P(PlaceLinesTest, PlacesEachLine) {
    const PlaceCase& c = GetParam();
    BoxLines lines;
    for (size_t i = 0; i < c.lines.size(); ++i) lines.line[i + 1] = c.lines[i];
    LinePlacement placement[TEXT_LINE_LIMIT + 1];
    PlaceLines(lines, c.alignment, c.left, c.width, MeasureOnePixelEach, placement);
    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        EXPECT_EQ(placement[i].drawn, c.drawn) << "line " << i;
    }
    for (const ExpectedPlacement& e : c.expected) {
        EXPECT_EQ(placement[e.line].x, e.x) << "line " << e.line;
        EXPECT_EQ(placement[e.line].extra, e.extra) << "line " << e.line;
        EXPECT_EQ(placement[e.line].breaks, e.breaks) << "line " << e.line;
    }
}

std::string Chars(int count) {
    return std::string(static_cast<size_t>(count), 'x');
}
// A line of `count` characters holding `spaces` spaces.
std::string WithSpaces(int count, int spaces) {
    std::string text = Chars(count);
    for (int k = 0; k < spaces; ++k) text[static_cast<size_t>(2 * k + 1)] = ' ';
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Alignments, PlaceLinesTest,
    testing::Values(
        PlaceCase{"LeftStartsAtTheLeftEdge",
                  ALIGN_LEFT,
                  7,
                  120,
                  {Chars(45), Chars(200)},
                  {{1, 7, 0, 0}, {2, 7, 0, 0}, {100, 7, 0, 0}},
                  true},
        PlaceCase{"CentreHalfGoesDownToEven",
                  ALIGN_CENTRE,
                  1,
                  120,
                  {Chars(45)},
                  {{1, 38, 0, 0}, {100, 61, 0, 0}},
                  true},
        PlaceCase{"CentreWholePosition", ALIGN_CENTRE, 1, 120, {Chars(44)}, {{1, 39, 0, 0}}, true},
        PlaceCase{
            "CentreHalfGoesUpToEven", ALIGN_CENTRE, 0, 120, {Chars(41)}, {{1, 40, 0, 0}}, true},
        PlaceCase{"CentreWiderThanTheBoxNegativeHalfToEven",
                  ALIGN_CENTRE,
                  0,
                  10,
                  {Chars(15), Chars(17)},
                  {{1, -2, 0, 0}, {2, -4, 0, 0}},
                  true},
        PlaceCase{"RightEndsThreePixelsBeforeTheEdge",
                  ALIGN_RIGHT,
                  10,
                  200,
                  {Chars(50)},
                  {{1, 157, 0, 0}, {100, 207, 0, 0}},
                  true},
        PlaceCase{"JustifyStretchesNinetyPercentNotSeventyNine",
                  ALIGN_JUSTIFY,
                  5,
                  300,
                  {WithSpaces(100, 4), WithSpaces(90, 3), WithSpaces(79, 2)},
                  {{1, 5, 0, 0}, {2, 5, 10, 3}, {3, 5, 0, 0}, {100, 5, 0, 0}},
                  true},
        PlaceCase{"JustifyExactlyFourFifthsIsNotStretched",
                  ALIGN_JUSTIFY,
                  0,
                  300,
                  {WithSpaces(80, 1), WithSpaces(100, 1), WithSpaces(81, 1)},
                  {{1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 19, 1}},
                  true},
        PlaceCase{"JustifyLineWithoutSpacesGetsNoBreaks",
                  ALIGN_JUSTIFY,
                  0,
                  300,
                  {Chars(90), WithSpaces(100, 2)},
                  {{1, 0, 10, 0}, {2, 0, 0, 0}},
                  true},
        PlaceCase{"JustifyLongestLineMayComeLast",
                  ALIGN_JUSTIFY,
                  0,
                  300,
                  {WithSpaces(95, 5), Chars(10), Chars(10), WithSpaces(100, 1)},
                  {{1, 0, 5, 5}, {2, 0, 0, 0}, {4, 0, 0, 0}},
                  true},
        PlaceCase{
            "JustifyAllEmptyStretchesNothing", ALIGN_JUSTIFY, 3, 300, {}, {{1, 3, 0, 0}}, true},
        PlaceCase{"CodeBelowLeftDrawsNothing", 130, 0, 100, {Chars(10)}, {}, false},
        PlaceCase{"CodeAboveJustifyDrawsNothing", 135, 0, 100, {Chars(10)}, {}, false}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

}  // namespace
