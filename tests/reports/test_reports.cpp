#include "../rating/testjournal.h"

#include "journal/errors.h"
#include "journal/journalsession.h"
#include "rating/ranking.h"
#include "rating/resultgrids.h"
#include "reports/recordingdocument.h"
#include "reports/reports.h"
#include "themes/themes.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QDate kDate(2026, 12, 8);

// Four lessons (weights 2, 1, 1,5 and 1; the last code has no theme) and
// three students.
Grid fixtureJournal()
{
    Grid j = makeJournal({u"Т1"_s, u"кт1"_s, u"Т2"_s, u"Х9"_s}, {u"2"_s, u"1"_s, u"1,5"_s, u"1"_s},
                         {{u"Андреев Антон"_s, u"5"_s, u"4"_s, u"4,5"_s, u"3"_s},
                          {u"Борисова Вера"_s, u"3"_s, u""_s, u"н"_s, u" "_s},
                          {u"Васильев Глеб"_s, u""_s, u"5"_s, u"4"_s, u"2"_s}});
    const QStringList dates = {u"01.09"_s, u"08.09"_s, u"15.09"_s, u"22.09"_s};
    for (int c = 0; c < dates.size(); ++c)
        j.setCell(c + 2, 1, dates[c]);
    return j;
}

// Themes with a duplicated code: the upper one is the theme of Т1.
Grid fixtureThemes()
{
    Grid t = Themes::makeGrid();
    const QList<QStringList> rows = {{u"1"_s, u"Т1"_s, u"2"_s, u"Алгоритмы"_s},
                                     {u"2"_s, u" кт1 "_s, u"1"_s, u"Контрольная"_s},
                                     {u"3"_s, u"Т2"_s, u"1,5"_s, u"Циклы"_s},
                                     {u"4"_s, u"Т1"_s, u"1"_s, u"Повтор"_s}};
    t.setRowCount(int(rows.size()) + 1);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 4; ++c)
            t.setCell(c, r + 1, rows[r][c]);
    return t;
}

// Itog with one row per (name, absences, absence percent).
Grid makeItogRows(const QList<QStringList> &rows)
{
    Grid itog = ResultGrids::makeItog();
    itog.setRowCount(int(rows.size()) + 1);
    for (int r = 0; r < rows.size(); ++r) {
        itog.setCell(0, r + 1, QString::number(r + 1));
        itog.setCell(1, r + 1, rows[r][0]);
        itog.setCell(2, r + 1, u"1%1"_s.arg(r));
        itog.setCell(6, r + 1, rows[r][1]);
        itog.setCell(7, r + 1, rows[r][2]);
    }
    return itog;
}

QStringList tableRow(const DocumentContent &c, int table, int row)
{
    return c.tables().at(table).cells.at(row - 1);
}

struct Fixture
{
    Grid journal = fixtureJournal();
    Grid themes = fixtureThemes();
    Grid summi = ResultGrids::makeSummi();
    Grid itog = ResultGrids::makeItog();
    Grid uspev = ResultGrids::makeUspev();
    JournalIdentity heading{u"G1"_s, u"Информатика"_s, u"Inf"_s, u"1"_s, u"2026"_s, u"осень"_s};
    QString fio = u"  Борисова Вера "_s;
    Indicators indicators{u"66"_s, u"33"_s, u"48"_s};
    Thresholds thresholds{u"55"_s, u"75"_s, u"90"_s};

    Fixture()
    {
        summi.setColCount(journal.colCount());
        // The dynamics of Борисова as the window would show it, by hand.
        const QStringList rows[] = {
            {},
            {u"Борисова Вера"_s, u"6"_s, u"0"_s, u"0"_s, u"0"_s},            // student
            {u"Среднее"_s, u"6"_s, u"3"_s, u"5,25"_s, u"1,6667"_s},         // average
            {u"нак."_s, u"6"_s, u"6"_s, u"6"_s, u"6"_s},                    // student accumulated
            {u"ср. нак."_s, u"6"_s, u"9"_s, u"14,25"_s, u"15,9167"_s},      // average accumulated
            {u"Макс"_s, u"10"_s, u"5"_s, u"6,75"_s, u"3"_s},                // maximum
        };
        for (int r = 1; r <= 5; ++r)
            for (int k = 0; k < rows[r].size(); ++k)
                summi.setCell(k + 1, r, rows[r][k]);
        itog = makeItogRows({{u"Андреев Антон"_s, u"0"_s, u"0"_s}, {u"Борисова Вера"_s, u"2"_s, u"50"_s}});
        uspev.setCell(1, 1, u"1"_s);
        uspev.setCell(1, 2, u"50"_s);
        uspev.setCell(4, 1, u"1"_s);
        uspev.setCell(4, 2, u"50"_s);
    }
    Reports::MainWindowView view() const
    {
        return Reports::MainWindowView{journal, themes, summi, itog, uspev, heading, fio, indicators, thresholds, kDate};
    }
};

const QStringList kLessonHeader = {u"SetColumnWidth 1 20"_s, u"SetCellText 1 1 \"№ \""_s,        u"SetColumnWidth 2 30"_s,
                                   u"SetCellText 1 2 \"Дата\""_s, u"SetColumnWidth 3 35"_s,       u"SetCellText 1 3 \"Код\""_s,
                                   u"SetColumnWidth 4 25"_s,    u"SetCellText 1 4 \"Вес\""_s,     u"SetColumnWidth 5 30"_s,
                                   u"SetCellText 1 5 \"Балл\""_s, u"SetColumnWidth 6 33"_s,       u"SetCellText 1 6 \"Сред.\""_s,
                                   u"SetColumnWidth 7 35"_s,    u"SetCellText 1 7 \"Балл накоп\""_s, u"SetColumnWidth 8 35"_s,
                                   u"SetCellText 1 8 \"Сред. накоп\""_s, u"SetColumnWidth 9 220"_s, u"SetCellText 1 9 \"Тема\""_s};

const QStringList kGradeRows = {u"Оценка|Шт.|Процент|Шкала перевода"_s, u"Отлично|1|50|>= 90"_s, u"Хорошо|||>= 75"_s,
                                u"Удовлетворительно|||>= 55"_s, u"Не удовлетворительно|1|50|<  55"_s};

QStringList joinedRows(const DocumentContent &c, int table)
{
    QStringList out;
    for (const QStringList &row : c.tables().at(table).cells)
        out << row.join(u'|');
    return out;
}

} // namespace

// The six reports on a small journal: the operations in their order, the
// texts with their blanks, the tables cell by cell, and their edge cases.
class TestReports : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void journalTableHeadingAndTables()
    {
        Fixture f;
        RecordingDocument doc;
        Reports::journalTable(doc, f.view());
        const QStringList &calls = doc.calls();
        QCOMPARE(calls.mid(0, 12), (QStringList{u"StartReport"_s, u"SetDocumentFontSize 8"_s, u"SetLeftMargin 50"_s,
                                                u"AppendText \"Накопленный рейтинг\""_s,
                                                u"AppendText \"     На 08.12.2026   Папка Inf\""_s, u"AppendParagraphBreak"_s,
                                                u"AppendText \"Группа G1\""_s, u"AppendParagraphBreak"_s,
                                                u"AppendText \"Информатика\""_s, u"AppendText \"   Семестр 1\""_s,
                                                u"AppendParagraphBreak"_s, u"AddTableAtEnd 4 10"_s}));
        QCOMPARE(calls.mid(12, 13), (QStringList{u"EnableTableBorders"_s, u"SetColumnWidth 1 23"_s, u"SetColumnWidth 2 100"_s,
                                                 u"SetColumnWidth 3 35"_s, u"SetColumnWidth 4 25"_s, u"SetColumnWidth 5 38"_s,
                                                 u"SetColumnWidth 6 38"_s, u"SetColumnWidth 7 50"_s, u"SetColumnWidth 8 50"_s,
                                                 u"SetColumnWidth 9 50"_s, u"SetColumnWidth 10 50"_s,
                                                 u"SetCellText 1 9 \"Оценка\""_s, u"SetCellText 1 10 \"Подпись\""_s}));
        QVERIFY(calls.contains(u"AppendText \"Успеваемость=66  Качество=33  Степень обученности=48\""_s));
        QCOMPARE(calls.last(), u"ShowReport"_s);
        const DocumentContent &c = doc.content();
        QCOMPARE(c.paragraphs(), (QStringList{u"Накопленный рейтинг     На 08.12.2026   Папка Inf"_s, u"Группа G1"_s,
                                              u"Информатика   Семестр 1"_s, QString(), QString(),
                                              u"Успеваемость=66  Качество=33  Степень обученности=48"_s, QString()}));
        QCOMPARE(joinedRows(c, 0).mid(1), (QStringList{u"1|Андреев Антон|10||||0|0||"_s, u"2|Борисова Вера|11||||2|50||"_s,
                                                       u"|||||Итого|2|25||"_s}));
        QCOMPARE(tableRow(c, 0, 1).mid(8), (QStringList{u"Оценка"_s, u"Подпись"_s}));
        for (int k = 0; k < 8; ++k)
            QCOMPARE(tableRow(c, 0, 1).at(k), f.itog.cell(k, 0));
        QCOMPARE(c.tables().at(1).widths, (QList<int>{100, 35, 45, 75}));
        QCOMPARE(joinedRows(c, 1), kGradeRows);
        QVERIFY(c.tables().at(0).borders && c.tables().at(1).borders);
    }

    // The total row: the absences summed, the mean percentage rounded up, over
    // the student rows only.
    void journalTableTotalRow_data()
    {
        QTest::addColumn<QList<QStringList>>("rows");
        QTest::addColumn<QString>("absences");
        QTest::addColumn<QString>("percent");
        QTest::newRow("no absences") << QList<QStringList>{{u"А"_s, u"0"_s, u"0"_s}, {u"Б"_s, u"0"_s, u"0"_s}, {u"В"_s, u"0"_s, u"0"_s}}
                                     << u"0"_s << u"0"_s;
        QTest::newRow("exact mean stays") << QList<QStringList>{{u"А"_s, u"1"_s, u"10"_s}, {u"Б"_s, u"2"_s, u"15"_s}, {u"В"_s, u"3"_s, u"20"_s}}
                                          << u"6"_s << u"15"_s;
        QTest::newRow("fraction rounds up") << QList<QStringList>{{u"А"_s, u"1"_s, u"10"_s}, {u"Б"_s, u"2"_s, u"15"_s}, {u"В"_s, u"3"_s, u"21"_s}}
                                            << u"6"_s << u"16"_s;
        QTest::newRow("average row printed, not counted")
            << QList<QStringList>{{u"А"_s, u"1"_s, u"10"_s}, {u"*** среднее ***"_s, u"1,5"_s, u"15,5"_s}, {u"Б"_s, u"2"_s, u"20"_s}}
            << u"3"_s << u"15"_s;
        QTest::newRow("blanks around numbers") << QList<QStringList>{{u"А"_s, u" 7 "_s, u"\t33 "_s}} << u"7"_s << u"33"_s;
        QTest::newRow("no students") << QList<QStringList>{} << u"0"_s << u"0"_s;
    }
    void journalTableTotalRow()
    {
        QFETCH(QList<QStringList>, rows);
        QFETCH(QString, absences);
        QFETCH(QString, percent);
        Fixture f;
        f.itog = makeItogRows(rows);
        RecordingDocument doc;
        Reports::journalTable(doc, f.view());
        const DocumentContent::Table &t = doc.content().tables().at(0);
        QCOMPARE(t.rows, int(rows.size()) + 2);
        QCOMPARE(t.cells.last(), (QStringList{u""_s, u""_s, u""_s, u""_s, u""_s, u"Итого"_s, absences, percent, u""_s, u""_s}));
        for (int r = 1; r < t.rows - 1; ++r) {
            QCOMPARE(t.cells.at(r).at(1), rows.at(r - 1).at(0));
            QCOMPARE(t.cells.at(r).mid(8), (QStringList{u""_s, u""_s})); // grade and signature left to the teacher
        }
        QVERIFY(doc.shown());
    }

    // A student row whose absences are no whole number stops the report before anything is shown.
    void journalTableStopsOnBrokenAbsences()
    {
        Fixture f;
        f.itog = makeItogRows({{u"А"_s, u"1"_s, u"10"_s}, {u"Б"_s, u"1,5"_s, u"10"_s}});
        RecordingDocument doc;
        try {
            Reports::journalTable(doc, f.view());
            QFAIL("not stopped");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(u"столбец 6, строка 2"_s) && e.message().contains(u"«1,5»"_s), qPrintable(e.message()));
        }
        QVERIFY(!doc.shown());
    }

    // Hand-edited absences too large to add up stop the report at the row
    // where the total overflows, instead of printing a wrapped-around total.
    void journalTableStopsOnHugeAbsences()
    {
        Fixture f;
        QList<QStringList> rows;
        for (int k = 0; k < 9300; ++k)
            rows << QStringList{u"У%1"_s.arg(k), u"999999999999999"_s, u"0"_s};
        f.itog = makeItogRows(rows);
        RecordingDocument doc;
        try {
            Reports::journalTable(doc, f.view());
            QFAIL("not stopped");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().startsWith(u"Таблица итогов, столбец 6, строка 9224:"_s), qPrintable(e.message()));
        }
        QVERIFY(!doc.shown());
    }

    void dossierSequence()
    {
        Fixture f;
        RecordingDocument doc;
        Reports::dossier(doc, f.view(), 5);
        QStringList expected = {u"StartReport"_s, u"SetDocumentFontSize 8"_s, u"AppendText \"  Борисова Вера \""_s,
                                u"AppendText \"       На 08.12.2026\""_s, u"AppendParagraphBreak"_s,
                                u"AppendText \"Группа G1\""_s, u"AppendText \"   Семестр 1\""_s,
                                u"AppendText \"   Предмет Информатика\""_s, u"AppendText \"   Папка Inf\""_s,
                                u"AddTableAtEnd 5 9"_s, u"AppendText \" \""_s, u"EnableTableBorders"_s};
        expected << kLessonHeader;
        expected << u"SetCellText 2 1 \"1\""_s << u"SetCellText 2 2 \"01.09\""_s << u"SetCellText 2 3 \"Т1\""_s
                 << u"SetCellText 2 4 \"2\""_s << u"SetCellText 2 7 \"6\""_s << u"SetCellText 2 8 \"6\""_s
                 << u"SetCellText 2 5 \"6\""_s << u"SetCellText 2 6 \"6\""_s << u"SetCellText 2 9 \"Алгоритмы\""_s;
        expected << u"SetCellText 3 1 \"2\""_s << u"SetCellText 3 2 \"08.09\""_s << u"SetCellText 3 3 \"кт1\""_s
                 << u"SetCellText 3 4 \"1\""_s << u"SetCellText 3 7 \"6\""_s << u"SetCellText 3 8 \"9\""_s
                 << u"SetCellText 3 6 \"3\""_s << u"SetCellText 3 9 \"*** Контрольная\""_s;
        expected << u"SetCellText 4 1 \"3\""_s << u"SetCellText 4 2 \"15.09\""_s << u"SetCellText 4 3 \"Т2\""_s
                 << u"SetCellText 4 4 \"1,5\""_s << u"SetCellText 4 7 \"6\""_s << u"SetCellText 4 8 \"14,25\""_s
                 << u"SetCellText 4 6 \"5,25\""_s << u"SetCellText 4 9 \"*** Циклы\""_s;
        expected << u"SetCellText 5 1 \"4\""_s << u"SetCellText 5 2 \"22.09\""_s << u"SetCellText 5 3 \"Х9\""_s
                 << u"SetCellText 5 4 \"1\""_s << u"SetCellText 5 7 \"6\""_s << u"SetCellText 5 8 \"15,9167\""_s
                 << u"SetCellText 5 6 \"1,6667\""_s;
        expected << u"AppendParagraphBreak"_s << u"AppendText \"Накопленный рейтинг\""_s << u"AddTableAtEnd 3 8"_s
                 << u"EnableTableBorders"_s << u"SetColumnWidth 1 23"_s << u"SetColumnWidth 2 100"_s << u"SetColumnWidth 3 35"_s
                 << u"SetColumnWidth 4 35"_s << u"SetColumnWidth 5 38"_s << u"SetColumnWidth 6 38"_s << u"SetColumnWidth 7 53"_s
                 << u"SetColumnWidth 8 53"_s;
        QCOMPARE(doc.calls().mid(0, expected.size()), expected);
        const DocumentContent &c = doc.content();
        QCOMPARE(c.paragraphs(), (QStringList{u"  Борисова Вера        На 08.12.2026"_s,
                                              u"Группа G1   Семестр 1   Предмет Информатика   Папка Inf"_s, u" "_s,
                                              u"Накопленный рейтинг"_s, QString(), u"Успеваемость"_s, QString()}));
        // Results copied whole, titles included, with no total row and no extra columns.
        QCOMPARE(c.tables().at(1).rows, f.itog.rowCount());
        QCOMPARE(joinedRows(c, 1).mid(1), (QStringList{u"1|Андреев Антон|10||||0|0"_s, u"2|Борисова Вера|11||||2|50"_s}));
        QCOMPARE(c.tables().at(2).widths, (QList<int>{100, 35, 45, 65}));
        QCOMPARE(joinedRows(c, 2), kGradeRows);
        QCOMPARE(doc.calls().last(), u"ShowReport"_s);
    }

    // One lesson: the weighted score and the marker before its theme.
    void dossierScoreAndMarker_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("student"); // Summi student row
        QTest::addColumn<QString>("average"); // Summi average row
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("theme");
        QTest::newRow("equal to the average: no marker") << u"5"_s << u"2"_s << u"Т1"_s << u"10"_s << u"10"_s << u"10"_s << u"Алгоритмы"_s;
        QTest::newRow("strictly below: marker") << u"4"_s << u"2"_s << u"Т1"_s << u"8"_s << u"8,0001"_s << u"8"_s << u"*** Алгоритмы"_s;
        QTest::newRow("absent") << u""_s << u"2"_s << u"Т1"_s << u""_s << u""_s << u""_s << u"*** Алгоритмы"_s;
        QTest::newRow("blanks are an absence") << u"  "_s << u"2"_s << u"Т1"_s << u""_s << u"x"_s << u""_s << u"*** Алгоритмы"_s;
        QTest::newRow("letters: no score, not below") << u"н"_s << u"2"_s << u"Т1"_s << u"0"_s << u"0"_s << u""_s << u"Алгоритмы"_s;
        QTest::newRow("letters: no score, below") << u"н"_s << u"2"_s << u"Т1"_s << u"0"_s << u"1"_s << u""_s << u"*** Алгоритмы"_s;
        QTest::newRow("no theme: no marker") << u""_s << u"2"_s << u"Х9"_s << u""_s << u""_s << u""_s << QString();
        QTest::newRow("duplicate code: upper theme") << u"5"_s << u"1"_s << u" Т1 "_s << u"5"_s << u"5"_s << u"5"_s << u"Алгоритмы"_s;
        QTest::newRow("product rounded half to even") << u"4,3333"_s << u"1,5"_s << u"кт1"_s << u"1"_s << u"1"_s << u"6,5"_s
                                                      << u"Контрольная"_s;
        QTest::newRow("blanks around a score") << u" 3,5 "_s << u"0,5"_s << u"Т2"_s << u"9"_s << u"1"_s << u"1,75"_s << u"Циклы"_s;
    }
    void dossierScoreAndMarker()
    {
        QFETCH(QString, cell);
        QFETCH(QString, weight);
        QFETCH(QString, code);
        QFETCH(QString, student);
        QFETCH(QString, average);
        QFETCH(QString, score);
        QFETCH(QString, theme);
        Fixture f;
        f.journal = makeJournal({code}, {weight}, {{u"Борисова Вера"_s, cell}});
        f.summi.setColCount(3);
        f.summi.setCell(2, 1, student);
        f.summi.setCell(2, 2, average);
        RecordingDocument doc;
        Reports::dossier(doc, f.view(), 4);
        QCOMPARE(tableRow(doc.content(), 0, 2).at(4), score);
        QCOMPARE(tableRow(doc.content(), 0, 2).at(8), theme.isNull() ? QString() : theme);
        QCOMPARE(doc.calls().filter(u"SetCellText 2 9 "_s).size(), theme.isNull() ? 0 : 1);
    }

    // A text that cannot be converted stops the dossier before it is shown.
    void dossierStops_data()
    {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QString>("weight");
        QTest::addColumn<QString>("student");
        QTest::addColumn<QString>("named");
        QTest::newRow("score with two commas") << u"1,,2"_s << u"1"_s << u"1"_s << u"Журнал, ученик 1 «Борисова Вера», урок 1"_s;
        QTest::newRow("weight no number") << u"4"_s << u"вес"_s << u"1"_s << u"Журнал, вес урока 1"_s;
        QTest::newRow("dynamics never filled") << u"4"_s << u"1"_s << u""_s << u"Динамика, столбец 2, строка 1"_s;
    }
    void dossierStops()
    {
        QFETCH(QString, cell);
        QFETCH(QString, weight);
        QFETCH(QString, student);
        QFETCH(QString, named);
        Fixture f;
        f.journal = makeJournal({u"Т1"_s}, {weight}, {{u"Борисова Вера"_s, cell}});
        f.summi.setColCount(3);
        f.summi.setCell(2, 1, student);
        f.summi.setCell(2, 2, u"1"_s);
        RecordingDocument doc;
        try {
            Reports::dossier(doc, f.view(), 4);
            QFAIL("not stopped");
        } catch (const ConversionError &e) {
            QVERIFY2(e.message().contains(named), qPrintable(e.message()));
        }
        QVERIFY(!doc.shown());
    }

    // Ten lessons give the title row and ten rows numbered 1 to 10.
    void dossierNumbersEveryLesson()
    {
        Fixture f;
        QStringList codes, weights, scores{u"Борисова Вера"_s};
        for (int i = 0; i < 10; ++i) {
            codes << u"Т1"_s;
            weights << u"1"_s;
            scores << u""_s;
        }
        f.journal = makeJournal(codes, weights, {scores});
        RecordingDocument doc;
        Reports::dossier(doc, f.view(), 4);
        const DocumentContent::Table &t = doc.content().tables().at(0);
        QCOMPARE(t.rows, 11);
        for (int r = 2; r <= 11; ++r)
            QCOMPARE(t.cells.at(r - 1).at(0), QString::number(r - 1));
    }

    // A theme entered in the plan before its name was typed is still the
    // theme of its code: the missed lesson keeps its marker.
    void themeWithoutNameIsStillFound()
    {
        Fixture f;
        f.themes.setRowCount(f.themes.rowCount() + 1); // a new row: code typed, name not yet
        f.themes.setCell(Themes::CodeCol, f.themes.rowCount() - 1, u"Х9"_s);
        RecordingDocument dossier;
        Reports::dossier(dossier, f.view(), 5); // Борисова: blanks under Х9
        QCOMPARE(tableRow(dossier.content(), 0, 5).at(8), u"*** "_s);
        RecordingDocument ticket;
        Reports::ticket(ticket, f.view(), 5);
        QCOMPARE(tableRow(ticket.content(), 0, 3).at(8), u"*** "_s);
        RecordingDocument themes;
        Reports::themesDone(themes, f.view());
        QCOMPARE(themes.calls().filter(u"SetCellText 5 7 "_s), QStringList{u"SetCellText 5 7 \"\""_s});
    }

    // The sum column copied into the journal is no column of the dynamics grid
    // until the journal is loaded again: the dossier still comes out, that
    // lesson's row with the sum as its score and no dynamics figures.
    void dossierAfterSumColumn_data()
    {
        QTest::addColumn<QString>("fio");
        QTest::addColumn<QString>("sum");
        QTest::addColumn<QString>("score");
        QTest::newRow("student with scores") << u"Андреев Антон"_s << u"23,75"_s << u"23,75"_s;
        QTest::newRow("student with a blank and a letter") << u"Борисова Вера"_s << u"6"_s << u"6"_s;
    }
    void dossierAfterSumColumn()
    {
        QFETCH(QString, fio);
        QFETCH(QString, sum);
        QFETCH(QString, score);
        Fixture f;
        f.themes.setRowCount(f.themes.rowCount() + 1);
        f.themes.setCell(Themes::CodeCol, f.themes.rowCount() - 1, u"Су"_s);
        f.themes.setCell(Themes::NameCol, f.themes.rowCount() - 1, u"Итог"_s);
        ResultSet results(f.journal);
        recalculate(f.journal, f.thresholds, results.itog, results.uspev, results.summi, results.indicators);
        Ranking::appendOwnSumColumn(f.journal, f.thresholds, results.itog, results.uspev, results.summi, results.indicators);
        QCOMPARE(f.journal.colCount(), results.summi.colCount() + 1);
        recalculate(f.journal, f.thresholds, results.itog, results.uspev, results.summi, results.indicators);
        f.fio = fio;
        Reports::runDynamicsAndRanking(f.journal, f.fio, results.summi, results.itog);
        f.summi = results.summi;
        f.itog = results.itog;
        RecordingDocument doc;
        Reports::dossier(doc, f.view(), Reports::studentRow(f.journal, f.fio));
        QVERIFY(doc.shown());
        const DocumentContent::Table &t = doc.content().tables().at(0);
        QCOMPARE(t.rows, 6);
        QCOMPARE(f.journal.cell(6, Reports::studentRow(f.journal, f.fio)), sum);
        // Not compared with a group average the dynamics do not have: no marker.
        QCOMPARE(t.cells.at(5), (QStringList{u"5"_s, u""_s, u"Су"_s, u"1"_s, score, u""_s, u""_s, u""_s, u"Итог"_s}));
        // The lessons the dynamics cover are printed as before.
        QCOMPARE(t.cells.at(1).at(5), results.summi.cell(2, 2));
        QVERIFY(!t.cells.at(4).at(6).isEmpty());
    }

    void ticketSequence()
    {
        Fixture f;
        RecordingDocument doc;
        Reports::ticket(doc, f.view(), 5);
        QStringList expected = {u"StartReport"_s, u"SetDocumentFontSize 8"_s, u"AppendText \"  Борисова Вера \""_s,
                                u"AppendText \"   Билет 08.12.2026\""_s, u"AppendParagraphBreak"_s,
                                u"AppendText \"Группа G1\""_s, u"AppendText \"   Семестр 1\""_s, u"AppendText \"   Предмет\""_s,
                                u"AppendParagraphBreak"_s, u"AppendText \"Информатика\""_s, u"AppendText \"   Папка Inf\""_s,
                                u"AddTableAtEnd 3 9"_s, u"AppendText \" \""_s, u"EnableTableBorders"_s};
        expected << kLessonHeader;
        // Missed: the empty cell of кт1 and the blank one of Х9 (no theme); "н" is no absence here.
        expected << u"SetCellText 2 1 \"1\""_s << u"SetCellText 2 2 \"08.09\""_s << u"SetCellText 2 3 \"кт1\""_s
                 << u"SetCellText 2 4 \"1\""_s << u"SetCellText 2 6 \"3\""_s << u"SetCellText 2 7 \"6\""_s
                 << u"SetCellText 2 8 \"9\""_s << u"SetCellText 2 9 \"*** Контрольная\""_s;
        expected << u"SetCellText 3 1 \"2\""_s << u"SetCellText 3 2 \"22.09\""_s << u"SetCellText 3 3 \"Х9\""_s
                 << u"SetCellText 3 4 \"1\""_s << u"SetCellText 3 6 \"1,6667\""_s << u"SetCellText 3 7 \"6\""_s
                 << u"SetCellText 3 8 \"15,9167\""_s;
        expected << u"AppendParagraphBreak"_s << u"AppendText \"Оценка ___________  Преподаватель ____________/______________/\""_s
                 << u"ShowReport"_s;
        QCOMPARE(doc.calls(), expected);
        QCOMPARE(doc.content().paragraphs(),
                 (QStringList{u"  Борисова Вера    Билет 08.12.2026"_s, u"Группа G1   Семестр 1   Предмет"_s,
                              u"Информатика   Папка Inf"_s, u" "_s, u"Оценка ___________  Преподаватель ____________/______________/"_s}));
    }

    // A student with an entry in every lesson gets the title row alone and the line saying so.
    void ticketWithoutMissedWork()
    {
        Fixture f;
        RecordingDocument doc;
        Reports::ticket(doc, f.view(), 4);
        QCOMPARE(doc.content().tables().at(0).rows, 1);
        QVERIFY(doc.calls().contains(u"AddTableAtEnd 1 9"_s));
        // Under the titles the sheet says there is nothing to examine.
        QCOMPARE(doc.content().paragraphs().mid(3),
                 (QStringList{u" Пропущенных работ нет"_s, u"Оценка ___________  Преподаватель ____________/______________/"_s}));
    }

    void studentLookup_data()
    {
        QTest::addColumn<QString>("fio");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("message");
        QTest::newRow("surrounding blanks") << u" \tБорисова Вера  "_s << 5 << QString();
        QTest::newRow("duplicate name: the upper one") << u"Васильев Глеб"_s << 6 << QString();
        QTest::newRow("case matters") << u"борисова вера"_s << -1 << u"Ученик «борисова вера» не найден в журнале"_s;
        QTest::newRow("nobody") << u"Никто"_s << -1 << u"Ученик «Никто» не найден в журнале"_s;
        QTest::newRow("empty") << u""_s << -1 << u"Сначала выберите ученика"_s;
        QTest::newRow("blank") << u"   "_s << -1 << u"Сначала выберите ученика"_s;
    }
    void studentLookup()
    {
        QFETCH(QString, fio);
        QFETCH(int, row);
        QFETCH(QString, message);
        Grid journal = fixtureJournal();
        journal.setRowCount(8);
        journal.setCell(1, 7, u"Васильев Глеб"_s); // a second one of the same name, below
        if (row >= 0) {
            QCOMPARE(Reports::studentRow(journal, fio), row);
            return;
        }
        try {
            Reports::studentRow(journal, fio);
            QFAIL("found");
        } catch (const ZError &e) {
            QVERIFY2(e.message().startsWith(message), qPrintable(e.message()));
            QCOMPARE(dynamic_cast<const Reports::NoStudentChosen *>(&e) != nullptr, message.startsWith(u"Сначала"_s));
        }
    }

    void noStudentRows()
    {
        Grid journal = makeJournal({u"Т1"_s}, {u"1"_s}, {});
        QCOMPARE(journal.rowCount(), 4);
        try {
            Reports::studentRow(journal, u"Андреев Антон"_s);
            QFAIL("found");
        } catch (const ZError &e) {
            QCOMPARE(e.message(), u"В журнале нет ни одного ученика: отчёт не составлен."_s);
        }
    }

    // The dossier's first step: the dynamics of the student, then the ranking.
    void dynamicsThenRanking()
    {
        Fixture f;
        ResultSet results(f.journal);
        recalculate(f.journal, f.thresholds, results.itog, results.uspev, results.summi, results.indicators);
        QCOMPARE(column(results.itog, 1, 1), (QStringList{u"Андреев Антон"_s, u"Борисова Вера"_s, u"Васильев Глеб"_s}));
        int shown = 0;
        Reports::runDynamicsAndRanking(f.journal, u" Васильев Глеб"_s, results.summi, results.itog, [&] {
            ++shown;
            QCOMPARE(results.summi.cell(1, 1), u"Васильев Глеб"_s); // filled before the window shows it
            QCOMPARE(results.itog.cell(1, 2), u"Борисова Вера"_s);  // not yet ranked
        });
        QCOMPARE(shown, 1);
        QCOMPARE(column(results.itog, 1, 1), (QStringList{u"Андреев Антон"_s, u"Васильев Глеб"_s, u"Борисова Вера"_s}));
    }

    void themesDoneSequence()
    {
        Fixture f;
        RecordingDocument doc;
        Reports::themesDone(doc, f.view());
        QStringList expected = {u"StartReport"_s, u"SetDocumentFontSize 12"_s, u"SetLeftMargin 50"_s,
                                u"AppendText \"Группа G1\""_s, u"AppendText \"   Семестр 1\""_s,
                                u"AppendText \"    год 2026  осень\""_s, u"AppendParagraphBreak"_s,
                                u"AppendText \"Информатика\""_s, u"AppendParagraphBreak"_s, u"AppendText \"   Папка Inf\""_s,
                                u"AppendText \"     Темы: выполнено На 08.12.2026\""_s, u"AddTableAtEnd 5 7"_s,
                                u"AppendText \" \""_s, u"EnableTableBorders"_s,
                                u"SetColumnWidth 1 25"_s, u"SetCellText 1 1 \"№ \""_s, u"SetColumnWidth 2 40"_s,
                                u"SetCellText 1 2 \"Дата\""_s, u"SetColumnWidth 3 35"_s, u"SetCellText 1 3 \"Код\""_s,
                                u"SetColumnWidth 4 30"_s, u"SetCellText 1 4 \"Вес\""_s, u"SetColumnWidth 5 40"_s,
                                u"SetCellText 1 5 \"Макс балл\""_s, u"SetColumnWidth 6 42"_s, u"SetCellText 1 6 \"Сред. балл\""_s,
                                u"SetColumnWidth 7 280"_s, u"SetCellText 1 7 \"Тема\""_s};
        QCOMPARE(doc.calls().mid(0, expected.size()), expected);
        QCOMPARE(joinedRows(doc.content(), 0), (QStringList{u"№ |Дата|Код|Вес|Макс балл|Сред. балл|Тема"_s,
                                                            u"1|01.09|Т1|2|10|6|Алгоритмы"_s,
                                                            u"2|08.09|кт1|1|5|3|Контрольная"_s,
                                                            u"3|15.09|Т2|1,5|6,75|5,25|Циклы"_s,
                                                            u"4|22.09|Х9|1|3|1,6667|"_s}));
        QCOMPARE(doc.calls().filter(u"SetCellText 5 7"_s), QStringList());
        QCOMPARE(doc.content().paragraphs(), (QStringList{u"Группа G1   Семестр 1    год 2026  осень"_s, u"Информатика"_s,
                                                          u"   Папка Inf     Темы: выполнено На 08.12.2026"_s, u" "_s}));
        QCOMPARE(doc.calls().last(), u"ShowReport"_s);
    }

    // Two lesson columns of one code print the same theme; figures are copied as they stand.
    void themesDoneSameCodeTwice()
    {
        Fixture f;
        f.journal.setCell(5, 2, u"Т1 "_s);
        f.summi.setCell(5, 5, u"  нет "_s);
        RecordingDocument doc;
        Reports::themesDone(doc, f.view());
        QCOMPARE(tableRow(doc.content(), 0, 5), (QStringList{u"4"_s, u"22.09"_s, u"Т1 "_s, u"1"_s, u"  нет "_s, u"1,6667"_s, u"Алгоритмы"_s}));
    }

    void thematicPlanSequence()
    {
        Grid themes(5, 3, 0, 1, 30);
        const QList<QStringList> rows = {{u"№"_s, u"Код"_s, u"Вес"_s, u"Тема (правлено)"_s, u"лишний"_s},
                                         {u"1"_s, u" Т1 "_s, u"2"_s, u"  Алгоритмы  "_s, u"x"_s},
                                         {u"1"_s, u""_s, u""_s, u""_s, u"y"_s}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 5; ++c)
                themes.setCell(c, r, rows[r][c]);
        RecordingDocument doc;
        Reports::thematicPlan(doc, themes, JournalIdentity{u"G1"_s, u"Инф."_s, u" Inf "_s, u"2"_s, {}, {}}, kDate);
        QStringList expected = {u"StartReport"_s, u"SetDocumentFontSize 8"_s, u"AppendText \"Темы: План На 08.12.2026\""_s,
                                u"AppendParagraphBreak"_s, u"AppendText \"Группа G1\""_s, u"AppendText \"   Семестр 2\""_s,
                                u"AppendText \"   Предмет Инф.\""_s, u"AppendText \"   Папка  Inf \""_s, u"AddTableAtEnd 3 4"_s,
                                u"AppendText \" \""_s, u"EnableTableBorders"_s, u"SetColumnWidth 1 20"_s, u"SetColumnWidth 2 30"_s,
                                u"SetColumnWidth 3 25"_s, u"SetColumnWidth 4 390"_s};
        for (int i = 1; i <= 3; ++i)
            for (int j = 1; j <= 4; ++j)
                expected << u"SetCellText %1 %2 \"%3\""_s.arg(i).arg(j).arg(rows[i - 1][j - 1]);
        expected << u"ShowReport"_s;
        QCOMPARE(doc.calls(), expected);
    }

    void emptyPlanPrintsItsHeader()
    {
        RecordingDocument doc;
        Grid themes = Themes::makeGrid();
        themes.setRowCount(1);
        Reports::thematicPlan(doc, themes, JournalIdentity{}, kDate);
        QCOMPARE(joinedRows(doc.content(), 0), QStringList{u"№|Код|Вес|Предмет, Тема, Вид работы, Имя фактора"_s});
    }

    void catalogueSequence()
    {
        Grid cat(8, 5, 0, 1, 30);
        const QList<QStringList> rows = {
            {u"№"_s, u"Папка"_s, u"Группа"_s, u"Семестр"_s, u"Предмет"_s, u"Преподаватель"_s, u"Год"_s, u"Комментарий"_s},
            {u"7"_s, u"  Inf  "_s, u" G1 "_s, u"1"_s, u"Информатика"_s, u"Иванова"_s, u"2026"_s, u"осень, много"_s},
            {u"7"_s, u"Math"_s, u"G1"_s, u"2"_s, u"Математика"_s, u"Петров"_s, u"2027"_s, u"ве"_s},
            {u""_s, u"Fiz"_s, u"G2"_s, u""_s, u""_s, u""_s, u""_s, u""_s},
            {u"9"_s, u"X"_s, u"G3"_s, u""_s, u""_s, u""_s, u""_s, u"😀😀😀😀"_s},
        };
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < 8; ++c)
                cat.setCell(c, r, rows[r][c]);
        RecordingDocument doc;
        Reports::catalogue(doc, cat, kDate);
        const QStringList head = {u"StartReport"_s, u"SetDocumentFontSize 12"_s, u"SetLeftMargin 50"_s,
                                  u"AppendText \"Список Предметов / Папка\""_s, u"AppendText \"  На 08.12.2026\""_s,
                                  u"AddTableAtEnd 5 9"_s, u"AppendText \" \""_s, u"EnableTableBorders"_s,
                                  u"SetColumnWidth 1 25"_s, u"SetCellText 1 1 \"№ \""_s, u"SetColumnWidth 2 100"_s,
                                  u"SetCellText 1 2 \"Папка\""_s, u"SetColumnWidth 3 55"_s, u"SetCellText 1 3 \"Группа\""_s,
                                  u"SetColumnWidth 4 40"_s, u"SetCellText 1 4 \"Семестр\""_s, u"SetColumnWidth 5 180"_s,
                                  u"SetCellText 1 5 \"Предмет\""_s, u"SetColumnWidth 6 42"_s, u"SetCellText 1 6 \"Год\""_s,
                                  u"SetColumnWidth 7 30"_s, u"SetCellText 1 7 \"Ан\""_s, u"SetColumnWidth 8 30"_s,
                                  u"SetCellText 1 8 \"РП\""_s, u"SetColumnWidth 9 30"_s, u"SetCellText 1 9 \"Ком\""_s};
        QCOMPARE(doc.calls().mid(0, head.size()), head);
        QCOMPARE(doc.calls().size(), head.size() + 4 * 9 + 1);
        QCOMPARE(joinedRows(doc.content(), 0).mid(1), (QStringList{u"1|  Inf  | G1 |1|Информатика|2026|||осе"_s,
                                                                   u"2|Math|G1|2|Математика|2027|||ве"_s,
                                                                   u"3|Fiz|G2||||||"_s,
                                                                   u"4|X|G3||||||😀😀😀"_s}));
        QCOMPARE(doc.content().paragraphs(), (QStringList{u"Список Предметов / Папка  На 08.12.2026"_s, u" "_s}));
    }

    void catalogueOfHeaderOnly()
    {
        Grid cat(8, 1, 0, 0, 30);
        RecordingDocument doc;
        Reports::catalogue(doc, cat, kDate);
        QCOMPARE(doc.content().tables().at(0).rows, 1);
        QCOMPARE(tableRow(doc.content(), 0, 1).at(8), u"Ком"_s);
    }

    void dateIsRussianShortFormat()
    {
        QCOMPARE(Reports::dateText(QDate(2027, 1, 5)), u"05.01.2027"_s);
    }
};

QTEST_GUILESS_MAIN(TestReports)
#include "test_reports.moc"
