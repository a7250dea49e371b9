#include "journal/cellblock.h"

#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/gridops.h"

#include <algorithm>

namespace {

// The text without the one line break that ends its last row.
QStringView withoutFinalBreak(QStringView text)
{
    if (text.endsWith(u"\r\n"))
        return text.chopped(2);
    if (text.endsWith(u'\n'))
        return text.chopped(1);
    return text;
}

class BlockPaste : public JournalEdit
{
public:
    BlockPaste(Grid &grid, const CellBlock &block, int col, int row, CellBlock::Fit fit, int numberOffset)
        : JournalEdit(block.rowCount() * qint64(block.colCount()) > 1 ? QStringLiteral("Вставка блока")
                                                                      : QStringLiteral("Вставка в ячейку")),
          m_grid(grid), m_block(block), m_col(col), m_row(row), m_fit(fit), m_numberOffset(numberOffset)
    {
    }
    // Returns whether a cell was written.
    bool run()
    {
        m_colsBefore = m_grid.colCount();
        m_rowsBefore = m_grid.rowCount();
        if (m_fit == CellBlock::Fit::Grow) {
            const qint64 cols = std::max<qint64>(m_colsBefore, qint64(m_col) + m_block.colCount());
            const qint64 rows = std::max<qint64>(m_rowsBefore, qint64(m_row) + m_block.rowCount());
            if (!Grid::sizeAllowed(cols, rows))
                throw ZError(QStringLiteral("Блок не вставлен: таблица стала бы %1 × %2 ячеек, а допускается не больше "
                                            "%3 строк и %3 столбцов и %4 ячеек.")
                                 .arg(cols)
                                 .arg(rows)
                                 .arg(Grid::kMaxCount)
                                 .arg(Grid::kMaxCells));
            if (cols > m_colsBefore)
                m_grid.setColCount(int(cols)); // new columns with the default width
            if (rows > m_rowsBefore)
                GridOps::appendRows(m_grid, int(rows - m_rowsBefore), m_numberOffset);
        }
        m_old.clear();
        m_written.clear();
        const int firstCol = std::max(m_col, m_grid.fixedCols());
        const int firstRow = std::max(m_row, m_grid.fixedRows());
        const auto &rows = m_block.rows();
        for (int r = firstRow; r < m_grid.rowCount() && r - m_row < int(rows.size()); ++r) {
            const QStringList &cells = rows[size_t(r - m_row)];
            for (int c = firstCol; c < m_grid.colCount() && c - m_col < cells.size(); ++c) {
                if (r >= m_rowsBefore || c >= m_colsBefore) {
                    // A grown cell: the undo takes it away with its row or column.
                    m_grid.setCell(c, r, cells.at(c - m_col));
                    continue;
                }
                m_written.push_back({c, r});
                m_old.push_back(m_grid.cell(c, r));
                m_grid.setCell(c, r, cells.at(c - m_col));
            }
        }
        return !m_written.empty() || m_grid.colCount() != m_colsBefore || m_grid.rowCount() != m_rowsBefore;
    }
    void redo() override { run(); }
    void undo() override
    {
        for (size_t i = 0; i < m_written.size(); ++i)
            m_grid.setCell(m_written[i].col, m_written[i].row, m_old[i]);
        m_grid.resize(m_colsBefore, m_rowsBefore);
    }

private:
    struct Place
    {
        int col;
        int row;
    };
    Grid &m_grid;
    CellBlock m_block;
    int m_col;
    int m_row;
    CellBlock::Fit m_fit;
    int m_numberOffset;
    int m_colsBefore = 0;
    int m_rowsBefore = 0;
    std::vector<Place> m_written;
    std::vector<QString> m_old;
};

} // namespace

CellBlock CellBlock::parse(const QString &text)
{
    CellBlock block;
    const QStringView body = withoutFinalBreak(text);
    if (text.isEmpty())
        return block;
    for (QStringView line : body.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        QStringList cells;
        for (QStringView cell : line.split(u'\t'))
            cells << oneLine(cell); // a stray CR is a blank, as in a typed cell
        block.m_cols = std::max(block.m_cols, int(cells.size()));
        block.m_rows.push_back(std::move(cells));
    }
    return block;
}

bool CellBlock::isBlock(const QString &text)
{
    const QStringView body = withoutFinalBreak(text);
    return body.contains(u'\t') || body.contains(u'\n');
}

QString CellBlock::format(const Grid &grid, int col, int row, int cols, int rows)
{
    QString text;
    for (int r = row; r < row + rows; ++r) {
        if (r > row)
            text += u'\n';
        for (int c = col; c < col + cols; ++c) {
            if (c > col)
                text += u'\t';
            text += grid.cell(c, r);
        }
    }
    return text;
}

void CellBlock::checkEncodable() const
{
    for (const QStringList &row : m_rows)
        for (const QString &cell : row)
            if (!Cp1251::canEncode(cell))
                throw ZError(QStringLiteral("Блок не вставлен: текст %1 содержит знак, которого нет в кодировке cp1251.")
                                 .arg(quotedExcerpt(cell)));
}

int CellBlock::missingRows(const Grid &grid, int row) const
{
    return int(std::max<qint64>(0, qint64(row) + rowCount() - grid.rowCount()));
}

int CellBlock::missingCols(const Grid &grid, int col) const
{
    return int(std::max<qint64>(0, qint64(col) + colCount() - grid.colCount()));
}

JournalEditPtr CellBlock::paste(Grid &grid, int col, int row, Fit fit, int numberOffset) const
{
    checkEncodable();
    if (col < 0 || row < 0 || m_rows.empty())
        return nullptr;
    auto edit = std::make_unique<BlockPaste>(grid, *this, col, row, fit, numberOffset);
    if (!edit->run())
        return nullptr;
    return edit;
}
