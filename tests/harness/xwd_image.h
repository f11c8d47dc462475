// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots as the X server dumps them with xwd, decoded into plain RGB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
    int Luminance() const { return (299 * r + 587 * g + 114 * b) / 1000; }
};

constexpr Rgb RGB_BLACK{0, 0, 0};
constexpr Rgb RGB_WHITE{255, 255, 255};
constexpr Rgb RGB_RED{255, 0, 0};
constexpr Rgb RGB_GREEN{0, 255, 0};
constexpr Rgb RGB_BLUE{0, 0, 255};
constexpr Rgb RGB_YELLOW{255, 255, 0};

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row from the top

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    // Magenta outside the image, a colour the program never draws.
    Rgb At(int x, int y) const {
        return Contains(x, y) ? pixels[static_cast<size_t>(y) * width + x] : Rgb{255, 0, 255};
    }
};

// Decodes an XWD dump (format version 7, ZPixmap, TrueColor or DirectColor, 24 or 32 bits per
// pixel, either byte order); false with the reason for anything else.
bool DecodeXwd(const std::string& bytes, RgbImage* image, std::string* error);

// "(r, g, b)" for messages.
std::string Describe(Rgb colour);
