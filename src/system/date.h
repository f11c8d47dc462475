// SPDX-License-Identifier: GPL-3.0-or-later
// A calendar date: what the clock tells and what a period starts on.
#pragma once

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const Date&) const = default;
};
