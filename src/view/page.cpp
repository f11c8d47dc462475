// SPDX-License-Identifier: GPL-3.0-or-later
// The page's screens.
#include "view/page.h"

void Page::PaintCalendar(const CalendarTexts& texts) {
    picture_.Clear(COLOUR_WHITE);
    ::PaintCalendar(picture_, texts, fonts_);
}
