// SPDX-License-Identifier: GPL-3.0-or-later
// The day the keyboard is on among the days the calendar shows, and whether its mark shows. The
// mark shows once an arrow, Home or End has moved it since the last click, so that Enter and
// Space act on a day only when the person can see which.
#pragma once

#include <optional>

#include "model/period.h"
#include "platform/window_events.h"

class KeyboardDay {
public:
    // The keyboard's day, kept on a day that `period` shows: the first one when it was on none
    // (a new period, or none chosen yet). None when the period shows no day.
    std::optional<GridPlace> On(const Period& period);
    bool MarkShown() const { return marked_; }

    // An arrow, Home or End: the day moves among the days `period` shows, and the mark shows.
    // False for another key.
    bool Move(KeyName key, const Period& period);
    // A click: the mark hides.
    void Clicked() { marked_ = false; }
    // The keyboard goes on from `day`, the mark as it was.
    void GoTo(GridPlace day) { day_ = day; }
    // The calendar shows another period: the keyboard starts again from its first day.
    void Forget() { day_.reset(); }

private:
    std::optional<GridPlace> day_;
    bool marked_ = false;
};
