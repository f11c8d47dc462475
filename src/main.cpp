// SPDX-License-Identifier: GPL-3.0-or-later
// The program's objects, made once and owned here for the whole run.
#include "app/command_line.h"
#include "app/history_of_periods.h"
#include "app/ledger_claim.h"
#include "app/period_files.h"
#include "app/program.h"
#include "system/clock.h"

int main(int argc, char** argv) {
    FileCalls files;
    Ledger ledger(PlaceLedger(ProgramFolder(), UserDataHome()), files);
    const Options options = ReadCommandLine(argc, argv, ledger.Path());
    if (options.exitCode) return *options.exitCode;
    if (options.history && options.csv) return PrintHistoryCsv(ledger.Path());
    if (options.csv) return PrintPeriodCsv(options.file.empty() ? ledger.Path() : options.file);

    const char* programPath = argc > 0 && argv[0] != nullptr ? argv[0] : "monedario";
    if (!options.file.empty()) {
        Application application(programPath);
        return ViewPeriod(application, options.file);
    }
    // The history on its own takes no lock: it opens beside a running program too.
    if (options.history) {
        Application application(programPath);
        const LocalClock clock;
        HistoryOfPeriods history(application.PageFonts(), ledger.Path(), clock);
        history.Show();
        history.Exec();
        return 0;
    }
    // Before the application object, which starts threads.
    SessionEnd sessionEnd;
    Application application(programPath);
    IgnoreFileSizeSignal();
    LedgerClaim claim(ledger, options.newPeriod ? StartRequest::NewPeriod : StartRequest::Show);
    if (claim.HandedOver()) return 0;
    // A new period begins only in the run that owns the ledger.
    if (options.newPeriod) {
        if (const auto failed = BeginNewPeriod(ledger, claim.Owns())) return *failed;
    }

    const LocalClock clock;
    Program program(application.PageFonts(), ledger, files, clock);
    HistoryOfPeriods history(application.PageFonts(), ledger.Path(), clock);
    program.WhenHistoryAsked([&history] { history.Show(); });
    claim.Forward([&program](StartRequest request) {
        if (request == StartRequest::NewPeriod) program.NewPeriodRequested();
    });
    sessionEnd.WhenItEnds([&program] { program.SessionEnds(); });
    program.Open();
    return program.Exec();
}
