// The column widths reader: parseColumnWidths into a grid and a companion grid
// with more columns, with fewer columns, and without one.
#include "fuzztarget.h"
#include "invariants.h"

#include "journal/grid.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzInput(data, size);
    static const Grid journal = ReaderInvariants::knownGrid(30, 3);
    static const Grid wider = ReaderInvariants::knownGrid(35, 2);
    static const Grid narrower = ReaderInvariants::knownGrid(10, 2);

    Grid grid = journal;
    Grid companion = wider;
    abortOnFailure(ReaderInvariants::checkColumnWidths(bytes, grid, &companion));
    grid = journal;
    companion = narrower;
    abortOnFailure(ReaderInvariants::checkColumnWidths(bytes, grid, &companion));
    Grid single = ReaderInvariants::knownGrid(1, 1);
    abortOnFailure(ReaderInvariants::checkColumnWidths(bytes, single, nullptr));
    return 0;
}
