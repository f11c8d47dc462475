// SPDX-License-Identifier: GPL-3.0-or-later
// What the surface shows, in the words and boxes a screen reader is told, and what changed
// between two such descriptions. Plain C++ only.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/geometry.h"

// What the surface shows, as a screen reader is told it; boxes are in the picture's pixels.
struct DescribedCell {
    std::string name;  // empty for a cell that holds no day
    Rect box;
    std::string tip;  // what hovering the day shows, empty for none
};
// The gauges of the statistics: spent and left.
constexpr size_t DESCRIBED_GAUGES = 2;
struct DescribedGauge {
    std::string name;
    int percentage;
    std::string amount;
    Rect box;
};
struct DescribedField {
    bool open = false;
    std::string name;  // what the typed amount is for
    std::string text;
    int caret = 0;  // the characters before the caret
    Rect box;
};
struct SurfaceDescription {
    std::string heading;  // the months and the year; empty when no calendar shows
    Rect headingBox;
    std::vector<std::string> columnHeaders;  // the weekdays, when the calendar shows
    std::vector<DescribedCell> cells;        // row by row, when the calendar shows
    int focusedCell = -1;                    // the keyboard's day, an index into `cells`
    std::vector<DescribedGauge> gauges;
    std::string welcome;  // the welcome screen's text
    std::string banner;   // the message on the page, empty when none
    DescribedField field;
    std::string notice;  // what was just done that the page does not say (an undo), told once
};

// What changed between two descriptions, in the words a screen reader is told it: its
// tree, a name, a gauge's value, a banner that appeared, where the focus went, the field's text
// and caret.
enum class Telling {
    Reordered,
    HeadingRenamed,
    CellRenamed,
    GaugeChanged,
    BannerShown,
    FieldFocused,
    FieldTextChanged,
    CaretMoved,
    DayFocused,
    NoticeShown
};
struct Tell {
    Telling what;
    int index = 0;  // the cell, the gauge or the day
    bool operator==(const Tell&) const = default;
};
std::vector<Tell> WhatToTell(const SurfaceDescription& before, const SurfaceDescription& after);
