#pragma once

#include "journal/journaledits.h"

#include <QString>
#include <QStringList>

#include <vector>

class Grid;

// A block of cells as spreadsheets put it on the clipboard: tabs between the
// cells of a row, line breaks (LF or CR LF) between rows; one line break at
// the very end ends the last row and adds none.
class CellBlock
{
public:
    static CellBlock parse(const QString &text);
    // Whether a clipboard text is a block (a tab, or a line break before its
    // end) rather than the text of one cell.
    static bool isBlock(const QString &text);

    // The cells (cols × rows, from col, row) of a grid in the same form, rows
    // joined by LF without one at the end.
    static QString format(const Grid &grid, int col, int row, int cols, int rows);

    int rowCount() const { return int(m_rows.size()); }
    int colCount() const { return m_cols; }
    const std::vector<QStringList> &rows() const { return m_rows; }
    // ZError naming the first text that cp1251 cannot hold, as the editor refuses it.
    void checkEncodable() const;

    // What to do with the part of a block that runs past the last row or column.
    enum class Fit {
        Grow, // rows and columns are added at the end as the row and column operations add them
        Cut,  // the part past the end is left out
    };
    // The rows and columns the block lacks room for when pasted at (col, row).
    int missingRows(const Grid &grid, int row) const;
    int missingCols(const Grid &grid, int col) const;

    // Writes the block into the grid from (col, row), leaving fixed cells
    // alone; grown rows are numbered as GridOps::insertRowBelow numbers the
    // new last row (numberOffset as there), grown columns get the default
    // width. The edit takes every written text and the growth back (null when
    // nothing was written). ZError naming the text when cp1251 cannot hold
    // one, or naming the size when the grown grid would be too large; the grid
    // is then unchanged.
    JournalEditPtr paste(Grid &grid, int col, int row, Fit fit, int numberOffset) const;

private:
    std::vector<QStringList> m_rows;
    int m_cols = 0;
};
