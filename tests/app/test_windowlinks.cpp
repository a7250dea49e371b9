#include "fixtureroot.h"

#include "app/appcontext.h"
#include "app/startup.h"
#include "app/tform1.h"
#include "controls/services.h"
#include "journal/gridfile.h"
#include "journal/ui/gridview.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

// The windows working together as a teacher uses them: a click in the journal
// selects the student and the theme, a click in the plan shows its lesson
// column, the catalogue opens and deletes journals, and the result buttons.
class TestWindowLinks : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    FixtureRoot *m_root = nullptr;
    RecordingMessages &messages() const { return m_session->messages; }
    RecordingPlatform &platform() const { return m_session->platform; }
    TForm1 *f() const { return app().form1; }
    Grid &journal() const { return app().form1->journal(); }
    QPoint journalCell(int c, int r) const { return f()->SpisokSt->cellRect(c, r).center(); }
    void clickJournal(int c, int r) { f()->SpisokStMouseDown(Qt::LeftButton, journalCell(c, r)); }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        m_root = &m_session->root;
        f()->resize(1200, 700);
        f()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        QTRY_COMPARE(journal().colCount(), 5); // the first showing has loaded the journal
        QCOMPARE(messages().errors(), QStringList());
    }
    void cleanup()
    {
        f()->N1Click();
        m_root = nullptr;
        m_session.reset();
    }

    void journalClickSelectsStudentColumnAndTheme()
    {
        clickJournal(3, 5);
        QCOMPARE(f()->NStroki->text(), QStringLiteral("5"));
        QCOMPARE(f()->NStolbca->text(), QStringLiteral("3"));
        QCOMPARE(f()->DatNTar->text(), QStringLiteral("08.09"));
        QCOMPARE(f()->FIO->text(), QStringLiteral("Борисова Вера"));
        QCOMPARE(f()->Itog->currentRow(), 2);
        QCOMPARE(f()->SpisokSt->markCount(), 2);
        // The theme "кт1" is plan row 2; its number, not its code, goes into StrTemi.
        QCOMPARE(app().tema->StrTemi->text(), QStringLiteral("2"));
        QCOMPARE(app().tema->TemiSpisok->currentRow(), 2);
        // A header row selects no student; a code the plan lacks keeps StrTemi.
        journal().setCell(4, 2, QStringLiteral("нет"));
        clickJournal(4, 1);
        QCOMPARE(f()->FIO->text(), QStringLiteral("Борисова Вера"));
        QCOMPARE(app().tema->StrTemi->text(), QStringLiteral("2"));
        f()->ObnovitClick();
        QCOMPARE(f()->SpisokSt->markCount(), 0);
    }

    void clickOutsideTheCellsSelectsRowFour()
    {
        const QRect last = f()->SpisokSt->cellRect(2, journal().rowCount() - 1);
        f()->SpisokStMouseDown(Qt::LeftButton, QPoint(last.center().x(), last.bottom() + 30));
        QCOMPARE(f()->NStroki->text(), QStringLiteral("4"));
        QCOMPARE(f()->SpisokSt->currentRow(), 4);
        QCOMPARE(f()->FIO->text(), QStringLiteral("Андреев Антон"));
    }

    void planOperationsActOnTheThemeTheJournalSelected()
    {
        clickJournal(3, 4); // кт1, plan row 2
        app().tema->DobStrNigeClick();
        const Grid &t = app().tema->temi();
        QCOMPARE(t.rowCount(), 5);
        QCOMPARE(t.cell(1, 2), QStringLiteral("кт1"));
        QCOMPARE(t.cell(1, 3), QString());
        QCOMPARE(t.cell(1, 4), QStringLiteral("Т2"));
        QCOMPARE(t.cell(0, 4), QStringLiteral("4"));
        app().tema->PerStrokiClick();
        QCOMPARE(t.cell(1, 1), QStringLiteral("кт1"));
        QCOMPARE(app().tema->StrTemi->text(), QStringLiteral("1"));
    }

    void planClickShowsItsLessonColumn()
    {
        TTema *tema = app().tema;
        tema->TemiSpisokMouseDown(Qt::LeftButton, tema->TemiSpisok->cellRect(2, 3).center()); // Т2
        QCOMPARE(tema->StrTemi->text(), QStringLiteral("3"));
        QCOMPARE(f()->SpisokSt->currentCol(), 4);
        QCOMPARE(f()->DatNTar->text(), QStringLiteral("15.09"));
        QCOMPARE(f()->NStolbca->text(), QStringLiteral("4"));
        QCOMPARE(f()->SpisokSt->markCount(), 1);
        // A code found in no lesson column: the code itself stands in DatNTar.
        app().tema->temi().setCell(1, 1, QStringLiteral(" Т9 "));
        tema->TemiSpisokMouseDown(Qt::LeftButton, tema->TemiSpisok->cellRect(1, 1).center());
        QCOMPARE(f()->DatNTar->text(), QStringLiteral("Т9"));
        QCOMPARE(f()->NStolbca->text(), QStringLiteral("4"));
        // Below the last row: row 0.
        const QRect last = tema->TemiSpisok->cellRect(1, tema->temi().rowCount() - 1);
        tema->TemiSpisokMouseDown(Qt::LeftButton, QPoint(last.center().x(), last.bottom() + 40));
        QCOMPARE(tema->StrTemi->text(), QStringLiteral("0"));
    }

    void rowAndColumnButtons()
    {
        f()->NStroki->setText(QStringLiteral("4"));
        f()->PlusStrClick();
        QCOMPARE(journal().rowCount(), 8);
        QCOMPARE(journal().cell(1, 5), QString());
        QCOMPARE(journal().cell(1, 6), QStringLiteral("Борисова Вера"));
        QCOMPARE(journal().cell(0, 7), QStringLiteral("4"));
        f()->NStolbca->setText(QStringLiteral("3"));
        f()->PlusStolbClick();
        QCOMPARE(journal().colCount(), 6);
        QCOMPARE(journal().cell(4, 2), QStringLiteral("кт1"));
        QCOMPARE(journal().cell(4, 4), QString());
        QCOMPARE(app().stolbItogo->summi().colCount(), 6);
        f()->MinusStolbClick();
        QCOMPARE(journal().colCount(), 5);
        QCOMPARE(app().stolbItogo->summi().colCount(), 5);
        // A selection that is no number is reported and changes nothing.
        f()->NStroki->setText(QStringLiteral("Т2"));
        f()->MinusStrClick();
        QCOMPARE(journal().rowCount(), 8);
        QCOMPARE(messages().errors().size(), 1);
        QVERIFY(messages().errors().first().contains(QStringLiteral("Т2")));
        // The header edit mode and back.
        f()->RedSpisokClick();
        QCOMPARE(journal().fixedRows(), 0);
        QCOMPARE(journal().fixedCols(), 0);
        f()->RedSpisokClick();
        QCOMPARE(journal().fixedRows(), 4);
        QCOMPARE(journal().fixedCols(), 2);
        f()->BitBtn1Click();
        QCOMPARE(journal().fixedCols(), 1);
    }

    void firstEntryOfAnEmptyCatalogueIsNumbered()
    {
        TGurnaliForm *g = app().gurnali;
        g->gurSp().setRowCount(1);
        g->StrGurn->setText(QStringLiteral("1"));
        g->DobStrNigeClick();
        QCOMPARE(g->gurSp().rowCount(), 2);
        QCOMPARE(g->gurSp().cell(0, 1), QStringLiteral("1"));
        QCOMPARE(messages().errors(), QStringList());
    }

    void catalogueSelectionProtectsTheOpenJournal()
    {
        TGurnaliForm *g = app().gurnali;
        g->show();
        QVERIFY(g->DelStroku->isHidden());
        g->GurSpMouseDown(Qt::LeftButton, g->GurSp->cellRect(2, 2).center());
        QCOMPARE(g->StrGurn->text(), QStringLiteral("2"));
        QVERIFY(!g->DelStroku->isHidden());
        g->GurSpMouseDown(Qt::LeftButton, g->GurSp->cellRect(2, 0).center()); // header: entry 1
        QCOMPARE(g->StrGurn->text(), QStringLiteral("1"));
        QVERIFY(g->DelStroku->isHidden());
        g->hide();
    }

    void openingACatalogueEntry()
    {
        TGurnaliForm *g = app().gurnali;
        // Missing files: the load fails, the identity already names the entry.
        g->GurSp->setCurrentRow(2);
        g->ZagruzitClick();
        QCOMPARE(messages().errors().size(), 1);
        QVERIFY(messages().errors().first().contains(QStringLiteral("SpStud.txt")));
        QCOMPARE(f()->PapkaName->text(), QStringLiteral("Math"));
        QCOMPARE(f()->GodS->text(), QStringLiteral("2027"));
        QCOMPARE(f()->Komment->text(), QStringLiteral("весна"));
        // With the files there the entry opens.
        for (const char *name : {"SpStud.txt", "SpTem.txt"})
            m_root->write(QStringLiteral("G1/Math/") + name, m_root->bytes(QStringLiteral("G1/Inf/") + name));
        journal().setRowCount(2);
        g->ZagruzitClick();
        QCOMPARE(messages().errors().size(), 1);
        QCOMPARE(journal().rowCount(), 7);
        QCOMPARE(app().journalPath, QStringLiteral("G1/Math"));
        // An entry whose folder does not exist: the warning, nothing changes.
        g->gurSp().setCell(1, 2, QStringLiteral("Nope"));
        g->ZagruzitClick();
        QCOMPARE(messages().shown.last().caption, QStringLiteral("Нет такой папки"));
        QCOMPARE(messages().shown.last().text, QStringLiteral("Нужно создать журнал и папку"));
        QCOMPARE(app().journalPath, QStringLiteral("G1/Math"));
    }

    void deletingACatalogueEntry()
    {
        TGurnaliForm *g = app().gurnali;
        m_root->write(QStringLiteral("G1/Math/SpStud.txt"), "1\r\n1\r\nx\r\n");
        g->StrGurn->setText(QStringLiteral("2"));
        messages().answers = {true};
        g->DelStrokuClick();
        QCOMPARE(messages().errors(), QStringList());
        QCOMPARE(messages().shown.first().caption, QStringLiteral("Миссия не обратима!!!"));
        QCOMPARE(messages().shown.first().text, QStringLiteral("Удалить строку, файлы и папку? G1/Math"));
        QVERIFY(g->deletionList.contains(QStringLiteral("G1/Math/SpStud.txt")));
        QVERIFY(!QFileInfo::exists(m_root->file("G1/Math")));
        QVERIFY(QFileInfo::exists(m_root->file("G1/Inf/SpStud.txt")));
        QCOMPARE(g->gurSp().rowCount(), 2);
        Grid saved;
        ReadGridFile(QStringLiteral("Baza/Gurnali.txt"), saved);
        QCOMPARE(saved.rowCount(), 2);
        // An entry with empty names would walk the root: refused, nothing asked.
        g->gurSp().setCell(1, 1, QStringLiteral("  "));
        g->gurSp().setCell(2, 1, QString());
        g->StrGurn->setText(QStringLiteral("1"));
        messages().shown.clear();
        g->DelStrokuClick();
        QCOMPARE(messages().errors().size(), 1);
        QCOMPARE(messages().shown.size(), 1);
        QVERIFY(QFileInfo::exists(m_root->file("Baza/Gurnali.txt")));
        QCOMPARE(g->gurSp().rowCount(), 2);
    }

    void resultButtons()
    {
        // Results of the fixture: sums 20,75, 6, 11 (weights 2, 1, 1,5).
        QCOMPARE(f()->itog().cell(2, 1), QStringLiteral("20,75"));
        journal().setCell(2, 5, QStringLiteral("5"));
        f()->Peres4etClick();
        QCOMPARE(f()->itog().cell(2, 2), QStringLiteral("10"));
        f()->RangClick();
        QCOMPARE(f()->itog().cell(1, 1), QStringLiteral("Андреев Антон"));
        QCOMPARE(f()->itog().cell(1, 3), QStringLiteral("Борисова Вера"));
        f()->SrStClick();
        QCOMPARE(f()->itog().rowCount(), 5);
        QCOMPARE(f()->itog().cell(1, 4), QStringLiteral("*** среднее ***"));
        // The sum column after a ranking: every student gets his own sum.
        f()->CopyStolbClick();
        QCOMPARE(journal().colCount(), 6);
        QCOMPARE(journal().cell(5, 2), QStringLiteral("Су"));
        QCOMPARE(journal().cell(5, 4), QStringLiteral("20,75"));
        QCOMPARE(journal().cell(5, 5), QStringLiteral("10"));
        f()->TekOcenClick();
        QCOMPARE(f()->SpisokSt->markCount(), 3);
        // The dynamics of the student chosen in the result grid.
        f()->ItogMouseDown(Qt::LeftButton, f()->Itog->cellRect(1, 2).center());
        QCOMPARE(f()->FIO->text(), QStringLiteral("Борисова Вера"));
        QCOMPARE(f()->SpisokSt->currentRow(), 5);
        QCOMPARE(f()->Itog->markCount(), 1);
        f()->DinamikaClick();
        QVERIFY(app().stolbItogo->isVisible());
        QCOMPARE(app().stolbItogo->summi().cell(1, 1), QStringLiteral("Борисова Вера"));
        QCOMPARE(app().stolbItogo->summi().cell(2, 1), QStringLiteral("10"));
        f()->GrafikClick();
        QVERIFY(f()->Itog->markCount() > 1);
        // The bars belong to the rows as they were: ranking repaints them away.
        f()->RangClick();
        QCOMPARE(f()->Itog->markCount(), 0);
        // Opening a journal removes the grade marks of the one before.
        f()->TekOcenClick();
        QVERIFY(f()->SpisokSt->markCount() > 0);
        f()->ReLoadClick();
        QCOMPARE(f()->SpisokSt->markCount(), 0);
        QCOMPARE(messages().errors(), QStringList());
    }
};

QTEST_MAIN(TestWindowLinks)
#include "test_windowlinks.moc"
