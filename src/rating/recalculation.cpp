#include "rating/recalculation.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "rating/decimal4.h"
#include "rating/resultgrids.h"
#include "rating/rounding.h"

#include <algorithm>
#include <vector>

using namespace ResultGrids;

namespace {

const QString kNotLesson = QStringLiteral("кт");

QString cellPlace(int col, int row)
{
    return QStringLiteral("Журнал, столбец %1, строка %2").arg(col).arg(row);
}

[[noreturn]] Q_DECL_COLD_FUNCTION void throwAt(const QString &place, const QString &message)
{
    throw ConversionError(place + QStringLiteral(": ") + message);
}

Decimal4 weightOf(const Grid &journal, int col)
{
    try {
        return Decimal4::fromText(journal.cell(col, kWeightRow));
    } catch (const ConversionError &e) {
        throwAt(cellPlace(col, kWeightRow) + QStringLiteral(" (вес столбца)"), e.message());
    }
}

// A score cell: digits and commas only, blanks trimmed already. The common form
// (at most four decimals, a moderate whole part) is read here; every other one
// goes to the general conversion, which also names a text that is no number.
Q_ALWAYS_INLINE Decimal4 scoreValue(const char16_t *b, const char16_t *e, const QString &cell, int col, int row)
{
    qint64 whole = 0;
    const char16_t *p = b;
    for (; p < e && *p != u','; ++p) {
        whole = whole * 10 + (*p - u'0');
        if (whole > 100000000000000LL)
            goto general;
    }
    {
        qint64 frac = 0;
        int fracDigits = 0;
        bool anyDigit = p > b;
        if (p < e) {
            ++p; // the comma
            for (; p < e; ++p) {
                if (*p == u',' || fracDigits == 4)
                    goto general;
                frac = frac * 10 + (*p - u'0');
                ++fracDigits;
                anyDigit = true;
            }
        }
        if (!anyDigit)
            goto general;
        static constexpr qint64 scale[5] = {10000, 1000, 100, 10, 1};
        return Decimal4::fromRaw(whole * Decimal4::kScale + frac * scale[fracDigits]);
    }
general:
    try {
        return Decimal4::fromText(QStringView(reinterpret_cast<const QChar *>(b), e - b));
    } catch (const ConversionError &) {
        try {
            Decimal4::fromText(cell);
        } catch (const ConversionError &e2) {
            throwAt(cellPlace(col, row), e2.message());
        }
        throw;
    }
}

Decimal4 product(Decimal4 a, Decimal4 b, int col, int row)
{
    try {
        return a * b;
    } catch (const ConversionError &e) {
        throwAt(cellPlace(col, row), e.message());
    }
}

Decimal4 addAt(Decimal4 a, Decimal4 b, const QString &place)
{
    try {
        return a + b;
    } catch (const ConversionError &e) {
        throwAt(place, e.message());
    }
}

} // namespace

void recalculate(const Grid &journal, const Thresholds &thresholds, Grid &itog, Grid &uspev, Grid &summi,
                 Indicators &indicators)
{
    const int cols = journal.colCount();
    const int n = std::max(journal.rowCount() - kFirstStudentRow, 0);

    // Each score cell is read once, in column order: the column statistics are
    // written as each column completes (step 1), while the students' sums
    // (step 3) and absences (step 6) are gathered on the way. A student sum is
    // added in the same column order as the step itself adds it, so an overflow
    // is found at the same point; it is raised when step 3 reaches that student.
    std::vector<qint64> sums(size_t(n), 0);
    std::vector<int> sumOverflowCol(size_t(n), -1);
    std::vector<int> absences(size_t(n), 0);
    int lessonCount = 0;

    // Step 1: column statistics.
    const Decimal4 lowestStart = Decimal4::fromInt(200);
    Decimal4 accumulated;
    for (int c = kFirstLessonCol; c < cols; ++c) {
        const Decimal4 w = weightOf(journal, c);
        const bool lesson = !journal.cell(c, kCodeRow).contains(kNotLesson);
        if (lesson && n > 0)
            ++lessonCount;
        int count = 0;
        Decimal4 sum;
        qint64 columnSum = 0;
        Decimal4 highest;
        Decimal4 lowest = lowestStart;
        const std::vector<QString> &cells = journal.column(c);
        for (int k = 0; k < n; ++k) {
            const QString &cell = cells[size_t(k + kFirstStudentRow)];
            const char16_t *b = reinterpret_cast<const char16_t *>(cell.constData());
            const char16_t *e = b + cell.size();
            while (b < e && *b <= u' ')
                ++b;
            while (e > b && e[-1] <= u' ')
                --e;
            if (b == e) {
                if (lesson)
                    ++absences[size_t(k)];
                continue;
            }
            bool score = true;
            for (const char16_t *p = b; p < e; ++p)
                if (!((*p >= u'0' && *p <= u'9') || *p == u',')) {
                    score = false;
                    break;
                }
            if (!score)
                continue;
            const int row = k + kFirstStudentRow;
            const Decimal4 v = scoreValue(b, e, cell, c, row);
            const Decimal4 weighted = product(v, w, c, row);
            ++count;
            if (__builtin_add_overflow(sum.raw(), weighted.raw(), &columnSum))
                throwAt(cellPlace(c, row), QStringLiteral("сумма столбца выходит за пределы чисел журнала."));
            sum = Decimal4::fromRaw(columnSum);
            if (v < lowest)
                lowest = v;
            if (v > highest)
                highest = v;
            if (sumOverflowCol[size_t(k)] < 0
                && __builtin_add_overflow(sums[size_t(k)], weighted.raw(), &sums[size_t(k)]))
                sumOverflowCol[size_t(k)] = c;
        }
        if (count > 0) {
            const Decimal4 average = Decimal4::fromDouble(Rounding::roundToDecimals(sum.quotientAsDouble(n), 1));
            summi.setCell(c, AverageRow, average.toString());
            // The value read back from row 2 is the one written there.
            accumulated = addAt(accumulated, average, QStringLiteral("Накопленное среднее, столбец %1").arg(c));
        } else {
            highest = Decimal4();
            lowest = Decimal4();
            summi.setCell(c, AverageRow, QStringLiteral("0"));
        }
        summi.setCell(c, MinimumRow, product(lowest, w, c, kWeightRow).toString());
        summi.setCell(c, MaximumRow, product(highest, w, c, kWeightRow).toString());
        summi.setCell(c, AverageAccumulatedRow, accumulated.toString());
        summi.setCell(c, SpreadRow, product(highest - lowest, w, c, kWeightRow).toString());
    }

    // Step 2: names.
    if (itog.colCount() < ItogColumns)
        itog.setColCount(ItogColumns);
    itog.setRowCount(n + 1);
    if (n > 0 && itog.fixedRows() < 1)
        itog.setFixedRows(1); // a journal without students had dropped the header's fixing
    for (int k = 1; k <= n; ++k) {
        const int r = k + kFirstStudentRow - 1;
        itog.setCell(NameCol, k, journal.cell(1, r));
        itog.setCell(NumberCol, k, journal.cell(0, r));
    }

    // Step 3: sums and the best total.
    Decimal4 best;
    for (int k = 1; k <= n; ++k) {
        if (sumOverflowCol[size_t(k - 1)] >= 0) {
            const int r = k + kFirstStudentRow - 1;
            throwAt(cellPlace(sumOverflowCol[size_t(k - 1)], r),
                    QStringLiteral("сумма баллов ученика %1 выходит за пределы чисел журнала.").arg(quotedExcerpt(journal.cell(1, r))));
        }
        const Decimal4 s = Decimal4::fromRaw(sums[size_t(k - 1)]);
        itog.setCell(SumCol, k, s.toString());
        if (s > best)
            best = s;
    }

    // Step 4: percent and grades; the thresholds are converted at the first student.
    ScaleValues scale;
    const QString zero = QStringLiteral("0");
    for (int k = 1; k <= n; ++k) {
        const qint64 raw = sums[size_t(k - 1)];
        const qint64 p = best.isZero() ? 0 : qint64(Rounding::divideHalfEven<Int128>(Int128(raw) * 100, best.raw()));
        itog.setCell(PercentCol, k, p >= 100 ? QString::number(p) : QStringLiteral("  ") + QString::number(p));
        itog.setCell(TenPointCol, k, GradingScale::tenPointGrade(p));
        if (k == 1)
            scale = GradingScale::convert(thresholds);
        itog.setCell(FivePointCol, k, GradingScale::fivePointGrade(p, scale));
        itog.setCell(AbsenceCountCol, k, zero);
    }

    // Step 5.
    for (int g = 1; g <= 4; ++g)
        uspev.setCell(g, 1, zero);

    // Steps 6 and 7: absences and their percentage of the lesson count.
    for (int k = 1; k <= n; ++k)
        itog.setCell(AbsenceCountCol, k, QString::number(absences[size_t(k - 1)]));
    for (int k = 1; k <= n; ++k) {
        const int a = absences[size_t(k - 1)];
        itog.setCell(AbsencePercentCol, k,
                     lessonCount > 0 ? QString::number(Rounding::roundedRatio(qint64(a) * 100, lessonCount)) : zero);
    }

    // Step 8: headers and the grade counts.
    const QStringList &headers = itogHeaders();
    for (int c = 0; c < ItogColumns; ++c)
        itog.setCell(c, 0, headers[c]);
    qint64 counts[5] = {0, 0, 0, 0, 0}; // by Uspev column: 1 → 5, 2 → 4, 3 → 3, 4 → 2
    const QString unsatisfactory = QStringLiteral("012");
    for (int k = 1; k <= n; ++k) {
        const QStringView g = trimBlanks(itog.cell(FivePointCol, k));
        if (g == u"5")
            ++counts[1];
        else if (g == u"4")
            ++counts[2];
        else if (g == u"3")
            ++counts[3];
        else if (!g.isEmpty() && unsatisfactory.contains(g))
            ++counts[4];
    }
    for (int g = 1; g <= 4; ++g)
        uspev.setCell(g, 1, QString::number(counts[g]));

    // Step 9: shares.
    qint64 shares[5] = {0, 0, 0, 0, 0};
    for (int g = 1; g <= 4; ++g) {
        shares[g] = n > 0 ? Rounding::roundedRatio(counts[g] * 100, n) : 0;
        uspev.setCell(g, 2, QString::number(shares[g]));
    }

    // Step 10: indicators.
    Indicators out;
    if (n > 0) {
        out.ka4 = QString::number(shares[1] + shares[2]);
        const double learning = double(100 * counts[1] + 64 * counts[2] + 36 * counts[3] + 16 * counts[4]) / double(n);
        out.obu4 = Rounding::floatText(Rounding::roundToDecimals(learning, 1));
        const double success = double(counts[1] + counts[2] + counts[3]) / double(n);
        out.uspewa = Rounding::floatText(Rounding::roundToDecimals(success, 2) * 100);
    }
    indicators = out;
}
