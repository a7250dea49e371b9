#include "journal/errors.h"
#include "rating/ranking.h"
#include "testjournal.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using namespace ResultGrids;

class TestRanking : public QObject
{
    Q_OBJECT

    // An Itog with the given (name, sum) rows, the other columns tagged by name.
    static Grid itogWith(const QList<QPair<QString, QString>> &rows)
    {
        Grid itog = makeItog();
        itog.setRowCount(int(rows.size()) + 1);
        for (int k = 1; k <= rows.size(); ++k) {
            itog.setCell(0, k, QString::number(k));
            itog.setCell(1, k, rows[k - 1].first);
            itog.setCell(2, k, rows[k - 1].second);
            for (int c = 3; c < 8; ++c)
                itog.setCell(c, k, rows[k - 1].first + QString::number(c));
        }
        return itog;
    }

private Q_SLOTS:
    void ranks_data()
    {
        QTest::addColumn<QStringList>("sums");
        QTest::addColumn<QStringList>("names"); // the names from the top after ranking
        QTest::newRow("descending") << QStringList{u"10"_s, u"30"_s, u"20"_s} << QStringList{u"Б"_s, u"В"_s, u"А"_s};
        QTest::newRow("already ranked") << QStringList{u"30"_s, u"20"_s, u"10"_s} << QStringList{u"А"_s, u"Б"_s, u"В"_s};
        QTest::newRow("two equal end reversed") << QStringList{u"5"_s, u"5"_s} << QStringList{u"Б"_s, u"А"_s};
        QTest::newRow("equal sums among others") << QStringList{u"5"_s, u"7"_s, u"5"_s, u"5"_s} << QStringList{u"Б"_s, u"В"_s, u"Г"_s, u"А"_s};
        QTest::newRow("sum texts as numbers") << QStringList{u" 9,5"_s, u"10"_s, u"-1"_s, u"1E1"_s} << QStringList{u"Б"_s, u"Г"_s, u"А"_s, u"В"_s};
        QTest::newRow("one") << QStringList{u"3"_s} << QStringList{u"А"_s};
    }
    void ranks()
    {
        QFETCH(QStringList, sums);
        QFETCH(QStringList, names);
        const QStringList letters = {u"А"_s, u"Б"_s, u"В"_s, u"Г"_s};
        QList<QPair<QString, QString>> rows;
        for (int i = 0; i < sums.size(); ++i)
            rows << qMakePair(letters[i], sums[i]);
        Grid itog = itogWith(rows);
        Ranking::rankResults(itog);
        QCOMPARE(column(itog, 1, 1), names);
        for (int k = 1; k <= names.size(); ++k) {
            QCOMPARE(itog.cell(0, k), QString::number(k)); // the number column reads as the rank
            QCOMPARE(itog.cell(7, k), names[k - 1] + u"7"_s); // whole rows move
            QCOMPARE(itog.cell(2, k), sums[letters.indexOf(names[k - 1])]);
        }
    }

    void rankingAHeaderOnlyGridOrABadSum()
    {
        Grid header = makeItog();
        header.setRowCount(1);
        const Grid before = header;
        Ranking::rankResults(header);
        QCOMPARE(header, before);

        Grid itog = itogWith({{u"А"_s, u"1"_s}, {u"Б"_s, u"2"_s}, {u"В"_s, u"abc"_s}});
        const Grid unchanged = itog;
        try {
            Ranking::rankResults(itog);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(u"«abc»"_s) && e.message().contains(u"строка 3"_s), qPrintable(e.message()));
        }
        QCOMPARE(itog, unchanged);
    }

    void averageStudent()
    {
        const Grid j = makeJournal({u"т"_s, u"т"_s}, {u"1"_s, u"1"_s}, {{u"А"_s, u"10"_s, u"9"_s}, {u"Б"_s, u"3"_s, u""_s}, {u"В"_s, u""_s, u"1"_s}});
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        // sums 19, 3, 1; percents 100, 16, 5; ten-point 10, 2, 1; five-point 5, 2, 2; absences 0, 1, 1 → 0, 50, 50.
        QVERIFY(Ranking::appendAverageStudent(rs.itog));
        QCOMPARE(row(rs.itog, 4), (QStringList{u"4"_s, u"*** среднее ***"_s, u"7,6667"_s, u"40,3333"_s, u"4,3333"_s, u"3"_s, u"0,6667"_s, u"33,3333"_s}));
        QVERIFY(Ranking::appendAverageStudent(rs.itog));
        QCOMPARE(row(rs.itog, 5), (QStringList{u"5"_s, u"*** среднее ***"_s, u"7,6667"_s, u"40,3333"_s, u"4,3333"_s, u"3"_s, u"0,6667"_s, u"33,3333"_s}));

        // Ranked, the average rows stand between the students above and below them.
        Ranking::rankResults(rs.itog);
        QCOMPARE(column(rs.itog, 1, 1), (QStringList{u"А"_s, u"*** среднее ***"_s, u"*** среднее ***"_s, u"Б"_s, u"В"_s}));
        QCOMPARE(column(rs.itog, 0, 1), (QStringList{u"1"_s, u"2"_s, u"3"_s, u"4"_s, u"5"_s}));

        Grid empty = makeItog();
        empty.setRowCount(1);
        QVERIFY(!Ranking::appendAverageStudent(empty));
        QCOMPARE(empty.rowCount(), 1);

        Grid bad = itogWith({{u"А"_s, u"1"_s}, {u"Б"_s, u"2"_s}}); // column 3 holds names
        QVERIFY_THROWS_EXCEPTION(ConversionError, Ranking::appendAverageStudent(bad));
        QCOMPARE(bad.rowCount(), 4);
        QCOMPARE(bad.cell(2, 3), QStringLiteral("1,5"));
    }

    void sumColumnGivesEveryStudentHisOwnSum()
    {
        Grid j = makeJournal({u"т"_s}, {u"2"_s}, {{u"А"_s, u"1"_s}, {u"Б"_s, u"5"_s}, {u"В"_s, u"3"_s}});
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QVERIFY(Ranking::itogInJournalOrder(j, rs.itog));
        Ranking::rankResults(rs.itog);
        QVERIFY(!Ranking::itogInJournalOrder(j, rs.itog));

        QVERIFY(Ranking::appendOwnSumColumn(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators));
        QCOMPARE(j.colCount(), 4);
        QCOMPARE(column(j, 3), (QStringList{u""_s, u""_s, u"Су"_s, u"1"_s, u"2"_s, u"10"_s, u"6"_s}));
        QCOMPARE(rs.summi.colCount(), 3); // Summi gains it at its next column count

        // In journal order nothing is recalculated: the sums are copied as they stand.
        rs.itog.setCell(2, 1, QStringLiteral("99"));
        QVERIFY(!Ranking::appendOwnSumColumn(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators));
        QCOMPARE(column(j, 4, 2), (QStringList{u"Су"_s, u"1"_s, u"99"_s, u"10"_s, u"6"_s}));

        // An average row, or two students of one name, make the order uncertain.
        Ranking::appendAverageStudent(rs.itog);
        QVERIFY(!Ranking::itogInJournalOrder(j, rs.itog));
        Grid twins = makeJournal({u"т"_s}, {u"1"_s}, {{u"Ан"_s, u"1"_s}, {u"Ан"_s, u"2"_s}});
        ResultSet rt(twins);
        recalculate(twins, Thresholds(), rt.itog, rt.uspev, rt.summi, rt.indicators);
        QVERIFY(!Ranking::itogInJournalOrder(twins, rt.itog));

        // The next recalculation counts the sum column once more, with weight 1.
        Grid k = makeJournal({u"т"_s}, {u"2"_s}, {{u"А"_s, u"1"_s}});
        ResultSet rk(k);
        recalculate(k, Thresholds(), rk.itog, rk.uspev, rk.summi, rk.indicators);
        Ranking::appendOwnSumColumn(k, Thresholds(), rk.itog, rk.uspev, rk.summi, rk.indicators);
        recalculate(k, Thresholds(), rk.itog, rk.uspev, rk.summi, rk.indicators);
        QCOMPARE(rk.itog.cell(2, 1), QStringLiteral("4"));
        QCOMPARE(rk.itog.cell(6, 1), QStringLiteral("0"));
    }

    void currentGradesFollowTheJournalRows()
    {
        const Grid j = makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"1"_s}, {u"Б"_s, u"10"_s}, {u"В"_s, u""_s}});
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(Ranking::currentGradeTexts(j, rs.itog), (QStringList{u" 2"_s, u" 5"_s, u" 2"_s}));
    }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "test_ranking.moc"
