// SPDX-License-Identifier: GPL-3.0-or-later
// The history of the periods in the ledger's folder: the ledger itself and every period kept
// beside it, each read as a start-up reads a ledger but without a lock, and never changed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "model/period_summary.h"

// What a kept period's name tells: "ahorros-AAAA-MM-DD.log" is the first period begun that day,
// "ahorros-AAAA-MM-DD-N.log" the N-th.
struct KeptName {
    Date start;
    int attempt = 1;
};
// The name's date and number when it is a kept period's; backups, files set aside and every
// other name are not.
std::optional<KeptName> ReadKeptName(std::string_view name);

// One file of the history and what reading it gave.
struct PeriodFile {
    std::string path;
    std::string name;
    bool current = false;                 // the ledger itself
    KeptName kept;                        // for a kept period
    std::error_code error;                // the system's error when the file could not be read
    std::optional<PeriodSummary> period;  // none when the file gives no period
};

struct PeriodFolder {
    std::string folder;
    std::error_code folderError;      // the folder could not be listed; a missing one is empty
    std::vector<PeriodFile> entries;  // newest first
};

// The files of the history beside the ledger at `ledgerPath`, newest first: by the start of the
// period each holds (by its name's date when it holds none), the ledger before a kept period
// of the same start, and of two kept periods the later one first.
PeriodFolder ReadPeriodFolder(const std::string& ledgerPath);
