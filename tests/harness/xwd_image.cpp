// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding xwd's window dumps: a big-endian header of 25 numbers, the window name, the colour map
// entries and then the pixel rows in the byte order the header names.
#include "xwd_image.h"

#include <bit>

namespace {

constexpr uint32_t XWD_VERSION = 7;
constexpr uint32_t Z_PIXMAP = 2;
constexpr uint32_t TRUE_COLOR = 4;
constexpr uint32_t DIRECT_COLOR = 5;
constexpr size_t HEADER_FIELDS = 25;
constexpr size_t COLOUR_ENTRY_SIZE = 12;

enum Field {
    FIELD_HEADER_SIZE,
    FIELD_FILE_VERSION,
    FIELD_PIXMAP_FORMAT,
    FIELD_PIXMAP_DEPTH,
    FIELD_PIXMAP_WIDTH,
    FIELD_PIXMAP_HEIGHT,
    FIELD_X_OFFSET,
    FIELD_BYTE_ORDER,
    FIELD_BITMAP_UNIT,
    FIELD_BITMAP_BIT_ORDER,
    FIELD_BITMAP_PAD,
    FIELD_BITS_PER_PIXEL,
    FIELD_BYTES_PER_LINE,
    FIELD_VISUAL_CLASS,
    FIELD_RED_MASK,
    FIELD_GREEN_MASK,
    FIELD_BLUE_MASK,
    FIELD_BITS_PER_RGB,
    FIELD_COLORMAP_ENTRIES,
    FIELD_NCOLORS,
};

uint32_t BigEndian32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[at + i]);
    return v;
}

// The 8-bit value of one channel: the masked bits scaled to 0..255.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const uint32_t max = mask >> shift;
    const uint32_t value = (pixel & mask) >> shift;
    return static_cast<uint8_t>(max == 255 ? value : (value * 255 + max / 2) / max);
}

}  // namespace

bool DecodeXwd(const std::string& bytes, RgbImage* image, std::string* error) {
    if (bytes.size() < HEADER_FIELDS * 4) {
        *error = "dump shorter than its header (" + std::to_string(bytes.size()) + " bytes)";
        return false;
    }
    uint32_t h[HEADER_FIELDS];
    for (size_t i = 0; i < HEADER_FIELDS; ++i) h[i] = BigEndian32(bytes, 4 * i);
    if (h[FIELD_FILE_VERSION] != XWD_VERSION || h[FIELD_PIXMAP_FORMAT] != Z_PIXMAP) {
        *error = "not a version 7 ZPixmap dump";
        return false;
    }
    if (h[FIELD_VISUAL_CLASS] != TRUE_COLOR && h[FIELD_VISUAL_CLASS] != DIRECT_COLOR) {
        *error =
            "visual class " + std::to_string(h[FIELD_VISUAL_CLASS]) + " is not a true-colour one";
        return false;
    }
    const uint32_t bpp = h[FIELD_BITS_PER_PIXEL];
    if (bpp != 24 && bpp != 32) {
        *error = std::to_string(bpp) + " bits per pixel";
        return false;
    }
    const uint64_t width = h[FIELD_PIXMAP_WIDTH];
    const uint64_t height = h[FIELD_PIXMAP_HEIGHT];
    const uint64_t stride = h[FIELD_BYTES_PER_LINE];
    const uint64_t start =
        static_cast<uint64_t>(h[FIELD_HEADER_SIZE]) + h[FIELD_NCOLORS] * COLOUR_ENTRY_SIZE;
    if (width > 16384 || height > 16384 || stride < width * (bpp / 8) ||
        start + stride * height > bytes.size()) {
        *error = "dump of " + std::to_string(bytes.size()) + " bytes too short for " +
                 std::to_string(width) + " x " + std::to_string(height) + " pixels";
        return false;
    }
    const bool mostSignificantFirst = h[FIELD_BYTE_ORDER] != 0;
    const size_t pixelBytes = bpp / 8;
    image->width = static_cast<int>(width);
    image->height = static_cast<int>(height);
    image->pixels.assign(width * height, Rgb{});
    for (uint64_t y = 0; y < height; ++y) {
        const size_t row = start + y * stride;
        for (uint64_t x = 0; x < width; ++x) {
            const size_t at = row + x * pixelBytes;
            uint32_t pixel = 0;
            for (size_t i = 0; i < pixelBytes; ++i) {
                const uint32_t byte = static_cast<unsigned char>(bytes[at + i]);
                if (mostSignificantFirst)
                    pixel = (pixel << 8) | byte;
                else
                    pixel |= byte << (8 * i);
            }
            image->pixels[y * width + x] =
                Rgb{Channel(pixel, h[FIELD_RED_MASK]), Channel(pixel, h[FIELD_GREEN_MASK]),
                    Channel(pixel, h[FIELD_BLUE_MASK])};
        }
    }
    return true;
}

std::string Describe(Rgb colour) {
    return "(" + std::to_string(colour.r) + ", " + std::to_string(colour.g) + ", " +
           std::to_string(colour.b) + ")";
}
