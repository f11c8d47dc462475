// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start-up without a screen: the same objects as the program makes them, up to
// the first frame of its surface, which is reported on stdout for the start-up runner (run it
// with QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <chrono>

#include "app/command_line.h"
#include "app/history_of_periods.h"
#include "app/ledger_claim.h"
#include "app/program.h"
#include "first_frame.h"
#include "platform/platform_qt.h"
#include "system/clock.h"

int main(int argc, char** argv) {
    const auto mainEntry = std::chrono::steady_clock::now();
    int settle = FirstFrameArgument(argc, argv);
    if (settle < 0) settle = 200;
    // The same steps as the program's own start, without options: the command line, the
    // application, the ledger's claim, the program and its window, the loop.
    FileCalls files;
    Ledger ledger(PlaceLedger(ProgramFolder(), UserDataHome()), files);
    const Options options = ReadCommandLine(1, argv, ledger.Path());
    if (options.exitCode) return *options.exitCode;
    SessionEnd sessionEnd;
    Application application(argv[0]);
    IgnoreFileSizeSignal();
    LedgerClaim claim(ledger, StartRequest::Show);
    if (claim.HandedOver()) return 0;
    const LocalClock clock;
    Program program(application.PageFonts(), ledger, files, clock);
    HistoryOfPeriods history(application.PageFonts(), ledger.Path(), clock);
    program.WhenHistoryAsked([&history] { history.Show(); });
    claim.Forward([&program](StartRequest request) {
        if (request == StartRequest::NewPeriod) program.NewPeriodRequested();
    });
    sessionEnd.WhenItEnds([&program] { program.SessionEnds(); });
    // Its loop is the window's own, which "Salir" ends.
    FirstFrameReporter reporter(program.Window().Ui().surface, mainEntry, settle,
                                [&program] { program.Run(Command::Quit); });
    program.Open();
    return program.Exec();
}
