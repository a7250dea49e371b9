#include "fixtureroot.h"

#include "access/ui/tparoli1.h"
#include "access/ui/tzapusk.h"
#include "app/tform1.h"
#include "controls/gridview.h"
#include "controls/helpviewer.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/resultgrids.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTextBrowser>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

// The program used from the keyboard alone: the menu, the shortcuts and the
// Tab order of every window, on the fixture's journal.
class TestKeyboard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    TForm1 *f() const { return running().form1; }
    QMenuBar *menuBar() const { return ctl<QMenuBar>(f(), u"MainMenu"_s); }

    void showActive(QWidget *window)
    {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    QWidget *windowNamed(const QString &name) const
    {
        if (name == u"main"_s)
            return f();
        if (name == u"plan"_s)
            return running().tema;
        if (name == u"catalogue"_s)
            return running().gurnali;
        if (name == u"scale"_s)
            return running().procent;
        if (name == u"login"_s)
            return running().zapusk;
        if (name == u"access"_s)
            return running().paroli;
        return running().stolbItogo;
    }
    // Presses Tab from the first control until the keyboard comes back to it;
    // a grid keeps it while Tab walks its cells. The controls in the order reached.
    static QStringList tabWalk(QWidget *first)
    {
        first->setFocus(Qt::TabFocusReason);
        QStringList walk{first->objectName()};
        QWidget *last = first;
        for (int press = 0; press < 400; ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget *now = QApplication::focusWidget();
            if (!now || (now == first && last != first))
                break;
            if (now != last)
                walk << now->objectName();
            last = now;
        }
        return walk;
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        f()->FormShow();
        QCOMPARE(m_session->messages.errors(), QStringList());
    }
    void cleanup() { m_session.reset(); }

    // Every menu caption keeps its text and has its own underlined letter.
    void menuCaptionsHaveMnemonics()
    {
        QList<QList<QAction *>> menus{menuBar()->actions(), menuBar()->findChild<QMenu *>(u"N9Menu"_s)->actions(),
                                      menuBar()->findChild<QMenu *>(u"PravkaMenu"_s)->actions()};
        QCOMPARE(menus.at(0).size(), 7);
        QCOMPARE(menus.at(1).size(), 5);
        QCOMPARE(menus.at(2).size(), 4);
        for (const QList<QAction *> &items : menus) {
            QSet<QKeySequence> keys;
            for (QAction *a : items) {
                const QKeySequence key = QKeySequence::mnemonic(a->text());
                QVERIFY2(!key.isEmpty(), qPrintable(a->objectName()));
                QVERIFY2(!keys.contains(key), qPrintable(a->objectName()));
                keys.insert(key);
                QCOMPARE(a->text().count(u'&'), 1);
            }
        }
    }

    // Alt with the underlined letter runs the item: "Темы" shows the plan.
    void altWithTheLetterRunsTheItem()
    {
        showActive(f());
        running().tema->hide();
        QTest::sendKeyEvent(QTest::Press, QApplication::focusWidget(), Qt::Key(u'Т'), u"т"_s, Qt::AltModifier);
        QTest::sendKeyEvent(QTest::Release, QApplication::focusWidget(), Qt::Key(u'Т'), u"т"_s, Qt::AltModifier);
        QTRY_VERIFY(running().tema->isVisible());
    }

    // With the Latin layout Alt gives the Latin letter on the key of the
    // Russian one: Alt+N ("т") shows the plan, Alt+C ("с") opens "Сервис",
    // where the same key alone runs "Сайт автора".
    void latinLayoutKeysOpenTheMenu()
    {
        showActive(f());
        running().tema->hide();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
        QTRY_VERIFY(running().tema->isVisible());
        showActive(f());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        auto *service = menuBar()->findChild<QMenu *>(u"N9Menu"_s);
        QTRY_VERIFY(service->isVisible());
        QTest::keyClick(service, Qt::Key_C, Qt::NoModifier);
        QTRY_COMPARE(m_session->platform.addresses.size(), 1);
        QVERIFY(!service->isVisible());
    }

    // After a journal opens the keyboard is in its first score cell; digits
    // and Enter fill the first lesson's column student by student.
    void typingStartsInTheFirstScoreCell()
    {
        showActive(f());
        f()->FormShow(); // a journal load, as at the first showing
        auto *grid = ctl<GridView>(f(), u"SpisokSt"_s);
        QCOMPARE(QApplication::focusWidget(), grid);
        QCOMPARE(QPoint(grid->currentCol(), grid->currentRow()), QPoint(2, 4));
        for (const QString &score : {u"2"_s, u"4"_s}) {
            QTest::keyClicks(QApplication::focusWidget(), score);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        }
        QCOMPARE(session().journal().cell(2, 4), u"2"_s);
        QCOMPARE(session().journal().cell(2, 5), u"4"_s);
        QCOMPARE(ctl<QLineEdit>(f(), u"FIO"_s)->text(), u"Васильев Глеб"_s); // the student Enter reached
    }

    // The row and column buttons from the keyboard, their keys in their hints.
    void rowAndColumnKeys_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QSize>("size"); // columns and rows after the key
        QTest::newRow("row in") << u"PlusStr"_s << int(Qt::Key_Insert) << int(Qt::ControlModifier) << u"Ctrl+Ins"_s << QSize(5, 8);
        QTest::newRow("row out") << u"MinusStr"_s << int(Qt::Key_Delete) << int(Qt::ControlModifier) << u"Ctrl+Del"_s << QSize(5, 6);
        QTest::newRow("column in") << u"PlusStolb"_s << int(Qt::Key_Insert) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                   << u"Ctrl+Shift+Ins"_s << QSize(6, 7);
        QTest::newRow("column out") << u"MinusStolb"_s << int(Qt::Key_Delete) << int(Qt::ControlModifier | Qt::ShiftModifier)
                                    << u"Ctrl+Shift+Del"_s << QSize(4, 7);
    }
    void rowAndColumnKeys()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, shown);
        QFETCH(QSize, size);
        showActive(f());
        auto *grid = ctl<GridView>(f(), u"SpisokSt"_s);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down); // the second student, second lesson column: selected
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(QSize(session().journal().colCount(), session().journal().rowCount()), size); // the button is pressed
        QVERIFY(ctl<QAbstractButton>(f(), button)->toolTip().endsWith(u" ("_s + shown + u')'));
    }

    // Right after a load the cursor stands on the first score while the
    // selection edits still hold "1": the keys act where the cursor is.
    void rowKeysActWhereTheCursorIs()
    {
        showActive(f());
        f()->FormShow();
        auto *grid = ctl<GridView>(f(), u"SpisokSt"_s);
        const Grid before = session().journal();
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        const Grid &j = session().journal();
        QTRY_COMPARE(j.rowCount(), before.rowCount() - 1);
        QCOMPARE(j.cell(2, 1), before.cell(2, 1)); // the date row stays
        QCOMPARE(j.cell(1, 4), before.cell(1, 5)); // the first student went
        QCOMPARE(ctl<QLineEdit>(f(), u"NStroki"_s)->text(), u"4"_s);
    }

    // Alt+Up and Alt+Down move the selected student; the selection and the
    // numbers stay with him.
    void altArrowsMoveTheStudent()
    {
        showActive(f());
        auto *grid = ctl<GridView>(f(), u"SpisokSt"_s);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Down); // Борисова Вера, row 5
        const Grid &j = session().journal();
        const Grid before = j;
        QTest::keyClick(grid, Qt::Key_Up, Qt::AltModifier);
        QCOMPARE(j.cell(1, 4), u"Борисова Вера"_s);
        QCOMPARE(j.cell(3, 4), QString()); // her scores came with her
        QCOMPARE(j.cell(1, 5), u"Андреев Антон"_s);
        QCOMPARE(ctl<QLineEdit>(f(), u"NStroki"_s)->text(), u"4"_s);
        QCOMPARE(grid->currentRow(), 4);
        QTest::keyClick(grid, Qt::Key_Up, Qt::AltModifier); // the first stays first
        QCOMPARE(j.cell(1, 4), u"Борисова Вера"_s);
        QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier);
        QCOMPARE(j.cell(1, 6), u"Борисова Вера"_s);
        QCOMPARE(j.cell(1, 5), u"Васильев Глеб"_s);
        QCOMPARE(ctl<QLineEdit>(f(), u"FIO"_s)->text(), u"Борисова Вера"_s);
        QCOMPARE(grid->currentRow(), 6);
        QTest::keyClick(grid, Qt::Key_Down, Qt::AltModifier); // the last stays last
        QCOMPARE(j.cell(1, 6), u"Борисова Вера"_s);
        QCOMPARE(QStringList({j.cell(0, 4), j.cell(0, 5), j.cell(0, 6)}), QStringList({u"1"_s, u"2"_s, u"3"_s}));
        QVERIFY(grid->toolTip().contains(u"Alt+Up"_s));
        // Each move is one undo step; the moves that could not be made are none.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(grid, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(j == before);
    }

    // A lone Alt or F10 puts the keyboard on the menu bar, at "Журнал"; the
    // arrows walk the bar, Enter runs the item.
    void altAndF10ReachTheMenu_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Alt") << int(Qt::Key_Alt) << int(Qt::AltModifier);
        QTest::newRow("F10") << int(Qt::Key_F10) << int(Qt::NoModifier);
    }
    void altAndF10ReachTheMenu()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        showActive(f());
        running().tema->hide();
        auto *gruppa = ctl<QLineEdit>(f(), u"Gruppa"_s);
        gruppa->setFocus();
        QTest::keyClick(gruppa, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(menuBar()->activeAction(), f()->findChild<QAction *>(u"N10"_s));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(menuBar()->activeAction(), f()->findChild<QAction *>(u"Pravka"_s));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
        QCOMPARE(menuBar()->activeAction(), f()->findChild<QAction *>(u"N6"_s));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(running().tema->isVisible());
    }

    // Ctrl+S saves the journal with its edits, from the journal window and
    // from the plan window beside it.
    void ctrlSSavesTheJournal_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("grid");
        QTest::newRow("journal window") << u"main"_s << u"SpisokSt"_s;
        QTest::newRow("plan window") << u"plan"_s << u"TemiSpisok"_s;
    }
    void ctrlSSavesTheJournal()
    {
        QFETCH(QString, window);
        QFETCH(QString, grid);
        showActive(f());
        QWidget *w = windowNamed(window);
        showActive(w);
        session().journal().setCell(3, 5, u"7,25"_s);
        const QByteArray before = m_session->root.bytes(u"G1/Inf/SpStud.txt"_s);
        auto *view = ctl<GridView>(w, grid);
        view->setFocus();
        QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(m_session->root.bytes(u"G1/Inf/SpStud.txt"_s) != before); // the button is seen pressed first
        const QByteArray after = m_session->root.bytes(u"G1/Inf/SpStud.txt"_s);
        QVERIFY(!before.contains("7,25") && after.contains("\r\n7,25\r\n"));
        QCOMPARE(m_session->messages.errors(), QStringList());
    }

    // In the catalogue and the scale windows Ctrl+S saves what they show.
    void ctrlSSavesTheCatalogueAndTheScale_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("file");
        QTest::newRow("catalogue") << u"catalogue"_s << u"GurSp"_s << u"Baza/Gurnali.txt"_s;
        QTest::newRow("scale") << u"scale"_s << u"PaytProc"_s << u"Baza/Pasport.txt"_s;
    }
    void ctrlSSavesTheCatalogueAndTheScale()
    {
        QFETCH(QString, window);
        QFETCH(QString, edit);
        QFETCH(QString, file);
        QWidget *w = windowNamed(window);
        showActive(w);
        if (auto *line = ctl<QLineEdit>(w, edit)) {
            line->selectAll();
            QTest::keyClicks(line, u"93"_s);
        } else {
            session().catalogue().setCell(7, 2, u"93"_s);
        }
        const QByteArray before = m_session->root.bytes(file);
        QVERIFY(!before.contains("93"));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w, Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(m_session->root.bytes(file).contains("\r\n93\r\n"));
    }

    // F1 opens the program's help viewer at the page of the window it is
    // pressed in; a link of the page leads to another page, and the buttons
    // back and forward again. Nothing outside the program is asked for.
    void f1OpensTheWindowsHelpPage_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("page");
        QTest::newRow("main") << u"main"_s << u"zhurnal.html"_s;
        QTest::newRow("plan") << u"plan"_s << u"temy.html"_s;
        QTest::newRow("catalogue") << u"catalogue"_s << u"katalog.html"_s;
        QTest::newRow("scale") << u"scale"_s << u"reiting.html#shkala"_s;
        QTest::newRow("dynamics") << u"dynamics"_s << u"reiting.html#dinamika"_s;
        QTest::newRow("login") << u"login"_s << u"vhod.html"_s;
        QTest::newRow("access") << u"access"_s << u"vhod.html#dostup"_s;
    }
    void f1OpensTheWindowsHelpPage()
    {
        QFETCH(QString, window);
        QFETCH(QString, page);
        QWidget *w = windowNamed(window);
        showActive(w);
        QWidget *focus = QApplication::focusWidget() && QApplication::focusWidget()->window() == w ? QApplication::focusWidget() : w;
        QTest::keyClick(focus, Qt::Key_F1);
        auto *viewer = w->findChild<HelpViewer *>(u"HelpViewer"_s);
        QVERIFY(viewer && viewer->isVisible());
        const QUrl shown = viewer->source();
        QCOMPARE(shown.fileName() + (shown.hasFragment() ? u'#' + shown.fragment() : QString()), page);
        QVERIFY(viewer->windowTitle().endsWith(u" — Журналы успеваемости"_s));
        auto *browser = viewer->findChild<QTextBrowser *>(u"Stranica"_s);
        // A page's part is scrolled into view.
        if (shown.hasFragment())
            QTRY_VERIFY(browser->verticalScrollBar()->value() > 0);

        // The page's menu link "Отчёты", clicked.
        browser->verticalScrollBar()->setValue(0);
        const QTextCursor link = browser->document()->find(u"Отчёты"_s);
        QVERIFY(!link.isNull());
        QTextCursor inside(browser->document());
        inside.setPosition(link.selectionStart() + 2);
        const QRect r = browser->cursorRect(inside);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, r.center());
        QTRY_COMPARE(viewer->source().fileName(), u"otchety.html"_s);
        QCOMPARE(viewer->windowTitle(), u"Отчёты — Журналы успеваемости"_s);
        auto *back = ctl<QAbstractButton>(viewer, u"Nazad"_s);
        auto *forward = ctl<QAbstractButton>(viewer, u"Vpered"_s);
        QCOMPARE(back->toolTip(), u"Назад"_s);
        QCOMPARE(forward->toolTip(), u"Вперёд"_s);
        QVERIFY(back->isEnabled() && !forward->isEnabled());
        QTest::mouseClick(back, Qt::LeftButton);
        QCOMPARE(viewer->source().fileName(), shown.fileName());
        QVERIFY(forward->isEnabled());
        QTest::mouseClick(forward, Qt::LeftButton);
        QCOMPARE(viewer->source().fileName(), u"otchety.html"_s);
        QCOMPARE(m_session->platform.opened, QStringList());
        QCOMPARE(m_session->messages.errors(), QStringList());
        viewer->close();
    }

    // F9 recalculates, Ctrl+O opens the catalogue; the shortcuts are shown
    // in the hints.
    void commandShortcuts()
    {
        showActive(f());
        QWidget *focus = ctl<QLineEdit>(f(), u"FIO"_s);
        focus->setFocus();
        QVERIFY(f()->findChild<QAction *>(u"N4"_s)->statusTip().contains(u"F1"_s));

        const QString sumBefore = session().itog().cell(ResultGrids::SumCol, 1);
        session().journal().setCell(2, 4, u"1"_s); // first student, first lesson of weight 2: 5 becomes 1
        QTest::keyClick(focus, Qt::Key_F9);
        QTRY_VERIFY(session().itog().cell(ResultGrids::SumCol, 1) != sumBefore);
        QVERIFY(ctl<QAbstractButton>(f(), u"Peres4et"_s)->toolTip().contains(u"F9"_s));

        bool catalogueShown = false;
        QTimer::singleShot(0, running().gurnali, [&catalogueShown] {
            catalogueShown = running().gurnali->isVisible();
            running().gurnali->reject();
        });
        QTest::keyClick(focus, Qt::Key_O, Qt::ControlModifier);
        QVERIFY(catalogueShown);
        QVERIFY(f()->findChild<QAction *>(u"N10"_s)->statusTip().contains(u"Ctrl+O"_s));
    }

    // Tab walks every window's controls in reading order: left to right along
    // a row, row after row, group after group.
    void tabFollowsReadingOrder_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("main") << u"main"_s
                              << QStringList{u"SaveTab"_s,   u"Gruppa"_s,    u"PredmNaz"_s,  u"PapkaName"_s,  u"Semestr"_s,  u"GodS"_s,
                                             u"Komment"_s,   u"Uspev"_s,     u"Uspewa"_s,    u"Ka4"_s,        u"Obu4"_s,     u"SpisokSt"_s,
                                             u"NStroki"_s,   u"PlusStr"_s,   u"MinusStr"_s,  u"DelStroki"_s,  u"NStolbca"_s, u"PlusStolb"_s,
                                             u"MinusStolb"_s, u"DelStolbi"_s, u"RedSpisok"_s, u"GirOb"_s,      u"BitBtn1"_s,  u"FIO"_s,
                                             u"DatNTar"_s,   u"TekOcen"_s,   u"Print11"_s,   u"Bilet"_s,      u"TemiFakt"_s, u"Prosmotr"_s, u"Obnovit"_s,
                                             u"Dinamika"_s,  u"Provodnik"_s, u"Itog"_s,      u"Peres4et"_s,   u"Rang"_s,     u"Grafik"_s,
                                             u"PrintRD"_s,   u"CopyStolb"_s, u"SrSt"_s};
        QTest::newRow("plan") << u"plan"_s
                              << QStringList{u"TemiSpisok"_s, u"Redaktir"_s,  u"GirOb"_s,     u"StrTemi"_s, u"DobStrNige"_s,
                                             u"PerStroki"_s,  u"DelStroku"_s, u"DelStroki"_s, u"PrintRD"_s, u"Prosmotr"_s};
        QTest::newRow("catalogue") << u"catalogue"_s
                                   << QStringList{u"GurSp"_s,      u"Zagruzit"_s,  u"Redaktir"_s, u"GirOb"_s,
                                                  u"StrGurn"_s,    u"DobStrNige"_s, u"PerStroki"_s, u"SaveTab"_s, u"PrintRD"_s, u"Prosmotr"_s};
        QTest::newRow("scale") << u"scale"_s << QStringList{u"PaytProc"_s, u"ChetProc"_s, u"TriProc"_s, u"SaveTab"_s};
    }
    void tabFollowsReadingOrder()
    {
        QFETCH(QString, window);
        QFETCH(QStringList, order);
        QWidget *w = windowNamed(window);
        showActive(w);
        const QStringList walk = tabWalk(ctl<QWidget>(w, order.first()));
        QCOMPARE(walk, order);
        // Along a row of controls that share a group, each stands right of the one before.
        for (int i = 1; i < walk.size(); ++i) {
            QWidget *a = ctl<QWidget>(w, walk.at(i - 1));
            QWidget *b = ctl<QWidget>(w, walk.at(i));
            const QRect ra(a->mapTo(w, QPoint(0, 0)), a->size());
            const QRect rb(b->mapTo(w, QPoint(0, 0)), b->size());
            const bool sameRow = ra.top() < rb.bottom() && rb.top() < ra.bottom() && a->parentWidget() == b->parentWidget();
            if (sameRow)
                QVERIFY2(rb.left() > ra.left(), qPrintable(walk.at(i - 1) + u" → "_s + walk.at(i)));
        }
    }

    // Shift+Tab walks back out of a grid from its first cell.
    void shiftTabLeavesTheGridBackwards()
    {
        showActive(f());
        auto *grid = ctl<GridView>(f(), u"Itog"_s);
        grid->setFocus(Qt::TabFocusReason);
        grid->setCurrentIndex(grid->model()->index(1, 1));
        for (int press = 0; press < 100 && grid->hasFocus(); ++press)
            QTest::keyClick(grid, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), u"Provodnik"_s);
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
