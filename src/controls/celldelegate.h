#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStaticText>
#include <QString>
#include <QStyledItemDelegate>

#include <optional>

class GridModel;
class QLineEdit;

// Draws and edits the cells of a grid view. A cell is drawn straight from the
// Grid: a fill and one line of text, fixed cells with a raised edge. A text
// longer than its cell is cut short with "…" (never cut off in the middle of a
// number) and shown whole in the cell's tool tip. The texts are laid out once
// and kept, so that a repaint of many cells only draws them. The editor is a single line that
// takes only what the data files can store; what is typed goes into the Grid at
// once (write-through), so that a window operation started while the editor is
// open sees it and moves it with the rows; revert() puts back the text the cell
// had before.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    CellDelegate(GridModel *model, QObject *parent);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    // The width of a text in the font, as drawn.
    int textWidth(const QString &text, const QFont &font) const;

    // The open editor and its cell; nullptr and an invalid index when none is open.
    QLineEdit *editor() const;
    QModelIndex editIndex() const { return m_index; }
    // Writes the text the cell had when the editor opened back into the Grid.
    void revert() const;

Q_SIGNALS:
    // An edit ended with the cell holding another text than when it opened.
    void typingEnded(int col, int row, const QString &before, const QString &after) const;
    // Paste in the editor of cells side by side (a tab on the clipboard): the view pastes them.
    void blockPasteRequested() const;

private:
    struct Laid
    {
        int width = 0;
        std::optional<QStaticText> text;   // made when first drawn whole
        int shortRoom = -1;                // the room the short form was made for
        std::optional<QStaticText> shortText; // cut short with "…" to that room
    };
    Laid &laid(const QString &text, const QFont &font) const;
    static void prepare(std::optional<QStaticText> &laid, const QString &text, const QFont &font);

    GridModel *m_model;
    mutable QFont m_laidFont;
    mutable std::optional<QFontMetrics> m_metrics;
    mutable QHash<QString, Laid> m_laid;
    mutable QPointer<QLineEdit> m_editor;
    mutable QPersistentModelIndex m_index;
    mutable QString m_original;
};
