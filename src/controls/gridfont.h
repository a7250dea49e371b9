#pragma once

#include <QFont>

// The program's grid font: sans-serif, 13 pixels, bold. Every grid view starts
// with it, and windows that draw their own grid text take it from here.
QFont gridFont();
