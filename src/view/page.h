// SPDX-License-Identifier: GPL-3.0-or-later
// The page: the off-screen picture that everything the surface shows is drawn into, the screens
// drawn on it and the banner over them. The surface shows its top-left corner.
#pragma once

#include "platform/image.h"
#include "view/banner.h"
#include "view/calendar.h"

class Page {
public:
    explicit Page(Fonts& fonts) : fonts_(fonts), picture_(PAGE_WIDTH, PAGE_HEIGHT) {}

    const Image& Picture() const { return picture_; }
    Image& Picture() { return picture_; }
    Fonts& PageFonts() { return fonts_; }

    // A white page: the welcome screen's, before its banner.
    void PaintBlank();
    // The calendar on a white page.
    void PaintCalendar(const CalendarTexts& texts);
    // A banner over the page, until the page is painted again; with `dismissOnClick` it also goes
    // at the next click on the surface.
    void ShowBanner(std::string_view text, bool dismissOnClick);
    // The banner's text while it is on the page, else empty.
    std::string_view BannerShown() const;
    // The latest banner waits for a click (it may be painted over already), until it is dismissed.
    bool BannerWaitsForClick() const { return banner_.DismissOnClick(); }
    void BannerDismissed() { banner_.Dismissed(); }
    // Another picture (an entry field) over the page at `at`.
    void Put(const Image& picture, Point at) { picture_.Copy(picture, at); }

private:
    Fonts& fonts_;
    Image picture_;
    Banner banner_;
    bool bannerOnPage_ = false;
};
