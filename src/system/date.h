// SPDX-License-Identifier: GPL-3.0-or-later
// A calendar date: what the clock tells and what a period starts on.
#pragma once

#include <compare>

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    auto operator<=>(const Date&) const = default;  // year, then month, then day
};
