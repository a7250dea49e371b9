#pragma once

#include "journal/grid.h"
#include "journal/journallayout.h"

#include <QStringList>

// The grids that the recalculation fills, in the shape the main window and the
// dynamics window create them.
namespace ResultGrids {

// Itog columns.
enum ItogColumn { NumberCol = 0, NameCol, SumCol, PercentCol, TenPointCol, FivePointCol, AbsenceCountCol, AbsencePercentCol, ItogColumns };


// Summi rows.
enum SummiRow { CodesRow = 0, StudentRow, AverageRow, StudentAccumulatedRow, AverageAccumulatedRow, MaximumRow, MinimumRow, SpreadRow, SummiRows };

// The eight header texts of Itog row 0.
const QStringList &itogHeaders();
// Name column text of the average-student row.
QString averageStudentName();

// Itog: 8 columns, header row fixed, no fixed columns, widths 22, 103, 31, 26, 28, 23, 22, 22.
Grid makeItog();
// Uspev: 5 columns × 3 rows, first row and column fixed, widths 59, 25, 22, 22, 23,
// with its fixed cells written.
Grid makeUspev();
// The fixed cells of Uspev: "Оценка", "Штук", "Процент" and the grades 5, 4, 3, 2.
void writeUspevFixedCells(Grid &uspev);
// Summi: 35 columns × 8 rows, columns 0-1 and row 0 fixed, default width 30.
Grid makeSummi();
// The fixed labels of Summi: "№", "Имя \ Код", the row numbers and the names of
// the group rows (the student's rows 1 and 3 are labelled by the dynamics).
void writeSummiLabels(Grid &summi);
// The journal's code row copied into Summi row 0 from column 2 on, as a load does.
void writeSummiCodes(const Grid &journal, Grid &summi);

} // namespace ResultGrids
