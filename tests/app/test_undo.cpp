#include "fixtureroot.h"

#include "app/tform1.h"
#include "controls/gridview.h"
#include "doubles/gridtyping.h"
#include "doubles/typing.h"
#include "journal/cellblock.h"
#include "themes/ui/ttema.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

using Answer = Messages::Answer;

// "Правка" of the journal window: every edit of the journal and its results
// taken back with Ctrl+Z and done again with Ctrl+Y, and blocks of cells
// pasted and copied as spreadsheets do, all through the real keys, buttons
// and drags.
class TestUndo : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<WindowSession> m_session;
    TForm1 *f() const { return running().form1; }
    RecordingMessages &messages() const { return m_session->messages; }
    Grid &journal() const { return session().journal(); }
    GridView *view() const { return ctl<GridView>(f(), u"SpisokSt"_s); }
    QAction *undoItem() const { return f()->findChild<QAction *>(u"Otmenit"_s); }
    void press(const QString &button) { QTest::mouseClick(ctl<QAbstractButton>(f(), button), Qt::LeftButton); }
    void keys(int key, Qt::KeyboardModifiers modifiers) { QTest::keyClick(view(), Qt::Key(key), modifiers); }
    void undo() { keys(Qt::Key_Z, Qt::ControlModifier); }
    void redo() { keys(Qt::Key_Y, Qt::ControlModifier); }

    // The keys act in the journal window, which a load leaves behind the plan.
    void activateJournalWindow()
    {
        running().tema->hide();
        QCoreApplication::processEvents(); // the plan's deactivation comes first
        f()->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), f());
    }
    void clickCell(int col, int row) { clickGridCell(view(), col, row); }
    QLineEdit *openEditor() const { return visibleCellEditor(view()); }
    void typeInto(int col, int row, const QString &text) { typeIntoCell(view(), col, row, text); }
    void dragRow(int from, int to)
    {
        const QPoint start = view()->cellRect(0, from).center();
        const QPoint end = view()->cellRect(0, to).center();
        QWidget *target = view()->childAt(start);
        QVERIFY(target);
        QTest::mousePress(target, Qt::LeftButton, {}, target->mapFrom(view(), start));
        QTest::mouseMove(target, target->mapFrom(view(), (start + end) / 2));
        QTest::mouseMove(target, target->mapFrom(view(), end));
        QTest::mouseRelease(target, Qt::LeftButton, {}, target->mapFrom(view(), end));
    }
    void paste(int col, int row, const QString &text)
    {
        clickCell(col, row);
        QGuiApplication::clipboard()->setText(text);
        keys(Qt::Key_V, Qt::ControlModifier);
    }

    // One edit of each kind, as the teacher makes it.
    void edit(const QString &kind)
    {
        if (kind == u"typed cell") {
            typeInto(3, 5, u"4,5"_s);
        } else if (kind == u"pasted block") {
            paste(2, 4, u"1\t2\r\n3\t4\r\n"_s);
        } else if (kind == u"row insert") {
            clickCell(2, 5);
            press(u"PlusStr"_s);
        } else if (kind == u"row delete") {
            clickCell(2, 5);
            press(u"MinusStr"_s);
        } else if (kind == u"rows below") {
            clickCell(2, 4);
            press(u"DelStroki"_s);
        } else if (kind == u"column insert") {
            clickCell(3, 5);
            press(u"PlusStolb"_s);
        } else if (kind == u"column delete") {
            clickCell(2, 5); // the last column's width goes with the last column
            press(u"MinusStolb"_s);
        } else if (kind == u"columns right") {
            clickCell(2, 5);
            press(u"DelStolbi"_s);
        } else if (kind == u"row drag") {
            dragRow(6, 4);
        } else if (kind == u"ranking") {
            press(u"Rang"_s);
        } else if (kind == u"average student") {
            press(u"SrSt"_s);
        } else if (kind == u"sum column") {
            press(u"CopyStolb"_s);
        }
    }

    struct State
    {
        Grid journal, itog, uspev, summi;
        Indicators indicators;
        static State now()
        {
            return State{session().journal(), session().itog(), session().uspev(), session().summi(), session().indicators()};
        }
    };
    static void compareState(const State &expected)
    {
        const State now = State::now();
        QVERIFY(now.journal == expected.journal);
        QVERIFY(now.itog == expected.itog);
        QVERIFY(now.uspev == expected.uspev);
        QCOMPARE(now.summi.colCount(), expected.summi.colCount());
        QCOMPARE(now.indicators.ka4, expected.indicators.ka4);
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        f()->resize(1200, 700);
        f()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        QTRY_COMPARE(journal().colCount(), 5); // the first showing has loaded the journal
        activateJournalWindow();
        view()->setFocus();
        QCOMPARE(messages().errors(), QStringList());
    }
    void cleanup()
    {
        messages().threeWayAnswers = {Answer::No};
        f()->N1Click();
        m_session.reset();
    }

    void undoAndRedoRestoreEveryEdit_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name"); // in the menu
        QTest::newRow("typed cell") << u"typed cell"_s << u"Ввод в ячейку"_s;
        QTest::newRow("pasted block") << u"pasted block"_s << u"Вставка блока"_s;
        QTest::newRow("row insert") << u"row insert"_s << u"Вставка строки"_s;
        QTest::newRow("row delete") << u"row delete"_s << u"Удаление строки"_s;
        QTest::newRow("rows below") << u"rows below"_s << u"Удаление строк снизу"_s;
        QTest::newRow("column insert") << u"column insert"_s << u"Вставка столбца"_s;
        QTest::newRow("column delete") << u"column delete"_s << u"Удаление столбца"_s;
        QTest::newRow("columns right") << u"columns right"_s << u"Удаление столбцов справа"_s;
        QTest::newRow("row drag") << u"row drag"_s << u"Перемещение строки"_s;
        QTest::newRow("ranking") << u"ranking"_s << u"Ранжирование"_s;
        QTest::newRow("average student") << u"average student"_s << u"Средний студент"_s;
        QTest::newRow("sum column") << u"sum column"_s << u"Столбец сумм"_s;
    }
    void undoAndRedoRestoreEveryEdit()
    {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QVERIFY(!undoItem()->isEnabled());
        QCOMPARE(undoItem()->text(), u"&Отменить"_s);
        const State before = State::now();
        edit(kind);
        QVERIFY(session().journalModified() || !(State::now().itog == before.itog));
        const State after = State::now();
        QVERIFY(undoItem()->isEnabled());
        QCOMPARE(undoItem()->text(), u"&Отменить: "_s + name);

        undo();
        compareState(before);
        QVERIFY(!session().journalModified()); // no question at the exit
        QCOMPARE(f()->findChild<QAction *>(u"Povtorit"_s)->text(), u"&Повторить: "_s + name);
        redo();
        compareState(after);
        undo();
        keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        compareState(after);
        QCOMPARE(messages().errors(), QStringList());
    }

    // Many edits one after the other, taken back to the saved journal: its
    // exact texts, counts and widths, so that the exit asks nothing; and all
    // done again.
    void undoingEverythingLeavesTheSavedJournal()
    {
        const Grid saved = journal();
        const QStringList kinds = {u"typed cell"_s, u"column insert"_s, u"row drag"_s, u"row delete"_s,
                                   u"pasted block"_s, u"sum column"_s, u"columns right"_s, u"rows below"_s};
        for (const QString &kind : kinds)
            edit(kind);
        messages().choiceAnswers = {Answer::Yes};
        paste(2, 4, u"x\ty\tz\n1\t2\t3\n4\t5\t6\n7\t8\t9\n"_s); // past the end, grown
        QCOMPARE(journal().rowCount(), 8);
        const Grid edited = journal();
        for (int i = 0; i <= kinds.size(); ++i)
            undo();
        QVERIFY(journal() == saved);
        QVERIFY(!session().journalModified());
        QVERIFY(!undoItem()->isEnabled());
        for (int i = 0; i <= kinds.size(); ++i)
            redo();
        QVERIFY(journal() == edited);
        QCOMPARE(messages().errors(), QStringList());
    }

    // Another journal, or the same read again, starts with nothing to undo.
    void aLoadClearsTheEdits()
    {
        edit(u"row insert"_s);
        QVERIFY(undoItem()->isEnabled());
        messages().threeWayAnswers = {Answer::No}; // drop the edit
        JournalIdentity first = session().catalogueEntry(1);
        first.folder = first.folder.trimmed();
        QVERIFY(f()->openJournal(first));
        QVERIFY(!undoItem()->isEnabled());
        activateJournalWindow();
        const Grid loaded = journal();
        undo();
        QVERIFY(journal() == loaded);
    }

    void pasteFillsTheCells_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<QStringList>("cells");    // "col,row=text" after the paste
        QTest::addColumn<QSize>("size");            // columns × rows after the paste
        QTest::addColumn<QString>("message");       // a question or error shown, its start
        const QString past = u"Блок не помещается в журнал: в блоке 2 строки и 2 столбца, от выбранной ячейки до края "
                             u"не хватает 1 строки и 1 столбца."_s;
        QTest::newRow("block") << u"1\t2\r\n3\t4\r\n"_s << 2 << 4 << QList<Answer>{}
                               << QStringList{u"2,4=1"_s, u"3,4=2"_s, u"2,5=3"_s, u"3,5=4"_s, u"4,4=4,5"_s} << QSize(5, 7)
                               << QString();
        QTest::newRow("ragged rows, LF") << u"9\n8\t7\n"_s << 3 << 5 << QList<Answer>{}
                                         << QStringList{u"3,5=9"_s, u"4,5=н"_s, u"3,6=8"_s, u"4,6=7"_s} << QSize(5, 7)
                                         << QString();
        QTest::newRow("single line") << u"7,5\n"_s << 3 << 6 << QList<Answer>{}
                                     << QStringList{u"3,6=7,5"_s, u"4,6=4"_s} << QSize(5, 7) << QString();
        QTest::newRow("past the end, added") << u"a\tb\nc\td"_s << 4 << 6 << QList<Answer>{Answer::Yes}
                                             << QStringList{u"4,6=a"_s, u"5,6=b"_s, u"4,7=c"_s, u"5,7=d"_s, u"0,7=4"_s,
                                                            u"1,7="_s}
                                             << QSize(6, 8) << past;
        QTest::newRow("past the end, cut") << u"a\tb\nc\td"_s << 4 << 6 << QList<Answer>{Answer::No}
                                           << QStringList{u"4,6=a"_s, u"3,6=5"_s} << QSize(5, 7) << past;
        QTest::newRow("past the end, cancelled") << u"a\tb\nc\td"_s << 4 << 6 << QList<Answer>{Answer::Cancel}
                                                 << QStringList{u"4,6=4"_s} << QSize(5, 7) << past;
        QTest::newRow("not cp1251") << u"5\t日本\n"_s << 2 << 4 << QList<Answer>{} << QStringList{u"2,4=5"_s, u"3,4=4"_s}
                                    << QSize(5, 7)
                                    << u"Блок не вставлен: текст «日本» содержит знак, которого нет в кодировке cp1251."_s;
    }
    void pasteFillsTheCells()
    {
        QFETCH(QString, text);
        QFETCH(int, col);
        QFETCH(int, row);
        QFETCH(QList<Answer>, answers);
        QFETCH(QStringList, cells);
        QFETCH(QSize, size);
        QFETCH(QString, message);
        const Grid before = journal();
        messages().choiceAnswers = answers;
        paste(col, row, text);
        for (const QString &cell : cells) {
            const qsizetype comma = cell.indexOf(u','), equals = cell.indexOf(u'=');
            const int c = cell.left(comma).toInt(), r = cell.mid(comma + 1, equals - comma - 1).toInt();
            QCOMPARE(journal().cell(c, r), cell.mid(equals + 1));
        }
        QCOMPARE(QSize(journal().colCount(), journal().rowCount()), size);
        QCOMPARE(session().summi().colCount(), size.width());
        if (size.width() > before.colCount())
            QCOMPARE(journal().colWidth(size.width() - 1), journal().defaultColWidth());
        if (message.isEmpty()) {
            QCOMPARE(messages().shown.size(), 0);
        } else {
            QCOMPARE(messages().shown.size(), 1);
            QVERIFY2(messages().shown.first().text.startsWith(message), qPrintable(messages().shown.first().text));
        }
        // One paste is one step.
        undo();
        QVERIFY(journal() == before);
        QCOMPARE(session().summi().colCount(), before.colCount());
    }

    // In an open editor a block goes into the cells, not into the one line.
    void pasteInTheEditorFillsTheBlock()
    {
        clickCell(2, 5);
        typeText(view(), u"2"_s);
        QLineEdit *editor = openEditor();
        QVERIFY(editor);
        QGuiApplication::clipboard()->setText(u"8\t9\n"_s);
        QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(journal().cell(2, 5), u"8"_s);
        QCOMPARE(journal().cell(3, 5), u"9"_s);
        QVERIFY(!openEditor());
        // The typed "2" and the block are two steps.
        undo();
        QCOMPARE(journal().cell(2, 5), u"2"_s);
        undo();
        QCOMPARE(journal().cell(2, 5), u"3"_s);
        // A single line stays the editor's own paste, line breaks as blanks.
        clickCell(2, 5);
        typeText(view(), u"1"_s);
        QGuiApplication::clipboard()->setText(u"2\r\n"_s);
        QTest::keyClick(openEditor(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(openEditor()->text(), u"12 "_s);
        QTest::keyClick(openEditor(), Qt::Key_Return);
        QCOMPARE(journal().cell(2, 5), u"12 "_s);
        QTRY_VERIFY(!openEditor());
        undo();
        QCOMPARE(journal().cell(2, 5), u"3"_s);
    }

    // A block selected with Shift and the arrows, or with the mouse, goes to the
    // clipboard in the spreadsheet form and comes back the same.
    void copiedBlockPastesBack()
    {
        clickCell(2, 4);
        keys(Qt::Key_Right, Qt::ShiftModifier);
        keys(Qt::Key_Down, Qt::ShiftModifier);
        keys(Qt::Key_Down, Qt::ShiftModifier);
        keys(Qt::Key_C, Qt::ControlModifier);
        const QString copied = QGuiApplication::clipboard()->text();
        QCOMPARE(copied, u"5\t4\n3\t\n\t5"_s);
        QCOMPARE(CellBlock::parse(copied).rowCount(), 3);

        // Dragged with the mouse over two cells of a row.
        const QPoint from = view()->cellRect(3, 6).center(), to = view()->cellRect(4, 6).center();
        QTest::mousePress(view()->viewport(), Qt::LeftButton, {}, view()->viewport()->mapFrom(view(), from));
        QTest::mouseMove(view()->viewport(), view()->viewport()->mapFrom(view(), to));
        QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, view()->viewport()->mapFrom(view(), to));
        keys(Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"5\t4"_s);

        paste(3, 4, copied);
        QCOMPARE(CellBlock::format(journal(), 3, 4, 2, 3), copied);
        QCOMPARE(messages().errors(), QStringList());
    }
};

QTEST_MAIN(TestUndo)
#include "test_undo.moc"
