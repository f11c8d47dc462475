// Today's local date, or the date a test has fixed.
#include <ctime>

#include "platform/platform.h"
#include "platform/testing.h"

ClockState clockState;

LocalDate Today() {
    if (clockState.fixedToday.year != 0) return clockState.fixedToday;
    std::time_t now = std::time(nullptr);
    struct tm local {};
    tzset();  // localtime_r need not read the time zone itself
    if (localtime_r(&now, &local) == nullptr) return {1970, 1, 1};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void SetTodayForTesting(LocalDate date) {
    clockState.fixedToday = date;
}
