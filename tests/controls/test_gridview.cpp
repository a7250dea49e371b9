#include "controls/gridview.h"
#include "controls/gridmodel.h"
#include "doubles/typing.h"
#include "journal/grid.h"
#include "journal/gridops.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QClipboard>
#include <QHelpEvent>
#include <QToolTip>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

Grid numberedGrid(int cols, int rows, int fixedCols, int fixedRows)
{
    Grid g(cols, rows, fixedCols, fixedRows, 30);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            g.setCell(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
    return g;
}

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &local, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(local), QPointF(w->mapToGlobal(local)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Presses at `from` and releases at `to` (view coordinates) on the widget under `from`.
void drag(GridView &view, const QPoint &from, const QPoint &to)
{
    QWidget *target = view.childAt(from);
    QVERIFY(target);
    sendMouse(target, QEvent::MouseButtonPress, target->mapFrom(&view, from), Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, target->mapFrom(&view, (from + to) / 2), Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, target->mapFrom(&view, to), Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, target->mapFrom(&view, to), Qt::NoButton);
}

QLineEdit *openEditorByTyping(GridView &view, const QString &text)
{
    typeText(&view, text.left(1));
    auto *editor = view.findChild<QLineEdit *>();
    if (editor && text.size() > 1)
        typeText(editor, text.mid(1));
    return editor;
}

// The rightmost pixel of text ink (dark) in an area of a picture; -1 for none.
int inkRight(const QImage &image, const QRect &area)
{
    int right = -1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).lightness() < 100)
                right = std::max(right, x);
    return right;
}

// The tool tip a hover over a point of the view shows (empty for none).
QString toolTipAt(GridView &view, const QPoint &pos)
{
    QToolTip::hideText();
    QWidget *target = view.childAt(pos);
    if (!target)
        return QString();
    const QPoint local = target->mapFrom(&view, pos);
    QHelpEvent help(QEvent::ToolTip, local, target->mapToGlobal(local));
    QApplication::sendEvent(target, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

} // namespace

class TestGridView : public QObject
{
    Q_OBJECT

private:
    void show(GridView &view, int width = 420, int height = 300)
    {
        view.resize(width, height);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
    }

private Q_SLOTS:
    void fixedCellsAreNotEditable_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("editable");
        QTest::newRow("corner") << 0 << 0 << false;
        QTest::newRow("fixed row") << 5 << 3 << false;
        QTest::newRow("fixed column") << 1 << 10 << false;
        QTest::newRow("first ordinary cell") << 2 << 4 << true;
        QTest::newRow("last cell") << 9 << 19 << true;
    }
    void fixedCellsAreNotEditable()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(bool, editable);
        Grid g = numberedGrid(10, 20, 2, 4);
        GridView view(&g);
        QSignalSpy edited(&view, &GridView::cellEdited);
        QAbstractItemModel *model = view.model();
        const QModelIndex index = model->index(row, col);
        QCOMPARE(bool(model->flags(index) & Qt::ItemIsEditable), editable);
        QCOMPARE(model->setData(index, QStringLiteral("5")), editable);
        QCOMPARE(g.cell(col, row), editable ? QStringLiteral("5") : QStringLiteral("%1:%2").arg(col).arg(row));
        QCOMPARE(edited.count(), editable ? 1 : 0);
        if (editable)
            QCOMPARE(edited.first(), QVariantList({col, row}));
    }

    void typingEditsTheCurrentCell()
    {
        Grid g = numberedGrid(10, 20, 2, 4);
        GridView view(&g);
        show(view);
        view.setCurrentCell(3, 6);
        QSignalSpy edited(&view, &GridView::cellEdited);
        QLineEdit *editor = openEditorByTyping(view, QStringLiteral("12,5"));
        QVERIFY(editor);
        QCOMPARE(g.cell(3, 6), QStringLiteral("12,5")); // written while typing
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(g.cell(3, 6), QStringLiteral("12,5"));
        QCOMPARE(edited.first(), QVariantList({3, 6}));
        QCOMPARE(QPoint(view.currentCol(), view.currentRow()), QPoint(3, 7)); // Enter goes on down
        QTRY_VERIFY(!view.findChild<QLineEdit *>()); // the closed editor is gone

        // Escape puts the former text back and reports no edit.
        view.setCurrentCell(3, 6);
        editor = openEditorByTyping(view, QStringLiteral("7"));
        QVERIFY(editor);
        QCOMPARE(g.cell(3, 6), QStringLiteral("7"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QTRY_COMPARE(g.cell(3, 6), QStringLiteral("12,5"));
        QCOMPARE(edited.count(), 1);
    }

    // Typing scores as in a spreadsheet: Enter ends the edit and goes down,
    // an arrow at the end (start) of the text goes right (left), every move
    // reported as a key move. In the keys, "→" "←" are the arrows, "⏎" Enter
    // and "⌅" the keypad's Enter; any other character is typed.
    void keysMoveOnLikeASpreadsheet_data()
    {
        QTest::addColumn<QPoint>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("cells"); // "col,row=text" after the keys
        QTest::addColumn<QPoint>("end");
        QTest::addColumn<int>("moves");
        QTest::newRow("along a row") << QPoint(2, 4) << u"4→5→4→3→5"_s
                                     << QStringList{u"2,4=4"_s, u"3,4=5"_s, u"4,4=4"_s, u"5,4=3"_s, u"6,4=5"_s} << QPoint(6, 4) << 4;
        QTest::newRow("down a column") << QPoint(3, 5) << u"5⏎4⏎3⏎"_s
                                       << QStringList{u"3,5=5"_s, u"3,6=4"_s, u"3,7=3"_s, u"3,8=3:8"_s} << QPoint(3, 8) << 3;
        QTest::newRow("keypad enter") << QPoint(3, 5) << u"5⌅"_s << QStringList{u"3,5=5"_s, u"3,6=3:6"_s} << QPoint(3, 6) << 1;
        QTest::newRow("enter without an edit") << QPoint(2, 4) << u"⏎⏎"_s << QStringList{u"2,4=2:4"_s, u"2,5=2:5"_s}
                                               << QPoint(2, 6) << 2;
        QTest::newRow("arrows inside the text") << QPoint(4, 4) << u"45←→→"_s << QStringList{u"4,4=45"_s, u"5,4=5:4"_s}
                                                << QPoint(5, 4) << 1;
        QTest::newRow("left from the start") << QPoint(4, 4) << u"45←←←"_s << QStringList{u"4,4=45"_s, u"3,4=3:4"_s}
                                             << QPoint(3, 4) << 1;
        QTest::newRow("last row stays") << QPoint(2, 19) << u"7⏎"_s << QStringList{u"2,19=7"_s} << QPoint(2, 19) << 0;
    }
    void keysMoveOnLikeASpreadsheet()
    {
        QFETCH(QPoint, start);
        QFETCH(QString, keys);
        QFETCH(QStringList, cells);
        QFETCH(QPoint, end);
        QFETCH(int, moves);
        Grid g = numberedGrid(10, 20, 2, 4);
        GridView view(&g);
        show(view, 600, 500);
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.setCurrentCell(start.x(), start.y());
        QSignalSpy moved(&view, &GridView::currentCellMovedByKey);
        for (QChar key : keys) {
            QWidget *focus = QApplication::focusWidget();
            QVERIFY(focus);
            if (key == u'→')
                QTest::keyClick(focus, Qt::Key_Right);
            else if (key == u'←')
                QTest::keyClick(focus, Qt::Key_Left);
            else if (key == u'⏎')
                QTest::keyClick(focus, Qt::Key_Return);
            else if (key == u'⌅')
                QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
            else
                QTest::keyClicks(focus, QString(key));
        }
        for (const QString &cell : cells) {
            const QStringList place = cell.section(u'=', 0, 0).split(u',');
            QCOMPARE(g.cell(place.at(0).toInt(), place.at(1).toInt()), cell.section(u'=', 1));
        }
        QCOMPARE(QPoint(view.currentCol(), view.currentRow()), end);
        QCOMPARE(moved.count(), moves);
        if (moves > 0)
            QCOMPARE(moved.last(), QVariantList({end.x(), end.y()}));
    }

    // A fixed cell that the window allows is edited where it stands, by a
    // double click or by F2 after a click; the others stay fixed.
    void allowedFixedCellEditsInPlace_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byF2");
        QTest::addColumn<bool>("edits");
        QTest::newRow("double click") << 7 << false << true;
        QTest::newRow("F2 after a click") << 7 << true << true;
        QTest::newRow("not allowed") << 6 << false << false;
    }
    void allowedFixedCellEditsInPlace()
    {
        QFETCH(int, row);
        QFETCH(bool, byF2);
        QFETCH(bool, edits);
        Grid g = numberedGrid(10, 20, 2, 4);
        g.setCell(1, 7, QString());
        GridView view(&g);
        view.setFixedCellEditable([&g](int col, int r) { return col == 1 && g.cell(col, r).isEmpty(); });
        show(view, 600, 500);
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        QSignalSpy edited(&view, &GridView::cellEdited);
        const QPoint center = view.cellRect(1, row).center();
        QWidget *target = view.childAt(center);
        QVERIFY(target);
        const QPoint local = target->mapFrom(&view, center);
        if (byF2) {
            QTest::mouseClick(target, Qt::LeftButton, {}, local);
            QTest::keyClick(&view, Qt::Key_F2);
        } else {
            QTest::mouseDClick(target, Qt::LeftButton, {}, local);
        }
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QCOMPARE(editor != nullptr, edits);
        if (!edits)
            return;
        typeText(editor, u"Гусев Денис"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(edited.count(), 1);
        QCOMPARE(g.cell(1, 7), u"Гусев Денис"_s);
        QTRY_COMPARE(QApplication::focusWidget(), &view);
        // Filled, the cell is fixed again.
        QVERIFY(!(view.model()->flags(view.model()->index(7, 1)) & Qt::ItemIsEditable));
        QVERIFY(!view.model()->setData(view.model()->index(7, 1), u"x"_s));
    }

    void editorRefusesTextOutsideCp1251_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("Cyrillic") << QStringLiteral("Пётр") << QStringLiteral("Пётр");
        QTest::newRow("cp1251 signs") << QStringLiteral("№€«»") << QStringLiteral("№€«»");
        QTest::newRow("CJK refused") << QStringLiteral("Ив日") << QStringLiteral("Ив");
        QTest::newRow("Greek refused") << QStringLiteral("aβc") << QStringLiteral("ac");
    }
    void editorRefusesTextOutsideCp1251()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Grid g = numberedGrid(6, 8, 1, 1);
        GridView view(&g);
        show(view);
        view.setCurrentCell(2, 2);
        QLineEdit *editor = openEditorByTyping(view, typed);
        QVERIFY(editor);
        QCOMPARE(editor->text(), kept);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!view.findChild<QLineEdit *>());
        QCOMPARE(g.cell(2, 2), kept);
        QVERIFY(!view.model()->setData(view.model()->index(3, 3), QStringLiteral("日本")));
        QCOMPARE(g.cell(3, 3), QStringLiteral("3:3"));
    }

    void pastedLineBreaksBecomeBlanks_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("kept");
        QTest::newRow("LF") << QStringLiteral("5\n4") << QStringLiteral("15 4");
        QTest::newRow("CR LF") << QStringLiteral("5\r\n4\r\n") << QStringLiteral("15 4 ");
        QTest::newRow("lone CR") << QStringLiteral("5\r4") << QStringLiteral("15 4");
    }
    void pastedLineBreaksBecomeBlanks()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, kept);
        Grid g = numberedGrid(6, 8, 1, 1);
        GridView view(&g);
        show(view);
        view.setCurrentCell(2, 2);
        QLineEdit *editor = openEditorByTyping(view, QStringLiteral("1"));
        QVERIFY(editor);
        QApplication::clipboard()->setText(clipboard);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(editor->text(), kept);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!view.findChild<QLineEdit *>());
        QCOMPARE(g.cell(2, 2), kept);
        // The model takes no line break from any other way in either.
        QVERIFY(view.model()->setData(view.model()->index(3, 3), QStringLiteral("a\nb")));
        QCOMPARE(g.cell(3, 3), QStringLiteral("a b"));
    }

    void fixedCountsChangeAtRunTime_data()
    {
        QTest::addColumn<int>("fixedCols");
        QTest::addColumn<int>("fixedRows");
        QTest::newRow("journal") << 2 << 4;
        QTest::newRow("header edit mode") << 0 << 0;
        QTest::newRow("name column released") << 1 << 4;
        QTest::newRow("rows only") << 0 << 1;
        QTest::newRow("columns only") << 2 << 0;
    }
    void fixedCountsChangeAtRunTime()
    {
        QFETCH(int, fixedCols);
        QFETCH(int, fixedRows);
        Grid g = numberedGrid(40, 60, 0, 0);
        GridView view(&g);
        show(view);
        view.setCurrentCell(0, 0);
        QVERIFY(g.setFixedCols(fixedCols));
        QVERIFY(g.setFixedRows(fixedRows));
        view.refresh();

        QAbstractItemModel *model = view.model();
        QVERIFY(model->flags(model->index(fixedRows, fixedCols)) & Qt::ItemIsEditable);
        if (fixedCols > 0)
            QVERIFY(!(model->flags(model->index(fixedRows, fixedCols - 1)) & Qt::ItemIsEditable));
        if (fixedRows > 0)
            QVERIFY(!(model->flags(model->index(fixedRows - 1, fixedCols)) & Qt::ItemIsEditable));
        QCOMPARE(view.currentCol(), fixedCols);
        QCOMPARE(view.currentRow(), fixedRows);

        // The first ordinary cell starts where the fixed part ends.
        const QRect origin = view.cellRect(0, 0);
        const QRect first = view.cellRect(fixedCols, fixedRows);
        QCOMPARE(first.left(), origin.left() + fixedCols * 30);
        QCOMPARE(first.top(), origin.top() + fixedRows * 18);

        // Scrolled to the far corner, the fixed cells stay where they were and
        // the fixed row and column follow the scrolled cells.
        view.setCurrentCell(39, 59);
        QCOMPARE(view.cellRect(0, 0), fixedCols > 0 && fixedRows > 0 ? origin : QRect());
        const QRect last = view.cellRect(39, 59);
        QVERIFY(!last.isEmpty());
        QVERIFY(view.viewport()->geometry().contains(last.center()));
        QVERIFY(view.cellRect(fixedCols, fixedRows).isEmpty());
        if (fixedRows > 0)
            QCOMPARE(view.cellRect(39, 0).left(), last.left());
        if (fixedCols > 0)
            QCOMPARE(view.cellRect(0, 59).top(), last.top());
    }

    void columnResizeWritesTheWidth_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("width");
        QTest::newRow("fixed name column wider") << 1 << 20 << 50;
        QTest::newRow("lesson column wider") << 3 << 15 << 45;
        QTest::newRow("lesson column narrower") << 3 << -10 << 20;
        QTest::newRow("dragged to nothing hides it") << 3 << -60 << 0;
    }
    void columnResizeWritesTheWidth()
    {
        QFETCH(int, col);
        QFETCH(int, dx);
        QFETCH(int, width);
        Grid g = numberedGrid(12, 30, 2, 4);
        GridView view(&g);
        show(view);
        QSignalSpy resized(&view, &GridView::columnResized);
        const QRect header = view.cellRect(col, 0);
        const QPoint border(header.right(), header.center().y());
        drag(view, border, border + QPoint(dx, 0));
        QCOMPARE(g.colWidth(col), width);
        QCOMPARE(resized.count(), 1);
        QCOMPARE(resized.first(), QVariantList({col, width}));
        QCOMPARE(view.cellRect(col, 10).width(), width); // the whole column, not just the header
        if (width == 0)
            QVERIFY(view.cellRect(col, 10).isEmpty());
        // The next column starts where this one ends, also across the fixed part.
        QCOMPARE(view.cellRect(col + 1, 10).left(), header.left() + width);
        QCOMPARE(view.cellRect(col + 1, 0).left(), header.left() + width);

        // A drag that starts inside a cell does not resize.
        drag(view, view.cellRect(5, 0).center(), view.cellRect(5, 0).center() + QPoint(30, 0));
        QCOMPARE(g.colWidth(5), 30);
        QCOMPARE(resized.count(), 1);
    }

    void refreshFollowsTheGrid()
    {
        Grid g = numberedGrid(10, 20, 2, 4);
        GridView view(&g);
        show(view);
        view.setCurrentCell(5, 12);
        QAbstractItemModel *model = view.model();
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QSignalSpy rowsIn(model, &QAbstractItemModel::rowsInserted);
        QSignalSpy colsIn(model, &QAbstractItemModel::columnsInserted);
        QSignalSpy rowsOut(model, &QAbstractItemModel::rowsRemoved);

        // Nothing changed: nothing is reported.
        view.refresh();
        QCOMPARE(changed.count(), 0);

        g.setCell(5, 12, QStringLiteral("новое"));
        g.setColWidth(4, 55);
        view.refresh();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model->index(12, 5).data().toString(), QStringLiteral("новое"));
        QCOMPARE(view.cellRect(4, 5).width(), 55);

        // Rows and columns that came are added at the end, where the grid
        // operations add them; the widths stay with their positions.
        g.setRowCount(40);
        g.setColCount(15);
        view.refresh();
        QCOMPARE(rowsIn.count(), 1);
        QCOMPARE(rowsIn.first().mid(1), QVariantList({20, 39}));
        QCOMPARE(colsIn.count(), 1);
        QCOMPARE(colsIn.first().mid(1), QVariantList({10, 14}));
        QCOMPARE(model->rowCount(), 40);
        QCOMPARE(model->columnCount(), 15);
        QCOMPARE(view.cellRect(4, 5).width(), 55);
        QCOMPARE(view.currentCol(), 5);
        QCOMPARE(view.currentRow(), 12);
        view.setCurrentCell(14, 39);
        QVERIFY(!view.cellRect(14, 39).isEmpty());
        QCOMPARE(view.cellRect(14, 39).width(), 30);

        g.setRowCount(6);
        view.refresh();
        QCOMPARE(rowsOut.count(), 1);
        QCOMPARE(rowsOut.first().mid(1), QVariantList({6, 39}));
        QCOMPARE(view.currentRow(), 5); // clamped into the smaller grid
        QCOMPARE(reset.count(), 0);
    }

    void refreshKeepsAnEditInProgress()
    {
        Grid g = numberedGrid(10, 20, 2, 4);
        GridView view(&g);
        show(view);
        view.setCurrentCell(3, 6);
        QSignalSpy edited(&view, &GridView::cellEdited);
        QVERIFY(openEditorByTyping(view, QStringLiteral("45")));
        view.refresh();
        QVERIFY(!view.findChild<QLineEdit *>() || !view.findChild<QLineEdit *>()->isVisible());
        QCOMPARE(g.cell(3, 6), QStringLiteral("45"));
        QCOMPARE(edited.count(), 1);

        // A window operation moved the rows while the editor was open: the
        // typed text moves with its row and the cell under the editor keeps
        // what moved into it.
        view.setCurrentCell(3, 6);
        QVERIFY(openEditorByTyping(view, QStringLiteral("9")));
        QVERIFY(GridOps::moveRow(g, 6, 10));
        view.refresh();
        QCOMPARE(g.cell(3, 10), QStringLiteral("9"));
        QCOMPARE(g.cell(3, 6), QStringLiteral("3:7"));
    }

    void rowDragMovesTheRow_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("belowTheRows");
        QTest::newRow("student down") << 5 << 8 << false;
        QTest::newRow("student up") << 8 << 4 << false;
        QTest::newRow("dropped below the last row") << 6 << 9 << true;
    }
    void rowDragMovesTheRow()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, belowTheRows);
        Grid g = numberedGrid(8, 10, 2, 4);
        GridView view(&g);
        show(view, 420, 400);
        view.setRowDragging(true);
        QCOMPARE(view.viewport()->cursor().shape(), Qt::SizeVerCursor);
        QSignalSpy moved(&view, &GridView::rowMoved);
        Grid expected = g;
        QVERIFY(GridOps::moveRow(expected, from, to));

        // A mark beside a row: the rows move from under it, so it goes.
        view.addFilledRect(view.cellRect(0, from), QColor(204, 255, 255), QStringLiteral(" 5"), Qt::red, QPoint(2, 2));
        const QPoint start = view.cellRect(1, from).center();
        const QPoint end = view.cellRect(1, to).center() + QPoint(0, belowTheRows ? 40 : 0);
        drag(view, start, end);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.first(), QVariantList({from, to}));
        QCOMPARE(g, expected);
        QCOMPARE(view.markCount(), 0);
    }

    void rowDragNeedsAFixedColumnAndAStudentRow()
    {
        Grid g = numberedGrid(8, 10, 2, 4);
        const Grid before = g;
        GridView view(&g);
        show(view, 420, 400);
        QSignalSpy moved(&view, &GridView::rowMoved);
        drag(view, view.cellRect(0, 5).center(), view.cellRect(0, 8).center()); // dragging is off
        view.setRowDragging(true);
        drag(view, view.cellRect(0, 2).center(), view.cellRect(0, 8).center()); // a fixed row
        drag(view, view.cellRect(4, 5).center(), view.cellRect(4, 8).center()); // an ordinary cell
        QCOMPARE(moved.count(), 0);
        QCOMPARE(g, before);
        view.setRowDragging(false);
        QCOMPARE(view.viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void cellAtMatchesCellRect_data()
    {
        QTest::addColumn<int>("scrollCol");
        QTest::addColumn<int>("scrollRow");
        QTest::newRow("not scrolled") << 0 << 0;
        QTest::newRow("scrolled down") << 0 << 15;
        QTest::newRow("scrolled right") << 9 << 0;
        QTest::newRow("scrolled both") << 12 << 30;
    }
    void cellAtMatchesCellRect()
    {
        QFETCH(int, scrollCol);
        QFETCH(int, scrollRow);
        Grid g = numberedGrid(30, 50, 2, 4);
        g.setColWidth(1, 127);
        GridView view(&g);
        show(view);
        view.horizontalScrollBar()->setValue(scrollCol);
        view.verticalScrollBar()->setValue(scrollRow);
        const QRect cells(view.cellRect(0, 0).topLeft(), view.viewport()->geometry().bottomRight());
        int seen = 0;
        for (int c = 0; c < 30; ++c) {
            for (int r = 0; r < 50; ++r) {
                const QRect rect = view.cellRect(c, r);
                if (rect.isEmpty())
                    continue;
                ++seen;
                const QRect shown = rect & cells; // the last row and column may be cut off
                QCOMPARE(view.cellAt(shown.topLeft()), QPoint(c, r));
                QCOMPARE(view.cellAt(shown.bottomRight()), QPoint(c, r));
            }
        }
        QVERIFY(seen >= (view.visibleCols() + 2) * (view.visibleRows() + 4));
        // Every cell that cellAt finds over the cells has a rectangle.
        for (int x = cells.left(); x <= cells.right(); x += 7) {
            for (int y = cells.top(); y <= cells.bottom(); y += 5) {
                const QPoint cell = view.cellAt(QPoint(x, y));
                if (cell.x() >= 0 && cell.y() >= 0)
                    QVERIFY(view.cellRect(cell.x(), cell.y()).contains(QPoint(x, y)));
            }
        }
        if (scrollRow > 0)
            QVERIFY(view.cellRect(5, 4).isEmpty());
        if (scrollCol > 0)
            QVERIFY(view.cellRect(2, 10).isEmpty());
        // Outside the cells each coordinate is -1 on its own.
        QCOMPARE(view.cellAt(QPoint(-5, view.cellRect(0, 2).center().y())), QPoint(-1, 2));
        QCOMPARE(view.cellAt(QPoint(view.cellRect(1, 0).center().x(), view.height() + 5)), QPoint(1, -1));
    }

    void mouseDownComesBeforeTheCurrentCellMoves_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QPoint>("currentAfter");
        QTest::newRow("ordinary cell") << "cell" << QPoint(5, 7) << QPoint(5, 7);
        QTest::newRow("fixed column") << "cell" << QPoint(1, 7) << QPoint(2, 4);
        QTest::newRow("fixed row") << "cell" << QPoint(5, 2) << QPoint(2, 4);
        QTest::newRow("below the rows") << "below" << QPoint(5, -1) << QPoint(2, 4);
        QTest::newRow("right of the columns") << "right" << QPoint(-1, 6) << QPoint(2, 4);
    }
    void mouseDownComesBeforeTheCurrentCellMoves()
    {
        QFETCH(QString, where);
        QFETCH(QPoint, cell);
        QFETCH(QPoint, currentAfter);
        Grid g = numberedGrid(8, 10, 2, 4);
        GridView view(&g);
        show(view, 420, 400);
        QPoint pos;
        if (where == QLatin1String("cell"))
            pos = view.cellRect(cell.x(), cell.y()).center();
        else if (where == QLatin1String("below"))
            pos = view.cellRect(cell.x(), 9).center() + QPoint(0, 40);
        else
            pos = view.cellRect(7, cell.y()).center() + QPoint(60, 0);
        QPoint seenCell(-2, -2);
        QPoint currentThen(-2, -2);
        connect(&view, &GridView::mouseDown, &view, [&](Qt::MouseButton button, const QPoint &at) {
            QCOMPARE(button, Qt::LeftButton);
            seenCell = view.cellAt(at);
            currentThen = QPoint(view.currentCol(), view.currentRow());
        });
        QWidget *target = view.childAt(pos);
        QVERIFY(target);
        sendMouse(target, QEvent::MouseButtonPress, target->mapFrom(&view, pos), Qt::LeftButton);
        sendMouse(target, QEvent::MouseButtonRelease, target->mapFrom(&view, pos), Qt::NoButton);
        QCOMPARE(seenCell, cell);
        QCOMPARE(currentThen, QPoint(2, 4));
        QCOMPARE(QPoint(view.currentCol(), view.currentRow()), currentAfter);
    }

    void wheelOverTheFixedPartScrollsEverything()
    {
        Grid g = numberedGrid(30, 50, 2, 4);
        GridView view(&g);
        show(view);
        QWidget *names = view.childAt(view.cellRect(1, 8).center());
        QVERIFY(names && names != view.viewport());
        const QPoint local = names->mapFrom(&view, view.cellRect(1, 8).center());
        QWheelEvent wheel(QPointF(local), QPointF(names->mapToGlobal(local)), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(names, &wheel);
        QVERIFY(view.verticalScrollBar()->value() > 0);
        const int row = 4 + view.verticalScrollBar()->value();
        QVERIFY(!view.cellRect(1, row).isEmpty());
        QCOMPARE(view.cellRect(1, row).top(), view.cellRect(5, row).top());
    }

    void visibleRowsAndCols()
    {
        Grid g = numberedGrid(30, 50, 2, 4);
        GridView view(&g);
        show(view, 400, 300);
        QCOMPARE(view.visibleRows(), view.viewport()->height() / 18);
        QCOMPARE(view.visibleCols(), view.viewport()->width() / 30);
        const QRect lastRow = view.cellRect(2, 4 + view.visibleRows() - 1);
        QVERIFY(lastRow.bottom() <= view.viewport()->geometry().bottom());
    }

    void marksStayUntilRepaintOrScroll()
    {
        Grid g = numberedGrid(30, 50, 2, 4);
        GridView view(&g);
        show(view);
        const QRect numberCell = view.cellRect(0, 6);
        view.addFrame(QRect(view.cellRect(3, 0).topLeft() + QPoint(1, 1), QSize(20, 84)), Qt::blue);
        view.addFilledRect(numberCell, QColor(204, 255, 255), QStringLiteral(" 5"), Qt::red, QPoint(2, 2));
        view.addEllipse(QRect(view.cellRect(1, 7).topLeft() + QPoint(1, 14), QSize(12, 4)), Qt::red, Qt::red);
        QCOMPARE(view.markCount(), 3);

        const QImage image = view.grab().toImage();
        QCOMPARE(image.pixelColor(view.cellRect(3, 0).topLeft() + QPoint(1, 1)), QColor(Qt::blue)); // over a fixed cell
        QCOMPARE(image.pixelColor(numberCell.bottomRight() - QPoint(1, 1)), QColor(204, 255, 255));
        bool red = false;
        for (int x = numberCell.left(); x <= numberCell.right(); ++x)
            for (int y = numberCell.top(); y <= numberCell.bottom(); ++y)
                red = red || (image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 100);
        QVERIFY(red); // the text

        view.refresh();
        QCOMPARE(view.markCount(), 3);
        g.setRowCount(60); // rows came: the cells moved from under the marks
        view.refresh();
        QCOMPARE(view.markCount(), 0);
        view.repaintAll();
        QCOMPARE(view.markCount(), 0);
        QCOMPARE(view.grab().toImage().pixelColor(view.cellRect(3, 0).topLeft() + QPoint(1, 1)),
                 image.pixelColor(view.cellRect(4, 0).topLeft() + QPoint(1, 1)));

        view.addFrame(numberCell, Qt::blue);
        view.verticalScrollBar()->setValue(3);
        QCOMPARE(view.markCount(), 0);
    }

    void keyboardStaysInOrdinaryCells()
    {
        Grid g = numberedGrid(30, 50, 2, 4);
        GridView view(&g);
        show(view);
        QCOMPARE(view.currentCol(), 2);
        QCOMPARE(view.currentRow(), 4);
        QTest::keyClick(&view, Qt::Key_Left);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(view.currentCol(), 2);
        QCOMPARE(view.currentRow(), 4);
        for (int i = 0; i < 30; ++i)
            QTest::keyClick(&view, Qt::Key_Down);
        for (int i = 0; i < 20; ++i)
            QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(view.currentRow(), 34);
        QCOMPARE(view.currentCol(), 22);
        QVERIFY(view.viewport()->geometry().contains(view.cellRect(22, 34)));

        view.setCurrentCell(0, 1); // fixed indices give the first ordinary cell
        QCOMPARE(view.currentCol(), 2);
        QCOMPARE(view.currentRow(), 4);
        view.setCurrentCell(5, 45);
        view.setCurrentRow(10);
        QCOMPARE(view.currentCol(), 5);
        QCOMPARE(view.currentRow(), 10);
    }

    void rowSelectModeDoesNotEdit()
    {
        Grid g = numberedGrid(8, 10, 1, 1);
        GridView view(&g);
        show(view);
        view.setRowSelect(true);
        view.setCurrentRow(3);
        typeText(&view, QStringLiteral("5"));
        QVERIFY(!view.findChild<QLineEdit *>());
        QCOMPARE(g.cell(1, 3), QStringLiteral("1:3"));
        QVERIFY(view.selectionModel()->isRowSelected(3, QModelIndex()));
        view.setRowSelect(false);
        QVERIFY(openEditorByTyping(view, QStringLiteral("5")));
    }

    void scrolledJournalShowsItsFixedPart()
    {
        Grid g(40, 60, 2, 4, 30);
        g.setColWidth(0, 22);
        g.setColWidth(1, 127);
        const QStringList heads{QStringLiteral("Тема"), QStringLiteral("Дата"), QStringLiteral("Код"), QStringLiteral("Вес")};
        for (int c = 0; c < 40; ++c)
            for (int r = 0; r < 4; ++r)
                g.setCell(c, r, c < 2 ? heads[r] : QStringLiteral("%1").arg(c));
        for (int r = 4; r < 60; ++r) {
            g.setCell(0, r, QString::number(r - 3));
            g.setCell(1, r, QStringLiteral("Ёлкина Юлия %1").arg(r - 3));
            for (int c = 2; c < 40; ++c)
                g.setCell(c, r, QString::number((c + r) % 6));
        }
        GridView view(&g);
        show(view, 600, 400);
        view.setCurrentCell(20, 32);
        view.horizontalScrollBar()->setValue(15);
        view.verticalScrollBar()->setValue(25);
        const QImage image = view.grab().toImage();
        if (qEnvironmentVariableIsSet("ZHURNAL_GRIDVIEW_GRAB"))
            image.save(qEnvironmentVariable("ZHURNAL_GRIDVIEW_GRAB"));

        const QColor button = view.palette().button().color();
        const QRect name = view.cellRect(1, 40);
        const QRect head = view.cellRect(25, 2);
        QVERIFY(!name.isEmpty());
        QVERIFY(!head.isEmpty());
        QCOMPARE(image.pixelColor(name.right() - 2, name.bottom() - 1), button);
        QCOMPARE(image.pixelColor(head.right() - 2, head.bottom() - 1), button);
        QCOMPARE(image.pixelColor(view.cellRect(25, 40).bottomRight() - QPoint(2, 1)), QColor(Qt::white));
        // The name is drawn into its cell (dark text pixels on the header colour).
        int dark = 0;
        for (int x = name.left(); x <= name.right(); ++x)
            for (int y = name.top(); y <= name.bottom(); ++y)
                dark += image.pixelColor(x, y).lightness() < 80;
        QVERIFY(dark > 20);
    }

    // A text longer than its cell: in an ordinary cell and in a header cell,
    // the cell shows the start of the text and "…", every glyph whole, and the
    // tool tip shows the text.
    void longTextsAreCutShortWithAnEllipsis_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("shown"); // at least so many characters of the text
        QTest::newRow("sum") << QStringLiteral("156,25") << 30 << 2 << false << 1;
        QTest::newRow("average") << QStringLiteral("82,3077") << 31 << 2 << false << 1;
        QTest::newRow("negative") << QStringLiteral("-8,6154") << 45 << 2 << false << 3;
        QTest::newRow("header") << QStringLiteral("10 бальная") << 31 << 0 << false << 1;
        QTest::newRow("absences header") << QStringLiteral("Шт. пропусков") << 45 << 0 << false << 2;
        QTest::newRow("only the ellipsis fits") << QStringLiteral("Шт. пропусков") << 28 << 0 << false << 0;
        QTest::newRow("a number that fits") << QStringLiteral("82,3") << 40 << 2 << true << 4;
        QTest::newRow("a header that fits") << QStringLiteral("№") << 22 << 0 << true << 1;
    }
    void longTextsAreCutShortWithAnEllipsis()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, row);
        QFETCH(bool, fits);
        QFETCH(int, shown);
        Grid g(4, 4, 0, 1, 30);
        g.setColWidth(1, width);
        g.setCell(1, row, text);
        GridView view(&g);
        show(view);
        view.setCurrentCell(3, 3); // no highlight on the cell
        const QRect cell = view.cellRect(1, row);
        const QImage picture = view.grab(cell).toImage();

        // Which start of the text, followed by "…", the cell shows; none when
        // it shows the whole text. (A longer candidate would itself be cut
        // short to the same picture: the shortest one that matches is it.)
        QString seen;
        for (qsizetype k = 0; k < text.size() && seen.isNull(); ++k) {
            const QString candidate = text.left(k) + QChar(0x2026);
            g.setCell(1, row, candidate);
            view.refresh();
            if (view.grab(cell).toImage() == picture)
                seen = candidate;
        }
        QCOMPARE(seen.isNull(), fits);
        if (fits)
            seen = text;
        QVERIFY2(seen.size() - (fits ? 0 : 1) >= shown, qPrintable(seen));
        g.setCell(1, row, seen);

        // What the cell shows is whole: drawn in a wide column, its ink ends
        // inside the narrow cell.
        g.setColWidth(1, 300);
        view.refresh();
        const int right = inkRight(view.grab().toImage(), view.cellRect(1, row));
        QVERIFY(right >= cell.left() + 2);
        QVERIFY2(right < cell.right(), qPrintable(QStringLiteral("%1: ink to %2, cell to %3").arg(seen).arg(right).arg(cell.right())));

        g.setColWidth(1, width);
        g.setCell(1, row, text);
        view.refresh();
        const QString tip = toolTipAt(view, view.cellRect(1, row).center());
        QCOMPARE(tip == text, !fits);
        QToolTip::hideText();
    }

    void cutTextsShowThemselvesAsToolTips()
    {
        Grid g(3, 2, 0, 1, 30);
        g.setCell(0, 0, QStringLiteral("Шт. пропусков"));
        g.setCell(1, 0, QStringLiteral("№"));
        GridView view(&g);
        const auto tip = [&view](int col, int row) {
            return view.model()->data(view.model()->index(row, col), Qt::ToolTipRole).toString();
        };
        QCOMPARE(tip(0, 0), QStringLiteral("Шт. пропусков"));
        QCOMPARE(tip(1, 0), QString());
        g.setColWidth(0, 300);
        QCOMPARE(tip(0, 0), QString());
    }
};

QTEST_MAIN(TestGridView)
#include "test_gridview.moc"
