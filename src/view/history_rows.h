// SPDX-License-Identifier: GPL-3.0-or-later
// The history of the periods as its window shows it: a row of texts per file, newest first, the
// chart's bars and scales, and the chart told in words for a screen reader.
#pragma once

#include <string>

#include "platform/history_window.h"
#include "storage/period_folder.h"

// The columns of a period's row, in order.
enum HistoryColumn {
    COLUMN_PERIOD,
    COLUMN_DAYS,
    COLUMN_ALLOWANCE,
    COLUMN_SPENT,
    COLUMN_LEFT,
    COLUMN_DAYS_BELOW_ZERO,
    COLUMN_LARGEST_DAY,
    HISTORY_COLUMNS
};

// "10 dic 2026".
std::string ShortDate(Date date);
// "10 dic 2026 – 9 ene 2027": the period's first and last days.
std::string PeriodSpan(const PeriodSummary& period);
// Why a file gives no period: "no se puede leer: Permission denied", "no contiene un periodo".
std::string FileTrouble(const PeriodFile& entry);
HistoryView MakeHistoryView(const PeriodFolder& history);
