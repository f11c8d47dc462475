// SPDX-License-Identifier: GPL-3.0-or-later
// The command line, read before anything of the window system starts: help and version need no
// display, and none of the window system's own options ever reaches it.
#pragma once

#include <optional>
#include <string>

#include "storage/ledger.h"

struct Options {
    bool newPeriod = false;       // "--nuevo-periodo"
    bool csv = false;             // "--csv": the period as CSV on standard output
    bool history = false;         // "--historial": every period in a window (or, with --csv, as
                                  // CSV)
    std::string file;             // a kept period to look at (or to write as CSV)
    std::optional<int> exitCode;  // the program ends at once with this (help, version, a wrong
                                  // option)
};

// Reads the options; help, the version and a wrong option are answered on the terminal.
// `ledgerPath` is where the period is saved, told by the help.
Options ReadCommandLine(int argc, char** argv, const std::string& ledgerPath);

// "--nuevo-periodo": puts the current ledger aside, in the run that owns it (another window may
// have it open). Returns the exit code of a failure.
std::optional<int> BeginNewPeriod(Ledger& ledger, bool ownsLedger);
