// Text laid out in a box: broken at spaces into lines 1..100 that fit the box width, each line
// placed by the alignment code and drawn one line height below the previous one.
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "view/view.h"

namespace {

// The first line is broken for this many pixels less than the box width.
constexpr int FIRST_LINE_MARGIN = 5;
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

bool IsKnownAlignment(int alignment) {
    return alignment == ALIGN_LEFT || alignment == ALIGN_RIGHT || alignment == ALIGN_CENTRE ||
           alignment == ALIGN_JUSTIFY;
}

}  // namespace

SplitText SplitToWidth(std::string_view text, int maxWidth, FitCounter fit) {
    const int fitting = fit(text, maxWidth);
    if (fitting >= 0 && static_cast<size_t>(fitting) >= text.size()) {
        return SplitText{std::string(text), std::string()};
    }
    // From the first character that does not fit back towards the start; index 0 never counts.
    for (int j = fitting; j >= 1; --j) {
        if (text[static_cast<size_t>(j)] == ' ') {
            return SplitText{std::string(text.substr(0, static_cast<size_t>(j))),
                             std::string(text.substr(static_cast<size_t>(j)))};
        }
    }
    return SplitText{std::string(), std::string(text)};
}

void BreakIntoLines(std::string_view text, int width, FitCounter fit, BoxLines& lines) {
    for (std::string& line : lines.line) line.clear();

    SplitText split = SplitToWidth(text, width - FIRST_LINE_MARGIN, fit);
    lines.line[1] = std::move(split.head);
    lines.line[2] = std::move(split.rest);

    // A rest is split again only when it is longer (in characters) than the line above it; only
    // these later splits drop leading spaces. Line 100 keeps whatever reaches it.
    for (int i = 2; i < TEXT_LINE_LIMIT; ++i) {
        if (lines.line[i].size() <= lines.line[i - 1].size()) continue;
        split = SplitToWidth(lines.line[i], width, fit);
        lines.line[i] = std::move(split.head);
        lines.line[i + 1] = std::move(split.rest);
        RemoveLeadingSpaces(lines.line[i]);
        RemoveLeadingSpaces(lines.line[i + 1]);
    }
}

void PlaceLines(const BoxLines& lines, int alignment, int left, int width, WidthMeasure measure,
                LinePlacement placement[TEXT_LINE_LIMIT + 1]) {
    placement[0] = LinePlacement{left, 0, 0, false};
    const bool drawn = IsKnownAlignment(alignment);
    int lineWidth[TEXT_LINE_LIMIT + 1] = {};
    int maxWidth = 0;
    if (alignment != ALIGN_LEFT && drawn) {
        for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
            lineWidth[i] = measure(lines.line[i]);
            if (lineWidth[i] > maxWidth) maxWidth = lineWidth[i];
        }
    }

    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        LinePlacement& place = placement[i];
        place = LinePlacement{left, 0, 0, drawn};
        const int w = lineWidth[i];
        if (alignment == ALIGN_RIGHT) {
            place.x = left + width - w - RIGHT_MARGIN;
        } else if (alignment == ALIGN_CENTRE) {
            place.x = CentredX(left, width, w);
        } else if (alignment == ALIGN_JUSTIFY) {
            const double share = static_cast<double>(STRETCH_SHARE) * maxWidth;
            if (w < maxWidth && static_cast<double>(w) >= share) {
                place.extra = maxWidth - w;
                place.breaks = CountSpaces(lines.line[i]);
            }
        }
    }
}

// An unknown alignment code draws nothing and leaves the drawing position at (left, top).
void DrawTextInBox(Image* target, std::string_view text, int alignment, int left, int top,
                   int width, Font* font, Colour colour) {
    SelectTarget(target);
    SelectFont(font);
    SetTextColour(colour);
    SetBackgroundOpaque(false);
    MoveTo(left, top);

    BoxLines lines;
    BreakIntoLines(text, width, FitCount, lines);
    LinePlacement placement[TEXT_LINE_LIMIT + 1];
    PlaceLines(lines, alignment, left, width, TextWidth, placement);
    if (!IsKnownAlignment(alignment)) return;

    for (int i = 1; i <= TEXT_LINE_LIMIT; ++i) {
        const LinePlacement& place = placement[i];
        MoveTo(place.x, PositionY());
        const bool stretched = place.extra != 0;
        if (stretched) SetTextJustification(place.extra, place.breaks);
        DrawText(lines.line[i]);
        NewLine();
        if (stretched && place.breaks != 0) SetTextJustification(0, 0);
    }
}
