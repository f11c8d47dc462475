// SPDX-License-Identifier: GPL-3.0-or-later
// The banner on the page: a new one covers the old one exactly, a word too long for it is clipped
// at its edges, and the page knows whether one is on it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view/page.h"

namespace {

struct PageBannerTest : testing::Test {
    Fonts fonts;
};

// The banner area of a page, a little beyond the shadow on every side.
std::vector<Colour> AroundTheBanner(const Page& page) {
    std::vector<Colour> pixels;
    for (int y = 160; y < 370; ++y)
        for (int x = 158; x < 690; ++x) pixels.push_back(page.Picture().Pixel(x, y));
    return pixels;
}

TEST_F(PageBannerTest, NewBannerCoversTheOldOneExactly) {
    Page page(fonts);
    page.PaintBlank();
    page.ShowBanner("Programa realizado por", true);
    page.ShowBanner("Bitmap Captado ...", false);
    const std::vector<Colour> both = AroundTheBanner(page);
    EXPECT_EQ(page.BannerShown(), "Bitmap Captado ...");
    EXPECT_FALSE(page.BannerWaitsForClick()) << "the latest banner's";
    page.PaintBlank();
    EXPECT_EQ(page.BannerShown(), "") << "painted over";
    page.ShowBanner("Bitmap Captado ...", false);
    EXPECT_TRUE(AroundTheBanner(page) == both);
}

TEST_F(PageBannerTest, OverlongWordDropsToTheLastLineBelowTheBannerAndIsClipped) {
    Page page(fonts);
    page.Picture().Clear(COLOUR_BLACK);  // so that white text off the banner would show
    page.ShowBanner(std::string(200, 'W'), true);
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
