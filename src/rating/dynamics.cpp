#include "rating/dynamics.h"

#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/journalplace.h"
#include "rating/decimal4.h"
#include "journal/journallayout.h"
#include "rating/resultgrids.h"

#include <algorithm>
#include <functional>

using namespace ResultGrids;
using namespace JournalLayout;

namespace Dynamics {

namespace {

// Where a failure is: the message for a conversion's own text.
using Place = std::function<QString(const QString &detail)>;

Place summiPlace(int col, int row)
{
    return [col, row](const QString &detail) {
        return QStringLiteral("Динамика, столбец %1, строка %2: ").arg(col).arg(row) + detail;
    };
}

Place journalPlace(const Grid &journal, int col, int row)
{
    return [&journal, col, row](const QString &detail) { return JournalPlace::message(journal, col, row, detail); };
}

template<typename Fn>
Decimal4 checked(const Place &place, Fn fn)
{
    try {
        return fn();
    } catch (const ConversionError &e) {
        throw ConversionError(place(e.message()));
    }
}

Decimal4 strict(const QString &text, const Place &place)
{
    return checked(place, [&] { return Decimal4::fromText(text); });
}

Decimal4 lenient(const QString &text, const Place &place)
{
    return checked(place, [&] { return Str4islo(text); });
}

} // namespace

int journalRowForName(const Grid &journal, QStringView name, int firstRow)
{
    const QStringView key = trimBlanks(name);
    for (int r = std::max(firstRow, 0); r < journal.rowCount(); ++r)
        if (trimBlanks(journal.cell(1, r)) == key)
            return r;
    return -1;
}

bool fillDynamics(const Grid &journal, const QString &fioText, Grid &summi)
{
    if (trimBlanks(fioText).isEmpty())
        return false;
    const int p = journalRowForName(journal, fioText, kFirstStudentRow);
    if (p < 0)
        return false;
    // Columns that both grids have; Summi lags behind the journal after a sum column.
    const int last = std::min(summi.colCount(), journal.colCount()) - 1;
    if (last < kFirstLessonCol)
        return true;

    const QString &name = journal.cell(1, p);
    summi.setCell(1, StudentRow, name);
    summi.setCell(1, StudentAccumulatedRow, name + QStringLiteral(" нак."));

    auto weighted = [&](int c) {
        const Decimal4 w = strict(journal.cell(c, kWeightRow), journalPlace(journal, c, kWeightRow));
        const Decimal4 s = lenient(journal.cell(c, p), journalPlace(journal, c, p));
        return checked(journalPlace(journal, c, p), [&] { return s * w; });
    };

    const int first = kFirstLessonCol;
    const Decimal4 v = weighted(first);
    summi.setCell(first, StudentAccumulatedRow, v.toString());
    summi.setCell(first, AverageAccumulatedRow, summi.cell(first, AverageRow));
    summi.setCell(first, StudentRow, v.toString());
    for (int c = first + 1; c <= last; ++c) {
        const Decimal4 x = weighted(c);
        summi.setCell(c, StudentRow, x.toString());
        const Decimal4 before = strict(summi.cell(c - 1, StudentAccumulatedRow), summiPlace(c - 1, StudentAccumulatedRow));
        summi.setCell(c, StudentAccumulatedRow, checked(summiPlace(c, StudentAccumulatedRow), [&] { return before + x; }).toString());
        const Decimal4 avgBefore = strict(summi.cell(c - 1, AverageAccumulatedRow), summiPlace(c - 1, AverageAccumulatedRow));
        const Decimal4 avg = lenient(summi.cell(c, AverageRow), summiPlace(c, AverageRow));
        summi.setCell(c, AverageAccumulatedRow,
                      checked(summiPlace(c, AverageAccumulatedRow), [&] { return avgBefore + avg; }).toString());
    }
    return true;
}

ItogSelection selectFromItog(const Grid &journal, const Grid &itog, int row)
{
    ItogSelection s;
    if (row <= 0 || row >= itog.rowCount())
        return s;
    s.selected = true;
    s.fio = itog.cell(NameCol, row);
    s.journalRow = journalRowForName(journal, s.fio, kWeightRow);
    return s;
}

int barCount(const QString &tenPointText)
{
    const qint64 n = Decimal4::fromText(tenPointText).roundedToWhole();
    return int(std::clamp<qint64>(n, 0, 1000));
}

QList<int> barCounts(const Grid &itog, QString *failure)
{
    QList<int> counts;
    if (failure)
        failure->clear();
    for (int k = 1; k < itog.rowCount(); ++k) {
        try {
            counts << barCount(itog.cell(TenPointCol, k));
        } catch (const ConversionError &e) {
            const QString message = QStringLiteral("Таблица итогов, столбец %1, строка %2: %3").arg(TenPointCol).arg(k).arg(e.message());
            if (!failure)
                throw ConversionError(message);
            *failure = message;
            break;
        }
    }
    return counts;
}

} // namespace Dynamics
