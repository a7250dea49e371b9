#pragma once

#include <QString>

class Grid;

// How a message names a cell of the journal grid: the student by number and
// name, the lesson by its ordinal and date, as the teacher sees them on screen,
// never by raw column and row indices.
namespace JournalPlace {

// "ученик 1 «Иванов Иван», урок 2 от «12.09»", "вес урока 2 от «12.09»",
// "дата урока 3"; a cell outside the grid by its column and row.
QString describe(const Grid &journal, int col, int row);

// "Журнал, <the place>: <detail>": the whole message about a journal cell.
QString message(const Grid &journal, int col, int row, const QString &detail);

// The questions asked before a deletion in the journal grid, naming what
// goes; each is empty when the selection deletes nothing (the operation then
// leaves the grid alone). "Удалить ученика «Иванов Иван»?" for the row,
// "Удалить 22 учеников?" for the rows below it, "Удалить урок 5 от «08.09»?"
// for the column, "Удалить 7 уроков?" for the columns right of it.
QString rowDeletion(const Grid &journal, int row);
QString rowsBelowDeletion(const Grid &journal, int row);
QString columnDeletion(const Grid &journal, int col);
QString columnsRightDeletion(const Grid &journal, int col);

} // namespace JournalPlace
