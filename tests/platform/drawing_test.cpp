// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing layer: exact box edges, text without blending, fonts by face and width, and the
// images' bookkeeping (deferred clears, row extents) checked against a plain model.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "pixel_probe.h"
#include "platform/image.h"
#include "system/utf8.h"

namespace {

TEST(BoxTest, RightAndBottomEdgesAreExclusive) {
    Image image(40, 30);
    image.Box(Rect{10, 5, 20, 15}, COLOUR_BLACK, COLOUR_GREEN);
    ExpectPixels(image, {
                            {"top-left corner", 10, 5, COLOUR_BLACK},
                            {"last column", 19, 10, COLOUR_BLACK},
                            {"past the right edge", 20, 10, COLOUR_WHITE},
                            {"last row", 15, 14, COLOUR_BLACK},
                            {"past the bottom edge", 15, 15, COLOUR_WHITE},
                            {"inside", 15, 10, COLOUR_GREEN},
                            {"before the left edge", 9, 10, COLOUR_WHITE},
                        });
}

TEST(BoxTest, WidePenSpreadsAroundTheOutlineOnBothSides) {
    Image image(40, 30);
    image.Clear(COLOUR_BLUE);
    image.Frame(Rect{3, 3, 30, 20}, COLOUR_YELLOW, 3);
    ExpectPixels(image, {
                            {"outer corner", 2, 2, COLOUR_YELLOW},
                            {"nominal corner", 3, 3, COLOUR_YELLOW},
                            {"inner corner", 4, 4, COLOUR_YELLOW},
                            {"inside", 5, 5, COLOUR_BLUE},
                            {"outside", 1, 1, COLOUR_BLUE},
                            {"right outer", 30, 10, COLOUR_YELLOW},
                            {"right beyond", 31, 10, COLOUR_BLUE},
                            {"bottom outer", 10, 20, COLOUR_YELLOW},
                            {"bottom beyond", 10, 21, COLOUR_BLUE},
                            {"right inner", 28, 10, COLOUR_YELLOW},
                            {"inside the right edge", 27, 10, COLOUR_BLUE},
                        });
}

TEST(CopyTest, CopiesAreClippedToTheTarget) {
    Image source(10, 10);
    source.Clear(COLOUR_RED);
    Image target(20, 20);
    target.Copy(source, {-5, 15});
    ExpectPixels(target, {
                             {"copied, left edge", 0, 15, COLOUR_RED},
                             {"copied, far corner", 4, 19, COLOUR_RED},
                             {"right of the copy", 5, 15, COLOUR_WHITE},
                             {"above the copy", 0, 14, COLOUR_WHITE},
                         });
    target.Copy(source, {25, 25});  // wholly outside: nothing happens
    EXPECT_EQ(target.Pixel(19, 19), COLOUR_WHITE);
}

struct TextTest : testing::Test {
    Fonts fonts;
    const Font& bannerFont = fonts.Get("Tahoma", 12, true);
};

TEST_F(TextTest, GlyphsArePaintedInExactlyTheTextColour) {
    Image image(200, 40);
    image.Text({5, 5}, "07 Domingo 12'50 €", bannerFont, COLOUR_RED);
    int red = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const Colour c = image.Pixel(x, y);
            ASSERT_TRUE(c == COLOUR_RED || c == COLOUR_WHITE) << x << "," << y;
            red += c == COLOUR_RED;
        }
    }
    EXPECT_GT(red, 100);
}

TEST_F(TextTest, MeasuredWidthIsWhereTheInkEnds) {
    const std::string text = "Grabación realizada";
    const int count = static_cast<int>(CharacterCount(text));
    const int width = bannerFont.Width(text);
    int perCharacter = 0;
    for (size_t at = 0; at < text.size();) {
        const size_t from = at;
        NextCharacter(text, at);
        perCharacter += bannerFont.Width(text.substr(from, at - from));
    }
    EXPECT_EQ(width, perCharacter);
    EXPECT_EQ(bannerFont.FitCount(text, width), count);
    EXPECT_EQ(bannerFont.FitCount(text, width - 1), count - 1);
    EXPECT_EQ(bannerFont.FitCount(text, 0), 0);

    Image image(300, 40);
    image.OpaqueText({10, 10}, text, bannerFont, COLOUR_BLACK, COLOUR_GREEN);
    const int height = bannerFont.Metrics().height;
    ExpectPixels(
        image, {
                   {"last pixel of the background", 10 + width - 1, 10 + height - 1, COLOUR_GREEN},
                   {"right of the text", 10 + width, 10, COLOUR_WHITE},
                   {"below the text", 10, 10 + height, COLOUR_WHITE},
               });
}

// The right-most painted column between two rows.
int InkRight(const Image& image, int top, int bottom) {
    int right = -1;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (image.Pixel(x, y) != COLOUR_WHITE) right = std::max(right, x);
    return right;
}

int InkCount(const Image& image) {
    int count = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) count += image.Pixel(x, y) != COLOUR_WHITE;
    return count;
}

// Bold is visibly heavier than regular, also where a face's small sizes come as bitmaps no
// bolder than the regular face, and the ink of bold text ends within its measured width.
TEST_F(TextTest, BoldTextHasMoreInkThanRegularAndIsMeasuredAsDrawn) {
    const std::string text = "Grabación realizada 1.234'50 €";
    for (const char* face : {"Tahoma", "DejaVu Sans"}) {
        for (int points : {9, 12, 22}) {
            SCOPED_TRACE(testing::Message() << face << " " << points << " pt");
            int ink[2], width[2];
            for (bool bold : {false, true}) {
                const Font& font = fonts.Get(face, points, bold);
                Image image(500, 50);
                image.Text({0, 5}, text, font, COLOUR_BLACK);
                ink[bold] = InkCount(image);
                width[bold] = font.Width(text);
                if (bold) {
                    EXPECT_LE(InkRight(image, 0, 50), width[bold]);
                }
            }
            EXPECT_GT(ink[1], ink[0] * 6 / 5);
            EXPECT_GT(width[1], width[0]);
        }
    }
}

TEST_F(TextTest, JustificationWidensTheFirstSpaces) {
    Image image(300, 60);
    image.Text({0, 0}, "uno dos tres", bannerFont, COLOUR_BLACK);
    image.Text({0, 25}, "uno dos tres", bannerFont, COLOUR_BLACK, Justification{7, 2});
    EXPECT_EQ(InkRight(image, 25, 50), InkRight(image, 0, 25) + 7);
}

TEST(FontTest, IdenticalRequestsGiveTheSameFontAndPointsBecomePixels) {
    Fonts fonts;
    const Font& a = fonts.Get("Tahoma", 12, true);
    EXPECT_EQ(&a, &fonts.Get("Tahoma", 12, true));
    EXPECT_NE(&a, &fonts.Get("Tahoma", 12, false));
    EXPECT_TRUE(a.Bold());
    EXPECT_FALSE(fonts.Get("Tahoma", 12, false).Bold());
    const struct { int points, pixels; } sizes[] = {{12, 16}, {22, 29}, {18, 24}, {9, 12}};
    for (const auto& s : sizes)
        EXPECT_EQ(fonts.Get("Tahoma", s.points, true).PixelSize(), s.pixels) << s.points << " pt";
}

// "Tahoma" is the Tahoma-metric face where it is installed, else a face narrow enough for the
// page; "Lucida Console" is a monospaced face.
TEST(FontTest, FacesResolveToInstalledFaces) {
    Fonts found;
    const std::string tahoma = found.Get("Tahoma", 12, true).Family();
    EXPECT_TRUE(tahoma == "Tahoma" || tahoma == "Liberation Sans Narrow") << tahoma;
    Fonts without("Liberation Sans Narrow");
    EXPECT_EQ(without.Get("Tahoma", 12, true).Family(), "Liberation Sans Narrow");
    const Font& mono = found.Get("Lucida Console", 11, true);
    EXPECT_EQ(mono.Family(), "DejaVu Sans Mono");
    EXPECT_TRUE(mono.Bold());
    EXPECT_EQ(mono.Width("1"), mono.Width("W"));
}

// A text that fits keeps its font; one too wide gets the widest narrower one it fits, condensed
// before it is made smaller, and a condensed font draws exactly the ink it measures.
TEST(FontTest, TooWideATextIsDrawnNarrower) {
    Fonts fonts("DejaVu Sans");
    const Font& plain = fonts.Get("Tahoma", 18, true);
    EXPECT_EQ(&fonts.Fitting("Tahoma", 18, true, "Lunes", 115), &plain);
    const int wide = plain.Width("Miércoles");
    ASSERT_GT(wide, 115) << "DejaVu Sans is too wide for the weekday's box";
    const Font& narrower = fonts.Fitting("Tahoma", 18, true, "Miércoles", 115);
    EXPECT_LE(narrower.Width("Miércoles"), 115);
    EXPECT_EQ(narrower.PixelSize(), plain.PixelSize()) << "condensed, not smaller";
    EXPECT_GT(narrower.Width("Miércoles"), 115 * 87 / 100) << "no narrower than it must";
    const Font& tiny = fonts.Fitting("Tahoma", 18, true, "Miércoles", 30);
    EXPECT_LT(tiny.PixelSize(), plain.PixelSize());
    EXPECT_LE(tiny.Width("Miércoles"), 30);

    Image image(200, 40);
    image.Text(Point{10, 5}, "Miércoles", narrower, COLOUR_BLACK);
    int right = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x)
            if (image.Pixel(x, y) == COLOUR_BLACK) right = std::max(right, x + 1);
    EXPECT_LE(right, 10 + narrower.Width("Miércoles") + 1);
    EXPECT_GT(right, 10 + narrower.Width("Miércoles") - 6);
}

// ---------------------------------------------------------------------------------------------
// The images' bookkeeping must never show: a random run of clears, boxes and copies gives the
// same pixels as a plain model that paints every pixel every time, and a screen image's buffer,
// which a window paints as it is, holds them too.

struct PlainImage {
    int width;
    int height;
    std::vector<Colour> pixels;
    Colour& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

void PlainFill(PlainImage& image, int x1, int y1, int x2, int y2, Colour colour) {
    for (int y = std::max(y1, 0); y < std::min(y2, image.height); ++y)
        for (int x = std::max(x1, 0); x < std::min(x2, image.width); ++x) image.At(x, y) = colour;
}

void PlainCopy(PlainImage& target, PlainImage& source, int x, int y, int w, int h, int tx, int ty) {
    for (int sy = std::max({y, 0, -ty + y}); sy < std::min(y + h, source.height); ++sy)
        for (int sx = std::max({x, 0, -tx + x}); sx < std::min(x + w, source.width); ++sx) {
            const int px = tx + sx - x, py = ty + sy - y;
            if (px < target.width && py < target.height) target.At(px, py) = source.At(sx, sy);
        }
}

// The colour a screen image's buffer holds at (x, y).
Colour ScreenPixel(const Image& image, int x, int y) {
    const uint32_t rgb = image.ScreenRow(y)[x];
    return Rgb((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

TEST(ImageBookkeepingTest, RandomDrawingMatchesAPlainModel) {
    std::mt19937 random(20240315);
    const struct {
        int width, height;
        Image::Use use;
    } made[] = {{60, 45, Image::Use::Offscreen},
                {60, 45, Image::Use::Offscreen},
                {25, 18, Image::Use::Offscreen},
                {60, 45, Image::Use::Screen}};
    std::vector<Image> images;
    std::vector<PlainImage> plain;
    for (const auto& m : made) {
        images.emplace_back(m.width, m.height, m.use);
        plain.push_back(
            PlainImage{m.width, m.height,
                       std::vector<Colour>(static_cast<size_t>(m.width) * m.height, COLOUR_WHITE)});
    }
    const Colour colours[] = {COLOUR_WHITE, COLOUR_BLACK, COLOUR_RED, COLOUR_BLUE};
    auto pick = [&random](int n) { return static_cast<int>(random() % n); };
    auto expectAll = [&](int step) {
        for (size_t i = 0; i < images.size(); ++i)
            for (int y = 0; y < plain[i].height; ++y)
                for (int x = 0; x < plain[i].width; ++x) {
                    ASSERT_EQ(images[i].Pixel(x, y), plain[i].At(x, y))
                        << "image " << i << " at " << x << "," << y << " after step " << step;
                    if (made[i].use == Image::Use::Screen) {
                        ASSERT_EQ(ScreenPixel(images[i], x, y), plain[i].At(x, y))
                            << "screen buffer at " << x << "," << y << " after step " << step;
                    }
                }
    };

    for (int step = 0; step < 3000; ++step) {
        const int t = pick(4);
        const Colour colour = colours[pick(4)];
        switch (pick(5)) {
            case 0:
                images[t].Clear(colour);
                PlainFill(plain[t], 0, 0, plain[t].width, plain[t].height, colour);
                break;
            case 1: {
                const int x1 = pick(70) - 5, y1 = pick(50) - 5;
                const int x2 = x1 + pick(40) + 2, y2 = y1 + pick(30) + 2;
                const Colour fill = colours[pick(4)];
                images[t].Box(Rect{x1, y1, x2, y2}, colour, fill);
                PlainFill(plain[t], x1, y1, x2, y2, fill);
                PlainFill(plain[t], x1, y1, x2, y1 + 1, colour);
                PlainFill(plain[t], x1, y2 - 1, x2, y2, colour);
                PlainFill(plain[t], x1, y1, x1 + 1, y2, colour);
                PlainFill(plain[t], x2 - 1, y1, x2, y2, colour);
                break;
            }
            case 2: {  // a part of another image onto the same place
                const int s = pick(4);
                const int x = pick(70) - 5, y = pick(50) - 5, w = pick(30), h = pick(20);
                images[t].CopyPart(images[s], Rect{x, y, x + w, y + h});
                if (s != t) PlainCopy(plain[t], plain[s], x, y, w, h, x, y);
                break;
            }
            case 3: {
                const int s = pick(4);
                // Whole copies at the origin are the common case.
                const bool origin = pick(2) == 0;
                const int x = origin ? 0 : pick(40) - 10, y = origin ? 0 : pick(30) - 10;
                images[t].Copy(images[s], {x, y});
                if (s != t)
                    PlainCopy(plain[t], plain[s], 0, 0, plain[s].width, plain[s].height, x, y);
                break;
            }
            case 4: {
                const int x = pick(plain[t].width), y = pick(plain[t].height);
                ASSERT_EQ(images[t].Pixel(x, y), plain[t].At(x, y)) << "step " << step;
                break;
            }
        }
        if (step % 50 == 49 || step > 2900) {
            expectAll(step);
            if (testing::Test::HasFatalFailure()) return;
        }
        if (step == 1500) {  // an image made anew in the place of one that was copied from
            images[1] = Image(60, 45);
            plain[1].pixels.assign(plain[1].pixels.size(), COLOUR_WHITE);
        }
    }
}

}  // namespace
