#include "journal/gridfile.h"

#include "journal/cp1251.h"
#include "journal/durablefile.h"
#include "journal/errors.h"
#include "journal/excerpt.h"
#include "journal/grid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString quoted(const QString &path)
{
    return quotedPath(path);
}

// Walks the lines of a byte buffer: a line ends at LF; CR bytes are dropped
// wherever they stand (the CR of CR LF and a lone CR alike).
class LineReader
{
public:
    explicit LineReader(const QByteArray &bytes) : m_p(bytes.constData()), m_end(bytes.constData() + bytes.size()) {}

    // The next line as raw bytes without its end; false at the end of the data.
    bool next(QByteArray &scratch, const char *&data, qsizetype &size)
    {
        if (m_p >= m_end)
            return false;
        // One pass finds the line's end and any CR in it. Most lines of a
        // journal are a score of a few bytes, for which a byte loop beats a
        // library search.
        const char *q = m_p;
        while (q < m_end && (static_cast<unsigned char>(*q) > '\r' || (*q != '\n' && *q != '\r')))
            ++q;
        if (q == m_end || *q == '\n') {
            data = m_p;
            size = q - m_p;
            m_p = q == m_end ? m_end : q + 1;
            return true;
        }
        if (q + 1 < m_end && q[1] == '\n') { // CR LF
            data = m_p;
            size = q - m_p;
            m_p = q + 2;
            return true;
        }
        // A lone CR (rare): the line up to its LF, without any CR.
        const char *lf = static_cast<const char *>(memchr(q, '\n', size_t(m_end - q)));
        const char *lineEnd = lf ? lf : m_end;
        scratch.clear();
        for (const char *b = m_p; b < lineEnd; ++b)
            if (*b != '\r')
                scratch.append(*b);
        data = scratch.constData();
        size = scratch.size();
        m_p = lf ? lf + 1 : m_end;
        return true;
    }

private:
    const char *m_p;
    const char *m_end;
};

bool isBlankByte(char ch)
{
    return ch == ' ' || ch == '\t';
}

// A count line: a decimal integer, blanks around it allowed, a "+" or "-"
// directly before the digits. A value beyond 64 bits is "too large" when
// positive and the lowest value when negative (a count below 1 becomes 1).
qint64 parseCount(const QString &path, int lineNo, QByteArrayView line, const char *what)
{
    const char *b = line.data();
    const char *e = b + line.size();
    while (b != e && isBlankByte(*b))
        ++b;
    while (e != b && isBlankByte(e[-1]))
        --e;
    const char *digits = b;
    const bool negative = digits != e && *digits == '-';
    if (digits != e && (*digits == '+' || *digits == '-'))
        ++digits;
    qint64 value = 0;
    const bool allDigits = digits != e && std::all_of(digits, e, [](char ch) { return ch >= '0' && ch <= '9'; });
    auto [ptr, ec] = std::from_chars(allDigits && !negative ? digits : b, e, value);
    if (!allDigits || (ec != std::errc() && ec != std::errc::result_out_of_range) || ptr != e)
        throw ConversionError(QStringLiteral("Файл %1, строка %2: %3 не является целым числом (%4).")
                                  .arg(quoted(path))
                                  .arg(lineNo)
                                  .arg(QStringLiteral("«") + excerptBytes(line) + QStringLiteral("»"), QString::fromUtf8(what)));
    if (ec == std::errc::result_out_of_range) {
        if (negative)
            return std::numeric_limits<qint64>::min();
        throw ConversionError(QStringLiteral("Файл %1, строка %2: %3 слишком велико (%4).")
                                  .arg(quoted(path))
                                  .arg(lineNo)
                                  .arg(QStringLiteral("«") + excerptBytes(line) + QStringLiteral("»"), QString::fromUtf8(what)));
    }
    return value;
}

QString tooLarge(const QString &path, qint64 cols, qint64 rows)
{
    return QStringLiteral("Файл %1: таблица %2 × %3 ячеек слишком велика для журнала "
                          "(допускается не более %4 столбцов или строк и %5 ячеек).")
        .arg(quoted(path))
        .arg(cols)
        .arg(rows)
        .arg(Grid::kMaxCount)
        .arg(Grid::kMaxCells);
}

// A data file larger than this is refused before it is read.
constexpr qint64 kMaxFileSize = qint64(1) << 30;

class FdCloser
{
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() { ::close(m_fd); }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;

private:
    int m_fd;
};

} // namespace

QByteArray readWholeFile(const QString &path)
{
    return readWholeFile(path, kMaxFileSize,
                         QStringLiteral("Файл %1 не прочитан: он больше %2 МБ, таких файлов журнал не бывает.")
                             .arg(quoted(path))
                             .arg(kMaxFileSize >> 20));
}

QByteArray readWholeFile(const QString &path, qint64 maxSize, const QString &tooBigMessage)
{
    const QByteArray native = QFile::encodeName(path);
    // No link is followed, and nothing waits: a FIFO or a device opens at once
    // and is then refused as no regular file.
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        QString reason = error == ELOOP || error == ENXIO ? DurableFile::notRegularFile(path) : QString();
        if (reason.isEmpty())
            reason = DurableFile::reasonOf(error, false);
        throw FileError(QStringLiteral("Не удалось открыть файл %1: %2.").arg(quoted(path), reason));
    }
    FdCloser closer(fd);
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        throw FileError(QStringLiteral("Не удалось прочитать файл %1: %2.").arg(quoted(path), DurableFile::reasonOf(errno, false)));
    if (!S_ISREG(st.st_mode)) {
        QString reason = DurableFile::notRegularFile(path);
        if (reason.isEmpty())
            reason = QStringLiteral("это не обычный файл");
        throw FileError(QStringLiteral("Файл %1 не прочитан: %2.").arg(quoted(path), reason));
    }
    auto tooBig = [&tooBigMessage] { return FileError(tooBigMessage); };
    // The size of the file opened, not of whatever the name points to now.
    if (st.st_size > maxSize)
        throw tooBig();
    QByteArray bytes;
    bytes.resize(qsizetype(st.st_size) + 1); // one byte more tells that the file has not grown
    qsizetype have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (bytes.size() > maxSize)
                throw tooBig();
            bytes.resize(std::min<qsizetype>(bytes.size() * 2 + 4096, maxSize + 1));
        }
        const ssize_t got = ::read(fd, bytes.data() + have, size_t(bytes.size() - have));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileError(QStringLiteral("Ошибка чтения файла %1: %2.").arg(quoted(path), DurableFile::reasonOf(errno, false)));
        }
        if (got == 0)
            break;
        have += got;
    }
    bytes.truncate(have);
    return bytes;
}

void writeWholeFile(const QString &path, const QByteArray &bytes)
{
    DurableFile::write(path, bytes);
}

void parseGridFile(const QString &path, const QByteArray &bytes, Grid &grid)
{
    LineReader reader(bytes);
    QByteArray scratch;
    const char *data = nullptr;
    qsizetype size = 0;

    // A count below 1 becomes 1, as when the grid's count is set.
    auto countLine = [&](int lineNo, const char *what) {
        QByteArrayView line;
        if (reader.next(scratch, data, size))
            line = QByteArrayView(data, size);
        return std::max<qint64>(parseCount(path, lineNo, line, what), 1);
    };

    // A count line that is not an integer stops the read; from line 2 on, the
    // column count of line 1 is already in force. Sizes are checked on the
    // shape they give before anything is allocated; a size no journal can have
    // leaves the grid untouched.
    const qint64 cols = countLine(1, "число столбцов");
    qint64 rows = 0;
    try {
        rows = countLine(2, "число строк");
    } catch (const ConversionError &) {
        if (Grid::sizeAllowed(cols, grid.rowCount()))
            grid.setColCount(int(cols));
        throw;
    }
    if (!Grid::sizeAllowed(cols, rows))
        throw ConversionError(tooLarge(path, cols, rows));
    grid.resize(int(cols), int(rows));

    // A cell that holds its text already (the same journal read again) is
    // left as it is.
    const int c = grid.colCount();
    const int r = grid.rowCount();
    for (int col = 0; col < c; ++col) {
        auto &cells = grid.column(col);
        for (int row = 0; row < r; ++row) {
            if (reader.next(scratch, data, size))
                Cp1251::assignShared(cells[size_t(row)], data, size);
            else
                cells[size_t(row)].clear();
        }
    }
}

void ReadGridFile(const QString &path, Grid &grid)
{
    parseGridFile(path, readWholeFile(path), grid);
}

QByteArray gridFileBytes(const QString &path, const Grid &grid, const CellNamer &namer)
{
    const auto cellName = [&namer](int col, int row) {
        return namer ? namer(col, row) : QStringLiteral("столбец %1, строка %2").arg(col).arg(row);
    };
    const int c = grid.colCount();
    const int r = grid.rowCount();
    QByteArray out;
    out.reserve(qsizetype(c) * r * 4 + 32);
    out += QByteArray::number(c) + "\r\n" + QByteArray::number(r) + "\r\n";
    for (int col = 0; col < c; ++col) {
        const auto &cells = grid.column(col);
        for (int row = 0; row < r; ++row) {
            const QString &text = cells[size_t(row)];
            const Cp1251::LineEncoding encoded = Cp1251::appendLineEncoded(text, out);
            if (encoded == Cp1251::LineEncoding::LineBreak)
                throw FileError(QStringLiteral("Файл %1 не записан: в ячейке (%2) %3 есть перевод строки, "
                                               "а ячейка файла — одна строка. Уберите его и запишите снова.")
                                    .arg(quoted(path), cellName(col, row), quotedExcerpt(text)));
            if (encoded == Cp1251::LineEncoding::Unencodable) {
                const qsizetype at = Cp1251::firstUnencodable(text);
                const QChar ch = text.at(at);
                const QString shown = (ch.isHighSurrogate() && at + 1 < text.size()) ? text.mid(at, 2) : QString(ch);
                throw FileError(QStringLiteral("Файл %1 не записан: в ячейке (%2) %3 есть знак %4, "
                                               "которого нет в кодировке cp1251. Замените его и запишите снова.")
                                    .arg(quoted(path), cellName(col, row), quotedExcerpt(text), quotedExcerpt(shown)));
            }
            out += "\r\n";
        }
    }
    return out;
}

void WriteGridFile(const QString &path, const Grid &grid, const CellNamer &namer)
{
    writeWholeFile(path, gridFileBytes(path, grid, namer));
}

void ReadColumnWidths(const QString &path, Grid &grid, Grid *companion)
{
    // Whatever stands at the path, a link too, is read (and a link refused):
    // only a path where nothing is keeps the widths.
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return;
    parseColumnWidths(path, readWholeFile(path), grid, companion);
}

void parseColumnWidths(const QString &path, const QByteArray &bytes, Grid &grid, Grid *companion)
{
    // A width beyond these bounds is taken as the nearest bound: no screen has
    // room for more, and a view must not add up widths beyond its integers.
    constexpr qint64 kMaxWidth = 10000;
    qsizetype pos = 0;
    const qsizetype n = bytes.size();
    auto isBlankOrControl = [](char ch) { return static_cast<unsigned char>(ch) <= ' '; };
    for (int i = 0; i < grid.colCount(); ++i) {
        int width = 0;
        // Blanks and empty lines before a number are skipped.
        while (pos < n && isBlankOrControl(bytes[pos]))
            ++pos;
        if (pos < n) {
            const qsizetype start = pos;
            while (pos < n && !isBlankOrControl(bytes[pos]))
                ++pos;
            const QByteArrayView token(bytes.constData() + start, pos - start);
            const char *b = token.data();
            const char *e = b + token.size();
            const bool negative = *b == '-';
            if (*b == '+' || *b == '-')
                ++b;
            const bool allDigits = b != e && std::all_of(b, e, [](char ch) { return ch >= '0' && ch <= '9'; });
            if (!allDigits)
                throw FileError(QStringLiteral("Файл %1: «%2» — не целое число (ширина столбца %3).")
                                    .arg(quoted(path), excerptBytes(token)).arg(i));
            qint64 value = 0;
            const auto [ptr, ec] = std::from_chars(b, e, value);
            if (ec == std::errc::result_out_of_range || value > kMaxWidth)
                value = kMaxWidth;
            width = negative ? 0 : int(value);
            // The rest of the line is ignored.
            while (pos < n && bytes[pos] != '\n')
                ++pos;
            if (pos < n)
                ++pos;
        }
        grid.setColWidth(i, width);
        if (companion)
            companion->setColWidth(i, width);
    }
}

QByteArray columnWidthsBytes(const Grid &grid)
{
    QByteArray out;
    for (int i = 0; i < grid.colCount(); ++i)
        out += QByteArray::number(grid.colWidth(i)) + "\r\n";
    return out;
}

void WriteColumnWidths(const QString &path, const Grid &grid)
{
    writeWholeFile(path, columnWidthsBytes(grid));
}

QStringList readTextLines(const QString &path)
{
    return splitTextLines(readWholeFile(path));
}

QStringList splitTextLines(const QByteArray &bytes, qsizetype maxLines)
{
    LineReader reader(bytes);
    QByteArray scratch;
    const char *data = nullptr;
    qsizetype size = 0;
    QStringList lines;
    while ((maxLines < 0 || lines.size() < maxLines) && reader.next(scratch, data, size))
        lines << Cp1251::decode(data, size);
    return lines;
}

void writeTextLines(const QString &path, const QStringList &lines)
{
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        const Cp1251::LineEncoding encoded = Cp1251::appendLineEncoded(line, out);
        if (encoded == Cp1251::LineEncoding::LineBreak)
            throw FileError(QStringLiteral("Файл %1 не записан: в строке %2 текст %3 содержит перевод строки.")
                                .arg(quoted(path)).arg(i + 1).arg(quotedExcerpt(line)));
        if (encoded == Cp1251::LineEncoding::Unencodable)
            throw FileError(QStringLiteral("Файл %1 не записан: в строке %2 текст %3 содержит знак, которого нет в кодировке cp1251.")
                                .arg(quoted(path)).arg(i + 1).arg(quotedExcerpt(line)));
        out += "\r\n";
    }
    writeWholeFile(path, out);
}
