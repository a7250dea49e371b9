#pragma once

#include <QList>
#include <QString>

class Grid;

// The row and column operations that the journal grid, the catalogue and the
// thematic plan share. The selected index comes from the window's selection
// edit, not from the grid's current cell, so it may lie beyond the grid; each
// operation checks it and then leaves the cells alone. The number column
// (column 0) never moves: numbers stay by position.
namespace GridOps {

// How far beyond the last row a selection still acts. The journal and the
// catalogue act on rows up to the last index; the thematic plan also on the
// index equal to the row count (the place just past the end, which stays
// selected after the last row was deleted).
enum class Reach { LastRow, RowCount };

// The position numbering of insertRowBelow: the journal's students by
// JournalLayout::kStudentNumberOffset; catalogue entries and themes by their row index.
constexpr int kListNumberOffset = 0;

// The integer in a selection edit (`NStroki`, `NStolbca`, `StrGurn`, `StrTemi`).
// ConversionError naming the text when it is not one; `what` names the edit's
// meaning in the message.
int parseSelection(const QString &text, const QString &what = QStringLiteral("номер выбранной строки"));

// The integer in a number cell, blanks around it allowed; false when there is none.
bool cellInteger(const QString &text, qint64 &value);

// Row moves in columns firstCol..last: down, every row i from the last down to
// from + 1 takes the cells of row i - 1 (row from keeps its own); up, every row i
// from `from` to the last - 1 takes the cells of row i + 1 (the last keeps its own).
void shiftRowsDown(Grid &grid, int from, int firstCol = 1);
void shiftRowsUp(Grid &grid, int from, int firstCol = 1);

// Inserts an empty row below the selected one: a row is added at the end; when
// the new row's index a = selected + 1 lies in range (1 <= a <= last index,
// or <= row count with Reach::RowCount), columns 1..last of rows a.. move one
// down, row a is emptied there, and the new last row is numbered from the
// integer in the number cell above it + 1. When that cell holds no integer the
// new last row is numbered by position: its row index - numberOffset (journal
// 3, catalogue and plan 0); a position below 1 leaves it unnumbered.
// The new last row is numbered that way also when a is out of range, so that
// appending below the last row or below the header rows numbers the row too.
// Returns whether a was in range (otherwise only the row at the end was added).
// ZError (nothing changed) when the grid would grow beyond the allowed size.
bool insertRowBelow(Grid &grid, int selected, int numberOffset, Reach reach = Reach::LastRow);

// Adds `count` rows at the end, each numbered as insertRowBelow numbers the
// new last row. ZError (nothing changed) when the grid would grow beyond the
// allowed size.
void appendRows(Grid &grid, int count, int numberOffset);

// Deletes the selected row when 1 <= selected <= last index (or <= row count
// with Reach::RowCount, which removes the last row): the rows below move one
// up in columns 1..last and the last row goes. Returns whether a row went
// (a grid keeps at least one row).
bool deleteRow(Grid &grid, int selected, Reach reach = Reach::LastRow);

// Sets the row count to selected + 1 (below 1 gives 1; a selection beyond the
// grid adds empty rows). ZError when that size is not allowed.
void deleteRowsBelow(Grid &grid, int selected);

// Exchanges columns 1..last of the selected row and the row above when
// 1 < selected <= last index. Returns the index the moved row now has
// (selected - 1), or -1 when nothing moved.
int swapWithRowAbove(Grid &grid, int selected);

// Inserts a column right of the selected one: a column is added at the end (with
// the grid's default width; widths stay with positions); when a = selected + 1
// satisfies 1 <= a <= the former column count, the columns a.. move one right
// with all their cells, column a is emptied and the listed rows of the selected
// column are copied into it. Returns whether a was in range. ZError (nothing
// changed) when the size is not allowed.
bool insertColumnRight(Grid &grid, int selected, const QList<int> &copiedRows = {});
// The journal's insertion: the new column takes the date, code and weight
// (rows 1-3) of the selected one.
bool insertLessonColumn(Grid &grid, int selected);

// Deletes the selected column when 1 <= selected <= last index: the columns to
// its right move one left with all their cells and the last column goes.
bool deleteColumn(Grid &grid, int selected);

// Sets the column count to selected + 1. ZError when that size is not allowed.
void deleteColumnsRight(Grid &grid, int selected);

// Moves row `from` so that it ends at index `to`, the rows in between closing
// up: a row dragged in the grid view. Whole rows move, every column included
// (the journal renumbers its students afterwards). Refused (false, nothing
// changed) when either index is a fixed row or outside the grid.
bool moveRow(Grid &grid, int from, int to);

// Renumbers the number column after rows were moved: every row r from firstRow
// to the last gets r - offset (journal: rows 4.. numbered r - 3).
void renumberRows(Grid &grid, int firstRow, int offset);
void renumberStudents(Grid &grid);

// The journal's header edit mode: with 4 fixed rows, releases every fixed row and
// column; otherwise fixes 2 columns and then 4 rows. Returns true when the grid
// is now in edit mode. ZError when the grid is too small to fix them: the fixed
// columns are set first, so with enough columns but too few rows the grid keeps
// 2 fixed columns and no fixed row.
bool switchHeaderEditMode(Grid &grid);

// The journal's name column switch: 2 fixed columns become 1, anything else 2.
// Returns the new fixed column count. ZError when the grid has too few columns.
int switchNameColumn(Grid &grid);

// The catalogue's and the plan's edit mode: 1 fixed row becomes 0, anything
// else 1. Returns true when the grid is now in edit mode (no fixed row).
// ZError when the grid has no row below the header.
bool switchListEditMode(Grid &grid);

} // namespace GridOps
