#include "fixtureroot.h"

#include "app/tform1.h"
#include "controls/gridview.h"
#include "doubles/recordingservices.h"
#include "doubles/typing.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/resultgrids.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

using Answer = Messages::Answer;
Q_DECLARE_METATYPE(Messages::Answer)

namespace {

void sendMouse(QWidget *w, QEvent::Type type, const QPoint &local, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(local), QPointF(w->mapToGlobal(local)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Presses at `from` and releases at `to` (view coordinates) on the widget under `from`.
void drag(GridView *view, const QPoint &from, const QPoint &to)
{
    QWidget *target = view->childAt(from);
    QVERIFY(target);
    sendMouse(target, QEvent::MouseButtonPress, target->mapFrom(view, from), Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, target->mapFrom(view, (from + to) / 2), Qt::LeftButton);
    sendMouse(target, QEvent::MouseMove, target->mapFrom(view, to), Qt::LeftButton);
    sendMouse(target, QEvent::MouseButtonRelease, target->mapFrom(view, to), Qt::NoButton);
}

} // namespace

// No edit of a journal or of the catalogue is dropped without a question, and
// what a journal switch leaves on screen: driven through the real windows,
// with the question boxes answered by the test.
class TestUnsavedChanges : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    FixtureRoot *m_root = nullptr;
    RecordingMessages &messages() const { return m_session->messages; }
    TForm1 *f() const { return running().form1; }
    TGurnaliForm *g() const { return running().gurnali; }
    Grid &journal() const { return session().journal(); }
    GridView *spisokSt() const { return ctl<GridView>(f(), u"SpisokSt"_s); }
    GridView *gurSp() const { return ctl<GridView>(g(), u"GurSp"_s); }
    QStringList savePrompts() const { return messages().threeWayQuestions(); }
    static QString journalPrompt() { return u"Сохранить изменения в журнале «Inf»?"_s; }

    // A mouse click on a journal cell, on the grid's own surface.
    void clickJournal(int c, int r)
    {
        GridView *v = spisokSt();
        const QPoint at = v->cellRect(c, r).center();
        QWidget *target = v->childAt(at);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(v, at));
    }
    // Clicks a cell and types a new text into it, as the teacher does.
    void typeIntoJournal(int c, int r, const QString &text)
    {
        clickJournal(c, r);
        QCOMPARE(spisokSt()->currentRow(), r);
        typeText(spisokSt(), text.left(1));
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : spisokSt()->findChildren<QLineEdit *>())
            if (e->isVisible())
                editor = e;
        QVERIFY(editor);
        editor->selectAll();
        typeText(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(journal().cell(c, r), text);
    }
    // One of three real edits of the open journal.
    void editJournal(const QString &kind)
    {
        if (kind == u"typing") {
            typeIntoJournal(2, 5, u"4"_s);
        } else if (kind == u"row insert") {
            clickJournal(1, 5);
            QTest::mouseClick(ctl<QToolButton>(f(), u"PlusStr"_s), Qt::LeftButton);
            QCOMPARE(journal().rowCount(), 8);
        } else if (kind == u"column resize") {
            const QRect header = spisokSt()->cellRect(3, 0);
            const QPoint border(header.right(), header.center().y());
            drag(spisokSt(), border, border + QPoint(25, 0));
            QCOMPARE(journal().colWidth(3), 57);
        }
    }
    void showCatalogue()
    {
        g()->resize(1017, 300);
        g()->show();
        QVERIFY(QTest::qWaitForWindowExposed(g()));
    }
    // A mouse click on a catalogue cell, on whatever part of the grid shows it.
    void clickEntry(int col, int row)
    {
        const QPoint at = gurSp()->cellRect(col, row).center();
        QWidget *target = gurSp()->childAt(at);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(gurSp(), at));
    }
    // The second catalogue entry, G1/Math, gets journal files of its own.
    void giveMathItsFiles()
    {
        m_root->write(u"G1/Math/SpStud.txt"_s,
                      FixtureRoot::gridFile({{u"№"_s, u""_s, u""_s, u""_s, u"1"_s},
                                             {u"ФИО"_s, u"Дата"_s, u"Код"_s, u"Вес"_s, u"Жуков Олег"_s},
                                             {u""_s, u"02.02"_s, u"М1"_s, u"1"_s, u"5"_s}}));
        m_root->write(u"G1/Math/SpTem.txt"_s, m_root->bytes(u"G1/Inf/SpTem.txt"_s));
    }
    // Opens the second entry from the catalogue window through its load button.
    void loadMathFromTheCatalogue()
    {
        showCatalogue();
        clickEntry(1, 2);
        QCOMPARE(gurSp()->currentRow(), 2);
        QTest::mouseClick(ctl<QPushButton>(g(), u"Zagruzit"_s), Qt::LeftButton);
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
        messages().threeWayAnswers.clear();
        g()->hide();
        f()->N1Click();
        m_root = nullptr;
        m_session.reset();
    }

    void exitAsksAboutUnsavedEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("file"); // the file the edit reaches when saved
        for (const auto &[edit, file] : {std::pair{"typing", "G1/Inf/SpStud.txt"}, std::pair{"row insert", "G1/Inf/SpStud.txt"},
                                         std::pair{"column resize", "G1/Inf/ColSpStud.txt"}}) {
            for (const auto &[name, answer] : {std::pair{"Да", Answer::Yes}, std::pair{"Нет", Answer::No}, std::pair{"Отмена", Answer::Cancel}})
                QTest::addRow("%s, %s", edit, name) << QString::fromUtf8(edit) << answer << QString::fromUtf8(file);
        }
    }
    void exitAsksAboutUnsavedEdits()
    {
        QFETCH(QString, edit);
        QFETCH(Answer, answer);
        QFETCH(QString, file);
        const QByteArray before = m_root->bytes(file);
        editJournal(edit);
        const Grid edited = journal();
        messages().threeWayAnswers = {answer};
        messages().answers = {true}; // "Записать в неё видимый журнал?"
        f()->findChild<QAction *>(u"N1"_s)->trigger();
        QCOMPARE(savePrompts(), QStringList{journalPrompt()});
        QCOMPARE(messages().errors(), QStringList());
        QCOMPARE(f()->isVisible(), answer == Answer::Cancel);
        if (answer == Answer::Yes)
            QVERIFY(m_root->bytes(file) != before);
        else
            QCOMPARE(m_root->bytes(file), before);
        QCOMPARE(journal(), edited); // nothing on screen is thrown away by the question
    }

    // "Да" goes on only when the save really wrote the journal.
    void exitStaysWhenTheSaveDoesNotHappen_data()
    {
        QTest::addColumn<QString>("name");        // typed into the name column
        QTest::addColumn<bool>("writeAnswer");    // the answer to "Записать в неё видимый журнал?"
        QTest::addColumn<int>("errorCount");
        QTest::newRow("save refused") << u"Андреев"_s << false << 0;
        QTest::newRow("save fails") << u"Андреев 😀"_s << true << 1;
    }
    void exitStaysWhenTheSaveDoesNotHappen()
    {
        QFETCH(QString, name);
        QFETCH(bool, writeAnswer);
        QFETCH(int, errorCount);
        const QByteArray before = m_root->bytes(u"G1/Inf/SpStud.txt"_s);
        journal().setCell(1, 4, name);
        messages().threeWayAnswers = {Answer::Yes};
        messages().answers = {writeAnswer};
        f()->N1Click();
        QCOMPARE(savePrompts(), QStringList{journalPrompt()});
        QCOMPARE(messages().errors().size(), errorCount);
        QVERIFY(f()->isVisible());
        QCOMPARE(m_root->bytes(u"G1/Inf/SpStud.txt"_s), before);
    }

    void nothingChangedNothingAsked()
    {
        giveMathItsFiles();
        // Looking at the journal changes nothing: clicks, the recalculation, ranking.
        clickJournal(2, 5);
        QTest::mouseClick(ctl<QToolButton>(f(), u"Peres4et"_s), Qt::LeftButton);
        QTest::mouseClick(ctl<QToolButton>(f(), u"Rang"_s), Qt::LeftButton);
        ctl<QPushButton>(f(), u"ReLoad"_s)->click();
        loadMathFromTheCatalogue();
        QCOMPARE(session().folderPath(), u"G1/Math"_s);
        QVERIFY(g()->isHidden());
        // An edit that was saved is no unsaved edit.
        typeIntoJournal(2, 4, u"3"_s);
        messages().answers = {true};
        QTest::mouseClick(ctl<QToolButton>(f(), u"SaveTab"_s), Qt::LeftButton);
        QVERIFY(m_root->bytes(u"G1/Math/SpStud.txt"_s).contains("\r\n3\r\n"));
        f()->N1Click();
        QVERIFY(f()->isHidden());
        QCOMPARE(savePrompts(), QStringList());
        QCOMPARE(messages().errors(), QStringList());
    }

    // A close request from the desktop ends the program as "Выход" does.
    void closingTheWindowAsksLikeExit_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("stays");
        QTest::newRow("Отмена") << Answer::Cancel << true;
        QTest::newRow("Нет") << Answer::No << false;
    }
    void closingTheWindowAsksLikeExit()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, stays);
        running().tema->show();
        editJournal(u"row insert"_s);
        messages().threeWayAnswers = {answer};
        f()->close();
        QCOMPARE(savePrompts(), QStringList{journalPrompt()});
        QCOMPARE(f()->isVisible(), stays);
        QCOMPARE(running().tema->isVisible(), stays);
    }

    void loadingAnotherJournalAsks_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("openAfter");
        QTest::newRow("Да") << Answer::Yes << u"G1/Math"_s;
        QTest::newRow("Нет") << Answer::No << u"G1/Math"_s;
        QTest::newRow("Отмена") << Answer::Cancel << u"G1/Inf"_s;
    }
    void loadingAnotherJournalAsks()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, openAfter);
        giveMathItsFiles();
        const QByteArray before = m_root->bytes(u"G1/Inf/SpStud.txt"_s);
        typeIntoJournal(2, 5, u"4"_s);
        messages().threeWayAnswers = {answer};
        messages().answers = {true};
        loadMathFromTheCatalogue();
        QCOMPARE(savePrompts(), QStringList{journalPrompt()});
        QCOMPARE(messages().errors(), QStringList());
        QCOMPARE(session().folderPath(), openAfter);
        QCOMPARE(g()->isVisible(), answer == Answer::Cancel);
        QCOMPARE(m_root->bytes(u"G1/Inf/SpStud.txt"_s) != before, answer == Answer::Yes);
        if (answer == Answer::Cancel)
            QCOMPARE(journal().cell(2, 5), u"4"_s);
        else
            QCOMPARE(journal().cell(1, 4), u"Жуков Олег"_s);
    }

    void reloadingAsks_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("cellAfter"); // the edited cell once the handler ran
        QTest::addColumn<bool>("saved");
        QTest::newRow("Да") << Answer::Yes << u"4"_s << true;
        QTest::newRow("Нет") << Answer::No << u"3"_s << false;
        QTest::newRow("Отмена") << Answer::Cancel << u"4"_s << false;
    }
    void reloadingAsks()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, cellAfter);
        QFETCH(bool, saved);
        typeIntoJournal(2, 5, u"4"_s);
        messages().threeWayAnswers = {answer};
        messages().answers = {true};
        ctl<QPushButton>(f(), u"ReLoad"_s)->click();
        QCOMPARE(savePrompts(), QStringList{journalPrompt()});
        QCOMPARE(journal().cell(2, 5), cellAfter);
        const QByteArray stud = m_root->bytes(u"G1/Inf/SpStud.txt"_s);
        // Column 2 of the file: "Лаб.1", date, code, weight, then the three scores.
        QCOMPARE(stud.contains("2\r\n5\r\n4\r\n\r\n"), saved);
        QCOMPARE(session().journalModified(), answer == Answer::Cancel);
    }

    void catalogueAsksWhenClosed_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("stays");
        QTest::addColumn<bool>("saved");
        QTest::newRow("Да") << Answer::Yes << false << true;
        QTest::newRow("Нет") << Answer::No << false << false;
        QTest::newRow("Отмена") << Answer::Cancel << true << false;
    }
    void catalogueAsksWhenClosed()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, stays);
        QFETCH(bool, saved);
        const QByteArray before = m_root->bytes(u"Baza/Gurnali.txt"_s);
        showCatalogue();
        // Nothing changed: the window closes without a question.
        g()->close();
        QVERIFY(g()->isHidden());
        QCOMPARE(savePrompts(), QStringList());
        // The comment of the second entry typed in the edit mode.
        showCatalogue();
        QTest::mouseClick(ctl<QToolButton>(g(), u"Redaktir"_s), Qt::LeftButton);
        clickEntry(7, 2);
        QTest::keyClick(gurSp(), Qt::Key_F2);
        QLineEdit *editor = nullptr;
        for (QLineEdit *e : gurSp()->findChildren<QLineEdit *>())
            if (e->isVisible())
                editor = e;
        QVERIFY(editor);
        editor->selectAll();
        typeText(editor, u"зима"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(session().catalogue().cell(7, 2), u"зима"_s);
        messages().threeWayAnswers = {answer};
        QTest::keyClick(g(), Qt::Key_Escape);
        QCOMPARE(savePrompts(), QStringList{u"Сохранить изменения в списке журналов?"_s});
        QCOMPARE(g()->isVisible(), stays);
        QCOMPARE(m_root->bytes(u"Baza/Gurnali.txt"_s) != before, saved);
        if (saved)
            QVERIFY(m_root->bytes(u"Baza/Gurnali.txt"_s).contains("\xE7\xE8\xEC\xE0")); // "зима" in cp1251
        // The edit stays in the window until the program ends, saved or not.
        QCOMPARE(session().catalogue().cell(7, 2), u"зима"_s);
    }

    // After another journal is opened, nothing of the previous one is on screen.
    void aSwitchClearsTheSelectionAndTheDynamics()
    {
        giveMathItsFiles();
        clickJournal(3, 5);
        QCOMPARE(ctl<QLineEdit>(f(), u"FIO"_s)->text(), u"Борисова Вера"_s);
        QCOMPARE(ctl<QLineEdit>(f(), u"DatNTar"_s)->text(), u"08.09"_s);
        QCOMPARE(ctl<QLineEdit>(running().tema, u"StrTemi"_s)->text(), u"2"_s); // the theme "кт1"
        QTest::mouseClick(ctl<QToolButton>(f(), u"Dinamika"_s), Qt::LeftButton);
        QVERIFY(running().stolbItogo->isVisible());
        const Grid &summi = session().summi();
        QCOMPARE(summi.cell(1, ResultGrids::StudentRow), u"Борисова Вера"_s);
        QVERIFY(!summi.cell(2, ResultGrids::StudentRow).isEmpty());
        GridView *summiView = ctl<GridView>(running().stolbItogo, u"Summi"_s);
        QCOMPARE(summiView->model()->index(ResultGrids::StudentRow, 1).data().toString(), u"Борисова Вера"_s);

        loadMathFromTheCatalogue();
        QCOMPARE(session().folderPath(), u"G1/Math"_s);
        QCOMPARE(ctl<QLineEdit>(f(), u"FIO"_s)->text(), QString());
        QCOMPARE(ctl<QLineEdit>(f(), u"DatNTar"_s)->text(), QString());
        QCOMPARE(ctl<QLineEdit>(f(), u"NStroki"_s)->text(), u"1"_s);
        QCOMPARE(ctl<QLineEdit>(f(), u"NStolbca"_s)->text(), u"1"_s);
        QCOMPARE(spisokSt()->markCount(), 0);
        QCOMPARE(ctl<QLineEdit>(running().tema, u"StrTemi"_s)->text(), u"1"_s);
        QCOMPARE(ctl<GridView>(running().tema, u"TemiSpisok"_s)->currentRow(), 1);
        // The dynamics window shows the new journal's columns and no student.
        QCOMPARE(summi.cell(1, ResultGrids::StudentRow), QString());
        QCOMPARE(summi.cell(1, ResultGrids::StudentAccumulatedRow), QString());
        QCOMPARE(summi.cell(2, ResultGrids::StudentRow), QString());
        QCOMPARE(summi.cell(2, ResultGrids::CodesRow), u"М1"_s);
        QCOMPARE(summiView->model()->index(ResultGrids::StudentRow, 1).data().toString(), QString());
        QCOMPARE(summiView->model()->index(ResultGrids::CodesRow, 2).data().toString(), u"М1"_s);
        // "Динамика" now has no student to show until one is chosen.
        QTest::mouseClick(ctl<QToolButton>(f(), u"Dinamika"_s), Qt::LeftButton);
        QCOMPARE(summi.cell(1, ResultGrids::StudentRow), QString());
        QCOMPARE(messages().errors(), QStringList());
    }

    // In the edit mode a click on the header row edits the headers; it selects
    // no entry, and the load button never takes the header row for a journal.
    void headerRowInEditModeIsNoEntry()
    {
        showCatalogue();
        clickEntry(1, 2);
        QLineEdit *strGurn = ctl<QLineEdit>(g(), u"StrGurn"_s);
        QCOMPARE(strGurn->text(), u"2"_s);
        QTest::mouseClick(ctl<QToolButton>(g(), u"Redaktir"_s), Qt::LeftButton);
        clickEntry(4, 0);
        QCOMPARE(gurSp()->currentRow(), 0);
        QCOMPARE(strGurn->text(), u"2"_s);
        QTest::mouseClick(ctl<QPushButton>(g(), u"Zagruzit"_s), Qt::LeftButton);
        QCOMPARE(messages().shown.size(), 1);
        QCOMPARE(messages().shown.last().caption, u"Журнал не выбран"_s);
        QCOMPARE(session().folderPath(), u"G1/Inf"_s);
        QVERIFY(g()->isVisible());
        // Back in the normal mode the selected entry is the current row again.
        QTest::mouseClick(ctl<QToolButton>(g(), u"Redaktir"_s), Qt::LeftButton);
        QCOMPARE(gurSp()->currentRow(), 2);
        QCOMPARE(strGurn->text(), u"2"_s);
        // In the normal mode the header row selects the first entry, as before.
        clickEntry(4, 0);
        QCOMPARE(strGurn->text(), u"1"_s);
        QCOMPARE(gurSp()->currentRow(), 1);
    }

    // The grades on screen after the first showing follow the saved scale
    // (55/75/90): pressing "Σ" changes none of them.
    void gradesAfterStartFollowTheSavedScale()
    {
        QCOMPARE(ctl<QLineEdit>(running().procent, u"TriProc"_s)->text(), u"55"_s);
        // Васильев Глеб has 11 of 20,75 points: 53 %, a 3 with 50 but a 2 with 55.
        QCOMPARE(session().itog().cell(ResultGrids::PercentCol, 3), u"  53"_s);
        QCOMPARE(session().itog().cell(ResultGrids::FivePointCol, 3), u" 2"_s);
        const Grid itog = session().itog();
        const Grid uspev = session().uspev();
        const QString ka4 = ctl<QLineEdit>(f(), u"Ka4"_s)->text();
        QTest::mouseClick(ctl<QToolButton>(f(), u"Peres4et"_s), Qt::LeftButton);
        QCOMPARE(session().itog(), itog);
        QCOMPARE(session().uspev(), uspev);
        QCOMPARE(ctl<QLineEdit>(f(), u"Ka4"_s)->text(), ka4);
    }

    // A score that is no number is reported by its student and lesson.
    void aBadScoreIsNamedByStudentAndLesson()
    {
        typeIntoJournal(3, 4, u"4,,5"_s);
        QTest::mouseClick(ctl<QToolButton>(f(), u"Peres4et"_s), Qt::LeftButton);
        QCOMPARE(messages().errors().size(), 1);
        QCOMPARE(messages().errors().first(),
                 u"Журнал, ученик 1 «Андреев Антон», урок 2 от «08.09»: «4,,5» не является числом."_s);
    }
};

QTEST_MAIN(TestUnsavedChanges)
#include "test_unsavedchanges.moc"
