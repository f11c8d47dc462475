// SPDX-License-Identifier: GPL-3.0-or-later
// Text laid out in a box: broken at spaces into lines 1..100 that fit the box width, each line
// placed by the alignment code and drawn one line height below the previous one.
#include "view/text_layout.h"

#include <string>
#include <string_view>

#include "system/utf8.h"

namespace {

// Right-aligned lines end this many pixels before the box's right edge.
constexpr int RIGHT_MARGIN = 3;
// Justified lines of at least this share of the widest line are stretched to it. The constant is
// the single-precision 0.8, so a line of exactly four fifths of the widest is not stretched.
constexpr float STRETCH_SHARE = 0.8f;

void RemoveLeadingSpaces(std::string& line) {
    size_t count = 0;
    while (count < line.size() && line[count] == ' ') ++count;
    line.erase(0, count);
}

int CountSpaces(std::string_view line) {
    int count = 0;
    for (char c : line) {
        if (c == ' ') ++count;
    }
    return count;
}

// left + (width - w) / 2 computed exactly, a half going to the even neighbour.
int CentredX(int left, int width, int w) {
    const long long twice = 2LL * left + width - w;
    long long half = twice / 2;
    if (twice % 2 != 0) {
        if (twice < 0) --half;      // floor of the half
        if (half % 2 != 0) ++half;  // the even one of half and half + 1
    }
    return static_cast<int>(half);
}

bool IsKnownAlignment(Alignment alignment) {
    return alignment == Alignment::Left || alignment == Alignment::Right ||
           alignment == Alignment::Centre || alignment == Alignment::Justify;
}

}  // namespace

SplitText SplitToWidth(std::string_view text, int maxWidth, const FitCounter& fit) {
    const std::u32string characters = DecodeUtf8(text);
    const int fitting = fit(text, maxWidth);
    if (fitting >= 0 && static_cast<size_t>(fitting) >= characters.size()) {
        return SplitText{std::string(text), std::string()};
    }
    // From the first character that does not fit back towards the start; index 0 never counts.
    const std::u32string_view all(characters);
    for (int j = fitting; j >= 1; --j) {
        if (characters[static_cast<size_t>(j)] == U' ') {
            return SplitText{EncodeUtf8(all.substr(0, static_cast<size_t>(j))),
                             EncodeUtf8(all.substr(static_cast<size_t>(j)))};
        }
    }
    return SplitText{std::string(), std::string(text)};
}

void BreakIntoLines(std::string_view text, int width, const FitCounter& fit, BoxLines& lines) {
    for (std::string& line : lines.line) line.clear();

    SplitText split = SplitToWidth(text, width - FIRST_LINE_MARGIN, fit);
    lines.line[1] = std::move(split.head);
    lines.line[2] = std::move(split.rest);

    // A rest is split again only when it is longer (in characters) than the line above it; only
    // these later splits drop leading spaces. Line 100 keeps whatever reaches it.
    for (int i = 2; i < TEXT_LINE_LIMIT; ++i) {
        if (CharacterCount(lines.line[i]) <= CharacterCount(lines.line[i - 1])) continue;
        split = SplitToWidth(lines.line[i], width, fit);
        lines.line[i] = std::move(split.head);
        lines.line[i + 1] = std::move(split.rest);
        RemoveLeadingSpaces(lines.line[i]);
        RemoveLeadingSpaces(lines.line[i + 1]);
    }
}

void PlaceLines(const BoxLines& lines, Alignment alignment, int left, int width,
                const WidthMeasure& measure, LinePlacement placement[TEXT_LINE_LIMIT + 1]) {
    placement[0] = LinePlacement{left, 0, 0, false};
    const bool drawn = IsKnownAlignment(alignment);
    int lineWidth[TEXT_LINE_LIMIT + 1] = {};
    int maxWidth = 0;
    if (alignment != Alignment::Left && drawn) {
        for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
            lineWidth[i] = measure(lines.line[i]);
            if (lineWidth[i] > maxWidth) maxWidth = lineWidth[i];
        }
    }

    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        LinePlacement& place = placement[i];
        place = LinePlacement{left, 0, 0, drawn};
        const int w = lineWidth[i];
        if (alignment == Alignment::Right) {
            place.x = left + width - w - RIGHT_MARGIN;
        } else if (alignment == Alignment::Centre) {
            place.x = CentredX(left, width, w);
        } else if (alignment == Alignment::Justify) {
            const double share = static_cast<double>(STRETCH_SHARE) * maxWidth;
            if (w < maxWidth && static_cast<double>(w) >= share) {
                place.extra = maxWidth - w;
                place.breaks = CountSpaces(lines.line[i]);
            }
        }
    }
}

void DrawTextInBox(Image& target, std::string_view text, Alignment alignment, int left, int top,
                   int width, const Font& font, Colour colour) {
    if (!IsKnownAlignment(alignment)) return;
    BoxLines lines;
    BreakIntoLines(
        text, width, [&font](std::string_view t, int w) { return font.FitCount(t, w); }, lines);
    LinePlacement placement[TEXT_LINE_LIMIT + 1];
    PlaceLines(
        lines, alignment, left, width, [&font](std::string_view t) { return font.Width(t); },
        placement);
    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        const LinePlacement& place = placement[i];
        target.Text(Point{place.x, top + (i - 1) * font.LineHeight()}, lines.line[i], font, colour,
                    Justification{place.extra, place.breaks});
    }
}
