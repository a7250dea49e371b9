#include "journal/grid.h"
#include "controls/gridview.h"
#include "themes/themes.h"
#include "themes/ui/ttema.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

// The thematic plan window built alone, on a theme grid of its own: a click on
// a theme says its code, the journal's choice selects a theme, and the row
// buttons act on the selected theme.
class TestTTema : public QObject
{
    Q_OBJECT

private:
    static Grid plan()
    {
        Grid g = Themes::makeGrid();
        const char *rows[][4] = {{"1", " Т1 ", "2", "Алгоритмы"}, {"2", "кт1", "1", "Контрольная"}, {"3", "Т2", "1,5", "Циклы"},
                                 {"4", "Т1", "1", "Повтор"}};
        for (int r = 1; r <= 4; ++r)
            for (int c = 0; c < 4; ++c)
                g.setCell(c, r, QString::fromUtf8(rows[r - 1][c]));
        return g;
    }
    static void show(TTema &w)
    {
        w.resize(700, 300);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }
    static void clickRow(TTema &w, int row)
    {
        auto *view = w.findChild<GridView *>(QStringLiteral("TemiSpisok"));
        QVERIFY(view);
        const QRect cell = view->cellRect(1, row);
        QVERIFY(!cell.isEmpty());
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->viewport()->mapFrom(view, cell.center()));
    }
    static QString selection(TTema &w) { return w.findChild<QLineEdit *>(QStringLiteral("StrTemi"))->text(); }

private Q_SLOTS:
    void clickedThemeSaysItsTrimmedCode_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("code");
        QTest::newRow("blanks around the code") << 1 << QStringLiteral("Т1");
        QTest::newRow("a test code") << 2 << QStringLiteral("кт1");
        QTest::newRow("last theme") << 4 << QStringLiteral("Т1");
    }
    void clickedThemeSaysItsTrimmedCode()
    {
        QFETCH(int, row);
        QFETCH(QString, code);
        Grid g = plan();
        TTema w(g);
        show(w);
        QSignalSpy chosen(&w, &TTema::themeChosen);
        clickRow(w, row);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.first().first().toString(), code);
        QCOMPARE(selection(w), QString::number(row));
    }

    void journalChoiceSelectsTheFirstThemeWithTheCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("selected");
        QTest::newRow("first of two") << QStringLiteral(" Т1") << QStringLiteral("1");
        QTest::newRow("exact") << QStringLiteral("Т2") << QStringLiteral("3");
        QTest::newRow("no such theme keeps the selection") << QStringLiteral("т2") << QStringLiteral("1");
    }
    void journalChoiceSelectsTheFirstThemeWithTheCode()
    {
        QFETCH(QString, code);
        QFETCH(QString, selected);
        Grid g = plan();
        TTema w(g);
        w.selectTheme(code);
        QCOMPARE(selection(w), selected);
    }

    void rowButtonsActOnTheClickedTheme()
    {
        Grid g = plan();
        TTema w(g);
        show(w);
        clickRow(w, 3);
        QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("PerStroki")), Qt::LeftButton);
        QCOMPARE(g.cell(1, 2), QStringLiteral("Т2"));
        QCOMPARE(g.cell(1, 3), QStringLiteral("кт1"));
        QCOMPARE(selection(w), QStringLiteral("2"));
        QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("DobStrNige")), Qt::LeftButton);
        QCOMPARE(g.rowCount(), 6);
        QVERIFY(g.cell(1, 3).isEmpty());
        QTest::mouseClick(w.findChild<QToolButton *>(QStringLiteral("DelStroku")), Qt::LeftButton);
        // The selection stayed on row 2: its theme goes, the new empty row moves up.
        QCOMPARE(g.rowCount(), 5);
        QVERIFY(g.cell(1, 2).isEmpty());
        QCOMPARE(g.cell(1, 3), QStringLiteral("кт1"));
    }
};

QTEST_MAIN(TestTTema)
#include "test_ttema.moc"
