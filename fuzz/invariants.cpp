#include "invariants.h"

#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/grid.h"
#include "journal/gridfile.h"
#include "rating/decimal4.h"
#include "rating/gradingscale.h"

#include <QList>

#include <algorithm>
#include <exception>
#include <limits>
#include <optional>
#include <typeinfo>

namespace ReaderInvariants {

namespace {

const QString kPath = QString::fromLatin1(kFileName);

// The widest column a widths file can give; no screen has room for more.
constexpr int kMaxColumnWidth = 10000;

// The lines of a file as every text reader takes them: a line ends at LF, a CR
// anywhere is dropped, the end of the data ends the last line.
QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0)
            lf = bytes.size();
        QByteArray line = bytes.mid(start, lf - start);
        line.replace('\r', QByteArray());
        lines.append(line);
        start = lf + 1;
    }
    return lines;
}

QByteArray trimmedBy(QByteArray text, bool (*isBlank)(unsigned char))
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(static_cast<unsigned char>(text[b])))
        ++b;
    while (e > b && isBlank(static_cast<unsigned char>(text[e - 1])))
        --e;
    return text.mid(b, e - b);
}

bool isSpaceOrTab(unsigned char ch)
{
    return ch == ' ' || ch == '\t';
}

bool isSpaceOrControl(unsigned char ch)
{
    return ch <= ' ';
}

// An integer text: an optional sign and decimal digits, nothing else.
struct Integer
{
    bool negative = false;
    bool fits = false; // the value lies in the 64-bit range
    qint64 value = 0;
};

std::optional<Integer> integerOf(const QByteArray &text)
{
    qsizetype i = 0;
    Integer n;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        n.negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    quint64 magnitude = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch < '0' || ch > '9')
            return std::nullopt;
        const quint64 digit = quint64(ch - '0');
        if (magnitude > (std::numeric_limits<quint64>::max() - digit) / 10)
            overflow = true;
        else
            magnitude = magnitude * 10 + digit;
    }
    const quint64 limit = n.negative ? quint64(std::numeric_limits<qint64>::max()) + 1
                                     : quint64(std::numeric_limits<qint64>::max());
    n.fits = !overflow && magnitude <= limit;
    if (n.fits)
        n.value = n.negative ? qint64(0 - magnitude) : qint64(magnitude);
    return n;
}

// What a count line allows: an integer with blanks (spaces, tabs) around it. A
// line that is an integer only once other control characters are also trimmed
// is left to the reader: either outcome is allowed.
struct CountLine
{
    bool notANumber = false; // no integer at all
    bool maySucceed = false;
    bool mayFail = false;
    int count = 1; // the count when the read succeeds
};

CountLine countLine(const QByteArray &line)
{
    CountLine c;
    const std::optional<Integer> strict = integerOf(trimmedBy(line, isSpaceOrTab));
    const std::optional<Integer> lenient = integerOf(trimmedBy(line, isSpaceOrControl));
    if (!lenient) {
        c.notANumber = true;
        c.mayFail = true;
        return c;
    }
    c.mayFail = !strict;
    if (!lenient->fits) {
        // Beyond 64 bits: a negative one may read as "below 1" or be refused.
        c.maySucceed = lenient->negative;
        c.mayFail = true;
    } else if (lenient->value < 1) {
        c.maySucceed = true;
    } else if (lenient->value > Grid::kMaxCount) {
        c.mayFail = true;
    } else {
        c.maySucceed = true;
        c.count = int(lenient->value);
    }
    return c;
}

QString describe(const std::exception &e)
{
    return QStringLiteral("%1 (%2)").arg(QString::fromLatin1(typeid(e).name()), QString::fromUtf8(e.what()).left(200));
}

// A project error that a reader may throw: a short, non-empty message.
QString checkMessage(const ZError &e, const QString &where)
{
    const QString &m = e.message();
    if (m.isEmpty())
        return where + QStringLiteral(": an error without a message");
    if (m.size() > kMaxMessageLength)
        return where + QStringLiteral(": a message of %1 characters: %2…").arg(m.size()).arg(m.left(120));
    return QString();
}

QString shape(const Grid &g)
{
    return QStringLiteral("%1 × %2").arg(g.colCount()).arg(g.rowCount());
}

// The first cell in which the grids differ, within the columns and rows both have.
QString firstDifferentCell(const Grid &a, const Grid &b, int cols, int rows)
{
    for (int col = 0; col < cols; ++col) {
        const auto &ca = a.column(col);
        const auto &cb = b.column(col);
        for (int row = 0; row < rows; ++row)
            if (ca[size_t(row)] != cb[size_t(row)])
                return QStringLiteral("cell (%1, %2) is «%3», was «%4»")
                    .arg(col).arg(row).arg(ca[size_t(row)].left(40), cb[size_t(row)].left(40));
    }
    return QString();
}

QString sameCountsAndCells(const Grid &now, const Grid &before)
{
    if (now.colCount() != before.colCount() || now.rowCount() != before.rowCount())
        return QStringLiteral("the grid is %1, was %2").arg(shape(now), shape(before));
    return firstDifferentCell(now, before, now.colCount(), now.rowCount());
}

QString untouched(const Grid &now, const Grid &before)
{
    QString d = sameCountsAndCells(now, before);
    if (d.isEmpty() && (now.fixedCols() != before.fixedCols() || now.fixedRows() != before.fixedRows()))
        d = QStringLiteral("the fixed counts changed");
    for (int col = 0; d.isEmpty() && col < now.colCount(); ++col)
        if (now.colWidth(col) != before.colWidth(col))
            d = QStringLiteral("the width of column %1 changed").arg(col);
    return d;
}

QString cellWithLineBreak(const Grid &g)
{
    for (int col = 0; col < g.colCount(); ++col) {
        const auto &cells = g.column(col);
        for (int row = 0; row < g.rowCount(); ++row) {
            const QString &t = cells[size_t(row)];
            if (t.contains(u'\r') || t.contains(u'\n'))
                return QStringLiteral("cell (%1, %2) holds a line break").arg(col).arg(row);
        }
    }
    return QString();
}

// The documented partial read: the new column count, rows and remaining cells as
// they were, new cells empty.
QString onlyColumnCountChanged(const Grid &now, const Grid &before, int cols)
{
    if (now.colCount() != cols || now.rowCount() != before.rowCount())
        return QStringLiteral("the grid is %1, expected %2 × %3 (line 1 in force) or %4 (untouched)")
            .arg(shape(now)).arg(cols).arg(before.rowCount()).arg(shape(before));
    const int common = std::min(cols, before.colCount());
    QString d = firstDifferentCell(now, before, common, now.rowCount());
    if (!d.isEmpty())
        return d;
    for (int col = common; col < cols; ++col)
        for (int row = 0; row < now.rowCount(); ++row)
            if (!now.cell(col, row).isEmpty())
                return QStringLiteral("new cell (%1, %2) is not empty").arg(col).arg(row);
    if (now.fixedRows() != before.fixedRows())
        return QStringLiteral("the fixed row count changed");
    return QString();
}

template<typename Read>
QString unexpectedException(Read &&read, const QString &where)
{
    try {
        read();
    } catch (const ZError &e) {
        return where + QStringLiteral(": unexpected %1").arg(describe(e));
    } catch (const std::exception &e) {
        return where + QStringLiteral(": threw %1").arg(describe(e));
    } catch (...) {
        return where + QStringLiteral(": threw something that is no std::exception");
    }
    return QString();
}

} // namespace

Grid knownGrid(int cols, int rows)
{
    Grid g(cols, rows, 1, 1);
    for (int col = 0; col < g.colCount(); ++col) {
        g.setCell(col, 0, QStringLiteral("c%1").arg(col));
        g.setColWidth(col, 20 + col % 50);
    }
    for (int row = 0; row < g.rowCount(); ++row)
        g.setCell(0, row, QStringLiteral("r%1").arg(row));
    for (int i = 1; i < std::min(g.colCount(), g.rowCount()); ++i)
        g.setCell(i, i, QStringLiteral("Ячейка %1").arg(i));
    return g;
}

QString checkGridFile(const QByteArray &bytes, Grid &grid)
{
    const Grid before = grid;
    const QList<QByteArray> lines = fileLines(bytes);
    const CountLine c = countLine(lines.value(0));
    const CountLine r = countLine(lines.value(1));
    const bool shapeAllowed = Grid::sizeAllowed(c.count, r.count);
    const bool mayRead = c.maySucceed && r.maySucceed && shapeAllowed;
    const bool mayRefuse = c.mayFail || r.mayFail || !shapeAllowed;
    // Line 1 in force while line 2 is refused, when that shape is allowed.
    const bool columnsMayChange = c.maySucceed && r.mayFail && Grid::sizeAllowed(c.count, before.rowCount());
    const bool columnsMustChange = columnsMayChange && !c.mayFail && r.notANumber;

    try {
        parseGridFile(kPath, bytes, grid);
    } catch (const ZError &e) {
        if (!dynamic_cast<const ConversionError *>(&e) && !dynamic_cast<const FileError *>(&e))
            return QStringLiteral("refused with %1").arg(describe(e));
        if (QString d = checkMessage(e, QStringLiteral("refused")); !d.isEmpty())
            return d;
        if (!mayRefuse)
            return QStringLiteral("refused a valid file of %1 × %2 cells: %3").arg(c.count).arg(r.count).arg(e.message());
        if (!Grid::sizeAllowed(grid.colCount(), grid.rowCount()))
            return QStringLiteral("refused, leaving a grid of %1 beyond the allowed size").arg(shape(grid));
        const QString kept = untouched(grid, before);
        if (kept.isEmpty()) {
            if (columnsMustChange && c.count != before.colCount())
                return QStringLiteral("refused line 2 without putting the column count %1 of line 1 in force").arg(c.count);
            return QString();
        }
        if (!columnsMayChange)
            return QStringLiteral("refused, but changed the grid: %1").arg(kept);
        if (QString d = onlyColumnCountChanged(grid, before, c.count); !d.isEmpty())
            return QStringLiteral("refused line 2, but: %1").arg(d);
        return QString();
    } catch (const std::exception &e) {
        return QStringLiteral("threw %1").arg(describe(e));
    } catch (...) {
        return QStringLiteral("threw something that is no std::exception");
    }

    if (!mayRead)
        return QStringLiteral("read a file whose count lines «%1», «%2» allow no grid")
            .arg(Cp1251::decode(lines.value(0).left(40)), Cp1251::decode(lines.value(1).left(40)));
    if (!Grid::sizeAllowed(grid.colCount(), grid.rowCount()))
        return QStringLiteral("read a grid of %1, beyond the allowed size").arg(shape(grid));
    if (grid.colCount() != c.count || grid.rowCount() != r.count)
        return QStringLiteral("read a grid of %1, the file says %2 × %3").arg(shape(grid)).arg(c.count).arg(r.count);
    if (QString d = cellWithLineBreak(grid); !d.isEmpty())
        return QStringLiteral("read: %1").arg(d);
    // The cells are the lines after the counts, column by column.
    qsizetype line = 2;
    for (int col = 0; col < grid.colCount(); ++col) {
        for (int row = 0; row < grid.rowCount(); ++row, ++line) {
            const QString expected = line < lines.size() ? Cp1251::decode(lines.at(line)) : QString();
            if (grid.cell(col, row) != expected)
                return QStringLiteral("read cell (%1, %2) as «%3», line %4 is «%5»")
                    .arg(col).arg(row).arg(grid.cell(col, row).left(40)).arg(line + 1).arg(expected.left(40));
        }
    }

    // What is read is written unchanged and reads back the same.
    QByteArray written;
    if (QString d = unexpectedException([&] { written = gridFileBytes(kPath, grid); }, QStringLiteral("writing the grid read"));
        !d.isEmpty())
        return d;
    Grid again;
    if (QString d = unexpectedException([&] { parseGridFile(kPath, written, again); }, QStringLiteral("reading the grid written"));
        !d.isEmpty())
        return d;
    if (QString d = sameCountsAndCells(again, grid); !d.isEmpty())
        return QStringLiteral("written and read again: %1").arg(d);
    return QString();
}

QString checkColumnWidths(const QByteArray &bytes, Grid &grid, Grid *companion)
{
    const Grid before = grid;
    const Grid companionBefore = companion ? *companion : Grid();

    // The width of each column: the first word of each line that is not blank.
    const int cols = grid.colCount();
    QList<std::optional<int>> widths; // nullopt: that word is no integer
    for (const QByteArray &rawLine : bytes.split('\n')) {
        if (widths.size() == cols)
            break;
        const QByteArray line = trimmedBy(rawLine, isSpaceOrControl);
        if (line.isEmpty())
            continue;
        qsizetype end = 0;
        while (end < line.size() && !isSpaceOrControl(static_cast<unsigned char>(line[end])))
            ++end;
        // Any integer is a width: a negative one is 0, a larger one the largest.
        const std::optional<Integer> n = integerOf(line.left(end));
        if (!n)
            widths.append(std::nullopt);
        else if (n->negative)
            widths.append(0);
        else
            widths.append(n->fits ? int(std::min<qint64>(n->value, kMaxColumnWidth)) : kMaxColumnWidth);
    }
    qsizetype firstBad = -1;
    for (qsizetype i = 0; i < widths.size() && firstBad < 0; ++i)
        if (!widths.at(i))
            firstBad = i;

    auto countsAndCellsKept = [&]() -> QString {
        if (QString d = sameCountsAndCells(grid, before); !d.isEmpty())
            return QStringLiteral("grid: %1").arg(d);
        if (companion) {
            if (QString d = sameCountsAndCells(*companion, companionBefore); !d.isEmpty())
                return QStringLiteral("companion: %1").arg(d);
        }
        return QString();
    };

    try {
        parseColumnWidths(kPath, bytes, grid, companion);
    } catch (const ZError &e) {
        if (QString d = checkMessage(e, QStringLiteral("refused")); !d.isEmpty())
            return d;
        if (firstBad < 0)
            return QStringLiteral("refused widths that are all integers: %1").arg(e.message());
        if (QString d = countsAndCellsKept(); !d.isEmpty())
            return QStringLiteral("refused, but changed the %1").arg(d);
        for (int col = int(firstBad); col < cols; ++col) {
            if (grid.colWidth(col) != before.colWidth(col))
                return QStringLiteral("refused at column %1, but changed the width of column %2").arg(firstBad).arg(col);
            if (companion && companion->colWidth(col) != companionBefore.colWidth(col))
                return QStringLiteral("refused at column %1, but changed the companion's column %2").arg(firstBad).arg(col);
        }
        return QString();
    } catch (const std::exception &e) {
        return QStringLiteral("threw %1").arg(describe(e));
    } catch (...) {
        return QStringLiteral("threw something that is no std::exception");
    }

    if (firstBad >= 0)
        return QStringLiteral("accepted a width that is no integer, for column %1").arg(firstBad);
    if (QString d = countsAndCellsKept(); !d.isEmpty())
        return QStringLiteral("changed the %1").arg(d);
    for (int col = 0; col < cols; ++col) {
        const int expected = col < widths.size() ? *widths.at(col) : 0;
        if (grid.colWidth(col) != expected)
            return QStringLiteral("column %1 has width %2, the file says %3").arg(col).arg(grid.colWidth(col)).arg(expected);
        if (companion && col < companion->colCount() && companion->colWidth(col) != expected)
            return QStringLiteral("the companion's column %1 has width %2, the file says %3")
                .arg(col).arg(companion->colWidth(col)).arg(expected);
    }
    if (companion) {
        for (int col = cols; col < companion->colCount(); ++col)
            if (companion->colWidth(col) != companionBefore.colWidth(col))
                return QStringLiteral("the companion's column %1, beyond the grid, changed its width").arg(col);
    }
    return QString();
}

QString checkGradingScale(const QByteArray &bytes)
{
    Thresholds t;
    try {
        t = GradingScale::parse(bytes);
    } catch (const ZError &e) {
        return checkMessage(e, QStringLiteral("refused the scale file"));
    } catch (const std::exception &e) {
        return QStringLiteral("reading the scale threw %1").arg(describe(e));
    } catch (...) {
        return QStringLiteral("reading the scale threw something that is no std::exception");
    }

    const QList<QByteArray> lines = fileLines(bytes);
    const QString *texts[] = {&t.t3, &t.t4, &t.t5};
    for (int i = 0; i < 3; ++i) {
        const QString expected = Cp1251::decode(lines.value(i));
        if (*texts[i] != expected)
            return QStringLiteral("text %1 is «%2», line %1 is «%3»").arg(i + 1).arg(texts[i]->left(40), expected.left(40));
        if (texts[i]->contains(u'\r') || texts[i]->contains(u'\n'))
            return QStringLiteral("text %1 holds a line break").arg(i + 1);
    }

    Decimal4 parsed[3];
    bool allNumbers = true;
    for (int i = 0; i < 3; ++i)
        allNumbers &= Decimal4::parse(*texts[i], parsed[i]) == Decimal4::Parse::Ok;

    ScaleValues v;
    try {
        v = GradingScale::convert(t);
    } catch (const ConversionError &e) {
        if (allNumbers)
            return QStringLiteral("convert refused three numbers: %1").arg(e.message());
        return checkMessage(e, QStringLiteral("convert"));
    } catch (const ZError &e) {
        return QStringLiteral("convert threw %1").arg(describe(e));
    } catch (const std::exception &e) {
        return QStringLiteral("convert threw %1").arg(describe(e));
    } catch (...) {
        return QStringLiteral("convert threw something that is no std::exception");
    }
    if (!allNumbers)
        return QStringLiteral("convert accepted a text that is no number");
    if (v.t3 != parsed[0] || v.t4 != parsed[1] || v.t5 != parsed[2])
        return QStringLiteral("convert gave other values than the texts hold");

    // The grade never falls as the percentage rises, whatever the thresholds.
    const qint64 percents[] = {std::numeric_limits<qint64>::min(), -1000, -1, 0, 1, 49, 50, 51, 62, 63, 69, 70,
                               84, 85, 86, 99, 100, 101, 1000, std::numeric_limits<qint64>::max()};
    QString previous;
    for (qint64 p : percents) {
        const QString grade = GradingScale::fivePointGrade(p, v);
        if (!previous.isEmpty() && grade < previous)
            return QStringLiteral("the grade of %1 %% is %2, below the grade %3 of a lower percentage").arg(p).arg(grade, previous);
        previous = grade;
    }
    return QString();
}

QString checkDecimal4(QStringView text)
{
    // The lenient conversion: 0 for a text that fails the score test, the strict
    // value or the strict error for one that passes it.
    try {
        const Decimal4 lenient = Str4islo(text);
        if (!IsNumberText(text) && !lenient.isZero())
            return QStringLiteral("Str4islo gives %1 for a text that fails the score test").arg(lenient.toString());
        if (IsNumberText(text)) {
            Decimal4 strict;
            if (Decimal4::parse(trimBlanks(text), strict) != Decimal4::Parse::Ok || strict != lenient)
                return QStringLiteral("Str4islo gives %1, not the value of the text").arg(lenient.toString());
        }
    } catch (const ConversionError &e) {
        Decimal4 strict;
        if (!IsNumberText(text) || Decimal4::parse(trimBlanks(text), strict) == Decimal4::Parse::Ok)
            return QStringLiteral("Str4islo refused the text: %1").arg(e.message());
        if (QString d = checkMessage(e, QStringLiteral("Str4islo")); !d.isEmpty())
            return d;
    } catch (const std::exception &e) {
        return QStringLiteral("Str4islo threw %1").arg(describe(e));
    } catch (...) {
        return QStringLiteral("Str4islo threw something that is no std::exception");
    }

    Decimal4 parsed;
    const Decimal4::Parse verdict = Decimal4::parse(text, parsed);
    Decimal4 value;
    try {
        value = Decimal4::fromText(text);
    } catch (const ConversionError &e) {
        if (verdict == Decimal4::Parse::Ok)
            return QStringLiteral("fromText refused what parse takes: %1").arg(e.message());
        return checkMessage(e, QStringLiteral("fromText"));
    } catch (const std::exception &e) {
        return QStringLiteral("fromText threw %1").arg(describe(e));
    } catch (...) {
        return QStringLiteral("fromText threw something that is no std::exception");
    }
    if (verdict != Decimal4::Parse::Ok)
        return QStringLiteral("fromText took what parse refuses");
    if (value != parsed)
        return QStringLiteral("fromText and parse give different values");

    // The shortest text: digits without leading zeros, decimals without
    // trailing zeros, no "-0"; it reads back as the same value.
    const QString shortest = value.toString();
    const bool negative = shortest.startsWith(u'-');
    const QStringView unsignedText = QStringView(shortest).sliced(negative ? 1 : 0);
    const qsizetype comma = unsignedText.indexOf(u',');
    const QStringView whole = comma < 0 ? unsignedText : unsignedText.first(comma);
    const QStringView decimals = comma < 0 ? QStringView() : unsignedText.sliced(comma + 1);
    auto allDigits = [](QStringView t) {
        return std::all_of(t.begin(), t.end(), [](QChar ch) { return ch >= u'0' && ch <= u'9'; });
    };
    if (whole.isEmpty() || !allDigits(whole) || !allDigits(decimals) || (whole.size() > 1 && whole.front() == u'0')
        || (comma >= 0 && (decimals.isEmpty() || decimals.size() > 4 || decimals.back() == u'0'))
        || (negative && value.raw() >= 0) || (!negative && value.raw() < 0))
        return QStringLiteral("toString gives «%1», not the shortest text").arg(shortest);
    Decimal4 back;
    try {
        back = Decimal4::fromText(shortest);
    } catch (const std::exception &e) {
        return QStringLiteral("fromText refused «%1» from toString: %2").arg(shortest, describe(e));
    }
    if (back != value)
        return QStringLiteral("«%1» from toString reads back as %2").arg(shortest, back.toString());
    return QString();
}

} // namespace ReaderInvariants
