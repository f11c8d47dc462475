// SPDX-License-Identifier: GPL-3.0-or-later
// Where the user is in a period's life, and the menu bar's states that follow from it.
#pragma once

#include <utility>
#include <vector>

#include "platform/window_events.h"

// On the welcome screen; picking the day the period starts (after "Mes nuevo"); with the start day
// chosen and the monthly total awaited (or refused); with the period in place (stored, or its
// total accepted); or looking at a kept period that does not change.
enum class Stage { Welcome, PickingStartDay, StartDayChosen, PeriodInPlace, Viewing };

// Whether the period's own commands apply: there is a period to save, picture and count.
constexpr bool PeriodInPlace(Stage stage) {
    return stage == Stage::PeriodInPlace || stage == Stage::Viewing;
}
// Whether the days take expenses: a total refused leaves them open to expenses all the same.
constexpr bool TakesExpenses(Stage stage) {
    return stage == Stage::StartDayChosen || stage == Stage::PeriodInPlace;
}

// Every item's state in the menu bar: "Mes nuevo" only without a period in place, the period's
// commands only with one ("Grabar" never in a kept period), "Estadísticas" checked while shown.
std::vector<std::pair<Command, MenuState>> MenuStatesOf(Stage stage, bool statisticsShown);
