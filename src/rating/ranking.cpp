#include "rating/ranking.h"

#include "journal/errors.h"
#include "journal/grid.h"
#include "rating/decimal4.h"
#include "journal/journallayout.h"
#include "rating/resultgrids.h"

#include <QSet>

#include <algorithm>
#include <vector>

using namespace ResultGrids;
using namespace JournalLayout;

namespace Ranking {

namespace {

Decimal4 itogValue(const Grid &itog, int col, int row)
{
    try {
        return Decimal4::fromText(itog.cell(col, row));
    } catch (const ConversionError &e) {
        throw ConversionError(QStringLiteral("Таблица итогов, столбец %1, строка %2: %3").arg(col).arg(row).arg(e.message()));
    }
}

void exchangeRows(Grid &itog, int a, int b)
{
    if (a == b)
        return;
    const int last = std::min(itog.colCount() - 1, int(AbsencePercentCol));
    for (int c = NameCol; c <= last; ++c)
        std::swap(itog.column(c)[size_t(a)], itog.column(c)[size_t(b)]);
}

} // namespace

void rankResults(Grid &itog)
{
    const int last = itog.rowCount() - 1;
    std::vector<Decimal4> sums(size_t(last + 1));
    for (int r = 1; r <= last; ++r)
        sums[size_t(r)] = itogValue(itog, SumCol, r);
    for (int k = last; k >= 1; --k) {
        int m = 1;
        for (int i = 2; i <= k; ++i)
            if (sums[size_t(i)] < sums[size_t(m)])
                m = i;
        exchangeRows(itog, m, k);
        std::swap(sums[size_t(m)], sums[size_t(k)]);
    }
}

bool appendAverageStudent(Grid &itog)
{
    const int above = itog.rowCount() - 1;
    if (above < 1)
        return false;
    const int row = itog.rowCount();
    itog.setRowCount(row + 1);
    itog.setCell(NumberCol, row, QString::number(row));
    itog.setCell(NameCol, row, averageStudentName());
    for (int c = SumCol; c <= AbsencePercentCol; ++c) {
        Decimal4 sum;
        for (int r = 1; r < row; ++r) {
            const Decimal4 v = itogValue(itog, c, r);
            try {
                sum += v;
            } catch (const ConversionError &e) {
                throw ConversionError(QStringLiteral("Таблица итогов, столбец %1: %2").arg(c).arg(e.message()));
            }
        }
        itog.setCell(c, row, sum.dividedBy(above).toString());
    }
    return true;
}

bool itogInJournalOrder(const Grid &journal, const Grid &itog)
{
    const int students = std::max(journal.rowCount() - kFirstStudentRow, 0);
    if (itog.rowCount() != students + 1)
        return false;
    QSet<QString> names;
    for (int k = 1; k <= students; ++k) {
        const int r = k + kFirstStudentRow - 1;
        const QString &name = journal.cell(1, r);
        if (itog.cell(NumberCol, k) != journal.cell(0, r) || itog.cell(NameCol, k) != name)
            return false;
        if (names.contains(name))
            return false;
        names.insert(name);
    }
    return true;
}

void appendSumColumn(Grid &journal, const Grid &itog)
{
    const int c = journal.colCount();
    journal.setColCount(c + 1);
    journal.setCell(c, kCodeRow, QStringLiteral("Су"));
    journal.setCell(c, kWeightRow, QStringLiteral("1"));
    for (int r = kFirstStudentRow; r < journal.rowCount(); ++r)
        journal.setCell(c, r, itog.cell(SumCol, r - kFirstStudentRow + 1));
}

bool appendOwnSumColumn(Grid &journal, const Thresholds &thresholds, Grid &itog, Grid &uspev, Grid &summi,
                        Indicators &indicators)
{
    const bool recalculated = !itogInJournalOrder(journal, itog);
    if (recalculated)
        recalculate(journal, thresholds, itog, uspev, summi, indicators);
    appendSumColumn(journal, itog);
    return recalculated;
}

QStringList currentGradeTexts(const Grid &journal, const Grid &itog)
{
    QStringList texts;
    for (int r = kFirstStudentRow; r < journal.rowCount(); ++r)
        texts << itog.cell(FivePointCol, r - kFirstStudentRow + 1);
    return texts;
}

} // namespace Ranking
