#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QString>
#include <QStyledItemDelegate>

class GridModel;
class QLineEdit;

// Draws and edits the cells of a grid view. A cell is drawn straight from the
// Grid: a fill and one line of text, clipped at the cell border as in a
// spreadsheet, fixed cells with a raised edge. The editor is a single line that
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

    // The open editor and its cell; nullptr and an invalid index when none is open.
    QLineEdit *editor() const;
    QModelIndex editIndex() const { return m_index; }
    // Writes the text the cell had when the editor opened back into the Grid.
    void revert() const;

private:
    GridModel *m_model;
    mutable QPointer<QLineEdit> m_editor;
    mutable QPersistentModelIndex m_index;
    mutable QString m_original;
};
