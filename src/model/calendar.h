// SPDX-License-Identifier: GPL-3.0-or-later
// Weekday and month arithmetic and the Spanish day and month names. Weekdays are numbered
// 1 = Monday .. 7 = Sunday everywhere; a weekday is also a column of the calendar.
#pragma once

#include <cstdint>
#include <string_view>

int16_t DayOfWeek(int16_t year, int16_t month, int16_t day);
int16_t FebruaryLength(int16_t year);
// 28 to 31, or 0 for a month outside 1..12.
int16_t DaysInMonth(int16_t year, int16_t month);

// "Lunes" .. "Domingo" for 1..7, and "Enero" .. "Diciembre" for 1..12; an empty text outside
// those (only a damaged ledger has such a month).
std::string_view DayName(int weekday);
std::string_view MonthName(int month);
// "ene" .. "dic" for 1..12, as dates are written short; empty outside those.
std::string_view ShortMonthName(int month);
