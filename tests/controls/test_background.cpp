#include "controls/tdxfbackground.h"
#include "journal/errors.h"

#include <QPainter>
#include <QtTest>

namespace {

QColor at(QWidget &w, int x, int y)
{
    return w.grab().toImage().pixelColor(x, y);
}

QPixmap plain(QSize size, const QColor &color)
{
    QPixmap p(size);
    p.fill(color);
    return p;
}

} // namespace

class TestBackground : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void gradientBands_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("position"); // along the gradient
        QTest::addColumn<QColor>("expected");
        const int vert = TdxfBackGround::fsVert, horz = TdxfBackGround::fsHorz;
        // Aqua to navy over 300 rows: band 0 is row 0, band 1 starts at row 1
        // (MulDiv(1, 300, 256) = 1), the last band is row 299 (from MulDiv(255, 300, 256) = 299).
        QTest::newRow("first band") << vert << QSize(120, 300) << 0 << QColor(0, 255, 255);
        QTest::newRow("second band") << vert << QSize(120, 300) << 1 << QColor(0, 254, 255);
        QTest::newRow("last band") << vert << QSize(120, 300) << 299 << QColor(0, 0, 128);
        QTest::newRow("band before last") << vert << QSize(120, 300) << 298 << QColor(0, 1, 128);
        // 512 rows: each band two rows; band 254 is rows 508-509 with blue 255 + MulDiv(254, -127, 255) = 128.
        QTest::newRow("512 rows, last band") << vert << QSize(120, 512) << 510 << QColor(0, 0, 128);
        QTest::newRow("512 rows, band 254") << vert << QSize(120, 512) << 509 << QColor(0, 1, 128);
        QTest::newRow("512 rows, band 128") << vert << QSize(120, 512) << 256 << QColor(0, 127, 191);
        // Left to right.
        QTest::newRow("horizontal first") << horz << QSize(300, 50) << 0 << QColor(0, 255, 255);
        QTest::newRow("horizontal last") << horz << QSize(300, 50) << 299 << QColor(0, 0, 128);
    }
    void gradientBands()
    {
        QFETCH(int, style);
        QFETCH(QSize, size);
        QFETCH(int, position);
        QFETCH(QColor, expected);
        QWidget window;
        auto *bg = new TdxfBackGround(&window);
        bg->setBeginColor(QColor(0, 255, 255));
        bg->setEndColor(QColor(0, 0, 128));
        bg->setFillStyle(TdxfBackGround::TdxfFillStyle(style));
        window.resize(size);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const bool vertical = style == TdxfBackGround::fsVert;
        for (int across : {0, (vertical ? size.width() : size.height()) - 1}) {
            const QPoint p = vertical ? QPoint(across, position) : QPoint(position, across);
            QCOMPARE(at(window, p.x(), p.y()), expected);
        }
    }

    void repaintsAtEveryResize()
    {
        QWidget window;
        auto *bg = new TdxfBackGround(&window);
        bg->setBeginColor(Qt::white);
        bg->setEndColor(Qt::black);
        window.resize(50, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // 100 rows: band 255 is empty (from MulDiv(255, 100, 256) = 100), row 99 is band 254.
        QCOMPARE(at(window, 0, 99), QColor(1, 1, 1));
        window.resize(50, 400);
        QTRY_COMPARE(at(window, 0, 399), QColor(0, 0, 0));
        // Row 99 now lies in band 63: 255 - MulDiv(63, 255, 255).
        QCOMPARE(at(window, 0, 99), QColor(192, 192, 192));
        // 50 columns: bands 0, 1, 254 and 255 are empty; column 0 is band 2,
        // column 49 band 253.
        bg->setFillStyle(TdxfBackGround::fsHorz);
        QTRY_COMPARE(at(window, 49, 0), QColor(2, 2, 2));
        QCOMPARE(at(window, 0, 399), QColor(253, 253, 253));
    }

    void framesTakeTurns()
    {
        QWidget window;
        auto *bg = new TdxfBackGround(&window);
        QCOMPARE(bg->interval(), 301); // speed 700
        bg->setPicture(plain({4, 4}, Qt::yellow)); // frames come before the picture
        bg->setSpeed(5000);
        QCOMPARE(bg->speed(), 1000);
        QCOMPARE(bg->interval(), 1);
        bg->setSpeed(-3);
        QCOMPARE(bg->interval(), 1000);
        bg->setSpeed(990);
        bg->setFrames({plain({10, 10}, Qt::red), plain({10, 10}, Qt::green)});
        window.resize(30, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Tiled from the top left corner, each frame in turn.
        QTRY_COMPARE(at(window, 25, 25), QColor(Qt::green));
        QCOMPARE(at(window, 0, 0), QColor(Qt::green));
        QTRY_COMPARE(at(window, 25, 25), QColor(Qt::red));
        bg->setFrames({});
        QTRY_COMPARE(at(window, 25, 25), QColor(Qt::yellow));
    }

    void placedOnlyOnceAndOnlyOnAWindow()
    {
        QObject notAWidget;
        QWidget window;
        auto *child = new QWidget(&window);
        const auto failure = [](QObject *owner) {
            try {
                new TdxfBackGround(owner);
            } catch (const ZError &e) {
                return e.message();
            }
            return QStringLiteral("created");
        };
        QCOMPARE(failure(&notAWidget), QStringLiteral("TdxfBackGround can be placed only on a TForm descendant"));
        QCOMPARE(failure(child), QStringLiteral("TdxfBackGround can be placed only on a TForm descendant"));
        QCOMPARE(failure(&window), QStringLiteral("created"));
        QCOMPARE(failure(&window), QStringLiteral("Form should have only a single TdxfBackGround"));
        QCOMPARE(window.findChildren<TdxfBackGround *>().size(), 1);
        // Gone, it gives the window its own painting back.
        delete window.findChild<TdxfBackGround *>();
        QCOMPARE(failure(&window), QStringLiteral("created"));
    }
};

QTEST_MAIN(TestBackground)
#include "test_background.moc"
