// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar told in words, for a screen reader: the heading, the weekdays, each day with its
// date and amounts, and the gauges when they show.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/history.h"
#include "model/period.h"
#include "platform/surface_description.h"

// "1.234,50 €": the amount as a person reads it aloud.
std::string SpokenAmount(double amount);
// "lunes 11 de marzo: quedan 87,50 €; gastado 12,50 €"; a day below zero says how much over it
// went.
std::string DescribeDay(const Period& period, GridPlace place);
// The date alone: "lunes 11 de marzo".
std::string DescribeDate(const Period& period, GridPlace place);
// A change taken back (`undone`) or done again, as a screen reader is told it: "Deshecho el gasto
// de 12,50 € del miércoles 20 de marzo", "Rehecha la corrección del miércoles 20 de marzo a
// 17,50 €".
std::string DescribeChange(const DayChange& change, const Period& period, bool undone);
// "10 de diciembre de 2026".
std::string DateInWords(Date date);
// What hovering a day tells: its date, allowance, spent and left; for `today`, what may be spent
// a day from then on, or how far the period has gone over.
std::string DayTip(const Period& period, GridPlace place, std::optional<Date> today);
// The calendar told in words; the day that is `today` begins with "hoy, ". With `tips`, every
// day carries its tip.
SurfaceDescription DescribeCalendar(const Period& period, bool statistics,
                                    std::optional<Date> today = std::nullopt, bool tips = false);

// What the surface shows now.
struct ShownSurface {
    std::string_view welcome;          // the welcome screen's text, when it shows
    const Period* calendar = nullptr;  // the calendar, when it shows
    bool statistics = false;
    std::optional<GridPlace> keyboardDay;
    std::optional<Date> today;
    bool tips = false;        // the days carry their tips
    std::string_view banner;  // the banner on the page
    DescribedField field;
    std::string notice;
};
// The surface told in words: the welcome text or the calendar, the gauges, the keyboard's day,
// the banner (unless it is the welcome text itself), the open field and the notice.
SurfaceDescription DescribeSurface(const ShownSurface& shown);
