#include "journal/errors.h"
#include "rating/dynamics.h"
#include "testjournal.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using namespace ResultGrids;

class TestDynamics : public QObject
{
    Q_OBJECT

    static Grid journal()
    {
        return makeJournal({u"т"_s, u"т"_s, u"кт"_s}, {u"2"_s, u"1"_s, u"1"_s},
                           {{u" Орлов "_s, u"5"_s, u""_s, u"4"_s}, {u"Белова"_s, u"3"_s, u"н"_s, u"1,,2"_s}, {u"Орлов"_s, u"1"_s, u"1"_s, u"1"_s}});
    }

private Q_SLOTS:
    void fillsTheStudentRows()
    {
        const Grid j = journal();
        ResultSet rs(j);
        Grid j2 = j;
        j2.setCell(4, 5, u"1"_s); // the recalculation needs numbers everywhere
        recalculate(j2, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        // averages: 18 / 3 = 6, 1 / 3 → 0,3, 6 / 3 = 2; accumulated 6, 6,3, 8,3.

        QVERIFY(Dynamics::fillDynamics(j, u"Орлов"_s, rs.summi)); // the upper one, trimmed
        QCOMPARE(row(rs.summi, 1), (QStringList{u"1"_s, u" Орлов "_s, u"10"_s, u"0"_s, u"4"_s}));
        QCOMPARE(row(rs.summi, 3), (QStringList{u"3"_s, u" Орлов  нак."_s, u"10"_s, u"10"_s, u"14"_s}));
        QCOMPARE(row(rs.summi, 4), (QStringList{u"4"_s, u"Среднее нак."_s, u"6"_s, u"6,3"_s, u"8,3"_s}));
        // The last column equals the student's sum in Itog.
        QCOMPARE(rs.summi.cell(4, 3), rs.itog.cell(2, 1));

        // Letters and other texts count 0; a text that passes the score test but is no number stops it.
        try {
            Dynamics::fillDynamics(j, u"  Белова"_s, rs.summi);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(u"«1,,2»"_s), qPrintable(e.message()));
        }
        QCOMPARE(row(rs.summi, 1), (QStringList{u"1"_s, u"Белова"_s, u"6"_s, u"0"_s, u"4"_s}));
        QCOMPARE(row(rs.summi, 3), (QStringList{u"3"_s, u"Белова нак."_s, u"6"_s, u"6"_s, u"14"_s}));
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
        rs.summi.setCell(2, 1, u"старое"_s);
        const Grid before = rs.summi;
        QVERIFY(!Dynamics::fillDynamics(j, fio, rs.summi));
        QCOMPARE(rs.summi, before);
    }

    void badWeightStopsAtItsColumn()
    {
        Grid j = journal();
        j.setCell(3, 3, u"один"_s);
        ResultSet rs(j);
        try {
            Dynamics::fillDynamics(j, u"Орлов"_s, rs.summi);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(u"«один»"_s) && e.message().contains(u"Журнал, вес урока 2"_s), qPrintable(e.message()));
        }
        QCOMPARE(rs.summi.cell(2, 1), QStringLiteral("10"));
        QCOMPARE(rs.summi.cell(3, 1), QString());
    }

    void noLessonColumnsFillsNothing()
    {
        const Grid j = makeJournal({}, {}, {{u"А"_s}});
        ResultSet rs(j);
        const Grid before = rs.summi;
        QVERIFY(Dynamics::fillDynamics(j, u"А"_s, rs.summi));
        QCOMPARE(rs.summi, before);
    }

    void selectionFromItog()
    {
        const Grid j = journal();
        Grid itog = makeItog();
        itog.setRowCount(4);
        itog.setCell(1, 1, u"Орлов  "_s);
        itog.setCell(1, 2, u"*** среднее ***"_s);
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
        k.setCell(1, 3, u"Вес"_s);
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
        itog.setCell(4, 1, u"10"_s);
        itog.setCell(4, 2, u"x"_s);
        itog.setCell(4, 3, u"  3"_s);
        QString failure;
        QCOMPARE(Dynamics::barCounts(itog, &failure), QList<int>{10});
        QVERIFY2(failure.contains(u"«x»"_s) && failure.contains(u"строка 2"_s), qPrintable(failure));
        itog.setCell(4, 2, u"2"_s);
        QCOMPARE(Dynamics::barCounts(itog, &failure), (QList<int>{10, 2, 3}));
        QVERIFY(failure.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDynamics)
#include "test_dynamics.moc"
