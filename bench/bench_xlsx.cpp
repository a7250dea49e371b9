// The time to write the spreadsheet (.xlsx) of a 1000 × 1000 journal
// (students × lessons) with its results: building the workbook and writing
// it through DurableFile. Prints the best of three runs (wall clock, for the
// library and the disk both count) and the file's size.

#include "journal/grid.h"
#include "rating/recalculation.h"
#include "rating/resultgrids.h"
#include "rating/resultsxlsx.h"
#include "syntheticjournal.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    for (const auto &[students, lessons] : {std::pair{30, 120}, std::pair{1000, 1000}}) {
        const Grid journal = syntheticJournal(students, lessons);
        Grid itog = ResultGrids::makeItog();
        Grid uspev = ResultGrids::makeUspev();
        Grid summi = ResultGrids::makeSummi();
        summi.setColCount(journal.colCount());
        Indicators indicators;
        recalculate(journal, Thresholds{}, itog, uspev, summi, indicators);
        const QString file = dir.filePath(QStringLiteral("bench.xlsx"));
        double best = 1e30;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            ResultsXlsx::write({journal, itog, uspev, indicators}, file);
            best = std::min(best, timer.nsecsElapsed() * 1e-6);
        }
        std::printf(".xlsx of %d × %d: %.0f ms (best of 3), %.1f MB\n", students, lessons, best,
                    QFileInfo(file).size() / 1e6);
    }
    return 0;
}
