// SPDX-License-Identifier: GPL-3.0-or-later
// One run per ledger: the running program owns its ledger from start-up to exit, and a later
// start for the same ledger hands over to it.
#pragma once

#include <functional>
#include <memory>

#include "platform/later_starts.h"
#include "storage/ledger.h"
#include "system/files.h"

// How long a later start waits for the running program to listen and to answer.
constexpr int RUNNING_PROGRAM_CONNECT_MS = 1000;
constexpr int RUNNING_PROGRAM_REPLY_MS = 5000;

// Claims the ledger for this run: its folder's lock is taken, later starts are listened for and
// the leftovers of killed saves removed. When another running program owns the ledger it is
// asked to show its window, or to offer a new period (this start then ends); if it cannot be
// reached, this run may not save.
class LedgerClaim {
public:
    LedgerClaim(Ledger& ledger, StartRequest request);

    // Where the requests of later starts go, once there is a program to take them.
    void Forward(std::function<void(StartRequest)> to) { forward_ = std::move(to); }

    // Another running program has shown its window: this start ends.
    bool HandedOver() const { return handedOver_; }
    // This run may change the ledger's file (begin a new period).
    bool Owns() const { return !ledger_.LockedOut(); }

private:
    Ledger& ledger_;
    FolderLock lock_;
    std::function<void(StartRequest)> forward_;
    std::unique_ptr<LaterStarts> laterStarts_;
    bool handedOver_ = false;
};
