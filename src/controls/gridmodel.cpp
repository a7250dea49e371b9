#include "controls/gridmodel.h"

#include "controls/gridfont.h"

#include "journal/cp1251.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/gridops.h"

#include <QGuiApplication>
#include <QPalette>

GridModel::GridModel(Grid *grid, QObject *parent)
    : QAbstractTableModel(parent)
    , m_grid(grid)
    , m_cols(grid->colCount())
    , m_rows(grid->rowCount())
    , m_fixedCols(grid->fixedCols())
    , m_fixedRows(grid->fixedRows())
    , m_shownRevision(grid->revision())
{
    const QPalette palette = QGuiApplication::palette();
    m_fixedBackground = palette.button();
    m_fixedText = palette.buttonText();
    m_cellBackground = QBrush(Qt::white);
    m_cellText = QBrush(Qt::black);
}

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int col = index.column();
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_grid->cell(col, row);
    case Qt::BackgroundRole:
        if (isFixed(col, row))
            return m_fixedBackground;
        return note(col, row).look == CellNote::Look::LeftOut ? QBrush(leftOutBackground()) : m_cellBackground;
    case Qt::ForegroundRole:
        if (isFixed(col, row))
            return m_fixedText;
        return note(col, row).look == CellNote::Look::Muted ? QBrush(mutedText()) : m_cellText;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::ToolTipRole: {
        const QString &text = m_grid->cell(col, row);
        const CellNote noted = note(col, row);
        const bool whole = fits(text, m_grid->colWidth(col));
        if (!noted.hint.isEmpty())
            return whole ? noted.hint : text + u'\n' + noted.hint;
        if (!whole)
            return text;
        return {};
    }
    default:
        return {};
    }
}

GridModel::CellNote GridModel::note(int col, int row) const
{
    if (!m_noter || isFixed(col, row) || !m_grid->contains(col, row))
        return {};
    return m_noter(col, row, m_grid->cell(col, row));
}

QColor GridModel::leftOutBackground()
{
    return QColor(255, 214, 214);
}

QColor GridModel::mutedText()
{
    return QColor(140, 140, 140);
}

bool GridModel::fits(const QString &text, int width) const
{
    return text.isEmpty() || !m_metrics || m_metrics->horizontalAdvance(text) <= cellTextRoom(width);
}

bool GridModel::upToDate() const
{
    return m_grid->revision() == m_shownRevision;
}

template <class Write>
void GridModel::ownWrite(Write write)
{
    const bool wasUpToDate = upToDate();
    write();
    if (wasUpToDate)
        m_shownRevision = m_grid->revision();
}

bool GridModel::editable(const QModelIndex &index) const
{
    return index.isValid() && index.column() < m_cols && index.row() < m_rows
        && (!isFixed(index.column(), index.row()) || index == m_fixedEdit) && m_grid->contains(index.column(), index.row());
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !editable(index))
        return false;
    // A cell is one line of its file: a line break becomes a blank.
    const QString text = oneLine(value.toString());
    if (!Cp1251::canEncode(text))
        return false;
    ownWrite([&] { m_grid->setCell(index.column(), index.row(), text); });
    Q_EMIT dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    Q_EMIT cellEdited(index.column(), index.row());
    return true;
}

bool GridModel::writeThrough(int col, int row, const QString &typed)
{
    const QString text = oneLine(typed);
    const QModelIndex idx = index(row, col);
    if (!editable(idx) || !Cp1251::canEncode(text))
        return false;
    if (m_grid->cell(col, row) != text) {
        ownWrite([&] { m_grid->setCell(col, row, text); });
        Q_EMIT dataChanged(idx, idx, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

void GridModel::setColumnWidth(int col, int width)
{
    ownWrite([&] { m_grid->setColWidth(col, width); });
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isFixed(index.column(), index.row()))
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren | (index == m_fixedEdit ? Qt::ItemIsEditable : Qt::NoItemFlags);
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

GridModel::Change GridModel::refresh()
{
    if (upToDate())
        return Change::None;
    const int cols = m_grid->colCount();
    const int rows = m_grid->rowCount();
    const bool shape = cols != m_cols || rows != m_rows || m_grid->fixedCols() != m_fixedCols
        || m_grid->fixedRows() != m_fixedRows;
    // The fixed counts of the grid are below its counts, old and new.
    m_fixedCols = m_grid->fixedCols();
    m_fixedRows = m_grid->fixedRows();
    if (rows < m_rows) {
        beginRemoveRows(QModelIndex(), rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
    if (cols < m_cols) {
        beginRemoveColumns(QModelIndex(), cols, m_cols - 1);
        m_cols = cols;
        endRemoveColumns();
    }
    if (rows > m_rows) {
        beginInsertRows(QModelIndex(), m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    }
    if (cols > m_cols) {
        beginInsertColumns(QModelIndex(), m_cols, cols - 1);
        m_cols = cols;
        endInsertColumns();
    }
    m_shownRevision = m_grid->revision();
    Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1));
    return shape ? Change::Shape : Change::Cells;
}

bool GridModel::moveRows(const QModelIndex &sourceParent, int sourceRow, int count, const QModelIndex &destinationParent,
                         int destinationChild)
{
    // One row at a time: the drag of the view moves exactly one.
    if (sourceParent.isValid() || destinationParent.isValid() || count != 1)
        return false;
    if (m_grid->rowCount() != m_rows || m_grid->fixedRows() != m_fixedRows)
        return false; // the Grid changed since the last refresh; the view must catch up first
    const int from = sourceRow;
    const int to = destinationChild > sourceRow ? destinationChild - 1 : destinationChild;
    if (from < m_fixedRows || to < m_fixedRows || from >= m_rows || to >= m_rows)
        return false;
    if (from == to)
        return true;
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), destinationChild))
        return false;
    ownWrite([&] { GridOps::moveRow(*m_grid, from, to); });
    endMoveRows();
    return true;
}
