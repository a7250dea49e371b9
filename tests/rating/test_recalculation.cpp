#include "journal/errors.h"
#include "rating/decimal4.h"
#include "rating/recalculation.h"
#include "testjournal.h"

#include <QtTest>

using namespace ResultGrids;

class TestRecalculation : public QObject
{
    Q_OBJECT

    static Grid workedExample()
    {
        return makeJournal({"т1", "кт"}, {"2", "1"},
                           {{"Иванов", "5", "4"}, {"Петрова", "3", ""}, {"Сидоров", "", "5"}});
    }

    static QString errorOf(const Grid &journal, const Thresholds &t, ResultSet &rs)
    {
        try {
            recalculate(journal, t, rs.itog, rs.uspev, rs.summi, rs.indicators);
        } catch (const ConversionError &e) {
            return e.message();
        }
        return {};
    }

private Q_SLOTS:
    void workedExampleComesOutExactly()
    {
        const Grid j = workedExample();
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);

        QCOMPARE(rs.itog.rowCount(), 4);
        QCOMPARE(rs.itog.fixedRows(), 1);
        QCOMPARE(row(rs.itog, 0), itogHeaders());
        QCOMPARE(row(rs.itog, 1), (QStringList{"1", "Иванов", "14", "100", "10", " 5", "0", "0"}));
        QCOMPARE(row(rs.itog, 2), (QStringList{"2", "Петрова", "6", "  43", "  5", " 2", "0", "0"}));
        QCOMPARE(row(rs.itog, 3), (QStringList{"3", "Сидоров", "5", "  36", "  4", " 2", "1", "100"}));

        QCOMPARE(row(rs.uspev, 0), (QStringList{"Оценка", "5", "4", "3", "2"}));
        QCOMPARE(row(rs.uspev, 1), (QStringList{"Штук", "1", "0", "0", "2"}));
        QCOMPARE(row(rs.uspev, 2), (QStringList{"Процент", "33", "0", "0", "67"}));

        QCOMPARE(rs.indicators.ka4, QStringLiteral("33"));
        QCOMPARE(rs.indicators.obu4, QStringLiteral("44"));
        QCOMPARE(rs.indicators.uspewa, QStringLiteral("33"));

        QCOMPARE(column(rs.summi, 2), (QStringList{"т1", "", "5,3", "", "5,3", "10", "6", "4"}));
        QCOMPARE(column(rs.summi, 3), (QStringList{"кт", "", "3", "", "8,3", "5", "4", "1"}));
        QCOMPARE(column(rs.summi, 1), (QStringList{"Имя \\ Код", "", "Среднее", "", "Среднее нак.", "Максимум", "Минимум", "Макс-Мин"}));

        // Recalculating again starts every count from zero.
        const Grid itog = rs.itog;
        const Grid uspev = rs.uspev;
        const Grid summi = rs.summi;
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(rs.itog, itog);
        QCOMPARE(rs.uspev, uspev);
        QCOMPARE(rs.summi, summi);
    }

    // Each case: one journal, then the expected Itog columns 2-7 of each student.
    void students_data()
    {
        QTest::addColumn<Grid>("journal");
        QTest::addColumn<Thresholds>("thresholds");
        QTest::addColumn<QList<QStringList>>("expected");
        QTest::newRow("no score at all")
            << makeJournal({"т"}, {"1"}, {{"А", "5"}, {"Б", ""}}) << Thresholds()
            << QList<QStringList>{{"5", "100", "10", " 5", "0", "0"}, {"0", "  0", "  0", " 2", "1", "100"}};
        QTest::newRow("letters and dashes are neither scores nor absences, blanks are absences")
            << makeJournal({"т", "т"}, {"1", "1"}, {{"А", "н", " 4 "}, {"Б", "-", "   "}}) << Thresholds()
            << QList<QStringList>{{"4", "100", "10", " 5", "0", "0"}, {"0", "  0", "  0", " 2", "1", "50"}};
        QTest::newRow("кт anywhere in the code is no lesson")
            << makeJournal({"кт1", "Акт", "т"}, {"1", "1", "1"}, {{"А", "", "", ""}}) << Thresholds()
            << QList<QStringList>{{"0", "  0", "  0", " 2", "1", "100"}};
        QTest::newRow("percent ties to even")
            << makeJournal({"т"}, {"1"}, {{"А", "8"}, {"Б", "1"}, {"В", "3"}, {"Г", "5,4"}}) << Thresholds()
            << QList<QStringList>{{"8", "100", "10", " 5", "0", "0"},
                                  {"1", "  12", "  2", " 2", "0", "0"},
                                  {"3", "  38", "  4", " 2", "0", "0"},
                                  {"5,4", "  68", "  7", " 3", "0", "0"}};
        QTest::newRow("threshold bounds") << makeJournal({"т"}, {"1"}, {{"А", "100"}, {"Б", "62"}, {"В", "63"}, {"Г", "70"}})
                                          << Thresholds{"62,5", "70", "85"}
                                          << QList<QStringList>{{"100", "100", "10", " 5", "0", "0"},
                                                                {"62", "  62", "  7", " 2", "0", "0"},
                                                                {"63", "  63", "  7", " 3", "0", "0"},
                                                                {"70", "  70", "  7", " 4", "0", "0"}};
        QTest::newRow("weights with decimals and exponent; products rounded")
            << makeJournal({"т", "т"}, {"0,3333", "1E-1"}, {{"А", "4,75", "2"}, {"Б", "0,00015", ""}}) << Thresholds()
            << QList<QStringList>{{"1,7832", "100", "10", " 5", "0", "0"}, {"0,0001", "  0", "  0", " 2", "1", "50"}};
        QTest::newRow("scores read in every form") // 5 decimals tie to even, leading zeros, comma first or last
            << makeJournal({"т", "т", "т", "т"}, {"1", "1", "1", "1"}, {{"А", "4,56785", "0007", ",5", "5,"}}) << Thresholds()
            << QList<QStringList>{{"17,0678", "100", "10", " 5", "0", "0"}};
        QTest::newRow("best total 0")
            << makeJournal({"т"}, {"1"}, {{"А", "0"}, {"Б", ""}}) << Thresholds{"0", "70", "85"}
            << QList<QStringList>{{"0", "  0", "  0", " 3", "0", "0"}, {"0", "  0", "  0", " 3", "1", "100"}};
        QTest::newRow("negative weight: negative percentage")
            << makeJournal({"т", "т"}, {"1", "-1"}, {{"А", "10", ""}, {"Б", "", "5"}}) << Thresholds()
            << QList<QStringList>{{"10", "100", "10", " 5", "1", "50"}, {"-5", "  -50", "  0", " 2", "1", "50"}};
        QTest::newRow("no lesson columns")
            << makeJournal({}, {}, {{"А"}, {"Б"}}) << Thresholds()
            << QList<QStringList>{{"0", "  0", "  0", " 2", "0", "0"}, {"0", "  0", "  0", " 2", "0", "0"}};
    }
    void students()
    {
        QFETCH(Grid, journal);
        QFETCH(Thresholds, thresholds);
        QFETCH(QList<QStringList>, expected);
        ResultSet rs(journal);
        recalculate(journal, thresholds, rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(rs.itog.rowCount(), expected.size() + 1);
        for (int k = 0; k < expected.size(); ++k)
            QCOMPARE(row(rs.itog, k + 1).mid(2), expected[k]);
    }

    void groupFigures_data()
    {
        QTest::addColumn<Grid>("journal");
        QTest::addColumn<QStringList>("summiColumn2"); // rows 2, 4, 5, 6, 7
        QTest::addColumn<QStringList>("uspev");         // counts then shares of 5, 4, 3, 2
        QTest::addColumn<QStringList>("indicators");    // Uspewa, Ka4, Obu4
        QTest::newRow("average divides by all students: 9 / 4 = 2,25 → 2,2")
            << makeJournal({"т"}, {"1"}, {{"А", "4"}, {"Б", "5"}, {"В", ""}, {"Г", "н"}})
            << QStringList{"2,2", "2,2", "5", "4", "1"} << QStringList{"1", "1", "0", "2", "25", "25", "0", "50"}
            << QStringList{"50", "50", "49"};
        QTest::newRow("column without scores")
            << makeJournal({"т"}, {"3"}, {{"А", ""}, {"Б", "н"}}) << QStringList{"0", "0", "0", "0", "0"}
            << QStringList{"0", "0", "0", "2", "0", "0", "0", "100"} << QStringList{"0", "0", "16"};
        QTest::newRow("lowest starts at 200")
            << makeJournal({"т"}, {"1"}, {{"А", "250"}, {"Б", "300"}}) << QStringList{"275", "275", "300", "200", "100"}
            << QStringList{"1", "1", "0", "0", "50", "50", "0", "0"} << QStringList{"100", "100", "82"};
        QTest::newRow("three of eight satisfactory: 0,375 → 0,37")
            << makeJournal({"т"}, {"1"}, {{"А", "10"}, {"Б", "8"}, {"В", "5"}, {"Г", "1"}, {"Д", "1"}, {"Е", "1"}, {"Ж", "1"}, {"З", "1"}})
            << QStringList{"3,5", "3,5", "10", "1", "9"} << QStringList{"1", "1", "1", "5", "12", "12", "12", "62"}
            << QStringList{"37", "24", "35"};
        QTest::newRow("shares rounded before quality: 33 + 33")
            << makeJournal({"т"}, {"1"}, {{"А", "100"}, {"Б", "75"}, {"В", "0"}})
            << QStringList{"58,3", "58,3", "100", "0", "100"} << QStringList{"1", "1", "0", "1", "33", "33", "0", "33"}
            << QStringList{"67", "66", "60"};
        QTest::newRow("learning degree with a decimal")
            << makeJournal({"т"}, {"1"}, {{"А", "100"}, {"Б", "75"}, {"В", "60"}, {"Г", "60"}, {"Д", "60"}, {"Е", "60"}, {"Ж", "60"}})
            << QStringList{"67,9", "67,9", "100", "60", "40"} << QStringList{"1", "1", "5", "0", "14", "14", "71", "0"}
            << QStringList{"100", "28", "49,1"};
    }
    void groupFigures()
    {
        QFETCH(Grid, journal);
        QFETCH(QStringList, summiColumn2);
        QFETCH(QStringList, uspev);
        QFETCH(QStringList, indicators);
        ResultSet rs(journal);
        recalculate(journal, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE((QStringList{rs.summi.cell(2, 2), rs.summi.cell(2, 4), rs.summi.cell(2, 5), rs.summi.cell(2, 6), rs.summi.cell(2, 7)}),
                 summiColumn2);
        QCOMPARE(row(rs.uspev, 1).mid(1) + row(rs.uspev, 2).mid(1), uspev);
        QCOMPARE((QStringList{rs.indicators.uspewa, rs.indicators.ka4, rs.indicators.obu4}), indicators);
    }

    // One column whose scores are written in short forms (5, 10, 4,5) and in
    // every other form, side by side: each counts in the sums and statistics
    // as Decimal4 multiplies it, products rounded to four decimals, ties to even.
    void scoresOfEveryFormInOneColumn_data()
    {
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QStringList>("sums");
        QTest::addColumn<QStringList>("statistics"); // Summi rows 2, 5, 6, 7
        QTest::newRow("whole weight")
            << QStringList{"5", " 4 ", "4,5", "100", "н", "", "12,25", "05", "3"} << QString("2")
            << QStringList{"10", "8", "9", "200", "0", "0", "24,5", "10", "6"} << QStringList{"29,7", "200", "6", "194"};
        QTest::newRow("weight 0,5: halves of the fourth decimal to even")
            << QStringList{"4,5", "0,0001", "0,0003", "1,0001", "7", ",5", "9,9"} << QString("0,5")
            << QStringList{"2,25", "0", "0,0002", "0,5", "3,5", "0,25", "4,95"} << QStringList{"1,6", "4,95", "0", "4,95"};
        QTest::newRow("negative fractional weight")
            << QStringList{"0,0003", "3", "0,0001", "4,5", "10"} << QString("-0,5")
            << QStringList{"-0,0002", "-1,5", "0", "-2,25", "-5"} << QStringList{"-1,8", "-5", "0", "-5"};
    }
    void scoresOfEveryFormInOneColumn()
    {
        QFETCH(QStringList, cells);
        QFETCH(QString, weight);
        QFETCH(QStringList, sums);
        QFETCH(QStringList, statistics);
        QList<QStringList> students;
        for (const QString &cell : cells)
            students << QStringList{QStringLiteral("У%1").arg(students.size()), cell};
        const Grid j = makeJournal({"т"}, {weight}, students);
        ResultSet rs(j);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(column(rs.itog, SumCol, 1), sums);
        QCOMPARE((QStringList{rs.summi.cell(2, 2), rs.summi.cell(2, 5), rs.summi.cell(2, 6), rs.summi.cell(2, 7)}), statistics);
    }

    // A sum or product beyond the range is found at the cell where it happens,
    // even in a long run of ordinary scores.
    void overflowFoundAtItsCell_data()
    {
        QTest::addColumn<Grid>("journal");
        QTest::addColumn<QStringList>("named");
        QList<QStringList> tenFives;
        for (int k = 0; k < 12; ++k)
            tenFives << QStringList{QStringLiteral("У%1").arg(k), "5"};
        QTest::newRow("column sum at the tenth student")
            << makeJournal({"т"}, {"20000000000000"}, tenFives) << QStringList{"столбец 2, строка 13", "сумма столбца"};
        QTest::newRow("product at the first student")
            << makeJournal({"т"}, {"200000000000000"}, tenFives) << QStringList{"столбец 2, строка 4", "умножения 5 на"};
        QStringList codes, weights, fives{"А"}, empty{"Б"};
        for (int c = 0; c < 12; ++c) {
            codes << "т";
            weights << "20000000000000";
            fives << "5";
            empty << "";
        }
        QTest::newRow("a student's sum at the tenth column")
            << makeJournal(codes, weights, {fives, empty}) << QStringList{"столбец 11, строка 4", "ученика «А»"};
    }
    void overflowFoundAtItsCell()
    {
        QFETCH(Grid, journal);
        QFETCH(QStringList, named);
        ResultSet rs(journal);
        const QString message = errorOf(journal, Thresholds(), rs);
        for (const QString &part : named)
            QVERIFY2(message.contains(part), qPrintable(message));
    }

    void withoutStudentsEverythingIsZero()
    {
        ResultSet rs(workedExample());
        recalculate(workedExample(), Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        const Grid empty = makeJournal({"т", "т"}, {"1", "2"}, {});
        recalculate(empty, Thresholds{"x", "x", "x"}, rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(rs.itog.rowCount(), 1);
        QCOMPARE(row(rs.itog, 0), itogHeaders());
        QCOMPARE(row(rs.uspev, 1), (QStringList{"Штук", "0", "0", "0", "0"}));
        QCOMPARE(row(rs.uspev, 2), (QStringList{"Процент", "0", "0", "0", "0"}));
        QCOMPARE((QStringList{rs.indicators.uspewa, rs.indicators.ka4, rs.indicators.obu4}), (QStringList{"0", "0", "0"}));
        QCOMPARE(column(rs.summi, 3, 2), (QStringList{"0", "", "0", "0", "0", "0"}));

        // The header row is fixed again as soon as there are students.
        recalculate(workedExample(), Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(rs.itog.fixedRows(), 1);
    }

    void narrowSummiKeepsTheAccumulation()
    {
        const Grid j = makeJournal({"т", "т", "т"}, {"1", "1", "1"}, {{"А", "1", "2", "3"}});
        ResultSet rs(j);
        rs.summi.setColCount(3);
        recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(rs.summi.colCount(), 3);
        QCOMPARE(rs.summi.cell(2, 4), QStringLiteral("1"));
        QCOMPARE(rs.itog.cell(2, 1), QStringLiteral("6"));
    }

    void stopsAtTheFirstFailure()
    {
        // A weight that is no number: the columns before it are done, nothing else.
        Grid j = makeJournal({"т", "т", "т"}, {"1", "x", "1"}, {{"А", "5", "5", "5"}});
        ResultSet rs(j);
        const Grid itogBefore = rs.itog;
        QString message = errorOf(j, Thresholds(), rs);
        QVERIFY2(message.contains("«x»") && message.contains("столбец 3"), qPrintable(message));
        QCOMPARE(rs.summi.cell(2, 2), QStringLiteral("5"));
        QCOMPARE(rs.summi.cell(3, 2), QString());
        QCOMPARE(rs.itog, itogBefore);

        // An empty weight is no number either.
        j.setCell(3, 3, QString());
        QVERIFY(errorOf(j, Thresholds(), rs).contains("«»"));

        // A cell that passes the score test but is no number.
        j = makeJournal({"т", "т"}, {"1", "1"}, {{"А", "5", "4"}, {"Б", "1,,2", "3"}});
        ResultSet rs2(j);
        message = errorOf(j, Thresholds(), rs2);
        QVERIFY2(message.contains("«1,,2»") && message.contains("строка 5"), qPrintable(message));
        QCOMPARE(rs2.summi.cell(2, 2), QString());
        j.setCell(2, 5, QStringLiteral(" , "));
        QVERIFY(errorOf(j, Thresholds(), rs2).contains("« , »"));

        // A threshold that is no number: names and sums are written, the first
        // student's percent and ten-point grade too, then it stops.
        j = makeJournal({"т"}, {"1"}, {{"А", "5"}, {"Б", "4"}});
        ResultSet rs3(j);
        message = errorOf(j, Thresholds{"50", "7O", "85"}, rs3);
        QVERIFY2(message.contains("«7O»"), qPrintable(message));
        QCOMPARE(row(rs3.itog, 1), (QStringList{"1", "А", "5", "100", "10", "", "", ""}));
        QCOMPARE(row(rs3.itog, 2), (QStringList{"2", "Б", "4", "", "", "", "", ""}));
        QCOMPARE(rs3.summi.cell(2, 2), QStringLiteral("4,5"));
        QCOMPARE(row(rs3.uspev, 1), (QStringList{"Штук", "", "", "", ""}));
    }

    void overflowStopsWithAMessage()
    {
        // Each product fits, the column sum does not.
        Grid j = makeJournal({"т"}, {"1"}, {{"А", "900000000000000"}, {"Б", "900000000000000"}});
        ResultSet rs(j);
        QVERIFY(!errorOf(j, Thresholds(), rs).isEmpty());
        // A product out of range.
        j = makeJournal({"т"}, {"1000000"}, {{"А", "1000000000000"}});
        QVERIFY(errorOf(j, Thresholds(), rs).contains("строка 4"));
        // A student's sum out of range after the column statistics are written.
        j = makeJournal({"т", "т"}, {"1", "1"}, {{"А", "900000000000000", "900000000000000"}, {"Б", "1", "1"}});
        ResultSet rs2(j);
        const QString message = errorOf(j, Thresholds(), rs2);
        QVERIFY2(message.contains("«А»"), qPrintable(message));
        QCOMPARE(rs2.summi.cell(3, 5), QStringLiteral("900000000000000"));
        QCOMPARE(rs2.itog.cell(1, 2), QStringLiteral("Б"));
        QCOMPARE(rs2.itog.cell(2, 1), QString());
    }
};

QTEST_GUILESS_MAIN(TestRecalculation)
#include "test_recalculation.moc"
