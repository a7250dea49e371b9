#include "fixtureroot.h"

#include "app/tform1.h"
#include "controls/gridview.h"
#include "doubles/gridtyping.h"
#include "doubles/typing.h"
#include "themes/ui/ttema.h"
#include "journal/journalhistory.h"
#include "journal/journalversions.h"
#include "journal/ui/historydialog.h"
#include "journal/ui/versionsdialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

// The history and the versions of the journal as the teacher reaches them:
// cells typed and saved with the save button, "История изменений" and the
// grid's "История ячейки", "Версии журнала" with its restore.
class TestHistory : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowSession> m_session;
    TForm1 *f() const { return running().form1; }
    RecordingMessages &messages() const { return m_session->messages; }
    Grid &journal() const { return session().journal(); }
    GridView *view() const { return ctl<GridView>(f(), u"SpisokSt"_s); }

    void clickCell(int col, int row, Qt::MouseButton button = Qt::LeftButton) { clickGridCell(view(), col, row, button); }
    QLineEdit *openEditor() const { return visibleCellEditor(view()); }
    void typeInto(int col, int row, const QString &text) { typeIntoCell(view(), col, row, text); }
    void pressSave()
    {
        messages().answers = {true}; // "Записать в неё видимый журнал?"
        QTest::mouseClick(ctl<QAbstractButton>(f(), u"SaveTab"_s), Qt::LeftButton);
        QCOMPARE(messages().errors(), QStringList());
    }
    // Runs `look` on the dialog of type T once `open` has shown it modally, then closes it.
    template <class T>
    void inDialog(const std::function<void()> &open, const std::function<void(T *)> &look)
    {
        bool looked = false;
        QTimer::singleShot(0, f(), [&] {
            T *dialog = f()->findChild<T *>();
            if (dialog && dialog->isVisible()) {
                look(dialog);
                looked = true;
                dialog->reject();
            }
        });
        open();
        QVERIFY(looked);
    }
    static QStringList shownLines(HistoryDialog *d)
    {
        QStringList lines;
        for (int i = 0; i < d->shownCount(); ++i) {
            const JournalHistory::Entry &e = d->shownEntry(i);
            lines << QStringList{e.user, e.student, e.lessonNumber, e.oldText, e.newText}.join(u'|');
        }
        return lines;
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        session().setUserCode(u"Иванова"_s);
        f()->resize(1200, 700);
        f()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        QTRY_COMPARE(journal().colCount(), 5);
        running().tema->hide();
        QCoreApplication::processEvents();
        f()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), f());
    }
    void cleanup()
    {
        messages().threeWayAnswers = {Messages::Answer::No};
        f()->N1Click();
        m_session.reset();
    }

    // Two saves of typed cells: the window lists them newest first, filters by
    // student and lesson, and the grid's context menu shows one cell's lines.
    void typedCellsAreInTheHistoryWindow()
    {
        typeInto(2, 4, u"4"_s);
        typeInto(3, 5, u"2"_s);
        pressSave();
        typeInto(2, 4, u"3"_s);
        pressSave();
        inDialog<HistoryDialog>([this] { f()->findChild<QAction *>(u"Istoriya"_s)->trigger(); },
                                [](HistoryDialog *d) {
                                    QCOMPARE(d->windowTitle(), u"История изменений"_s);
                                    // The last line of the file first.
                                    QCOMPARE(shownLines(d), (QStringList{u"Иванова|Андреев Антон|1|4|3"_s,
                                                                         u"Иванова|Борисова Вера|2||2"_s,
                                                                         u"Иванова|Андреев Антон|1|5|4"_s}));
                                    auto *students = d->findChild<QComboBox *>(u"StudentFilter"_s);
                                    students->setCurrentIndex(students->findData(u"Борисова Вера"_s));
                                    QCOMPARE(shownLines(d), QStringList{u"Иванова|Борисова Вера|2||2"_s});
                                    students->setCurrentIndex(0);
                                    auto *lessons = d->findChild<QComboBox *>(u"LessonFilter"_s);
                                    lessons->setCurrentIndex(lessons->findData(u"1"_s));
                                    QCOMPARE(d->shownCount(), 2);
                                });
        // The right button on a cell, "История ячейки".
        clickCell(3, 5, Qt::RightButton);
        auto *menu = f()->findChild<QMenu *>(u"SpisokStMenu"_s);
        QTRY_VERIFY(menu->isVisible());
        QAction *item = f()->findChild<QAction *>(u"IstoriyaYacheyki"_s);
        QVERIFY(item && menu->actions().contains(item));
        menu->hide();
        inDialog<HistoryDialog>([item] { item->trigger(); },
                                [](HistoryDialog *d) { QCOMPARE(shownLines(d), QStringList{u"Иванова|Борисова Вера|2||2"_s}); });
    }

    // "Версии журнала": the versions with their differences; "Восстановить"
    // after the question makes the chosen one the journal, and the state it
    // replaced becomes the newest version.
    void restoreThroughTheWindow()
    {
        const QByteArray original = m_session->root.bytes(u"G1/Inf/SpStud.txt"_s);
        typeInto(2, 4, u"1"_s);
        pressSave();
        typeInto(2, 4, u"2"_s);
        pressSave();
        const QByteArray beforeRestore = m_session->root.bytes(u"G1/Inf/SpStud.txt"_s);
        QAction *versions = f()->findChild<QAction *>(u"Versii"_s);
        inDialog<VersionsDialog>([versions] { versions->trigger(); }, [this](VersionsDialog *d) {
            auto *list = d->findChild<QTableWidget *>(u"VersionList"_s);
            QCOMPARE(list->rowCount(), 2);
            QCOMPARE(list->item(0, 1)->text(), u"1"_s); // the cell typed since
            list->selectRow(1); // the oldest: the journal as the fixture holds it
            auto *diff = d->findChild<QTableWidget *>(u"DiffTable"_s);
            QCOMPARE(diff->rowCount(), 1);
            QCOMPARE(diff->item(0, 0)->text(), u"1. Андреев Антон"_s);
            QCOMPARE(diff->item(0, 3)->text(), u"5"_s);
            QCOMPARE(diff->item(0, 4)->text(), u"2"_s);
            messages().answers = {false};
            QTest::mouseClick(d->findChild<QPushButton *>(u"Restore"_s), Qt::LeftButton);
            QCOMPARE(journal().cell(2, 4), u"2"_s); // "Нет": nothing restored
            messages().answers = {true};
            QTest::mouseClick(d->findChild<QPushButton *>(u"Restore"_s), Qt::LeftButton);
            QCOMPARE(messages().errors(), QStringList());
            QCOMPARE(list->rowCount(), 3);
        });
        QCOMPARE(m_session->root.bytes(u"G1/Inf/SpStud.txt"_s), original);
        QCOMPARE(journal().cell(2, 4), u"5"_s);
        QCOMPARE(view()->model()->index(4, 2).data().toString(), u"5"_s);
        QVERIFY(!session().journalModified());
        const QString newest = JournalVersions::archivePath(u"G1"_s, u"Inf"_s) + u'/' + session().versions().first().name;
        QCOMPARE(m_session->root.bytes(newest + u"/SpStud.txt"_s), beforeRestore);
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
