// SPDX-License-Identifier: GPL-3.0-or-later
// Text laid out in a box: broken at spaces into at most 100 lines that fit the box's width, each
// placed by the alignment and drawn one line height below the one before. Lengths are counted in
// characters.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/image.h"

// Unknown values of an alignment (as a number may hold) lay the text out and draw nothing.
enum class Alignment { Left = 131, Right, Centre, Justify };
constexpr int TEXT_LINE_LIMIT = 100;

// How many leading characters of a text fit a width, and how wide a text is. The program measures
// with the font it draws in; tests may pass simpler rules.
using FitCounter = std::function<int(std::string_view text, int maxWidth)>;
using WidthMeasure = std::function<int(std::string_view text)>;

struct SplitText {
    std::string head;
    std::string rest;
};
// Word mode: the longest head that fits and ends before a space (never at the first character),
// else the whole text as the rest.
SplitText SplitToWidth(std::string_view text, int maxWidth, const FitCounter& fit);

struct BoxLines {
    std::string line[TEXT_LINE_LIMIT + 1];  // lines 1..100
};
// The first line is broken for 5 pixels less than the box, every later one for the whole box,
// and a rest only when it has more characters than the line above it.
constexpr int FIRST_LINE_MARGIN = 5;
// The widest one line of text can be in a box of `width` without breaking.
constexpr int OneLineWidth(int width) {
    return width - FIRST_LINE_MARGIN;
}
void BreakIntoLines(std::string_view text, int width, const FitCounter& fit, BoxLines& lines);

struct LinePlacement {
    int x;       // left edge of the line's text
    int extra;   // justification: extra pixels ...
    int breaks;  // ... spread over this many spaces (0 for none)
    bool drawn;  // false for an unknown alignment
};
void PlaceLines(const BoxLines& lines, Alignment alignment, int left, int width,
                const WidthMeasure& measure, LinePlacement placement[TEXT_LINE_LIMIT + 1]);

// The text in the box from (left, top), `width` wide, in `font` and `colour`; only the glyphs are
// painted.
void DrawTextInBox(Image& target, std::string_view text, Alignment alignment, int left, int top,
                   int width, const Font& font, Colour colour);
