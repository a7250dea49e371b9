#pragma once

#include <QAbstractTableModel>
#include <QBrush>
#include <QFontMetrics>

#include <QPersistentModelIndex>

#include <functional>
#include <optional>

class Grid;

// Table model over a Grid: reads the cells in place (no item per cell) and
// knows which cells are fixed. Counts and fixed counts are those of the last
// refresh(), so that a window may change its Grid freely and tell the view
// afterwards; a refresh of a grid that did not change since (its revision)
// costs nothing.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit GridModel(Grid *grid, QObject *parent = nullptr);

    Grid *grid() const { return m_grid; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Writes a text into a non-fixed cell and emits cellEdited; refuses fixed
    // cells and texts that cp1251 cannot hold.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Moves a non-fixed row inside the Grid (GridOps::moveRow: whole rows, every column).
    bool moveRows(const QModelIndex &sourceParent, int sourceRow, int count, const QModelIndex &destinationParent,
                  int destinationChild) override;

    int fixedCols() const { return m_fixedCols; }
    int fixedRows() const { return m_fixedRows; }
    bool isFixed(int col, int row) const { return col < m_fixedCols || row < m_fixedRows; }

    // What a refresh found.
    enum class Change {
        None,  // the grid is as last shown
        Cells, // texts or widths changed, the shape did not
        Shape, // counts or fixed counts changed
    };
    // Re-reads a Grid that changed since the last refresh. Rows and columns
    // that came or went are added or removed at the end, where the grid
    // operations add and remove them (the cells keep their positions, as the
    // widths do), and every cell is reported changed; never a model reset.
    Change refresh();
    // Whether the Grid is as the model last showed it.
    bool upToDate() const;

    // Stores the text of a cell being typed, without cellEdited: the editor
    // keeps the Grid up to date while the teacher types.
    bool writeThrough(int col, int row, const QString &text);
    // A column width set by the view (a column dragged wider or narrower).
    void setColumnWidth(int col, int width);

    // The font the cells are drawn in: a cell whose text does not fit its
    // column shows the whole text as its tool tip.
    void setTextFont(const QFont &font) { m_metrics.emplace(font); }
    // Whether a text fits a column of that width (see cellTextRoom).
    bool fits(const QString &text, int width) const;

    // How a window's rules take a cell: one that they leave out (a journal
    // score that is no number) is drawn on a pale red ground, one that they
    // only note ("н") in grey, and its hint says why. The noter sees the cell's
    // text as it stands; it is asked at every paint, so it only looks at the text.
    struct CellNote
    {
        enum class Look { Plain, LeftOut, Muted };
        Look look = Look::Plain;
        QString hint; // shared, not copied
    };
    using CellNoter = std::function<CellNote(int col, int row, const QString &text)>;
    void setCellNoter(CellNoter noter) { m_noter = std::move(noter); }
    CellNote note(int col, int row) const;
    static QColor leftOutBackground();
    static QColor mutedText();

    // A fixed cell that the view edits in place for the moment (a new
    // student's name in the fixed name column); an invalid index for none.
    void setFixedEditCell(const QModelIndex &index) { m_fixedEdit = index; }

Q_SIGNALS:
    void cellEdited(int col, int row);

private:
    bool editable(const QModelIndex &index) const;
    // A write of the model itself into the Grid: an up-to-date model stays so.
    template <class Write>
    void ownWrite(Write write);

    Grid *m_grid;
    int m_cols = 0;
    int m_rows = 0;
    int m_fixedCols = 0;
    int m_fixedRows = 0;
    quint64 m_shownRevision = 0;
    QBrush m_fixedBackground;
    QBrush m_fixedText;
    QBrush m_cellBackground;
    QBrush m_cellText;
    std::optional<QFontMetrics> m_metrics;
    CellNoter m_noter;
    QPersistentModelIndex m_fixedEdit;
};
