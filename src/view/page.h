// SPDX-License-Identifier: GPL-3.0-or-later
// The page: the off-screen picture that everything the surface shows is drawn into, and the
// screens drawn on it. The surface shows its top-left corner.
#pragma once

#include "platform/image.h"
#include "view/calendar.h"

class Page {
public:
    explicit Page(Fonts& fonts) : fonts_(fonts), picture_(PAGE_WIDTH, PAGE_HEIGHT) {}

    const Image& Picture() const { return picture_; }
    Image& Picture() { return picture_; }
    Fonts& PageFonts() { return fonts_; }

    // A white page: the welcome screen's, before its banner.
    void PaintBlank() { picture_.Clear(COLOUR_WHITE); }
    // The calendar on a white page.
    void PaintCalendar(const CalendarTexts& texts);
    // Another picture (an entry field) over the page at `at`.
    void Put(const Image& picture, Point at) { picture_.Copy(picture, at); }

private:
    Fonts& fonts_;
    Image picture_;
};
