#include "journal/errors.h"
#include "rating/dynamics.h"
#include "testjournal.h"

#include <QtTest>

using namespace ResultGrids;

class TestDynamics : public QObject
{
    Q_OBJECT

    static Grid journal()
    {
        return makeJournal({"т", "т", "кт"}, {"2", "1", "1"},
                           {{" Орлов ", "5", "", "4"}, {"Белова", "3", "н", "1,,2"}, {"Орлов", "1", "1", "1"}});
    }

private Q_SLOTS:
    void fillsTheStudentRows()
    {
        const Grid j = journal();
        ResultSet rs(j);
        Grid j2 = j;
        j2.setCell(4, 5, "1"); // the recalculation needs numbers everywhere
        recalculate(j2, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        // averages: 18 / 3 = 6, 1 / 3 → 0,3, 6 / 3 = 2; accumulated 6, 6,3, 8,3.

        QVERIFY(Dynamics::fillDynamics(j, "Орлов", rs.summi)); // the upper one, trimmed
        QCOMPARE(row(rs.summi, 1), (QStringList{"1", " Орлов ", "10", "0", "4"}));
        QCOMPARE(row(rs.summi, 3), (QStringList{"3", " Орлов  нак.", "10", "10", "14"}));
        QCOMPARE(row(rs.summi, 4), (QStringList{"4", "Среднее нак.", "6", "6,3", "8,3"}));
        // The last column equals the student's sum in Itog.
        QCOMPARE(rs.summi.cell(4, 3), rs.itog.cell(2, 1));

        // Letters and other texts count 0; a text that passes the score test but is no number stops it.
        try {
            Dynamics::fillDynamics(j, "  Белова", rs.summi);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains("«1,,2»"), qPrintable(e.message()));
        }
        QCOMPARE(row(rs.summi, 1), (QStringList{"1", "Белова", "6", "0", "4"}));
        QCOMPARE(row(rs.summi, 3), (QStringList{"3", "Белова нак.", "6", "6", "14"}));
    }

    void unknownOrEmptyNameChangesNothing_data()
    {
        QTest::addColumn<QString>("fio");
        QTest::newRow("empty") << "";
        QTest::newRow("blanks") << "   ";
        QTest::newRow("other case") << "орлов";
        QTest::newRow("inner blanks") << "Бел ова";
        QTest::newRow("header text") << "ФИО";
    }
    void unknownOrEmptyNameChangesNothing()
    {
        QFETCH(QString, fio);
        const Grid j = journal();
        ResultSet rs(j);
        rs.summi.setCell(2, 1, "старое");
        const Grid before = rs.summi;
        QVERIFY(!Dynamics::fillDynamics(j, fio, rs.summi));
        QCOMPARE(rs.summi, before);
    }

    void badWeightStopsAtItsColumn()
    {
        Grid j = journal();
        j.setCell(3, 3, "один");
        ResultSet rs(j);
        try {
            Dynamics::fillDynamics(j, "Орлов", rs.summi);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains("«один»") && e.message().contains("столбец 3"), qPrintable(e.message()));
        }
        QCOMPARE(rs.summi.cell(2, 1), QStringLiteral("10"));
        QCOMPARE(rs.summi.cell(3, 1), QString());
    }

    void noLessonColumnsFillsNothing()
    {
        const Grid j = makeJournal({}, {}, {{"А"}});
        ResultSet rs(j);
        const Grid before = rs.summi;
        QVERIFY(Dynamics::fillDynamics(j, "А", rs.summi));
        QCOMPARE(rs.summi, before);
    }

    void selectionFromItog()
    {
        const Grid j = journal();
        Grid itog = makeItog();
        itog.setRowCount(4);
        itog.setCell(1, 1, "Орлов  ");
        itog.setCell(1, 2, "*** среднее ***");
        Dynamics::ItogSelection s = Dynamics::selectFromItog(j, itog, 1);
        QVERIFY(s.selected);
        QCOMPARE(s.fio, QStringLiteral("Орлов  "));
        QCOMPARE(s.journalRow, 4);
        s = Dynamics::selectFromItog(j, itog, 2);
        QVERIFY(s.selected);
        QCOMPARE(s.journalRow, -1);
        QVERIFY(!Dynamics::selectFromItog(j, itog, 0).selected);
        // The lookup starts at row 3: a name cell there is found too.
        Grid k = j;
        k.setCell(1, 3, "Вес");
        QCOMPARE(Dynamics::journalRowForName(k, u" Вес", 3), 3);
        QCOMPARE(Dynamics::journalRowForName(k, u"Вес", 4), -1);
    }

    void barCounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::newRow("10") << "10" << 10;
        QTest::newRow("0") << "  0" << 0;
        QTest::newRow("5") << "  5" << 5;
        QTest::newRow("mean tie to even") << "4,5" << 4;
        QTest::newRow("mean tie up") << "5,5" << 6;
        QTest::newRow("mean") << "4,3333" << 4;
        QTest::newRow("negative") << "-3" << 0;
        QTest::newRow("absurd") << "1E9" << 1000;
    }
    void barCounts()
    {
        QFETCH(QString, text);
        QTEST(Dynamics::barCount(text), "count");
    }

    void barChartStopsAtABadCell()
    {
        Grid itog = makeItog();
        itog.setRowCount(4);
        itog.setCell(4, 1, "10");
        itog.setCell(4, 2, "x");
        itog.setCell(4, 3, "  3");
        QString failure;
        QCOMPARE(Dynamics::barCounts(itog, &failure), QList<int>{10});
        QVERIFY2(failure.contains("«x»") && failure.contains("строка 2"), qPrintable(failure));
        itog.setCell(4, 2, "2");
        QCOMPARE(Dynamics::barCounts(itog, &failure), (QList<int>{10, 2, 3}));
        QVERIFY(failure.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDynamics)
#include "test_dynamics.moc"
