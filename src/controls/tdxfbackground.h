#pragma once

#include <QColor>
#include <QList>
#include <QObject>
#include <QPixmap>
#include <QTimer>

class QPainter;
class QWidget;

// Paints the client area of the window that owns it: a tiled animation when
// it has frames, else a colour gradient in 256 bands when it has no picture,
// else the tiled picture. The window's own painting runs afterwards, over it.
class TdxfBackGround : public QObject
{
    Q_OBJECT
public:
    enum TdxfFillStyle { fsHorz = 0, fsVert = 1 };
    Q_ENUM(TdxfFillStyle)

    // The owner must be a window, with no other background; otherwise a ZError
    // with the reason is thrown.
    explicit TdxfBackGround(QObject *owner);
    ~TdxfBackGround() override;

    QColor beginColor() const { return m_begin; }
    void setBeginColor(const QColor &color);
    QColor endColor() const { return m_end; }
    void setEndColor(const QColor &color);
    TdxfFillStyle fillStyle() const { return m_fillStyle; }
    void setFillStyle(TdxfFillStyle style);

    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    QList<QPixmap> frames() const { return m_frames; }
    void setFrames(const QList<QPixmap> &frames);
    int frameIndex() const { return m_frame; }
    // 1 … 1000; a frame lasts 1001 − speed milliseconds.
    int speed() const { return m_speed; }
    void setSpeed(int speed);
    int interval() const { return m_timer.interval(); }

    // The gradient over a rectangle: band i of 256 reaches to the edge plus
    // MulDiv(i + 1, extent, 256) and has each channel begin + MulDiv(i, end − begin, 255).
    static void paintGradient(QPainter &painter, const QRect &rect, const QColor &begin, const QColor &end, TdxfFillStyle style);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void paintOwner();
    void ownerResized();
    void tick();
    static void tile(QPainter &painter, const QRect &rect, const QPixmap &pixmap);

    QWidget *m_owner = nullptr;
    QColor m_begin = QColor(0, 0, 255);
    QColor m_end = QColor(0, 0, 0);
    TdxfFillStyle m_fillStyle = fsVert;
    QPixmap m_picture;
    QList<QPixmap> m_frames;
    int m_frame = 0;
    int m_speed = 700;
    QTimer m_timer;
};
