// SPDX-License-Identifier: GPL-3.0-or-later
// The two statistics gauges over the page's top-left corner: a framed bar of the percentage, the
// percentage over it and the amount to its right.
#pragma once

#include <cstdint>

#include "platform/image.h"

constexpr Rect SPENT_GAUGE{5, 2, 105, 18};
constexpr Rect LEFT_GAUGE{5, 23, 105, 39};
constexpr int GAUGE_POINTS = 9;

// 100 x value / total rounded half to even, 0 for a zero total; clamped to 16 bits (NaN gives 0).
int16_t GaugePercentage(double value, double total);
// The right edge (exclusive) of the bar of `percentage` inside `box`, or `box.left` for no bar.
int GaugeBarRight(const Rect& box, int16_t percentage);
void DrawStatistics(Image& target, const Rect& box, Colour colour, double value, double total,
                    Fonts& fonts);
