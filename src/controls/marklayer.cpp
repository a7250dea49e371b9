#include "controls/marklayer.h"

#include <QPainter>

#include <algorithm>

MarkLayer::MarkLayer(QWidget *view)
    : QWidget(view)
{
    setObjectName(QStringLiteral("GridMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    hide();
}

void MarkLayer::add(const Mark &mark)
{
    m_marks.push_back(mark);
    updateShown();
}

void MarkLayer::addFrame(const QRect &rect, const QColor &color)
{
    add({Mark::Frame, rect, color, QColor(), QString(), QColor(), QPoint()});
}

void MarkLayer::addFilledRect(const QRect &rect, const QColor &fill, const QString &text, const QColor &textColor,
                              const QPoint &textOffset)
{
    add({Mark::Filled, rect, QColor(), fill, text, textColor, textOffset});
}

void MarkLayer::addEllipse(const QRect &rect, const QColor &pen, const QColor &fill)
{
    add({Mark::Ellipse, rect, pen, fill, QString(), QColor(), QPoint()});
}

void MarkLayer::addTaggedFrame(const QRect &rect, const QColor &color, int tag)
{
    add({Mark::Frame, rect, color, QColor(), QString(), QColor(), QPoint(), tag});
}

void MarkLayer::removeTagged(int tag)
{
    const auto gone = std::remove_if(m_marks.begin(), m_marks.end(), [tag](const Mark &m) { return m.tag == tag; });
    if (gone == m_marks.end())
        return;
    m_marks.erase(gone, m_marks.end());
    updateShown();
}

void MarkLayer::clear()
{
    if (m_marks.empty())
        return;
    m_marks.clear();
    updateShown();
}

void MarkLayer::setCellArea(const QRect &area)
{
    if (area == m_cellArea)
        return;
    m_cellArea = area;
    if (isVisible())
        update();
}

void MarkLayer::setDropLine(const QRect &line)
{
    if (line == m_dropLine)
        return;
    m_dropLine = line;
    updateShown();
}

void MarkLayer::updateShown()
{
    if (m_marks.empty() && m_dropLine.isEmpty()) {
        hide();
        return;
    }
    // Above the view's other children, which may have come after the layer.
    setGeometry(parentWidget()->rect());
    raise();
    show();
    update();
}

void MarkLayer::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect cells = m_cellArea;
    p.setClipRect(cells);
    p.setFont(font());
    for (const Mark &mark : m_marks) {
        switch (mark.kind) {
        case Mark::Frame:
            p.setPen(QPen(mark.pen, 1));
            p.setBrush(Qt::NoBrush);
            p.drawRect(mark.rect.adjusted(0, 0, -1, -1)); // on the rectangle's own border pixels
            break;
        case Mark::Filled:
            p.fillRect(mark.rect, mark.fill);
            if (!mark.text.isEmpty()) {
                p.save();
                p.setClipRect(mark.rect & cells);
                p.setPen(mark.textColor);
                const QPoint origin = mark.rect.topLeft() + mark.textOffset;
                p.drawText(QRect(origin, QSize(std::max(mark.rect.width(), 1) + 1000, std::max(mark.rect.height(), 1) + 100)),
                           Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, mark.text);
                p.restore();
            }
            break;
        case Mark::Ellipse:
            p.save();
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(mark.pen, 1));
            p.setBrush(mark.fill);
            p.drawEllipse(QRectF(mark.rect).adjusted(0.5, 0.5, -0.5, -0.5));
            p.restore();
            break;
        }
    }
    if (!m_dropLine.isEmpty())
        p.fillRect(m_dropLine, palette().highlight());
}
