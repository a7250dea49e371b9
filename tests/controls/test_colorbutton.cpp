#include "controls/tdxfcolorbutton.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A grey window holding one colour button at (10, 10); it counts the mouse
// presses that reach it rather than the button.
class Host : public QWidget
{
public:
    explicit Host(QSize buttonSize, const QColor &color = Qt::white)
    {
        resize(buttonSize.width() + 40, buttonSize.height() + 40);
        QPalette pal = palette();
        pal.setColor(QPalette::Window, QColor(10, 20, 30));
        setPalette(pal);
        setAutoFillBackground(true);
        // Keyboard focus starts elsewhere: a focused button shows its focus frame.
        (new QLineEdit(this))->setGeometry(0, 0, 5, 5);
        button = new TdxfColorButton(this);
        button->setColor(color);
        button->setGeometry(QRect(QPoint(10, 10), buttonSize));
    }
    QColor pixel(int x, int y) const { return button->grab().toImage().pixelColor(x, y); }
    QColor windowPixel(int x, int y) { return grab().toImage().pixelColor(x, y); }

    TdxfColorButton *button = nullptr;
    int pressesHere = 0;

protected:
    void mousePressEvent(QMouseEvent *) override { ++pressesHere; }
};

QColor grey(int v)
{
    return QColor(v, v, v);
}

// A pixel where the up and the down face of the size differ, away from the centre.
QPoint faceDifference(QSize size, const QColor &color)
{
    const QImage up = TdxfColorButton::renderFace(size, color, false);
    const QImage down = TdxfColorButton::renderFace(size, color, true);
    for (int y = size.height() / 2; y < size.height(); ++y)
        for (int x = size.width() / 2; x < size.width(); ++x)
            if (up.pixel(x, y) != down.pixel(x, y))
                return {x, y};
    return {-1, -1};
}

} // namespace

class TestColorButton : public QObject
{
    Q_OBJECT

    // Which face the button shows at p: "up", "down" or "other".
    static QString face(const Host &host, QPoint p)
    {
        const QColor shown = host.pixel(p.x(), p.y());
        const QSize size = host.button->size();
        if (shown == QColor(TdxfColorButton::renderFace(size, host.button->color(), true).pixel(p)))
            return QStringLiteral("down");
        if (shown == QColor(TdxfColorButton::renderFace(size, host.button->color(), false).pixel(p)))
            return QStringLiteral("up");
        return QStringLiteral("other");
    }

private Q_SLOTS:
    void facePixels_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("color");
        QTest::addColumn<bool>("down");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("expected");
        // Three fifths of each channel in the corners the ellipses leave.
        QTest::newRow("white base") << QSize(25, 25) << QColor(Qt::white) << false << QPoint(0, 0) << grey(153);
        QTest::newRow("red base") << QSize(81, 41) << QColor(Qt::red) << false << QPoint(0, 0) << QColor(153, 0, 0);
        QTest::newRow("navy base") << QSize(40, 40) << QColor(0, 0, 128) << false << QPoint(0, 39) << QColor(0, 0, 77);
        // 25 × 25: R = 17, N = 20; the last ellipse, at (5, 5), is Mix(17, 20).
        QTest::newRow("25x25 brightest") << QSize(25, 25) << QColor(Qt::white) << false << QPoint(5, 5) << grey(240);
        QTest::newRow("25x25 yellow brightest") << QSize(25, 25) << QColor(Qt::yellow) << false << QPoint(5, 5) << QColor(240, 240, 217);
        // The one before it, Mix(16, 20), is the ring around that point.
        QTest::newRow("25x25 next ring") << QSize(25, 25) << QColor(Qt::white) << false << QPoint(6, 5) << grey(235);
        // The middle of the left edge lies in the second ellipse, Mix(1, 20).
        QTest::newRow("25x25 outer ring") << QSize(25, 25) << QColor(Qt::white) << false << QPoint(0, 12) << grey(158);
        // Down: the inner series (G = 14, M = 17) ends at (19, 19) with Mix(14, 17).
        QTest::newRow("25x25 down centre") << QSize(25, 25) << QColor(Qt::white) << true << QPoint(19, 19) << grey(237);
        // ... over the whole first series, which left the upper left spot lit.
        QTest::newRow("25x25 down corner") << QSize(25, 25) << QColor(Qt::white) << true << QPoint(0, 0) << grey(153);
        // 100 × 40: R = 54, N = 65, the spot at (20, 8) is Mix(54, 65); the
        // down face keeps it beside its inner series (G = 43, M = 52), whose
        // last ellipse is at (74, 30).
        QTest::newRow("100x40 up spot") << QSize(100, 40) << QColor(Qt::white) << false << QPoint(20, 8) << grey(238);
        QTest::newRow("100x40 down spot") << QSize(100, 40) << QColor(Qt::white) << true << QPoint(20, 8) << grey(238);
        QTest::newRow("100x40 down centre") << QSize(100, 40) << QColor(Qt::white) << true << QPoint(74, 30) << grey(237);
    }
    void facePixels()
    {
        QFETCH(QSize, size);
        QFETCH(QColor, color);
        QFETCH(bool, down);
        QFETCH(QPoint, at);
        QFETCH(QColor, expected);
        QCOMPARE(QColor(TdxfColorButton::renderFace(size, color, down).pixel(at)), expected);
        if (!down) {
            // The button on screen shows that face.
            Host host(size, color);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            QCOMPARE(host.pixel(at.x(), at.y()), expected);
        }
    }

    void onlyTheEllipseIsTheButton()
    {
        Host host(QSize(25, 25), Qt::yellow);
        QSignalSpy clicks(host.button, &TdxfColorButton::clicked);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QWindow *window = host.windowHandle();

        // A click on a corner of the square goes to the window beneath.
        QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(10 + 1, 10 + 1));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(host.pressesHere, 1);
        QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(10 + 23, 10 + 23));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(host.pressesHere, 2);
        // The window shows through the corners: no square of face colour.
        QCOMPARE(host.windowPixel(10, 10), QColor(10, 20, 30));
        QVERIFY(host.windowPixel(10 + 5, 10 + 5) != QColor(10, 20, 30));

        // The ellipse, out to its edges, is the button.
        for (const QPoint p : {QPoint(12, 12), QPoint(0, 12), QPoint(24, 12), QPoint(12, 0)}) {
            QTest::mouseClick(window, Qt::LeftButton, {}, QPoint(10, 10) + p);
        }
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(host.pressesHere, 2);
    }

    void pressDragOffAndBack()
    {
        const QSize size(97, 41);
        Host host(size, Qt::green);
        QSignalSpy clicks(host.button, &TdxfColorButton::clicked);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const QPoint probe = faceDifference(size, Qt::green);
        QVERIFY(probe.x() >= 0);
        const QPoint centre(48, 20);
        TdxfColorButton *b = host.button;

        QCOMPARE(face(host, probe), QStringLiteral("up"));
        QTest::mousePress(b, Qt::LeftButton, {}, centre);
        QCOMPARE(face(host, probe), QStringLiteral("down"));
        // Off the button (beside the ellipse, then outside altogether): up face.
        QTest::mouseMove(b, QPoint(1, 1));
        QCOMPARE(face(host, probe), QStringLiteral("up"));
        QTest::mouseMove(b, QPoint(150, 80));
        QCOMPARE(face(host, probe), QStringLiteral("up"));
        // Back on it with the mouse button still down: the down face again.
        QTest::mouseMove(b, centre + QPoint(10, 5));
        QCOMPARE(face(host, probe), QStringLiteral("down"));
        QTest::mouseMove(b, QPoint(150, 80));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(150, 80));
        QCOMPARE(face(host, probe), QStringLiteral("up"));
        QCOMPARE(clicks.count(), 0); // released outside: no click

        QTest::mousePress(b, Qt::LeftButton, {}, centre);
        QTest::mouseMove(b, QPoint(150, 80));
        QTest::mouseMove(b, centre);
        QTest::mouseRelease(b, Qt::LeftButton, {}, centre);
        QCOMPARE(face(host, probe), QStringLiteral("up"));
        QCOMPARE(clicks.count(), 1);

        // Disabled: no press, no click.
        b->setEnabled(false);
        QTest::mouseClick(b, Qt::LeftButton, {}, centre);
        QCOMPARE(face(host, probe), QStringLiteral("up"));
        QCOMPARE(clicks.count(), 1);
    }

    void glyphAloneIsCentred_data()
    {
        QTest::addColumn<int>("layout");
        for (int layout = TdxfColorButton::dxfGlyphLeft; layout <= TdxfColorButton::dxfGlyphBottom; ++layout)
            QTest::addRow("layout %d", layout) << layout;
    }
    void glyphAloneIsCentred()
    {
        // No caption, no gap: a 21 × 21 picture on 33 × 33 lies at (6, 6), one
        // pixel further while pressed.
        QFETCH(int, layout);
        Host host(QSize(33, 33), Qt::white);
        QPixmap glyph(21, 21);
        const QColor violet(200, 0, 200);
        glyph.fill(violet);
        host.button->setGlyph(glyph);
        host.button->setGlyphLayout(TdxfColorButton::TdxfButtonLayout(layout));
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QImage shown = host.button->grab().toImage();
        QCOMPARE(shown.pixelColor(6, 6), violet);
        QCOMPARE(shown.pixelColor(26, 26), violet);
        QVERIFY(shown.pixelColor(5, 5) != violet && shown.pixelColor(27, 27) != violet);
        QTest::mousePress(host.button, Qt::LeftButton, {}, QPoint(16, 16));
        shown = host.button->grab().toImage();
        QVERIFY(shown.pixelColor(6, 6) != violet);
        QCOMPARE(shown.pixelColor(27, 27), violet);
        QTest::mouseRelease(host.button, Qt::LeftButton, {}, QPoint(16, 16));
    }

    void disabledCaptionIsEmbossed()
    {
        Host host(QSize(120, 50), Qt::white);
        host.button->setCaption({QStringLiteral("ЖЖЖ")});
        QPalette pal = host.button->palette();
        pal.setColor(QPalette::Disabled, QPalette::Light, QColor(0, 255, 0));
        pal.setColor(QPalette::Disabled, QPalette::Dark, QColor(0, 0, 255));
        host.button->setPalette(pal);
        host.button->setEnabled(false);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const QImage shown = host.button->grab().toImage();
        bool light = false, dark = false;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                light |= shown.pixelColor(x, y) == QColor(0, 255, 0);
                dark |= shown.pixelColor(x, y) == QColor(0, 0, 255);
            }
        QVERIFY(light);
        QVERIFY(dark);
    }

    void enterAndSpacePressTheFocusedButton()
    {
        Host host(QSize(60, 30));
        QSignalSpy clicks(host.button, &TdxfColorButton::clicked);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        host.button->setFocus();
        QTest::keyClick(host.button, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(host.button, Qt::Key_Space);
        QCOMPARE(clicks.count(), 2);
    }

};

QTEST_MAIN(TestColorButton)
#include "test_colorbutton.moc"
