// SPDX-License-Identifier: GPL-3.0-or-later
// Named pixels that a picture must show, checked in one go.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/image.h"

struct PixelProbe {
    const char* name;
    int x;
    int y;
    Colour colour;
};

inline void ExpectPixels(const Image& image, std::initializer_list<PixelProbe> probes) {
    for (const PixelProbe& p : probes)
        EXPECT_EQ(image.Pixel(p.x, p.y), p.colour) << p.name << " at " << p.x << "," << p.y;
}
