#pragma once

#include <QFont>

// The program's grid font: sans-serif, 13 pixels, bold. Every grid view starts
// with it, and windows that draw their own grid text take it from here.
QFont gridFont();

// The margins of a cell's text: 2 pixels on the left, 1 on the right.
constexpr int kCellTextMargins = 3;
// The room a column of that width gives a text: its margins and the grid line
// at the column's right edge taken off. A longer text is shown cut short with
// "…" and whole in its tool tip.
constexpr int cellTextRoom(int columnWidth)
{
    return columnWidth - kCellTextMargins - 1;
}
