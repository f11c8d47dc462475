// SPDX-License-Identifier: GPL-3.0-or-later
// Claiming the ledger at start-up.
#include "app/ledger_claim.h"

#include "app/menu.h"

LedgerClaim::LedgerClaim(Ledger& ledger, StartRequest request)
    : ledger_(ledger), lock_(FolderOf(ledger.Path())) {
    if (lock_.Held() == FolderLock::State::HeldElsewhere) {
        if (AskRunningProgram(ledger.Path(), request, RUNNING_PROGRAM_CONNECT_MS,
                              RUNNING_PROGRAM_REPLY_MS)) {
            handedOver_ = true;
            return;
        }
        // The running program may have ended meanwhile; otherwise it does not answer.
        lock_.TryAgain();
    }
    switch (lock_.Held()) {
        case FolderLock::State::HeldElsewhere:
            ledger.LockOut();
            break;
        case FolderLock::State::Locked:
            laterStarts_ = std::make_unique<LaterStarts>(ledger.Path(), [this](StartRequest r) {
                if (forward_) forward_(r);
            });
            ledger.RemoveSaveLeftovers(BITMAP_FILE_NAME);
            break;
        case FolderLock::State::Unavailable:
            // A file system without locks: the run goes on as the only one, as it always did.
            break;
    }
}
