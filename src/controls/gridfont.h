#pragma once

#include <QFont>

// The program's grid font: sans-serif, 13 pixels, bold. Every grid view starts
// with it, and windows that draw their own grid text take it from here.
QFont gridFont();

// The room a cell of that width gives its text: 2 pixels on the left, 1 on the
// right. A longer text is shown cut short with "…" and whole in its tool tip.
constexpr int cellTextRoom(int cellWidth)
{
    return cellWidth - 3;
}
