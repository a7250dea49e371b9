#include "journal/grid.h"
#include "journal/gridops.h"
#include "themes/themes.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

Grid planOf(const QStringList &codes)
{
    Grid g = Themes::makeGrid();
    g.setRowCount(int(codes.size()) + 1);
    for (int r = 0; r < codes.size(); ++r) {
        g.setCell(Themes::NumberCol, r + 1, QString::number(r + 1));
        g.setCell(Themes::CodeCol, r + 1, codes[r]);
        g.setCell(Themes::NameCol, r + 1, QStringLiteral("Тема %1").arg(r + 1));
    }
    return g;
}

} // namespace

class TestThemes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findTheme_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("row");
        QTest::newRow("exact") << "1.2" << 2;
        QTest::newRow("key with blanks") << " 1.2  " << 2;
        QTest::newRow("code with blanks in the plan") << "К3" << 3;
        QTest::newRow("duplicate codes: the upper wins") << "7" << 4;
        QTest::newRow("case-sensitive") << "к3" << -1;
        QTest::newRow("the header is never matched") << "Код" << -1;
        QTest::newRow("empty key matches the first blank code") << "" << 6;
        QTest::newRow("unknown") << "99" << -1;
    }
    void findTheme()
    {
        QFETCH(QString, key);
        QFETCH(int, row);
        const Grid plan = planOf({u"1.1"_s, u"1.2"_s, u"  К3 "_s, u"7"_s, u"7"_s, u" "_s});
        QCOMPARE(Themes::findTheme(plan, key), row);
        QCOMPARE(Themes::themeName(plan, key), row < 0 ? QString() : QStringLiteral("Тема %1").arg(row));
    }

    void findLessonColumn_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("col");
        QTest::newRow("first lesson column with the code") << "1.2" << 3;
        QTest::newRow("trimmed both sides") << " К3" << 4;
        QTest::newRow("the name column's code row is not a lesson") << "ФИО" << -1;
        QTest::newRow("empty code matches a blank code row") << "" << 5;
        QTest::newRow("unknown") << "5" << -1;
    }
    void findLessonColumn()
    {
        QFETCH(QString, code);
        QFETCH(int, col);
        Grid journal(7, 6, 2, 4);
        const QStringList codes{u""_s, u"ФИО"_s, u"1.1"_s, u"1.2"_s, u"К3  "_s, u"  "_s, u"1.2"_s};
        for (int c = 0; c < codes.size(); ++c)
            journal.setCell(c, 2, codes[c]);
        QCOMPARE(Themes::findLessonColumn(journal, code), col);
    }

    // The plan's own row rules on the shared operations.
    void planRowOperations()
    {
        Grid plan = planOf({u"1"_s, u"2"_s, u"3"_s});
        GridOps::deleteRow(plan, 3, GridOps::Reach::RowCount); // the last theme
        QCOMPARE(plan.rowCount(), 3);
        GridOps::deleteRow(plan, 3, GridOps::Reach::RowCount); // again: the new last one
        QCOMPARE(plan.rowCount(), 2);
        QCOMPARE(plan.cell(Themes::CodeCol, 1), QStringLiteral("1"));
        GridOps::insertRowBelow(plan, 2, GridOps::kListNumberOffset, GridOps::Reach::RowCount);
        QCOMPARE(plan.rowCount(), 3);
        QCOMPARE(plan.cell(Themes::NumberCol, 2), QStringLiteral("2"));
        GridOps::deleteRowsBelow(plan, 0);
        QCOMPARE(plan.rowCount(), 1);
        GridOps::insertRowBelow(plan, 0, GridOps::kListNumberOffset, GridOps::Reach::RowCount);
        QCOMPARE(plan.cell(Themes::NumberCol, 1), QStringLiteral("1"));
        QCOMPARE(plan.cell(Themes::NumberCol, 0), QStringLiteral("№"));
    }
};

QTEST_GUILESS_MAIN(TestThemes)
#include "test_themes.moc"
