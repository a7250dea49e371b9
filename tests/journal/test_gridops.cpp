#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridops.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using GridOps::Reach;

namespace {

// A grid from rows written as "cell|cell|cell".
Grid gridOf(const QStringList &rows, int fixedCols = 0, int fixedRows = 0, int defaultWidth = 64)
{
    const int cols = int(rows.value(0).count(QLatin1Char('|'))) + 1;
    Grid g(cols, int(rows.size()), 0, 0, defaultWidth);
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells = rows[r].split(QLatin1Char('|'));
        for (int c = 0; c < cells.size(); ++c)
            g.setCell(c, r, cells[c]);
    }
    g.setFixedCols(fixedCols);
    g.setFixedRows(fixedRows);
    return g;
}

QStringList rowsOf(const Grid &g)
{
    QStringList out;
    for (int r = 0; r < g.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.colCount(); ++c)
            cells << g.cell(c, r);
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

// A journal with five students in rows 4-8 and two lesson columns.
QStringList journalRows()
{
    return {u"№|ФИО|Урок|Тест"_s, u"|дата|01.09|02.09"_s, u"|код|1|2"_s, u"|вес|1|2"_s, u"1|Ан|5|4"_s, u"2|Бо|4|"_s, u"3|Ва|3|5"_s, u"4|Га||4"_s,
            u"5|Де|5|5"_s};
}

// A grid whose every cell names its place, "c:r".
Grid labelledGrid(int cols, int rows, int fixedCols = 0, int fixedRows = 0)
{
    Grid g(cols, rows, fixedCols, fixedRows, 30);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            g.setCell(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
    return g;
}

QStringList columnOf(const Grid &g, int col)
{
    QStringList cells;
    for (int r = 0; r < g.rowCount(); ++r)
        cells << g.cell(col, r);
    return cells;
}

QStringList planRows()
{
    return {u"№|Код|Вес|Тема"_s, u"1|1|1|Дроби"_s, u"2|2|2|Корни"_s, u"3|3|1|Степени"_s};
}

} // namespace

class TestGridOps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A view shows a grid again only when its revision moved: every change
    // must move it, a read must not, and a copy never shares it.
    void everyChangeMovesTheRevision_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("moves");
        for (const char *change : {"cell", "columns", "rows", "resize", "fixed columns", "fixed rows", "width",
                                   "default width", "row height", "writable column", "clear", "assigned", "row inserted",
                                   "column inserted", "row deleted", "row moved"})
            QTest::newRow(change) << QString::fromLatin1(change) << true;
        for (const char *read : {"read cell", "read column", "read width", "compare", "copied from", "refused fixed count"})
            QTest::newRow(read) << QString::fromLatin1(read) << false;
    }
    void everyChangeMovesTheRevision()
    {
        QFETCH(QString, change);
        QFETCH(bool, moves);
        Grid g(6, 8, 1, 1, 30);
        g.setCell(2, 3, u"5"_s);
        const Grid other(6, 8, 1, 1, 30);
        const quint64 before = g.revision();
        const Grid &reader = g;
        if (change == u"cell"_s) g.setCell(1, 1, u"4"_s);
        else if (change == u"columns"_s) g.setColCount(7);
        else if (change == u"rows"_s) g.setRowCount(5);
        else if (change == u"resize"_s) g.resize(3, 3);
        else if (change == u"fixed columns"_s) QVERIFY(g.setFixedCols(2));
        else if (change == u"fixed rows"_s) QVERIFY(g.setFixedRows(0));
        else if (change == u"width"_s) g.setColWidth(3, 55);
        else if (change == u"default width"_s) g.setDefaultColWidth(40);
        else if (change == u"row height"_s) g.setRowHeight(20);
        else if (change == u"writable column"_s) g.column(2)[3] = u"3"_s;
        else if (change == u"clear"_s) g.clearCells();
        else if (change == u"assigned"_s) g = other;
        else if (change == u"row inserted"_s) GridOps::insertRowBelow(g, 3, 0);
        else if (change == u"column inserted"_s) GridOps::insertColumnRight(g, 2);
        else if (change == u"row deleted"_s) QVERIFY(GridOps::deleteRow(g, 2));
        else if (change == u"row moved"_s) QVERIFY(GridOps::moveRow(g, 2, 5));
        else if (change == u"read cell"_s) QCOMPARE(reader.cell(2, 3), u"5"_s);
        else if (change == u"read column"_s) QCOMPARE(reader.column(2).size(), size_t(8));
        else if (change == u"read width"_s) QCOMPARE(reader.colWidth(2), 30);
        else if (change == u"compare"_s) QVERIFY(!(reader == other));
        else if (change == u"copied from"_s) QVERIFY(Grid(reader).revision() != before);
        else if (change == u"refused fixed count"_s) QVERIFY(!g.setFixedRows(8));
        QCOMPARE(g.revision() != before, moves);
        QVERIFY(g.revision() != other.revision());
    }


    void insertRow_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("planReach");
        QTest::addColumn<QStringList>("after");

        const QStringList j = journalRows();
        QTest::newRow("student 2 selected: empty row 6 numbered 3")
            << j << 5 << 3 << false
            << QStringList{j[0], j[1], j[2], j[3], u"1|Ан|5|4"_s, u"2|Бо|4|"_s, u"3|||"_s, u"4|Ва|3|5"_s, u"5|Га||4"_s, u"6|Де|5|5"_s};
        QTest::newRow("header row 1 selected: code and weight move down")
            << j << 1 << 3 << false
            << QStringList{j[0], j[1], u"|||"_s, u"|код|1|2"_s, u"1|вес|1|2"_s, u"2|Ан|5|4"_s, u"3|Бо|4|"_s, u"4|Ва|3|5"_s, u"5|Га||4"_s,
                           u"6|Де|5|5"_s};
        QTest::newRow("last row selected: numbered row at the end")
            << j << 8 << 3 << false << (QStringList(j) << u"6|||"_s);
        QTest::newRow("selection beyond the grid: only the added row, numbered")
            << j << 40 << 3 << false << (QStringList(j) << u"6|||"_s);
        QTest::newRow("journal: selection equal to the row count is beyond")
            << j << 9 << 3 << false << (QStringList(j) << u"6|||"_s);
        QTest::newRow("first student of an empty journal numbered 1")
            << j.mid(0, 4) << 3 << 3 << false << (j.mid(0, 4) << u"1|||"_s);
        QTest::newRow("first entry of an empty catalogue numbered by row index")
            << QStringList{u"№|Папка|Группа"_s} << 0 << 0 << false << QStringList{u"№|Папка|Группа"_s, u"1||"_s};
        QTest::newRow("non-number above the end: numbered by position")
            << QStringList{u"№|Код"_s, u"1|a"_s, u"x|b"_s} << 1 << 0 << false << QStringList{u"№|Код"_s, u"1|a"_s, u"x|"_s, u"3|b"_s};
        QTest::newRow("journal too short for a student: no number")
            << QStringList{u"№|ФИО"_s, u"|дата"_s} << 0 << 3 << false << QStringList{u"№|ФИО"_s, u"|"_s, u"|дата"_s};
        QTest::newRow("plan: header selected, new first theme")
            << planRows() << 0 << 0 << true
            << QStringList{u"№|Код|Вес|Тема"_s, u"1|||"_s, u"2|1|1|Дроби"_s, u"3|2|2|Корни"_s, u"4|3|1|Степени"_s};
        QTest::newRow("plan: selection equal to the row count appends a numbered row")
            << planRows() << 4 << 0 << true << (planRows() << u"4|||"_s);
        QTest::newRow("plan: selection past the row count appends a numbered row")
            << planRows() << 5 << 0 << true << (planRows() << u"4|||"_s);
    }
    void insertRow()
    {
        QFETCH(QStringList, before);
        QFETCH(int, selected);
        QFETCH(int, offset);
        QFETCH(bool, planReach);
        QFETCH(QStringList, after);
        Grid g = gridOf(before);
        GridOps::insertRowBelow(g, selected, offset, planReach ? Reach::RowCount : Reach::LastRow);
        QCOMPARE(rowsOf(g), after);
    }

    void deleteRow_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("planReach");
        QTest::addColumn<QStringList>("after");

        const QStringList j = journalRows();
        QTest::newRow("student 2: students 3-5 move up, numbers by position")
            << j << 5 << false << QStringList{j[0], j[1], j[2], j[3], u"1|Ан|5|4"_s, u"2|Ва|3|5"_s, u"3|Га||4"_s, u"4|Де|5|5"_s};
        QTest::newRow("header row 2 is deleted like any row")
            << j << 2 << false
            << QStringList{j[0], j[1], u"|вес|1|2"_s, u"|Ан|5|4"_s, u"1|Бо|4|"_s, u"2|Ва|3|5"_s, u"3|Га||4"_s, u"4|Де|5|5"_s};
        QTest::newRow("last row: its number goes with it") << j << 8 << false << j.mid(0, 8);
        QTest::newRow("row 0 is never deleted") << j << 0 << false << j;
        QTest::newRow("journal: the row count is beyond") << j << 9 << false << j;
        QTest::newRow("plan: the row count removes the last row") << planRows() << 4 << true << planRows().mid(0, 3);
        QTest::newRow("plan: past the row count nothing") << planRows() << 5 << true << planRows();
    }
    void deleteRow()
    {
        QFETCH(QStringList, before);
        QFETCH(int, selected);
        QFETCH(bool, planReach);
        QFETCH(QStringList, after);
        Grid g = gridOf(before);
        GridOps::deleteRow(g, selected, planReach ? Reach::RowCount : Reach::LastRow);
        QCOMPARE(rowsOf(g), after);
    }

    void deleteRowsBelow_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("fixedRows");
        QTest::newRow("row 3: the four header rows, three fixed") << 3 << 4 << 3;
        QTest::newRow("header only") << 0 << 1 << 0;
        QTest::newRow("negative gives one row") << -7 << 1 << 0;
        QTest::newRow("beyond the grid adds empty rows") << 11 << 12 << 4;
    }
    void deleteRowsBelow()
    {
        QFETCH(int, selected);
        QFETCH(int, rows);
        QFETCH(int, fixedRows);
        Grid g = gridOf(journalRows(), 2, 4);
        GridOps::deleteRowsBelow(g, selected);
        QCOMPARE(g.rowCount(), rows);
        QCOMPARE(g.fixedRows(), fixedRows);
        QCOMPARE(g.cell(1, qMin(rows, 9) - 1), gridOf(journalRows()).cell(1, qMin(rows, 9) - 1));
        if (rows > 9)
            QVERIFY(g.cell(1, rows - 1).isEmpty());
    }

    void sizesBeyondTheLimitAreRefused()
    {
        Grid g = gridOf(journalRows(), 2, 4);
        const Grid before = g;
        QVERIFY_THROWS_EXCEPTION(ZError, GridOps::deleteRowsBelow(g, Grid::kMaxCount));
        QVERIFY_THROWS_EXCEPTION(ZError, GridOps::deleteRowsBelow(g, std::numeric_limits<int>::max()));
        QVERIFY_THROWS_EXCEPTION(ZError, GridOps::deleteColumnsRight(g, std::numeric_limits<int>::max()));
        QVERIFY(g == before);
        GridOps::deleteRowsBelow(g, Grid::kMaxCount - 1);
        QCOMPARE(g.rowCount(), Grid::kMaxCount);
        QVERIFY_THROWS_EXCEPTION(ZError, GridOps::insertRowBelow(g, 5, 3));
        QCOMPARE(g.rowCount(), Grid::kMaxCount);
    }

    void swapWithRowAbove_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("returned");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("row 1 cannot pass the header") << 1 << -1 << planRows();
        QTest::newRow("row 3 and row 2 exchange, number column stays")
            << 3 << 2 << QStringList{u"№|Код|Вес|Тема"_s, u"1|1|1|Дроби"_s, u"2|3|1|Степени"_s, u"3|2|2|Корни"_s};
        QTest::newRow("row 2 moves to the top") << 2 << 1
                                                << QStringList{u"№|Код|Вес|Тема"_s, u"1|2|2|Корни"_s, u"2|1|1|Дроби"_s, u"3|3|1|Степени"_s};
        QTest::newRow("beyond the last row nothing") << 4 << -1 << planRows();
    }
    void swapWithRowAbove()
    {
        QFETCH(int, selected);
        QFETCH(int, returned);
        QFETCH(QStringList, after);
        Grid g = gridOf(planRows());
        QCOMPARE(GridOps::swapWithRowAbove(g, selected), returned);
        QCOMPARE(rowsOf(g), after);
    }

    void insertColumn_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QList<int>>("widths");
        const QList<int> w{20, 150, 40, 50, 30};
        QTest::newRow("lesson 2 selected: new column 3 takes date, code, weight")
            << 2 << QStringList{u"№|ФИО|Урок||Тест"_s, u"|дата|01.09|01.09|02.09"_s, u"|код|1|1|2"_s, u"|вес|1|1|2"_s, u"1|Ан|5||4"_s,
                                u"2|Бо|4||"_s}
            << w;
        QTest::newRow("last column selected: new right end")
            << 3 << QStringList{u"№|ФИО|Урок|Тест|"_s, u"|дата|01.09|02.09|02.09"_s, u"|код|1|2|2"_s, u"|вес|1|2|2"_s, u"1|Ан|5|4|"_s,
                                u"2|Бо|4||"_s}
            << w;
        QTest::newRow("number column selected: everything but it moves")
            << 0 << QStringList{u"№||ФИО|Урок|Тест"_s, u"||дата|01.09|02.09"_s, u"||код|1|2"_s, u"||вес|1|2"_s, u"1||Ан|5|4"_s, u"2||Бо|4|"_s}
            << w;
        QTest::newRow("beyond the grid: an empty column at the end")
            << 9 << QStringList{u"№|ФИО|Урок|Тест|"_s, u"|дата|01.09|02.09|"_s, u"|код|1|2|"_s, u"|вес|1|2|"_s, u"1|Ан|5|4|"_s, u"2|Бо|4||"_s}
            << w;
    }
    void insertColumn()
    {
        QFETCH(int, selected);
        QFETCH(QStringList, after);
        QFETCH(QList<int>, widths);
        Grid g = gridOf(journalRows().mid(0, 6), 2, 4, 30);
        const int preset[4] = {20, 150, 40, 50};
        for (int c = 0; c < 4; ++c)
            g.setColWidth(c, preset[c]);
        GridOps::insertLessonColumn(g, selected);
        QCOMPARE(rowsOf(g), after);
        QList<int> got;
        for (int c = 0; c < g.colCount(); ++c)
            got << g.colWidth(c);
        QCOMPARE(got, widths);
    }

    void insertColumnCopiesOnlyTheListedRows()
    {
        Grid g = gridOf({u"a|b"_s, u"c|d"_s, u"e|f"_s});
        GridOps::insertColumnRight(g, 0, {2});
        QCOMPARE(rowsOf(g), (QStringList{u"a||b"_s, u"c||d"_s, u"e|e|f"_s}));
    }

    void deleteColumn_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("lesson 2") << 2 << QStringList{u"№|ФИО|Тест"_s, u"|дата|02.09"_s, u"1|Ан|4"_s};
        QTest::newRow("name column goes like any other") << 1 << QStringList{u"№|Урок|Тест"_s, u"|01.09|02.09"_s, u"1|5|4"_s};
        QTest::newRow("last column") << 3 << QStringList{u"№|ФИО|Урок"_s, u"|дата|01.09"_s, u"1|Ан|5"_s};
        QTest::newRow("number column never") << 0 << QStringList{u"№|ФИО|Урок|Тест"_s, u"|дата|01.09|02.09"_s, u"1|Ан|5|4"_s};
        QTest::newRow("beyond the grid nothing") << 4 << QStringList{u"№|ФИО|Урок|Тест"_s, u"|дата|01.09|02.09"_s, u"1|Ан|5|4"_s};
    }
    void deleteColumn()
    {
        QFETCH(int, selected);
        QFETCH(QStringList, after);
        Grid g = gridOf({u"№|ФИО|Урок|Тест"_s, u"|дата|01.09|02.09"_s, u"1|Ан|5|4"_s});
        for (int c = 0; c < 4; ++c)
            g.setColWidth(c, 10 * (c + 1));
        GridOps::deleteColumn(g, selected);
        QCOMPARE(rowsOf(g), after);
        for (int c = 0; c < g.colCount(); ++c)
            QCOMPARE(g.colWidth(c), 10 * (c + 1)); // widths stay with positions
    }

    void deleteColumnsRight_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("fixedCols");
        QTest::newRow("keeps number and name") << 1 << 2 << 1;
        QTest::newRow("beyond the grid adds empty columns") << 6 << 7 << 2;
        QTest::newRow("negative gives one column") << -3 << 1 << 0;
    }
    void deleteColumnsRight()
    {
        QFETCH(int, selected);
        QFETCH(int, cols);
        QFETCH(int, fixedCols);
        Grid g = gridOf(journalRows(), 2, 4, 30);
        GridOps::deleteColumnsRight(g, selected);
        QCOMPARE(g.colCount(), cols);
        QCOMPARE(g.fixedCols(), fixedCols);
        QCOMPARE(g.cell(0, 4), QStringLiteral("1"));
        if (cols > 4) {
            QVERIFY(g.cell(cols - 1, 4).isEmpty());
            QCOMPARE(g.colWidth(cols - 1), 30);
        }
    }

    void draggedRowIsRenumbered()
    {
        Grid g = gridOf(journalRows(), 2, 4);
        QVERIFY(GridOps::moveRow(g, 8, 5)); // student 5 above student 2
        GridOps::renumberStudents(g);
        QCOMPARE(rowsOf(g).mid(4), (QStringList{u"1|Ан|5|4"_s, u"2|Де|5|5"_s, u"3|Бо|4|"_s, u"4|Ва|3|5"_s, u"5|Га||4"_s}));
        QCOMPARE(rowsOf(g).mid(0, 4), journalRows().mid(0, 4));
        QVERIFY(GridOps::moveRow(g, 4, 8)); // and the first student to the end
        QCOMPARE(g.cell(1, 8), QStringLiteral("Ан"));
        QCOMPARE(g.cell(1, 7), QStringLiteral("Га"));
        QVERIFY(!GridOps::moveRow(g, 4, 9));
    }

    void moveRow_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QStringList>("order");
        const QStringList header{u"0:0"_s, u"0:1"_s};
        QTest::newRow("down") << 2 << 4 << true << header + QStringList{u"0:3"_s, u"0:4"_s, u"0:2"_s, u"0:5"_s};
        QTest::newRow("up") << 5 << 2 << true << header + QStringList{u"0:5"_s, u"0:2"_s, u"0:3"_s, u"0:4"_s};
        QTest::newRow("one place down") << 4 << 5 << true << header + QStringList{u"0:2"_s, u"0:3"_s, u"0:5"_s, u"0:4"_s};
        QTest::newRow("same place") << 3 << 3 << true << header + QStringList{u"0:2"_s, u"0:3"_s, u"0:4"_s, u"0:5"_s};
        QTest::newRow("from a fixed row") << 1 << 4 << false << header + QStringList{u"0:2"_s, u"0:3"_s, u"0:4"_s, u"0:5"_s};
        QTest::newRow("into a fixed row") << 4 << 0 << false << header + QStringList{u"0:2"_s, u"0:3"_s, u"0:4"_s, u"0:5"_s};
        QTest::newRow("past the end") << 2 << 6 << false << header + QStringList{u"0:2"_s, u"0:3"_s, u"0:4"_s, u"0:5"_s};
        QTest::newRow("negative") << -1 << 3 << false << header + QStringList{u"0:2"_s, u"0:3"_s, u"0:4"_s, u"0:5"_s};
    }
    void moveRow()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, moved);
        QFETCH(QStringList, order);
        Grid g = labelledGrid(3, 6, 1, 2);
        QCOMPARE(GridOps::moveRow(g, from, to), moved);
        QCOMPARE(columnOf(g, 0), order);
        for (int r = 0; r < 6; ++r) // whole rows move, every column
            QCOMPARE(g.cell(2, r), QString(g.cell(0, r)).replace(0, 1, QStringLiteral("2")));
    }

    // The catalogue puts a new entry at the top by these shifts: the row they
    // start from (down) or the last row (up) keeps its own texts, and the
    // columns before firstCol stay.
    void shiftRows_data()
    {
        QTest::addColumn<bool>("down");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("firstCol");
        QTest::addColumn<QStringList>("moved");
        QTest::newRow("down from row 1") << true << 1 << 1 << QStringList{u"1:0"_s, u"1:1"_s, u"1:1"_s, u"1:2"_s, u"1:3"_s};
        QTest::newRow("down from row 0, every column") << true << 0 << 0 << QStringList{u"0:0"_s, u"0:0"_s, u"0:1"_s, u"0:2"_s, u"0:3"_s};
        QTest::newRow("down from a negative row") << true << -2 << 1 << QStringList{u"1:0"_s, u"1:0"_s, u"1:1"_s, u"1:2"_s, u"1:3"_s};
        QTest::newRow("down from the last row") << true << 4 << 1 << QStringList{u"1:0"_s, u"1:1"_s, u"1:2"_s, u"1:3"_s, u"1:4"_s};
        QTest::newRow("up from row 1") << false << 1 << 1 << QStringList{u"1:0"_s, u"1:2"_s, u"1:3"_s, u"1:4"_s, u"1:4"_s};
        QTest::newRow("up from row 0, every column") << false << 0 << 0 << QStringList{u"0:1"_s, u"0:2"_s, u"0:3"_s, u"0:4"_s, u"0:4"_s};
        QTest::newRow("up beyond the grid") << false << 9 << 1 << QStringList{u"1:0"_s, u"1:1"_s, u"1:2"_s, u"1:3"_s, u"1:4"_s};
    }
    void shiftRows()
    {
        QFETCH(bool, down);
        QFETCH(int, from);
        QFETCH(int, firstCol);
        QFETCH(QStringList, moved);
        Grid g = labelledGrid(3, 5);
        if (down)
            GridOps::shiftRowsDown(g, from, firstCol);
        else
            GridOps::shiftRowsUp(g, from, firstCol);
        QCOMPARE(columnOf(g, firstCol), moved);
        QCOMPARE(columnOf(g, 2), moved.replaceInStrings(QRegularExpression(QStringLiteral("^\\d")), QStringLiteral("2")));
        if (firstCol > 0)
            QCOMPARE(columnOf(g, 0), columnOf(labelledGrid(3, 5), 0));
    }

    // Whatever row or column an insertion makes, deleting it again gives the
    // grid back, widths included: the cells move and none is lost or doubled.
    void insertionUndoneByDeletion_data()
    {
        QTest::addColumn<int>("selected");
        for (int selected = 0; selected < 7; ++selected)
            QTest::addRow("selected %d", selected) << selected;
    }
    void insertionUndoneByDeletion()
    {
        QFETCH(int, selected);
        Grid g = labelledGrid(6, 7, 1, 1);
        for (int c = 0; c < 6; ++c)
            g.setColWidth(c, 10 + c);
        const Grid original = g;
        for (int times = 0; times < 3; ++times) // the later ones find room left by the first
            QVERIFY(GridOps::insertRowBelow(g, selected, GridOps::kListNumberOffset));
        QCOMPARE(g.rowCount(), 10);
        for (int r = selected + 1; r <= selected + 3; ++r)
            QCOMPARE(g.cell(3, r), QString());
        for (int times = 0; times < 3; ++times)
            QVERIFY(GridOps::deleteRow(g, selected + 1));
        QVERIFY(g == original);

        if (selected == 0)
            return; // the number column is never deleted
        QVERIFY(GridOps::insertColumnRight(g, selected - 1));
        QCOMPARE(columnOf(g, selected), QStringList(7, QString()));
        QCOMPARE(g.colWidth(6), 30); // the width of the new last position
        QVERIFY(GridOps::deleteColumn(g, selected));
        QVERIFY(g == original);
    }

    void headerEditMode_data()
    {
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("fixedCols");
        QTest::addColumn<int>("fixedRows");
        QTest::newRow("journal with students") << 4 << 6 << false << 2 << 4;
        QTest::newRow("no student row: columns fixed, rows refused") << 4 << 4 << true << 2 << 0;
        QTest::newRow("no lesson column: refused, nothing fixed") << 2 << 6 << true << 0 << 0;
    }
    void headerEditMode()
    {
        QFETCH(int, cols);
        QFETCH(int, rows);
        QFETCH(bool, refused);
        QFETCH(int, fixedCols);
        QFETCH(int, fixedRows);
        Grid g(6, 8, 2, 4);
        QVERIFY(GridOps::switchHeaderEditMode(g));
        QCOMPARE(g.fixedCols(), 0);
        QCOMPARE(g.fixedRows(), 0);
        g.setColCount(cols);
        g.setRowCount(rows);
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(ZError, GridOps::switchHeaderEditMode(g));
        } else {
            QVERIFY(!GridOps::switchHeaderEditMode(g));
        }
        QCOMPARE(g.fixedCols(), fixedCols);
        QCOMPARE(g.fixedRows(), fixedRows);
    }

    void nameColumnSwitch()
    {
        Grid g(5, 6, 2, 4);
        QCOMPARE(GridOps::switchNameColumn(g), 1);
        QCOMPARE(g.fixedCols(), 1);
        QCOMPARE(GridOps::switchNameColumn(g), 2);
        QCOMPARE(g.fixedCols(), 2);
        GridOps::switchNameColumn(g);
        g.setColCount(2);
        QVERIFY_THROWS_EXCEPTION(ZError, GridOps::switchNameColumn(g));
        QCOMPARE(g.fixedCols(), 1);
    }

    void listEditMode()
    {
        Grid g(4, 5, 0, 1);
        QVERIFY(GridOps::switchListEditMode(g));
        QCOMPARE(g.fixedRows(), 0);
        QVERIFY(!GridOps::switchListEditMode(g));
        QCOMPARE(g.fixedRows(), 1);
        GridOps::switchListEditMode(g);
        g.setRowCount(1);
        QVERIFY_THROWS_EXCEPTION(ZError, GridOps::switchListEditMode(g));
        QCOMPARE(g.fixedRows(), 0);
    }

    void parseSelection_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "12" << true << 12;
        QTest::newRow("blanks around") << " 7 " << true << 7;
        QTest::newRow("negative") << "-1" << true << -1;
        QTest::newRow("a code instead of a number") << "1.2а" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("too large") << "99999999999" << false << 0;
        QTest::newRow("two signs") << "+-5" << false << 0;
    }
    void parseSelection()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        if (valid) {
            QCOMPARE(GridOps::parseSelection(text), value);
            return;
        }
        try {
            GridOps::parseSelection(text);
            QFAIL("no conversion error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("«%1»").arg(text)), qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestGridOps)
#include "test_gridops.moc"
