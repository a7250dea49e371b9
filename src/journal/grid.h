#pragma once

#include <QString>
#include <vector>

// A rectangle of text cells addressed (column, row) from 0, with fixed header
// columns and rows and a width per column: the in-memory form of every table.
class Grid
{
public:
    // Sizes beyond these are refused by every reader and operation: no journal
    // comes near them, and a damaged count line must not exhaust memory.
    static constexpr int kMaxCount = 100000;
    static constexpr qint64 kMaxCells = 20000000;
    static bool sizeAllowed(qint64 cols, qint64 rows);

    Grid(int cols = 5, int rows = 5, int fixedCols = 1, int fixedRows = 1, int defaultColWidth = 64);

    int colCount() const { return int(m_cols.size()); }
    int rowCount() const { return m_rows; }
    // A count below 1 becomes 1; when the new count is not larger than the fixed
    // count, the fixed count drops to the new count - 1. New columns take the
    // default width; widths stay with their column positions.
    void setColCount(int count);
    void setRowCount(int count);
    // Both counts by the same rules, in the order that never makes the grid
    // larger on the way than the old and the new shape.
    void resize(int cols, int rows);

    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    // The fixed counts must stay below the counts; false (nothing changed) otherwise.
    bool setFixedCols(int count);
    bool setFixedRows(int count);

    // Cells outside the grid read as empty; writes outside it are ignored.
    const QString &cell(int col, int row) const;
    void setCell(int col, int row, const QString &text);
    bool contains(int col, int row) const { return col >= 0 && row >= 0 && col < colCount() && row < m_rows; }

    int colWidth(int col) const;
    void setColWidth(int col, int width);
    int defaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int width)
    {
        m_defaultColWidth = width;
        m_revision.bump();
    }
    int rowHeight() const { return m_rowHeight; }
    void setRowHeight(int height)
    {
        m_rowHeight = height;
        m_revision.bump();
    }

    // Direct access to one column's cells, for the loops that run over a whole grid.
    // The writable form counts as a change of the grid.
    const std::vector<QString> &column(int col) const { return m_cols[size_t(col)]; }
    std::vector<QString> &column(int col)
    {
        m_revision.bump();
        return m_cols[size_t(col)];
    }

    // Every cell emptied, counts and widths kept.
    void clearCells();

    bool operator==(const Grid &other) const;

    // A stamp that moves at every change of the grid (cells, counts, fixed
    // counts, widths) and never comes back to a value it had, in any grid: a
    // copy gets a stamp of its own. A view compares it with the stamp it last
    // showed and leaves an unchanged grid alone.
    quint64 revision() const { return m_revision.value; }

private:
    struct Revision
    {
        quint64 value = next();
        Revision() = default;
        Revision(const Revision &) : value(next()) {}
        Revision &operator=(const Revision &)
        {
            value = next();
            return *this;
        }
        void bump() { value = next(); }
        static quint64 next();
    };

    std::vector<std::vector<QString>> m_cols;
    std::vector<int> m_widths;
    int m_rows = 1;
    int m_fixedCols = 0;
    int m_fixedRows = 0;
    int m_defaultColWidth = 64;
    int m_rowHeight = 18;
    Revision m_revision;
};
