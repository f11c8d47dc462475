// The program's objects, made once and owned here for the whole run.
#include "app/command_line.h"
#include "app/ledger_claim.h"
#include "app/program.h"

int main(int argc, char** argv) {
    FileCalls files;
    Ledger ledger(PlaceLedger(ProgramFolder(), UserDataHome()), files);
    const Options options = ReadCommandLine(argc, argv, ledger.Path());
    if (options.exitCode) return *options.exitCode;

    Application application(argc > 0 && argv[0] != nullptr ? argv[0] : "monedario");
    IgnoreFileSizeSignal();
    const LedgerClaim claim(ledger);
    // A new period begins only in the run that owns the ledger.
    if (options.newPeriod) {
        if (const auto failed = BeginNewPeriod(ledger, !claim.HandedOver() && claim.Owns()))
            return *failed;
    }
    if (claim.HandedOver()) return 0;

    Program program(application.PageFonts(), ledger, files, Today());
    program.Open();
    program.Exec();
    return 0;
}
