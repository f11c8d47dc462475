// SPDX-License-Identifier: GPL-3.0-or-later
// The message banner: a framed blue box with a drop shadow, centred on the page's 841 x 525 area,
// that carries every message of the program. It stays on the page until the page is drawn again;
// some banners also go at the next click.
#pragma once

#include <string>
#include <string_view>

#include "platform/image.h"

constexpr int BANNER_AREA_WIDTH = 841;  // the area the banner is centred on
constexpr int BANNER_AREA_HEIGHT = 525;
constexpr int BANNER_WIDTH = 520;
constexpr int BANNER_HEIGHT = 200;
constexpr int BANNER_SHADOW_OFFSET = 4;
constexpr int BANNER_FRAME_PEN = 3;
constexpr Rect BANNER_FRAME{3, 3, 516, 196};
constexpr int BANNER_TEXT_LEFT = 5;
constexpr int BANNER_TEXT_TOP = 50;
constexpr int BANNER_TEXT_WIDTH = 510;
constexpr int BANNER_POINTS = 12;
// (160, 162).
constexpr Point BANNER_PLACE{BANNER_AREA_WIDTH / 2 - BANNER_WIDTH / 2,
                             BANNER_AREA_HEIGHT / 2 - BANNER_HEIGHT / 2};

class Banner {
public:
    // Draws the banner with `text` over the page; with `dismissOnClick` it also goes at the next
    // click on the surface.
    void Show(Image& page, Fonts& fonts, std::string_view text, bool dismissOnClick);
    // The page was drawn again after a click that was for the banner.
    void Dismissed() { dismissOnClick_ = false; }
    bool DismissOnClick() const { return dismissOnClick_; }
    // The latest message, as shown.
    const std::string& Text() const { return text_; }

private:
    std::string text_;
    bool dismissOnClick_ = false;
};
