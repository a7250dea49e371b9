#include "controls/framegeometry.h"
#include "controls/windowtools.h"

#include <QAction>
#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(FrameRule)

// Window placement by frame rectangles, captioned rows and the F10 menu key.
class TestFrameGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { setKnownFrameMargins(QMargins()); }

    void frameRectangles_data()
    {
        QTest::addColumn<FrameRule>("rule");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("frame");
        const FrameRule wide{QRect(0, 0, 1122, 515), true, false};
        const FrameRule left{QRect(0, 514, 1024, 303), true, true, 677};
        const FrameRule right{QRect(0, 514, 677, 182), false, true, 0, true};
        const FrameRule full{QRect(0, 0, 1017, 219), true, true};
        QTest::newRow("widened to one pixel short, 1400") << wide << QRect(0, 0, 1400, 900) << QRect(0, 0, 1399, 515);
        QTest::newRow("widened to one pixel short, 1280") << wide << QRect(0, 0, 1280, 800) << QRect(0, 0, 1279, 515);
        QTest::newRow("wider than the area is cut to it") << wide << QRect(0, 0, 1024, 768) << QRect(0, 0, 1024, 515);
        QTest::newRow("work area below a panel") << wide << QRect(0, 30, 1400, 870) << QRect(0, 30, 1399, 515);
        QTest::newRow("left of a neighbour, stretched down") << left << QRect(0, 0, 1400, 900) << QRect(0, 514, 722, 385);
        QTest::newRow("left of a neighbour, cut at the bottom") << left << QRect(0, 0, 1280, 800) << QRect(0, 514, 602, 286);
        QTest::newRow("at the right edge, 1400") << right << QRect(0, 0, 1400, 900) << QRect(722, 514, 677, 385);
        QTest::newRow("at the right edge, 1280") << right << QRect(0, 0, 1280, 800) << QRect(602, 514, 677, 285);
        QTest::newRow("stretched over the area") << full << QRect(0, 0, 1280, 800) << QRect(0, 0, 1279, 799);
        QTest::newRow("outside the area is moved in") << FrameRule{QRect(2000, 1000, 300, 200)} << QRect(0, 0, 1280, 800)
                                                       << QRect(980, 600, 300, 200);
    }
    void frameRectangles()
    {
        QFETCH(FrameRule, rule);
        QFETCH(QRect, area);
        QFETCH(QRect, frame);
        QCOMPARE(frameRect(rule, area), frame);
        QVERIFY(area.contains(frame));
    }

    // The rule goes to the frame: the inner rectangle is the frame less the
    // margins of the window manager's title bar and borders.
    void placedWindowGetsItsFrameLessTheMargins()
    {
        QDialog window;
        window.setMinimumSize(10, 10);
        setKnownFrameMargins(QMargins(4, 24, 4, 4));
        placeFrame(&window, FrameRule{QRect(0, 514, 677, 182), false, true, 0, true});
        const QRect area = window.screen()->availableGeometry();
        const QRect frame = frameRect(frameRuleOf(&window), area);
        QCOMPARE(window.geometry(), frame.marginsRemoved(QMargins(4, 24, 4, 4)));
        applyFrameRule(&window, QRect(0, 0, 1280, 800), QMargins(1, 20, 1, 1));
        QCOMPARE(window.geometry(), QRect(603, 534, 675, 264));
    }

    // Captions stand over the controls they name; a hidden control keeps its
    // place, so the controls right of it do not move.
    void captionsStandOverTheirControls()
    {
        QWidget w;
        auto *a = new QPushButton(u"a"_s, &w);
        auto *b = new QPushButton(u"b"_s, &w);
        auto *c = new QLineEdit(&w);
        auto *d = new QPushButton(u"d"_s, &w);
        QGridLayout *row = captionedRow(&w, {{u"Правка"_s, {a, b}}, {u"Выбран ученик"_s, {c}}, {QString(), {d}}});
        w.setLayout(row);
        w.resize(600, 80);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const auto labelOf = [&w](const QString &text) {
            for (QLabel *l : w.findChildren<QLabel *>())
                if (l->text() == text)
                    return l;
            return static_cast<QLabel *>(nullptr);
        };
        QLabel *pravka = labelOf(u"Правка"_s);
        QLabel *vybran = labelOf(u"Выбран ученик"_s);
        QVERIFY(pravka && vybran);
        QCOMPARE(w.findChildren<QLabel *>().size(), 2);
        QVERIFY(pravka->geometry().bottom() < a->geometry().top());
        QVERIFY(qAbs(pravka->geometry().center().x() - QRect(a->geometry().topLeft(), b->geometry().bottomRight()).center().x()) <= 2);
        QVERIFY(qAbs(vybran->geometry().center().x() - c->geometry().center().x()) <= 2);
        const int dx = d->x();
        c->hide();
        QCoreApplication::processEvents();
        w.layout()->activate();
        QCOMPARE(d->x(), dx);
        QVERIFY(qAbs(vybran->geometry().center().x() - c->geometry().center().x()) <= 2);
    }

    // F10 gives the keyboard to the menu bar with its first item highlighted;
    // arrows move along it, Enter runs the item, Escape gives the keyboard back.
    void f10ReachesTheMenu()
    {
        QDialog window;
        auto *bar = new QMenuBar(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->setMenuBar(bar);
        auto *edit = new QLineEdit(&window);
        layout->addWidget(edit);
        QAction *first = bar->addAction(u"&Журнал"_s);
        QAction *second = bar->addAction(u"&Темы"_s);
        QSignalSpy runs(second, &QAction::triggered);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
        activateMenuBar(bar);
        QCOMPARE(bar->activeAction(), first);
        QVERIFY(bar->hasFocus());
        QTest::keyClick(bar, Qt::Key_Escape);
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(bar->activeAction(), nullptr);
        activateMenuBar(bar);
        QTest::keyClick(bar, Qt::Key_Right);
        QCOMPARE(bar->activeAction(), second);
        QTest::keyClick(bar, Qt::Key_Return);
        QCOMPARE(runs.count(), 1);
        QTRY_VERIFY(edit->hasFocus());
    }
};

QTEST_MAIN(TestFrameGeometry)
#include "test_framegeometry.moc"
