#include "journal/cp1251.h"
#include "journal/errors.h"
#include "rating/gradingscale.h"
#include "testjournal.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;


class TestGradingScale : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fivePoint_data()
    {
        QTest::addColumn<QString>("t3");
        QTest::addColumn<QString>("t4");
        QTest::addColumn<QString>("t5");
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("grade");
        const QList<QPair<int, const char *>> defaults = {{-5, " 2"}, {0, " 2"}, {49, " 2"}, {50, " 3"}, {69, " 3"},
                                                          {70, " 4"}, {84, " 4"}, {85, " 5"}, {100, " 5"}};
        for (const auto &[p, g] : defaults)
            QTest::addRow("default %d", p) << "50" << "70" << "85" << p << g;
        QTest::newRow("62,5 acts as 63: 62") << "62,5" << "70" << "85" << 62 << " 2";
        QTest::newRow("62,5 acts as 63: 63") << "62,5" << "70" << "85" << 63 << " 3";
        QTest::newRow("blanks around") << " 60 " << "70" << "85" << 60 << " 3";
        QTest::newRow("5 wins over 4") << "50" << "90" << "80" << 85 << " 5";
        QTest::newRow("4 overrides 3 only when reached") << "50" << "90" << "80" << 79 << " 3";
        QTest::newRow("4 below 3") << "60" << "40" << "85" << 45 << " 4";
        QTest::newRow("huge percentage") << "50" << "70" << "85" << 2000000000 << " 5";
    }
    void fivePoint()
    {
        QFETCH(QString, t3);
        QFETCH(QString, t4);
        QFETCH(QString, t5);
        QFETCH(int, percent);
        const ScaleValues v = GradingScale::convert({t3, t4, t5});
        QTEST(GradingScale::fivePointGrade(percent, v), "grade");
    }

    void tenPoint_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<QString>("grade");
        const QList<QPair<int, const char *>> cases = {{-1, "  0"}, {0, "  0"}, {1, "  1"}, {10, "  1"}, {11, "  2"},
                                                       {20, "  2"}, {21, "  3"}, {50, "  5"}, {51, "  6"}, {90, "  9"},
                                                       {91, "10"}, {100, "10"}, {150, "10"}};
        for (const auto &[p, g] : cases)
            QTest::addRow("%d", p) << p << g;
    }
    void tenPoint()
    {
        QFETCH(int, percent);
        QTEST(GradingScale::tenPointGrade(percent), "grade");
    }

    void fileHoldsThreeLinesAsTyped()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Pasport.txt"_s);
        GradingScale::writeFile(path, {u" 45"_s, u"62,5 "_s, u"Ё"_s});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray(" 45\r\n62,5 \r\n") + *Cp1251::encode(QStringLiteral("Ё")) + "\r\n");
        const Thresholds back = GradingScale::readFile(path);
        QCOMPARE(back.t3, QStringLiteral(" 45"));
        QCOMPARE(back.t4, QStringLiteral("62,5 "));
        QCOMPARE(back.t5, QStringLiteral("Ё"));

        QFile shortFile(dir.filePath(u"short.txt"_s));
        QVERIFY(shortFile.open(QIODevice::WriteOnly));
        shortFile.write("40\r\n");
        shortFile.close();
        const Thresholds partial = GradingScale::readFile(shortFile.fileName());
        QCOMPARE(partial.t3, QStringLiteral("40"));
        QVERIFY(partial.t4.isEmpty() && partial.t5.isEmpty());
        QVERIFY_THROWS_EXCEPTION(FileError, GradingScale::readFile(dir.filePath(u"none.txt"_s)));
    }

    void hostileThresholdTexts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"Pasport.txt"_s);
        GradingScale::writeFile(path, {u"55"_s, u"75"_s, u"90"_s});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();
        // A line break in a threshold would make a four-line file that reads back wrong.
        try {
            GradingScale::writeFile(path, {u"55"_s, u"7\n0"_s, u"90"_s});
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("строке 2")), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("«7\\n0»")), qPrintable(e.message()));
        }
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        f.close();

        // A huge line is no threshold; the message quotes 40 characters of it.
        const QByteArray huge = "50\r\n" + QByteArray(5 << 20, '7') + "\r\n85\r\n";
        try {
            GradingScale::parse(huge);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().size() < 300, qPrintable(e.message().left(300)));
            QVERIFY(e.message().contains(QStringLiteral("строка 2")));
        }
        // Only the first three lines count; the rest is not even decoded.
        const Thresholds t = GradingScale::parse("45\r\n65\r\n80\r\n" + QByteArray(5 << 20, 'x'));
        QCOMPARE(t.t5, QStringLiteral("80"));
        // A number text of any length is quoted short when it is no number.
        try {
            GradingScale::convert({QString(1000, u'9') + u'x', QStringLiteral("70"), QStringLiteral("85")});
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().size() < 300, qPrintable(e.message()));
        }
    }
};

QTEST_GUILESS_MAIN(TestGradingScale)
#include "test_gradingscale.moc"
