// Saves two different periods in turn, forever, until it is killed; tells its parent on the
// given descriptor once the first save is done.
#include <unistd.h>

#include <cstdlib>

#include "ledger_support.h"
#include "platform/testing.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    SetExecutableFolderForTesting(argv[1]);
    int ready = std::atoi(argv[2]);
    LoadLedger();  // as the program does at start-up: the ledger is this run's to replace
    for (long round = 0;; ++round) {
        if (round % 2 == 0) {
            LayOutWorkedExample();
        } else {
            LayOutFebruaryWithExpenses();
        }
        if (SaveLedger() != 0) return 1;
        if (round == 0) {
            char mark = '1';
            if (write(ready, &mark, 1) != 1) return 3;
            close(ready);
        }
    }
}
