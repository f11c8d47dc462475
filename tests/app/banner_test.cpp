// SPDX-License-Identifier: GPL-3.0-or-later
// The message banner on the window: a blue box with a yellow frame and a black shadow, centred on
// the page, carrying white text; and the welcome screen it sits on.
#include <string>
#include <vector>

#include "pixel_probe.h"
#include "program_driver.h"

namespace {

using BannerTest = ProgramTest;

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
        for (int x = 166; x < 674; ++x) white += Pixel(x, y) == COLOUR_WHITE;
    EXPECT_GT(white, 500) << "the welcome text";
    for (int y = 162; y < 212; ++y)
        for (int x = 166; x < 674; ++x)
            ASSERT_NE(Pixel(x, y), COLOUR_WHITE) << "text starts 50 below";
}

TEST_F(BannerTest, WelcomeScreenIsAWhitePageWithOnlyTheBanner) {
    Open();
    for (int y = 0; y < 552; y += 2) {
        for (int x = 0; x < 842; x += 2) {
            const bool underBanner = x >= 160 && x <= 683 && y >= 162 && y <= 365;
            if (!underBanner) {
                ASSERT_EQ(Pixel(x, y), COLOUR_WHITE) << x << "," << y;
            }
        }
    }
}

}  // namespace
