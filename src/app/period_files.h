// SPDX-License-Identifier: GPL-3.0-or-later
// A kept period looked at without changing it: in a read-only window, or as a spreadsheet's CSV;
// and the history of every period as CSV.
#pragma once

#include <string>

#include "app/program.h"
#include "model/period.h"
#include "platform/window.h"
#include "storage/period_folder.h"

// The period as CSV (RFC 4180, which spreadsheets split as it is): a header row
// "fecha,asignado,gastado,saldo", then one row per day in order, with its ISO date and its
// amounts quoted, with a decimal comma and no thousands separator.
std::string PeriodCsv(const Period& period);
// Every period of the history that could be read, oldest first, in the same form: a header row
// "inicio,fin,dias,asignado,gastado,saldo,dias_en_rojo,mayor_gasto", then its first and last
// days, its number of days, its totals, its days below zero and its largest day.
std::string HistoryCsv(const PeriodFolder& history);

// Writes the period of the ledger at `path` to standard output as CSV, with no display needed.
// A missing or damaged file is told on standard error. Returns the exit code.
int PrintPeriodCsv(const std::string& path);
// Writes the history of the ledger's folder to standard output as CSV; each file that gives no
// period is named on standard error with its reason. Returns 1 only when the folder cannot be
// read.
int PrintHistoryCsv(const std::string& ledgerPath);

// A kept period in a window of its own that changes nothing: its own file calls and a read-only
// ledger, so that it takes no lock and saves nothing; only the picture can be saved.
struct ReadOnlyPeriod {
    ReadOnlyPeriod(Fonts& fonts, const std::string& path, const Clock& clock);
    FileCalls files;
    Ledger ledger;
    Program program;
};

// Shows the period of the ledger at `path` in a read-only window and runs until it is closed.
// Returns the exit code.
int ViewPeriod(Application& application, const std::string& path);
