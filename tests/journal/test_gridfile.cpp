#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The grid text file and the column widths file: byte layout, round trips, the
// count rules and every way a file can be damaged.
class TestGridFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    void writeBytes(const QString &name, const QByteArray &bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readBytes(const QString &name)
    {
        QFile f(path(name));
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll();
    }
    static QByteArray cp(const char *utf8) { return *Cp1251::encode(QString::fromUtf8(utf8)); }
    static QString u(const char *utf8) { return QString::fromUtf8(utf8); }
    static Grid filled(int cols, int rows)
    {
        Grid g(cols, rows, 0, 0);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r)
                g.setCell(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
        return g;
    }

private Q_SLOTS:
    void writesColumnByColumnWithCrLf()
    {
        Grid g(3, 2, 0, 0);
        const char *texts[3][2] = {{"a", "б"}, {"", "  x "}, {"Ё", "№"}};
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 2; ++r)
                g.setCell(c, r, u(texts[c][r]));
        WriteGridFile(path("w.txt"), g);
        QCOMPARE(readBytes("w.txt"), QByteArray("3\r\n2\r\na\r\n") + cp("б") + "\r\n\r\n  x \r\n" + cp("Ё") + "\r\n" + cp("№") + "\r\n");

        Grid back(1, 1, 0, 0);
        ReadGridFile(path("w.txt"), back);
        QCOMPARE(back.colCount(), 3);
        QCOMPARE(back.rowCount(), 2);
        for (int c = 0; c < 3; ++c)
            for (int r = 0; r < 2; ++r)
                QCOMPARE(back.cell(c, r), u(texts[c][r]));
    }

    void everyCp1251ByteSurvivesARoundTrip()
    {
        QByteArray all;
        for (int b = 32; b < 256; ++b)
            all.append(char(b));
        writeBytes("all.txt", "1\r\n1\r\n" + all + "\r\n");
        Grid g;
        ReadGridFile(path("all.txt"), g);
        WriteGridFile(path("all2.txt"), g);
        QCOMPARE(readBytes("all2.txt"), readBytes("all.txt"));
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("CR LF") << QByteArray("1\r\n3\r\na\r\nb\r\nc\r\n") << QStringList{"a", "b", "c"};
        QTest::newRow("LF only") << QByteArray("1\n3\na\nb\nc\n") << QStringList{"a", "b", "c"};
        QTest::newRow("no final line end") << QByteArray("1\n3\na\nb\nc") << QStringList{"a", "b", "c"};
        QTest::newRow("lone CR dropped") << QByteArray("1\r\n3\r\na\rb\r\n\r\rc\r\n") << QStringList{"ab", "c", ""};
        QTest::newRow("mixed") << QByteArray("1\n3\r\nx\r\n\ny y \n") << QStringList{"x", "", "y y "};
        QTest::newRow("ends early") << QByteArray("1\r\n3\r\nonly\r\n") << QStringList{"only", "", ""};
        QTest::newRow("lines after the last cell ignored") << QByteArray("1\r\n2\r\na\r\nb\r\nextra\r\nmore\r\n")
                                                           << QStringList{"a", "b"};
        QTest::newRow("blanks kept") << QByteArray("1\r\n2\r\n  \r\n a b \r\n") << QStringList{"  ", " a b "};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, cells);
        writeBytes("le.txt", bytes);
        Grid g(4, 4, 1, 1);
        g.setCell(0, 2, QStringLiteral("old"));
        ReadGridFile(path("le.txt"), g);
        QCOMPARE(g.colCount(), 1);
        QCOMPARE(g.rowCount(), cells.size());
        for (int r = 0; r < cells.size(); ++r)
            QCOMPARE(g.cell(0, r), cells.at(r));
    }

    void countLinesThatAreNotNumbers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("colsAfter");
        QTest::addColumn<QString>("named");
        QTest::newRow("empty first line") << QByteArray("\r\n2\r\na\r\nb\r\n") << 3 << QString("строка 1");
        QTest::newRow("letters in line 1") << QByteArray("abc\r\n2\r\n") << 3 << QString("«abc»");
        QTest::newRow("empty file") << QByteArray("") << 3 << QString("строка 1");
        QTest::newRow("decimal in line 2") << QByteArray("2\r\n1,5\r\n") << 2 << QString("«1,5»");
        QTest::newRow("missing line 2") << QByteArray("5\r\n") << 5 << QString("строка 2");
    }
    void countLinesThatAreNotNumbers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, colsAfter);
        QFETCH(QString, named);
        writeBytes("bad.txt", bytes);
        Grid g(3, 3, 0, 0);
        g.setCell(1, 1, QStringLiteral("kept"));
        try {
            ReadGridFile(path("bad.txt"), g);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(named), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("bad.txt")));
        }
        // From line 2 on, the column count of line 1 is already in force; no cell is read.
        QCOMPARE(g.colCount(), colsAfter);
        QCOMPARE(g.rowCount(), 3);
        QCOMPARE(g.cell(1, 1), QStringLiteral("kept"));
    }

    void impossibleSizesLeaveTheGridUntouched_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("too many columns") << QByteArray("100001\r\n1\r\n");
        QTest::newRow("too many rows") << QByteArray("1\r\n100001\r\n");
        QTest::newRow("too many cells") << QByteArray("5000\r\n5000\r\n");
        QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999999\r\n1\r\n");
    }
    void impossibleSizesLeaveTheGridUntouched()
    {
        QFETCH(QByteArray, bytes);
        writeBytes("huge.txt", bytes);
        Grid g = filled(3, 4);
        const Grid before = g;
        QVERIFY_THROWS_EXCEPTION(ConversionError, ReadGridFile(path("huge.txt"), g));
        QVERIFY(g == before);
    }

    void countRules()
    {
        // 3 rows read into a grid with 4 fixed rows: 2 fixed rows remain.
        writeBytes("r3.txt", "2\r\n3\r\n");
        Grid g(20, 14, 2, 4);
        ReadGridFile(path("r3.txt"), g);
        QCOMPARE(g.rowCount(), 3);
        QCOMPARE(g.fixedRows(), 2);
        QCOMPARE(g.fixedCols(), 1);
        // Counts below 1 become 1.
        writeBytes("zero.txt", "0\r\n-4\r\nonly\r\n");
        ReadGridFile(path("zero.txt"), g);
        QCOMPARE(g.colCount(), 1);
        QCOMPARE(g.rowCount(), 1);
        QCOMPARE(g.fixedCols(), 0);
        QCOMPARE(g.fixedRows(), 0);
        QCOMPARE(g.cell(0, 0), QStringLiteral("only"));
    }

    void missingFileIsAFileError()
    {
        Grid g = filled(2, 2);
        const Grid before = g;
        try {
            ReadGridFile(path("nope/SpStud.txt"), g);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY(e.message().contains(QStringLiteral("SpStud.txt")));
        }
        QVERIFY(g == before);
    }

    void unencodableCellStopsTheWriteAndKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("emoji") << u("отлично 😀");
        QTest::newRow("chinese") << u("中");
        QTest::newRow("greek") << u("λ");
    }
    void unencodableCellStopsTheWriteAndKeepsTheOldFile()
    {
        QFETCH(QString, text);
        Grid g = filled(3, 3);
        WriteGridFile(path("keep.txt"), g);
        const QByteArray old = readBytes("keep.txt");
        g.setCell(2, 1, text);
        try {
            WriteGridFile(path("keep.txt"), g);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY(e.message().contains(QStringLiteral("keep.txt")));
            QVERIFY2(e.message().contains(QStringLiteral("столбец 2, строка 1")), qPrintable(e.message()));
        }
        QCOMPARE(readBytes("keep.txt"), old);
    }

    void writeIntoAMissingFolderFails()
    {
        QVERIFY_THROWS_EXCEPTION(FileError, WriteGridFile(path("no/such/dir/x.txt"), filled(1, 1)));
    }

    void columnWidths_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("plain") << QByteArray("22\r\n127\r\n30\r\n40\r\n") << QList<int>{22, 127, 30, 40};
        QTest::newRow("blanks and empty lines skipped") << QByteArray("  22\r\n\r\n\r\n 127 rest\r\n30\tx\r\n40") << QList<int>{22, 127, 30, 40};
        QTest::newRow("ends early") << QByteArray("22\r\n127\r\n") << QList<int>{22, 127, 0, 0};
        QTest::newRow("extra lines ignored") << QByteArray("1\n2\n3\n4\n5\n6\n") << QList<int>{1, 2, 3, 4};
    }
    void columnWidths()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<int>, widths);
        writeBytes("ColSpStud.txt", bytes);
        Grid g(4, 5, 2, 4, 30);
        Grid companion(4, 8, 2, 1, 30);
        ReadColumnWidths(path("ColSpStud.txt"), g, &companion);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(g.colWidth(i), widths.at(i));
            QCOMPARE(companion.colWidth(i), widths.at(i));
        }
    }

    void columnWidthsErrorsAndAbsence()
    {
        Grid g(3, 5, 2, 4, 30);
        g.setColWidth(1, 99);
        ReadColumnWidths(path("absent.txt"), g, nullptr);
        QCOMPARE(g.colWidth(1), 99);
        writeBytes("badw.txt", "22\r\nширина\r\n");
        try {
            ReadColumnWidths(path("badw.txt"), g, nullptr);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY(e.message().contains(QStringLiteral("badw.txt")));
        }
        g.setColWidth(0, 22);
        g.setColWidth(2, 0);
        WriteColumnWidths(path("w2.txt"), g);
        QCOMPARE(readBytes("w2.txt"), QByteArray("22\r\n99\r\n0\r\n"));
    }

    void textLines()
    {
        writeTextLines(path("p.txt"), {u("50"), u(" 62,5 "), u("85")});
        QCOMPARE(readBytes("p.txt"), QByteArray("50\r\n 62,5 \r\n85\r\n"));
        QCOMPARE(readTextLines(path("p.txt")), (QStringList{"50", " 62,5 ", "85"}));
    }
};

QTEST_GUILESS_MAIN(TestGridFile)
#include "test_gridfile.moc"
