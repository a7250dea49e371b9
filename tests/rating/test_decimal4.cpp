#include "journal/errors.h"
#include "rating/decimal4.h"
#include "rating/rounding.h"

#include <QtTest>

class TestDecimal4 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void convertsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("raw");
        QTest::addColumn<QString>("shortest");
        QTest::newRow("whole") << "3" << qint64(30000) << "3";
        QTest::newRow("comma") << "12,5" << qint64(125000) << "12,5";
        QTest::newRow("blanks and sign") << "  -0,25 \t" << qint64(-2500) << "-0,25";
        QTest::newRow("plus") << "+7" << qint64(70000) << "7";
        QTest::newRow("leading zeros") << "007,0100" << qint64(70100) << "7,01";
        QTest::newRow("comma first") << ",5" << qint64(5000) << "0,5";
        QTest::newRow("comma last") << "5," << qint64(50000) << "5";
        QTest::newRow("zero") << "0,0000" << qint64(0) << "0";
        QTest::newRow("minus zero") << "-0" << qint64(0) << "0";
        QTest::newRow("exponent") << "1,5E2" << qint64(1500000) << "150";
        QTest::newRow("exponent minus") << "25e-3" << qint64(250) << "0,025";
        QTest::newRow("exponent plus") << "1E+0" << qint64(10000) << "1";
        QTest::newRow("5th decimal down") << "0,00014" << qint64(1) << "0,0001";
        QTest::newRow("5th decimal up") << "0,00016" << qint64(2) << "0,0002";
        QTest::newRow("tie to even down") << "0,00005" << qint64(0) << "0";
        QTest::newRow("tie to even up") << "0,00015" << qint64(2) << "0,0002";
        QTest::newRow("tie broken by later digit") << "0,000050001" << qint64(1) << "0,0001";
        QTest::newRow("negative tie") << "-2,00025" << qint64(-20002) << "-2,0002";
        QTest::newRow("exponent rounds") << "125E-6" << qint64(1) << "0,0001";
        QTest::newRow("far below") << "9E-9" << qint64(0) << "0";
        QTest::newRow("huge negative exponent") << "7E-999999999999" << qint64(0) << "0";
        QTest::newRow("many digits rounded") << "1,23456789012345678901234567890123456789012345" << qint64(12346) << "1,2346";
        QTest::newRow("largest") << "922337203685477,5807" << qint64(9223372036854775807LL) << "922337203685477,5807";
        QTest::newRow("smallest") << "-922337203685477,5808" << qint64(std::numeric_limits<qint64>::min())
                                  << "-922337203685477,5808";
        QTest::newRow("largest by rounding") << "922337203685477,58074" << qint64(9223372036854775807LL)
                                             << "922337203685477,5807";
        QTest::newRow("zero with exponent") << "0E999999" << qint64(0) << "0";
    }
    void convertsText()
    {
        QFETCH(QString, text);
        QFETCH(qint64, raw);
        QFETCH(QString, shortest);
        const Decimal4 d = Decimal4::fromText(text);
        QCOMPARE(d.raw(), raw);
        QCOMPARE(d.toString(), shortest);
        QCOMPARE(Decimal4::fromText(d.toString()), d);
    }

    void refusesText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("range");
        for (const char *t : {"", "   ", ",", "-", "+,", "1,2,3", "1.5", "1 000", "- 5", "5-", "E5", "5E", "5E+", "5 E2",
                              "1e2,5", "0x10", "н", "5a", "++5", "١"})
            QTest::newRow(t) << QString::fromUtf8(t) << false;
        QTest::newRow("too large") << "922337203685477,58075" << true;
        QTest::newRow("too small") << "-922337203685477,58086" << true;
        QTest::newRow("exponent too large") << "1E15" << true;
        QTest::newRow("many digits") << "123456789012345678901234567890" << true;
        QTest::newRow("clamped exponent") << "1E99999999999999999999" << true;
    }
    void refusesText()
    {
        QFETCH(QString, text);
        QFETCH(bool, range);
        Decimal4 d;
        QCOMPARE(Decimal4::parse(text, d), range ? Decimal4::Parse::OutOfRange : Decimal4::Parse::NotANumber);
        try {
            Decimal4::fromText(text);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(u'«' + text + u'»'), qPrintable(e.message()));
        }
    }

    void arithmetic_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<QString>("half"); // the sum ÷ 2, to four decimals, ties to even
        QTest::newRow("plain") << "5" << "2" << "10" << "7" << "3,5";
        QTest::newRow("decimals") << "4,5" << "0,5" << "2,25" << "5" << "2,5";
        QTest::newRow("rounded down tie") << "0,0025" << "0,1" << "0,0002" << "0,1025" << "0,0512";
        QTest::newRow("rounded up tie") << "0,0035" << "0,1" << "0,0004" << "0,1035" << "0,0518";
        QTest::newRow("rounded nearest") << "0,3333" << "0,3333" << "0,1111" << "0,6666" << "0,3333";
        QTest::newRow("negative tie") << "-0,0025" << "0,1" << "-0,0002" << "0,0975" << "0,0488";
        QTest::newRow("tiny") << "0,0001" << "0,0002" << "0" << "0,0003" << "0,0002";
        QTest::newRow("wide product") << "900000000" << "1000000" << "900000000000000" << "901000000" << "450500000";
    }
    void arithmetic()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        const Decimal4 x = Decimal4::fromText(a);
        const Decimal4 y = Decimal4::fromText(b);
        QTEST((x * y).toString(), "product");
        QTEST((x + y).toString(), "sum");
        QCOMPARE((x + y - y), x);
        QTEST((x + y).dividedBy(2).toString(), "half");
    }

    void overflowIsAnError()
    {
        const Decimal4 big = Decimal4::fromInt(922337203685477LL);
        QVERIFY_THROWS_EXCEPTION(ConversionError, big * Decimal4::fromInt(10));
        QVERIFY_THROWS_EXCEPTION(ConversionError, big + big);
        QVERIFY_THROWS_EXCEPTION(ConversionError, Decimal4::fromRaw(-big.raw()) - big);
        QVERIFY_THROWS_EXCEPTION(ConversionError, Decimal4::fromInt(1000000000000000LL));
        QVERIFY_THROWS_EXCEPTION(ConversionError, Decimal4::fromDouble(1e16));
        QVERIFY_THROWS_EXCEPTION(ConversionError, Decimal4::fromDouble(qQNaN()));
    }

    void scoreTest_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<QString>("lenient"); // empty: the strict conversion fails
        QTest::newRow("score") << " 4 " << true << "4";
        QTest::newRow("decimals") << "4,75" << true << "4,75";
        QTest::newRow("tab") << "\t5" << true << "5";
        QTest::newRow("empty") << "" << false << "0";
        QTest::newRow("blanks") << "   " << false << "0";
        QTest::newRow("letter") << "н" << false << "0";
        QTest::newRow("dash") << "-" << false << "0";
        QTest::newRow("sign") << "+5" << false << "0";
        QTest::newRow("point") << "4.5" << false << "0";
        QTest::newRow("exponent") << "1E2" << false << "0";
        QTest::newRow("inner blank") << "4 5" << false << "0";
        QTest::newRow("two commas") << "1,2,3" << true << "";
        QTest::newRow("lone comma") << "," << true << "";
    }
    void scoreTest()
    {
        QFETCH(QString, text);
        QFETCH(QString, lenient);
        QTEST(IsNumberText(text), "isNumber");
        if (lenient.isEmpty())
            QVERIFY_THROWS_EXCEPTION(ConversionError, Str4islo(text));
        else
            QCOMPARE(Str4islo(text).toString(), lenient);
    }

    void roundsToDecimals_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("text");
        QTest::newRow("2,25") << 2.25 << 1 << "2,2";
        QTest::newRow("0,35") << 0.35 << 1 << "0,3";
        QTest::newRow("0,55") << 0.55 << 1 << "0,6";
        QTest::newRow("0,375") << 0.375 << 2 << "0,37";
        QTest::newRow("0,625") << 0.625 << 2 << "0,62";
        QTest::newRow("1,25") << 1.25 << 1 << "1,2";
        QTest::newRow("16/3") << 16.0 / 3 << 1 << "5,3";
        QTest::newRow("2/3") << 2.0 / 3 << 2 << "0,67";
        QTest::newRow("whole") << 44.0 << 1 << "44";
        QTest::newRow("negative") << -2.25 << 1 << "-2,2";
        QTest::newRow("negative up") << -0.55 << 1 << "-0,6";
        QTest::newRow("zero") << 0.0 << 1 << "0";
        QTest::newRow("just below half") << 0.04999 << 1 << "0";
        QTest::newRow("large") << 123456.789 << 2 << "123456,79";
    }
    void roundsToDecimals()
    {
        QFETCH(double, x);
        QFETCH(int, digits);
        QTEST(Rounding::floatText(Rounding::roundToDecimals(x, digits)), "text");
    }

    void floatTextForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 100.0 << "100";
        QTest::newRow("noise") << 0.57 * 100 << "57";
        QTest::newRow("decimal") << 63.6 << "63,6";
        QTest::newRow("fifteen digits") << 1.0 / 3 << "0,333333333333333";
        QTest::newRow("negative") << -2.5 << "-2,5";
        QTest::newRow("small") << 0.0001 << "0,0001";
        QTest::newRow("exponent small") << 0.00001 << "1E-5";
        QTest::newRow("exponent large") << 1.5e20 << "1,5E20";
        QTest::newRow("fifteen whole digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("zero") << -0.0 << "0";
    }
    void floatTextForm()
    {
        QFETCH(double, value);
        QTEST(Rounding::floatText(value), "text");
    }

};

QTEST_GUILESS_MAIN(TestDecimal4)
#include "test_decimal4.moc"
