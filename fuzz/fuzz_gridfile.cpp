// The grid file reader: parseGridFile into a grid with known contents, and the
// write and re-read of what it accepted.
#include "fuzztarget.h"
#include "invariants.h"

#include "journal/grid.h"

#include <QList>

#include <algorithm>

namespace {

// A count line of five digits or more can turn a grid of 2000 rows or columns
// into one beyond the allowed size on the way (new columns of the old length,
// or new rows in every old column): such inputs are also read into a tall and
// a wide grid. These stay narrow, so that a run stays fast; 100000 columns or
// rows into them take far more memory than a run may use.
bool countsLookLarge(const QByteArray &bytes)
{
    int line = 0;
    int run = 0;
    for (char ch : bytes) {
        if (ch == '\n' && ++line == 2)
            return false;
        run = (ch >= '0' && ch <= '9') ? run + 1 : 0;
        if (run >= 5)
            return true;
    }
    return false;
}

// Both count lines plain integers within the limits, for more than 100000
// cells: a valid file whose reading, writing and checking take a good part of
// a second under the sanitizers. The fuzzer passes such files by (the faults
// of sizes show on small final shapes read into the tall and wide grids); the
// regression test reads large ones.
bool validAndHuge(const QByteArray &bytes)
{
    const QList<QByteArray> lines = QByteArray(bytes.left(64)).replace('\r', QByteArray()).split('\n');
    if (lines.size() < 2)
        return false;
    bool colsOk = false;
    bool rowsOk = false;
    const qint64 cols = lines.at(0).trimmed().toLongLong(&colsOk);
    const qint64 rows = lines.at(1).trimmed().toLongLong(&rowsOk);
    return colsOk && rowsOk && Grid::sizeAllowed(cols, rows)
        && std::max<qint64>(cols, 1) * std::max<qint64>(rows, 1) > 100000;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzzInput(data, size);
    if (validAndHuge(bytes))
        return -1; // not added to the corpus
    static const Grid small = ReaderInvariants::knownGrid(6, 4);
    Grid grid = small;
    abortOnFailure(ReaderInvariants::checkGridFile(bytes, grid));
    if (countsLookLarge(bytes)) {
        static const Grid tall = ReaderInvariants::knownGrid(3, 2000);
        static const Grid wide = ReaderInvariants::knownGrid(2000, 3);
        grid = tall;
        abortOnFailure(ReaderInvariants::checkGridFile(bytes, grid));
        grid = wide;
        abortOnFailure(ReaderInvariants::checkGridFile(bytes, grid));
    }
    return 0;
}
