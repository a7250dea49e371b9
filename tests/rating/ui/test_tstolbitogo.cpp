#include "controls/gridview.h"
#include "journal/grid.h"
#include "rating/resultgrids.h"
#include "rating/ui/tstolbitogo.h"

#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>
#include <QtTest>

using namespace Qt::StringLiterals;

// The dynamics window built alone: whatever numbers and names the dynamics
// grid holds, each shows whole in its cell.
class TestTStolbItogo : public QObject
{
    Q_OBJECT

private:
    // The tool tip a hover over a cell shows (a cut text shows itself there).
    static QString toolTipOver(GridView *view, int col, int row)
    {
        QToolTip::hideText();
        const QPoint pos = view->cellRect(col, row).center();
        QWidget *target = view->childAt(pos);
        if (!target)
            return u"<no cell>"_s;
        const QPoint local = target->mapFrom(view, pos);
        QHelpEvent help(QEvent::ToolTip, local, target->mapToGlobal(local));
        QApplication::sendEvent(target, &help);
        const QString tip = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return tip;
    }
    // Every text of the grid that its cell cuts short.
    static QStringList cutTexts(GridView *view, const Grid &grid)
    {
        QStringList cut;
        for (int c = 0; c < grid.colCount(); ++c) {
            for (int r = 0; r < grid.rowCount(); ++r) {
                const QString &text = grid.cell(c, r);
                if (!text.isEmpty() && toolTipOver(view, c, r) == text)
                    cut << text;
            }
        }
        return cut;
    }

private Q_SLOTS:
    void numbersShowWhole_data()
    {
        QTest::addColumn<QStringList>("values"); // rows 1 to 7 of one lesson column
        QTest::addColumn<bool>("filledWhileHidden"); // the recalculation ran before the window was shown
        const QStringList accumulated{u"12,5"_s, u"8,3"_s, u"118,25"_s, u"82,3077"_s, u"10"_s, u"0"_s, u"10"_s};
        QTest::newRow("short") << QStringList{u"5"_s, u"4,5"_s, u"10"_s, u"9,5"_s, u"5"_s, u"2"_s, u"3"_s} << false;
        QTest::newRow("accumulated") << accumulated << false;
        QTest::newRow("accumulated, then shown") << accumulated << true;
        QTest::newRow("big and negative") << QStringList{u"-1234,5678"_s, u"99999,9999"_s, u"-8,6154"_s, u"1"_s,
                                                         u"123456789"_s, u"0,0001"_s, u"7"_s} << false;
    }
    void numbersShowWhole()
    {
        QFETCH(QStringList, values);
        QFETCH(bool, filledWhileHidden);
        Grid summi = ResultGrids::makeSummi();
        summi.setColCount(6);
        ResultGrids::writeSummiLabels(summi);
        summi.setCell(1, 1, u"Константинопольская Александра"_s);
        summi.setCell(1, 3, u"Константинопольская Александра нак."_s);
        const Grid widths = summi;
        TStolbItogo window(summi);
        window.resize(677, 182);
        auto *view = window.findChild<GridView *>(u"Summi"_s);
        QVERIFY(view);
        if (!filledWhileHidden) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            // The test screen is narrow: the window placed beside the plan is
            // given back its own width.
            window.resize(677, 182);
        }

        // The grid as the recalculation and the dynamics leave it: the numbers
        // come after the window was built.
        for (int c = 2; c < 6; ++c)
            for (int r = 1; r < 8; ++r)
                summi.setCell(c, r, values.at(r - 1));
        view->refresh();
        if (filledWhileHidden) {
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.resize(677, 182);
        }
        const QStringList cut = cutTexts(view, summi);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u" | "_s)));
        // The columns are only widened: the grid keeps the widths the journal gave it.
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(summi.colWidth(c), widths.colWidth(c));
            QVERIFY(view->cellRect(c, 0).width() >= widths.colWidth(c));
        }
        // A short text leaves its column as narrow as the journal's.
        if (values.first() == u"5"_s)
            QCOMPARE(view->cellRect(2, 0).width(), summi.colWidth(2));
    }
};

QTEST_MAIN(TestTStolbItogo)
#include "test_tstolbitogo.moc"
