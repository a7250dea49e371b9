#pragma once

#include <QList>
#include <QString>
#include <QStringView>

class Grid;

// The accumulated dynamics of one student and the two operations of the result
// grid that go with it: choosing the student by a click and the bar chart.
namespace Dynamics {

// The first journal row from firstRow on whose name cell, without its leading
// and trailing blanks, equals the name without them; -1 when there is none.
int journalRowForName(const Grid &journal, QStringView name, int firstRow);

// Fills Summi rows 1 and 3 (and rewrites row 4) for the student named by the
// FIO text: row 1 the student's score × weight per column, row 3 its running
// total, row 4 the running total of the averages in row 2. False (nothing
// changed) when the text is empty or names no student of rows 4 … last. With no
// lesson column nothing is filled. A weight that is no number stops it at that
// column with a ConversionError; the columns before it stay filled.
bool fillDynamics(const Grid &journal, const QString &fioText, Grid &summi);

// What a press on Itog row `row` selects: the row's name goes into FIO, and the
// journal's current row moves to the first row from 3 on with that name.
struct ItogSelection
{
    bool selected = false; // false for the header row: FIO and the journal stay
    QString fio;
    int journalRow = -1; // -1: no journal row matches (the average student)
};
ItogSelection selectFromItog(const Grid &journal, const Grid &itog, int row);

// The number of bar marks for a ten-point text: the text as a number rounded to
// the nearest whole number, ties to even; none below 1, at most 1000 (more marks
// would run far beyond any screen). ConversionError when it is no number.
int barCount(const QString &tenPointText);

// The marks of Itog rows 1 … last, in order. A ten-point cell that is no number
// ends the list at its row and leaves the message in *failure (else empty).
QList<int> barCounts(const Grid &itog, QString *failure);

} // namespace Dynamics
