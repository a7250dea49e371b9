#include "rating/gradingscale.h"
#include "rating/ui/tprocent.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

// The grading-scale window built alone: its edits are the thresholds the
// recalculation uses, a pasted line break becomes a blank, and "Запомнить
// шкалу" writes exactly three lines.
class TestTProcent : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pastedThresholdIsOneLineInTheFile_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("kept");
        QTest::newRow("LF") << QStringLiteral("7\n0") << QStringLiteral("7 0");
        QTest::newRow("CR LF at the end") << QStringLiteral("70\r\n") << QStringLiteral("70 ");
        QTest::newRow("plain") << QStringLiteral("62,5") << QStringLiteral("62,5");
    }
    void pastedThresholdIsOneLineInTheFile()
    {
        QFETCH(QString, clipboard);
        QFETCH(QString, kept);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Baza")));
        const QString file = dir.filePath(QStringLiteral("Baza/Pasport.txt"));
        Thresholds thresholds;
        TProcent w(thresholds, dir.path());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *four = w.findChild<QLineEdit *>(QStringLiteral("ChetProc"));
        QVERIFY(four);
        four->setFocus();
        four->selectAll();
        QApplication::clipboard()->setText(clipboard);
        QTest::keyClick(four, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(four->text(), kept);
        // What stands in the edit is the threshold the recalculation takes.
        QCOMPARE(thresholds.t4, kept);
        QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("SaveTab")), Qt::LeftButton);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("50\r\n") + kept.toLatin1() + QByteArray("\r\n85\r\n"));
        const Thresholds back = GradingScale::readFile(file);
        QCOMPARE(back.t4, kept);
        QCOMPARE(back.t5, QStringLiteral("85"));
    }

    void readThresholdsAreShown()
    {
        QTemporaryDir dir;
        Thresholds thresholds;
        TProcent w(thresholds, dir.path());
        thresholds = Thresholds{QStringLiteral("55"), QStringLiteral("75"), QStringLiteral("90")};
        w.showThresholds();
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("TriProc"))->text(), QStringLiteral("55"));
        QCOMPARE(w.findChild<QLineEdit *>(QStringLiteral("PaytProc"))->text(), QStringLiteral("90"));
        QCOMPARE(thresholds.t4, QStringLiteral("75"));
    }
};

QTEST_MAIN(TestTProcent)
#include "test_tprocent.moc"
