// Text laid out in a box: line breaking and placement with simple width rules, then drawing
// through the real platform fonts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/platform_qt.h"
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
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

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
void PrintTo(const BreakCase& c, std::ostream* os) {
    *os << c.name;
}

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
void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << c.name;
}

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
    TextAlignments, PlaceLinesTest,
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

// ---------------------------------------------------------------------------------------------
// DrawTextInBox through the platform's fonts

// The welcome banner, the longest text the program lays out.
const std::string WELCOME_TEXT =
    "BIENVENIDO a Monedario Pro!!!. Tienes que elegir el d\xED"
    "a del mes donde comienza tu mensualidad y acto seguido meter el bruto mensual. Para ello "
    "tienes que elegir del menu la opci\xF3n Mes nuevo. Espero que el programa te sea de "
    "utilidad ...";

constexpr int BOX_TOP = 50;

Font* BannerFont() {
    return RequestFont("Tahoma", 12, true);
}

// Lines broken with the banner font selected on a scratch target, and that font's line height.
struct FontLines {
    BoxLines lines;
    int lineHeight;
};

FontLines BreakWithBannerFont(std::string_view text, int width) {
    FontLines result;
    Image* scratch = CreateImage(8, 8);
    SelectTarget(scratch);
    SelectFont(BannerFont());
    const FontMetrics metrics = SelectedFontMetrics();
    result.lineHeight = metrics.height + metrics.externalLeading;
    BreakIntoLines(text, width, FitCount, result.lines);
    DestroyImage(scratch);
    return result;
}

TEST(TextLayoutWithFonts, BannerBreaksWhereTheFontFitCountSays) {
    constexpr int width = 510;
    const FontLines broken = BreakWithBannerFont(WELCOME_TEXT, width);
    Image* scratch = CreateImage(8, 8);
    SelectTarget(scratch);
    SelectFont(BannerFont());

    int lineCount = 0;
    std::string rebuilt;
    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        const std::string& line = broken.lines.line[i];
        if (line.empty()) continue;
        EXPECT_EQ(i, lineCount + 1) << "lines follow each other without gaps";
        lineCount = i;
        if (!rebuilt.empty() && line.front() != ' ') rebuilt += ' ';
        rebuilt += line;

        // Line 2 was split with the space the first split left in front of it, and lost that
        // space only afterwards.
        const int limit = i == 1 ? width - 5 : width;
        const std::string measured = (i == 2 ? " " : "") + line;
        EXPECT_LE(TextWidth(measured), limit) << "line " << i << ": " << line;
        const std::string& next = broken.lines.line[i + 1];
        if (i < TEXT_LINE_LIMIT && !next.empty()) {
            const size_t wordStart = next.find_first_not_of(' ');
            const std::string nextWord =
                next.substr(wordStart, next.find(' ', wordStart) - wordStart);
            EXPECT_GT(TextWidth(measured + " " + nextWord), limit)
                << "line " << i << " could also hold \"" << nextWord << "\"";
        }
    }
    EXPECT_EQ(rebuilt, WELCOME_TEXT);
    EXPECT_GE(lineCount, 3);
    EXPECT_LE(lineCount, 5);
    DestroyImage(scratch);
}

struct DrawCase {
    const char* name;
    std::string text;
    int alignment;
    int left;
    int width;
};
void PrintTo(const DrawCase& c, std::ostream* os) {
    *os << c.name;
}

// The columns painted (non-white) between two rows: [left, right), or none.
struct Ink {
    bool any = false;
    int left = 0;
    int right = 0;
};

Ink InkBetween(const Image* image, int top, int bottom) {
    Ink ink;
    for (int y = std::max(top, 0); y < std::min(bottom, ImageHeight(image)); ++y) {
        for (int x = 0; x < ImageWidth(image); ++x) {
            if (GetPixel(image, x, y) == COLOUR_WHITE) continue;
            if (!ink.any || x < ink.left) ink.left = x;
            if (!ink.any || x + 1 > ink.right) ink.right = x + 1;
            ink.any = true;
        }
    }
    return ink;
}

class DrawTextInBoxTest : public testing::TestWithParam<DrawCase> {};

TEST_P(DrawTextInBoxTest, PaintsEachLineInItsPlace) {
    const DrawCase& c = GetParam();
    const FontLines broken = BreakWithBannerFont(c.text, c.width);
    const int lineHeight = broken.lineHeight;
    const bool known = c.alignment >= ALIGN_LEFT && c.alignment <= ALIGN_JUSTIFY;

    Image* image = CreateImage(520, BOX_TOP + TEXT_LINE_LIMIT * lineHeight + 10);
    DrawTextInBox(image, c.text, c.alignment, c.left, BOX_TOP, c.width, BannerFont(), COLOUR_BLACK);

    EXPECT_EQ(CurrentTarget(), image);
    EXPECT_FALSE(image->state.opaque);
    EXPECT_EQ(image->state.textColour, COLOUR_BLACK);
    EXPECT_EQ(image->state.justifyBreaks, 0) << "justification is reset after stretched lines";
    if (known) {
        EXPECT_EQ(PositionX(), 0);
        EXPECT_EQ(PositionY(), BOX_TOP + TEXT_LINE_LIMIT * lineHeight);
    }
    if (!known) {
        EXPECT_FALSE(InkBetween(image, 0, ImageHeight(image)).any);
        DestroyImage(image);
        return;
    }
    EXPECT_FALSE(InkBetween(image, 0, BOX_TOP).any) << "nothing above the box";

    int maxWidth = 0;
    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        maxWidth = std::max(maxWidth, TextWidth(broken.lines.line[i]));
    }
    // Glyphs may sit a pixel or two inside or outside their advance.
    constexpr int slack = 3;
    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        const std::string& line = broken.lines.line[i];
        const int bandTop = BOX_TOP + (i - 1) * lineHeight;
        const Ink ink = InkBetween(image, bandTop, bandTop + lineHeight);
        const size_t firstGlyph = line.find_first_not_of(' ');
        EXPECT_EQ(ink.any, firstGlyph != std::string::npos) << "line " << i << ": " << line;
        if (!ink.any || firstGlyph == std::string::npos) continue;

        const int w = TextWidth(line);
        int x = c.left;
        int span = w;
        if (c.alignment == ALIGN_RIGHT) x = c.left + c.width - w - 3;
        if (c.alignment == ALIGN_CENTRE) x = c.left + (c.width - w) / 2;
        const bool hasSpaces = line.find(' ') != std::string::npos;
        if (c.alignment == ALIGN_JUSTIFY && w < maxWidth && w >= 0.8 * maxWidth && hasSpaces) {
            span = maxWidth;
        }
        // The image begins at x = 0: a line wider than the box is cut there.
        const int inkStart = std::max(0, x + TextWidth(line.substr(0, firstGlyph)));
        EXPECT_NEAR(ink.left, inkStart, slack) << "line " << i << ": " << line;
        EXPECT_NEAR(ink.right, x + span, slack) << "line " << i << ": " << line;
    }
    DestroyImage(image);
}

INSTANTIATE_TEST_SUITE_P(
    Fonts, DrawTextInBoxTest,
    testing::Values(DrawCase{"BannerCentred", WELCOME_TEXT, ALIGN_CENTRE, 5, 510},
                    DrawCase{"BannerLeft", WELCOME_TEXT, ALIGN_LEFT, 5, 510},
                    DrawCase{"BannerRight", WELCOME_TEXT, ALIGN_RIGHT, 5, 510},
                    DrawCase{"BannerJustified", WELCOME_TEXT, ALIGN_JUSTIFY, 5, 510},
                    DrawCase{"WeekdayCentredOnOneLine", "Mi\xE9rcoles", ALIGN_CENTRE, 1, 120},
                    DrawCase{"WordWiderThanTheBoxOnLineHundred", "Supercalifragilistico",
                             ALIGN_CENTRE, 5, 60},
                    DrawCase{"CodeBelowLeftDrawsNothing", WELCOME_TEXT, 130, 5, 510},
                    DrawCase{"CodeAboveJustifyDrawsNothing", WELCOME_TEXT, 135, 5, 510}),
    [](const testing::TestParamInfo<DrawCase>& info) { return info.param.name; });

}  // namespace
