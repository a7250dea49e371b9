#include "app/commandline.h"

#include <QProcess>
#include <QtTest>

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
        QTest::newRow("data") << QStringList{"--data", "/tmp/d"} << int(A::Run) << QString("/tmp/d");
        QTest::newRow("data=") << QStringList{"--data=/x y"} << int(A::Run) << QString("/x y");
        QTest::newRow("data without folder") << QStringList{"--data"} << int(A::Error) << QString();
        QTest::newRow("help wins") << QStringList{"--data", "d", "--help"} << int(A::Help) << QString("d");
        QTest::newRow("version") << QStringList{"--version"} << int(A::Version) << QString();
        QTest::newRow("stray word") << QStringList{"journal"} << int(A::Error) << QString();
        QTest::newRow("qt option") << QStringList{"-platform", "offscreen"} << int(A::Run) << QString();
        QTest::newRow("results") << QStringList{"results", "G/J", "--rank"} << int(A::Results) << QString();
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

    void texts()
    {
        QVERIFY(usageText().contains(QStringLiteral("--data ПАПКА")));
        QVERIFY(usageText().contains(QStringLiteral("results")));
        QVERIFY(versionText().contains(QStringLiteral(ZHURNAL_VERSION)));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
