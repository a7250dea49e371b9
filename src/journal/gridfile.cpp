#include "journal/gridfile.h"

#include "journal/cp1251.h"
#include "journal/errors.h"
#include "journal/grid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <charconv>

namespace {

QString quoted(const QString &path)
{
    return QStringLiteral("«%1»").arg(path);
}

// Walks the lines of a byte buffer: a line ends at LF; CR bytes are dropped
// wherever they stand (the CR of CR LF and a lone CR alike).
class LineReader
{
public:
    explicit LineReader(const QByteArray &bytes) : m_p(bytes.constData()), m_end(bytes.constData() + bytes.size())
    {
        // Lone CRs are rare; one look over the whole buffer spares the per-line scan.
        for (const char *q = m_p; (q = static_cast<const char *>(memchr(q, '\r', size_t(m_end - q)))) != nullptr; ++q) {
            if (q + 1 >= m_end || q[1] != '\n') {
                m_loneCr = true;
                break;
            }
        }
    }

    // The next line as raw bytes without its end; false at the end of the data.
    bool next(QByteArray &scratch, const char *&data, qsizetype &size)
    {
        if (m_p >= m_end)
            return false;
        const char *lf = static_cast<const char *>(memchr(m_p, '\n', size_t(m_end - m_p)));
        const char *lineEnd = lf ? lf : m_end;
        if (!m_loneCr) {
            data = m_p;
            size = lineEnd - m_p;
            if (size > 0 && lineEnd[-1] == '\r')
                --size;
        } else {
            scratch.clear();
            for (const char *q = m_p; q < lineEnd; ++q)
                if (*q != '\r')
                    scratch.append(*q);
            data = scratch.constData();
            size = scratch.size();
        }
        m_p = lf ? lf + 1 : m_end;
        return true;
    }

private:
    const char *m_p;
    const char *m_end;
    bool m_loneCr = false;
};

// A text from a file as a message shows it: at most 40 characters.
QString shown(const QByteArray &bytes)
{
    const QString text = Cp1251::decode(bytes);
    return text.size() > 40 ? text.left(40) + QStringLiteral("…") : text;
}

qint64 parseCount(const QString &path, int lineNo, const QByteArray &line, const char *what)
{
    const QByteArray t = line.trimmed();
    qint64 value = 0;
    const char *b = t.constData();
    const char *e = b + t.size();
    if (b != e && *b == '+')
        ++b;
    auto [ptr, ec] = std::from_chars(b, e, value);
    if (t.isEmpty() || ec != std::errc() || ptr != e)
        throw ConversionError(QStringLiteral("Файл %1, строка %2: «%3» не является целым числом (%4).")
                                  .arg(quoted(path))
                                  .arg(lineNo)
                                  .arg(shown(line), QString::fromUtf8(what)));
    return value;
}

// Why a file could not be opened, in words a teacher reads.
QString openFailure(const QString &path, const QFileDevice &file, bool forWriting)
{
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("это папка, а не файл");
    if (!forWriting && !info.exists())
        return QStringLiteral("файл не найден");
    if (forWriting && !info.absoluteDir().exists())
        return QStringLiteral("нет папки «%1»").arg(QFileInfo(path).path());
    if (forWriting && info.exists() && !info.isWritable())
        return QStringLiteral("файл защищён от записи");
    if (!forWriting && !info.isReadable())
        return QStringLiteral("нет прав на чтение");
    if (forWriting && !QFileInfo(info.absolutePath()).isWritable())
        return QStringLiteral("нет прав на запись в папку");
    return file.errorString();
}

} // namespace

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Не удалось открыть файл %1: %2.").arg(quoted(path), openFailure(path, file, false)));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Ошибка чтения файла %1: %2.").arg(quoted(path), file.errorString()));
    return bytes;
}

void writeWholeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Не удалось создать файл %1: %2.").arg(quoted(path), openFailure(path, file, true)));
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        throw FileError(QStringLiteral("Ошибка записи файла %1: %2. Прежний файл сохранён.").arg(quoted(path), reason));
    }
    if (!file.commit())
        throw FileError(QStringLiteral("Не удалось записать файл %1: %2. Прежний файл сохранён.").arg(quoted(path), file.errorString()));
}

void parseGridFile(const QString &path, const QByteArray &bytes, Grid &grid)
{
    LineReader reader(bytes);
    QByteArray scratch;
    const char *data = nullptr;
    qsizetype size = 0;

    auto countLine = [&](int lineNo, const char *what) {
        QByteArray line;
        if (reader.next(scratch, data, size))
            line = QByteArray(data, size);
        return parseCount(path, lineNo, line, what);
    };

    // A count line that is not an integer stops the read; from line 2 on, the
    // column count of line 1 is already in force. A size no journal can have
    // leaves the grid untouched.
    const qint64 cols = countLine(1, "число столбцов");
    qint64 rows = 0;
    try {
        rows = countLine(2, "число строк");
    } catch (const ConversionError &) {
        if (Grid::sizeAllowed(cols, 1))
            grid.setColCount(int(cols));
        throw;
    }
    if (!Grid::sizeAllowed(cols, rows))
        throw ConversionError(QStringLiteral("Файл %1: таблица %2 × %3 ячеек слишком велика для журнала.")
                                  .arg(quoted(path)).arg(cols).arg(rows));
    grid.setColCount(int(cols));
    grid.setRowCount(int(rows));

    const int c = grid.colCount();
    const int r = grid.rowCount();
    for (int col = 0; col < c; ++col) {
        auto &cells = grid.column(col);
        for (int row = 0; row < r; ++row) {
            if (reader.next(scratch, data, size))
                cells[size_t(row)] = Cp1251::decodeShared(data, size);
            else
                cells[size_t(row)] = QString();
        }
    }
}

void ReadGridFile(const QString &path, Grid &grid)
{
    parseGridFile(path, readWholeFile(path), grid);
}

QByteArray gridFileBytes(const QString &path, const Grid &grid)
{
    const int c = grid.colCount();
    const int r = grid.rowCount();
    QByteArray out;
    out.reserve(qsizetype(c) * r * 4 + 32);
    out += QByteArray::number(c) + "\r\n" + QByteArray::number(r) + "\r\n";
    for (int col = 0; col < c; ++col) {
        const auto &cells = grid.column(col);
        for (int row = 0; row < r; ++row) {
            const QString &text = cells[size_t(row)];
            if (!Cp1251::appendEncoded(text, out)) {
                const qsizetype at = Cp1251::firstUnencodable(text);
                const QChar ch = text.at(at);
                const QString shown = (ch.isHighSurrogate() && at + 1 < text.size()) ? text.mid(at, 2) : QString(ch);
                throw FileError(QStringLiteral("Файл %1 не записан: в ячейке (столбец %2, строка %3) «%4» есть знак «%5», "
                                               "которого нет в кодировке cp1251. Замените его и запишите снова.")
                                    .arg(quoted(path)).arg(col).arg(row).arg(text, shown));
            }
            out += "\r\n";
        }
    }
    return out;
}

void WriteGridFile(const QString &path, const Grid &grid)
{
    writeWholeFile(path, gridFileBytes(path, grid));
}

void ReadColumnWidths(const QString &path, Grid &grid, Grid *companion)
{
    if (!QFile::exists(path))
        return;
    parseColumnWidths(path, readWholeFile(path), grid, companion);
}

void parseColumnWidths(const QString &path, const QByteArray &bytes, Grid &grid, Grid *companion)
{
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
            const QByteArray token = bytes.mid(start, pos - start);
            bool ok = false;
            width = token.toInt(&ok);
            if (!ok)
                throw FileError(QStringLiteral("Файл %1: «%2» — не целое число (ширина столбца %3).")
                                    .arg(quoted(path), shown(token)).arg(i));
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

void WriteColumnWidths(const QString &path, const Grid &grid)
{
    QByteArray out;
    for (int i = 0; i < grid.colCount(); ++i)
        out += QByteArray::number(grid.colWidth(i)) + "\r\n";
    writeWholeFile(path, out);
}

QStringList readTextLines(const QString &path)
{
    return splitTextLines(readWholeFile(path));
}

QStringList splitTextLines(const QByteArray &bytes)
{
    LineReader reader(bytes);
    QByteArray scratch;
    const char *data = nullptr;
    qsizetype size = 0;
    QStringList lines;
    while (reader.next(scratch, data, size))
        lines << Cp1251::decode(data, size);
    return lines;
}

void writeTextLines(const QString &path, const QStringList &lines)
{
    QByteArray out;
    for (const QString &line : lines) {
        if (!Cp1251::appendEncoded(line, out))
            throw FileError(QStringLiteral("Файл %1 не записан: в тексте «%2» есть знак, которого нет в кодировке cp1251.")
                                .arg(quoted(path), line));
        out += "\r\n";
    }
    writeWholeFile(path, out);
}
