#include "journal/errors.h"
#include "rating/ranking.h"
#include "testjournal.h"

#include <QtTest>

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
        QTest::newRow("descending") << QStringList{"10", "30", "20"} << QStringList{"Б", "В", "А"};
        QTest::newRow("already ranked") << QStringList{"30", "20", "10"} << QStringList{"А", "Б", "В"};
        QTest::newRow("two equal end reversed") << QStringList{"5", "5"} << QStringList{"Б", "А"};
        QTest::newRow("equal sums among others") << QStringList{"5", "7", "5", "5"} << QStringList{"Б", "В", "Г", "А"};
        QTest::newRow("sum texts as numbers") << QStringList{" 9,5", "10", "-1", "1E1"} << QStringList{"Б", "Г", "А", "В"};
        QTest::newRow("one") << QStringList{"3"} << QStringList{"А"};
    }
    void ranks()
    {
        QFETCH(QStringList, sums);
        QFETCH(QStringList, names);
        const QStringList letters = {"А", "Б", "В", "Г"};
        QList<QPair<QString, QString>> rows;
        for (int i = 0; i < sums.size(); ++i)
            rows << qMakePair(letters[i], sums[i]);
        Grid itog = itogWith(rows);
        Ranking::rankResults(itog);
        QCOMPARE(column(itog, 1, 1), names);
        for (int k = 1; k <= names.size(); ++k) {
            QCOMPARE(itog.cell(0, k), QString::number(k)); // the number column reads as the rank
            QCOMPARE(itog.cell(7, k), names[k - 1] + "7"); // whole rows move
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

        Grid itog = itogWith({{"А", "1"}, {"Б", "2"}, {"В", "abc"}});
        const Grid unchanged = itog;
        try {
            Ranking::rankResults(itog);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains("«abc»") && e.message().contains("строка 3"), qPrintable(e.message()));
        }
        QCOMPARE(itog, unchanged);
    }

    void averageStudent()
    {
        const Grid j = makeJournal({"т", "т"}, {"1", "1"}, {{"А", "10", "9"}, {"Б", "3", ""}, {"В", "", "1"}});
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        // sums 19, 3, 1; percents 100, 16, 5; ten-point 10, 2, 1; five-point 5, 2, 2; absences 0, 1, 1 → 0, 50, 50.
        QVERIFY(Ranking::appendAverageStudent(rs.itog));
        QCOMPARE(row(rs.itog, 4), (QStringList{"4", "*** среднее ***", "7,6667", "40,3333", "4,3333", "3", "0,6667", "33,3333"}));
        QVERIFY(Ranking::appendAverageStudent(rs.itog));
        QCOMPARE(row(rs.itog, 5), (QStringList{"5", "*** среднее ***", "7,6667", "40,3333", "4,3333", "3", "0,6667", "33,3333"}));

        // Ranked, the average rows stand between the students above and below them.
        Ranking::rankResults(rs.itog);
        QCOMPARE(column(rs.itog, 1, 1), (QStringList{"А", "*** среднее ***", "*** среднее ***", "Б", "В"}));
        QCOMPARE(column(rs.itog, 0, 1), (QStringList{"1", "2", "3", "4", "5"}));

        Grid empty = makeItog();
        empty.setRowCount(1);
        QVERIFY(!Ranking::appendAverageStudent(empty));
        QCOMPARE(empty.rowCount(), 1);

        Grid bad = itogWith({{"А", "1"}, {"Б", "2"}}); // column 3 holds names
        QVERIFY_THROWS_EXCEPTION(ConversionError, Ranking::appendAverageStudent(bad));
        QCOMPARE(bad.rowCount(), 4);
        QCOMPARE(bad.cell(2, 3), QStringLiteral("1,5"));
    }

    void sumColumnGivesEveryStudentHisOwnSum()
    {
        Grid j = makeJournal({"т"}, {"2"}, {{"А", "1"}, {"Б", "5"}, {"В", "3"}});
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QVERIFY(Ranking::itogInJournalOrder(j, rs.itog));
        Ranking::rankResults(rs.itog);
        QVERIFY(!Ranking::itogInJournalOrder(j, rs.itog));

        QVERIFY(Ranking::appendOwnSumColumn(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators));
        QCOMPARE(j.colCount(), 4);
        QCOMPARE(column(j, 3), (QStringList{"", "", "Су", "1", "2", "10", "6"}));
        QCOMPARE(rs.summi.colCount(), 3); // Summi gains it at its next column count

        // In journal order nothing is recalculated: the sums are copied as they stand.
        rs.itog.setCell(2, 1, QStringLiteral("99"));
        QVERIFY(!Ranking::appendOwnSumColumn(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators));
        QCOMPARE(column(j, 4, 2), (QStringList{"Су", "1", "99", "10", "6"}));

        // An average row, or two students of one name, make the order uncertain.
        Ranking::appendAverageStudent(rs.itog);
        QVERIFY(!Ranking::itogInJournalOrder(j, rs.itog));
        Grid twins = makeJournal({"т"}, {"1"}, {{"Ан", "1"}, {"Ан", "2"}});
        ResultSet rt(twins);
        recalculate(twins, Thresholds(), rt.itog, rt.uspev, rt.summi, rt.indicators);
        QVERIFY(!Ranking::itogInJournalOrder(twins, rt.itog));

        // The next recalculation counts the sum column once more, with weight 1.
        Grid k = makeJournal({"т"}, {"2"}, {{"А", "1"}});
        ResultSet rk(k);
        recalculate(k, Thresholds(), rk.itog, rk.uspev, rk.summi, rk.indicators);
        Ranking::appendOwnSumColumn(k, Thresholds(), rk.itog, rk.uspev, rk.summi, rk.indicators);
        recalculate(k, Thresholds(), rk.itog, rk.uspev, rk.summi, rk.indicators);
        QCOMPARE(rk.itog.cell(2, 1), QStringLiteral("4"));
        QCOMPARE(rk.itog.cell(6, 1), QStringLiteral("0"));
    }

    void currentGradesFollowTheJournalRows()
    {
        const Grid j = makeJournal({"т"}, {"1"}, {{"А", "1"}, {"Б", "10"}, {"В", ""}});
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(Ranking::currentGradeTexts(j, rs.itog), (QStringList{" 2", " 5", " 2"}));
    }
};

QTEST_GUILESS_MAIN(TestRanking)
#include "test_ranking.moc"
