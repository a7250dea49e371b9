#include "fixtureroot.h"

#include "app/tform1.h"
#include "controls/gridmodel.h"
#include "controls/gridview.h"
#include "controls/handler.h"
#include "doubles/typing.h"
#include "themes/ui/ttema.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QStatusBar>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

// The journal window's grids as the teacher works them with the mouse and the
// keyboard: what a keyboard move selects, which marks go when the rows under
// them move, and the sizes the marks are drawn in.
class TestJournalGrid : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    TForm1 *f() const { return running().form1; }
    GridView *journalView() const { return ctl<GridView>(f(), u"SpisokSt"_s); }
    GridView *itogView() const { return ctl<GridView>(f(), u"Itog"_s); }
    QString text(const char *edit) const { return ctl<QLineEdit>(f(), QLatin1String(edit))->text(); }
    void press(const char *button) { QTest::mouseClick(ctl<QAbstractButton>(f(), QLatin1String(button)), Qt::LeftButton); }

    // A mouse click on a cell, on whichever part of the grid shows it.
    static void clickCell(GridView *view, int col, int row)
    {
        const QRect cell = view->cellRect(col, row);
        QVERIFY(!cell.isEmpty());
        QWidget *target = view->childAt(cell.center());
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(view, cell.center()));
    }
    // A student row dragged by its number cell onto another row.
    static void dragRow(GridView *view, int from, int to)
    {
        const QPoint start = view->cellRect(0, from).center();
        const QPoint end = view->cellRect(0, to).center();
        QWidget *target = view->childAt(start);
        QVERIFY(target);
        QTest::mousePress(target, Qt::LeftButton, {}, target->mapFrom(view, start));
        QTest::mouseMove(target, target->mapFrom(view, (start + end) / 2));
        QTest::mouseMove(target, target->mapFrom(view, end));
        QTest::mouseRelease(target, Qt::LeftButton, {}, target->mapFrom(view, end));
    }
    void activate()
    {
        f()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f()));
    }
    static QImage picture(GridView *view) { return view->grab().toImage(); }
    // Consecutive pixels of exactly this colour from `from` on, one step at a time.
    static int run(const QImage &image, QPoint from, QPoint step, const QColor &color)
    {
        int length = 0;
        while (image.rect().contains(from) && image.pixelColor(from) == color) {
            ++length;
            from += step;
        }
        return length;
    }
    // The smallest rectangle holding every pixel that differs between two pictures inside `area`.
    static QRect changedBox(const QImage &before, const QImage &after, const QRect &area)
    {
        QRect box;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (before.pixel(x, y) != after.pixel(x, y))
                    box |= QRect(x, y, 1, 1);
        return box;
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        f()->resize(1200, 700);
        f()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        QTRY_COMPARE(session().journal().colCount(), 5); // the first showing has loaded the journal
        QCOMPARE(m_session->messages.errors(), QStringList());
    }
    void cleanup()
    {
        f()->N1Click();
        m_session.reset();
    }

    // From the cell of the second student's second lesson (column 3, row 5).
    void keyboardMoveSelectsLikeAClick_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("student");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("theme"); // the plan's selected row
        QTest::newRow("down") << int(Qt::Key_Down) << 0 << 3 << 6 << u"Васильев Глеб"_s << u"08.09"_s << u"2"_s;
        QTest::newRow("up") << int(Qt::Key_Up) << 0 << 3 << 4 << u"Андреев Антон"_s << u"08.09"_s << u"2"_s;
        QTest::newRow("right") << int(Qt::Key_Right) << 0 << 4 << 5 << u"Борисова Вера"_s << u"15.09"_s << u"3"_s;
        QTest::newRow("tab") << int(Qt::Key_Tab) << 0 << 4 << 5 << u"Борисова Вера"_s << u"15.09"_s << u"3"_s;
        QTest::newRow("shift tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << 2 << 5 << u"Борисова Вера"_s
                                   << u"01.09"_s << u"1"_s;
        QTest::newRow("home") << int(Qt::Key_Home) << 0 << 2 << 5 << u"Борисова Вера"_s << u"01.09"_s << u"1"_s;
        QTest::newRow("end") << int(Qt::Key_End) << 0 << 4 << 5 << u"Борисова Вера"_s << u"15.09"_s << u"3"_s;
        QTest::newRow("page down") << int(Qt::Key_PageDown) << 0 << 3 << 6 << u"Васильев Глеб"_s << u"08.09"_s << u"2"_s;
        QTest::newRow("page up") << int(Qt::Key_PageUp) << 0 << 3 << 4 << u"Андреев Антон"_s << u"08.09"_s << u"2"_s;
    }
    void keyboardMoveSelectsLikeAClick()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QString, student);
        QFETCH(QString, date);
        QFETCH(QString, theme);
        GridView *view = journalView();
        clickCell(view, 3, 5);
        QCOMPARE(text("NStroki"), u"5"_s);
        QCOMPARE(text("FIO"), u"Борисова Вера"_s);
        const int marks = view->markCount();

        QTest::keyClick(view, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(QPoint(view->currentCol(), view->currentRow()), QPoint(col, row));
        QCOMPARE(text("NStroki"), QString::number(row));
        QCOMPARE(text("NStolbca"), QString::number(col));
        QCOMPARE(text("FIO"), student);
        QCOMPARE(text("DatNTar"), date);
        QCOMPARE(itogView()->currentRow(), row - 3); // the result grid is in journal order
        QCOMPARE(ctl<QLineEdit>(running().tema, u"StrTemi"_s)->text(), theme);
        QVERIFY(view->markCount() >= 2); // the frames of the new cell (scrolling may clear the old ones)
        QVERIFY(view->markCount() >= marks || view->markCount() == 2);

        // The row buttons act on the row the keyboard reached: a student is
        // inserted below it.
        press("PlusStr");
        QCOMPARE(session().journal().rowCount(), 8);
        QCOMPARE(session().journal().cell(1, row), student);
        QCOMPARE(session().journal().cell(1, row + 1), QString());
        // And the dynamics follow the student it reached.
        press("Dinamika");
        QCOMPARE(session().summi().cell(1, 1), student);
        QCOMPARE(m_session->messages.errors(), QStringList());
    }

    void keyThatDoesNotMoveSelectsNothing()
    {
        GridView *view = journalView();
        clickCell(view, 2, 4);
        ctl<QLineEdit>(f(), u"NStroki"_s)->setText(u"6"_s); // shows whether a key selects anything
        QTest::keyClick(view, Qt::Key_Up); // already on the first student
        QTest::keyClick(view, Qt::Key_Left); // already on the first lesson
        QCOMPARE(text("NStroki"), u"6"_s);
    }

    // What is painted, the operation that moves rows, and the grid that carries the marks.
    void marksGoWhenTheirRowsMove_data()
    {
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QString>("operation");
        for (const char *operation : {"drag", "insert", "delete"}) {
            QTest::addRow("current grades, %s", operation) << u"grades"_s << QString::fromLatin1(operation);
            QTest::addRow("frames, %s", operation) << u"frames"_s << QString::fromLatin1(operation);
        }
        QTest::newRow("bar marks, ranking") << u"bars"_s << u"ranking"_s;
        QTest::newRow("column marker, ranking") << u"marker"_s << u"ranking"_s;
        QTest::newRow("bar marks, average student") << u"bars"_s << u"average"_s;
    }
    void marksGoWhenTheirRowsMove()
    {
        QFETCH(QString, marks);
        QFETCH(QString, operation);
        GridView *view = (marks == u"bars"_s || marks == u"marker"_s) ? itogView() : journalView();
        // Sums 20,75, 6 and 11: ranking moves the third student up.
        const QImage clean = picture(view);
        if (marks == u"grades"_s) {
            press("TekOcen");
            QCOMPARE(view->markCount(), 3);
        } else if (marks == u"frames"_s) {
            clickCell(view, 3, 5);
            QCOMPARE(view->markCount(), 2);
        } else if (marks == u"bars"_s) {
            press("Grafik");
            QVERIFY(view->markCount() > 3);
        } else {
            clickCell(view, 2, 1);
            QCOMPARE(view->markCount(), 1);
        }
        QVERIFY(picture(view) != clean);

        ctl<QLineEdit>(f(), u"NStroki"_s)->setText(u"5"_s);
        if (operation == u"drag"_s)
            dragRow(view, 6, 4);
        else if (operation == u"insert"_s)
            press("PlusStr");
        else if (operation == u"delete"_s)
            press("MinusStr");
        else if (operation == u"ranking"_s)
            press("Rang");
        else
            press("SrSt");
        QCOMPARE(m_session->messages.errors(), QStringList());
        QCOMPARE(view->markCount(), 0);
        if (operation == u"drag"_s) {
            QCOMPARE(session().journal().cell(1, 4), u"Васильев Глеб"_s);
            QCOMPARE(session().journal().cell(0, 4), u"1"_s);
        }
        // Nothing of the marks is left on the screen: no cell is filled in the
        // grade colour, no pixel is in the frame or bar colour.
        const QImage after = picture(view);
        for (int y = 0; y < after.height(); ++y) {
            for (int x = 0; x < after.width(); ++x) {
                const QColor c = after.pixelColor(x, y);
                QVERIFY2(c != QColor(204, 255, 255) && c != QColor(0, 0, 255) && c != QColor(255, 0, 0),
                         qPrintable(u"(%1, %2) %3"_s.arg(x).arg(y).arg(c.name())));
            }
        }
    }

    // After a drag the row buttons act on the dragged student; every deletion
    // asks first, naming what goes, and "Нет" deletes nothing.
    void dragCarriesTheSelectionAndDeletionsAsk_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("question");
        QTest::newRow("student") << u"MinusStr"_s << u"Удалить ученика «Васильев Глеб»?"_s;
        QTest::newRow("students below") << u"DelStroki"_s << u"Удалить 2 учеников?"_s;
        QTest::newRow("lesson") << u"MinusStolb"_s << u"Удалить урок 2 от «08.09»?"_s;
        QTest::newRow("lessons right") << u"DelStolbi"_s << u"Удалить 1 урок?"_s;
    }
    void dragCarriesTheSelectionAndDeletionsAsk()
    {
        QFETCH(QString, button);
        clickCell(journalView(), 3, 5);
        dragRow(journalView(), 6, 4);
        QCOMPARE(session().journal().cell(1, 4), u"Васильев Глеб"_s);
        QCOMPARE(text("NStroki"), u"4"_s);
        QCOMPARE(text("FIO"), u"Васильев Глеб"_s);
        const Grid before = session().journal();
        m_session->messages.answers = {false};
        press(button.toLatin1().constData());
        QCOMPARE(m_session->messages.shown.size(), 1);
        QTEST(m_session->messages.shown.first().text, "question");
        QCOMPARE(session().journal().rowCount(), before.rowCount());
        QCOMPARE(session().journal().colCount(), before.colCount());
        m_session->messages.answers = {true};
        press(button.toLatin1().constData());
        if (button == u"MinusStr"_s) {
            QCOMPARE(session().journal().rowCount(), before.rowCount() - 1);
            for (int r = 4; r < session().journal().rowCount(); ++r)
                QVERIFY(session().journal().cell(1, r) != u"Васильев Глеб"_s);
        }
        QCOMPARE(m_session->messages.errors(), QStringList());
    }

    // A score typed that the results leave out shows so, with the reason as
    // its hint, and the status bar of the recalculation counts such cells (the
    // fixture's "н" of the second student is one).
    void leftOutScoresSayWhy_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("red");
        QTest::addColumn<bool>("grey");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("status");
        const QString notNumber = u"не число: не учитывается в рейтинге"_s;
        QTest::newRow("point") << u"4.5"_s << true << false << notNumber << u"Не учтено в итогах: 2 ячейки (не числа и «н»)"_s;
        QTest::newRow("letters") << u"abc"_s << true << false << notNumber << u"Не учтено в итогах: 2 ячейки (не числа и «н»)"_s;
        QTest::newRow("н") << u"н"_s << false << true << u"«н» не учитывается в рейтинге: пропуском считается пустая ячейка"_s
                           << u"Не учтено в итогах: 2 ячейки (не числа и «н»)"_s;
        QTest::newRow("score") << u"4,5"_s << false << false << QString() << u"Не учтено в итогах: 1 ячейка (не числа и «н»)"_s;
    }
    void leftOutScoresSayWhy()
    {
        QFETCH(QString, typed);
        QFETCH(bool, red);
        QFETCH(bool, grey);
        QFETCH(QString, hint);
        QFETCH(QString, status);
        activate();
        GridView *view = journalView();
        clickCell(view, 3, 5); // the second student's empty second lesson
        typeText(view, typed.left(1));
        auto *editor = view->findChild<QLineEdit *>();
        QVERIFY(editor);
        typeText(editor, typed.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(session().journal().cell(3, 5), typed);
        const QModelIndex cell = view->model()->index(5, 3);
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(), hint);
        QCOMPARE(cell.data(Qt::BackgroundRole).value<QBrush>().color() == QColor(Qt::white), !red);
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color() == QColor(Qt::black), !grey);
        // As drawn: the ground of the cell away from its text.
        const QRect rect = view->cellRect(3, 5);
        const QColor ground = picture(view).pixelColor(rect.right() - 3, rect.top() + 2);
        QCOMPARE(ground == QColor(Qt::white), !red);
        press("Peres4et");
        QCOMPARE(ctl<QStatusBar>(f(), u"StatusBar"_s)->currentMessage(), status);
        QCOMPARE(m_session->messages.errors(), QStringList());
    }

    // Clicks and keys select one student after the other: only the frames of
    // the last selection stay, beside the grade marks.
    void selectionFramesDoNotPileUp()
    {
        GridView *view = journalView();
        press("TekOcen");
        QCOMPARE(view->markCount(), 3);
        clickCell(view, 3, 5);
        QCOMPARE(view->markCount(), 5);
        clickCell(view, 2, 4);
        clickCell(view, 4, 6);
        QTest::keyClick(view, Qt::Key_Up);
        QTest::keyClick(view, Qt::Key_Left);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(view->markCount(), 5);
        QCOMPARE(text("NStroki"), u"6"_s);
    }

    // The sum column "Σ→" adds and the average student's row show their
    // numbers whole.
    void sumsShowWhole()
    {
        GridView *view = journalView();
        press("CopyStolb");
        press("SrSt");
        refreshAllGrids();
        QApplication::processEvents();
        const int sumCol = session().journal().colCount() - 1;
        QCOMPARE(session().journal().cell(sumCol, 2), u"Су"_s);
        GridModel *journal = view->gridModel();
        QCOMPARE(session().journal().cell(sumCol, 4), u"20,75"_s);
        QVERIFY(view->cellRect(sumCol, 4).width() > session().journal().colWidth(sumCol)); // widened for it
        for (int r = 4; r < session().journal().rowCount(); ++r) {
            const QString sum = session().journal().cell(sumCol, r);
            QVERIFY2(journal->fits(sum, view->cellRect(sumCol, r).width()), qPrintable(sum));
        }
        GridModel *itog = itogView()->gridModel();
        const int average = session().itog().rowCount() - 1;
        for (int c = 2; c < session().itog().colCount(); ++c) {
            const QString shown = session().itog().cell(c, average);
            QVERIFY2(itog->fits(shown, itogView()->cellRect(c, average).width()), qPrintable(shown));
        }
        QCOMPARE(m_session->messages.errors(), QStringList());
    }

    // A new student's name goes straight into his empty name cell, by a double
    // click or by F2 after a click; a filled name cell stays fixed.
    void newStudentsNameTypedInPlace_data()
    {
        QTest::addColumn<bool>("byF2");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("edits");
        QTest::newRow("double click") << false << 7 << true;
        QTest::newRow("F2") << true << 7 << true;
        QTest::newRow("filled name") << false << 6 << false;
    }
    void newStudentsNameTypedInPlace()
    {
        QFETCH(bool, byF2);
        QFETCH(int, row);
        QFETCH(bool, edits);
        activate();
        GridView *view = journalView();
        clickCell(view, 2, 6);
        press("PlusStr");
        QCOMPARE(session().journal().rowCount(), 8);
        const QPoint center = view->cellRect(1, row).center();
        QWidget *target = view->childAt(center);
        QVERIFY(target);
        if (byF2) {
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(view, center));
            QTest::keyClick(view, Qt::Key_F2);
        } else {
            QTest::mouseDClick(target, Qt::LeftButton, {}, target->mapFrom(view, center));
        }
        auto *editor = view->findChild<QLineEdit *>();
        QCOMPARE(editor != nullptr, edits);
        if (!edits)
            return;
        typeText(editor, u"Гусев Денис"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(session().journal().cell(1, 7), u"Гусев Денис"_s);
        QCOMPARE(session().journal().cell(0, 7), u"4"_s);
        QCOMPARE(m_session->messages.errors(), QStringList());
    }

    void marksStayWhileTheirRowsStay()
    {
        // A recalculation rewrites the result grid, not the journal: the
        // journal's grades and frames stay, as does a scroll-free key press.
        press("TekOcen");
        QCOMPARE(journalView()->markCount(), 3);
        press("Peres4et");
        QCOMPARE(journalView()->markCount(), 3);
        press("Dinamika");
        QCOMPARE(journalView()->markCount(), 3);
    }

    void journalFramesHaveTheirSizes()
    {
        GridView *view = journalView();
        clickCell(view, 3, 5);
        const QImage image = picture(view);
        const QColor blue(0, 0, 255);
        const int v = view->visibleRows();
        const int w = view->visibleCols();
        QCOMPARE(v, 3);
        QCOMPARE(w, 3);
        // Around the column: 20 pixels wide, from 1 pixel below the caption
        // cell's top to 84 + 18 per visible row below it.
        const QRect caption = view->cellRect(3, 0);
        const QPoint colCorner = caption.topLeft() + QPoint(1, 1);
        QCOMPARE(run(image, colCorner, QPoint(1, 0), blue), 20);
        QCOMPARE(run(image, colCorner + QPoint(19, 0), QPoint(0, 1), blue), 83 + 18 * v);
        QCOMPARE(run(image, colCorner + QPoint(0, 82 + 18 * v), QPoint(1, 0), blue), 20);
        // Around the row: 177 + 30 per visible column wide, 15 high.
        const QPoint rowCorner = view->cellRect(0, 5).topLeft() + QPoint(1, 1);
        QCOMPARE(run(image, rowCorner, QPoint(1, 0), blue), 177 + 30 * w);
        QCOMPARE(run(image, rowCorner, QPoint(0, 1), blue), 15);
        QCOMPARE(run(image, rowCorner + QPoint(176 + 30 * w, 0), QPoint(0, 1), blue), 15);
        QCOMPARE(image.pixelColor(rowCorner + QPoint(177 + 30 * w, 0)) == blue, false);
    }

    void resultMarksHaveTheirSizes()
    {
        GridView *view = itogView();
        // The column marker: 20 pixels wide, 83 + 18 per visible row high.
        clickCell(view, 4, 2);
        const QImage marked = picture(view);
        const QColor red(255, 0, 0);
        const int v = view->visibleRows();
        QCOMPARE(v, 3);
        const QPoint corner = view->cellRect(4, 0).topLeft() + QPoint(1, 1);
        QCOMPARE(run(marked, corner, QPoint(1, 0), red), 20);
        QCOMPARE(run(marked, corner, QPoint(0, 1), red), 83 + 18 * v);
        QCOMPARE(run(marked, corner + QPoint(19, 0), QPoint(0, 1), red), 83 + 18 * v);
        QCOMPARE(marked.pixelColor(corner + QPoint(20, 5)) == red, false);

        // The bar marks: 12 × 4, 10 pixels apart, along the bottom of the name
        // cell, as many as the ten-point grade: n marks cover 10 (n - 1) + 12 × 4.
        press("Obnovit"); // the journal repaint; the result grid keeps its marker
        view->clearMarks();
        const QImage clean = picture(view);
        press("Grafik");
        const QImage bars = picture(view);
        for (int k = 1; k <= 3; ++k) {
            const int n = session().itog().cell(4, k).trimmed().toInt();
            const QRect name = view->cellRect(1, k);
            const QRect box = changedBox(clean, bars, name);
            QVERIFY2(n > 0, qPrintable(session().itog().cell(4, k)));
            QCOMPARE(box, QRect(name.left() + 1, name.top() + 14, 10 * (n - 1) + 12, 4));
        }
    }
};

QTEST_MAIN(TestJournalGrid)
#include "test_journalgrid.moc"
