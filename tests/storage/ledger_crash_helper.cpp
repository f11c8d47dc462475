// SPDX-License-Identifier: GPL-3.0-or-later
// Saves two different periods in turn, forever, until it is killed; tells its parent on the
// given descriptor once the first save is done.
#include <unistd.h>

#include <cstdlib>

#include "ledger_support.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const int ready = std::atoi(argv[2]);
    FileCalls files;
    Ledger ledger(std::string(argv[1]) + "/" + LEDGER_FILE_NAME, files);
    DayRecords loaded{};
    ledger.Load(loaded);  // as the program does at start-up: the ledger is this run's to replace
    Period periods[2];
    if (!periods[0].Restore(WorkedExample()) || !periods[1].Restore(FebruaryWithExpenses()))
        return 4;
    for (long round = 0;; ++round) {
        if (ledger.Save(periods[round % 2]) != FileError::None) return 1;
        if (round == 0) {
            char mark = '1';
            if (write(ready, &mark, 1) != 1) return 3;
            close(ready);
        }
    }
}
