#include "../app/fixtureroot.h"
#include "docxreader.h"

#include "app/tform1.h"
#include "controls/gridview.h"
#include "controls/handler.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QDir>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Platform services whose desktop opens nothing.
class NothingOpens : public RecordingPlatform
{
public:
    bool openPath(const QString &path) override
    {
        opened << path;
        return false;
    }
};

} // namespace

// The print buttons of the windows, pressed as the teacher presses them: each
// writes its document into the data root's reports folder and opens it; the
// document is the one "zhurnal report" makes of the same journal.
class TestPrintButtons : public QObject
{
    Q_OBJECT

    std::unique_ptr<WindowSession> m_session;

    TForm1 *f() const { return running().form1; }
    QString today() const { return QDate::currentDate().toString(u"dd.MM.yyyy"_s); }
    QString reportsFolder() const { return m_session->root.file(u"Отчёты"_s); }
    QStringList written() const
    {
        return QDir(reportsFolder()).entryList({u"*.docx"_s}, QDir::Files, QDir::Name);
    }
    void press(QWidget *window, const char *name)
    {
        if (!window->isVisible()) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }
        auto *button = ctl<QToolButton>(window, QLatin1String(name));
        QVERIFY2(button && button->isVisible(), name);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    void clickCell(GridView *v, int col, int r)
    {
        const QRect cell = v->cellRect(col, r);
        QVERIFY(!cell.isEmpty());
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->viewport()->mapFrom(v, cell.center()));
    }
    void typeInto(QWidget *window, const char *edit, const QString &text)
    {
        auto *e = ctl<QLineEdit>(window, QLatin1String(edit));
        QVERIFY(e);
        e->setFocus();
        e->selectAll();
        // Key by key, as typed on a Russian layout: each press carries its character.
        for (QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, e, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QCOMPARE(e->text(), text);
    }
    // The one document a press wrote, read back; it must also be the one opened.
    ReadDocx theDocument(const QString &name)
    {
        const QStringList files = written();
        if (files.size() != 1)
            return {};
        const QString file = files.first();
        if (!file.startsWith(name + u' ' + today() + u' ') || !file.endsWith(u".docx"_s))
            return {};
        const QString path = QDir(reportsFolder()).filePath(file);
        if (m_session->platform.opened != QStringList{path})
            return {};
        return readDocxFile(path);
    }
    // What "zhurnal report" writes for the same journal.
    ReadDocx commandDocument(const QStringList &args)
    {
        const QString out = m_session->root.file(u"command.docx"_s);
        QProcess p;
        p.start(QStringLiteral(ZHURNAL_BINARY), QStringList{u"report"_s} + args
                                                    + QStringList{u"--data"_s, m_session->root.path(), u"-o"_s, out});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return {};
        ReadDocx d = readDocxFile(out);
        QFile::remove(out);
        return d;
    }
    static void sameDocument(const ReadDocx &window, const ReadDocx &command)
    {
        QVERIFY2(window.ok, qPrintable(window.error));
        QVERIFY2(command.ok, qPrintable(command.error));
        QCOMPARE(window.documentXml, command.documentXml);
    }

private Q_SLOTS:
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        f()->resize(1200, 700);
        f()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        QTRY_COMPARE(session().journal().colCount(), 5);
        // Recalculated with the scale the load read, as the command does.
        press(f(), "Peres4et");
        QCOMPARE(m_session->messages.errors(), QStringList());
    }
    void cleanup()
    {
        f()->N1Click();
        m_session.reset();
    }

    void journalTable()
    {
        press(f(), "PrintRD");
        QCOMPARE(m_session->messages.errors(), QStringList());
        const ReadDocx d = theDocument(u"Накопленный рейтинг"_s);
        QVERIFY2(d.ok, qPrintable(written().join(u", "_s)));
        QCOMPARE(d.paragraphs().at(0), u"Накопленный рейтинг     На %1   Папка Inf"_s.arg(today()));
        QCOMPARE(d.tables.size(), 2);
        QCOMPARE(d.tables.at(0).cells.size(), 5);
        sameDocument(d, commandDocument({u"journal"_s, u"G1/Inf"_s, u"--date"_s, today()}));
    }

    // Unsaved edits of the heading and of the scale are what the report prints.
    void journalTableTakesEditsAsTyped()
    {
        typeInto(f(), "Gruppa", u"Г-2 "_s);
        running().procent->show();
        typeInto(running().procent, "TriProc", u"60"_s);
        running().procent->hide();
        press(f(), "PrintRD");
        const ReadDocx d = theDocument(u"Накопленный рейтинг"_s);
        QVERIFY(d.ok);
        QCOMPARE(d.paragraphs().at(1), u"Группа Г-2 "_s);
        QCOMPARE(d.tables.at(1).cells.at(3).at(3), u">= 60"_s); // "Удовлетворительно"
        QCOMPARE(d.tables.at(1).cells.at(4).at(3), u"<  60"_s);
    }

    void dossier()
    {
        clickCell(ctl<GridView>(f(), u"SpisokSt"_s), 3, 5); // Борисова Вера
        running().stolbItogo->hide();
        ctl<GridView>(f(), u"SpisokSt"_s)->setCurrentRow(4);
        press(f(), "Print11");
        QCOMPARE(m_session->messages.errors(), QStringList());
        const ReadDocx d = theDocument(u"Досье Борисова Вера"_s);
        QVERIFY2(d.ok, qPrintable(written().join(u", "_s)));
        QCOMPARE(d.paragraphs().at(0), u"Борисова Вера       На %1"_s.arg(today()));
        QCOMPARE(ctl<GridView>(f(), u"SpisokSt"_s)->currentRow(), 5);
        QVERIFY(!running().stolbItogo->isVisible()); // closed once the document is done
        QCOMPARE(session().itog().cell(1, 1), u"Андреев Антон"_s);
        sameDocument(d, commandDocument({u"dossier"_s, u"G1/Inf"_s, u"--student"_s, u"Борисова Вера"_s, u"--date"_s, today()}));
    }

    // After "Σ→" the journal has a column the dynamics window lacks: the
    // dossier is still made, the sum printed as that lesson's score.
    void dossierAfterSumColumn()
    {
        press(f(), "CopyStolb");
        QCOMPARE(m_session->messages.errors(), QStringList());
        const int sumCol = session().journal().colCount() - 1;
        QCOMPARE(session().journal().cell(sumCol, 2), u"Су"_s);
        QCOMPARE(session().summi().colCount(), sumCol);
        clickCell(ctl<GridView>(f(), u"SpisokSt"_s), 2, 5); // Борисова Вера
        press(f(), "Print11");
        QCOMPARE(m_session->messages.errors(), QStringList());
        const ReadDocx d = theDocument(u"Досье Борисова Вера"_s);
        QVERIFY2(d.ok, qPrintable(written().join(u", "_s)));
        QCOMPARE(d.tables.at(0).cells.size(), sumCol);
        QCOMPARE(d.tables.at(0).cells.last(), (QStringList{QString::number(sumCol - 1), u""_s, u"Су"_s, u"1"_s,
                                                           session().journal().cell(sumCol, 5), u""_s, u""_s, u""_s, u""_s}));
        QVERIFY(!running().stolbItogo->isVisible());
    }

    // No student chosen: no document, the status bar says why, the dynamics
    // window is open and the results are ranked.
    void dossierWithoutStudent()
    {
        running().stolbItogo->hide();
        press(f(), "Print11");
        QCOMPARE(written(), QStringList());
        QCOMPARE(m_session->messages.errors(), QStringList());
        QVERIFY2(ctl<QStatusBar>(f(), u"StatusBar"_s)->currentMessage().startsWith(u"Сначала выберите ученика"_s),
                 qPrintable(ctl<QStatusBar>(f(), u"StatusBar"_s)->currentMessage()));
        QVERIFY(running().stolbItogo->isVisible());
        QCOMPARE(session().itog().cell(1, 3), u"Борисова Вера"_s); // ranked: the smallest sum last
    }

    // A name that matches nobody: the message, no document, the dynamics window stays.
    void ticketForNobody()
    {
        typeInto(f(), "FIO", u"Никто"_s);
        press(f(), "Bilet");
        QCOMPARE(m_session->messages.errors(), QStringList{u"Ученик «Никто» не найден в журнале"_s});
        QCOMPARE(written(), QStringList());
        QVERIFY(running().stolbItogo->isVisible());
        QCOMPARE(ctl<GridView>(f(), u"SpisokSt"_s)->currentRow(), 4);
    }

    void ticket()
    {
        clickCell(ctl<GridView>(f(), u"SpisokSt"_s), 2, 6); // Васильев Глеб
        press(f(), "Bilet");
        QCOMPARE(m_session->messages.errors(), QStringList());
        const ReadDocx d = theDocument(u"Билет Васильев Глеб"_s);
        QVERIFY2(d.ok, qPrintable(written().join(u", "_s)));
        QCOMPARE(d.tables.at(0).cells.size(), 2);
        QCOMPARE(d.tables.at(0).cells.at(1).at(8), u"*** Алгоритмы"_s);
        QVERIFY(!running().stolbItogo->isVisible());
        sameDocument(d, commandDocument({u"ticket"_s, u"G1/Inf"_s, u"--student"_s, u"Васильев Глеб"_s, u"--date"_s, today()}));
    }

    void themesDone()
    {
        press(f(), "TemiFakt");
        QCOMPARE(m_session->messages.errors(), QStringList());
        const ReadDocx d = theDocument(u"Темы выполнено"_s);
        QVERIFY2(d.ok, qPrintable(written().join(u", "_s)));
        QCOMPARE(d.paragraphs().at(0), u"Группа  G1    Семестр 1    год 2026  осень"_s);
        QVERIFY(!running().stolbItogo->isVisible());
        sameDocument(d, commandDocument({u"themes"_s, u"G1/Inf"_s, u"--date"_s, today()}));
    }

    // The plan's button prints the heading the main window shows, edited or not.
    void thematicPlan()
    {
        sameDocument([this] {
            press(running().tema, "PrintRD");
            return theDocument(u"Тематический план"_s);
        }(),
                     commandDocument({u"plan"_s, u"G1/Inf"_s, u"--date"_s, today()}));
        QDir(reportsFolder()).removeRecursively();
        m_session->platform.opened.clear();
        typeInto(f(), "PredmNaz", u"Алгоритмика"_s);
        press(running().tema, "PrintRD");
        const ReadDocx d = theDocument(u"Тематический план"_s);
        QVERIFY(d.ok);
        QCOMPARE(d.paragraphs().at(1), u"Группа  G1    Семестр 1   Предмет Алгоритмика   Папка Inf"_s);
        QCOMPARE(d.tables.at(0).cells.at(3), (QStringList{u"3"_s, u"Т2"_s, u"1,5"_s, u"Циклы"_s}));
    }

    // Unsaved edits of the catalogue are printed.
    void catalogue()
    {
        TGurnaliForm *g = running().gurnali;
        g->show();
        QVERIFY(QTest::qWaitForWindowExposed(g));
        session().catalogue().setCell(7, 2, u"весна-лето"_s);
        refreshAllGrids();
        press(g, "PrintRD");
        QCOMPARE(m_session->messages.errors(), QStringList());
        const ReadDocx d = theDocument(u"Список журналов"_s);
        QVERIFY2(d.ok, qPrintable(written().join(u", "_s)));
        QCOMPARE(d.tables.at(0).cells.at(2), (QStringList{u"2"_s, u"Math"_s, u"G1"_s, u"2"_s, u"Математика"_s, u"2027"_s,
                                                          u""_s, u""_s, u"вес"_s}));
        g->hide();
    }

    // "Просмотр" shows the report in the print preview and writes no file:
    // the plan's and the catalogue's buttons, and the main window's button
    // (the journal table) with the menu of its arrow, item chosen by the keys.
    void preview_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("item"); // of the main window's menu; -1: the button itself
        QTest::addColumn<QString>("student");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown"); // a line the preview's page shows
        QTest::newRow("journal table: the button") << u"form1"_s << -1 << QString() << u"Накопленный рейтинг"_s << u"Итого"_s;
        QTest::newRow("dossier: the menu") << u"form1"_s << 1 << u"Борисова Вера"_s << u"Досье Борисова Вера"_s << u"Накопленный рейтинг"_s;
        QTest::newRow("ticket") << u"form1"_s << 2 << u"Васильев Глеб"_s << u"Билет Васильев Глеб"_s << u"*** Алгоритмы"_s;
        QTest::newRow("themes") << u"form1"_s << 3 << QString() << u"Темы выполнено"_s << u"Макс"_s;
        QTest::newRow("plan") << u"tema"_s << -1 << QString() << u"Тематический план"_s << u"Циклы"_s;
        QTest::newRow("catalogue") << u"gurnali"_s << -1 << QString() << u"Список журналов"_s << u"Математика"_s;
    }
    void preview()
    {
        QFETCH(QString, window);
        QFETCH(int, item);
        QFETCH(QString, student);
        QFETCH(QString, title);
        QFETCH(QString, shown);
        if (!student.isEmpty())
            typeInto(f(), "FIO", student);
        QWidget *w = window == u"form1"_s ? static_cast<QWidget *>(f())
                     : window == u"tema"_s ? static_cast<QWidget *>(running().tema)
                                           : static_cast<QWidget *>(running().gurnali);
        bool chosen = item < 0;
        if (item >= 0) {
            // The button's menu pops up; Down to the item, Enter.
            QTimer::singleShot(200, this, [item, &chosen] {
                auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
                if (!menu)
                    return;
                for (int i = 0; i <= item; ++i)
                    QTest::keyClick(menu, Qt::Key_Down);
                chosen = menu->activeAction() == menu->actions().at(item);
                QTest::keyClick(menu, Qt::Key_Return);
            });
        }
        if (item >= 0) {
            auto *button = ctl<QToolButton>(w, u"Prosmotr"_s);
            QVERIFY(button && button->isVisible());
            // The arrow at the button's right side opens the menu.
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(button->width() - 3, button->height() / 2));
        } else {
            press(w, "Prosmotr");
        }
        QTRY_VERIFY(chosen);
        QCOMPARE(m_session->messages.errors(), QStringList());
        QCOMPARE(m_session->platform.previews, QStringList{title});
        QCOMPARE(written(), QStringList());
        QCOMPARE(m_session->platform.opened, QStringList());
        QVERIFY(m_session->platform.previewPdf.startsWith("%PDF-"));
        if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
            return;
        QProcess text;
        text.start(u"pdftotext"_s, {u"-layout"_s, u"-enc"_s, u"UTF-8"_s, u"-"_s, u"-"_s});
        text.write(m_session->platform.previewPdf);
        text.closeWriteChannel();
        QVERIFY(text.waitForFinished(30000));
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(page.contains(shown), qPrintable(page));
        QVERIFY2(page.contains(u"Стр. 1 из "_s), qPrintable(page));
        if (w != f())
            w->hide();
    }

    // Nothing opens the document: the message names it and the file stays.
    void nothingOpensTheDocument()
    {
        NothingOpens platform;
        Services::setPlatform(&platform);
        press(f(), "PrintRD");
        Services::setPlatform(&m_session->platform);
        QCOMPARE(platform.opened.size(), 1);
        QCOMPARE(m_session->messages.errors().size(), 1);
        const QString message = m_session->messages.errors().first();
        QVERIFY2(message.contains(QFileInfo(platform.opened.first()).fileName()), qPrintable(message));
        QVERIFY(QFileInfo(platform.opened.first()).isFile());
        // The teacher still sees it, in the preview, and can print it there.
        QCOMPARE(platform.previews, QStringList{u"Накопленный рейтинг"_s});
    }
};

QTEST_MAIN(TestPrintButtons)
#include "test_printbuttons.moc"
