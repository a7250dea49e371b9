#include "controls/marklayer.h"

#include <QtTest>

namespace {

// A white window of 200 × 100 with a mark layer; the cells cover 10..109 × 10..59.
struct Host
{
    Host()
    {
        window.resize(200, 100);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, Qt::white);
        palette.setColor(QPalette::Highlight, QColor(0, 0, 200));
        window.setPalette(palette);
        window.setAutoFillBackground(true);
        layer = new MarkLayer(&window);
        layer->setGeometry(window.rect());
        layer->setCellArea(cells);
    }

    QColor pixel(int x, int y) { return window.grab().toImage().pixelColor(x, y); }

    QWidget window;
    MarkLayer *layer = nullptr;
    const QRect cells{10, 10, 100, 50};
};

} // namespace

class TestMarkLayer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shownOnlyWhileItHasSomethingToDraw_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("frame") << 0;
        QTest::newRow("filled cell") << 1;
        QTest::newRow("ellipse") << 2;
        QTest::newRow("drop line") << 3;
    }

    void shownOnlyWhileItHasSomethingToDraw()
    {
        QFETCH(int, kind);
        Host host;
        host.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host.window));
        QVERIFY(!host.layer->isVisible());
        const QRect r(20, 20, 30, 18);
        switch (kind) {
        case 0: host.layer->addFrame(r, Qt::blue); break;
        case 1: host.layer->addFilledRect(r, Qt::cyan, QStringLiteral("5"), Qt::red, QPoint(2, 2)); break;
        case 2: host.layer->addEllipse(r, Qt::red, Qt::red); break;
        default: host.layer->setDropLine(QRect(10, 30, 100, 2)); break;
        }
        QVERIFY(host.layer->isVisible());
        QCOMPARE(host.layer->count(), kind == 3 ? 0 : 1);
        host.layer->clear();
        host.layer->setDropLine(QRect());
        QVERIFY(!host.layer->isVisible());
        QCOMPARE(host.layer->count(), 0);
    }

    void marksStayInsideTheCells()
    {
        Host host;
        host.layer->addFilledRect(host.window.rect(), Qt::red, QString(), Qt::black, QPoint());
        QCOMPARE(host.pixel(50, 30), QColor(Qt::red));
        QCOMPARE(host.pixel(5, 5), QColor(Qt::white));     // above and left of the cells
        QCOMPARE(host.pixel(150, 80), QColor(Qt::white));  // where the scroll bars are
        host.layer->setCellArea(host.window.rect());
        QCOMPARE(host.pixel(150, 80), QColor(Qt::red));
    }

    void marksLieAboveWidgetsMadeLater()
    {
        Host host;
        auto *later = new QWidget(&host.window);
        later->setGeometry(host.window.rect());
        later->setAutoFillBackground(true);
        QPalette palette = later->palette();
        palette.setColor(QPalette::Window, Qt::green);
        later->setPalette(palette);
        host.layer->addFrame(QRect(20, 20, 30, 18), Qt::blue);
        QCOMPARE(host.pixel(20, 20), QColor(Qt::blue));
        QCOMPARE(host.pixel(30, 30), QColor(Qt::green)); // a frame has no fill
    }

    void dropLineInTheHighlightColour()
    {
        Host host;
        host.layer->setDropLine(QRect(10, 30, 100, 2));
        QCOMPARE(host.pixel(20, 31), QColor(0, 0, 200));
        QCOMPARE(host.pixel(20, 33), QColor(Qt::white));
        host.layer->addFrame(QRect(20, 20, 30, 18), Qt::red);
        host.layer->clear(); // the marks go, the line of a drag in progress stays
        QVERIFY(!host.layer->dropLine().isEmpty());
        QCOMPARE(host.pixel(20, 31), QColor(0, 0, 200));
    }

    void clicksGoThroughTheMarks()
    {
        Host host;
        auto *cell = new QWidget(&host.window);
        cell->setGeometry(host.cells);
        host.layer->addFilledRect(host.cells, Qt::red, QString(), Qt::black, QPoint());
        host.layer->raise();
        QCOMPARE(host.window.childAt(30, 30), cell);
    }
};

QTEST_MAIN(TestMarkLayer)
#include "test_marklayer.moc"
