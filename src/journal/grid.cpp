#include "journal/grid.h"

#include <algorithm>
#include <atomic>

bool Grid::sizeAllowed(qint64 cols, qint64 rows)
{
    return cols <= kMaxCount && rows <= kMaxCount && std::max<qint64>(cols, 1) * std::max<qint64>(rows, 1) <= kMaxCells;
}

quint64 Grid::Revision::next()
{
    static std::atomic<quint64> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

Grid::Grid(int cols, int rows, int fixedCols, int fixedRows, int defaultColWidth)
    : m_defaultColWidth(defaultColWidth)
{
    m_cols.resize(1, std::vector<QString>(1));
    m_widths.assign(1, defaultColWidth);
    setColCount(cols);
    setRowCount(rows);
    m_fixedCols = std::clamp(fixedCols, 0, colCount() - 1);
    m_fixedRows = std::clamp(fixedRows, 0, rowCount() - 1);
}

void Grid::setColCount(int count)
{
    count = std::max(count, 1);
    m_cols.resize(size_t(count), std::vector<QString>(size_t(m_rows)));
    m_widths.resize(size_t(count), m_defaultColWidth);
    if (m_fixedCols >= count)
        m_fixedCols = count - 1;
    m_revision.bump();
}

void Grid::setRowCount(int count)
{
    count = std::max(count, 1);
    // A column that must grow gets room for a few more rows: inserting a
    // student after a load then moves the column's cells in place instead of
    // into a new block of memory.
    const size_t room = size_t(count) + size_t(count) / 8 + 4;
    for (auto &col : m_cols) {
        if (size_t(count) > col.capacity())
            col.reserve(room);
        col.resize(size_t(count));
    }
    m_rows = count;
    if (m_fixedRows >= count)
        m_fixedRows = count - 1;
    m_revision.bump();
}

void Grid::resize(int cols, int rows)
{
    if (std::max(rows, 1) < m_rows) {
        setRowCount(rows);
        setColCount(cols);
    } else {
        setColCount(cols);
        setRowCount(rows);
    }
}

bool Grid::setFixedCols(int count)
{
    if (count < 0 || count >= colCount())
        return false;
    m_fixedCols = count;
    m_revision.bump();
    return true;
}

bool Grid::setFixedRows(int count)
{
    if (count < 0 || count >= rowCount())
        return false;
    m_fixedRows = count;
    m_revision.bump();
    return true;
}

const QString &Grid::cell(int col, int row) const
{
    static const QString empty;
    if (!contains(col, row))
        return empty;
    return m_cols[size_t(col)][size_t(row)];
}

void Grid::setCell(int col, int row, const QString &text)
{
    if (contains(col, row)) {
        m_cols[size_t(col)][size_t(row)] = text;
        m_revision.bump();
    }
}

int Grid::colWidth(int col) const
{
    if (col < 0 || col >= colCount())
        return m_defaultColWidth;
    return m_widths[size_t(col)];
}

void Grid::setColWidth(int col, int width)
{
    if (col >= 0 && col < colCount()) {
        m_widths[size_t(col)] = width;
        m_revision.bump();
    }
}

void Grid::clearCells()
{
    for (auto &col : m_cols)
        std::fill(col.begin(), col.end(), QString());
    m_revision.bump();
}

bool Grid::operator==(const Grid &other) const
{
    return m_rows == other.m_rows && m_cols == other.m_cols && m_widths == other.m_widths
        && m_fixedCols == other.m_fixedCols && m_fixedRows == other.m_fixedRows;
}
