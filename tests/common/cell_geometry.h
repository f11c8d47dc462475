// SPDX-License-Identifier: GPL-3.0-or-later
// Where the calendar's day cells are on the page, as the tests know it independently of the
// program: 7 columns of 120 pixels from x 1, 6 rows of 80 pixels from y 70 (the first row 80
// pixels high from 70, every later one 79 high below a one-pixel white line).
#pragma once

struct TestBox {
    int left;
    int top;
    int right;   // exclusive
    int bottom;  // exclusive
};

constexpr TestBox TestCellBox(int column, int row) {
    return TestBox{column == 1 ? 1 : 120 * column - 118, row == 1 ? 70 : 80 * row - 9,
                   120 * column + 1, 80 * row + 70};
}
// Where a person clicks a cell: the middle of its box.
constexpr int CellMiddleX(int column) {
    return (TestCellBox(column, 1).left + TestCellBox(column, 1).right) / 2;
}
constexpr int CellMiddleY(int row) {
    return (TestCellBox(1, row).top + TestCellBox(1, row).bottom) / 2;
}
