#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class Grid;
struct Indicators;

// The journal and its results as a spreadsheet (.xlsx): the sheet "Журнал" as
// the teacher sees the grid, "Итоги" with the result grid and each student's
// place, "Распределение" with the grade distribution and the three indicators.
// The command "results --format xlsx" and the main window's export both write
// it, from the grids the recalculation filled.
namespace ResultsXlsx {

struct Content
{
    const Grid &journal;
    const Grid &itog; // as it stands: ranked or with the average student when the caller made it so
    const Grid &uspev;
    const Indicators &indicators;
};

// The workbook's bytes. A ZError names `fileName` (the file they are for) and
// the cell when a text does not fit a cell, or the grid does not fit a sheet,
// or the library fails.
QByteArray workbook(const Content &content, const QString &fileName);

// Writes the workbook to `filePath` through DurableFile: the file there is
// replaced only when every byte reached the disk. FileError naming the file
// when its name does not end with ".xlsx" (no data file of the program does),
// its folder is missing or it may not be replaced (a link, a folder, a
// read-only file).
void write(const Content &content, const QString &filePath);

// The place of each Itog row 1 … last by its sum: 1 plus the number of
// students with a larger sum (equal sums share a place). The average-student
// row has none (0) and is not counted; neither is a sum that is no number.
QList<int> places(const Grid &itog);

} // namespace ResultsXlsx
