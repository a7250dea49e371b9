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

} // namespace JournalPlace
