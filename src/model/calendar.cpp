// Weekday and month-length arithmetic and the Spanish day and month names.
#include "model/model.h"

CalendarNames calendarNames;

namespace {
// Windows-1252: \xE9 is "é", \xE1 is "á".
constexpr const char* DAY_NAMES[8] = {"",
                                      "Lunes",
                                      "Martes",
                                      "Mi\xE9rcoles",
                                      "Jueves",
                                      "Viernes",
                                      "S\xE1"
                                      "bado",
                                      "Domingo"};
constexpr const char* MONTH_NAMES[13] = {"",        "Enero",     "Febrero",  "Marzo",  "Abril",
                                         "Mayo",    "Junio",     "Julio",    "Agosto", "Septiembre",
                                         "Octubre", "Noviembre", "Diciembre"};
}  // namespace

void InitCalendarNames() {
    for (int i = 0; i < 8; ++i) calendarNames.dayNames[i] = DAY_NAMES[i];
    for (int i = 0; i < 13; ++i) calendarNames.monthNames[i] = MONTH_NAMES[i];
}

const std::string& MonthName(int month) {
    if (month < 1 || month > 12) return calendarNames.monthNames[0];
    return calendarNames.monthNames[month];
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

int16_t DaysInMonth(int16_t month) {
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
            return FebruaryLength(period.startYear);
        default:
            return 0;
    }
}
