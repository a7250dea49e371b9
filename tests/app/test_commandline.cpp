#include "app/commandline.h"
#include "journal/excerpt.h"
#include "rating/resultscommand.h"

#include <QProcess>
#include <QtTest>

using namespace Qt::StringLiterals;

// The command line: the data root, help and version, and what is refused.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("dataRoot");
        using A = CommandLine::Action;
        QTest::newRow("nothing") << QStringList{} << int(A::Run) << QString();
        QTest::newRow("data") << QStringList{u"--data"_s, u"/tmp/d"_s} << int(A::Run) << u"/tmp/d"_s;
        QTest::newRow("data=") << QStringList{u"--data=/x y"_s} << int(A::Run) << u"/x y"_s;
        QTest::newRow("data without folder") << QStringList{u"--data"_s} << int(A::Error) << QString();
        QTest::newRow("help wins") << QStringList{u"--data"_s, u"d"_s, u"--help"_s} << int(A::Help) << u"d"_s;
        QTest::newRow("version") << QStringList{u"--version"_s} << int(A::Version) << QString();
        QTest::newRow("stray word") << QStringList{u"journal"_s} << int(A::Error) << QString();
        QTest::newRow("qt option") << QStringList{u"-platform"_s, u"offscreen"_s} << int(A::Run) << QString();
        QTest::newRow("results") << QStringList{u"results"_s, u"G/J"_s, u"--rank"_s} << int(A::Results) << QString();
        QTest::newRow("short help") << QStringList{u"-h"_s} << int(A::Help) << QString();
        // The words after "results" are the command's own, its help and --data among them.
        QTest::newRow("results help") << QStringList{u"results"_s, u"-h"_s} << int(A::Results) << QString();
        QTest::newRow("results data") << QStringList{u"results"_s, u"G/J"_s, u"--data"_s, u"d"_s} << int(A::Results) << QString();
        QTest::newRow("results after data") << QStringList{u"--data"_s, u"d"_s, u"results"_s, u"G/J"_s} << int(A::Error) << u"d"_s;
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, dataRoot);
        const CommandLine cl = parseCommandLine(args);
        QCOMPARE(int(cl.action), action);
        QCOMPARE(cl.dataRoot, dataRoot);
        if (cl.action == CommandLine::Action::Results)
            QCOMPARE(cl.resultsArgs, args.mid(1));
        if (cl.action == CommandLine::Action::Error)
            QVERIFY(!cl.error.isEmpty());
    }

    // A refused word is quoted cut short, control characters shown; "results" out of place says where it goes.
    void errorMessages_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        const QString stray = QStringLiteral("журнал\x1b") + QString(50, u'щ');
        QTest::newRow("long stray word") << QStringList{stray} << quotedExcerpt(stray);
        QTest::newRow("results after data") << QStringList{u"--data"_s, u"d"_s, u"results"_s, u"G/J"_s}
                                            << "после него: zhurnal results ПАПКА_ЖУРНАЛА --data КОРЕНЬ";
    }
    void errorMessages()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const CommandLine cl = parseCommandLine(args);
        QCOMPARE(int(cl.action), int(CommandLine::Action::Error));
        QVERIFY2(cl.error.contains(message), qPrintable(cl.error));
        QVERIFY2(!hasControlCharacter(cl.error), qPrintable(cl.error));
    }

    // "zhurnal --help" carries the usage of "results" as the command itself prints it.
    void texts()
    {
        QVERIFY(usageText().contains(QStringLiteral("--data ПАПКА")));
        QVERIFY(usageText().contains(resultsUsageText()));
        QVERIFY(usageText().contains(QStringLiteral("--version")));
        QVERIFY(usageText().contains(QStringLiteral("после слова results")));
        QVERIFY(!usageText().contains(QStringLiteral("ИМЯ")));
        QVERIFY(versionText().contains(QStringLiteral(ZHURNAL_VERSION)));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
