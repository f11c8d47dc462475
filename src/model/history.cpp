// SPDX-License-Identifier: GPL-3.0-or-later
// The changes of the days' spending, a list with the changes in effect at its front.
#include "model/history.h"

void History::Clear(bool saved) {
    changes_.clear();
    done_ = 0;
    saved_ = saved ? std::optional<size_t>(0) : std::nullopt;
}

bool History::Make(Period& period, ChangeKind kind, GridPlace day, double amount) {
    const DaySpending before = period.Spending(day);
    if (kind == ChangeKind::Expense)
        period.AddExpense(day, amount);
    else
        period.CorrectSpent(day, amount);
    const DaySpending after = period.Spending(day);
    if (after == before) return false;
    changes_.resize(done_);
    if (saved_ && *saved_ > done_) saved_.reset();  // the saved days were among those dropped
    changes_.push_back(DayChange{kind, day, amount, before, after});
    ++done_;
    return true;
}

std::optional<DayChange> History::Undo(Period& period) {
    if (!CanUndo()) return std::nullopt;
    const DayChange& change = changes_[--done_];
    period.SetSpending(change.day, change.before);
    return change;
}

std::optional<DayChange> History::Redo(Period& period) {
    if (!CanRedo()) return std::nullopt;
    const DayChange& change = changes_[done_++];
    period.SetSpending(change.day, change.after);
    return change;
}
