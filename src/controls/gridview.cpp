#include "controls/gridview.h"

#include "controls/celldelegate.h"
#include "controls/gridfont.h"
#include "controls/gridmodel.h"
#include "controls/marklayer.h"
#include "controls/services.h"
#include "journal/cellblock.h"
#include "journal/excerpt.h"
#include "journal/grid.h"

#include <QClipboard>
#include <QGuiApplication>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QScrollBar>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

constexpr int kResizeMargin = 3; // pixels either side of a column border that start a resize
constexpr int kNotShown = INT_MIN;

// The headers of the scrolling view are never seen: the overlays lie on them.
// They only make the view's margins, exactly as wide and high as they are set,
// without measuring a section's contents (the row numbers of a big grid).
class MarginHeader : public QHeaderView
{
public:
    using QHeaderView::QHeaderView;
    QSize sizeHint() const override { return QSize(0, 0); }
};

// The grid lines, one pixel at the right and bottom edge of every cell, as
// one fill per line of the whole visible grid (the table's own grid draws them
// with a pen, at many times the cost on a big grid).
void paintGridLines(QTableView *view)
{
    const QHeaderView *h = view->horizontalHeader();
    const QHeaderView *v = view->verticalHeader();
    QWidget *viewport = view->viewport();
    const int right = std::min(viewport->width(), h->length() - h->offset());
    const int bottom = std::min(viewport->height(), v->length() - v->offset());
    if (right <= 0 || bottom <= 0)
        return;
    QStyleOption option;
    option.initFrom(view);
    const QColor color = QColor::fromRgba(QRgb(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &option, view)));
    QPainter painter(viewport);
    const int lastCol = h->visualIndexAt(right - 1) < 0 ? h->count() - 1 : h->visualIndexAt(right - 1);
    for (int visual = std::max(0, h->visualIndexAt(0)); visual <= lastCol; ++visual) {
        const int col = h->logicalIndex(visual);
        if (h->isSectionHidden(col))
            continue;
        painter.fillRect(h->sectionViewportPosition(col) + h->sectionSize(col) - 1, 0, 1, bottom, color);
    }
    const int lastRow = v->visualIndexAt(bottom - 1) < 0 ? v->count() - 1 : v->visualIndexAt(bottom - 1);
    for (int visual = std::max(0, v->visualIndexAt(0)); visual <= lastRow; ++visual) {
        const int row = v->logicalIndex(visual);
        if (v->isSectionHidden(row))
            continue;
        painter.fillRect(0, v->sectionViewportPosition(row) + v->sectionSize(row) - 1, right, 1, color);
    }
}

// A fixed part of the grid: a table view with the grid's lines.
class GridPart : public QTableView
{
public:
    using QTableView::QTableView;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QTableView::paintEvent(event);
        paintGridLines(this);
    }
};

// A number as the result grids write them: digits with commas, a sign, blanks.
bool isNumberLike(const QString &text)
{
    bool digit = false;
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u >= u'0' && u <= u'9')
            digit = true;
        else if (u != u',' && u != u'-' && u != u'+' && u != u' ')
            return false;
    }
    return digit;
}

void prepareHeaders(QTableView *view)
{
    for (QHeaderView *h : {view->horizontalHeader(), view->verticalHeader()}) {
        h->setMinimumSectionSize(0);
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->setHighlightSections(false);
        h->hide();
    }
}

} // namespace

GridView::GridView(Grid *grid, QWidget *parent)
    : QTableView(parent)
{
    if (!grid) {
        m_ownGrid = std::make_unique<Grid>(1, 1, 0, 0);
        grid = m_ownGrid.get();
    }
    m_model = new GridModel(grid, this);
    m_delegate = new CellDelegate(m_model, this);
    setModel(m_model);
    setItemDelegate(m_delegate);
    setShowGrid(false);
    setHorizontalHeader(new MarginHeader(Qt::Horizontal, this));
    setVerticalHeader(new MarginHeader(Qt::Vertical, this));
    prepareHeaders(this);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(ScrollPerItem);
    setVerticalScrollMode(ScrollPerItem);
    setSelectionMode(ContiguousSelection); // a block for Ctrl+C, by Shift and the arrows or the mouse
    setSelectionBehavior(SelectItems);
    setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setTabKeyNavigation(true);

    // The fixed parts never edit; they get a delegate of their own so that
    // the editor signals of the cells reach this view only.
    m_overlayDelegate = new CellDelegate(m_model, this);
    // A fixed cell edited in place (editFixedCell): Escape puts its text back
    // before the overlay drops the editor; afterwards the cell is fixed again
    // and the keyboard comes back to the grid.
    connect(m_overlayDelegate, &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget *, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::RevertModelCache)
                    m_overlayDelegate->revert();
            });
    m_top = makeOverlay();
    m_left = makeOverlay();
    m_corner = makeOverlay();

    m_markLayer = new MarkLayer(this);
    connect(m_overlayDelegate, &QAbstractItemDelegate::closeEditor, this, [this] {
        m_model->setFixedEditCell(QModelIndex());
        setFocus(Qt::OtherFocusReason);
    });

    connect(m_model, &GridModel::cellEdited, this, &GridView::cellEdited);
    connect(m_delegate, &CellDelegate::typingEnded, this, &GridView::cellTextChanged);
    connect(m_delegate, &CellDelegate::blockPasteRequested, this, [this] {
        const QModelIndex at = m_delegate->editIndex();
        if (at.isValid())
            pasteAt(at.column(), at.row(), QGuiApplication::clipboard()->text());
    });
    // Rows that move take their cells from under the marks.
    connect(m_model, &QAbstractItemModel::rowsMoved, this, &GridView::clearMarks);
    connect(m_model, &QAbstractItemModel::columnsMoved, this, &GridView::clearMarks);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &GridView::clearMarks);
    connect(m_model, &QAbstractItemModel::modelReset, this, &GridView::clearMarks);
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            syncScroll();
            if (!m_inRefresh)
                clearMarks();
            updateDropLine();
        });
    }
    for (QTableView *overlay : {m_top, m_left, m_corner}) {
        for (QScrollBar *bar : {overlay->horizontalScrollBar(), overlay->verticalScrollBar()}) {
            connect(bar, &QScrollBar::rangeChanged, this, &GridView::syncScroll);
            connect(bar, &QScrollBar::valueChanged, this, &GridView::syncScroll);
        }
    }

    setGridFont(::gridFont());

    applyLayout();
    ensureCurrentCell();
}

GridView::~GridView() = default;

QTableView *GridView::makeOverlay()
{
    auto *view = new GridPart(this);
    view->setShowGrid(false);
    view->setModel(m_model);
    view->setItemDelegate(m_overlayDelegate);
    prepareHeaders(view);
    view->setCornerButtonEnabled(false);
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setHorizontalScrollMode(ScrollPerItem);
    view->setVerticalScrollMode(ScrollPerItem);
    view->setSelectionMode(NoSelection);
    view->setEditTriggers(NoEditTriggers);
    view->setFocusPolicy(Qt::NoFocus);
    view->setAutoScroll(false);
    view->setTextElideMode(Qt::ElideNone);
    view->setWordWrap(false);
    view->viewport()->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
    view->hide();
    return view;
}

Grid *GridView::grid() const
{
    return m_model->grid();
}

// ---------------------------------------------------------------- layout

void GridView::applyLayout(bool shape)
{
    const Grid &g = *grid();
    const int rows = m_model->rowCount();
    const int cols = m_model->columnCount();
    const int fixedRows = m_model->fixedRows();
    const int fixedCols = m_model->fixedCols();
    const int rowHeight = std::max(1, g.rowHeight());
    const int defaultWidth = std::max(1, g.defaultColWidth());

    for (QTableView *v : {static_cast<QTableView *>(this), m_top, m_left, m_corner}) {
        if (v->verticalHeader()->defaultSectionSize() != rowHeight)
            v->verticalHeader()->setDefaultSectionSize(rowHeight);
        if (v->horizontalHeader()->defaultSectionSize() != defaultWidth)
            v->horizontalHeader()->setDefaultSectionSize(defaultWidth);
    }

    // Fixed rows are shown by the top and corner views only; the scrolling
    // view and the left view hide them so that both start at the first
    // scrolling row and keep the same vertical layout. Rows come and go at the
    // end, so only the fixed rows, now and before, need a look.
    if (shape) {
        const int rowSpan = std::min(rows, std::max(fixedRows, m_appliedFixedRows));
        for (QTableView *v : {static_cast<QTableView *>(this), m_left}) {
            for (int r = 0; r < rowSpan; ++r) {
                const bool hide = r < fixedRows;
                if (v->isRowHidden(r) != hide)
                    v->setRowHidden(r, hide);
            }
        }
        m_appliedFixedRows = fixedRows;
    }
    // Widths: a column whose width or place (fixed or not) changed; the
    // others are as they were applied.
    if (fixedCols != m_appliedFixedCols) {
        m_appliedWidths.assign(size_t(cols), -1);
        m_appliedFixedCols = fixedCols;
    } else {
        m_appliedWidths.resize(size_t(cols), -1);
    }
    for (int c = 0; c < cols; ++c) {
        if (m_appliedWidths[size_t(c)] != shownWidth(c))
            applyColumnWidth(c);
    }

    applyMargins();
    m_top->setVisible(fixedRows > 0);
    m_left->setVisible(fixedCols > 0);
    m_corner->setVisible(fixedRows > 0 && fixedCols > 0);
    placeOverlays();
    updateCursors();
}

int GridView::shownWidth(int col) const
{
    const int width = grid()->colWidth(col);
    if (!(m_fitTexts || m_fitNumbers) || width <= 0 || size_t(col) >= m_textWidths.size())
        return width;
    return std::max(width, m_textWidths[size_t(col)]);
}

void GridView::measureTexts()
{
    // A hidden grid is measured when it is shown.
    m_textsMeasured = isVisible();
    if (!m_textsMeasured)
        return;
    const Grid &g = *grid();
    m_textWidths.assign(size_t(g.colCount()), 0);
    // A number no longer than its column holds in its widest characters fits
    // for sure and is not measured: a big journal's scores are not laid out
    // at every refresh.
    const QFontMetrics metrics(m_font);
    int widestChar = 1;
    for (QChar ch : QStringLiteral("0123456789,-+ "))
        widestChar = std::max(widestChar, metrics.horizontalAdvance(ch));
    for (int c = 0; c < g.colCount(); ++c) {
        int widest = 0;
        const qsizetype surelyFits = m_fitTexts ? -1 : std::max(cellTextRoom(g.colWidth(c)) - 1, 0) / widestChar;
        for (const QString &text : g.column(c)) {
            if (m_fitTexts || (text.size() > surelyFits && isNumberLike(text)))
                widest = std::max(widest, m_delegate->textWidth(text, m_font));
        }
        // Room for the text and the margins it is drawn with.
        m_textWidths[size_t(c)] = widest > 0 ? widest - cellTextRoom(0) : 0;
    }
}

void GridView::setColumnsFitTexts(bool on)
{
    m_fitTexts = on;
    if (on)
        measureTexts();
    applyLayout(false);
}

void GridView::setColumnsFitNumbers(bool on)
{
    m_fitNumbers = on;
    if (on)
        measureTexts();
    applyLayout(false);
}

void GridView::applyColumnWidth(int col)
{
    const int width = shownWidth(col);
    if (size_t(col) < m_appliedWidths.size())
        m_appliedWidths[size_t(col)] = width;
    const bool fixed = col < m_model->fixedCols();
    auto apply = [col, width](QTableView *v, bool hide) {
        QHeaderView *h = v->horizontalHeader();
        if (h->isSectionHidden(col) != hide)
            h->setSectionHidden(col, hide);
        if (!hide && h->sectionSize(col) != width)
            h->resizeSection(col, width);
    };
    // The scrolling view and the top view share one horizontal layout without
    // the fixed columns; the left and corner views show only the fixed ones.
    apply(this, fixed || width <= 0);
    apply(m_top, fixed || width <= 0);
    if (fixed) {
        apply(m_left, width <= 0);
        apply(m_corner, width <= 0);
    }
}

void GridView::applyMargins()
{
    // QTableView sizes its viewport margins after its own headers, so the
    // headers are given exactly the size of the fixed part; the overlays lie
    // on top of them.
    const int fw = fixedWidth();
    const int fh = fixedHeight();
    QHeaderView *left = verticalHeader();
    QHeaderView *top = horizontalHeader();
    bool changed = false;
    if (fw > 0 && (left->minimumWidth() != fw || left->maximumWidth() != fw)) {
        left->setFixedWidth(fw);
        changed = true;
    }
    if (fh > 0 && (top->minimumHeight() != fh || top->maximumHeight() != fh)) {
        top->setFixedHeight(fh);
        changed = true;
    }
    if (left->isHidden() != (fw <= 0)) {
        left->setVisible(fw > 0);
        changed = true;
    }
    if (top->isHidden() != (fh <= 0)) {
        top->setVisible(fh > 0);
        changed = true;
    }
    if (changed)
        updateGeometries();
}

int GridView::fixedWidth() const
{
    int width = 0;
    for (int c = 0; c < m_model->fixedCols(); ++c)
        width += m_corner->columnWidth(c); // 0 for a hidden column
    return width;
}

int GridView::fixedHeight() const
{
    int height = 0;
    for (int r = 0; r < m_model->fixedRows(); ++r)
        height += m_corner->rowHeight(r);
    return height;
}

QRect GridView::cellArea() const
{
    const QRect vp = viewport()->geometry();
    const int fw = fixedWidth();
    const int fh = fixedHeight();
    return QRect(vp.x() - fw, vp.y() - fh, vp.width() + fw, vp.height() + fh);
}

void GridView::placeOverlays()
{
    if (!m_corner)
        return; // called by the base class during construction
    const QRect vp = viewport()->geometry();
    const int fw = fixedWidth();
    const int fh = fixedHeight();
    m_top->setGeometry(vp.x(), vp.y() - fh, vp.width(), fh);
    m_left->setGeometry(vp.x() - fw, vp.y(), fw, vp.height());
    m_corner->setGeometry(vp.x() - fw, vp.y() - fh, fw, fh);
    m_markLayer->setGeometry(rect());
    m_markLayer->setCellArea(cellArea());
    syncScroll();
    updateDropLine();
}

void GridView::syncScroll()
{
    if (!m_corner)
        return;
    auto set = [](QScrollBar *bar, int value) {
        if (bar->value() != value)
            bar->setValue(value);
    };
    set(m_top->horizontalScrollBar(), horizontalScrollBar()->value());
    set(m_top->verticalScrollBar(), 0);
    set(m_left->horizontalScrollBar(), 0);
    set(m_left->verticalScrollBar(), verticalScrollBar()->value());
    set(m_corner->horizontalScrollBar(), 0);
    set(m_corner->verticalScrollBar(), 0);
}

void GridView::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    if ((m_fitTexts || m_fitNumbers) && !m_textsMeasured) {
        measureTexts();
        applyLayout(false);
    }
}

void GridView::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    paintGridLines(this);
}

void GridView::resizeEvent(QResizeEvent *event)
{
    QTableView::resizeEvent(event);
    placeOverlays();
}

void GridView::updateGeometries()
{
    QTableView::updateGeometries();
    placeOverlays();
}

// ---------------------------------------------------------------- refresh

void GridView::finishEditing()
{
    if (state() != EditingState)
        return;
    QLineEdit *editor = m_delegate->editor();
    if (!editor)
        return;
    const QModelIndex index = m_delegate->editIndex();
    // The typed text is in the Grid already. When the window rearranged the
    // Grid meanwhile the cell under the editor holds something else: the text
    // moved with its row and must not be written over that cell.
    if (index.isValid() && grid()->cell(index.column(), index.row()) == editor->text())
        commitData(editor);
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void GridView::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (hint == QAbstractItemDelegate::RevertModelCache && editor == m_delegate->editor())
        m_delegate->revert();
    // Tab or Backtab in the editor moves on to the next cell.
    const QModelIndex before = currentIndex();
    QTableView::closeEditor(editor, hint);
    reportKeyMove(before);
}

void GridView::keyPressEvent(QKeyEvent *event)
{
    const QPoint pointed = m_pointedFixed;
    m_pointedFixed = QPoint(-1, -1);
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Copy)) {
        if (event->matches(QKeySequence::Paste))
            pasteFromClipboard();
        else
            QGuiApplication::clipboard()->setText(selectedText());
        event->accept();
        return;
    }
    if (plain && state() != EditingState) {
        // Enter on a cell moves down, as after an edit ended with Enter.
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            endEditAndMove(MoveDown);
            event->accept();
            return;
        }
        // F2 after a click on a fixed cell that may be edited edits that cell.
        if (event->key() == Qt::Key_F2 && pointed.x() >= 0 && editFixedCell(pointed.x(), pointed.y())) {
            event->accept();
            return;
        }
    }
    const QModelIndex before = currentIndex();
    QTableView::keyPressEvent(event);
    reportKeyMove(before);
}

bool GridView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    const bool opened = QTableView::edit(index, trigger, event);
    // The editor's keys reach this view first, before the delegate's own.
    if (QLineEdit *editor = m_delegate->editor())
        editor->installEventFilter(this);
    return opened;
}

bool GridView::editorKey(QKeyEvent *key)
{
    QLineEdit *editor = m_delegate->editor();
    if (!editor || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        endEditAndMove(MoveDown);
        return true;
    case Qt::Key_Right:
        // At the end of the text the arrow leaves the cell; inside it moves the cursor.
        if (editor->hasSelectedText() || editor->cursorPosition() < editor->text().size())
            return false;
        endEditAndMove(MoveRight);
        return true;
    case Qt::Key_Left:
        if (editor->hasSelectedText() || editor->cursorPosition() > 0)
            return false;
        endEditAndMove(MoveLeft);
        return true;
    default:
        return false;
    }
}

void GridView::endEditAndMove(CursorAction action)
{
    const QModelIndex before = currentIndex();
    if (state() == EditingState) {
        if (QLineEdit *editor = m_delegate->editor()) {
            commitData(editor);
            closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }
    const QModelIndex next = moveCursor(action, Qt::NoModifier);
    if (next.isValid() && next != currentIndex())
        setCurrentIndex(next);
    reportKeyMove(before);
}

void GridView::setFixedCellEditable(std::function<bool(int, int)> rule)
{
    m_fixedEditRule = std::move(rule);
}

bool GridView::editFixedCell(int col, int row)
{
    if (!m_fixedEditRule || col < 0 || col >= m_model->fixedCols() || row < m_model->fixedRows()
        || row >= m_model->rowCount() || !m_fixedEditRule(col, row))
        return false;
    finishEditing();
    const QModelIndex index = m_model->index(row, col);
    m_model->setFixedEditCell(index);
    m_left->edit(index);
    if (m_overlayDelegate->editor())
        return true;
    m_model->setFixedEditCell(QModelIndex());
    return false;
}

void GridView::reportKeyMove(const QModelIndex &before)
{
    const QModelIndex now = currentIndex();
    if (now.isValid() && now != before)
        Q_EMIT currentCellMovedByKey(now.column(), now.row());
}

void GridView::refresh()
{
    finishEditing();
    if (m_model->upToDate())
        return;
    m_inRefresh = true;
    const int col = currentCol();
    const int row = currentRow();
    // Without scrolling: a refresh leaves the view where the teacher put it.
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    const GridModel::Change change = m_model->refresh();
    // The grid was changed from outside the view: its rows may have moved
    // from under the marks, which are repainted away.
    clearMarks();
    if (m_fitTexts || m_fitNumbers)
        measureTexts();
    applyLayout(change == GridModel::Change::Shape);
    const int c = std::clamp(col, m_model->fixedCols(), m_model->columnCount() - 1);
    const int r = std::clamp(row, m_model->fixedRows(), m_model->rowCount() - 1);
    if (currentIndex() != m_model->index(r, c))
        setCurrentQuietly(m_model->index(r, c));
    ensureCurrentCell();
    setAutoScroll(scroll);
    m_inRefresh = false;
}

void GridView::repaintAll()
{
    refresh();
    clearMarks();
    viewport()->update();
}

// ---------------------------------------------------------------- current cell

void GridView::ensureCurrentCell()
{
    const QModelIndex current = currentIndex();
    const int fixedCols = m_model->fixedCols();
    const int fixedRows = m_model->fixedRows();
    if (current.isValid() && current.column() >= fixedCols && current.row() >= fixedRows)
        return;
    const int c = current.isValid() ? std::max(current.column(), fixedCols) : fixedCols;
    const int r = current.isValid() ? std::max(current.row(), fixedRows) : fixedRows;
    setCurrentQuietly(m_model->index(r, c));
}

void GridView::setCurrentQuietly(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    // Without scrolling: a refresh leaves the view where the teacher put it.
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect
                                                 | (m_rowSelect ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
    setAutoScroll(scroll);
}

int GridView::currentCol() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_model->fixedCols();
}

int GridView::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : m_model->fixedRows();
}

void GridView::setCurrentCell(int col, int row)
{
    const int cols = m_model->columnCount();
    const int rows = m_model->rowCount();
    if (cols <= 0 || rows <= 0)
        return;
    col = std::clamp(col, m_model->fixedCols(), cols - 1);
    row = std::clamp(row, m_model->fixedRows(), rows - 1);
    const QModelIndex index = m_model->index(row, col);
    setCurrentIndex(index);
    scrollTo(index);
}

void GridView::setCurrentRow(int row)
{
    setCurrentCell(currentCol(), row);
}

void GridView::setRowSelect(bool wholeRows)
{
    finishEditing();
    m_rowSelect = wholeRows;
    setSelectionMode(wholeRows ? SingleSelection : ContiguousSelection);
    setSelectionBehavior(wholeRows ? SelectRows : SelectItems);
    setEditTriggers(wholeRows ? NoEditTriggers : (DoubleClicked | EditKeyPressed | AnyKeyPressed));
    const QModelIndex current = currentIndex();
    if (current.isValid())
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect
                                              | (wholeRows ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
}

void GridView::setRowDragging(bool on)
{
    m_rowDragging = on;
    updateCursors();
}

void GridView::updateCursors()
{
    for (QWidget *w : {viewport(), m_top->viewport(), m_left->viewport(), m_corner->viewport()}) {
        if (m_rowDragging)
            w->setCursor(Qt::SizeVerCursor);
        else
            w->unsetCursor();
    }
}

void GridView::setGridFont(const QFont &font)
{
    m_font = font;
    m_model->setTextFont(font);
    for (QTableView *v : {static_cast<QTableView *>(this), m_top, m_left, m_corner})
        v->setFont(font);
    m_markLayer->setFont(font); // the texts of the filled marks
    if (m_fitTexts || m_fitNumbers) {
        measureTexts();
        applyLayout(false);
    }
}

// ---------------------------------------------------------------- geometry queries

// Positions are taken from the view that draws the cell, so that they are
// where the cell really is on the screen.
int GridView::colX(int col, bool inFixedRow) const
{
    if (col < 0 || col >= m_model->columnCount())
        return kNotShown;
    const QRect vp = viewport()->geometry();
    if (col < m_model->fixedCols()) {
        if (m_corner->isColumnHidden(col))
            return kNotShown;
        return vp.x() - fixedWidth() + m_corner->columnViewportPosition(col);
    }
    const QTableView *view = inFixedRow ? m_top : this;
    if (view->isColumnHidden(col))
        return kNotShown;
    const int x = view->columnViewportPosition(col);
    if (x < 0 || x >= vp.width())
        return kNotShown;
    return vp.x() + x;
}

int GridView::rowY(int row, bool inFixedCol) const
{
    if (row < 0 || row >= m_model->rowCount())
        return kNotShown;
    const QRect vp = viewport()->geometry();
    if (row < m_model->fixedRows())
        return vp.y() - fixedHeight() + m_corner->rowViewportPosition(row);
    const QTableView *view = inFixedCol ? m_left : this;
    if (view->isRowHidden(row))
        return kNotShown;
    const int y = view->rowViewportPosition(row);
    if (y < 0 || y >= vp.height())
        return kNotShown;
    return vp.y() + y;
}

QRect GridView::cellRect(int col, int row) const
{
    const bool inFixedRow = row < m_model->fixedRows();
    const bool inFixedCol = col < m_model->fixedCols();
    const int x = colX(col, inFixedRow);
    const int y = rowY(row, inFixedCol);
    if (x == kNotShown || y == kNotShown)
        return {};
    const int width = (inFixedCol ? m_corner : inFixedRow ? m_top : this)->columnWidth(col);
    const int height = (inFixedRow ? m_corner : inFixedCol ? m_left : this)->rowHeight(row);
    return QRect(x, y, width, height);
}

bool GridView::inFixedCols(int x) const
{
    const int left = viewport()->geometry().x();
    return x >= left - fixedWidth() && x < left;
}

bool GridView::inFixedRows(int y) const
{
    const int top = viewport()->geometry().y();
    return y >= top - fixedHeight() && y < top;
}

int GridView::colAtX(int x, bool inFixedRow) const
{
    const QRect vp = viewport()->geometry();
    if (inFixedCols(x)) {
        const int col = m_corner->columnAt(x - (vp.x() - fixedWidth()));
        return col < m_model->fixedCols() ? col : -1;
    }
    if (x >= vp.x() && x < vp.x() + vp.width())
        return (inFixedRow ? m_top : this)->columnAt(x - vp.x());
    return -1;
}

int GridView::rowAtY(int y, bool inFixedCol) const
{
    const QRect vp = viewport()->geometry();
    if (inFixedRows(y)) {
        const int row = m_corner->rowAt(y - (vp.y() - fixedHeight()));
        return row < m_model->fixedRows() ? row : -1;
    }
    if (y >= vp.y() && y < vp.y() + vp.height())
        return (inFixedCol ? m_left : this)->rowAt(y - vp.y());
    return -1;
}

QPoint GridView::cellAt(const QPoint &pos) const
{
    return QPoint(colAtX(pos.x(), inFixedRows(pos.y())), rowAtY(pos.y(), inFixedCols(pos.x())));
}

int GridView::visibleRows() const
{
    const int height = viewport()->height();
    int count = 0;
    for (int r = rowAt(0); r >= 0 && r < m_model->rowCount(); ++r) {
        if (isRowHidden(r))
            continue;
        if (rowViewportPosition(r) + rowHeight(r) > height)
            break;
        ++count;
    }
    return count;
}

int GridView::visibleCols() const
{
    const int width = viewport()->width();
    int count = 0;
    for (int c = columnAt(0); c >= 0 && c < m_model->columnCount(); ++c) {
        if (isColumnHidden(c))
            continue;
        if (columnViewportPosition(c) + columnWidth(c) > width)
            break;
        ++count;
    }
    return count;
}

// ---------------------------------------------------------------- marks

void GridView::addFrame(const QRect &rect, const QColor &color)
{
    m_markLayer->addFrame(rect, color);
}

void GridView::addFilledRect(const QRect &rect, const QColor &fill, const QString &text, const QColor &textColor,
                             const QPoint &textOffset)
{
    m_markLayer->addFilledRect(rect, fill, text, textColor, textOffset);
}

void GridView::addEllipse(const QRect &rect, const QColor &pen, const QColor &fill)
{
    m_markLayer->addEllipse(rect, pen, fill);
}

void GridView::addTaggedFrame(const QRect &rect, const QColor &color, int tag)
{
    m_markLayer->addTaggedFrame(rect, color, tag);
}

void GridView::removeFrames(int tag)
{
    m_markLayer->removeTagged(tag);
}

void GridView::clearMarks()
{
    m_markLayer->clear();
}

int GridView::markCount() const
{
    return m_markLayer->count();
}

// While a row is dragged, a line at the edge of the row it would land on: below
// it when the row moves down, above it when it moves up.
void GridView::updateDropLine()
{
    if (!m_markLayer)
        return;
    QRect line;
    if (m_drag == Drag::Row && m_dragTarget >= 0 && m_dragTarget != m_dragIndex) {
        const int y = rowY(m_dragTarget, false);
        if (y != kNotShown) {
            const int lineY = m_dragTarget > m_dragIndex ? y + rowHeight(m_dragTarget) - 1 : y;
            const QRect cells = cellArea();
            line = QRect(cells.left(), lineY - 1, cells.width(), 2);
        }
    }
    m_markLayer->setDropLine(line);
}

// ---------------------------------------------------------------- mouse

void GridView::mousePressEvent(QMouseEvent *event)
{
    m_pointedFixed = QPoint(-1, -1);
    Q_EMIT mouseDown(event->button(), viewport()->mapTo(this, event->position().toPoint()));
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason); // outside the cells: the current cell stays
        event->accept();
        return;
    }
    // A click makes the cell current without scrolling, so that what the
    // mouseDown handlers drew stays where it belongs.
    const bool scroll = hasAutoScroll();
    setAutoScroll(false);
    QTableView::mousePressEvent(event);
    setAutoScroll(scroll);
}

void GridView::mouseDoubleClickEvent(QMouseEvent *event)
{
    Q_EMIT mouseDown(event->button(), viewport()->mapTo(this, event->position().toPoint()));
    QTableView::mouseDoubleClickEvent(event);
}

QTableView *GridView::overlayOf(QObject *viewport) const
{
    if (!m_corner)
        return nullptr;
    for (QTableView *v : {m_top, m_left, m_corner})
        if (v->viewport() == viewport)
            return v;
    return nullptr;
}

bool GridView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && watched && watched == m_delegate->editor()
        && editorKey(static_cast<QKeyEvent *>(event)))
        return true;
    if (QTableView *overlay = overlayOf(watched)) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return overlayMouse(overlay, static_cast<QMouseEvent *>(event));
        case QEvent::Wheel:
            wheelEvent(static_cast<QWheelEvent *>(event)); // the fixed parts scroll with the rest
            return true;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

int GridView::resizableColumnAt(QTableView *overlay, int x) const
{
    if (overlay != m_top && overlay != m_corner)
        return -1;
    const int fixedCols = m_model->fixedCols();
    const int first = overlay == m_top ? fixedCols : 0;
    const int end = overlay == m_top ? m_model->columnCount() : fixedCols;
    const QHeaderView *h = overlay->horizontalHeader();
    auto nearRightEdge = [&](int c) {
        return c >= first && c < end && !h->isSectionHidden(c)
            && std::abs(h->sectionViewportPosition(c) + h->sectionSize(c) - x) <= kResizeMargin;
    };
    int c = overlay->columnAt(x);
    if (c < 0 || c >= end) {
        // Right of the last column: its border is still within reach.
        c = end - 1;
        while (c >= first && h->isSectionHidden(c))
            --c;
        return nearRightEdge(c) ? c : -1;
    }
    if (nearRightEdge(c))
        return c;
    int prev = c - 1;
    while (prev >= first && h->isSectionHidden(prev))
        --prev;
    return nearRightEdge(prev) ? prev : -1;
}

bool GridView::overlayMouse(QTableView *overlay, QMouseEvent *event)
{
    const QPoint local = event->position().toPoint();
    const QPoint pos = overlay->viewport()->mapTo(this, local);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        Q_EMIT mouseDown(event->button(), pos);
        m_pointedFixed = QPoint(-1, -1);
        if (overlay == m_left && m_drag == Drag::None && event->button() == Qt::LeftButton) {
            const QPoint cell(overlay->columnAt(local.x()), overlay->rowAt(local.y()));
            if (event->type() == QEvent::MouseButtonDblClick && editFixedCell(cell.x(), cell.y()))
                return true;
            m_pointedFixed = cell;
        }
        if (m_drag != Drag::None || event->button() != Qt::LeftButton) {
            setFocus(Qt::MouseFocusReason);
            return true;
        }
        const int col = resizableColumnAt(overlay, local.x());
        if (col >= 0) {
            finishEditing();
            m_drag = Drag::Resize;
            m_dragIndex = col;
            m_dragStartX = pos.x();
            m_dragStartWidth = std::max(0, shownWidth(col));
        } else if (m_rowDragging && overlay == m_left) {
            const int row = overlay->rowAt(local.y());
            if (row >= m_model->fixedRows() && row < m_model->rowCount()) {
                finishEditing();
                m_drag = Drag::Row;
                m_dragIndex = row;
                m_dragTarget = row;
                updateDropLine();
            }
        }
        setFocus(Qt::MouseFocusReason);
        return true;
    }
    case QEvent::MouseMove:
        if (m_drag == Drag::Resize) {
            resizeTo(pos.x());
        } else if (m_drag == Drag::Row) {
            dragRowTo(pos.y());
        } else if (overlay == m_top || overlay == m_corner) {
            if (resizableColumnAt(overlay, local.x()) >= 0)
                overlay->viewport()->setCursor(Qt::SplitHCursor);
            else if (m_rowDragging)
                overlay->viewport()->setCursor(Qt::SizeVerCursor);
            else
                overlay->viewport()->unsetCursor();
        }
        return true;
    case QEvent::MouseButtonRelease:
        if (event->button() != Qt::LeftButton)
            return true;
        if (m_drag == Drag::Resize) {
            const int col = m_dragIndex;
            m_drag = Drag::None;
            m_dragIndex = -1;
            Q_EMIT columnResized(col, grid()->colWidth(col));
        } else if (m_drag == Drag::Row) {
            const int from = m_dragIndex;
            const int to = m_dragTarget;
            m_drag = Drag::None;
            m_dragIndex = m_dragTarget = -1;
            updateDropLine();
            if (to >= 0 && to != from && m_model->moveRows(QModelIndex(), from, 1, QModelIndex(), to > from ? to + 1 : to))
                Q_EMIT rowMoved(from, to);
        }
        return true;
    default:
        return false;
    }
}

void GridView::resizeTo(int x)
{
    const int col = m_dragIndex;
    const int width = std::max(0, m_dragStartWidth + x - m_dragStartX);
    if (width == grid()->colWidth(col))
        return;
    m_model->setColumnWidth(col, width);
    applyColumnWidth(col);
    if (col < m_model->fixedCols()) {
        applyMargins();
        placeOverlays();
    }
    clearMarks(); // the cells under them moved
}

void GridView::dragRowTo(int y)
{
    const QRect vp = viewport()->geometry();
    int local = y - vp.y();
    QScrollBar *bar = verticalScrollBar();
    if (local < 0) {
        bar->setValue(bar->value() - 1);
        local = 0;
    } else if (local >= vp.height()) {
        bar->setValue(bar->value() + 1);
        local = vp.height() - 1;
    }
    int row = rowAt(local);
    if (row < 0)
        row = m_model->rowCount() - 1;
    row = std::max(row, m_model->fixedRows());
    if (row != m_dragTarget) {
        m_dragTarget = row;
        updateDropLine();
    }
}

// ---------------------------------------------------------------- blocks

void GridView::setBlockGrowth(int numberOffset, const QString &what)
{
    m_blockGrowth = true;
    m_growthNumberOffset = numberOffset;
    m_blockTarget = what;
}

QPoint GridView::pastePlace() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (m_rowSelect || selected.isEmpty())
        return QPoint(currentCol(), currentRow());
    QPoint topLeft(INT_MAX, INT_MAX);
    for (const QModelIndex &index : selected)
        topLeft = QPoint(std::min(topLeft.x(), index.column()), std::min(topLeft.y(), index.row()));
    return topLeft;
}

void GridView::pasteFromClipboard()
{
    const QPoint at = pastePlace();
    pasteAt(at.x(), at.y(), QGuiApplication::clipboard()->text());
}

void GridView::pasteAt(int col, int row, const QString &text)
{
    if (editTriggers() == NoEditTriggers || text.isEmpty())
        return;
    guarded(this, [&] {
        refresh(); // the editor's text goes in first
        const CellBlock block = CellBlock::parse(text);
        block.checkEncodable();
        const int rows = block.missingRows(*grid(), row);
        const int cols = block.missingCols(*grid(), col);
        CellBlock::Fit fit = CellBlock::Fit::Cut;
        if (rows > 0 || cols > 0) {
            const QString caption = QStringLiteral("Блок не помещается в %1").arg(m_blockTarget);
            QStringList lacking;
            if (rows > 0)
                lacking << counted(rows, u"строки", u"строк", u"строк");
            if (cols > 0)
                lacking << counted(cols, u"столбца", u"столбцов", u"столбцов");
            const QString size = QStringLiteral("%1: в блоке %2 и %3, от выбранной ячейки до края не хватает %4.")
                                     .arg(caption, counted(block.rowCount(), u"строка", u"строки", u"строк"),
                                          counted(block.colCount(), u"столбец", u"столбца", u"столбцов"),
                                          lacking.join(QStringLiteral(" и ")));
            if (m_blockGrowth) {
                switch (Services::messages().questionWithButtons(
                    this, caption,
                    size + QStringLiteral("\n«Добавить» — добавить недостающие строки и столбцы; «Обрезать» — вставить "
                                          "только то, что помещается; «Отмена» — ничего не вставлять."),
                    QStringLiteral("Добавить"), QStringLiteral("Обрезать"), QStringLiteral("Отмена"))) {
                case Messages::Answer::Yes:
                    fit = CellBlock::Fit::Grow;
                    break;
                case Messages::Answer::No:
                    break;
                case Messages::Answer::Cancel:
                    return;
                }
            } else if (!Services::messages().question(this, caption, size + QStringLiteral("\nВставить то, что помещается?"))) {
                return;
            }
        }
        std::shared_ptr<JournalEdit> edit = block.paste(*grid(), col, row, fit, m_growthNumberOffset);
        refresh();
        if (edit)
            Q_EMIT blockPasted(std::move(edit));
    });
}

QString GridView::selectedText() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return grid()->cell(currentCol(), currentRow());
    QRect box;
    for (const QModelIndex &index : selected)
        box |= QRect(index.column(), index.row(), 1, 1);
    return CellBlock::format(*grid(), box.left(), box.top(), box.width(), box.height());
}
