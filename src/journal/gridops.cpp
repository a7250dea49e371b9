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

void copyRow(Grid &grid, int from, int to, int firstCol)
{
    for (int c = firstCol; c < grid.colCount(); ++c)
        grid.column(c)[size_t(to)] = grid.column(c)[size_t(from)];
}

void emptyRow(Grid &grid, int row, int firstCol)
{
    for (int c = firstCol; c < grid.colCount(); ++c)
        grid.column(c)[size_t(row)].clear();
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

void shiftRowsDown(Grid &grid, int from, int firstCol)
{
    for (int i = grid.rowCount() - 1; i > from && i > 0; --i)
        copyRow(grid, i - 1, i, firstCol);
}

void shiftRowsUp(Grid &grid, int from, int firstCol)
{
    for (int i = qMax(from, 0); i < grid.rowCount() - 1; ++i)
        copyRow(grid, i + 1, i, firstCol);
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
        shiftRowsDown(grid, int(a));
        emptyRow(grid, int(a), 1);
    }
    // The row added at the end is numbered even when the selection lay beyond
    // the grid (the first student below the header rows, the first entry of an
    // empty catalogue): an unnumbered last row would break every later number.
    numberLastRow(grid, last, numberOffset);
    return inRange;
}


bool deleteRow(Grid &grid, int selected, Reach reach)
{
    const int limit = reach == Reach::RowCount ? grid.rowCount() : grid.rowCount() - 1;
    if (selected < 1 || selected > limit)
        return false;
    const int before = grid.rowCount();
    shiftRowsUp(grid, selected);
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
    for (int j = before; j > a; --j)
        grid.column(j) = grid.column(j - 1);
    auto &fresh = grid.column(int(a));
    std::fill(fresh.begin(), fresh.end(), QString());
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
    for (int j = selected; j < grid.colCount() - 1; ++j)
        grid.column(j) = grid.column(j + 1);
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
    if (from < 0 || to < 0 || from >= grid.rowCount() || to >= grid.rowCount())
        return false;
    for (int c = 0; c < grid.colCount(); ++c) {
        auto &col = grid.column(c);
        QString moving = std::move(col[size_t(from)]);
        if (from < to)
            std::move(col.begin() + from + 1, col.begin() + to + 1, col.begin() + from);
        else
            std::move_backward(col.begin() + to, col.begin() + from, col.begin() + from + 1);
        col[size_t(to)] = std::move(moving);
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
