// The drawing layer: exact box edges, text without blending, fonts by face, and the images'
// bookkeeping (deferred clears, row extents, mirrored copies) checked against a plain model.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <random>
#include <vector>

#include "pixel_probe.h"
#include "platform/platform.h"
#include "platform/platform_qt.h"

namespace {

TEST(BoxTest, RightAndBottomEdgesAreExclusive) {
    Image* image = CreateImage(40, 30);
    SelectTarget(image);
    ClearTarget(COLOUR_WHITE);
    SetPenWidth(1);
    DrawBox(10, 5, 20, 15, COLOUR_BLACK, COLOUR_GREEN);
    ExpectPixels(image, {
                            {"top-left corner", 10, 5, COLOUR_BLACK},
                            {"last column", 19, 10, COLOUR_BLACK},
                            {"past the right edge", 20, 10, COLOUR_WHITE},
                            {"last row", 15, 14, COLOUR_BLACK},
                            {"past the bottom edge", 15, 15, COLOUR_WHITE},
                            {"inside", 15, 10, COLOUR_GREEN},
                            {"before the left edge", 9, 10, COLOUR_WHITE},
                        });
    DestroyImage(image);
}

TEST(BoxTest, WidePenSpreadsAroundTheOutlineOnBothSides) {
    Image* image = CreateImage(40, 30);
    SelectTarget(image);
    ClearTarget(COLOUR_BLUE);
    SetPenWidth(3);
    DrawFrame(3, 3, 30, 20, COLOUR_YELLOW);
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
    DestroyImage(image);
}

TEST(CopyTest, CopiesAreClippedToTheTarget) {
    Image* source = CreateImage(10, 10);
    SelectTarget(source);
    ClearTarget(COLOUR_RED);
    Image* target = CreateImage(20, 20);
    SelectTarget(target);
    CopyImage(source, -5, 15);
    EXPECT_EQ(GetPixel(target, 0, 15), COLOUR_RED);
    EXPECT_EQ(GetPixel(target, 4, 19), COLOUR_RED);
    EXPECT_EQ(GetPixel(target, 5, 15), COLOUR_WHITE);
    EXPECT_EQ(GetPixel(target, 0, 14), COLOUR_WHITE);
    CopyImage(source, 25, 25);  // wholly outside: nothing happens
    EXPECT_EQ(GetPixel(target, 19, 19), COLOUR_WHITE);
    DestroyImage(source);
    DestroyImage(target);
}

TEST(TextTest, GlyphsArePaintedInExactlyTheTextColour) {
    Image* image = CreateImage(200, 40);
    SelectTarget(image);
    SelectFont(RequestFont("Tahoma", 12, true));
    SetBackgroundOpaque(false);
    SetTextColour(COLOUR_RED);
    MoveTo(5, 5);
    DrawText("07 Domingo 12'50 \x80");
    int red = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const Colour c = GetPixel(image, x, y);
            ASSERT_TRUE(c == COLOUR_RED || c == COLOUR_WHITE) << x << "," << y;
            red += c == COLOUR_RED;
        }
    }
    EXPECT_GT(red, 100);
    DestroyImage(image);
}

TEST(TextTest, MeasuredWidthIsWhereTheInkEnds) {
    Image* image = CreateImage(300, 40);
    SelectTarget(image);
    SelectFont(RequestFont("Tahoma", 12, true));
    const std::string text = "Grabaci\xF3n realizada";
    int perCharacter = 0;
    for (char c : text) perCharacter += TextWidth(std::string(1, c));
    EXPECT_EQ(TextWidth(text), perCharacter);
    EXPECT_EQ(FitCount(text, TextWidth(text)), static_cast<int>(text.size()));
    EXPECT_EQ(FitCount(text, TextWidth(text) - 1), static_cast<int>(text.size()) - 1);
    EXPECT_EQ(FitCount(text, 0), 0);

    SetBackgroundOpaque(true);
    SetBackColour(COLOUR_GREEN);
    MoveTo(10, 10);
    DrawText(text);
    const int height = SelectedFontMetrics().height;
    EXPECT_EQ(GetPixel(image, 10 + TextWidth(text) - 1, 10 + height - 1), COLOUR_GREEN);
    EXPECT_EQ(GetPixel(image, 10 + TextWidth(text), 10), COLOUR_WHITE);
    EXPECT_EQ(GetPixel(image, 10, 10 + height), COLOUR_WHITE);
    DestroyImage(image);
}

// The right-most painted column of a line of text.
int InkRight(Image* image, int top, int bottom) {
    int right = -1;
    for (int y = top; y < bottom; ++y) {
        for (int x = 0; x < ImageWidth(image); ++x) {
            if (GetPixel(image, x, y) != COLOUR_WHITE) right = std::max(right, x);
        }
    }
    return right;
}

int InkCount(Image* image) {
    int count = 0;
    for (int y = 0; y < ImageHeight(image); ++y)
        for (int x = 0; x < ImageWidth(image); ++x) count += GetPixel(image, x, y) != COLOUR_WHITE;
    return count;
}

// Bold is visibly heavier than regular, also where a face's small sizes come as bitmaps no
// bolder than the regular face, and the ink of bold text ends within its measured width.
TEST(TextTest, BoldTextHasMoreInkThanRegularAndIsMeasuredAsDrawn) {
    const std::string text = "Grabaci\xF3n realizada 1.234'50 \x80";
    for (const char* face : {"Tahoma", "DejaVu Sans"}) {
        for (int points : {9, 12, 22}) {
            SCOPED_TRACE(testing::Message() << face << " " << points << " pt");
            int ink[2], width[2];
            for (bool bold : {false, true}) {
                Image* image = CreateImage(500, 50);
                SelectTarget(image);
                SelectFont(RequestFont(face, points, bold));
                MoveTo(0, 5);
                DrawText(text);
                ink[bold] = InkCount(image);
                width[bold] = TextWidth(text);
                if (bold) {
                    EXPECT_LE(InkRight(image, 0, 50), width[bold]);
                }
                DestroyImage(image);
            }
            EXPECT_GT(ink[1], ink[0] * 6 / 5);
            EXPECT_GT(width[1], width[0]);
        }
    }
}

TEST(TextTest, JustificationWidensTheSpacesOfTheNextTexts) {
    Image* image = CreateImage(300, 60);
    SelectTarget(image);
    SelectFont(RequestFont("Tahoma", 12, true));
    SetBackgroundOpaque(false);
    MoveTo(0, 0);
    DrawText("uno dos tres");
    SetTextJustification(7, 2);
    MoveTo(0, 25);
    DrawText("uno dos tres");
    SetTextJustification(0, 0);
    EXPECT_EQ(InkRight(image, 25, 50), InkRight(image, 0, 25) + 7);
    DestroyImage(image);
}

TEST(FontTest, IdenticalRequestsGiveTheSameFontAndPointsBecomePixels) {
    Font* a = RequestFont("Tahoma", 12, true);
    EXPECT_EQ(a, RequestFont("Tahoma", 12, true));
    EXPECT_NE(a, RequestFont("Tahoma", 12, false));
    EXPECT_EQ(a->qfont.pixelSize(), 16);
    EXPECT_EQ(RequestFont("Tahoma", 22, true)->qfont.pixelSize(), 29);
    EXPECT_EQ(RequestFont("Tahoma", 18, true)->qfont.pixelSize(), 24);
    EXPECT_EQ(RequestFont("Tahoma", 9, true)->qfont.pixelSize(), 12);
    EXPECT_TRUE(QFontInfo(a->qfont).bold());
}

TEST(FontTest, FacesResolveToInstalledMetricCompatibleFaces) {
    const QString tahoma = QFontInfo(RequestFont("Tahoma", 12, true)->qfont).family();
    EXPECT_TRUE(tahoma == "Tahoma" || tahoma == "Liberation Sans Narrow") << tahoma.toStdString();
    Font* mono = RequestFont("Lucida Console", 11, true);
    EXPECT_EQ(QFontInfo(mono->qfont).family(), "DejaVu Sans Mono");
    EXPECT_TRUE(QFontInfo(mono->qfont).bold());
    EXPECT_EQ(mono->advance['1'], mono->advance['W']);
}

TEST(TextCodeTest, WindowsCodePageRoundTrips) {
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Cp1252ToUtf8("Mi\xE9rcoles S\xE1"
                           "bado"),
              "Mi\u00E9rcoles S\u00E1bado");
    EXPECT_EQ(Utf8ToCp1252("Estad\u00EDsticas \u20AC"), "Estad\xEDsticas \x80");
    EXPECT_EQ(Utf8ToCp1252("\u4E2D"), "?");
}

// ---------------------------------------------------------------------------------------------
// The images' bookkeeping must never show: a random run of clears, boxes and copies gives the
// same pixels as a plain model that paints every pixel every time.

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

void PlainCopy(PlainImage& target, const PlainImage& source, int x, int y) {
    const PlainImage copy = source;  // the source may be the target
    for (int sy = 0; sy < copy.height; ++sy)
        for (int sx = 0; sx < copy.width; ++sx) {
            const int tx = x + sx;
            const int ty = y + sy;
            if (tx >= 0 && ty >= 0 && tx < target.width && ty < target.height)
                target.At(tx, ty) = copy.pixels[static_cast<size_t>(sy) * copy.width + sx];
        }
}

TEST(ImageBookkeepingTest, RandomDrawingMatchesAPlainModel) {
    std::mt19937 random(20240315);
    const int sizes[][2] = {{60, 45}, {60, 45}, {25, 18}, {60, 45}};
    std::vector<Image*> images;
    std::vector<PlainImage> plain;
    for (const auto& size : sizes) {
        images.push_back(CreateImage(size[0], size[1]));
        plain.push_back(
            PlainImage{size[0], size[1],
                       std::vector<Colour>(static_cast<size_t>(size[0]) * size[1], COLOUR_WHITE)});
    }
    const Colour colours[] = {COLOUR_WHITE, COLOUR_BLACK, COLOUR_RED, COLOUR_BLUE};
    auto pick = [&random](int n) { return static_cast<int>(random() % n); };

    for (int step = 0; step < 3000; ++step) {
        const int t = pick(4);
        SelectTarget(images[t]);
        SetPenWidth(1);
        const Colour colour = colours[pick(4)];
        switch (pick(5)) {
            case 0:
                ClearTarget(colour);
                PlainFill(plain[t], 0, 0, plain[t].width, plain[t].height, colour);
                break;
            case 1: {
                const int x1 = pick(70) - 5, y1 = pick(50) - 5;
                const int x2 = x1 + pick(40) + 2, y2 = y1 + pick(30) + 2;
                const Colour fill = colours[pick(4)];
                DrawBox(x1, y1, x2, y2, colour, fill);
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
                CopyImagePart(images[s], x, y, w, h);
                if (s == t) break;
                for (int py = std::max(y, 0);
                     py < std::min({y + h, plain[s].height, plain[t].height}); ++py)
                    for (int px = std::max(x, 0);
                         px < std::min({x + w, plain[s].width, plain[t].width}); ++px)
                        plain[t].At(px, py) = plain[s].At(px, py);
                break;
            }
            case 3: {
                const int s = pick(4);
                // Whole copies at the origin are the common case: they make mirrors.
                const bool origin = pick(2) == 0;
                const int x = origin ? 0 : pick(40) - 10, y = origin ? 0 : pick(30) - 10;
                CopyImage(images[s], x, y);
                if (s != t) PlainCopy(plain[t], plain[s], x, y);
                break;
            }
            case 4: {
                const int x = pick(plain[t].width), y = pick(plain[t].height);
                ASSERT_EQ(GetPixel(images[t], x, y), plain[t].At(x, y)) << "step " << step;
                break;
            }
        }
        if (step % 50 == 49 || step > 2900) {
            for (size_t i = 0; i < images.size(); ++i)
                for (int y = 0; y < plain[i].height; ++y)
                    for (int x = 0; x < plain[i].width; ++x)
                        ASSERT_EQ(GetPixel(images[i], x, y), plain[i].At(x, y))
                            << "image " << i << " at " << x << "," << y << " after step " << step;
        }
        if (step == 1500) {  // destroying a mirrored image leaves its mirror intact
            DestroyImage(images[1]);
            images[1] = CreateImage(60, 45);
            plain[1].pixels.assign(plain[1].pixels.size(), COLOUR_WHITE);
        }
    }
    for (Image* image : images) DestroyImage(image);
}

}  // namespace
