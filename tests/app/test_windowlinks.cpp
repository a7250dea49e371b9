#include "fixtureroot.h"

#include "app/tform1.h"
#include "doubles/recordingservices.h"
#include "journal/cp1251.h"
#include "journal/excerpt.h"
#include "journal/gridfile.h"
#include "controls/gridview.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QDir>
#include <QAbstractButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

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
    TForm1 *f() const { return running().form1; }
    Grid &journal() const { return session().journal(); }
    QPoint journalCell(int c, int r) const { return ctl<GridView>(f(), QStringLiteral("SpisokSt"))->cellRect(c, r).center(); }
    void clickJournal(int c, int r) { f()->SpisokStMouseDown(Qt::LeftButton, journalCell(c, r)); }

    // The catalogue window as the teacher sees it, and clicks and typing in its grid.
    TGurnaliForm *g() const { return running().gurnali; }
    void showCatalogue()
    {
        g()->resize(1017, 300);
        g()->show();
        QVERIFY(QTest::qWaitForWindowExposed(g()));
    }
    QPoint entryPoint(int col, int row) const
    {
        GridView *v = ctl<GridView>(g(), QStringLiteral("GurSp"));
        return v->viewport()->mapFrom(v, v->cellRect(col, row).center());
    }
    void clickEntry(int row) { QTest::mouseClick(ctl<GridView>(g(), QStringLiteral("GurSp"))->viewport(), Qt::LeftButton, {}, entryPoint(1, row)); }
    // Clicks a cell (edit mode), opens its editor with F2 and types a new text over the old.
    void typeIntoEntry(int col, int row, const QString &text)
    {
        QTest::mouseClick(ctl<GridView>(g(), QStringLiteral("GurSp"))->viewport(), Qt::LeftButton, {}, entryPoint(col, row));
        QTest::keyClick(ctl<GridView>(g(), QStringLiteral("GurSp")), Qt::Key_F2);
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : ctl<GridView>(g(), QStringLiteral("GurSp"))->findChildren<QLineEdit *>())
            if (e->isVisible())
                editor = e;
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(session().catalogue().cell(col, row), text);
    }
    void setEntry(int row, const QString &folder, const QString &group)
    {
        session().catalogue().setCell(1, row, folder);
        session().catalogue().setCell(2, row, group);
        ctl<GridView>(g(), QStringLiteral("GurSp"))->refresh();
    }
    void link(const QString &target, const QString &relative)
    {
        QVERIFY2(QFile::link(target, m_root->file(relative)), qPrintable(relative));
    }
    // A journal of two lesson columns and one student, named `student`.
    void writeJournal(const QString &folder, const QString &student)
    {
        QVERIFY(QDir().mkpath(folder));
        const QByteArray stud = FixtureRoot::gridFile({{u"№"_s, u""_s, u""_s, u""_s, u"1"_s},
                                                       {u"ФИО"_s, u"Дата"_s, u"Код"_s, u"Вес"_s, student},
                                                       {u""_s, u"01.09"_s, u"Т1"_s, u"1"_s, u"5"_s},
                                                       {u""_s, u"08.09"_s, u"Т2"_s, u"1"_s, u"4"_s}});
        for (const auto &[name, bytes] : {std::pair{"/SpStud.txt", stud},
                                          std::pair{"/SpTem.txt", m_root->bytes(QStringLiteral("G1/Inf/SpTem.txt"))}}) {
            QFile file(folder + QLatin1String(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }
    }
    // The open journal G1/Inf is still the one on screen, with its identity.
    void verifyInfStillOpen()
    {
        QCOMPARE(session().folderPath(), QStringLiteral("G1/Inf"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("Gruppa"))->text(), QStringLiteral(" G1 "));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->text(), QStringLiteral("Inf"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("Semestr"))->text(), QStringLiteral("1"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("GodS"))->text(), QStringLiteral("2026"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("Komment"))->text(), QStringLiteral("осень"));
        QCOMPARE(session().identity().year, QStringLiteral("2026"));
        QCOMPARE(journal().colCount(), 5);
        QCOMPARE(journal().cell(1, 4), QStringLiteral("Андреев Антон"));
    }

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
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("NStroki"))->text(), QStringLiteral("5"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("NStolbca"))->text(), QStringLiteral("3"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("DatNTar"))->text(), QStringLiteral("08.09"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("FIO"))->text(), QStringLiteral("Борисова Вера"));
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("Itog"))->currentRow(), 2);
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->markCount(), 2);
        // The theme "кт1" is plan row 2; its number, not its code, goes into StrTemi.
        QCOMPARE(ctl<QLineEdit>(running().tema, QStringLiteral("StrTemi"))->text(), QStringLiteral("2"));
        QCOMPARE(ctl<GridView>(running().tema, QStringLiteral("TemiSpisok"))->currentRow(), 2);
        // A header row selects no student; a code the plan lacks keeps StrTemi.
        journal().setCell(4, 2, QStringLiteral("нет"));
        clickJournal(4, 1);
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("FIO"))->text(), QStringLiteral("Борисова Вера"));
        QCOMPARE(ctl<QLineEdit>(running().tema, QStringLiteral("StrTemi"))->text(), QStringLiteral("2"));
        f()->ObnovitClick();
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->markCount(), 0);
    }

    void clickOutsideTheCellsSelectsRowFour()
    {
        const QRect last = ctl<GridView>(f(), QStringLiteral("SpisokSt"))->cellRect(2, journal().rowCount() - 1);
        f()->SpisokStMouseDown(Qt::LeftButton, QPoint(last.center().x(), last.bottom() + 30));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("NStroki"))->text(), QStringLiteral("4"));
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->currentRow(), 4);
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("FIO"))->text(), QStringLiteral("Андреев Антон"));
    }

    void planOperationsActOnTheThemeTheJournalSelected()
    {
        clickJournal(3, 4); // кт1, plan row 2
        running().tema->DobStrNigeClick();
        const Grid &t = session().themes();
        QCOMPARE(t.rowCount(), 5);
        QCOMPARE(t.cell(1, 2), QStringLiteral("кт1"));
        QCOMPARE(t.cell(1, 3), QString());
        QCOMPARE(t.cell(1, 4), QStringLiteral("Т2"));
        QCOMPARE(t.cell(0, 4), QStringLiteral("4"));
        running().tema->PerStrokiClick();
        QCOMPARE(t.cell(1, 1), QStringLiteral("кт1"));
        QCOMPARE(ctl<QLineEdit>(running().tema, QStringLiteral("StrTemi"))->text(), QStringLiteral("1"));
    }

    void planClickShowsItsLessonColumn()
    {
        TTema *tema = running().tema;
        tema->TemiSpisokMouseDown(Qt::LeftButton, ctl<GridView>(tema, QStringLiteral("TemiSpisok"))->cellRect(2, 3).center()); // Т2
        QCOMPARE(ctl<QLineEdit>(tema, QStringLiteral("StrTemi"))->text(), QStringLiteral("3"));
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->currentCol(), 4);
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("DatNTar"))->text(), QStringLiteral("15.09"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("NStolbca"))->text(), QStringLiteral("4"));
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->markCount(), 1);
        // A code found in no lesson column: the code itself stands in DatNTar.
        session().themes().setCell(1, 1, QStringLiteral(" Т9 "));
        tema->TemiSpisokMouseDown(Qt::LeftButton, ctl<GridView>(tema, QStringLiteral("TemiSpisok"))->cellRect(1, 1).center());
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("DatNTar"))->text(), QStringLiteral("Т9"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("NStolbca"))->text(), QStringLiteral("4"));
        // Below the last row: row 0.
        const QRect last = ctl<GridView>(tema, QStringLiteral("TemiSpisok"))->cellRect(1, session().themes().rowCount() - 1);
        tema->TemiSpisokMouseDown(Qt::LeftButton, QPoint(last.center().x(), last.bottom() + 40));
        QCOMPARE(ctl<QLineEdit>(tema, QStringLiteral("StrTemi"))->text(), QStringLiteral("0"));
    }

    void rowAndColumnButtons()
    {
        ctl<QLineEdit>(f(), QStringLiteral("NStroki"))->setText(QStringLiteral("4"));
        f()->PlusStrClick();
        QCOMPARE(journal().rowCount(), 8);
        QCOMPARE(journal().cell(1, 5), QString());
        QCOMPARE(journal().cell(1, 6), QStringLiteral("Борисова Вера"));
        QCOMPARE(journal().cell(0, 7), QStringLiteral("4"));
        ctl<QLineEdit>(f(), QStringLiteral("NStolbca"))->setText(QStringLiteral("3"));
        f()->PlusStolbClick();
        QCOMPARE(journal().colCount(), 6);
        QCOMPARE(journal().cell(4, 2), QStringLiteral("кт1"));
        QCOMPARE(journal().cell(4, 4), QString());
        QCOMPARE(session().summi().colCount(), 6);
        f()->MinusStolbClick();
        QCOMPARE(journal().colCount(), 5);
        QCOMPARE(session().summi().colCount(), 5);
        // A selection that is no number is reported and changes nothing.
        ctl<QLineEdit>(f(), QStringLiteral("NStroki"))->setText(QStringLiteral("Т2"));
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
        TGurnaliForm *g = running().gurnali;
        session().catalogue().setRowCount(1);
        ctl<QLineEdit>(g, QStringLiteral("StrGurn"))->setText(QStringLiteral("1"));
        g->DobStrNigeClick();
        QCOMPARE(session().catalogue().rowCount(), 2);
        QCOMPARE(session().catalogue().cell(0, 1), QStringLiteral("1"));
        QCOMPARE(messages().errors(), QStringList());
    }

    void catalogueSelectionProtectsTheOpenJournal()
    {
        TGurnaliForm *g = running().gurnali;
        g->show();
        QVERIFY(ctl<QToolButton>(g, QStringLiteral("DelStroku"))->isHidden());
        g->GurSpMouseDown(Qt::LeftButton, ctl<GridView>(g, QStringLiteral("GurSp"))->cellRect(2, 2).center());
        QCOMPARE(ctl<QLineEdit>(g, QStringLiteral("StrGurn"))->text(), QStringLiteral("2"));
        QVERIFY(!ctl<QToolButton>(g, QStringLiteral("DelStroku"))->isHidden());
        g->GurSpMouseDown(Qt::LeftButton, ctl<GridView>(g, QStringLiteral("GurSp"))->cellRect(2, 0).center()); // header: entry 1
        QCOMPARE(ctl<QLineEdit>(g, QStringLiteral("StrGurn"))->text(), QStringLiteral("1"));
        QVERIFY(ctl<QToolButton>(g, QStringLiteral("DelStroku"))->isHidden());
        g->hide();
    }

    void openingACatalogueEntry()
    {
        TGurnaliForm *g = running().gurnali;
        // Missing files: the load fails, and the open journal stays with its identity.
        ctl<GridView>(g, QStringLiteral("GurSp"))->setCurrentRow(2);
        g->ZagruzitClick();
        QCOMPARE(messages().errors().size(), 1);
        QVERIFY(messages().errors().first().contains(QStringLiteral("SpStud.txt")));
        verifyInfStillOpen();
        // With the files there the entry opens.
        for (const char *name : {"SpStud.txt", "SpTem.txt"})
            m_root->write(QStringLiteral("G1/Math/") + QLatin1String(name), m_root->bytes(QStringLiteral("G1/Inf/") + QLatin1String(name)));
        journal().setRowCount(2);
        g->ZagruzitClick();
        QCOMPARE(messages().errors().size(), 1);
        QCOMPARE(journal().rowCount(), 7);
        QCOMPARE(session().folderPath(), QStringLiteral("G1/Math"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->text(), QStringLiteral("Math"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("GodS"))->text(), QStringLiteral("2027"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("Komment"))->text(), QStringLiteral("весна"));
        // An entry whose folder does not exist: the warning names it, nothing changes.
        session().catalogue().setCell(1, 2, QStringLiteral("Nope"));
        g->ZagruzitClick();
        QCOMPARE(messages().shown.last().caption, QStringLiteral("Нет такой папки"));
        QVERIFY(messages().shown.last().text.startsWith(QStringLiteral("Нужно создать журнал и папку")));
        QVERIFY(messages().shown.last().text.contains(QStringLiteral("«G1/Nope»")));
        QCOMPARE(session().folderPath(), QStringLiteral("G1/Math"));
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->text(), QStringLiteral("Math"));
    }

    void refusedEntryKeepsTheOpenJournal_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("layout"); // what stands on disk under the entry's names
        QTest::addColumn<QString>("named");  // how the refusal names the folder
        QTest::newRow("folder ..") << ".." << "G1" << "" << "«G1/..»";
        QTest::newRow("journal folder links outside") << "Ext" << "G1" << "folder link" << "«G1/Ext»";
        QTest::newRow("group links outside") << "Ext" << " Out " << "group link" << "«Out/Ext»";
        QTest::newRow("group links to a group of the root") << "Math" << "Top" << "inner group link" << "«Top/Math»";
        QTest::newRow("control character") << QStringLiteral("Ext\x01") << "G1" << "control" << "«G1/Ext\\x01»";
    }
    void refusedEntryKeepsTheOpenJournal()
    {
        QFETCH(QString, folder);
        QFETCH(QString, group);
        QFETCH(QString, layout);
        QFETCH(QString, named);
        QTemporaryDir outside;
        if (layout == QLatin1String("folder link")) {
            writeJournal(outside.filePath(QStringLiteral("J")), QStringLiteral("Чужой"));
            link(outside.filePath(QStringLiteral("J")), QStringLiteral("G1/Ext"));
        } else if (layout == QLatin1String("group link")) {
            writeJournal(outside.filePath(QStringLiteral("Ext")), QStringLiteral("Чужой"));
            link(outside.path(), QStringLiteral("Out"));
        } else if (layout == QLatin1String("inner group link")) {
            writeJournal(m_root->file(QStringLiteral("G1/Math")), QStringLiteral("Чужой"));
            link(QStringLiteral("G1"), QStringLiteral("Top"));
        } else if (layout == QLatin1String("control")) {
            writeJournal(m_root->file(QStringLiteral("G1/") + folder), QStringLiteral("Чужой"));
        }
        setEntry(2, folder, group);
        showCatalogue();
        clickEntry(2);
        QCOMPARE(ctl<GridView>(g(), QStringLiteral("GurSp"))->currentRow(), 2);
        QTest::mouseClick(ctl<QPushButton>(g(), QStringLiteral("Zagruzit")), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 1);
        const QString error = messages().errors().first();
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY2(!hasControlCharacter(error), qPrintable(error));
        verifyInfStillOpen();
        QVERIFY(g()->isVisible());
        g()->hide();
    }

    void leadingBlanksOpenTheFolderThatSaveAndDeletionUse()
    {
        writeJournal(m_root->file(QStringLiteral("G1/Lead")), QStringLiteral("Лидия"));
        writeJournal(m_root->file(QStringLiteral("G1/ Lead")), QStringLiteral("Пробел"));
        const QByteArray spaced = m_root->bytes(QStringLiteral("G1/ Lead/SpStud.txt"));
        setEntry(2, QStringLiteral(" Lead"), QStringLiteral("G1"));
        showCatalogue();
        clickEntry(2);
        QTest::mouseClick(ctl<QPushButton>(g(), QStringLiteral("Zagruzit")), Qt::LeftButton);
        QCOMPARE(messages().errors(), QStringList());
        QCOMPARE(session().folderPath(), QStringLiteral("G1/Lead"));
        QCOMPARE(journal().cell(1, 4), QStringLiteral("Лидия"));
        QVERIFY(!g()->isVisible());
        // The save finds the same entry and writes the same folder.
        journal().setCell(1, 4, QStringLiteral("Лидия Л."));
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(f(), QStringLiteral("SaveTab")), Qt::LeftButton);
        QCOMPARE(messages().errors(), QStringList());
        QCOMPARE(messages().shown.last().caption, QStringLiteral("Такая папка есть"));
        QVERIFY(m_root->bytes(QStringLiteral("G1/Lead/SpStud.txt")).contains(*Cp1251::encode(QStringLiteral("Лидия Л."))));
        QCOMPARE(m_root->bytes(QStringLiteral("G1/ Lead/SpStud.txt")), spaced);
        // It is now the open journal, so its entry cannot be deleted.
        showCatalogue();
        clickEntry(2);
        QVERIFY(ctl<QToolButton>(g(), QStringLiteral("DelStroku"))->isHidden());
        g()->hide();
    }

    void deleteButtonHiddenForTheOpenJournal_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("hidden");
        QTest::newRow("another journal") << "Math" << "G1" << false;
        QTest::newRow("same folder name in another group") << "Inf" << "G2" << true;
        QTest::newRow("blanks around") << " Inf " << " G1" << true;
        QTest::newRow("folder link to the open journal") << "InfLink" << "G1" << true;
        QTest::newRow("group link and folder link") << "InfLink" << "L" << true;
    }
    void deleteButtonHiddenForTheOpenJournal()
    {
        QFETCH(QString, folder);
        QFETCH(QString, group);
        QFETCH(bool, hidden);
        link(QStringLiteral("Inf"), QStringLiteral("G1/InfLink"));
        link(QStringLiteral("G1"), QStringLiteral("L"));
        setEntry(2, folder, group);
        showCatalogue();
        QVERIFY(ctl<QToolButton>(g(), QStringLiteral("DelStroku"))->isHidden());
        clickEntry(2);
        QCOMPARE(ctl<QLineEdit>(g(), QStringLiteral("StrGurn"))->text(), QStringLiteral("2"));
        QCOMPARE(ctl<QToolButton>(g(), QStringLiteral("DelStroku"))->isHidden(), hidden);
        g()->hide();
    }

    void deletionRefused_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("typed");   // typed in edit mode after the click
        QTest::addColumn<QString>("named"); // how the refusal names the folder
        QTest::addColumn<QString>("kept");  // a file that must stay
        QTest::newRow("open journal typed in edit mode") << "Inf" << "G1" << true << "«G1/Inf»" << "G1/Inf/SpStud.txt";
        QTest::newRow("open journal through a group link, typed")
            << "Inf" << "L" << true << "«L/Inf»" << "G1/Inf/SpStud.txt";
        QTest::newRow("group link to a sibling") << "Math" << "L" << false << "«L/Math»" << "G1/Math/SpStud.txt";
        QTest::newRow("damaged name") << QString(QStringLiteral("..") + QChar(0) + QStringLiteral("x")) << "G1" << false
                                      << "«G1/..\\x00x»" << "G1/Inf/SpStud.txt";
    }
    void deletionRefused()
    {
        QFETCH(QString, folder);
        QFETCH(QString, group);
        QFETCH(bool, typed);
        QFETCH(QString, named);
        QFETCH(QString, kept);
        link(QStringLiteral("G1"), QStringLiteral("L"));
        m_root->write(QStringLiteral("G1/Math/SpStud.txt"), "1\r\n1\r\nx\r\n");
        const QByteArray catalogue = m_root->bytes(QStringLiteral("Baza/Gurnali.txt"));
        if (!typed)
            setEntry(2, folder, group);
        showCatalogue();
        if (typed)
            QTest::mouseClick(ctl<QToolButton>(g(), QStringLiteral("Redaktir")), Qt::LeftButton);
        clickEntry(2);
        QVERIFY(ctl<QToolButton>(g(), QStringLiteral("DelStroku"))->isVisible());
        if (typed) {
            typeIntoEntry(2, 2, group);
            typeIntoEntry(1, 2, folder);
        }
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(g(), QStringLiteral("DelStroku")), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 1);
        const QString error = messages().errors().first();
        QVERIFY2(error.contains(named), qPrintable(error));
        QVERIFY2(!hasControlCharacter(error), qPrintable(error));
        QCOMPARE(messages().shown.size(), 1); // nothing was asked
        QVERIFY(QFileInfo::exists(m_root->file(kept)));
        QVERIFY(QFileInfo::exists(m_root->file(QStringLiteral("G1/Inf/SpTem.txt"))));
        QCOMPARE(session().catalogue().rowCount(), 3);
        QCOMPARE(m_root->bytes(QStringLiteral("Baza/Gurnali.txt")), catalogue);
        QVERIFY(g()->isVisible());
        QVERIFY(ctl<QToolButton>(g(), QStringLiteral("DelStroku"))->isEnabled());
        g()->hide();
    }

    void entryEditedDuringTheWalkIsKept()
    {
        for (int i = 0; i < 5; ++i)
            m_root->write(QStringLiteral("G1/Math/f%1.txt").arg(i), "x");
        showCatalogue();
        QTest::mouseClick(ctl<QToolButton>(g(), QStringLiteral("Redaktir")), Qt::LeftButton);
        clickEntry(2);
        // The window stays responsive during the walk: the entry is edited meanwhile.
        QTimer::singleShot(0, g(), [this] { setEntry(2, QStringLiteral("Новая"), QStringLiteral("G1")); });
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(g(), QStringLiteral("DelStroku")), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 1);
        QVERIFY2(messages().errors().first().contains(QStringLiteral("«G1/Math»")), qPrintable(messages().errors().first()));
        QVERIFY(QFileInfo::exists(m_root->file(QStringLiteral("G1/Math/f0.txt"))));
        QCOMPARE(session().catalogue().rowCount(), 3);
        QCOMPARE(session().catalogue().cell(1, 2), QStringLiteral("Новая"));
        g()->hide();
    }

    void deletionWalkIsBounded_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QString>("reason");
        QTest::newRow("too many entries") << 10000 << 0 << "10000";
        QTest::newRow("too deep") << 1 << 9 << "8";
    }
    void deletionWalkIsBounded()
    {
        QFETCH(int, files);
        QFETCH(int, depth);
        QFETCH(QString, reason);
        QString deep = QStringLiteral("G1/Math");
        for (int level = 1; level <= depth; ++level)
            deep += QLatin1Char('/') + QString::number(level);
        QVERIFY(QDir(m_root->path()).mkpath(deep));
        for (int i = 0; i < files; ++i)
            m_root->write(deep + QStringLiteral("/f%1.txt").arg(i), "x");
        m_root->write(QStringLiteral("G1/Math/SpStud.txt"), "1\r\n1\r\nx\r\n");
        const QByteArray catalogue = m_root->bytes(QStringLiteral("Baza/Gurnali.txt"));
        showCatalogue();
        clickEntry(2);
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(g(), QStringLiteral("DelStroku")), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 1);
        const QString error = messages().errors().first();
        QVERIFY2(error.contains(QStringLiteral("«G1/Math»")) && error.contains(reason), qPrintable(error));
        QCOMPARE(messages().shown.size(), 1); // nothing was asked
        QVERIFY(QFileInfo::exists(m_root->file(QStringLiteral("G1/Math/SpStud.txt"))));
        QVERIFY(QFileInfo::exists(m_root->file(deep + QStringLiteral("/f0.txt"))));
        QCOMPARE(session().catalogue().rowCount(), 3);
        QCOMPARE(m_root->bytes(QStringLiteral("Baza/Gurnali.txt")), catalogue);
        QVERIFY(ctl<QToolButton>(g(), QStringLiteral("DelStroku"))->isEnabled());
        QVERIFY(ctl<QPushButton>(g(), QStringLiteral("Zagruzit"))->isEnabled());
        g()->hide();
    }

    void deletingACatalogueEntry()
    {
        TGurnaliForm *g = running().gurnali;
        m_root->write(QStringLiteral("G1/Math/SpStud.txt"), "1\r\n1\r\nx\r\n");
        ctl<QLineEdit>(g, QStringLiteral("StrGurn"))->setText(QStringLiteral("2"));
        messages().answers = {true};
        g->DelStrokuClick();
        QCOMPARE(messages().errors(), QStringList());
        QCOMPARE(messages().shown.first().caption, QStringLiteral("Миссия не обратима!!!"));
        QCOMPARE(messages().shown.first().text, QStringLiteral("Удалить строку, файлы и папку? G1/Math"));
        QVERIFY(g->deletionNames().contains(QStringLiteral("G1/Math/SpStud.txt")));
        QVERIFY(!QFileInfo::exists(m_root->file(u"G1/Math"_s)));
        QVERIFY(QFileInfo::exists(m_root->file(u"G1/Inf/SpStud.txt"_s)));
        QCOMPARE(session().catalogue().rowCount(), 2);
        Grid saved;
        ReadGridFile(QStringLiteral("Baza/Gurnali.txt"), saved);
        QCOMPARE(saved.rowCount(), 2);
        // An entry with empty names would walk the root: refused, nothing asked.
        session().catalogue().setCell(1, 1, QStringLiteral("  "));
        session().catalogue().setCell(2, 1, QString());
        ctl<QLineEdit>(g, QStringLiteral("StrGurn"))->setText(QStringLiteral("1"));
        messages().shown.clear();
        g->DelStrokuClick();
        QCOMPARE(messages().errors().size(), 1);
        QCOMPARE(messages().shown.size(), 1);
        QVERIFY(QFileInfo::exists(m_root->file(u"Baza/Gurnali.txt"_s)));
        QCOMPARE(session().catalogue().rowCount(), 2);
    }

    void resultButtons()
    {
        // Results of the fixture: sums 20,75, 6, 11 (weights 2, 1, 1,5).
        QCOMPARE(session().itog().cell(2, 1), QStringLiteral("20,75"));
        journal().setCell(2, 5, QStringLiteral("5"));
        f()->Peres4etClick();
        QCOMPARE(session().itog().cell(2, 2), QStringLiteral("10"));
        f()->RangClick();
        QCOMPARE(session().itog().cell(1, 1), QStringLiteral("Андреев Антон"));
        QCOMPARE(session().itog().cell(1, 3), QStringLiteral("Борисова Вера"));
        f()->SrStClick();
        QCOMPARE(session().itog().rowCount(), 5);
        QCOMPARE(session().itog().cell(1, 4), QStringLiteral("*** среднее ***"));
        // The sum column after a ranking: every student gets his own sum.
        f()->CopyStolbClick();
        QCOMPARE(journal().colCount(), 6);
        QCOMPARE(journal().cell(5, 2), QStringLiteral("Су"));
        QCOMPARE(journal().cell(5, 4), QStringLiteral("20,75"));
        QCOMPARE(journal().cell(5, 5), QStringLiteral("10"));
        f()->TekOcenClick();
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->markCount(), 3);
        // The dynamics of the student chosen in the result grid.
        f()->ItogMouseDown(Qt::LeftButton, ctl<GridView>(f(), QStringLiteral("Itog"))->cellRect(1, 2).center());
        QCOMPARE(ctl<QLineEdit>(f(), QStringLiteral("FIO"))->text(), QStringLiteral("Борисова Вера"));
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->currentRow(), 5);
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("Itog"))->markCount(), 1);
        f()->DinamikaClick();
        QVERIFY(running().stolbItogo->isVisible());
        QCOMPARE(session().summi().cell(1, 1), QStringLiteral("Борисова Вера"));
        QCOMPARE(session().summi().cell(2, 1), QStringLiteral("10"));
        f()->GrafikClick();
        QVERIFY(ctl<GridView>(f(), QStringLiteral("Itog"))->markCount() > 1);
        // The bars belong to the rows as they were: ranking repaints them away.
        f()->RangClick();
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("Itog"))->markCount(), 0);
        // Opening a journal removes the grade marks of the one before.
        f()->TekOcenClick();
        QVERIFY(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->markCount() > 0);
        f()->ReLoadClick();
        QCOMPARE(ctl<GridView>(f(), QStringLiteral("SpisokSt"))->markCount(), 0);
        QCOMPARE(messages().errors(), QStringList());
    }

    // The chart of the dynamics window draws the grid's accumulated rows: the
    // student chosen by a click, and the group's average as the recalculation
    // leaves it.
    void dynamicsChartShowsTheAccumulatedRows()
    {
        auto *journalView = ctl<GridView>(f(), QStringLiteral("SpisokSt"));
        const auto press = [this](const char *name) {
            auto *button = ctl<QAbstractButton>(f(), QLatin1String(name));
            QVERIFY2(button && button->isVisible(), name);
            QTest::mouseClick(button, Qt::LeftButton);
        };
        const auto points = [](const QLineSeries *series) {
            QStringList out;
            for (const QPointF &p : series->points())
                out << QStringLiteral("%1:%2").arg(p.x()).arg(p.y());
            return out.join(u' ');
        };
        const auto summiRow = [](int row) {
            QStringList out;
            for (int c = 2; c < session().summi().colCount(); ++c)
                out << QStringLiteral("%1:%2").arg(c - 1).arg(QString(session().summi().cell(c, row)).replace(u',', u'.'));
            return out.join(u' ');
        };
        QTest::mouseClick(journalView->viewport(), Qt::LeftButton, {}, journalView->viewport()->mapFrom(journalView, journalCell(1, 5)));
        press("Dinamika");
        TStolbItogo *dynamics = running().stolbItogo;
        QVERIFY(dynamics->isVisible());
        // The chart's page, as the teacher opens it.
        auto *pages = dynamics->findChild<QTabWidget *>(QStringLiteral("Vkladki"));
        QVERIFY(pages);
        QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(1).center());
        auto *view = dynamics->findChild<QChartView *>(QStringLiteral("Grafik"));
        QVERIFY(view && view->isVisible());
        const QLineSeries *student = nullptr, *average = nullptr;
        for (QAbstractSeries *series : view->chart()->series())
            (series->objectName() == u"StudentSeries" ? student : average) = qobject_cast<QLineSeries *>(series);
        QVERIFY(student && average);
        // Борисова Вера: 3 × 2, nothing, "н": 6 throughout.
        QTRY_COMPARE(points(student), QStringLiteral("1:6 2:6 3:6"));
        QCOMPARE(student->name(), QStringLiteral("Борисова Вера нак."));
        QCOMPARE(points(average), summiRow(4));
        QCOMPARE(average->points().size(), 3);

        // Another score and a recalculation: the average follows at once, the
        // student's line with the next "Динамика".
        const QString averageBefore = points(average);
        journal().setCell(3, 5, QStringLiteral("4"));
        press("Peres4et");
        QTRY_COMPARE(points(average), summiRow(4));
        QVERIFY(points(average) != averageBefore);
        press("Dinamika");
        QTRY_COMPARE(points(student), QStringLiteral("1:6 2:10 3:10"));
        QCOMPARE(messages().errors(), QStringList());
    }
};

QTEST_MAIN(TestWindowLinks)
#include "test_windowlinks.moc"
