#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"
#include "smalltmpfs.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
        WriteGridFile(path(u"w.txt"_s), g);
        QCOMPARE(readBytes(u"w.txt"_s), QByteArray("3\r\n2\r\na\r\n") + cp("б") + "\r\n\r\n  x \r\n" + cp("Ё") + "\r\n" + cp("№") + "\r\n");

        Grid back(1, 1, 0, 0);
        ReadGridFile(path(u"w.txt"_s), back);
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
        writeBytes(u"all.txt"_s, "1\r\n1\r\n" + all + "\r\n");
        Grid g;
        ReadGridFile(path(u"all.txt"_s), g);
        WriteGridFile(path(u"all2.txt"_s), g);
        QCOMPARE(readBytes(u"all2.txt"_s), readBytes(u"all.txt"_s));
    }

    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("CR LF") << QByteArray("1\r\n3\r\na\r\nb\r\nc\r\n") << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("LF only") << QByteArray("1\n3\na\nb\nc\n") << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("no final line end") << QByteArray("1\n3\na\nb\nc") << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("lone CR dropped") << QByteArray("1\r\n3\r\na\rb\r\n\r\rc\r\n") << QStringList{u"ab"_s, u"c"_s, u""_s};
        QTest::newRow("mixed") << QByteArray("1\n3\r\nx\r\n\ny y \n") << QStringList{u"x"_s, u""_s, u"y y "_s};
        QTest::newRow("ends early") << QByteArray("1\r\n3\r\nonly\r\n") << QStringList{u"only"_s, u""_s, u""_s};
        QTest::newRow("lines after the last cell ignored") << QByteArray("1\r\n2\r\na\r\nb\r\nextra\r\nmore\r\n")
                                                           << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("blanks kept") << QByteArray("1\r\n2\r\n  \r\n a b \r\n") << QStringList{u"  "_s, u" a b "_s};
        QTest::newRow("CR as the last byte") << QByteArray("1\r\n2\r\na\r") << QStringList{u"a"_s, u""_s};
        QTest::newRow("CR CR LF") << QByteArray("1\r\n2\r\na\r\r\nb\r\n") << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("lone CR first in a line") << QByteArray("1\r\n2\r\n\rab\r\nc\r\n") << QStringList{u"ab"_s, u"c"_s};
        QTest::newRow("lone CR in a count line") << QByteArray("1\r\n\r2\r\nx\r\ny\r\n") << QStringList{u"x"_s, u"y"_s};
        QTest::newRow("a line of CRs only") << QByteArray("1\r\n2\r\n\r\r\r\nz") << QStringList{u""_s, u"z"_s};
        QTest::newRow("lone CR after a clean line") << QByteArray("1\r\n3\r\n5\r\n4\r5\r\n3\r\n") << QStringList{u"5"_s, u"45"_s, u"3"_s};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, cells);
        writeBytes(u"le.txt"_s, bytes);
        Grid g(4, 4, 1, 1);
        g.setCell(0, 2, QStringLiteral("old"));
        ReadGridFile(path(u"le.txt"_s), g);
        QCOMPARE(g.colCount(), 1);
        QCOMPARE(g.rowCount(), cells.size());
        for (int r = 0; r < cells.size(); ++r)
            QCOMPARE(g.cell(0, r), cells.at(r));
    }

    // A grid read into holds texts already (the same journal read again, or
    // another one): every cell ends with the file's text, whether it held the
    // same text, another of the same length, or one longer or shorter.
    void readingIntoAFilledGrid_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("same texts") << QStringList{u"5"_s, u"4,5"_s, u""_s, u("Иванов")} << QByteArray("5\r\n4,5\r\n\r\n") + cp("Иванов")
                                    << QStringList{u"5"_s, u"4,5"_s, u""_s, u("Иванов")};
        QTest::newRow("same lengths, other texts") << QStringList{u"5"_s, u"4,5"_s, u"a"_s, u("Ё")} << QByteArray("4\r\n3,5\r\nb\r\n") + cp("ё")
                                                   << QStringList{u"4"_s, u"3,5"_s, u"b"_s, u("ё")};
        QTest::newRow("longer and shorter") << QStringList{u"5"_s, u"10"_s, u""_s, u"abc"_s} << QByteArray("10\r\n5\r\nx\r\n")
                                            << QStringList{u"10"_s, u"5"_s, u"x"_s, u""_s};
        QTest::newRow("high bytes against their Latin-1 look-alikes")
            << QStringList{QString(QChar(0xC0)), QString(QChar(0xB9)), u"5"_s, u"5"_s} << cp("А") + "\r\n" + cp("№") + "\r\n5\r\n5"
            << QStringList{u("А"), u("№"), u"5"_s, u"5"_s};
    }
    void readingIntoAFilledGrid()
    {
        QFETCH(QStringList, before);
        QFETCH(QByteArray, lines);
        QFETCH(QStringList, after);
        Grid g(1, int(before.size()), 0, 0);
        for (int r = 0; r < before.size(); ++r)
            g.setCell(0, r, before.at(r));
        writeBytes(u"again.txt"_s, "1\r\n" + QByteArray::number(before.size()) + "\r\n" + lines);
        ReadGridFile(path(u"again.txt"_s), g);
        for (int r = 0; r < after.size(); ++r)
            QCOMPARE(g.cell(0, r), after.at(r));
        ReadGridFile(path(u"again.txt"_s), g);
        for (int r = 0; r < after.size(); ++r)
            QCOMPARE(g.cell(0, r), after.at(r));
    }

    // One-character cells share their text: changing one of them in place
    // changes no other cell and no later read.
    void oneCharacterCellsAreIndependent()
    {
        writeBytes(u"ones.txt"_s, "2\r\n2\r\n5\r\n5\r\n5\r\n");
        Grid g;
        ReadGridFile(path(u"ones.txt"_s), g);
        g.column(0)[0].append(QStringLiteral("+"));
        g.column(1)[0][0] = QChar(u'4');
        QCOMPARE(g.cell(0, 0), QStringLiteral("5+"));
        QCOMPARE(g.cell(1, 0), QStringLiteral("4"));
        QCOMPARE(g.cell(0, 1), QStringLiteral("5"));
        Grid again;
        ReadGridFile(path(u"ones.txt"_s), again);
        QCOMPARE(again.cell(0, 0), QStringLiteral("5"));
        QCOMPARE(again.cell(1, 0), QStringLiteral("5"));
        QCOMPARE(again.cell(1, 1), QString());
    }

    void countLinesThatAreNotNumbers_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("colsAfter");
        QTest::addColumn<QString>("named");
        QTest::newRow("empty first line") << QByteArray("\r\n2\r\na\r\nb\r\n") << 3 << u"строка 1"_s;
        QTest::newRow("letters in line 1") << QByteArray("abc\r\n2\r\n") << 3 << u"«abc»"_s;
        QTest::newRow("empty file") << QByteArray("") << 3 << u"строка 1"_s;
        QTest::newRow("decimal in line 2") << QByteArray("2\r\n1,5\r\n") << 2 << u"«1,5»"_s;
        QTest::newRow("missing line 2") << QByteArray("5\r\n") << 5 << u"строка 2"_s;
    }
    void countLinesThatAreNotNumbers()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, colsAfter);
        QFETCH(QString, named);
        writeBytes(u"bad.txt"_s, bytes);
        Grid g(3, 3, 0, 0);
        g.setCell(1, 1, QStringLiteral("kept"));
        try {
            ReadGridFile(path(u"bad.txt"_s), g);
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
        writeBytes(u"huge.txt"_s, bytes);
        Grid g = filled(3, 4);
        const Grid before = g;
        QVERIFY_THROWS_EXCEPTION(ConversionError, ReadGridFile(path(u"huge.txt"_s), g));
        QVERIFY(g == before);
    }

    void countRules()
    {
        // 3 rows read into a grid with 4 fixed rows: 2 fixed rows remain.
        writeBytes(u"r3.txt"_s, "2\r\n3\r\n");
        Grid g(20, 14, 2, 4);
        ReadGridFile(path(u"r3.txt"_s), g);
        QCOMPARE(g.rowCount(), 3);
        QCOMPARE(g.fixedRows(), 2);
        QCOMPARE(g.fixedCols(), 1);
        // Counts below 1 become 1.
        writeBytes(u"zero.txt"_s, "0\r\n-4\r\nonly\r\n");
        ReadGridFile(path(u"zero.txt"_s), g);
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
            ReadGridFile(path(u"nope/SpStud.txt"_s), g);
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
        // A cell is one line of its file: a line break would shift every later cell.
        QTest::newRow("line feed") << u("5\n4");
        QTest::newRow("CR LF") << u("5\r\n4");
        QTest::newRow("lone CR") << u("5\r");
    }
    void unencodableCellStopsTheWriteAndKeepsTheOldFile()
    {
        QFETCH(QString, text);
        Grid g = filled(3, 3);
        WriteGridFile(path(u"keep.txt"_s), g);
        const QByteArray old = readBytes(u"keep.txt"_s);
        g.setCell(2, 1, text);
        try {
            WriteGridFile(path(u"keep.txt"_s), g);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY(e.message().contains(QStringLiteral("keep.txt")));
            QVERIFY2(e.message().contains(QStringLiteral("столбец 2, строка 1")), qPrintable(e.message()));
        }
        QCOMPARE(readBytes(u"keep.txt"_s), old);
    }

    void hostileCountLines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("cols"); // -1: refused, the grid untouched
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("named");
        // Below 1 becomes 1, however far below; never cut down to 32 bits.
        QTest::newRow("-4294917296") << QByteArray("-4294917296\r\n2\r\n") << 1 << 2 << QString();
        QTest::newRow("-4194967296") << QByteArray("-4194967296\r\n1\r\n") << 1 << 1 << QString();
        QTest::newRow("both far below") << QByteArray("-99999999999\r\n-49999999999\r\n") << 1 << 1 << QString();
        QTest::newRow("below 64 bits") << QByteArray("-99999999999999999999999\r\n3\r\n") << 1 << 3 << QString();
        QTest::newRow("blanks and plus") << QByteArray(" +2 \r\n\t3\r\n") << 2 << 3 << QString();
        QTest::newRow("+-3") << QByteArray("+-3\r\n2\r\n") << -1 << 0 << u"не является целым"_s;
        QTest::newRow("-+3") << QByteArray("-+3\r\n2\r\n") << -1 << 0 << u"не является целым"_s;
        QTest::newRow("2^63") << QByteArray("9223372036854775808\r\n1\r\n") << -1 << 0 << u"слишком велик"_s;
        QTest::newRow("2^63 - 1") << QByteArray("9223372036854775807\r\n1\r\n") << -1 << 0 << u"слишком велик"_s;
        QTest::newRow("cells beyond the limit") << QByteArray("-5\r\n20000001\r\n") << -1 << 0 << u"слишком велик"_s;
    }
    void hostileCountLines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, cols);
        QFETCH(int, rows);
        QFETCH(QString, named);
        writeBytes(u"counts.txt"_s, bytes);
        Grid g = filled(3, 4);
        const Grid before = g;
        if (cols < 0) {
            try {
                ReadGridFile(path(u"counts.txt"_s), g);
                QFAIL("no error");
            } catch (const ConversionError &e) {
                QVERIFY2(e.message().contains(named), qPrintable(e.message()));
            }
            QVERIFY(g == before);
            return;
        }
        ReadGridFile(path(u"counts.txt"_s), g);
        QCOMPARE(g.colCount(), cols);
        QCOMPARE(g.rowCount(), rows);
    }

    void aSmallerShapeNeverPassesThroughALargerOne()
    {
#if defined(__SANITIZE_ADDRESS__)
        QSKIP("an address-space limit cannot be set under AddressSanitizer");
#else
        // 2000 x 2000 cells read as 100000 x 2: with the column count applied
        // while 2000 rows still stand the grid would pass through 200 million
        // cells (several gigabytes). A child process with 1.5 GB of address
        // space more than it uses now must manage it.
        writeBytes(u"wide.txt"_s, "100000\r\n2\r\n");
        Grid g(2000, 2000, 0, 0);
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            rlimit limit{};
            QFile status(QStringLiteral("/proc/self/statm"));
            if (!status.open(QIODevice::ReadOnly))
                _exit(3);
            const qint64 pages = status.readAll().split(' ').value(0).toLongLong();
            limit.rlim_cur = limit.rlim_max = rlim_t(pages * sysconf(_SC_PAGESIZE) + (qint64(3) << 29));
            setrlimit(RLIMIT_AS, &limit);
            try {
                ReadGridFile(path(u"wide.txt"_s), g);
            } catch (...) {
                _exit(2);
            }
            _exit(g.colCount() == 100000 && g.rowCount() == 2 ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
#endif
    }

    void messagesQuoteAtMost40Characters_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("10 MB count line") << QByteArray(10 << 20, '7').append("x\r\n1\r\n") << QString(40, u'7') + u("…");
        QTest::newRow("NUL and controls") << QByteArray("1\x00\x01\r\n1\r\n", 9) << u("1\\x00\\x01");
    }
    void messagesQuoteAtMost40Characters()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        writeBytes(u"long.txt"_s, bytes);
        Grid g = filled(2, 2);
        try {
            ReadGridFile(path(u"long.txt"_s), g);
            QFAIL("no error");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(shown), qPrintable(e.message()));
            QVERIFY2(e.message().size() < 400, qPrintable(e.message().left(400)));
            QVERIFY(!e.message().contains(QChar(0)));
        }
    }

    void onlyRegularFilesAreRead_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("FIFO") << u"fifo"_s << u("канал");
        QTest::newRow("folder") << u"dir"_s << u("папка");
        QTest::newRow("link to a file") << u"link"_s << u("ссылка");
        QTest::newRow("device") << u"device"_s << u("устройство");
    }
    void onlyRegularFilesAreRead()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString name = kind == QLatin1String("device") ? QStringLiteral("/dev/null") : path(kind + QStringLiteral("/SpStud.txt"));
        QVERIFY(QDir().mkpath(path(kind)));
        writeBytes(u"target.txt"_s, "1\r\n1\r\nx\r\n");
        if (kind == QLatin1String("fifo"))
            QCOMPARE(mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        else if (kind == QLatin1String("dir"))
            QVERIFY(QDir().mkpath(name));
        else if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(path(u"target.txt"_s), name));
        Grid g = filled(2, 2);
        const Grid before = g;
        // A FIFO with no writer must not make the read wait.
        try {
            ReadGridFile(name, g);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
            QVERIFY(e.message().contains(QFileInfo(name).fileName()));
        }
        QVERIFY(g == before);
        // Nothing is written through a link or into a special file either.
        if (kind != QLatin1String("dir")) {
            QVERIFY_THROWS_EXCEPTION(FileError, WriteGridFile(name, filled(1, 1)));
            QCOMPARE(readBytes(u"target.txt"_s), QByteArray("1\r\n1\r\nx\r\n"));
            QVERIFY(QFileInfo(name).isSymLink() || kind != QLatin1String("link"));
        }
    }

    void writeFailuresSayWhy()
    {
        // A small file system of our own: full, then read-only.
        const SmallTmpfs mountPoint;
        if (!mountPoint.mounted())
            QSKIP("no tmpfs can be mounted here");
        const QString file = mountPoint.filePath(QStringLiteral("SpStud.txt"));
        WriteGridFile(file, filled(1, 1));
        const QByteArray old = [&] {
            QFile f(file);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        try {
            WriteGridFile(file, filled(300, 100)); // about 200 KB
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(u("нет места")), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("SpStud.txt")));
        }
        QVERIFY(mountPoint.makeReadOnly());
        try {
            WriteGridFile(file, filled(1, 1));
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(u("только для чтения")), qPrintable(e.message()));
        }
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), old);
    }

    void writeIntoAMissingFolderFails()
    {
        QVERIFY_THROWS_EXCEPTION(FileError, WriteGridFile(path(u"no/such/dir/x.txt"_s), filled(1, 1)));
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
        writeBytes(u"ColSpStud.txt"_s, bytes);
        Grid g(4, 5, 2, 4, 30);
        Grid companion(4, 8, 2, 1, 30);
        ReadColumnWidths(path(u"ColSpStud.txt"_s), g, &companion);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(g.colWidth(i), widths.at(i));
            QCOMPARE(companion.colWidth(i), widths.at(i));
        }
    }

    void columnWidthsErrorsAndAbsence()
    {
        Grid g(3, 5, 2, 4, 30);
        g.setColWidth(1, 99);
        ReadColumnWidths(path(u"absent.txt"_s), g, nullptr);
        QCOMPARE(g.colWidth(1), 99);
        writeBytes(u"badw.txt"_s, "22\r\nширина\r\n");
        try {
            ReadColumnWidths(path(u"badw.txt"_s), g, nullptr);
            QFAIL("no error");
        } catch (const FileError &e) {
            QVERIFY(e.message().contains(QStringLiteral("badw.txt")));
        }
        g.setColWidth(0, 22);
        g.setColWidth(2, 0);
        WriteColumnWidths(path(u"w2.txt"_s), g);
        QCOMPARE(readBytes(u"w2.txt"_s), QByteArray("22\r\n99\r\n0\r\n"));
    }

    void textLines()
    {
        writeTextLines(path(u"p.txt"_s), {u("50"), u(" 62,5 "), u("85")});
        QCOMPARE(readBytes(u"p.txt"_s), QByteArray("50\r\n 62,5 \r\n85\r\n"));
        QCOMPARE(readTextLines(path(u"p.txt"_s)), (QStringList{u"50"_s, u" 62,5 "_s, u"85"_s}));
    }
};

QTEST_GUILESS_MAIN(TestGridFile)
#include "test_gridfile.moc"
