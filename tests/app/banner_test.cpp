// SPDX-License-Identifier: GPL-3.0-or-later
// The message banner: a blue box with a yellow frame and a black shadow, centred on the page,
// carrying white text; and the welcome screen it sits on.
#include "view/banner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pixel_probe.h"
#include "shell_fixture.h"

namespace {

using BannerTest = ShellTest;

TEST_F(BannerTest, BannerIsCentredWithItsShadowFrameAndText) {
    Open();  // the welcome screen and its banner
    ExpectPixels(program->Window().Picture(),
                 {
                     {"banner's corner", 160, 162, COLOUR_BLUE},
                     {"frame's outer corner", 162, 164, COLOUR_YELLOW},
                     {"frame's corner", 163, 165, COLOUR_YELLOW},
                     {"frame's inner corner", 164, 166, COLOUR_YELLOW},
                     {"inside the frame", 165, 167, COLOUR_BLUE},
                     {"frame's far corner", 675, 357, COLOUR_YELLOW},
                     {"frame's far outer corner", 676, 358, COLOUR_YELLOW},
                     {"banner's far corner", 679, 361, COLOUR_BLUE},
                     {"shadow's far corner", 683, 365, COLOUR_BLACK},
                     {"shadow on the right", 681, 200, COLOUR_BLACK},
                     {"shadow below", 300, 364, COLOUR_BLACK},
                     {"page beside the shadow", 684, 300, COLOUR_WHITE},
                     {"page below the shadow", 300, 366, COLOUR_WHITE},
                     {"page left of the shadow", 163, 364, COLOUR_WHITE},
                     {"page above the banner", 300, 161, COLOUR_WHITE},
                     {"inside, below the text", 300, 340, COLOUR_BLUE},
                 });
    int white = 0;
    for (int y = 212; y < 300; ++y)
        for (int x = 166; x < 674; ++x) white += SurfacePixel(x, y) == COLOUR_WHITE;
    EXPECT_GT(white, 500) << "the welcome text";
    for (int y = 162; y < 212; ++y)
        for (int x = 166; x < 674; ++x)
            ASSERT_NE(SurfacePixel(x, y), COLOUR_WHITE) << "text starts 50 below";
}

TEST_F(BannerTest, WelcomeScreenIsAWhitePageWithOnlyTheBanner) {
    Open();
    for (int y = 0; y < 552; y += 2) {
        for (int x = 0; x < 842; x += 2) {
            const bool underBanner = x >= 160 && x <= 683 && y >= 162 && y <= 365;
            if (!underBanner) {
                ASSERT_EQ(SurfacePixel(x, y), COLOUR_WHITE) << x << "," << y;
            }
        }
    }
}

// The banner area of a page, a little beyond the shadow on every side.
std::vector<Colour> AroundTheBanner(const Page& page) {
    std::vector<Colour> pixels;
    for (int y = 160; y < 370; ++y)
        for (int x = 158; x < 690; ++x) pixels.push_back(page.Picture().Pixel(x, y));
    return pixels;
}

TEST_F(BannerTest, NewBannerCoversTheOldOneExactly) {
    Page page(fonts);
    page.PaintBlank();
    Banner banner;
    banner.Show(page, TEXT_AUTHOR, true);
    banner.Show(page, TEXT_BITMAP, true);
    const std::vector<Colour> both = AroundTheBanner(page);
    page.PaintBlank();
    Banner alone;
    alone.Show(page, TEXT_BITMAP, true);
    EXPECT_TRUE(AroundTheBanner(page) == both);
    EXPECT_EQ(banner.Text(), TEXT_BITMAP);
    EXPECT_TRUE(banner.DismissOnClick());
}

TEST_F(BannerTest, OverlongWordDropsToTheLastLineBelowTheBannerAndIsClipped) {
    Page page(fonts);
    page.Picture().Clear(COLOUR_BLACK);  // so that white text off the banner would show
    Banner banner;
    banner.Show(page, std::string(200, 'W'), true);
    for (int y = 0; y < PAGE_HEIGHT; ++y) {
        for (int x = 0; x < PAGE_WIDTH; ++x) {
            const bool textArea = x >= 166 && x < 674 && y >= 212 && y < 358;
            const bool banner = x >= 160 && x < 680 && y >= 162 && y < 362;
            if (textArea || !banner) {
                ASSERT_NE(page.Picture().Pixel(x, y), COLOUR_WHITE) << x << "," << y;
            }
        }
    }
}

}  // namespace
