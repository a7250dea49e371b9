#pragma once

#include "rating/recalculation.h"

#include <QStringList>

class Grid;

// The operations on the results of a recalculation: ranking, the average
// student, the sum column of the journal and the current grades.
namespace Ranking {

// Sorts Itog rows 1 … last by their sum, largest first: for k from the last row
// up to 1, the topmost row with the smallest sum among rows 1 … k is exchanged
// with row k in columns 1-7 (the number column stays and reads as the rank).
// Every sum is converted before anything moves, so a sum that is no number
// stops it with a ConversionError and nothing is exchanged.
void rankResults(Grid &itog);

// Appends the average student: number = its row index, name "*** среднее ***",
// columns 2-7 the means of all rows above (an earlier average row included),
// rounded to four decimals. Without student rows nothing is added (false).
// A cell that is no number stops it; the row and the columns written stay.
bool appendAverageStudent(Grid &itog);

// True when Itog row k is the student of journal row k + 3 for every student:
// as many rows as students, number and name cells as the journal's, and no two
// students of the same name (whose exchange by a ranking could not be seen).
bool itogInJournalOrder(const Grid &journal, const Grid &itog);

// Appends the sum column: a new rightmost journal column with code "Су",
// weight "1" and in each student row r the sum of Itog row r - 3, as it stands.
void appendSumColumn(Grid &journal, const Grid &itog);

// The sum column as the button adds it: when Itog is not in journal order
// (ranked, with an average row, or out of date), the journal is recalculated
// first, so that every student receives his own sum. True when it recalculated.
// A failing recalculation stops it before the column is added.
bool appendOwnSumColumn(Grid &journal, const Thresholds &thresholds, Grid &itog, Grid &uspev, Grid &summi,
                        Indicators &indicators);

// The five-point grade texts painted over the journal's number column: one per
// student row r (4 … last), the text of Itog row r - 3 (empty when Itog lacks it).
QStringList currentGradeTexts(const Grid &journal, const Grid &itog);

} // namespace Ranking
