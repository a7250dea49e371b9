#include "journal/excerpt.h"

#include "journal/cp1251.h"

namespace {

void appendShown(QString &out, QChar ch)
{
    const char16_t u = ch.unicode();
    if (u == u'\n')
        out += QLatin1String("\\n");
    else if (u == u'\r')
        out += QLatin1String("\\r");
    else if (u == u'\t')
        out += QLatin1String("\\t");
    else if (u < 0x20 || u == 0x7F)
        out += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
    else
        out += ch;
}

} // namespace

QString excerpt(QStringView text)
{
    QString out;
    const qsizetype n = std::min(text.size(), kExcerptLength);
    out.reserve(n + 8);
    for (qsizetype i = 0; i < n; ++i)
        appendShown(out, text[i]);
    if (text.size() > kExcerptLength)
        out += QStringLiteral("…");
    return out;
}

QString excerptBytes(QByteArrayView bytes)
{
    const qsizetype n = std::min(bytes.size(), kExcerptLength);
    QString out = excerpt(Cp1251::decode(bytes.data(), n));
    if (bytes.size() > kExcerptLength)
        out += QStringLiteral("…");
    return out;
}

QString quotedExcerpt(QStringView text)
{
    return QStringLiteral("«") + excerpt(text) + QStringLiteral("»");
}

QString quotedPath(QStringView path)
{
    constexpr qsizetype kMaxPath = 160;
    QString out = QStringLiteral("«");
    auto append = [&out](QStringView part) {
        for (QChar ch : part)
            appendShown(out, ch);
    };
    if (path.size() <= kMaxPath) {
        append(path);
    } else {
        append(path.left(kMaxPath / 2));
        out += QStringLiteral("…");
        append(path.right(kMaxPath / 2));
    }
    return out + QStringLiteral("»");
}

bool hasControlCharacter(QStringView text)
{
    for (QChar ch : text)
        if (ch.unicode() < 0x20 || ch.unicode() == 0x7F)
            return true;
    return false;
}

QString oneLine(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += u' ';
        } else if (ch == u'\n') {
            out += u' ';
        } else {
            out += ch;
        }
    }
    return out;
}

QString counted(qint64 n, QStringView one, QStringView few, QStringView many)
{
    const qint64 units = (n < 0 ? -n : n) % 10;
    const qint64 tens = (n < 0 ? -n : n) % 100;
    QStringView form = many;
    if (tens < 11 || tens > 14) {
        if (units == 1)
            form = one;
        else if (units >= 2 && units <= 4)
            form = few;
    }
    return QString::number(n) + u' ' + form.toString();
}
