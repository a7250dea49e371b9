#include "rating/decimal4.h"

#include "journal/errors.h"
#include "journal/excerpt.h"
#include "rating/rounding.h"

#include <cmath>
#include <limits>

namespace {

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();
// Magnitude limits of the raw value for each sign.
constexpr UInt128 kPosLimit = static_cast<UInt128>(kMax);
constexpr UInt128 kNegLimit = static_cast<UInt128>(kMax) + 1;

// Significant mantissa digits kept exactly; any digit beyond them only decides
// a rounding (a value with more digits before the point is out of range anyway).
constexpr int kKeptDigits = 40;
// Exponents are clamped here: far beyond any representable value either way.
constexpr qint64 kExponentClamp = 1000000;

[[noreturn]] void throwOverflow(const QString &what)
{
    throw ConversionError(QStringLiteral("Результат %1 выходит за пределы чисел журнала "
                                         "(не более 922337203685477,5807 по модулю).").arg(what));
}

bool isDigit(char16_t ch)
{
    return ch >= u'0' && ch <= u'9';
}

} // namespace

QStringView trimBlanks(QStringView text)
{
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && isBlank(text[b]))
        ++b;
    while (e > b && isBlank(text[e - 1]))
        --e;
    return text.sliced(b, e - b);
}

Decimal4::Parse Decimal4::parse(QStringView text, Decimal4 &value)
{
    const char16_t *p = reinterpret_cast<const char16_t *>(text.data());
    const char16_t *end = p + text.size();
    while (p < end && *p <= u' ')
        ++p;
    bool negative = false;
    if (p < end && (*p == u'+' || *p == u'-')) {
        negative = *p == u'-';
        ++p;
    }

    // Mantissa: the significant digits (leading zeros dropped), how many of
    // them were read after the comma, and those beyond the kept ones.
    char digits[kKeptDigits];
    int kept = 0;
    qint64 extraDigits = 0;    // significant digits not kept (they shift the scale)
    bool extraNonZero = false; // one of them is not 0
    qint64 fracDigits = 0;     // digits after the comma, leading zeros included
    bool anyDigit = false;
    bool comma = false;
    for (; p < end; ++p) {
        const char16_t ch = *p;
        if (isDigit(ch)) {
            anyDigit = true;
            if (comma)
                ++fracDigits;
            if (kept == 0 && ch == u'0')
                continue;
            if (kept < kKeptDigits)
                digits[kept++] = char(ch - u'0');
            else {
                ++extraDigits;
                extraNonZero |= ch != u'0';
            }
        } else if (ch == u',' && !comma) {
            comma = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return Parse::NotANumber;

    qint64 exponent = 0;
    if (p < end && (*p == u'E' || *p == u'e')) {
        ++p;
        bool expNegative = false;
        if (p < end && (*p == u'+' || *p == u'-')) {
            expNegative = *p == u'-';
            ++p;
        }
        if (p == end || !isDigit(*p))
            return Parse::NotANumber;
        for (; p < end && isDigit(*p); ++p)
            exponent = std::min(exponent * 10 + (*p - u'0'), kExponentClamp);
        if (expNegative)
            exponent = -exponent;
    }
    while (p < end && *p <= u' ')
        ++p;
    if (p != end)
        return Parse::NotANumber;

    if (kept == 0) {
        value = Decimal4();
        return Parse::Ok;
    }

    // value = digits * 10^shift / 10000, i.e. the raw value is digits * 10^shift.
    const qint64 shift = exponent - fracDigits + extraDigits + 4;
    UInt128 magnitude = 0;
    if (shift >= 0) {
        if (extraDigits > 0 || kept + shift > 20)
            return Parse::OutOfRange;
        for (int i = 0; i < kept; ++i)
            magnitude = magnitude * 10 + unsigned(digits[i]);
        for (qint64 i = 0; i < shift; ++i)
            magnitude *= 10;
    } else {
        const qint64 drop = -shift; // digits that fall after the fourth decimal
        if (kept - drop > 20)
            return Parse::OutOfRange;
        const qint64 keep = std::max<qint64>(kept - drop, 0);
        for (qint64 i = 0; i < keep; ++i)
            magnitude = magnitude * 10 + unsigned(digits[i]);
        // Ties to even on the dropped part: its first digit against 5, the rest
        // as a sticky "not zero".
        int first = 0;
        bool restNonZero = extraNonZero;
        if (drop <= kept) {
            first = digits[keep];
            for (qint64 i = keep + 1; i < kept; ++i)
                restNonZero |= digits[i] != 0;
        } else {
            restNonZero = true; // every kept digit lies below the first dropped place
            first = 0;
        }
        if (first > 5 || (first == 5 && (restNonZero || (magnitude & 1))))
            ++magnitude;
    }
    if (magnitude > (negative ? kNegLimit : kPosLimit))
        return Parse::OutOfRange;
    value = Decimal4(negative ? qint64(-magnitude) : qint64(magnitude));
    return Parse::Ok;
}

Decimal4 Decimal4::fromText(QStringView text)
{
    Decimal4 value;
    switch (parse(text, value)) {
    case Parse::Ok:
        return value;
    case Parse::NotANumber:
        throw ConversionError(QStringLiteral("%1 не является числом.").arg(quotedExcerpt(text)));
    case Parse::OutOfRange:
        break;
    }
    throw ConversionError(QStringLiteral("Число %1 слишком велико по модулю (допускается не более 922337203685477,5807).")
                              .arg(quotedExcerpt(text)));
}

Decimal4 Decimal4::fromInt(qint64 value)
{
    qint64 raw = 0;
    if (__builtin_mul_overflow(value, kScale, &raw))
        throwOverflow(QString::number(value));
    return Decimal4(raw);
}

Decimal4 Decimal4::fromDouble(double value)
{
    const double scaled = std::nearbyint(value * double(kScale));
    // 2^63 is exactly representable; every double below it in magnitude fits.
    if (!(scaled > -9223372036854775808.0 && scaled < 9223372036854775808.0)) {
        if (scaled == -9223372036854775808.0)
            return Decimal4(kMin);
        throwOverflow(QString::number(value, 'g', 17));
    }
    return Decimal4(qint64(scaled));
}

QString Decimal4::toString() const
{
    // 20 digits, a comma, four decimals and the sign fit comfortably.
    char16_t buf[32];
    char16_t *e = buf + 32;
    char16_t *p = e;
    unsigned long long mag = m_raw < 0 ? 0ULL - static_cast<unsigned long long>(m_raw) : static_cast<unsigned long long>(m_raw);
    unsigned frac = unsigned(mag % kScale);
    unsigned long long whole = mag / kScale;
    if (frac != 0) {
        int decimals = 4;
        while (frac % 10 == 0) {
            frac /= 10;
            --decimals;
        }
        for (int i = 0; i < decimals; ++i) {
            *--p = char16_t(u'0' + frac % 10);
            frac /= 10;
        }
        *--p = u',';
    }
    do {
        *--p = char16_t(u'0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (m_raw < 0)
        *--p = u'-';
    return QString(reinterpret_cast<const QChar *>(p), e - p);
}

double Decimal4::toDouble() const
{
    return double(m_raw) / double(kScale);
}

qint64 Decimal4::roundedToWhole() const
{
    return Rounding::divideHalfEven(m_raw, kScale);
}

Decimal4 Decimal4::operator+(Decimal4 other) const
{
    qint64 r = 0;
    if (__builtin_add_overflow(m_raw, other.m_raw, &r))
        throwOverflow(QStringLiteral("сложения %1 и %2").arg(toString(), other.toString()));
    return Decimal4(r);
}

Decimal4 Decimal4::operator-(Decimal4 other) const
{
    qint64 r = 0;
    if (__builtin_sub_overflow(m_raw, other.m_raw, &r))
        throwOverflow(QStringLiteral("вычитания %2 из %1").arg(toString(), other.toString()));
    return Decimal4(r);
}

Decimal4 Decimal4::wideProduct(Decimal4 other) const
{
    const Int128 wide = static_cast<Int128>(m_raw) * other.m_raw;
    const Int128 q = Rounding::divideHalfEven<Int128>(wide, kScale);
    if (q > kMax || q < kMin)
        throwOverflow(QStringLiteral("умножения %1 на %2").arg(toString(), other.toString()));
    return Decimal4(qint64(q));
}

Decimal4 Decimal4::dividedBy(qint64 n) const
{
    const Int128 q = Rounding::divideHalfEven(static_cast<Int128>(m_raw), static_cast<Int128>(n));
    if (q > kMax || q < kMin)
        throwOverflow(QStringLiteral("деления %1 на %2").arg(toString()).arg(n));
    return Decimal4(qint64(q));
}

double Decimal4::quotientAsDouble(qint64 n) const
{
    // raw and 10000·n are exact doubles while below 2^53, and one IEEE division
    // of exact operands yields the double nearest to the exact quotient.
    return double(m_raw) / (double(kScale) * double(n));
}

bool IsNumberText(QStringView text)
{
    const QStringView t = trimBlanks(text);
    if (t.isEmpty())
        return false;
    for (QChar ch : t) {
        const char16_t u = ch.unicode();
        if (!isDigit(u) && u != u',')
            return false;
    }
    return true;
}

Decimal4 Str4islo(QStringView text)
{
    const QStringView t = trimBlanks(text);
    if (!IsNumberText(t))
        return Decimal4();
    return Decimal4::fromText(t);
}
