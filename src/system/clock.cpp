// SPDX-License-Identifier: GPL-3.0-or-later
// Today's local date.
#include "system/clock.h"

#include <ctime>

Date Today() {
    const std::time_t now = std::time(nullptr);
    struct tm local {};
    tzset();  // localtime_r need not read the time zone itself
    if (localtime_r(&now, &local) == nullptr) return {1970, 1, 1};
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}
