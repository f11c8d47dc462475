// SPDX-License-Identifier: GPL-3.0-or-later
// Points and boxes on the page, in pixels from its top-left corner.
#pragma once

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// From (left, top) to (right, bottom), right and bottom exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool Contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool operator==(const Rect&) const = default;
};
