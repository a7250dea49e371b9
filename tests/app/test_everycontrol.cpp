#include "fixtureroot.h"
#include "../rating/xlsxreader.h"

#include "access/authorcontacts.h"
#include "access/ui/tparoli1.h"
#include "access/ui/tzapusk.h"
#include "app/tform1.h"
#include "journal/ui/historydialog.h"
#include "journal/ui/versionsdialog.h"
#include "controls/helpviewer.h"
#include "controls/gridview.h"
#include "controls/handler.h"
#include "doubles/recordingservices.h"
#include "journal/gridfile.h"
#include "journal/ui/tgurnaliform.h"
#include "rating/ui/tprocent.h"
#include "rating/ui/tstolbitogo.h"
#include "themes/ui/ttema.h"

#include <QAbstractButton>
#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QImage>
#include <QTabBar>
#include <QTabWidget>
#include <QDirIterator>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Closes a window as soon as it shows (a modal run would otherwise wait for
// the teacher) and remembers that it showed.
class CloseWhenShown : public QObject
{
public:
    CloseWhenShown(QWidget *window, std::function<void()> close)
    {
        m_timer.setInterval(5);
        connect(&m_timer, &QTimer::timeout, this, [this, window, close = std::move(close)] {
            if (!window->isVisible())
                return;
            shown = true;
            m_timer.stop();
            close();
        });
        m_timer.start();
    }
    bool shown = false;

private:
    QTimer m_timer;
};

QString yesNo(bool value)
{
    return value ? QStringLiteral("yes") : QStringLiteral("no");
}

// The cells of one column from `first` down, joined with "|".
QString column(const Grid &grid, int col, int first = 1)
{
    QStringList cells;
    for (int r = first; r < grid.rowCount(); ++r)
        cells << grid.cell(col, r);
    return cells.join(QLatin1Char('|'));
}

// The cells of one row from `first` right, joined with "|".
QString row(const Grid &grid, int r, int first)
{
    QStringList cells;
    for (int c = first; c < grid.colCount(); ++c)
        cells << grid.cell(c, r);
    return cells.join(QLatin1Char('|'));
}

// A cell of a grid file as it now stands on disk.
QString savedCell(const QString &file, int col, int r)
{
    try {
        Grid saved;
        ReadGridFile(file, saved);
        return saved.cell(col, r);
    } catch (const std::exception &) {
        return QStringLiteral("<unreadable>");
    }
}

int savedRows(const QString &file)
{
    try {
        Grid saved;
        ReadGridFile(file, saved);
        return saved.rowCount();
    } catch (const std::exception &) {
        return -1;
    }
}

} // namespace

// Every button and menu item of every window, pressed as the teacher presses
// it (a mouse click on the button, the menu item triggered), and the one thing
// on screen, on disk or in the desktop that shows its handler ran.
class TestEveryControl : public QObject
{
    Q_OBJECT

    struct Press
    {
        const char *window;   // the window's object name
        const char *control;  // the button's or menu item's object name
        const char *scenario; // what makes this row differ from another of the control
        std::function<void()> setUp;
        std::function<QString()> observe; // what the teacher sees of the effect
        QString expected;                 // ... after the press
    };

    // Controls whose handlers are not built yet: pressing them shows nothing.
    inline static const QList<QPair<QString, QString>> kNoEffectYet = {};

    std::unique_ptr<WindowSession> m_session;
    std::unique_ptr<CloseWhenShown> m_closer;
    QList<Press> m_presses;

    RecordingMessages &messages() const { return m_session->messages; }
    RecordingPlatform &platform() const { return m_session->platform; }
    FixtureRoot &root() const { return m_session->root; }
    TForm1 *f() const { return running().form1; }
    TTema *tema() const { return running().tema; }
    TGurnaliForm *g() const { return running().gurnali; }
    Grid &journal() const { return session().journal(); }
    Grid &themes() const { return session().themes(); }
    Grid &itog() const { return session().itog(); }
    Grid &catalogue() const { return session().catalogue(); }

    QList<QWidget *> windows() const
    {
        const Program &p = running();
        return {p.zapusk, p.form1, p.stolbItogo, p.tema, p.procent, p.gurnali, p.paroli};
    }
    QWidget *window(const QString &name) const
    {
        for (QWidget *w : windows())
            if (w->objectName() == name)
                return w;
        return nullptr;
    }
    GridView *view(QWidget *window, const char *name) const { return ctl<GridView>(window, QLatin1String(name)); }
    QString text(QWidget *window, const char *name) const { return ctl<QLineEdit>(window, QLatin1String(name))->text(); }

    // A mouse click on a cell of a grid, as the teacher selects a row or column.
    static void clickCell(GridView *v, int col, int r)
    {
        QVERIFY(v && v->isVisible());
        const QRect cell = v->cellRect(col, r);
        QVERIFY2(!cell.isEmpty(), qPrintable(QStringLiteral("%1 (%2, %3)").arg(v->objectName()).arg(col).arg(r)));
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->viewport()->mapFrom(v, cell.center()));
    }
    void closeWhenShown(QWidget *window, std::function<void()> close)
    {
        m_closer = std::make_unique<CloseWhenShown>(window, std::move(close));
    }
    void closeWhenShown(QDialog *dialog)
    {
        closeWhenShown(dialog, [dialog] { dialog->reject(); });
    }
    bool m_loginShownBehind = true;
    QString closedAfterShowing() const { return QStringLiteral("shown %1").arg(yesNo(m_closer && m_closer->shown)); }
    QString boldness(QWidget *window, const char *grid) const
    {
        return QStringLiteral("bold grid %1, bold caption %2")
            .arg(yesNo(view(window, grid)->gridFont().bold()), yesNo(ctl<QAbstractButton>(window, QStringLiteral("GirOb"))->font().bold()));
    }
    QString lessons() const
    {
        return QStringLiteral("%1 columns: %2; dynamics %3 columns")
            .arg(journal().colCount())
            .arg(row(journal(), 2, 2))
            .arg(session().summi().colCount());
    }
    QString students() const { return QStringLiteral("%1 rows: %2").arg(journal().rowCount()).arg(column(journal(), 1, 4)); }
    QString plan() const { return QStringLiteral("%1, selected %2").arg(column(themes(), 1), text(tema(), "StrTemi")); }
    // The documents in the reports folder, by name without their moment, and how many were opened.
    QString reportsWritten() const
    {
        QStringList names;
        for (const QString &file : QDir(root().file(u"Отчёты"_s)).entryList(QDir::Files, QDir::Name))
            names << file.section(u' ', 0, -3);
        return QStringLiteral("written %1, opened %2").arg(names.join(u','), QString::number(platform().opened.size()));
    }
    QString previewsShown() const
    {
        return QStringLiteral("previews %1, %2").arg(platform().previews.join(u','), reportsWritten());
    }
    QString entries() const { return QStringLiteral("%1, selected %2").arg(column(catalogue(), 1), text(g(), "StrGurn")); }

    // All a press could change that the teacher would notice: windows, boxes,
    // desktop requests, grids, marks and files.
    QString everythingVisible() const
    {
        QStringList out;
        for (QWidget *w : windows())
            out << w->objectName() + QLatin1Char(' ') + yesNo(w->isVisible()) + QLatin1Char(' ')
                       + w->palette().color(QPalette::Window).name();
        for (const auto &box : messages().shown)
            out << box.caption + QLatin1Char('|') + box.text;
        out << platform().opened << platform().addresses << QString::number(platform().prints);
        for (const Grid *grid : {&journal(), &themes(), &itog(), &catalogue(), &session().summi(), &session().uspev()}) {
            out << QStringLiteral("%1x%2 fixed %3x%4").arg(grid->colCount()).arg(grid->rowCount()).arg(grid->fixedCols()).arg(grid->fixedRows());
            for (int c = 0; c < grid->colCount(); ++c)
                out << column(*grid, c, 0);
        }
        for (QWidget *w : windows())
            for (GridView *v : w->findChildren<GridView *>())
                out << QStringLiteral("%1 marks %2 bold %3 row %4").arg(v->objectName()).arg(v->markCount()).arg(v->gridFont().bold()).arg(v->currentRow());
        for (QWidget *w : windows())
            for (QLineEdit *e : w->findChildren<QLineEdit *>())
                out << e->objectName() + QLatin1Char('=') + e->text();
        QDirIterator files(root().path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QFileInfo file(files.next());
            out << QStringLiteral("%1 %2 %3").arg(file.filePath()).arg(file.size()).arg(file.lastModified().toMSecsSinceEpoch());
        }
        return out.join(QLatin1Char('\n'));
    }

    void buildPresses()
    {
        m_presses = {
            // ---- The main window's menu ----
            {"Form1", "N10", "", [this] { closeWhenShown(g()); }, [this] { return QStringLiteral("catalogue ") + closedAfterShowing(); },
             u"catalogue shown yes"_s},
            {"Form1", "Otmenit", "", [this] {
                 clickCell(view(f(), "SpisokSt"), 3, 5);
                 QTest::mouseClick(ctl<QAbstractButton>(f(), u"MinusStr"_s), Qt::LeftButton);
             },
             [this] { return students(); }, u"7 rows: Андреев Антон|Борисова Вера|Васильев Глеб"_s},
            {"Form1", "Povtorit", "", [this] {
                 clickCell(view(f(), "SpisokSt"), 3, 5);
                 QTest::mouseClick(ctl<QAbstractButton>(f(), u"MinusStr"_s), Qt::LeftButton);
                 ctl<QAction>(f(), u"Otmenit"_s)->trigger();
             },
             [this] { return students(); }, u"6 rows: Андреев Антон|Васильев Глеб"_s},
            {"Form1", "Istoriya", "", [this] { closeWhenShown(f()->findChild<HistoryDialog *>()); },
             [this] { return QStringLiteral("history ") + closedAfterShowing(); }, u"history shown yes"_s},
            {"Form1", "Versii", "", [this] { closeWhenShown(f()->findChild<VersionsDialog *>()); },
             [this] { return QStringLiteral("versions ") + closedAfterShowing(); }, u"versions shown yes"_s},
            {"Form1", "IstoriyaYacheyki", "", [this] {
                 clickCell(view(f(), "SpisokSt"), 3, 5);
                 closeWhenShown(f()->findChild<HistoryDialog *>());
             },
             [this] { return QStringLiteral("cell history ") + closedAfterShowing(); }, u"cell history shown yes"_s},
            {"Form1", "N6", "", [this] { tema()->hide(); }, [this] { return QStringLiteral("plan shown ") + yesNo(tema()->isVisible()); },
             u"plan shown yes"_s},
            {"Form1", "N4", "", [this] { QDir(root().path()).mkpath(QStringLiteral("Help")); root().write(QStringLiteral("Help/Help.chm"), "x"); },
             [this] { return QStringLiteral("opened ") + platform().opened.join(QLatin1Char(',')).replace(root().path(), QStringLiteral("<root>")); },
             u"opened <root>/Help/Help.chm"_s},
            {"Form1", "N7", "", [this] { closeWhenShown(running().procent); }, [this] { return QStringLiteral("scale ") + closedAfterShowing(); },
             u"scale shown yes"_s},
            {"Form1", "N3", "", {}, [this] { return QStringLiteral("browser ") + platform().addresses.join(QLatin1Char(',')); },
             QStringLiteral("browser ") + QLatin1String(AuthorContacts::kSite)},
            {"Form1", "N2", "", {}, [this] { return QStringLiteral("printed %1 times").arg(platform().prints); }, u"printed 1 times"_s},
            // An edit typed and not saved is in the book, with the results recalculated from it.
            {"Form1", "EksportXlsx", "", [this] {
                 clickCell(view(f(), "SpisokSt"), 3, 4);
                 QTest::keyClick(view(f(), "SpisokSt"), Qt::Key_2);
                 QTest::keyClick(view(f(), "SpisokSt"), Qt::Key_Return);
                 platform().saveAnswers << root().file(u"итоги"_s);
             },
             [this] {
                 const ReadXlsx book = readXlsxFile(root().file(u"итоги.xlsx"_s));
                 if (!book.ok)
                     return QStringLiteral("no book");
                 const ReadXlsx::Cell *score = book.sheet(u"Журнал"_s)->at(3, 4);
                 const ReadXlsx::Cell *sum = book.sheet(u"Итоги"_s)->at(2, 1);
                 return QStringLiteral("score %1 %2, sum %3 %4, asked %5")
                     .arg(score->type, score->text, sum->type, sum->text, platform().saveQuestions.join(u';').section(u'|', 0, 0));
             },
             u"score n 2, sum n 18.75, asked Экспорт в Excel"_s},
            {"Form1", "N5", "", {}, [this] { return QStringLiteral("browser ") + platform().addresses.join(QLatin1Char(',')); },
             QStringLiteral("browser ") + QLatin1String(AuthorContacts::kMailForm)},
            {"Form1", "N8", "", [this] { closeWhenShown(running().paroli); },
             [this] { return QStringLiteral("access editor ") + closedAfterShowing(); }, u"access editor shown yes"_s},
            {"Form1", "N1", "", {},
             [this] { return QStringLiteral("journal window %1, plan %2").arg(yesNo(f()->isVisible()), yesNo(tema()->isVisible())); },
             u"journal window no, plan no"_s},

            // ---- The main window's buttons ----
            {"Form1", "SaveTab", "", [this] {
                 journal().setCell(2, 5, QStringLiteral("5"));
                 messages().answers = {true};
             },
             [this] {
                 QStringList asked;
                 for (const auto &box : messages().shown)
                     asked << box.caption;
                 return QStringLiteral("on disk %1, asked %2").arg(savedCell(root().file(QStringLiteral("G1/Inf/SpStud.txt")), 2, 5), asked.join(QLatin1Char(',')));
             },
             u"on disk 5, asked Такая папка есть"_s},
            {"Form1", "SaveTab", " (new journal)", [this] {
                 ctl<QLineEdit>(f(), QStringLiteral("PapkaName"))->setText(QStringLiteral("Fiz"));
                 messages().answers = {true};
                 closeWhenShown(g());
             },
             [this] {
                 return QStringLiteral("catalogue %1, %2 entries, journal written %3")
                     .arg(closedAfterShowing())
                     .arg(savedRows(root().file(QStringLiteral("Baza/Gurnali.txt"))) - 1)
                     .arg(yesNo(QFileInfo(root().file(QStringLiteral("G1/Fiz/SpStud.txt"))).isFile()));
             },
             u"catalogue shown yes, 3 entries, journal written yes"_s},
            {"Form1", "RedSpisok", "", {},
             [this] { return QStringLiteral("fixed %1 columns, %2 rows").arg(journal().fixedCols()).arg(journal().fixedRows()); },
             u"fixed 0 columns, 0 rows"_s},
            {"Form1", "GirOb", "", {}, [this] { return boldness(f(), "SpisokSt"); }, u"bold grid no, bold caption yes"_s},
            {"Form1", "BitBtn1", "", {}, [this] { return QStringLiteral("fixed %1 columns").arg(journal().fixedCols()); }, u"fixed 1 columns"_s},
            {"Form1", "TekOcen", "", {}, [this] { return QStringLiteral("%1 marks").arg(view(f(), "SpisokSt")->markCount()); }, u"3 marks"_s},
            {"Form1", "Obnovit", "", [this] { clickCell(view(f(), "SpisokSt"), 3, 5); },
             [this] { return QStringLiteral("%1 marks").arg(view(f(), "SpisokSt")->markCount()); }, u"0 marks"_s},
            {"StolbItogo", "SaveRisunok", "", [this] {
                 auto *pages = running().stolbItogo->findChild<QTabWidget *>(u"Vkladki"_s);
                 QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(1).center());
                 platform().saveAnswers << root().file(u"динамика.png"_s);
             },
             [this] {
                 const QImage picture(root().file(u"динамика.png"_s));
                 return QStringLiteral("picture %1").arg(picture.isNull() ? u"none"_s : yesNo(picture.width() > 100 && picture.height() > 100));
             },
             u"picture yes"_s},
            {"Form1", "Dinamika", "", [this] {
                 running().stolbItogo->hide();
                 clickCell(view(f(), "SpisokSt"), 3, 5);
             },
             [this] {
                 return QStringLiteral("dynamics shown %1 for %2").arg(yesNo(running().stolbItogo->isVisible()), session().summi().cell(1, 1));
             },
             u"dynamics shown yes for Борисова Вера"_s},
            {"Form1", "Provodnik", "", {},
             [this] {
                 const QString dataRoot = QDir::toNativeSeparators(root().path());
                 return QStringLiteral("opened ") + platform().opened.join(QLatin1Char(',')).replace(dataRoot, QStringLiteral("<data root>"));
             },
             u"opened <data root>"_s},
            {"Form1", "PlusStr", "", [this] { clickCell(view(f(), "SpisokSt"), 3, 4); }, [this] { return students(); },
             u"8 rows: Андреев Антон||Борисова Вера|Васильев Глеб"_s},
            {"Form1", "MinusStr", "", [this] { clickCell(view(f(), "SpisokSt"), 3, 5); }, [this] { return students(); },
             u"6 rows: Андреев Антон|Васильев Глеб"_s},
            {"Form1", "DelStroki", "", [this] { clickCell(view(f(), "SpisokSt"), 3, 4); }, [this] { return students(); },
             u"5 rows: Андреев Антон"_s},
            {"Form1", "PlusStolb", "", [this] { clickCell(view(f(), "SpisokSt"), 3, 5); }, [this] { return lessons(); },
             u"6 columns: Т1|кт1|кт1|Т2; dynamics 6 columns"_s},
            {"Form1", "MinusStolb", "", [this] { clickCell(view(f(), "SpisokSt"), 3, 5); }, [this] { return lessons(); },
             u"4 columns: Т1|Т2; dynamics 4 columns"_s},
            {"Form1", "DelStolbi", "", [this] { clickCell(view(f(), "SpisokSt"), 2, 5); }, [this] { return lessons(); },
             u"3 columns: Т1; dynamics 3 columns"_s},
            {"Form1", "Peres4et", "", [this] { journal().setCell(2, 5, QStringLiteral("5")); },
             [this] { return QStringLiteral("sums ") + column(itog(), 2); }, u"sums 20,75|10|11"_s},
            {"Form1", "Rang", "", {}, [this] { return QStringLiteral("order ") + column(itog(), 1); },
             u"order Андреев Антон|Васильев Глеб|Борисова Вера"_s},
            {"Form1", "Grafik", "", {}, [this] { return QStringLiteral("bars drawn ") + yesNo(view(f(), "Itog")->markCount() > 0); },
             u"bars drawn yes"_s},
            {"Form1", "CopyStolb", "", {},
             [this] { return QStringLiteral("last column %1: %2").arg(journal().cell(journal().colCount() - 1, 2), column(journal(), journal().colCount() - 1, 4)); },
             u"last column Су: 20,75|6|11"_s},
            {"Form1", "SrSt", "", {}, [this] { return QStringLiteral("results ") + column(itog(), 1); },
             u"results Андреев Антон|Борисова Вера|Васильев Глеб|*** среднее ***"_s},
            {"Form1", "PrintRD", "", {}, [this] { return reportsWritten(); }, u"written Накопленный рейтинг, opened 1"_s},
            {"Form1", "Print11", "", [this] { clickCell(view(f(), "SpisokSt"), 3, 5); }, [this] { return reportsWritten(); },
             u"written Досье Борисова Вера, opened 1"_s},
            {"Form1", "Bilet", "", [this] { clickCell(view(f(), "SpisokSt"), 2, 6); }, [this] { return reportsWritten(); },
             u"written Билет Васильев Глеб, opened 1"_s},
            {"Form1", "TemiFakt", "", {}, [this] { return reportsWritten(); }, u"written Темы выполнено, opened 1"_s},
            {"Form1", "Prosmotr", "", {}, [this] { return previewsShown(); }, u"previews Накопленный рейтинг, written , opened 0"_s},
            {"Form1", "ReLoad", "", [this] {
                 journal().setCell(1, 4, QStringLiteral("Другой"));
                 refreshAllGrids();
             },
             [this] { return students(); }, u"7 rows: Андреев Антон|Борисова Вера|Васильев Глеб"_s},

            // ---- The thematic plan ----
            {"Tema", "Redaktir", "", {},
             [this] { return QStringLiteral("fixed rows %1, whole rows %2").arg(themes().fixedRows()).arg(yesNo(view(tema(), "TemiSpisok")->rowSelect())); },
             u"fixed rows 0, whole rows no"_s},
            {"Tema", "GirOb", "", {}, [this] { return boldness(tema(), "TemiSpisok"); }, u"bold grid no, bold caption yes"_s},
            {"Tema", "DobStrNige", "", [this] { clickCell(view(tema(), "TemiSpisok"), 2, 2); }, [this] { return plan(); },
             u"Т1|кт1||Т2, selected 2"_s},
            {"Tema", "PerStroki", "", [this] { clickCell(view(tema(), "TemiSpisok"), 2, 2); }, [this] { return plan(); },
             u"кт1|Т1|Т2, selected 1"_s},
            {"Tema", "DelStroku", "", [this] { clickCell(view(tema(), "TemiSpisok"), 2, 2); }, [this] { return plan(); },
             u"Т1|Т2, selected 2"_s},
            {"Tema", "DelStroki", "", [this] { clickCell(view(tema(), "TemiSpisok"), 2, 1); }, [this] { return plan(); },
             u"Т1, selected 1"_s},

            {"Tema", "PrintRD", "", {}, [this] { return reportsWritten(); }, u"written Тематический план, opened 1"_s},
            {"Tema", "Prosmotr", "", {}, [this] { return previewsShown(); }, u"previews Тематический план, written , opened 0"_s},

            // ---- The journal catalogue ----
            {"GurnaliForm", "Zagruzit", "", [this] {
                 for (const char *name : {"SpStud.txt", "SpTem.txt"})
                     root().write(QStringLiteral("G1/Math/") + QLatin1String(name), root().bytes(QStringLiteral("G1/Inf/") + QLatin1String(name)));
                 clickCell(view(g(), "GurSp"), 1, 2);
             },
             [this] {
                 return QStringLiteral("open %1, folder edit %2, catalogue shown %3")
                     .arg(session().folderPath(), text(f(), "PapkaName"), yesNo(g()->isVisible()));
             },
             u"open G1/Math, folder edit Math, catalogue shown no"_s},
            {"GurnaliForm", "Redaktir", "", {},
             [this] { return QStringLiteral("fixed rows %1, whole rows %2").arg(catalogue().fixedRows()).arg(yesNo(view(g(), "GurSp")->rowSelect())); },
             u"fixed rows 0, whole rows no"_s},
            {"GurnaliForm", "GirOb", "", {}, [this] { return boldness(g(), "GurSp"); }, u"bold grid no, bold caption yes"_s},
            {"GurnaliForm", "DobStrNige", "", [this] { clickCell(view(g(), "GurSp"), 1, 1); }, [this] { return entries(); },
             u"  Inf  ||Math, selected 1"_s},
            {"GurnaliForm", "PerStroki", "", [this] { clickCell(view(g(), "GurSp"), 1, 2); }, [this] { return entries(); },
             u"Math|  Inf  , selected 1"_s},
            {"GurnaliForm", "DelStroku", "", [this] {
                 clickCell(view(g(), "GurSp"), 1, 2);
                 messages().answers = {true};
             },
             [this] {
                 return QStringLiteral("folder G1/Math %1, %2 entries saved, catalogue shown %3")
                     .arg(yesNo(QFileInfo::exists(root().file(QStringLiteral("G1/Math")))))
                     .arg(savedRows(root().file(QStringLiteral("Baza/Gurnali.txt"))) - 1)
                     .arg(yesNo(g()->isVisible()));
             },
             u"folder G1/Math no, 1 entries saved, catalogue shown no"_s},
            {"GurnaliForm", "PrintRD", "", {}, [this] { return reportsWritten(); }, u"written Список журналов, opened 1"_s},
            {"GurnaliForm", "Prosmotr", "", {}, [this] { return previewsShown(); }, u"previews Список журналов, written , opened 0"_s},
            {"GurnaliForm", "SaveTab", "", [this] {
                 catalogue().setCell(7, 2, QStringLiteral("лето"));
                 refreshAllGrids();
             },
             [this] { return QStringLiteral("comment on disk ") + savedCell(root().file(QStringLiteral("Baza/Gurnali.txt")), 7, 2); },
             u"comment on disk лето"_s},

            // ---- The grading scale ----
            {"Procent", "SaveTab", "", [this] {
                 QLineEdit *edit = ctl<QLineEdit>(running().procent, QStringLiteral("TriProc"));
                 edit->setFocus();
                 edit->selectAll();
                 QTest::keyClicks(edit, QStringLiteral("60"));
             },
             [this] { return QStringLiteral("scale file ") + QString::fromLatin1(root().bytes(QStringLiteral("Baza/Pasport.txt"))).replace(QStringLiteral("\r\n"), QStringLiteral(" ")); },
             u"scale file 60 75 90 "_s},

            // ---- The login window ----
            {"Zapusk", "Dalee", "", [this] {
                 f()->N1Click();
                 closeWhenShown(f(), [this] {
                     m_loginShownBehind = running().zapusk->isVisible();
                     f()->N1Click();
                 });
             },
             [this] {
                 return QStringLiteral("journal window %1, login behind it %2, login shown %3")
                     .arg(closedAfterShowing(), yesNo(m_loginShownBehind), yesNo(running().zapusk->isVisible()));
             },
             u"journal window shown yes, login behind it no, login shown no"_s},
            {"Zapusk", "dxfColorButton1", "", {}, [this] { return QStringLiteral("login shown ") + yesNo(running().zapusk->isVisible()); },
             u"login shown no"_s},
            {"Zapusk", "OpisProgr", "", {},
             [this] {
                 const auto *viewer = running().zapusk->findChild<HelpViewer *>(u"HelpViewer"_s);
                 return QStringLiteral("help shown %1 at %2").arg(yesNo(viewer && viewer->isVisible()), viewer ? viewer->source().fileName() : QString());
             },
             u"help shown yes at vhod.html"_s},
            {"Zapusk", "dxfColorButton2", "", {}, [this] { return QStringLiteral("browser ") + platform().addresses.join(QLatin1Char(',')); },
             QStringLiteral("browser ") + QLatin1String(AuthorContacts::kSite)},
            {"Zapusk", "Pismo", "", {},
             [this] { return QStringLiteral("letter to ") + platform().addresses.value(0).section(QLatin1Char('?'), 0, 0); },
             QStringLiteral("letter to mailto:") + QLatin1String(AuthorContacts::kMail)},

            // ---- The access editor ----
            {"Paroli1", "ZapDostup", "", [this] { root().remove(QStringLiteral("Dostup.dat")); },
             [this] {
                 QStringList boxes;
                 for (const auto &box : messages().shown)
                     boxes << box.caption;
                 return QStringLiteral("file %1 bytes, %2").arg(QFileInfo(root().file(QStringLiteral("Dostup.dat"))).size()).arg(boxes.join(QLatin1Char(',')));
             },
             u"file 192 bytes, Изменения вступят после этого"_s},
        };
    }

    // The named buttons of every window and the main window's menu items, but
    // the holder of the submenu.
    QStringList controlsOnScreen() const
    {
        QStringList out;
        for (QWidget *w : windows()) {
            for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
                if (b->window() == w && !b->objectName().isEmpty() && !b->objectName().startsWith(QLatin1String("qt_"))
                    && !qobject_cast<QTabBar *>(b->parentWidget())) // a tab bar's own scroll arrows
                    out << w->objectName() + QLatin1Char('/') + b->objectName();
            for (QAction *a : w->findChildren<QAction *>())
                if (!a->objectName().isEmpty() && !a->objectName().startsWith(QLatin1String("qt_")) && !a->menu())
                    out << w->objectName() + QLatin1Char('/') + a->objectName();
        }
        out.sort();
        out.removeDuplicates();
        return out;
    }

private Q_SLOTS:
    void initTestCase() { buildPresses(); }
    void init()
    {
        m_session = std::make_unique<WindowSession>();
        f()->resize(1200, 700);
        f()->show();
        QVERIFY(QTest::qWaitForWindowExposed(f()));
        QTRY_COMPARE(journal().colCount(), 5); // the first showing has loaded the journal
        QCOMPARE(messages().errors(), QStringList());
    }
    void cleanup()
    {
        m_closer.reset();
        f()->N1Click();
        m_session.reset();
    }

    void everyControlIsPressedBelow()
    {
        QStringList pressed;
        for (const Press &p : std::as_const(m_presses))
            pressed << QLatin1String(p.window) + QLatin1Char('/') + QLatin1String(p.control);
        for (const auto &[w, c] : kNoEffectYet)
            pressed << w + QLatin1Char('/') + c;
        pressed.sort();
        pressed.removeDuplicates();
        QCOMPARE(controlsOnScreen(), pressed);
    }

    void pressShowsItsEffect_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("press"); // index into the table; -1 for no effect yet
        for (int i = 0; i < m_presses.size(); ++i) {
            const Press &p = m_presses.at(i);
            QTest::addRow("%s/%s%s", p.window, p.control, p.scenario) << QString::fromLatin1(p.window) << QString::fromLatin1(p.control) << i;
        }
        for (const auto &[w, c] : kNoEffectYet)
            QTest::addRow("%s/%s (no effect yet)", qPrintable(w), qPrintable(c)) << w << c << -1;
    }
    void pressShowsItsEffect()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, press);
        QWidget *w = this->window(window);
        QVERIFY2(w, qPrintable(window));
        QAction *action = ctl<QAction>(w, control);
        QAbstractButton *button = ctl<QAbstractButton>(w, control);
        QVERIFY2(action || button, qPrintable(control));
        if (!w->isVisible()) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
        const Press *p = press >= 0 ? &m_presses.at(press) : nullptr;
        if (p && p->setUp) {
            p->setUp();
            if (QTest::currentTestFailed())
                return;
        }
        const std::function<QString()> observe = p ? p->observe : [this] { return everythingVisible(); };
        const QString before = observe();
        const QString expected = p ? p->expected : before;
        if (p)
            QVERIFY2(before != expected, qPrintable(QStringLiteral("the effect is there before the press: ") + before));

        if (action) {
            QVERIFY(action->isEnabled());
            action->trigger();
        } else if (window == QLatin1String("Form1") && control == QLatin1String("ReLoad")) {
            // Never shown on the window: nothing but its own click reaches it.
            QVERIFY(button->isHidden() && button->isEnabled());
            button->click();
        } else {
            QVERIFY2(button->isVisible() && button->isEnabled(), qPrintable(control));
            QTest::mouseClick(button, Qt::LeftButton);
        }

        QCOMPARE(observe(), expected);
        QCOMPARE(messages().errors(), QStringList());
    }
};

QTEST_MAIN(TestEveryControl)
#include "test_everycontrol.moc"
