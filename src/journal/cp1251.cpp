#include "journal/cp1251.h"

#include <QStringDecoder>

#include <array>
#include <vector>

namespace Cp1251 {

namespace {

// cp1251 gives every one of its 256 bytes a character, so the code page is a
// one-to-one table. The table is taken once from Qt's converter; encoding is its
// inverse, which refuses every character outside the code page instead of
// writing a substitute byte.
struct Tables
{
    std::array<char16_t, 256> toUnicode{};
    std::vector<qint16> fromUnicode = std::vector<qint16>(0x10000, -1);
    // The same with CR and LF marked -2: a line of a file cannot hold them.
    std::vector<qint16> fromUnicodeLine;

    Tables()
    {
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(all);
        Q_ASSERT(text.size() == 256);
        for (int b = 0; b < 256; ++b) {
            const char16_t u = b < text.size() ? text.at(b).unicode() : char16_t(b);
            toUnicode[b] = u;
            if (fromUnicode[u] < 0)
                fromUnicode[u] = qint16(b);
        }
        fromUnicodeLine = fromUnicode;
        fromUnicodeLine[u'\r'] = -2;
        fromUnicodeLine[u'\n'] = -2;
    }
};

const Tables &tables()
{
    static const Tables t;
    return t;
}

// What reading needs, in storage that lives as long as the program (nothing to
// destroy): the table of the code page, every one-character text of it, and
// the scores of two digits ("10") and of a digit, a comma and a digit ("4,5"),
// each followed by a NUL. A cell of such a text refers to it without an
// allocation and without a reference count, so that copying and dropping the
// most common cells costs no atomic operation, and the recalculation, which
// reads a journal column by column, finds the texts of a column together.
struct Decoding
{
    std::array<char16_t, 256> toUnicode;
    std::array<std::array<char16_t, 2>, 256> single;
    std::array<std::array<char16_t, 3>, 100> twoDigits;
    std::array<std::array<char16_t, 4>, 100> decimalScores;
};

Q_DECL_COLD_FUNCTION Decoding makeDecoding()
{
    Decoding d{};
    d.toUnicode = tables().toUnicode;
    for (size_t b = 0; b < 256; ++b)
        d.single[b] = {d.toUnicode[b], u'\0'};
    for (size_t i = 0; i < 100; ++i) {
        const char16_t tens = char16_t(u'0' + i / 10);
        const char16_t units = char16_t(u'0' + i % 10);
        d.twoDigits[i] = {tens, units, u'\0'};
        d.decimalScores[i] = {tens, u',', units, u'\0'};
    }
    return d;
}

inline const Decoding &decoding()
{
    static const Decoding d = makeDecoding();
    return d;
}

inline QString singleChar(const Decoding &d, unsigned char byte)
{
    return QString::fromRawData(reinterpret_cast<const QChar *>(d.single[byte].data()), 1);
}

inline unsigned digitOf(unsigned char byte)
{
    return unsigned(byte) - unsigned('0');
}

// The decoded text of a cell: a constant one for one character and for the
// common scores of two or three characters, else a text of its own.
QString decodedCell(const Decoding &d, const unsigned char *src, qsizetype size)
{
    if (size == 1)
        return singleChar(d, src[0]);
    if (size == 2 && digitOf(src[0]) <= 9 && digitOf(src[1]) <= 9)
        return QString::fromRawData(reinterpret_cast<const QChar *>(d.twoDigits[digitOf(src[0]) * 10 + digitOf(src[1])].data()), 2);
    if (size == 3 && digitOf(src[0]) <= 9 && src[1] == ',' && digitOf(src[2]) <= 9)
        return QString::fromRawData(
            reinterpret_cast<const QChar *>(d.decimalScores[digitOf(src[0]) * 10 + digitOf(src[2])].data()), 3);
    return decode(reinterpret_cast<const char *>(src), size);
}

} // namespace

QString decode(const char *bytes, qsizetype size)
{
    if (size <= 0)
        return QString();
    const auto &t = decoding().toUnicode;
    QString out(size, Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    const auto *src = reinterpret_cast<const unsigned char *>(bytes);
    for (qsizetype i = 0; i < size; ++i)
        dst[i] = t[src[i]];
    return out;
}

void assignShared(QString &text, const char *bytes, qsizetype size)
{
    if (size <= 0) {
        text.clear();
        return;
    }
    const Decoding &d = decoding();
    const auto &t = d.toUnicode;
    const auto *src = reinterpret_cast<const unsigned char *>(bytes);
    if (text.size() == size) {
        const char16_t *have = reinterpret_cast<const char16_t *>(text.constData());
        qsizetype i = 0;
        while (i < size && have[i] == t[src[i]])
            ++i;
        if (i == size)
            return;
    }
    text = decodedCell(d, src, size);
}

QString decode(const QByteArray &bytes)
{
    return decode(bytes.constData(), bytes.size());
}

namespace {

// Appends the text encoded by the table: 0, or the table's negative entry of
// the first character it has no byte for (then nothing is appended).
qint16 appendWith(const std::vector<qint16> &table, const QString &text, QByteArray &out)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char *dst = out.data() + start;
    const char16_t *src = reinterpret_cast<const char16_t *>(text.constData());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qint16 b = table[src[i]];
        if (b < 0) {
            out.truncate(start);
            return b;
        }
        dst[i] = char(b);
    }
    return 0;
}

} // namespace

bool appendEncoded(const QString &text, QByteArray &out)
{
    return appendWith(tables().fromUnicode, text, out) == 0;
}

LineEncoding appendLineEncoded(const QString &text, QByteArray &out)
{
    switch (appendWith(tables().fromUnicodeLine, text, out)) {
    case 0:
        return LineEncoding::Ok;
    case -2:
        return LineEncoding::LineBreak;
    default:
        return LineEncoding::Unencodable;
    }
}

std::optional<QByteArray> encode(const QString &text)
{
    QByteArray out;
    if (!appendEncoded(text, out))
        return std::nullopt;
    return out;
}

bool canEncode(const QString &text)
{
    return firstUnencodable(text) < 0;
}

qsizetype firstUnencodable(const QString &text)
{
    const auto &t = tables().fromUnicode;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (t[text.at(i).unicode()] < 0)
            return i;
    }
    return -1;
}

} // namespace Cp1251
