#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTableView>

#include <functional>
#include <memory>
#include <vector>

class CellDelegate;
class JournalEdit;
class Grid;
class GridModel;
class MarkLayer;

// The string grid of every window: shows a Grid with its fixed rows and
// columns kept in view, lets the teacher type into the other cells, resize
// columns in the fixed top rows and drag rows by their fixed column, and
// draws transient marks (frames, filled cells, ellipses) over the cells.
//
// The scrolling part is this QTableView, whose fixed rows and columns are
// hidden; three views over the same model lie in its viewport margins (over
// its own headers, which are sized to make those margins) and show the fixed
// rows, the fixed columns and their corner, scrolled along with it. The cells
// are drawn and edited by a CellDelegate, the marks by a MarkLayer.
class GridView : public QTableView
{
    Q_OBJECT

public:
    explicit GridView(Grid *grid, QWidget *parent = nullptr);
    ~GridView() override;

    Grid *grid() const;
    GridModel *gridModel() const { return m_model; }

    // Closes an open editor, keeping its text, and shows the Grid as it now
    // stands: a grid that did not change since the last refresh is left alone
    // (its marks stay); one that changed loses its marks, for its rows may have
    // moved from under them.
    void refresh();
    // refresh() and clear all marks.
    void repaintAll();

    // Transient marks in view coordinates (relative to this widget, as cellRect()),
    // drawn above every cell until clearMarks(), repaintAll(), scrolling, a
    // column resize, a dragged row or any change of the grid from outside the view.
    void addFrame(const QRect &rect, const QColor &color);
    void addFilledRect(const QRect &rect, const QColor &fill, const QString &text, const QColor &textColor,
                       const QPoint &textOffset);
    void addEllipse(const QRect &rect, const QColor &pen, const QColor &fill);
    void clearMarks();
    int markCount() const;
    // Frames of one group (tag > 0), such as those of the current selection:
    // removeFrames(tag) takes away that group's frames only.
    void addTaggedFrame(const QRect &rect, const QColor &color, int tag);
    void removeFrames(int tag);

    // Where the cell is drawn now, in view coordinates; an empty QRect when it
    // is scrolled out of view or hidden (width 0).
    QRect cellRect(int col, int row) const;
    // (col, row) of the cell under pos; -1 for a coordinate outside the cells.
    QPoint cellAt(const QPoint &pos) const;
    int visibleRows() const; // fully visible non-fixed rows
    int visibleCols() const; // fully visible non-fixed columns

    // Whether a cell's editor is open.
    bool isEditing() const { return state() == EditingState; }
    int currentCol() const;
    int currentRow() const;
    // Moves the current cell (a fixed row or column gives the first non-fixed
    // one, an index past the end the last one) and scrolls it into view.
    void setCurrentCell(int col, int row);
    void setCurrentRow(int row);

    void setRowSelect(bool wholeRows);
    bool rowSelect() const { return m_rowSelect; }
    void setRowDragging(bool on);
    bool rowDragging() const { return m_rowDragging; }
    void setGridFont(const QFont &font);
    QFont gridFont() const { return m_font; }
    // Columns at least as wide as their widest text, so that every text shows
    // whole; the widths of the Grid stay as they are.
    void setColumnsFitTexts(bool on);
    // The same for the numbers only (texts of digits, commas, signs and
    // blanks): sums and averages show whole, captions keep their widths.
    void setColumnsFitNumbers(bool on);

    // Which fixed cells the teacher may edit in place (a new student's empty
    // name): a double click on such a cell, or F2 after a click on it, opens
    // the cell's editor there. The rule is asked when the edit would start.
    void setFixedCellEditable(std::function<bool(int col, int row)> rule);
    // Opens the editor on a fixed cell that the rule allows; false otherwise.
    bool editFixedCell(int col, int row);

    // Paste (Ctrl+V) of a clipboard text into the cells from (col, row): a
    // block (tabs between cells, line breaks between rows) fills the cells to
    // the right and below, a single line goes into the one cell. A block past
    // the last row or column is cut, after a question; with block growth set
    // the question also offers to add rows (numbered from numberOffset as the
    // row insertion numbers them) and columns. `what` names the grid in the
    // question ("журнал"). Views that take no typing take no paste.
    void setBlockGrowth(int numberOffset, const QString &what);
    void pasteAt(int col, int row, const QString &text);
    // The selected cells (the current one without a selection) in the same
    // tab and line form, as Ctrl+C puts them on the clipboard.
    QString selectedText() const;

Q_SIGNALS:
    void mouseDown(Qt::MouseButton button, const QPoint &pos);
    void cellEdited(int col, int row);
    void rowMoved(int from, int to);
    void columnResized(int col, int width);
    // The current cell was moved with the keyboard (arrows, Tab, Home, End,
    // Page Up, Page Down, Enter, or an edit ended with Tab, Enter or an arrow
    // at the end of the text).
    void currentCellMovedByKey(int col, int row);
    // A cell edit ended with another text than the cell had when it opened.
    void cellTextChanged(int col, int row, const QString &before, const QString &after);
    // A paste wrote into the grid: the edit that takes it back.
    void blockPasted(std::shared_ptr<JournalEdit> edit);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;

private:
    enum class Drag { None, Resize, Row };

    QTableView *makeOverlay();
    // Hidden rows, widths and margins; `shape`: counts or fixed counts changed.
    void applyLayout(bool shape = true);
    void applyColumnWidth(int col);
    int shownWidth(int col) const;
    void measureTexts();
    void reportKeyMove(const QModelIndex &before);
    // A key typed into the cell editor that ends the edit and moves on, as in
    // a spreadsheet; true when it was one.
    bool editorKey(QKeyEvent *key);
    // Ends an open edit, keeping its text, and moves the current cell.
    void endEditAndMove(CursorAction action);
    void applyMargins();
    void placeOverlays();
    void syncScroll();
    void finishEditing();
    void ensureCurrentCell();
    void setCurrentQuietly(const QModelIndex &index);
    void updateCursors();
    void updateDropLine();
    // The top left cell of the selection, or the current cell.
    QPoint pastePlace() const;
    void pasteFromClipboard();

    QTableView *overlayOf(QObject *viewport) const;
    bool overlayMouse(QTableView *overlay, QMouseEvent *event);
    int resizableColumnAt(QTableView *overlay, int x) const;
    void resizeTo(int x);
    void dragRowTo(int y);

    int colX(int col, bool inFixedRow) const; // left edge in view coordinates, INT_MIN when not shown
    int rowY(int row, bool inFixedCol) const;
    int colAtX(int x, bool inFixedRow) const;
    int rowAtY(int y, bool inFixedCol) const;
    bool inFixedCols(int x) const;
    bool inFixedRows(int y) const;
    int fixedWidth() const;
    int fixedHeight() const;
    QRect cellArea() const; // the fixed and the scrolling cells, in view coordinates

    std::unique_ptr<Grid> m_ownGrid; // only when constructed without a Grid
    GridModel *m_model = nullptr;
    CellDelegate *m_delegate = nullptr;
    CellDelegate *m_overlayDelegate = nullptr;
    QTableView *m_top = nullptr;    // fixed rows, scrolls horizontally with this view
    QTableView *m_left = nullptr;   // fixed columns, scrolls vertically with this view
    QTableView *m_corner = nullptr; // fixed rows and columns, never scrolls
    MarkLayer *m_markLayer = nullptr;

    QFont m_font;
    bool m_rowSelect = false;
    bool m_rowDragging = false;
    bool m_inRefresh = false;
    bool m_fitTexts = false;
    bool m_fitNumbers = false;
    std::function<bool(int, int)> m_fixedEditRule;
    QPoint m_pointedFixed{-1, -1}; // the fixed cell last clicked, for F2
    bool m_textsMeasured = false;
    bool m_blockGrowth = false;
    int m_growthNumberOffset = 0;
    QString m_blockTarget = QStringLiteral("таблицу");
    int m_appliedFixedRows = 0;
    int m_appliedFixedCols = -1;
    std::vector<int> m_appliedWidths; // per column as last applied; -1 when not yet
    std::vector<int> m_textWidths;    // widest text per column, when the columns fit their texts

    Drag m_drag = Drag::None;
    int m_dragIndex = -1;   // column being resized or row being dragged
    int m_dragTarget = -1;  // row the dragged row would land on
    int m_dragStartX = 0;
    int m_dragStartWidth = 0;
};
