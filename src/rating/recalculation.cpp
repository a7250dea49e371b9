#include "rating/recalculation.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"
#include "journal/journalplace.h"
#include "rating/decimal4.h"
#include "journal/journallayout.h"
#include "rating/resultgrids.h"
#include "rating/rounding.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

using namespace ResultGrids;
using namespace JournalLayout;

namespace {

const QString kNotLesson = QStringLiteral("кт");

// A failure at a journal cell. The recalculation's steps know the cell only by
// its column and row; recalculate() turns it into the message that names the
// student and the lesson.
struct CellFault
{
    int col;
    int row;
    QString detail;
};

[[noreturn]] Q_DECL_COLD_FUNCTION void throwAtCell(int col, int row, const QString &detail)
{
    throw CellFault{col, row, detail};
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
        throwAtCell(col, kWeightRow, e.message());
    }
}

Decimal4 product(Decimal4 a, Decimal4 b, int col, int row)
{
    try {
        return a * b;
    } catch (const ConversionError &e) {
        throwAtCell(col, row, e.message());
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

// What each student gathers while the columns are read: the weighted sum (and
// the column at which it left the range of numbers, -1 while it has not) and
// the absences; with the number of lesson columns.
struct StudentTotals
{
    explicit StudentTotals(int n) : sums(size_t(n), 0), sumOverflowCol(size_t(n), -1), absences(size_t(n), 0) {}

    int count() const { return int(sums.size()); }

    std::vector<qint64> sums;
    std::vector<int> sumOverflowCol;
    std::vector<int> absences;
    int lessonCount = 0;
    int leftOut = 0; // score cells neither empty nor a score ("н", "4.5"): left out of the results
};

// How a journal cell counts: empty or blank (an absence in a lesson column),
// a score with its value, or neither (a letter, a dash).
enum class CellKind { Empty, Score, Other };

// The general conversion of a text that passes the score test (it trims the
// same blanks), naming the cell and its text as it stands when the text is no
// number ("1,2,3", ",").
Q_DECL_COLD_FUNCTION Decimal4 generalScore(const QString &cell, int col, int row)
{
    try {
        return Decimal4::fromText(cell);
    } catch (const ConversionError &e) {
        throwAtCell(col, row, e.message());
    }
}

// A text without blanks at its ends, in one pass: the score test (digits and
// commas only) and, in the common form (at most one comma, at most four
// decimals, a moderate whole part), the value; any other score text takes the
// general conversion.
CellKind trimmedCell(const char16_t *b, const char16_t *e, const QString &cell, int col, int row, Decimal4 &value)
{
    qint64 whole = 0;
    qint64 frac = 0;
    int fracDigits = 0;
    bool comma = false;
    bool common = true;
    for (const char16_t *p = b; p < e; ++p) {
        const unsigned digit = unsigned(*p) - u'0';
        if (digit <= 9) {
            if (!comma) {
                if (whole > 10000000000000LL)
                    common = false;
                else
                    whole = whole * 10 + digit;
            } else if (fracDigits < 4) {
                frac = frac * 10 + digit;
                ++fracDigits;
            } else {
                common = false;
            }
        } else if (*p == u',') {
            common = common && !comma;
            comma = true;
        } else {
            return CellKind::Other;
        }
    }
    if (!common || (e - b == 1 && comma)) { // beyond the common form, or a lone comma
        value = generalScore(cell, col, row);
        return CellKind::Score;
    }
    static constexpr qint64 scale[5] = {10000, 1000, 100, 10, 1};
    value = Decimal4::fromRaw(whole * Decimal4::kScale + frac * scale[fracDigits]);
    return CellKind::Score;
}

// Any journal cell: blanks at its ends are trimmed first.
CellKind classify(const QString &cell, int col, int row, Decimal4 &value)
{
    const QStringView t = trimBlanks(cell);
    if (t.isEmpty())
        return CellKind::Empty;
    const char16_t *b = reinterpret_cast<const char16_t *>(t.data());
    return trimmedCell(b, b + t.size(), cell, col, row, value);
}

// A column's weight, and score times weight as Decimal4 multiplies them.
class Weight
{
public:
    explicit Weight(Decimal4 w)
        : m_weight(w)
        , m_whole(w.raw() % Decimal4::kScale == 0)
        , m_factor(w.raw() / Decimal4::kScale)
    {
    }

    Decimal4 value() const { return m_weight; }

    // The common product of a score (from 0 on) and the weight, exactly as
    // Decimal4 rounds it: a whole weight has nothing to round. False when the
    // product does not fit 64 bits before the rounding, or is negative (a
    // fractional weight below 0): the general product takes those.
    Q_ALWAYS_INLINE bool commonProduct(qint64 score, qint64 &product) const
    {
        if (m_whole)
            return !__builtin_mul_overflow(score, m_factor, &product);
        if (__builtin_mul_overflow(score, m_weight.raw(), &product) || product < 0)
            return false;
        // Rounding::divideHalfEven by kScale for a product from 0 on, without
        // a branch on the digits that fall away.
        constexpr qint64 half = Decimal4::kScale / 2;
        const qint64 q = product / Decimal4::kScale;
        const qint64 r = product - q * Decimal4::kScale;
        product = q + qint64((r > half) | ((r == half) & (q & 1)));
        return true;
    }

    // The general product, naming the cell when the result is out of range.
    Decimal4 times(Decimal4 score, int col, int row) const { return product(score, m_weight, col, row); }

private:
    Decimal4 m_weight;
    bool m_whole;
    qint64 m_factor;
};

// The statistics of one lesson column's scores, raw Decimal4 values.
struct ColumnScores
{
    int count = 0;
    qint64 sum = 0;
    qint64 lowest = 200 * Decimal4::kScale; // the lowest starts at 200, not at the first score
    qint64 highest = 0;

    // A score and its product: counted, added to the column (false, nothing
    // changed, when the sum leaves the range), lowest and highest.
    Q_ALWAYS_INLINE bool add(qint64 score, qint64 product)
    {
        qint64 total = 0;
        if (__builtin_add_overflow(sum, product, &total))
            return false;
        sum = total;
        ++count;
        lowest = std::min(lowest, score);
        highest = std::max(highest, score);
        return true;
    }
};

// Adds a product to a student's sum; the first column at which the sum leaves
// the range is kept (that sum is never written: the recalculation stops at
// its student).
Q_ALWAYS_INLINE void addToStudent(StudentTotals &totals, int k, qint64 product, int col)
{
    if (Q_UNLIKELY(__builtin_add_overflow(totals.sums[size_t(k)], product, &totals.sums[size_t(k)]))
        && totals.sumOverflowCol[size_t(k)] < 0)
        totals.sumOverflowCol[size_t(k)] = col;
}

// The common cells of a column from index k on: empty ones, one letter, and
// scores written like 5, 10 or 4,5 whose products and sums stay in range. A
// function of its own, without any call, so that its figures stay in
// registers. Returns the index of the first cell it leaves to the general way
// (n at the end).
Q_NEVER_INLINE int readCommonCells(const QString *cells, int k, int n, int col, const Weight &columnWeight, bool lesson,
                                   StudentTotals &totals, ColumnScores &columnScores)
{
    const Weight weight = columnWeight;
    ColumnScores scores = columnScores;
    for (; k < n; ++k) {
        const QString &cell = cells[k];
        const qsizetype size = cell.size();
        if (size == 0) {
            totals.absences[size_t(k)] += lesson;
            continue;
        }
        const char16_t *p = cell.data_ptr().data();
        const unsigned d0 = unsigned(p[0]) - u'0';
        qint64 score = 0;
        if (size == 1) {
            if (d0 > 9) {
                if (p[0] > u' ' && p[0] != u',') {
                    ++totals.leftOut;
                    continue; // a letter: no score
                }
                break;
            }
            score = qint64(d0) * Decimal4::kScale;
        } else if (size == 2) {
            const unsigned d1 = unsigned(p[1]) - u'0';
            if ((d0 > 9) | (d1 > 9))
                break;
            score = qint64(d0 * 10 + d1) * Decimal4::kScale;
        } else if (size == 3) {
            const unsigned d2 = unsigned(p[2]) - u'0';
            if ((d0 > 9) | (p[1] != u',') | (d2 > 9))
                break;
            score = qint64(d0) * Decimal4::kScale + qint64(d2) * (Decimal4::kScale / 10);
        } else {
            break;
        }
        qint64 product = 0;
        if (!weight.commonProduct(score, product) || !scores.add(score, product))
            break;
        addToStudent(totals, k, product, col);
    }
    columnScores = scores;
    return k;
}

// Reads the student cells of lesson column c once, in row order: the column's
// statistics, and on the way each student's weighted sum and absences. A
// student sum is added in column order, so an overflow is found at the cell
// where it happens; it is raised when the sums are written. The first cell
// whose text is no number, or whose product or column sum leaves the range,
// stops the recalculation there.
ColumnScores readColumn(const Grid &journal, int c, const Weight &weight, bool lesson, StudentTotals &totals)
{
    const int n = totals.count();
    ColumnScores scores;
    if (n == 0)
        return scores;
    const QString *cells = journal.column(c).data() + kFirstStudentRow;
    for (int k = readCommonCells(cells, 0, n, c, weight, lesson, totals, scores); k < n;
         k = readCommonCells(cells, k + 1, n, c, weight, lesson, totals, scores)) {
        const int row = k + kFirstStudentRow;
        Decimal4 v;
        const CellKind kind = classify(cells[k], c, row, v);
        if (kind == CellKind::Empty && lesson)
            ++totals.absences[size_t(k)];
        totals.leftOut += kind == CellKind::Other;
        if (kind != CellKind::Score)
            continue;
        const qint64 product = weight.times(v, c, row).raw();
        if (!scores.add(v.raw(), product))
            throwAtCell(c, row, QStringLiteral("сумма столбца выходит за пределы чисел журнала."));
        addToStudent(totals, k, product, c);
    }
    return scores;
}

// Summi rows 2, 6, 5, 4 and 7 of column c, in that order: the average over all
// N students rounded to one decimal (added, as written, to the accumulated
// average), the lowest, highest and spread times the weight.
void writeColumnStatistics(Grid &summi, int c, int n, const ColumnScores &scores, Decimal4 w, Decimal4 &accumulated)
{
    Decimal4 highest = Decimal4::fromRaw(scores.highest);
    Decimal4 lowest = Decimal4::fromRaw(scores.lowest);
    if (scores.count > 0) {
        const double average = Decimal4::fromRaw(scores.sum).quotientAsDouble(n);
        const Decimal4 written = Decimal4::fromDouble(Rounding::roundToDecimals(average, 1));
        summi.setCell(c, AverageRow, written.toString());
        accumulated = addAt(accumulated, written, QStringLiteral("Накопленное среднее, столбец %1").arg(c));
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

// Step 1, one column after the other: the column statistics, column by
// column from the left; a column whose code contains "кт" is no lesson for
// the absences and the lesson count.
void columnStatisticsInOrder(const Grid &journal, Grid &summi, StudentTotals &totals)
{
    Decimal4 accumulated;
    for (int c = kFirstLessonCol; c < journal.colCount(); ++c) {
        const Weight weight(weightOf(journal, c));
        const bool lesson = !journal.cell(c, kCodeRow).contains(kNotLesson);
        if (lesson && totals.count() > 0)
            ++totals.lessonCount;
        const ColumnScores scores = readColumn(journal, c, weight, lesson, totals);
        writeColumnStatistics(summi, c, totals.count(), scores, weight.value(), accumulated);
    }
}

// What the reading of one lesson column gives the column statistics.
struct ColumnRead
{
    ColumnScores scores;
    Decimal4 weight;
    bool lesson = false;
};

// Reads lesson columns [from, to) into reads (indexed from the first lesson
// column) and totals, writing nothing else. False when the journal must be
// read in order instead: a cell or weight that stops the recalculation, a
// negative weight (a student's sum may then leave the range and come back
// between the threads' parts). A student sum beyond the range is left in
// totals.sumOverflowCol.
bool readColumnsQuietly(const Grid &journal, int from, int to, std::vector<ColumnRead> &reads, StudentTotals &totals) noexcept
{
    try {
        for (int c = from; c < to; ++c) {
            ColumnRead &read = reads[size_t(c - kFirstLessonCol)];
            read.weight = weightOf(journal, c);
            if (read.weight.raw() < 0)
                return false;
            read.lesson = !journal.cell(c, kCodeRow).contains(kNotLesson);
            read.scores = readColumn(journal, c, Weight(read.weight), read.lesson, totals);
        }
        return true;
    } catch (...) {
        return false;
    }
}

// Journals below this many score cells are read by one thread: starting a
// second costs more than it saves.
constexpr qint64 kCellsForTwoThreads = 150000;
// The lesson columns a thread takes at a time: the thread that is ahead
// takes more, whatever else the computer runs meanwhile.
constexpr int kColumnsPerRun = 16;

// Takes the next run of columns that no thread has taken and reads it, until
// none is left or a thread found what the reading in order must do.
void readRuns(const Grid &journal, std::atomic<int> &next, std::atomic<bool> &failed, std::vector<ColumnRead> &reads,
              StudentTotals &totals) noexcept
{
    const int end = journal.colCount();
    while (!failed.load(std::memory_order_relaxed)) {
        const int from = next.fetch_add(kColumnsPerRun, std::memory_order_relaxed);
        if (from >= end)
            return;
        if (!readColumnsQuietly(journal, from, std::min(from + kColumnsPerRun, end), reads, totals))
            failed.store(true, std::memory_order_relaxed);
    }
}

// Step 1 on a large journal: two threads read the lesson columns at the same
// time, each cell once, as in order, and the statistics are then written
// column by column from the left, as in order. False, with nothing written,
// when the journal must be read in order: a small journal, no second thread,
// or anything that readColumnsQuietly() leaves to the reading in order, which
// then stops where the rules say.
bool columnStatisticsInTwoThreads(const Grid &journal, Grid &summi, StudentTotals &totals)
{
    const int n = totals.count();
    const int lessons = journal.colCount() - kFirstLessonCol;
    if (n == 0 || lessons < 2 || qint64(n) * lessons < kCellsForTwoThreads || std::thread::hardware_concurrency() < 2)
        return false;
    std::vector<ColumnRead> reads(static_cast<size_t>(lessons));
    StudentTotals first(n);
    StudentTotals second(n);
    std::atomic<int> next{int(kFirstLessonCol)};
    std::atomic<bool> failed{false};
    std::thread helper;
    try {
        helper = std::thread([&] { readRuns(journal, next, failed, reads, second); });
    } catch (const std::system_error &) {
        return false;
    }
    readRuns(journal, next, failed, reads, first);
    helper.join();
    if (failed.load())
        return false;
    // The students' sums of both threads: with no negative weight a sum only
    // grows from column to column, so it stayed in range all the way when
    // both parts and the total are in range.
    for (size_t k = 0; k < size_t(n); ++k) {
        if (first.sumOverflowCol[k] >= 0 || second.sumOverflowCol[k] >= 0
            || __builtin_add_overflow(first.sums[k], second.sums[k], &first.sums[k]))
            return false;
        first.absences[k] += second.absences[k];
    }
    first.leftOut += second.leftOut;
    first.lessonCount = int(std::count_if(reads.begin(), reads.end(), [](const ColumnRead &r) { return r.lesson; }));
    totals = std::move(first);
    Decimal4 accumulated;
    for (int c = kFirstLessonCol; c < journal.colCount(); ++c) {
        const ColumnRead &read = reads[size_t(c - kFirstLessonCol)];
        writeColumnStatistics(summi, c, n, read.scores, read.weight, accumulated);
    }
    return true;
}

// Step 1.
void columnStatistics(const Grid &journal, Grid &summi, StudentTotals &totals)
{
    if (!columnStatisticsInTwoThreads(journal, summi, totals))
        columnStatisticsInOrder(journal, summi, totals);
}

// Step 2: Itog takes N + 1 rows and each student's number and name.
void writeNames(const Grid &journal, int n, Grid &itog)
{
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
}

// Step 3: each student's sum, and the best total (never below 0). A sum beyond
// the range of numbers stops here, at its student.
Decimal4 writeSums(const StudentTotals &totals, Grid &itog)
{
    Decimal4 best;
    for (int k = 1; k <= totals.count(); ++k) {
        if (totals.sumOverflowCol[size_t(k - 1)] >= 0) {
            const int r = k + kFirstStudentRow - 1;
            throwAtCell(totals.sumOverflowCol[size_t(k - 1)], r, QStringLiteral("сумма баллов ученика выходит за пределы чисел журнала."));
        }
        const Decimal4 s = Decimal4::fromRaw(totals.sums[size_t(k - 1)]);
        itog.setCell(SumCol, k, s.toString());
        if (s > best)
            best = s;
    }
    return best;
}

// Step 4: the percentage of the best total and the two grades; the thresholds
// are converted at the first student (after its percentage and ten-point grade
// are written); the absence count is reset.
void writePercentagesAndGrades(const StudentTotals &totals, Decimal4 best, const Thresholds &thresholds, Grid &itog)
{
    ScaleValues scale;
    const QString zero = QStringLiteral("0");
    for (int k = 1; k <= totals.count(); ++k) {
        const qint64 raw = totals.sums[size_t(k - 1)];
        const qint64 p = best.isZero() ? 0 : qint64(Rounding::divideHalfEven<Int128>(Int128(raw) * 100, best.raw()));
        itog.setCell(PercentCol, k, p >= 100 ? QString::number(p) : QStringLiteral("  ") + QString::number(p));
        itog.setCell(TenPointCol, k, GradingScale::tenPointGrade(p));
        if (k == 1)
            scale = GradingScale::convert(thresholds);
        itog.setCell(FivePointCol, k, GradingScale::fivePointGrade(p, scale));
        itog.setCell(AbsenceCountCol, k, zero);
    }
}

// Step 5: the grade counts start from zero.
void resetGradeCounts(Grid &uspev)
{
    for (int g = 1; g <= 4; ++g)
        uspev.setCell(g, 1, QStringLiteral("0"));
}

// Steps 6 and 7: each student's absences and their percentage of the lesson count.
void writeAbsences(const StudentTotals &totals, Grid &itog)
{
    const int n = totals.count();
    for (int k = 1; k <= n; ++k)
        itog.setCell(AbsenceCountCol, k, QString::number(totals.absences[size_t(k - 1)]));
    for (int k = 1; k <= n; ++k) {
        const int a = totals.absences[size_t(k - 1)];
        itog.setCell(AbsencePercentCol, k,
                     totals.lessonCount > 0 ? QString::number(Rounding::roundedRatio(qint64(a) * 100, totals.lessonCount))
                                            : QStringLiteral("0"));
    }
}

// The grade distribution, by Uspev column: 1 → 5, 2 → 4, 3 → 3, 4 → 2 (index 0 unused).
using GradeFigures = std::array<qint64, 5>;

// Step 8: Itog's headers, and the five-point grades counted as they stand in
// Itog; every unsatisfactory grade ("0", "1", "2" or a run of them) counts as 2.
GradeFigures countGrades(int n, Grid &itog, Grid &uspev)
{
    const QStringList &headers = itogHeaders();
    for (int c = 0; c < ItogColumns; ++c)
        itog.setCell(c, 0, headers[c]);
    GradeFigures counts{};
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
    return counts;
}

// Step 9: each grade's share of the students in whole percent (0 without students).
GradeFigures writeShares(const GradeFigures &counts, int n, Grid &uspev)
{
    GradeFigures shares{};
    for (int g = 1; g <= 4; ++g) {
        shares[g] = n > 0 ? Rounding::roundedRatio(counts[g] * 100, n) : 0;
        uspev.setCell(g, 2, QString::number(shares[g]));
    }
    return shares;
}

// Step 10: quality, learning degree and success rate ("0" each without students).
Indicators indicatorsOf(const GradeFigures &counts, const GradeFigures &shares, int n)
{
    Indicators out;
    if (n > 0) {
        out.ka4 = QString::number(shares[1] + shares[2]);
        const double learning = double(100 * counts[1] + 64 * counts[2] + 36 * counts[3] + 16 * counts[4]) / double(n);
        out.obu4 = Rounding::floatText(Rounding::roundToDecimals(learning, 1));
        const double success = double(counts[1] + counts[2] + counts[3]) / double(n);
        out.uspewa = Rounding::floatText(Rounding::roundToDecimals(success, 2) * 100);
    }
    return out;
}

} // namespace

int recalculate(const Grid &journal, const Thresholds &thresholds, Grid &itog, Grid &uspev, Grid &summi,
                Indicators &indicators)
{
    const int n = std::max(journal.rowCount() - kFirstStudentRow, 0);
    // Each score cell is read once, in step 1; the students' sums (step 3) and
    // absences (step 6) are gathered on the way.
    StudentTotals totals(n);
    Decimal4 best;
    try {
        columnStatistics(journal, summi, totals);
        writeNames(journal, n, itog);
        best = writeSums(totals, itog);
    } catch (const CellFault &fault) {
        throw ConversionError(JournalPlace::message(journal, fault.col, fault.row, fault.detail));
    }
    writePercentagesAndGrades(totals, best, thresholds, itog);
    resetGradeCounts(uspev);
    writeAbsences(totals, itog);
    const GradeFigures counts = countGrades(n, itog, uspev);
    const GradeFigures shares = writeShares(counts, n, uspev);
    indicators = indicatorsOf(counts, shares, n);
    return totals.leftOut;
}
