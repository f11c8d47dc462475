// SPDX-License-Identifier: GPL-3.0-or-later
// Text laid out in a box: line breaking and placement with simple width rules, then drawing
// through the real fonts.
#include "view/text_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "system/utf8.h"

namespace {

// Every character is 10 pixels wide.
int FitTenPixelsEach(std::string_view text, int maxWidth) {
    return std::clamp(maxWidth / 10, 0, static_cast<int>(CharacterCount(text)));
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
    return static_cast<int>(CharacterCount(text));
}

const std::string UNBREAKABLE = "Supercalifragilistico";

TEST(SplitToWidthTest, BreaksAtTheLastSpaceThatFits) {
    const struct {
        const char* name;
        const char* text;
        int maxWidth;
        const char* head;
        const char* rest;
    } cases[] = {
        {"all fits", "Hola mundo", 100, "Hola mundo", ""},
        {"empty text", "", 50, "", ""},
        {"the rest begins with the space", "Hola mundo", 90, "Hola", " mundo"},
        // Index 4 is the first character that does not fit and is itself a space.
        {"space at the first character that does not fit", "Hola mundo", 40, "Hola", " mundo"},
        {"last of several spaces", "a b c d e", 60, "a b c", " d e"},
        {"no space gives an empty head", "Supercalifragilistico", 100, "", "Supercalifragilistico"},
        {"a space at index 0 is never a break", " abcdefgh", 50, "", " abcdefgh"},
        {"nothing fits", "a b", 5, "", "a b"},
        {"negative width", "a b", -5, "", "a b"},
        // Seven characters fit, and the eighth is a space; seven bytes end inside "más".
        {"characters are counted, not bytes", "año más más", 70, "año más", " más"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SplitText split = SplitToWidth(c.text, c.maxWidth, FitTenPixelsEach);
        EXPECT_EQ(split.head, c.head);
        EXPECT_EQ(split.rest, c.rest);
    }
}

TEST(BreakIntoLinesTest, FillsTheLineTable) {
    const struct {
        const char* name;
        std::string text;
        int width;
        std::vector<std::pair<int, std::string>> lines;  // every other line is empty
        FitCounter fit = FitTenPixelsEach;
    } cases[] = {
        {"empty text leaves every line empty", "", 100, {}},
        {"text that fits is one line", "Hola mundo", 105, {{1, "Hola mundo"}}},
        // 100 pixels fit the box but not the first line's 95; " mundo" is longer than "Hola", so
        // it is split again (all of it fits) and loses its space.
        {"the first line is five pixels narrower", "Hola mundo", 100, {{1, "Hola"}, {2, "mundo"}}},
        // " dias" is shorter than "Buenos", so it is not split again and keeps its space.
        {"a shorter second line keeps its space",
         "Buenos dias",
         100,
         {{1, "Buenos"}, {2, " dias"}}},
        // " ¡olé!" has as many characters as "Buenos" though more bytes: it is not split either.
        {"lines are compared in characters", "Buenos ¡olé!", 100, {{1, "Buenos"}, {2, " ¡olé!"}}},
        // " WWWW" is 130 pixels, wider than the box, but shorter in characters than line 1.
        {"a shorter rest stays wider than the box",
         "aaaaaaaa WWWW",
         100,
         {{1, "aaaaaaaa"}, {2, " WWWW"}},
         FitWideCapitals},
        {"later lines use the full width",
         "aaaa bbbbb cccc",
         60,
         {{1, "aaaa"}, {2, "bbbbb"}, {3, "cccc"}}},
        {"each longer rest is split again",
         "aa bbbbb c ddddd",
         60,
         {{1, "aa"}, {2, "bbbbb"}, {3, "c"}, {4, "ddddd"}}},
        {"a wider word alone goes to line 100", UNBREAKABLE, 100, {{100, UNBREAKABLE}}},
        {"line 100 is never split", UNBREAKABLE + " corto", 100, {{100, UNBREAKABLE + " corto"}}},
        {"a leading space is dropped on the way down",
         " " + UNBREAKABLE,
         100,
         {{100, UNBREAKABLE}}},
        {"trailing spaces stay on the first line",
         "aaaa   bbbbbbb",
         100,
         {{1, "aaaa  "}, {2, "bbbbbbb"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoxLines lines;
        lines.line[7] = "left over from before";
        BreakIntoLines(c.text, c.width, c.fit, lines);
        for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
            std::string expected;
            for (const auto& [number, text] : c.lines)
                if (number == i) expected = text;
            EXPECT_EQ(lines.line[i], expected) << "line " << i;
        }
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

// Widths: one pixel per character.
TEST(PlaceLinesTest, PlacesEachLine) {
    struct Expected {
        int line, x, extra, breaks;
    };
    const struct {
        const char* name;
        Alignment alignment;
        int left;
        int width;
        std::vector<std::string> lines;  // lines 1, 2, ...; the rest empty
        std::vector<Expected> expected;
    } cases[] = {
        {"left starts at the left edge",
         Alignment::Left,
         7,
         120,
         {Chars(45), Chars(200)},
         {{1, 7, 0, 0}, {2, 7, 0, 0}, {100, 7, 0, 0}}},
        {"centre: a half goes down to even",
         Alignment::Centre,
         1,
         120,
         {Chars(45)},
         {{1, 38, 0, 0}, {100, 61, 0, 0}}},
        {"centre: a whole position", Alignment::Centre, 1, 120, {Chars(44)}, {{1, 39, 0, 0}}},
        {"centre: a half goes up to even", Alignment::Centre, 0, 120, {Chars(41)}, {{1, 40, 0, 0}}},
        {"centre wider than the box: a negative half to even",
         Alignment::Centre,
         0,
         10,
         {Chars(15), Chars(17)},
         {{1, -2, 0, 0}, {2, -4, 0, 0}}},
        {"right ends three pixels before the edge",
         Alignment::Right,
         10,
         200,
         {Chars(50)},
         {{1, 157, 0, 0}, {100, 207, 0, 0}}},
        {"justify stretches 90 % of the widest, not 79 %",
         Alignment::Justify,
         5,
         300,
         {WithSpaces(100, 4), WithSpaces(90, 3), WithSpaces(79, 2)},
         {{1, 5, 0, 0}, {2, 5, 10, 3}, {3, 5, 0, 0}, {100, 5, 0, 0}}},
        {"justify: exactly four fifths is not stretched",
         Alignment::Justify,
         0,
         300,
         {WithSpaces(80, 1), WithSpaces(100, 1), WithSpaces(81, 1)},
         {{1, 0, 0, 0}, {2, 0, 0, 0}, {3, 0, 19, 1}}},
        {"justify: a line without spaces gets no breaks",
         Alignment::Justify,
         0,
         300,
         {Chars(90), WithSpaces(100, 2)},
         {{1, 0, 10, 0}, {2, 0, 0, 0}}},
        {"justify: the widest line may come last",
         Alignment::Justify,
         0,
         300,
         {WithSpaces(95, 5), Chars(10), Chars(10), WithSpaces(100, 1)},
         {{1, 0, 5, 5}, {2, 0, 0, 0}, {4, 0, 0, 0}}},
        {"justify: all empty stretches nothing", Alignment::Justify, 3, 300, {}, {{1, 3, 0, 0}}},
        {"a value below Left draws nothing", static_cast<Alignment>(130), 0, 100, {Chars(10)}, {}},
        {"a value above Justify draws nothing",
         static_cast<Alignment>(135),
         0,
         100,
         {Chars(10)},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        BoxLines lines;
        for (size_t i = 0; i < c.lines.size(); ++i) lines.line[i + 1] = c.lines[i];
        LinePlacement placement[TEXT_LINE_LIMIT + 1];
        PlaceLines(lines, c.alignment, c.left, c.width, MeasureOnePixelEach, placement);
        const bool known = c.alignment >= Alignment::Left && c.alignment <= Alignment::Justify;
        for (int i = 1; i <= TEXT_LINE_LIMIT; ++i)
            EXPECT_EQ(placement[i].drawn, known) << "line " << i;
        for (const Expected& e : c.expected) {
            EXPECT_EQ(placement[e.line].x, e.x) << "line " << e.line;
            EXPECT_EQ(placement[e.line].extra, e.extra) << "line " << e.line;
            EXPECT_EQ(placement[e.line].breaks, e.breaks) << "line " << e.line;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// DrawTextInBox through the real fonts

// The welcome banner, the longest text the program lays out.
const std::string WELCOME_TEXT =
    "BIENVENIDO a Monedario Pro!!!. Tienes que elegir el día del mes donde comienza tu "
    "mensualidad y acto seguido meter el bruto mensual. Para ello tienes que elegir del menu la "
    "opción Mes nuevo. Espero que el programa te sea de utilidad ...";

constexpr int BOX_TOP = 50;

struct TextLayoutWithFonts : testing::Test {
    Fonts fonts;
    const Font& font = fonts.Get("Tahoma", 12, true);  // the banner's

    BoxLines Break(std::string_view text, int width) {
        BoxLines lines;
        BreakIntoLines(
            text, width, [this](std::string_view t, int w) { return font.FitCount(t, w); }, lines);
        return lines;
    }
};

TEST_F(TextLayoutWithFonts, BannerBreaksWhereTheFontFitCountSays) {
    constexpr int width = 510;
    const BoxLines broken = Break(WELCOME_TEXT, width);
    int lineCount = 0;
    std::string rebuilt;
    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        const std::string& line = broken.line[i];
        if (line.empty()) continue;
        EXPECT_EQ(i, lineCount + 1) << "lines follow each other without gaps";
        lineCount = i;
        if (!rebuilt.empty() && line.front() != ' ') rebuilt += ' ';
        rebuilt += line;

        // Line 2 was split with the space the first split left in front of it, and lost that
        // space only afterwards.
        const int limit = i == 1 ? width - 5 : width;
        const std::string measured = (i == 2 ? " " : "") + line;
        EXPECT_LE(font.Width(measured), limit) << "line " << i << ": " << line;
        const std::string& next = broken.line[i + 1];
        if (i < TEXT_LINE_LIMIT && !next.empty()) {
            const size_t wordStart = next.find_first_not_of(' ');
            const std::string nextWord =
                next.substr(wordStart, next.find(' ', wordStart) - wordStart);
            EXPECT_GT(font.Width(measured + " " + nextWord), limit)
                << "line " << i << " could also hold \"" << nextWord << "\"";
        }
    }
    EXPECT_EQ(rebuilt, WELCOME_TEXT);
    EXPECT_GE(lineCount, 3);
    EXPECT_LE(lineCount, 5);
}

// The columns painted (non-white) between two rows: [left, right), or none.
struct Ink {
    bool any = false;
    int left = 0;
    int right = 0;
};

Ink InkBetween(const Image& image, int top, int bottom) {
    Ink ink;
    for (int y = std::max(top, 0); y < std::min(bottom, image.Height()); ++y) {
        for (int x = 0; x < image.Width(); ++x) {
            if (image.Pixel(x, y) == COLOUR_WHITE) continue;
            if (!ink.any || x < ink.left) ink.left = x;
            if (!ink.any || x + 1 > ink.right) ink.right = x + 1;
            ink.any = true;
        }
    }
    return ink;
}

TEST_F(TextLayoutWithFonts, DrawingPaintsEachLineInItsPlace) {
    const struct {
        const char* name;
        std::string text;
        Alignment alignment;
        int left;
        int width;
    } cases[] = {
        {"banner centred", WELCOME_TEXT, Alignment::Centre, 5, 510},
        {"banner left", WELCOME_TEXT, Alignment::Left, 5, 510},
        {"banner right", WELCOME_TEXT, Alignment::Right, 5, 510},
        {"banner justified", WELCOME_TEXT, Alignment::Justify, 5, 510},
        {"weekday centred on one line", "Miércoles", Alignment::Centre, 1, 120},
        {"word wider than the box on line 100", UNBREAKABLE, Alignment::Centre, 5, 60},
        {"a value below Left draws nothing", WELCOME_TEXT, static_cast<Alignment>(130), 5, 510},
        {"a value above Justify draws nothing", WELCOME_TEXT, static_cast<Alignment>(135), 5, 510},
    };
    const int lineHeight = font.LineHeight();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const BoxLines broken = Break(c.text, c.width);
        Image image(520, BOX_TOP + TEXT_LINE_LIMIT * lineHeight + 10);
        DrawTextInBox(image, c.text, c.alignment, c.left, BOX_TOP, c.width, font, COLOUR_BLACK);
        if (c.alignment < Alignment::Left || c.alignment > Alignment::Justify) {
            EXPECT_FALSE(InkBetween(image, 0, image.Height()).any);
            continue;
        }
        EXPECT_FALSE(InkBetween(image, 0, BOX_TOP).any) << "nothing above the box";

        int maxWidth = 0;
        for (int i = 1; i <= TEXT_LINE_LIMIT; ++i)
            maxWidth = std::max(maxWidth, font.Width(broken.line[i]));
        // Glyphs may sit a pixel or two inside or outside their advance.
        constexpr int slack = 3;
        for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
            const std::string& line = broken.line[i];
            const int bandTop = BOX_TOP + (i - 1) * lineHeight;
            const Ink ink = InkBetween(image, bandTop, bandTop + lineHeight);
            const size_t firstGlyph = line.find_first_not_of(' ');
            EXPECT_EQ(ink.any, firstGlyph != std::string::npos) << "line " << i << ": " << line;
            if (!ink.any || firstGlyph == std::string::npos) continue;

            const int w = font.Width(line);
            int x = c.left;
            int span = w;
            if (c.alignment == Alignment::Right) x = c.left + c.width - w - 3;
            if (c.alignment == Alignment::Centre) x = c.left + (c.width - w) / 2;
            const bool hasSpaces = line.find(' ') != std::string::npos;
            if (c.alignment == Alignment::Justify && w < maxWidth && w >= 0.8 * maxWidth &&
                hasSpaces) {
                span = maxWidth;
            }
            // The image begins at x = 0: a line wider than the box is cut there.
            const int inkStart = std::max(0, x + font.Width(line.substr(0, firstGlyph)));
            EXPECT_NEAR(ink.left, inkStart, slack) << "line " << i << ": " << line;
            EXPECT_NEAR(ink.right, x + span, slack) << "line " << i << ": " << line;
        }
    }
}

}  // namespace
