#include "controls/tdxfbackground.h"

#include "journal/errors.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

// a × b / c rounded to the nearest integer, halves away from zero (c > 0).
int mulDiv(int a, int b, int c)
{
    const qint64 p = qint64(a) * b;
    const qint64 q = (2 * std::llabs(p) + c) / (2 * qint64(c));
    return int(p < 0 ? -q : q);
}

QWidget *checkedOwner(QObject *owner)
{
    auto *window = qobject_cast<QWidget *>(owner);
    if (!window || !window->isWindow())
        throw ZError(u"TdxfBackGround can be placed only on a TForm descendant"_s);
    if (window->findChild<TdxfBackGround *>(QString(), Qt::FindDirectChildrenOnly))
        throw ZError(u"Form should have only a single TdxfBackGround"_s);
    return window;
}

} // namespace

TdxfBackGround::TdxfBackGround(QObject *owner) : QObject(checkedOwner(owner)), m_owner(static_cast<QWidget *>(owner))
{
    m_timer.setInterval(1001 - m_speed);
    connect(&m_timer, &QTimer::timeout, this, &TdxfBackGround::tick);
    // The window's own painting and resizing keep running, after ours.
    m_owner->installEventFilter(this);
    m_owner->update();
}

TdxfBackGround::~TdxfBackGround()
{
    m_owner->removeEventFilter(this);
}

void TdxfBackGround::setBeginColor(const QColor &color)
{
    m_begin = color;
    ownerResized();
}

void TdxfBackGround::setEndColor(const QColor &color)
{
    m_end = color;
    ownerResized();
}

void TdxfBackGround::setFillStyle(TdxfFillStyle style)
{
    m_fillStyle = style;
    ownerResized();
}

void TdxfBackGround::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    m_owner->update();
}

void TdxfBackGround::setFrames(const QList<QPixmap> &frames)
{
    m_frames = frames;
    m_frame = 0;
    if (m_frames.isEmpty())
        m_timer.stop();
    else
        m_timer.start();
    m_owner->update();
}

void TdxfBackGround::setSpeed(int speed)
{
    m_speed = qBound(1, speed, 1000);
    m_timer.setInterval(1001 - m_speed);
}

void TdxfBackGround::tick()
{
    if (m_frames.isEmpty())
        return;
    m_owner->update();
    m_frame = (m_frame + 1) % int(m_frames.size());
}

bool TdxfBackGround::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_owner) {
        if (event->type() == QEvent::Paint)
            paintOwner();
        else if (event->type() == QEvent::Resize)
            ownerResized();
    }
    return false;
}

void TdxfBackGround::paintOwner()
{
    QPainter painter(m_owner);
    const QRect client = m_owner->rect();
    if (!m_frames.isEmpty())
        tile(painter, client, m_frames.at(m_frame % m_frames.size()));
    else if (m_picture.isNull())
        paintGradient(painter, client, m_begin, m_end, m_fillStyle);
    else
        tile(painter, client, m_picture);
}

void TdxfBackGround::ownerResized()
{
    // Only the gradient depends on the size; tiles stay where they are.
    if (m_picture.isNull() && m_frames.isEmpty())
        m_owner->update();
}

void TdxfBackGround::tile(QPainter &painter, const QRect &rect, const QPixmap &pixmap)
{
    const QSize size = pixmap.deviceIndependentSize().toSize();
    if (size.isEmpty())
        return;
    for (int y = rect.top(); y <= rect.bottom(); y += size.height())
        for (int x = rect.left(); x <= rect.right(); x += size.width())
            painter.drawPixmap(x, y, pixmap);
}

void TdxfBackGround::paintGradient(QPainter &painter, const QRect &rect, const QColor &begin, const QColor &end, TdxfFillStyle style)
{
    const bool vertical = style == fsVert;
    const int extent = vertical ? rect.height() : rect.width();
    const int edge = vertical ? rect.top() : rect.left();
    int from = edge;
    for (int i = 0; i < 256; ++i) {
        const int to = edge + mulDiv(i + 1, extent, 256);
        const QColor color(begin.red() + mulDiv(i, end.red() - begin.red(), 255),
                           begin.green() + mulDiv(i, end.green() - begin.green(), 255),
                           begin.blue() + mulDiv(i, end.blue() - begin.blue(), 255));
        if (to > from) {
            if (vertical)
                painter.fillRect(QRect(rect.left(), from, rect.width(), to - from), color);
            else
                painter.fillRect(QRect(from, rect.top(), to - from, rect.height()), color);
        }
        from = to;
    }
}
