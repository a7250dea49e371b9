// Timings of ReadGridFile, the recalculation and WriteGridFile on synthetic
// journals of 30 × 120, 300 × 500 and 1000 × 1000 (students × lessons).
// Prints the best of several runs (CPU time of the thread), in nanoseconds per
// cell and in MB/s of the journal file, and checks the cost targets.

#include "journal/grid.h"
#include "journal/gridfile.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>

#include <time.h>

namespace {

Grid syntheticJournal(int students, int lessons)
{
    Grid g(lessons + 2, students + 4, 2, 4, 30);
    std::mt19937 rng(20240901u + unsigned(students * 7 + lessons));
    const QString scores[] = {QStringLiteral("5"), QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("2"),
                              QStringLiteral("4,5"), QStringLiteral("10"), QStringLiteral(""), QStringLiteral("н")};
    const QString weights[] = {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("1,5")};
    g.setCell(0, 0, QStringLiteral("№"));
    g.setCell(1, 0, QStringLiteral("ФИО"));
    for (int c = 2; c < lessons + 2; ++c) {
        g.setCell(c, 0, QStringLiteral("Урок %1").arg(c - 1));
        g.setCell(c, 1, QStringLiteral("%1.%2").arg(1 + c % 28).arg(9 + c % 4));
        g.setCell(c, 2, (c % 10 == 0) ? QStringLiteral("кт%1").arg(c) : QStringLiteral("т%1").arg(c));
        g.setCell(c, 3, weights[rng() % 4]);
    }
    for (int k = 0; k < students; ++k) {
        g.setCell(0, k + 4, QString::number(k + 1));
        g.setCell(1, k + 4, QStringLiteral("Ученик номер %1").arg(k + 1));
        for (int c = 2; c < lessons + 2; ++c) {
            const unsigned pick = rng() % 20;
            g.setCell(c, k + 4, pick < 16 ? scores[pick % 6] : scores[6 + pick % 2]);
        }
    }
    return g;
}

// The thread's CPU time (user and system), so that other programs sharing the
// machine do not count; the best of several runs.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double bestSeconds(int runs, const std::function<void()> &fn)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const double t0 = cpuSeconds();
        fn();
        best = std::min(best, cpuSeconds() - t0);
    }
    return best;
}

struct Figures
{
    double readNsPerCell = 0;
    double recalcNsPerCell = 0;
    double recalcMs = 0;
    double readMBs = 0;
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
    const double recalc = bestSeconds(runs, [&] { recalculate(journal, Thresholds(), itog, uspev, summi, indicators); });

    std::printf("%5d × %-5d %9.0f cells %7.2f MB | read %7.2f ms %6.1f ns/cell %7.1f MB/s | recalc %7.2f ms %6.1f ns/cell"
                " | write %7.2f ms %6.1f ns/cell %7.1f MB/s\n",
                students, lessons, cells, megabytes, read * 1e3, read * 1e9 / cells, megabytes / read, recalc * 1e3,
                recalc * 1e9 / cells, write * 1e3, write * 1e9 / cells, megabytes / write);
    return {read * 1e9 / cells, recalc * 1e9 / cells, recalc * 1e3, megabytes / read};
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

    const bool recalcFast = big.recalcMs < 50;
    const bool readFast = big.readMBs > 100;
    const bool recalcLinear = big.recalcNsPerCell <= 1.2 * mid.recalcNsPerCell;
    const bool readLinear = big.readNsPerCell <= 1.2 * mid.readNsPerCell;
    std::printf("targets: recalculation of 1000 × 1000 under 50 ms: %s (%.2f ms)\n", recalcFast ? "yes" : "NO", big.recalcMs);
    std::printf("         ReadGridFile of 1000 × 1000 above 100 MB/s: %s (%.1f MB/s)\n", readFast ? "yes" : "NO", big.readMBs);
    std::printf("         linear recalculation (≤ 1.2 × the 300 × 500 cost per cell): %s (%.2f)\n", recalcLinear ? "yes" : "NO",
                big.recalcNsPerCell / mid.recalcNsPerCell);
    std::printf("         linear ReadGridFile: %s (%.2f)\n", readLinear ? "yes" : "NO", big.readNsPerCell / mid.readNsPerCell);
    return recalcFast && readFast && recalcLinear && readLinear ? 0 : 3;
}
