#include "controls/celldelegate.h"

#include "controls/gridfont.h"

#include "controls/gridmodel.h"
#include "controls/onelinevalidator.h"
#include "journal/cellblock.h"
#include "journal/grid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QToolTip>

namespace {
// More distinct texts than a screen shows many times over; beyond it the
// layouts are made anew.
constexpr qsizetype kMaxLaidTexts = 20000;

// Takes Paste from the editor when the clipboard holds cells side by side (a
// tab), which the one-line editor could only join into one cell. Lines without
// a tab stay the editor's own paste, their breaks turned into blanks.
class BlockPasteFilter : public QObject
{
public:
    BlockPasteFilter(const CellDelegate *delegate, QObject *parent) : QObject(parent), m_delegate(delegate) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)
            && CellBlock::isBlock(QGuiApplication::clipboard()->text())
            && QGuiApplication::clipboard()->text().contains(u'\t')) {
            Q_EMIT m_delegate->blockPasteRequested();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const CellDelegate *m_delegate;
};
} // namespace

CellDelegate::CellDelegate(GridModel *model, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_model(model)
{
}

QWidget *CellDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *edit = new QLineEdit(parent);
    edit->setFrame(false);
    makeOneLine(edit, true); // cp1251 only, pasted line breaks become blanks
    m_editor = edit;
    m_index = index;
    m_original = index.data(Qt::EditRole).toString();
    edit->installEventFilter(new BlockPasteFilter(this, edit));
    QObject::connect(edit, &QLineEdit::textChanged, edit, [this, edit](const QString &text) {
        if (edit == m_editor && m_index.isValid())
            m_model->writeThrough(m_index.column(), m_index.row(), text);
    });
    return edit;
}

void CellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int col = index.column();
    const int row = index.row();
    const bool fixed = m_model->isFixed(col, row);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const QPalette &palette = option.palette;
    const QRect r = option.rect.adjusted(0, 0, -1, -1); // the grid line is the view's
    const GridModel::CellNote note = fixed ? GridModel::CellNote() : m_model->note(col, row);
    if (selected)
        painter->fillRect(r, palette.brush(group, QPalette::Highlight));
    else if (note.look == GridModel::CellNote::Look::LeftOut)
        painter->fillRect(r, GridModel::leftOutBackground());
    else
        painter->fillRect(r, fixed ? palette.button() : QBrush(Qt::white));
    if (fixed) {
        painter->setPen(palette.color(QPalette::Light));
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.topLeft(), r.bottomLeft());
    }
    const QString &text = m_model->grid()->cell(col, row);
    if (!text.isEmpty()) {
        if (selected)
            painter->setPen(palette.color(group, QPalette::HighlightedText));
        else
            painter->setPen(fixed                                             ? palette.color(QPalette::ButtonText)
                            : note.look == GridModel::CellNote::Look::Muted ? GridModel::mutedText()
                                                                            : QColor(Qt::black));
        painter->setFont(option.font);
        // The cell's rectangle leaves out the grid line.
        const QRect room(r.left() + 2, r.top(), r.width() - kCellTextMargins, r.height());
        Laid &shown = laid(text, option.font);
        const QStaticText *drawn = nullptr;
        if (shown.width <= room.width()) {
            if (!shown.text)
                prepare(shown.text, text, option.font);
            drawn = &*shown.text;
        } else if (room.width() > 0) {
            if (shown.shortRoom != room.width() || !shown.shortText) {
                prepare(shown.shortText, m_metrics->elidedText(text, Qt::ElideRight, room.width()), option.font);
                shown.shortRoom = room.width();
            }
            drawn = &*shown.shortText;
        }
        // The text fits its room: nothing spills over into the next cell.
        if (drawn && !drawn->text().isEmpty()) {
            const qreal top = room.top() + (room.height() - m_metrics->height()) / 2.0;
            painter->drawStaticText(QPointF(room.left(), top), *drawn);
        }
    }
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(palette.color(group, selected ? QPalette::HighlightedText : QPalette::Highlight), 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void CellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *edit = static_cast<QLineEdit *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    if (edit->text() != text) // the write-through echoes back; keep the cursor where it is
        edit->setText(text);
}

void CellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const QString text = static_cast<QLineEdit *>(editor)->text();
    if (editor == m_editor && text == m_original)
        return; // nothing was changed
    model->setData(index, text, Qt::EditRole);
}

void CellDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor == m_editor) {
        m_editor = nullptr;
        // The typed text is in the Grid; one whose row moved from under the
        // editor is not this cell's any more.
        const QString typed = static_cast<QLineEdit *>(editor)->text();
        if (m_index.isValid() && typed != m_original && m_model->grid()->cell(m_index.column(), m_index.row()) == typed)
            Q_EMIT typingEnded(m_index.column(), m_index.row(), m_original, typed);
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

CellDelegate::Laid &CellDelegate::laid(const QString &text, const QFont &font) const
{
    if (!m_metrics || (!font.isCopyOf(m_laidFont) && font != m_laidFont)) {
        m_laidFont = font;
        m_metrics.emplace(font);
        m_laid.clear();
    }
    auto it = m_laid.find(text);
    if (it == m_laid.end()) {
        if (m_laid.size() >= kMaxLaidTexts)
            m_laid.clear();
        it = m_laid.insert(text, Laid{m_metrics->horizontalAdvance(text), std::nullopt, -1, std::nullopt});
    }
    return *it;
}

void CellDelegate::prepare(std::optional<QStaticText> &laid, const QString &text, const QFont &font)
{
    laid.emplace(text);
    laid->setTextFormat(Qt::PlainText);
    laid->setPerformanceHint(QStaticText::AggressiveCaching);
    laid->prepare(QTransform(), font);
}

int CellDelegate::textWidth(const QString &text, const QFont &font) const
{
    return text.isEmpty() ? 0 : laid(text, font).width;
}

bool CellDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                             const QModelIndex &index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    // The whole text of a cell that shows it cut short, and why the rules of
    // the window leave a cell out; over any other cell the view's own hint.
    const QString &text = m_model->grid()->cell(index.column(), index.row());
    const bool cut = !text.isEmpty() && textWidth(text, option.font) > cellTextRoom(option.rect.width());
    const QString why = m_model->note(index.column(), index.row()).hint;
    if (!cut && why.isEmpty())
        return false;
    const QString tip = why.isEmpty() ? text : cut ? text + u'\n' + why : why;
    QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
    return true;
}

QLineEdit *CellDelegate::editor() const
{
    return m_editor;
}

void CellDelegate::revert() const
{
    if (m_editor && m_index.isValid())
        m_model->writeThrough(m_index.column(), m_index.row(), m_original);
}
