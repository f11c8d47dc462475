// SPDX-License-Identifier: GPL-3.0-or-later
// The two statistics gauges: a framed bar of the percentage, the percentage over it and the
// amount to its right.
#include "view/statistics.h"

#include <cmath>
#include <string>

#include "view/calendar.h"
#include "view/text_layout.h"

namespace {
constexpr Colour GAUGE_LINE = COLOUR_BLACK;
constexpr Colour GAUGE_FILL = COLOUR_WHITE;
}  // namespace

int16_t GaugePercentage(double value, double total) {
    if (total == 0) return 0;
    const double percentage = 100 * (value / total);
    if (std::isnan(percentage)) return 0;
    // Halves go to the even neighbour, as the default rounding mode does.
    const double rounded = std::nearbyint(percentage);
    if (rounded >= INT16_MAX) return INT16_MAX;
    if (rounded <= INT16_MIN) return INT16_MIN;
    return static_cast<int16_t>(rounded);
}

int GaugeBarRight(const Rect& box, int16_t percentage) {
    if (percentage <= 0) return box.left;
    if (percentage > 100) return box.right - 1;
    return box.left + ((box.right - box.left) * percentage) / 100 - 1;
}

void DrawStatistics(Image& target, const Rect& box, Colour colour, double value, double total,
                    Fonts& fonts) {
    const int16_t percentage = GaugePercentage(value, total);
    const Font& font = fonts.Get(PAGE_FONT_FACE, GAUGE_POINTS, true);
    target.Box(box, GAUGE_LINE, GAUGE_FILL);
    if (percentage > 0) {
        target.Box(Rect{box.left + 1, box.top + 1, GaugeBarRight(box, percentage), box.bottom - 1},
                   colour, colour);
    }
    DrawTextInBox(target, std::to_string(percentage) + " %", Alignment::Centre, box.left, box.top,
                  box.right, font, COLOUR_BLACK);
    const std::string amount = AmountWithEuro(value);
    const int amountWidth = box.right + box.left + 2;
    DrawTextInBox(
        target, amount, Alignment::Left, box.right + box.left + 1, box.top + 1, amountWidth,
        fonts.Fitting(PAGE_FONT_FACE, GAUGE_POINTS, true, amount, OneLineWidth(amountWidth)),
        value < 0 ? COLOUR_RED : COLOUR_BLACK);
}
