#include "controls/tdxfcolorbutton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>
#include <cfenv>
#include <cmath>

namespace {

// Rounding to the nearest integer, halves to the even one.
int roundEven(double v)
{
    return int(std::nearbyint(v));
}

struct Rgb
{
    int r, g, b;
};

// Three fifths of each channel.
Rgb baseColor(const QColor &c)
{
    const auto ch = [](int v) { return roundEven(v - 2.0 * v / 5.0); };
    return {ch(c.red()), ch(c.green()), ch(c.blue())};
}

// The base moved towards white by f / n.
QRgb mix(const Rgb &base, int f, int n)
{
    const auto ch = [f, n](int b) { return roundEven(double(f) * (255 - b) / n + b); };
    return qRgb(ch(base.r), ch(base.g), ch(base.b));
}

// A filled ellipse in the box from (x1, y1) to (x2, y2), both corners
// included, as a one-pixel pen of the fill colour closes it: a pixel belongs
// to it when its centre lies inside. A box of no size is one pixel.
void fillEllipse(QImage &image, int x1, int y1, int x2, int y2, QRgb color)
{
    if (x2 < x1)
        std::swap(x1, x2);
    if (y2 < y1)
        std::swap(y1, y2);
    const double cx = (x1 + x2 + 1) / 2.0, cy = (y1 + y2 + 1) / 2.0;
    const double rx = (x2 - x1 + 1) / 2.0, ry = (y2 - y1 + 1) / 2.0;
    const int top = std::max(y1, 0), bottom = std::min(y2, image.height() - 1);
    for (int y = top; y <= bottom; ++y) {
        const double dy = (y + 0.5 - cy) / ry;
        const double rest = 1.0 - dy * dy;
        if (rest < 0)
            continue;
        const double half = rx * std::sqrt(rest);
        const int left = std::max(int(std::ceil(cx - half - 0.5)), 0);
        const int right = std::min(int(std::floor(cx + half - 0.5)), image.width() - 1);
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = left; x <= right; ++x)
            line[x] = color;
    }
}

} // namespace

QImage TdxfColorButton::renderFace(const QSize &size, const QColor &color, bool down)
{
    const int W = std::max(size.width(), 1), H = std::max(size.height(), 1);
    QImage face(W, H, QImage::Format_RGB32);
    const Rgb base = baseColor(color);
    face.fill(qRgb(base.r, base.g, base.b));
    std::fesetround(FE_TONEAREST);

    // The ball: ellipses shrinking from the whole face towards (W div 5,
    // H div 5), lighter at each step. A face too small for a radius stays plain.
    const int R = roundEven(std::sqrt(double((W / 2) * (W / 2) + (H / 2) * (H / 2))));
    const int N = roundEven(1.2 * R);
    if (R > 0) {
        for (int f = 0; f <= R; ++f) {
            const int x1 = roundEven(double(f) * (W / 5) / R);
            const int y1 = roundEven(double(f) * (H / 5) / R);
            fillEllipse(face, x1, y1, roundEven(W - double(f) * (W - W / 5) / R), roundEven(H - double(f) * (H - H / 5) / R),
                        mix(base, f, N));
            if (down && x1 > 3 * (W / 10) && y1 > 3 * (H / 10))
                break;
        }
    }
    if (!down)
        return face;

    // The pressed-in centre: a second ball on the inner rectangle, shrinking
    // towards its lower right.
    const int m0x = W / 10, m0y = H / 10;
    const int iw = W - 2 * m0x, ih = H - 2 * m0y;
    const int G = roundEven(std::sqrt(double((iw / 2) * (iw / 2) + (ih / 2) * (ih / 2))));
    const int M = roundEven(1.2 * G);
    if (G > 0) {
        for (int m = 0; m <= G; ++m)
            fillEllipse(face, roundEven(double(m) * (iw - iw / 5) / G) + m0x, roundEven(double(m) * (ih - ih / 5) / G) + m0y,
                        m0x + iw - roundEven(double(m) * (iw / 5) / G), m0y + ih - roundEven(double(m) * (ih / 5) / G),
                        mix(base, m, M));
    }
    return face;
}

TdxfColorButton::TdxfColorButton(QWidget *parent) : QAbstractButton(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent); // the face covers the whole button
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 40);
    renderFaces();
    updateRegion();
}

void TdxfColorButton::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    renderFaces();
    update();
}

void TdxfColorButton::setCaption(const QStringList &lines)
{
    m_caption = lines;
    setText(lines.join(QLatin1Char(' '))); // what a screen reader says
    update();
}

void TdxfColorButton::setGlyph(const QPixmap &glyph)
{
    m_glyph = glyph;
    update();
}

void TdxfColorButton::setGlyphLayout(TdxfButtonLayout layout)
{
    m_layout = layout;
    update();
}

void TdxfColorButton::setCaptionColor(const QColor &color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Active, QPalette::ButtonText, color);
    pal.setColor(QPalette::Inactive, QPalette::ButtonText, color);
    setPalette(pal);
    update();
}

void TdxfColorButton::setKeptDown(bool down)
{
    m_keptDown = down;
    setPressed(m_keptDown || (m_held && m_inside));
}

void TdxfColorButton::renderFaces()
{
    m_upFace = renderFace(size(), m_color, false);
    m_downFace = renderFace(size(), m_color, true);
}

void TdxfColorButton::updateRegion()
{
    // The ellipse one pixel beyond each edge. The face never erases what lies
    // outside it: the window shows there.
    setMask(QRegion(QRect(-1, -1, width() + 2, height() + 2), QRegion::Ellipse));
}

bool TdxfColorButton::hitButton(const QPoint &pos) const
{
    return QRegion(QRect(-1, -1, width() + 2, height() + 2), QRegion::Ellipse).contains(pos);
}

void TdxfColorButton::paintEvent(QPaintEvent *)
{
    const bool down = shownPressed();
    QPainter p(this);
    p.drawImage(0, 0, down ? m_downFace : m_upFace);

    const int W = width(), H = height();
    const QFontMetrics fm(font());
    const int h = fm.height(); // the height of "Wg"
    int tw = 0;
    for (const QString &line : m_caption)
        tw = std::max(tw, fm.horizontalAdvance(line));
    const int th = int(m_caption.size()) * h;
    const int gw = m_glyph.isNull() ? 0 : int(m_glyph.deviceIndependentSize().width());
    const int gh = m_glyph.isNull() ? 0 : int(m_glyph.deviceIndependentSize().height());
    const int a = (gw > 0 && tw > 0) ? 4 : 0;
    int gx = 0, gy = 0, tx = 0, ty = 0;
    switch (m_layout) {
    case dxfGlyphLeft:
        gx = (W - gw - a - tw) / 2;
        gy = (H - gh) / 2;
        tx = gx + gw + a;
        ty = (H - th) / 2;
        break;
    case dxfGlyphRight:
        tx = (W - gw - a - tw) / 2;
        ty = (H - th) / 2;
        gx = tx + tw + a;
        gy = (H - gh) / 2;
        break;
    case dxfGlyphTop:
        gx = (W - gw) / 2;
        gy = (H - gh - th - a) / 2;
        tx = (W - tw) / 2;
        ty = gy + gh + a;
        break;
    case dxfGlyphBottom:
        tx = (W - tw) / 2;
        ty = (H - gh - th - a) / 2;
        gx = (W - gw) / 2;
        gy = ty + th + a;
        break;
    }
    if (down) {
        ++gx, ++gy, ++tx, ++ty;
    }
    if (!m_glyph.isNull())
        p.drawPixmap(gx, gy, m_glyph);

    p.setFont(font());
    for (int i = 0; i < m_caption.size(); ++i) {
        const QString &line = m_caption.at(i);
        const int lw = fm.horizontalAdvance(line);
        const int o = m_layout == dxfGlyphLeft ? 0 : m_layout == dxfGlyphRight ? tw - lw : (tw - lw) / 2;
        const int x = tx + o, y = ty + i * h + fm.ascent();
        if (isEnabled()) {
            p.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
            p.drawText(x, y, line);
        } else {
            p.setPen(palette().color(QPalette::Disabled, QPalette::Light));
            p.drawText(x + 1, y + 1, line);
            p.setPen(palette().color(QPalette::Disabled, QPalette::Dark));
            p.drawText(x, y, line);
        }
    }

    // Keyboard focus: a dotted frame in the caption's colour around the caption
    // (or the picture).
    if (hasFocus()) {
        QRect around = tw > 0 ? QRect(tx, ty, tw, th) : QRect(gx, gy, gw, gh);
        if (around.isEmpty())
            around = rect().adjusted(W / 4, H / 4, -W / 4, -H / 4);
        around = around.adjusted(-2, -1, 1, 0).intersected(rect().adjusted(1, 1, -2, -2));
        p.setPen(QPen(palette().color(QPalette::Active, QPalette::ButtonText), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(around);
    }
}

void TdxfColorButton::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    renderFaces();
    updateRegion();
}

void TdxfColorButton::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        renderFaces();
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        update();
}

void TdxfColorButton::setPressed(bool pressed)
{
    if (pressed == m_pressed)
        return;
    m_pressed = pressed;
    update();
}

void TdxfColorButton::leftDown(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !hitButton(event->position().toPoint())) {
        event->ignore();
        return;
    }
    if (isEnabled() && !m_keptDown) {
        m_held = true;
        m_inside = true;
        setPressed(true);
    }
}

void TdxfColorButton::mousePressEvent(QMouseEvent *event)
{
    leftDown(event);
}

void TdxfColorButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    leftDown(event);
}

void TdxfColorButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool wasHeld = m_held;
    m_held = false;
    m_keptDown = false;
    setPressed(false);
    // A release beside the ellipse is no click.
    if (wasHeld && isEnabled() && hitButton(event->position().toPoint()))
        Q_EMIT clicked(false);
}

void TdxfColorButton::mouseMoveEvent(QMouseEvent *event)
{
    // While the left button is held the mouse belongs to the button: leaving
    // and coming back over the ellipse shows the up and the down face.
    if (!m_held)
        return;
    const bool inside = hitButton(event->position().toPoint());
    if (inside == m_inside)
        return;
    m_inside = inside;
    setPressed(inside && (m_keptDown || m_held));
}

void TdxfColorButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    m_inside = true;
    setPressed(m_keptDown || m_held);
}

void TdxfColorButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    m_inside = false;
    setPressed(false);
}

void TdxfColorButton::keyPressEvent(QKeyEvent *event)
{
    // Enter on the focused button presses it, as the space bar does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TdxfColorButton::focusInEvent(QFocusEvent *event)
{
    QAbstractButton::focusInEvent(event);
    update();
}

void TdxfColorButton::focusOutEvent(QFocusEvent *event)
{
    QAbstractButton::focusOutEvent(event);
    update();
}
