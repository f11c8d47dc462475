// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard among the days: the arrows step through the grid, Home and End go to the ends.
#include "input/keyboard_day.h"

namespace {

// `steps` cells on in reading order (back when negative), or none past the grid.
std::optional<GridPlace> Stepped(GridPlace from, int steps) {
    const int index = CellIndex(from) + steps;
    if (index < 0 || index >= GRID_CELLS) return std::nullopt;
    return PlaceAt(index);
}

// The first (or the last) day `period` shows.
std::optional<GridPlace> EndDay(const Period& period, bool last) {
    std::optional<GridPlace> found;
    for (int row = 1; row <= GRID_ROWS; ++row) {
        for (int column = 1; column <= GRID_COLUMNS; ++column) {
            if (!period.Shows({column, row})) continue;
            if (!last) return GridPlace{column, row};
            found = GridPlace{column, row};
        }
    }
    return found;
}

}  // namespace

std::optional<GridPlace> KeyboardDay::On(const Period& period) {
    if (!day_ || !period.Shows(*day_)) day_ = EndDay(period, false);
    return day_;
}

bool KeyboardDay::Move(KeyName key, const Period& period) {
    const std::optional<GridPlace> from = On(period);
    std::optional<GridPlace> to;
    switch (key) {
        case KeyName::Left:
        case KeyName::Right:
            to = from ? Stepped(*from, key == KeyName::Left ? -1 : 1) : std::nullopt;
            break;
        case KeyName::Up:
        case KeyName::Down:
            to = from ? Stepped(*from, key == KeyName::Up ? -GRID_COLUMNS : GRID_COLUMNS)
                      : std::nullopt;
            break;
        case KeyName::Home:
        case KeyName::End:
            to = EndDay(period, key == KeyName::End);
            break;
        default:
            return false;
    }
    if (to && period.Shows(*to)) day_ = to;
    marked_ = true;
    return true;
}
