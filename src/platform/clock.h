// Calendar dates and today's local date.
#pragma once

struct Date {
    int year = 0;
    int month = 0;
    int day = 0;
    bool operator==(const Date&) const = default;
};

// Today's date in the local time zone.
Date Today();
