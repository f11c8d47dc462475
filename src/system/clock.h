// SPDX-License-Identifier: GPL-3.0-or-later
// Today's date on the local clock.
#pragma once

#include "system/date.h"

// Today's date in the local time zone.
Date Today();
