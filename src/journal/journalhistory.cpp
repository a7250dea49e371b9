#include "journal/journalhistory.h"

#include "journal/cp1251.h"
#include "journal/grid.h"
#include "journal/journallayout.h"

#include <QHash>

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>

using namespace JournalLayout;

namespace JournalHistory {

namespace {

// Up to this many cells a full longest-common-subsequence table is built to
// match rows or lessons (a few megabytes); beyond it the matching is greedy.
constexpr qint64 kTableCells = 4'000'000;
// Up to this many pairs the rows or lessons of a gap are paired by the cells
// they share; beyond it in order.
constexpr qint64 kGapPairs = 10'000;

// Old index to new index (-1: none); `moved` for pairs found out of order.
struct Pairing
{
    std::vector<int> newOf;
    std::vector<char> moved;
};

using Similarity = std::function<int(int oldIndex, int newIndex)>;

// Pairs the unmatched items between two matched ones: as many as there are
// on both sides in order when the counts agree, else the order-keeping choice
// that shares the most cells (pairs sharing nothing stay unpaired).
void pairGap(const std::vector<int> &olds, const std::vector<int> &news, const Similarity &similarity, Pairing &p)
{
    if (olds.empty() || news.empty())
        return;
    const qsizetype m = olds.size(), n = news.size();
    if (m == n || qint64(m) * n > kGapPairs) {
        for (qsizetype i = 0; i < std::min(m, n); ++i)
            p.newOf[size_t(olds[i])] = news[i];
        return;
    }
    std::vector<int> score(size_t((m + 1) * (n + 1)), 0);
    std::vector<int> sim(size_t(m * n));
    auto at = [n](qsizetype i, qsizetype j) { return size_t(i * (n + 1) + j); };
    for (qsizetype i = 0; i < m; ++i)
        for (qsizetype j = 0; j < n; ++j)
            sim[size_t(i * n + j)] = similarity(olds[i], news[j]);
    for (qsizetype i = m - 1; i >= 0; --i)
        for (qsizetype j = n - 1; j >= 0; --j) {
            const int s = sim[size_t(i * n + j)];
            score[at(i, j)] = std::max({s > 0 ? score[at(i + 1, j + 1)] + s : 0, score[at(i + 1, j)], score[at(i, j + 1)]});
        }
    qsizetype i = 0, j = 0;
    while (i < m && j < n) {
        const int s = sim[size_t(i * n + j)];
        if (s > 0 && score[at(i, j)] == score[at(i + 1, j + 1)] + s) {
            p.newOf[size_t(olds[i])] = news[j];
            ++i;
            ++j;
        } else if (score[at(i + 1, j)] >= score[at(i, j + 1)]) {
            ++i;
        } else {
            ++j;
        }
    }
}

// Matches two sequences of keys: the common start and end, then the longest
// common subsequence of the rest; equal keys left over are moves; what is left
// between two matched items is paired by similarity.
Pairing align(const std::vector<size_t> &a, const std::vector<size_t> &b, const Similarity &similarity)
{
    const int m = int(a.size()), n = int(b.size());
    Pairing p{std::vector<int>(size_t(m), -1), std::vector<char>(size_t(m), 0)};
    std::vector<int> oldOf(size_t(n), -1);
    auto pair = [&](int i, int j) {
        p.newOf[size_t(i)] = j;
        oldOf[size_t(j)] = i;
    };
    int pre = 0;
    while (pre < m && pre < n && a[size_t(pre)] == b[size_t(pre)]) {
        pair(pre, pre);
        ++pre;
    }
    int suf = 0;
    while (suf < m - pre && suf < n - pre && a[size_t(m - 1 - suf)] == b[size_t(n - 1 - suf)]) {
        pair(m - 1 - suf, n - 1 - suf);
        ++suf;
    }
    const int mm = m - pre - suf, nn = n - pre - suf;
    if (mm > 0 && nn > 0) {
        if (qint64(mm) * nn <= kTableCells) {
            // Lengths of the common subsequences of the suffixes.
            std::vector<quint16> len(size_t(mm + 1) * size_t(nn + 1), 0);
            auto at = [nn](int i, int j) { return size_t(i) * size_t(nn + 1) + size_t(j); };
            for (int i = mm - 1; i >= 0; --i)
                for (int j = nn - 1; j >= 0; --j)
                    len[at(i, j)] = a[size_t(pre + i)] == b[size_t(pre + j)]
                        ? quint16(len[at(i + 1, j + 1)] + 1)
                        : std::max(len[at(i + 1, j)], len[at(i, j + 1)]);
            int i = 0, j = 0;
            while (i < mm && j < nn) {
                if (a[size_t(pre + i)] == b[size_t(pre + j)]) {
                    pair(pre + i, pre + j);
                    ++i;
                    ++j;
                } else if (len[at(i + 1, j)] >= len[at(i, j + 1)]) {
                    ++i;
                } else {
                    ++j;
                }
            }
        } else {
            // Each old item takes the first free new one with its key after the last taken.
            std::unordered_map<size_t, std::vector<int>> positions;
            for (int j = pre; j < n - suf; ++j)
                positions[b[size_t(j)]].push_back(j);
            std::unordered_map<size_t, size_t> cursor;
            int last = pre - 1;
            for (int i = pre; i < m - suf; ++i) {
                const auto found = positions.find(a[size_t(i)]);
                if (found == positions.end())
                    continue;
                size_t &c = cursor[a[size_t(i)]];
                while (c < found->second.size() && found->second[c] <= last)
                    ++c;
                if (c < found->second.size()) {
                    last = found->second[c++];
                    pair(i, last);
                }
            }
        }
    }
    // What stands in order is matched; the anchors of the gaps.
    std::vector<std::pair<int, int>> anchors;
    anchors.emplace_back(-1, -1);
    for (int i = 0; i < m; ++i)
        if (p.newOf[size_t(i)] >= 0)
            anchors.emplace_back(i, p.newOf[size_t(i)]);
    anchors.emplace_back(m, n);
    // Moves: an item left over in both with the same key.
    std::unordered_map<size_t, std::vector<int>> freeNew;
    for (int j = n - 1; j >= 0; --j)
        if (oldOf[size_t(j)] < 0)
            freeNew[b[size_t(j)]].push_back(j);
    for (int i = 0; i < m; ++i) {
        if (p.newOf[size_t(i)] >= 0)
            continue;
        const auto found = freeNew.find(a[size_t(i)]);
        if (found == freeNew.end() || found->second.empty())
            continue;
        pair(i, found->second.back());
        found->second.pop_back();
        p.moved[size_t(i)] = 1;
    }
    for (size_t k = 1; k < anchors.size(); ++k) {
        std::vector<int> olds, news;
        for (int i = anchors[k - 1].first + 1; i < anchors[k].first; ++i)
            if (p.newOf[size_t(i)] < 0)
                olds.push_back(i);
        for (int j = anchors[k - 1].second + 1; j < anchors[k].second; ++j)
            if (oldOf[size_t(j)] < 0)
                news.push_back(j);
        pairGap(olds, news, similarity, p);
    }
    return p;
}

bool isHexDigit(QChar ch)
{
    return (ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f') || (ch >= u'A' && ch <= u'F');
}

size_t nameKey(const Grid &grid, int row)
{
    return qHash(QStringView(grid.cell(kNameCol, row)).trimmed(), 0x5bd1e995);
}

QByteArray encodedLossy(const QString &text)
{
    QByteArray out;
    if (Cp1251::appendEncoded(text, out))
        return out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        if (!Cp1251::appendEncoded(text.mid(i, n), out))
            out.append('?');
        i += n - 1;
    }
    return out;
}

const char *operationOf(Change::Kind kind)
{
    switch (kind) {
    case Change::Cell:
        return kCellChanged;
    case Change::RowInserted:
        return kRowInserted;
    case Change::RowDeleted:
        return kRowDeleted;
    case Change::RowMoved:
        return kRowMoved;
    case Change::ColumnInserted:
        return kColumnInserted;
    case Change::ColumnDeleted:
        return kColumnDeleted;
    }
    return kCellChanged;
}

void appendLine(QByteArray &out, const Entry &e)
{
    const QString *fields[] = {&e.when,    &e.user,       &e.operation,  &e.studentNumber, &e.student,
                               &e.lessonNumber, &e.lessonDate, &e.oldText, &e.newText};
    bool first = true;
    for (const QString *field : fields) {
        if (!first)
            out.append('\t');
        first = false;
        out.append(encodedLossy(escaped(*field)));
    }
    out.append("\r\n");
}

// `existing` cut to its last `keep` lines, with a line end after the last.
QByteArrayView lastLines(const QByteArray &existing, qint64 keep, bool *needsLineEnd)
{
    *needsLineEnd = false;
    if (keep <= 0 || existing.isEmpty())
        return {};
    *needsLineEnd = !existing.endsWith('\n');
    // The line end that closes the last kept line is not counted.
    qsizetype end = existing.size() - (*needsLineEnd ? 0 : 1);
    qint64 found = 0;
    const char *data = existing.constData();
    for (qsizetype i = end - 1; i >= 0; --i) {
        if (data[i] == '\n' && ++found == keep)
            return QByteArrayView(data + i + 1, existing.size() - i - 1);
    }
    return QByteArrayView(existing);
}

QByteArray joined(const QByteArray &existing, qint64 keepExisting, const QByteArray &lines)
{
    bool needsLineEnd = false;
    const QByteArrayView kept = lastLines(existing, keepExisting, &needsLineEnd);
    QByteArray out;
    out.reserve(kept.size() + 2 + lines.size());
    out.append(kept);
    if (!kept.isEmpty() && needsLineEnd)
        out.append("\r\n");
    out.append(lines);
    return out;
}

} // namespace

std::vector<Change> changes(const Grid &before, const Grid &after)
{
    // Students by name.
    std::vector<size_t> rowKeysOld, rowKeysNew;
    for (int r = kFirstStudentRow; r < before.rowCount(); ++r)
        rowKeysOld.push_back(nameKey(before, r));
    for (int r = kFirstStudentRow; r < after.rowCount(); ++r)
        rowKeysNew.push_back(nameKey(after, r));
    const int sharedCols = std::min(before.colCount(), after.colCount());
    const Pairing rows = align(rowKeysOld, rowKeysNew, [&](int i, int j) {
        int same = 0;
        for (int c = kFirstLessonCol; c < sharedCols; ++c)
            same += before.cell(c, i + kFirstStudentRow) == after.cell(c, j + kFirstStudentRow);
        return same;
    });
    // The rows both grids have: the header rows by place, the students as matched.
    std::vector<std::pair<int, int>> rowPairs;
    for (int r = 0; r < std::min({kFirstStudentRow, before.rowCount(), after.rowCount()}); ++r)
        rowPairs.emplace_back(r, r);
    std::vector<int> oldRowOf(size_t(std::max(after.rowCount(), 0)), -1);
    for (size_t i = 0; i < rows.newOf.size(); ++i)
        if (rows.newOf[i] >= 0) {
            rowPairs.emplace_back(int(i) + kFirstStudentRow, rows.newOf[i] + kFirstStudentRow);
            oldRowOf[size_t(rows.newOf[i] + kFirstStudentRow)] = int(i) + kFirstStudentRow;
        }

    // Lessons by their header and the scores of the matched students.
    auto columnKey = [&](const Grid &grid, int c, bool old) {
        const std::vector<QString> &cells = grid.column(c);
        size_t h = 0x9e3779b9;
        for (const auto &[o, n] : rowPairs)
            h = h * 1000003u ^ qHash(cells[size_t(old ? o : n)], 0);
        return h;
    };
    std::vector<size_t> colKeysOld, colKeysNew;
    for (int c = kFirstLessonCol; c < before.colCount(); ++c)
        colKeysOld.push_back(columnKey(before, c, true));
    for (int c = kFirstLessonCol; c < after.colCount(); ++c)
        colKeysNew.push_back(columnKey(after, c, false));
    const Pairing cols = align(colKeysOld, colKeysNew, [&](int i, int j) {
        int same = 0;
        for (const auto &[o, n] : rowPairs)
            same += before.cell(i + kFirstLessonCol, o) == after.cell(j + kFirstLessonCol, n);
        return same;
    });
    std::vector<int> oldColOf(size_t(std::max(after.colCount(), 0)), -1);
    for (size_t i = 0; i < cols.newOf.size(); ++i)
        if (cols.newOf[i] >= 0)
            oldColOf[size_t(cols.newOf[i] + kFirstLessonCol)] = int(i) + kFirstLessonCol;
    if (after.colCount() > kNameCol)
        oldColOf[kNameCol] = before.colCount() > kNameCol ? int(kNameCol) : -1;

    std::vector<Change> out;
    // What went: one line each.
    for (size_t i = 0; i < rows.newOf.size(); ++i)
        if (rows.newOf[i] < 0)
            out.push_back({Change::RowDeleted, -1, int(i) + kFirstStudentRow, -1, -1});
    for (size_t i = 0; i < cols.newOf.size(); ++i)
        if (cols.newOf[i] < 0)
            out.push_back({Change::ColumnDeleted, int(i) + kFirstLessonCol, -1, -1, -1});
    // What came or moved.
    for (size_t i = 0; i < rows.newOf.size(); ++i)
        if (rows.moved[i])
            out.push_back({Change::RowMoved, -1, int(i) + kFirstStudentRow, -1, rows.newOf[i] + kFirstStudentRow});
    for (int r = kFirstStudentRow; r < after.rowCount(); ++r)
        if (oldRowOf[size_t(r)] < 0) {
            out.push_back({Change::RowInserted, -1, -1, -1, r});
            for (int c = kFirstLessonCol; c < after.colCount(); ++c)
                if (!after.cell(c, r).isEmpty())
                    out.push_back({Change::Cell, oldColOf[size_t(c)], -1, c, r});
        }
    for (int c = kFirstLessonCol; c < after.colCount(); ++c)
        if (oldColOf[size_t(c)] < 0) {
            out.push_back({Change::ColumnInserted, -1, -1, c, -1});
            for (int r = kFirstStudentRow; r < after.rowCount(); ++r)
                if (oldRowOf[size_t(r)] >= 0 && !after.cell(c, r).isEmpty())
                    out.push_back({Change::Cell, -1, oldRowOf[size_t(r)], c, r});
        }
    // Cells of what both have, student by student.
    std::vector<std::pair<int, int>> colPairs;
    for (int c = kNameCol; c < after.colCount(); ++c)
        if (oldColOf[size_t(c)] >= 0)
            colPairs.emplace_back(oldColOf[size_t(c)], c);
    std::sort(rowPairs.begin(), rowPairs.end(), [](const auto &x, const auto &y) { return x.second < y.second; });
    // Compared column by column, as the grid keeps its cells, then put in reading order.
    const size_t firstCell = out.size();
    for (const auto &[oldCol, newCol] : colPairs) {
        const std::vector<QString> &was = before.column(oldCol);
        const std::vector<QString> &is = after.column(newCol);
        for (const auto &[oldRow, newRow] : rowPairs) {
            if (newCol == kNameCol && newRow < kFirstStudentRow)
                continue; // the free header texts of the name column
            if (was[size_t(oldRow)] != is[size_t(newRow)])
                out.push_back({Change::Cell, oldCol, oldRow, newCol, newRow});
        }
    }
    std::stable_sort(out.begin() + qsizetype(firstCell), out.end(), [](const Change &x, const Change &y) {
        return x.newRow != y.newRow ? x.newRow < y.newRow : x.newCol < y.newCol;
    });
    return out;
}

Entry entryOf(const Change &change, const Grid &before, const Grid &after, const QString &when, const QString &user)
{
    Entry e;
    e.when = when;
    e.user = user;
    e.operation = QString::fromUtf8(operationOf(change.kind));
    const bool newRow = change.newRow >= 0;
    const Grid &rowGrid = newRow ? after : before;
    const int row = newRow ? change.newRow : change.oldRow;
    if (row >= kFirstStudentRow) {
        // A student: numbered and named as the grid shows him.
        e.studentNumber = QString::number(row - kStudentNumberOffset);
        e.student = rowGrid.cell(kNameCol, row);
    } else if (row >= 0) {
        static const char *const headers[] = {"Заголовок", "Дата", "Код", "Вес"};
        e.student = QString::fromUtf8(headers[row]);
    }
    const bool newCol = change.newCol >= 0;
    const Grid &colGrid = newCol ? after : before;
    const int col = newCol ? change.newCol : change.oldCol;
    if (col >= kFirstLessonCol) {
        e.lessonNumber = QString::number(col - kFirstLessonCol + 1);
        e.lessonDate = colGrid.cell(col, kDateRow);
    }
    switch (change.kind) {
    case Change::Cell:
        if (change.oldCol >= 0 && change.oldRow >= 0)
            e.oldText = before.cell(change.oldCol, change.oldRow);
        if (change.newCol >= 0 && change.newRow >= 0)
            e.newText = after.cell(change.newCol, change.newRow);
        break;
    case Change::RowMoved:
        // From the student's former number to his new one.
        e.oldText = QString::number(change.oldRow - kStudentNumberOffset);
        e.newText = QString::number(change.newRow - kStudentNumberOffset);
        break;
    default:
        break;
    }
    return e;
}

QByteArray appended(const QByteArray &existing, const std::vector<Change> &changes, const Grid &before,
                    const Grid &after, const QDateTime &when, const QString &user, int maxLines)
{
    // Only the lines that stay are made.
    const qint64 count = qint64(changes.size());
    const qint64 made = std::min<qint64>(count, maxLines);
    const QString time = timeText(when);
    QByteArray lines;
    lines.reserve(made * 64);
    for (qint64 i = count - made; i < count; ++i)
        appendLine(lines, entryOf(changes[size_t(i)], before, after, time, user));
    return joined(existing, maxLines - made, lines);
}

QByteArray appendedEntries(const QByteArray &existing, const QList<Entry> &entries, int maxLines)
{
    const qsizetype made = std::min<qsizetype>(entries.size(), maxLines);
    QByteArray lines;
    for (qsizetype i = entries.size() - made; i < entries.size(); ++i)
        appendLine(lines, entries[i]);
    return joined(existing, maxLines - made, lines);
}

QString timeText(const QDateTime &when)
{
    return when.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

QString escaped(const QString &text)
{
    bool plain = true;
    for (const QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7f || ch == u'\\') {
            plain = false;
            break;
        }
    if (plain)
        return text;
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        case 0:
            out += QLatin1String("\\0");
            break;
        default:
            if (ch.unicode() < 0x20 || ch.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'));
            else
                out += ch;
        }
    }
    return out;
}

QString unescaped(QStringView field)
{
    if (!field.contains(u'\\'))
        return field.toString();
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar ch = field[i];
        if (ch != u'\\' || i + 1 >= field.size()) {
            out += ch;
            continue;
        }
        const QChar next = field[i + 1];
        switch (next.unicode()) {
        case u'\\':
            out += u'\\';
            ++i;
            continue;
        case u't':
            out += u'\t';
            ++i;
            continue;
        case u'r':
            out += u'\r';
            ++i;
            continue;
        case u'n':
            out += u'\n';
            ++i;
            continue;
        case u'0':
            out += QChar(0);
            ++i;
            continue;
        case u'x':
            if (i + 3 < field.size() && isHexDigit(field[i + 2]) && isHexDigit(field[i + 3])) {
                out += QChar(char16_t(field.mid(i + 2, 2).toInt(nullptr, 16)));
                i += 3;
                continue;
            }
            break;
        default:
            break;
        }
        out += ch; // an escape this program never writes: kept as it stands
    }
    return out;
}

QList<Entry> parse(const QByteArray &bytes)
{
    // The first of the last kMaxLines lines that hold anything.
    qsizetype begin = bytes.size();
    qint64 lines = 0;
    for (qsizetype lineEnd = bytes.size(); lines < kMaxLines;) {
        const qsizetype newline = lineEnd > 0 ? bytes.lastIndexOf('\n', lineEnd - 1) : -1;
        const qsizetype lineStart = newline + 1;
        const qsizetype stop = lineEnd > lineStart && bytes.at(lineEnd - 1) == '\r' ? lineEnd - 1 : lineEnd;
        if (stop > lineStart)
            ++lines;
        begin = lineStart;
        if (newline < 0)
            break;
        lineEnd = newline;
    }
    QList<Entry> entries;
    qsizetype start = begin;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        qsizetype stop = end;
        if (stop > start && bytes.at(stop - 1) == '\r')
            --stop;
        if (stop > start) {
            Entry e;
            QString *fields[] = {&e.when,         &e.user,       &e.operation, &e.studentNumber, &e.student,
                                 &e.lessonNumber, &e.lessonDate, &e.oldText,   &e.newText};
            qsizetype at = start;
            for (QString *field : fields) {
                const void *found = std::memchr(bytes.constData() + at, '\t', size_t(stop - at));
                const qsizetype tab = found ? static_cast<const char *>(found) - bytes.constData() : stop;
                const qsizetype length = std::min<qsizetype>(tab - at, kMaxReadField);
                *field = unescaped(Cp1251::decode(bytes.constData() + at, length));
                if (length < tab - at)
                    *field += QChar(0x2026);
                if (tab >= stop)
                    break;
                at = tab + 1;
            }
            entries.append(std::move(e));
        }
        start = end + 1;
    }
    return entries;
}

} // namespace JournalHistory
