// SPDX-License-Identifier: GPL-3.0-or-later
// The screenshot decoder on small hand-made dumps: both byte orders, 24 and 32 bits per pixel,
// padded rows, and dumps it must refuse.
#include "xwd_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

struct DumpShape {
    uint32_t bitsPerPixel = 32;
    uint32_t byteOrder = 0;  // 0: least significant byte first
    uint32_t bytesPerLine = 0;
    uint32_t ncolors = 0;
    uint32_t visualClass = 4;
};

void PutBig(std::string& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((v >> shift) & 0xFF));
}

// A dump of `pixels` (0xRRGGBB, row by row) with the window name "w".
std::string MakeDump(int width, int height, const std::vector<uint32_t>& pixels, DumpShape shape) {
    const uint32_t bytes = shape.bitsPerPixel / 8;
    const uint32_t stride = shape.bytesPerLine ? shape.bytesPerLine : width * bytes;
    const uint32_t headerSize = 100 + 2;
    std::string out;
    const uint32_t header[25] = {headerSize,
                                 7,
                                 2,
                                 24,
                                 uint32_t(width),
                                 uint32_t(height),
                                 0,
                                 shape.byteOrder,
                                 32,
                                 0,
                                 32,
                                 shape.bitsPerPixel,
                                 stride,
                                 shape.visualClass,
                                 0xFF0000,
                                 0x00FF00,
                                 0x0000FF,
                                 8,
                                 256,
                                 shape.ncolors,
                                 uint32_t(width),
                                 uint32_t(height),
                                 0,
                                 0,
                                 0};
    for (uint32_t v : header) PutBig(out, v);
    out += std::string("w\0", 2);
    out += std::string(shape.ncolors * 12, '\x55');
    for (int y = 0; y < height; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            const uint32_t p = pixels[y * width + x];
            for (uint32_t i = 0; i < bytes; ++i) {
                const uint32_t byte = shape.byteOrder == 0 ? i : bytes - 1 - i;
                row.push_back(static_cast<char>((p >> (8 * byte)) & 0xFF));
            }
        }
        row.resize(stride, '\x77');
        out += row;
    }
    return out;
}

const std::vector<uint32_t> PIXELS = {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0xFFFFFF, 0x000000};

void ExpectPixels(const RgbImage& image) {
    ASSERT_EQ(image.width, 3);
    ASSERT_EQ(image.height, 2);
    EXPECT_EQ(image.At(0, 0), RGB_RED);
    EXPECT_EQ(image.At(1, 0), RGB_GREEN);
    EXPECT_EQ(image.At(2, 0), RGB_BLUE);
    EXPECT_EQ(image.At(0, 1), (Rgb{0x12, 0x34, 0x56}));
    EXPECT_EQ(image.At(1, 1), RGB_WHITE);
    EXPECT_EQ(image.At(2, 1), RGB_BLACK);
}

TEST(XwdImage, DecodesLeastSignificantFirst32BitsWithPaddedRowsAndAColourMap) {
    RgbImage image;
    std::string error;
    ASSERT_TRUE(DecodeXwd(MakeDump(3, 2, PIXELS, {32, 0, 16, 2, 4}), &image, &error)) << error;
    ExpectPixels(image);
}

TEST(XwdImage, DecodesMostSignificantFirst24Bits) {
    RgbImage image;
    std::string error;
    ASSERT_TRUE(DecodeXwd(MakeDump(3, 2, PIXELS, {24, 1, 0, 0, 5}), &image, &error)) << error;
    ExpectPixels(image);
}

TEST(XwdImage, RefusesShortDumpsAndOtherPixelFormats) {
    RgbImage image;
    std::string error;
    std::string dump = MakeDump(3, 2, PIXELS, {});
    EXPECT_FALSE(DecodeXwd(dump.substr(0, dump.size() - 1), &image, &error));
    EXPECT_FALSE(DecodeXwd(dump.substr(0, 60), &image, &error));
    EXPECT_FALSE(DecodeXwd(MakeDump(3, 2, PIXELS, {16, 0, 0, 0, 4}), &image, &error));
    EXPECT_FALSE(DecodeXwd(MakeDump(3, 2, PIXELS, {32, 0, 0, 0, 3}), &image, &error));  // palette
    EXPECT_FALSE(error.empty());
}

TEST(XwdImage, ReadsOutsideTheImageAsAColourNeverDrawn) {
    RgbImage image;
    std::string error;
    ASSERT_TRUE(DecodeXwd(MakeDump(3, 2, PIXELS, {}), &image, &error)) << error;
    EXPECT_EQ(image.At(3, 0), (Rgb{255, 0, 255}));
    EXPECT_EQ(image.At(0, -1), (Rgb{255, 0, 255}));
}

}  // namespace
