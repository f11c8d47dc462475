// SPDX-License-Identifier: GPL-3.0-or-later
// The message banner, drawn in an image of its own (a text too long is cut at its lower edge)
// and copied over the page with its shadow.
#include "view/banner.h"

#include "view/calendar.h"
#include "view/text_layout.h"

namespace {
constexpr Colour SHADOW_COLOUR = COLOUR_BLACK;
constexpr Colour BANNER_COLOUR = COLOUR_BLUE;
constexpr Colour FRAME_COLOUR = COLOUR_YELLOW;
constexpr Colour BANNER_TEXT_COLOUR = COLOUR_WHITE;
}  // namespace

void Banner::Show(Image& picture, Fonts& fonts, std::string_view text, bool dismissOnClick) {
    Image banner(BANNER_WIDTH, BANNER_HEIGHT);
    banner.Clear(BANNER_COLOUR);
    banner.Frame(BANNER_FRAME, FRAME_COLOUR, BANNER_FRAME_PEN);
    DrawTextInBox(banner, text, Alignment::Centre, BANNER_TEXT_LEFT, BANNER_TEXT_TOP,
                  BANNER_TEXT_WIDTH, fonts.Get(PAGE_FONT_FACE, BANNER_POINTS, true),
                  BANNER_TEXT_COLOUR);
    const int shadowLeft = BANNER_PLACE.x + BANNER_SHADOW_OFFSET;
    const int shadowTop = BANNER_PLACE.y + BANNER_SHADOW_OFFSET;
    picture.Box(Rect{shadowLeft, shadowTop, shadowLeft + BANNER_WIDTH, shadowTop + BANNER_HEIGHT},
                SHADOW_COLOUR, SHADOW_COLOUR);
    picture.Copy(banner, BANNER_PLACE);
    text_ = std::string(text);
    dismissOnClick_ = dismissOnClick;
}
