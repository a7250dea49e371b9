#include "controls/gridmodel.h"

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
        return isFixed(col, row) ? m_fixedBackground : m_cellBackground;
    case Qt::ForegroundRole:
        return isFixed(col, row) ? m_fixedText : m_cellText;
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    case Qt::ToolTipRole: {
        const QString &text = m_grid->cell(col, row);
        if (m_metrics && !text.isEmpty() && m_metrics->horizontalAdvance(text) + 4 > m_grid->colWidth(col))
            return text;
        return {};
    }
    default:
        return {};
    }
}

bool GridModel::editable(const QModelIndex &index) const
{
    return index.isValid() && index.column() < m_cols && index.row() < m_rows && !isFixed(index.column(), index.row())
        && m_grid->contains(index.column(), index.row());
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !editable(index))
        return false;
    // A cell is one line of its file: a line break becomes a blank.
    const QString text = oneLine(value.toString());
    if (!Cp1251::canEncode(text))
        return false;
    m_grid->setCell(index.column(), index.row(), text);
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
        m_grid->setCell(col, row, text);
        Q_EMIT dataChanged(idx, idx, {Qt::DisplayRole, Qt::EditRole});
    }
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    if (isFixed(index.column(), index.row()))
        return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool GridModel::refresh()
{
    const bool countsChanged = m_grid->colCount() != m_cols || m_grid->rowCount() != m_rows;
    if (countsChanged) {
        beginResetModel();
        m_cols = m_grid->colCount();
        m_rows = m_grid->rowCount();
        m_fixedCols = m_grid->fixedCols();
        m_fixedRows = m_grid->fixedRows();
        endResetModel();
        return true;
    }
    m_fixedCols = m_grid->fixedCols();
    m_fixedRows = m_grid->fixedRows();
    Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1));
    return false;
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
    GridOps::moveRow(*m_grid, from, to);
    endMoveRows();
    return true;
}
