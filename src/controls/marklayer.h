#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

#include <vector>

// The transient marks of a grid view: frames, filled cells with a text and
// ellipses, drawn above every cell in the view's coordinates, and the line that
// shows where a dragged row would land. The layer covers the whole view, lets
// the mouse through and is shown only while it has something to draw. It keeps
// the marks until clear(); they are never part of the data.
class MarkLayer : public QWidget
{
    Q_OBJECT

public:
    // A layer over `view`, hidden while empty.
    explicit MarkLayer(QWidget *view);

    void addFrame(const QRect &rect, const QColor &color);
    void addFilledRect(const QRect &rect, const QColor &fill, const QString &text, const QColor &textColor,
                       const QPoint &textOffset);
    void addEllipse(const QRect &rect, const QColor &pen, const QColor &fill);
    // A frame that belongs to a group (tag > 0), so that its owner can take the
    // group's frames away without touching the other marks.
    void addTaggedFrame(const QRect &rect, const QColor &color, int tag);
    void removeTagged(int tag);
    void clear();
    int count() const { return int(m_marks.size()); }

    // The area of the cells in the view: marks are clipped to it, so that they
    // never cover the view's frame or scroll bars.
    void setCellArea(const QRect &area);
    // The line (a thin rectangle) drawn in the highlight colour where a dragged
    // row would land; an empty rectangle for none.
    void setDropLine(const QRect &line);
    QRect dropLine() const { return m_dropLine; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Mark
    {
        enum Kind { Frame, Filled, Ellipse } kind;
        QRect rect;
        QColor pen;
        QColor fill;
        QString text;
        QColor textColor;
        QPoint textOffset;
        int tag = 0; // 0: no group
    };

    void add(const Mark &mark);
    void updateShown();

    std::vector<Mark> m_marks;
    QRect m_cellArea;
    QRect m_dropLine;
};
