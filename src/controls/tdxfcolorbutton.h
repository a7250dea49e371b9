#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QStringList>

// An elliptic push button whose face is a shaded ball of one colour, lit from
// the upper left, with an optional picture (glyph) and a caption of several
// lines. Only the ellipse belongs to the button: a click beside it reaches the
// window below. Both faces are rendered once per size and colour; painting
// copies the one that shows.
class TdxfColorButton : public QAbstractButton
{
    Q_OBJECT
public:
    enum TdxfButtonLayout { dxfGlyphLeft = 0, dxfGlyphRight = 1, dxfGlyphTop = 2, dxfGlyphBottom = 3 };
    Q_ENUM(TdxfButtonLayout)

    explicit TdxfColorButton(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QStringList caption() const { return m_caption; }
    void setCaption(const QStringList &lines);
    QPixmap glyph() const { return m_glyph; }
    void setGlyph(const QPixmap &glyph);
    TdxfButtonLayout glyphLayout() const { return m_layout; }
    void setGlyphLayout(TdxfButtonLayout layout);
    // The caption's colour (enabled).
    void setCaptionColor(const QColor &color);

    // Kept down until released by the program (group behaviour; the login never uses it).
    bool isKeptDown() const { return m_keptDown; }
    void setKeptDown(bool down);

    // A face of the given size and colour: the up face, or the down face with
    // its pressed-in centre.
    static QImage renderFace(const QSize &size, const QColor &color, bool down);

    QSize sizeHint() const override { return {100, 40}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    void renderFaces();
    void updateRegion();
    void setPressed(bool pressed);
    void leftDown(QMouseEvent *event);
    bool shownPressed() const { return m_pressed || isDown(); }

    QColor m_color = Qt::white;
    QStringList m_caption;
    QPixmap m_glyph;
    TdxfButtonLayout m_layout = dxfGlyphLeft;
    QImage m_upFace;
    QImage m_downFace;
    bool m_pressed = false; // which face shows
    bool m_held = false;    // the left button went down on the button and is not yet released
    bool m_inside = false;  // the mouse is over the button
    bool m_keptDown = false;
};
