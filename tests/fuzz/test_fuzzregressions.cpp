// The inputs that once broke a reader (saved by scripts/fuzz.sh under
// tests/data/fuzz/<target>/), and the demo files, through the same invariants
// that the fuzz targets assert. The process runs under a memory cap
// (memorycap.cpp): a reader that allocates for a count it should refuse fails.
#include "invariants.h"

#include "journal/grid.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtTest>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// One row per saved input of the target, named by its file.
void addSavedInputs(const char *target)
{
    QTest::addColumn<QString>("path");
    const QDir dir(QStringLiteral(ZHURNAL_TEST_DATA "/fuzz/") + QLatin1String(target));
    const QStringList names = dir.entryList(QDir::Files, QDir::Name);
    QVERIFY2(!names.isEmpty(), qPrintable(dir.path() + QStringLiteral(": no saved inputs")));
    for (const QString &name : names)
        QTest::newRow(qPrintable(name)) << dir.filePath(name);
}

// One row per demo data file with the given name.
void addDemoFiles(const QString &fileName)
{
    QDirIterator it(QStringLiteral(ZHURNAL_SOURCE_DIR "/examples/demo"), {fileName}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QTest::newRow(qPrintable(QStringLiteral("demo ") + QDir(QStringLiteral(ZHURNAL_SOURCE_DIR)).relativeFilePath(path)))
            << path;
    }
}

} // namespace

class TestFuzzRegressions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each input into a small journal-like grid and into one of 2000 × 2000
    // cells: a refused file leaves either as it was, and no count makes the
    // reader allocate beyond what the final shape needs.
    void gridFile_data()
    {
        addSavedInputs("gridfile");
        addDemoFiles(QStringLiteral("SpStud.txt"));
        addDemoFiles(QStringLiteral("SpTem.txt"));
        addDemoFiles(QStringLiteral("Gurnali.txt"));
    }
    void gridFile()
    {
        QFETCH(QString, path);
        const QByteArray bytes = contents(path);
        Grid small = ReaderInvariants::knownGrid(6, 4);
        const QString intoSmall = ReaderInvariants::checkGridFile(bytes, small);
        QVERIFY2(intoSmall.isEmpty(), qPrintable(QStringLiteral("into 6 × 4: ") + intoSmall));
        Grid large = ReaderInvariants::knownGrid(2000, 2000);
        const QString intoLarge = ReaderInvariants::checkGridFile(bytes, large);
        QVERIFY2(intoLarge.isEmpty(), qPrintable(QStringLiteral("into 2000 × 2000: ") + intoLarge));
    }

    // Widths into a journal grid with a wider and with a narrower companion.
    void columnWidths_data()
    {
        addSavedInputs("columnwidths");
        addDemoFiles(QStringLiteral("ColSpStud.txt"));
    }
    void columnWidths()
    {
        QFETCH(QString, path);
        const QByteArray bytes = contents(path);
        for (int companionCols : {35, 10}) {
            Grid grid = ReaderInvariants::knownGrid(30, 3);
            Grid companion = ReaderInvariants::knownGrid(companionCols, 2);
            const QString failure = ReaderInvariants::checkColumnWidths(bytes, grid, &companion);
            QVERIFY2(failure.isEmpty(), qPrintable(QStringLiteral("companion of %1 columns: %2").arg(companionCols).arg(failure)));
        }
    }

    void gradingScale_data()
    {
        addSavedInputs("gradingscale");
        addDemoFiles(QStringLiteral("Pasport.txt"));
    }
    void gradingScale()
    {
        QFETCH(QString, path);
        const QString failure = ReaderInvariants::checkGradingScale(contents(path));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    // A saved Decimal4 input is UTF-8 text, as the fuzz target takes it.
    void decimal4_data() { addSavedInputs("decimal4"); }
    void decimal4()
    {
        QFETCH(QString, path);
        const QString failure = ReaderInvariants::checkDecimal4(QString::fromUtf8(contents(path)));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "test_fuzzregressions.moc"
