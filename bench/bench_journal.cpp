// Timings of ReadGridFile, the recalculation and WriteGridFile on synthetic
// journals of 30 × 120, 300 × 500 and 1000 × 1000 (students × lessons), and of
// the row and column operations on the largest one. Prints the best of several
// runs (CPU time of the thread; wall-clock time for the recalculation, which reads a large journal with two threads), in nanoseconds per cell and in MB/s of the
// journal file, and checks the cost targets.

#include "journal/grid.h"
#include "journal/journallayout.h"
#include "journal/gridfile.h"
#include "journal/gridops.h"
#include "journal/durablefile.h"
#include "journal/journalhistory.h"
#include "journal/journalsession.h"
#include "journal/errors.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"
#include "syntheticjournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <time.h>

namespace {

// The thread's CPU time (user and system), so that other programs sharing the
// machine do not count; the best of several runs.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The wall-clock time, for what runs on more than one thread (the
// recalculation of a large journal reads it with two).
double wallSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double bestSeconds(int runs, const std::function<void()> &fn, double (*clock)() = cpuSeconds)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = clock();
        fn();
        best = std::min(best, clock() - t0);
    }
    return best;
}

struct Figures
{
    double readNsPerCell = 0;
    double recalcNsPerCell = 0;
    double recalcMs = 0;
    double readMBs = 0;      // into the grid that holds the same journal already
    double freshReadMBs = 0; // into a new grid
};

Figures measure(int students, int lessons, const QString &dir)
{
    const Grid journal = syntheticJournal(students, lessons);
    const double cells = double(journal.colCount()) * journal.rowCount();
    const QString path = dir + QStringLiteral("/SpStud_%1x%2.txt").arg(students).arg(lessons);
    const int runs = cells > 500000 ? 11 : 21;

    const double write = bestSeconds(runs, [&] { WriteGridFile(path, journal); });
    const double megabytes = double(QFileInfo(path).size()) / 1e6;
    Grid loaded;
    const double read = bestSeconds(runs, [&] { ReadGridFile(path, loaded); });
    // A first load: the grid is new (its destruction is not timed).
    double freshRead = 1e30;
    for (int i = 0; i < runs; ++i) {
        Grid fresh;
        const double t0 = cpuSeconds();
        ReadGridFile(path, fresh);
        freshRead = std::min(freshRead, cpuSeconds() - t0);
    }
    bool same = loaded.colCount() == journal.colCount() && loaded.rowCount() == journal.rowCount();
    for (int c = 0; same && c < journal.colCount(); ++c)
        same = loaded.column(c) == journal.column(c);
    if (!same)
        std::fprintf(stderr, "the journal read back differs from the one written\n");

    Grid itog = ResultGrids::makeItog();
    Grid uspev = ResultGrids::makeUspev();
    Grid summi = ResultGrids::makeSummi();
    summi.setColCount(journal.colCount());
    Indicators indicators;
    const double recalc =
        bestSeconds(runs, [&] { recalculate(journal, Thresholds(), itog, uspev, summi, indicators); }, wallSeconds);
    // The same journal as read from its file, whose texts of two and more
    // characters lie each in a block of its own.
    const double recalcRead =
        bestSeconds(runs, [&] { recalculate(loaded, Thresholds(), itog, uspev, summi, indicators); }, wallSeconds);

    std::printf("%5d × %-5d %9.0f cells %5.2f MB | read %6.2f ms %5.1f ns/cell %6.1f MB/s (new grid %6.1f MB/s)"
                " | recalc %6.2f ms %5.1f ns/cell (read from the file %6.2f ms) | write %6.2f ms %6.1f MB/s\n",
                students, lessons, cells, megabytes, read * 1e3, read * 1e9 / cells, megabytes / read, megabytes / freshRead,
                recalc * 1e3, recalc * 1e9 / cells, recalcRead * 1e3, write * 1e3, megabytes / write);
    return {read * 1e9 / cells, recalc * 1e9 / cells, recalc * 1e3, megabytes / read, megabytes / freshRead};
}

struct EditFigures
{
    double rowInsertMs = 0;
    double rowDeleteMs = 0;
    double columnInsertMs = 0;
    double columnDeleteMs = 0;
};

// The first edits after a load, as a teacher makes them: a student row
// inserted below the first student and deleted again (every student row below
// moves), then a lesson column inserted right of the first lesson and deleted
// again (every lesson column right of it moves). Each run loads the journal
// anew; the load is not timed.
EditFigures measureEdits(int students, int lessons, const QString &dir)
{
    const QString path = dir + QStringLiteral("/SpStud_%1x%2.txt").arg(students).arg(lessons);
    Grid original;
    ReadGridFile(path, original);
    const int runs = 21;
    const int firstStudent = 4;
    const int firstLesson = 2;
    EditFigures best{1e30, 1e30, 1e30, 1e30};
    auto timed = [](double &bestMs, const std::function<void()> &fn) {
        const double t0 = cpuSeconds();
        fn();
        bestMs = std::min(bestMs, (cpuSeconds() - t0) * 1e3);
    };
    for (int i = 0; i < runs; ++i) {
        Grid journal;
        ReadGridFile(path, journal);
        timed(best.rowInsertMs, [&] { GridOps::insertRowBelow(journal, firstStudent, JournalLayout::kStudentNumberOffset); });
        timed(best.rowDeleteMs, [&] { GridOps::deleteRow(journal, firstStudent + 1); });
        timed(best.columnInsertMs, [&] { GridOps::insertLessonColumn(journal, firstLesson); });
        timed(best.columnDeleteMs, [&] { GridOps::deleteColumn(journal, firstLesson + 1); });
        if (!(journal == original))
            std::fprintf(stderr, "the insertions and deletions did not give the journal back\n");
    }
    std::printf("%5d × %-5d after a load: student row insert %6.3f ms, delete %6.3f ms | lesson column insert %6.3f ms, "
                "delete %6.3f ms\n",
                students, lessons, best.rowInsertMs, best.rowDeleteMs, best.columnInsertMs, best.columnDeleteMs);
    return best;
}

// The history a save writes, on a journal of students × lessons: finding the
// changes from the journal as loaded, making the file's bytes (a history that
// already holds its full kMaxLines, so that the oldest lines are cut), and
// writing them through DurableFile (synced), for `changed` cells typed
// (every cell when -1) and for a student moved, one inserted and a lesson deleted.
void measureHistory(int students, int lessons, int changed, const QString &dir)
{
    const Grid loaded = syntheticJournal(students, lessons);
    Grid saved = loaded;
    if (changed < 0) {
        for (int c = 2; c < saved.colCount(); ++c)
            for (int r = 4; r < saved.rowCount(); ++r)
                saved.setCell(c, r, saved.cell(c, r) == QStringLiteral("7") ? QStringLiteral("8") : QStringLiteral("7"));
    } else if (changed > 0) {
        std::mt19937 rng(7u);
        for (int k = 0; k < changed; ++k)
            saved.setCell(2 + int(rng() % unsigned(lessons)), 4 + int(rng() % unsigned(students)), QStringLiteral("9,5"));
    } else {
        GridOps::moveRow(saved, 4 + students - 1, 4);
        GridOps::insertRowBelow(saved, 10, JournalLayout::kStudentNumberOffset);
        GridOps::deleteColumn(saved, 2 + lessons / 2);
    }
    QByteArray existing;
    const QByteArray line = "01.09.2026 10:00:00\tteacher\tChange\t12\tStudent number 12\t5\t01.09\t4\t5\r\n";
    existing.reserve(line.size() * JournalHistory::kMaxLines);
    for (int i = 0; i < JournalHistory::kMaxLines; ++i)
        existing.append(line);
    const QString path = dir + QStringLiteral("/history.txt");
    double diffBest = 1e9, formatBest = 1e9, writeBest = 1e9;
    size_t count = 0;
    qsizetype bytes = 0;
    for (int run = 0; run < 3; ++run) {
        double t = cpuSeconds();
        const std::vector<JournalHistory::Change> changes = JournalHistory::changes(loaded, saved);
        diffBest = std::min(diffBest, cpuSeconds() - t);
        t = cpuSeconds();
        const QByteArray out = JournalHistory::appended(existing, changes, loaded, saved, QDateTime::currentDateTime(),
                                                        QStringLiteral("teacher"));
        formatBest = std::min(formatBest, cpuSeconds() - t);
        t = wallSeconds();
        DurableFile::write(path, out);
        writeBest = std::min(writeBest, wallSeconds() - t);
        count = changes.size();
        bytes = out.size();
    }
    const char *what = changed < 0 ? "every cell changed" : changed == 0 ? "row moved, row inserted, lesson deleted" : "cells changed";
    const QString amount = changed > 0 ? QString::number(changed) + QLatin1Char(' ') : QString();
    std::printf("%5d × %-5d history, %s%s: %zu lines | changes %7.2f ms, file bytes %7.2f ms (CPU), "
                "write %7.2f ms (wall, synced), file %.1f MB\n",
                students, lessons, qPrintable(amount), what, count, diffBest * 1e3, formatBest * 1e3,
                writeBest * 1e3, double(bytes) / 1e6);
}

// A whole save of the session (the three files, the version of the files it
// replaces, the history's lines) after `changed` cells were typed, wall clock.
void measureSave(int students, int lessons, int changed, const QString &dir)
{
    const QString root = dir + QStringLiteral("/root");
    QDir(root).removeRecursively();
    QDir().mkpath(root + QStringLiteral("/G/J"));
    QDir().mkpath(root + QStringLiteral("/Baza"));
    WriteGridFile(root + QStringLiteral("/G/J/SpStud.txt"), syntheticJournal(students, lessons));
    WriteGridFile(root + QStringLiteral("/G/J/SpTem.txt"), Grid(4, 2, 0, 1, 30));
    DurableFile::write(root + QStringLiteral("/Baza/Pasport.txt"), "55\r\n75\r\n90\r\n");
    JournalSession session(root);
    const JournalIdentity id{QStringLiteral("G"), QString(), QStringLiteral("J"), QString(), QString(), QString()};
    session.load(id);
    std::mt19937 rng(11u);
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
        for (int k = 0; k < changed; ++k)
            session.journal().setCell(2 + int(rng() % unsigned(lessons)), 4 + int(rng() % unsigned(students)),
                                      QString::number(run + 1));
        const double t = wallSeconds();
        session.prepareSave(id);
        session.saveJournal(id);
        best = std::min(best, wallSeconds() - t);
    }
    std::printf("%5d × %-5d whole save with its version and history, %d cells changed: %7.2f ms (wall)\n", students,
                lessons, changed, best * 1e3);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    measure(30, 120, dir.path());
    const Figures mid = measure(300, 500, dir.path());
    const Figures big = measure(1000, 1000, dir.path());
    const EditFigures edits = measureEdits(1000, 1000, dir.path());
    measureHistory(1000, 1000, 100, dir.path());
    measureHistory(1000, 1000, 0, dir.path());
    measureHistory(1000, 1000, -1, dir.path());
    try {
        measureSave(1000, 1000, 100, dir.path());
    } catch (const ZError &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }

    auto verdict = [](bool ok) { return ok ? "yes" : "NO"; };
    const bool readFast = big.readMBs >= 200 && big.freshReadMBs >= 200;
    const bool recalcFast = big.recalcMs <= 5;
    const bool rowsFast = edits.rowInsertMs <= 3 && edits.rowDeleteMs <= 3;
    const bool columnsFast = edits.columnInsertMs <= 0.5 && edits.columnDeleteMs <= 0.5;
    const bool recalcLinear = big.recalcNsPerCell <= 1.2 * mid.recalcNsPerCell;
    const bool readLinear = big.readNsPerCell <= 1.2 * mid.readNsPerCell;
    std::printf("targets on 1000 × 1000:\n");
    std::printf("  ReadGridFile ≥ 200 MB/s: %s (%.1f MB/s again, %.1f MB/s into a new grid)\n", verdict(readFast), big.readMBs,
                big.freshReadMBs);
    std::printf("  recalculation ≤ 5 ms (wall clock): %s (%.2f ms)\n", verdict(recalcFast), big.recalcMs);
    std::printf("  student row insert and delete ≤ 3 ms: %s (%.3f ms, %.3f ms)\n", verdict(rowsFast), edits.rowInsertMs,
                edits.rowDeleteMs);
    std::printf("  lesson column insert and delete ≤ 0.5 ms: %s (%.3f ms, %.3f ms)\n", verdict(columnsFast),
                edits.columnInsertMs, edits.columnDeleteMs);
    std::printf("  linear recalculation (≤ 1.2 × the 300 × 500 cost per cell): %s (%.2f)\n", verdict(recalcLinear),
                big.recalcNsPerCell / mid.recalcNsPerCell);
    std::printf("  linear ReadGridFile: %s (%.2f)\n", verdict(readLinear), big.readNsPerCell / mid.readNsPerCell);
    return readFast && recalcFast && rowsFast && columnsFast && recalcLinear && readLinear ? 0 : 3;
}
