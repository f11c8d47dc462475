// SPDX-License-Identifier: GPL-3.0-or-later
// The page's screens and its banner.
#include "view/page.h"

void Page::PaintBlank() {
    picture_.Clear(COLOUR_WHITE);
    bannerOnPage_ = false;
}

void Page::PaintCalendar(const CalendarTexts& texts) {
    picture_.Clear(COLOUR_WHITE);
    ::PaintCalendar(picture_, texts, fonts_);
    bannerOnPage_ = false;
}

void Page::ShowBanner(std::string_view text, bool dismissOnClick) {
    banner_.Show(picture_, fonts_, text, dismissOnClick);
    bannerOnPage_ = true;
}

std::string_view Page::BannerShown() const {
    return bannerOnPage_ ? std::string_view(banner_.Text()) : std::string_view();
}
