#pragma once

#include "rating/gradingscale.h"

#include <QString>

class Grid;

// The three group indicators of the main window, as their edits show them.
struct Indicators
{
    QString uspewa = QStringLiteral("0"); // success rate, "Успеваемость"
    QString ka4 = QStringLiteral("0");    // quality, "Качество"
    QString obu4 = QStringLiteral("0");   // learning degree, "Обученность"
};

// The recalculation of a journal: from the journal grid (number column 0, name
// column 1, lesson columns from 2; code row 2, weight row 3, students from row 4)
// it writes the column statistics into Summi (rows 2, 4, 5, 6, 7 of the lesson
// columns that Summi has), the result grid Itog (N + 1 rows), the counts and
// shares of Uspev and the three indicators, in the fixed order of its steps.
//
// The first failure (a weight or score that is no number, a threshold that is
// no number, a value out of range) stops it with a ConversionError naming the
// cell or the text; what was written before stays, the rest keeps its content.
//
// Where the rules divide by zero: with a best total of 0 every percentage is 0;
// without students Itog keeps only its header row and the counts, shares and
// indicators are all "0".
//
// Returns how many score cells (student rows of the lesson columns) it left
// out: texts that are neither empty nor a score, such as "н" or "4.5".
int recalculate(const Grid &journal, const Thresholds &thresholds, Grid &itog, Grid &uspev, Grid &summi,
                Indicators &indicators);
