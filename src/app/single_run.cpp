// One run per ledger: the running program owns its ledger from start-up to exit, and a later
// start for the same ledger hands over to it.
#include "app/commands.h"
#include "app/shell.h"
#include "app/testing.h"
#include "storage/storage.h"

bool StartRun() {
    IgnoreFileSizeSignal();
    FixLedgerPlace();
    const std::string path = LedgerPath();
    FolderLock lock = LockFolder(FolderOf(path));
    if (lock == FOLDER_LOCK_HELD_ELSEWHERE) {
        if (ShowRunningProgram(path, RUNNING_PROGRAM_CONNECT_MS, RUNNING_PROGRAM_REPLY_MS))
            return false;
        // The running program may have ended meanwhile; otherwise it does not answer.
        lock = LockFolder(FolderOf(path));
    }
    switch (lock) {
        case FOLDER_LOCK_HELD_ELSEWHERE:
            ledger.lockedOut = true;
            break;
        case FOLDER_LOCKED:
            ServeLaterStarts(path);
            RemoveSaveLeftovers(BITMAP_FILE_NAME);
            break;
        case FOLDER_LOCK_UNAVAILABLE:
            // A file system without locks: the run goes on as the only one, as it always did.
            break;
    }
    return true;
}

void EndRunForTesting() {
    StopServingLaterStarts();
    UnlockFolder();
    ledger.lockedOut = false;
}
