#pragma once

#include "rating/rounding.h"

#include <QString>
#include <QStringView>

#include <compare>

// The number type of every score, weight, sum and average: a signed 64-bit
// fixed-point value with four decimal places (the value times 10000).
// Arithmetic is exact and rounded to four decimals, ties to even; a result
// outside the 64-bit range is a ConversionError, never a wraparound.
class Decimal4
{
public:
    static constexpr qint64 kScale = 10000;

    constexpr Decimal4() = default;
    static constexpr Decimal4 fromRaw(qint64 raw) { return Decimal4(raw); }
    // A whole number; ConversionError when it lies outside the range.
    static Decimal4 fromInt(qint64 value);
    // The double rounded to four decimals, ties to even (as a floating-point
    // value is stored into the number type); ConversionError outside the range.
    static Decimal4 fromDouble(double value);

    // Text form: optional blanks, an optional sign "+" or "-", digits with at
    // most one comma, an optional exponent (E or e, an optional sign, digits),
    // optional blanks. More than four decimals are rounded to four, ties to
    // even. Anything else, the empty text included, is a ConversionError whose
    // message names the text; so is a value outside the range.
    static Decimal4 fromText(QStringView text);
    enum class Parse { Ok, NotANumber, OutOfRange };
    static Parse parse(QStringView text, Decimal4 &value);

    // Shortest text: up to four decimals without trailing zeros, comma as the
    // separator, "-" for negatives, no grouping: 12,5 / 3 / 0 / -0,25.
    QString toString() const;

    constexpr qint64 raw() const { return m_raw; }
    constexpr bool isZero() const { return m_raw == 0; }
    // The value as the double nearest to it (exact up to 2^53 / 10000).
    double toDouble() const;
    // Nearest whole number, ties to even.
    qint64 roundedToWhole() const;

    // Exact sum and difference; product rounded to four decimals, ties to even.
    Decimal4 operator+(Decimal4 other) const;
    Decimal4 operator-(Decimal4 other) const;
    inline Decimal4 operator*(Decimal4 other) const;
    Decimal4 &operator+=(Decimal4 other) { return *this = *this + other; }
    // The quotient by a whole number (n != 0), rounded to four decimals, ties to even.
    Decimal4 dividedBy(qint64 n) const;
    // The quotient by a whole number (n != 0) as the double nearest to the exact
    // quotient: this is how an average sum ÷ N becomes the x that the rounding to
    // 1 or 2 decimals starts from (16 ÷ 3 → 5,333…, 9 ÷ 4 → exactly 2,25). Exact
    // for sums below 2^53 ten-thousandths (about 9·10^11); beyond that the sum
    // itself is first rounded to a double.
    double quotientAsDouble(qint64 n) const;

    friend constexpr bool operator==(Decimal4 a, Decimal4 b) { return a.m_raw == b.m_raw; }
    friend constexpr std::strong_ordering operator<=>(Decimal4 a, Decimal4 b) { return a.m_raw <=> b.m_raw; }

private:
    constexpr explicit Decimal4(qint64 raw) : m_raw(raw) {}
    // The product whose raw values multiply beyond 64 bits, in 128 bits.
    Decimal4 wideProduct(Decimal4 other) const;
    qint64 m_raw = 0;
};

// Most products (a score times a weight) fit 64 bits before the rounding: one
// multiplication and a division by a constant, inline.
inline Decimal4 Decimal4::operator*(Decimal4 other) const
{
    qint64 product = 0;
    if (Q_LIKELY(!__builtin_mul_overflow(m_raw, other.m_raw, &product)))
        return Decimal4(Rounding::divideHalfEven(product, kScale));
    return wideProduct(other);
}

// A blank is a space or a control character (code below 33); these are what
// "with blanks removed" strips from both ends of a text.
inline bool isBlank(QChar ch) { return ch.unicode() <= u' '; }
QStringView trimBlanks(QStringView text);

// The score test: the text without its leading and trailing blanks is not empty
// and consists of the digits 0-9 and ',' only. "1,2,3" passes and then fails
// the conversion.
bool IsNumberText(QStringView text);

// The lenient conversion: the value of a text that passes the score test,
// otherwise 0. A text that passes the test but is no number ("," or "1,,2")
// still raises the ConversionError of the strict conversion.
Decimal4 Str4islo(QStringView text);
