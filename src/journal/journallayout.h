#pragma once

#include "journal/grid.h"

// Where things stand in a journal grid: the number and name columns, the
// lesson columns from column 2; the caption, date, code and weight rows, then
// one row per student (student k, counted from 1, in row k + 3).
namespace JournalLayout {

constexpr int kNumberCol = 0;      // "№": the student's number in student rows
constexpr int kNameCol = 1;        // "ФИО": the student's name
constexpr int kFirstLessonCol = 2; // the first lesson column

constexpr int kCaptionRow = 0;      // free text, read by nothing
constexpr int kDateRow = 1;         // the lesson's date, free text
constexpr int kCodeRow = 2;         // the lesson's theme code
constexpr int kWeightRow = 3;       // the lesson's weight
constexpr int kFirstStudentRow = 4; // student k is row k + 3

constexpr int kFixedCols = 2;
constexpr int kFixedRows = 4;
// Student k is numbered k = row - kStudentNumberOffset.
constexpr int kStudentNumberOffset = kFirstStudentRow - 1;

// The journal grid of a fresh window: 20 columns, 14 rows, the number and name
// columns and the four header rows fixed, widths 22, 127 and 30.
inline Grid makeJournalGrid()
{
    Grid grid(20, 14, kFixedCols, kFixedRows, 30);
    grid.setColWidth(kNumberCol, 22);
    grid.setColWidth(kNameCol, 127);
    return grid;
}

} // namespace JournalLayout
