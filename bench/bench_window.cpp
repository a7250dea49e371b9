// Timings of the journal window on a journal of 1000 students × 1000 lessons,
// driven as a teacher drives it, offscreen: from the press of a button to the
// end of the repaint that follows, for the insertion of a student row ("+" of
// "Строк"), of a lesson column ("+" of "Столб"), for the recalculation ("Σ"),
// for Ctrl+Z of a student row's deletion and for Ctrl+V of a 30 × 30 block.
// The dynamics and plan windows are open beside the journal window. Prints the
// median and the best of several presses, in milliseconds of wall time.

#include "app/program.h"
#include "app/tform1.h"
#include "controls/gridview.h"
#include "controls/services.h"
#include "journal/gridfile.h"
#include "syntheticjournal.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <time.h>

// Under callgrind (--collect-atstart=no) only the timed presses are collected.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define BENCH_COLLECT() CALLGRIND_TOGGLE_COLLECT
#else
#define BENCH_COLLECT()
#endif

namespace {

// Answers every Yes/No question with Yes, leaves unsaved edits unsaved, and counts
// the error boxes instead of showing them.
class QuietMessages : public Messages
{
public:
    int errors = 0;
    bool question(QWidget *, const QString &, const QString &, Answer) override { return true; }
    Answer questionWithCancel(QWidget *, const QString &, const QString &) override { return Answer::No; }
    Answer questionWithButtons(QWidget *, const QString &, const QString &, const QString &, const QString &,
                               const QString &) override
    {
        return Answer::Cancel;
    }
    void warning(QWidget *, const QString &, const QString &) override {}
    void information(QWidget *, const QString &, const QString &) override {}
    void error(QWidget *, const QString &text) override
    {
        ++errors;
        std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    }
};

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A data root whose catalogue has one entry, the big journal "G1/Big".
void makeDataRoot(const QString &root, int students, int lessons)
{
    QDir dir(root);
    dir.mkpath(QStringLiteral("Baza"));
    dir.mkpath(QStringLiteral("G1/Big"));
    Grid catalogue(8, 2, 0, 1, 64);
    const char *heads[] = {"№", "Папка", "Группа", "Семестр", "Предмет", "Преподаватель", "Год", "Комментарий"};
    const char *entry[] = {"1", "Big", "G1", "1", "Информатика", "Иванова И. И.", "2026", "осень"};
    for (int c = 0; c < 8; ++c) {
        catalogue.setCell(c, 0, QString::fromUtf8(heads[c]));
        catalogue.setCell(c, 1, QString::fromUtf8(entry[c]));
    }
    WriteGridFile(dir.filePath(QStringLiteral("Baza/Gurnali.txt")), catalogue);
    writeFile(dir.filePath(QStringLiteral("Baza/Pasport.txt")), "50\r\n70\r\n85\r\n");
    WriteGridFile(dir.filePath(QStringLiteral("G1/Big/SpStud.txt")), syntheticJournal(students, lessons));
    Grid themes(4, 3, 0, 1, 64);
    themes.setCell(1, 1, QStringLiteral("т2"));
    themes.setCell(1, 2, QStringLiteral("кт10"));
    WriteGridFile(dir.filePath(QStringLiteral("G1/Big/SpTem.txt")), themes);
}

// Everything the press left to do: posted events, layouts, the repaint.
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

template <class T>
T *control(QWidget *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

// The thread's CPU time: other programs sharing the machine do not count.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) * 1e-6;
}

struct Timing
{
    double median = 0; // wall time
    double best = 0;
    double cpuMedian = 0; // CPU time of the program's thread
    double cpuBest = 0;
    double cpuHandlerMedian = 0; // of which the press's handler, before the repaint
};

// Presses `button` `runs` times; `undo` (not timed) puts the journal back after each.
Timing timePresses(QAbstractButton *button, const std::function<void()> &undo, int runs)
{
    std::vector<double> ms;
    std::vector<double> cpu;
    std::vector<double> handler;
    for (int i = 0; i < runs; ++i) {
        settle();
        BENCH_COLLECT();
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = cpuMs();
        QTest::mouseClick(button, Qt::LeftButton);
        handler.push_back(cpuMs() - cpu0);
        settle();
        cpu.push_back(cpuMs() - cpu0);
        BENCH_COLLECT();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        undo();
        settle();
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::sort(handler.begin(), handler.end());
    return {ms[ms.size() / 2], ms.front(), cpu[cpu.size() / 2], cpu.front(), handler[handler.size() / 2]};
}

// Times `action` (keys, not a button) `runs` times; `prepare` and `putBack`
// (not timed) come before and after each.
Timing timeAction(const std::function<void()> &prepare, const std::function<void()> &action,
                  const std::function<void()> &putBack, int runs)
{
    std::vector<double> ms;
    std::vector<double> cpu;
    std::vector<double> handler;
    for (int i = 0; i < runs; ++i) {
        prepare();
        settle();
        BENCH_COLLECT();
        QElapsedTimer timer;
        timer.start();
        const double cpu0 = cpuMs();
        action();
        handler.push_back(cpuMs() - cpu0);
        settle();
        cpu.push_back(cpuMs() - cpu0);
        BENCH_COLLECT();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        putBack();
        settle();
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpu.begin(), cpu.end());
    std::sort(handler.begin(), handler.end());
    return {ms[ms.size() / 2], ms.front(), cpu[cpu.size() / 2], cpu.front(), handler[handler.size() / 2]};
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    // Offscreen on a screen of 1400 × 900, the size a teacher's screen has.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QString config = dir.filePath(QStringLiteral("screen.json"));
        writeFile(config, R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1400, "height": 900,
                              "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.toLocal8Bit());
    }
    QApplication app(argc, argv);
    const int students = 1000;
    const int lessons = 1000;
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    makeDataRoot(dir.path(), students, lessons);
    QDir::setCurrent(dir.path());
    QuietMessages messages;
    Services::setMessages(&messages);

    Program program(dir.path());
    TForm1 *form = program.form1;
    form->show();
    for (int i = 0; i < 200 && program.session().journal().colCount() != lessons + 2; ++i)
        QTest::qWait(10);
    if (program.session().journal().rowCount() != students + 4) {
        std::fprintf(stderr, "the journal did not load\n");
        return 1;
    }
    settle();

    // A teacher's selection: the first student's second lesson, then the dynamics window.
    auto *journal = control<GridView>(form, "SpisokSt");
    const QRect cell = journal->cellRect(3, 5);
    QTest::mouseClick(journal->viewport(), Qt::LeftButton, {}, journal->viewport()->mapFrom(journal, cell.center()));
    QTest::mouseClick(control<QAbstractButton>(form, "Dinamika"), Qt::LeftButton);
    settle();
    auto *rowNumber = control<QLineEdit>(form, "NStroki");
    auto *colNumber = control<QLineEdit>(form, "NStolbca");
    std::printf("journal %d × %d, selected row %s, column %s; windows shown:", students, lessons, qPrintable(rowNumber->text()),
                qPrintable(colNumber->text()));
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            std::printf(" %s", qPrintable(w->windowTitle().left(24)));
    std::printf("\n");
    std::printf("screen %d × %d, journal window %d × %d, journal grid shows %d rows × %d columns\n",
                form->screen()->geometry().width(), form->screen()->geometry().height(), form->width(), form->height(),
                journal->visibleRows(), journal->visibleCols());

    auto *minusRow = control<QAbstractButton>(form, "MinusStr");
    auto *minusCol = control<QAbstractButton>(form, "MinusStolb");
    // The inserted row (column) is the one below (right of) the selection: select it, delete it, select back.
    const QString row = rowNumber->text();
    const QString col = colNumber->text();
    const Timing rowInsert = timePresses(control<QAbstractButton>(form, "PlusStr"), [&] {
        rowNumber->setText(QString::number(row.toInt() + 1));
        QTest::mouseClick(minusRow, Qt::LeftButton);
        rowNumber->setText(row);
    }, runs);
    const Timing colInsert = timePresses(control<QAbstractButton>(form, "PlusStolb"), [&] {
        colNumber->setText(QString::number(col.toInt() + 1));
        QTest::mouseClick(minusCol, Qt::LeftButton);
        colNumber->setText(col);
    }, runs);
    const Timing recalc = timePresses(control<QAbstractButton>(form, "Peres4et"), [] {}, runs);

    // Ctrl+Z and Ctrl+V act in the journal window (the plan window beside it is left open).
    form->activateWindow();
    for (int i = 0; i < 100 && QApplication::activeWindow() != form; ++i)
        QTest::qWait(10);
    journal->setFocus();
    const auto keys = [journal](Qt::Key key) { QTest::keyClick(journal, key, Qt::ControlModifier); };
    const Grid &grid = program.session().journal();
    int missed = 0;
    const Timing rowUndo = timeAction([&] { QTest::mouseClick(minusRow, Qt::LeftButton); }, [&] { keys(Qt::Key_Z); },
                                      [&] { missed += grid.rowCount() != students + 4; }, runs);
    QString block;
    for (int r = 0; r < 30; ++r) {
        for (int c = 0; c < 30; ++c)
            block += QString::number((r + c) % 5 + 1) + (c < 29 ? QStringLiteral("\t") : QStringLiteral("\r\n"));
    }
    const QString pastedOver = grid.cell(3, 5);
    const Timing paste = timeAction([&] { QGuiApplication::clipboard()->setText(block); }, [&] { keys(Qt::Key_V); },
                                    [&] {
                                        missed += grid.cell(3, 5) != QStringLiteral("1");
                                        keys(Qt::Key_Z);
                                        missed += grid.cell(3, 5) != pastedOver;
                                    },
                                    runs);
    // A score typed into the first student's second lesson, then Enter: the
    // edit ends, is recorded, and the next student's cell is selected.
    // (A score other than the cell's, or the edit would be no undo step.)
    const QString typedOver = grid.cell(3, 5);
    const bool sevenThere = typedOver == QStringLiteral("7");
    const Timing enterMove = timeAction(
        [&] {
            journal->setCurrentCell(3, 5);
            QTest::keyClick(journal, sevenThere ? Qt::Key_8 : Qt::Key_7);
        },
        [&] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); },
        [&] {
            missed += grid.cell(3, 5) != (sevenThere ? QStringLiteral("8") : QStringLiteral("7")) || journal->currentRow() != 6;
            keys(Qt::Key_Z);
            missed += grid.cell(3, 5) != typedOver;
        },
        runs);
    if (missed)
        std::fprintf(stderr, "%d undo, paste or Enter keys did not act\n", missed);

    if (program.session().journal().rowCount() != students + 4 || program.session().journal().colCount() != lessons + 2)
        std::fprintf(stderr, "the journal did not come back to its size\n");
    std::printf("from the press to the end of the repaint, %d presses each, target 16 ms:\n", runs);
    std::printf("                        wall median   best | CPU median   best (handler before the repaint)\n");
    auto line = [](const char *what, const Timing &t) {
        std::printf("  %-20s %9.2f ms %6.2f | %7.2f ms %6.2f (%.2f ms)\n", what, t.median, t.best, t.cpuMedian, t.cpuBest,
                    t.cpuHandlerMedian);
    };
    line("student row insert", rowInsert);
    line("lesson column insert", colInsert);
    line("recalculation", recalc);
    line("undo of a row delete", rowUndo);
    line("paste of 30 × 30", paste);
    line("Enter after a score", enterMove);
    // Pictures of the windows as the presses left them, for a look.
    const QString grabs = qEnvironmentVariable("ZHURNAL_BENCH_GRAB");
    if (!grabs.isEmpty()) {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isVisible() && !w->objectName().isEmpty())
                w->grab().save(grabs + QLatin1Char('/') + w->objectName() + QStringLiteral(".png"));
    }
    Services::setMessages(nullptr);
    return messages.errors == 0 ? 0 : 2;
}
