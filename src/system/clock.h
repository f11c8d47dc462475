// SPDX-License-Identifier: GPL-3.0-or-later
// Today's date on the local clock, and the clock a program reads it from.
#pragma once

#include "system/date.h"

// Today's date in the local time zone.
Date Today();

// Where a program reads today's date: the local clock, or one a test sets.
class Clock {
public:
    virtual Date Today() const = 0;

protected:
    ~Clock() = default;
};

class LocalClock final : public Clock {
public:
    Date Today() const override { return ::Today(); }
};
