#include "fixtureroot.h"

#include "app/tform1.h"
#include "controls/framegeometry.h"
#include "controls/gridview.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryFile>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// How the windows share the screen and where their captions stand, with the
// journal of the fixture loaded.
class TestScreenLayout : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    TForm1 *f() const { return running().form1; }
    TGurnaliForm *g() const { return running().gurnali; }

    // A window's frame on the screen, with the window manager's margins.
    static QRect frameOf(const QWidget *window, const QMargins &margins) { return window->geometry().marginsAdded(margins); }
    // A control's rectangle on the screen.
    static QRect screenRect(const QWidget *control)
    {
        const QWidget *window = control->window();
        return QRect(window->geometry().topLeft() + control->mapTo(window, QPoint(0, 0)), control->size());
    }
    // The controls a teacher works with: buttons, edits, grids, captions, the status bar.
    static QList<QWidget *> controlsOf(QWidget *window)
    {
        QList<QWidget *> out;
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->window() != window || !w->isVisibleTo(window))
                continue;
            if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<GridView *>(w)
                || qobject_cast<QLabel *>(w) || qobject_cast<QStatusBar *>(w))
                out << w;
        }
        return out;
    }
    static QLabel *caption(QWidget *window, const QString &text)
    {
        for (QLabel *l : window->findChildren<QLabel *>())
            if (l->text() == text && l->window() == window)
                return l;
        return nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        f()->FormShow();
        QCOMPARE(m_session->messages.errors(), QStringList());
    }
    void cleanup()
    {
        setKnownFrameMargins(QMargins());
        m_session.reset();
    }

    // Main window at the top, the plan and the dynamics below it side by side,
    // the catalogue over the work area: every frame inside the work area, no
    // control of one window under another window's frame, no control cut off.
    void windowsTileTheScreen_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QMargins>("margins");
        QTest::newRow("1400x900") << QRect(0, 0, 1400, 900) << QMargins(1, 21, 1, 5);
        QTest::newRow("1280x800") << QRect(0, 0, 1280, 800) << QMargins(1, 21, 1, 5);
        QTest::newRow("1280x800, thick frames") << QRect(0, 0, 1280, 800) << QMargins(6, 32, 6, 6);
        QTest::newRow("1400x900 below a panel") << QRect(0, 28, 1400, 872) << QMargins(1, 21, 1, 5);
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << QMargins(1, 21, 1, 5);
        QTest::newRow("1024x768, thick frames") << QRect(0, 0, 1024, 768) << QMargins(6, 32, 6, 6);
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1080) << QMargins(1, 21, 1, 5);
    }
    void windowsTileTheScreen()
    {
        QFETCH(QRect, area);
        QFETCH(QMargins, margins);
        QWidget *main = f();
        QWidget *plan = running().tema;
        QWidget *dynamics = running().stolbItogo;
        const QList<QWidget *> windows{main, plan, dynamics, g()};
        for (QWidget *w : windows)
            applyFrameRule(w, area, margins);
        for (QWidget *w : {main, plan, dynamics}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
        QCoreApplication::processEvents();
        for (QWidget *w : windows) {
            QVERIFY2(area.contains(frameOf(w, margins)), qPrintable(w->objectName()));
            // The layout fits the size given: nothing is cut at the window's edge.
            QVERIFY2(w->minimumSizeHint().width() <= w->width() && w->minimumSizeHint().height() <= w->height(),
                     qPrintable(w->objectName()));
        }
        for (QWidget *w : {main, plan, dynamics}) {
            const QList<QWidget *> controls = controlsOf(w);
            QVERIFY(!controls.isEmpty());
            for (QWidget *c : controls) {
                const QRect r = screenRect(c);
                QVERIFY2(w->geometry().contains(r), qPrintable(w->objectName() + u' ' + c->objectName()));
                for (QWidget *other : {main, plan, dynamics})
                    if (other != w)
                        QVERIFY2(!frameOf(other, margins).intersects(r),
                                 qPrintable(c->objectName() + u" under "_s + other->objectName()));
            }
        }
        // The command row and the status bar stand clear of the plan.
        for (const QString &name : {u"Dinamika"_s, u"Print11"_s, u"Peres4et"_s, u"SrSt"_s, u"StatusBar"_s})
            QVERIFY(!frameOf(plan, margins).intersects(screenRect(ctl<QWidget>(f(), name))));
        // Side by side, the plan and the dynamics share the lower band.
        QVERIFY(!frameOf(plan, margins).intersects(frameOf(dynamics, margins)));
        // Every caption and value of the main window can be read whole.
        for (QLabel *l : main->findChildren<QLabel *>())
            if (l->isVisibleTo(main) && !l->text().isEmpty())
                QVERIFY2(l->width() >= l->fontMetrics().horizontalAdvance(l->text()), qPrintable(l->text()));
        for (QAbstractButton *b : main->findChildren<QAbstractButton *>())
            if (b->isVisibleTo(main) && b->icon().isNull() && !b->text().isEmpty())
                QVERIFY2(b->width() >= b->fontMetrics().horizontalAdvance(b->text()), qPrintable(b->objectName()));
    }

    // The plan and the dynamics are windows of their own beside the journal
    // window, never kept above it: a click on the journal window (maximised
    // too) brings it to the front.
    void lowerWindowsDoNotStayOnTop()
    {
        for (QWidget *w : {static_cast<QWidget *>(running().tema), static_cast<QWidget *>(running().stolbItogo)}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
            QVERIFY2(!w->parentWidget(), qPrintable(w->objectName()));
            QCOMPARE(w->windowType(), Qt::Window);
            QVERIFY(!(w->windowFlags() & Qt::WindowStaysOnTopHint));
            QVERIFY(w->windowHandle() && !w->windowHandle()->transientParent());
        }
        QVERIFY(!(f()->windowFlags() & Qt::WindowStaysOnTopHint));
        // The journal window's modal run leaves the plan usable.
        f()->open();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        auto *bold = ctl<QAbstractButton>(running().tema, u"GirOb"_s);
        const bool boldBefore = bold->font().bold();
        QTest::mouseClick(bold, Qt::LeftButton, {}, bold->rect().center());
        QCOMPARE(bold->font().bold(), !boldBefore);
        f()->closeMainWindow();
    }

    // Each caption stands over the controls it names, centred on them.
    void captionsStandOverTheirControls_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        const QList<QStringList> rows = {
            {u"main"_s, u"Группа"_s, u"Gruppa"_s, u"Gruppa"_s},
            {u"main"_s, u"Предмет"_s, u"PredmNaz"_s, u"PredmNaz"_s},
            {u"main"_s, u"Папка"_s, u"PapkaName"_s, u"PapkaName"_s},
            {u"main"_s, u"Семестр"_s, u"Semestr"_s, u"Semestr"_s},
            {u"main"_s, u"Год"_s, u"GodS"_s, u"GodS"_s},
            {u"main"_s, u"Комментарий"_s, u"Komment"_s, u"Komment"_s},
            {u"main"_s, u"Правка"_s, u"RedSpisok"_s, u"BitBtn1"_s},
            {u"main"_s, u"Выбран ученик"_s, u"FIO"_s, u"FIO"_s},
            {u"main"_s, u"Дата"_s, u"DatNTar"_s, u"DatNTar"_s},
            {u"main"_s, u"[----------  Печать -------------- ]"_s, u"Print11"_s, u"Prosmotr"_s},
            {u"main"_s, u"%"_s, u"Uspewa"_s, u"Uspewa"_s},
            {u"catalogue"_s, u"№"_s, u"StrGurn"_s, u"StrGurn"_s},
            {u"catalogue"_s, u"Добавить"_s, u"DobStrNige"_s, u"DobStrNige"_s},
            {u"catalogue"_s, u"Переставить"_s, u"PerStroki"_s, u"PerStroki"_s},
            {u"catalogue"_s, u"Удалить"_s, u"DelStroku"_s, u"DelStroku"_s},
            {u"catalogue"_s, u"Запомнить"_s, u"SaveTab"_s, u"SaveTab"_s},
            {u"catalogue"_s, u"Печать"_s, u"PrintRD"_s, u"PrintRD"_s},
            {u"catalogue"_s, u"Просмотр"_s, u"Prosmotr"_s, u"Prosmotr"_s},
        };
        for (const QStringList &r : rows)
            QTest::newRow(qPrintable(r.at(1))) << r.at(0) << r.at(1) << r.at(2) << r.at(3);
    }
    void captionsStandOverTheirControls()
    {
        QFETCH(QString, window);
        QFETCH(QString, text);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QWidget *w = window == u"main"_s ? static_cast<QWidget *>(f()) : g();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QLabel *label = caption(w, text);
        QVERIFY(label && label->isVisible());
        QWidget *a = ctl<QWidget>(w, first);
        QWidget *b = ctl<QWidget>(w, last);
        const QRect named(screenRect(a).topLeft(), screenRect(b).bottomRight());
        const QRect l = screenRect(label);
        QVERIFY2(l.bottom() < named.top() && named.top() - l.bottom() <= 8, qPrintable(text));
        QVERIFY2(qAbs(l.center().x() - named.center().x()) <= 3, qPrintable(text));
        // The whole caption can be read.
        QVERIFY(l.width() >= label->fontMetrics().horizontalAdvance(text));
    }

    // Showing "−" after a click on an entry moves no other button of the
    // catalogue; its place stays free while it is hidden.
    void catalogueButtonsKeepTheirPlaces()
    {
        g()->show();
        QVERIFY(QTest::qWaitForWindowExposed(g()));
        QWidget *del = ctl<QWidget>(g(), u"DelStroku"_s);
        QVERIFY(del->isHidden());
        QList<QPoint> before;
        const QStringList names{u"Zagruzit"_s, u"StrGurn"_s, u"DobStrNige"_s, u"PerStroki"_s, u"SaveTab"_s, u"PrintRD"_s};
        for (const QString &n : names)
            before << screenRect(ctl<QWidget>(g(), n)).topLeft();
        auto *grid = ctl<GridView>(g(), u"GurSp"_s);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->viewport()->mapFrom(grid, grid->cellRect(1, 2).center()));
        QVERIFY(del->isVisible());
        QCoreApplication::processEvents();
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(screenRect(ctl<QWidget>(g(), names.at(i))).topLeft(), before.at(i));
        QVERIFY(screenRect(del).left() > screenRect(ctl<QWidget>(g(), u"PerStroki"_s)).right());
        QVERIFY(screenRect(del).right() < screenRect(ctl<QWidget>(g(), u"SaveTab"_s)).left());
    }
};

// The windows are laid out on a screen as large as a teacher's, without frames
// of the test platform's own: the test gives the frame margins.
int main(int argc, char *argv[])
{
    QTemporaryFile config(QDir::tempPath() + u"/screen-XXXXXX.json"_s);
    if (!config.open())
        return 2;
    config.write(R"({"windowFrameMargins": false, "screens": [{"name": "teacher", "x": 0, "y": 0,
                    "width": 1600, "height": 1000, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication application(argc, argv);
    TestScreenLayout test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_screenlayout.moc"
