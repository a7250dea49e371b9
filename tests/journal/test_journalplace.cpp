#include "journal/grid.h"
#include "journal/journallayout.h"
#include "journal/journalplace.h"

#include <QtTest>

using namespace Qt::StringLiterals;

// Messages about journal cells name the student and the lesson as the teacher
// sees them.
class TestJournalPlace : public QObject
{
    Q_OBJECT

    // Two lessons (the second without a date), three students (the third without a name).
    static Grid journal()
    {
        Grid g = JournalLayout::makeJournalGrid();
        g.setColCount(4);
        g.setRowCount(7);
        g.setCell(2, 1, u"05.09"_s);
        g.setCell(3, 1, u"  "_s);
        g.setCell(2, 2, u"Т1"_s);
        g.setCell(2, 3, u"2"_s);
        g.setCell(1, 4, u" Андреев Антон "_s);
        g.setCell(1, 5, u"Борисова\nВера"_s);
        g.setCell(1, 6, u""_s);
        return g;
    }

private Q_SLOTS:
    void namesStudentAndLesson_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("place");
        QTest::newRow("first student, first lesson") << 2 << 4 << u"ученик 1 «Андреев Антон», урок 1 от «05.09»"_s;
        QTest::newRow("lesson without a date") << 3 << 4 << u"ученик 1 «Андреев Антон», урок 2 (без даты)"_s;
        QTest::newRow("line break in a name is shown escaped") << 2 << 5 << u"ученик 2 «Борисова\\nВера», урок 1 от «05.09»"_s;
        QTest::newRow("student without a name") << 3 << 6 << u"ученик 3 (без имени), урок 2 (без даты)"_s;
        QTest::newRow("weight") << 2 << 3 << u"вес урока 1 от «05.09»"_s;
        QTest::newRow("code") << 3 << 2 << u"код урока 2 (без даты)"_s;
        QTest::newRow("date") << 2 << 1 << u"дата урока 1"_s;
        QTest::newRow("caption") << 2 << 0 << u"заголовок урока 1 от «05.09»"_s;
        QTest::newRow("name column") << 1 << 4 << u"имя ученика 1 «Андреев Антон»"_s;
        QTest::newRow("number column") << 0 << 6 << u"номер ученика 3 (без имени)"_s;
        QTest::newRow("table header") << 1 << 2 << u"заголовок таблицы (столбец 1, строка 2)"_s;
        QTest::newRow("outside the grid") << 9 << 4 << u"столбец 9, строка 4"_s;
    }
    void namesStudentAndLesson()
    {
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QString, place);
        QCOMPARE(JournalPlace::describe(journal(), col, row), place);
    }

    void messageQuotesTheDetail()
    {
        QCOMPARE(JournalPlace::message(journal(), 3, 5, u"«x» не является числом."_s),
                 u"Журнал, ученик 2 «Борисова\\nВера», урок 2 (без даты): «x» не является числом."_s);
    }

    void longNameIsCut()
    {
        Grid g = journal();
        g.setCell(1, 4, QString(500, u'Я'));
        const QString place = JournalPlace::describe(g, 2, 4);
        QVERIFY2(place.size() < 120, qPrintable(place));
        QVERIFY(place.contains(u"…"_s));
    }
};

QTEST_GUILESS_MAIN(TestJournalPlace)
#include "test_journalplace.moc"
