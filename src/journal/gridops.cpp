#include "journal/gridops.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace GridOps {

namespace {

bool parseInteger(const QString &text, qint64 &value)
{
    const QByteArray t = text.trimmed().toLatin1();
    if (t.isEmpty() || t.size() > 20)
        return false;
    const char *b = t.constData();
    const char *e = b + t.size();
    if (*b == '+' && t.size() > 1 && b[1] != '-')
        ++b;
    auto [ptr, ec] = std::from_chars(b, e, value);
    return b != e && ec == std::errc() && ptr == e;
}

void checkSize(const Grid &grid, qint64 cols, qint64 rows)
{
    if (cols < 1)
        cols = 1;
    if (rows < 1)
        rows = 1;
    if (!Grid::sizeAllowed(cols, rows))
        throw ZError(QStringLiteral("Таблица %1 × %2 ячеек слишком велика: допускается не больше %3 строк "
                                    "и %3 столбцов (сейчас %4 × %5).")
                         .arg(cols)
                         .arg(rows)
                         .arg(Grid::kMaxCount)
                         .arg(grid.colCount())
                         .arg(grid.rowCount()));
}

// The cells of a column move, never copy: a move hands the text over without
// touching its reference count, and the column's vector is walked in order.

// Rows from..to of a column turned so that row `to` comes first (to > from):
// the rows from..to - 1 move one down.
// One forward pass that carries each text one place on; std::rotate and
// std::move_backward walk this case backwards, at twice the cost.
void rotateDown(std::vector<QString> &cells, int from, int to)
{
    QString carried = std::move(cells[size_t(to)]);
    for (size_t i = size_t(from); i <= size_t(to); ++i)
        carried.swap(cells[i]);
}

// Rows from..to turned so that row `from` comes last: the rows from + 1..to
// move one up.
void rotateUp(std::vector<QString> &cells, int from, int to)
{
    std::rotate(cells.begin() + from, cells.begin() + from + 1, cells.begin() + to + 1);
}

} // namespace

int parseSelection(const QString &text, const QString &what)
{
    qint64 value = 0;
    if (!parseInteger(text, value) || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw ConversionError(QStringLiteral("%1 не является целым числом (%2).").arg(quotedExcerpt(text), what));
    return int(value);
}

bool cellInteger(const QString &text, qint64 &value)
{
    return parseInteger(text, value);
}

namespace {

// Rows from..last of columns firstCol.. move one place down (or up); the row
// that would be left empty keeps its own text, as the rules of the operations say.
void shiftRows(Grid &grid, int from, int firstCol, bool down)
{
    from = qMax(from, 0);
    const int last = grid.rowCount() - 1;
    if (from >= last)
        return;
    for (int c = qMax(firstCol, 0); c < grid.colCount(); ++c) {
        auto &cells = grid.column(c);
        if (down) {
            rotateDown(cells, from, last);
            cells[size_t(from)] = cells[size_t(from) + 1];
        } else {
            rotateUp(cells, from, last);
            cells[size_t(last)] = cells[size_t(last) - 1];
        }
    }
}

} // namespace

void shiftRowsDown(Grid &grid, int from, int firstCol)
{
    shiftRows(grid, from, firstCol, true);
}

void shiftRowsUp(Grid &grid, int from, int firstCol)
{
    shiftRows(grid, from, firstCol, false);
}

namespace {
// The number cell of the new last row: the integer above it plus 1, or, with
// no integer above (a header text, an empty cell), its position.
void numberLastRow(Grid &grid, int last, int numberOffset)
{
    qint64 above = 0;
    if (cellInteger(grid.cell(0, last - 1), above) && above < std::numeric_limits<qint64>::max()) {
        grid.setCell(0, last, QString::number(above + 1));
    } else {
        // No number above (a header text, an empty cell): number by position.
        const qint64 byPosition = qint64(last) - numberOffset;
        grid.setCell(0, last, byPosition >= 1 ? QString::number(byPosition) : QString());
    }
}
} // namespace

bool insertRowBelow(Grid &grid, int selected, int numberOffset, Reach reach)
{
    const qint64 a = qint64(selected) + 1;
    const int before = grid.rowCount();
    checkSize(grid, grid.colCount(), qint64(before) + 1);
    grid.setRowCount(before + 1);
    const int last = before;
    const qint64 limit = reach == Reach::RowCount ? qint64(grid.rowCount()) : qint64(last);
    const bool inRange = a >= 1 && a <= limit;
    if (inRange && a <= last) {
        // The empty row added at the end turns up into row a, and the rows
        // from a on move one down; the number column stays.
        for (int c = 1; c < grid.colCount(); ++c)
            rotateDown(grid.column(c), int(a), last);
    }
    // The row added at the end is numbered even when the selection lay beyond
    // the grid (the first student below the header rows, the first entry of an
    // empty catalogue): an unnumbered last row would break every later number.
    numberLastRow(grid, last, numberOffset);
    return inRange;
}

void appendRows(Grid &grid, int count, int numberOffset)
{
    if (count <= 0)
        return;
    const int before = grid.rowCount();
    checkSize(grid, grid.colCount(), qint64(before) + count);
    grid.setRowCount(before + count);
    for (int last = before; last < before + count; ++last)
        numberLastRow(grid, last, numberOffset);
}

bool deleteRow(Grid &grid, int selected, Reach reach)
{
    const int limit = reach == Reach::RowCount ? grid.rowCount() : grid.rowCount() - 1;
    if (selected < 1 || selected > limit)
        return false;
    const int before = grid.rowCount();
    // The selected row turns down to the end, the rows below it move one up,
    // and the last row goes; the number column stays.
    if (selected < before - 1) {
        for (int c = 1; c < grid.colCount(); ++c)
            rotateUp(grid.column(c), selected, before - 1);
    }
    grid.setRowCount(before - 1);
    return grid.rowCount() < before;
}

void deleteRowsBelow(Grid &grid, int selected)
{
    const qint64 count = qint64(selected) + 1;
    checkSize(grid, grid.colCount(), count);
    grid.setRowCount(int(qMax<qint64>(count, 1)));
}

int swapWithRowAbove(Grid &grid, int selected)
{
    if (selected <= 1 || selected > grid.rowCount() - 1)
        return -1;
    for (int c = 1; c < grid.colCount(); ++c) {
        auto &col = grid.column(c);
        std::swap(col[size_t(selected - 1)], col[size_t(selected)]);
    }
    return selected - 1;
}

bool insertColumnRight(Grid &grid, int selected, const QList<int> &copiedRows)
{
    const qint64 a = qint64(selected) + 1;
    const int before = grid.colCount();
    checkSize(grid, qint64(before) + 1, grid.rowCount());
    grid.setColCount(before + 1);
    if (a < 1 || a > before)
        return false;
    // The empty column added at the end moves left into place a by swaps of
    // whole columns: the columns from a on move one right with their cells.
    for (int j = before; j > a; --j)
        grid.column(j).swap(grid.column(j - 1));
    for (int r : copiedRows)
        grid.setCell(int(a), r, grid.cell(int(a) - 1, r));
    return true;
}

bool insertLessonColumn(Grid &grid, int selected)
{
    return insertColumnRight(grid, selected, {1, 2, 3});
}

bool deleteColumn(Grid &grid, int selected)
{
    if (selected < 1 || selected > grid.colCount() - 1)
        return false;
    // The selected column moves to the end by swaps of whole columns, and goes.
    for (int j = selected; j < grid.colCount() - 1; ++j)
        grid.column(j).swap(grid.column(j + 1));
    grid.setColCount(grid.colCount() - 1);
    return true;
}

void deleteColumnsRight(Grid &grid, int selected)
{
    const qint64 count = qint64(selected) + 1;
    checkSize(grid, count, grid.rowCount());
    grid.setColCount(int(qMax<qint64>(count, 1)));
}

bool moveRow(Grid &grid, int from, int to)
{
    const int first = grid.fixedRows();
    const int last = grid.rowCount() - 1;
    if (from < first || to < first || from > last || to > last)
        return false;
    if (from == to)
        return true;
    for (int c = 0; c < grid.colCount(); ++c) {
        if (from < to)
            rotateUp(grid.column(c), from, to);
        else
            rotateDown(grid.column(c), to, from);
    }
    return true;
}

void renumberRows(Grid &grid, int firstRow, int offset)
{
    for (int r = qMax(firstRow, 0); r < grid.rowCount(); ++r)
        grid.setCell(0, r, QString::number(qint64(r) - offset));
}

void renumberStudents(Grid &grid)
{
    renumberRows(grid, 4, 3);
}

bool switchHeaderEditMode(Grid &grid)
{
    if (grid.fixedRows() == 4) {
        grid.setFixedCols(0);
        grid.setFixedRows(0);
        return true;
    }
    if (!grid.setFixedCols(2))
        throw ZError(QStringLiteral("Нельзя закрепить столбцы номера и ФИО: в таблице столбцов %1, "
                                    "а нужно больше 2.")
                         .arg(grid.colCount()));
    if (!grid.setFixedRows(4))
        throw ZError(QStringLiteral("Нельзя закрепить строки заголовка (название, дата, код, вес): "
                                    "в таблице строк %1, а нужно больше 4.")
                         .arg(grid.rowCount()));
    return false;
}

int switchNameColumn(Grid &grid)
{
    const int target = grid.fixedCols() == 2 ? 1 : 2;
    if (!grid.setFixedCols(target))
        throw ZError(QStringLiteral("Нельзя закрепить столбец ФИО: в таблице столбцов %1, а нужно больше 2.")
                         .arg(grid.colCount()));
    return target;
}

bool switchListEditMode(Grid &grid)
{
    if (grid.fixedRows() == 1) {
        grid.setFixedRows(0);
        return true;
    }
    if (!grid.setFixedRows(1))
        throw ZError(QStringLiteral("Нельзя закрепить строку заголовка: в таблице нет строк под ней."));
    return false;
}

} // namespace GridOps
