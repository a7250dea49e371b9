#include "rating/resultsxlsx.h"

#include "../journal/smalltmpfs.h"
#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"
#include "journal/journallayout.h"
#include "rating/decimal4.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"
#include "rating/resultscommand.h"
#include "rating/scorecell.h"
#include "xlsxreader.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

class TestResultsXlsx : public QObject
{
    Q_OBJECT

    const QString m_demo = QStringLiteral(ZHURNAL_SOURCE_DIR "/examples/demo");
    const QString m_journal = u"ПИ-22/ВысшМат"_s;

    struct Run
    {
        int code = -1;
        QString out, err;
    };
    static Run command(const QStringList &args)
    {
        Run r;
        QTextStream out(&r.out), err(&r.err);
        r.code = runResultsCommand(args, out, err);
        return r;
    }
    // The program itself, as a script would start it.
    static Run program(const QStringList &args)
    {
        QProcess p;
        p.start(QStringLiteral(ZHURNAL_BINARY), QStringList{u"results"_s} + args);
        p.waitForFinished(60000);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    static bool isNumber(const QString &text, double *value)
    {
        Decimal4 d;
        if (text.trimmed().isEmpty() || Decimal4::parse(text, d) != Decimal4::Parse::Ok)
            return false;
        *value = d.toDouble();
        return true;
    }

    // A cell written from a result text: a number cell when the text is a number, else the text.
    static void compareCell(const ReadXlsx::Sheet &sheet, int col, int row, const QString &text, bool numbers)
    {
        const ReadXlsx::Cell *cell = sheet.at(col, row);
        const QString where = sheet.name + u' ' + xlsxCellName(col, row) + u' ' + text;
        if (text.isEmpty()) {
            QVERIFY2(!cell, qPrintable(where));
            return;
        }
        QVERIFY2(cell, qPrintable(where));
        QVERIFY2(!cell->formula, qPrintable(where));
        double value = 0;
        if (numbers && isNumber(text, &value)) {
            QCOMPARE(cell->type, u"n"_s);
            QCOMPARE(cell->number, value);
        } else {
            QCOMPARE(cell->type, u"s"_s);
            QCOMPARE(cell->text, text);
        }
    }

    static QList<QStringList> rows(const QJsonValue &grid)
    {
        QList<QStringList> out;
        for (const QJsonValue &row : grid.toArray()) {
            QStringList cells;
            for (const QJsonValue &v : row.toArray())
                cells << v.toString();
            out << cells;
        }
        return out;
    }

private Q_SLOTS:
    // The demo journal's workbook, written by the program, holds what
    // "results --format json" prints with the same options, numbers as numbers.
    void demoWorkbookHoldsTheResults_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("journal order") << QStringList{};
        QTest::newRow("ranked, with the average student") << QStringList{u"--average"_s, u"--rank"_s};
    }
    void demoWorkbookHoldsTheResults()
    {
        QFETCH(QStringList, options);
        QTemporaryDir out;
        const QString file = out.filePath(u"итоги.xlsx"_s);
        const QStringList common = QStringList{m_journal, u"--data"_s, m_demo} + options;
        const Run written = program(common + QStringList{u"--format"_s, u"xlsx"_s, u"-o"_s, file});
        QCOMPARE(written.err, QString());
        QCOMPARE(written.code, 0);
        QVERIFY(written.out.contains(file));
        const Run json = command(common);
        QCOMPARE(json.code, 0);
        const QJsonObject results = QJsonDocument::fromJson(json.out.toUtf8()).object();

        const ReadXlsx book = readXlsxFile(file);
        QVERIFY2(book.ok, qPrintable(book.error));
        QCOMPARE(book.sheets.size(), 3);

        // Итоги: the result grid row by row, and each student's place by sum.
        const ReadXlsx::Sheet *itog = book.sheet(u"Итоги"_s);
        QVERIFY(itog);
        const QList<QStringList> itogRows = rows(results[u"itog"_s]);
        QVERIFY(itogRows.size() > 20);
        for (int r = 0; r < itogRows.size(); ++r)
            for (int c = 0; c < itogRows[r].size(); ++c)
                compareCell(*itog, c, r, r == 0 ? itogRows[r][c].trimmed() : itogRows[r][c], r > 0 && c != ResultGrids::NameCol);
        QCOMPARE(itog->at(8, 0)->text, u"Место"_s);
        for (int r = 1; r < itogRows.size(); ++r) {
            const bool average = itogRows[r][1] == ResultGrids::averageStudentName();
            int larger = 0;
            for (int o = 1; o < itogRows.size(); ++o)
                larger += itogRows[o][1] != ResultGrids::averageStudentName()
                          && Decimal4::fromText(itogRows[o][2]) > Decimal4::fromText(itogRows[r][2]);
            const ReadXlsx::Cell *place = itog->at(8, r);
            QCOMPARE(!place, average);
            if (place)
                QCOMPARE(place->number, double(larger + 1));
        }
        QCOMPARE(std::pair(itog->frozenRows, itog->frozenCols), std::pair(1, 2));

        // Распределение: the counts and shares, then the three indicators.
        const ReadXlsx::Sheet *uspev = book.sheet(u"Распределение"_s);
        QVERIFY(uspev);
        const QList<QStringList> uspevRows = rows(results[u"uspev"_s]);
        for (int r = 0; r < uspevRows.size(); ++r)
            for (int c = 0; c < uspevRows[r].size(); ++c)
                compareCell(*uspev, c, r, uspevRows[r][c], c > 0);
        const QJsonObject indicators = results[u"indicators"_s].toObject();
        int r = uspevRows.size() + 2;
        for (const auto &[caption, key] : {std::pair{u"Успеваемость"_s, u"Uspewa"_s}, std::pair{u"Качество"_s, u"Ka4"_s},
                                           std::pair{u"Обученность"_s, u"Obu4"_s}}) {
            compareCell(*uspev, 0, r, caption, false);
            compareCell(*uspev, 1, r, indicators[key].toString(), true);
            ++r;
        }
        QCOMPARE(std::pair(uspev->frozenRows, uspev->frozenCols), std::pair(1, 1));

        // Журнал: every cell as the grid holds it; the scores, weights and
        // numbers the recalculation reads as numbers, at the grid's widths.
        const ReadXlsx::Sheet *journal = book.sheet(u"Журнал"_s);
        QVERIFY(journal);
        Grid grid;
        ReadGridFile(m_demo + u'/' + m_journal + u"/SpStud.txt"_s, grid);
        ReadColumnWidths(m_demo + u'/' + m_journal + u"/ColSpStud.txt"_s, grid, nullptr);
        using namespace JournalLayout;
        for (int c = 0; c < grid.colCount(); ++c) {
            for (int row = 0; row < grid.rowCount(); ++row) {
                const QString &text = grid.cell(c, row);
                const bool number = (c >= kFirstLessonCol && row == kWeightRow) || (c == kNumberCol && row >= kFirstStudentRow)
                                    || (c >= kFirstLessonCol && row >= kFirstStudentRow
                                        && ScoreCell::classify(text) == ScoreCell::Kind::Score);
                compareCell(*journal, c, row, text, number);
            }
            // Excel's width in characters of a column of that many pixels (7 pixels a character, the margin included).
            QVERIFY2(qAbs(journal->colWidths.value(c) * 7 - grid.colWidth(c)) <= 7, qPrintable(QString::number(c)));
        }
        QCOMPARE(std::pair(journal->frozenRows, journal->frozenCols), std::pair(4, 2));
    }

    // Texts from a journal are texts in the sheet, whatever they hold: a
    // formula sign, control characters, a zero; a date with its year is a date.
    void cellTexts_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("shown"); // the text read back, or the number
        QTest::newRow("formula sign") << 4 << u"=1+1"_s << u"s"_s << u"=1+1"_s;
        QTest::newRow("formula with a call") << 0 << u"=HYPERLINK(\"http://x\")"_s << u"s"_s << u"=HYPERLINK(\"http://x\")"_s;
        QTest::newRow("control characters") << 4 << u"a\x01" "b\x1f\x0b"_s << u"s"_s << u"a\x01" "b\x1f\x0b"_s;
        QTest::newRow("tab and line feed") << 0 << u"a\tb\nc"_s << u"s"_s << u"a\tb\nc"_s;
        QTest::newRow("a zero") << 4 << QString(reinterpret_cast<const QChar *>(u"x\0y"), 3) << u"s"_s << u"x\uFFFDy"_s;
        QTest::newRow("blanks") << 2 << u"  Т 1  "_s << u"s"_s << u"  Т 1  "_s;
        QTest::newRow("escape-like text") << 2 << u"_x0041_ и _x005F_"_s << u"s"_s << u"_x0041_ и _x005F_"_s;
        QTest::newRow("score with a comma") << 4 << u" 4,5 "_s << u"n"_s << u"4.5"_s;
        QTest::newRow("score not counted") << 4 << u"4.5"_s << u"s"_s << u"4.5"_s;
        QTest::newRow("date with its year") << 1 << u"05.09.2024"_s << u"n"_s
                                            << QString::number(QDate(1899, 12, 30).daysTo(QDate(2024, 9, 5)));
        QTest::newRow("short year") << 1 << u"5.9.24"_s << u"n"_s << QString::number(QDate(1899, 12, 30).daysTo(QDate(2024, 9, 5)));
        QTest::newRow("date without a year") << 1 << u"05.09"_s << u"s"_s << u"05.09"_s;
        QTest::newRow("no such day") << 1 << u"31.02.2024"_s << u"s"_s << u"31.02.2024"_s;
    }
    void cellTexts()
    {
        QFETCH(int, row);
        QFETCH(QString, text);
        QFETCH(QString, type);
        QFETCH(QString, shown);
        Grid journal = JournalLayout::makeJournalGrid();
        journal.resize(4, 5);
        journal.setCell(1, 4, u"Ученик"_s);
        journal.setCell(2, 3, u"1"_s);
        journal.setCell(2, row, text);
        const Grid itog = ResultGrids::makeItog();
        const Grid uspev = ResultGrids::makeUspev();
        const Indicators indicators;
        QTemporaryDir dir;
        const QString file = dir.filePath(u"k.xlsx"_s);
        ResultsXlsx::write({journal, itog, uspev, indicators}, file);

        // Qt's XML reader refuses any character XML does not allow.
        const ReadXlsx book = readXlsxFile(file);
        QVERIFY2(book.ok, qPrintable(book.error));
        const ReadXlsx::Cell *cell = book.sheet(u"Журнал"_s)->at(2, row);
        QVERIFY(cell);
        QCOMPARE(cell->type, type);
        QVERIFY(!cell->formula);
        QCOMPARE(cell->text, shown);
        QCOMPARE(cell->numberFormat == u"dd.mm.yyyy"_s, row == 1 && type == u"n"_s);
    }

    // A workbook that cannot be written says why and names the file; what stood there stays.
    void failures_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no file") << QStringList{u"--format"_s, u"xlsx"_s} << 2 << "нужен параметр -o";
        QTest::newRow("file for json") << QStringList{u"-o"_s, u"/tmp/x.json"_s} << 2 << "json и csv выводятся";
        QTest::newRow("empty file name") << QStringList{u"--format"_s, u"xlsx"_s, u"-o"_s, u""_s} << 2 << "пустой текст";
        QTest::newRow("no folder") << QStringList{u"--format"_s, u"xlsx"_s, u"-o"_s, u"/nonexistent/f.xlsx"_s} << 1
                                   << "«/nonexistent/f.xlsx» не записан: нет папки";
        QTest::newRow("a folder") << QStringList{u"--format"_s, u"xlsx"_s, u"-o"_s, u"<dir>/папка.xlsx"_s} << 1
                                  << "папка.xlsx» не записан: это папка";
        QTest::newRow("a journal file") << QStringList{u"--format"_s, u"xlsx"_s, u"-o"_s, u"/tmp/SpStud.txt"_s} << 1
                                        << "«/tmp/SpStud.txt» не записан: имя книги Excel должно кончаться на «.xlsx»";
    }
    void failures()
    {
        QFETCH(QStringList, options);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(u"папка.xlsx"_s));
        options.replaceInStrings(u"<dir>"_s, dir.path());
        const Run r = command(QStringList{m_journal, u"--data"_s, m_demo} + options);
        QCOMPARE(r.code, code);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }

    void fullDiskKeepsTheOldFile()
    {
        SmallTmpfs disk;
        if (!disk.mounted())
            QSKIP("mounting a tmpfs needs root");
        const QString file = disk.filePath(u"итоги.xlsx"_s);
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QFile filler(disk.filePath(u"filler"_s));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) == 4096)
            ;
        filler.close();
        const Run r = command({m_journal, u"--data"_s, m_demo, u"--format"_s, u"xlsx"_s, u"-o"_s, file});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(u"нет места"_s) && r.err.contains(u"итоги.xlsx"_s), qPrintable(r.err));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }

    void overlongTextIsNamed()
    {
        Grid journal = JournalLayout::makeJournalGrid();
        journal.setCell(1, 4, QString(40000, u'я'));
        const Grid itog = ResultGrids::makeItog();
        const Grid uspev = ResultGrids::makeUspev();
        QTemporaryDir dir;
        try {
            ResultsXlsx::write({journal, itog, uspev, Indicators{}}, dir.filePath(u"d.xlsx"_s));
            QFAIL("written");
        } catch (const FileError &e) {
            QVERIFY2(e.message().contains(u"d.xlsx"_s) && e.message().contains(u"B5"_s) && e.message().contains(u"32767"_s),
                     qPrintable(e.message()));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath(u"d.xlsx"_s)));
    }

    // A spreadsheet program opens the workbook and shows the journal's sheet.
    void spreadsheetProgramReadsIt()
    {
        QString office = QStandardPaths::findExecutable(u"soffice"_s);
        if (office.isEmpty())
            office = QStandardPaths::findExecutable(u"libreoffice"_s);
        if (office.isEmpty())
            QSKIP("no soffice or libreoffice on this machine");
        QTemporaryDir dir;
        const QString file = dir.filePath(u"j.xlsx"_s);
        QCOMPARE(command({m_journal, u"--data"_s, m_demo, u"--format"_s, u"xlsx"_s, u"-o"_s, file}).code, 0);
        QProcess p;
        p.start(office, {u"--headless"_s, u"-env:UserInstallation=file://"_s + dir.filePath(u"profile"_s), u"--convert-to"_s,
                         u"csv:Text - txt - csv (StarCalc):44,34,76"_s, u"--outdir"_s, dir.path(), file});
        QVERIFY(p.waitForFinished(120000));
        QFile csv(dir.filePath(u"j.csv"_s));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split(u'\n', Qt::SkipEmptyParts);
        Grid grid;
        ReadGridFile(m_demo + u'/' + m_journal + u"/SpStud.txt"_s, grid);
        QCOMPARE(lines.size(), grid.rowCount());
        QVERIFY(lines[4].contains(grid.cell(1, 4)));
    }
};

QTEST_GUILESS_MAIN(TestResultsXlsx)
#include "test_resultsxlsx.moc"
