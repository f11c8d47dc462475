// SPDX-License-Identifier: GPL-3.0-or-later
// A kept period looked at without changing it: in a read-only window, or as a spreadsheet's CSV.
#pragma once

#include <string>

#include "model/period.h"
#include "platform/window.h"

// The period as CSV (RFC 4180, which spreadsheets split as it is): a header row
// "fecha,asignado,gastado,saldo", then one row per day in order, with its ISO date and its
// amounts quoted, with a decimal comma and no thousands separator.
std::string PeriodCsv(const Period& period);

// Writes the period of the ledger at `path` to standard output as CSV, with no display needed.
// A missing or damaged file is told on standard error. Returns the exit code.
int PrintPeriodCsv(const std::string& path);

// Shows the period of the ledger at `path` in a window of its own that changes nothing: no lock,
// no save, no field; only the picture can be saved. Returns the exit code.
int ViewPeriod(Application& application, const std::string& path);
