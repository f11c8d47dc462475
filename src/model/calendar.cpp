// SPDX-License-Identifier: GPL-3.0-or-later
// Weekday and month-length arithmetic and the Spanish day and month names.
#include "model/calendar.h"

namespace {

constexpr std::string_view DAY_NAMES[8] = {"",       "Lunes",   "Martes", "Miércoles",
                                           "Jueves", "Viernes", "Sábado", "Domingo"};
constexpr std::string_view MONTH_NAMES[13] = {
    "",      "Enero",  "Febrero",    "Marzo",   "Abril",     "Mayo",     "Junio",
    "Julio", "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre"};

constexpr std::string_view SHORT_MONTH_NAMES[13] = {"",    "ene", "feb", "mar", "abr", "may", "jun",
                                                    "jul", "ago", "sep", "oct", "nov", "dic"};

}  // namespace

std::string_view DayName(int weekday) {
    return weekday >= 1 && weekday <= 7 ? DAY_NAMES[weekday] : DAY_NAMES[0];
}

std::string_view MonthName(int month) {
    return month >= 1 && month <= 12 ? MONTH_NAMES[month] : MONTH_NAMES[0];
}

std::string_view ShortMonthName(int month) {
    return month >= 1 && month <= 12 ? SHORT_MONTH_NAMES[month] : SHORT_MONTH_NAMES[0];
}

// A congruence over a year that starts in March; January and February count as months 11 and
// 12 of the year before. Integer division truncates toward zero, as the rule is stated.
int16_t DayOfWeek(int16_t year, int16_t month, int16_t day) {
    int y = year;
    int m = month - 2;
    if (m <= 0) {
        m += 12;
        y -= 1;
    }
    const int yearOfCentury = y % 100;
    const int century = y / 100;
    int w = (26 * m - 2) / 10 + day + yearOfCentury + yearOfCentury / 4 + century / 4 - 2 * century;
    while (w < 0) w += 7;
    const int k = w % 7 + 1;  // 1 = Sunday .. 7 = Saturday
    return static_cast<int16_t>(k == 1 ? 7 : k - 1);
}

int16_t FebruaryLength(int16_t year) {
    return ((year % 4 == 0 && year % 100 != 0) || year % 400 == 0) ? 29 : 28;
}

int16_t DaysInMonth(int16_t year, int16_t month) {
    switch (month) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return FebruaryLength(year);
        default:
            return 0;
    }
}
