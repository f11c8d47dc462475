// SPDX-License-Identifier: GPL-3.0-or-later
// The changes made to the days' spending in this run, taken back and done again one at a time,
// and whether the days are as the ledger last kept them.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "model/period.h"

enum class ChangeKind { Expense, Correction };

struct DayChange {
    ChangeKind kind;
    GridPlace day;
    double amount;  // what was typed: the expense added, or the day's new spent amount
    DaySpending before;
    DaySpending after;
};

class History {
public:
    // Forgets every change; `saved` when the days are as the ledger holds them.
    void Clear(bool saved);
    // Adds an expense to a day, or corrects its spent amount, as a change that can be taken back;
    // the changes taken back before it can no longer be done again. False when the day stays
    // exactly as it was: nothing is recorded.
    bool Make(Period& period, ChangeKind kind, GridPlace day, double amount);
    // Takes back the latest change in effect, or does again the latest one taken back: the day
    // is left exactly as it was before, or after, that change. None when there is none.
    std::optional<DayChange> Undo(Period& period);
    std::optional<DayChange> Redo(Period& period);
    bool CanUndo() const { return done_ > 0; }
    bool CanRedo() const { return done_ < changes_.size(); }

    // The ledger now holds the days as they are.
    void Saved() { saved_ = done_; }
    bool Unsaved() const { return saved_ != done_; }

private:
    std::vector<DayChange> changes_;
    size_t done_ = 0;  // the first `done_` changes are in effect
    // How many changes were in effect when the ledger was last saved; none when no sequence of
    // steps leads back there.
    std::optional<size_t> saved_ = 0;
};
