#include "journal/errors.h"
#include "rating/decimal4.h"
#include "rating/recalculation.h"
#include "rating/scorecell.h"
#include "testjournal.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using namespace ResultGrids;

class TestRecalculation : public QObject
{
    Q_OBJECT

    static Grid workedExample()
    {
        return makeJournal({u"т1"_s, u"кт"_s}, {u"2"_s, u"1"_s},
                           {{u"Иванов"_s, u"5"_s, u"4"_s}, {u"Петрова"_s, u"3"_s, u""_s}, {u"Сидоров"_s, u""_s, u"5"_s}});
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
        QCOMPARE(row(rs.itog, 1), (QStringList{u"1"_s, u"Иванов"_s, u"14"_s, u"100"_s, u"10"_s, u" 5"_s, u"0"_s, u"0"_s}));
        QCOMPARE(row(rs.itog, 2), (QStringList{u"2"_s, u"Петрова"_s, u"6"_s, u"  43"_s, u"  5"_s, u" 2"_s, u"0"_s, u"0"_s}));
        QCOMPARE(row(rs.itog, 3), (QStringList{u"3"_s, u"Сидоров"_s, u"5"_s, u"  36"_s, u"  4"_s, u" 2"_s, u"1"_s, u"100"_s}));

        QCOMPARE(row(rs.uspev, 0), (QStringList{u"Оценка"_s, u"5"_s, u"4"_s, u"3"_s, u"2"_s}));
        QCOMPARE(row(rs.uspev, 1), (QStringList{u"Штук"_s, u"1"_s, u"0"_s, u"0"_s, u"2"_s}));
        QCOMPARE(row(rs.uspev, 2), (QStringList{u"Процент"_s, u"33"_s, u"0"_s, u"0"_s, u"67"_s}));

        QCOMPARE(rs.indicators.ka4, QStringLiteral("33"));
        QCOMPARE(rs.indicators.obu4, QStringLiteral("44"));
        QCOMPARE(rs.indicators.uspewa, QStringLiteral("33"));

        QCOMPARE(column(rs.summi, 2), (QStringList{u"т1"_s, u""_s, u"5,3"_s, u""_s, u"5,3"_s, u"10"_s, u"6"_s, u"4"_s}));
        QCOMPARE(column(rs.summi, 3), (QStringList{u"кт"_s, u""_s, u"3"_s, u""_s, u"8,3"_s, u"5"_s, u"4"_s, u"1"_s}));
        QCOMPARE(column(rs.summi, 1), (QStringList{u"Имя \\ Код"_s, u""_s, u"Среднее"_s, u""_s, u"Среднее нак."_s, u"Максимум"_s, u"Минимум"_s, u"Макс-Мин"_s}));

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
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"5"_s}, {u"Б"_s, u""_s}}) << Thresholds()
            << QList<QStringList>{{u"5"_s, u"100"_s, u"10"_s, u" 5"_s, u"0"_s, u"0"_s}, {u"0"_s, u"  0"_s, u"  0"_s, u" 2"_s, u"1"_s, u"100"_s}};
        QTest::newRow("letters and dashes are neither scores nor absences, blanks are absences")
            << makeJournal({u"т"_s, u"т"_s}, {u"1"_s, u"1"_s}, {{u"А"_s, u"н"_s, u" 4 "_s}, {u"Б"_s, u"-"_s, u"   "_s}}) << Thresholds()
            << QList<QStringList>{{u"4"_s, u"100"_s, u"10"_s, u" 5"_s, u"0"_s, u"0"_s}, {u"0"_s, u"  0"_s, u"  0"_s, u" 2"_s, u"1"_s, u"50"_s}};
        QTest::newRow("кт anywhere in the code is no lesson")
            << makeJournal({u"кт1"_s, u"Акт"_s, u"т"_s}, {u"1"_s, u"1"_s, u"1"_s}, {{u"А"_s, u""_s, u""_s, u""_s}}) << Thresholds()
            << QList<QStringList>{{u"0"_s, u"  0"_s, u"  0"_s, u" 2"_s, u"1"_s, u"100"_s}};
        QTest::newRow("percent ties to even")
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"8"_s}, {u"Б"_s, u"1"_s}, {u"В"_s, u"3"_s}, {u"Г"_s, u"5,4"_s}}) << Thresholds()
            << QList<QStringList>{{u"8"_s, u"100"_s, u"10"_s, u" 5"_s, u"0"_s, u"0"_s},
                                  {u"1"_s, u"  12"_s, u"  2"_s, u" 2"_s, u"0"_s, u"0"_s},
                                  {u"3"_s, u"  38"_s, u"  4"_s, u" 2"_s, u"0"_s, u"0"_s},
                                  {u"5,4"_s, u"  68"_s, u"  7"_s, u" 3"_s, u"0"_s, u"0"_s}};
        QTest::newRow("threshold bounds") << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"100"_s}, {u"Б"_s, u"62"_s}, {u"В"_s, u"63"_s}, {u"Г"_s, u"70"_s}})
                                          << Thresholds{u"62,5"_s, u"70"_s, u"85"_s}
                                          << QList<QStringList>{{u"100"_s, u"100"_s, u"10"_s, u" 5"_s, u"0"_s, u"0"_s},
                                                                {u"62"_s, u"  62"_s, u"  7"_s, u" 2"_s, u"0"_s, u"0"_s},
                                                                {u"63"_s, u"  63"_s, u"  7"_s, u" 3"_s, u"0"_s, u"0"_s},
                                                                {u"70"_s, u"  70"_s, u"  7"_s, u" 4"_s, u"0"_s, u"0"_s}};
        QTest::newRow("weights with decimals and exponent; products rounded")
            << makeJournal({u"т"_s, u"т"_s}, {u"0,3333"_s, u"1E-1"_s}, {{u"А"_s, u"4,75"_s, u"2"_s}, {u"Б"_s, u"0,00015"_s, u""_s}}) << Thresholds()
            << QList<QStringList>{{u"1,7832"_s, u"100"_s, u"10"_s, u" 5"_s, u"0"_s, u"0"_s}, {u"0,0001"_s, u"  0"_s, u"  0"_s, u" 2"_s, u"1"_s, u"50"_s}};
        QTest::newRow("scores read in every form") // 5 decimals tie to even, leading zeros, comma first or last
            << makeJournal({u"т"_s, u"т"_s, u"т"_s, u"т"_s}, {u"1"_s, u"1"_s, u"1"_s, u"1"_s}, {{u"А"_s, u"4,56785"_s, u"0007"_s, u",5"_s, u"5,"_s}}) << Thresholds()
            << QList<QStringList>{{u"17,0678"_s, u"100"_s, u"10"_s, u" 5"_s, u"0"_s, u"0"_s}};
        QTest::newRow("best total 0")
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"0"_s}, {u"Б"_s, u""_s}}) << Thresholds{u"0"_s, u"70"_s, u"85"_s}
            << QList<QStringList>{{u"0"_s, u"  0"_s, u"  0"_s, u" 3"_s, u"0"_s, u"0"_s}, {u"0"_s, u"  0"_s, u"  0"_s, u" 3"_s, u"1"_s, u"100"_s}};
        QTest::newRow("negative weight: negative percentage")
            << makeJournal({u"т"_s, u"т"_s}, {u"1"_s, u"-1"_s}, {{u"А"_s, u"10"_s, u""_s}, {u"Б"_s, u""_s, u"5"_s}}) << Thresholds()
            << QList<QStringList>{{u"10"_s, u"100"_s, u"10"_s, u" 5"_s, u"1"_s, u"50"_s}, {u"-5"_s, u"  -50"_s, u"  0"_s, u" 2"_s, u"1"_s, u"50"_s}};
        QTest::newRow("no lesson columns")
            << makeJournal({}, {}, {{u"А"_s}, {u"Б"_s}}) << Thresholds()
            << QList<QStringList>{{u"0"_s, u"  0"_s, u"  0"_s, u" 2"_s, u"0"_s, u"0"_s}, {u"0"_s, u"  0"_s, u"  0"_s, u" 2"_s, u"0"_s, u"0"_s}};
    }
    // The journal window marks the cells that the results leave out by
    // ScoreCell: what it says of a text is what the recalculation does with it.
    void scoreCellKindIsWhatTheRecalculationDoes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        for (const QString &t : {u"5"_s, u" 4,5 "_s, u"0007"_s, u"5,"_s, u"45435"_s})
            QTest::newRow(qPrintable(u"score «"_s + t + u'»')) << t << int(ScoreCell::Kind::Score);
        for (const QString &t : {u""_s, u"   "_s})
            QTest::newRow(qPrintable(u"empty «"_s + t + u'»')) << t << int(ScoreCell::Kind::Empty);
        for (const QString &t : {u"н"_s, u" Н "_s})
            QTest::newRow(qPrintable(u"absent «"_s + t + u'»')) << t << int(ScoreCell::Kind::Absent);
        for (const QString &t : {u"4.5"_s, u"abc"_s, u"-"_s, u"-5"_s, u"1E2"_s, u"нн"_s})
            QTest::newRow(qPrintable(u"text «"_s + t + u'»')) << t << int(ScoreCell::Kind::Text);
        for (const QString &t : {u"1,2,3"_s, u","_s, u"99999999999999999"_s})
            QTest::newRow(qPrintable(u"no number «"_s + t + u'»')) << t << int(ScoreCell::Kind::NoNumber);
    }
    void scoreCellKindIsWhatTheRecalculationDoes()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QCOMPARE(int(ScoreCell::classify(text)), kind);
        // One student, one lesson of weight 1, and a second lesson with a 1 so
        // that the best total is never 0.
        const Grid j = makeJournal({u"т"_s, u"т"_s}, {u"1"_s, u"1"_s}, {{u"А"_s, text, u"1"_s}});
        QCOMPARE(ScoreCell::leftOutCells(j), ScoreCell::leftOut(ScoreCell::Kind(kind)) ? 1 : 0);
        ResultSet rs(j);
        const QString error = errorOf(j, Thresholds(), rs);
        QCOMPARE(!error.isEmpty(), kind == int(ScoreCell::Kind::NoNumber));
        if (!error.isEmpty())
            return;
        // The recalculation counts on its way what the view marks.
        QCOMPARE(recalculate(j, Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators), ScoreCell::leftOutCells(j));
        const bool score = kind == int(ScoreCell::Kind::Score);
        const Decimal4 sum = Decimal4::fromText(rs.itog.cell(SumCol, 1));
        QCOMPARE(sum, score ? Decimal4::fromText(text) + Decimal4::fromInt(1) : Decimal4::fromInt(1));
        QCOMPARE(rs.itog.cell(AbsenceCountCol, 1), kind == int(ScoreCell::Kind::Empty) ? u"1"_s : u"0"_s);
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
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"4"_s}, {u"Б"_s, u"5"_s}, {u"В"_s, u""_s}, {u"Г"_s, u"н"_s}})
            << QStringList{u"2,2"_s, u"2,2"_s, u"5"_s, u"4"_s, u"1"_s} << QStringList{u"1"_s, u"1"_s, u"0"_s, u"2"_s, u"25"_s, u"25"_s, u"0"_s, u"50"_s}
            << QStringList{u"50"_s, u"50"_s, u"49"_s};
        QTest::newRow("column without scores")
            << makeJournal({u"т"_s}, {u"3"_s}, {{u"А"_s, u""_s}, {u"Б"_s, u"н"_s}}) << QStringList{u"0"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}
            << QStringList{u"0"_s, u"0"_s, u"0"_s, u"2"_s, u"0"_s, u"0"_s, u"0"_s, u"100"_s} << QStringList{u"0"_s, u"0"_s, u"16"_s};
        QTest::newRow("lowest starts at 200")
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"250"_s}, {u"Б"_s, u"300"_s}}) << QStringList{u"275"_s, u"275"_s, u"300"_s, u"200"_s, u"100"_s}
            << QStringList{u"1"_s, u"1"_s, u"0"_s, u"0"_s, u"50"_s, u"50"_s, u"0"_s, u"0"_s} << QStringList{u"100"_s, u"100"_s, u"82"_s};
        QTest::newRow("three of eight satisfactory: 0,375 → 0,37")
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"10"_s}, {u"Б"_s, u"8"_s}, {u"В"_s, u"5"_s}, {u"Г"_s, u"1"_s}, {u"Д"_s, u"1"_s}, {u"Е"_s, u"1"_s}, {u"Ж"_s, u"1"_s}, {u"З"_s, u"1"_s}})
            << QStringList{u"3,5"_s, u"3,5"_s, u"10"_s, u"1"_s, u"9"_s} << QStringList{u"1"_s, u"1"_s, u"1"_s, u"5"_s, u"12"_s, u"12"_s, u"12"_s, u"62"_s}
            << QStringList{u"37"_s, u"24"_s, u"35"_s};
        QTest::newRow("shares rounded before quality: 33 + 33")
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"100"_s}, {u"Б"_s, u"75"_s}, {u"В"_s, u"0"_s}})
            << QStringList{u"58,3"_s, u"58,3"_s, u"100"_s, u"0"_s, u"100"_s} << QStringList{u"1"_s, u"1"_s, u"0"_s, u"1"_s, u"33"_s, u"33"_s, u"0"_s, u"33"_s}
            << QStringList{u"67"_s, u"66"_s, u"60"_s};
        QTest::newRow("learning degree with a decimal")
            << makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"100"_s}, {u"Б"_s, u"75"_s}, {u"В"_s, u"60"_s}, {u"Г"_s, u"60"_s}, {u"Д"_s, u"60"_s}, {u"Е"_s, u"60"_s}, {u"Ж"_s, u"60"_s}})
            << QStringList{u"67,9"_s, u"67,9"_s, u"100"_s, u"60"_s, u"40"_s} << QStringList{u"1"_s, u"1"_s, u"5"_s, u"0"_s, u"14"_s, u"14"_s, u"71"_s, u"0"_s}
            << QStringList{u"100"_s, u"28"_s, u"49,1"_s};
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
            << QStringList{u"5"_s, u" 4 "_s, u"4,5"_s, u"100"_s, u"н"_s, u""_s, u"12,25"_s, u"05"_s, u"3"_s} << u"2"_s
            << QStringList{u"10"_s, u"8"_s, u"9"_s, u"200"_s, u"0"_s, u"0"_s, u"24,5"_s, u"10"_s, u"6"_s} << QStringList{u"29,7"_s, u"200"_s, u"6"_s, u"194"_s};
        QTest::newRow("weight 0,5: halves of the fourth decimal to even")
            << QStringList{u"4,5"_s, u"0,0001"_s, u"0,0003"_s, u"1,0001"_s, u"7"_s, u",5"_s, u"9,9"_s} << u"0,5"_s
            << QStringList{u"2,25"_s, u"0"_s, u"0,0002"_s, u"0,5"_s, u"3,5"_s, u"0,25"_s, u"4,95"_s} << QStringList{u"1,6"_s, u"4,95"_s, u"0"_s, u"4,95"_s};
        QTest::newRow("negative fractional weight")
            << QStringList{u"0,0003"_s, u"3"_s, u"0,0001"_s, u"4,5"_s, u"10"_s} << u"-0,5"_s
            << QStringList{u"-0,0002"_s, u"-1,5"_s, u"0"_s, u"-2,25"_s, u"-5"_s} << QStringList{u"-1,8"_s, u"-5"_s, u"0"_s, u"-5"_s};
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
        const Grid j = makeJournal({u"т"_s}, {weight}, students);
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
            tenFives << QStringList{QStringLiteral("У%1").arg(k), u"5"_s};
        QTest::newRow("column sum at the tenth student")
            << makeJournal({u"т"_s}, {u"20000000000000"_s}, tenFives) << QStringList{u"ученик 10 «У9», урок 1"_s, u"сумма столбца"_s};
        QTest::newRow("product at the first student")
            << makeJournal({u"т"_s}, {u"200000000000000"_s}, tenFives) << QStringList{u"ученик 1 «У0», урок 1"_s, u"умножения 5 на"_s};
        QStringList codes, weights, fives{u"А"_s}, empty{u"Б"_s};
        for (int c = 0; c < 12; ++c) {
            codes << u"т"_s;
            weights << u"20000000000000"_s;
            fives << u"5"_s;
            empty << u""_s;
        }
        QTest::newRow("a student's sum at the tenth column")
            << makeJournal(codes, weights, {fives, empty}) << QStringList{u"ученик 1 «А», урок 10"_s, u"сумма баллов ученика"_s};
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

    // A journal large enough to be read by two threads at once, made of 200
    // copies of a small journal's two lessons, comes out as the small one with
    // sums, absences and lesson count 200 times as large; and a failure stops
    // it at the first cell in column order, whichever thread reads it.
    void aLargeJournalComesOutAsItsPattern()
    {
        const int students = 400;
        const int copies = 200;
        const QStringList pattern{u"5"_s, u"4"_s, u"10"_s, u"н"_s, u""_s, u"4,5"_s, u"3"_s, u" 2 "_s, u"1,25"_s};
        QList<QStringList> smallRows;
        for (int k = 0; k < students; ++k)
            smallRows << QStringList{QStringLiteral("У%1").arg(k), pattern[k % 9], pattern[(k * 5 + 3) % 9]};
        const Grid small = makeJournal({u"т"_s, u"кт"_s}, {u"1,5"_s, u"2"_s}, smallRows);
        QStringList codes, weights;
        QList<QStringList> bigRows;
        for (int i = 0; i < copies; ++i)
            codes << u"т"_s << u"кт"_s, weights << u"1,5"_s << u"2"_s;
        for (const QStringList &r : smallRows) {
            QStringList big{r[0]};
            for (int i = 0; i < copies; ++i)
                big << r[1] << r[2];
            bigRows << big;
        }
        Grid big = makeJournal(codes, weights, bigRows);
        ResultSet s(small), b(big);
        recalculate(small, Thresholds(), s.itog, s.uspev, s.summi, s.indicators);
        recalculate(big, Thresholds(), b.itog, b.uspev, b.summi, b.indicators);
        const Decimal4 times = Decimal4::fromInt(copies);
        for (int k = 1; k <= students; ++k) {
            QStringList expected = row(s.itog, k);
            expected[SumCol] = (Decimal4::fromText(expected[SumCol]) * times).toString();
            expected[AbsenceCountCol] = QString::number(expected[AbsenceCountCol].toInt() * copies);
            QCOMPARE(row(b.itog, k), expected);
        }
        QCOMPARE(recalculate(big, Thresholds(), b.itog, b.uspev, b.summi, b.indicators), ScoreCell::leftOutCells(big));
        QCOMPARE(row(b.uspev, 1), row(s.uspev, 1));
        QCOMPARE(row(b.uspev, 2), row(s.uspev, 2));
        QCOMPARE((QStringList{b.indicators.uspewa, b.indicators.ka4, b.indicators.obu4}),
                 (QStringList{s.indicators.uspewa, s.indicators.ka4, s.indicators.obu4}));
        for (int c = 2; c < big.colCount(); ++c)
            for (int r : {AverageRow, MinimumRow, MaximumRow, SpreadRow})
                QCOMPARE(b.summi.cell(c, r), s.summi.cell(2 + c % 2, r));
        QCOMPARE(b.summi.cell(big.colCount() - 1, AverageAccumulatedRow),
                 (Decimal4::fromText(s.summi.cell(3, AverageAccumulatedRow)) * times).toString());

        // No number far right, then further left too: the leftmost one
        // is named; the columns before it have their statistics, it has none.
        big.setCell(300, 10, u"1,,2"_s);
        ResultSet f(big);
        QVERIFY2(errorOf(big, Thresholds(), f).contains(u"урок 299"_s), "the cell far right");
        QCOMPARE(f.summi.cell(299, AverageRow), s.summi.cell(3, AverageRow));
        QCOMPARE(f.summi.cell(300, AverageRow), QString());
        big.setCell(100, 20, u"5,,"_s);
        ResultSet g(big);
        QVERIFY2(errorOf(big, Thresholds(), g).contains(u"урок 99"_s), "the cell further left");
        QCOMPARE(g.summi.cell(101, AverageRow), QString());

        // A student's sum that stays in range in each thread's part and leaves
        // it in the whole: found at its column, as in order.
        QStringList heavy;
        QStringList ones{u"А"_s};
        for (int i = 0; i < 2 * copies; ++i)
            heavy << u"3000000000000"_s, ones << u"1"_s;
        QList<QStringList> many{ones};
        for (int k = 1; k < students; ++k)
            many << QStringList{QStringLiteral("Б%1").arg(k)};
        const Grid overflow = makeJournal(QStringList(2 * copies, u"т"_s), heavy, many);
        ResultSet o(overflow);
        const QString message = errorOf(overflow, Thresholds(), o);
        QVERIFY2(message.contains(u"ученик 1 «А», урок 308"_s) && message.contains(u"сумма баллов ученика"_s), qPrintable(message));
    }

    void withoutStudentsEverythingIsZero()
    {
        ResultSet rs(workedExample());
        recalculate(workedExample(), Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        const Grid empty = makeJournal({u"т"_s, u"т"_s}, {u"1"_s, u"2"_s}, {});
        recalculate(empty, Thresholds{u"x"_s, u"x"_s, u"x"_s}, rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(rs.itog.rowCount(), 1);
        QCOMPARE(row(rs.itog, 0), itogHeaders());
        QCOMPARE(row(rs.uspev, 1), (QStringList{u"Штук"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
        QCOMPARE(row(rs.uspev, 2), (QStringList{u"Процент"_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));
        QCOMPARE((QStringList{rs.indicators.uspewa, rs.indicators.ka4, rs.indicators.obu4}), (QStringList{u"0"_s, u"0"_s, u"0"_s}));
        QCOMPARE(column(rs.summi, 3, 2), (QStringList{u"0"_s, u""_s, u"0"_s, u"0"_s, u"0"_s, u"0"_s}));

        // The header row is fixed again as soon as there are students.
        recalculate(workedExample(), Thresholds(), rs.itog, rs.uspev, rs.summi, rs.indicators);
        QCOMPARE(rs.itog.fixedRows(), 1);
    }

    void narrowSummiKeepsTheAccumulation()
    {
        const Grid j = makeJournal({u"т"_s, u"т"_s, u"т"_s}, {u"1"_s, u"1"_s, u"1"_s}, {{u"А"_s, u"1"_s, u"2"_s, u"3"_s}});
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
        Grid j = makeJournal({u"т"_s, u"т"_s, u"т"_s}, {u"1"_s, u"x"_s, u"1"_s}, {{u"А"_s, u"5"_s, u"5"_s, u"5"_s}});
        ResultSet rs(j);
        const Grid itogBefore = rs.itog;
        QString message = errorOf(j, Thresholds(), rs);
        QVERIFY2(message.contains(u"«x»"_s) && message.contains(u"Журнал, вес урока 2 (без даты)"_s), qPrintable(message));
        QCOMPARE(rs.summi.cell(2, 2), QStringLiteral("5"));
        QCOMPARE(rs.summi.cell(3, 2), QString());
        QCOMPARE(rs.itog, itogBefore);

        // An empty weight is no number either.
        j.setCell(3, 3, QString());
        QVERIFY(errorOf(j, Thresholds(), rs).contains(u"«»"_s));

        // A cell that passes the score test but is no number.
        j = makeJournal({u"т"_s, u"т"_s}, {u"1"_s, u"1"_s}, {{u"А"_s, u"5"_s, u"4"_s}, {u"Б"_s, u"1,,2"_s, u"3"_s}});
        ResultSet rs2(j);
        message = errorOf(j, Thresholds(), rs2);
        QVERIFY2(message.contains(u"«1,,2»"_s) && message.contains(u"ученик 2 «Б», урок 1"_s), qPrintable(message));
        QCOMPARE(rs2.summi.cell(2, 2), QString());
        j.setCell(2, 5, QStringLiteral(" , "));
        QVERIFY(errorOf(j, Thresholds(), rs2).contains(u"« , »"_s));

        // A threshold that is no number: names and sums are written, the first
        // student's percent and ten-point grade too, then it stops.
        j = makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"5"_s}, {u"Б"_s, u"4"_s}});
        ResultSet rs3(j);
        message = errorOf(j, Thresholds{u"50"_s, u"7O"_s, u"85"_s}, rs3);
        QVERIFY2(message.contains(u"«7O»"_s), qPrintable(message));
        QCOMPARE(row(rs3.itog, 1), (QStringList{u"1"_s, u"А"_s, u"5"_s, u"100"_s, u"10"_s, u""_s, u""_s, u""_s}));
        QCOMPARE(row(rs3.itog, 2), (QStringList{u"2"_s, u"Б"_s, u"4"_s, u""_s, u""_s, u""_s, u""_s, u""_s}));
        QCOMPARE(rs3.summi.cell(2, 2), QStringLiteral("4,5"));
        QCOMPARE(row(rs3.uspev, 1), (QStringList{u"Штук"_s, u""_s, u""_s, u""_s, u""_s}));
    }

    void overflowStopsWithAMessage()
    {
        // Each product fits, the column sum does not.
        Grid j = makeJournal({u"т"_s}, {u"1"_s}, {{u"А"_s, u"900000000000000"_s}, {u"Б"_s, u"900000000000000"_s}});
        ResultSet rs(j);
        QVERIFY(!errorOf(j, Thresholds(), rs).isEmpty());
        // A product out of range.
        j = makeJournal({u"т"_s}, {u"1000000"_s}, {{u"А"_s, u"1000000000000"_s}});
        QVERIFY(errorOf(j, Thresholds(), rs).contains(u"ученик 1 «А», урок 1"_s));
        // A student's sum out of range after the column statistics are written.
        j = makeJournal({u"т"_s, u"т"_s}, {u"1"_s, u"1"_s}, {{u"А"_s, u"900000000000000"_s, u"900000000000000"_s}, {u"Б"_s, u"1"_s, u"1"_s}});
        ResultSet rs2(j);
        const QString message = errorOf(j, Thresholds(), rs2);
        QVERIFY2(message.contains(u"«А»"_s), qPrintable(message));
        QCOMPARE(rs2.summi.cell(3, 5), QStringLiteral("900000000000000"));
        QCOMPARE(rs2.itog.cell(1, 2), QStringLiteral("Б"));
        QCOMPARE(rs2.itog.cell(2, 1), QString());
    }
};

QTEST_GUILESS_MAIN(TestRecalculation)
#include "test_recalculation.moc"
